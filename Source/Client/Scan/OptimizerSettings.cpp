// COptimizerSettings: the scans, counts, selection, apply and restore over the 78 tweak items,
// and the MTU and latency probes.
#include "Scan/OptimizerSettings.h"

#include <objbase.h>
#include <process.h>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Scan/NetworkPing.h"
#include "Scan/NetworkRoute.h"
#include "Scan/TweakScanMessages.h"

namespace {

// Status codes of a ping.
const int PingSucceeded = 0;
const int PingPacketTooBig = 11009;
// Callers set the status before each ping: an answer that never came leaves it so.
const int PingNoAnswer = -1;

// Progress values of the internet scan's status messages.
const WPARAM ProgressProbeText = 0;
const WPARAM ProgressLatency = 20;
const WPARAM ProgressRows = 46;

// The MTU search: from this payload down in steps of ten until one passes, then up one byte
// at a time. Payload plus IP and ICMP headers is the MTU.
const int MtuSearchStart = 1500;
const int MtuSearchStep = 10;
const int PingHeaderBytes = 28;
const int FailedPingsAllowed = 3;
// A path MTU outside these bounds is no measurement of a real link (IPv4's minimum, and the
// largest the search can report).
const DWORD SmallestPlausibleMtu = 576;
const DWORD LargestPlausibleMtu = MtuSearchStart + 1 + PingHeaderBytes;

const int LatencyPings = 4;

// Counted TCP window rows differ from their optimal by more than this many percent.
const float TcpWindowCountTolerance = 20.0f;

// The index of a category bit within its kind's counters; -1 for a bit without a category.
int CategoryIndex(int kind, DWORD bit)
{
    int index = 0;
    for (const TweakCategoryRows& category : TweakCategoryTable) {
        if (category.kind != kind)
            continue;
        if (category.bit == bit)
            return index;
        ++index;
    }
    return -1;
}

bool IsProbedRow(int row)
{
    return row == TweakRowMtu || row == TweakRowGlobalMaxTcpWindowSize ||
           row == TweakRowTcpWindowSize;
}

}  // namespace

bool TweakDiffersFromOptimal(const COptimizerItem& item, float tolerance)
{
    if (item.GetOptimal() == item.GetCurrent())
        return false;
    if (IsTcpWindowRow(item.GetId()))
        return TcpWindowDeviation(item.GetCurrent(), item.GetOptimal()) > tolerance;
    return true;
}

COptimizerSettings::COptimizerSettings()
    : m_items(TweakRowCount, COptimizerItem()),
      m_threadId(0),
      m_thread(NULL),
      m_notifyWindow(NULL),
      m_speedClass(0),
      m_inetMask(0),
      m_offline(0),
      m_internetScanRunning(false)
{
    for (int row = 0; row < TweakRowCount; ++row)
        m_items[row].SetId(row);
    ResetCounts();
}

COptimizerSettings::~COptimizerSettings()
{
    if (m_thread)
        CloseHandle(m_thread);
}

void COptimizerSettings::ResetCounts()
{
    m_inetTotal = 0;
    m_inetProcessed = 0;
    for (std::atomic<int>& count : m_inetCounts)
        count = 0;
    m_sysTotal = 0;
    m_sysProcessed = 0;
    for (std::atomic<int>& count : m_sysCounts)
        count = 0;
    m_notifyWindow = NULL;
}

int COptimizerSettings::GetInetCount(DWORD bit) const
{
    int index = CategoryIndex(ScanKindInternet, bit);
    return index < 0 ? 0 : m_inetCounts[index].load();
}

int COptimizerSettings::GetSysCount(DWORD bit) const
{
    int index = CategoryIndex(ScanKindSystem, bit);
    return index < 0 ? 0 : m_sysCounts[index].load();
}

void COptimizerSettings::PostStatus(UINT message, WPARAM progress, const char* text)
{
    LPARAM posted = 0;
    if (text) {
        m_statusTexts.push_back(CString(text));
        posted = reinterpret_cast<LPARAM>(m_statusTexts.back().GetString());
    }
    if (m_notifyWindow)
        PostMessageA(m_notifyWindow, message, progress, posted);
}

void COptimizerSettings::PostFailedStatus(int statusCode)
{
    CString text;
    text.Format("Failed with status code %d", statusCode);
    PostStatus(WM_INET_SCAN_STATUS, ProgressProbeText, text);
}

void COptimizerSettings::StartInternetScan(int speedClass, HWND window, DWORD mask, int connected)
{
    // One worker at a time works on the items and the texts it has posted.
    if (m_internetScanRunning.exchange(true))
        return;
    m_notifyWindow = window;
    m_speedClass = speedClass;
    m_inetMask = mask;
    m_offline = connected ? 0 : 1;
    // The previous worker has posted its end; only its handle is left.
    if (m_thread) {
        CloseHandle(m_thread);
        m_thread = NULL;
    }
    m_statusTexts.clear();
    m_threadId = 0;
    m_thread = reinterpret_cast<HANDLE>(
        _beginthreadex(NULL, 0, &COptimizerSettings::InternetScanThread, this, 0, &m_threadId));
    if (!m_thread) {
        // No worker: the scan still ends, so the page does not wait for it forever.
        m_offline = 1;
        m_internetScanRunning = false;
        if (m_notifyWindow) {
            PostMessageA(m_notifyWindow, WM_INET_SCAN_RESULT, 0, 0);
            PostMessageA(m_notifyWindow, WM_INETSCAN_DONE, 0, 0);
        }
    }
}

