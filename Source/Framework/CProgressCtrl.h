// CProgressCtrl: the common progress bar (PROGRESS_CLASS). The members are plain forwarders
// to the control's messages and not virtual: a class that paints its own bar hides them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Framework/CWnd.h"

class CProgressCtrl : public CWnd
{
public:
    CProgressCtrl() noexcept {}

    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID)
    {
        return CreateEx(0, PROGRESS_CLASSA, NULL, dwStyle | WS_CHILD, rect, pParent, nID);
    }
    void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, WPARAM(nLower), LPARAM(nUpper)); }
    int SetPos(int nPos) { return int(SendMessage(PBM_SETPOS, WPARAM(nPos))); }        // the old position
    int GetPos() const { return int(SendMessage(PBM_GETPOS)); }
    int OffsetPos(int nPos) { return int(SendMessage(PBM_DELTAPOS, WPARAM(nPos))); }
    int SetStep(int nStep) { return int(SendMessage(PBM_SETSTEP, WPARAM(nStep))); }    // the old step
    int StepIt() { return int(SendMessage(PBM_STEPIT)); }
    COLORREF SetBarColor(COLORREF color) { return COLORREF(SendMessage(PBM_SETBARCOLOR, 0, LPARAM(color))); }
    COLORREF SetBkColor(COLORREF color) { return COLORREF(SendMessage(PBM_SETBKCOLOR, 0, LPARAM(color))); }
};
