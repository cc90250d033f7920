// CImageList: creation, adding images, drawing.
#include "Framework/CImageList.h"

#include "Framework/CDC.h"
#include "Framework/CGdiObject.h"

BOOL CImageList::Attach(HIMAGELIST h) noexcept
{
    if (!h || m_hImageList)
        return FALSE;
    m_hImageList = h;
    return TRUE;
}

HIMAGELIST CImageList::Detach() noexcept
{
    HIMAGELIST h = m_hImageList;
    m_hImageList = NULL;
    return h;
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) noexcept
{
    return Attach(ImageList_Create(cx, cy, nFlags, nInitial, nGrow));
}

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask) noexcept
{
    return Attach(ImageList_LoadImageA(::GetModuleHandleA(NULL), MAKEINTRESOURCEA(nBitmapID), cx,
                                       nGrow, crMask, IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

BOOL CImageList::DeleteImageList() noexcept
{
    if (!m_hImageList)
        return FALSE;
    BOOL ok = ImageList_Destroy(m_hImageList);
    m_hImageList = NULL;
    return ok;
}

int CImageList::Add(CBitmap* pBitmap, COLORREF crMask)
{
    return ImageList_AddMasked(m_hImageList, pBitmap ? HBITMAP(pBitmap->m_hObject) : NULL, crMask);
}

int CImageList::Add(CBitmap* pBitmap, CBitmap* pMask)
{
    return ImageList_Add(m_hImageList, pBitmap ? HBITMAP(pBitmap->m_hObject) : NULL,
                         pMask ? HBITMAP(pMask->m_hObject) : NULL);
}

BOOL CImageList::Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle)
{
    return ImageList_Draw(m_hImageList, nImage, pDC ? pDC->m_hDC : NULL, pt.x, pt.y, nStyle);
}
