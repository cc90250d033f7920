// The process object: construction and set-up, the start protocol, the task runner and the
// small slots. Task bodies are in the files of their subsystems.
#include "Engine/SSEngineProcess.h"

#include <shlobj.h>

#include "Engine/Md5.h"
#include "Framework/FileFind.h"
#include "Framework/ModulePath.h"
#include "Framework/ProcAddress.h"
#include "Framework/SystemInfo.h"

namespace {

typedef BOOL(WINAPI* RedirectionFunction)(PVOID*);
typedef BOOL(WINAPI* RevertFunction)(PVOID);

// How long a start waits for a worker that has already delivered its end sequence to hand its
// handle over; the hand-over takes microseconds, so this only bounds a pathological case.
const DWORD FinishedWorkerWaitMs = 2000;
// How long TerminateCleaning waits for the terminated worker to be gone.
const DWORD TerminatedWorkerWaitMs = 5000;

}  // namespace

CSSEngineProcess::CSSEngineProcess(ConstructionKind kind)
    : CollectMode(0), m_backupBeforeRepair(1), m_wow64(0), m_junkMask(0), m_defragMode(0),
      m_state(1), m_busy(0), m_taskType(0), m_status(nullptr), m_foundItems(nullptr),
      m_regScanMask(0), m_shellLink(nullptr), m_savedRedirection(nullptr), StatusTextCounter(0),
      m_endDelivered(0), m_documentContinue(0)
{
    if (kind == FullConstruction)
        ProbeTempFolder();
    void* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   &link)))
        m_shellLink = static_cast<IShellLinkA*>(link);
    SetUp();
}

CSSEngineProcess::~CSSEngineProcess()
{
    if (m_shellLink)
        m_shellLink->Release();
}

void CSSEngineProcess::SetUp()
{
    m_wow64 = IsWow64() ? 1 : 0;
    char folder[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryA(folder, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        m_systemFolder = folder;
        m_systemFolder.MakeLower();
    }
    char programFiles[MAX_PATH + 1] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programFiles) == S_OK) {
        m_programFilesFolder = programFiles;
        m_programFilesFolder.MakeLower();
    }
}

void CSSEngineProcess::ProbeTempFolder()
{
    char temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, temp);
    if (n == 0 || n > MAX_PATH)
        return;
    char file[MAX_PATH + 1] = {};
    if (!GetTempFileNameA(temp, "spr", 0, file))
        return;
    const CString folder = GetProgramFolder();
    if (!folder.IsEmpty()) {
        WIN32_FIND_DATAA data;
        FindFileEntry(folder, data);
    }
    DeleteFileA(file);
}

// --- start protocol -------------------------------------------------------------------------

bool CSSEngineProcess::WaitForFinishedWorker()
{
    HANDLE worker = m_thread;
    if (!worker)
        return true;
    // A start from inside the worker's own OnTaskFinished is refused; so is a start while a
    // task has not finished. Only a worker past its end sequence is waited for.
    if (::GetCurrentThreadId() == m_threadId || !m_endDelivered)
        return false;
    // The handle stays open after the hand-over (it becomes the previous handle), so waiting
    // on it is safe even if the worker gets there first.
    WaitForSingleObject(worker, FinishedWorkerWaitMs);
    return m_thread == nullptr;
}

template <class StoreArguments>
int CSSEngineProcess::StartTask(int taskType, CAbstractStatus* status, StoreArguments store)
{
    try {
        if (!WaitForFinishedWorker())
            return -1;
        store();
        m_status = status;
        m_taskType = taskType;
        InterlockedExchange(&m_endDelivered, 0);
        return CreateSuspendedWorker() ? 1 : -1;
    } catch (...) {
        return -1;
    }
}

int CSSEngineProcess::StartRegistryBackup(const char* file, CAbstractStatus* status)
{
    if (!file || !status)
        return -1;
    return StartTask(TaskRegistryBackup, status, [&] { m_backupFilePath = file; });
}

