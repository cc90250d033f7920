// CSmartThread: holder of one worker thread at a time, with its event list. The process object
// derives from it and supplies Run; the entry routine hands the finished worker's handle on so
// that a new start is accepted only once the previous worker is really done.
#ifndef TARNEX_SMART_THREAD_H
#define TARNEX_SMART_THREAD_H

#include <windows.h>

#include <vector>

#include "Framework/CriticalSection.h"

class CSmartThread {
public:
    CSmartThread();
    virtual ~CSmartThread();
    CSmartThread(const CSmartThread&) = delete;
    CSmartThread& operator=(const CSmartThread&) = delete;

    virtual bool InitThread() { return true; }
    virtual int Run() = 0;

    // Creates the worker suspended and re-creates the events; true when both succeeded.
    // The caller has checked that no worker exists.
    bool CreateSuspendedWorker();
    HANDLE ThreadHandle() const { return m_thread; }
    DWORD ThreadId() const { return m_threadId; }

    // Operations the engine's tasks do not use, kept small.
    BOOL ResetEventAt(int index);
    BOOL SetEventAt(int index);
    DWORD WaitEventAt(int index, DWORD timeout);
    int WaitEvents(bool waitAll, DWORD timeout);  // index of the signalled event, or -1
    int GetPriority() const;
    BOOL SetPriority(int priority);
    DWORD Suspend();
    DWORD Resume();
    BOOL TerminateWithExitCode();
    void Lock();
    void Unlock();

protected:
    static unsigned __stdcall EntryRoutine(void* param);
    // Ends the current worker, waits up to waitMs for it to be gone and closes its handle; the
    // thread-handle field becomes null, so the next start is accepted. A worker that has not
    // begun its task yet (still suspended) is let go without running it; one that has is
    // terminated with its own exit code. Either way it sends nothing and hands nothing over.
    // False when there was no worker.
    bool TerminateAndDropWorker(DWORD waitMs);
    bool RecreateEvents();
    void CloseEvents();

    DWORD m_threadId;
    bool m_started;
    bool m_lockReady;
    int m_priority;
    int m_eventCount;
    CRITICAL_SECTION m_lock;
    HANDLE volatile m_thread;        // the current worker; null when none
    HANDLE m_previousThread;         // the last finished worker, closed at the next hand-over
    // Whether the current worker has begun its task: it and TerminateAndDropWorker race for
    // the change from WorkerNotBegun, and only the winner decides what the worker does.
    enum { WorkerNotBegun = 0, WorkerBegun = 1, WorkerCancelled = 2 };
    volatile LONG m_workerState;
    std::vector<HANDLE>* m_events;
    // Serialises the worker's hand-over with TerminateAndDropWorker, so a handle is closed
    // exactly once and a worker is never terminated inside its hand-over.
    CCriticalSection m_handOverLock;
};

#endif
