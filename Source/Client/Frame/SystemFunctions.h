// System functions the pages share: the Windows version code, the WoW64 test and the forced
// restart.
#ifndef VELMORA_FRAME_SYSTEM_FUNCTIONS_H
#define VELMORA_FRAME_SYSTEM_FUNCTIONS_H

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

// The version code of the running system; the build number goes to build when one is given.
int GetWindowsVersion(DWORD* build = NULL);
// The versions the program was tested on (start-up asks before running on any other).
bool IsTestedWindowsVersion(int code);
// TRUE when this 32-bit process runs on a 64-bit system.
BOOL IsWow64();
// Restarts Windows at once, closing every program without asking; ExitWindowsEx's result.
BOOL RestartWindows();

#endif
