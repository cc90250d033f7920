// The Startup Manager page as a real window on a display of its own, over the real registry and
// Startup folders of a prefix of its own: its rows, the check boxes clicked with the mouse, the
// title buttons, "Remove Selected" and its look.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Client/Resources/StartupManagerResources.h"
#include "Client/Skin/SkinGdiPlus.h"
#include "Client/Tools/StartupManagerDlg.h"
#include "StartupFixture.h"
#include "Support/ScreenshotPause.h"

using namespace startupfixture;

namespace {

void PumpFor(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(2);
    } while (int(end - GetTickCount()) > 0);
}

// The page as the main window holds it: a child of a plain top-level window.
class PageHost {
public:
    PageHost()
    {
        InitCommonControls();
        m_host.CreateEx(0, NULL, "startup host", WS_POPUP | WS_VISIBLE, 0, 0, 700, 480, NULL, NULL);
        if (m_page.Create(IDD_PAGE_STARTUP_MANAGER, &m_host))
            m_page.SetWindowPos(static_cast<CWnd*>(NULL), 0, 0, 657, 458, SWP_NOZORDER | SWP_SHOWWINDOW);
        PumpFor(100);
    }
    ~PageHost()
    {
        m_page.DestroyWindow();
        m_host.DestroyWindow();
    }
    CStartupManagerDlg& Page() { return m_page; }
    HWND List() { return ::GetDlgItem(m_page.m_hWnd, IDC_STARTUP_LIST); }
    // What a click on the button sends.
    void Press(int id)
    {
        ::SendMessageA(m_page.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       LPARAM(::GetDlgItem(m_page.m_hWnd, id)));
        PumpFor(20);
    }

private:
    GdiPlusSession m_gdiplus;
    CWnd m_host;
    CStartupManagerDlg m_page;
};

std::string ItemText(HWND list, int row, int column)
{
    char text[1024] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, WPARAM(row), LPARAM(&item));
    return text;
}

int RowCount(HWND list) { return int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

int RowNamed(HWND list, const std::string& name, const char* location = NULL)
{
    for (int row = 0; row < RowCount(list); ++row)
        if (ItemText(list, row, 0) == name && (!location || ItemText(list, row, 2) == location))
            return row;
    return -1;
}

// 1 box clear, 2 box ticked.
int BoxOf(HWND list, int row)
{
    return int(SendMessageA(list, LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK) >> 12);
}

// A point of the row's state image, found by hit-testing along the row.
POINT StateImagePoint(HWND list, int row)
{
    RECT bounds = {};
    bounds.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(&bounds));
    POINT at = {-1, -1};
    for (int x = bounds.left; x < bounds.left + 80; ++x) {
        LVHITTESTINFO hit = {};
        hit.pt.x = x;
        hit.pt.y = (bounds.top + bounds.bottom) / 2;
        if (SendMessageA(list, LVM_HITTEST, 0, LPARAM(&hit)) == row && (hit.flags & LVHT_ONITEMSTATEICON)) {
            at = hit.pt;
            at.x += 6;   // well inside the box
            break;
        }
    }
    return at;
}

// A user's click on the row's box.
void ClickBox(HWND list, int row)
{
    POINT at = StateImagePoint(list, row);
    ASSERT_GE(at.x, 0) << "no state image on row " << row;
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    PumpFor(30);
}

void Select(HWND list, int row)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), LPARAM(&item));
    PumpFor(20);
}

std::vector<std::string> Column(HWND list, int column)
{
    std::vector<std::string> texts;
    for (int row = 0; row < RowCount(list); ++row)
        texts.push_back(ItemText(list, row, column));
    return texts;
}

