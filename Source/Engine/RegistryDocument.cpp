// CRegistryDocument: the keys and values of a document read back, and the coverage check the
// repair makes against the registry as it is now.
#include "Engine/RegistryDocument.h"

#include "Engine/RegistryValueText.h"
#include "Framework/RegistryKeyHandle.h"

CString CRegistryDocument::Identity(const CString& rootName, const CString& keyPath)
{
    CString id = rootName + "\\" + keyPath;
    id.MakeLower();
    return id;
}

void CRegistryDocument::Clear()
{
    m_keys.clear();
    m_keyIds.clear();
    m_valueIds.clear();
}

size_t CRegistryDocument::AddKey(const RegistryDocumentKey& key)
{
    RegistryDocumentKey added = key;
    added.values.clear();
    m_keys.push_back(added);
    m_keyIds.insert(Identity(key.rootName, key.keyPath));
    for (const RegistryDocumentValue& value : key.values)
        AddValue(m_keys.size() - 1, value);
    return m_keys.size() - 1;
}

void CRegistryDocument::AddValue(size_t keyIndex, const RegistryDocumentValue& value)
{
    if (keyIndex >= m_keys.size())
        return;
    RegistryDocumentKey& key = m_keys[keyIndex];
    key.values.push_back(value);
    CString name = value.name;
    m_valueIds.insert(Identity(key.rootName, key.keyPath) + "\n" + name.MakeLower());
}

bool CRegistryDocument::HasKey(const CString& rootName, const CString& keyPath) const
{
    return m_keyIds.count(Identity(rootName, keyPath)) != 0;
}

bool CRegistryDocument::HasValue(const CString& rootName, const CString& keyPath,
                                 const CString& valueName) const
{
    CString name = valueName;
    return m_valueIds.count(Identity(rootName, keyPath) + "\n" + name.MakeLower()) != 0;
}

bool CRegistryDocument::Covers(const RegistryItemPath& item) const
{
    if (item.namesValue)
        return CoversValue(item);
    return CoversTree(item.root, item.rootName, item.keyPath, 0);
}

bool CRegistryDocument::CoversValue(const RegistryItemPath& item) const
{
    CRegistryKeyHandle key;
    const LONG opened = key.Open(item.root, item.keyPath, KEY_QUERY_VALUE);
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    if (opened != ERROR_SUCCESS)
        return false;
    // "(Default)" stands for the unnamed value, which the repair empties.
    const bool unnamed = item.valueName.CompareNoCase(DefaultValueName) == 0;
    const char* name = unnamed ? "" : item.valueName.GetString();
    DWORD size = 0;
    const LONG queried = RegQueryValueExA(key.Get(), name, nullptr, nullptr, nullptr, &size);
    if (queried == ERROR_FILE_NOT_FOUND || (unnamed && queried == ERROR_SUCCESS && size == 0))
        return true;
    if (queried != ERROR_SUCCESS && queried != ERROR_MORE_DATA)
        return false;
    return HasValue(item.rootName, item.keyPath, name);
}

bool CRegistryDocument::CoversTree(HKEY root, const CString& rootName, const CString& keyPath,
                                   int depth) const
{
    CRegistryKeyHandle key;
    const LONG opened = key.Open(root, keyPath, KEY_READ);
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    if (opened != ERROR_SUCCESS || depth > MaxKeyDepth || !HasKey(rootName, keyPath))
        return false;
    std::vector<char> name(MaxValueNameLength * 2 + 2);
    for (DWORD i = 0;; ++i) {
        DWORD length = DWORD(name.size());
        DWORD size = 0;
        const LONG e = RegEnumValueA(key.Get(), i, name.data(), &length, nullptr, nullptr, nullptr, &size);
        if (e == ERROR_NO_MORE_ITEMS)
            break;
        if (e != ERROR_SUCCESS)
            return false;
        const CString valueName(name.data(), int(length));
        if (valueName.IsEmpty() && size == 0)
            continue;  // an unnamed value without data is not part of a document
        if (!HasValue(rootName, keyPath, valueName))
            return false;
    }
    for (DWORD i = 0;; ++i) {
        char subkey[1024];
        DWORD length = sizeof(subkey);
        const LONG e = RegEnumKeyExA(key.Get(), i, subkey, &length, nullptr, nullptr, nullptr, nullptr);
        if (e == ERROR_NO_MORE_ITEMS)
            break;
        if (e != ERROR_SUCCESS)
            return false;
        if (!CoversTree(root, rootName, keyPath + "\\" + CString(subkey, int(length)), depth + 1))
            return false;
    }
    return true;
}
