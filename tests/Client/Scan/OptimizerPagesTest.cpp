// The Internet Speed and System Speed pages in a test window, filled from real tweak scans of
// this prefix's registry (every tweak value removed first): the total and count lines, the
// category popups with what they list over the overlay of a real main window, View Details of
// an empty category, the ticks, "Back", and where a page lays itself out.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Client/Resources/OptimizerResources.h"
#include "Client/Scan/InetOptimDetailDlg.h"
#include "Client/Scan/OptimDetailPopupDlg.h"
#include "Client/Scan/SysOptimDetailDlg.h"
#include "Client/Skin/OverlayTestSupport.h"
#include "Scan/NetworkRoute.h"
#include "Scan/ResultsPageSupport.h"
#include "Support/ScreenshotPause.h"
#include "TweakFixture.h"
#include "TweakTestSupport.h"

using namespace tweakfixture;

namespace {

// The settings of the Networking category that are off on a system without any tweak value,
// in table order.
const std::vector<std::string> NetworkingListed = {
    "ARP Cache Life", "ARP Cache Min Referenced Life", "ARP Cache Size", "Default TTL", "Disable Task Offload",
    "Enable PMTU BH Detect", "1323 Opts", "ACK Frequency", "Fin Wait Delay", "Initial RTT",
    "Max Data Retransmissions", "Timed Wait Delay"};

class AdapterPinned {
public:
    explicit AdapterPinned(const char* key) { SetAdapterKeyForTesting(key, 12); }
    ~AdapterPinned() { SetAdapterKeyForTesting(NULL, 0); }
};

std::string Text(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::vector<std::string> Column(HWND list, int column)
{
    std::vector<std::string> texts;
    const int count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, i, LPARAM(&item));
        texts.push_back(text);
    }
    return texts;
}

// What a driver saw of a popup before it clicked "X".
struct PopupView {
    bool found = false;
    std::vector<std::string> names;
    std::vector<std::string> descriptions;
    bool overlayShown = false;
    bool overlayEnabled = true;
    bool popupOwnedByOverlay = false;
    RECT overlayRect = {};
    DWORD listExtendedStyle = 0;
    LONG listStyle = 0;
    int nameColumnWidth = 0, listClientWidth = 0;
};

