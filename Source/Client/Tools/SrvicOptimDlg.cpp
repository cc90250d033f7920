// The System Booster page (see SrvicOptimDlg.h).
#include "Client/Tools/SrvicOptimDlg.h"

#include <vector>

#include "Client/Frame/EngineBinding.h"
#include "Client/Frame/ProgramPaths.h"
#include "Client/Frame/WaitPumpingMessages.h"
#include "Client/Resources/SystemBoosterResources.h"
#include "Client/Skin/BlackLayerDlg.h"
#include "Client/Skin/BusyDlg.h"
#include "Client/Skin/MsgBoxDlg.h"
#include "Framework/CWinApp.h"
#include "Framework/ServiceHandle.h"

namespace {

// The booster table: the services ON stops, in their order, with the stop-only flag.
const struct {
    const char* name;
    int stopOnly;
} BoosterRows[] = {
    {"DPS", 0},           {"dmwappushservice", 0},  {"ALG", 0},
    {"BITS", 1},          {"Browser", 1},           {"defragsvc", 0},
    {"TrkWks", 1},        {"MSDTC", 0},             {"HomeGroupProvider", 0},
    {"HomeGroupListener", 0}, {"PerfHost", 0},      {"TermService", 0},
    {"SCardSvr", 0},      {"Themes", 0},            {"WebClient", 0},
    {"WbioSrvc", 1},      {"EntAppSvc", 1},         {"WerSvc", 0},
    {"W32Time", 0},       {"wuauserv", 0},          {"WwanSvc", 0},
    {"MapsBroker", 0},    {"PcaSvc", 0},            {"RemoteRegistry", 0},
    {"seclogon", 1},      {"TabletInputService", 1}, {"stisvc", 1},
    {"XblGameSave", 1},   {"xbgm", 1},              {"PhoneSvc", 1},
    {"icssvc", 1},        {"WMPNetworkSvc", 0},     {"vmicheartbeat", 1},
    {"WinRM", 1},         {"DiagTrack", 1},         {"wmiApSrv", 1},
    {"FDResPub", 0},      {"SmsRouter", 1},         {"CscService", 1},
    {"UmRdpService", 1},  {"SSDPSRV", 1},           {"SysMain", 1},
};

// The rights tried in turn when a service denies the ones asked for.
const DWORD FallbackAccess[] = {0x37, 0x35, 0x34, 0x30};

const DWORD StopSettleMs = 100;
const DWORD StartSettleMs = 200;
const DWORD PingSettleMs = 200;

// Text colours of the statics (COLORREF).
const struct {
    int id;
    COLORREF colour;
} StaticColours[] = {
    {IDC_BOOSTER_TITLE, 0x000000},         {IDC_BOOSTER_SUBTITLE, 0x0071EA},
    {IDC_BOOSTER_BOOST_HEADING, 0x282828}, {IDC_BOOSTER_BOOST_TEXT, 0x6F6F6F},
    {IDC_BOOSTER_CLICK_HEADING, 0x282828}, {IDC_BOOSTER_CLICK_TEXT, 0x6F6F6F},
};

const COLORREF FrameColour = RGB(0xEE, 0xEE, 0xEE);

// The switch buttons' looks: a vertical two-colour gradient, the power sign at the left and the
// caption in the middle.
const DWORD OnTop = 0xFFE79300, OnBottom = 0xFFFF9600, OnHotBottom = 0xFFFFA200;
const DWORD OffTop = 0xFFCFCFCF, OffBottom = 0xFFE2E1E1, OffHotBottom = 0xFFEAE8E1;
const DWORD OnTextColour = 0xFFFFFFFF, OffTextColour = 0xFF888888;
const int PowerSignSize = 20;
const int PowerSignInset = 12;

Style SwitchFace(const CRect& rc, DWORD top, DWORD bottom, const char* caption, DWORD textColour)
{
    Style style;
    StyleLayer layer(0, 0, rc.Width(), rc.Height());
    layer.AddGradientElement(1, top, bottom, 0.0f);
    layer.AddImageElement(PowerSignInset, (rc.Height() - PowerSignSize) / 2, IDR_PNG_BOOSTER_POWER,
                          "PNG", 1, 0);
    layer.AddTextElement(caption, 1, 0, 0, textColour, 14, 0, "Segoe UI");
    style.AddLayer(layer);
    return style;
}

void SkinSwitch(StyleButton& button, DWORD top, DWORD bottom, DWORD hotBottom, const char* caption,
                DWORD textColour)
{
    CRect rc;
    button.GetClientRect(&rc);
    button.SetFaceStyle(SwitchFace(rc, top, bottom, caption, textColour));
    button.SetHoverStyle(SwitchFace(rc, top, hotBottom, caption, textColour));
    button.SetPressedStyle(SwitchFace(rc, top, hotBottom, caption, textColour));
    button.SetWindowText(caption);
}

const char* StateText(DWORD state)
{
    switch (state) {
    case SERVICE_STOPPED: return "Stopped";
    case SERVICE_START_PENDING: return "Starting";
    case SERVICE_STOP_PENDING: return "Stopping";
    case SERVICE_RUNNING: return "Running";
    case SERVICE_PAUSED: return "Paused";
    default: return "Unknown";
    }
}

const char* StartTypeText(DWORD startType)
{
    switch (startType) {
    case SERVICE_AUTO_START: return "Automatic";
    case SERVICE_DEMAND_START: return "Manual";
    case SERVICE_DISABLED: return "Disable";
    default: return "Unknown";
    }
}

// The numbers back from the texts; "Unknown" (or anything else) leaves value as it is.
void ReadStateText(const CString& text, int& value)
{
    static const struct {
        const char* text;
        int value;
    } states[] = {{"Paused", 7}, {"Running", 4}, {"Stopped", 1}, {"Starting", 2}, {"Stopping", 3}};
    for (const auto& s : states)
        if (text.CompareNoCase(s.text) == 0)
            value = s.value;
}

void ReadStartTypeText(const CString& text, int& value)
{
    static const struct {
        const char* text;
        int value;
    } types[] = {{"Automatic", 2}, {"Manual", 3}, {"Disable", 4}};
    for (const auto& t : types)
        if (text.CompareNoCase(t.text) == 0)
            value = t.value;
}

// What the page's starter thread needs; it touches nothing else of the page.
struct PingStart {
    CAbstractProcess* process;
    CAbstractStatus* status;
    HWND page;
};

DWORD WINAPI PingStarterThread(void* parameter)
{
    PingStart start = *static_cast<PingStart*>(parameter);
    delete static_cast<PingStart*>(parameter);
    try {
        if (start.process && start.process->StartNotifyTask(start.status) == 1 &&
            start.process->ResumeTask())
            return 1;
    } catch (...) {
    }
    // No ping will come: the work still has to run, and the busy dialog to close.
    ::PostMessageA(start.page, WM_SERVICES_DONE, 0, 0);
    return 1;
}

}  // namespace

