// The Windows version code and the WoW64 query.
#include "Framework/SystemInfo.h"

#include "Framework/ProcAddress.h"

namespace {

typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE, PBOOL);

}  // namespace

int GetWindowsVersion(DWORD* build)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return WindowsUnknown;
    if (build)
        *build = info.dwBuildNumber;
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return WindowsUnknown;
    struct VersionRow {
        DWORD major, minor;
        int code;
    };
    static const VersionRow rows[] = {
        {5, 0, Windows2000}, {5, 1, WindowsXP}, {5, 2, WindowsServer2003}, {6, 0, WindowsVista},
        {6, 1, Windows7},    {6, 2, Windows8},  {6, 3, Windows81},         {10, 0, Windows10},
    };
    for (const VersionRow& row : rows)
        if (info.dwMajorVersion == row.major && info.dwMinorVersion == row.minor)
            return row.code;
    return WindowsUnknown;
}

BOOL IsWow64()
{
    // Looked up at run time: kernel32 of the oldest supported systems does not export it.
    IsWow64ProcessFunction isWow64 =
        GetProcAddressAs<IsWow64ProcessFunction>(GetModuleHandleA("kernel32"), "IsWow64Process");
    BOOL wow64 = FALSE;
    if (!isWow64 || !isWow64(GetCurrentProcess(), &wow64))
        return FALSE;
    return wow64;
}
