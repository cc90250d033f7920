// Tests of the skinned message box: the result of every button for every type, where the text
// goes and in which font, the box above its overlay, and a box shown from a worker thread.
// A thread timer (running inside the box's modal loop) or the test thread (for a box on a
// worker) finds the box by its controls, looks at it, and clicks a button.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Client/Resources/ControlResources.h"
#include "Client/Skin/MsgBoxDlg.h"
#include "Client/Skin/OverlayTestSupport.h"

namespace {

// What the driver saw of a box before it clicked.
struct BoxView {
    bool found = false;
    bool yesVisible = false, noVisible = false, okVisible = false;
    std::string yesCaption, noCaption;
    bool longVisible = false, shortVisible = false;
    std::string longText, shortText;
    int fontHeight = 0;
    bool overlayFound = false, boxAboveOverlay = false, ownedByOverlay = false;
    bool overlayEnabled = true;
    COLORREF overlayKey = 0;
    BYTE overlayAlpha = 0;
    DWORD overlayFlags = 0;
    RECT overlayRect = {};
};

std::string Text(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// Finds the message box among the windows of a thread, records what it shows and clicks
// clickId. TRUE once done.
bool InspectAndClick(DWORD threadId, int clickId, BoxView* view)
{
    HWND box = FindWindowWithControl(threadId, IDC_MSGBOX_YES);
    if (!box || !IsWindowVisible(box))
        return false;
    view->found = true;
    view->yesVisible = IsWindowVisible(GetDlgItem(box, IDC_MSGBOX_YES)) != FALSE;
    view->noVisible = IsWindowVisible(GetDlgItem(box, IDC_MSGBOX_NO)) != FALSE;
    view->okVisible = IsWindowVisible(GetDlgItem(box, IDC_MSGBOX_OK)) != FALSE;
    view->yesCaption = Text(GetDlgItem(box, IDC_MSGBOX_YES));
    view->noCaption = Text(GetDlgItem(box, IDC_MSGBOX_NO));
    HWND longText = GetDlgItem(box, IDC_MSGBOX_LONG_TEXT);
    HWND shortText = GetDlgItem(box, IDC_MSGBOX_SHORT_TEXT);
    view->longVisible = IsWindowVisible(longText) != FALSE;
    view->shortVisible = IsWindowVisible(shortText) != FALSE;
    view->longText = Text(longText);
    view->shortText = Text(shortText);
    HFONT font = HFONT(SendMessageA(view->longVisible ? longText : shortText, WM_GETFONT, 0, 0));
    LOGFONTA lf = {};
    if (font && GetObjectA(font, sizeof(lf), &lf))
        view->fontHeight = lf.lfHeight;

    // The box and the overlay from one z-order snapshot of the thread's windows.
    std::vector<HWND> stack = ThreadWindowsTopDown(threadId);
    auto boxAt = std::find(stack.begin(), stack.end(), box);
    auto overlayAt = std::find_if(stack.begin(), stack.end(), [](HWND h) {
        return (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    });
    HWND overlay = overlayAt != stack.end() ? *overlayAt : NULL;
    view->overlayFound = overlay != NULL;
    if (overlay) {
        GetLayeredWindowAttributes(overlay, &view->overlayKey, &view->overlayAlpha,
                                   &view->overlayFlags);
        GetWindowRect(overlay, &view->overlayRect);
        view->boxAboveOverlay = boxAt < overlayAt;
        view->ownedByOverlay = GetWindow(box, GW_OWNER) == overlay;
        // A disabled overlay cannot be clicked above the box.
        view->overlayEnabled = IsWindowEnabled(overlay) != FALSE;
    }
    PostMessageA(GetDlgItem(box, clickId), BM_CLICK, 0, 0);
    return true;
}

// The driver for boxes on the test thread: a thread timer, which the box's modal loop runs.
struct TimerDriver {
    static int clickId;
    static BoxView view;
    static bool done;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (!done)
            done = InspectAndClick(GetCurrentThreadId(), clickId, &view);
    }
    static int Run(int click, CString text, int type, BOOL overlay = TRUE)
    {
        clickId = click;
        view = BoxView();
        done = false;
        UINT_PTR timer = SetTimer(NULL, 0, 50, Tick);
        int result = ShowMessageBox(NULL, text, type, overlay, NULL);
        KillTimer(NULL, timer);
        return result;
    }
};
int TimerDriver::clickId;
BoxView TimerDriver::view;
bool TimerDriver::done;

class MsgBoxTest : public ::testing::Test {
protected:
    void SetUp() override { OverlayTestApp::Get(); }
    void TearDown() override { PumpMessages(20); }
};

}  // namespace

TEST_F(MsgBoxTest, EveryButtonOfEveryTypeGivesItsResult)
{
    const struct {
        int type, button, result;
    } cases[] = {
        {0, IDC_MSGBOX_OK, IDOK},     {0, IDC_MSGBOX_CLOSE, IDOK},
        {1, IDC_MSGBOX_YES, IDOK},    {1, IDC_MSGBOX_NO, IDCANCEL}, {1, IDC_MSGBOX_CLOSE, IDCANCEL},
        {4, IDC_MSGBOX_YES, IDYES},   {4, IDC_MSGBOX_NO, IDNO},     {4, IDC_MSGBOX_CLOSE, IDNO},
        // Types the box does not know behave as OK / Cancel.
        {7, IDC_MSGBOX_YES, IDOK},    {7, IDC_MSGBOX_NO, IDCANCEL}, {7, IDC_MSGBOX_CLOSE, IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << c.type << " button " << c.button);
        int result = TimerDriver::Run(c.button, "Delete the selected entries?", c.type);
        ASSERT_TRUE(TimerDriver::view.found);
        EXPECT_EQ(c.result, result);
        const BoxView& v = TimerDriver::view;
        if (c.type == 0) {
            EXPECT_FALSE(v.yesVisible);
            EXPECT_FALSE(v.noVisible);
            EXPECT_TRUE(v.okVisible);
        } else {
            EXPECT_TRUE(v.yesVisible);
            EXPECT_TRUE(v.noVisible);
            EXPECT_FALSE(v.okVisible);
            EXPECT_EQ(c.type == 4 ? "YES" : "OK", v.yesCaption);
            EXPECT_EQ(c.type == 4 ? "NO" : "Cancel", v.noCaption);
        }
    }
}

TEST_F(MsgBoxTest, TextGoesToTheControlAndFontItsLengthCallsFor)
{
    const struct {
        int length;
        bool longControl;
        int height;
    } cases[] = {{1, false, 20}, {69, false, 20}, {70, true, 16}, {99, true, 16}, {100, true, 15},
                 {240, true, 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(size_t(c.length), 'x');
        for (size_t i = 7; i < text.size(); i += 8)
            text[i] = ' ';
        TimerDriver::Run(IDC_MSGBOX_OK, text.c_str(), 0);
        const BoxView& v = TimerDriver::view;
        ASSERT_TRUE(v.found);
        EXPECT_EQ(c.longControl, v.longVisible);
        EXPECT_EQ(!c.longControl, v.shortVisible);
        EXPECT_EQ(text, c.longControl ? v.longText : v.shortText);
        EXPECT_EQ("", c.longControl ? v.shortText : v.longText);
        EXPECT_EQ(c.height, v.fontHeight);
    }
}

TEST_F(MsgBoxTest, BoxSitsAboveItsOverlayWhichGoesWithIt)
{
    TimerDriver::Run(IDC_MSGBOX_YES, "Restart Windows now?", 4);
    const BoxView& v = TimerDriver::view;
    ASSERT_TRUE(v.found);
    ASSERT_TRUE(v.overlayFound);
    EXPECT_TRUE(v.boxAboveOverlay);
    EXPECT_TRUE(v.ownedByOverlay);
    EXPECT_FALSE(v.overlayEnabled);
    EXPECT_EQ(RGB(255, 0, 0), v.overlayKey);
    EXPECT_EQ(216, v.overlayAlpha);
    EXPECT_EQ(DWORD(LWA_COLORKEY | LWA_ALPHA), v.overlayFlags);
    RECT mainRect;
    OverlayTestApp::Get().MainWindow().GetWindowRect(&mainRect);
    EXPECT_TRUE(EqualRect(&mainRect, &v.overlayRect));
    EXPECT_TRUE(FindOverlay(GetCurrentThreadId()) == NULL) << "the overlay outlived the box";

    // Without an overlay there is none, and the box belongs to the main window.
    TimerDriver::Run(IDC_MSGBOX_OK, "Done.", 0, FALSE);
    EXPECT_TRUE(TimerDriver::view.found);
    EXPECT_FALSE(TimerDriver::view.overlayFound);
}

// The update download shows its boxes from its own thread while the GUI thread pumps.
TEST_F(MsgBoxTest, BoxShownFromAWorkerThreadWorks)
{
    int result = 0;
    DWORD workerId = 0;
    std::atomic<bool> finished{false};
    HANDLE started = CreateEventA(NULL, TRUE, FALSE, NULL);
    std::thread worker([&] {
        workerId = GetCurrentThreadId();
        SetEvent(started);
        result = ShowMessageBox(NULL, "The update was downloaded. Install it now?", 4, TRUE, NULL);
        finished = true;
    });
    WaitForSingleObject(started, 5000);
    BoxView view;
    bool clicked = false;
    DWORD start = GetTickCount();
    while (!clicked && GetTickCount() - start < 20000) {
        PumpMessages(50);
        clicked = InspectAndClick(workerId, IDC_MSGBOX_YES, &view);
    }
    // Keep pumping: the worker's box talks to the main window on this thread until it ends.
    while (!finished && GetTickCount() - start < 30000)
        PumpMessages(20);
    worker.join();
    CloseHandle(started);
    ASSERT_TRUE(clicked);
    EXPECT_EQ(IDYES, result);
    EXPECT_TRUE(view.overlayFound);
    EXPECT_TRUE(view.boxAboveOverlay);
    EXPECT_EQ("The update was downloaded. Install it now?", view.shortText);
    EXPECT_TRUE(OverlayTestApp::Get().MainWindow().IsWindowEnabled()) << "the main window stayed disabled";
}
