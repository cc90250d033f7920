// Resource ids of the application frame: the main window's template, icon and strings.
#ifndef VELMORA_FRAME_RESOURCES_H
#define VELMORA_FRAME_RESOURCES_H

#define IDS_ABOUTBOX 101             // "&About Client..." (system menu item)
#define IDD_CLIENT_DIALOG 102        // the main window
#define IDS_LOGON_TASK_COMMENT 114   // "On Logon"
#define IDR_MAINFRAME 128            // the program's icon

#endif
