// CToolTipCtrl: a tooltip window (TOOLTIPS_CLASS) for the tools of one owner window.
//
// Usage: Create(pOwner) makes the popup (owned by pOwner, destroyed with the object); AddTool
// registers a window (or a rectangle of it, with an id) and its text; relay the owner's mouse
// messages with RelayEvent (e.g. from PreTranslateMessage) so the tip appears.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Framework/CWnd.h"

class CToolTipCtrl : public CWnd
{
public:
    CToolTipCtrl() noexcept {}

    BOOL Create(CWnd* pOwner, DWORD dwStyle = 0);
    void Activate(BOOL bActivate) { SendMessage(TTM_ACTIVATE, bActivate); }
    // pRect NULL with nIDTool 0: the whole window pWnd is the tool (TTF_IDISHWND). uFlags adds
    // TTF_ flags (e.g. TTF_TRANSPARENT for a tip shown over the tool itself).
    BOOL AddTool(CWnd* pWnd, const char* pszText, const RECT* pRect = NULL, UINT_PTR nIDTool = 0,
                 UINT uFlags = 0);
    void DelTool(CWnd* pWnd, UINT_PTR nIDTool = 0);
    void UpdateTipText(const char* pszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    int GetToolCount() const { return int(SendMessage(TTM_GETTOOLCOUNT)); }
    void SetDelayTime(DWORD dwDuration, int iTime) { SendMessage(TTM_SETDELAYTIME, dwDuration, MAKELPARAM(iTime, 0)); }
    int GetDelayTime(DWORD dwDuration) const { return int(SendMessage(TTM_GETDELAYTIME, dwDuration)); }
    void SetMaxTipWidth(int iWidth) { SendMessage(TTM_SETMAXTIPWIDTH, 0, iWidth); }
    void RelayEvent(MSG* pMsg) { SendMessage(TTM_RELAYEVENT, 0, LPARAM(pMsg)); }
    void Update() { SendMessage(TTM_UPDATE); }
    void Pop() { SendMessage(TTM_POP); }

private:
    void FillToolInfo(TTTOOLINFOA& ti, CWnd* pWnd, UINT_PTR nIDTool) const;
};
