// The main window: pages, navigation, tray icon and the ways of quitting.
#include "Frame/ClientDlg.h"

#include "Frame/AboutDlg.h"
#include "Frame/ClientApp.h"
#include "Frame/FrameMessages.h"
#include "Frame/FrameResources.h"
#include "Frame/ProgramIdentity.h"
#include "Frame/SingleInstance.h"
#include "Frame/WaitPumpingMessages.h"
#include "Framework/CMenu.h"
#include "Skin/BlackLayerDlg.h"
#include "Skin/MsgBoxDlg.h"
#include "Tools/RestoreCenterDlg.h"
#include "Tools/SettingsDlg.h"

namespace {

// The system menu's added About item.
const UINT IDM_ABOUTBOX = 0x10;

const UINT NavigationButtonIds[CClientDlg::NavigationButtonCount] = {
    IDC_NAV_SYSTEM_SCANNER, IDC_NAV_SYSTEM_BOOSTER, IDC_NAV_REGISTRY_DEFRAG,
    IDC_NAV_STARTUP_MANAGER, IDC_NAV_UNINSTALLER,
};

}  // namespace

CClientDlg::CClientDlg(CWnd* parent)
    : StyleDialog(IDD_CLIENT_DIALOG, parent),
      m_updateTimer(0),
      m_updateStart(0),
      m_reserved{0, 0, 0},
      m_hIcon(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_closing(0),
      m_silentCheck(0),
      m_notifyWindow(NULL),
      m_updateFound(0)
{
}

BEGIN_MESSAGE_MAP(CClientDlg, StyleDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_MESSAGE(WM_QUERYDRAGICON, &CClientDlg::OnQueryDragIcon)
    ON_WM_ERASEBKGND()
    ON_BN_CLICKED(IDC_NAV_SYSTEM_SCANNER, &CClientDlg::OnSystemScanner)
    ON_BN_CLICKED(IDC_NAV_SYSTEM_BOOSTER, &CClientDlg::OnSystemBooster)
    ON_BN_CLICKED(IDC_NAV_REGISTRY_DEFRAG, &CClientDlg::OnRegistryDefrag)
    ON_BN_CLICKED(IDC_NAV_STARTUP_MANAGER, &CClientDlg::OnStartupManager)
    ON_BN_CLICKED(IDC_NAV_UNINSTALLER, &CClientDlg::OnUninstaller)
    ON_BN_CLICKED(IDC_CAPTION_EXIT, &CClientDlg::OnExit)
    ON_BN_CLICKED(IDC_CAPTION_MINIMIZE, &CClientDlg::OnMinimize)
    ON_BN_CLICKED(IDC_CAPTION_SETTINGS, &CClientDlg::OnSettings)
    ON_BN_CLICKED(IDC_CAPTION_ABOUT, &CClientDlg::OnAbout)
    ON_BN_CLICKED(IDC_CAPTION_RESTORE, &CClientDlg::OnRestoreCenter)
    ON_BN_CLICKED(IDC_UPDATE, &CClientDlg::OnUpdate)
    ON_WM_CLOSE()
    ON_WM_TIMER()
    ON_MESSAGE(WM_START_DOWNLOAD, &CClientDlg::OnStartDownload)
    ON_MESSAGE(WM_TRAY_NOTIFY, &CClientDlg::OnTrayNotify)
    ON_MESSAGE(WM_HIDE_TO_TRAY, &CClientDlg::OnHideToTray)
    // The pages' Back buttons return to the System Scan page through this window.
    ON_MESSAGE(WM_SHOW_PAGE, &CClientDlg::OnShowPage)
END_MESSAGE_MAP()

void CClientDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    for (int i = 0; i < NavigationButtonCount; ++i)
        DDX_Control(pDX, static_cast<int>(NavigationButtonIds[i]), m_navigationButtons[i]);
    DDX_Control(pDX, IDC_CAPTION_MINIMIZE, m_minimizeButton);
    DDX_Control(pDX, IDC_CAPTION_EXIT, m_exitButton);
    DDX_Control(pDX, IDC_CAPTION_SETTINGS, m_settingsButton);
    DDX_Control(pDX, IDC_CAPTION_ABOUT, m_aboutButton);
    DDX_Control(pDX, IDC_CAPTION_RESTORE, m_restoreButton);
    DDX_Control(pDX, IDC_UPDATE, m_updateButton);
}

BOOL CClientDlg::OnInitDialog()
{
    // The template marks the content area (bit 0); the other bits are the skin's layout hints.
    m_layoutFlags = 15;
    SetCaptionText(ProgramDisplayName);
    StyleDialog::OnInitDialog();
    PublishMainWindow(m_hWnd);

    CMenu* systemMenu = GetSystemMenu(FALSE);
    CString aboutText;
    aboutText.LoadString(IDS_ABOUTBOX);
    if (systemMenu && !aboutText.IsEmpty()) {
        systemMenu->AppendMenu(MF_SEPARATOR);
        systemMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, aboutText);
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    BuildSkin();
    CreatePages();
    ShowPage(PageSystemScan);
    m_notifyWindow = this;

    CCommandLineInfoEx& commandLine = theApp.m_commandLine;
    if (!commandLine.m_defrag) {
        if (commandLine.m_startScan) {
            PostMessage(WM_HIDE_TO_TRAY, 0, 0);
            theApp.m_scanningDlg.StartScan();
        } else if (theApp.m_settings.SoftwareUpdate) {
            StartUpdateCycle(1);
        }
    }

    m_trayIcon.Create(this, WM_TRAY_NOTIFY, ProgramDisplayName, m_hIcon, 0);
    return TRUE;
}

void CClientDlg::CreatePages()
{
    CRect content;
    if (CWnd* marker = GetDlgItem(IDC_CONTENT_AREA)) {
        marker->GetWindowRect(&content);
        ScreenToClient(&content);
    }
    content.left -= 1;
    for (int page = 1; page <= ClientPageCount; ++page) {
        CDialog* dialog = theApp.GetPage(page);
        UINT templateId = CClientApp::GetPageTemplate(page);
        if (!dialog->Create(templateId, this))
            continue;
        // Each page answers to its template's id, so it can be found like a control.
        ::SetWindowLongPtrA(dialog->m_hWnd, GWLP_ID, static_cast<LONG_PTR>(templateId));
        dialog->SetWindowPos(static_cast<CWnd*>(NULL), content.left, content.top, content.Width(),
                             content.Height(), SWP_NOZORDER | SWP_SHOWWINDOW);
    }
}

LRESULT CClientDlg::OnShowPage(WPARAM page, LPARAM)
{
    ShowPage(static_cast<int>(page));
    return 0;
}

void CClientDlg::ShowPage(int page)
{
    CDialog* shown = theApp.GetPage(page);
    if (!shown)
        return;
    for (int other = 1; other <= ClientPageCount; ++other) {
        CDialog* dialog = theApp.GetPage(other);
        if (dialog != shown && dialog->m_hWnd)
            dialog->ShowWindow(SW_HIDE);
    }
    if (shown->m_hWnd)
        shown->ShowWindow(SW_SHOW);
    if (page == PageStartupManager)
        theApp.m_startupManagerDlg.RefreshList();
}

void CClientDlg::SelectNavigationButton(int index)
{
    for (StyleButton& button : m_navigationButtons) {
        button.SetState(0);
        button.EnableWindow(TRUE);
    }
    m_navigationButtons[index].SetState(2);
    m_navigationButtons[index].EnableWindow(FALSE);
}

void CClientDlg::QuitApp()
{
    ShowWindow(SW_HIDE);
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
    m_trayIcon.RemoveIcon();
    ::TerminateProcess(::GetCurrentProcess(), 0);
}

void CClientDlg::OnSysCommand(UINT id, LPARAM)
{
    if ((id & 0xFFF0) == IDM_ABOUTBOX)
        OnAbout();
    else
        Default();
}

void CClientDlg::OnPaint()
{
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    dc.DrawIcon((rect.Width() - cxIcon + 1) / 2, (rect.Height() - cyIcon + 1) / 2, m_hIcon);
}

BOOL CClientDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    m_contentStyle.Paint(pDC, client.left, client.top, client.right, client.bottom);
    return TRUE;
}

