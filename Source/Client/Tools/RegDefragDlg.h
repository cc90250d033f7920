// CRegDefragDlg: page 7 of the main window, the "Registry Defrag". Defrag runs the engine's
// hive defragmentation twice under one busy dialog: an analysis that writes compacted copies of
// the hives and reports the gain, then, when the gain is worth it, a replacement that hands the
// copies to Windows for its next start. After the replacement the page schedules a logon task
// and restarts Windows; the program that task starts with "DEFRAG" finishes here: it records
// the date in "LastDefrag", deletes the task and says so.
//
// The page is the engine's status receiver for the defragmentation. The engine calls it on its
// worker: OnStatusText sets the busy dialog's text (which the dialog's own thread shows), and
// OnResult only stores the code and posts WM_DEFRAG_RESULT, so every decision runs on the
// page's thread inside the busy dialog's modal loop.
//
// Usage: construct, hand it the process object, the found-items store, the busy test, the
// found-items notice and the "DEFRAG" start flag, Create as a child page of the main window.
#pragma once

#include <windows.h>

#include <functional>

#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CGdiObject.h"

class CRegDefragDlg : public StyleDialog, public CAbstractStatus {
public:
    CRegDefragDlg();

    void SetProcess(CAbstractProcess* process) { m_pProcess = process; }
    void SetScanItemsInfo(CAbstractScanItemsInfo* store) { m_pScanItems = store; }
    // TRUE while another operation runs (the engine, or the System Scan's tweak scans).
    void SetOperationTest(std::function<BOOL()> test) { m_operationRunning = test; }
    // Called on the page's thread after a start emptied the found-items store.
    void SetItemsClearedFunction(std::function<void()> cleared) { m_itemsCleared = cleared; }
    // The application's "DEFRAG" start flag: read at initialisation, cleared when handled.
    void SetDefragStartFlag(int* flag) { m_defragStart = flag; }

    // The text control 1123 shows ("Never" or the recorded date).
    CString GetLastDefragText();

    // CAbstractStatus, on the engine's worker.
    void OnStatusText(const char* text, const char* stage) override;
    void OnProgress(int code) override;
    void OnItemFound(const char* text, DWORD category, int recordId, int reserved) override;
    int OnTaskFinished(int code) override;
    int OnResult(int code) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnDefrag();
    LRESULT OnStartDefrag(WPARAM, LPARAM);
    LRESULT OnDefragResult(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    // The runs a start can fail: what the failure is reported as.
    enum RunKind { RunAnalysis = 0, RunReplacement = 1 };

    void BuildLook();
    void ShowLastDefrag();
    void RecordLastDefrag();
    // Empties the found-items store before a run (page thread).
    void ClearFoundItems();
    // Sets the busy text, starts task 8 in mode kind and resumes it; false when no run started.
    bool StartRun(RunKind kind);
    static UINT __stdcall AnalysisThread(void* page);
    void FinishDefragStart();
    void Countdown();
    // A failure message over the busy dialog; then the dialog is closed.
    void EndWithMessage(const CString& text);
    CRect InformationFrame();

    CWnd* m_pOwner;
    Style m_background;
    volatile LONG m_resultCode;
    CFont m_titleFont;       // Arial 19
    CFont m_subtitleFont;    // Arial 17
    CFont m_headingFont;     // Segoe UI 20
    CFont m_textFont;        // Segoe UI 19
    StyleButton m_defragButton;   // 1009
    CBrush m_whiteBrush;

    CAbstractProcess* m_pProcess;
    CAbstractScanItemsInfo* m_pScanItems;
    std::function<BOOL()> m_operationRunning;
    std::function<void()> m_itemsCleared;
    int* m_defragStart;
    volatile LONG m_runKind;   // the run whose result is awaited
};
