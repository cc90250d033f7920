// The tested Windows versions and the forced restart.
#include "Frame/SystemFunctions.h"

#include "Framework/Handle.h"

namespace {

// Planned restart for application maintenance.
const DWORD RestartReason = SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_APPLICATION |
                            SHTDN_REASON_MINOR_MAINTENANCE;

}  // namespace

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

BOOL RestartWindows()
{
    // Without the shutdown privilege ExitWindowsEx fails and says so; a failed privilege step
    // is therefore not reported on its own.
    HANDLE opened = NULL;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
        CHandle token(opened);
        TOKEN_PRIVILEGES privileges = {};
        if (LookupPrivilegeValueA(NULL, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, NULL, NULL);
        }
    }
    return ExitWindowsEx(EWX_REBOOT | EWX_FORCE, RestartReason);
}
