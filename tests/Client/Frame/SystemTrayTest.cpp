// The tray icon in this test process, against the prefix's real shell: the icon appears and
// goes, its tooltip is cut, and the shell's double click reaches the main window through the
// tray's own window.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "Frame/SystemTray.h"
#include "Framework/CWinApp.h"
#include "ProcessDriver.h"
#include "Support/ProgramBitness.h"

namespace {

const UINT TrayCallback = WM_APP + 7;

// Dispatches this thread's messages until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    return true;
}

}  // namespace

TEST(SystemTray, IconLifetimeTooltipAndOwnWindowRouting)
{
    CWinApp app;
    CWnd mainWindow;
    ASSERT_TRUE(mainWindow.CreateEx(0, NULL, "tray target", WS_POPUP, 10, 10, 80, 60, NULL, NULL));
    app.m_pMainWnd = &mainWindow;

    int before = TrayIconCount();
    {
        CSystemTray tray;
        EXPECT_FALSE(tray.IsEnabled());
        std::string tooltip(200, 't');
        ASSERT_TRUE(tray.Create(NULL, TrayCallback, tooltip.c_str(), LoadIconA(NULL, IDI_APPLICATION), 5));
        EXPECT_EQ(strlen(tray.GetIconData().szTip), 127u);
        // The whole record: 508 bytes in the 32-bit layout, 528 with 64-bit handles and padding.
        EXPECT_EQ(tray.GetIconData().cbSize, kThirtyTwoBitProgram ? 508u : 528u);
        // With no parent the icon belongs to the tray's own invisible window.
        ASSERT_NE(tray.m_hWnd, static_cast<HWND>(NULL));
        EXPECT_EQ(tray.GetIconData().hWnd, tray.m_hWnd);
        EXPECT_FALSE(IsWindowVisible(tray.m_hWnd));
        ASSERT_TRUE(PumpUntil([&] { return TrayIconCount() == before + 1; }, 10000));

        // Events of another icon, and a right click (no menu resource 5), change nothing.
        EXPECT_EQ(tray.OnTrayNotification(4, WM_LBUTTONDBLCLK), 0);
        EXPECT_EQ(tray.OnTrayNotification(5, WM_RBUTTONUP), 0);
        EXPECT_FALSE(mainWindow.IsWindowVisible());

        // The shell's double click comes back to the tray's window as the callback message.
        PostMessageA(TrayIcons().back(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
        EXPECT_TRUE(PumpUntil([&] { return mainWindow.IsWindowVisible() != FALSE; }, 10000));

        tray.RemoveIcon();
        EXPECT_FALSE(tray.IsEnabled());
        tray.RemoveIcon();
        EXPECT_TRUE(PumpUntil([&] { return TrayIconCount() == before; }, 10000));
    }
    // A second icon made and dropped with its holder leaves nothing behind either.
    {
        CSystemTray tray;
        ASSERT_TRUE(tray.Create(&mainWindow, TrayCallback, "Velmora", LoadIconA(NULL, IDI_APPLICATION), 0));
        EXPECT_EQ(tray.GetIconData().hWnd, mainWindow.m_hWnd);
        EXPECT_STREQ(tray.GetIconData().szTip, "Velmora");
        ASSERT_TRUE(PumpUntil([&] { return TrayIconCount() == before + 1; }, 10000));
    }
    EXPECT_TRUE(PumpUntil([&] { return TrayIconCount() == before; }, 10000));
    app.m_pMainWnd = NULL;
}
