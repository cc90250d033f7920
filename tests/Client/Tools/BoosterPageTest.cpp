// The System Booster page as a real window over the real service control manager of a prefix
// of its own, with the real engine and store: ON records the table's services, stops and
// disables them; OFF, on a page made afresh from the store as after a restart of the program,
// gives them back; services that go away; the runs that must change nothing (a store that
// cannot be written, another operation running, a manager that refuses); and its look.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Client/Resources/ControlResources.h"
#include "Client/Resources/SystemBoosterResources.h"
#include "Client/Skin/BusyDlg.h"
#include "Client/Skin/SkinGdiPlus.h"
#include "Client/Tools/SrvicOptimDlg.h"
#include "Scan/ScanPageSupport.h"
#include "ServiceFixture.h"
#include "Support/EngineTestSupport.h"
#include "Support/ScreenshotPause.h"

using namespace servicefixture;

namespace {

const std::string StoreFolder = "C:\\booster";
const std::string StorePath = StoreFolder + "\\SRVS_STATS.xml";
const char WerSvcDisplayName[] = "Windows Error Reporting Service d\xE9j\xE0 vu \xE9";

const char* const TableNames[42] = {
    "DPS", "dmwappushservice", "ALG", "BITS", "Browser", "defragsvc", "TrkWks", "MSDTC",
    "HomeGroupProvider", "HomeGroupListener", "PerfHost", "TermService", "SCardSvr", "Themes",
    "WebClient", "WbioSrvc", "EntAppSvc", "WerSvc", "W32Time", "wuauserv", "WwanSvc", "MapsBroker",
    "PcaSvc", "RemoteRegistry", "seclogon", "TabletInputService", "stisvc", "XblGameSave", "xbgm",
    "PhoneSvc", "icssvc", "WMPNetworkSvc", "vmicheartbeat", "WinRM", "DiagTrack", "wmiApSrv",
    "FDResPub", "SmsRouter", "CscService", "UmRdpService", "SSDPSRV", "SysMain"};

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(20);
    }
    return true;
}


// Records every text the busy dialog's label shows while it lives.
class BusyTextRecorder {
public:
    BusyTextRecorder() : m_running(true), m_thread([this] { Watch(); }) {}
    ~BusyTextRecorder()
    {
        m_running = false;
        m_thread.join();
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }

private:
    static BOOL CALLBACK FindBusy(HWND window, LPARAM param)
    {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        HWND label = GetDlgItem(window, IDC_BUSY_TEXT);
        if (owner == GetCurrentProcessId() && label && GetDlgItem(window, IDC_BUSY_PICTURE))
            *reinterpret_cast<HWND*>(param) = label;
        return TRUE;
    }
    void Watch()
    {
        while (m_running) {
            HWND label = NULL;
            EnumWindows(FindBusy, reinterpret_cast<LPARAM>(&label));
            if (label) {
                char text[256] = {};
                DWORD_PTR length = 0;
                if (SendMessageTimeoutA(label, WM_GETTEXT, sizeof text, LPARAM(text), SMTO_ABORTIFHUNG, 200,
                                        &length)) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    if (m_texts.empty() || m_texts.back() != text)
                        m_texts.push_back(text);
                }
            }
            Sleep(5);
        }
    }

    std::atomic<bool> m_running;
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
    std::thread m_thread;
};

