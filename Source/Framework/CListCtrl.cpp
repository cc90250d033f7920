// CListCtrl: the common list view control (see CListCtrl.h).
#include "Framework/CListCtrl.h"

#include "Framework/CImageList.h"

BOOL CListCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    return CWnd::Create(WC_LISTVIEWA, NULL, dwStyle, rect, pParentWnd, nID);
}

int CListCtrl::InsertColumn(int nCol, LPCSTR lpszHeading, int nFormat, int nWidth)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_FMT | (nWidth >= 0 ? LVCF_WIDTH : 0);
    column.fmt = nFormat;
    column.cx = nWidth;
    column.pszText = const_cast<LPSTR>(lpszHeading);
    return int(Send(LVM_INSERTCOLUMNA, WPARAM(nCol), LPARAM(&column)));
}

int CListCtrl::InsertItem(int nItem, LPCSTR lpszItem, int nImage)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | (nImage >= 0 ? LVIF_IMAGE : 0);
    item.iItem = nItem;
    item.pszText = const_cast<LPSTR>(lpszItem);
    item.iImage = nImage;
    return InsertItem(&item);
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    // LVM_GETITEMTEXT returns the length copied; a full buffer may mean a cut text, so grow.
    for (int size = 256; size <= 65536; size *= 4) {
        CString text;
        char* buffer = text.GetBuffer(size);
        if (!buffer)
            return CString();
        LVITEMA item = {};
        item.iSubItem = nSubItem;
        item.pszText = buffer;
        item.cchTextMax = size;
        int length = int(Send(LVM_GETITEMTEXTA, WPARAM(nItem), LPARAM(&item)));
        text.ReleaseBuffer(length >= 0 && length < size ? length : -1);
        if (length < size - 1)
            return text;
    }
    return CString();
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCSTR lpszText)
{
    LVITEMA item = {};
    item.iSubItem = nSubItem;
    item.pszText = const_cast<LPSTR>(lpszText);
    return BOOL(Send(LVM_SETITEMTEXTA, WPARAM(nItem), LPARAM(&item)));
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    return GetItem(&item) ? DWORD_PTR(item.lParam) : 0;
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = nItem;
    item.lParam = LPARAM(dwData);
    return SetItem(&item);
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMA item = {};
    item.state = nState;
    item.stateMask = nMask;
    return BOOL(Send(LVM_SETITEMSTATE, WPARAM(nItem), LPARAM(&item)));
}

HIMAGELIST CListCtrl::SetImageList(CImageList* pImageList, int nImageList)
{
    return SetImageList(pImageList ? pImageList->GetSafeHandle() : HIMAGELIST(NULL), nImageList);
}
