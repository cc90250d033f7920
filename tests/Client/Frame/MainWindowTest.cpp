// The real main window from the outside: its pages, its navigation, the tray icon and every way
// of quitting. Each case starts Velmora.exe in a prefix of its own.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "Frame/FrameMessages.h"
#include "Frame/FrameResources.h"
#include "ProcessDriver.h"

namespace {

const DWORD StartTimeout = 20000;
const DWORD QuitTimeout = 15000;

struct PageRow {
    int page;
    int templateId;
};
const PageRow Pages[] = {
    {1, IDD_PAGE_SYSTEM_SCAN},      {2, IDD_PAGE_REGISTRY_RESULTS}, {3, IDD_PAGE_JUNK_RESULTS},
    {4, IDD_PAGE_INTERNET_RESULTS}, {5, IDD_PAGE_SYSTEM_RESULTS},   {6, IDD_PAGE_SYSTEM_BOOSTER},
    {7, IDD_PAGE_REGISTRY_DEFRAG},  {8, IDD_PAGE_STARTUP_MANAGER},
};
const int NavigationButtons[] = {IDC_NAV_SYSTEM_SCANNER, IDC_NAV_SYSTEM_BOOSTER, IDC_NAV_REGISTRY_DEFRAG,
                                 IDC_NAV_STARTUP_MANAGER, IDC_NAV_UNINSTALLER};

// The templates of the pages that are visible now.
std::vector<int> VisiblePages(HWND main)
{
    std::vector<int> visible;
    for (const PageRow& row : Pages) {
        HWND page = GetDlgItem(main, row.templateId);
        if (page && IsWindowVisible(page))
            visible.push_back(row.templateId);
    }
    return visible;
}

// The navigation buttons that can be clicked now.
std::vector<int> EnabledNavigation(HWND main)
{
    std::vector<int> enabled;
    for (int id : NavigationButtons)
        if (IsWindowEnabled(GetDlgItem(main, id)))
            enabled.push_back(id);
    return enabled;
}

// How many pixels of a control, as the screen shows it, are warm (red well above blue) and how
// many are cool (blue well above red). Inset keeps rounded corners, where the background shows
// through, out of the count.
struct Hues {
    int warm = 0, cool = 0, total = 0;
};
Hues HuesOf(HWND control, int inset)
{
    Hues hues;
    RECT r;
    GetWindowRect(control, &r);
    InflateRect(&r, -inset, -inset);
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return hues;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = NULL;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) {
        int red = (pixels[i] >> 16) & 0xFF, blue = pixels[i] & 0xFF;
        hues.warm += red > blue + 40;
        hues.cool += blue > red + 40;
    }
    hues.total = width * height;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return hues;
}

class Program {
public:
    bool Start(const std::string& arguments = std::string())
    {
        std::string path = BuiltProgramPath();
        if (!process.Start(path, "\"" + path + "\" " + arguments))
            return false;
        return WaitUntil([&] { return (main = FindMainWindow(process.Id())) != NULL || !process.Running(); },
                         StartTimeout) &&
               main;
    }
    ChildProcess process;
    HWND main = NULL;
};

}  // namespace

TEST(MainWindow, PageSwitchingShowsExactlyOnePage)
{
    Program program;
    ASSERT_TRUE(program.Start());
    HWND main = program.main;
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, StartTimeout));

    // Every page sits over the content area, one pixel further left.
    RECT content;
    ASSERT_TRUE(GetWindowRect(GetDlgItem(main, IDC_CONTENT_AREA), &content));
    for (const PageRow& row : Pages) {
        SCOPED_TRACE(row.page);
        HWND page = GetDlgItem(main, row.templateId);
        ASSERT_NE(page, static_cast<HWND>(NULL));
        EXPECT_EQ(GetParent(page), main);
        RECT r;
        GetWindowRect(page, &r);
        EXPECT_EQ(r.left, content.left - 1);
        EXPECT_EQ(r.top, content.top);
        EXPECT_EQ(r.right, content.right);
        EXPECT_EQ(r.bottom, content.bottom);
    }
    EXPECT_EQ(VisiblePages(main), std::vector<int>{IDD_PAGE_SYSTEM_SCAN});
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(main, IDC_NAV_UNINSTALLER)));
    // No button marks a page at start.
    EXPECT_EQ(EnabledNavigation(main).size(), 5u);

    struct Click {
        int button;
        int shownPage;
    };
    const Click clicks[] = {
        {IDC_NAV_SYSTEM_BOOSTER, IDD_PAGE_SYSTEM_BOOSTER},
        {IDC_NAV_SYSTEM_BOOSTER, IDD_PAGE_SYSTEM_BOOSTER},   // the current page's button is disabled
        {IDC_NAV_REGISTRY_DEFRAG, IDD_PAGE_REGISTRY_DEFRAG},
        {IDC_NAV_STARTUP_MANAGER, IDD_PAGE_STARTUP_MANAGER},
        {IDC_NAV_SYSTEM_SCANNER, IDD_PAGE_SYSTEM_SCAN},
        {IDC_NAV_UNINSTALLER, IDD_PAGE_SYSTEM_SCAN},         // selects its button, shows no page
    };
    int current = 0;
    for (const Click& click : clicks) {
        SCOPED_TRACE(click.button);
        HWND button = GetDlgItem(main, click.button);
        if (IsWindowEnabled(button)) {
            current = click.button;
            // What a click on the button sends.
            SendMessageA(main, WM_COMMAND, MAKEWPARAM(click.button, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        }
        EXPECT_EQ(VisiblePages(main), std::vector<int>{click.shownPage});
        std::vector<int> expectEnabled;
        for (int id : NavigationButtons)
            if (id != current)
                expectEnabled.push_back(id);
        EXPECT_EQ(EnabledNavigation(main), expectEnabled);
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.process.WaitForExit(QuitTimeout));
}

TEST(MainWindow, ButtonFacesGlowInTheirOwnColour)
{
    Program program;
    ASSERT_TRUE(program.Start());
    HWND main = program.main;
    // A blue navigation face has no warm pixel, the orange UPDATE face no cool one (white labels
    // count as neither).
    HWND navigation = GetDlgItem(main, IDC_NAV_SYSTEM_BOOSTER);
    HWND update = GetDlgItem(main, IDC_UPDATE);
    Hues blue, orange;
    bool painted = WaitUntil([&] {
        blue = HuesOf(navigation, 1);
        orange = HuesOf(update, 3);
        return IsWindowVisible(main) && blue.cool > blue.total / 2 && orange.warm > orange.total / 2;
    }, StartTimeout, 100);
    EXPECT_TRUE(painted) << blue.cool << " of " << blue.total << " blue, " << orange.warm << " of "
                         << orange.total << " orange";
    EXPECT_EQ(blue.warm, 0);
    EXPECT_EQ(orange.cool, 0);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.process.WaitForExit(QuitTimeout));
}

