// The whole defragmentation across a restart, run by run-across-restart: a copy of the program
// with the recording engine (whose replacement does what Windows does, see DefragTestEngine.cpp)
// over a hive list naming HKLM\SOFTWARE in an 8 MB file, as Windows Server 2003.
//
// Before the restart the case presses Defrag and logs every busy text with its tick count into
// a file of the prefix until the restart ends this process with every other of the prefix.
// After it, in a new session of the same prefix, the case reads that log, the recorder's calls,
// the job file and "LastDefrag", then starts the program the way the logon task would.
#include <gtest/gtest.h>

#include <regex>

#include "RegDefragTestSupport.h"
#include "Support/ScreenshotPause.h"

using namespace defrag_test;

namespace {

const char* const LogFile = "C:\\defrag-restart.log";
const char* const SurvivedLine = "the restart ended nothing";

std::string Phase()
{
    char value[32] = {};
    GetEnvironmentVariableA("VELMORA_RESTART_PHASE", value, sizeof value);
    return value;
}

std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

void AppendLine(const std::string& line)
{
    HANDLE log =
        CreateFileA(LogFile, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    ASSERT_NE(log, INVALID_HANDLE_VALUE);
    const std::string data = line + "\r\n";
    DWORD written = 0;
    WriteFile(log, data.data(), DWORD(data.size()), &written, NULL);
    CloseHandle(log);
}

std::vector<std::string> ReadLines(const std::string& path)
{
    std::vector<std::string> lines;
    const std::string data = ReadFileBytes(path);
    size_t from = 0;
    while (from < data.size()) {
        size_t end = data.find("\r\n", from);
        if (end == std::string::npos)
            end = data.size();
        lines.push_back(data.substr(from, end - from));
        from = end + 2;
    }
    return lines;
}

struct LoggedText {
    DWORD tick;
    bool boxShown;
    std::string text;
};

// "tick|box|text" lines; the survival line is kept as a text of its own.
std::vector<LoggedText> ReadLog()
{
    std::vector<LoggedText> texts;
    for (const std::string& line : ReadLines(LogFile)) {
        const size_t a = line.find('|'), b = line.find('|', a + 1);
        if (a == std::string::npos || b == std::string::npos) {
            texts.push_back({0, false, line});
            continue;
        }
        texts.push_back({DWORD(std::stoul(line.substr(0, a))), line.substr(a + 1, b - a - 1) == "1",
                         line.substr(b + 1)});
    }
    return texts;
}

// Before the restart: Defrag pressed, the texts logged until this process is ended.
void RunUntilRestart()
{
    ASSERT_TRUE(PlantSoftwareHive(HiveFixtureSize));
    DeleteFileA(LogFile);
    ProgramCopy copy;
    ASSERT_TRUE(CopyFileA((TestFolder() + "defrag-recorder\\Tarnex.dll").c_str(),
                          (copy.Folder() + "Tarnex.dll").c_str(), FALSE));
    ASSERT_TRUE(copy.Start());
    Press(copy.Main(), IDC_NAV_REGISTRY_DEFRAG);
    ASSERT_EQ(StartDefrag(copy), WarningText);
    DWORD processId = copy.ProcessId();
    HANDLE program = OpenProcess(SYNCHRONIZE, FALSE, processId);
    bool shot = false;
    WatchBusyTexts(copy, [&] { return WaitForSingleObject(program, 0) == WAIT_OBJECT_0; }, 120000,
                   [&](const SeenText& seen) {
                       AppendLine(std::to_string(seen.tick) + "|" + (seen.boxShown ? "1" : "0") + "|" +
                                  Escaped(seen.text));
                       if (!shot && seen.text.find("in 5 seconds") != std::string::npos) {
                           shot = true;
                           PauseForScreenshot("registry-defrag-countdown");
                       }
                   });
    // The restart ends this process too; still here a while later, it ended nothing.
    Sleep(10000);
    AppendLine(SurvivedLine);
    CloseHandle(program);
}

}  // namespace

TEST(RegDefragRestart, ReplacementRestartsAndTheLogonStartFinishes)
{
    if (Phase() == "before") {
        RunUntilRestart();
        return;
    }
    ASSERT_EQ(Phase(), "after") << "run through run-across-restart";

    char ended[8] = {};
    GetEnvironmentVariableA("VELMORA_RESTART_SESSION_ENDED", ended, sizeof ended);
    EXPECT_STREQ(ended, "1") << "processes of the prefix outlived the restart";

    // The busy texts: the gain, the replacement 3 s later, then five countdown texts a second
    // apart, and no box over any of them; then the restart ended the driver.
    const std::vector<LoggedText> log = ReadLog();
    std::vector<std::string> texts;
    for (const LoggedText& t : log)
        texts.push_back(t.text);
    ASSERT_GE(log.size(), 7u) << ::testing::PrintToString(texts);
    EXPECT_NE(texts.back(), SurvivedLine);
    const std::string backup = std::string(WorkFolder) + "\\Backup\\LM_SOFTWARE";
    const std::vector<std::string> expectedTail = {
        ExpectedGainText(FileSize(HiveFixture), FileSize(backup)),
        ReplacementText,
        "Restarting your system in 5 seconds.",
        "Restarting your system in 4 seconds.",
        "Restarting your system in 3 seconds.",
        "Restarting your system in 2 seconds.",
        "Restarting your system in 1 second.",
    };
    const size_t first = log.size() - expectedTail.size();
    EXPECT_EQ(std::vector<std::string>(texts.begin() + first, texts.end()), expectedTail);
    EXPECT_GE(log[first + 1].tick - log[first].tick, 2500u)
        << "the replacement waits 3 s (less the polling's lag)";
    for (size_t i = first + 3; i < log.size(); ++i) {
        const DWORD step = log[i].tick - log[i - 1].tick;
        EXPECT_GE(step, 900u) << texts[i];
        EXPECT_LE(step, 1600u) << texts[i];
    }
    for (const LoggedText& t : log)
        EXPECT_FALSE(t.boxShown) << "a box over \"" << t.text << "\"";

    // One replacement call, which set the 8 MB hive aside as its backup and put the copy in
    // its place; the task is there for the logon, and nothing was recorded yet.
    CoInitialize(NULL);
    CString user;
    ASSERT_TRUE(GetCurrentUserName(user));
    CTask task;
    ASSERT_EQ(task.LoadTask(FormatLogonDefragTaskName("DEFRAG", user)), S_OK);
    EXPECT_TRUE(FileExists(DefragJobPath()));
    const std::string program = std::string(task.GetProgram());
    const std::string folder = program.substr(0, program.rfind('\\') + 1);
    EXPECT_EQ(ReadLines(folder + "replace-calls.txt"),
              std::vector<std::string>{"HKLM|SOFTWARE|" + std::string(WorkFolder) + "\\LM_SOFTWARE|" + backup + "|0"});
    EXPECT_EQ(FileSize(backup), HiveFixtureSize);
    EXPECT_LT(FileSize(HiveFixture), HiveFixtureSize);
    bool recorded = true;
    LastDefrag(&recorded);
    EXPECT_FALSE(recorded);

    // The logon: the program the task names, with its parameters, from its folder. The start
    // waits 4 s before the main window, the page half a second more.
    EXPECT_EQ(std::string(task.GetParameters()), "DEFRAG");
    ChildProcess logon;
    const DWORD started = GetTickCount();
    ASSERT_TRUE(logon.Start(program, "\"" + program + "\" " + std::string(task.GetParameters()),
                            std::string(task.GetStartupDir())));
    HWND box = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (box = FindMessageBox(logon.Id())) != NULL; }, 30000));
    const DWORD after = GetTickCount() - started;
    EXPECT_GE(after, 4400u);
    EXPECT_LE(after, 15000u);
    EXPECT_EQ(StaticTexts(box), SuccessText);
    const std::string date = LastDefrag();
    EXPECT_TRUE(std::regex_match(date, std::regex(R"(\d{2}/\d{2}/\d{4} \d{2}:\d{2}:\d{2} (AM|PM))"))) << date;
    HWND main = FindMainWindow(logon.Id());
    EXPECT_EQ(ControlText(Page(main), IDC_DEFRAG_LAST_VALUE), date);
    EXPECT_FALSE(FileExists(DefragJobPath()));
    PressButton(box, OkButtons);
    ASSERT_TRUE(WaitUntil([&] { return FindMessageBox(logon.Id()) == NULL; }, ToolTimeout));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(logon.WaitForExit(15000));
}
