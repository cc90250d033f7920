// The Customize Scan dialog, run modally over the overlay of a real main window on the real
// registry: a thread timer (which the dialog's modal loop runs) looks at the lists, ticks rows,
// clicks tabs and buttons with window messages, and the settings key shows what was stored.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Client/Resources/CustomizeScanResources.h"
#include "Client/Scan/CustomizeScanDlg.h"
#include "Client/Skin/BlackLayerDlg.h"
#include "Client/Skin/OverlayTestSupport.h"
#include "Frame/ProgramSettings.h"
#include "Support/ScreenshotPause.h"

namespace {

const char* const ValueNames[4] = {"LastSelScanRegTypes", "LastSelScanJunkTypes", "LastSelScanInetTypes",
                                   "LastSelScanSysTypes"};
const DWORD Defaults[4] = {0xFCF400, 0x1A6313F, 0x1F, 0xF};

// The junk list's rows and their bits, in list order.
const DWORD JunkRowBits[23] = {0x1,     0x2,     0x4,      0x8,      0x10,      0x20,     0x200000, 0x10000,
                               0x20000, 0x40000, 0x80000,  0x800,    0x1000,    0x2000,   0x4000,   0x40,
                               0x80,    0x100,   0x200,    0x400000, 0x800000,  0x1000000, 0x2000000};

// A REG_DWORD of the settings key; -1 when it is missing or of another kind.
long long StoredMask(const char* name)
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, name, RRF_RT_ANY, &type, &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != 4)
        return -1;
    return value;
}

void StoreMask(const char* name, DWORD mask)
{
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, name, REG_DWORD, &mask, 4), ERROR_SUCCESS);
}

std::vector<long long> StoredMasks()
{
    std::vector<long long> masks;
    for (const char* name : ValueNames)
        masks.push_back(StoredMask(name));
    return masks;
}

HWND List(HWND dialog, int kind) { return GetDlgItem(dialog, IDC_CUSTOMIZE_LIST_REGISTRY + kind - 1); }

// The rows' check boxes of a list, as the list view holds them.
std::vector<bool> Ticks(HWND list)
{
    std::vector<bool> ticks;
    const int count = int(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i)
        ticks.push_back(((SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK) >> 12) - 1) == 1);
    return ticks;
}

// Ticks or unticks a row as a click on its box does.
void SetTick(HWND list, int row, bool ticked)
{
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
    SendMessageA(list, LVM_SETITEMSTATE, row, LPARAM(&item));
}

std::string ItemText(HWND list, int row, int column)
{
    char text[256] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, LPARAM(&item));
    return text;
}

// The client width a list had before its rows came (they may have brought a vertical scroll bar).
int WidthWithoutScrollBar(HWND list)
{
    RECT client;
    GetClientRect(list, &client);
    return client.right + ((GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0);
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Runs the dialog over the overlay of the test's main window. Once it is up, the steps run one
// per tick of a thread timer, inside the dialog's modal loop (so what a step posts goes through
// that loop before the next step); then "X" is clicked unless a step closed the dialog itself.
typedef std::function<void(CCustomizeScanDlg&, HWND)> Step;

struct ModalRun {
    static CCustomizeScanDlg* dialog;
    static std::vector<Step> steps;
    static size_t next;
    static bool busy;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (busy || !dialog || !dialog->m_hWnd || !IsWindowVisible(dialog->m_hWnd))
            return;
        busy = true;
        if (next < steps.size())
            steps[next++](*dialog, dialog->m_hWnd);
        else if (next++ == steps.size())
            Click(dialog->m_hWnd, IDC_CUSTOMIZE_CLOSE);
        busy = false;
    }
};
CCustomizeScanDlg* ModalRun::dialog;
std::vector<Step> ModalRun::steps;
size_t ModalRun::next;
bool ModalRun::busy;

// Returns whether every step ran.
bool RunCustomize(const std::vector<Step>& steps)
{
    CCustomizeScanDlg dialog;
    ModalRun::dialog = &dialog;
    ModalRun::steps = steps;
    ModalRun::next = 0;
    UINT_PTR timer = SetTimer(NULL, 0, 20, ModalRun::Tick);
    DoModalWithOverlay(&dialog, &OverlayTestApp::Get().MainWindow());
    KillTimer(NULL, timer);
    ModalRun::dialog = nullptr;
    return ModalRun::next >= steps.size();
}

bool RunCustomize(const Step& body) { return RunCustomize(std::vector<Step>{body}); }

class CustomizeScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        OverlayTestApp::Get();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Velmora");
    }
    void TearDown() override { PumpMessages(20); }
};

}  // namespace

