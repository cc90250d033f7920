// Resource and control ids of the overlay, busy dialog, message box, animated pictures and the
// checked tree (ControlResources.rc).
#pragma once

// --- dialog templates -------------------------------------------------------------------------
#define IDD_BLACK_LAYER          170   // the dimming overlay
#define IDD_MESSAGE_BOX          176
#define IDD_BUSY                 197

// --- artwork ----------------------------------------------------------------------------------
#define IDR_GIF_SCAN_ROW         147   // per-row scan animation, on #F1FFF2
#define IDR_GIF_BUSY             198   // the busy dialog's spinner, on white
#define IDB_TREE_STATES          146   // check-box states, 13 x 18 per image
#define IDB_TREE_IMAGES          151   // tree item images, 18 x 17 per image
#define IDR_TREE_MENU            153   // "Tree Context Menu"
#define ID_TREE_IGNORE           32771 // its "&Ignore" command

// --- message box controls ---------------------------------------------------------------------
#define IDC_MSGBOX_CLOSE         1005  // "X"
#define IDC_MSGBOX_NO            1006  // "Cancel" or "NO"
#define IDC_MSGBOX_PANEL_TOP     1078  // hidden marker: the title strip ends at its top
#define IDC_MSGBOX_LONG_TEXT     1079
#define IDC_MSGBOX_SHORT_TEXT    1080
#define IDC_MSGBOX_YES           1009  // "OK" or "YES"
#define IDC_MSGBOX_OK            1010  // the single "OK"
#define IDC_MSGBOX_ICON          1141  // the logo's rectangle

// --- busy dialog controls ---------------------------------------------------------------------
#define IDC_BUSY_PICTURE         1117
#define IDC_BUSY_TEXT            1118
