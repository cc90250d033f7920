// CButton: a push button, check box or radio button ("BUTTON" class).
//
// Usage: bind with DDX_Control or create with Create(). Owner-drawn buttons (BS_OWNERDRAW):
// derive and override DrawItem; the parent's WM_DRAWITEM is reflected to it.
#pragma once

#include "Framework/CWnd.h"

class CButton : public CWnd
{
public:
    CButton() noexcept {}

    BOOL Create(const char* pszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID)
    {
        return CreateEx(0, "BUTTON", pszCaption, dwStyle | WS_CHILD, rect, pParent, nID);
    }
    UINT GetState() const { return UINT(SendMessage(BM_GETSTATE)); }
    void SetState(BOOL bHighlight) { SendMessage(BM_SETSTATE, bHighlight); }
    int GetCheck() const { return int(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) { SendMessage(BM_SETCHECK, WPARAM(nCheck)); }
    UINT GetButtonStyle() const { return UINT(GetStyle() & 0xFF); }
    void SetButtonStyle(UINT nStyle, BOOL bRedraw = TRUE) { SendMessage(BM_SETSTYLE, nStyle, bRedraw); }
    HBITMAP SetBitmap(HBITMAP hBitmap) { return HBITMAP(SendMessage(BM_SETIMAGE, IMAGE_BITMAP, LPARAM(hBitmap))); }
    HICON SetIcon(HICON hIcon) { return HICON(SendMessage(BM_SETIMAGE, IMAGE_ICON, LPARAM(hIcon))); }

    // Paints an owner-drawn button (reached through the reflected WM_DRAWITEM).
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}

    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        if (message == WM_DRAWITEM) {
            DrawItem(LPDRAWITEMSTRUCT(lParam));
            if (pResult)
                *pResult = TRUE;
            return TRUE;
        }
        return CWnd::OnChildNotify(message, wParam, lParam, pResult);
    }
};