TEST_F(CustomizeScanTest, FirstRunTicksTheDefaultsStoresThemAndEscapeKeepsItOpen)
{
    const std::vector<long long> none(4, -1);
    ASSERT_EQ(StoredMasks(), none);
    bool stillOpenAfterEscape = false;
    std::vector<long long> storedWhileOpen;
    ASSERT_TRUE(RunCustomize({[&](CCustomizeScanDlg&, HWND dialog) {
        storedWhileOpen = StoredMasks();
        PauseForScreenshot("customize-scan");

        const size_t rows[4] = {11, 23, 5, 4};
        for (int kind = 1; kind <= 4; ++kind) {
            SCOPED_TRACE(kind);
            const std::vector<bool> ticks = Ticks(List(dialog, kind));
            ASSERT_EQ(ticks.size(), rows[kind - 1]);
            for (size_t row = 0; row < ticks.size(); ++row) {
                // Cookies, typed URLs and browsing histories are not ticked by default.
                const bool unticked = kind == 2 && (row == 7 || row == 10 || row == 11 || row == 14 || row == 15 ||
                                                    row == 16 || row == 18 || row == 19 || row == 22);
                EXPECT_EQ(ticks[row], !unticked) << row;
            }
        }
        HWND registry = List(dialog, 1);
        EXPECT_EQ(ItemText(registry, 0, 0), "ActiveX Objects");
        EXPECT_EQ(ItemText(registry, 7, 0), "File Path Refferences");
        EXPECT_EQ(ItemText(registry, 8, 1), "Invalid program shorcuts");
        EXPECT_EQ(ItemText(List(dialog, 2), 6, 0), "Installer Cache");
        EXPECT_EQ(ItemText(List(dialog, 4), 3, 1), "Settings that effect performance of IO operations");

        // The lists: check boxes, grid lines and full-row selection, no owner drawing, no header,
        // the first column 46.22 % of the client width.
        for (int kind = 1; kind <= 4; ++kind) {
            HWND list = List(dialog, kind);
            const DWORD extended = DWORD(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
            EXPECT_EQ(extended & (LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT),
                      DWORD(LVS_EX_CHECKBOXES | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT));
            const LONG style = GetWindowLongA(list, GWL_STYLE);
            EXPECT_EQ(style & LVS_OWNERDRAWFIXED, 0);
            EXPECT_NE(style & LVS_NOCOLUMNHEADER, 0);
            const int width = WidthWithoutScrollBar(list);
            EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), LRESULT(int(width * 0.4622)));
            EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), LRESULT(width - int(width * 0.4622)));
        }

        // Escape goes to the focused list, through the dialog's own loop.
        SetFocus(registry);
        PostMessageA(registry, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        PostMessageA(registry, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    }, [&](CCustomizeScanDlg&, HWND) {}, [&](CCustomizeScanDlg&, HWND dialog) {
        stillOpenAfterEscape = IsWindowVisible(dialog) != FALSE;
    }}));
    EXPECT_TRUE(stillOpenAfterEscape);
    // Opening stored every missing default; "X" stored the same again.
    const std::vector<long long> defaults(Defaults, Defaults + 4);
    EXPECT_EQ(storedWhileOpen, defaults);
    EXPECT_EQ(StoredMasks(), defaults);
}

TEST_F(CustomizeScanTest, EachJunkRowStandsForItsBitBothWays)
{
    ASSERT_TRUE(RunCustomize([&](CCustomizeScanDlg& dlg, HWND dialog) {
        HWND junk = List(dialog, 2);
        for (int row = 0; row < 23; ++row) {
            SCOPED_TRACE(row);
            // Only this row ticked: its bit alone.
            for (int other = 0; other < 23; ++other)
                SetTick(junk, other, other == row);
            EXPECT_EQ(dlg.GetJunkScanTypes(), JunkRowBits[row]);
            // Its bit alone: only this row ticked.
            dlg.SetJunkScanTypes(JunkRowBits[row]);
            const std::vector<bool> ticks = Ticks(junk);
            for (int other = 0; other < 23; ++other)
                EXPECT_EQ(ticks[other], other == row) << other;
        }
    }));
}

// A stored mask is shown as it is; "X" stores the ticked rows, so bits without a row are lost.
TEST_F(CustomizeScanTest, StoredMasksComeBackAsTheTickedRows)
{
    struct Case {
        const char* what;
        int kind;
        DWORD stored;
        int ticked;          // rows ticked on opening
        long long after;     // stored after "X"
    };
    const Case cases[] = {
        {"every junk bit, with the Saved Form Info ones", 2, 0x3FFFFFF, 23, 0x3EF7BFF},
        {"a registry bit no row has", 1, 0x1, 0, 0},
        {"nothing", 1, 0, 0, 0},
        {"nothing", 3, 0, 0, 0},
        {"bits above the system rows", 4, 0xF0, 0, 0},
        {"two internet rows", 3, 0x12, 2, 0x12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << ", kind " << c.kind);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Velmora");
        HKEY key = NULL;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        StoreMask(ValueNames[c.kind - 1], c.stored);
        int ticked = -1;
        ASSERT_TRUE(RunCustomize([&](CCustomizeScanDlg&, HWND dialog) {
            ticked = 0;
            for (bool tick : Ticks(List(dialog, c.kind)))
                ticked += tick ? 1 : 0;
        }));
        EXPECT_EQ(ticked, c.ticked);
        std::vector<long long> expected(Defaults, Defaults + 4);
        expected[c.kind - 1] = c.after;
        EXPECT_EQ(StoredMasks(), expected);
    }
}

