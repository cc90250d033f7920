// Test support for the overlay, busy dialog and message box tests: a main window for the
// application object, a message pump, and finders for the windows a modal run puts up.
#ifndef VELMORA_TESTS_OVERLAY_TEST_SUPPORT_H
#define VELMORA_TESTS_OVERLAY_TEST_SUPPORT_H

#include <windows.h>

#include <vector>

#include "Client/Skin/MessagePump.h"
#include "Framework/CWinApp.h"
#include "Framework/CWnd.h"

// The test program's application object with a plain main window, painted white.
class OverlayTestApp {
public:
    static OverlayTestApp& Get()
    {
        static OverlayTestApp app;
        return app;
    }
    CWnd& MainWindow() { return m_main; }

private:
    OverlayTestApp() : m_app("Velmora")
    {
        CoInitialize(NULL);
        m_main.CreateEx(0, NULL, "Velmora test main window", WS_POPUP | WS_VISIBLE, 100, 80, 480, 320,
                        NULL, NULL);
        m_app.m_pMainWnd = &m_main;
    }
    CWinApp m_app;
    CWnd m_main;
};

// Visible top-level windows of a thread, in z-order from the top. Taken from one EnumWindows
// snapshot: a walk with GetWindow(GW_HWNDNEXT) breaks off when a window of another program on
// the same display goes away under it, and would miss windows that are there.
inline BOOL CALLBACK CollectWindow(HWND h, LPARAM list)
{
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
    return TRUE;
}

inline std::vector<HWND> ThreadWindowsTopDown(DWORD threadId)
{
    std::vector<HWND> all;
    EnumWindows(CollectWindow, LPARAM(&all));
    std::vector<HWND> found;
    for (HWND h : all)
        if (GetWindowThreadProcessId(h, NULL) == threadId && IsWindowVisible(h))
            found.push_back(h);
    return found;
}

// The dimming overlay among a thread's windows (the one layered window), or NULL.
inline HWND FindOverlay(DWORD threadId)
{
    for (HWND h : ThreadWindowsTopDown(threadId))
        if (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_LAYERED)
            return h;
    return NULL;
}

// The visible window of a thread that has a control with this id, or NULL.
inline HWND FindWindowWithControl(DWORD threadId, int controlId)
{
    for (HWND h : ThreadWindowsTopDown(threadId))
        if (GetDlgItem(h, controlId))
            return h;
    return NULL;
}

#endif
