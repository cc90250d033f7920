// The System Scan page's control side: start, stop and fix, the chain of phases, the engine's
// status slots and the status record the page's thread shows (see ScanningDlg.h). The looks
// are in ScanningDlgLook.cpp.
#include "Client/Scan/ScanningDlg.h"

#include <shlobj.h>
#include <wininet.h>

#include "Client/Resources/ScanPageResources.h"
#include "Client/Scan/BrowserCloser.h"
#include "Client/Scan/InetOptimDetailDlg.h"
#include "Client/Scan/JunkScanDetailDlg.h"
#include "Client/Scan/RegScanDetailDlg.h"
#include "Client/Scan/ScanCategories.h"
#include "Client/Scan/ScanPageMessages.h"
#include "Client/Scan/ScanPageTexts.h"
#include "Client/Scan/SkipListFile.h"
#include "Client/Scan/SysOptimDetailDlg.h"
#include "Client/Skin/SkinMessages.h"
#include "Client/Skin/MsgBoxDlg.h"
#include "Frame/ProgramIdentity.h"
#include "Frame/WaitPumpingMessages.h"
#include "Framework/CWinApp.h"

namespace {

const char BusyText[] = "Please stop other active operation before running System Scan.";

// The folders whose shortcuts the registry scan checks, in this order.
const int ShortcutFolders[] = {
    CSIDL_COMMON_STARTMENU, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_FAVORITES, CSIDL_COMMON_VIDEO,
    CSIDL_COMMON_MUSIC,     CSIDL_COMMON_PICTURES,  CSIDL_COMMON_DESKTOPDIRECTORY,
    CSIDL_STARTMENU,        CSIDL_PERSONAL,         CSIDL_FAVORITES,
    CSIDL_MYVIDEO,          CSIDL_MYMUSIC,          CSIDL_MYPICTURES,
    CSIDL_DESKTOPDIRECTORY,
};

// The junk reports of the groups' browser animations come as found items of these categories.
const DWORD LastAnimationCategory = 5;

// The status record is looked at this often while the worker keeps reporting.
const UINT RefreshTimerId = 1;
const UINT RefreshIntervalMs = 100;
// A junk section of many thousand entries goes into the junk results in slices of this length,
// one at each turn of the refresh timer, which then comes this often: the page's thread never
// stays away from its queue for long, however many files a scan finds.
const DWORD SectionSliceMs = 30;
const UINT SectionSliceIntervalMs = 10;

// After the sections that end a browser's group, the junk results leave a slot free.
bool EndsGroupBeforeFormData(DWORD category)
{
    return category == 0x80000 || category == 0x4000 || category == 0x200;
}

// Asks the main window (the page's parent) to show a page.
void ShowMainWindowPage(CWnd* scanPage, int page)
{
    if (HWND parent = scanPage->m_hWnd ? ::GetParent(scanPage->m_hWnd) : NULL)
        ::SendMessageA(parent, WM_SHOW_PAGE, WPARAM(page), 0);
}

bool IsEngineEnd(int code)
{
    return code == TaskRegistryScan || code == TaskRegistryRepair || code == TaskJunkScan ||
           code == TaskJunkClean || code == PhaseInternetScanDone;
}

}  // namespace

