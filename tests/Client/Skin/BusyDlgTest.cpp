// Tests of the busy dialog over its overlay: the notify-then-close cycle with a worker thread,
// Escape and Enter that must not end it, CurrentBusyDialog's lifetime, and the overlay it runs
// over.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "Client/Resources/ControlResources.h"
#include "Client/Skin/BusyDlg.h"
#include "Client/Skin/OverlayTestSupport.h"

namespace {

const UINT WM_TEST_START_WORK = WM_APP + 5;

std::string ControlText(HWND dialog, int id)
{
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof(text));
    return text;
}

// The page side of the pattern: starts a worker when the busy dialog says it is up. The
// worker changes the text, tries Escape, Enter, OK and Cancel, and closes the dialog.
class WorkStarter : public CWnd {
public:
    std::atomic<int> starts{0};
    bool busyDialogSet = false, busyWindowExists = false;
    std::string firstText;
    std::atomic<bool> survivedKeys{false}, textChanged{false}, animated{false};
    std::thread worker;

    LRESULT OnStartWork(WPARAM, LPARAM)
    {
        ++starts;
        CBusyDlg* busy = CurrentBusyDialog;
        busyDialogSet = busy != NULL;
        busyWindowExists = busy && IsWindow(busy->m_hWnd);
        if (!busy)
            return 0;
        HWND dialog = busy->m_hWnd;
        firstText = ControlText(dialog, IDC_BUSY_TEXT);
        worker = std::thread([this, dialog] {
            Sleep(100);
            CurrentBusyDialog->SetText("Step 2");
            textChanged = ControlText(dialog, IDC_BUSY_TEXT) == "Step 2";
            animated = PictureChanges(::GetDlgItem(dialog, IDC_BUSY_PICTURE));
            ::PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
            ::PostMessageA(dialog, WM_KEYDOWN, VK_RETURN, 0);
            ::SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            ::SendMessageA(dialog, WM_COMMAND, IDOK, 0);
            Sleep(300);
            survivedKeys = IsWindow(dialog) && CurrentBusyDialog != NULL;
            if (CurrentBusyDialog)
                CurrentBusyDialog->Close();
        });
        return 0;
    }

    // The spinner's pixels change within a few frames.
    static bool PictureChanges(HWND picture)
    {
        HDC dc = ::GetDC(picture);
        COLORREF first[4];
        const POINT probes[4] = {{16, 5}, {27, 16}, {16, 27}, {5, 16}};
        for (int i = 0; i < 4; ++i)
            first[i] = GetPixel(dc, probes[i].x, probes[i].y);
        bool changed = false;
        for (int t = 0; t < 150 && !changed; ++t) {
            Sleep(20);
            for (int i = 0; i < 4; ++i)
                changed = changed || GetPixel(dc, probes[i].x, probes[i].y) != first[i];
        }
        ::ReleaseDC(picture, dc);
        return changed;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(WorkStarter, CWnd)
    ON_MESSAGE(WM_TEST_START_WORK, &WorkStarter::OnStartWork)
END_MESSAGE_MAP()

// Closes the busy dialog from a thread timer of the dialog's own thread, after looking at the
// overlay it runs over.
struct OverlayProbe {
    static RECT overlayRect;
    static bool overlayFound, closed;
    static int ticks;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (closed || ++ticks < 3)
            return;
        HWND overlay = FindOverlay(GetCurrentThreadId());
        overlayFound = overlay != NULL;
        if (overlay)
            GetWindowRect(overlay, &overlayRect);
        if (CurrentBusyDialog) {
            CurrentBusyDialog->Close();
            closed = true;
        }
    }
};
RECT OverlayProbe::overlayRect;
bool OverlayProbe::overlayFound, OverlayProbe::closed;
int OverlayProbe::ticks;

class BusyDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OverlayTestApp::Get();
        ASSERT_TRUE(m_starter.CreateEx(0, NULL, "starter", WS_POPUP, 0, 0, 10, 10, NULL, NULL));
    }
    void TearDown() override
    {
        if (m_starter.worker.joinable())
            m_starter.worker.join();
        m_starter.DestroyWindow();
        PumpMessages(50);
    }
    WorkStarter m_starter;
};

}  // namespace

