// CToolTipCtrl: creation and the TOOLINFO plumbing.
#include "Framework/CToolTipCtrl.h"

void CToolTipCtrl::FillToolInfo(TTTOOLINFOA& ti, CWnd* pWnd, UINT_PTR nIDTool) const
{
    ti = TTTOOLINFOA();
    // The size every comctl32 version accepts (the later fields are not used here).
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.hwnd = pWnd ? pWnd->m_hWnd : NULL;
    if (nIDTool == 0 && pWnd) {
        ti.uFlags = TTF_IDISHWND;
        ti.uId = UINT_PTR(pWnd->m_hWnd);
    } else {
        ti.uId = nIDTool;
    }
}

BOOL CToolTipCtrl::Create(CWnd* pOwner, DWORD dwStyle)
{
    return CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSA, NULL, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP | dwStyle,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    pOwner ? pOwner->m_hWnd : NULL, NULL);
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const char* pszText, const RECT* pRect, UINT_PTR nIDTool,
                           UINT uFlags)
{
    TTTOOLINFOA ti;
    FillToolInfo(ti, pWnd, nIDTool);
    ti.uFlags |= uFlags;
    // No TTF_SUBCLASS: the owner relays its mouse messages itself (RelayEvent).
    if (pRect)
        ti.rect = *pRect;
    else if (pWnd && !(ti.uFlags & TTF_IDISHWND))
        pWnd->GetClientRect(&ti.rect);
    ti.hinst = NULL;
    ti.lpszText = const_cast<char*>(pszText ? pszText : LPSTR_TEXTCALLBACKA);
    return BOOL(SendMessage(TTM_ADDTOOLA, 0, LPARAM(&ti)));
}

void CToolTipCtrl::DelTool(CWnd* pWnd, UINT_PTR nIDTool)
{
    TTTOOLINFOA ti;
    FillToolInfo(ti, pWnd, nIDTool);
    SendMessage(TTM_DELTOOLA, 0, LPARAM(&ti));
}

void CToolTipCtrl::UpdateTipText(const char* pszText, CWnd* pWnd, UINT_PTR nIDTool)
{
    TTTOOLINFOA ti;
    FillToolInfo(ti, pWnd, nIDTool);
    ti.lpszText = const_cast<char*>(pszText ? pszText : LPSTR_TEXTCALLBACKA);
    SendMessage(TTM_UPDATETIPTEXTA, 0, LPARAM(&ti));
}