// The page as the main window holds it: a child of a plain top-level window, made from the
// store as at a start of the program.
class BoosterHost {
public:
    explicit BoosterHost(CBoosterServiceCalls* calls = NULL, bool withProcess = true)
        : m_process(withProcess ? EngineLibrary::Get().Engine()->NewProcess() : NULL)
    {
        m_host.CreateEx(0, NULL, "booster host", WS_POPUP | WS_VISIBLE, 0, 0, 700, 480, NULL, NULL);
        page.SetEngine(EngineLibrary::Get().Engine());
        page.SetProcess(m_process);
        page.SetServicesStatsPath(StorePath.c_str());
        page.SetServiceCalls(calls);
        if (page.Create(IDD_PAGE_SYSTEM_BOOSTER, &m_host))
            page.SetWindowPos(static_cast<CWnd*>(NULL), 0, 0, 657, 458, SWP_NOZORDER | SWP_SHOWWINDOW);
        PumpFor(50);
    }
    ~BoosterHost()
    {
        // The ping's worker ends before its process object goes.
        for (int i = 0; m_process && i < 200 && (m_process->IsBusy() || m_process->GetThreadHandle()); ++i)
            PumpFor(10);
        page.DestroyWindow();
        m_host.DestroyWindow();
        if (m_process)
            EngineLibrary::Get().Engine()->DeleteProcess(m_process);
    }
    // What a click on the button does; the whole run happens inside.
    void Press(int id)
    {
        ::SendMessageA(page.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(page.m_hWnd, id)));
        PumpFor(300);
    }
    bool Shown(int id) { return (::GetWindowLongA(::GetDlgItem(page.m_hWnd, id), GWL_STYLE) & WS_VISIBLE) != 0; }
    // In the middle of the screen, where the busy dialog comes up, as over the main window.
    void CenterOnScreen()
    {
        CRect rc;
        m_host.GetWindowRect(&rc);
        const int x = (GetSystemMetrics(SM_CXSCREEN) - rc.Width()) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - rc.Height()) / 2;
        m_host.SetWindowPos(static_cast<CWnd*>(NULL), x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        PumpFor(50);
    }
    // ON and OFF share their place: exactly one of them shows.
    bool ShowsOn() { return Shown(IDC_BOOSTER_ON) && !Shown(IDC_BOOSTER_OFF); }
    bool ShowsOff() { return Shown(IDC_BOOSTER_OFF) && !Shown(IDC_BOOSTER_ON); }
    CAbstractProcess* Process() { return m_process; }

    CSrvicOptimDlg page;

private:
    GdiPlusSession m_gdiplus;
    CWnd m_host;
    CAbstractProcess* m_process;
};

// The services of the round trip: DPS, WerSvc automatic and running; ALG manual; Browser
// manual and running; Themes disabled.
struct FixtureService {
    const char* name;
    const char* displayName;
    DWORD startType;
    bool running;
};
const FixtureService RoundTripServices[] = {
    {"DPS", "Dummy DPS", SERVICE_AUTO_START, true},
    {"ALG", "Dummy ALG", SERVICE_DEMAND_START, false},
    {"Browser", "Dummy Browser", SERVICE_DEMAND_START, true},
    {"Themes", "Dummy Themes", SERVICE_DISABLED, false},
    {"WerSvc", WerSvcDisplayName, SERVICE_AUTO_START, true},
};

class BoosterPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryA(StoreFolder.c_str(), NULL);
        // No records: the next ON starts afresh.
    DeleteFileA(StorePath.c_str());
    }
    void CreateRoundTripServices()
    {
        for (const FixtureService& s : RoundTripServices)
            ASSERT_TRUE(CreateTestService(s.name, s.displayName, s.startType, s.running)) << s.name;
    }
    // The machine's side of a service: its state and its "Start" value.
    static void ExpectService(const char* name, DWORD state, int start)
    {
        EXPECT_TRUE(WaitForState(name, state, 5000)) << name << " is in state " << ServiceState(name);
        EXPECT_EQ(StartValue(name), start) << name;
    }

    BoxAnswerer boxes;
};

