// The existence and text helpers shared by the startup, uninstall, file and shortcut checks.
#include "Engine/RegistryEntryJudging.h"

#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"
#include "Framework/FileFind.h"
#include "Framework/RegistryKeyHandle.h"

namespace {

const char AppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";

}  // namespace

bool IsAbsoluteLocalPath(const CString& path)
{
    char c = path.GetAt(0);
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter && path.GetAt(1) == ':' && path.GetAt(2) == '\\' && path.GetLength() > 3;
}

bool IsBareFileName(const CString& path)
{
    return !path.IsEmpty() && path.FindOneOf("\\/:") < 0;
}

FileSearchOutcome SearchFile(const char* path, bool rejectedNameIsMissing)
{
    const DWORD error = FindFileError(path);
    if (error == ERROR_SUCCESS)
        return FileFound;
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return FileNotThere;
    if (error == ERROR_INVALID_NAME && rejectedNameIsMissing)
        return FileNotThere;
    return FileNotJudged;
}

CString StoredValueItemText(const CString& keyPath, const CString& valueName)
{
    CString text(keyPath);
    text += ValueSeparator;
    text += valueName;
    return text;
}

bool IsFoundOnProgramSearchPath(const CString& bareName)
{
    if (!IsBareFileName(bareName))
        return false;
    char found[MAX_PATH + 1] = {};
    char* filePart = nullptr;
    DWORD n = SearchPathA(nullptr, bareName, nullptr, MAX_PATH, found, &filePart);
    if (n > 0)
        return true;
    CString key = CString(AppPathsKey) + "\\" + bareName;
    CRegistryKeyHandle registered;
    if (registered.Open(HKEY_CURRENT_USER, key, KEY_QUERY_VALUE) == ERROR_SUCCESS)
        return true;
    return registered.Open(HKEY_LOCAL_MACHINE, key, KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

bool FileIsEstablishedMissing(CSSEngineProcess& process, const CString& text)
{
    // A full local path with nothing to expand or strip is one the search could only test as
    // it is, and the swapped test makes that same test (and counts more answers as present);
    // it decides alone, so a missing file is looked for once and not twice.
    if (IsAbsoluteLocalPath(text) && text.FindOneOf("%\"") < 0 && text.Find("file:") < 0)
        return !PathExistsSwapped(process, text);
    CString located(text);
    if (LocateFile(process, located))
        return false;
    return !PathExistsSwapped(process, located);
}

bool ExpandForExistenceTest(CSSEngineProcess& process, CString& text)
{
    if (text.Find('%') < 0)
        return true;
    ExpandFolderTokens(process, text);
    if (text.Find('%') < 0)
        return true;
    char expanded[MAX_PATH * 4];
    DWORD n = ExpandEnvironmentStringsA(text, expanded, sizeof expanded);
    if (n == 0 || n > sizeof expanded)
        return false;
    text = expanded;
    text.MakeLower();
    return text.Find('%') < 0;
}

void CollectFolder(CSSEngineProcess& process, const CString& path)
{
    if (process.CollectMode == 1 && !path.IsEmpty())
        process.m_folderMap.emplace(path, 0);
}
