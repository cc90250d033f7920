// Device contexts: CDC, CPaintDC, CClientDC, CWindowDC.
#include "Framework/CDC.h"

#include "Framework/CWnd.h"
#include "Framework/PerThread.h"
#include "Framework/TempObjectMap.h"

namespace {

TempObjectMap<HDC, CDC>& TempDCs()
{
    return PerThread<TempObjectMap<HDC, CDC>>();
}

}  // namespace

CDC::~CDC()
{
    if (m_bWindowDC)
        ReleaseWindowDC();
    else
        DeleteDC();
}

BOOL CDC::Attach(HDC hDC) noexcept
{
    if (!hDC || m_hDC)
        return FALSE;
    m_hDC = m_hAttribDC = hDC;
    return TRUE;
}

HDC CDC::Detach() noexcept
{
    HDC h = m_hDC;
    m_hDC = m_hAttribDC = NULL;
    return h;
}

BOOL CDC::DeleteDC() noexcept
{
    if (!m_hDC)
        return FALSE;
    BOOL ok = ::DeleteDC(m_hDC);
    m_hDC = m_hAttribDC = NULL;
    return ok;
}

void CDC::ReleaseWindowDC() noexcept
{
    if (m_hDC)
        ::ReleaseDC(m_hWndOwner, m_hDC);
    m_hDC = m_hAttribDC = NULL;
    m_hWndOwner = NULL;
    m_bWindowDC = false;
}

CDC* CDC::FromHandle(HDC hDC)
{
    if (!hDC)
        return nullptr;
    return TempDCs().Get(hDC, [](HDC h) {
        CDC* dc = new CDC;
        dc->m_hDC = dc->m_hAttribDC = h;
        return dc;
    });
}

void PurgeTemporaryDCs()
{
    TempDCs().PurgeDead([](HDC h) { return ::GetObjectType(h) != 0; });
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) noexcept
{
    return Attach(::CreateCompatibleDC(pDC ? pDC->m_hDC : NULL));
}

CPen* CDC::SelectObject(CPen* pPen) noexcept
{
    return CPen::FromHandle(HPEN(::SelectObject(m_hDC, pPen ? pPen->m_hObject : NULL)));
}

CBrush* CDC::SelectObject(CBrush* pBrush) noexcept
{
    return CBrush::FromHandle(HBRUSH(::SelectObject(m_hDC, pBrush ? pBrush->m_hObject : NULL)));
}

CFont* CDC::SelectObject(CFont* pFont) noexcept
{
    return CFont::FromHandle(HFONT(::SelectObject(m_hDC, pFont ? pFont->m_hObject : NULL)));
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) noexcept
{
    return CBitmap::FromHandle(HBITMAP(::SelectObject(m_hDC, pBitmap ? pBitmap->m_hObject : NULL)));
}

CGdiObject* CDC::SelectStockObject(int nIndex) noexcept
{
    return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(nIndex)));
}

CPoint CDC::SetWindowOrg(int x, int y) noexcept
{
    POINT old = {};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return CPoint(old);
}

CPoint CDC::GetWindowOrg() const noexcept
{
    POINT p = {};
    ::GetWindowOrgEx(m_hDC, &p);
    return CPoint(p);
}

CPoint CDC::SetViewportOrg(int x, int y) noexcept
{
    POINT old = {};
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return CPoint(old);
}

CPoint CDC::GetViewportOrg() const noexcept
{
    POINT p = {};
    ::GetViewportOrgEx(m_hDC, &p);
    return CPoint(p);
}

void CDC::FillSolidRect(const RECT* rc, COLORREF color) noexcept
{
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, rc, NULL, 0, NULL);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int w, int h, COLORREF color) noexcept
{
    CRect rc(x, y, x + w, y + h);
    FillSolidRect(&rc, color);
}

CPoint CDC::MoveTo(int x, int y) noexcept
{
    POINT old = {};
    ::MoveToEx(m_hDC, x, y, &old);
    return CPoint(old);
}

CSize CDC::GetTextExtent(const char* psz, int nCount) const noexcept
{
    SIZE s = {};
    ::GetTextExtentPoint32A(m_hAttribDC, psz, nCount, &s);
    return CSize(s);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps(), m_hWnd(pWnd ? pWnd->m_hWnd : NULL)
{
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC()
{
    if (m_hDC)
        ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* pWnd)
{
    HWND h = pWnd ? pWnd->m_hWnd : NULL;
    if (Attach(::GetDC(h))) {
        m_hWndOwner = h;
        m_bWindowDC = true;
    }
}

CWindowDC::CWindowDC(CWnd* pWnd)
{
    HWND h = pWnd ? pWnd->m_hWnd : NULL;
    if (Attach(::GetWindowDC(h))) {
        m_hWndOwner = h;
        m_bWindowDC = true;
    }
}
