// The registry scan's generic tree walk and the per-key checks it runs: file path references
// ("FPR", the string values of HKEY_USERS), empty help-directory keys ("ERK", below
// HKEY_CLASSES_ROOT\TYPELIB) and keys that name an unregistered COM class ("AXO").
#include "Engine/RegistryScanCategories.h"

#include <string.h>

#include <vector>

#include "Framework/RegistryKeyHandle.h"
#include "Framework/RegistryRootKeys.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"

namespace {

// Keys deeper than this below the start of a walk are not visited.
const int MaxWalkDepth = 100;
// Key names are at most 255 characters; the buffer is generous.
const DWORD KeyNameBufferLength = 1025;
// A value whose size keeps changing between reads is read this many times, then skipped.
const int ValueReadAttempts = 4;
// Enumeration indexes tried past a key's reported value count (the key may gain values while
// we read it); bounds the loop when a value keeps failing with some other error.
const DWORD ValueIndexSlack = 1024;

const char* const ClassesRootName = "HKEY_CLASSES_ROOT";

bool EqualsNoCase(const char* a, int aLength, const char* b)
{
    int bLength = static_cast<int>(strlen(b));
    return aLength == bLength && _strnicmp(a, b, aLength) == 0;
}

// Whether the path is `prefix` itself or lies below it, comparing whole path components and
// ignoring case.
bool IsAtOrBelow(const CString& path, const char* prefix)
{
    int n = static_cast<int>(strlen(prefix));
    if (path.GetLength() < n || _strnicmp(path, prefix, n) != 0)
        return false;
    return path.GetLength() == n || path.GetAt(n) == '\\';
}

// Whether any component of the path equals `component`, ignoring case.
bool HasComponent(const CString& path, const char* component)
{
    const char* text = path.GetString();
    const char* start = text;
    for (const char* p = text;; ++p) {
        if (*p == '\\' || *p == 0) {
            if (EqualsNoCase(start, static_cast<int>(p - start), component))
                return true;
            if (*p == 0)
                return false;
            start = p + 1;
        }
    }
}

// The HKEY_CLASSES_ROOT subtrees whose keys the class-reference check does not examine: the
// class, interface, type-library and application registrations themselves (also as the 32-bit
// registrations seen through Wow6432Node) and the help registrations.
bool IsActiveXExcluded(const CString& path)
{
    static const char* const excluded[] = {
        "HKEY_CLASSES_ROOT\\CLSID",
        "HKEY_CLASSES_ROOT\\Interface",
        "HKEY_CLASSES_ROOT\\TypeLib",
        "HKEY_CLASSES_ROOT\\AppId",
        "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID",
        "HKEY_CLASSES_ROOT\\Wow6432Node\\Interface",
        "HKEY_CLASSES_ROOT\\Wow6432Node\\TypeLib",
        "HKEY_CLASSES_ROOT\\Wow6432Node\\AppId",
        "HKEY_CLASSES_ROOT\\SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg",
    };
    for (const char* prefix : excluded)
        if (IsAtOrBelow(path, prefix))
            return true;
    return false;
}

// Splits "ROOT\rest" at its first backslash and asks IsKeyWritable.
bool IsPathWritable(const CString& path)
{
    int slash = path.Find('\\');
    if (slash < 0)
        return IsKeyWritable(path, "");
    return IsKeyWritable(path.Left(slash), path.GetString() + slash + 1);
}

// One walk's per-key work. The walk opens each key once and hands the handle to the check.
class TreeChecker {
public:
    TreeChecker(CSSEngineProcess& process, WalkMode mode) : m_process(process), m_mode(mode) {}
    // Checks the key `name` (opened as `key`, null when it did not open) whose full path is
    // `path`.
    void CheckRegistryKey(HKEY key, const char* name, const CString& path);
    int Reported() const { return m_reported; }

private:
    void CheckActiveXReference(HKEY key, const char* name, const CString& path);
    void CheckEmptyHelpDirectory(HKEY key, const char* name, const CString& path);
    void CheckFilePathValues(HKEY key, const CString& path);
    void CheckFilePathValue(const CString& path, const char* valueName, DWORD type,
                            const BYTE* data, DWORD size);