// What the screen shows of a window, as 0x00RRGGBB pixels.
struct Capture {
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
    DWORD At(int x, int y) const { return pixels[size_t(y) * width + x] & 0xFFFFFF; }
};
Capture CaptureWindow(HWND window)
{
    Capture capture;
    RECT r;
    GetWindowRect(window, &r);
    capture.width = r.right - r.left;
    capture.height = r.bottom - r.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = NULL;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD* p = static_cast<const DWORD*>(bits);
    capture.pixels.assign(p, p + size_t(capture.width) * capture.height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return capture;
}

RECT ChildRect(HWND parent, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(parent, id), &r);
    MapWindowPoints(NULL, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

const std::string UserFoo = "C:\\Apps\\Foo\\foo.exe /tray";

}  // namespace

TEST(StartupManagerPage, ListsEveryEntryAndShowingOrSelectingChangesNothing)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Foo", UserFoo));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey, "Bar", "C:\\Bar\\bar.exe"));
    WriteRegRecord("Sleepy", "sleepy", "C:\\Sleepy\\sleepy.exe", RunKey, "HKLM");
    ASSERT_TRUE(WriteFile(UserStartupFolder() + "\\App.lnk", "a"));
    ASSERT_TRUE(WriteFile(CommonStartupFolder() + "\\Shared.lnk", "s"));
    const std::string before = Snapshot();

    PageHost host;
    HWND list = host.List();
    ASSERT_TRUE(list);
    ASSERT_EQ(RowCount(list), int(host.Page().GetEntries().size()));
    struct Row {
        const char* name;
        std::string command;
        const char* location;
        int box;
        LPARAM registry;
    };
    const Row rows[] = {
        {"Foo", UserFoo, "HKCU", 2, 1},
        {"Bar", "C:\\Bar\\bar.exe", "HKLM", 2, 1},
        {"Sleepy", "C:\\Sleepy\\sleepy.exe", "HKLM", 1, 1},
        {"App", UserStartupFolder() + "\\App.lnk", "Startup", 2, 0},
        {"Shared", CommonStartupFolder() + "\\Shared.lnk", "Common Startup", 2, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const int at = RowNamed(list, row.name);
        ASSERT_GE(at, 0);
        EXPECT_EQ(ItemText(list, at, 1), row.command);
        EXPECT_EQ(ItemText(list, at, 2), row.location);
        EXPECT_EQ(BoxOf(list, at), row.box);
        LVITEMA item = {};
        item.mask = LVIF_PARAM;
        item.iItem = at;
        SendMessageA(list, LVM_GETITEMA, 0, LPARAM(&item));
        EXPECT_EQ(item.lParam, row.registry);
        // Row i shows entry i.
        EXPECT_EQ(std::string(host.Page().GetEntries()[at].Name), row.name);
    }
    // Sorted by name, ascending, to begin with.
    std::vector<std::string> names = Column(list, 0);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    }));

    // Refreshing fills every box again; selecting rows moves the focus and the selection.
    host.Page().RefreshList();
    host.Page().RefreshList();
    EXPECT_EQ(host.Page().IsListReady(), 1);
    for (int row = 0; row < RowCount(list); ++row)
        Select(list, row);
    Select(list, -1);
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(BoxOf(list, RowNamed(list, "Sleepy")), 1);
    EXPECT_EQ(BoxOf(list, RowNamed(list, "Foo")), 2);
}

TEST(StartupManagerPage, ClickingABoxDisablesAndEnablesAtOnce)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Foo", UserFoo));
    PageHost host;
    HWND list = host.List();
    int row = RowNamed(list, "Foo");
    ASSERT_GE(row, 0);
    ASSERT_EQ(BoxOf(list, row), 2);

    ClickBox(list, row);
    EXPECT_EQ(BoxOf(list, row), 1);
    EXPECT_FALSE(GetValue(HKEY_CURRENT_USER, RunKey, "Foo").present);
    const std::string record = std::string(RegRecords) + "\\Foo";
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, record, "command").data, std::string(UserFoo.c_str(), UserFoo.size() + 1));
    EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, record, "hkey").data, std::string("HKCU", 5));
    EXPECT_EQ(host.Page().GetEntries()[row].Disabled, 1);

    // Showing the page again lists it unticked, in the same place.
    host.Page().RefreshList();
    row = RowNamed(list, "Foo");
    ASSERT_GE(row, 0);
    EXPECT_EQ(BoxOf(list, row), 1);

    ClickBox(list, row);
    EXPECT_EQ(BoxOf(list, row), 2);
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, RunKey, "Foo").data, std::string(UserFoo.c_str(), UserFoo.size() + 1));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, record));
}