int CSSEngineProcess::StartRegistryRestore(const char* file, CAbstractStatus* status)
{
    if (!file || !status || !*file)
        return -1;
    return StartTask(TaskRegistryRestore, status, [&] { m_restoreFilePath = file; });
}

int CSSEngineProcess::StartRegistryScan(const ShortcutFolderMap* folders, DWORD mask,
                                        CAbstractStatus* status, int option)
{
    if (!status)
        return -1;
    return StartTask(TaskRegistryScan, status, [&] {
        m_folderMap.clear();
        if (folders)
            m_folderMap = *folders;
        m_regScanMask = mask;
        CollectMode = option;
    });
}

int CSSEngineProcess::StartRegistryRepair(CAbstractScanItemsInfo* items, CAbstractStatus* status,
                                          int backupFirst)
{
    if (!items || !status)
        return -1;
    return StartTask(TaskRegistryRepair, status, [&] {
        m_backupBeforeRepair = backupFirst;
        m_foundItems = items;
    });
}

int CSSEngineProcess::StartUpdateTask(int, int, int, int, int, CAbstractStatus* status)
{
    if (!status)
        return -1;
    return StartTask(TaskUpdateText, status, [] {});
}

int CSSEngineProcess::StartProbe(CAbstractStatus* status)
{
    if (!status)
        return -1;
    return StartTask(TaskTempFileProbe, status, [] {});
}

int CSSEngineProcess::StartRegistryDefrag(int mode, CAbstractStatus* status)
{
    if (!status)
        return -1;
    return StartTask(TaskRegistryDefrag, status, [&] { m_defragMode = mode; });
}

int CSSEngineProcess::StartJunkScan(DWORD mask, CAbstractStatus* status)
{
    if (!status)
        return 0;
    return StartTask(TaskJunkScan, status, [&] { m_junkMask = mask; });
}

int CSSEngineProcess::StartJunkClean(DWORD mask, CAbstractStatus* status)
{
    if (!status)
        return 0;
    return StartTask(TaskJunkClean, status, [&] { m_junkMask = mask; });
}

int CSSEngineProcess::StartNotifyTask(CAbstractStatus* status)
{
    if (!status)
        return 0;
    return StartTask(TaskStatusPing, status, [] {});
}

// --- task runner ----------------------------------------------------------------------------

bool CSSEngineProcess::SwitchRedirectionOff()
{
    if (!IsWow64())
        return false;
    RedirectionFunction disable = GetProcAddressAs<RedirectionFunction>(
        GetModuleHandleA("kernel32"), "Wow64DisableWow64FsRedirection");
    return disable && disable(&m_savedRedirection);
}

void CSSEngineProcess::SwitchRedirectionBack()
{
    if (!IsWow64())
        return;
    RevertFunction revert = GetProcAddressAs<RevertFunction>(
        GetModuleHandleA("kernel32"), "Wow64RevertWow64FsRedirection");
    if (revert)
        revert(m_savedRedirection);
}

int CSSEngineProcess::Run()
{
    SetBusy(1);
    const int type = m_taskType;
    CAbstractStatus* status = m_status;
    const bool redirects = type == TaskRegistryScan || type == TaskRegistryRepair ||
                           type == TaskRegistryDefrag;
    const bool redirectionOff = redirects && SwitchRedirectionOff();

    int result = 0;
    try {
        switch (type) {
        case TaskRegistryBackup: result = RunRegistryBackup(); break;
        case TaskRegistryRestore: result = RunRegistryRestore(); break;
        case TaskRegistryScan: result = RunRegistryScan(); break;
        case TaskRegistryRepair: result = RunRegistryRepair(); break;
        case TaskNothing: result = 1; break;
        case TaskUpdateText:
            status->OnStatusText("Checking For Updates\r\n", "Scanning");
            result = 1;
            break;
        case TaskTempFileProbe:
            ProbeTempFolder();
            status->OnTaskFinished(1);
            result = 1;
            break;
        case TaskRegistryDefrag: result = RunRegistryDefrag(); break;
        case TaskJunkScan: result = RunJunkScan(); break;
        case TaskJunkClean: result = RunJunkClean(); break;
        case TaskStatusPing:
            if (status)
                status->OnProgress(4);
            result = 1;
            break;
        default: result = 0; break;
        }
    } catch (...) {
        result = 0;
    }

    if (redirectionOff)
        SwitchRedirectionBack();
    if (status)
        status->OnStatusText("", "Scanning");
    SetBusy(0);
    // From here on the worker only reports and hands over: a start from another thread may
    // wait for it (the program starts its next phase from a message OnTaskFinished posts).
    InterlockedExchange(&m_endDelivered, 1);
    if (status)
        status->OnTaskFinished(type);
    m_status = nullptr;
    return result;
}

