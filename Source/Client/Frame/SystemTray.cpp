// The notification-area icon.
#include "Frame/SystemTray.h"

#include <string.h>

#include "Framework/CMenu.h"
#include "Framework/CWinApp.h"

namespace {

const int TrayWindowSize = 10;

// The first popup of the menu resource id, loaded into menu; NULL when either is missing.
CMenu* LoadTrayPopup(CMenu& menu, UINT id)
{
    if (!menu.LoadMenu(LOWORD(id)))
        return NULL;
    return menu.GetSubMenu(0);
}

}  // namespace

CSystemTray::CSystemTray()
    : m_bEnabled(0), m_bHidden(0), m_DefaultMenuItemID(0), m_DefaultMenuItemByPos(1)
{
    memset(&m_tnd, 0, sizeof m_tnd);
    m_tnd.cbSize = sizeof m_tnd;
}

CSystemTray::~CSystemTray()
{
    RemoveIcon();
}

const char* CSystemTray::WindowClassName()
{
    static const char name[] = "VelmoraTrayWindow";
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = AfxGetInstanceHandle();
        wc.lpszClassName = name;
        registered = ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    return name;
}

BOOL CSystemTray::Create(CWnd* parent, UINT callbackMessage, const char* tooltip, HICON icon, UINT id)
{
    m_bEnabled = LOBYTE(LOWORD(::GetVersion())) >= 4;
    if (!m_bEnabled)
        return FALSE;

    CreateEx(0, WindowClassName(), "", WS_POPUP, 0, 0, TrayWindowSize, TrayWindowSize, NULL, NULL);

    m_tnd.cbSize = sizeof m_tnd;
    m_tnd.hWnd = parent && parent->GetSafeHwnd() ? parent->GetSafeHwnd() : m_hWnd;
    m_tnd.uID = id;
    m_tnd.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_tnd.uCallbackMessage = callbackMessage;
    m_tnd.hIcon = icon;
    lstrcpynA(m_tnd.szTip, tooltip ? tooltip : "", sizeof m_tnd.szTip);

    m_bEnabled = ::Shell_NotifyIconA(NIM_ADD, &m_tnd);
    return m_bEnabled;
}

void CSystemTray::RemoveIcon()
{
    if (!m_bEnabled)
        return;
    m_tnd.uFlags = 0;
    ::Shell_NotifyIconA(NIM_DELETE, &m_tnd);
    m_bEnabled = 0;
}

LRESULT CSystemTray::OnTrayNotification(WPARAM id, LPARAM event)
{
    if (id != m_tnd.uID)
        return 0;
    CWnd* target = AfxGetMainWnd();
    if (!target)
        return 0;

    if (LOWORD(event) == WM_RBUTTONUP) {
        CMenu menu;
        CMenu* popup = LoadTrayPopup(menu, m_tnd.uID);
        if (!popup)
            return 0;
        popup->SetDefaultItem(m_DefaultMenuItemID, m_DefaultMenuItemByPos);
        POINT cursor;
        ::GetCursorPos(&cursor);
        target->SetForegroundWindow();
        popup->TrackPopupMenu(TPM_LEFTALIGN, cursor.x, cursor.y, target);
        // The menu closes properly only after the owner has seen one more message.
        target->PostMessage(WM_NULL, 0, 0);
    } else if (LOWORD(event) == WM_LBUTTONDBLCLK) {
        target->ShowWindow(SW_SHOWNORMAL);
        target->SetForegroundWindow();
        UINT command;
        if (m_DefaultMenuItemByPos) {
            CMenu menu;
            CMenu* popup = LoadTrayPopup(menu, m_tnd.uID);
            if (!popup)
                return 0;
            command = popup->GetMenuItemID(static_cast<int>(m_DefaultMenuItemID));
        } else {
            command = m_DefaultMenuItemID;
        }
        target->SendMessage(WM_COMMAND, command, 0);
    }
    return 1;
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_tnd.uCallbackMessage && message == m_tnd.uCallbackMessage)
        return OnTrayNotification(wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}
