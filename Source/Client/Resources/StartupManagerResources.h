// Resource and control ids of the Startup Manager page (StartupManager.rc). Its template is
// IDD_PAGE_STARTUP_MANAGER of the frame.
#pragma once

#include "Client/Frame/FrameResources.h"

// The list's check boxes: two 32 x 21 images, box clear and box ticked (drawn by
// Art/make_startup_art.py; white is transparent).
#define IDB_STARTUP_CHECKBOXES       207

#define IDC_STARTUP_REMOVE           1011  // "Remove Selected"
#define IDC_STARTUP_SORT_NAME        1012  // column title "Program name"
#define IDC_STARTUP_SORT_PATH        1013  // column title "File path"
#define IDC_STARTUP_SORT_LOCATION    1014  // column title "Location"
#define IDC_STARTUP_TITLE            1138  // "Startup Manager"
#define IDC_STARTUP_SUBTITLE         1139
#define IDC_STARTUP_TITLE_BAND       1140  // hidden: the column-title band's rectangle
#define IDC_STARTUP_LIST             1141
