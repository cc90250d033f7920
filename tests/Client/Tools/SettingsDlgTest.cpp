// The Settings dialog of a copy of the real program, driven from the outside: the logon task in
// the real Task Scheduler, the switches in the settings key, the ignore list file beside the
// copy, and the keys that must close nothing. Each case runs in a prefix of its own.
#include <gtest/gtest.h>

#include <objbase.h>
#include <mstask.h>

#include <string>
#include <vector>

#include "Client/Frame/ProgramSettings.h"
#include "Client/Frame/Task.h"
#include "Client/Resources/ToolDialogResources.h"
#include "Client/Scan/TweakTestSupport.h"
#include "Frame/FrameResources.h"
#include "Support/ProgramBitness.h"
#include "Support/ScreenshotPause.h"
#include "ToolDialogDriver.h"

namespace {

const char Title[] = "Settings";

std::string UserName()
{
    CString user;
    GetCurrentUserName(user);
    return user.GetString();
}

std::string TaskName()
{
    return FormatScanOnLogonTaskName(UserName().c_str()).GetString();
}

std::string JobPath()
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\tasks\\" + TaskName() + ".job";
}

HWND OpenSettings(ProgramCopy& copy)
{
    return copy.Open(IDC_CAPTION_SETTINGS, Title);
}

// "X": the switches and the task are applied and the dialog ends.
void CloseWithX(HWND dialog)
{
    PressPosted(dialog, IDC_TOOL_CLOSE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, ToolTimeout));
}

// A click as the mouse gives it: pressed, drawn pressed (a check button flips then), released.
// The pointer is put over the button first: a pressed button holds the mouse capture, and any
// mouse move the system sends it meanwhile (Wine sends one whenever a window changes under the
// pointer) would otherwise come from outside the button, lift it, and drop the click.
void Click(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    POINT at = {2, 2};
    ClientToScreen(button, &at);
    SetCursorPos(at.x, at.y);
    EXPECT_TRUE(WaitUntil([&] {
        POINT now = {};
        return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
    }, ToolTimeout));
    auto settled = [&](bool pushed) {
        const bool isPushed = (SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
        return isPushed == pushed && !GetUpdateRect(button, NULL, FALSE);
    };
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_TRUE(WaitUntil([&] { return settled(true); }, ToolTimeout));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(WaitUntil([&] { return settled(false); }, ToolTimeout));
    SendMessageA(dialog, WM_NULL, 0, 0);
}

// The task's comment and its first trigger's type, read through the scheduler itself.
struct TaskFacts {
    bool found = false;
    std::wstring comment;
    TASK_TRIGGER_TYPE trigger = TASK_TIME_TRIGGER_ONCE;
};
TaskFacts ReadTaskFacts()
{
    TaskFacts facts;
    ITaskScheduler* scheduler = NULL;
    if (FAILED(CoCreateInstance(CLSID_CTaskScheduler, NULL, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                                reinterpret_cast<void**>(&scheduler))))
        return facts;
    const std::string name = TaskName();
    std::wstring wide(name.begin(), name.end());
    ITask* task = NULL;
    if (SUCCEEDED(scheduler->Activate(wide.c_str(), IID_ITask, reinterpret_cast<IUnknown**>(&task)))) {
        facts.found = true;
        LPWSTR comment = NULL;
        if (SUCCEEDED(task->GetComment(&comment)) && comment) {
            facts.comment = comment;
            CoTaskMemFree(comment);
        }
        ITaskTrigger* trigger = NULL;
        if (SUCCEEDED(task->GetTrigger(0, &trigger))) {
            TASK_TRIGGER data = {};
            data.cbTriggerSize = sizeof data;
            if (SUCCEEDED(trigger->GetTrigger(&data)))
                facts.trigger = data.TriggerType;
            trigger->Release();
        }
        task->Release();
    }
    scheduler->Release();
    return facts;
}

// A task of the dialog's name for another program (or another spelling of this one).
bool PlantTask(const std::string& program)
{
    CTask task;
    task.SetProgram(program.c_str());
    task.SetStartupDir("C:\\Other\\");
    task.SetParameters("STARTSCAN");
    task.SetAccountName(UserName().c_str());
    SYSTEMTIME now;
    GetLocalTime(&now);
    task.SetStartDateTime(now);
    task.SetFrequency(TaskScheduleOther);
    return task.SaveTask(TaskName().c_str(), 0) == S_OK;
}

std::string ToUpper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

class ComScope {
public:
    ComScope() { CoInitialize(NULL); }
    ~ComScope() { CoUninitialize(); }
};

}  // namespace

