// The Registry Defrag page in a copy of the program (a scratch folder of the prefix), driven from
// the outside: Defrag, its warning, the busy dialog's texts as the engine's runs go, the message
// that ends a run, the logon task's job file and "LastDefrag". Every case has a prefix of its
// own: they write the machine's hive list, the engine's work folder and scheduled tasks.
//
// Wine's hive list is empty, and Wine saves hive copies only for a program it presents Windows
// Server 2003 to; its RegReplaceKeyA does nothing, so with the real engine a replacement always
// fails. The replacement that works, the countdown and the restart are the restart test's.
#include <gtest/gtest.h>

#include "RegDefragTestSupport.h"
#include "Support/ScreenshotPause.h"

using namespace defrag_test;

namespace {

// The screen's colour at a point of a window of the copy (COLORREF).
COLORREF ScreenPixel(HWND window, int x, int y)
{
    POINT at = {x, y};
    ClientToScreen(window, &at);
    HDC screen = GetDC(NULL);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(NULL, screen);
    return colour;
}

RECT ChildRect(HWND dialog, int id)
{
    RECT rc = {};
    GetWindowRect(GetDlgItem(dialog, id), &rc);
    MapWindowPoints(NULL, dialog, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// Pixels of exactly this colour inside a control's rectangle of the dialog.
int CountPixels(HWND dialog, int id, COLORREF colour)
{
    const RECT rc = ChildRect(dialog, id);
    POINT origin = {rc.left, rc.top};
    ClientToScreen(dialog, &origin);
    HDC screen = GetDC(NULL);
    int count = 0;
    for (int y = 0; y < rc.bottom - rc.top; ++y)
        for (int x = 0; x < rc.right - rc.left; ++x)
            if (GetPixel(screen, origin.x + x, origin.y + y) == colour)
                ++count;
    ReleaseDC(NULL, screen);
    return count;
}

// The copy started with the page shown.
void StartOnPage(ProgramCopy& copy)
{
    ASSERT_TRUE(copy.Start());
    Press(copy.Main(), IDC_NAV_REGISTRY_DEFRAG);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(Page(copy.Main())) != FALSE; }, ToolTimeout));
    UpdateWindow(copy.Main());
}

void UseTestEngine(ProgramCopy& copy, const char* kind)
{
    ASSERT_TRUE(CopyFileA((TestFolder() + kind + "\\Tarnex.dll").c_str(), (copy.Folder() + "Tarnex.dll").c_str(),
                          FALSE));
}

bool BusyGone(ProgramCopy& copy) { return FindBusy(copy.ProcessId()) == NULL; }

}  // namespace

// The start look: the stored date or "Never" in green, the information area's frame and divider
// in 0xEEEEEE. Cancel on the warning starts nothing: no busy dialog, no logon task.
TEST(RegDefragPage, ShowsNeverAndCancelStartsNothing)
{
    ProgramCopy copy;
    StartOnPage(copy);
    HWND page = Page(copy.Main());
    EXPECT_EQ(ControlText(page, IDC_DEFRAG_LAST_VALUE), "Never");
    EXPECT_EQ(ControlText(page, IDC_DEFRAG_TITLE), "Registry Defrag");
    EXPECT_GT(CountPixels(page, IDC_DEFRAG_LAST_VALUE, RGB(0x0E, 0xDB, 0x1E)), 10) << "\"Never\" in green";
    const RECT frame = ChildRect(page, IDC_DEFRAG_INFO_FRAME);
    const int middle = frame.top + (frame.bottom - frame.top) / 2;
    const int divider = int(middle - middle / 12.75);
    EXPECT_EQ(ScreenPixel(page, frame.left, middle), RGB(0xEE, 0xEE, 0xEE)) << "left edge";
    EXPECT_EQ(ScreenPixel(page, frame.right - 1, middle), RGB(0xEE, 0xEE, 0xEE)) << "right edge";
    EXPECT_EQ(ScreenPixel(page, frame.left + (frame.right - frame.left) / 3, frame.top), RGB(0xEE, 0xEE, 0xEE))
        << "top edge";
    EXPECT_EQ(ScreenPixel(page, frame.right - 8, divider), RGB(0xEE, 0xEE, 0xEE)) << "divider";
    EXPECT_EQ(ScreenPixel(page, frame.right - 8, divider + 3), RGB(0xFF, 0xFF, 0xFF));
    PauseForScreenshot("registry-defrag");

    PressPosted(page, IDC_DEFRAG_BUTTON);
    EXPECT_EQ(AnswerBox(copy, BoxCancel), WarningText);
    Sleep(500);
    EXPECT_TRUE(BusyGone(copy));
    EXPECT_FALSE(FileExists(DefragJobPath()));
    EXPECT_FALSE(FileExists(std::string(WorkFolder) + "\\LM_SOFTWARE"));

    // A stored date is shown as it was stored.
    ASSERT_TRUE(copy.Quit());
    HKEY key = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(key, SettingLastDefrag, 0, REG_SZ, reinterpret_cast<const BYTE*>("01/02/2025 03:04:05 PM"), 23);
    RegCloseKey(key);
    StartOnPage(copy);
    EXPECT_EQ(ControlText(Page(copy.Main()), IDC_DEFRAG_LAST_VALUE), "01/02/2025 03:04:05 PM");
}