TEST_F(BoosterPageTest, OnRecordsTheTableAndStopsItsServicesAndOffAfterARestartGivesThemBack)
{
    CreateRoundTripServices();
    const int bitsStart = StartValue("BITS");
    ASSERT_NE(bitsStart, -1);
    {
        BoosterHost host;
        ASSERT_TRUE(host.ShowsOn());
        BusyTextRecorder busy;
        host.Press(IDC_BOOSTER_ON);
        const std::vector<std::string> texts = busy.Texts();
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Tunning on system booster."), texts.end());
        EXPECT_TRUE(host.ShowsOff());
    }
    EXPECT_TRUE(boxes.Texts().empty());

    const std::vector<StoredService> stored = ReadStore(StorePath);
    ASSERT_EQ(stored.size(), 42u);
    EXPECT_NE(StoreFileText(StorePath).find("<AllServices>"), std::string::npos);
    for (size_t i = 0; i < 42; ++i) {
        EXPECT_EQ(stored[i].name, TableNames[i]);
        const bool present = ServiceState(TableNames[i]) != 0;
        if (!present) {
            EXPECT_EQ(stored[i].displayName, "") << TableNames[i];
            EXPECT_EQ(stored[i].status, 0) << TableNames[i];
            EXPECT_EQ(stored[i].startupType, 0) << TableNames[i];
        }
    }
    const struct {
        size_t row;
        const char* displayName;
        int status, startupType;
    } recorded[] = {{0, "Dummy DPS", 4, 2},   {2, "Dummy ALG", 1, 3},    {4, "Dummy Browser", 4, 3},
                    {13, "Dummy Themes", 1, 4}, {17, WerSvcDisplayName, 4, 2}};
    for (const auto& r : recorded) {
        EXPECT_EQ(stored[r.row].displayName, r.displayName) << TableNames[r.row];
        EXPECT_EQ(stored[r.row].status, r.status) << TableNames[r.row];
        EXPECT_EQ(stored[r.row].startupType, r.startupType) << TableNames[r.row];
    }
    // Stop and disable, or (Browser, BITS) stop only.
    ExpectService("DPS", SERVICE_STOPPED, SERVICE_DISABLED);
    ExpectService("WerSvc", SERVICE_STOPPED, SERVICE_DISABLED);
    ExpectService("ALG", SERVICE_STOPPED, SERVICE_DISABLED);
    ExpectService("Browser", SERVICE_STOPPED, SERVICE_DEMAND_START);
    EXPECT_EQ(StartValue("BITS"), bitsStart);

    {
        BoosterHost host;
        EXPECT_TRUE(host.ShowsOff());
        ASSERT_EQ(host.page.GetRecordedServices().GetSize(), 42);
        EXPECT_STREQ(host.page.GetRecordedServices()[17].DisplayName, WerSvcDisplayName);
        BusyTextRecorder busy;
        host.Press(IDC_BOOSTER_OFF);
        const std::vector<std::string> texts = busy.Texts();
        EXPECT_NE(std::find(texts.begin(), texts.end(), "Tunning off system booster."), texts.end());
        EXPECT_TRUE(host.ShowsOn());
    }
    ExpectService("DPS", SERVICE_RUNNING, SERVICE_AUTO_START);
    ExpectService("WerSvc", SERVICE_RUNNING, SERVICE_AUTO_START);
    ExpectService("Browser", SERVICE_RUNNING, SERVICE_DEMAND_START);
    ExpectService("ALG", SERVICE_STOPPED, SERVICE_DEMAND_START);
    // Disabled comes back as manual, and is not started.
    ExpectService("Themes", SERVICE_STOPPED, SERVICE_DEMAND_START);
    EXPECT_EQ(StartValue("BITS"), bitsStart);
    EXPECT_TRUE(ReadStore(StorePath).empty());
    EXPECT_NE(StoreFileText(StorePath).find("<AllServices />"), std::string::npos);
    EXPECT_TRUE(BoosterHost().ShowsOn());
}

TEST_F(BoosterPageTest, OffKeepsTheRecordOfAServiceItCannotGiveBackUntilTheServiceIsGone)
{
    ASSERT_TRUE(CreateTestService("WerSvc", "Dummy WerSvc", SERVICE_AUTO_START, true));
    BoosterHost host;
    host.Press(IDC_BOOSTER_ON);
    ASSERT_TRUE(host.ShowsOff());
    ExpectService("WerSvc", SERVICE_STOPPED, SERVICE_DISABLED);

    // Deleted while a handle is open: it can still be opened, but no longer reconfigured.
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE held = OpenServiceA(manager, "WerSvc", SERVICE_ALL_ACCESS);
    ASSERT_TRUE(held);
    ASSERT_TRUE(DeleteService(held));
    host.Press(IDC_BOOSTER_OFF);
    std::vector<StoredService> stored = ReadStore(StorePath);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].name, "WerSvc");
    EXPECT_EQ(stored[0].startupType, 2);
    EXPECT_TRUE(host.ShowsOff());
    EXPECT_EQ(host.page.GetRecordedServices().GetSize(), 1);

    // Gone for good: the record goes too.
    CloseServiceHandle(held);
    CloseServiceHandle(manager);
    ASSERT_TRUE(WaitUntil([] { return ServiceState("WerSvc") == 0; }, 5000));
    host.Press(IDC_BOOSTER_OFF);
    EXPECT_TRUE(ReadStore(StorePath).empty());
    EXPECT_NE(StoreFileText(StorePath).find("<AllServices />"), std::string::npos);
    EXPECT_TRUE(host.ShowsOn());
}