BEGIN_MESSAGE_MAP(CSrvicOptimDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_BOOSTER_ON, &CSrvicOptimDlg::OnOnClicked)
    ON_BN_CLICKED(IDC_BOOSTER_OFF, &CSrvicOptimDlg::OnOffClicked)
    ON_MESSAGE(WM_START_SERVICES, &CSrvicOptimDlg::OnStartServices)
    ON_MESSAGE(WM_SERVICES_DONE, &CSrvicOptimDlg::OnServicesDone)
END_MESSAGE_MAP()

CSrvicOptimDlg::CSrvicOptimDlg()
    : StyleDialog(IDD_PAGE_SYSTEM_BOOSTER, NULL), m_pOwner(NULL), m_mode(ModeOff), m_pProcess(NULL),
      m_pEngine(NULL), m_pCalls(&m_realCalls)
{
}

void CSrvicOptimDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BOOSTER_ON, m_onButton);
    DDX_Control(pDX, IDC_BOOSTER_OFF, m_offButton);
}

BOOL CSrvicOptimDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    SetupBorderStyle(m_frameStyle, BorderStyleWhiteWindow);
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    BuildLook();
    LoadRecordedServices();
    FillBoosterTable();
    ShowSwitch();
    m_pOwner = AfxGetMainWnd();
    return TRUE;
}