// Finds the popup with this list among the thread's windows, records it and clicks closeId.
struct PopupDriver {
    static int listId, closeId;
    static const char* shot;   // the screenshot the open popup is, or none
    static PopupView view;
    static bool done;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (done)
            return;
        const DWORD thread = GetCurrentThreadId();
        HWND popup = FindWindowWithControl(thread, listId);
        if (!popup)
            return;
        done = true;
        view.found = true;
        HWND list = GetDlgItem(popup, listId);
        view.names = Column(list, 0);
        view.descriptions = Column(list, 1);
        view.listExtendedStyle = DWORD(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        view.listStyle = GetWindowLongA(list, GWL_STYLE);
        view.nameColumnWidth = int(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
        // The client width before the rows came (they may have brought a vertical scroll bar).
        RECT client;
        GetClientRect(list, &client);
        view.listClientWidth =
            client.right + ((GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0);
        HWND overlay = FindOverlay(thread);
        view.overlayShown = overlay && IsWindowVisible(overlay);
        if (overlay) {
            view.overlayEnabled = IsWindowEnabled(overlay) != FALSE;
            GetWindowRect(overlay, &view.overlayRect);
            // An owned window stays above its owner.
            view.popupOwnedByOverlay = GetWindow(popup, GW_OWNER) == overlay;
        }
        if (shot)
            PauseForScreenshot(shot);
        PostMessageA(GetDlgItem(popup, closeId), BM_CLICK, 0, 0);
    }
    // Clicks a page's button; a popup it opens is inspected and closed.
    static PopupView ClickAndClose(CWnd& page, int buttonId, int popupList, int popupClose,
                                   const char* shotName = nullptr)
    {
        shot = shotName;
        listId = popupList;
        closeId = popupClose;
        view = PopupView();
        done = false;
        UINT_PTR timer = SetTimer(NULL, 0, 30, Tick);
        page.SendMessage(WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), LPARAM(::GetDlgItem(page.m_hWnd, buttonId)));
        KillTimer(NULL, timer);
        return view;
    }
};
int PopupDriver::listId;
int PopupDriver::closeId;
const char* PopupDriver::shot;
PopupView PopupDriver::view;
bool PopupDriver::done;

class OptimizerPagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OverlayTestApp::Get();
        // The host only records "Back" and holds the layout case's stand-in scan page.
        m_host.Window()->ShowWindow(SW_HIDE);
        RemoveAll();
    }
    void TearDown() override
    {
        if (m_inet.m_hWnd)
            m_inet.DestroyWindow();
        if (m_sys.m_hWnd)
            m_sys.DestroyWindow();
        PumpFor(20);
    }

    void ScanInternet()
    {
        m_settings.ResetCounts();
        m_recorder.Clear();
        m_settings.StartInternetScan(0, m_recorder.Window(), 0x1F, 0);
        ASSERT_TRUE(m_recorder.PumpUntil(WM_INETSCAN_DONE));
    }
    void ScanSystem()
    {
        m_recorder.Clear();
        m_settings.ScanSystemTweaks(m_recorder.Window(), 0xF);
        m_recorder.Pump();
    }
    // A page is a child of the main window, as in the program, which takes the page's size:
    // a popup's overlay dims the page.
    // The host records the pages it is asked to show ("Back").
    void CreatePage(CDialog& page, UINT templateId, bool inHost = false)
    {
        CWnd& main = OverlayTestApp::Get().MainWindow();
        ASSERT_TRUE(page.Create(templateId, inHost ? m_host.Window() : &main));
        if (inHost) {
            page.ShowWindow(SW_SHOW);
            return;
        }
        RECT rc;
        page.GetWindowRect(&rc);
        main.SetWindowPos(static_cast<CWnd*>(NULL), 0, 0, rc.right - rc.left, rc.bottom - rc.top,
                          SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        page.ShowWindow(SW_SHOW);
    }
    void CreateInternetPage() { CreatePage(m_inet, IDD_PAGE_INTERNET_RESULTS); }
    void CreateSystemPage() { CreatePage(m_sys, IDD_PAGE_SYSTEM_RESULTS); }
    std::string Item(CWnd& page, int id) { return Text(::GetDlgItem(page.m_hWnd, id)); }
    void Click(CWnd& page, int id)
    {
        page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(page.m_hWnd, id)));
    }
    PopupView Networking(const char* shot = nullptr)
    {
        return PopupDriver::ClickAndClose(m_inet, 1051, IDC_INET_POPUP_LIST, IDC_INET_POPUP_CLOSE, shot);
    }

    AdapterPinned m_noAdapter{""};
    HostWindow m_host;
    ScanRecorder m_recorder;
    COptimizerSettings m_settings;
    CInetOptimDetailDlg m_inet;
    CSysOptimDetailDlg m_sys;
};

}  // namespace

TEST_F(OptimizerPagesTest, InternetPageShowsTheTotalAndEachCategorysCount)
{
    CreateInternetPage();
    ScanInternet();
    ASSERT_EQ(m_settings.GetInetTotal(), 25);
    m_inet.ShowInetResults(m_settings.GetInetTotal(), &m_settings);
    EXPECT_EQ(Item(m_inet, IDC_INET_TOTAL), "25 setting(s) can be changed to improve speed");
    const char* const counts[5] = {"12 settings can be optimized", "5 settings can be optimized",
                                   "7 settings can be optimized", "1 setting can be optimized",
                                   "Optimal settings applied"};
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(Item(m_inet, 1046 + row), counts[row]) << row;
    EXPECT_EQ(Item(m_inet, IDC_INET_TITLE), "Internet Speed:");
    EXPECT_EQ(Item(m_inet, IDC_INET_SUBTITLE), "Settings that affect internet speed");
    // The hidden buttons stay hidden.
    for (int id : {IDC_INET_OPTIMIZE, IDC_OPTIM_RESTORE})
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(m_inet.m_hWnd, id))) << id;
    EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(m_inet.m_hWnd, IDC_OPTIM_BACK)));
    PauseForScreenshot("internet-speed-page");
}

