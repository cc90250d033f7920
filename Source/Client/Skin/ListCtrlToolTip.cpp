// CListCtrl_ToolTip (see ListCtrlToolTip.h).
#include "Client/Skin/ListCtrlToolTip.h"

void CListCtrl_ToolTip::PreSubclassWindow()
{
    CListCtrl::PreSubclassWindow();
    // One at a time, each added to what the list has already.
    const DWORD styles[] = {LVS_EX_DOUBLEBUFFER, LVS_EX_FULLROWSELECT, LVS_EX_GRIDLINES,
                            LVS_EX_LABELTIP};
    for (DWORD style : styles)
        SetExtendedStyle(GetExtendedStyle() | style);
}
