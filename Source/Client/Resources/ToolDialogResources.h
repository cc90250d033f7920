// Resource and control ids of the Restore Center and the Settings dialog (ToolDialogs.rc).
#pragma once

// --- templates --------------------------------------------------------------------------------
#define IDD_RESTORE_CENTER            177
#define IDD_SETTINGS                  183

// --- artwork ----------------------------------------------------------------------------------
#define IDR_PNG_RESTORE_INTERNET      178   // "Internet Speed Settings": its picture
#define IDR_PNG_RESTORE_INTERNET_HOT  179   //   and the picture under the mouse
#define IDR_PNG_RESTORE_SYSTEM        180   // "System Speed Settings": its picture
#define IDR_PNG_RESTORE_SYSTEM_HOT    181   //   and the picture under the mouse
#define IDR_PNG_RESTORE_TITLE         182   // the Restore Center's title icon
#define IDR_PNG_SETTINGS_TITLE        184   // the Settings dialog's title icon
#define IDR_PNG_CHECK_OFF             194   // the Settings check buttons: unticked box
#define IDR_PNG_CHECK_ON              195   //   and ticked box

// --- controls both dialogs share ----------------------------------------------------------------
#define IDC_TOOL_CLOSE                1005  // "X"
#define IDC_TOOL_REMOVE               1011  // "Remove"
#define IDC_TOOL_SHOW_MORE            1082  // "Show more" (a static that notifies clicks)

// --- Restore Center -----------------------------------------------------------------------------
#define IDC_RESTORE_TAB_DEFAULTS      1006
#define IDC_RESTORE_TAB_REGISTRY      1009
#define IDC_RESTORE_RESTORE           1010
#define IDC_RESTORE_INTERNET          1013  // "Internet Speed Settings"
#define IDC_RESTORE_SYSTEM            1014  // "System Speed Settings"
#define IDC_RESTORE_HEADER_COVER      1080  // the list's header band; shown on the Defaults tab
#define IDC_RESTORE_LIST              1081

// --- Settings -----------------------------------------------------------------------------------
#define IDC_SETTINGS_SCAN_AT_LOGON    1041  // "Run scan on Windows startup"
#define IDC_SETTINGS_AUTO_BACKUP      1042  // "Auto backup registry when cleaning"
#define IDC_SETTINGS_CHECK_UPDATES    1043  // "Check updates on startup"
#define IDC_SETTINGS_TAB_GENERAL      1083
#define IDC_SETTINGS_TAB_IGNORE       1084
#define IDC_SETTINGS_HEADER_COVER     1085  // hides the list's header strip on the General tab
#define IDC_SETTINGS_IGNORE_LIST      1086