BEGIN_MESSAGE_MAP(CScanningDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_WM_SHOWWINDOW()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_SCAN_START, &CScanningDlg::OnScanClicked)
    ON_BN_CLICKED(IDC_SCAN_STOP, &CScanningDlg::OnStopClicked)
    ON_BN_CLICKED(IDC_SCAN_FIX, &CScanningDlg::OnFixClicked)
    ON_BN_CLICKED(IDC_ROW_TITLE_REGISTRY, &CScanningDlg::OnRegistryRowClicked)
    ON_BN_CLICKED(IDC_ROW_DETAILS_FIRST + 0, &CScanningDlg::OnRegistryRowClicked)
    ON_BN_CLICKED(IDC_ROW_TITLE_JUNK, &CScanningDlg::OnJunkRowClicked)
    ON_BN_CLICKED(IDC_ROW_DETAILS_FIRST + 1, &CScanningDlg::OnJunkRowClicked)
    ON_BN_CLICKED(IDC_ROW_TITLE_INTERNET, &CScanningDlg::OnInternetRowClicked)
    ON_BN_CLICKED(IDC_ROW_DETAILS_FIRST + 2, &CScanningDlg::OnInternetRowClicked)
    ON_BN_CLICKED(IDC_ROW_TITLE_SYSTEM, &CScanningDlg::OnSystemRowClicked)
    ON_BN_CLICKED(IDC_ROW_DETAILS_FIRST + 3, &CScanningDlg::OnSystemRowClicked)
    ON_CONTROL(STN_CLICKED, IDC_SCAN_CUSTOMIZE, &CScanningDlg::OnCustomizeClicked)
    ON_MESSAGE(WM_SCAN_STATUS_REFRESH, &CScanningDlg::OnStatusRefresh)
    ON_MESSAGE(WM_SCAN_TASK_ENDED, &CScanningDlg::OnEngineTaskEnded)
    ON_MESSAGE(WM_REGSCAN_DONE, &CScanningDlg::OnRegScanDone)
    ON_MESSAGE(WM_JUNKSCAN_START, &CScanningDlg::OnJunkScanStart)
    ON_MESSAGE(WM_JUNKSCAN_DONE, &CScanningDlg::OnJunkScanDone)
    ON_MESSAGE(WM_INETSCAN_START, &CScanningDlg::OnInetScanStart)
    ON_MESSAGE(WM_INETSCAN_DONE, &CScanningDlg::OnInetScanDone)
    ON_MESSAGE(WM_SYSSCAN_START, &CScanningDlg::OnSysScanStart)
    ON_MESSAGE(WM_SYSSCAN_DONE, &CScanningDlg::OnSysScanDone)
    ON_MESSAGE(WM_INET_SCAN_STATUS, &CScanningDlg::OnInetScanStatus)
    ON_MESSAGE(WM_INET_SCAN_RESULT, &CScanningDlg::OnInetScanResult)
    ON_MESSAGE(WM_SYS_SCAN_STATUS, &CScanningDlg::OnSysScanStatus)
    ON_MESSAGE(WM_SYS_SCAN_RESULT, &CScanningDlg::OnSysScanResult)
    ON_MESSAGE(WM_CLEAN_PROGRESS_JUNK, &CScanningDlg::OnCleanProgressJunk)
    ON_MESSAGE(WM_JUNKCLEAN_START, &CScanningDlg::OnJunkCleanStart)
    ON_MESSAGE(WM_CLEAN_PROGRESS_INET, &CScanningDlg::OnCleanProgressInet)
    ON_MESSAGE(WM_INETTWEAKS_APPLY, &CScanningDlg::OnInetTweaksApply)
    ON_MESSAGE(WM_CLEAN_PROGRESS_SYS, &CScanningDlg::OnCleanProgressSys)
    ON_MESSAGE(WM_SYSTWEAKS_APPLY, &CScanningDlg::OnSysTweaksApply)
    ON_MESSAGE(WM_CLEAN_DONE, &CScanningDlg::OnCleanDone)
END_MESSAGE_MAP()

CScanningDlg::CScanningDlg()
    : StyleDialog(IDD_PAGE_SYSTEM_SCAN, NULL),
      m_pProcess(NULL),
      m_pScanItems(NULL),
      m_pRegistryPage(NULL),
      m_pJunkPage(NULL),
      m_pInternetPage(NULL),
      m_pSystemPage(NULL),
      m_pAutoRegBackup(NULL),
      m_pOptimizer(&m_ownOptimizer),
      m_guiThreadId(0),
      m_scanState(ScanStateIdle),
      m_awaitedEnd(0),
      m_tweakScanRunning(0),
      m_registryCount(0),
      m_junkSize(0),
      m_junkCount(0),
      m_scannedJunkMask(0),
      m_scannedInetMask(0),
      m_scannedSysMask(0),
      m_rowMarks{0, 0, 0, 0},
      m_activeRow(0),
      m_refreshTimer(false),
      m_refreshInterval(0),
      m_pendingPartTaken(false),
      m_deferredEnd(0),
      m_goodText("Good"),
      m_rowLayers{-1, -1, -1, -1},
      m_rowBrushes{NULL, NULL, NULL, NULL}
{
    for (CString& text : m_itemsFoundText)
        text = "Items found";
}

CScanningDlg::~CScanningDlg()
{
}

void CScanningDlg::SetResultsPages(CRegScanDetailDlg* registry, CJunkScanDetailDlg* junk)
{
    m_pRegistryPage = registry;
    m_pJunkPage = junk;
}

void CScanningDlg::SetTweakPages(CInetOptimDetailDlg* internet, CSysOptimDetailDlg* system)
{
    m_pInternetPage = internet;
    m_pSystemPage = system;
}

bool CScanningDlg::IsEngineBusy()
{
    return m_pProcess && m_pProcess->IsBusy();
}

LONGLONG CScanningDlg::GetCleanedSize()
{
    CCriticalSectionLock hold(m_record.lock);
    return m_record.cleanedSize;
}

int CScanningDlg::GetSectionIndex()
{
    CCriticalSectionLock hold(m_record.lock);
    return m_record.sectionIndex;
}

LONGLONG CScanningDlg::GetJunkCounter(DWORD category)
{
    const int index = JunkCounterIndex(category);
    CCriticalSectionLock hold(m_record.lock);
    return index < 0 ? 0 : m_record.junkCounters[index];
}

// --- start, stop, fix -----------------------------------------------------------------------

