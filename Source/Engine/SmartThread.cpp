// Worker-thread holder: creation, hand-over of the finished worker, events.
#include "Engine/SmartThread.h"

#include <process.h>

#include <new>

CSmartThread::CSmartThread()
    : m_threadId(0), m_started(false), m_lockReady(false), m_priority(THREAD_PRIORITY_HIGHEST),
      m_eventCount(1), m_lock(), m_thread(nullptr), m_previousThread(nullptr),
      m_workerState(WorkerNotBegun),
      m_events(new (std::nothrow) std::vector<HANDLE>())
{
}

CSmartThread::~CSmartThread()
{
    CloseEvents();
    delete m_events;
    if (m_previousThread)
        CloseHandle(m_previousThread);
    if (m_thread)
        CloseHandle(m_thread);
    if (m_lockReady)
        DeleteCriticalSection(&m_lock);
}

void CSmartThread::CloseEvents()
{
    if (!m_events)
        return;
    for (HANDLE h : *m_events)
        CloseHandle(h);
    m_events->clear();
}

bool CSmartThread::RecreateEvents()
{
    if (!m_events)
        return false;
    CloseEvents();
    for (int i = 0; i < m_eventCount; ++i) {
        HANDLE h = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (!h)
            return false;
        m_events->push_back(h);
    }
    return true;
}

bool CSmartThread::CreateSuspendedWorker()
{
    m_started = true;
    InterlockedExchange(&m_workerState, WorkerNotBegun);
    unsigned id = 0;
    HANDLE h = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &CSmartThread::EntryRoutine, this, CREATE_SUSPENDED, &id));
    if (h) {
        m_threadId = id;
        m_thread = h;
    }
    bool eventsMade = false;
    try {
        eventsMade = RecreateEvents();
    } catch (...) {
        eventsMade = false;
    }
    return eventsMade && h != nullptr;
}

unsigned __stdcall CSmartThread::EntryRoutine(void* param)
{
    CSmartThread* self = static_cast<CSmartThread*>(param);
    // Let go before its task began: nothing to run and nothing to hand over (the canceller
    // keeps the hand-over lock while it waits for this thread to be gone).
    if (InterlockedCompareExchange(&self->m_workerState, WorkerBegun, WorkerNotBegun) != WorkerNotBegun)
        return 0;
    if (!self->InitThread())
        return 0;
    int exitCode = 0;
    try {
        exitCode = self->Run();
    } catch (...) {
        exitCode = 0;
    }
    // Hand over: the finished worker's handle becomes the previous handle, and from the moment
    // the current handle is null a new start is accepted. Skipped when the field no longer
    // holds this worker's handle (TerminateAndDropWorker dropped it).
    CCriticalSectionLock handOver(self->m_handOverLock);
    if (self->m_thread && self->m_threadId == GetCurrentThreadId()) {
        if (self->m_previousThread)
            CloseHandle(self->m_previousThread);
        self->m_previousThread = self->m_thread;
        InterlockedExchangePointer(const_cast<PVOID*>(reinterpret_cast<PVOID volatile*>(&self->m_thread)), nullptr);
    }
    return static_cast<unsigned>(exitCode);
}

bool CSmartThread::TerminateAndDropWorker(DWORD waitMs)
{
    // Held throughout: the worker is either before its hand-over (and is terminated there) or
    // already past it (and the field is null), never halfway through.
    CCriticalSectionLock handOver(m_handOverLock);
    HANDLE worker = m_thread;
    if (worker) {
        if (InterlockedCompareExchange(&m_workerState, WorkerCancelled, WorkerNotBegun) == WorkerNotBegun) {
            // Still suspended at creation: resume it to its end rather than kill a thread that
            // never ran (that would leave the runtime's start-up record behind, and Wine
            // copes badly with it). The loop is bounded by the suspend count.
            for (int i = 0; i < 128 && ResumeThread(worker) > 1; ++i) {
            }
        } else {
            DWORD code = 0;
            GetExitCodeThread(worker, &code);
            TerminateThread(worker, code);
        }
        WaitForSingleObject(worker, waitMs);
        InterlockedExchangePointer(const_cast<PVOID*>(reinterpret_cast<PVOID volatile*>(&m_thread)), nullptr);
        CloseHandle(worker);
    }
    return worker != nullptr;
}

BOOL CSmartThread::ResetEventAt(int index)
{
    if (!m_events || index < 0 || index >= static_cast<int>(m_events->size()))
        return FALSE;
    return ResetEvent((*m_events)[index]);
}

BOOL CSmartThread::SetEventAt(int index)
{
    if (!m_events || index < 0 || index >= static_cast<int>(m_events->size()))
        return FALSE;
    return SetEvent((*m_events)[index]);
}

DWORD CSmartThread::WaitEventAt(int index, DWORD timeout)
{
    if (!m_events || index < 0 || index >= static_cast<int>(m_events->size()))
        return WAIT_FAILED;
    return WaitForSingleObject((*m_events)[index], timeout);
}

int CSmartThread::WaitEvents(bool waitAll, DWORD timeout)
{
    if (!m_events || m_events->empty() || m_events->size() > MAXIMUM_WAIT_OBJECTS)
        return -1;
    DWORD r = WaitForMultipleObjects(static_cast<DWORD>(m_events->size()), m_events->data(),
                                     waitAll ? TRUE : FALSE, timeout);
    if (r < WAIT_OBJECT_0 + m_events->size())
        return static_cast<int>(r - WAIT_OBJECT_0);
    return -1;
}

int CSmartThread::GetPriority() const
{
    return m_thread ? GetThreadPriority(m_thread) : m_priority;
}

BOOL CSmartThread::SetPriority(int priority)
{
    m_priority = priority;
    return m_thread ? SetThreadPriority(m_thread, priority) : TRUE;
}

DWORD CSmartThread::Suspend()
{
    return m_thread ? SuspendThread(m_thread) : static_cast<DWORD>(-1);
}

DWORD CSmartThread::Resume()
{
    return m_thread ? ResumeThread(m_thread) : static_cast<DWORD>(-1);
}

BOOL CSmartThread::TerminateWithExitCode()
{
    if (!m_thread)
        return FALSE;
    DWORD code = 0;
    GetExitCodeThread(m_thread, &code);
    return TerminateThread(m_thread, code);
}

void CSmartThread::Lock()
{
    if (!m_lockReady) {
        InitializeCriticalSection(&m_lock);
        m_lockReady = true;
    }
    EnterCriticalSection(&m_lock);
}

void CSmartThread::Unlock()
{
    if (m_lockReady)
        LeaveCriticalSection(&m_lock);
}
