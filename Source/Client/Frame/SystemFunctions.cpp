// Windows version code, WoW64 test and forced restart.
#include "Frame/SystemFunctions.h"

namespace {

typedef BOOL(WINAPI* IsWow64ProcessFunction)(HANDLE, PBOOL);
// Resolved at every call; every call stores the same value.
IsWow64ProcessFunction g_isWow64Process = NULL;

// Planned restart for application maintenance.
const DWORD RestartReason = SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_APPLICATION |
                            SHTDN_REASON_MINOR_MAINTENANCE;

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

bool IsTestedWindowsVersion(int code)
{
    switch (code) {
    case WindowsXP:
    case WindowsVista:
    case WindowsServer2003:
    case Windows7:
    case Windows8:
    case Windows81:
    case Windows10:
        return true;
    default:
        return false;
    }
}

BOOL IsWow64()
{
    g_isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process")));
    if (!g_isWow64Process)
        return FALSE;
    BOOL wow64 = FALSE;
    if (!g_isWow64Process(GetCurrentProcess(), &wow64))
        return FALSE;
    return wow64;
}

BOOL RestartWindows()
{
    // Without the shutdown privilege ExitWindowsEx fails and says so; a failed privilege step
    // is therefore not reported on its own.
    HANDLE token = NULL;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        TOKEN_PRIVILEGES privileges = {};
        if (LookupPrivilegeValueA(NULL, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, NULL, NULL);
        }
        CloseHandle(token);
    }
    return ExitWindowsEx(EWX_REBOOT | EWX_FORCE, RestartReason);
}