int CScanningDlg::StartScan()
{
    if (IsEngineBusy()) {
        ShowMessageBox(this, BusyText, MessageBoxOk, FALSE);
        return 0;
    }
    ShowScanningLook();
    StartAnimations();
    ResetCounters();
    SetActiveRow(1);
    ResetRows(1);
    m_scanState = ScanStateScanning;
    m_awaitedEnd = 0;

    ShortcutFolderMap folders;
    BuildFolderMap(&folders);
    if (!m_pProcess)
        return 1;

    const DWORD mask = GetLastSelScanRegTypes();
    if (m_pScanItems)
        m_pScanItems->Clear();
    // Read before the worker starts, which only looks at it.
    m_skipList.Load(m_skipListPath.IsEmpty() ? SkipListFile() : m_skipListPath);
    {
        CCriticalSectionLock hold(m_record.lock);
        m_record.lastStage.Empty();
    }
    if (m_pProcess->StartRegistryScan(&folders, mask, this, 0) != 1) {
        RefuseStart();
        return 1;
    }
    m_awaitedEnd = TaskRegistryScan;
    m_pProcess->ResumeTask();
    // The last scan's junk results go with its found items, now that the registry scan runs on
    // its worker: emptying a list of many thousand entries takes the tree a while.
    ForgetJunkResults();
    return 1;
}

void CScanningDlg::BuildFolderMap(ShortcutFolderMap* folders)
{
    for (int csidl : ShortcutFolders) {
        char path[MAX_PATH] = "";
        if (SUCCEEDED(SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path))) {
            CString key;
            key.Format("%s", path);
            (*folders)[key] = 1;
        }
    }
}

void CScanningDlg::StopScan()
{
    // Stop is offered only while a scan runs.
    if (m_scanState != ScanStateScanning)
        return;
    m_scanState = ScanStateStopped;
    if (m_deferredEnd) {
        // The junk scan is over and only its results were still going in: stopped at once.
        const int code = m_deferredEnd;
        m_deferredEnd = 0;
        HandleTaskFinished(code);
        return;
    }
    const bool engineTaskPending = m_awaitedEnd == TaskRegistryScan || m_awaitedEnd == TaskJunkScan;
    if (IsEngineBusy() || engineTaskPending) {
        // The stopped task's end shows the stopped look.
        if (m_pProcess)
            m_pProcess->Stop(1);
        return;
    }
    // The tweak scan's own end shows it (nothing else may touch the tweak model meanwhile).
    if (m_tweakScanRunning || m_awaitedEnd == PhaseInternetScanDone)
        return;
    // Between two phases: the next one sees the state and does not start.
    m_awaitedEnd = 0;
    ShowStoppedLook();
}

int CScanningDlg::StartCleaning()
{
    if (IsEngineBusy())
        return 0;
    if (m_scanState != ScanStateScanned)
        return 0;
    if (FoundItemsWereCleared()) {
        ShowStartLook();
        return 0;
    }
    ShowFixingLook();
    m_scanState = ScanStateFixing;
    OnProgress(0);
    WaitPumpingMessages(5);
    if (m_scanState != ScanStateFixing)
        return 0;

    if (m_junkSize > 0)
        CloseBrowsersBeforeCleaning(this);

    {
        CCriticalSectionLock hold(m_record.lock);
        m_record.cleanedSize = 0;
        m_record.backupFailed = false;
    }
    if (!m_pRegistryPage || m_pRegistryPage->GetTotalItems() < 1) {
        m_awaitedEnd = TaskRegistryRepair;
        OnTaskFinished(TaskRegistryRepair);
        return 1;
    }
    CCheckedTreeCtrl& tree = m_pRegistryPage->GetTree();
    if (tree.m_hWnd)
        for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root))
            tree.QueueUncheckedItems(root);
    if (!m_pProcess || !m_pScanItems) {
        m_awaitedEnd = TaskRegistryRepair;
        OnTaskFinished(TaskRegistryRepair);
        return 1;
    }
    const int backup = m_pAutoRegBackup ? *m_pAutoRegBackup : 1;
    if (m_pProcess->StartRegistryRepair(m_pScanItems, this, backup) != 1) {
        RefuseStart();
        return 1;
    }
    m_awaitedEnd = TaskRegistryRepair;
    m_pProcess->ResumeTask();
    return 1;
}

bool CScanningDlg::FoundItemsWereCleared()
{
    return m_registryCount > 0 && m_pScanItems && !m_pScanItems->MoveFirst();
}

void CScanningDlg::OnFoundItemsCleared()
{
    if (m_scanState == ScanStateScanned && m_registryCount > 0)
        ShowStartLook();
}

void CScanningDlg::RefuseStart()
{
    m_awaitedEnd = 0;
    m_scanState = ScanStateStopped;
    ShowStoppedLook();
    ShowMessageBox(this, BusyText, MessageBoxOk, FALSE);
}

void CScanningDlg::FailedBackup()
{
    m_awaitedEnd = 0;
    m_scanState = ScanStateScanned;
    ShowMessageBox(this, REGISTRY_BACKUP_FAILED_TEXT, MessageBoxOk, FALSE);
    ShowEndOfScanLook(false);
}

void CScanningDlg::ResetCounters()
{
    m_pOptimizer->ResetCounts();
    {
        CCriticalSectionLock hold(m_record.lock);
        m_record.ResetCounts();
        m_record.registryChanged = false;
    }
    m_registryCount = 0;
    m_junkSize = 0;
    m_junkCount = 0;
    for (CStatic& count : m_rowCounts)
        SetControlText(count, "0");
}