TEST(SettingsDialog, ScanAtLogonTaskIsMadeForThisProgramAndRemovedAgain)
{
    ComScope com;
    ProgramCopy copy;
    ASSERT_TRUE(copy.Start());
    HWND dialog = OpenSettings(copy);
    ASSERT_NE(dialog, static_cast<HWND>(NULL));
    Click(dialog, IDC_SETTINGS_SCAN_AT_LOGON);
    EXPECT_FALSE(FileExists(JobPath()));   // nothing before "X"
    CloseWithX(dialog);

    ASSERT_TRUE(FileExists(JobPath())) << JobPath();
    CTask task;
    ASSERT_EQ(task.LoadTask(TaskName().c_str()), S_OK);
    EXPECT_STREQ(task.GetProgram(), copy.ProgramPath().c_str());
    EXPECT_STREQ(task.GetParameters(), "STARTSCAN");
    EXPECT_STREQ(task.GetStartupDir(), copy.Folder().c_str());
    const TaskFacts facts = ReadTaskFacts();
    EXPECT_TRUE(facts.found);
    EXPECT_EQ(facts.comment, L"Scan On Logon");
    EXPECT_EQ(facts.trigger, TASK_EVENT_TRIGGER_AT_LOGON);

    // Reopened, the box is ticked: "X" keeps the task.
    dialog = OpenSettings(copy);
    ASSERT_NE(dialog, static_cast<HWND>(NULL));
    EXPECT_TRUE(FileExists(JobPath()));
    CloseWithX(dialog);
    EXPECT_TRUE(FileExists(JobPath()));

    // Unticked, "X" deletes it; "X" again with nothing to delete is harmless.
    for (int round = 0; round < 2; ++round) {
        dialog = OpenSettings(copy);
        ASSERT_NE(dialog, static_cast<HWND>(NULL));
        if (round == 0)
            Click(dialog, IDC_SETTINGS_SCAN_AT_LOGON);
        CloseWithX(dialog);
        EXPECT_FALSE(FileExists(JobPath())) << "round " << round;
    }
    EXPECT_TRUE(copy.Quit());
}

TEST(SettingsDialog, ATaskOfAnotherProgramGoesAsTheDialogOpens)
{
    ComScope com;
    ProgramCopy copy;
    struct Case {
        std::string program;
        bool kept;
    };
    const Case cases[] = {
        {"C:\\Other\\Velmora.exe", false},
        {ToUpper(copy.ProgramPath()), true},   // the same file in capitals
    };
    ASSERT_TRUE(copy.Start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        ASSERT_TRUE(PlantTask(c.program));
        ASSERT_TRUE(FileExists(JobPath()));
        HWND dialog = OpenSettings(copy);
        ASSERT_NE(dialog, static_cast<HWND>(NULL));
        EXPECT_EQ(FileExists(JobPath()), c.kept);
        // Ticked for the kept one: "X" saves it afresh for this program; unticked: none.
        CloseWithX(dialog);
        EXPECT_EQ(FileExists(JobPath()), c.kept);
        if (c.kept) {
            CTask task;
            ASSERT_EQ(task.LoadTask(TaskName().c_str()), S_OK);
            EXPECT_STREQ(task.GetProgram(), copy.ProgramPath().c_str());
        }
        CTask::DeleteTask(TaskName().c_str());
    }
}

TEST(SettingsDialog, SwitchesAreWrittenOnlyAtX)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Start());
    auto stored = [](const char* name) {
        return ReadStored(HKEY_LOCAL_MACHINE, ProgramSettingsKey, name, kProgramRegistryView);
    };
    // The start wrote the defaults of the missing values.
    const StoredValue firstRun = stored(SettingFirstRun);
    ASSERT_EQ(stored(SettingSoftwareUpdate), Dword(1));
    ASSERT_EQ(stored(SettingAutoRegBackup), Dword(1));

    HWND dialog = OpenSettings(copy);
    ASSERT_NE(dialog, static_cast<HWND>(NULL));
    PauseForScreenshot("settings-general");
    Click(dialog, IDC_SETTINGS_AUTO_BACKUP);
    Click(dialog, IDC_SETTINGS_CHECK_UPDATES);
    EXPECT_EQ(stored(SettingSoftwareUpdate), Dword(1));
    EXPECT_EQ(stored(SettingAutoRegBackup), Dword(1));
    EXPECT_EQ(stored(SettingFirstRun), firstRun);
    CloseWithX(dialog);
    EXPECT_EQ(stored(SettingSoftwareUpdate), Dword(0));
    EXPECT_EQ(stored(SettingAutoRegBackup), Dword(0));
    EXPECT_EQ(stored(SettingFirstRun), Dword(0));

    // Reopened unticked: "X" keeps both off; ticking one again turns only it on.
    dialog = OpenSettings(copy);
    ASSERT_NE(dialog, static_cast<HWND>(NULL));
    Click(dialog, IDC_SETTINGS_CHECK_UPDATES);
    CloseWithX(dialog);
    EXPECT_EQ(stored(SettingSoftwareUpdate), Dword(1));
    EXPECT_EQ(stored(SettingAutoRegBackup), Dword(0));
}

