// CClientApp: the program's application object. It owns everything that lives as long as the
// process: the engine's process object, the found-items store, the command-line switches, the
// eight pages the main window shows, and the settings record.
#ifndef VELMORA_FRAME_CLIENT_APP_H
#define VELMORA_FRAME_CLIENT_APP_H

#include <windows.h>

#include "Client/Scan/InetOptimDetailDlg.h"
#include "Client/Scan/JunkScanDetailDlg.h"
#include "Client/Scan/OptimizerSettings.h"
#include "Client/Scan/RegScanDetailDlg.h"
#include "Client/Scan/ScanItemsInfo.h"
#include "Client/Scan/ScanningDlg.h"
#include "Client/Scan/SysOptimDetailDlg.h"
#include "Client/Tools/RegDefragDlg.h"
#include "Client/Tools/SrvicOptimDlg.h"
#include "Client/Tools/StartupManagerDlg.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "Frame/CommandLineInfoEx.h"
#include "Frame/EmptyPageDlg.h"
#include "Frame/FrameResources.h"
#include "Frame/ProgramSettings.h"
#include "Framework/CWinApp.h"

// The main window's pages by number.
enum ClientPage {
    PageSystemScan = 1,
    PageRegistryResults = 2,
    PageJunkResults = 3,
    PageInternetResults = 4,
    PageSystemResults = 5,
    PageSystemBooster = 6,
    PageRegistryDefrag = 7,
    PageStartupManager = 8,
};
const int ClientPageCount = 8;

class CClientApp : public CWinAppEx {
public:
    CClientApp();

    // The whole start-up; the main window's modal loop runs inside it. Always FALSE.
    BOOL InitInstance() override;
    int ExitInstance() override;

    void LoadSettings();
    void SaveSettings();

    // TRUE while an operation runs that Settings, the Restore Center, Customize Scan and the
    // tool pages must not meet: a task of the engine, the System Scan page's internet or
    // system tweak scan, or anywhere in that page's scan or fix, whose steps leave the engine
    // idle in between (the pause before the junk scan, each step's end on its way to the page).
    BOOL IsOperationRunning();
    // The tweak settings the tweak scans and the Restore Center's defaults work on.
    COptimizerSettings* GetTweakSettings() { return &m_tweakSettings; }

    // The page dialog of a page number (NULL outside 1-8), and its template.
    CDialog* GetPage(int page);
    static UINT GetPageTemplate(int page);

    ULONG_PTR m_gdiplusToken;
    CAbstractProcess* m_pProcess;                // never deleted
    CScanItemsInfo* m_pScanItemsInfo;            // never deleted
    CCommandLineInfoEx m_commandLine;
    // The pages, constructed with no parent and created as children of the main window. Each
    // becomes its own page class when that page is built.
    CScanningDlg m_scanningDlg;           // 1 System Scan
    CRegScanDetailDlg m_regScanDetailDlg;   // 2 registry results
    CJunkScanDetailDlg m_junkScanDetailDlg; // 3 junk results
    CInetOptimDetailDlg m_inetOptimDetailDlg; // 4 internet results
    CSysOptimDetailDlg m_sysOptimDetailDlg;   // 5 system results
    CSrvicOptimDlg m_srvicOptimDlg;       // 6 System Booster
    CRegDefragDlg m_regDefragDlg;         // 7 Registry Defrag
    CStartupManagerDlg m_startupManagerDlg; // 8 Startup Manager
    SettingsRecord m_settings;
    HCURSOR m_handCursor;                 // for link-like controls
    COptimizerSettings m_tweakSettings;
};

extern CClientApp theApp;

#endif
