// CListCtrl: the common list view control, a thin layer of LVM_ messages over the window.
//
// The object wraps a list view that a dialog template made (SubclassDlgItem / DDX_Control) or
// that Create makes. Every member sends one message and returns what the control returns.
// Text is ANSI.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Framework/CString.h"
#include "Framework/CWnd.h"

class CImageList;

class CListCtrl : public CWnd
{
public:
    CListCtrl() noexcept {}

    // A child list view (WC_LISTVIEW) of pParentWnd with the given styles and id.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // --- extended styles -----------------------------------------------------------------------
    DWORD GetExtendedStyle() const { return DWORD(Send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)); }
    // Replaces the extended styles; returns the previous ones.
    DWORD SetExtendedStyle(DWORD dwNewStyle)
    {
        return DWORD(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LPARAM(dwNewStyle)));
    }

    // --- columns -------------------------------------------------------------------------------
    // Returns the new column's index, or -1.
    int InsertColumn(int nCol, LPCSTR lpszHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1);
    BOOL DeleteColumn(int nCol) { return BOOL(Send(LVM_DELETECOLUMN, WPARAM(nCol), 0)); }
    int GetColumnWidth(int nCol) const { return int(Send(LVM_GETCOLUMNWIDTH, WPARAM(nCol), 0)); }
    BOOL SetColumnWidth(int nCol, int cx) { return BOOL(Send(LVM_SETCOLUMNWIDTH, WPARAM(nCol), MAKELPARAM(cx, 0))); }

    // --- items ---------------------------------------------------------------------------------
    int GetItemCount() const { return int(Send(LVM_GETITEMCOUNT, 0, 0)); }
    // Returns the new item's index, or -1.
    int InsertItem(int nItem, LPCSTR lpszItem, int nImage = -1);
    int InsertItem(const LVITEMA* pItem) { return int(Send(LVM_INSERTITEMA, 0, LPARAM(pItem))); }
    BOOL DeleteItem(int nItem) { return BOOL(Send(LVM_DELETEITEM, WPARAM(nItem), 0)); }
    BOOL DeleteAllItems() { return BOOL(Send(LVM_DELETEALLITEMS, 0, 0)); }
    BOOL GetItem(LVITEMA* pItem) const { return BOOL(Send(LVM_GETITEMA, 0, LPARAM(pItem))); }
    BOOL SetItem(const LVITEMA* pItem) { return BOOL(Send(LVM_SETITEMA, 0, LPARAM(pItem))); }
    CString GetItemText(int nItem, int nSubItem) const;   // "" when there is no such item
    BOOL SetItemText(int nItem, int nSubItem, LPCSTR lpszText);
    DWORD_PTR GetItemData(int nItem) const;               // 0 when there is no such item
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return UINT(Send(LVM_GETITEMSTATE, WPARAM(nItem), LPARAM(nMask)));
    }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    // The check box of LVS_EX_CHECKBOXES lists.
    BOOL GetCheck(int nItem) const
    {
        return ((GetItemState(nItem, LVIS_STATEIMAGEMASK) >> 12) - 1) == 1;
    }
    BOOL SetCheck(int nItem, BOOL bCheck = TRUE)
    {
        return SetItemState(nItem, INDEXTOSTATEIMAGEMASK(bCheck ? 2 : 1), LVIS_STATEIMAGEMASK);
    }
    int GetNextItem(int nItem, int nFlags) const
    {
        return int(Send(LVM_GETNEXTITEM, WPARAM(nItem), MAKELPARAM(nFlags, 0)));
    }
    UINT GetSelectedCount() const { return UINT(Send(LVM_GETSELECTEDCOUNT, 0, 0)); }
    BOOL EnsureVisible(int nItem, BOOL bPartialOK)
    {
        return BOOL(Send(LVM_ENSUREVISIBLE, WPARAM(nItem), LPARAM(bPartialOK)));
    }

    // --- appearance ----------------------------------------------------------------------------
    // nImageList LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE; returns the previous list's handle.
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageList)
    {
        return HIMAGELIST(Send(LVM_SETIMAGELIST, WPARAM(nImageList), LPARAM(hImageList)));
    }
    HIMAGELIST SetImageList(CImageList* pImageList, int nImageList);
    HWND GetHeaderCtrl() const { return HWND(Send(LVM_GETHEADER, 0, 0)); }

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
};