TEST_F(OptimizerPagesTest, SystemPageShowsTheTotalAndEachCategorysCount)
{
    CreateSystemPage();
    m_settings.ResetCounts();
    ScanSystem();
    ASSERT_EQ(m_settings.GetSysTotal(), 21);
    m_sys.ShowSysResults(m_settings.GetSysTotal(), &m_settings);
    EXPECT_EQ(Item(m_sys, IDC_SYS_TOTAL), "21 setting(s) can be changed to improve speed");
    EXPECT_EQ(Item(m_sys, IDC_SYS_COUNT_STARTUP), "2 settings can be optimized");
    EXPECT_EQ(Item(m_sys, IDC_SYS_COUNT_STABILITY), "2 settings can be optimized");
    EXPECT_EQ(Item(m_sys, IDC_SYS_COUNT_DISPLAY), "10 settings can be optimized");
    EXPECT_EQ(Item(m_sys, IDC_SYS_COUNT_IO), "7 settings can be optimized");
    // The internet layout's fifth row has no role here.
    for (int id : {1045, 1050, 1055})
        EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(m_sys.m_hWnd, id))) << id;
    PauseForScreenshot("system-speed-page");
}

TEST_F(OptimizerPagesTest, NetworkingPopupListsTheOffSettingsInTableOrderOverTheOverlay)
{
    CreateInternetPage();
    ScanInternet();
    m_inet.ShowInetResults(m_settings.GetInetTotal(), &m_settings);

    PopupView view = Networking("networking-popup");
    ASSERT_TRUE(view.found);
    EXPECT_EQ(view.names, NetworkingListed);
    ASSERT_EQ(view.descriptions.size(), NetworkingListed.size());
    EXPECT_EQ(view.descriptions[0], "How long, in seconds, an entry stays in the ARP cache.");
    EXPECT_TRUE(view.overlayShown);
    EXPECT_FALSE(view.overlayEnabled);
    EXPECT_TRUE(view.popupOwnedByOverlay);
    RECT main;
    GetWindowRect(OverlayTestApp::Get().MainWindow().m_hWnd, &main);
    EXPECT_TRUE(EqualRect(&view.overlayRect, &main));
    // Filled, the list is no longer owner-drawn and has full-row selection and grid lines.
    EXPECT_EQ(view.listStyle & LVS_OWNERDRAWFIXED, 0);
    EXPECT_EQ(view.listExtendedStyle & 0x21, 0x21u);
    EXPECT_EQ(view.nameColumnWidth, int(view.listClientWidth * 0.3726));
    // "X" closed the popup, and the overlay went with it.
    PumpFor(30);
    EXPECT_EQ(FindWindowWithControl(GetCurrentThreadId(), IDC_INET_POPUP_LIST), HWND(NULL));
    EXPECT_EQ(FindOverlay(GetCurrentThreadId()), HWND(NULL));

}

// A TCP window off by 10-20 % is listed but not counted; within 10 % it is neither. (One scan
// per case: each case runs in a program of its own.)
struct TcpWindowCase {
    DWORD window;
    bool listed;
};

class NetworkingPopupWithTcpWindow : public OptimizerPagesTest,
                                     public ::testing::WithParamInterface<TcpWindowCase> {};

