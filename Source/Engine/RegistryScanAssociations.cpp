// File associations ("FAS") of the registry scan: extension keys of HKEY_CLASSES_ROOT that are
// empty, or whose file type's open command names a program that is missing.
#include "Engine/RegistryScanCategories.h"

#include <string.h>

#include <vector>

#include "Framework/RegistryKeyHandle.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"

namespace {

const DWORD TopLevelNameLength = 255;
const char* const ClassesRootName = "HKEY_CLASSES_ROOT";

}  // namespace

int CheckExtensionKey(CSSEngineProcess& process, const CString& extension)
{
    CRegistryKeyHandle key;
    if (key.Open(HKEY_CLASSES_ROOT, extension, KEY_READ) != ERROR_SUCCESS)
        return 0;
    std::vector<BYTE> data;
    DWORD type = 0, size = 0;
    LONG result = key.QueryValue("", data, size, type);
    if (result == ERROR_FILE_NOT_FOUND) {
        DWORD subKeys = 0, values = 0;
        if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return 0;
        if (subKeys != 0 || values != 0 || !IsKeyWritable(ClassesRootName, extension))
            return 0;
        ReportItem(process, CString(ClassesRootName) + "\\" + extension,
                   RegScanFileAssociations);
        return 1;
    }
    if (result != ERROR_SUCCESS || size == 0 || type != REG_SZ)
        return 0;
    const char* chars = reinterpret_cast<const char*>(data.data());
    CString progId(chars, static_cast<int>(strnlen(chars, size)));
    key.Close();
    if (progId.IsEmpty())
        return 0;
    CRegistryKeyHandle command;
    if (command.Open(HKEY_CLASSES_ROOT, progId + "\\shell\\open\\command", KEY_READ) !=
        ERROR_SUCCESS)
        return 0;
    CString text;
    if (command.QueryString("", text, &type) != ERROR_SUCCESS || text.IsEmpty())
        return 0;
    CString lower(text);
    lower.MakeLower();
    if (lower.Find(".exe") < 0 && lower.Find(".dll") < 0)
        return 0;
    // The checks are case-blind; the text keeps its case for the file system's sake.
    ExpandFolderTokensKeepingCase(process, text);
    if (CheckPathInText(process, text) || !process.KeepRunning())
        return 0;
    if (!IsKeyWritable(ClassesRootName, extension))
        return 0;
    ReportItem(process, CString(ClassesRootName) + "\\" + extension, RegScanFileAssociations);
    return 1;
}

int ScanFileAssociations(CSSEngineProcess& process)
{
    process.m_fileAssociations.clear();
    CRegistryKeyHandle root;
    if (root.Open(HKEY_CLASSES_ROOT, "", KEY_READ) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0;
    if (RegQueryInfoKeyA(root.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    int reported = 0;
    char name[TopLevelNameLength + 1];
    for (DWORD index = 0; index < count && process.KeepRunning(); ++index) {
        DWORD length = TopLevelNameLength + 1;
        LONG result = RegEnumKeyExA(root.Get(), index, name, &length, nullptr, nullptr, nullptr,
                                    nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            continue;
        name[length <= TopLevelNameLength ? length : TopLevelNameLength] = 0;
        if (process.Status())
            process.Status()->OnProgress(1);
        if (StatusTextDue(process, 100) && process.Status())
            process.Status()->OnStatusText(CString(ClassesRootName) + "\\" + name, "FAS");
        if (name[0] == '.')
            reported += CheckExtensionKey(process, name);
    }
    return reported;
}
