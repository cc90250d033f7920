// Tests of the HTML tree in a real tree view on the test display: smart check on two and three
// levels, read-only, disabled and separator items, expanding and its messages, searching the
// plain labels, mouse hits on check boxes and links, the keyboard, tooltips of cut-off labels,
// labels drawn as HTML, the scroll range of the plain labels, expand buttons like a plain tree
// view's, the life of the item records, and a template tree's check boxes.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Client/Skin/HtmlTestSupport.h"
#include "Client/Skin/XHtmlTree.h"

namespace {

const UINT TreeId = 1032;

class HtmlTreeTest : public ::testing::Test
{
protected:
    void SetUp() override { MakeTree(420, 300, FALSE); }
    void TearDown() override
    {
        m_tree.DestroyWindow();
        m_host.DestroyWindow();
        EXPECT_EQ(m_liveBefore, XHTMLTREEDATA::GetLiveCount()) << "every item record is freed";
    }
    void MakeTree(int width, int height, BOOL toolTips, int x = 300, int y = 60)
    {
        InitCommonControls();
        m_liveBefore = XHTMLTREEDATA::GetLiveCount();
        ASSERT_TRUE(m_host.CreateHost(x, y, width, height));
        CRect rc(0, 0, width, height);
        ASSERT_TRUE(m_tree.Create(WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                      TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                  rc, &m_host, TreeId));
        m_tree.Initialize(TRUE, toolTips);
        m_tree.SetSmartCheck(TRUE);
        m_tree.GetLinkObject().SetLaunchFunctions(RecordShellExecute, RecordWinExec);
        Launches().Clear();
    }
    // The check states of items as digits (1 unchecked, 2 checked, 3 partly checked), checking
    // on the way that every state image shows its state.
    std::string States(std::initializer_list<HTREEITEM> items)
    {
        std::string s;
        for (HTREEITEM item : items) {
            int state = m_tree.GetCheckState(item);
            s += char('0' + state);
            XHTMLTREEDATA* d = m_tree.GetItemDataStruct(item);
            int image = state + (d && !d->bEnabled ? CheckBoxDisabledOffset : 0) +
                        (item == m_tree.GetHotCheckItem() ? CheckBoxHotOffset : 0);
            EXPECT_EQ(image, m_tree.GetItemStateImage(item)) << "state image of " << s.size();
            EXPECT_EQ(state == CheckBoxChecked, m_tree.GetCheck(item) != FALSE);
        }
        return s;
    }
    void Paint()
    {
        m_tree.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpMessages(20);
    }
    // The middle of item's check box (the state image just left of the label).
    CPoint CheckBoxPoint(HTREEITEM item)
    {
        CRect rc;
        m_tree.GetItemRect(item, &rc, TRUE);
        CPoint p(rc.left - CheckBoxImageSize / 2, (rc.top + rc.bottom) / 2);
        UINT flags = 0;
        EXPECT_TRUE(m_tree.HitTest(p, &flags) == item);
        EXPECT_TRUE(flags & TVHT_ONITEMSTATEICON);
        return p;
    }
    void Click(CPoint p)
    {
        // The tree view follows a pressed button until it is released: the release waits first.
        m_tree.PostMessage(WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        m_tree.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        PumpMessages(0);
    }
    void Key(UINT message, WPARAM key)
    {
        m_tree.PostMessage(message, key, 1);
        PumpMessages(0);
    }

    HtmlHostWnd m_host;
    CXHtmlTree m_tree;
    LONG m_liveBefore = 0;
};

struct CheckStep {
    int item;          // index into the test's items
    BOOL check;
    const char* states;
};

TEST_F(HtmlTreeTest, SmartCheckKeepsAParentInStepWithItsChildren)
{
    HTREEITEM p = m_tree.InsertItem("<b>Parent</b>");
    HTREEITEM a = m_tree.InsertItem("A", p), b = m_tree.InsertItem("B", p), c = m_tree.InsertItem("C", p);
    HTREEITEM items[] = {p, a, b, c};
    EXPECT_EQ("1111", States({p, a, b, c}));
    const CheckStep steps[] = {
        {1, TRUE, "3211"},  {2, TRUE, "3221"},  {3, TRUE, "2222"},  {2, FALSE, "3212"},
        {0, FALSE, "1111"}, {0, TRUE, "2222"},  {1, FALSE, "3122"}, {0, TRUE, "2222"},
        {1, FALSE, "3122"}, {2, FALSE, "3112"}, {3, FALSE, "1111"}, {3, FALSE, "1111"},
    };
    for (const CheckStep& step : steps) {
        SCOPED_TRACE(std::to_string(step.item) + (step.check ? " on" : " off"));
        size_t before = m_host.received.size();
        EXPECT_TRUE(m_tree.SetCheck(items[step.item], step.check));
        EXPECT_EQ(step.states, States({p, a, b, c}));
        ASSERT_EQ(before + 1, m_host.received.size()) << "one message per change";
        const HtmlHostWnd::Received& r = m_host.received.back();
        EXPECT_EQ(WM_XHTMLTREE_CHECKBOX_CLICKED, r.message);
        EXPECT_TRUE(r.hCtrl == m_tree.m_hWnd);
        EXPECT_EQ(TreeId, r.nCtrlId);
        EXPECT_TRUE(r.hItem == items[step.item]);
        EXPECT_EQ(LPARAM(m_tree.GetCheck(items[step.item])), r.lParam);
    }
    // A new child of a checked parent is unchecked: the parent is no longer all checked.
    m_tree.SetCheck(p, TRUE);
    HTREEITEM d = m_tree.InsertItem("D", p);
    EXPECT_EQ("32221", States({p, a, b, c, d}));
    m_tree.DeleteItem(d);
    EXPECT_EQ("2222", States({p, a, b, c}));
}

TEST_F(HtmlTreeTest, SmartCheckHoldsOnThreeLevels)
{
    HTREEITEM g = m_tree.InsertItem("Group");
    HTREEITEM c1 = m_tree.InsertItem("Category 1", g), c2 = m_tree.InsertItem("Category 2", g);
    HTREEITEM f1 = m_tree.InsertItem("f1", c1), f2 = m_tree.InsertItem("f2", c1);
    HTREEITEM f3 = m_tree.InsertItem("f3", c2);
    HTREEITEM items[] = {g, c1, f1, f2, c2, f3};
    // States in the order group, category 1, f1, f2, category 2, f3.
    const CheckStep steps[] = {
        {2, TRUE, "332111"},  {3, TRUE, "322211"},  {5, TRUE, "222222"}, {0, FALSE, "111111"},
        {4, TRUE, "311122"},  {0, TRUE, "222222"},  {2, FALSE, "331222"}, {1, TRUE, "222222"},
        {1, FALSE, "311122"}, {5, FALSE, "111111"}, {2, TRUE, "332111"}, {0, TRUE, "222222"},
    };
    for (const CheckStep& step : steps) {
        SCOPED_TRACE(std::to_string(step.item) + (step.check ? " on" : " off"));
        m_tree.SetCheck(items[step.item], step.check);
        EXPECT_EQ(step.states, States({g, c1, f1, f2, c2, f3}));
    }
    // The counts behind the states are the direct children's.
    XHTMLTREEDATA* group = m_tree.GetItemDataStruct(g);
    EXPECT_EQ(2, group->nChildren);
    EXPECT_EQ(2, group->nCheckedChildren);

    // Switching smart check off shows every item's own check; on again, the children's.
    m_tree.SetSmartCheck(FALSE);
    m_tree.SetCheck(f1, FALSE);
    EXPECT_EQ("221222", States({g, c1, f1, f2, c2, f3}));
    m_tree.SetSmartCheck(TRUE);
    EXPECT_EQ("331222", States({g, c1, f1, f2, c2, f3}));
}

TEST_F(HtmlTreeTest, ReadOnlyDisabledAndSeparatorItems)
{
    HTREEITEM p = m_tree.InsertItem("Parent");
    HTREEITEM ro = m_tree.InsertItem("read-only", p), off = m_tree.InsertItem("disabled", p);
    HTREEITEM sep = m_tree.InsertItem("----", p);
    ASSERT_TRUE(m_tree.SetItemValue(ro, XHtmlTreeReadOnly, 1));
    ASSERT_TRUE(m_tree.SetItemValue(off, XHtmlTreeEnabled, 0));
    ASSERT_TRUE(m_tree.SetItemValue(sep, XHtmlTreeSeparator, 1));
    EXPECT_EQ(0, m_tree.GetItemStateImage(sep)) << "a separator has no check box";
    EXPECT_EQ(CheckBoxUnchecked + CheckBoxDisabledOffset, m_tree.GetItemStateImage(off));

    // A read-only item changes nothing and tells nobody.
    size_t before = m_host.received.size();
    EXPECT_FALSE(m_tree.SetCheck(ro, TRUE));
    EXPECT_EQ("111", States({p, ro, off}));
    EXPECT_EQ(before, m_host.received.size());
    EXPECT_FALSE(m_tree.SetItemText(ro, "changed"));
    EXPECT_STREQ("read-only", m_tree.GetItemText(ro).GetString());
    EXPECT_FALSE(m_tree.SetCheck(sep, TRUE));

    // Checking the parent: the disabled item follows, the read-only one keeps its check, so
    // the parent is partly checked.
    m_tree.SetCheck(p, TRUE);
    EXPECT_EQ("312", States({p, ro, off}));
    // Space on it: checking would change nothing more, so it clears what it can, and checks it
    // again the next time.
    m_tree.SetFocus();
    m_tree.SelectItem(p);
    Key(WM_CHAR, ' ');
    EXPECT_EQ("111", States({p, ro, off}));
    Key(WM_CHAR, ' ');
    EXPECT_EQ("312", States({p, ro, off}));
    m_tree.SetItemValue(ro, XHtmlTreeReadOnly, 0);
    m_tree.SetCheck(ro, TRUE);
    EXPECT_EQ("222", States({p, ro, off})) << "the separator is not counted";
    XHTMLTREEDATA* parent = m_tree.GetItemDataStruct(p);
    EXPECT_EQ(3, parent->nChildren);
    EXPECT_EQ(1, parent->nSeparators);
    EXPECT_EQ(2, parent->nCheckedChildren);

    // Without check boxes nothing is checked.
    m_tree.Initialize(FALSE, FALSE);
    HTREEITEM plain = m_tree.InsertItem("plain");
    EXPECT_FALSE(m_tree.SetCheck(plain, TRUE));
    EXPECT_FALSE(m_tree.GetCheck(plain));
    EXPECT_EQ(0, m_tree.GetItemStateImage(plain));
}

TEST_F(HtmlTreeTest, ExpandKeepsItsFlagAndTellsTheParent)
{
    HTREEITEM p = m_tree.InsertItem("Parent");
    HTREEITEM leaf = m_tree.InsertItem("leaf", p);
    XHTMLTREEDATA* d = m_tree.GetItemDataStruct(p);
    m_tree.Expand(p, TVE_TOGGLE);
    EXPECT_TRUE(d->bExpanded);
    EXPECT_TRUE(m_tree.GetItemState(p, TVIS_EXPANDED) & TVIS_EXPANDED);
    m_tree.Expand(p, TVE_TOGGLE);
    EXPECT_FALSE(d->bExpanded);
    EXPECT_TRUE(d->bEverExpanded);
    EXPECT_FALSE(m_tree.GetItemState(p, TVIS_EXPANDED) & TVIS_EXPANDED);
    ASSERT_EQ(2, m_host.Count(WM_XHTMLTREE_ITEM_EXPANDED));
    EXPECT_EQ(1, m_host.received[0].lParam);
    EXPECT_EQ(0, m_host.received[1].lParam);
    EXPECT_TRUE(m_host.received[1].hItem == p);

    m_tree.Expand(leaf, TVE_EXPAND);
    m_tree.Expand(p, TVE_COLLAPSE);   // no change
    EXPECT_EQ(2, m_host.Count(WM_XHTMLTREE_ITEM_EXPANDED)) << "nothing for a leaf or no change";
    m_tree.Expand(p, TVE_EXPAND);
    EXPECT_EQ(3, m_host.Count(WM_XHTMLTREE_ITEM_EXPANDED));
}

TEST_F(HtmlTreeTest, FindItemSearchesThePlainLabelsOfVisibleItems)
{
    HTREEITEM i1 = m_tree.InsertItem("foo_bar"), i2 = m_tree.InsertItem("foobar");
    HTREEITEM i3 = m_tree.InsertItem("<b>foo</b> x"), i4 = m_tree.InsertItem("foo bar");
    HTREEITEM child = m_tree.InsertItem("hidden child", i4);
    const struct {
        const char* text;
        BOOL matchCase, down, wholeWord;
        HTREEITEM stop, start, found;
    } cases[] = {
        {"foo", FALSE, TRUE, TRUE, NULL, i1, i3},     // "foo_bar" and "foobar" are no whole word
        {"foo", FALSE, TRUE, TRUE, NULL, i3, i4},
        {"foo", FALSE, TRUE, TRUE, NULL, i4, i3},     // wraps at the end
        {"foo", FALSE, FALSE, TRUE, NULL, i4, i3},    // upwards
        {"foo", FALSE, FALSE, TRUE, NULL, i3, i4},    // upwards, wrapping at the top
        {"FOO", TRUE, TRUE, TRUE, NULL, i1, NULL},
        {"FOO", FALSE, TRUE, TRUE, NULL, i1, i3},
        {"bar", FALSE, TRUE, FALSE, NULL, i1, i2},
        {"bar", FALSE, TRUE, TRUE, NULL, i1, i4},
        {"foo", FALSE, TRUE, TRUE, i3, i1, NULL},     // the stop item comes first
        {"b", TRUE, TRUE, FALSE, NULL, i2, i4},       // the tags are not searched
        {"foo x", FALSE, TRUE, TRUE, NULL, NULL, i3},
        {"child", FALSE, TRUE, FALSE, NULL, i1, NULL}, // not visible
        {"", FALSE, TRUE, FALSE, NULL, i1, NULL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(m_tree.FindItem(c.text, c.matchCase, c.down, c.wholeWord, c.stop, c.start) == c.found);
    }
    m_tree.Expand(i4, TVE_EXPAND);
    EXPECT_TRUE(m_tree.FindItem("child", FALSE, TRUE, TRUE, NULL, i1) == child);
    // The only match is the start itself: the walk comes back to it and stops.
    EXPECT_TRUE(m_tree.FindItem("x", FALSE, TRUE, TRUE, NULL, i3) == NULL);
}

// A tree whose filter turns one item down.
class FilteredTree : public CXHtmlTree
{
public:
    HTREEITEM refused = NULL;
    BOOL AcceptFoundItem(HTREEITEM item) override { return item != refused; }
};

TEST(HtmlTreeFilter, FindItemAsksTheFilter)
{
    HtmlHostWnd host;
    ASSERT_TRUE(host.CreateHost(300, 60, 300, 200));
    FilteredTree tree;
    ASSERT_TRUE(tree.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), &host, TreeId));
    tree.Initialize(FALSE, FALSE);
    HTREEITEM a = tree.InsertItem("start"), b = tree.InsertItem("word"), c = tree.InsertItem("word");
    tree.refused = b;
    EXPECT_TRUE(tree.FindItem("word", TRUE, TRUE, TRUE, NULL, a) == c);
    tree.DestroyWindow();
    host.DestroyWindow();
}

TEST_F(HtmlTreeTest, MouseTogglesCheckBoxesAndOpensLinks)
{
    HTREEITEM p = m_tree.InsertItem("Parent");
    HTREEITEM a = m_tree.InsertItem("<a href=\"http://example.invalid/a\">open</a> this", p);
    HTREEITEM off = m_tree.InsertItem("disabled", p);
    m_tree.SetItemValue(off, XHtmlTreeEnabled, 0);
    m_tree.Expand(p, TVE_EXPAND);
    Paint();

    Click(CheckBoxPoint(a));
    EXPECT_EQ("321", States({p, a, off}));
    EXPECT_TRUE(m_tree.GetCheck(a));
    EXPECT_TRUE(m_tree.GetSelectedItem() == a) << "the selection follows the check";
    EXPECT_TRUE(m_tree.GetHotCheckItem() == a);
    EXPECT_EQ(CheckBoxChecked + CheckBoxHotOffset, m_tree.GetItemStateImage(a));
    EXPECT_EQ(1, m_host.Count(WM_XHTMLTREE_CHECKBOX_CLICKED));

    // Hot tracking moves with the mouse; a disabled box is hot but does not toggle.
    CPoint offBox = CheckBoxPoint(off);
    m_tree.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(offBox.x, offBox.y));
    EXPECT_TRUE(m_tree.GetHotCheckItem() == off);
    EXPECT_EQ(CheckBoxChecked, m_tree.GetItemStateImage(a));
    EXPECT_EQ(CheckBoxUnchecked + CheckBoxDisabledOffset + CheckBoxHotOffset, m_tree.GetItemStateImage(off));
    Click(offBox);
    EXPECT_FALSE(m_tree.GetCheck(off));
    // The parent's box checks everything, the disabled item too.
    Click(CheckBoxPoint(p));
    EXPECT_EQ("222", States({p, a, off}));
    // A read-only tree ignores clicks.
    m_tree.SetReadOnly(TRUE);
    Click(CheckBoxPoint(a));
    EXPECT_TRUE(m_tree.GetCheck(a));
    m_tree.SetReadOnly(FALSE);
    EXPECT_EQ(2, m_host.Count(WM_XHTMLTREE_CHECKBOX_CLICKED));

