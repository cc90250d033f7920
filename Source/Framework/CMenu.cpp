// CMenu: ownership and the per-thread temporary wrappers of FromHandle.
#include "Framework/CMenu.h"

#include "Framework/CWnd.h"
#include "Framework/PerThread.h"
#include "Framework/TempObjectMap.h"

namespace {

TempObjectMap<HMENU, CMenu>& TempMenus()
{
    return PerThread<TempObjectMap<HMENU, CMenu>>();
}

}  // namespace

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    if (!hMenu)
        return nullptr;
    return TempMenus().Get(hMenu, [](HMENU h) {
        CMenu* m = new CMenu;
        m->m_hMenu = h;
        return m;
    });
}

BOOL CMenu::Attach(HMENU hMenu) noexcept
{
    if (!hMenu || m_hMenu)
        return FALSE;
    m_hMenu = hMenu;
    m_bOwned = true;
    return TRUE;
}

HMENU CMenu::Detach() noexcept
{
    HMENU h = m_hMenu;
    m_hMenu = NULL;
    m_bOwned = false;
    return h;
}

BOOL CMenu::LoadMenu(UINT nID, HINSTANCE hInstance) noexcept
{
    if (!hInstance)
        hInstance = ::GetModuleHandleA(NULL);
    return Attach(::LoadMenuA(hInstance, MAKEINTRESOURCEA(nID)));
}

BOOL CMenu::DestroyMenu() noexcept
{
    if (!m_hMenu)
        return FALSE;
    BOOL ok = m_bOwned ? ::DestroyMenu(m_hMenu) : TRUE;
    m_hMenu = NULL;
    m_bOwned = false;
    return ok;
}

int CMenu::GetMenuString(UINT nID, CString& str, UINT nFlags) const
{
    str.Empty();
    int n = ::GetMenuStringA(m_hMenu, nID, NULL, 0, nFlags);
    if (n <= 0)
        return 0;
    char* buf = str.GetBuffer(n);
    if (!buf)
        return 0;
    ::GetMenuStringA(m_hMenu, nID, buf, n + 1, nFlags);
    str.ReleaseBuffer();
    return str.GetLength();
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* rc) const
{
    return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->m_hWnd : NULL, rc);
}

void PurgeTemporaryMenus()
{
    TempMenus().PurgeDead([](HMENU h) { return ::IsMenu(h) != FALSE; });
}
