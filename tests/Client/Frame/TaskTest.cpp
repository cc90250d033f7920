// Scheduled tasks through the prefix's real Task Scheduler: the logon tasks by their names,
// created, read back, replaced and deleted. Tasks are machine-wide, so this program runs every
// case in a prefix of its own.
#include <gtest/gtest.h>

#include <objbase.h>
#include <mstask.h>

#include <string>

#include "Frame/ProgramPaths.h"
#include "Frame/Task.h"

namespace {

std::wstring Wide(const std::string& text)
{
    std::wstring out(text.size(), L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = static_cast<unsigned char>(text[i]);
    return out;
}

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += static_cast<char>(*text);
    return out;
}

// The scheduler as the test sees it, independent of CTask.
class Scheduler {
public:
    Scheduler()
    {
        CoInitialize(NULL);
        CoCreateInstance(CLSID_CTaskScheduler, NULL, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                         reinterpret_cast<void**>(&m_scheduler));
    }
    ~Scheduler()
    {
        if (m_scheduler)
            m_scheduler->Release();
        CoUninitialize();
    }
    bool Ready() const { return m_scheduler != NULL; }
    // Names of every task, in the scheduler's order.
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        IEnumWorkItems* items = NULL;
        if (FAILED(m_scheduler->Enum(&items)))
            return names;
        LPWSTR* batch = NULL;
        ULONG fetched = 0;
        while (items->Next(1, &batch, &fetched) == S_OK && fetched == 1) {
            std::string name = Narrow(batch[0]);
            CoTaskMemFree(batch[0]);
            CoTaskMemFree(batch);
            // Enum hands out file names.
            if (name.size() > 4 && name.compare(name.size() - 4, 4, ".job") == 0)
                name.erase(name.size() - 4);
            names.push_back(name);
        }
        items->Release();
        return names;
    }
    ITask* Activate(const std::string& name, HRESULT* result = NULL)
    {
        ITask* task = NULL;
        HRESULT hr = m_scheduler->Activate(Wide(name).c_str(), IID_ITask, reinterpret_cast<IUnknown**>(&task));
        if (result)
            *result = hr;
        return SUCCEEDED(hr) ? task : NULL;
    }

private:
    ITaskScheduler* m_scheduler = NULL;
};

std::string UserName()
{
    CString user;
    GetCurrentUserName(user);
    return user.GetString();
}

int CountOf(const std::vector<std::string>& names, const std::string& name)
{
    int count = 0;
    for (const std::string& n : names)
        count += n == name;
    return count;
}

}  // namespace

TEST(LogonTask, CreateReadBackReplaceAndDelete)
{
    Scheduler scheduler;
    ASSERT_TRUE(scheduler.Ready());
    std::string user = UserName();
    ASSERT_FALSE(user.empty());
    std::string name = "Velmora on user logon for DEFRAG - " + user + " ";
    EXPECT_STREQ(FormatLogonDefragTaskName("DEFRAG", user.c_str()), name.c_str());

    ASSERT_TRUE(CreateLogonTask("DEFRAG", TASK_FLAG_DELETE_WHEN_DONE));
    HRESULT hr = E_FAIL;
    ITask* task = scheduler.Activate(name, &hr);
    ASSERT_NE(task, nullptr) << std::hex << hr;
    // The trailing blank is part of the name.
    EXPECT_EQ(scheduler.Activate(name.substr(0, name.size() - 1)), nullptr);

    DWORD flags = 0;
    EXPECT_EQ(task->GetFlags(&flags), S_OK);
    EXPECT_EQ(flags & (TASK_FLAG_RUN_ONLY_IF_LOGGED_ON | TASK_FLAG_INTERACTIVE | TASK_FLAG_DELETE_WHEN_DONE),
              static_cast<DWORD>(TASK_FLAG_RUN_ONLY_IF_LOGGED_ON | TASK_FLAG_INTERACTIVE | TASK_FLAG_DELETE_WHEN_DONE));
    LPWSTR comment = NULL;
    ASSERT_EQ(task->GetComment(&comment), S_OK);
    EXPECT_EQ(Narrow(comment), "On Logon");
    CoTaskMemFree(comment);
    // The one trigger really is there: at logon.
    WORD triggers = 0;
    EXPECT_EQ(task->GetTriggerCount(&triggers), S_OK);
    EXPECT_EQ(triggers, 1);
    ITaskTrigger* trigger = NULL;
    ASSERT_EQ(task->GetTrigger(0, &trigger), S_OK);
    TASK_TRIGGER definition = {};
    definition.cbTriggerSize = sizeof definition;
    EXPECT_EQ(trigger->GetTrigger(&definition), S_OK);
    EXPECT_EQ(definition.TriggerType, TASK_EVENT_TRIGGER_AT_LOGON);
    SYSTEMTIME today;
    GetLocalTime(&today);
    EXPECT_EQ(definition.wBeginYear, today.wYear);
    trigger->Release();
    task->Release();

    CTask readBack;
    ASSERT_EQ(readBack.LoadTask(name.c_str()), S_OK);
    std::string program = GetProgramPath().GetString();
    EXPECT_EQ(std::string(readBack.GetProgram()), program);
    EXPECT_EQ(std::string(readBack.GetParameters()), "DEFRAG");
    EXPECT_EQ(std::string(readBack.GetStartupDir()), program.substr(0, program.rfind('\\') + 1));
    EXPECT_EQ(readBack.GetLoadedScheduleKind(), TaskScheduleOther);

    // Creating it again replaces it: still exactly one.
    ASSERT_TRUE(CreateLogonTask("DEFRAG", TASK_FLAG_DELETE_WHEN_DONE));
    EXPECT_EQ(CountOf(scheduler.Names(), name), 1);
    ASSERT_TRUE(CreateLogonTask("STARTSCAN", 0));
    EXPECT_EQ(CountOf(scheduler.Names(), "Velmora on user logon for STARTSCAN - " + user + " "), 1);

    EXPECT_TRUE(DeleteLogonTask("DEFRAG"));
    EXPECT_EQ(scheduler.Activate(name, &hr), nullptr);
    EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    // Deleting a task that is not there fails and leaves the others alone.
    EXPECT_FALSE(DeleteLogonTask("DEFRAG"));
    EXPECT_EQ(scheduler.Names().size(), 1u);
    EXPECT_TRUE(DeleteLogonTask("STARTSCAN"));
    EXPECT_TRUE(scheduler.Names().empty());
}