CRect CSrvicOptimDlg::ControlRect(int id)
{
    CRect rc;
    if (CWnd* control = GetDlgItem(id)) {
        control->GetWindowRect(&rc);
        ScreenToClient(&rc);
    }
    return rc;
}

void CSrvicOptimDlg::BuildLook()
{
    SkinSwitch(m_onButton, OnTop, OnBottom, OnHotBottom, "ON", OnTextColour);
    SkinSwitch(m_offButton, OffTop, OffBottom, OffHotBottom, "OFF", OffTextColour);

    struct {
        CFont& font;
        int height;
        const char* face;
    } fonts[] = {{m_titleFont, 19, "Arial"}, {m_subtitleFont, 17, "Arial"},
                 {m_headingFont, 20, "Segoe UI"}, {m_textFont, 19, "Segoe UI"}};
    for (auto& f : fonts)
        f.font.CreateFont(f.height, 0, f.face);
    const struct {
        int id;
        CFont& font;
    } assigned[] = {{IDC_BOOSTER_TITLE, m_titleFont},        {IDC_BOOSTER_SUBTITLE, m_subtitleFont},
                    {IDC_BOOSTER_BOOST_HEADING, m_headingFont}, {IDC_BOOSTER_BOOST_TEXT, m_textFont},
                    {IDC_BOOSTER_CLICK_HEADING, m_headingFont}, {IDC_BOOSTER_CLICK_TEXT, m_textFont}};
    for (const auto& a : assigned)
        if (CWnd* control = GetDlgItem(a.id))
            control->SetFont(&a.font, TRUE);

    CRect client;
    GetClientRect(&client);
    m_background = Style();
    StyleLayer body(0, 0, client.Width(), client.Height());
    body.AddFillElement(0xFFFFFFFF);
    m_background.AddLayer(body);
    const struct {
        int id;
        int picture;
    } pictures[] = {{IDC_BOOSTER_BOOST_PICTURE, IDR_PNG_BOOSTER_BOOST},
                    {IDC_BOOSTER_CLICK_PICTURE, IDR_PNG_BOOSTER_CLICK}};
    for (const auto& p : pictures) {
        const CRect rc = ControlRect(p.id);
        StyleLayer layer(rc.left, rc.top, rc.Width(), rc.Height());
        layer.AddImageElement(0, 0, p.picture, "PNG", 0, 0);
        m_background.AddLayer(layer);
    }
}

void CSrvicOptimDlg::ShowSwitch()
{
    const bool on = m_recorded.GetSize() > 0;
    if (m_onButton.m_hWnd)
        m_onButton.ShowWindow(on ? SW_HIDE : SW_SHOW);
    if (m_offButton.m_hWnd)
        m_offButton.ShowWindow(on ? SW_SHOW : SW_HIDE);
}

void CSrvicOptimDlg::FillBoosterTable()
{
    if (m_table.GetSize())
        return;
    for (const auto& row : BoosterRows) {
        SERVICE_INFO info;
        info.StopOnly = row.stopOnly;
        info.Name = row.name;
        m_table.Add(info);
    }
}

int CSrvicOptimDlg::RowFlag(const CString& name)
{
    for (INT_PTR i = 0; i < m_table.GetSize(); ++i)
        if (m_table[i].Name.CompareNoCase(name) == 0)
            return m_table[i].StopOnly;
    return 1;
}

// --- the store --------------------------------------------------------------------------------

void CSrvicOptimDlg::LoadRecordedServices()
{
    CAbstractSSEngineInterface* engine = m_pEngine ? m_pEngine : GetEngineInterface();
    CAbstractServices* store = engine ? engine->NewServices() : NULL;
    if (!store)
        return;
    const CString path = m_statsPath.IsEmpty() ? GetServicesStatsPath() : m_statsPath;
    if (store->Open(path)) {
        ServiceItem item;
        for (int more = store->GetFirstItem(&item); more; more = store->GetNextItem(&item)) {
            m_recorded.Add(item);
            item = ServiceItem();
        }
        store->Close();
    }
    engine->DeleteServices(store);
}

