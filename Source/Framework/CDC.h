// Device contexts: CDC and the window DCs CPaintDC, CClientDC and CWindowDC.
//
// Usage:
//   - CDC owns a DC it created (CreateCompatibleDC) and deletes it in its destructor; Attach()
//     takes over an HDC to delete later, Detach() hands it back. CDC::FromHandle(hdc) wraps a DC
//     someone else owns (e.g. DRAWITEMSTRUCT::hDC) in a temporary that never deletes it.
//   - CPaintDC dc(this) in an OnPaint handler: BeginPaint in the constructor, EndPaint in the
//     destructor. CClientDC / CWindowDC: GetDC / GetWindowDC, released in the destructor.
//   - SelectObject(&bitmap) returns the previously selected object as a temporary wrapper;
//     select it back before the selected object is destroyed:
//       CDC mem; mem.CreateCompatibleDC(&dc); CBitmap* old = mem.SelectObject(&bmp); ...
//       mem.SelectObject(old);
//   - The class is meant to be derived (virtual destructor), as MemDC of the skin does.
// Members return what the Win32 call returns; nothing throws.
#pragma once

#include <windows.h>

#include "Framework/CGdiObject.h"
#include "Framework/CRect.h"
#include "Framework/CString.h"

class CWnd;

class CDC
{
public:
    CDC() noexcept : m_hDC(NULL), m_hAttribDC(NULL) {}
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const noexcept { return m_hDC; }
    operator HDC() const noexcept { return m_hDC; }
    BOOL Attach(HDC hDC) noexcept;             // FALSE when already holding one or hDC is NULL
    HDC Detach() noexcept;
    BOOL DeleteDC() noexcept;                  // deletes an owned (created/attached) DC
    static CDC* FromHandle(HDC hDC);
    void DetachTemporary() noexcept { m_hDC = m_hAttribDC = NULL; }

    BOOL CreateCompatibleDC(CDC* pDC) noexcept;   // pDC NULL = compatible with the screen
    BOOL IsPrinting() const noexcept { return FALSE; }
    int GetDeviceCaps(int nIndex) const noexcept { return ::GetDeviceCaps(m_hAttribDC, nIndex); }

    // --- objects ------------------------------------------------------------------------------
    CPen* SelectObject(CPen* pPen) noexcept;
    CBrush* SelectObject(CBrush* pBrush) noexcept;
    CFont* SelectObject(CFont* pFont) noexcept;
    CBitmap* SelectObject(CBitmap* pBitmap) noexcept;
    HGDIOBJ SelectObject(HGDIOBJ hObject) noexcept { return ::SelectObject(m_hDC, hObject); }
    CGdiObject* SelectStockObject(int nIndex) noexcept;
    HGDIOBJ GetCurrentObject(UINT nObjectType) const noexcept
    {
        return ::GetCurrentObject(m_hDC, nObjectType);
    }
    HPALETTE GetCurrentPalette() const noexcept { return HPALETTE(GetCurrentObject(OBJ_PAL)); }
    HBITMAP GetCurrentBitmap() const noexcept { return HBITMAP(GetCurrentObject(OBJ_BITMAP)); }

    // --- coordinates --------------------------------------------------------------------------
    CPoint SetWindowOrg(int x, int y) noexcept;
    CPoint GetWindowOrg() const noexcept;
    CPoint SetViewportOrg(int x, int y) noexcept;
    CPoint GetViewportOrg() const noexcept;
    int GetClipBox(RECT* rc) const noexcept { return ::GetClipBox(m_hDC, rc); }
    int SelectClipRgn(CRgn* pRgn) noexcept
    {
        return ::SelectClipRgn(m_hDC, pRgn ? HRGN(pRgn->m_hObject) : NULL);
    }
    int IntersectClipRect(int l, int t, int r, int b) noexcept
    {
        return ::IntersectClipRect(m_hDC, l, t, r, b);
    }
    int ExcludeClipRect(int l, int t, int r, int b) noexcept
    {
        return ::ExcludeClipRect(m_hDC, l, t, r, b);
    }
    int SaveDC() noexcept { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int nSavedDC) noexcept { return ::RestoreDC(m_hDC, nSavedDC); }