// --- small slots ----------------------------------------------------------------------------

int CSSEngineProcess::IsBusy()
{
    return m_busy;
}

int CSSEngineProcess::Stop(int stop)
{
    if (stop) {
        InterlockedExchange(&m_documentContinue, 0);
        SetBusy(0);
    }
    return 1;
}

int CSSEngineProcess::TerminateCleaning()
{
    if (m_taskType != TaskJunkClean)
        return 1;
    // The worker's handle is closed here: a terminated worker never reaches its hand-over.
    TerminateAndDropWorker(TerminatedWorkerWaitMs);
    SetBusy(0);
    return 1;
}

int CSSEngineProcess::WaitOrSignal(int wait)
{
    if (!m_events || m_events->empty())
        return 0;
    if (wait)
        return WaitForSingleObject((*m_events)[0], INFINITE) == WAIT_OBJECT_0 ? 1 : 0;
    return SetEvent((*m_events)[0]) ? 1 : 0;
}

int CSSEngineProcess::ResumeTask()
{
    HANDLE worker = m_thread;
    if (!worker)
        return 0;
    return ResumeThread(worker) != static_cast<DWORD>(-1) ? 1 : 0;
}

HANDLE CSSEngineProcess::GetThreadHandle()
{
    return m_thread;
}

DWORD CSSEngineProcess::GetThreadId()
{
    return m_threadId;
}

int CSSEngineProcess::GetTaskType()
{
    return m_taskType;
}

int CSSEngineProcess::GetStateFlag()
{
    return m_state;
}

int CSSEngineProcess::ReservedSlot9(int)
{
    return 0;
}

int CSSEngineProcess::ReservedSlot18(CString, int)
{
    return 0;
}

CString CSSEngineProcess::GetInvalidId(CString* out)
{
    try {
        if (out)
            *out = "-1";
        return CString("-1");
    } catch (...) {
        return CString();
    }
}

// --- hashing --------------------------------------------------------------------------------

int CSSEngineProcess::HashString(CString* text, CString* out)
{
    if (!text || !out || text->IsEmpty())
        return 0;
    // The busy flag is raised while hashing only when no worker exists. A task's flag is never
    // touched: lowering it would end the task's loops, raising it again after Stop would let a
    // stopped task go on, and putting back a value read before the task ended would leave the
    // object busy for good.
    const bool raised = m_thread == nullptr && InterlockedCompareExchange(&m_busy, 1, 0) == 0;
    *out = CMD5::DigestText(text->GetString(), text->GetLength());
    if (raised)
        InterlockedCompareExchange(&m_busy, 0, 1);
    return 1;
}

int CSSEngineProcess::HashFile(CString path, CString* out)
{
    if (!out || path.IsEmpty())
        return 0;
    *out = CMD5::FileDigestText(path);
    return 1;
}

int CSSEngineProcess::HashStringEx(CString text, CString* out)
{
    if (!out || text.IsEmpty())
        return 0;
    *out = CMD5::DigestText(text.GetString(), text.GetLength());
    return 1;
}
