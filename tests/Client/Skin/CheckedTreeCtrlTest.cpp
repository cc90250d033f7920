// Tests of the registry results' check tree in a real tree view: filling, the check states of
// items and categories after every kind of toggle, the ignore queue as the store receives it,
// the context command's message to the parent, and the tool pages' list styles.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Client/Resources/ControlResources.h"
#include "Client/Skin/CheckedTreeCtrl.h"
#include "Client/Skin/ListCtrlToolTip.h"

namespace {

// A found-items store that records the ignore entries handed to it and does nothing else.
class RecordingScanItems : public CAbstractScanItemsInfo {
public:
    struct Call {
        std::string key;
        int category, reserved;
    };
    std::vector<Call> ignored;

    void Clear() override {}
    int AddItem(CString, int, int, int) override { return 0; }
    int HasItems(int) override { return 0; }
    int GetTextValue(const char*) override { return 0; }
    int GetCount(int) override { return 0; }
    int GetCategoryMask() override { return 0; }
    int GetCategoryItems(ScanItemTextList*, int) override { return 0; }
    int MoveFirst() override { return 0; }
    int MoveNext() override { return 0; }
    const char* GetItemText() override { return ""; }
    int GetItemCategory() override { return 0; }
    void AddPendingIgnore(const char* key, int category, int reserved) override
    {
        ignored.push_back({key ? key : "(null)", category, reserved});
    }
    int SetOption(int) override { return 0; }
    int LoadIgnoreList() override { return 0; }
    int AppendIgnoreList() override { return 0; }
    int Reserved16() override { return 0; }
    void GetCategoryRecord(int, ScanCategoryInfo*) override {}
    int IsCurrentExcluded() override { return 0; }
    int GetIgnoreMap(IgnoreEntryMap*) override { return 0; }
    int ReloadIgnoreList() override { return 0; }
    int RewriteIgnoreList(const IgnoreEntryMap*) override { return 0; }
    int WriteScanLog() override { return 0; }
    int IsIgnored(CString, int, ScanCategoryInfo*) override { return 0; }
    int UpdateIgnoreEntry(CString, CString, int, int) override { return 0; }
};

class CheckedTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControls();
        // A window of the framework's own class, so notifications are reflected to the tree.
        ASSERT_TRUE(m_hostWnd.CreateEx(0, NULL, "host", WS_POPUP | WS_VISIBLE, 60, 60, 400, 300,
                                       NULL, NULL));
        m_host = m_hostWnd.m_hWnd;
        RECT rc = {0, 0, 380, 280};
        ASSERT_TRUE(m_tree.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS |
                                      TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                  rc, &m_hostWnd, 1005));
        ASSERT_TRUE(m_tree.InitImageLists());
        m_tree.SetScanItemsInfo(&m_store);
    }
    void TearDown() override
    {
        m_tree.DestroyWindow();
        m_hostWnd.DestroyWindow();
    }

    // "Registry Errors        [3]" with A, B, C; "Fonts [1]" with F.
    void Fill()
    {
        m_errors = m_tree.AddCategory("Registry Errors        [3]", 1);
        m_a = m_tree.AddCategoryItem(0, "Registry Errors", "HKEY_A\\a", 1);
        m_b = m_tree.AddCategoryItem(0, "Registry Errors", "HKEY_A\\b", 1);
        m_c = m_tree.AddCategoryItem(0, "Registry Errors", "HKEY_A\\c", 1);
        m_fonts = m_tree.AddCategory("Fonts [1]", 1);
        m_f = m_tree.AddCategoryItem(0, "Fonts", "C:\\Windows\\Fonts\\gone.ttf", 1);
        ASSERT_TRUE(m_errors && m_a && m_b && m_c && m_fonts && m_f);
    }

    std::string States(HTREEITEM category)
    {
        std::string s = std::to_string(m_tree.GetItemCheck(category)) + ":";
        for (HTREEITEM c = m_tree.GetChildItem(category); c; c = m_tree.GetNextSiblingItem(c))
            s += std::to_string(m_tree.GetItemCheck(c));
        return s;
    }

    CWnd m_hostWnd;
    HWND m_host = NULL;
    CCheckedTreeCtrl m_tree;
    RecordingScanItems m_store;
    HTREEITEM m_errors = NULL, m_a = NULL, m_b = NULL, m_c = NULL, m_fonts = NULL, m_f = NULL;
};

}  // namespace