    // The link: hot under the mouse, opened by the shell with the item.
    XHTMLTREEDATA* d = m_tree.GetItemDataStruct(a);
    ASSERT_TRUE(d->bHasAnchor);
    EXPECT_STREQ("http://example.invalid/a", d->strUrl.GetString());
    CRect row;
    m_tree.GetItemRect(a, &row, FALSE);
    CPoint onLink((d->ds.nAnchorStart + d->ds.nAnchorEnd) / 2, (row.top + row.bottom) / 2);
    m_tree.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(onLink.x, onLink.y));
    EXPECT_TRUE(m_tree.GetHotLinkItem() == a);
    EXPECT_TRUE(m_tree.GetHotCheckItem() == NULL);
    Click(onLink);
    ASSERT_EQ(1u, Launches().shellFiles.size());
    EXPECT_EQ("http://example.invalid/a", Launches().shellFiles[0]);
    EXPECT_EQ("open", Launches().shellVerbs[0]);
    EXPECT_EQ(SW_SHOW, Launches().shellShows[0]);
    // Past the link the label is no link.
    CPoint pastLink(d->ds.nAnchorEnd + 6, onLink.y);
    m_tree.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(pastLink.x, pastLink.y));
    EXPECT_TRUE(m_tree.GetHotLinkItem() == NULL);
    Click(pastLink);
    EXPECT_EQ(1u, Launches().shellFiles.size());

    // Timer 1 clears a hot box once the mouse is elsewhere.
    m_tree.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(offBox.x, offBox.y));
    ASSERT_TRUE(m_tree.GetHotCheckItem() == off);
    SetCursorPos(5, 1000);
    PumpMessages(400);
    EXPECT_TRUE(m_tree.GetHotCheckItem() == NULL);
    EXPECT_EQ(CheckBoxChecked + CheckBoxDisabledOffset, m_tree.GetItemStateImage(off));
}

