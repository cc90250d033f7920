// Test support: loading Tarnex.dll by file name as the program does, a CAbstractStatus that
// records every call with the thread it came on and the busy flag at that moment, the run of a
// task to its end, and a process object of the engine.
#ifndef VELMORA_TESTS_ENGINE_TEST_SUPPORT_H
#define VELMORA_TESTS_ENGINE_TEST_SUPPORT_H

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/ProcAddress.h"

// The engine library, loaded once per test program and never unloaded (as in the program).
class EngineLibrary {
public:
    static EngineLibrary& Get()
    {
        static EngineLibrary library;
        return library;
    }
    HMODULE Module() const { return m_module; }
    EngineStartFunction StartFunction() const { return m_start; }
    // One interface for the whole test program, like the program's.
    CAbstractSSEngineInterface* Engine() const { return m_engine; }

private:
    EngineLibrary()
        : m_module(LoadLibraryA(ENGINE_MODULE_NAME)),
          m_start(GetProcAddressAs<EngineStartFunction>(m_module, "Start")),
          m_engine(m_start ? m_start() : nullptr)
    {
        CoInitialize(nullptr);
    }
    HMODULE m_module;
    EngineStartFunction m_start;
    CAbstractSSEngineInterface* m_engine;
};

struct StatusCall {
    std::string slot;   // "OnStatusText", "OnProgress", "OnItemFound", "OnJunkItem", "OnTaskFinished", "OnResult"
    std::string text;   // text (OnStatusText, OnItemFound, OnJunkItem)
    std::string stage;  // stage (OnStatusText)
    long long value;    // code, category or size
    DWORD category;     // category bit (OnItemFound, OnJunkItem)
    DWORD threadId;
    int busy;           // IsBusy() of the watched process at the time of the call, or -1

    std::string Describe() const
    {
        return slot + "(" + text + "|" + stage + "|" + std::to_string(value) + "|" +
               std::to_string(category) + ")";
    }
};

class RecordingStatus : public CAbstractStatus {
public:
    explicit RecordingStatus(CAbstractProcess* watched = nullptr)
        : m_watched(watched), m_finished(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~RecordingStatus() override { CloseHandle(m_finished); }

    void Watch(CAbstractProcess* process) { m_watched = process; }
    // Called on the worker thread from inside OnTaskFinished, before the finished event is set.
    std::function<void(int)> onFinished;
    // Called on the worker thread from inside OnProgress.
    std::function<void(int)> onProgress;
    // Called on the worker thread from inside OnItemFound, after the call is recorded.
    std::function<void(const char*)> onItemFound;
    // Called on the worker thread from inside OnJunkItem, after the call was recorded.
    std::function<void(DWORD, long long, const char*)> onJunkItem;

    void OnStatusText(const char* text, const char* stage) override
    {
        Record({"OnStatusText", text ? text : "<null>", stage ? stage : "<null>", 0, 0, 0, 0});
    }
    void OnProgress(int code) override
    {
        Record({"OnProgress", "", "", code, 0, 0, 0});
        if (onProgress)
            onProgress(code);
    }
    void OnItemFound(const char* text, DWORD category, int recordId, int) override
    {
        Record({"OnItemFound", text ? text : "<null>", "", recordId, category, 0, 0});
        if (onItemFound)
            onItemFound(text);
    }
    void OnJunkItem(DWORD category, DWORD low, DWORD high, int, int, const char* text) override
    {
        long long size = static_cast<long long>((static_cast<unsigned long long>(high) << 32) | low);
        Record({"OnJunkItem", text ? text : "<null>", "", size, category, 0, 0});
        if (onJunkItem)
            onJunkItem(category, size, text);
    }
    int OnTaskFinished(int code) override
    {
        Record({"OnTaskFinished", "", "", code, 0, 0, 0});
        if (onFinished)
            onFinished(code);
        if (code == m_finalCode || m_finalCode == 0)
            SetEvent(m_finished);
        return 0;
    }
    int OnResult(int code) override
    {
        Record({"OnResult", "", "", code, 0, 0, 0});
        return 0;
    }

    // The OnTaskFinished code that ends the task being waited for (0: any).
    void ExpectFinal(int code) { m_finalCode = code; ResetEvent(m_finished); }
    bool WaitFinished(DWORD timeoutMs = 20000) { return WaitForSingleObject(m_finished, timeoutMs) == WAIT_OBJECT_0; }

    std::vector<StatusCall> Calls()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    std::vector<StatusCall> CallsOf(const std::string& slot)
    {
        std::vector<StatusCall> out;
        for (const StatusCall& c : Calls())
            if (c.slot == slot)
                out.push_back(c);
        return out;
    }
    void Reset()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.clear();
        ResetEvent(m_finished);
    }

private:
    void Record(StatusCall call)
    {
        call.threadId = GetCurrentThreadId();
        call.busy = m_watched ? m_watched->IsBusy() : -1;
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(call);
    }

    CAbstractProcess* m_watched;
    HANDLE m_finished;
    int m_finalCode = 0;
    std::mutex m_mutex;
    std::vector<StatusCall> m_calls;
};

// Runs a task to its end: the start call, ResumeTask, and the wait for the final OnTaskFinished
// and for the worker to hand over its handle. Returns the start slot's result.
inline int RunTask(CAbstractProcess* process, RecordingStatus& status, int finalCode,
                   const std::function<int()>& start)
{
    status.Watch(process);
    status.ExpectFinal(finalCode);
    int started = start();
    if (started == 1) {
        process->ResumeTask();
        status.WaitFinished();
        for (int i = 0; i < 2000 && process->GetThreadHandle(); ++i)
            Sleep(1);
    }
    return started;
}

// A process object of the engine, returned to it at the end (once its worker has handed over its
// thread handle).
class EngineProcess {
public:
    EngineProcess() : m_process(EngineLibrary::Get().Engine() ? EngineLibrary::Get().Engine()->NewProcess() : nullptr)
    {
        EXPECT_NE(EngineLibrary::Get().Engine(), nullptr) << "Tarnex.dll or its Start export could not be loaded";
    }
    ~EngineProcess()
    {
        for (int i = 0; i < 5000 && m_process && m_process->GetThreadHandle(); ++i)
            Sleep(1);
        if (m_process)
            EngineLibrary::Get().Engine()->DeleteProcess(m_process);
    }
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;
    CAbstractProcess* operator->() const { return m_process; }
    CAbstractProcess* Get() const { return m_process; }

private:
    CAbstractProcess* m_process;
};

#endif
