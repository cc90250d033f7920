// GDI object wrappers: creation helpers and the per-thread temporary wrappers of FromHandle.
#include "Framework/CGdiObject.h"

#include <string.h>

#include "Framework/CDC.h"
#include "Framework/PerThread.h"
#include "Framework/TempObjectMap.h"

namespace {

template <class T>
TempObjectMap<HGDIOBJ, T>& TempMap()
{
    return PerThread<TempObjectMap<HGDIOBJ, T>>();
}

template <class T>
T* TempWrapper(HGDIOBJ h)
{
    if (!h)
        return nullptr;
    return TempMap<T>().Get(h, [](HGDIOBJ handle) {
        T* w = new T;
        w->m_hObject = handle;
        return w;
    });
}

bool GdiObjectAlive(HGDIOBJ h) { return ::GetObjectType(h) != 0; }

}  // namespace

BOOL CGdiObject::Attach(HGDIOBJ h) noexcept
{
    if (!h || m_hObject)
        return FALSE;
    m_hObject = h;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() noexcept
{
    HGDIOBJ h = m_hObject;
    m_hObject = NULL;
    return h;
}

BOOL CGdiObject::DeleteObject() noexcept
{
    if (!m_hObject)
        return FALSE;
    BOOL ok = ::DeleteObject(m_hObject);
    m_hObject = NULL;
    return ok;
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ h) { return TempWrapper<CGdiObject>(h); }
CPen* CPen::FromHandle(HPEN h) { return TempWrapper<CPen>(h); }
CBrush* CBrush::FromHandle(HBRUSH h) { return TempWrapper<CBrush>(h); }
CFont* CFont::FromHandle(HFONT h) { return TempWrapper<CFont>(h); }
CBitmap* CBitmap::FromHandle(HBITMAP h) { return TempWrapper<CBitmap>(h); }
CRgn* CRgn::FromHandle(HRGN h) { return TempWrapper<CRgn>(h); }

BOOL CFont::CreateFont(int nHeight, int nWeight, const char* pszFace, BOOL bItalic,
                       BOOL bUnderline) noexcept
{
    LOGFONTA lf = {};
    lf.lfHeight = nHeight;
    lf.lfWeight = nWeight;
    lf.lfItalic = BYTE(bItalic ? 1 : 0);
    lf.lfUnderline = BYTE(bUnderline ? 1 : 0);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    if (pszFace)
        lstrcpynA(lf.lfFaceName, pszFace, LF_FACESIZE);
    return CreateFontIndirect(&lf);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) noexcept
{
    HDC hdc = pDC ? pDC->m_hDC : NULL;
    HDC screen = NULL;
    if (!hdc)
        hdc = screen = ::GetDC(NULL);
    BOOL ok = Attach(::CreateCompatibleBitmap(hdc, nWidth, nHeight));
    if (screen)
        ::ReleaseDC(NULL, screen);
    return ok;
}

BOOL CBitmap::CreateDIBSection32(int nWidth, int nHeight, DWORD** ppBits) noexcept
{
    if (ppBits)
        *ppBits = NULL;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = nWidth;
    bi.bmiHeader.biHeight = -nHeight;   // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    HBITMAP h = ::CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!Attach(h)) {
        if (h)
            ::DeleteObject(h);
        return FALSE;
    }
    if (ppBits)
        *ppBits = static_cast<DWORD*>(bits);
    return TRUE;
}

BOOL CBitmap::LoadBitmap(UINT nID, HINSTANCE hInstance) noexcept
{
    if (!hInstance)
        hInstance = ::GetModuleHandleA(NULL);
    return Attach(::LoadBitmapA(hInstance, MAKEINTRESOURCEA(nID)));
}

CSize CBitmap::GetSize() const noexcept
{
    BITMAP bm = {};
    if (!GetBitmap(&bm))
        return CSize();
    return CSize(bm.bmWidth, bm.bmHeight);
}

void PurgeTemporaryGdiObjects()
{
    TempMap<CGdiObject>().PurgeDead(GdiObjectAlive);
    TempMap<CPen>().PurgeDead(GdiObjectAlive);
    TempMap<CBrush>().PurgeDead(GdiObjectAlive);
    TempMap<CFont>().PurgeDead(GdiObjectAlive);
    TempMap<CBitmap>().PurgeDead(GdiObjectAlive);
    TempMap<CRgn>().PurgeDead(GdiObjectAlive);
    PurgeTemporaryDCs();
}