    CSSEngineProcess& m_process;
    WalkMode m_mode;
    int m_reported = 0;
    std::vector<char> m_valueName;
    std::vector<BYTE> m_valueData;
};

void TreeChecker::CheckRegistryKey(HKEY key, const char* name, const CString& path)
{
    if (!m_process.KeepRunning())
        return;
    switch (m_mode) {
    case WalkActiveX: CheckActiveXReference(key, name, path); break;
    case WalkEmptyKeys: CheckEmptyHelpDirectory(key, name, path); break;
    case WalkFilePaths: CheckFilePathValues(key, path); break;
    }
}

void TreeChecker::CheckActiveXReference(HKEY key, const char* name, const CString& path)
{
    ThrottledStatusText(m_process, 3000, path, "AXO");
    // Only a key named exactly "CLSID" refers to a class by its unnamed value.
    if (strcmp(name, "CLSID") != 0 || !key)
        return;
    CString value;
    DWORD type = 0;
    if (CRegistryKeyHandle::QueryStringOf(key, "", value, &type) != ERROR_SUCCESS ||
        type != REG_SZ)
        return;
    if (value.Find('{') < 0)
        return;
    value.MakeLower();
    if (m_process.m_clsidSet.count(value))
        return;
    // The key that owns the reference: the path without its last component, "\CLSID".
    CString owner = path.Left(path.GetLength() - 6);
    int rootLength = static_cast<int>(strlen(ClassesRootName));
    if (owner.GetLength() <= rootLength + 1)
        return;
    if (!IsKeyWritable(ClassesRootName, owner.GetString() + rootLength + 1))
        return;
    ReportItem(m_process, owner, RegScanActiveX);
    ++m_reported;
}

void TreeChecker::CheckEmptyHelpDirectory(HKEY key, const char* name, const CString& path)
{
    ThrottledStatusText(m_process, 1000, path, "ERK");
    if (!key || _stricmp(name, "HELPDIR") != 0)
        return;
    DWORD subKeys = 0, maxSubKeyName = 0, values = 0, maxValueName = 0, maxValueData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyName, nullptr,
                         &values, &maxValueName, &maxValueData, nullptr,
                         nullptr) != ERROR_SUCCESS)
        return;
    if (subKeys != 0 || maxSubKeyName != 0 || maxValueData > 2)
        return;
    if (path.Find("HKEY_USERS\\.DEFAULT") >= 0)
        return;
    if (!IsPathWritable(path))
        return;
    ReportItem(m_process, path, RegScanEmptyKeys);
    ++m_reported;
}

void TreeChecker::CheckFilePathValues(HKEY key, const CString& path)
{
    if (!key)
        return;
    DWORD values = 0, maxValueName = 0, maxValueData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         &maxValueName, &maxValueData, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    if (values == 0)
        return;
    if (m_valueName.size() < maxValueName + 2)
        m_valueName.resize(maxValueName + 2);
    if (m_valueData.size() < maxValueData + 2)
        m_valueData.resize(maxValueData + 2);
    for (DWORD index = 0; index < values + ValueIndexSlack && m_process.KeepRunning(); ++index) {
        LONG result = ERROR_MORE_DATA;
        DWORD nameLength = 0, size = 0, type = 0;
        for (int attempt = 0; attempt < ValueReadAttempts && result == ERROR_MORE_DATA;
             ++attempt) {
            nameLength = static_cast<DWORD>(m_valueName.size() - 1);
            size = static_cast<DWORD>(m_valueData.size() - 2);
            result = RegEnumValueA(key, index, m_valueName.data(), &nameLength, nullptr, &type,
                                   m_valueData.data(), &size);
            if (result == ERROR_MORE_DATA) {
                // The value grew since the key was queried.
                m_valueName.resize(m_valueName.size() * 2 + 256);
                m_valueData.resize((size + 2 > m_valueData.size() ? size + 2
                                                                   : m_valueData.size() * 2));
            }
        }
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || size == 0)
            continue;
        if (size > m_valueData.size() - 2)
            size = static_cast<DWORD>(m_valueData.size() - 2);
        m_valueData[size] = 0;
        m_valueData[size + 1] = 0;
        m_valueName[nameLength < m_valueName.size() ? nameLength : m_valueName.size() - 1] = 0;
        CheckFilePathValue(path, m_valueName.data(), type, m_valueData.data(), size);
    }
}

void TreeChecker::CheckFilePathValue(const CString& path, const char* valueName, DWORD type,
                                     const BYTE* data, DWORD size)
{
    const char* label = *valueName ? valueName : UNNAMED_VALUE_TEXT;
    if (StatusTextDue(m_process, 3000) && m_process.Status())
        m_process.Status()->OnStatusText(path + "\\" + label, "FPR");
    // Only string values can name a file: every other type renders as "dword:" or
    // "hexvalueinreg--" text, which is never judged.
    if (type != REG_SZ)
        return;
    CString text;
    FormatValueText(size, text, type, data);
    // The checks are case-blind; the text keeps its case for the file system's sake.
    ExpandFolderTokensKeepingCase(m_process, text);
    CString lower(text);
    lower.MakeLower();
    if (lower.Find("dword:") >= 0 || lower.Find("hexvalueinreg--") >= 0)
        return;
    if (CheckPathInText(m_process, text))
        return;
    if (!IsPathWritable(path))
        return;
    ReportItem(m_process, ValueItemText(path, valueName), RegScanFilePaths);
    ++m_reported;
}

