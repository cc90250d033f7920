// CSmartThread: holder of one worker thread at a time, with its event list. The process object
// derives from it and supplies Run; the entry routine hands the finished worker's handle on so
// that a new start is accepted only once the previous worker is really done.
#ifndef TARNEX_SMART_THREAD_H
#define TARNEX_SMART_THREAD_H

#include <windows.h>

#include <vector>

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
    // Takes the current worker's handle out of the object (null when there is none), so that
    // the worker's own hand-over can no longer store it as the previous handle. The caller owns
    // the handle and closes it.
    HANDLE DetachWorker();
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
    std::vector<HANDLE>* m_events;
    // Serialises the worker's hand-over with DetachWorker, so a handle is closed exactly once.
    CRITICAL_SECTION m_handOverLock;
};

#endif
