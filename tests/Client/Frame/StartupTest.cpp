// Start-up of the real Velmora.exe, each case a real process under Wine: the switches, one
// instance, the engine missing, an untested Windows version. Every case runs in a prefix of its
// own (the mutex, the settings and the Windows version are machine-wide).
#include <gtest/gtest.h>

#include <string>

#include "Frame/EngineBinding.h"
#include "ProcessDriver.h"
#include "Support/ProgramBitness.h"

namespace {

const DWORD StartTimeout = 20000;
const DWORD QuitTimeout = 15000;

std::string Quoted(const std::string& path)
{
    return "\"" + path + "\"";
}

// "AppPath1" where the program, built like this test, stores it (it names no registry view).
std::string ReadAppPath()
{
    char path[MAX_PATH] = {};
    DWORD size = sizeof path;
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Velmora", 0, KEY_READ | kProgramRegistryView, &key) !=
        ERROR_SUCCESS)
        return "<missing>";
    LONG result = RegGetValueA(key, NULL, "AppPath1", RRF_RT_REG_SZ, NULL, path, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? path : "<missing>";
}

HWND WaitForMainWindow(const ChildProcess& program, DWORD timeoutMs = StartTimeout)
{
    HWND main = NULL;
    WaitUntil([&] { return (main = FindMainWindow(program.Id())) != NULL || !program.Running(); }, timeoutMs);
    return main;
}

HWND WaitForMessageBox(const ChildProcess& program)
{
    HWND box = NULL;
    WaitUntil([&] { return (box = FindMessageBox(program.Id())) != NULL || !program.Running(); }, StartTimeout);
    return box;
}

// Closes the main window the way the user does; the program ends at once with code 0.
void CloseAndExpectExit(ChildProcess& program, HWND main)
{
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForExit(QuitTimeout));
    EXPECT_EQ(program.ExitCode(), 0u);
}

bool CopyProgramTo(const std::string& folder)
{
    return CopyFileA(BuiltProgramPath().c_str(), (folder + "Velmora.exe").c_str(), FALSE) != FALSE;
}

}  // namespace

TEST(Startup, SwitchesDecideHowTheMainWindowAppears)
{
    struct Case {
        const char* arguments;
        bool shown;         // visible soon after start (otherwise hidden in the tray)
        DWORD minimumDelay; // ms before the window may appear
    };
    const Case cases[] = {
        {"", true, 0},
        {"/bogus whatever", true, 0},
        {"STARTSCAN", false, 0},
        {"/defrag", true, 3500},
        {"-DeFrag STARTSCAN", true, 3500},   // finishing the defragmentation comes first
    };
    // Started by its bare file name from another folder: the program still knows where it is.
    std::string elsewhere = MakeScratchFolder("velmora-cwd");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        ChildProcess program;
        DWORD start = GetTickCount();
        ASSERT_TRUE(program.Start(BuiltProgramPath(), std::string("Velmora.exe ") + c.arguments, elsewhere));
        HWND main = NULL;
        ASSERT_TRUE(WaitUntil([&] { main = FindMainWindow(program.Id()); return main && (!c.shown || IsWindowVisible(main)); },
                              StartTimeout));
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, c.minimumDelay);
        if (c.shown) {
            EXPECT_TRUE(IsWindowVisible(main));
            EXPECT_FALSE(IsIconic(main));
        } else {
            // Hidden to the tray right after it opened, and iconic: the way back out of the tray
            // restores it.
            EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main) && IsIconic(main); }, QuitTimeout));
            Sleep(500);
            EXPECT_FALSE(IsWindowVisible(main));
        }
        EXPECT_EQ(ReadAppPath(), BuiltProgramPath());
        CloseAndExpectExit(program, main);
    }
}

