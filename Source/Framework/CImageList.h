// CImageList: an image list (ImageList_*), owned and destroyed with the object.
//
// Usage: Create(cx, cy, ILC_COLOR32 | ILC_MASK, initial, grow), then Add bitmaps (with a mask
// colour) or icons; hand GetSafeHandle() to a control (TVM_SETIMAGELIST...). A control does not
// take ownership, so the CImageList must outlive the control's use of it.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CBitmap;
class CDC;

class CImageList
{
public:
    CImageList() noexcept : m_hImageList(NULL) {}
    virtual ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    HIMAGELIST m_hImageList;
    operator HIMAGELIST() const noexcept { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const noexcept { return m_hImageList; }
    BOOL Attach(HIMAGELIST h) noexcept;
    HIMAGELIST Detach() noexcept;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) noexcept;
    // Bitmap resource nID cut into cells of width cx; crMask is the transparent colour.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) noexcept;
    BOOL DeleteImageList() noexcept;

    int Add(CBitmap* pBitmap, COLORREF crMask);          // index of the first image, -1 on failure
    int Add(CBitmap* pBitmap, CBitmap* pMask);
    int Add(HICON hIcon) noexcept { return ImageList_AddIcon(m_hImageList, hIcon); }
    BOOL Remove(int nImage) noexcept { return ImageList_Remove(m_hImageList, nImage); }
    int GetImageCount() const noexcept { return ImageList_GetImageCount(m_hImageList); }
    COLORREF SetBkColor(COLORREF cr) noexcept { return ImageList_SetBkColor(m_hImageList, cr); }
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle);
};
