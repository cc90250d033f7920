// CMenu: a menu handle.
//
// Usage: a CMenu made with CreatePopupMenu/LoadMenu owns its menu and destroys it in its
// destructor (DestroyMenu); Attach/Detach move ownership. FromHandle() (also what
// CWnd::GetSystemMenu and GetSubMenu return) wraps a menu owned elsewhere and never destroys it.
//   CMenu menu; if (menu.LoadMenu(153)) menu.GetSubMenu(0)->TrackPopupMenu(0, pt.x, pt.y, this);
//   GetSystemMenu(FALSE)->DeleteMenu(SC_MOVE, MF_BYCOMMAND);
// Members return what the Win32 call returns.
#pragma once

#include <windows.h>

#include "Framework/CString.h"

class CWnd;

class CMenu
{
public:
    CMenu() noexcept : m_hMenu(NULL) {}
    virtual ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    HMENU m_hMenu;
    operator HMENU() const noexcept { return m_hMenu; }
    HMENU GetSafeHmenu() const noexcept { return m_hMenu; }
    static CMenu* FromHandle(HMENU hMenu);
    BOOL Attach(HMENU hMenu) noexcept;
    HMENU Detach() noexcept;
    void DetachTemporary() noexcept { m_hMenu = NULL; }

    BOOL CreateMenu() noexcept { return Attach(::CreateMenu()); }
    BOOL CreatePopupMenu() noexcept { return Attach(::CreatePopupMenu()); }
    BOOL LoadMenu(UINT nID, HINSTANCE hInstance = NULL) noexcept;
    BOOL DestroyMenu() noexcept;

    CMenu* GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }
    int GetMenuItemCount() const noexcept { return ::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const noexcept { return ::GetMenuItemID(m_hMenu, nPos); }
    // (UINT)-1 when there is no such item.
    UINT GetMenuState(UINT nID, UINT nFlags) const noexcept { return ::GetMenuState(m_hMenu, nID, nFlags); }
    int GetMenuString(UINT nID, CString& str, UINT nFlags) const;
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* psz = NULL) noexcept
    {
        return ::AppendMenuA(m_hMenu, nFlags, nIDNewItem, psz);
    }
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, const char* psz = NULL) noexcept
    {
        return ::InsertMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, psz);
    }
    BOOL DeleteMenu(UINT nPosition, UINT nFlags) noexcept { return ::DeleteMenu(m_hMenu, nPosition, nFlags); }
    BOOL RemoveMenu(UINT nPosition, UINT nFlags) noexcept { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
    UINT EnableMenuItem(UINT nID, UINT nEnable) noexcept { return ::EnableMenuItem(m_hMenu, nID, nEnable); }
    UINT CheckMenuItem(UINT nID, UINT nCheck) noexcept { return DWORD(::CheckMenuItem(m_hMenu, nID, nCheck)); }
    BOOL SetDefaultItem(UINT uItem, BOOL fByPos = FALSE) noexcept { return ::SetMenuDefaultItem(m_hMenu, uItem, fByPos); }
    // With TPM_RETURNCMD the chosen command (0 for none); otherwise nonzero on success.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* rc = NULL) const;

private:
    bool m_bOwned = false;
};

// Deletes this thread's temporary CMenu wrappers of menus that no longer exist.
void PurgeTemporaryMenus();