TEST(Startup, SecondInstanceBringsTheFirstForwardAndEnds)
{
    struct Case {
        const char* firstArguments;
        bool minimise;    // the test minimises the first window before the second start
    };
    const Case cases[] = {
        {"", true},
        {"STARTSCAN", false},   // hidden in the tray
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstArguments);
        ChildProcess first;
        ASSERT_TRUE(first.Start(BuiltProgramPath(), Quoted(BuiltProgramPath()) + " " + c.firstArguments));
        HWND main = WaitForMainWindow(first);
        ASSERT_NE(main, static_cast<HWND>(NULL));
        if (c.minimise) {
            ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, StartTimeout));
            ShowWindow(main, SW_MINIMIZE);
        }
        ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }, 5000));
        size_t firstWindows = TopLevelWindows(first.Id()).size();

        ChildProcess second;
        ASSERT_TRUE(second.Start(BuiltProgramPath(), Quoted(BuiltProgramPath())));
        bool secondShowedAWindow = false;
        WaitUntil([&] {
            for (HWND w : TopLevelWindows(second.Id()))
                secondShowedAWindow |= IsWindowVisible(w) != FALSE;
            return !second.Running();
        }, 10000, 10);
        EXPECT_FALSE(second.Running());
        EXPECT_EQ(second.ExitCode(), 0u);
        EXPECT_FALSE(secondShowedAWindow);

        EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }, 5000));
        EXPECT_EQ(GetForegroundWindow(), main);
        EXPECT_EQ(TopLevelWindows(first.Id()).size(), firstWindows);
        EXPECT_TRUE(first.Running());
        CloseAndExpectExit(first, main);
    }
}

TEST(Startup, EngineThatCannotBeBoundIsReportedWithItsErrorCode)
{
    struct Case {
        const char* engineFile;   // copied beside the program as Tarnex.dll; none when empty
        DWORD errorCode;
    };
    const Case cases[] = {
        {"", ERROR_MOD_NOT_FOUND},               // 126: the library is missing
        {"frame_no_start_engine.dll", 0},        // loads, but has no Start
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.engineFile);
        std::string folder = MakeScratchFolder("velmora-engine");
        ASSERT_TRUE(CopyProgramTo(folder));
        if (*c.engineFile) {
            ASSERT_TRUE(CopyFileA((TestFolder() + c.engineFile).c_str(), (folder + "Tarnex.dll").c_str(), FALSE));
        }
        ChildProcess program;
        ASSERT_TRUE(program.Start(folder + "Velmora.exe", Quoted(folder + "Velmora.exe"), folder));
        HWND box = WaitForMessageBox(program);
        ASSERT_NE(box, static_cast<HWND>(NULL));
        EXPECT_NE(StaticTexts(box).find(std::string(FormatEngineLoadError(c.errorCode))), std::string::npos)
            << StaticTexts(box);
        EXPECT_EQ(FindMainWindow(program.Id()), static_cast<HWND>(NULL));
        ASSERT_TRUE(PressButton(box, OkButtons));
        EXPECT_TRUE(program.WaitForExit(5000));
        EXPECT_EQ(program.ExitCode(), 0u);
    }
}

TEST(Startup, UntestedWindowsVersionAsksFirst)
{
    const char appDefaults[] = "Software\\Wine\\AppDefaults\\Velmora.exe";
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, appDefaults, "Version", REG_SZ, "win2k", 6), ERROR_SUCCESS);
    const std::string question =
        "Velmora is not tested on this Windows version.\n\nDo you still want to run Velmora?";
    for (bool answerYes : {false, true}) {
        SCOPED_TRACE(answerYes ? "Yes" : "No");
        ChildProcess program;
        ASSERT_TRUE(program.Start(BuiltProgramPath(), Quoted(BuiltProgramPath())));
        HWND box = WaitForMessageBox(program);
        ASSERT_NE(box, static_cast<HWND>(NULL));
        EXPECT_NE(StaticTexts(box).find(question), std::string::npos) << StaticTexts(box);
        EXPECT_EQ(FindMainWindow(program.Id()), static_cast<HWND>(NULL));
        ASSERT_TRUE(PressButton(box, answerYes ? YesButtons : NoButtons));
        if (answerYes) {
            HWND main = NULL;
            ASSERT_TRUE(WaitUntil([&] { main = FindMainWindow(program.Id()); return main && IsWindowVisible(main); },
                                  StartTimeout));
            CloseAndExpectExit(program, main);
        } else {
            EXPECT_TRUE(program.WaitForExit(5000));
            EXPECT_EQ(program.ExitCode(), 0u);
        }
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, appDefaults);
}
