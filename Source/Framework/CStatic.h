// CStatic: a static text, frame or picture control ("STATIC" class).
#pragma once

#include "Framework/CWnd.h"

class CStatic : public CWnd
{
public:
    CStatic() noexcept {}

    BOOL Create(const char* pszText, DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID = 0xFFFF)
    {
        return CreateEx(0, "STATIC", pszText, dwStyle | WS_CHILD, rect, pParent, nID);
    }
    HBITMAP SetBitmap(HBITMAP hBitmap) { return HBITMAP(SendMessage(STM_SETIMAGE, IMAGE_BITMAP, LPARAM(hBitmap))); }
    HBITMAP GetBitmap() const { return HBITMAP(SendMessage(STM_GETIMAGE, IMAGE_BITMAP)); }
    HICON SetIcon(HICON hIcon) { return HICON(SendMessage(STM_SETICON, WPARAM(hIcon))); }
};
