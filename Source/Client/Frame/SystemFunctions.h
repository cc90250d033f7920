// System functions the pages share: the tested Windows versions and the forced restart. The
// version code and the WoW64 test are the framework's (Framework/SystemInfo.h).
#ifndef VELMORA_FRAME_SYSTEM_FUNCTIONS_H
#define VELMORA_FRAME_SYSTEM_FUNCTIONS_H

#include <windows.h>

#include "Framework/SystemInfo.h"

// The versions the program was tested on (start-up asks before running on any other).
bool IsTestedWindowsVersion(int code);
// Restarts Windows at once, closing every program without asking; ExitWindowsEx's result.
BOOL RestartWindows();

#endif