TEST_F(BoosterPageTest, WithoutAProcessObjectTheRunStillHappensAndTheBusyDialogCloses)
{
    ASSERT_TRUE(CreateTestService("DPS", "Dummy DPS", SERVICE_AUTO_START, true));
    BoosterHost host(NULL, false);
    host.Press(IDC_BOOSTER_ON);
    EXPECT_EQ(CurrentBusyDialog, nullptr);
    EXPECT_TRUE(host.ShowsOff());
    ExpectService("DPS", SERVICE_STOPPED, SERVICE_DISABLED);
    host.Press(IDC_BOOSTER_OFF);
    EXPECT_TRUE(host.ShowsOn());
    ExpectService("DPS", SERVICE_RUNNING, SERVICE_AUTO_START);
}

TEST_F(BoosterPageTest, AStoreThatCannotBeWrittenStopsNothing)
{
    ASSERT_TRUE(CreateTestService("DPS", "Dummy DPS", SERVICE_AUTO_START, true));
    ASSERT_TRUE(CreateDirectoryA(StorePath.c_str(), NULL));
    BoosterHost host;
    host.Press(IDC_BOOSTER_ON);
    EXPECT_TRUE(host.ShowsOn());
    EXPECT_EQ(host.page.GetRecordedServices().GetSize(), 0);
    ExpectService("DPS", SERVICE_RUNNING, SERVICE_AUTO_START);
    RemoveDirectoryA(StorePath.c_str());
}

// A status that holds the engine's task on its worker until released.
class HeldTask : public RecordingStatus {
public:
    HeldTask() : m_release(CreateEventA(NULL, TRUE, FALSE, NULL)) {}
    ~HeldTask() override { CloseHandle(m_release); }
    void OnProgress(int code) override
    {
        RecordingStatus::OnProgress(code);
        WaitForSingleObject(m_release, 20000);
    }
    void Release() { SetEvent(m_release); }

private:
    HANDLE m_release;
};

TEST_F(BoosterPageTest, NeitherSwitchActsWhileAnotherOperationRuns)
{
    ASSERT_TRUE(CreateTestService("DPS", "Dummy DPS", SERVICE_AUTO_START, true));
    BoosterHost host;
    bool tweakScanRunning = false;
    host.page.SetBusyTest([&] { return host.Process()->IsBusy() || tweakScanRunning; });

    // An engine task, then the scan page's tweak scan: ON does nothing.
    HeldTask task;
    ASSERT_EQ(host.Process()->StartNotifyTask(&task), 1);
    host.Process()->ResumeTask();
    ASSERT_TRUE(WaitUntil([&] { return host.Process()->IsBusy() != 0; }, 5000));
    host.Press(IDC_BOOSTER_ON);
    task.Release();
    ASSERT_TRUE(WaitUntil([&] { return !host.Process()->IsBusy() && !host.Process()->GetThreadHandle(); }, 5000));
    tweakScanRunning = true;
    host.Press(IDC_BOOSTER_ON);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>(2, BOOSTER_BUSY_TEXT));
    EXPECT_TRUE(host.ShowsOn());
    EXPECT_EQ(GetFileAttributesA(StorePath.c_str()), INVALID_FILE_ATTRIBUTES);
    ExpectService("DPS", SERVICE_RUNNING, SERVICE_AUTO_START);

    // Once ON, OFF does nothing either.
    tweakScanRunning = false;
    host.Press(IDC_BOOSTER_ON);
    ASSERT_TRUE(host.ShowsOff());
    const std::string before = StoreFileText(StorePath);
    boxes.Reset();
    tweakScanRunning = true;
    host.Press(IDC_BOOSTER_OFF);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>(1, BOOSTER_BUSY_TEXT));
    EXPECT_TRUE(host.ShowsOff());
    EXPECT_EQ(StoreFileText(StorePath), before);
    ExpectService("DPS", SERVICE_STOPPED, SERVICE_DISABLED);
}

// The manager's calls with some made to fail as on a machine that denies them; the rest reach
// the real manager.
class FailingServiceCalls : public CBoosterServiceCalls {
public:
    bool failOpenManager = false;
    DWORD firstEnumerationError = 0;   // the first enumeration call fails with this
    bool failSecondEnumeration = false;
    // OpenService with any of these rights is denied.
    std::vector<DWORD> deniedAccess;
    // The rights asked for this service, in order.
    const char* watched = "DPS";
    std::vector<DWORD> askedAccess;