TEST_F(CheckedTreeTest, FillKeepsCountsAndSkipsDuplicates)
{
    Fill();
    EXPECT_EQ(4, m_tree.GetTotalCount());
    EXPECT_EQ(3, m_tree.GetCategoryCount("Registry Errors"));
    EXPECT_EQ(1, m_tree.GetCategoryCount("Fonts"));
    EXPECT_EQ(-1, m_tree.GetCategoryCount("Registry Errors        [3]"));
    EXPECT_EQ("1:111", States(m_errors));
    EXPECT_EQ(0u, m_tree.GetItemData(m_errors)) << "a fresh category has no checked children";

    // The same text in another case with the same code is the same item; another code is not.
    EXPECT_TRUE(m_tree.AddCategoryItem(0, "Registry Errors", "hkey_a\\A", 1) == NULL);
    HTREEITEM other = m_tree.AddCategoryItem(5, "Registry Errors", "HKEY_A\\a", 1);
    ASSERT_TRUE(other != NULL);
    EXPECT_EQ(5u, m_tree.GetItemData(other));
    // Category names compare exactly; an unknown one adds nothing.
    EXPECT_TRUE(m_tree.AddCategoryItem(0, "registry errors", "HKEY_A\\z", 1) == NULL);
    EXPECT_TRUE(m_tree.AddCategoryItem(0, "Startup", "HKEY_A\\z", 1) == NULL);
    EXPECT_EQ(5, m_tree.GetTotalCount());
    EXPECT_EQ(4, m_tree.GetCategoryCount("Registry Errors"));

    int image = -1, selected = -1;
    ASSERT_TRUE(m_tree.GetItemImage(m_a, image, selected));
    EXPECT_EQ(1, image);
    EXPECT_EQ(1, selected);
    EXPECT_TRUE(m_tree.GetImageList(TVSIL_STATE) != NULL);
    EXPECT_TRUE(m_tree.GetImageList(TVSIL_NORMAL) != NULL);

    EXPECT_EQ(CString("Registry Errors"), CCheckedTreeCtrl::GetCategoryName("Registry Errors [12]"));
    EXPECT_EQ(CString("Fonts"), CCheckedTreeCtrl::GetCategoryName("  Fonts  "));
    EXPECT_TRUE(m_tree.FindItemByText(NULL, "Fonts") == m_fonts);
    EXPECT_TRUE(m_tree.FindItemByText(NULL, "HKEY_A\\c") == m_c);
    EXPECT_TRUE(m_tree.FindItemByText(m_fonts, "HKEY_A") == NULL);
    EXPECT_TRUE(m_tree.FindItemByText(NULL, "Nothing") == NULL);
}

// Each step toggles one item; the expected string is "category:children" (1 unchecked,
// 2 checked, 3 partly checked).
TEST_F(CheckedTreeTest, ToggleTablesKeepCategoriesInStepWithTheirItems)
{
    struct Step {
        const char* toggle;
        const char* errors;
        const char* fonts;
    };
    const struct {
        const char* name;
        bool checkAllFirst;
        std::vector<Step> steps;
    } tables[] = {
        {"items of a fresh fill", false,
         {{"a", "3:211", "1:1"}, {"b", "3:221", "1:1"}, {"c", "2:222", "1:1"},
          {"b", "3:212", "1:1"}, {"a", "3:112", "1:1"}, {"c", "1:111", "1:1"},
          {"f", "1:111", "2:2"}, {"f", "1:111", "1:1"}}},
        {"categories", false,
         {{"errors", "2:222", "1:1"}, {"b", "3:212", "1:1"}, {"b", "2:222", "1:1"},
          {"errors", "1:111", "1:1"}, {"fonts", "1:111", "2:2"}, {"f", "1:111", "1:1"},
          {"c", "3:112", "1:1"}, {"errors", "1:111", "1:1"}, {"errors", "2:222", "1:1"}}},
        {"after every category was checked", true,
         {{"a", "3:122", "2:2"}, {"b", "3:112", "2:2"}, {"c", "1:111", "2:2"},
          {"a", "3:211", "2:2"}, {"b", "3:221", "2:2"}, {"c", "2:222", "2:2"},
          {"f", "2:222", "1:1"}}},
    };
    for (const auto& table : tables) {
        SCOPED_TRACE(table.name);
        m_tree.DeleteAllItems();
        m_tree.ResetCounts();
        Fill();
        if (table.checkAllFirst) {
            m_tree.ToggleCheck(m_tree.FindItemByText(NULL, "Registry Errors"));
            m_tree.ToggleCheck(m_tree.FindItemByText(NULL, "Fonts"));
            ASSERT_EQ("2:222", States(m_errors));
            ASSERT_EQ("2:2", States(m_fonts));
        }
        for (const Step& step : table.steps) {
            SCOPED_TRACE(step.toggle);
            std::string t = step.toggle;
            HTREEITEM item = t == "a" ? m_a : t == "b" ? m_b : t == "c" ? m_c : t == "f" ? m_f
                           : t == "errors" ? m_errors : m_fonts;
            m_tree.ToggleCheck(item);
            EXPECT_EQ(step.errors, States(m_errors));
            EXPECT_EQ(step.fonts, States(m_fonts));
            // A category's data is the number of its checked children.
            EXPECT_EQ(DWORD_PTR(m_tree.CountCheckedChildren(m_errors)), m_tree.GetItemData(m_errors));
            EXPECT_EQ(DWORD_PTR(m_tree.CountCheckedChildren(m_fonts)), m_tree.GetItemData(m_fonts));
        }
    }
}