TEST_P(NetworkingPopupWithTcpWindow, ListsTheWindowOnlyWhenItIsMoreThanTenPercentOff)
{
    const TcpWindowCase c = GetParam();
    ASSERT_TRUE(WriteStored(Rows[7].place.root, PathOf(Rows[7]), Rows[7].name, Rows[7].view, Dword(c.window)));
    CreateInternetPage();
    ScanInternet();
    m_inet.ShowInetResults(m_settings.GetInetTotal(), &m_settings);
    EXPECT_EQ(Item(m_inet, IDC_INET_TOTAL), "25 setting(s) can be changed to improve speed");
    EXPECT_EQ(Item(m_inet, 1046), "12 settings can be optimized");
    std::vector<std::string> expected = NetworkingListed;
    if (c.listed)
        expected.insert(expected.begin() + 6, "Global Max TCP Window Size");
    EXPECT_EQ(Networking().names, expected);
}

INSTANTIATE_TEST_SUITE_P(Windows, NetworkingPopupWithTcpWindow,
                         ::testing::Values(TcpWindowCase{55000, true}, TcpWindowCase{60000, false}),
                         [](const ::testing::TestParamInfo<TcpWindowCase>& info) {
                             return "At" + std::to_string(info.param.window);
                         });

TEST_F(OptimizerPagesTest, SystemPopupListsEveryDisplaySettingOfAnEmptyRegistry)
{
    CreateSystemPage();
    m_settings.ResetCounts();
    ScanSystem();
    m_sys.ShowSysResults(m_settings.GetSysTotal(), &m_settings);
    PopupView view = PopupDriver::ClickAndClose(m_sys, IDC_SYS_DETAILS_DISPLAY, IDC_SYS_POPUP_LIST, IDC_SYS_POPUP_CLOSE);
    ASSERT_TRUE(view.found);
    EXPECT_EQ(view.names, (std::vector<std::string>{"Do Report", "Show UI", "Alpha Select/Animations",
                                                    "Taskbar Animations", "Min/Max Animation",
                                                    "Desktop LivePreview HoverTime", "Foreground Apps Lock Timeout",
                                                    "Max Cached Icons", "System Display Response",
                                                    "Aero Snap Thumbnail Display"}));
    EXPECT_TRUE(view.overlayShown);
    // A missing value whose Windows default is absent is listed.
    view = PopupDriver::ClickAndClose(m_sys, IDC_SYS_DETAILS_STARTUP, IDC_SYS_POPUP_LIST, IDC_SYS_POPUP_CLOSE);
    EXPECT_EQ(view.names, (std::vector<std::string>{"Wait To Kill App Timeout", "Hung App Timeout"}));
}

// View Details of a category with nothing to change opens nothing, and so does every row of a
// page that has no results yet.
TEST_F(OptimizerPagesTest, ViewDetailsWithoutSettingsToChangeOpensNothing)
{
    CreateInternetPage();
    for (int id = 1051; id <= 1055; ++id)
        EXPECT_FALSE(PopupDriver::ClickAndClose(m_inet, id, IDC_INET_POPUP_LIST, IDC_INET_POPUP_CLOSE).found) << id;
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(m_inet.GetRowCount(row), 0);

    ScanInternet();
    m_inet.ShowInetResults(m_settings.GetInetTotal(), &m_settings);
    EXPECT_FALSE(PopupDriver::ClickAndClose(m_inet, 1055, IDC_INET_POPUP_LIST, IDC_INET_POPUP_CLOSE).found);
    EXPECT_EQ(FindOverlay(GetCurrentThreadId()), HWND(NULL));
    EXPECT_TRUE(PopupDriver::ClickAndClose(m_inet, 1054, IDC_INET_POPUP_LIST, IDC_INET_POPUP_CLOSE).found);
}

