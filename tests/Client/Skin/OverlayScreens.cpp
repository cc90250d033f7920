// A small program that puts the modal windows of the skin on the screen so that
// scripts/screenshots can take them: a main window with some content, then
//   "msgbox": a YES/NO message box over the dimming overlay (overlay-message-box.png),
//   "busy":   the busy dialog with its spinner over the dimming overlay (busy-dialog.png).
// Each closes itself once the shot is taken, or after the given number of milliseconds
// (default 4000) when no script takes one.
//   overlay_screens.exe msgbox|busy [ms]
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "Client/Skin/BusyDlg.h"
#include "Client/Skin/MsgBoxDlg.h"
#include "Framework/CWinApp.h"
#include "Support/ScreenshotPause.h"

namespace {

// A main window with a white page, a blue title strip and three coloured tiles, so the
// dimming is easy to see.
class DemoMainWindow : public CWnd {
protected:
    void OnPaint()
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_hWnd, &ps);
        RECT rc;
        GetClientRect(&rc);
        HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
        FillRect(dc, &rc, white);
        DeleteObject(white);
        RECT strip = {0, 0, rc.right, 40};
        HBRUSH blue = CreateSolidBrush(RGB(0x1A, 0x66, 0xA2));
        FillRect(dc, &strip, blue);
        DeleteObject(blue);
        const COLORREF tiles[3] = {RGB(0x2D, 0xB5, 0x41), RGB(0xF0, 0xA0, 0x20), RGB(0xD0, 0x30, 0x30)};
        for (int i = 0; i < 3; ++i) {
            RECT tile = {30 + i * 200, 80, 200 + i * 200, 300};
            HBRUSH b = CreateSolidBrush(tiles[i]);
            FillRect(dc, &tile, b);
            DeleteObject(b);
        }
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(255, 255, 255));
        TextOutA(dc, 12, 12, "Velmora", 7);
        SetTextColor(dc, RGB(0x3D, 0x3D, 0x3E));
        const char* line = "System Scan: 12 registry errors, 320 MB of junk files";
        TextOutA(dc, 30, 330, line, int(strlen(line)));
        EndPaint(m_hWnd, &ps);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DemoMainWindow, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

DWORD g_showMs = 4000;
const char* g_shotName = "overlay-message-box";

// Ends whatever modal window runs on this thread: the busy dialog through Close, the message
// box through its YES button.
void CALLBACK CloseModal(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(NULL, id);
    PauseForScreenshot(g_shotName);
    if (CurrentBusyDialog) {
        CurrentBusyDialog->Close();
        return;
    }
    for (HWND h = GetTopWindow(NULL); h; h = GetWindow(h, GW_HWNDNEXT)) {
        HWND yes = GetDlgItem(h, 1009);
        if (yes && GetWindowThreadProcessId(h, NULL) == GetCurrentThreadId()) {
            PostMessageA(yes, BM_CLICK, 0, 0);
            return;
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const char* mode = argc > 1 ? argv[1] : "msgbox";
    if (argc > 2)
        g_showMs = DWORD(atoi(argv[2]));
    CoInitialize(NULL);
    CWinApp app("Velmora");
    DemoMainWindow main;
    main.CreateEx(0, NULL, "Velmora", WS_POPUP | WS_VISIBLE, 120, 90, 760, 420, NULL, NULL);
    app.m_pMainWnd = &main;
    main.UpdateWindow();

    const bool busyMode = strcmp(mode, "busy") == 0;
    if (busyMode)
        g_shotName = "busy-dialog";
    // Under scripts/screenshots the timer only starts the pause; it closes once the shot is taken.
    SetTimer(NULL, 0, GetEnvironmentVariableA("VELMORA_SHOTS", NULL, 0) ? 500 : g_showMs, CloseModal);
    if (busyMode) {
        CBusyDlg busy(NULL, 0, NULL, "Please wait while the services are optimized...", TRUE);
        busy.DoModalWithOverlay(NULL, FALSE, SW_SHOW);
    } else {
        ShowMessageBox(NULL,
                       "Your Windows version is not supported. Some features may not work "
                       "correctly. Do you want to continue?",
                       MessageBoxYesNo, TRUE, NULL);
    }
    main.DestroyWindow();
    return 0;
}
