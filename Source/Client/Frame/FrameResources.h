// Resource and control ids of the application frame: the main window's template, its controls,
// icon, artwork and strings, and the templates of the pages it shows.
#ifndef VELMORA_FRAME_RESOURCES_H
#define VELMORA_FRAME_RESOURCES_H

// --- strings ----------------------------------------------------------------------------------
#define IDS_ABOUTBOX 101             // "&About Client..." (system menu item)
#define IDS_ABOUT_NOTICE 113         // the About dialog's legal notice
#define IDS_LOGON_TASK_COMMENT 114   // "On Logon"

// --- the main window --------------------------------------------------------------------------
#define IDD_CLIENT_DIALOG 102
#define IDR_MAINFRAME 128            // the program's icon
#define IDC_NAV_SYSTEM_SCANNER 1000
#define IDC_NAV_SYSTEM_BOOSTER 1001
#define IDC_NAV_REGISTRY_DEFRAG 1002
#define IDC_NAV_STARTUP_MANAGER 1003
#define IDC_NAV_UNINSTALLER 1004     // hidden
#define IDC_CAPTION_EXIT 1005
#define IDC_CAPTION_MINIMIZE 1006
#define IDC_CONTENT_AREA 1007        // invisible marker of the pages' area
#define IDC_CAPTION_SETTINGS 1008
#define IDC_CAPTION_ABOUT 1009
#define IDC_CAPTION_RESTORE 1010
#define IDC_UPDATE 1011
#define IDC_CAPTION_LOGO 1141        // invisible marker of the caption logo

// --- artwork (PNG) ----------------------------------------------------------------------------
#define IDR_PNG_NAV_SYSTEM_SCANNER 131
#define IDR_PNG_NAV_SYSTEM_BOOSTER 132
#define IDR_PNG_NAV_REGISTRY_DEFRAG 133
#define IDR_PNG_NAV_STARTUP_MANAGER 134
#define IDR_PNG_NAV_UNINSTALLER 135
#define IDR_PNG_CAPTION_SETTINGS 136
#define IDR_PNG_CAPTION_ABOUT 137
#define IDR_PNG_CAPTION_RESTORE 138

// --- page templates (page number in the comment) ----------------------------------------------
#define IDD_PAGE_SYSTEM_SCAN 139         // 1
#define IDD_PAGE_REGISTRY_RESULTS 145    // 2
#define IDD_PAGE_JUNK_RESULTS 154        // 3
#define IDD_PAGE_INTERNET_RESULTS 158    // 4
#define IDD_PAGE_SYSTEM_RESULTS 171      // 5
#define IDD_PAGE_SYSTEM_BOOSTER 202      // 6
#define IDD_PAGE_REGISTRY_DEFRAG 199     // 7
#define IDD_PAGE_STARTUP_MANAGER 206     // 8

#endif