// --- the engine's slots (worker thread) -----------------------------------------------------

void CScanningDlg::NotifyRecordChanged()
{
    if (!m_record.refreshPending.exchange(true)) {
        ++m_record.refreshPosts;
        ::PostMessageA(m_hWnd, WM_SCAN_STATUS_REFRESH, 0, 0);
    }
}

void CScanningDlg::OnStatusText(const char* text, const char* stage)
{
    {
        CCriticalSectionLock hold(m_record.lock);
        m_record.statusText = text ? text : "";
        m_record.statusTextChanged = true;
        m_record.dirty = true;
        if (text && m_pProcess && m_pProcess->GetTaskType() == TaskRegistryRepair &&
            strcmp(text, REGISTRY_BACKUP_FAILED_TEXT) == 0)
            m_record.backupFailed = true;
        const CString newStage(stage ? stage : "");
        if (newStage.CompareNoCase("Scanning") != 0 && newStage.CompareNoCase(m_record.lastStage) != 0) {
            m_record.lastStage = newStage;
            for (int i = 0; i < 3; ++i)
                m_record.AddBarMove(BarStep);
        }
    }
    NotifyRecordChanged();
}

void CScanningDlg::OnProgress(int code)
{
    {
        CCriticalSectionLock hold(m_record.lock);
        switch (code) {
        case 0: m_record.AddBarMove(0); break;
        case 1: m_record.AddBarMove(BarRestartWhenFull); break;
        case 2: m_record.AddBarMove(99); break;
        default: return;
        }
    }
    if (::GetCurrentThreadId() == m_guiThreadId)
        ApplyStatusRecord();
    else
        NotifyRecordChanged();
}

void CScanningDlg::OnItemFound(const char* text, DWORD category, int recordId, int reserved)
{
    // The junk scan's group animations.
    if (category >= 1 && category <= LastAnimationCategory)
        return;
    if (!m_pScanItems || !text)
        return;
    ScanCategoryInfo record;
    m_pScanItems->GetCategoryRecord(recordId, &record);
    if (m_skipList.Contains(text))
        return;
    if (!m_pScanItems->AddItem(CString(text), int(category), recordId, reserved))
        return;
    {
        CCriticalSectionLock hold(m_record.lock);
        ++m_record.registryCount;
        m_record.registryChanged = true;
        m_record.dirty = true;
    }
    NotifyRecordChanged();
}

void CScanningDlg::OnJunkItem(DWORD category, DWORD sizeLow, DWORD sizeHigh, int, int, const char* text)
{
    const LONGLONG size = LONGLONG((ULONGLONG(sizeHigh) << 32) | sizeLow);
    const bool cleaning = m_pProcess && m_pProcess->GetTaskType() == TaskJunkClean;
    {
        CCriticalSectionLock hold(m_record.lock);
        ScanStatusRecord& r = m_record;
        if (cleaning) {
            r.cleanedSize += size;
            return;
        }
        r.junkSize += size;
        if (category != r.sectionCategory) {
            if (r.sectionCategory != 0) {
                r.AddBarMove(BarStep);
                r.AddBarMove(BarStep);
                JunkSectionPart section;
                section.category = r.sectionCategory;
                section.size = ULONGLONG(r.junkSize - r.sectionStartSize);
                const int index = JunkCounterIndex(r.sectionCategory);
                section.count = index < 0 ? 0 : ULONGLONG(r.junkCounters[index]);
                section.entries.swap(r.openEntries);
                r.closedSections.push_back(std::move(section));
                ++r.sectionIndex;
                if (EndsGroupBeforeFormData(r.sectionCategory))
                    ++r.sectionIndex;
            }
            r.openEntries.clear();
            r.sectionStartSize = r.junkSize;
            r.sectionCategory = category;
        } else {
            if (size > 0) {
                if (text && *text)
                    r.openEntries.push_back(std::make_pair(CString(text), ULONGLONG(size)));
                ++r.junkCount;
                const int index = JunkCounterIndex(category);
                if (index >= 0)
                    ++r.junkCounters[index];
            }
            r.junkChanged = true;
        }
        r.dirty = true;
    }
    NotifyRecordChanged();
}

int CScanningDlg::OnTaskFinished(int code)
{
    if (::GetCurrentThreadId() != m_guiThreadId) {
        // The worker only posts; the page's thread moves the chain on.
        ::PostMessageA(m_hWnd, WM_SCAN_TASK_ENDED, WPARAM(code), 0);
        return 1;
    }
    HandleTaskFinished(code);
    return 1;
}

// --- the status record (page thread) --------------------------------------------------------

LRESULT CScanningDlg::OnStatusRefresh(WPARAM, LPARAM)
{
    ApplyStatusRecord();
    // While the worker keeps reporting, the timer looks again; no message per report.
    if (!m_refreshTimer)
        KeepRefreshTimer(RefreshIntervalMs);
    if (!m_refreshTimer)
        m_record.refreshPending = false;
    return 1;
}