int CSrvicOptimDlg::SaveRecordedServices()
{
    CAbstractSSEngineInterface* engine = m_pEngine ? m_pEngine : GetEngineInterface();
    CAbstractServices* store = engine ? engine->NewServices() : NULL;
    if (!store)
        return 0;
    const CString path = m_statsPath.IsEmpty() ? GetServicesStatsPath() : m_statsPath;
    int saved = store->Create(path);
    for (INT_PTR i = 0; saved && i < m_recorded.GetSize(); ++i)
        saved = store->AddItem(&m_recorded[i]);
    saved = saved && store->Save();
    store->Close();
    engine->DeleteServices(store);
    return saved ? 1 : 0;
}

// --- a run ------------------------------------------------------------------------------------

bool CSrvicOptimDlg::IsOtherOperationRunning()
{
    if (m_busyTest)
        return m_busyTest();
    return m_pProcess && m_pProcess->IsBusy();
}

int CSrvicOptimDlg::StartRun(int mode)
{
    // The main window; a page shown by another window (the tests' host) dims that one.
    CWnd* owner = m_pOwner ? m_pOwner : AfxGetMainWnd();
    if (!owner)
        owner = GetParent();
    if (IsOtherOperationRunning()) {
        ShowMessageBox(NULL, BOOSTER_BUSY_TEXT, MessageBoxOk, TRUE, owner);
        return 0;
    }
    m_mode = mode;
    CBusyDlg busy(NULL, WM_START_SERVICES, m_hWnd, "Please wait", TRUE);
    busy.DoModalWithOverlay(owner, FALSE, SW_SHOW);
    return 1;
}

LRESULT CSrvicOptimDlg::OnStartServices(WPARAM, LPARAM)
{
    PingStart* start = new PingStart{m_pProcess, this, m_hWnd};
    HANDLE thread = CreateThread(NULL, 0, PingStarterThread, start, 0, NULL);
    if (thread) {
        CloseHandle(thread);
    } else {
        delete start;
        PostMessage(WM_SERVICES_DONE, 0, 0);
    }
    return 0;
}

void CSrvicOptimDlg::OnProgress(int code)
{
    if (code != 4)
        return;
    ::PostMessageA(m_hWnd, WM_SERVICES_DONE, 0, 0);
    WaitPumpingMessages(PingSettleMs);
}

LRESULT CSrvicOptimDlg::OnServicesDone(WPARAM, LPARAM)
{
    const bool on = m_mode == ModeOn;
    m_onButton.ShowWindow(on ? SW_HIDE : SW_SHOW);
    m_offButton.ShowWindow(on ? SW_SHOW : SW_HIDE);
    if (CBusyDlg* busy = CurrentBusyDialog)
        busy->SetText(CString("Tunning ") + (on ? "on" : "off") + " system booster.");
    const bool enumerated = EnumerateServices();
    // Without the enumeration ON would record nothing it could give back: it changes nothing.
    if (on && enumerated)
        RunBoosterOn();
    else if (!on)
        RunBoosterOff();
    ShowSwitch();
    if (CBusyDlg* busy = CurrentBusyDialog)
        busy->Close();
    return 0;
}

// --- the service control manager --------------------------------------------------------------

SC_HANDLE CSrvicOptimDlg::OpenServiceWithFallback(SC_HANDLE manager, const char* name, DWORD access)
{
    SC_HANDLE service = m_pCalls->OpenNamedService(manager, name, access);
    for (size_t i = 0; !service && GetLastError() == ERROR_ACCESS_DENIED && i < sizeof FallbackAccess / sizeof *FallbackAccess; ++i)
        service = m_pCalls->OpenNamedService(manager, name, FallbackAccess[i]);
    return service;
}

