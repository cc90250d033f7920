// COptimizerSettings: the 78 tweak items as one set. The internet scan runs on a worker thread
// of its own (it measures the path MTU and the latency first, when connected); the system scan
// runs on the caller's thread. Both post their progress to a notify window (TweakScanMessages.h)
// and count per category the tweaks to change. The object also selects categories for applying,
// applies the optimal values and restores the Windows defaults.
//
// While the internet worker runs, nothing but the counters may be read from this object, and
// nothing else may be started on it: its end is WM_INETSCAN_DONE.
#ifndef VELMORA_SCAN_OPTIMIZER_SETTINGS_H
#define VELMORA_SCAN_OPTIMIZER_SETTINGS_H

#include <windows.h>

#include <atomic>
#include <deque>
#include <vector>

#include "Framework/CString.h"
#include "Scan/OptimizerItem.h"
#include "Scan/TweakDefinitions.h"

class COptimizerSettings {
public:
    COptimizerSettings();
    virtual ~COptimizerSettings();
    COptimizerSettings(const COptimizerSettings&) = delete;
    COptimizerSettings& operator=(const COptimizerSettings&) = delete;

    // Starts the internet scan of the categories in mask on a worker thread; offline (no probes,
    // the offline values) when connected is 0. The previous scan's worker handle is closed. While
    // a worker runs, a start does nothing (the running scan's end still comes).
    void StartInternetScan(int speedClass, HWND window, DWORD mask, int connected);
    // The system scan of the categories in mask, on the caller's thread.
    void ScanSystemTweaks(HWND window, DWORD mask);
    // Zeroes both counter sets and the notify window.
    void ResetCounts();

    // Sets TWEAK_SELECTED on the rows of the categories in the mask (clears nothing). After an
    // internet scan without probe results the MTU and TCP window rows stay unselected: a guess
    // never overwrites the user's value.
    void SelectInternetCategories(DWORD mask);
    void SelectSystemCategories(DWORD mask);
    void ClearSelection();

    // Write the optimal value of every selected row; 1 when every write succeeded. Every row is
    // tried; a row whose key cannot be named (no network interface) is skipped.
    int ApplyInternet();
    int ApplySystem();
    // Restore the Windows default of every row; 1 when every restore succeeded.
    int RestoreInternetDefaults();
    int RestoreSystemDefaults();

    // The probes (status texts go to the notify window): the path MTU towards the default
    // gateway and the latency to the public host in milliseconds; non-zero on success, the out
    // value unchanged on failure.
    int ProbeMtu(DWORD* mtu);
    int ProbeLatency(DWORD* latencyMs);

    // The counters; safe to read while the internet worker runs.
    int GetInetTotal() const { return m_inetTotal; }
    int GetInetProcessed() const { return m_inetProcessed; }
    int GetSysTotal() const { return m_sysTotal; }
    int GetSysProcessed() const { return m_sysProcessed; }
    // The count of one category (its mask bit within the kind's mask); 0 for a bit without one.
    int GetInetCount(DWORD bit) const;
    int GetSysCount(DWORD bit) const;

    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    const COptimizerItem& GetItem(int row) const { return m_items[row]; }
    COptimizerItem& GetItem(int row) { return m_items[row]; }
    // Non-zero when the last internet scan had no usable probe results.
    int IsOffline() const { return m_offline; }
    // The window the probes report to when they are called on their own.
    void SetNotifyWindow(HWND window) { m_notifyWindow = window; }

private:
    static const int InetCategoryCount = 5;
    static const int SysCategoryCount = 4;

    std::vector<COptimizerItem> m_items;
    unsigned m_threadId;
    HANDLE m_thread;
    std::atomic<int> m_inetTotal;
    std::atomic<int> m_inetProcessed;
    std::atomic<int> m_inetCounts[InetCategoryCount];
    std::atomic<int> m_sysTotal;
    std::atomic<int> m_sysProcessed;
    std::atomic<int> m_sysCounts[SysCategoryCount];
    HWND m_notifyWindow;
    int m_speedClass;
    DWORD m_inetMask;
    int m_offline;
    // The status texts of the current internet scan; a posted text's address stays valid
    // because the deque never moves its elements when one is added.
    std::deque<CString> m_statusTexts;
    // From a start until the worker's last step before its end message.
    std::atomic<bool> m_internetScanRunning;

    static unsigned __stdcall InternetScanThread(void* settings);
    void RunInternetScan();
    void PostStatus(UINT message, WPARAM progress, const char* text);
    void PostFailedStatus(int statusCode);
    // One ping of the probes: 0 when the transport failed (its text is posted), else 1 with
    // the ping's status and response time.
    int Ping(const char* target, int size, int& status, int& responseTime);
    void Select(int firstRow, int lastRow, int kind, DWORD mask);
    int Apply(int firstRow, int lastRow);
    int Restore(int firstRow, int lastRow);
};

// Whether an item counts as a tweak to change: its optimal value differs from its current one,
// and for the TCP window rows by more than tolerance percent.
bool TweakDiffersFromOptimal(const COptimizerItem& item, float tolerance);

#endif