TEST_F(BusyDlgTest, NotifyStartsTheWorkAndTheWorkerClosesTheDialog)
{
    CBusyDlg busy(NULL, WM_TEST_START_WORK, m_starter.m_hWnd, "Please wait", TRUE);
    int result = busy.DoModalWithOverlay(NULL, FALSE, SW_SHOW);
    m_starter.worker.join();

    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(1, m_starter.starts.load());
    EXPECT_TRUE(m_starter.busyDialogSet);
    EXPECT_TRUE(m_starter.busyWindowExists);
    EXPECT_EQ("Please wait", m_starter.firstText);
    EXPECT_TRUE(m_starter.textChanged);
    EXPECT_TRUE(m_starter.animated) << "the spinner did not move";
    EXPECT_TRUE(m_starter.survivedKeys) << "Escape, Enter, OK or Cancel ended the busy dialog";
    EXPECT_TRUE(CurrentBusyDialog == NULL);
    EXPECT_TRUE(FindOverlay(GetCurrentThreadId()) == NULL) << "the overlay outlived the run";
    EXPECT_FALSE(IsWindow(busy.m_hWnd));
}

TEST_F(BusyDlgTest, WithoutMessageOrWindowNothingIsSent)
{
    const struct {
        const char* name;
        UINT message;
        bool window;
    } cases[] = {{"no message", 0, true}, {"no window", WM_TEST_START_WORK, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OverlayProbe::ticks = 0;
        OverlayProbe::closed = OverlayProbe::overlayFound = false;
        UINT_PTR timer = SetTimer(NULL, 0, 50, OverlayProbe::Tick);
        CBusyDlg busy(NULL, c.message, c.window ? m_starter.m_hWnd : NULL, "Please wait", FALSE);
        busy.DoModalWithOverlay(NULL, FALSE, SW_SHOW);
        KillTimer(NULL, timer);
        EXPECT_TRUE(OverlayProbe::closed);
        EXPECT_EQ(0, m_starter.starts.load());
        EXPECT_TRUE(CurrentBusyDialog == NULL);
    }
}

TEST_F(BusyDlgTest, OverlayCoversTheMainWindowOrTheWholeScreen)
{
    RECT mainRect, desktopRect;
    OverlayTestApp::Get().MainWindow().GetWindowRect(&mainRect);
    GetWindowRect(GetDesktopWindow(), &desktopRect);
    const struct {
        BOOL coverScreen;
        RECT expected;
    } cases[] = {{FALSE, mainRect}, {TRUE, desktopRect}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.coverScreen);
        OverlayProbe::ticks = 0;
        OverlayProbe::closed = OverlayProbe::overlayFound = false;
        UINT_PTR timer = SetTimer(NULL, 0, 50, OverlayProbe::Tick);
        CBusyDlg busy(NULL, 0, NULL, "Please wait", TRUE);
        busy.DoModalWithOverlay(NULL, c.coverScreen, SW_SHOW);
        KillTimer(NULL, timer);
        ASSERT_TRUE(OverlayProbe::overlayFound);
        EXPECT_TRUE(EqualRect(&c.expected, &OverlayProbe::overlayRect))
            << OverlayProbe::overlayRect.left << "," << OverlayProbe::overlayRect.top << " "
            << OverlayProbe::overlayRect.right << "," << OverlayProbe::overlayRect.bottom;
    }
}

TEST_F(BusyDlgTest, CurrentBusyDialogIsClearedHoweverTheDialogGoes)
{
    {
        CBusyDlg busy(&OverlayTestApp::Get().MainWindow(), 0, NULL, "Please wait", TRUE);
        ASSERT_TRUE(busy.Create(IDD_BUSY, &OverlayTestApp::Get().MainWindow()));
        EXPECT_TRUE(CurrentBusyDialog == &busy);
        busy.DestroyWindow();
        EXPECT_TRUE(CurrentBusyDialog == NULL);
    }
    {
        CBusyDlg* busy = new CBusyDlg(NULL, 0, NULL, "Please wait", TRUE);
        ASSERT_TRUE(busy->Create(IDD_BUSY, NULL));
        EXPECT_TRUE(CurrentBusyDialog == busy);
        delete busy;   // the object goes with its window still up
        EXPECT_TRUE(CurrentBusyDialog == NULL);
    }
}