LRESULT CClientDlg::OnQueryDragIcon(WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(m_hIcon);
}

void CClientDlg::OnSystemScanner()
{
    SelectNavigationButton(0);
    ShowPage(PageSystemScan);
}

void CClientDlg::OnSystemBooster()
{
    SelectNavigationButton(1);
    ShowPage(PageSystemBooster);
}

void CClientDlg::OnRegistryDefrag()
{
    SelectNavigationButton(2);
    ShowPage(PageRegistryDefrag);
}

void CClientDlg::OnStartupManager()
{
    SelectNavigationButton(3);
    ShowPage(PageStartupManager);
}

void CClientDlg::OnUninstaller()
{
    // The button is hidden; it selects no page.
    SelectNavigationButton(4);
}

void CClientDlg::OnExit()
{
    QuitApp();
}

void CClientDlg::OnMinimize()
{
    ShowWindow(SW_MINIMIZE);
}

void CClientDlg::OnSettings()
{
    if (theApp.IsOperationRunning())
        return;
    CSettingsDlg dlg(NULL);
    dlg.m_pSettings = &theApp.m_settings;
    dlg.m_pScanItems = theApp.m_pScanItemsInfo;
    DoModalWithOverlay(&dlg);
}

void CClientDlg::OnAbout()
{
    ShowAboutDialog();
}

void CClientDlg::OnRestoreCenter()
{
    if (theApp.IsOperationRunning())
        return;
    int result;
    {
        CRestoreCenterDlg dlg(NULL);
        dlg.m_pProcess = theApp.m_pProcess;
        dlg.m_pTweakSettings = theApp.GetTweakSettings();
        dlg.m_handCursor = theApp.m_handCursor;
        result = DoModalWithOverlay(&dlg);
    }
    WaitPumpingMessages(200);
    const char* text = NULL;
    switch (result) {
    case CRestoreCenterDlg::ResultRegistryRestored: text = "Registry restore is complete."; break;
    case CRestoreCenterDlg::ResultInternetDefaults: text = "Default internet speed settings restored."; break;
    case CRestoreCenterDlg::ResultSystemDefaults: text = "Default system speed settings restored."; break;
    default: return;
    }
    ShowMessageBox(NULL, text, MessageBoxOk, TRUE);
}

void CClientDlg::OnClose()
{
    m_closing = 1;
    QuitApp();
}

LRESULT CClientDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam)
{
    return m_trayIcon.OnTrayNotification(wParam, lParam);
}

LRESULT CClientDlg::OnHideToTray(WPARAM, LPARAM)
{
    // Hidden and iconic: a later SW_RESTORE (second start, tray double click) brings it back.
    ShowWindow(SW_HIDE);
    ShowWindow(SW_MINIMIZE);
    ShowWindow(SW_HIDE);
    return 1;
}
