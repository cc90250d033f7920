// Resource and control ids of the System Scan page (ScanPage.rc). Its template is
// IDD_PAGE_SYSTEM_SCAN of the frame.
#pragma once

#include "Client/Frame/FrameResources.h"

// --- artwork ------------------------------------------------------------------------------------
#define IDR_PNG_SCAN_ROW_ICONS   144   // the four rows' icons side by side, 24 x 24 each
#define IDR_PNG_SCAN_GLYPH       149   // the magnifier on "Scan", 18 x 18

// --- controls -----------------------------------------------------------------------------------
#define IDC_SCAN_HEADLINE        1025
#define IDC_SCAN_STATUS          1026  // the registry scan's current path
#define IDC_SCAN_PROGRESS        1024  // the overall bar
#define IDC_SCAN_START           1009  // "Scan"
#define IDC_SCAN_STOP            1011  // "Stop"
#define IDC_SCAN_FIX             1012  // "Fix"
#define IDC_SCAN_AREA            1015  // the four rows' area (hidden marker)
#define IDC_SCAN_CUSTOMIZE       1142  // "Customize Scan"

// The rows, in the order registry, junk, internet speed, system speed.
#define IDC_ROW_TITLE_REGISTRY   1006
#define IDC_ROW_TITLE_JUNK       1007
#define IDC_ROW_TITLE_INTERNET   1008
#define IDC_ROW_TITLE_SYSTEM     1010
#define IDC_ROW_COUNT_FIRST      1016  // 1016-1019
#define IDC_ROW_GAUGE_FIRST      1020  // 1020-1023
#define IDC_ROW_ANIMATION_FIRST  1031  // 1031-1034
#define IDC_ROW_RESULT_FIRST     1143  // 1143-1146
#define IDC_ROW_DETAILS_FIRST    1152  // 1152-1155