// Temporary files for the junk scan to list: a STARTSCAN start stays hidden until its scan ends,
// and the checks of the hidden window must come before that.
static void PlantTemporaryFiles(int count)
{
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "velmora-tray-junk";
    CreateDirectoryA(folder.c_str(), NULL);
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "\\junk" + std::to_string(i) + ".tmp";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (file == INVALID_HANDLE_VALUE)
            continue;
        DWORD written = 0;
        WriteFile(file, "j", 1, &written, NULL);
        CloseHandle(file);
    }
}

// COM classes whose servers exist: nothing to find, but thousands of classes for the registry
// scan to check, which keeps a STARTSCAN scan going for some seconds more on any machine.
static std::string SlowScanClass(int i)
{
    char name[64];
    snprintf(name, sizeof name, "Software\\Classes\\CLSID\\{5E1A7E57-0000-4000-8000-%012d}", i);
    return name;
}

static void PlantComClasses(int count)
{
    char server[MAX_PATH] = "";
    GetSystemDirectoryA(server, MAX_PATH);
    strcat(server, "\\kernel32.dll");
    for (int i = 0; i < count; ++i) {
        const std::string key = SlowScanClass(i) + "\\InprocServer32";
        RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), NULL, REG_SZ, server, DWORD(strlen(server) + 1));
    }
}

TEST(MainWindow, TrayIconShowsTheHiddenWindow)
{
    PlantComClasses(8000);
    PlantTemporaryFiles(20000);
    int iconsBefore = TrayIconCount();
    Program program;
    ASSERT_TRUE(program.Start("STARTSCAN"));
    HWND main = program.main;
    ASSERT_TRUE(WaitUntil([&] { return TrayIconCount() == iconsBefore + 1; }, StartTimeout)) << TrayIconCount();
    Sleep(300);
    ASSERT_FALSE(IsWindowVisible(main));

    // Another icon's event is not ours; a right click opens no menu (there is none).
    EXPECT_EQ(SendMessageA(main, WM_TRAY_NOTIFY, 1, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(SendMessageA(main, WM_TRAY_NOTIFY, 0, WM_RBUTTONUP), 0);
    Sleep(300);
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(FindWindowA("#32768", NULL) && IsWindowVisible(FindWindowA("#32768", NULL)), false);

    // A double click on the icon itself, which the shell passes on as the callback message.
    ASSERT_EQ(TrayIcons().size(), static_cast<size_t>(iconsBefore + 1));
    PostMessageA(TrayIcons().back(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }, 5000));
    EXPECT_EQ(GetForegroundWindow(), main);

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.process.WaitForExit(QuitTimeout));
    EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == iconsBefore; }, QuitTimeout));
}

TEST(MainWindow, EveryWayOfQuittingEndsTheProcessAndRemovesTheIcon)
{
    struct Way {
        const char* name;
        UINT message;
        WPARAM wParam;
    };
    const Way ways[] = {
        {"Close", WM_CLOSE, 0},
        {"Alt+F4", WM_SYSCOMMAND, SC_CLOSE},
        {"Exit button", WM_COMMAND, MAKEWPARAM(IDC_CAPTION_EXIT, BN_CLICKED)},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        int iconsBefore = TrayIconCount();
        Program program;
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(WaitUntil([&] { return TrayIconCount() == iconsBefore + 1; }, StartTimeout));
        LPARAM lParam = way.message == WM_COMMAND
                            ? reinterpret_cast<LPARAM>(GetDlgItem(program.main, IDC_CAPTION_EXIT)) : 0;
        PostMessageA(program.main, way.message, way.wParam, lParam);
        EXPECT_TRUE(program.process.WaitForExit(QuitTimeout));
        EXPECT_EQ(program.process.ExitCode(), 0u);
        EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == iconsBefore; }, QuitTimeout)) << TrayIconCount();
    }
}