TEST_F(CustomizeScanTest, ResetTicksTheDefaultsAndXStoresThem)
{
    HKEY key = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL),
              ERROR_SUCCESS);
    RegCloseKey(key);
    for (const char* name : ValueNames)
        StoreMask(name, 0);
    std::vector<long long> storedAfterReset;
    ASSERT_TRUE(RunCustomize([&](CCustomizeScanDlg& dlg, HWND dialog) {
        EXPECT_EQ(dlg.GetRegScanTypes() | dlg.GetJunkScanTypes() | dlg.GetInetTweakTypes() | dlg.GetSysTweakTypes(), 0u);
        Click(dialog, IDC_CUSTOMIZE_RESET);
        EXPECT_EQ(dlg.GetRegScanTypes(), 0xFCF400u);
        EXPECT_EQ(dlg.GetJunkScanTypes(), 0x1A6313Fu);
        EXPECT_EQ(dlg.GetInetTweakTypes(), 0x1Fu);
        EXPECT_EQ(dlg.GetSysTweakTypes(), 0xFu);
        // Nothing is written before the dialog closes.
        storedAfterReset = StoredMasks();
    }));
    EXPECT_EQ(storedAfterReset, std::vector<long long>(4, 0));
    EXPECT_EQ(StoredMasks(), std::vector<long long>(Defaults, Defaults + 4));
}

TEST_F(CustomizeScanTest, ATabShowsOnlyItsListIsDisabledAndTicksSurviveTabChanges)
{
    ASSERT_TRUE(RunCustomize([&](CCustomizeScanDlg& dlg, HWND dialog) {
        auto shownLists = [&]() {
            std::vector<int> shown;
            for (int kind = 1; kind <= 4; ++kind)
                if (IsWindowVisible(List(dialog, kind)))
                    shown.push_back(IDC_CUSTOMIZE_LIST_REGISTRY + kind - 1);
            return shown;
        };
        auto enabledTabs = [&]() {
            std::vector<bool> enabled;
            for (int tab = 0; tab < 4; ++tab)
                enabled.push_back(IsWindowEnabled(GetDlgItem(dialog, IDC_CUSTOMIZE_TAB_REGISTRY + tab)) != FALSE);
            return enabled;
        };
        EXPECT_EQ(shownLists(), std::vector<int>{IDC_CUSTOMIZE_LIST_REGISTRY});
        EXPECT_EQ(enabledTabs(), (std::vector<bool>{false, true, true, true}));

        Click(dialog, IDC_CUSTOMIZE_TAB_INTERNET);
        EXPECT_EQ(shownLists(), std::vector<int>{IDC_CUSTOMIZE_LIST_INTERNET});
        EXPECT_EQ(enabledTabs(), (std::vector<bool>{true, true, false, true}));
        EXPECT_EQ(dlg.GetSelectedTab(), 2);
        SetTick(List(dialog, 3), 1, false);   // WinSock

        Click(dialog, IDC_CUSTOMIZE_TAB_JUNK);
        EXPECT_EQ(shownLists(), std::vector<int>{IDC_CUSTOMIZE_LIST_JUNK});
        SetTick(List(dialog, 2), 7, true);    // Chrome - Cookies
        Click(dialog, IDC_CUSTOMIZE_TAB_INTERNET);
        EXPECT_EQ(Ticks(List(dialog, 3)), (std::vector<bool>{true, false, true, true, true}));
        // A tab change stores nothing.
        EXPECT_EQ(StoredMask("LastSelScanInetTypes"), 0x1F);
    }));
    EXPECT_EQ(StoredMasks(), (std::vector<long long>{0xFCF400, 0x1A7313F, 0x1D, 0xF}));
}

// Without a settings key that can be made (a volatile parent cannot hold it), the dialog shows
// the defaults and keeps nothing.
TEST_F(CustomizeScanTest, WithoutASettingsKeyItShowsTheDefaultsAndStoresNothing)
{
    HKEY parent = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Velmora", 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              NULL, &parent, NULL),
              ERROR_SUCCESS);
    DWORD shown[4] = {};
    ASSERT_TRUE(RunCustomize([&](CCustomizeScanDlg& dlg, HWND dialog) {
        shown[0] = dlg.GetRegScanTypes();
        shown[1] = dlg.GetJunkScanTypes();
        shown[2] = dlg.GetInetTweakTypes();
        shown[3] = dlg.GetSysTweakTypes();
        SetTick(List(dialog, 1), 0, false);
    }));
    for (int kind = 0; kind < 4; ++kind)
        EXPECT_EQ(shown[kind], Defaults[kind]) << kind;
    HKEY key = NULL;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(parent);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Velmora");
}
