// CTask over the Task Scheduler's COM interfaces, and the program's logon tasks.
#include "Frame/Task.h"

#include <objbase.h>
// The scheduler's class and interface ids are defined here; no import library carries them.
#include <initguid.h>
#include <mstask.h>

#include <string>

#include "Frame/FrameResources.h"
#include "Frame/ProgramIdentity.h"
#include "Frame/ProgramPaths.h"
#include "Framework/ComPtr.h"
#include "Framework/TextCodePage.h"

namespace {

const int UserNameBuffer = 1024;

// An ANSI text as the wide text the scheduler takes.
std::wstring SchedulerText(const char* text)
{
    std::wstring wide;
    TextToWide(text, -1, CP_ACP, TextStrictness::Lenient, wide);
    return wide;
}

// Converts and frees a text the scheduler handed out.
CString TakeSchedulerText(LPWSTR text)
{
    CString ansi;
    if (text) {
        WideToText(text, -1, CP_ACP, TextStrictness::Lenient, ansi);
        CoTaskMemFree(text);
    }
    return ansi;
}

HRESULT CreateScheduler(CComPtr<ITaskScheduler>& scheduler)
{
    return CoCreateInstance(CLSID_CTaskScheduler, NULL, CLSCTX_INPROC_SERVER, IID_ITaskScheduler,
                            scheduler.OutVoid());
}

WORD WeekdayBit(WORD dayOfWeek)
{
    return static_cast<WORD>(TASK_SUNDAY << (dayOfWeek % 7));
}

}  // namespace

CTask::CTask() : m_isNT((GetVersion() & 0x80000000) == 0)
{
    m_startTime = {};
    m_endTime = {};
    Clear();
}

void CTask::Clear()
{
    m_startTime = {};
    m_endTime = {};
    m_scheduleKind = TaskScheduleNone;
    m_program.Empty();
    m_parameters.Empty();
    m_workingDirectory.Empty();
    m_comment.Empty();
    m_loadedScheduleKind = TaskScheduleNone;
}

void CTask::SetStartDateTime(const SYSTEMTIME& time)
{
    m_startTime = time;
    m_startTime.wSecond = 0;
    m_startTime.wMilliseconds = 0;
}

HRESULT CTask::SaveTask(const char* name, DWORD extraFlags)
{
    if (m_startTime.wYear == 0 || !name || !*name || m_program.IsEmpty())
        return E_FAIL;

    CComPtr<ITaskScheduler> scheduler;
    HRESULT hr = CreateScheduler(scheduler);
    if (FAILED(hr))
        return hr;
    const std::wstring wideName = SchedulerText(name);

    // A task of this name is replaced: deleted first, then made anew. Should the new one then
    // fail, the old one is gone too; the caller learns of it from the result.
    {
        CComPtr<IUnknown> existing;
        if (SUCCEEDED(scheduler->Activate(wideName.c_str(), IID_ITask, existing.Out()))) {
            existing.Release();
            hr = DeleteTask(name);
            if (FAILED(hr))
                return hr;
        }
    }

    CComPtr<ITask> task;
    hr = scheduler->NewWorkItem(wideName.c_str(), CLSID_CTask, IID_ITask, reinterpret_cast<IUnknown**>(task.Out()));
    if (FAILED(hr))
        return hr;
    hr = task->SetApplicationName(SchedulerText(m_program).c_str());
    if (FAILED(hr))
        return hr;
    if (!m_parameters.IsEmpty()) {
        hr = task->SetParameters(SchedulerText(m_parameters).c_str());
        if (FAILED(hr))
            return hr;
    }
    if (!m_workingDirectory.IsEmpty()) {
        hr = task->SetWorkingDirectory(SchedulerText(m_workingDirectory).c_str());
        if (FAILED(hr))
            return hr;
    }
    if (!m_comment.IsEmpty())
        task->SetComment(SchedulerText(m_comment).c_str());   // a task without its comment still runs

    DWORD flags = extraFlags | TASK_FLAG_RUN_ONLY_IF_LOGGED_ON;
    if (m_isNT)
        flags |= TASK_FLAG_INTERACTIVE;
    hr = task->SetFlags(flags);
    if (FAILED(hr))
        return hr;
    if (m_isNT && !m_accountName.IsEmpty()) {
        hr = task->SetAccountInformation(SchedulerText(m_accountName).c_str(), NULL);
        if (FAILED(hr))
            return hr;
    }

    // A task saved without its trigger would never start, so a trigger failure is the result.
    CComPtr<ITaskTrigger> trigger;
    WORD triggerIndex = 0;
    hr = task->CreateTrigger(&triggerIndex, trigger.Out());
    if (FAILED(hr))
        return hr;
    TASK_TRIGGER definition = {};
    definition.cbTriggerSize = sizeof definition;
    definition.wBeginYear = m_startTime.wYear;
    definition.wBeginMonth = m_startTime.wMonth;
    definition.wBeginDay = m_startTime.wDay;
    definition.wStartHour = m_startTime.wHour;
    definition.wStartMinute = m_startTime.wMinute;
    switch (m_scheduleKind) {
    case TaskScheduleDaily:
        definition.TriggerType = TASK_TIME_TRIGGER_DAILY;
        definition.Type.Daily.DaysInterval = 1;
        break;
    case TaskScheduleWeekly:
        definition.TriggerType = TASK_TIME_TRIGGER_WEEKLY;
        definition.Type.Weekly.WeeksInterval = 1;
        definition.Type.Weekly.rgfDaysOfTheWeek = WeekdayBit(m_startTime.wDayOfWeek);
        break;
    default:
        definition.TriggerType = TASK_EVENT_TRIGGER_AT_LOGON;
        break;
    }
    hr = trigger->SetTrigger(&definition);
    if (FAILED(hr))
        return hr;

    CComPtr<IPersistFile> file;
    hr = task->QueryInterface(IID_IPersistFile, file.OutVoid());
    if (FAILED(hr))
        return hr;
    return file->Save(NULL, FALSE);
}

