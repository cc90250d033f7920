// The About dialog of a copy of the real program, driven from the outside: its texts, the
// addresses it opens, the uninstaller launch and how it runs over the main window. A stand-in
// (about_launch_logger.exe) logs every start: the prefix's http, https and mailto handler is
// the stand-in, and where a case puts it beside the copy it is the uninstallers too.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Client/Resources/AboutResources.h"
#include "Client/Tools/ToolDialogDriver.h"
#include "Frame/AboutDeployment.h"
#include "Frame/FrameResources.h"
#include "Support/ScreenshotPause.h"

namespace {

const char LoggerName[] = "about_launch_logger.exe";

// The stand-in's log for the programs the copy starts (they inherit the variable from it).
class LaunchLog {
public:
    LaunchLog() : m_path(MakeScratchFolder("about-launches") + "launches.log")
    {
        SetEnvironmentVariableA("VELMORA_LAUNCH_LOG", m_path.c_str());
    }
    ~LaunchLog() { SetEnvironmentVariableA("VELMORA_LAUNCH_LOG", NULL); }

    // One entry per start: "<file name>\t<arguments>".
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        const std::string text = ReadFileBytes(m_path);
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }
    // Waits for count entries in all.
    bool WaitFor(size_t count) const
    {
        return WaitUntil([&] { return Lines().size() >= count; }, ToolTimeout);
    }

private:
    std::string m_path;
};

// The stand-in as the program that opens http, https and mailto addresses.
void RegisterLoggerAsHandler()
{
    const std::string command = "\"" + TestFolder() + LoggerName + "\" \"%1\"";
    for (const char* scheme : {"http", "https", "mailto"}) {
        SCOPED_TRACE(scheme);
        const std::string key = std::string(scheme) + "\\shell\\open";
        // A DDE conversation would go before the command: none is left.
        RegDeleteTreeA(HKEY_CLASSES_ROOT, (key + "\\ddeexec").c_str());
        ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, scheme, "URL Protocol", REG_SZ, "", 1), ERROR_SUCCESS);
        ASSERT_EQ(RegSetKeyValueA(HKEY_CLASSES_ROOT, (key + "\\command").c_str(), NULL, REG_SZ, command.c_str(),
                                  DWORD(command.size() + 1)),
                  ERROR_SUCCESS);
    }
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : "<missing>";
}

// The visible top-level windows of a process.
std::vector<HWND> VisibleWindows(DWORD processId)
{
    std::vector<HWND> visible;
    for (HWND window : TopLevelWindows(processId))
        if (IsWindowVisible(window))
            visible.push_back(window);
    return visible;
}

bool SameRect(HWND a, HWND b)
{
    RECT ra, rb;
    return GetWindowRect(a, &ra) && GetWindowRect(b, &rb) && EqualRect(&ra, &rb);
}

}  // namespace

