// CScanningDlg: the System Scan page, page 1 of the main window: one-click scan and one-click
// fix. A scan runs four phases one after the other: the registry scan (engine task 3), the junk
// scan (task 9), the internet tweak scan (the tweak model's worker) and the system tweak scan
// (on this thread). A fix repairs the ticked registry items (task 4, a backup first when asked
// for), cleans the ticked junk (task 10) and applies the ticked tweaks. Each end of a phase
// becomes a message to this window, so the next phase starts on the page's thread.
//
// The engine calls the CAbstractStatus slots on its worker. They never touch a window: they
// fill the page's status record (ScanStatusRecord.h) and the page's thread shows it.
//
// Usage: construct, give it the process object, the store, the results pages, the tweak pages
// and the tweak model (optional), the backup setting and Customize Scan, Create as a child page
// of the main window (which shows the pages it asks for with WM_SHOW_PAGE).
#pragma once

#include <windows.h>

#include <deque>
#include <functional>

#include "Client/Scan/OptimizerSettings.h"
#include "Client/Scan/ScanResultsOwner.h"
#include "Client/Scan/ScanStatusRecord.h"
#include "Client/Scan/SkipListFile.h"
#include "Client/Skin/PictureEx.h"
#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Client/Skin/StyleProgress.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CGdiObject.h"
#include "Framework/CStatic.h"

class CRegScanDetailDlg;
class CJunkScanDetailDlg;
class CInetOptimDetailDlg;
class CSysOptimDetailDlg;

// The page's scan states.
enum ScanStateValue {
    ScanStateIdle = 0,
    ScanStateStopped = 2,
    ScanStateScanning = 6,
    ScanStateScanned = 7,
    ScanStateFixing = 20,
    ScanStateFixed = 21,
};

// The page's own phase codes, passed to OnTaskFinished besides the engine's task types.
enum ScanPhaseCode {
    PhaseInternetScanDone = 12,
    PhaseScanDone = 13,
    PhaseInternetApplied = 14,
    PhaseFixDone = 15,
};

class CScanningDlg : public StyleDialog, public CAbstractStatus, public CScanResultsOwner {
public:
    enum { RowCount = 4 };
    enum Row { RowRegistry = 0, RowJunk = 1, RowInternet = 2, RowSystem = 3 };

    CScanningDlg();
    ~CScanningDlg() override;

    // --- wiring (not owned) -------------------------------------------------------------------
    void SetProcess(CAbstractProcess* process) { m_pProcess = process; }
    void SetScanItemsInfo(CAbstractScanItemsInfo* store) { m_pScanItems = store; }
    void SetResultsPages(CRegScanDetailDlg* registry, CJunkScanDetailDlg* junk);
    // The Internet Speed and System Speed pages (NULL: every category counts as ticked).
    void SetTweakPages(CInetOptimDetailDlg* internet, CSysOptimDetailDlg* system);
    // The tweak model the tweak scans and applies work on (default: the page's own).
    void SetOptimizerSettings(COptimizerSettings* settings) { m_pOptimizer = settings ? settings : &m_ownOptimizer; }
    // Where "AutoRegBackup" lives (the settings record); NULL: always back up.
    void SetAutoRegBackupSource(const int* autoRegBackup) { m_pAutoRegBackup = autoRegBackup; }
    // Runs Customize Scan (the page checks first that nothing runs).
    void SetCustomizeScanFunction(std::function<void()> customize) { m_customizeScan = customize; }
    // The file of the skip list (default: "LW.wth" in the program folder).
    void SetSkipListPath(const CString& path) { m_skipListPath = path; }

    // --- operations ---------------------------------------------------------------------------
    // Scan button and the "STARTSCAN" start: 1 when the scan started.
    int StartScan();
    // Stop button: only while a scan runs.
    void StopScan();
    // Fix button: 1 when the fix started.
    int StartCleaning();
    // The found-items list was emptied by another page: back to the start look.
    void OnFoundItemsCleared();