    SC_HANDLE OpenManager(DWORD access) override
    {
        if (failOpenManager) {
            SetLastError(ERROR_ACCESS_DENIED);
            return NULL;
        }
        return CBoosterServiceCalls::OpenManager(access);
    }
    BOOL EnumerateServices(SC_HANDLE manager, ENUM_SERVICE_STATUSA* buffer, DWORD size, DWORD* needed,
                           DWORD* count) override
    {
        if (!buffer && firstEnumerationError) {
            SetLastError(firstEnumerationError);
            return FALSE;
        }
        if (buffer && failSecondEnumeration) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        return CBoosterServiceCalls::EnumerateServices(manager, buffer, size, needed, count);
    }
    SC_HANDLE OpenNamedService(SC_HANDLE manager, const char* name, DWORD access) override
    {
        if (lstrcmpiA(name, watched) == 0)
            askedAccess.push_back(access);
        if (std::find(deniedAccess.begin(), deniedAccess.end(), access) != deniedAccess.end()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return NULL;
        }
        return CBoosterServiceCalls::OpenNamedService(manager, name, access);
    }
};

TEST_F(BoosterPageTest, AManagerThatCannotBeOpenedOrEnumeratedGivesItsMessageAndOnChangesNothing)
{
    ASSERT_TRUE(CreateTestService("DPS", "Dummy DPS", SERVICE_AUTO_START, true));
    const struct {
        const char* label;
        bool failOpen;
        DWORD firstError;
        bool failSecond;
        const char* message;
    } cases[] = {
        {"manager", true, 0, false, BOOSTER_OPEN_MANAGER_FAILED_TEXT},
        {"access denied", false, ERROR_ACCESS_DENIED, false, BOOSTER_ACCESS_DENIED_TEXT},
        {"other error", false, ERROR_INVALID_HANDLE, false, BOOSTER_QUERY_FAILED_TEXT},
        {"second call", false, 0, true, BOOSTER_QUERY_FAILED_TEXT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        boxes.Reset();
        FailingServiceCalls calls;
        calls.failOpenManager = c.failOpen;
        calls.firstEnumerationError = c.firstError;
        calls.failSecondEnumeration = c.failSecond;
        BoosterHost host(&calls);
        host.Press(IDC_BOOSTER_ON);
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>(1, c.message));
        EXPECT_TRUE(host.ShowsOn());
        EXPECT_EQ(host.page.GetRecordedServices().GetSize(), 0);
        EXPECT_EQ(GetFileAttributesA(StorePath.c_str()), INVALID_FILE_ATTRIBUTES);
        ExpectService("DPS", SERVICE_RUNNING, SERVICE_AUTO_START);
    }
}

TEST_F(BoosterPageTest, ADeniedServiceIsOpenedWithEverFewerRights)
{
    ASSERT_TRUE(CreateTestService("DPS", "Dummy DPS", SERVICE_AUTO_START, true));
    const std::vector<DWORD> order = {SERVICE_ALL_ACCESS, 0x37, 0x35, 0x34, 0x30};
    {
        // Stop, start and the queries are granted, reconfiguring is not: DPS is read, recorded
        // and stopped, but stays automatic; OFF cannot give its start type back either, so it
        // keeps the record and stays ON.
        FailingServiceCalls calls;
        calls.deniedAccess = {SERVICE_ALL_ACCESS, 0x37};
        BoosterHost host(&calls);
        host.Press(IDC_BOOSTER_ON);
        ASSERT_GE(calls.askedAccess.size(), 3u);
        EXPECT_EQ(std::vector<DWORD>(calls.askedAccess.begin(), calls.askedAccess.begin() + 3),
                  std::vector<DWORD>(order.begin(), order.begin() + 3));
        ASSERT_FALSE(ReadStore(StorePath).empty());
        EXPECT_EQ(ReadStore(StorePath)[0].status, 4);
        EXPECT_EQ(ReadStore(StorePath)[0].startupType, 2);
        ExpectService("DPS", SERVICE_STOPPED, SERVICE_AUTO_START);
        host.Press(IDC_BOOSTER_OFF);
        const std::vector<StoredService> kept = ReadStore(StorePath);
        ASSERT_FALSE(kept.empty());
        EXPECT_EQ(kept[0].name, "DPS");
        for (const StoredService& s : kept)
            EXPECT_NE(s.startupType, 0) << s.name;
        EXPECT_TRUE(host.ShowsOff());
        EXPECT_EQ(StartValue("DPS"), SERVICE_AUTO_START);
    }
    DeleteFileA(StorePath.c_str());
    {
        // Nothing is granted: ALG is recorded without state and start type, and left as it is.
        ASSERT_TRUE(CreateTestService("ALG", "Dummy ALG", SERVICE_AUTO_START, true));
        FailingServiceCalls calls;
        calls.watched = "ALG";
        calls.deniedAccess = order;
        BoosterHost host(&calls);
        host.Press(IDC_BOOSTER_ON);
        EXPECT_EQ(calls.askedAccess, order);
        const std::vector<StoredService> stored = ReadStore(StorePath);
        ASSERT_EQ(stored.size(), 42u);
        EXPECT_EQ(stored[2].status, 0);
        EXPECT_EQ(stored[2].startupType, 0);
        EXPECT_EQ(stored[2].displayName, "Dummy ALG");
        ExpectService("ALG", SERVICE_RUNNING, SERVICE_AUTO_START);
    }
}

