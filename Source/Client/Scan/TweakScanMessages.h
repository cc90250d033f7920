// Messages the tweak scans post to their notify window (the scan page). A status message's
// lParam is a text owned by the tweak settings object, or 0; it stays valid until that object's
// next internet scan starts. The window may read the object's counters while it handles them.
#ifndef VELMORA_SCAN_TWEAK_SCAN_MESSAGES_H
#define VELMORA_SCAN_TWEAK_SCAN_MESSAGES_H

#include <windows.h>

// wParam: progress 0, 20, 46 or 46 + row; lParam: a status text (const char*) or 0.
#define WM_INET_SCAN_STATUS 0x500
// wParam: the internet total to change; lParam: 1 when both probes succeeded, else 0.
#define WM_INET_SCAN_RESULT 0x501
// The internet scan is over (its worker posts nothing after it).
#define WM_INETSCAN_DONE 0x6F2
// wParam: 46, then 46 + row (100-123); lParam 0.
#define WM_SYS_SCAN_STATUS 0x505
// wParam: the system total to change; lParam 1.
#define WM_SYS_SCAN_RESULT 0x506
// The system scan is over.
#define WM_SYSSCAN_DONE 0x6F4

#endif
