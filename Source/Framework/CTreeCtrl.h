// CTreeCtrl: the common tree view control, a thin layer of TVM_ messages over the window.
//
// The object wraps a tree view that a dialog template made (SubclassDlgItem / DDX_Control) or
// that Create makes. Every member sends one message and returns what the control returns;
// handles of items (HTREEITEM) belong to the control and die with the items. Text is ANSI.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Framework/CString.h"
#include "Framework/CWnd.h"

class CImageList;

class CTreeCtrl : public CWnd
{
public:
    CTreeCtrl() noexcept {}

    // A child tree view (WC_TREEVIEW) of pParentWnd with the given styles and id.
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // --- items ---------------------------------------------------------------------------------
    HTREEITEM InsertItem(LPTVINSERTSTRUCTA pInsert)
    {
        return HTREEITEM(Send(TVM_INSERTITEMA, 0, LPARAM(pInsert)));
    }
    HTREEITEM InsertItem(UINT nMask, LPCSTR lpszItem, int nImage, int nSelectedImage,
                         UINT nState, UINT nStateMask, LPARAM lParam, HTREEITEM hParent,
                         HTREEITEM hInsertAfter);
    HTREEITEM InsertItem(LPCSTR lpszItem, HTREEITEM hParent = TVI_ROOT,
                         HTREEITEM hInsertAfter = TVI_LAST)
    {
        return InsertItem(TVIF_TEXT, lpszItem, 0, 0, 0, 0, 0, hParent, hInsertAfter);
    }
    BOOL DeleteItem(HTREEITEM hItem) { return BOOL(Send(TVM_DELETEITEM, 0, LPARAM(hItem))); }
    BOOL DeleteAllItems() { return BOOL(Send(TVM_DELETEITEM, 0, LPARAM(TVI_ROOT))); }
    UINT GetCount() const { return UINT(Send(TVM_GETCOUNT, 0, 0)); }

    BOOL GetItem(TVITEMA* pItem) const { return BOOL(Send(TVM_GETITEMA, 0, LPARAM(pItem))); }
    BOOL SetItem(TVITEMA* pItem) { return BOOL(Send(TVM_SETITEMA, 0, LPARAM(pItem))); }
    CString GetItemText(HTREEITEM hItem) const;   // "" when the item does not exist
    BOOL SetItemText(HTREEITEM hItem, LPCSTR lpszItem);
    DWORD_PTR GetItemData(HTREEITEM hItem) const;  // 0 when the item does not exist
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
    UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const
    {
        return UINT(Send(TVM_GETITEMSTATE, WPARAM(hItem), LPARAM(nStateMask)));
    }
    BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask);
    BOOL GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const;
    BOOL GetItemRect(HTREEITEM hItem, RECT* pRect, BOOL bTextOnly) const;
    BOOL ItemHasChildren(HTREEITEM hItem) const { return GetChildItem(hItem) != NULL; }

    // The state image index (1-based, 0 = none) kept in TVIS_STATEIMAGEMASK.
    int GetItemStateImage(HTREEITEM hItem) const
    {
        return int((GetItemState(hItem, TVIS_STATEIMAGEMASK) & TVIS_STATEIMAGEMASK) >> 12);
    }
    BOOL SetItemStateImage(HTREEITEM hItem, int nImage)
    {
        return SetItemState(hItem, INDEXTOSTATEIMAGEMASK(nImage), TVIS_STATEIMAGEMASK);
    }

    // --- navigation ----------------------------------------------------------------------------
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const
    {
        return HTREEITEM(Send(TVM_GETNEXTITEM, WPARAM(nCode), LPARAM(hItem)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(NULL, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PREVIOUS); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetFirstVisibleItem() const { return GetNextItem(NULL, TVGN_FIRSTVISIBLE); }
    HTREEITEM GetNextVisibleItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXTVISIBLE); }
    HTREEITEM GetPrevVisibleItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PREVIOUSVISIBLE); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(NULL, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM hItem) { return BOOL(Send(TVM_SELECTITEM, TVGN_CARET, LPARAM(hItem))); }
    // Scrolls so that hItem is the first visible item.
    BOOL SelectSetFirstVisible(HTREEITEM hItem)
    {
        return BOOL(Send(TVM_SELECTITEM, TVGN_FIRSTVISIBLE, LPARAM(hItem)));
    }
    BOOL Expand(HTREEITEM hItem, UINT nCode) { return BOOL(Send(TVM_EXPAND, WPARAM(nCode), LPARAM(hItem))); }
    BOOL EnsureVisible(HTREEITEM hItem) { return BOOL(Send(TVM_ENSUREVISIBLE, 0, LPARAM(hItem))); }

    // The item at a client point; *pFlags (optional) gets the TVHT_ flags of the hit.
    HTREEITEM HitTest(POINT pt, UINT* pFlags = NULL) const;

    // --- appearance ----------------------------------------------------------------------------
    // nImageList TVSIL_NORMAL or TVSIL_STATE; returns the list's previous handle.
    HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageList)
    {
        return HIMAGELIST(Send(TVM_SETIMAGELIST, WPARAM(nImageList), LPARAM(hImageList)));
    }
    HIMAGELIST SetImageList(CImageList* pImageList, int nImageList);
    HIMAGELIST GetImageList(int nImageList) const
    {
        return HIMAGELIST(Send(TVM_GETIMAGELIST, WPARAM(nImageList), 0));
    }
    int SetItemHeight(int cyHeight) { return int(Send(TVM_SETITEMHEIGHT, WPARAM(cyHeight), 0)); }
    int GetItemHeight() const { return int(Send(TVM_GETITEMHEIGHT, 0, 0)); }

private:
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
};
