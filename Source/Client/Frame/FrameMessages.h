// Private window messages of the main window.
#ifndef VELMORA_FRAME_FRAME_MESSAGES_H
#define VELMORA_FRAME_FRAME_MESSAGES_H

#include <windows.h>

#define WM_TRAY_NOTIFY 0x40A       // the tray icon's callback (wParam icon id, lParam mouse event)
#define WM_HIDE_TO_TRAY 0x40F      // hide the main window to the tray
#define WM_START_DOWNLOAD 0xB08    // start the update download

#endif