void CScanningDlg::KeepRefreshTimer(UINT intervalMs)
{
    if (!m_hWnd || (m_refreshTimer && m_refreshInterval == intervalMs))
        return;
    m_refreshTimer = SetTimer(RefreshTimerId, intervalMs) != 0;
    m_refreshInterval = m_refreshTimer ? intervalMs : 0;
}

void CScanningDlg::OnTimer(UINT_PTR id)
{
    if (id != RefreshTimerId)
        return;
    bool dirty = false;
    {
        CCriticalSectionLock hold(m_record.lock);
        dirty = m_record.dirty;
        // Caught up: the worker's next report posts again.
        if (!dirty)
            m_record.refreshPending = false;
    }
    if (dirty || !m_pendingSections.empty())
        ApplyStatusRecord();
    if (!dirty && m_pendingSections.empty()) {
        KillTimer(RefreshTimerId);
        m_refreshTimer = false;
        m_refreshInterval = 0;
    }
    ResumeDeferredEnd();
}

void CScanningDlg::ApplyStatusRecord()
{
    CString statusText;
    bool statusChanged = false, registryChanged = false, junkChanged = false;
    std::vector<int> barMoves;
    std::vector<JunkSectionPart> sections;
    int registryCount = 0;
    LONGLONG junkSize = 0, junkCount = 0;
    {
        CCriticalSectionLock hold(m_record.lock);
        ScanStatusRecord& r = m_record;
        statusChanged = r.statusTextChanged;
        if (statusChanged)
            statusText = r.statusText;
        r.statusTextChanged = false;
        barMoves.swap(r.barMoves);
        sections.swap(r.closedSections);
        // The entries of the category still being scanned go in while the scan goes on, so a
        // section of many thousand files is mostly in when its category ends.
        if (r.sectionCategory != 0 && !r.openEntries.empty()) {
            JunkSectionPart open;
            open.category = r.sectionCategory;
            open.complete = false;
            open.entries.swap(r.openEntries);
            sections.push_back(std::move(open));
        }
        registryChanged = r.registryChanged;
        registryCount = r.registryCount;
        r.registryChanged = false;
        junkChanged = r.junkChanged;
        junkSize = r.junkSize;
        junkCount = r.junkCount;
        r.junkChanged = false;
        r.dirty = false;
    }
    if (!m_hWnd)
        return;
    if (statusChanged)
        SetControlText(m_statusLine, statusText);
    for (int move : barMoves)
        ApplyBarMove(move);
    if (registryChanged) {
        m_registryCount = registryCount;
        CString text;
        text.Format("%d", registryCount);
        SetControlText(m_rowCounts[RowRegistry], text);
        if (registryCount >= 1 && m_rowMarks[RowRegistry] == 0) {
            SetRowGauge(RowRegistry, 2);
            SetRowText(RowRegistry, m_itemsFoundText[RowRegistry]);
            m_rowMarks[RowRegistry] = 1;
        }
    }
    if (junkChanged) {
        m_junkSize = junkSize;
        m_junkCount = junkCount;
        SetControlText(m_rowCounts[RowJunk], FormatSize(junkSize));
        if (junkCount >= 1 && m_rowMarks[RowJunk] == 0) {
            SetRowGauge(RowJunk, 2);
            SetRowText(RowJunk, m_itemsFoundText[RowJunk]);
            m_rowMarks[RowJunk] = 1;
        }
    }
    if (m_pJunkPage) {
        for (JunkSectionPart& section : sections)
            m_pendingSections.push_back(std::move(section));
        if (!ApplyPendingSections(GetTickCount() + SectionSliceMs))
            KeepRefreshTimer(SectionSliceIntervalMs);
        else if (m_refreshTimer && m_refreshInterval != RefreshIntervalMs)
            KeepRefreshTimer(RefreshIntervalMs);
    }
}

bool CScanningDlg::ApplyPendingSections(DWORD deadline)
{
    while (!m_pendingSections.empty()) {
        JunkSectionPart& part = m_pendingSections.front();
        if (!m_pendingPartTaken) {
            if (m_pJunkPage->GetOpenCategory() != part.category) {
                // A category's first news makes its item; sizes wait for its end.
                m_pJunkPage->BeginSection(part.category, part.complete ? part.size : 0,
                                          part.complete ? part.count : 0);
            } else if (part.complete) {
                m_pJunkPage->SetSectionTotals(part.size, part.count);
            }
            m_pJunkPage->AppendItems(part.entries);
            m_pendingPartTaken = true;
        }
        const bool inserted = part.complete ? m_pJunkPage->AddSectionEntries(deadline)
                                            : m_pJunkPage->InsertAppendedEntries(deadline);
        if (!inserted)
            return false;
        m_pendingSections.pop_front();
        m_pendingPartTaken = false;
        if (int(GetTickCount() - deadline) >= 0)
            return m_pendingSections.empty();
    }
    return true;
}

void CScanningDlg::ForgetJunkResults()
{
    {
        CCriticalSectionLock hold(m_record.lock);
        m_record.ResetJunkSections();
    }
    DropPendingSections();
    if (m_pJunkPage)
        m_pJunkPage->Reset();
}