bool CSrvicOptimDlg::EnumerateServices()
{
    m_displayNames.RemoveAll();
    m_stateTexts.RemoveAll();
    m_startTypeTexts.RemoveAll();
    m_serviceNames.RemoveAll();

    CServiceHandle manager(m_pCalls->OpenManager(GENERIC_READ | SC_MANAGER_ENUMERATE_SERVICE));
    if (!manager.IsValid()) {
        ShowMessageBox(this, BOOSTER_OPEN_MANAGER_FAILED_TEXT, MessageBoxOk, FALSE);
        return false;
    }
    DWORD needed = 0, count = 0;
    std::vector<BYTE> buffer;
    if (!m_pCalls->EnumerateServices(manager.Get(), NULL, 0, &needed, &count)) {
        const DWORD error = GetLastError();
        if (error != ERROR_MORE_DATA) {
            ShowMessageBox(this, error == ERROR_ACCESS_DENIED ? BOOSTER_ACCESS_DENIED_TEXT
                                                              : BOOSTER_QUERY_FAILED_TEXT,
                           MessageBoxOk, FALSE);
            return false;
        }
        buffer.assign(needed, 0);
        if (!m_pCalls->EnumerateServices(manager.Get(), reinterpret_cast<ENUM_SERVICE_STATUSA*>(buffer.data()),
                                         needed, &needed, &count)) {
            ShowMessageBox(this, BOOSTER_QUERY_FAILED_TEXT, MessageBoxOk, FALSE);
            return false;
        }
    }
    const ENUM_SERVICE_STATUSA* services = buffer.empty() ? NULL : reinterpret_cast<const ENUM_SERVICE_STATUSA*>(buffer.data());
    for (DWORD i = 0; services && i < count; ++i) {
        const ENUM_SERVICE_STATUSA& s = services[i];
        CServiceHandle service(OpenServiceWithFallback(manager.Get(), s.lpServiceName, SERVICE_ALL_ACCESS));
        m_displayNames.Add(s.lpDisplayName ? s.lpDisplayName : "");
        m_serviceNames.Add(s.lpServiceName ? s.lpServiceName : "");
        if (!service.IsValid()) {
            m_stateTexts.Add("Unknown");
            m_startTypeTexts.Add("Unknown");
            continue;
        }
        m_stateTexts.Add(StateText(s.ServiceStatus.dwCurrentState));
        DWORD size = 0;
        const char* startType = "Unknown";
        if (!m_pCalls->QueryConfig(service.Get(), NULL, 0, &size) && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            std::vector<BYTE> config(size, 0);
            QUERY_SERVICE_CONFIGA* c = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(config.data());
            if (m_pCalls->QueryConfig(service.Get(), c, size, &size))
                startType = StartTypeText(c->dwStartType);
        }
        m_startTypeTexts.Add(startType);
    }
    return true;
}

void CSrvicOptimDlg::LookUpService(const CString& name, CString& displayName, int& status, int& startType)
{
    displayName.Empty();
    for (INT_PTR i = 0; i < m_serviceNames.GetSize(); ++i) {
        if (m_serviceNames[i].CompareNoCase(name) != 0)
            continue;
        displayName = m_displayNames[i];
        ReadStateText(m_stateTexts[i], status);
        ReadStartTypeText(m_startTypeTexts[i], startType);
        return;
    }
}

void CSrvicOptimDlg::StopService(const ServiceItem& item, int stopOnly)
{
    CServiceHandle manager(m_pCalls->OpenManager(SC_MANAGER_ALL_ACCESS));
    if (!manager.IsValid())
        return;
    CServiceHandle service(OpenServiceWithFallback(manager.Get(), item.Name, SERVICE_ALL_ACCESS));
    if (!service.IsValid())
        return;
    SERVICE_STATUS status = {};
    m_pCalls->Control(service.Get(), SERVICE_CONTROL_STOP, &status);
    WaitPumpingMessages(StopSettleMs);
    if (!stopOnly)
        m_pCalls->ChangeStartType(service.Get(), SERVICE_DISABLED);
    WaitPumpingMessages(StopSettleMs);
}

