// CPoint, CSize and CRect: value types over POINT, SIZE and RECT.
//
// Usage: they derive from the Win32 structs, so a CRect* or CPoint* can be passed wherever the API
// takes a RECT* / POINT* (GetClientRect(&rc), ScreenToClient(&pt)). All operations are inline and
// never fail; a rectangle is "empty" when it has no area (right <= left or bottom <= top).
//   CRect rc(0, 0, 100, 40);  rc.DeflateRect(1, 1);  rc.Width() == 98;  rc.PtInRect(CPoint(5, 5))
#pragma once

#include <windows.h>

class CSize : public SIZE
{
public:
    CSize() noexcept { cx = 0; cy = 0; }
    CSize(int x, int y) noexcept { cx = x; cy = y; }
    CSize(SIZE s) noexcept { cx = s.cx; cy = s.cy; }
    bool operator==(SIZE s) const noexcept { return cx == s.cx && cy == s.cy; }
    bool operator!=(SIZE s) const noexcept { return !(*this == s); }
    CSize operator+(SIZE s) const noexcept { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const noexcept { return CSize(cx - s.cx, cy - s.cy); }
};

class CPoint : public POINT
{
public:
    CPoint() noexcept { x = 0; y = 0; }
    CPoint(int initX, int initY) noexcept { x = initX; y = initY; }
    CPoint(POINT p) noexcept { x = p.x; y = p.y; }
    // From a mouse message's lParam (signed 16-bit coordinates).
    explicit CPoint(LPARAM lParam) noexcept
    {
        x = short(LOWORD(DWORD(lParam)));
        y = short(HIWORD(DWORD(lParam)));
    }
    void Offset(int dx, int dy) noexcept { x += dx; y += dy; }
    bool operator==(POINT p) const noexcept { return x == p.x && y == p.y; }
    bool operator!=(POINT p) const noexcept { return !(*this == p); }
    CPoint operator+(SIZE s) const noexcept { return CPoint(x + s.cx, y + s.cy); }
    CPoint operator-(SIZE s) const noexcept { return CPoint(x - s.cx, y - s.cy); }
    CSize operator-(POINT p) const noexcept { return CSize(x - p.x, y - p.y); }
};

class CRect : public RECT
{
public:
    CRect() noexcept { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) noexcept { left = l; top = t; right = r; bottom = b; }
    CRect(const RECT& rc) noexcept { left = rc.left; top = rc.top; right = rc.right; bottom = rc.bottom; }
    CRect(const RECT* prc) noexcept { *this = prc ? CRect(*prc) : CRect(); }
    CRect(POINT topLeft, SIZE size) noexcept
    {
        left = topLeft.x; top = topLeft.y; right = left + size.cx; bottom = top + size.cy;
    }
    CRect& operator=(const RECT& rc) noexcept
    {
        left = rc.left; top = rc.top; right = rc.right; bottom = rc.bottom;
        return *this;
    }

    operator RECT*() noexcept { return this; }
    operator const RECT*() const noexcept { return this; }

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    CSize Size() const noexcept { return CSize(Width(), Height()); }
    CPoint TopLeft() const noexcept { return CPoint(left, top); }
    CPoint BottomRight() const noexcept { return CPoint(right, bottom); }
    CPoint CenterPoint() const noexcept { return CPoint((left + right) / 2, (top + bottom) / 2); }
    bool IsRectEmpty() const noexcept { return right <= left || bottom <= top; }
    bool IsRectNull() const noexcept { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool PtInRect(POINT p) const noexcept
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }

    void SetRect(int l, int t, int r, int b) noexcept { left = l; top = t; right = r; bottom = b; }
    void SetRectEmpty() noexcept { left = top = right = bottom = 0; }
    void InflateRect(int dx, int dy) noexcept { left -= dx; top -= dy; right += dx; bottom += dy; }
    void InflateRect(int l, int t, int r, int b) noexcept { left -= l; top -= t; right += r; bottom += b; }
    void DeflateRect(int dx, int dy) noexcept { InflateRect(-dx, -dy); }
    void DeflateRect(int l, int t, int r, int b) noexcept { InflateRect(-l, -t, -r, -b); }
    void OffsetRect(int dx, int dy) noexcept { left += dx; right += dx; top += dy; bottom += dy; }
    void OffsetRect(POINT p) noexcept { OffsetRect(p.x, p.y); }
    void MoveToXY(int x, int y) noexcept { OffsetRect(x - left, y - top); }
    void NormalizeRect() noexcept
    {
        if (left > right) { LONG t = left; left = right; right = t; }
        if (top > bottom) { LONG t = top; top = bottom; bottom = t; }
    }
    // As the Win32 calls: the result is empty (all zero) when there is no overlap.
    BOOL IntersectRect(const RECT* a, const RECT* b) noexcept { return ::IntersectRect(this, a, b); }
    BOOL UnionRect(const RECT* a, const RECT* b) noexcept { return ::UnionRect(this, a, b); }

    bool operator==(const RECT& rc) const noexcept
    {
        return left == rc.left && top == rc.top && right == rc.right && bottom == rc.bottom;
    }
    bool operator!=(const RECT& rc) const noexcept { return !(*this == rc); }
};