void CScanningDlg::DropPendingSections()
{
    m_pendingSections.clear();
    m_pendingPartTaken = false;
    m_deferredEnd = 0;
}

void CScanningDlg::ResumeDeferredEnd()
{
    if (!m_deferredEnd || !m_pendingSections.empty())
        return;
    const int code = m_deferredEnd;
    m_deferredEnd = 0;
    HandleTaskFinished(code);
}

void CScanningDlg::ApplyBarMove(int move)
{
    if (move == BarStep)
        m_progress.StepIt();
    else if (move == BarRestartWhenFull) {
        if (m_progress.GetPos() >= 100)
            m_progress.SetPos(0);
    } else
        m_progress.SetPos(move);
}

void CScanningDlg::StepBar(int steps)
{
    for (int i = 0; i < steps; ++i)
        m_progress.StepIt();
}

// --- the chain ------------------------------------------------------------------------------

LRESULT CScanningDlg::OnEngineTaskEnded(WPARAM wParam, LPARAM)
{
    HandleTaskFinished(int(wParam));
    return 1;
}

void CScanningDlg::HandleTaskFinished(int code)
{
    // Counts and summaries are complete before the next phase starts, and so are the junk
    // results: while sections are still going in, the end waits for the refresh timer.
    ApplyStatusRecord();
    if (code == TaskJunkScan && m_scanState == ScanStateScanning && !m_pendingSections.empty()) {
        m_deferredEnd = code;
        return;
    }
    if (IsEngineEnd(code)) {
        // Each end moves the chain once; a repeated or unexpected end changes nothing.
        if (code != m_awaitedEnd)
            return;
        m_awaitedEnd = 0;
    }

    switch (m_scanState) {
    case ScanStateScanned: ShowEndOfScanLook(false); break;
    case ScanStateStopped: ShowStoppedLook(); break;
    case ScanStateFixed: ShowResolvedLook(); break;
    default: break;
    }

    switch (code) {
    case TaskRegistryScan:
        PostMessage(WM_REGSCAN_DONE);
        if (m_scanState == ScanStateScanning) {
            SetActiveRow(2);
            PostMessage(WM_JUNKSCAN_START);
        }
        break;
    case TaskJunkScan:
        PostMessage(WM_JUNKSCAN_DONE);
        if (m_scanState == ScanStateScanning) {
            SetActiveRow(3);
            PostMessage(WM_INETSCAN_START);
        }
        break;
    case PhaseInternetScanDone:
        if (m_scanState == ScanStateScanning) {
            SetActiveRow(4);
            PostMessage(WM_SYSSCAN_START);
        }
        break;
    case PhaseScanDone:
        if (CWnd* main = AfxGetMainWnd()) {
            main->ShowWindow(SW_SHOWNORMAL);
            ::SetForegroundWindow(main->m_hWnd);
        }
        break;
    case TaskRegistryRepair:
        if (m_scanState != ScanStateFixing)
            break;
        {
            bool failed = false;
            {
                CCriticalSectionLock hold(m_record.lock);
                failed = m_record.backupFailed;
                m_record.backupFailed = false;
            }
            if (failed) {
                FailedBackup();
                break;
            }
        }
        PostMessage(WM_CLEAN_PROGRESS_JUNK);
        PostMessage(WM_JUNKCLEAN_START);
        break;
    case TaskJunkClean:
        if (m_scanState == ScanStateFixing) {
            PostMessage(WM_CLEAN_PROGRESS_INET);
            PostMessage(WM_INETTWEAKS_APPLY);
        }
        break;
    case PhaseInternetApplied:
        if (m_scanState == ScanStateFixing) {
            PostMessage(WM_CLEAN_PROGRESS_SYS);
            PostMessage(WM_SYSTWEAKS_APPLY);
        }
        break;
    case PhaseFixDone:
        if (m_scanState == ScanStateFixed)
            PostMessage(WM_CLEAN_DONE);
        break;
    default:
        break;
    }
}

LRESULT CScanningDlg::OnRegScanDone(WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    if (m_scanState == ScanStateScanning && m_pRegistryPage) {
        m_pRegistryPage->Refresh();
        m_pRegistryPage->CheckAllCategories();
    }
    return 1;
}

LRESULT CScanningDlg::OnJunkScanStart(WPARAM, LPARAM)
{
    if (m_scanState != ScanStateScanning)
        return 0;
    if (IsEngineBusy()) {
        RefuseStart();
        return 0;
    }
    ForgetJunkResults();
    m_scannedJunkMask = CJunkScanDetailDlg::GetLastSelScanJunkTypes();
    WaitPumpingMessages(500);
    // Stop may have come during the wait.
    if (m_scanState != ScanStateScanning)
        return 0;
    if (!m_pProcess)
        return 0;
    if (m_pProcess->StartJunkScan(m_scannedJunkMask, this) != 1) {
        RefuseStart();
        return 0;
    }
    m_awaitedEnd = TaskJunkScan;
    m_pProcess->ResumeTask();
    return 1;
}

