// Resource and control ids of the Customize Scan dialog (CustomizeScan.rc).
#pragma once

// --- template and artwork ---------------------------------------------------------------------
#define IDD_CUSTOMIZE_SCAN            209
#define IDR_PNG_CUSTOMIZE_TITLE       210   // the picture before the title
#define IDR_PNG_CUSTOMIZE_RESET       168   // the face of "Reset"
// The lists' row images are the check-box states (IDB_TREE_STATES, 13 x 18 per image).

// --- controls ---------------------------------------------------------------------------------
#define IDC_CUSTOMIZE_CLOSE           1005  // "X": saves and closes
#define IDC_CUSTOMIZE_RESET           1010  // "Reset": the default masks
#define IDC_CUSTOMIZE_TAB_REGISTRY    1143  // the four tabs, one per kind in kind order
#define IDC_CUSTOMIZE_TAB_JUNK        1144
#define IDC_CUSTOMIZE_TAB_INTERNET    1145
#define IDC_CUSTOMIZE_TAB_SYSTEM      1146
#define IDC_CUSTOMIZE_HEADER          1147  // hidden marker of the header strip
#define IDC_CUSTOMIZE_LIST_REGISTRY   1148  // the four lists, one per kind in kind order
#define IDC_CUSTOMIZE_LIST_JUNK       1149
#define IDC_CUSTOMIZE_LIST_INTERNET   1150
#define IDC_CUSTOMIZE_LIST_SYSTEM     1151