struct WalkLevel {
    CRegistryKeyHandle key;
    DWORD index = 0;
    int pathLength = 0;
};

// Whether the walk leaves the children of the key at `path` unvisited.
bool SkipsChildren(WalkMode mode, const CString& path)
{
    switch (mode) {
    case WalkActiveX:
        return IsAtOrBelow(path, "HKEY_CLASSES_ROOT\\VirtualStore");
    case WalkFilePaths:
        return HasComponent(path, "VirtualStore");
    case WalkEmptyKeys:
        break;
    }
    return false;
}

// Opens a sub-key for both the check and the descent; when the combined access is refused,
// for enumeration alone (the check of that key then sees no values). `key` holds nothing when
// neither opens.
void OpenWalkedKey(HKEY parent, const char* name, CRegistryKeyHandle& key)
{
    if (key.Open(parent, name, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE) == ERROR_ACCESS_DENIED)
        key.Open(parent, name, KEY_ENUMERATE_SUB_KEYS);
}

}  // namespace

int WalkRegistryTree(CSSEngineProcess& process, const char* rootName, const char* subKey,
                     WalkMode mode)
{
    HKEY root = RootKeyFromName(rootName);
    if (!root)
        return 0;
    WalkLevel levels[MaxWalkDepth];
    if (levels[0].key.Open(root, subKey, KEY_ENUMERATE_SUB_KEYS) != ERROR_SUCCESS)
        return 0;
    CString path(rootName);
    if (subKey && *subKey) {
        path += '\\';
        path += subKey;
    }
    TreeChecker checker(process, mode);
    const bool skipWow6432 = mode == WalkFilePaths && process.RunningUnderWow64();

    int depth = 0;
    levels[0].pathLength = path.GetLength();
    bool skipChildren = SkipsChildren(mode, path);
    char name[KeyNameBufferLength];

    while (depth >= 0 && process.KeepRunning()) {
        WalkLevel& level = levels[depth];
        LONG result = skipChildren ? ERROR_NO_MORE_ITEMS
                                   : RegEnumKeyA(level.key.Get(), level.index, name,
                                                 KeyNameBufferLength);
        if (result == ERROR_NO_MORE_ITEMS || result == ERROR_INVALID_HANDLE) {
            level.key.Close();
            --depth;
            skipChildren = false;
            if (depth >= 0) {
                ++levels[depth].index;
                path.Delete(levels[depth].pathLength, path.GetLength());
            }
            continue;
        }
        if (result != ERROR_SUCCESS) {
            ++level.index;
            continue;
        }
        name[KeyNameBufferLength - 1] = 0;
        if (skipWow6432) {
            // The 32-bit registrations under HKEY_USERS are the same settings seen again; only
            // this key is passed over, its later siblings are still walked.
            CString lower(name);
            lower.MakeLower();
            if (lower.Find("wow6432node") >= 0) {
                ++level.index;
                continue;
            }
        }
        path += '\\';
        path += name;
        if (mode == WalkActiveX) {
            ThrottledStatusText(process, 3000, path, "AXO");
            if (IsActiveXExcluded(path)) {
                // Nothing below is examined, so nothing below is walked.
                path.Delete(level.pathLength, path.GetLength());
                ++level.index;
                continue;
            }
        }
        CRegistryKeyHandle child;
        OpenWalkedKey(level.key.Get(), name, child);
        checker.CheckRegistryKey(child.Get(), name, path);
        // The depth limit is tested before the push: the stack never grows past it.
        if (child.IsOpen() && depth + 1 < MaxWalkDepth) {
            ++depth;
            levels[depth].key.Attach(child.Detach());
            levels[depth].index = 0;
            levels[depth].pathLength = path.GetLength();
            skipChildren = SkipsChildren(mode, path);
            continue;
        }
        path.Delete(level.pathLength, path.GetLength());
        ++level.index;
    }
    // The keys still open close with their levels.
    return checker.Reported();
}

int ScanFilePathReferences(CSSEngineProcess& process)
{
    return WalkRegistryTree(process, "HKEY_USERS", "", WalkFilePaths);
}

int ScanEmptyKeys(CSSEngineProcess& process)
{
    return WalkRegistryTree(process, "HKEY_CLASSES_ROOT", "TYPELIB", WalkEmptyKeys);
}
