// CSystemTray: the program's icon in the notification area. Its mouse events come back to the
// main window as the callback message, which hands them to OnTrayNotification; the icon is
// removed when the program quits.
#ifndef VELMORA_FRAME_SYSTEM_TRAY_H
#define VELMORA_FRAME_SYSTEM_TRAY_H

#include <windows.h>
#include <shellapi.h>

#include "Framework/CWnd.h"

class CSystemTray : public CWnd {
public:
    CSystemTray();
    ~CSystemTray() override;

    // Adds the icon (tooltip cut to 127 characters) owned by parent's window, or by the tray's
    // own invisible window when there is none. FALSE when the shell refused it (the program then
    // goes on without an icon) or Windows is too old for one.
    BOOL Create(CWnd* parent, UINT callbackMessage, const char* tooltip, HICON icon, UINT id);
    // Takes the icon out of the notification area; nothing when it is not there.
    void RemoveIcon();
    BOOL IsEnabled() const { return m_bEnabled; }
    const NOTIFYICONDATAA& GetIconData() const { return m_tnd; }

    // A callback from the icon: a right click opens the menu whose resource id is the icon's
    // id (none for id 0), a double click shows the main window and runs the default command.
    // 0 for an event of another icon.
    LRESULT OnTrayNotification(WPARAM id, LPARAM event);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The class of the tray's own window: no cursor, brush or icon.
    static const char* WindowClassName();

    int m_bEnabled;
    int m_bHidden;
    NOTIFYICONDATAA m_tnd;
    UINT m_DefaultMenuItemID;
    int m_DefaultMenuItemByPos;
};

// NOTIFYICONDATA as the shell of every supported Windows takes it (the 32-bit layout).
static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAA) == 508, "the tray icon record must be 508 bytes");

#endif