// The prefix as Wine makes it (an empty hive list): the analysis fails with code 2; its message
// stands over the busy dialog, which still says what ran. After OK nothing is left: no busy
// dialog, no logon task. An engine that gives no process object fails the same way instead of
// leaving the busy dialog up for good.
TEST(RegDefragPage, FailedAnalysisEndsTheRunAndLeavesNoTask)
{
    for (const char* engine : {"", "defrag-noprocess"}) {
        SCOPED_TRACE(*engine ? engine : "real engine");
        ProgramCopy copy;
        if (*engine)
            UseTestEngine(copy, engine);
        StartOnPage(copy);
        EXPECT_EQ(StartDefrag(copy), WarningText);
        HWND box = NULL;
        ASSERT_TRUE(WaitUntil([&] { return (box = copy.FindBox()) != NULL; }, ToolTimeout));
        EXPECT_EQ(BusyText(copy.ProcessId()), AnalysisText);
        EXPECT_EQ(AnswerBox(copy, OkButtons[0]), AnalysisFailedText);
        EXPECT_TRUE(WaitUntil([&] { return BusyGone(copy); }, ToolTimeout));
        EXPECT_FALSE(FileExists(DefragJobPath()));
        ASSERT_TRUE(copy.Quit());
    }
}

// A hive list naming HKLM\SOFTWARE in an 8 MB file, Windows Server 2003, the real engine: the
// analysis writes the copy and the busy dialog shows the gain measured from it; 3 s later the
// replacement runs with no box between. Wine's RegReplaceKeyA replaces nothing, so it ends with
// code 3's message, no task and no date. A hive smaller than its copy is not worth it: code 8.
TEST(RegDefragPage, AnalysisShowsTheGainAndAFailedReplacementEndsTheRun)
{
    ASSERT_TRUE(PlantSoftwareHive(HiveFixtureSize));
    ProgramCopy copy;
    StartOnPage(copy);
    EXPECT_EQ(StartDefrag(copy), WarningText);
    bool shot = false;
    const std::vector<SeenText> seen = WatchBusyTexts(copy, [&] { return copy.FindBox() != NULL; }, 60000,
                                                      [&](const SeenText& s) {
                                                          if (!shot && s.text.find("reduced") != std::string::npos) {
                                                              shot = true;
                                                              PauseForScreenshot("registry-defrag-busy");
                                                          }
                                                      });
    // The watch ends at the first box: the replacement's text came before any.
    const std::vector<std::string> texts = TextsOf(seen);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts.back(), ReplacementText);
    EXPECT_EQ(texts[texts.size() - 2],
              ExpectedGainText(FileSize(std::string(WorkFolder) + "\\LM_SOFTWARE"), HiveFixtureSize));
    if (texts.size() >= 2 && !shot) {
        EXPECT_GE(seen.back().tick - seen[seen.size() - 2].tick, 2500u)
            << "the replacement waits 3 s (less the polling's lag)";
    }
    EXPECT_EQ(AnswerBox(copy, OkButtons[0]), ReplaceFailedText);
    EXPECT_TRUE(WaitUntil([&] { return BusyGone(copy); }, ToolTimeout));
    EXPECT_FALSE(FileExists(DefragJobPath()));
    bool recorded = true;
    LastDefrag(&recorded);
    EXPECT_FALSE(recorded);
    EXPECT_EQ(FileSize(HiveFixture), HiveFixtureSize) << "the hive was not touched";

    const unsigned long long copySize = FileSize(std::string(WorkFolder) + "\\LM_SOFTWARE");
    ASSERT_NE(copySize, ~0ull);
    ASSERT_TRUE(SetFileSize(HiveFixture, copySize / 2));
    EXPECT_EQ(StartDefrag(copy), WarningText);
    EXPECT_EQ(AnswerBox(copy, OkButtons[0], 60000), NoGainText);
    EXPECT_TRUE(WaitUntil([&] { return BusyGone(copy); }, ToolTimeout));
    EXPECT_FALSE(FileExists(DefragJobPath()));
}

// "DEFRAG" given by hand, with no logon task behind it: the program starts as usual, records no
// date, shows no success and leaves "Never".
TEST(RegDefragPage, DefragStartWithoutTheTaskWritesNothing)
{
    ProgramCopy copy;
    ChildProcess program;
    ASSERT_TRUE(program.Start(copy.ProgramPath(), "\"" + copy.ProgramPath() + "\" DEFRAG", copy.Folder()));
    HWND main = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (main = FindMainWindow(program.Id())) != NULL && IsWindowVisible(main); },
                          ToolTimeout));
    // The success box would come half a second after the page's start.
    Sleep(2500);
    EXPECT_EQ(FindMessageBox(program.Id()), HWND(NULL));
    bool recorded = true;
    LastDefrag(&recorded);
    EXPECT_FALSE(recorded);
    EXPECT_EQ(ControlText(Page(main), IDC_DEFRAG_LAST_VALUE), "Never");
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(15000));
}
