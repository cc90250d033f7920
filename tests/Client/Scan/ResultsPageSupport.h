// Test support of the results pages: the scan page as they call it (recording every call), a
// host window standing for the main window, and the record of the pages asked to be shown.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Client/Scan/ScanResultsOwner.h"
#include "Client/Skin/SkinMessages.h"
#include "Client/Skin/StyleDialog.h"
#include "Framework/CWnd.h"

// Whether a page's heading shows its whole text on one line, and the text that follows it on the
// line (control nextId) starts after it.
inline bool HeadingFitsItsLine(HWND page, int headingId, int nextId)
{
    HWND heading = GetDlgItem(page, headingId), next = GetDlgItem(page, nextId);
    char text[128] = {};
    GetWindowTextA(heading, text, int(sizeof text));
    HDC dc = GetDC(heading);
    HGDIOBJ old = SelectObject(dc, HGDIOBJ(SendMessageA(heading, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, old);
    ReleaseDC(heading, dc);
    RECT h, n;
    GetWindowRect(heading, &h);
    GetWindowRect(next, &n);
    return h.right - h.left >= size.cx && n.left >= h.left + size.cx;
}

// The scan page's side, recorded.
class RecordingScanPage : public CScanResultsOwner {
public:
    std::vector<std::string> calls;
    DWORD scannedJunkMask = 0;
    int registryCount = -1;

    BOOL GetResultArea(RECT*) override { return FALSE; }
    void SetRegistryCount(int count) override
    {
        registryCount = count;
        calls.push_back("count " + std::to_string(count));
    }
    void SetRegistryGauge(int position) override { calls.push_back("gauge " + std::to_string(position)); }
    void SetCategoryValue(int value, int row) override
    {
        calls.push_back("mark " + std::to_string(value) + " row " + std::to_string(row));
    }
    void ShowRegistryRowGood() override { calls.push_back("good"); }
    void UpdateSummaryText(int code) override { calls.push_back("summary " + std::to_string(code)); }
    DWORD GetScannedJunkMask() override { return scannedJunkMask; }
};

// The pages' "Back" asks the parent window to show a page (WM_SHOW_PAGE); the host records it.
inline std::vector<int>& ShownPages()
{
    static std::vector<int> pages;
    return pages;
}

// A framework window standing for the main window (so notifications are reflected), recording
// the pages it is asked to show.
class HostWindow {
public:
    HostWindow()
    {
        InitCommonControls();
        ShownPages().clear();
        m_window.CreateEx(0, NULL, "results host", WS_POPUP | WS_VISIBLE, 20, 20, 760, 520, NULL, NULL);
        FrameworkProcedure() = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            m_window.m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordShowPage)));
    }
    ~HostWindow() { m_window.DestroyWindow(); }
    CWnd* Window() { return &m_window; }

private:
    static WNDPROC& FrameworkProcedure()
    {
        static WNDPROC procedure = NULL;
        return procedure;
    }
    static LRESULT CALLBACK RecordShowPage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_SHOW_PAGE) {
            ShownPages().push_back(static_cast<int>(wParam));
            return 0;
        }
        return ::CallWindowProcA(FrameworkProcedure(), window, message, wParam, lParam);
    }

    CWnd m_window;
};

// Dispatches this thread's messages for ms milliseconds, at least one round.
inline void PumpFor(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(2);
    } while (int(end - GetTickCount()) > 0);
}