    // --- drawing ------------------------------------------------------------------------------
    BOOL BitBlt(int x, int y, int w, int h, CDC* pSrc, int xSrc, int ySrc, DWORD rop) noexcept
    {
        return ::BitBlt(m_hDC, x, y, w, h, pSrc ? pSrc->m_hDC : NULL, xSrc, ySrc, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, CDC* pSrc, int xSrc, int ySrc, int wSrc, int hSrc,
                    DWORD rop) noexcept
    {
        return ::StretchBlt(m_hDC, x, y, w, h, pSrc ? pSrc->m_hDC : NULL, xSrc, ySrc, wSrc, hSrc, rop);
    }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) noexcept { return ::PatBlt(m_hDC, x, y, w, h, rop); }
    int FillRect(const RECT* rc, CBrush* pBrush) noexcept
    {
        return ::FillRect(m_hDC, rc, pBrush ? HBRUSH(pBrush->m_hObject) : NULL);
    }
    int FillRect(const RECT* rc, HBRUSH hBrush) noexcept { return ::FillRect(m_hDC, rc, hBrush); }
    void FillSolidRect(const RECT* rc, COLORREF color) noexcept;
    void FillSolidRect(int x, int y, int w, int h, COLORREF color) noexcept;
    int FrameRect(const RECT* rc, CBrush* pBrush) noexcept
    {
        return ::FrameRect(m_hDC, rc, HBRUSH(pBrush->m_hObject));
    }
    BOOL Rectangle(int l, int t, int r, int b) noexcept { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Ellipse(int l, int t, int r, int b) noexcept { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL RoundRect(int l, int t, int r, int b, int w, int h) noexcept
    {
        return ::RoundRect(m_hDC, l, t, r, b, w, h);
    }
    CPoint MoveTo(int x, int y) noexcept;
    BOOL LineTo(int x, int y) noexcept { return ::LineTo(m_hDC, x, y); }
    COLORREF SetPixel(int x, int y, COLORREF color) noexcept { return ::SetPixel(m_hDC, x, y, color); }
    COLORREF GetPixel(int x, int y) const noexcept { return ::GetPixel(m_hDC, x, y); }
    BOOL DrawEdge(RECT* rc, UINT nEdge, UINT nFlags) noexcept { return ::DrawEdge(m_hDC, rc, nEdge, nFlags); }
    BOOL DrawFrameControl(RECT* rc, UINT nType, UINT nState) noexcept
    {
        return ::DrawFrameControl(m_hDC, rc, nType, nState);
    }
    BOOL DrawIcon(int x, int y, HICON hIcon) noexcept { return ::DrawIcon(m_hDC, x, y, hIcon); }

    // --- text ---------------------------------------------------------------------------------
    COLORREF SetTextColor(COLORREF color) noexcept { return ::SetTextColor(m_hDC, color); }
    COLORREF GetTextColor() const noexcept { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF color) noexcept { return ::SetBkColor(m_hDC, color); }
    COLORREF GetBkColor() const noexcept { return ::GetBkColor(m_hDC); }
    int SetBkMode(int nMode) noexcept { return ::SetBkMode(m_hDC, nMode); }
    int GetBkMode() const noexcept { return ::GetBkMode(m_hDC); }
    UINT SetTextAlign(UINT nFlags) noexcept { return ::SetTextAlign(m_hDC, nFlags); }
    int DrawText(const char* psz, int nCount, RECT* rc, UINT nFormat) noexcept
    {
        return ::DrawTextA(m_hDC, psz, nCount, rc, nFormat);
    }
    int DrawText(const CString& str, RECT* rc, UINT nFormat) noexcept
    {
        return DrawText(str.GetString(), str.GetLength(), rc, nFormat);
    }
    BOOL TextOut(int x, int y, const char* psz, int nCount) noexcept
    {
        return ::TextOutA(m_hDC, x, y, psz, nCount);
    }
    BOOL TextOut(int x, int y, const CString& str) noexcept
    {
        return TextOut(x, y, str.GetString(), str.GetLength());
    }
    CSize GetTextExtent(const char* psz, int nCount) const noexcept;
    CSize GetTextExtent(const CString& str) const noexcept
    {
        return GetTextExtent(str.GetString(), str.GetLength());
    }
    BOOL GetTextMetrics(TEXTMETRICA* tm) const noexcept { return ::GetTextMetricsA(m_hAttribDC, tm); }
    int GetTextFace(int nCount, char* pszFace) const noexcept
    {
        return ::GetTextFaceA(m_hAttribDC, nCount, pszFace);
    }

    HDC m_hDC;          // the output DC
    HDC m_hAttribDC;    // the DC queried for attributes (the same DC here)

protected:
    // Window DCs keep the window and release with ReleaseDC instead of DeleteDC.
    void ReleaseWindowDC() noexcept;
    bool m_bWindowDC = false;   // got with GetDC/GetWindowDC: ReleaseDC, not DeleteDC
    HWND m_hWndOwner = NULL;    // the window it came from (NULL = the screen)
};

class CPaintDC : public CDC
{
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps;

private:
    HWND m_hWnd;
};

class CClientDC : public CDC
{
public:
    explicit CClientDC(CWnd* pWnd);   // NULL = the screen
    ~CClientDC() override { ReleaseWindowDC(); }
};

class CWindowDC : public CDC
{
public:
    explicit CWindowDC(CWnd* pWnd);   // NULL = the whole screen
    ~CWindowDC() override { ReleaseWindowDC(); }
};

// Deletes this thread's temporary CDC wrappers whose DCs no longer exist (PurgeTemporaryGdiObjects
// calls it too).
void PurgeTemporaryDCs();