TEST(StartupManagerPage, ARefusedUntickPutsTheBoxBack)
{
    // HKLM's Foo cannot be disabled while HKCU's Foo holds the record of that name.
    WriteRegRecord("Foo", "userfoo", "C:\\User\\userfoo.exe", RunKey, "HKCU");
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey, "Foo", "C:\\Machine\\foo.exe"));
    PageHost host;
    HWND list = host.List();
    const int row = RowNamed(list, "Foo", "HKLM");
    ASSERT_GE(row, 0);
    const std::string before = Snapshot();

    ClickBox(list, row);
    EXPECT_EQ(BoxOf(list, row), 2);
    EXPECT_EQ(host.Page().GetEntries()[row].Disabled, 0);
    EXPECT_EQ(Snapshot(), before);
    // The box still works: a second click is refused the same way.
    ClickBox(list, row);
    EXPECT_EQ(BoxOf(list, row), 2);
    EXPECT_EQ(Snapshot(), before);
}

TEST(StartupManagerPage, TitleButtonsSortAndReverse)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "bravo", "C:\\b.exe"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey, "Alpha", "C:\\a.exe"));
    ASSERT_TRUE(WriteFile(UserStartupFolder() + "\\charlie.lnk", "c"));
    PageHost host;
    HWND list = host.List();
    auto ours = [&](int column) {
        std::vector<std::string> texts;
        for (int row = 0; row < RowCount(list); ++row) {
            const std::string name = ItemText(list, row, 0);
            if (name == "Alpha" || name == "bravo" || name == "charlie")
                texts.push_back(ItemText(list, row, column));
        }
        return texts;
    };
    typedef std::vector<std::string> Texts;
    EXPECT_EQ(ours(0), (Texts{"Alpha", "bravo", "charlie"}));

    host.Press(IDC_STARTUP_SORT_LOCATION);
    EXPECT_EQ(ours(2), (Texts{"HKCU", "HKLM", "Startup"}));
    EXPECT_EQ(host.Page().GetSortColumn(), StartupSortByLocation);
    host.Press(IDC_STARTUP_SORT_LOCATION);
    EXPECT_EQ(ours(2), (Texts{"Startup", "HKLM", "HKCU"}));
    EXPECT_EQ(host.Page().GetSortAscending(), 0);
    host.Press(IDC_STARTUP_SORT_NAME);
    EXPECT_EQ(ours(0), (Texts{"Alpha", "bravo", "charlie"}));
    host.Press(IDC_STARTUP_SORT_PATH);
    host.Press(IDC_STARTUP_SORT_PATH);
    EXPECT_EQ(ours(0), (Texts{"charlie", "bravo", "Alpha"}));
    // Rows and entries stay paired whatever the order.
    for (int row = 0; row < RowCount(list); ++row)
        EXPECT_EQ(ItemText(list, row, 0), std::string(host.Page().GetEntries()[row].Name));
}