unsigned __stdcall COptimizerSettings::InternetScanThread(void* settings)
{
    COptimizerSettings* self = static_cast<COptimizerSettings*>(settings);
    try {
        self->RunInternetScan();
    } catch (...) {
        // The scan is over either way; the page must hear of its end.
        HWND window = self->m_notifyWindow;
        self->m_internetScanRunning = false;
        if (window)
            PostMessageA(window, WM_INETSCAN_DONE, 0, 0);
    }
    return 0;
}

void COptimizerSettings::RunInternetScan()
{
    bool comEntered = false;
    if (!m_offline) {
        HRESULT entered = CoInitializeEx(NULL, COINIT_MULTITHREADED);
        if (SUCCEEDED(entered)) {
            comEntered = true;
            HRESULT security = CoInitializeSecurity(NULL, -1, NULL, NULL, RPC_C_AUTHN_LEVEL_DEFAULT,
                                                    RPC_C_IMP_LEVEL_IMPERSONATE, NULL, EOAC_NONE,
                                                    NULL);
            if (FAILED(security) && security != RPC_E_TOO_LATE)
                m_offline = 1;
        } else {
            m_offline = 1;
        }
    }

    DWORD mtu = 0xFFFFFFFF;
    DWORD latency = 0xFFFFFFFF;
    if (!m_offline) {
        PostStatus(WM_INET_SCAN_STATUS, ProgressProbeText, "Started finding MTU");
        if (!ProbeMtu(&mtu)) {
            m_offline = 1;
        } else {
            PostStatus(WM_INET_SCAN_STATUS, ProgressLatency, "Started finding connection latency");
            if (!ProbeLatency(&latency))
                m_offline = 1;
        }
    }
    const int probesSucceeded = m_offline ? 0 : 1;
    if (!m_offline)
        PostStatus(WM_INET_SCAN_STATUS, ProgressRows, NULL);

    for (int row = 0; row < TweakInternetRowCount; ++row) {
        COptimizerItem& item = m_items[row];
        CString text = CString("Finding values for ") + TweakDefinitionTable[row].displayName;
        item.SetFlags(0);
        if (!item.ReadCurrent())
            item.SetWindowsDefault();
        item.ComputeOptimal(m_speedClass, &mtu, &latency, m_offline);
        const TweakCategoryRows* category = FindTweakCategory(row);
        if (category && (category->bit & m_inetMask) &&
            TweakDiffersFromOptimal(item, TcpWindowCountTolerance)) {
            ++m_inetTotal;
            ++m_inetCounts[CategoryIndex(ScanKindInternet, category->bit)];
        }
        ++m_inetProcessed;
        PostStatus(WM_INET_SCAN_STATUS, ProgressRows + row, text);
    }

    if (m_notifyWindow)
        PostMessageA(m_notifyWindow, WM_INET_SCAN_RESULT, static_cast<WPARAM>(m_inetTotal.load()),
                     probesSucceeded);
    if (comEntered)
        CoUninitialize();
    // From here on a new scan may start, and this worker touches nothing of the object.
    HWND window = m_notifyWindow;
    m_internetScanRunning = false;
    if (window)
        PostMessageA(window, WM_INETSCAN_DONE, 0, 0);
}

void COptimizerSettings::ScanSystemTweaks(HWND window, DWORD mask)
{
    m_notifyWindow = window;
    PostStatus(WM_SYS_SCAN_STATUS, ProgressRows, NULL);
    // No system row reads the probe values.
    DWORD unusedMtu = 0;
    DWORD unusedLatency = 0;
    for (int row = TweakInternetRowCount; row < GetItemCount(); ++row) {
        COptimizerItem& item = m_items[row];
        item.SetFlags(0);
        if (!item.ReadCurrent())
            item.SetWindowsDefault();
        item.ComputeOptimal(m_speedClass, &unusedMtu, &unusedLatency, 0);
        const TweakCategoryRows* category = FindTweakCategory(row);
        if (category && (category->bit & mask) && item.GetOptimal() != item.GetCurrent()) {
            ++m_sysTotal;
            ++m_sysCounts[CategoryIndex(ScanKindSystem, category->bit)];
        }
        ++m_sysProcessed;
        PostStatus(WM_SYS_SCAN_STATUS, ProgressRows + row, NULL);
    }
    if (m_notifyWindow) {
        PostMessageA(m_notifyWindow, WM_SYS_SCAN_RESULT, static_cast<WPARAM>(m_sysTotal.load()), 1);
        PostMessageA(m_notifyWindow, WM_SYSSCAN_DONE, 0, 0);
    }
}

