// Three checks the library keeps but no task runs: class servers of the classes listed under a
// given key, browser helper objects, and cookie files in the cookie and cache folders.
#include "Engine/RegistryScanCategories.h"

#include <shlobj.h>
#include <string.h>

#include <set>
#include <vector>

#include "Engine/RegistryEntryJudging.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"
#include "Framework/FileFind.h"
#include "Framework/RegistryKeyHandle.h"

namespace {

const DWORD ClassNameLength = 256;
// The found-item category of cookie file names.
const DWORD CookieFileCategory = 8;

// Whether a server text names a file established missing: an unexpanded variable, a path on
// a drive that is not there, or any answer but "not found" leaves it unjudged.
bool ServerFileMissing(CSSEngineProcess& process, const CString& server)
{
    if (server.Find('%') >= 0)
        return false;
    return SearchFile(server, false) == FileNotThere && !PathExistsSwapped(process, server);
}

}  // namespace

int CheckClassServers(CSSEngineProcess& process, HKEY root, const char* keyPath, DWORD category)
{
    CRegistryKeyHandle list;
    if (list.Open(root, keyPath, KEY_READ) != ERROR_SUCCESS)
        return 0;
    if (process.Status())
        process.Status()->OnProgress(1);
    int reported = 0;
    char cls[ClassNameLength + 1];
    std::vector<char> name;
    std::vector<BYTE> data;
    for (DWORD index = 0; process.KeepRunning(); ++index) {
        DWORD length = ClassNameLength;
        LONG result = RegEnumKeyExA(list.Get(), index, cls, &length, nullptr, nullptr, nullptr,
                                    nullptr);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        cls[length < ClassNameLength ? length : ClassNameLength] = 0;
        // Whatever key listed the classes, their servers are read from the machine's classes.
        CRegistryKeyHandle server;
        if (server.Open(HKEY_LOCAL_MACHINE,
                        CString("Software\\Classes\\CLSID\\") + cls + "\\InprocServer32",
                        KEY_READ) != ERROR_SUCCESS)
            continue;
        DWORD values = 0, maxName = 0, maxData = 0;
        if (RegQueryInfoKeyA(server.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &values, &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
            continue;
        name.assign(maxName + 2, 0);
        data.assign(maxData + 2, 0);
        for (DWORD v = 0; v < values && process.KeepRunning(); ++v) {
            DWORD nameLength = static_cast<DWORD>(name.size() - 1);
            DWORD size = static_cast<DWORD>(data.size() - 2);
            DWORD type = 0;
            if (RegEnumValueA(server.Get(), v, name.data(), &nameLength, nullptr, &type,
                              data.data(), &size) != ERROR_SUCCESS ||
                size == 0 || (type != REG_SZ && type != REG_EXPAND_SZ))
                continue;
            if (size > data.size() - 2)
                size = static_cast<DWORD>(data.size() - 2);
            data[size] = 0;
            const char* chars = reinterpret_cast<const char*>(data.data());
            CString text(chars, static_cast<int>(strnlen(chars, size)));
            text.MakeLower();
            int module = text.Find(".dll");
            if (module < 0)
                module = text.Find(".ocx");
            if (module <= 0 || !ServerFileMissing(process, text))
                continue;
            ReportItem(process, CString("HKEY_LOCAL_MACHINE\\") + keyPath + "\\" + cls, category);
            ++reported;
            // One report names the class; its other values add nothing.
            break;
        }
    }
    return reported;
}

int ScanBrowserHelperObjects(CSSEngineProcess& process)
{
    CRegistryKeyHandle key;
    if (key.Open(HKEY_LOCAL_MACHINE,
                 "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects",
                 KEY_READ) != ERROR_SUCCESS)
        return 0;
    DWORD count = 0;
    if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 1;
    char name[ClassNameLength + 1];
    for (DWORD index = 0; index < count && process.KeepRunning(); ++index) {
        DWORD length = ClassNameLength;
        if (RegEnumKeyExA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) ==
                ERROR_SUCCESS &&
            process.Status())
            process.Status()->OnProgress(1);
    }
    return 1;
}

int ScanCookieFiles(CSSEngineProcess& process)
{
    // Ascending order of the folder texts; a folder both give is walked once.
    std::set<CString> folders;
    for (int csidl : {CSIDL_COOKIES, CSIDL_INTERNET_CACHE}) {
        char folder[MAX_PATH + 1] = {};
        if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder) == S_OK &&
            folder[0])
            folders.insert(CString(folder));
    }
    for (const CString& folder : folders) {
        WIN32_FIND_DATAA entry;
        CFindHandle find;
        if (!find.FindFirst(folder + "\\*", entry))
            continue;
        do {
            if (!process.KeepRunning())
                break;
            if (!strcmp(entry.cFileName, ".") || !strcmp(entry.cFileName, "..") ||
                (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                continue;
            if (process.Status())
                process.Status()->OnProgress(1);
            CString name(entry.cFileName);
            int lastDot = name.ReverseFind('.');
            int at = name.Find('@');
            if (name.Find('.') > 0 && lastDot > 0 && name.Mid(lastDot).CompareNoCase(".txt") == 0 &&
                at > 0)
                ReportItem(process, folder + "\\" + name, CookieFileCategory);
        } while (find.FindNext(entry));
    }
    return 1;
}
