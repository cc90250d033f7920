// Private window messages of the skin's windows, defined once here.
#pragma once

#include <windows.h>

// Sent by a skinned page to its parent window (the main window) to show page wParam; the pages'
// Back buttons ask for page 1, the System Scan page. The skin itself knows no pages.
#define WM_SHOW_PAGE (WM_APP + 0x10)
// Sent by CBusyDlg::SetText to its dialog: lParam is the const CString* of the new text, read
// before the send returns. The dialog's own thread alone writes the dialog's state.
#define WM_BUSY_SET_TEXT (WM_APP + 0x11)