TEST(Task, DailyAndWeeklyTriggersReadBack)
{
    Scheduler scheduler;
    ASSERT_TRUE(scheduler.Ready());
    struct Case {
        int kind;
        WORD dayOfWeek;
        int loadedKind;
        int loadedWeekday;
    };
    const Case cases[] = {
        {TaskScheduleDaily, 3, TaskScheduleDaily, 0},
        {TaskScheduleWeekly, 0, TaskScheduleWeekly, 0},
        {TaskScheduleWeekly, 4, TaskScheduleWeekly, 4},
        {TaskScheduleWeekly, 6, TaskScheduleWeekly, 6},
        {TaskScheduleOther, 2, TaskScheduleOther, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " weekday " << c.dayOfWeek);
        CTask task;
        SYSTEMTIME start = {2024, 5, c.dayOfWeek, 17, 13, 45, 31, 500};
        task.SetStartDateTime(start);
        EXPECT_EQ(task.GetStartDateTime().wSecond, 0);
        EXPECT_EQ(task.GetStartDateTime().wMilliseconds, 0);
        task.SetFrequency(c.kind);
        task.SetProgram("C:\\windows\\notepad.exe");
        task.SetComment("Scan On Logon");
        ASSERT_EQ(task.SaveTask("Velmora frame trigger probe", 0), S_OK);

        CTask readBack;
        ASSERT_EQ(readBack.LoadTask("Velmora frame trigger probe"), S_OK);
        EXPECT_EQ(readBack.GetLoadedScheduleKind(), c.loadedKind);
        EXPECT_EQ(readBack.GetStartDateTime().wYear, 2024);
        EXPECT_EQ(readBack.GetStartDateTime().wMonth, 5);
        EXPECT_EQ(readBack.GetStartDateTime().wDay, 17);
        EXPECT_EQ(readBack.GetStartDateTime().wHour, 13);
        EXPECT_EQ(readBack.GetStartDateTime().wMinute, 45);
        EXPECT_EQ(readBack.GetStartDateTime().wDayOfWeek, c.loadedWeekday);
        EXPECT_EQ(std::string(readBack.GetParameters()), "");
        EXPECT_EQ(CountOf(scheduler.Names(), "Velmora frame trigger probe"), 1);
    }
    EXPECT_EQ(CTask::DeleteTask("Velmora frame trigger probe"), S_OK);
}

TEST(Task, IncompleteOrInvalidTasksAreNotSaved)
{
    Scheduler scheduler;
    ASSERT_TRUE(scheduler.Ready());
    SYSTEMTIME now;
    GetLocalTime(&now);

    CTask noStart;
    noStart.SetProgram("C:\\windows\\notepad.exe");
    EXPECT_EQ(noStart.SaveTask("Velmora frame incomplete", 0), E_FAIL);
    CTask noProgram;
    noProgram.SetStartDateTime(now);
    EXPECT_EQ(noProgram.SaveTask("Velmora frame incomplete", 0), E_FAIL);
    CTask complete;
    complete.SetStartDateTime(now);
    complete.SetProgram("C:\\windows\\notepad.exe");
    EXPECT_EQ(complete.SaveTask("", 0), E_FAIL);
    EXPECT_EQ(complete.SaveTask(NULL, 0), E_FAIL);
    EXPECT_TRUE(scheduler.Names().empty());

    // Clear forgets the start time again.
    complete.Clear();
    complete.SetProgram("C:\\windows\\notepad.exe");
    EXPECT_EQ(complete.SaveTask("Velmora frame incomplete", 0), E_FAIL);

    // A trigger the scheduler refuses is the result of the save, not hidden behind it.
    CTask badDate;
    SYSTEMTIME impossible = now;
    impossible.wMonth = 13;
    badDate.SetStartDateTime(impossible);
    badDate.SetProgram("C:\\windows\\notepad.exe");
    EXPECT_NE(badDate.SaveTask("Velmora frame bad trigger", 0), S_OK);

    EXPECT_EQ(CTask::DeleteTask(""), E_FAIL);
    EXPECT_EQ(CTask::DeleteTask(NULL), E_FAIL);
    EXPECT_NE(CTask::DeleteTask("Velmora frame never made"), S_OK);
}
