// Helpers of the HTML label and tree tests: a visible host window that records the tree's
// registered messages, pixel capture of a window's client area, text widths, a message pump with
// the framework's pre-translation, and recorders in place of the link launch calls.
#pragma once

#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "Client/Skin/XHtmlTree.h"
#include "Framework/CWnd.h"
#include "Framework/WindowTestSupport.h"
#include "Client/Skin/SkinTestSupport.h"

// A top-level window of the framework's own class (so the tree's notifications are reflected
// to it) that keeps every registered tree message it receives.
class HtmlHostWnd : public CWnd
{
public:
    struct Received
    {
        UINT message;
        HWND hCtrl;
        UINT nCtrlId;
        HTREEITEM hItem;
        LPARAM lParam;
    };
    std::vector<Received> received;

    BOOL CreateHost(int x, int y, int width, int height)
    {
        return CreateEx(0, NULL, "html host", WS_POPUP | WS_VISIBLE, x, y, width, height, NULL, NULL);
    }
    int Count(UINT message) const
    {
        int n = 0;
        for (const Received& r : received)
            n += r.message == message;
        return n;
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message && (message == WM_XHTMLTREE_CHECKBOX_CLICKED || message == WM_XHTMLTREE_ITEM_EXPANDED ||
                        message == WM_XHTMLTREE_DISPLAY_TOOLTIP || message == WM_XHTMLTREE_INIT_TOOLTIP)) {
            const XHTMLTREEMSGDATA* data = reinterpret_cast<const XHTMLTREEMSGDATA*>(wParam);
            received.push_back({message, data ? data->hCtrl : NULL, data ? data->nCtrlId : 0,
                                data ? data->hItem : NULL, lParam});
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// Copies a window's client area into a DibCanvas of its size.
inline bool CaptureClient(HWND hwnd, DibCanvas& canvas, int width, int height)
{
    HDC dc = GetDC(hwnd);
    BOOL ok = BitBlt(canvas.dc.m_hDC, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, dc);
    GdiFlush();
    return ok != FALSE;
}

// Number of pixels of the canvas rectangle within tolerance of rgb (0x00RRGGBB).
inline int CountNear(const DibCanvas& canvas, const RECT& rc, DWORD rgb, int tolerance)
{
    int n = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x)
            n += Near(canvas.Pixel(x, y), rgb, tolerance);
    return n;
}

// Width of text in the font lf describes, measured on dc.
inline int TextWidth(HDC dc, const char* text, const LOGFONTA& lf)
{
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, int(strlen(text)), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    return int(size.cx);
}

inline DWORD ToRgb(COLORREF c) { return (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c); }

// Recorders of the link launch calls (one test at a time uses them).
struct LaunchRecord
{
    std::vector<std::string> shellVerbs, shellFiles, winExecCommands;
    std::vector<int> shellShows;
    std::vector<UINT> winExecShows;
    INT_PTR shellResult = 42;   // > 32: the shell opened it
    void Clear() { *this = LaunchRecord(); }
};
inline LaunchRecord& Launches()
{
    static LaunchRecord record;
    return record;
}
inline HINSTANCE WINAPI RecordShellExecute(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT show)
{
    Launches().shellVerbs.push_back(verb ? verb : "(null)");
    Launches().shellFiles.push_back(file ? file : "(null)");
    Launches().shellShows.push_back(show);
    return HINSTANCE(Launches().shellResult);
}
inline UINT WINAPI RecordWinExec(LPCSTR command, UINT show)
{
    Launches().winExecCommands.push_back(command ? command : "(null)");
    Launches().winExecShows.push_back(show);
    return 33;
}
