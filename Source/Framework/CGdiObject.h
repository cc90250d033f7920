// GDI object wrappers: CGdiObject and its kinds CPen, CBrush, CFont, CBitmap, CRgn.
//
// Usage: each object owns one GDI handle and deletes it in its destructor (DeleteObject); it
// cannot be copied. Create it empty and call a Create* member, which returns FALSE (with the
// system's last error) when the call fails and leaves the object empty. Attach() takes over a
// handle you made, Detach() gives it back without deleting it.
//   CBrush brush;  if (brush.CreateSolidBrush(RGB(255, 0, 0))) dc.FillRect(&rc, &brush);
// FromHandle(h) wraps a handle nobody in C++ owns in a temporary object that never deletes it
// (see TempObjectMap.h for its lifetime); CDC::SelectObject returns such wrappers for the old
// object. A handle passes implicitly wherever the API wants HBRUSH/HFONT/... (operator HBRUSH).
#pragma once

#include <windows.h>

#include "Framework/CRect.h"

class CDC;

class CGdiObject
{
public:
    CGdiObject() noexcept : m_hObject(NULL) {}
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const noexcept { return m_hObject; }
    BOOL Attach(HGDIOBJ h) noexcept;           // FALSE when already holding one or h is NULL
    HGDIOBJ Detach() noexcept;
    BOOL DeleteObject() noexcept;              // FALSE when empty or the call fails
    int GetObject(int nCount, void* pBuffer) const noexcept
    {
        return m_hObject ? ::GetObjectA(m_hObject, nCount, pBuffer) : 0;
    }
    static CGdiObject* FromHandle(HGDIOBJ h);
    // Called when a temporary wrapper is discarded: forget the handle, delete nothing.
    void DetachTemporary() noexcept { m_hObject = NULL; }

    HGDIOBJ m_hObject;
};

class CPen : public CGdiObject
{
public:
    CPen() noexcept {}
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF color) noexcept
    {
        return Attach(::CreatePen(nPenStyle, nWidth, color));
    }
    operator HPEN() const noexcept { return HPEN(m_hObject); }
    static CPen* FromHandle(HPEN h);
};

class CBrush : public CGdiObject
{
public:
    CBrush() noexcept {}
    BOOL CreateSolidBrush(COLORREF color) noexcept { return Attach(::CreateSolidBrush(color)); }
    BOOL CreatePatternBrush(HBITMAP bitmap) noexcept { return Attach(::CreatePatternBrush(bitmap)); }
    operator HBRUSH() const noexcept { return HBRUSH(m_hObject); }
    static CBrush* FromHandle(HBRUSH h);
};

class CFont : public CGdiObject
{
public:
    CFont() noexcept {}
    BOOL CreateFontIndirect(const LOGFONTA* lf) noexcept { return Attach(::CreateFontIndirectA(lf)); }
    // Height in logical units (negative = character height), weight FW_*, the face name.
    BOOL CreateFont(int nHeight, int nWeight, const char* pszFace, BOOL bItalic = FALSE,
                    BOOL bUnderline = FALSE) noexcept;
    BOOL GetLogFont(LOGFONTA* lf) const noexcept
    {
        return GetObject(sizeof(LOGFONTA), lf) == int(sizeof(LOGFONTA));
    }
    operator HFONT() const noexcept { return HFONT(m_hObject); }
    static CFont* FromHandle(HFONT h);
};

class CBitmap : public CGdiObject
{
public:
    CBitmap() noexcept {}
    // A bitmap of the DC's format (a DC with its default 1x1 monochrome bitmap gives monochrome).
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) noexcept;
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitsPerPixel,
                      const void* pBits) noexcept
    {
        return Attach(::CreateBitmap(nWidth, nHeight, nPlanes, nBitsPerPixel, pBits));
    }
    // A top-down 32-bit DIB section (pixels 0x00RRGGBB, row after row, no padding); *ppBits
    // receives the pixel memory (NULL on failure).
    BOOL CreateDIBSection32(int nWidth, int nHeight, DWORD** ppBits) noexcept;
    // BITMAP resource nID of the program's own module (or of hInstance).
    BOOL LoadBitmap(UINT nID, HINSTANCE hInstance = NULL) noexcept;
    int GetBitmap(BITMAP* pBitmap) const noexcept { return GetObject(sizeof(BITMAP), pBitmap); }
    CSize GetSize() const noexcept;   // (0, 0) when empty
    operator HBITMAP() const noexcept { return HBITMAP(m_hObject); }
    static CBitmap* FromHandle(HBITMAP h);
};

class CRgn : public CGdiObject
{
public:
    CRgn() noexcept {}
    BOOL CreateRectRgn(int l, int t, int r, int b) noexcept { return Attach(::CreateRectRgn(l, t, r, b)); }
    BOOL CreateRectRgnIndirect(const RECT* rc) noexcept { return Attach(::CreateRectRgnIndirect(rc)); }
    BOOL CreateEllipticRgn(int l, int t, int r, int b) noexcept
    {
        return Attach(::CreateEllipticRgn(l, t, r, b));
    }
    BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) noexcept
    {
        return Attach(::CreateRoundRectRgn(l, t, r, b, w, h));
    }
    // This region := a combined with b by mode (RGN_AND, RGN_OR, ...); the region must exist
    // (create an empty one first). Returns the region type, ERROR (0) on failure.
    int CombineRgn(const CRgn* a, const CRgn* b, int nMode) noexcept
    {
        return ::CombineRgn(HRGN(m_hObject), HRGN(a->m_hObject), b ? HRGN(b->m_hObject) : NULL, nMode);
    }
    int OffsetRgn(int dx, int dy) noexcept { return ::OffsetRgn(HRGN(m_hObject), dx, dy); }
    BOOL PtInRegion(int x, int y) const noexcept { return ::PtInRegion(HRGN(m_hObject), x, y); }
    int GetRgnBox(RECT* rc) const noexcept { return ::GetRgnBox(HRGN(m_hObject), rc); }
    operator HRGN() const noexcept { return HRGN(m_hObject); }
    static CRgn* FromHandle(HRGN h);
};

// Deletes the temporary GDI and DC wrappers of this thread whose handles no longer exist.
void PurgeTemporaryGdiObjects();
