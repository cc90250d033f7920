// CTreeCtrl: the common tree view control (see CTreeCtrl.h).
#include "Framework/CTreeCtrl.h"

#include "Framework/CImageList.h"

BOOL CTreeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::Create(WC_TREEVIEWA, NULL, dwStyle, rect, pParentWnd, nID);
}

HTREEITEM CTreeCtrl::InsertItem(UINT nMask, LPCSTR lpszItem, int nImage, int nSelectedImage,
                                UINT nState, UINT nStateMask, LPARAM lParam, HTREEITEM hParent,
                                HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = hParent;
    insert.hInsertAfter = hInsertAfter;
    insert.item.mask = nMask;
    insert.item.pszText = const_cast<LPSTR>(lpszItem);
    insert.item.iImage = nImage;
    insert.item.iSelectedImage = nSelectedImage;
    insert.item.state = nState;
    insert.item.stateMask = nStateMask;
    insert.item.lParam = lParam;
    return InsertItem(&insert);
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    // Tree view labels are cut by the control at its own limit; grow until the text fits.
    for (int size = 256; size <= 65536; size *= 4) {
        CString text;
        char* buffer = text.GetBuffer(size);
        if (!buffer)
            return CString();
        buffer[0] = 0;
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hItem;
        item.pszText = buffer;
        item.cchTextMax = size;
        BOOL ok = GetItem(&item);
        // The control may hand back its own buffer instead of filling ours.
        if (ok && item.pszText != buffer)
            lstrcpynA(buffer, item.pszText, size);
        text.ReleaseBuffer();
        if (!ok)
            return CString();
        if (text.GetLength() < size - 1)
            return text;
    }
    return CString();
}

BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, LPCSTR lpszItem)
{
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = hItem;
    item.pszText = const_cast<LPSTR>(lpszItem);
    return SetItem(&item);
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const
{
    TVITEMA item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    return GetItem(&item) ? DWORD_PTR(item.lParam) : 0;
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData)
{
    TVITEMA item = {};
    item.mask = TVIF_PARAM;
    item.hItem = hItem;
    item.lParam = LPARAM(dwData);
    return SetItem(&item);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask)
{
    TVITEMA item = {};
    item.mask = TVIF_STATE;
    item.hItem = hItem;
    item.state = nState;
    item.stateMask = nStateMask;
    return SetItem(&item);
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const
{
    TVITEMA item = {};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = hItem;
    if (!GetItem(&item))
        return FALSE;
    nImage = item.iImage;
    nSelectedImage = item.iSelectedImage;
    return TRUE;
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM hItem, RECT* pRect, BOOL bTextOnly) const
{
    // TVM_GETITEMRECT takes the item handle in the rectangle it fills.
    *reinterpret_cast<HTREEITEM*>(pRect) = hItem;
    return BOOL(Send(TVM_GETITEMRECT, WPARAM(bTextOnly), LPARAM(pRect)));
}

HTREEITEM CTreeCtrl::HitTest(POINT pt, UINT* pFlags) const
{
    TVHITTESTINFO hit = {};
    hit.pt = pt;
    HTREEITEM item = HTREEITEM(Send(TVM_HITTEST, 0, LPARAM(&hit)));
    if (pFlags)
        *pFlags = hit.flags;
    return item;
}

HIMAGELIST CTreeCtrl::SetImageList(CImageList* pImageList, int nImageList)
{
    return SetImageList(pImageList ? pImageList->GetSafeHandle() : HIMAGELIST(NULL), nImageList);
}