HRESULT CTask::LoadTask(const char* name)
{
    CComPtr<ITaskScheduler> scheduler;
    HRESULT hr = CreateScheduler(scheduler);
    if (FAILED(hr))
        return hr;
    CComPtr<ITask> task;
    hr = scheduler->Activate(SchedulerText(name).c_str(), IID_ITask, reinterpret_cast<IUnknown**>(task.Out()));
    if (FAILED(hr))
        return hr;

    LPWSTR text = NULL;
    hr = task->GetApplicationName(&text);
    if (FAILED(hr))
        return hr;
    m_program = TakeSchedulerText(text);
    text = NULL;
    hr = task->GetParameters(&text);
    if (FAILED(hr))
        return hr;
    m_parameters = TakeSchedulerText(text);
    text = NULL;
    hr = task->GetWorkingDirectory(&text);
    if (FAILED(hr))
        return hr;
    m_workingDirectory = TakeSchedulerText(text);

    CComPtr<ITaskTrigger> trigger;
    hr = task->GetTrigger(0, trigger.Out());
    if (FAILED(hr))
        return hr;
    TASK_TRIGGER definition = {};
    definition.cbTriggerSize = sizeof definition;
    hr = trigger->GetTrigger(&definition);
    if (FAILED(hr))
        return hr;
    m_startTime.wYear = definition.wBeginYear;
    m_startTime.wMonth = definition.wBeginMonth;
    m_startTime.wDay = definition.wBeginDay;
    m_startTime.wDayOfWeek = static_cast<WORD>(WeekdayFromBit(definition.Type.Weekly.rgfDaysOfTheWeek));
    m_startTime.wHour = definition.wStartHour;
    m_startTime.wMinute = definition.wStartMinute;
    switch (definition.TriggerType) {
    case TASK_TIME_TRIGGER_DAILY:
        m_loadedScheduleKind = TaskScheduleDaily;
        break;
    case TASK_TIME_TRIGGER_WEEKLY:
        m_loadedScheduleKind = TaskScheduleWeekly;
        break;
    default:
        m_loadedScheduleKind = TaskScheduleOther;
        break;
    }
    return hr;
}

HRESULT CTask::DeleteTask(const char* name)
{
    if (!name || !*name)
        return E_FAIL;
    CComPtr<ITaskScheduler> scheduler;
    HRESULT hr = CreateScheduler(scheduler);
    if (FAILED(hr))
        return hr;
    return scheduler->Delete(SchedulerText(name).c_str());
}

int WeekdayFromBit(WORD bit)
{
    switch (bit) {
    case TASK_MONDAY:
        return 1;
    case TASK_TUESDAY:
        return 2;
    case TASK_WEDNESDAY:
        return 3;
    case TASK_THURSDAY:
        return 4;
    case TASK_FRIDAY:
        return 5;
    case TASK_SATURDAY:
        return 6;
    default:
        return 0;
    }
}

BOOL GetCurrentUserName(CString& out)
{
    char buffer[UserNameBuffer] = {};
    DWORD size = UserNameBuffer;
    if (!GetUserNameA(buffer, &size)) {
        out.Empty();
        return FALSE;
    }
    out = buffer;
    return TRUE;
}

CString FormatLogonDefragTaskName(const char* argument, const char* user)
{
    CString name;
    name.Format("%s on user logon for %s - %s ", ProgramDisplayName, argument, user);
    return name;
}

CString FormatScanOnLogonTaskName(const char* user)
{
    CString name;
    name.Format("%s on user logon - %s", ProgramDisplayName, user);
    return name;
}

BOOL CreateLogonTask(const char* argument, DWORD extraFlags)
{
    CTask task;
    CString user;
    if (!GetCurrentUserName(user))
        return FALSE;
    CString name = FormatLogonDefragTaskName(argument, user);

    CString program = GetProgramPath();
    int slash = program.ReverseFind('\\');
    CString folder = slash < 0 ? CString() : program.Left(slash + 1);
    CString comment;
    comment.LoadString(IDS_LOGON_TASK_COMMENT);

    SYSTEMTIME now;
    GetLocalTime(&now);
    task.SetProgram(program);
    task.SetStartupDir(folder);
    task.SetComment(comment);
    task.SetStartDateTime(now);
    task.SetFrequency(TaskScheduleOther);
    task.SetParameters(argument);
    task.SetAccountName(user);
    return task.SaveTask(name, extraFlags) == S_OK;
}

BOOL DeleteLogonTask(const char* argument)
{
    CString user;
    if (!GetCurrentUserName(user))
        return FALSE;
    return CTask::DeleteTask(FormatLogonDefragTaskName(argument, user)) == S_OK;
}
