// Facts about the running system: the Windows version code (GetVersionEx) and whether this
// 32-bit process runs on a 64-bit system (IsWow64Process).
#ifndef VELMORA_FRAMEWORK_SYSTEM_INFO_H
#define VELMORA_FRAMEWORK_SYSTEM_INFO_H

#include <windows.h>

// Version codes of GetWindowsVersion. They are not in version order.
enum WindowsVersionCode {
    WindowsUnknown = 0,      // non-NT platforms and every version not listed here
    Windows2000 = 2,         // 5.0
    WindowsXP = 3,           // 5.1
    WindowsVista = 4,        // 6.0
    WindowsServer2003 = 5,   // 5.2 (also XP x64)
    Windows7 = 6,            // 6.1
    Windows8 = 7,            // 6.2
    Windows81 = 8,           // 6.3
    Windows10 = 10,          // 10.0
};

// The version code of the running system; the build number goes to build when one is given
// (and GetVersionEx succeeds).
int GetWindowsVersion(DWORD* build = NULL);
// TRUE when this 32-bit process runs on a 64-bit system; FALSE also on systems whose kernel32
// has no IsWow64Process (they are all 32-bit) and when the query fails.
BOOL IsWow64();

#endif
