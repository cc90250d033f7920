// CTask: a scheduled task of the Task Scheduler, written, read back and deleted by name; and the
// program's logon tasks built on it.
#ifndef VELMORA_FRAME_TASK_H
#define VELMORA_FRAME_TASK_H

#include <windows.h>

#include "Framework/CString.h"

// Schedule kinds of CTask::SetFrequency and the read-back kind of CTask::LoadTask.
enum TaskScheduleKind {
    TaskScheduleNone = 0,
    TaskScheduleDaily = 1,
    TaskScheduleWeekly = 2,
    TaskScheduleOther = 3,   // set: at logon; read back: any trigger but daily and weekly
};

class CTask {
public:
    CTask();
    virtual ~CTask() {}

    // Clears the times, schedule kind, program, parameters, working directory, comment and the
    // read-back kind; the account name stays.
    void Clear();
    // Seconds and milliseconds are dropped.
    void SetStartDateTime(const SYSTEMTIME& time);
    void SetFrequency(int kind) { m_scheduleKind = kind; }
    void SetProgram(const char* path) { m_program = path; }
    void SetParameters(const char* parameters) { m_parameters = parameters; }
    void SetStartupDir(const char* folder) { m_workingDirectory = folder; }
    void SetAccountName(const char* account) { m_accountName = account; }
    void SetComment(const char* comment) { m_comment = comment; }
    CString GetProgram() const { return m_program; }
    CString GetParameters() const { return m_parameters; }
    CString GetStartupDir() const { return m_workingDirectory; }
    const SYSTEMTIME& GetStartDateTime() const { return m_startTime; }
    int GetLoadedScheduleKind() const { return m_loadedScheduleKind; }

    // Creates the task (replacing one of the same name) with one trigger of the schedule kind.
    // E_FAIL without touching the scheduler when there is no start time, name or program.
    // Needs COM on the calling thread.
    HRESULT SaveTask(const char* name, DWORD extraFlags);
    // Reads program, parameters, working directory and the first trigger of a task back.
    HRESULT LoadTask(const char* name);
    // E_FAIL for an empty name; otherwise the scheduler's answer.
    static HRESULT DeleteTask(const char* name);

private:
    SYSTEMTIME m_startTime;
    SYSTEMTIME m_endTime;        // cleared, never set
    int m_scheduleKind;
    CString m_program;
    CString m_parameters;
    CString m_workingDirectory;
    CString m_accountName;
    CString m_reserved;          // no operation sets it
    CString m_comment;
    int m_loadedScheduleKind;
    int m_isNT;
};

// Day of week 0-6 of a single TASK_SUNDAY..TASK_SATURDAY bit; 0 for anything else.
int WeekdayFromBit(WORD bit);

// The current user's name (empty when it cannot be read).
BOOL GetCurrentUserName(CString& out);
// "Velmora on user logon for <argument> - <user> " (the trailing blank is part of the name).
CString FormatLogonDefragTaskName(const char* argument, const char* user);
// "Velmora on user logon - <user>".
CString FormatScanOnLogonTaskName(const char* user);

// Creates the logon task that starts the program with argument for the current user; TRUE when
// it was saved.
BOOL CreateLogonTask(const char* argument, DWORD extraFlags);
// TRUE when the current user's logon task for argument existed and was deleted.
BOOL DeleteLogonTask(const char* argument);

#endif