LRESULT CScanningDlg::OnJunkScanDone(WPARAM, LPARAM)
{
    if (!m_pJunkPage)
        return 1;
    CXHtmlTree& tree = m_pJunkPage->GetTree();
    if (tree.m_hWnd) {
        if (HTREEITEM root = tree.GetRootItem())
            tree.Expand(root, TVE_EXPAND);
    }
    CString summary;
    summary.Format("%I64d junk file(s)\\trace(s) were found , a total of %s", m_junkCount,
                   FormatSize(m_junkSize).GetString());
    if (m_pJunkPage->GetSummaryText().m_hWnd)
        m_pJunkPage->GetSummaryText().SetWindowText(summary);
    return 1;
}

LRESULT CScanningDlg::OnInetScanStart(WPARAM, LPARAM)
{
    if (m_scanState != ScanStateScanning)
        return 0;
    if (IsEngineBusy()) {
        RefuseStart();
        return 0;
    }
    m_tweakScanRunning = 1;
    m_pOptimizer->ResetCounts();
    int connected = 0;
    if (HINTERNET internet = InternetOpenA(ProgramDisplayName, INTERNET_OPEN_TYPE_DIRECT, NULL, NULL, 0)) {
        DWORD flags = 0;
        connected = InternetGetConnectedState(&flags, 0) ? 1 : 0;
        InternetCloseHandle(internet);
    }
    m_scannedInetMask = GetLastSelScanTypes(ScanKindInternet);
    m_awaitedEnd = PhaseInternetScanDone;
    m_pOptimizer->StartInternetScan(0, m_hWnd, m_scannedInetMask, connected);
    return 1;
}

LRESULT CScanningDlg::OnInetScanDone(WPARAM, LPARAM)
{
    m_tweakScanRunning = 0;
    if (m_pInternetPage)
        m_pInternetPage->SetInetChecks(m_scannedInetMask);
    OnTaskFinished(PhaseInternetScanDone);
    return 1;
}

LRESULT CScanningDlg::OnSysScanStart(WPARAM, LPARAM)
{
    if (m_scanState != ScanStateScanning)
        return 0;
    m_tweakScanRunning = 1;
    m_scannedSysMask = GetLastSelScanTypes(ScanKindSystem);
    m_pOptimizer->ScanSystemTweaks(m_hWnd, m_scannedSysMask);
    return 1;
}

LRESULT CScanningDlg::OnSysScanDone(WPARAM, LPARAM)
{
    m_tweakScanRunning = 0;
    if (m_pSystemPage)
        m_pSystemPage->SetSysChecks(m_scannedSysMask);
    if (m_scanState == ScanStateStopped) {
        // Stopped while the system scan's reports were on their way: its end shows it.
        ShowStoppedLook();
        return 1;
    }
    if (m_scanState != ScanStateScanning)
        return 1;
    m_scanState = ScanStateScanned;
    OnTaskFinished(PhaseScanDone);
    OnProgress(2);
    return 1;
}

void CScanningDlg::UpdateTweakRow(int row, int count, int step, WPARAM wParam)
{
    CString text;
    text.Format("%d", count);
    SetControlText(m_rowCounts[row], text);
    if (!wParam)
        return;
    if (step < (row == RowInternet ? 7 : 6))
        StepBar(2);
    // The counts grow while the reports are on their way, so a count is judged by the level
    // it has reached.
    const int many = row == RowInternet ? 28 : 23;
    if (count >= 5 || count >= many) {
        SetRowGauge(row, 3);
        if (m_rowMarks[row] < 2)
            SetRowText(row, m_itemsFoundText[row]);
        m_rowMarks[row] = 2;
    } else if (count >= 1) {
        SetRowGauge(row, 2);
        if (m_rowMarks[row] < 1)
            SetRowText(row, m_itemsFoundText[row]);
        m_rowMarks[row] = 1;
    }
}

LRESULT CScanningDlg::OnInetScanStatus(WPARAM wParam, LPARAM)
{
    UpdateTweakRow(RowInternet, m_pOptimizer->GetInetTotal(), m_pOptimizer->GetInetProcessed(), wParam);
    return 0;
}

LRESULT CScanningDlg::OnInetScanResult(WPARAM wParam, LPARAM)
{
    if (wParam && m_pInternetPage)
        m_pInternetPage->ShowInetResults(int(wParam), m_pOptimizer);
    return 0;
}

LRESULT CScanningDlg::OnSysScanStatus(WPARAM wParam, LPARAM)
{
    UpdateTweakRow(RowSystem, m_pOptimizer->GetSysTotal(), m_pOptimizer->GetSysProcessed(), wParam);
    return 0;
}

LRESULT CScanningDlg::OnSysScanResult(WPARAM wParam, LPARAM)
{
    if (wParam && m_pSystemPage)
        m_pSystemPage->ShowSysResults(int(wParam), m_pOptimizer);
    return 0;
}

LRESULT CScanningDlg::OnCleanProgressJunk(WPARAM, LPARAM)
{
    if (m_scanState == ScanStateFixing)
        m_progress.SetPos(26);
    return 1;
}