    // 1 while the internet or system tweak scan runs.
    int IsTweakScanRunning() const { return m_tweakScanRunning; }
    int GetScanState() const { return m_scanState; }
    int GetActiveRow() const { return m_activeRow; }
    int GetRowMark(int row) const { return row >= 0 && row < RowCount ? m_rowMarks[row] : 0; }
    int GetRegistryCount() const { return m_registryCount; }
    LONGLONG GetJunkSize() const { return m_junkSize; }
    LONGLONG GetJunkCount() const { return m_junkCount; }
    LONGLONG GetCleanedSize();
    int GetSectionIndex();
    LONGLONG GetJunkCounter(DWORD category);
    DWORD GetJunkSelection() const { return m_scannedJunkMask; }
    DWORD GetInternetSelection() const { return m_scannedInetMask; }
    DWORD GetSystemSelection() const { return m_scannedSysMask; }
    COptimizerSettings& GetOptimizerSettings() { return *m_pOptimizer; }
    // The overall bar's position and a row's gauge position.
    int GetOverallProgress() const { return m_progress.GetPos(); }
    int GetRowGauge(int row) const { return row >= 0 && row < RowCount ? m_rowGauges[row].GetPos() : 0; }
    ScanStatusRecord& GetStatusRecord() { return m_record; }

    // --- rows ---------------------------------------------------------------------------------
    // Row n (1-4) gets the active look and the only visible animation; 0 clears it.
    void SetActiveRow(int n);
    // Gauges to 1, "Good" (flag 1) or "Aborted" (flag 0) shown in every row, marks cleared,
    // Details hidden.
    void ResetRows(int flag);

    // --- CScanResultsOwner --------------------------------------------------------------------
    BOOL GetResultArea(RECT* screenRect) override;
    void SetRegistryCount(int count) override;
    void SetRegistryGauge(int position) override;
    void SetCategoryValue(int value, int row) override;
    void ShowRegistryRowGood() override;
    // 7 and 10: the end-of-scan headline and buttons (10 says "All Good!" with nothing left);
    // 9 scanning, 2 stopped, 20 fixing, 21 resolved.
    void UpdateSummaryText(int code) override;
    DWORD GetScannedJunkMask() override { return m_scannedJunkMask; }

    // --- CAbstractStatus (the engine's worker; OnTaskFinished also the page) ------------------
    void OnStatusText(const char* text, const char* stage) override;
    void OnProgress(int code) override;
    void OnItemFound(const char* text, DWORD category, int recordId, int reserved) override;
    void OnJunkItem(DWORD category, DWORD sizeLow, DWORD sizeHigh, int reserved1, int reserved2,
                    const char* text) override;
    int OnTaskFinished(int code) override;

    // Shows what the worker reported (the page's thread).
    void ApplyStatusRecord();

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnPaint();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnShowWindow(BOOL show, UINT status);
    void OnTimer(UINT_PTR id);
    void OnDestroy();

    void OnScanClicked();
    void OnStopClicked();
    void OnFixClicked();
    void OnRegistryRowClicked();
    void OnJunkRowClicked();
    void OnInternetRowClicked();
    void OnSystemRowClicked();
    void OnCustomizeClicked();