TEST(AboutDialog, ShowsItsTextsAndOpensEachAddressThroughTheShell)
{
    RegisterLoggerAsHandler();
    LaunchLog log;
    ProgramCopy copy;
    ASSERT_TRUE(copy.Start());
    HWND about = copy.Open(IDC_CAPTION_ABOUT, "About");
    ASSERT_NE(about, static_cast<HWND>(NULL));

    EXPECT_EQ(ControlText(about, IDC_ABOUT_VERSION), "1.0.1.8");
    EXPECT_EQ(ControlText(about, IDC_ABOUT_SUPPORT_MAIL), AboutSupportAddress);
    EXPECT_EQ(ControlText(about, IDC_ABOUT_HOMEPAGE), AboutWebHost);
    EXPECT_NE(ControlText(about, IDC_ABOUT_COPYRIGHT).find(AboutCopyrightHolder), std::string::npos);
    EXPECT_GT(ControlText(about, IDC_ABOUT_NOTICE).size(), 40u);
    PauseForScreenshot("about");

    const std::string host = AboutWebHost;
    struct Action {
        int control;
        bool clickable;   // a notifying text clicked with the mouse, or a button
        std::string opened;
    };
    const Action actions[] = {
        {IDC_ABOUT_EULA, false, "http://" + host + "/eula.html?TID=1018ORG"},
        {IDC_ABOUT_PRIVACY, false, "http://" + host + "/privacy-policy.html?TID=1018ORG"},
        {IDC_ABOUT_SUPPORT_MAIL, true, std::string("mailto:") + AboutSupportAddress},
        // Opened without a scheme; the shell takes "www." for a web address.
        {IDC_ABOUT_HOMEPAGE, true, "http://" + host + "/?TID=ORG"},
    };
    size_t expected = 0;
    for (const Action& action : actions) {
        SCOPED_TRACE(action.control);
        if (action.clickable) {
            HWND text = GetDlgItem(about, action.control);
            PostMessageA(text, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            PostMessageA(text, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        } else {
            PressPosted(about, action.control);
        }
        ASSERT_TRUE(log.WaitFor(++expected));
        const std::vector<std::string> lines = log.Lines();
        ASSERT_EQ(lines.size(), expected);
        EXPECT_EQ(lines.back(), std::string(LoggerName) + "\t" + action.opened);
        EXPECT_TRUE(IsWindowVisible(about));
    }
    // A label is not clickable: nothing more starts.
    PostMessageA(GetDlgItem(about, IDC_ABOUT_HOMEPAGE_LABEL), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(about, WM_NULL, 0, 0);
    Sleep(1000);
    EXPECT_EQ(log.Lines().size(), expected);
    EXPECT_TRUE(copy.Quit());
}

TEST(AboutDialog, UninstallWithoutAnUninstallerSaysSoAndStaysOpen)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Start());
    HWND about = copy.Open(IDC_CAPTION_ABOUT, "About");
    ASSERT_NE(about, static_cast<HWND>(NULL));

    PressPosted(about, IDC_ABOUT_UNINSTALL);
    HWND box = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (box = copy.FindBox()) != NULL; }, ToolTimeout));
    EXPECT_EQ(GetWindow(box, GW_OWNER), about);
    PauseForScreenshot("about-no-uninstaller");
    EXPECT_EQ(copy.TakeBox(), "Cannot initiate Velmora uninstaller.");
    SendMessageA(about, WM_NULL, 0, 0);
    EXPECT_TRUE(IsWindowVisible(about));
    EXPECT_EQ(copy.FindDialog("About"), about);
    EXPECT_TRUE(copy.Quit());
}

TEST(AboutDialog, UninstallStartsEveryUninstallerThenEndsTheProgram)
{
    LaunchLog log;
    ProgramCopy copy;
    const std::string logger = TestFolder() + LoggerName;
    for (const char* name : {"unins000.exe", "unins001.exe"})
        ASSERT_TRUE(CopyFileA(logger.c_str(), (copy.Folder() + name).c_str(), FALSE));
    const int iconsBefore = TrayIconCount();
    ASSERT_TRUE(copy.Start());
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, copy.ProcessId());
    ASSERT_NE(process, static_cast<HANDLE>(NULL));
    ASSERT_TRUE(WaitUntil([&] { return TrayIconCount() == iconsBefore + 1; }, ToolTimeout));
    HWND about = copy.Open(IDC_CAPTION_ABOUT, "About");
    ASSERT_NE(about, static_cast<HWND>(NULL));

    PressPosted(about, IDC_ABOUT_UNINSTALL);
    EXPECT_EQ(WaitForSingleObject(process, ToolTimeout), WAIT_OBJECT_0);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == iconsBefore; }, ToolTimeout)) << TrayIconCount();

    ASSERT_TRUE(log.WaitFor(2));
    std::vector<std::string> lines = log.Lines();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"unins000.exe\t", "unins001.exe\t"}));
}

TEST(AboutDialog, OpenedOverTheMinimisedWindowRestoresItAndLeavesNoOverlay)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Start());
    HWND main = copy.Main();
    Press(main, IDC_CAPTION_MINIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }, ToolTimeout));

    // The system menu's About item.
    PostMessageA(main, WM_SYSCOMMAND, 0x10, 0);
    HWND about = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (about = copy.FindDialog("About")) != NULL; }, ToolTimeout));
    SendMessageA(about, WM_NULL, 0, 0);
    EXPECT_FALSE(IsIconic(main));
    EXPECT_TRUE(IsWindowVisible(main));
    // The dim overlay lies over the restored window while the dialog runs.
    std::vector<HWND> overlays;
    for (HWND window : VisibleWindows(copy.ProcessId()))
        if (window != main && window != about && SameRect(window, main))
            overlays.push_back(window);
    EXPECT_EQ(overlays.size(), 1u);

    PressPosted(about, IDC_ABOUT_CLOSE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, ToolTimeout));
    EXPECT_TRUE(WaitUntil([&] { return VisibleWindows(copy.ProcessId()) == std::vector<HWND>{main}; }, ToolTimeout));
    // Hidden first, then destroyed: the window may still exist for a moment once it is hidden.
    for (HWND overlay : overlays)
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(overlay); }, ToolTimeout));
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_TRUE(copy.Quit());
}
