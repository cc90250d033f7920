// Private window messages of the Registry Defrag page.
#pragma once

#include <windows.h>

#define WM_START_DEFRAG 0xB12     // sent by the busy dialog when it opens: start the analysis
#define WM_DEFRAG_RESULT 0x7B6    // posted by OnResult, and to itself at a "DEFRAG" start