namespace {

// count records "Key<i>^Category<i>^16384;\r\n", i from 0.
std::string IgnoreRecords(int count)
{
    std::string records;
    for (int i = 0; i < count; ++i)
        records += "Key" + std::to_string(i) + "^Category" + std::to_string(i) + "^16384;\r\n";
    return records;
}

}  // namespace

TEST(SettingsDialog, IgnoreListShowsSevenEntriesUntilShowMore)
{
    ProgramCopy copy;
    const std::string file = copy.Folder() + "LI.irg";
    ASSERT_TRUE(copy.Start());
    for (int count : {0, 7, 8}) {
        SCOPED_TRACE(testing::Message() << count << " entries");
        ASSERT_TRUE(WriteFileBytes(file, IgnoreRecords(count)));
        HWND dialog = OpenSettings(copy);
        ASSERT_NE(dialog, static_cast<HWND>(NULL));
        EXPECT_FALSE(Visible(dialog, IDC_SETTINGS_IGNORE_LIST));   // the General tab comes first
        Press(dialog, IDC_SETTINGS_TAB_IGNORE);
        EXPECT_TRUE(Visible(dialog, IDC_SETTINGS_IGNORE_LIST));
        EXPECT_FALSE(Visible(dialog, IDC_SETTINGS_SCAN_AT_LOGON));
        RemoteList list(GetDlgItem(dialog, IDC_SETTINGS_IGNORE_LIST));
        const bool limited = count > 7;
        std::vector<std::string> keys, categories;
        for (int i = 0; i < (limited ? 7 : count); ++i) {
            keys.push_back("Key" + std::to_string(i));
            categories.push_back("Category" + std::to_string(i));
        }
        EXPECT_EQ(list.Column(0), keys);
        EXPECT_EQ(list.Column(1), categories);
        EXPECT_EQ(Visible(dialog, IDC_TOOL_SHOW_MORE), limited);
        if (limited) {
            PauseForScreenshot("settings-ignore-list");
            Press(dialog, IDC_TOOL_SHOW_MORE);
            EXPECT_EQ(list.Count(), 8);
            EXPECT_EQ(list.Text(7, 0), "Key7");
            EXPECT_FALSE(Visible(dialog, IDC_TOOL_SHOW_MORE));
        }
        // Nothing selected: Remove changes nothing.
        Press(dialog, IDC_TOOL_REMOVE);
        EXPECT_EQ(ReadFileBytes(file), IgnoreRecords(count));
        CloseWithX(dialog);
    }
}

TEST(SettingsDialog, RemoveDropsOneEntryOfTheSelectedText)
{
    ProgramCopy copy;
    const std::string file = copy.Folder() + "LI.irg";
    ASSERT_TRUE(WriteFileBytes(file, "Z^Last^3;\r\nK^BBB^2;\r\nK^AAA^1;\r\n"));
    ASSERT_TRUE(copy.Start());
    HWND dialog = OpenSettings(copy);
    ASSERT_NE(dialog, static_cast<HWND>(NULL));
    Press(dialog, IDC_SETTINGS_TAB_IGNORE);
    RemoteList list(GetDlgItem(dialog, IDC_SETTINGS_IGNORE_LIST));
    ASSERT_EQ(list.Column(0), (std::vector<std::string>{"K", "K", "Z"}));
    ASSERT_EQ(list.Column(1), (std::vector<std::string>{"AAA", "BBB", "Last"}));

    // Either "K" row names the same text: the entry that sorts first goes, written at once.
    list.Select(1);
    Press(dialog, IDC_TOOL_REMOVE);
    EXPECT_EQ(ReadFileBytes(file), "K^BBB^2;\r\nZ^Last^3;\r\n");
    EXPECT_EQ(list.Column(1), (std::vector<std::string>{"BBB", "Last"}));
    list.Select(0);
    Press(dialog, IDC_TOOL_REMOVE);
    EXPECT_EQ(ReadFileBytes(file), "Z^Last^3;\r\n");
    EXPECT_EQ(list.Column(0), (std::vector<std::string>{"Z"}));
    CloseWithX(dialog);
}

TEST(ToolDialogs, AltAndEscapeCloseNeither)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Start());
    struct Opened {
        int command;
        const char* title;
    };
    for (const Opened& o : {Opened{IDC_CAPTION_SETTINGS, "Settings"}, Opened{IDC_CAPTION_RESTORE, "Restore Center"}}) {
        SCOPED_TRACE(o.title);
        HWND dialog = copy.Open(o.command, o.title);
        ASSERT_NE(dialog, static_cast<HWND>(NULL));
        for (WPARAM key : {WPARAM(VK_MENU), WPARAM(VK_ESCAPE)}) {
            PostMessageA(dialog, WM_KEYDOWN, key, 0);
            PostMessageA(dialog, WM_KEYUP, key, 0);
        }
        Sleep(300);
        SendMessageA(dialog, WM_NULL, 0, 0);
        EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog));
        PressPosted(dialog, IDC_TOOL_CLOSE);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, ToolTimeout));
    }
}