// Reads a pixel of the screen (the page's own window rectangle, in client coordinates).
COLORREF ScreenPixel(HWND window, int x, int y)
{
    POINT at = {x, y};
    ClientToScreen(window, &at);
    HDC screen = GetDC(NULL);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(NULL, screen);
    return colour;
}

RECT ControlRectIn(HWND page, int id)
{
    RECT rc = {};
    GetWindowRect(GetDlgItem(page, id), &rc);
    MapWindowPoints(NULL, page, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// The real manager's calls; the first stop of a run waits there for a shot of the busy dialog
// (its loop keeps running: the dialog animates meanwhile).
class BusyShotServiceCalls : public CBoosterServiceCalls {
public:
    BOOL Control(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) override
    {
        if (!m_shot) {
            m_shot = true;
            PauseForScreenshot("booster-busy");
        }
        return CBoosterServiceCalls::Control(service, control, status);
    }

private:
    bool m_shot = false;
};

TEST_F(BoosterPageTest, LooksAsDesigned)
{
    ASSERT_TRUE(CreateTestService("DPS", "Dummy DPS", SERVICE_AUTO_START, true));
    BusyShotServiceCalls calls;
    BoosterHost host(&calls);
    host.CenterOnScreen();
    HWND page = host.page.m_hWnd;
    RedrawWindow(page, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(200);
    const RECT frame = ControlRectIn(page, IDC_BOOSTER_INFO_FRAME);
    const int middle = frame.top + (frame.bottom - frame.top) / 2;
    const int line = int(middle - middle / 12.75);
    const COLORREF frameColour = RGB(0xEE, 0xEE, 0xEE);
    EXPECT_EQ(ScreenPixel(page, frame.left, (frame.top + frame.bottom) / 2), frameColour);
    EXPECT_EQ(ScreenPixel(page, frame.right - 1, frame.top + 5), frameColour);
    EXPECT_EQ(ScreenPixel(page, (frame.left + frame.right) / 2, frame.top), frameColour);
    EXPECT_EQ(ScreenPixel(page, (frame.left + frame.right) / 2, frame.bottom - 1), frameColour);
    EXPECT_EQ(ScreenPixel(page, frame.left + 3, line), frameColour);
    EXPECT_EQ(ScreenPixel(page, frame.left + 3, line + 2), RGB(255, 255, 255));

    // The switch: orange while OFF is the state (ON to press), grey once ON.
    const RECT on = ControlRectIn(page, IDC_BOOSTER_ON);
    const COLORREF onColour = ScreenPixel(page, on.right - 6, on.top + 3);
    EXPECT_GT(GetRValue(onColour), 0xD0);
    EXPECT_LT(GetBValue(onColour), 0x30);
    PauseForScreenshot("booster-off");

    host.Press(IDC_BOOSTER_ON);
    ASSERT_TRUE(host.ShowsOff());
    RedrawWindow(page, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(200);
    const COLORREF offColour = ScreenPixel(page, on.right - 6, on.top + 3);
    EXPECT_LE(std::abs(int(GetRValue(offColour)) - int(GetGValue(offColour))), 2);
    EXPECT_GT(GetRValue(offColour), 0xC0);
    EXPECT_LT(GetRValue(offColour), 0xF0);
    PauseForScreenshot("booster-on");
}

}  // namespace