LRESULT CScanningDlg::OnJunkCleanStart(WPARAM, LPARAM)
{
    if (m_scanState != ScanStateFixing)
        return 1;
    if (IsEngineBusy()) {
        RefuseStart();
        return 1;
    }
    m_awaitedEnd = TaskJunkClean;
    if (m_junkCount < 1 || !m_pProcess) {
        OnTaskFinished(TaskJunkClean);
        return 1;
    }
    const DWORD selection = m_pJunkPage ? m_pJunkPage->GetSelectedJunkTypes() : m_scannedJunkMask;
    const DWORD mask = RestrictToScannedMask(ScanKindJunk, selection, m_scannedJunkMask);
    if (m_pProcess->StartJunkClean(mask, this) != 1) {
        RefuseStart();
        return 1;
    }
    m_pProcess->ResumeTask();
    return 1;
}

LRESULT CScanningDlg::OnCleanProgressInet(WPARAM, LPARAM)
{
    if (m_scanState == ScanStateFixing)
        m_progress.SetPos(73);
    return 1;
}

LRESULT CScanningDlg::OnInetTweaksApply(WPARAM, LPARAM)
{
    if (m_scanState != ScanStateFixing)
        return 1;
    if (m_pOptimizer->GetInetTotal() > 0) {
        const DWORD selection = m_pInternetPage ? m_pInternetPage->GetSelectedInetTypes()
                                                : GetAllScanItemsMask(ScanKindInternet);
        const DWORD mask = RestrictToScannedMask(ScanKindInternet, selection, m_scannedInetMask);
        m_pOptimizer->ClearSelection();
        m_pOptimizer->SelectInternetCategories(mask);
        m_pOptimizer->ApplyInternet();
    }
    OnTaskFinished(PhaseInternetApplied);
    return 1;
}

LRESULT CScanningDlg::OnCleanProgressSys(WPARAM, LPARAM)
{
    if (m_scanState == ScanStateFixing)
        m_progress.SetPos(86);
    return 1;
}

LRESULT CScanningDlg::OnSysTweaksApply(WPARAM, LPARAM)
{
    if (m_scanState != ScanStateFixing)
        return 1;
    if (m_pOptimizer->GetSysTotal() > 0) {
        const DWORD selection = m_pSystemPage ? m_pSystemPage->GetSelectedSysTypes()
                                              : GetAllScanItemsMask(ScanKindSystem);
        const DWORD mask = RestrictToScannedMask(ScanKindSystem, selection, m_scannedSysMask);
        m_pOptimizer->SelectSystemCategories(mask);
        m_pOptimizer->ApplySystem();
    }
    m_scanState = ScanStateFixed;
    OnTaskFinished(PhaseFixDone);
    return 1;
}

LRESULT CScanningDlg::OnCleanDone(WPARAM, LPARAM)
{
    if (m_scanState == ScanStateFixed)
        OnProgress(2);
    return 1;
}

// --- clicks ---------------------------------------------------------------------------------

void CScanningDlg::OnScanClicked()
{
    StartScan();
}

void CScanningDlg::OnStopClicked()
{
    StopScan();
}

void CScanningDlg::OnFixClicked()
{
    StartCleaning();
}

bool CScanningDlg::IsClickable(int id)
{
    if (m_tweakScanRunning)
        return false;
    const int row = RowOfControl(id);
    switch (row) {
    case RowRegistry: return m_registryCount >= 1 && !IsEngineBusy();
    case RowJunk: return m_junkCount > 0 && !IsEngineBusy();
    case RowInternet: return m_pOptimizer->GetInetTotal() != 0;
    case RowSystem: return m_pOptimizer->GetSysTotal() != 0;
    default: break;
    }
    return id == IDC_SCAN_CUSTOMIZE && !IsEngineBusy();
}

void CScanningDlg::OnRegistryRowClicked()
{
    if (IsClickable(IDC_ROW_TITLE_REGISTRY))
        ShowMainWindowPage(this, 2);
}

void CScanningDlg::OnJunkRowClicked()
{
    if (IsClickable(IDC_ROW_TITLE_JUNK))
        ShowMainWindowPage(this, 3);
}

void CScanningDlg::OnInternetRowClicked()
{
    if (IsClickable(IDC_ROW_TITLE_INTERNET))
        ShowMainWindowPage(this, 4);
}

void CScanningDlg::OnSystemRowClicked()
{
    if (IsClickable(IDC_ROW_TITLE_SYSTEM))
        ShowMainWindowPage(this, 5);
}

void CScanningDlg::OnCustomizeClicked()
{
    if (IsClickable(IDC_SCAN_CUSTOMIZE) && m_customizeScan)
        m_customizeScan();
}

void CScanningDlg::OnDestroy()
{
    if (m_refreshTimer)
        KillTimer(RefreshTimerId);
    m_refreshTimer = false;
    m_refreshInterval = 0;
    DropPendingSections();
    m_record.refreshPending = false;
    for (CPictureEx& animation : m_rowAnimations)
        animation.UnLoad();
    Default();
}
