// The System Scan page's private messages to its own window: the phases of a scan and a fix
// (posted when a phase ends, so the next one starts on the page's thread), and the two
// messages that bring the engine worker's reports to that thread. The tweak scans' messages
// are in TweakScanMessages.h.
#pragma once

#include <windows.h>

#include "Client/Scan/TweakScanMessages.h"

// --- scan ---------------------------------------------------------------------------------------
#define WM_REGSCAN_DONE 0x6EE         // the registry results page refills its tree
#define WM_JUNKSCAN_START 0x6EF       // the junk scan starts
#define WM_JUNKSCAN_DONE 0x6F0        // the junk results page gets its summary
#define WM_INETSCAN_START 0x6F1       // the internet tweak scan starts
#define WM_SYSSCAN_START 0x6F3        // the system tweak scan starts

// --- fix ----------------------------------------------------------------------------------------
#define WM_CLEAN_PROGRESS_JUNK 0x6F8  // overall bar to 26
#define WM_JUNKCLEAN_START 0x6F9      // the junk clean starts
#define WM_CLEAN_PROGRESS_INET 0x6FA  // overall bar to 73
#define WM_INETTWEAKS_APPLY 0x6FB     // the internet tweaks are applied
#define WM_CLEAN_PROGRESS_SYS 0x6FC   // overall bar to 86
#define WM_SYSTWEAKS_APPLY 0x6FD      // the system tweaks are applied
#define WM_CLEAN_DONE 0x6FE           // overall bar to 99

// --- the engine worker's reports ----------------------------------------------------------------
// The status record holds news from the worker; posted only while none is pending.
#define WM_SCAN_STATUS_REFRESH 0x6F5
// An engine task has ended (wParam: its task type).
#define WM_SCAN_TASK_ENDED 0x6F6
