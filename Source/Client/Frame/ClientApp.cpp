// Start-up of Velmora.exe: one instance, the Windows-version question, the engine bound by file
// name, the settings, then the main window as the program's modal loop.
#include "Frame/ClientApp.h"

#include <commctrl.h>
#include <objbase.h>

#include <gdiplus.h>

#include "Client/Scan/CustomizeScanDlg.h"
#include "Client/Skin/BlackLayerDlg.h"
#include "Frame/ClientDlg.h"
#include "Frame/EngineBinding.h"
#include "Frame/ProgramIdentity.h"
#include "Frame/SingleInstance.h"
#include "Frame/SystemFunctions.h"
#include "Frame/WaitPumpingMessages.h"
#include "Framework/CommandLineInfo.h"
#include "Skin/MsgBoxDlg.h"

CClientApp theApp;

namespace {

// The logon task starts the program right at logon; the desktop is given time to settle first.
const DWORD DefragStartDelay = 4000;

}  // namespace

CClientApp::CClientApp()
    : m_gdiplusToken(0),
      m_pProcess(NULL),
      m_pScanItemsInfo(NULL),
      m_handCursor(NULL)
{
}

CDialog* CClientApp::GetPage(int page)
{
    switch (page) {
    case PageSystemScan: return &m_scanningDlg;
    case PageRegistryResults: return &m_regScanDetailDlg;
    case PageJunkResults: return &m_junkScanDetailDlg;
    case PageInternetResults: return &m_inetOptimDetailDlg;
    case PageSystemResults: return &m_sysOptimDetailDlg;
    case PageSystemBooster: return &m_srvicOptimDlg;
    case PageRegistryDefrag: return &m_regDefragDlg;
    case PageStartupManager: return &m_startupManagerDlg;
    default: return NULL;
    }
}

UINT CClientApp::GetPageTemplate(int page)
{
    static const UINT templates[ClientPageCount] = {
        IDD_PAGE_SYSTEM_SCAN,      IDD_PAGE_REGISTRY_RESULTS, IDD_PAGE_JUNK_RESULTS,
        IDD_PAGE_INTERNET_RESULTS, IDD_PAGE_SYSTEM_RESULTS,   IDD_PAGE_SYSTEM_BOOSTER,
        IDD_PAGE_REGISTRY_DEFRAG,  IDD_PAGE_STARTUP_MANAGER,
    };
    return page >= 1 && page <= ClientPageCount ? templates[page - 1] : 0;
}

BOOL CClientApp::InitInstance()
{
    ParseCommandLine(m_commandLine);

    if (!ClaimSingleInstance())
        return FALSE;

    Gdiplus::GdiplusStartupInput gdiplusInput;
    if (Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusInput, NULL) != Gdiplus::Ok)
        m_gdiplusToken = 0;

    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);

    m_pszAppName = ProgramDisplayName;

    if (!IsTestedWindowsVersion(GetWindowsVersion())) {
        CString question = ProgramDisplayName " is not tested on this Windows version.\n\n"
                           "Do you still want to run " ProgramDisplayName "?";
        if (ShowMessageBox(NULL, question, MessageBoxYesNo, FALSE) == IDNO)
            return FALSE;
    }

    CoInitialize(NULL);
    if (!LoadEngineLibrary())
        return FALSE;
    if (!m_pProcess)
        m_pProcess = GetEngineInterface() ? GetEngineInterface()->NewProcess() : NULL;
    if (!m_pScanItemsInfo)
        m_pScanItemsInfo = new CScanItemsInfo();
    m_regScanDetailDlg.SetScanItemsInfo(m_pScanItemsInfo);
    m_regScanDetailDlg.SetScanPage(&m_scanningDlg);
    m_junkScanDetailDlg.SetScanPage(&m_scanningDlg);
    m_scanningDlg.SetProcess(m_pProcess);
    m_scanningDlg.SetScanItemsInfo(m_pScanItemsInfo);
    m_scanningDlg.SetResultsPages(&m_regScanDetailDlg, &m_junkScanDetailDlg);
    m_scanningDlg.SetAutoRegBackupSource(&m_settings.AutoRegBackup);
    m_scanningDlg.SetTweakPages(&m_inetOptimDetailDlg, &m_sysOptimDetailDlg);
    m_scanningDlg.SetOptimizerSettings(&m_tweakSettings);
    m_regDefragDlg.SetProcess(m_pProcess);
    m_regDefragDlg.SetScanItemsInfo(m_pScanItemsInfo);
    m_regDefragDlg.SetOperationTest([this] { return IsOperationRunning(); });
    m_regDefragDlg.SetItemsClearedFunction([this] { m_scanningDlg.OnFoundItemsCleared(); });
    m_regDefragDlg.SetDefragStartFlag(&m_commandLine.m_defrag);
    m_srvicOptimDlg.SetProcess(m_pProcess);
    m_srvicOptimDlg.SetBusyTest([this] { return IsOperationRunning() != FALSE; });
    m_scanningDlg.SetCustomizeScanFunction([] {
        CCustomizeScanDlg dialog(NULL);
        DoModalWithOverlay(&dialog);
    });

    m_handCursor = LoadCursor(NULL, IDC_HAND);
    LoadSettings();

    if (m_commandLine.m_defrag)
        WaitPumpingMessages(DefragStartDelay);

    CClientDlg dlg(NULL);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = NULL;
    return FALSE;
}

int CClientApp::ExitInstance()
{
    // The second instance and the other early ends never started GDI+.
    if (m_gdiplusToken)
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
    m_gdiplusToken = 0;
    return CWinAppEx::ExitInstance();
}

BOOL CClientApp::IsOperationRunning()
{
    const int scanState = m_scanningDlg.GetScanState();
    return (m_pProcess && m_pProcess->IsBusy()) || m_scanningDlg.IsTweakScanRunning() ||
                   scanState == ScanStateScanning || scanState == ScanStateFixing
               ? TRUE
               : FALSE;
}

void CClientApp::LoadSettings()
{
    LoadProgramSettings(m_settings);
}

void CClientApp::SaveSettings()
{
    SaveProgramSettings(m_settings);
}