TEST_F(CheckedTreeTest, UncheckedItemsAreQueuedForIgnoringWithTheirCategory)
{
    Fill();
    m_tree.ToggleCheck(m_a);
    EXPECT_EQ(2, m_tree.QueueUncheckedItems(m_errors));
    ASSERT_EQ(2u, m_store.ignored.size());
    EXPECT_EQ("HKEY_A\\b^Registry Errors", m_store.ignored[0].key);
    EXPECT_EQ("HKEY_A\\c^Registry Errors", m_store.ignored[1].key);
    for (const auto& call : m_store.ignored) {
        EXPECT_EQ(0, call.category);
        EXPECT_EQ(0, call.reserved);
    }

    // A category whose items are all checked, an item without children, nothing at all.
    m_store.ignored.clear();
    m_tree.ToggleCheck(m_fonts);
    EXPECT_EQ(0, m_tree.QueueUncheckedItems(m_fonts));
    EXPECT_EQ(0, m_tree.QueueUncheckedItems(m_b));
    EXPECT_EQ(0, m_tree.QueueUncheckedItems(NULL));
    EXPECT_TRUE(m_store.ignored.empty());
}

// The tree keeps a record of its categories and items for adding and counting without walking
// the tree view: it follows every deletion and a category's new name.
TEST_F(CheckedTreeTest, CategoryRecordFollowsDeletionsAndNewNames)
{
    Fill();
    EXPECT_EQ(3, m_tree.GetChildCount(m_errors));
    EXPECT_EQ(1, m_tree.GetChildCount(m_fonts));

    // A deleted item's text may come again; its twins that stay still keep their twins out.
    ASSERT_TRUE(m_tree.DeleteItem(m_b));
    EXPECT_EQ(2, m_tree.GetChildCount(m_errors));
    HTREEITEM again = m_tree.AddCategoryItem(0, "Registry Errors", "hkey_a\\B", 1);
    ASSERT_TRUE(again != NULL);
    EXPECT_TRUE(m_tree.GetParentItem(again) == m_errors);
    EXPECT_TRUE(m_tree.AddCategoryItem(0, "Registry Errors", "HKEY_A\\A", 1) == NULL);
    EXPECT_EQ(3, m_tree.GetChildCount(m_errors));
    EXPECT_EQ("1:111", States(m_errors));

    // A category is found by the name its text has now.
    ASSERT_TRUE(m_tree.SetItemText(m_fonts, "Windows Fonts        [1 Item(s)]"));
    EXPECT_TRUE(m_tree.AddCategoryItem(0, "Fonts", "C:\\a.ttf", 1) == NULL);
    HTREEITEM font = m_tree.AddCategoryItem(0, "Windows Fonts", "C:\\a.ttf", 1);
    ASSERT_TRUE(font != NULL);
    EXPECT_TRUE(m_tree.GetParentItem(font) == m_fonts);
    EXPECT_EQ(2, m_tree.GetChildCount(m_fonts));

    // Categories are found among the top-level items only.
    EXPECT_TRUE(m_tree.FindCategoryByText("Windows") == m_fonts);
    EXPECT_TRUE(m_tree.FindCategoryByText("Registry Errors") == m_errors);
    EXPECT_TRUE(m_tree.FindCategoryByText("HKEY_A") == NULL);
    EXPECT_TRUE(m_tree.FindItemByText(NULL, "HKEY_A") != NULL);

    // A deleted category takes nothing more; after emptying the tree a new one starts afresh.
    ASSERT_TRUE(m_tree.DeleteItem(m_errors));
    EXPECT_TRUE(m_tree.AddCategoryItem(0, "Registry Errors", "HKEY_A\\z", 1) == NULL);
    m_tree.DeleteAllItems();
    m_tree.ResetCounts();
    HTREEITEM errors = m_tree.AddCategory("Registry Errors        [1]", 1);
    ASSERT_TRUE(errors != NULL);
    EXPECT_TRUE(m_tree.AddCategoryItem(0, "Registry Errors", "HKEY_A\\a", 1) != NULL);
    EXPECT_TRUE(m_tree.AddCategoryItem(0, "Windows Fonts", "C:\\a.ttf", 1) == NULL);
    EXPECT_EQ(1, m_tree.GetChildCount(errors));
    EXPECT_EQ(1, m_tree.GetTotalCount());
}