TEST_F(HtmlTreeTest, KeyboardTogglesSkipsItemsWithoutRecordsAndExpands)
{
    HTREEITEM r1 = m_tree.InsertItem("Root 1");
    HTREEITEM c1 = m_tree.InsertItem("c1", r1), c2 = m_tree.InsertItem("c2", r1);
    HTREEITEM g1 = m_tree.InsertItem("g1", c2);
    // An item made past the class has no record: the arrows pass over it.
    HTREEITEM bare = m_tree.CTreeCtrl::InsertItem("bare", TVI_ROOT, TVI_LAST);
    HTREEITEM r2 = m_tree.InsertItem("Root 2");
    ASSERT_TRUE(bare != NULL);
    m_tree.SetFocus();
    m_tree.SelectItem(r1);

    Key(WM_CHAR, ' ');
    EXPECT_EQ("2222", States({r1, c1, c2, g1}));
    Key(WM_KEYDOWN, VK_RIGHT);
    EXPECT_TRUE(m_tree.GetItemState(r1, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(1, m_host.Count(WM_XHTMLTREE_ITEM_EXPANDED));
    Key(WM_KEYDOWN, VK_DOWN);
    EXPECT_TRUE(m_tree.GetSelectedItem() == c1);
    Key(WM_CHAR, ' ');
    EXPECT_EQ("3122", States({r1, c1, c2, g1}));
    Key(WM_KEYDOWN, VK_DOWN);
    Key(WM_KEYDOWN, VK_DOWN);
    EXPECT_TRUE(m_tree.GetSelectedItem() == r2) << "past the item without a record";
    Key(WM_KEYDOWN, VK_UP);
    EXPECT_TRUE(m_tree.GetSelectedItem() == c2);

    Key(WM_KEYDOWN, VK_ADD);
    EXPECT_TRUE(m_tree.GetItemState(c2, TVIS_EXPANDED) & TVIS_EXPANDED);
    Key(WM_KEYDOWN, VK_LEFT);
    EXPECT_FALSE(m_tree.GetItemState(c2, TVIS_EXPANDED) & TVIS_EXPANDED);
    m_tree.SelectItem(r1);
    Key(WM_KEYDOWN, VK_SUBTRACT);
    EXPECT_FALSE(m_tree.GetItemState(r1, TVIS_EXPANDED) & TVIS_EXPANDED);
    Key(WM_KEYDOWN, VK_MULTIPLY);
    EXPECT_TRUE(m_tree.GetItemState(r1, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_TRUE(m_tree.GetItemState(c2, TVIS_EXPANDED) & TVIS_EXPANDED) << "everything below";
    EXPECT_TRUE(m_tree.GetItemDataStruct(c2)->bExpanded);

    // Space passes over a disabled item and over a read-only tree.
    m_tree.SetItemValue(r2, XHtmlTreeEnabled, 0);
    m_tree.SelectItem(r2);
    Key(WM_CHAR, ' ');
    EXPECT_FALSE(m_tree.GetCheck(r2));
    m_tree.SelectItem(c1);
    m_tree.SetReadOnly(TRUE);
    Key(WM_CHAR, ' ');
    EXPECT_FALSE(m_tree.GetCheck(c1));
}

TEST_F(HtmlTreeTest, LabelsAreDrawnAsHtml)
{
    HTREEITEM p = m_tree.InsertItem("<b>Windows System</b>");
    HTREEITEM file = m_tree.InsertItem(
        "<font size=\"+1\">file.tmp </font><font size=\"+1\" color=\"#2ab034\">(1.46 KB)</font>", p);
    HTREEITEM grey = m_tree.InsertItem("<font color=\"#2ab034\">read-only</font>", p);
    m_tree.SetItemValue(grey, XHtmlTreeReadOnly, 1);
    m_tree.Expand(p, TVE_EXPAND);
    m_tree.SelectItem(p);
    m_tree.SetFocus();
    Paint();

    CRect client;
    m_tree.GetClientRect(&client);
    DibCanvas canvas(client.Width(), client.Height());
    ASSERT_TRUE(CaptureClient(m_tree.m_hWnd, canvas, client.Width(), client.Height()));
    canvas.SaveBmp("html-tree-labels.bmp");

    LOGFONTA lf = {};
    GetObjectA(HGDIOBJ(m_tree.SendMessage(WM_GETFONT)), sizeof lf, &lf);
    auto extent = [&](const char* text, int heightChange, int weight) {
        LOGFONTA f = lf;
        f.lfHeight -= heightChange;
        f.lfWeight = weight;
        HDC dc = GetDC(m_tree.m_hWnd);
        int width = TextWidth(dc, text, f);
        ReleaseDC(m_tree.m_hWnd, dc);
        return width;
    };

    // The file's label: green size text, as wide as its plain text in the larger font, and
    // nothing of the raw text beyond it.
    CRect text, row;
    m_tree.GetItemRect(file, &text, TRUE);
    m_tree.GetItemRect(file, &row, FALSE);
    XHTMLTREEDATA* d = m_tree.GetItemDataStruct(file);
    EXPECT_EQ(text.left + 2 + extent("file.tmp (1.46 KB)", 1, FW_NORMAL), d->ds.nRightX);
    CRect label(text.left, row.top, d->ds.nRightX, row.bottom);
    EXPECT_GT(CountNear(canvas, label, 0x2AB034, 12), 10);
    CRect beyond(d->ds.nRightX + 2, row.top, client.right, row.bottom);
    DWORD window = ToRgb(GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(beyond.Width() * beyond.Height(), CountNear(canvas, beyond, window, 0));

    // The selected group: bold text on the selection colour.
    m_tree.GetItemRect(p, &text, TRUE);
    m_tree.GetItemRect(p, &row, FALSE);
    XHTMLTREEDATA* g = m_tree.GetItemDataStruct(p);
    EXPECT_EQ(text.left + 2 + extent("Windows System", 0, FW_BOLD), g->ds.nRightX);
    CRect selected(text.left, row.top, g->ds.nRightX, row.bottom);
    EXPECT_GT(CountNear(canvas, selected, ToRgb(GetSysColor(COLOR_HIGHLIGHT)), 0), selected.Width() * 4);
    EXPECT_GT(CountNear(canvas, selected, ToRgb(GetSysColor(COLOR_HIGHLIGHTTEXT)), 30), 10);

    // The read-only item: plain text in the grey of disabled text.
    m_tree.GetItemRect(grey, &text, TRUE);
    m_tree.GetItemRect(grey, &row, FALSE);
    XHTMLTREEDATA* r = m_tree.GetItemDataStruct(grey);
    EXPECT_EQ(text.left + 2 + extent("read-only", 0, FW_NORMAL), r->ds.nRightX);
    CRect greyLabel(text.left, row.top, r->ds.nRightX, row.bottom);
    EXPECT_EQ(0, CountNear(canvas, greyLabel, 0x2AB034, 30));
    EXPECT_GT(CountNear(canvas, greyLabel, ToRgb(GetSysColor(COLOR_GRAYTEXT)), 12), 5);

    // Stripping tags draws the plain text; with neither option the raw text shows.
    m_tree.SetHtml(FALSE);
    m_tree.SetStripTags(TRUE);
    Paint();
    EXPECT_EQ(text.left + 2 + extent("file.tmp (1.46 KB)", 0, FW_NORMAL), d->ds.nRightX);
    m_tree.SetStripTags(FALSE);
    Paint();
    EXPECT_GT(d->ds.nRightX, text.left + 2 + extent("<font size=\"+1\">file.tmp </font>", 0, FW_NORMAL));
}

// The tree view holds the plain labels: its horizontal scroll range is that of the text drawn,
// not of the tags around it; the class gives the labels back as they were given.
TEST_F(HtmlTreeTest, HorizontalScrollFollowsTheDrawnTextNotTheTags)
{
    std::string tagged;
    for (int i = 0; i < 30; ++i)
        tagged += "<font size=\"+1\" color=\"#2ab034\">x</font>";
    HTREEITEM item = m_tree.InsertItem(tagged.c_str());
    HTREEITEM child = m_tree.InsertItem("a &amp; b", item);
    m_tree.Expand(item, TVE_EXPAND);
    Paint();
    EXPECT_FALSE(m_tree.GetStyle() & WS_HSCROLL);
    EXPECT_EQ(tagged, m_tree.GetItemText(item).GetString());
    EXPECT_EQ(std::string(30, 'x'), m_tree.CTreeCtrl::GetItemText(item).GetString());
    EXPECT_STREQ("a &amp; b", m_tree.GetItemText(child).GetString());
    EXPECT_STREQ("a & b", m_tree.CTreeCtrl::GetItemText(child).GetString());

    // A label whose text is wider than the tree can be scrolled to.
    const std::string wide = "<b>" + std::string(150, 'w') + "</b>";
    ASSERT_TRUE(m_tree.SetItemText(item, wide.c_str()));
    Paint();
    EXPECT_TRUE(m_tree.GetStyle() & WS_HSCROLL);
    EXPECT_EQ(wide, m_tree.GetItemText(item).GetString());
    ASSERT_TRUE(m_tree.SetItemText(item, tagged.c_str()));
    Paint();
    EXPECT_FALSE(m_tree.GetStyle() & WS_HSCROLL);
    EXPECT_TRUE(m_tree.FindItem("a & b", TRUE, TRUE, FALSE, NULL, NULL) == child);
}

// The expand buttons are the tree view's own: the check boxes drawn from the button theme leave
// the tree its theme (with the button's, a tree draws its buttons as radio buttons). Compared,
// pixel for pixel, with a plain tree view of the same styles and metrics.
TEST_F(HtmlTreeTest, ExpandButtonsAreThoseOfAPlainTreeView)
{
    HTREEITEM parent = m_tree.InsertItem("<b>Parent</b>");
    m_tree.InsertItem("child", parent);

    HtmlHostWnd plainHost;
    ASSERT_TRUE(plainHost.CreateHost(300, 400, 420, 120));
    HWND plain = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES |
                                     TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                 0, 0, 420, 120, plainHost.m_hWnd, HMENU(UINT_PTR(79)), GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(plain != NULL);
    SendMessageA(plain, TVM_SETITEMHEIGHT, m_tree.SendMessage(TVM_GETITEMHEIGHT), 0);
    SendMessageA(plain, TVM_SETINDENT, m_tree.SendMessage(TVM_GETINDENT), 0);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>("Parent");
    HTREEITEM plainParent = HTREEITEM(SendMessageA(plain, TVM_INSERTITEMA, 0, LPARAM(&insert)));
    insert.hParent = plainParent;
    insert.item.pszText = const_cast<char*>("child");
    SendMessageA(plain, TVM_INSERTITEMA, 0, LPARAM(&insert));

    // Collapsed, then expanded: each look of the button.
    for (int expanded = 0; expanded < 2; ++expanded) {
        SCOPED_TRACE(expanded);
        if (expanded) {
            m_tree.Expand(parent, TVE_EXPAND);
            SendMessageA(plain, TVM_EXPAND, TVE_EXPAND, LPARAM(plainParent));
        }
        Paint();
        RedrawWindow(plain, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpMessages(20);
        CRect row;
        ASSERT_TRUE(m_tree.GetItemRect(parent, &row, FALSE));
        const int indent = int(m_tree.SendMessage(TVM_GETINDENT));
        DibCanvas ours(indent, row.bottom), theirs(indent, row.bottom);
        ASSERT_TRUE(CaptureClient(m_tree.m_hWnd, ours, indent, row.bottom));
        ASSERT_TRUE(CaptureClient(plain, theirs, indent, row.bottom));
        int differ = 0;
        for (int y = row.top; y < row.bottom; ++y)
            for (int x = 0; x < indent; ++x)
                differ += ours.Pixel(x, y) != theirs.Pixel(x, y);
        EXPECT_EQ(0, differ);
    }
    DestroyWindow(plain);
    plainHost.DestroyWindow();
}

TEST_F(HtmlTreeTest, RecordsLiveAsLongAsTheirItems)
{
    LONG base = XHTMLTREEDATA::GetLiveCount();
    HTREEITEM p = m_tree.InsertItem("p");
    HTREEITEM a = m_tree.InsertItem("a", p);
    m_tree.InsertItem("b", a);
    m_tree.InsertItem("c", p);
    EXPECT_EQ(base + 4, XHTMLTREEDATA::GetLiveCount());
    m_tree.DeleteItem(a);
    EXPECT_EQ(base + 2, XHTMLTREEDATA::GetLiveCount());
    EXPECT_EQ(1, m_tree.GetItemDataStruct(p)->nChildren);

    // Children the control removes itself (collapse and reset) take their records along.
    m_tree.SetCheck(p, TRUE);
    m_tree.InsertItem("d", p);
    EXPECT_EQ(CheckBoxMixed, m_tree.GetCheckState(p));
    m_tree.Expand(p, TVE_EXPAND);
    m_tree.Expand(p, TVE_COLLAPSE | TVE_COLLAPSERESET);
    EXPECT_TRUE(m_tree.GetChildItem(p) == NULL);
    EXPECT_EQ(base + 1, XHTMLTREEDATA::GetLiveCount());
    EXPECT_EQ(0, m_tree.GetItemDataStruct(p)->nChildren);
    // A leaf again: its own check, which followed its children (not all checked).
    EXPECT_EQ(CheckBoxUnchecked, m_tree.GetCheckState(p));

    m_tree.InsertItem("e", p);
    m_tree.DeleteAllItems();
    EXPECT_EQ(base, XHTMLTREEDATA::GetLiveCount());
    m_tree.InsertItem("f");
    m_tree.Initialize(TRUE, FALSE);
    EXPECT_EQ(base, XHTMLTREEDATA::GetLiveCount());
    m_tree.InsertItem("g");   // freed with the window (TearDown checks)
}

TEST_F(HtmlTreeTest, TemplateCheckBoxesBecomeTheTreesOwn)
{
    // A tree view made elsewhere (as a dialog template makes it), then bound.
    HWND raw = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_CHECKBOXES, 0, 0, 200, 100,
                               m_host.m_hWnd, HMENU(UINT_PTR(77)), GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(raw != NULL);
    CXHtmlTree bound;
    ASSERT_TRUE(bound.SubclassWindow(raw));
    DWORD style = bound.GetStyle();
    EXPECT_FALSE(style & TVS_CHECKBOXES);
    EXPECT_TRUE(style & TVS_NOTOOLTIPS);
    EXPECT_TRUE(style & TVS_DISABLEDRAGDROP);
    EXPECT_TRUE(bound.GetCheckBoxes());
    EXPECT_TRUE(bound.SendMessage(TVM_GETTOOLTIPS) == 0) << "the control's own tooltips show raw labels";
    HIMAGELIST states = bound.GetImageList(TVSIL_STATE);
    ASSERT_TRUE(states != NULL);
    EXPECT_EQ(int(CheckBoxStateCount), ImageList_GetImageCount(states));
    HTREEITEM item = bound.InsertItem("x");
    EXPECT_TRUE(bound.SetCheck(item, TRUE));
    EXPECT_EQ(CheckBoxChecked, bound.GetItemStateImage(item));
    bound.DestroyWindow();

    // Made by the class: no tooltips of the control; check boxes of the class.
    CXHtmlTree made;
    ASSERT_TRUE(made.Create(WS_CHILD | WS_VISIBLE | TVS_CHECKBOXES, CRect(0, 0, 200, 100), &m_host, 78));
    EXPECT_FALSE(made.GetStyle() & TVS_CHECKBOXES);
    EXPECT_TRUE(made.GetStyle() & TVS_NOTOOLTIPS);
    EXPECT_TRUE(made.GetCheckBoxes());
    EXPECT_TRUE(made.GetImageList(TVSIL_STATE) != NULL);
    made.DestroyWindow();
}

// --- tooltips -----------------------------------------------------------------------------------

class HtmlTreeTipTest : public HtmlTreeTest
{
protected:
    void SetUp() override { MakeTree(160, 200, TRUE, 700, 560); }

    std::string TipText()
    {
        CToolTipCtrl* tip = m_tree.GetToolTipControl();
        char buffer[256] = {};
        TTTOOLINFOA ti = {};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.hwnd = m_tree.m_hWnd;
        ti.uId = 1;
        ti.lpszText = buffer;
        tip->SendMessage(TTM_GETTEXTA, sizeof buffer, LPARAM(&ti));
        return buffer;
    }
    // Puts the mouse on item's label and waits for the tooltip to show (or ms to pass). The
    // tooltip shows once the mouse has rested for a moment: every move starts the wait again.
    bool HoverUntilShown(HTREEITEM item, DWORD ms)
    {
        CRect text;
        m_tree.GetItemRect(item, &text, TRUE);
        CPoint client(text.left + 10, (text.top + text.bottom) / 2);
        CPoint screen = client;
        m_tree.ClientToScreen(&screen);
        HWND tip = m_tree.GetToolTipControl()->m_hWnd;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            // Other programs on the display may move the mouse: put it back when they do.
            SetCursorPos(screen.x, screen.y);
            m_tree.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y));
            for (DWORD rest = GetTickCount(); GetTickCount() - rest < 1500;) {
                PumpMessages(50);
                if (IsWindowVisible(tip))
                    return true;
                POINT now;
                GetCursorPos(&now);
                if (now.x != screen.x || now.y != screen.y)
                    break;
            }
        }
        return false;
    }
};

TEST_F(HtmlTreeTipTest, CutOffLabelsShowTheirPlainTextInATooltip)
{
    const char* longLabel = "<b>A label far too long</b> for this <i>narrow</i> tree";
    HTREEITEM cut = m_tree.InsertItem(longLabel);
    HTREEITEM fits = m_tree.InsertItem("<i>short</i>");
    HTREEITEM own = m_tree.InsertItem("own");
    m_tree.SetItemToolTip(own, "its own tooltip text");
    std::string veryLong(120, 'w');
    HTREEITEM huge = m_tree.InsertItem(("<u>" + veryLong + "</u>").c_str());
    Paint();
    EXPECT_EQ(1, m_host.Count(WM_XHTMLTREE_INIT_TOOLTIP));
    ASSERT_TRUE(m_tree.GetToolTipControl() != NULL);
    EXPECT_EQ(LPARAM(m_tree.GetToolTipControl()->m_hWnd), m_host.received[0].lParam);

    EXPECT_STREQ("A label far too long for this narrow tree", m_tree.GetItemToolTipText(cut).GetString());
    EXPECT_STREQ("", m_tree.GetItemToolTipText(fits).GetString());
    EXPECT_STREQ("its own tooltip text", m_tree.GetItemToolTipText(own).GetString());

    ASSERT_TRUE(HoverUntilShown(cut, 4000)) << "the tooltip shows over a cut-off label";
    EXPECT_EQ("A label far too long for this narrow tree", TipText());
    EXPECT_GE(m_host.Count(WM_XHTMLTREE_DISPLAY_TOOLTIP), 1);
    EXPECT_TRUE(m_host.received.back().hItem == cut);
    EXPECT_FALSE(HoverUntilShown(fits, 1500)) << "none over a label that fits";
    ASSERT_TRUE(HoverUntilShown(own, 4000));
    EXPECT_EQ("its own tooltip text", TipText());

    // Both notification forms, cut to 78 characters.
    ASSERT_TRUE(HoverUntilShown(huge, 4000));
    NMTTDISPINFOA a = {};
    a.hdr.hwndFrom = m_tree.GetToolTipControl()->m_hWnd;
    a.hdr.idFrom = 1;
    a.hdr.code = TTN_NEEDTEXTA;
    m_tree.SendMessage(WM_NOTIFY, 1, LPARAM(&a));
    EXPECT_EQ(veryLong.substr(0, 78), std::string(a.lpszText));
    NMTTDISPINFOW w = {};
    w.hdr = a.hdr;
    w.hdr.code = TTN_NEEDTEXTW;
    m_tree.SendMessage(WM_NOTIFY, 1, LPARAM(&w));
    EXPECT_EQ(std::wstring(78, L'w'), std::wstring(w.lpszText));
}

}  // namespace
