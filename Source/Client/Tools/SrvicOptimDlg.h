// CSrvicOptimDlg: page 6 of the main window, the "System Booster". ON records the state and
// start type of each service of a fixed table of 42, stops it and (for most) disables it; OFF
// gives every recorded service its start type back and starts the ones that were running. The
// records live in the engine's services store ("SRVS_STATS.xml"), read when the page starts,
// so the booster stays ON across a restart of the program: it is ON exactly while records
// remain, and then shows OFF instead of ON.
//
// A run: the button opens the busy dialog, which sends WM_START_SERVICES; a short worker starts
// the engine's status ping (task 11), whose OnProgress(4) posts WM_SERVICES_DONE; the service
// work then runs on the GUI thread inside the busy dialog's loop, and closes the dialog. When
// there is no process object, or the ping cannot be started, the worker posts WM_SERVICES_DONE
// itself. Every service call goes through a CBoosterServiceCalls object.
//
// Usage: construct, set the partners, Create as a child page. GUI thread only, but for
// OnProgress, which the engine calls on its worker.
#pragma once

#include <windows.h>

#include <functional>

#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Client/Tools/BoosterServiceCalls.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CGdiObject.h"
#include "Framework/Collections.h"

#define WM_START_SERVICES 0xB1C   // busy dialog -> page: the dialog is up, start the run
#define WM_SERVICES_DONE 0x81A    // page's OnProgress(4) -> page: do the service work now

// One row of the booster table.
struct SERVICE_INFO {
    int StopOnly = 0;   // 0: stop and disable; 1: stop only
    CString Name;
    CString Unused;
};

// The booster's texts.
#define BOOSTER_BUSY_TEXT "Please stop other active operation before turning ON/OFF System Booster."
#define BOOSTER_OPEN_MANAGER_FAILED_TEXT "Error Opening Service Manager"
#define BOOSTER_QUERY_FAILED_TEXT "Error Querying Service Manager"
#define BOOSTER_ACCESS_DENIED_TEXT "Access Denied Enumerating Services"

class CSrvicOptimDlg : public StyleDialog, public CAbstractStatus {
public:
    enum { ModeOn = 5, ModeOff = 0 };

    CSrvicOptimDlg();

    // Partners, set before Create. The process object (NULL: none); the engine interface that
    // makes the store (default: the program's); the busy test (default: the process object
    // reports busy); the store's file (default GetServicesStatsPath()); the service calls
    // (default: the real manager's; not owned, must outlive the page).
    void SetProcess(CAbstractProcess* process) { m_pProcess = process; }
    void SetEngine(CAbstractSSEngineInterface* engine) { m_pEngine = engine; }
    void SetBusyTest(std::function<bool()> busy) { m_busyTest = busy; }
    void SetServicesStatsPath(const CString& path) { m_statsPath = path; }
    void SetServiceCalls(CBoosterServiceCalls* calls) { m_pCalls = calls ? calls : &m_realCalls; }

    // The buttons' work: 0 when refused (another operation runs), 1 once a run was made.
    int OnBoosterOn() { return StartRun(ModeOn); }
    int OnBoosterOff() { return StartRun(ModeOff); }

    const CArray<ServiceItem>& GetRecordedServices() const { return m_recorded; }
    const CArray<SERVICE_INFO>& GetBoosterTable() const { return m_table; }

    // CAbstractStatus: only the ping's progress counts.
    void OnStatusText(const char*, const char*) override {}
    void OnProgress(int code) override;
    void OnItemFound(const char*, DWORD, int, int) override {}
    int OnTaskFinished(int) override { return 0; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnOnClicked() { OnBoosterOn(); }
    void OnOffClicked() { OnBoosterOff(); }
    LRESULT OnStartServices(WPARAM, LPARAM);
    LRESULT OnServicesDone(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    int StartRun(int mode);
    bool IsOtherOperationRunning();
    void BuildLook();
    CRect ControlRect(int id);
    // ON while nothing is recorded, OFF otherwise.
    void ShowSwitch();
    void FillBoosterTable();

    void LoadRecordedServices();
    // 1 when the store's file was written.
    int SaveRecordedServices();

    // Fills the four lists; false (after its message) when the manager could not be opened or
    // its services not enumerated.
    bool EnumerateServices();
    // The enumeration's display name, state and start type of a service; the numbers stay as
    // they are (and the name is empty) when it was not enumerated.
    void LookUpService(const CString& name, CString& displayName, int& status, int& startType);
    // OpenService with the access asked for, then with ever fewer rights while access is
    // denied; NULL when none worked (the last attempt's error in GetLastError).
    SC_HANDLE OpenServiceWithFallback(SC_HANDLE manager, const char* name, DWORD access);
    void RunBoosterOn();
    void RunBoosterOff();
    void StopService(const ServiceItem& item, int stopOnly);
    int RowFlag(const CString& name);

    CWnd* m_pOwner;
    Style m_background;
    CFont m_titleFont;       // Arial 19
    CFont m_subtitleFont;    // Arial 17
    CFont m_headingFont;     // Segoe UI 20
    CFont m_textFont;        // Segoe UI 19
    int m_mode;
    StyleButton m_onButton;  // 1131
    StyleButton m_offButton; // 1133
    CStringArray m_displayNames;
    CStringArray m_stateTexts;
    CStringArray m_startTypeTexts;
    CStringArray m_serviceNames;
    CArray<ServiceItem> m_recorded;
    CArray<SERVICE_INFO> m_table;

    CAbstractProcess* m_pProcess;
    CAbstractSSEngineInterface* m_pEngine;
    std::function<bool()> m_busyTest;
    CString m_statsPath;
    CBoosterServiceCalls m_realCalls;
    CBoosterServiceCalls* m_pCalls;
    CBrush m_whiteBrush;
};