void CSrvicOptimDlg::RunBoosterOn()
{
    const INT_PTR firstNew = m_recorded.GetSize();
    for (INT_PTR row = 0; row < m_table.GetSize(); ++row) {
        const CString& name = m_table[row].Name;
        bool recorded = false;
        for (INT_PTR i = 0; i < m_recorded.GetSize() && !recorded; ++i)
            recorded = m_recorded[i].Name.CompareNoCase(name) == 0;
        if (recorded)
            continue;
        ServiceItem item;
        item.Name = name;
        LookUpService(name, item.DisplayName, item.Status, item.StartupType);
        m_recorded.Add(item);
    }
    // The records are on disk before the first service changes, so a crash on the way loses
    // none of them; when they cannot be written, nothing is changed.
    if (m_recorded.GetSize() > firstNew && !SaveRecordedServices()) {
        m_recorded.RemoveAt(firstNew, m_recorded.GetSize() - firstNew);
        return;
    }
    for (INT_PTR i = firstNew; i < m_recorded.GetSize(); ++i) {
        const ServiceItem item = m_recorded[i];
        // A service whose start type is not known could never be given it back.
        if (item.StartupType == 0)
            continue;
        StopService(item, RowFlag(item.Name));
    }
    SaveRecordedServices();
}

void CSrvicOptimDlg::RunBoosterOff()
{
    CArray<ServiceItem> kept;
    for (INT_PTR i = 0; i < m_recorded.GetSize(); ++i) {
        const ServiceItem item = m_recorded[i];
        // Nothing was changed where the start type was not known: nothing to give back.
        if (item.StartupType == 0)
            continue;
        CServiceHandle manager(m_pCalls->OpenManager(SC_MANAGER_ALL_ACCESS));
        if (!manager.IsValid()) {
            kept.Add(item);
            continue;
        }
        CServiceHandle service(OpenServiceWithFallback(manager.Get(), item.Name, SERVICE_ALL_ACCESS));
        if (!service.IsValid()) {
            // A service that is gone needs nothing back; any other failure may pass.
            if (GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST)
                kept.Add(item);
            continue;
        }
        const DWORD startType = item.StartupType == SERVICE_AUTO_START ? SERVICE_AUTO_START : SERVICE_DEMAND_START;
        if (!m_pCalls->ChangeStartType(service.Get(), startType)) {
            if (GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST)
                kept.Add(item);
            continue;
        }
        if (item.Status == SERVICE_RUNNING) {
            m_pCalls->Start(service.Get());
            WaitPumpingMessages(StartSettleMs);
        }
    }
    m_recorded.RemoveAll();
    for (INT_PTR i = 0; i < kept.GetSize(); ++i)
        m_recorded.Add(kept[i]);
    SaveRecordedServices();
}

// --- painting ---------------------------------------------------------------------------------

BOOL CSrvicOptimDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, RGB(255, 255, 255));
    m_background.Paint(pDC, client.left, client.top, client.right, client.bottom);

    const CRect frame = ControlRect(IDC_BOOSTER_INFO_FRAME);
    if (!frame.IsRectEmpty()) {
        pDC->FillSolidRect(frame.left, frame.top, frame.Width(), 1, FrameColour);
        pDC->FillSolidRect(frame.left, frame.bottom - 1, frame.Width(), 1, FrameColour);
        pDC->FillSolidRect(frame.left, frame.top, 1, frame.Height(), FrameColour);
        pDC->FillSolidRect(frame.right - 1, frame.top, 1, frame.Height(), FrameColour);
        const int middle = frame.top + (frame.bottom - frame.top) / 2;
        const int line = int(middle - middle / 12.75);
        pDC->FillSolidRect(frame.left, line, frame.Width(), 1, FrameColour);
    }
    return TRUE;
}

HBRUSH CSrvicOptimDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    const int id = pWnd->GetDlgCtrlID();
    for (const auto& s : StaticColours)
        if (s.id == id)
            pDC->SetTextColor(s.colour);
    pDC->SetBkMode(TRANSPARENT);
    return HBRUSH(m_whiteBrush.m_hObject);
}