TEST_F(OptimizerPagesTest, TicksFollowTheScannedMaskAndClicks)
{
    CreateInternetPage();
    CreateSystemPage();
    m_inet.SetInetChecks(0x15);
    EXPECT_EQ(m_inet.GetSelectedInetTypes(), 0x15u);
    Click(m_inet, 1041);
    EXPECT_EQ(m_inet.GetSelectedInetTypes(), 0x14u);
    Click(m_inet, 1042);
    EXPECT_EQ(m_inet.GetSelectedInetTypes(), 0x16u);
    // Bits without a box are dropped.
    m_inet.SetInetChecks(0xFFFFFFE0);
    EXPECT_EQ(m_inet.GetSelectedInetTypes(), 0u);

    m_sys.SetSysChecks(0);
    Click(m_sys, IDC_SYS_CHECK_DISPLAY);
    EXPECT_EQ(m_sys.GetSelectedSysTypes(), 4u);
    m_sys.SetSysChecks(0xF);
    Click(m_sys, IDC_SYS_CHECK_IO);
    EXPECT_EQ(m_sys.GetSelectedSysTypes(), 7u);
    // The ticks are the check boxes' own state.
    StyleButton* box = static_cast<StyleButton*>(CWnd::FromHandlePermanent(::GetDlgItem(m_sys.m_hWnd, IDC_SYS_CHECK_IO)));
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->GetChecked());
}

TEST_F(OptimizerPagesTest, BackAndTheHiddenButtonsShowTheScanPage)
{
    CreatePage(m_inet, IDD_PAGE_INTERNET_RESULTS, true);
    CreatePage(m_sys, IDD_PAGE_SYSTEM_RESULTS, true);
    for (int id : {IDC_OPTIM_BACK, IDC_OPTIM_RESTORE, IDC_INET_OPTIMIZE})
        Click(m_inet, id);
    for (int id : {IDC_OPTIM_BACK, IDC_OPTIM_RESTORE, IDC_SYS_OPTIMIZE})
        Click(m_sys, id);
    EXPECT_EQ(ShownPages(), (std::vector<int>{1, 1, 1, 1, 1, 1}));
}

// With the scan page's result area present, the rows lie in it and "Back" below it; without it,
// the page keeps to its own client area.
TEST_F(OptimizerPagesTest, APageLaysItselfOutOverTheScanPagesResultArea)
{
    auto rectOf = [](CWnd& page, int id) {
        RECT rc;
        ::GetWindowRect(::GetDlgItem(page.m_hWnd, id), &rc);
        ::MapWindowPoints(NULL, page.m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    };
    auto inside = [](const RECT& inner, const RECT& outer) {
        return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
               inner.bottom <= outer.bottom;
    };

    CreateInternetPage();
    RECT client;
    GetClientRect(m_inet.m_hWnd, &client);
    for (int id : {1041, 1046, 1051, 1055, IDC_OPTIM_BACK})
        EXPECT_TRUE(inside(rectOf(m_inet, id), client)) << id;

    // A stand-in for the scan page: page 1's id, with its result area 1015.
    CWnd scanPage;
    ASSERT_TRUE(scanPage.CreateEx(0, NULL, "scan page", WS_CHILD, 0, 0, 700, 460, m_host.Window()->m_hWnd,
                                  HMENU(UINT_PTR(IDD_PAGE_SYSTEM_SCAN))));
    HWND area = CreateWindowA("STATIC", "", WS_CHILD, 30, 120, 500, 260, scanPage.m_hWnd, HMENU(1015), NULL, NULL);
    ASSERT_NE(area, HWND(NULL));
    CInetOptimDetailDlg page;
    ASSERT_TRUE(page.Create(IDD_PAGE_INTERNET_RESULTS, m_host.Window()));
    page.ShowWindow(SW_SHOW);
    const RECT resultArea = {30, 120, 530, 380};
    const RECT laidOver = page.GetResultAreaRect();
    EXPECT_TRUE(EqualRect(&laidOver, &resultArea));
    for (int id = 1041; id <= 1055; ++id)
        EXPECT_TRUE(inside(rectOf(page, id), resultArea)) << id;
    const RECT back = rectOf(page, IDC_OPTIM_BACK);
    EXPECT_EQ(back.left, resultArea.left);
    EXPECT_GE(back.top, resultArea.bottom);
    // The rows go from top to bottom in their order.
    EXPECT_LT(rectOf(page, 1051).top, rectOf(page, 1052).top);
    EXPECT_LT(rectOf(page, 1054).top, rectOf(page, 1055).top);
    page.DestroyWindow();
    scanPage.DestroyWindow();
}