    LRESULT OnStatusRefresh(WPARAM, LPARAM);
    LRESULT OnEngineTaskEnded(WPARAM, LPARAM);
    LRESULT OnRegScanDone(WPARAM, LPARAM);
    LRESULT OnJunkScanStart(WPARAM, LPARAM);
    LRESULT OnJunkScanDone(WPARAM, LPARAM);
    LRESULT OnInetScanStart(WPARAM, LPARAM);
    LRESULT OnInetScanDone(WPARAM, LPARAM);
    LRESULT OnSysScanStart(WPARAM, LPARAM);
    LRESULT OnSysScanDone(WPARAM, LPARAM);
    LRESULT OnInetScanStatus(WPARAM, LPARAM);
    LRESULT OnInetScanResult(WPARAM, LPARAM);
    LRESULT OnSysScanStatus(WPARAM, LPARAM);
    LRESULT OnSysScanResult(WPARAM, LPARAM);
    LRESULT OnCleanProgressJunk(WPARAM, LPARAM);
    LRESULT OnJunkCleanStart(WPARAM, LPARAM);
    LRESULT OnCleanProgressInet(WPARAM, LPARAM);
    LRESULT OnInetTweaksApply(WPARAM, LPARAM);
    LRESULT OnCleanProgressSys(WPARAM, LPARAM);
    LRESULT OnSysTweaksApply(WPARAM, LPARAM);
    LRESULT OnCleanDone(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    // --- controller ---------------------------------------------------------------------------
    bool IsEngineBusy();
    void HandleTaskFinished(int code);
    // The worker has news: post the refresh unless one is pending.
    void NotifyRecordChanged();
    void ResetCounters();
    // A phase could not start: the stopped look, then the box.
    void RefuseStart();
    void FailedBackup();
    bool FoundItemsWereCleared();
    void BuildFolderMap(ShortcutFolderMap* folders);
    void UpdateTweakRow(int row, int count, int step, WPARAM wParam);
    void ApplyBarMove(int move);
    void StepBar(int steps);
    // Puts the junk section news into the junk results, within the time given; false while some
    // are left for the next turn of the refresh timer.
    bool ApplyPendingSections(DWORD deadline);
    // Empties the junk results and drops the junk news not yet shown.
    void ForgetJunkResults();
    // Drops the junk news not yet shown and an end waiting for it.
    void DropPendingSections();
    void KeepRefreshTimer(UINT intervalMs);
    // An end that waited for the junk results to be complete moves the chain on now.
    void ResumeDeferredEnd();

    // --- looks --------------------------------------------------------------------------------
    void ShowScanningLook();
    void ShowEndOfScanLook(bool allGood);
    void ShowStoppedLook();
    void ShowFixingLook();
    void ShowResolvedLook();
    void ShowStartLook();
    void ShowButtons(bool scan, bool stop, bool fix);
    void SetHeadline(const char* text);
    void SetRowText(int row, const char* text);
    void SetRowGauge(int row, int position);
    void SetControlText(CWnd& control, const char* text);
    void RepaintControlArea(CWnd& control);
    void HideAnimations();
    void StartAnimations();
    void BuildLook();
    void CreateFonts();
    CRect RowBand(int row);
    int RowOfControl(int id) const;
    bool IsClickable(int id);

    // --- state --------------------------------------------------------------------------------
    CAbstractProcess* m_pProcess;
    CAbstractScanItemsInfo* m_pScanItems;
    CRegScanDetailDlg* m_pRegistryPage;
    CJunkScanDetailDlg* m_pJunkPage;
    CInetOptimDetailDlg* m_pInternetPage;
    CSysOptimDetailDlg* m_pSystemPage;
    const int* m_pAutoRegBackup;
    std::function<void()> m_customizeScan;
    CString m_skipListPath;
    CSkipList m_skipList;         // read when a scan starts
    COptimizerSettings m_ownOptimizer;
    COptimizerSettings* m_pOptimizer;
    ScanStatusRecord m_record;
    DWORD m_guiThreadId;

    int m_scanState;
    int m_awaitedEnd;          // the end the chain waits for (0: none)
    int m_tweakScanRunning;
    int m_registryCount;
    LONGLONG m_junkSize;
    LONGLONG m_junkCount;
    DWORD m_scannedJunkMask;
    DWORD m_scannedInetMask;
    DWORD m_scannedSysMask;
    int m_rowMarks[RowCount];
    int m_activeRow;
    bool m_refreshTimer;
    UINT m_refreshInterval;
    // Junk section news not yet (or not completely) in the junk results, oldest first; the
    // first one's entries are with the junk page once m_pendingPartTaken is set.
    std::deque<JunkSectionPart> m_pendingSections;
    bool m_pendingPartTaken;
    int m_deferredEnd;         // a task end held back until the sections are in (0: none)
    CString m_goodText;
    CString m_itemsFoundText[RowCount];

    // --- controls and looks -------------------------------------------------------------------
    Style m_pageStyle;
    int m_rowLayers[RowCount];
    CBrush m_activeBrush;
    CBrush m_hollowBrush;
    HBRUSH m_rowBrushes[RowCount];
    CFont m_headlineFont;
    CFont m_statusFont;
    CFont m_countFont;
    CFont m_linkFont;
    CFont m_resultFont;
    CStatic m_headline;                  // 1025
    CStatic m_statusLine;                // 1026
    StyleProgress m_progress;            // 1024
    StyleButton m_scanButton;            // 1009
    StyleButton m_stopButton;            // 1011
    StyleButton m_fixButton;             // 1012
    CStatic m_resultArea;                // 1015
    StyleButton m_rowTitles[RowCount];   // 1006, 1007, 1008, 1010
    CStatic m_rowCounts[RowCount];       // 1016-1019
    CPictureEx m_rowAnimations[RowCount];// 1031-1034
    StyleProgress m_rowGauges[RowCount]; // 1020-1023
    CStatic m_rowResults[RowCount];      // 1143-1146
    StyleButton m_rowDetails[RowCount];  // 1152-1155
    CStatic m_customizeLink;             // 1142
};