// A category's tick goes to its items with the tree's drawing held: afterwards the whole tree
// is to be drawn, shown and focused as before; a hidden tree stays hidden. Holds nest.
TEST_F(CheckedTreeTest, TickingACategoryHoldsTheDrawingAndKeepsTheTreeAsItWas)
{
    Fill();
    m_tree.Expand(m_errors, TVE_EXPAND);
    m_tree.SetFocus();
    m_tree.UpdateWindow();
    m_tree.ToggleCheck(m_errors);
    EXPECT_EQ("2:222", States(m_errors));
    EXPECT_TRUE(m_tree.IsWindowVisible());
    EXPECT_TRUE(GetFocus() == m_tree.m_hWnd);
    RECT client, update;
    m_tree.GetClientRect(&client);
    ASSERT_TRUE(GetUpdateRect(m_tree.m_hWnd, &update, FALSE));
    EXPECT_TRUE(EqualRect(&client, &update));

    m_tree.HoldRedraw();
    m_tree.HoldRedraw();
    EXPECT_FALSE(m_tree.IsWindowVisible());
    m_tree.ToggleCheck(m_fonts);
    EXPECT_EQ("2:2", States(m_fonts));
    m_tree.ReleaseRedraw();
    EXPECT_FALSE(m_tree.IsWindowVisible());
    m_tree.ReleaseRedraw();
    EXPECT_TRUE(m_tree.IsWindowVisible());

    m_tree.ShowWindow(SW_HIDE);
    m_tree.ToggleCheck(m_errors);
    EXPECT_EQ("1:111", States(m_errors));
    EXPECT_FALSE(m_tree.GetStyle() & WS_VISIBLE);
}

TEST_F(CheckedTreeTest, SpaceAndStateIconClicksToggle)
{
    Fill();
    m_tree.SelectItem(m_b);
    m_tree.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ("3:121", States(m_errors));

    m_tree.Expand(m_errors, TVE_EXPAND);
    RECT rc;
    ASSERT_TRUE(m_tree.GetItemRect(m_c, &rc, TRUE));
    // The state icon sits just left of the label (13 pixels wide, before the 18-pixel image).
    POINT icon = {rc.left - 18 - 6, (rc.top + rc.bottom) / 2};
    UINT flags = 0;
    ASSERT_TRUE(m_tree.HitTest(icon, &flags) == m_c);
    ASSERT_TRUE(flags & TVHT_ONITEMSTATEICON);
    // The tree tracks a pressed button until it is released: the release waits in the queue.
    m_tree.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(icon.x, icon.y));
    m_tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(icon.x, icon.y));
    EXPECT_EQ("3:122", States(m_errors));
    // A click on the label only selects.
    POINT label = {rc.left + 4, (rc.top + rc.bottom) / 2};
    m_tree.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(label.x, label.y));
    m_tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(label.x, label.y));
    EXPECT_EQ("3:122", States(m_errors));
}

