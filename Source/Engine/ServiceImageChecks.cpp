// The driver-path and program-path checks over the services key.
#include "Engine/ServiceImageChecks.h"

#include <string.h>

#include "Framework/RegistryKeyHandle.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/RegistryScanCategories.h"
#include "Engine/SSEngineProcess.h"
#include "Framework/ProcAddress.h"

namespace {

const char* const ServicesKey = "SYSTEM\\CurrentControlSet\\Services";
const DWORD FilePathCategory = 0x400000;
const DWORD ProgressTextEvery = 3000;
// More than any services key holds; ends a walk whose enumeration never fails.
const DWORD MaxEntries = 100000;

enum ImageKind { DriverImage, ProgramImage };

typedef BOOL(WINAPI* DisableRedirectionFunction)(PVOID*);
typedef BOOL(WINAPI* RevertRedirectionFunction)(PVOID);

// File-system redirection off for this thread while the walk runs, so that "system32" is the
// native System folder where the drivers are.
class CRedirectionOff {
public:
    explicit CRedirectionOff(bool wow64) : m_saved(nullptr), m_off(false)
    {
        HMODULE kernel = GetModuleHandleA("kernel32");
        DisableRedirectionFunction disable =
            GetProcAddressAs<DisableRedirectionFunction>(kernel, "Wow64DisableWow64FsRedirection");
        m_off = wow64 && disable && disable(&m_saved);
    }
    ~CRedirectionOff()
    {
        RevertRedirectionFunction revert = GetProcAddressAs<RevertRedirectionFunction>(
            GetModuleHandleA("kernel32"), "Wow64RevertWow64FsRedirection");
        if (m_off && revert)
            revert(m_saved);
    }
    CRedirectionOff(const CRedirectionOff&) = delete;
    CRedirectionOff& operator=(const CRedirectionOff&) = delete;

private:
    PVOID m_saved;
    bool m_off;
};

bool StartsWith(const CString& text, const char* prefix)
{
    return strncmp(text, prefix, strlen(prefix)) == 0;
}

void Progress(CSSEngineProcess& process)
{
    if (process.Status())
        process.Status()->OnProgress(1);
}

// Where the first file name with the extension ends in the text: the extension must end the
// name (the text ends, or a blank, quote, comma or switch follows), so that "x.systems\a.sys"
// is not cut to "x.sys". -1 when there is none.
int EndOfImageName(const CString& text, const char* extension)
{
    for (int at = text.Find(extension); at >= 0; at = text.Find(extension, at + 1)) {
        const char next = text.GetAt(at + 4);
        if (next == '\0' || strchr(" \t\",/", next))
            return at + 4;
    }
    return -1;
}

// True only when the image the value names is established missing.
bool IsImageMissing(CSSEngineProcess& process, CString data, ImageKind kind)
{
    data.MakeLower();
    data.Trim();
    data.Trim('"');
    const int end = EndOfImageName(data, kind == DriverImage ? ".sys" : ".exe");
    if (end < 0)
        return false;
    CString path = data.Left(end);
    path.Trim('"');
    ResolveServiceImagePath(process, path);
    if (LocateFile(process, path))
        return false;
    return kind == DriverImage || !PathExistsSwapped(process, path);
}

int WalkServiceImages(CSSEngineProcess& process, ImageKind kind)
{
    CRedirectionOff redirection(process.RunningUnderWow64());
    CRegistryKeyHandle services;
    if (services.Open(HKEY_LOCAL_MACHINE, ServicesKey, KEY_READ) != ERROR_SUCCESS)
        return 0;
    Progress(process);
    int reported = 0;
    DWORD valuesSeen = 0;
    for (DWORD index = 0; index < MaxEntries && process.KeepRunning(); ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        LONG result = RegEnumKeyExA(services.Get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        CRegistryKeyHandle service;
        if (service.Open(services.Get(), name, KEY_READ) != ERROR_SUCCESS)
            continue;
        CString keyPath;
        keyPath.Format("HKEY_LOCAL_MACHINE\\%s\\%s", ServicesKey, name);
        for (DWORD value = 0; value < MaxEntries && process.KeepRunning(); ++value) {
            char valueName[16384];
            DWORD valueNameLength = sizeof valueName;
            DWORD size = 0;
            result = RegEnumValueA(service.Get(), value, valueName, &valueNameLength, nullptr, nullptr, nullptr, &size);
            if (result == ERROR_MORE_DATA)
                continue;
            if (result != ERROR_SUCCESS)
                break;
            if (size == 0)
                continue;
            Progress(process);
            if (++valuesSeen % ProgressTextEvery == 0 && process.Status())
                process.Status()->OnStatusText(keyPath, "FPR");
            if (_stricmp(valueName, "ImagePath") != 0)
                continue;
            CString data;
            if (service.QueryString(valueName, data) != ERROR_SUCCESS)
                continue;
            if (IsImageMissing(process, data, kind)) {
                ReportItem(process, keyPath, FilePathCategory);
                ++reported;
            }
        }
    }
    return reported;
}

}  // namespace

void ResolveServiceImagePath(CSSEngineProcess& process, CString& path)
{
    if (StartsWith(path, "\\??\\"))
        path = path.Mid(4);
    CString windows = process.m_pathCache.WindowsFolderSlash();
    windows.MakeLower();
    if (windows.IsEmpty())
        return;
    if (StartsWith(path, "\\systemroot\\"))
        path = windows + path.Mid(12);
    else if (path.GetAt(0) == '\\' && path.GetAt(1) != '\\')
        path = windows.Left(2) + path;
}

int CheckDriverPaths(CSSEngineProcess& process)
{
    return WalkServiceImages(process, DriverImage);
}

int CheckProgramPaths(CSSEngineProcess& process)
{
    return WalkServiceImages(process, ProgramImage);
}
