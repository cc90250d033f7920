// The deletion of keys and values named by a full path, and the test for a key. A key tree is
// deleted without ever entering or removing a symbolic link.
#include "Engine/RegistryManager.h"

#include <string>

#include "Framework/RegistryKeyHandle.h"
#include "Framework/TextCodePage.h"

namespace {

// Bounds the loop that deletes the subkeys of a key while someone may add more.
const DWORD MaxSubkeysDeleted = 1000000;

enum KeyKind { KeyMissing, KeyPlain, KeyLink, KeyUnknown };

// RegOpenKeyExW into a key handle: the names below a key are UTF-16 here.
LONG OpenWide(HKEY root, const std::wstring& keyPath, DWORD options, REGSAM access, CRegistryKeyHandle& key)
{
    HKEY opened = nullptr;
    const LONG e = RegOpenKeyExW(root, keyPath.c_str(), options, access, &opened);
    key.Attach(e == ERROR_SUCCESS ? opened : nullptr);
    return e;
}

std::wstring Wide(const CString& text)
{
    std::wstring wide;
    TextToWide(text, text.GetLength(), CP_ACP, TextStrictness::Lenient, wide);
    return wide;
}

// What a key is, without following it when it is a symbolic link.
KeyKind ExamineKey(HKEY root, const std::wstring& keyPath)
{
    CRegistryKeyHandle key;
    const LONG opened = OpenWide(root, keyPath, REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return KeyMissing;
    if (opened != ERROR_SUCCESS)
        return KeyUnknown;
    DWORD type = 0, size = 0;
    const LONG queried = RegQueryValueExW(key.Get(), L"SymbolicLinkValue", nullptr, &type, nullptr, &size);
    return (queried == ERROR_SUCCESS || queried == ERROR_MORE_DATA) && type == REG_LINK ? KeyLink : KeyPlain;
}

// Names are handled in UTF-16, so a subkey whose name the ANSI code page cannot hold is
// deleted as it is, not looked for under a "?" spelling.
bool DeleteTree(HKEY root, const std::wstring& keyPath, int depth)
{
    // A link is never deleted nor entered: through it the keys it points to would go.
    switch (ExamineKey(root, keyPath)) {
    case KeyMissing:
        return true;
    case KeyLink:
    case KeyUnknown:
        return false;
    case KeyPlain:
        break;
    }
    if (RegDeleteKeyW(root, keyPath.c_str()) == ERROR_SUCCESS)
        return true;
    CRegistryKeyHandle key;
    const LONG opened = OpenWide(root, keyPath, 0, KEY_READ, key);
    if (opened != ERROR_SUCCESS)
        return opened == ERROR_FILE_NOT_FOUND;
    // Always index 0: every pass removes the first subkey. The cap ends a loop that a key
    // re-created by someone else as fast as it is deleted would otherwise never leave.
    for (DWORD pass = 0; pass < MaxSubkeysDeleted; ++pass) {
        WCHAR subkey[MaxKeyNameLength + 2];
        DWORD length = MaxKeyNameLength + 2;
        const LONG e = RegEnumKeyExW(key.Get(), 0, subkey, &length, nullptr, nullptr, nullptr, nullptr);
        if (e != ERROR_SUCCESS)
            break;
        if (depth >= MaxKeyDepth ||
            !DeleteTree(root, keyPath + L"\\" + std::wstring(subkey, length), depth + 1))
            break;
    }
    key.Close();
    return RegDeleteKeyW(root, keyPath.c_str()) == ERROR_SUCCESS;
}

}  // namespace

int CRegistryManager::DeleteKeyTree(const CString& fullPath)
{
    RegistryItemPath item;
    // Refuses a bare root ("HKEY_CURRENT_USER\"): no root key is ever emptied.
    if (fullPath.Find(ValueSeparator) >= 0 || !ParseRegistryItem(fullPath, item))
        return 0;
    return DeleteTree(item.root, Wide(item.keyPath), 0) ? 1 : 0;
}

int CRegistryManager::DeleteValue(const CString& fullPath)
{
    const int first = fullPath.Find('\\');
    const int last = fullPath.ReverseFind('\\');
    if (first <= 0 || last <= first)
        return 0;
    const HKEY root = ItemRootKeyFromName(fullPath.Left(first));
    const CString keyPath = fullPath.Mid(first + 1, last - first - 1);
    const CString valueName = fullPath.Mid(last + 1);
    if (!root || valueName.IsEmpty() || HasEmptyComponent(keyPath))
        return 0;
    CRegistryKeyHandle key;
    if (key.Open(root, keyPath, KEY_SET_VALUE) != ERROR_SUCCESS)
        return 0;
    return RegDeleteValueA(key.Get(), valueName) == ERROR_SUCCESS ? 1 : 0;
}

bool CRegistryManager::KeyExists(const CString& fullPath)
{
    const int first = fullPath.Find('\\');
    if (first <= 0)
        return false;
    const HKEY root = ItemRootKeyFromName(fullPath.Left(first));
    if (!root)
        return false;
    CRegistryKeyHandle key;
    return key.Open(root, fullPath.Mid(first + 1), KEY_READ) == ERROR_SUCCESS;
}