TEST_F(CheckedTreeTest, IgnoreCommandPostsTheConfiguredMessageToTheParent)
{
    Fill();
    MSG msg;
    while (PeekMessageA(&msg, m_host, 0x87F, 0x87F, PM_REMOVE)) {}

    m_tree.SendMessage(WM_COMMAND, ID_TREE_IGNORE, 0);
    EXPECT_FALSE(PeekMessageA(&msg, m_host, 0x87F, 0x87F, PM_REMOVE)) << "no menu set: nothing posted";

    m_tree.SetContextMenu(IDR_TREE_MENU, 0x87F);
    m_tree.SendMessage(WM_COMMAND, ID_TREE_IGNORE, 0);
    ASSERT_TRUE(PeekMessageA(&msg, m_host, 0x87F, 0x87F, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
    EXPECT_EQ(0, msg.lParam);
    EXPECT_FALSE(PeekMessageA(&msg, m_host, 0x87F, 0x87F, PM_REMOVE)) << "posted once";

    // The menu resource the tree shows: one popup with the one command.
    HMENU menu = LoadMenuA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_TREE_MENU));
    ASSERT_TRUE(menu != NULL);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_TRUE(popup != NULL);
    EXPECT_EQ(1, GetMenuItemCount(popup));
    EXPECT_EQ(UINT(ID_TREE_IGNORE), GetMenuItemID(popup, 0));
    char text[32] = {};
    GetMenuStringA(popup, 0, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ("&Ignore", text);
    DestroyMenu(menu);
}

int g_menusSeen;

// Timer of the menu test: picks the first item of the first popup menu that shows.
void CALLBACK PickFirstMenuItem(HWND, UINT, UINT_PTR, DWORD)
{
    HWND menuWindow = FindWindowA("#32768", NULL);
    if (menuWindow && IsWindowVisible(menuWindow) && g_menusSeen++ == 0) {
        PostMessageA(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    }
}

// A right click on a found item selects it and opens the menu; picking "&Ignore" posts the
// message to the parent. The menu runs its own loop: a timer on this thread picks the item.
TEST_F(CheckedTreeTest, RightClickMenuOnAFoundItemSelectsItAndPostsTheMessage)
{
    Fill();
    m_tree.SetContextMenu(IDR_TREE_MENU, 0x87F);
    m_tree.Expand(m_errors, TVE_EXPAND);
    RECT rc;
    ASSERT_TRUE(m_tree.GetItemRect(m_b, &rc, TRUE));
    POINT client = {rc.left + 5, (rc.top + rc.bottom) / 2};
    POINT screen = client;
    ClientToScreen(m_tree.m_hWnd, &screen);
    SetCursorPos(screen.x, screen.y);
    MSG msg;
    while (PeekMessageA(&msg, m_host, 0x87F, 0x87F, PM_REMOVE)) {}

    g_menusSeen = 0;
    UINT_PTR timer = SetTimer(NULL, 0, 100, PickFirstMenuItem);
    // The tree tracks the button until it is released, then tells its parent.
    m_tree.PostMessage(WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    m_tree.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
    KillTimer(NULL, timer);

    EXPECT_EQ(1, g_menusSeen);
    EXPECT_TRUE(m_tree.GetSelectedItem() == m_b);
    EXPECT_TRUE(m_tree.GetMenuItem() == m_b);
    // The menu posts its command to the tree; the tree then posts the message to its parent.
    bool posted = false;
    for (int i = 0; i < 50 && !posted; ++i) {
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == m_host && msg.message == 0x87F)
                posted = true;
            else
                DispatchMessageA(&msg);
        }
        if (!posted)
            Sleep(10);
    }
    EXPECT_TRUE(posted);
}

TEST(ListCtrlToolTip, SubclassingAddsTheListStyles)
{
    InitCommonControls();
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 300, 200, NULL, NULL,
                                GetModuleHandleA(NULL), NULL);
    HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | LVS_REPORT, 0, 0, 300, 200, host,
                                HMENU(1), GetModuleHandleA(NULL), NULL);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES);
    CListCtrl_ToolTip ctrl;
    ASSERT_TRUE(ctrl.SubclassWindow(list));
    DWORD style = ctrl.GetExtendedStyle();
    const DWORD wanted = LVS_EX_DOUBLEBUFFER | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_LABELTIP;
    EXPECT_EQ(wanted, style & wanted);
    EXPECT_TRUE(style & LVS_EX_CHECKBOXES) << "styles the list had are kept";
    ctrl.DestroyWindow();
    DestroyWindow(host);
}