void COptimizerSettings::Select(int firstRow, int lastRow, int kind, DWORD mask)
{
    for (int row = firstRow; row <= lastRow && row < GetItemCount(); ++row) {
        const TweakCategoryRows* category = FindTweakCategory(row);
        if (!category || category->kind != kind || !(category->bit & mask))
            continue;
        // Without probe results these rows hold guesses, which never replace the user's values.
        if (kind == ScanKindInternet && m_offline && IsProbedRow(row))
            continue;
        COptimizerItem& item = m_items[row];
        item.SetFlags(item.GetFlags() | TWEAK_SELECTED);
    }
}

void COptimizerSettings::SelectInternetCategories(DWORD mask)
{
    Select(0, TweakInternetRowCount - 1, ScanKindInternet, mask);
}

void COptimizerSettings::SelectSystemCategories(DWORD mask)
{
    Select(TweakInternetRowCount, GetItemCount() - 1, ScanKindSystem, mask);
}

void COptimizerSettings::ClearSelection()
{
    for (COptimizerItem& item : m_items)
        item.SetFlags(item.GetFlags() & ~TWEAK_SELECTED);
}

int COptimizerSettings::Apply(int firstRow, int lastRow)
{
    int result = 1;
    for (int row = firstRow; row <= lastRow && row < GetItemCount(); ++row) {
        COptimizerItem& item = m_items[row];
        if (!(item.GetFlags() & TWEAK_SELECTED))
            continue;
        // A row under the interface key cannot be written without an interface.
        if (item.GetKeyPath().IsEmpty())
            continue;
        if (!item.ApplyOptimal())
            result = 0;
    }
    return result;
}

int COptimizerSettings::ApplyInternet()
{
    return Apply(0, TweakInternetRowCount - 1);
}

int COptimizerSettings::ApplySystem()
{
    return Apply(TweakInternetRowCount, GetItemCount() - 1);
}

int COptimizerSettings::Restore(int firstRow, int lastRow)
{
    int result = 1;
    for (int row = firstRow; row <= lastRow && row < GetItemCount(); ++row) {
        COptimizerItem& item = m_items[row];
        item.SetWindowsDefault();
        if (item.GetKeyPath().IsEmpty())
            continue;
        if (!item.RestoreDefault())
            result = 0;
    }
    return result;
}

int COptimizerSettings::RestoreInternetDefaults()
{
    return Restore(0, TweakInternetRowCount - 1);
}

int COptimizerSettings::RestoreSystemDefaults()
{
    return Restore(TweakInternetRowCount, GetItemCount() - 1);
}

int COptimizerSettings::Ping(const char* target, int size, int& status, int& responseTime)
{
    CString errorText;
    status = PingNoAnswer;
    responseTime = 0;
    if (SendPing(target, errorText, size, &status, &responseTime))
        return 1;
    PostStatus(WM_INET_SCAN_STATUS, ProgressProbeText, errorText);
    return 0;
}

int COptimizerSettings::ProbeMtu(DWORD* mtu)
{
    CString target = GetDefaultGateway();
    if (target.IsEmpty())
        return 0;

    int size = MtuSearchStart;
    int failedPings = 0;
    int status;
    int responseTime;
    for (;;) {
        if (!Ping(target, size, status, responseTime)) {
            if (++failedPings >= FailedPingsAllowed)
                return 0;
            continue;
        }
        if (status == PingSucceeded)
            break;
        if (status != PingPacketTooBig) {
            PostFailedStatus(status);
            return 0;
        }
        size -= MtuSearchStep;
        if (size <= 0)
            return 0;
    }

    DWORD found = 0;
    for (;;) {
        ++size;
        if (!Ping(target, size, status, responseTime))
            return 0;
        if (status == PingPacketTooBig) {
            found = static_cast<DWORD>(size - 1 + PingHeaderBytes);
            break;
        }
        if (status != PingSucceeded) {
            PostFailedStatus(status);
            return 0;
        }
        if (size > MtuSearchStart) {
            found = static_cast<DWORD>(size + PingHeaderBytes);
            break;
        }
    }
    // Nothing outside a real link's range is used: it would only make nonsense of the windows.
    if (found < SmallestPlausibleMtu || found > LargestPlausibleMtu)
        return 0;
    *mtu = found;
    return 1;
}

int COptimizerSettings::ProbeLatency(DWORD* latencyMs)
{
    int remaining = LatencyPings;
    int failedPings = 0;
    unsigned sum = 0;
    while (remaining > 0) {
        int status;
        int responseTime;
        if (!Ping(TweakProbeHostName, -1, status, responseTime)) {
            if (++failedPings >= FailedPingsAllowed)
                return 0;
            continue;
        }
        if (status != PingSucceeded) {
            PostFailedStatus(status);
            return 0;
        }
        // A success that names no time took less than one that does.
        if (responseTime > 0)
            sum += static_cast<unsigned>(responseTime);
        --remaining;
    }
    // Half the sum less one; four answers within a millisecond are a latency of 0.
    *latencyMs = sum == 0 ? 0 : (sum - 1) >> 1;
    return 1;
}