TEST(StartupManagerPage, RemoveSelected)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Foo", UserFoo));
    const std::string held = UserStartupFolder() + "\\Held.lnk";
    ASSERT_TRUE(WriteFile(held, "h"));
    PageHost host;
    HWND list = host.List();
    const int rows = RowCount(list);

    // Nothing selected: nothing happens.
    const std::string before = Snapshot();
    host.Press(IDC_STARTUP_REMOVE);
    EXPECT_EQ(RowCount(list), rows);
    EXPECT_EQ(Snapshot(), before);

    // An enabled "Run" entry: the row and the value go.
    Select(list, RowNamed(list, "Foo"));
    host.Press(IDC_STARTUP_REMOVE);
    EXPECT_EQ(RowCount(list), rows - 1);
    EXPECT_EQ(RowNamed(list, "Foo"), -1);
    EXPECT_FALSE(GetValue(HKEY_CURRENT_USER, RunKey, "Foo").present);

    // A Startup file held open without sharing: the row goes, the file stays and comes back.
    HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    Select(list, RowNamed(list, "Held"));
    host.Press(IDC_STARTUP_REMOVE);
    EXPECT_EQ(RowNamed(list, "Held"), -1);
    EXPECT_EQ(RowCount(list), rows - 2);
    CloseHandle(file);
    EXPECT_TRUE(FileExists(held));
    for (int row = 0; row < RowCount(list); ++row)
        EXPECT_EQ(ItemText(list, row, 0), std::string(host.Page().GetEntries()[row].Name));
    host.Page().RefreshList();
    EXPECT_GE(RowNamed(list, "Held"), 0);
}

TEST(StartupManagerPage, LooksAsDesigned)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Ticked", "C:\\t.exe"));
    WriteRegRecord("Unticked", "u", "C:\\u.exe", RunKey, "HKCU");
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey, "Tray Helper", "\"C:\\Program Files\\Tray\\tray.exe\" /background"));
    ASSERT_TRUE(WriteFile(CommonStartupFolder() + "\\Notes.lnk", "n"));
    PageHost host;
    HWND page = host.Page().m_hWnd;
    HWND list = host.List();
    RedrawWindow(page, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpFor(200);
    PauseForScreenshot("startup-manager");
    RECT pageRect;
    GetWindowRect(page, &pageRect);
    const Capture shot = CaptureWindow(page);
    const RECT band = ChildRect(page, IDC_STARTUP_TITLE_BAND);
    const int w = band.right - band.left, h = band.bottom - band.top;
    ASSERT_GT(w, 0);

    // The band's grey between the title buttons, and its two dividers.
    const int middle = band.top + h / 2;
    const int divider1 = int(0.3303 * w), divider2 = int(0.8612 * w);
    EXPECT_EQ(shot.At(divider1, middle), 0xCCCCCCu);
    EXPECT_EQ(shot.At(divider2, middle), 0xCCCCCCu);
    EXPECT_EQ(shot.At(divider1 + 2, middle), 0xF3F3F3u);
    EXPECT_EQ(shot.At(divider2 - 2, middle), 0xF3F3F3u);
    // Above and below the band the page is white.
    EXPECT_EQ(shot.At(divider1, band.top - 3), 0xFFFFFFu);
    EXPECT_EQ(shot.At(shot.width - 1, shot.height - 1), 0xFFFFFFu);

    // "Remove Selected" is orange.
    const RECT remove = ChildRect(page, IDC_STARTUP_REMOVE);
    int orange = 0, total = 0;
    for (int y = remove.top + 2; y < remove.bottom - 2; ++y)
        for (int x = remove.left + 2; x < remove.right - 2; ++x, ++total)
            orange += shot.At(x, y) == 0xFF9600u;
    EXPECT_GT(orange, total / 2);

    // The two boxes are drawn from the page's own images, and they differ.
    auto boxPixels = [&](int row) {
        POINT at = StateImagePoint(list, row);
        MapWindowPoints(list, page, &at, 1);
        std::vector<DWORD> pixels;
        for (int y = at.y - 5; y <= at.y + 5; ++y)
            for (int x = at.x - 4; x <= at.x + 10; ++x)
                pixels.push_back(shot.At(x, y));
        return pixels;
    };
    const std::vector<DWORD> ticked = boxPixels(RowNamed(list, "Ticked"));
    const std::vector<DWORD> unticked = boxPixels(RowNamed(list, "Unticked"));
    EXPECT_NE(ticked, unticked);
    int tickedOrange = 0;
    for (DWORD pixel : ticked)
        tickedOrange += pixel == 0xFF9600u;
    EXPECT_GT(tickedOrange, 10);
}
