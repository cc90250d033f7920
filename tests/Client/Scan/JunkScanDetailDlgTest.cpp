// The junk results page's tree texts, images, check boxes and scroll bar for a table of the
// scan page's calls, and the selection the clean gets from it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Client/Resources/ResultsResources.h"
#include "Client/Scan/JunkScanDetailDlg.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "Scan/ResultsPageSupport.h"

namespace {

class JunkResultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_scanPage.scannedJunkMask = JunkScanDefaultMask;
        m_page.SetScanPage(&m_scanPage);
        ASSERT_TRUE(m_page.Create(IDD_PAGE_JUNK_RESULTS, m_host.Window()));
        m_page.ShowWindow(SW_SHOW);
    }
    void TearDown() override { m_page.DestroyWindow(); }

    std::string Text(HTREEITEM item) { return std::string(m_page.GetTree().GetItemText(item)); }
    int Image(HTREEITEM item)
    {
        int image = -1, selected = -1;
        m_page.GetTree().GetItemImage(item, image, selected);
        return image == selected ? image : -1;
    }

    HostWindow m_host;
    RecordingScanPage m_scanPage;
    CJunkScanDetailDlg m_page;
};

const char* const Blue = "<font size=\"+1\" color=\"#1a66a2\">(";
const char* const Green = "<font size=\"+1\" color=\"#2ab034\">(";

std::string Item(const std::string& name, const std::string& rest)
{
    return "<font size=\"+1\">" + name + " </font>" + rest + ")</font>";
}

TEST_F(JunkResultsTest, SectionsGiveTheExactTextsImagesAndTicks)
{
    CXHtmlTree& tree = m_page.GetTree();
    m_page.AppendItem("C:\\t\\a.tmp", 1000);
    m_page.AppendItem("", 5);              // no text: not shown
    m_page.AppendItem("C:\\t\\zero.tmp", 0);  // nothing found: not shown
    m_page.AppendItem("C:\\t\\b.tmp", 3000);
    const struct {
        DWORD bit;
        ULONGLONG size, count;
        std::string text;
    } sections[] = {
        {JunkTempFiles, 4000, 2, Item("Temporary Files", std::string(Blue) + "2 file(s) were found , a total of 3.91 KB")},
        {JunkExplorerMru, 10, 1, Item("Explorer MRUs", std::string(Blue) + "1 trace is found , a total of 10 bytes")},
        {JunkRunHistory, 1025, 2, Item("Run (in Start Menu)", std::string(Blue) + "2 traces were found , a total of 1.00 KB")},
        {JunkRecycleBin, 1024, 1, Item("Recycle Bin", std::string(Blue) + "1 file(s) were found , a total of 1024 bytes")},
        {JunkSearchAutocomplete, 0, 0, Item("Search Autocomplete", std::string(Green) + "No junk found")},
        {JunkRecentDocuments, 5ull << 30, 3, Item("Recent Documents", std::string(Blue) + "3 file(s) were found , a total of 5.00 GB")},
        {JunkInstallerCache, 0, 0, Item("Installer Cache", std::string(Green) + "No junk found")},
        {JunkIeCookies, 0, 0, Item("IE - Cookies", std::string(Green) + "No junk found")},
        {JunkIeTypedUrls, 0, 0, Item("IE - Typed URLs", std::string(Green) + "No junk found")},
        {JunkIeHistory, 0, 0, Item("IE - Internet History", std::string(Green) + "No junk found")},
        {JunkEdgeCookies, 3 << 20, 1, Item("Edge - Cookies", std::string(Blue) + "1 file(s) were found , a total of 3.00 MB")},
    };
    std::vector<HTREEITEM> items;
    for (const auto& s : sections) {
        m_page.AddSection(s.bit, s.size, s.count);
        // The group's node has its plain name until its last category writes the summary.
        if (s.bit == JunkTempFiles)
            EXPECT_EQ(Text(tree.GetRootItem()), "<font size=\"+1\">Windows System</font>");
        items.push_back(m_page.GetCategoryItem(s.bit));
        ASSERT_NE(items.back(), nullptr) << s.bit;
        EXPECT_EQ(Text(items.back()), s.text);
        EXPECT_EQ(Image(items.back()), 65534);
        // Ticked when the scan ran it.
        EXPECT_EQ(tree.GetCheck(items.back()), (s.bit & JunkScanDefaultMask) != 0) << s.bit;
    }

    // The entries appended before a section hang under it, ticked and disabled.
    HTREEITEM entry = tree.GetChildItem(items[0]);
    std::vector<std::string> entries;
    for (; entry; entry = tree.GetNextSiblingItem(entry)) {
        entries.push_back(Text(entry));
        EXPECT_TRUE(tree.GetCheck(entry));
        ASSERT_NE(tree.GetItemDataStruct(entry), nullptr);
        EXPECT_FALSE(tree.GetItemDataStruct(entry)->bEnabled);
    }
    EXPECT_EQ(entries, (std::vector<std::string>{Item("C:\\t\\a.tmp", std::string(Green) + "1000 bytes"),
                                                 Item("C:\\t\\b.tmp", std::string(Green) + "2.93 KB")}));
    EXPECT_EQ(tree.GetChildItem(items[1]), nullptr);
    EXPECT_TRUE(m_page.GetEntries().empty());

    // The group nodes: summaries after a group's last category (orange, a backslash between the
    // nouns for Windows and Internet Explorer), the plain name until then.
    std::vector<std::string> roots;
    std::vector<int> images;
    for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root)) {
        roots.push_back(Text(root));
        images.push_back(Image(root));
    }
    EXPECT_EQ(roots, (std::vector<std::string>{
                         "<font size=\"+1\">Windows System </font><font size=\"+1\" color=\"#ea7100\">"
                         "(9 file(s)\\trace(s) were found , a total of 5.00 GB)</font>",
                         "<font size=\"+1\">Internet Explorer </font><font size=\"+1\" color=\"#ea7100\">"
                         "(No junk found)</font>",
                         "<font size=\"+1\">Microsoft Edge </font>",
                     }));
    EXPECT_EQ(images, (std::vector<int>{4, 1, 5}));

    // Every row has its check box: a group shows its categories' state (all of Windows System's
    // were scanned, none of the others'), the entries the disabled tick.
    std::vector<int> groupStates;
    for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root)) {
        groupStates.push_back(tree.GetItemStateImage(root));
        tree.Expand(root, TVE_EXPAND);
    }
    EXPECT_EQ(groupStates, (std::vector<int>{CheckBoxChecked, CheckBoxUnchecked, CheckBoxUnchecked}));
    for (HTREEITEM e = tree.GetChildItem(items[0]); e; e = tree.GetNextSiblingItem(e))
        EXPECT_EQ(tree.GetItemStateImage(e), CheckBoxChecked + CheckBoxDisabledOffset);
    // The labels' text fits the tree: no scroll bar for the width of their tags.
    tree.Expand(items[0], TVE_EXPAND);
    tree.UpdateWindow();
    EXPECT_FALSE(tree.GetStyle() & WS_HSCROLL);
}

// A large section goes in over several calls when each has a deadline: the calls before the
// last leave the rest for later, and the tree ends as one AddSection would leave it.
TEST_F(JunkResultsTest, ASectionAddedInStepsEndsAsAddSectionLeavesIt)
{
    CXHtmlTree& tree = m_page.GetTree();
    const int entryCount = 3000;
    CJunkScanDetailDlg::EntryList entries;
    for (int i = 0; i < entryCount; ++i)
        entries.emplace_back(CString(("C:\\t\\f" + std::to_string(i) + ".tmp").c_str()), ULONGLONG(100 + i));
    m_page.AppendItems(entries);
    EXPECT_TRUE(entries.empty());
    m_page.BeginSection(JunkTempFiles, 1000, entryCount);
    HTREEITEM item = m_page.GetCategoryItem(JunkTempFiles);
    ASSERT_NE(item, nullptr);
    int calls = 0;
    // A deadline already past: a few hundred entries a call.
    while (!m_page.AddSectionEntries(GetTickCount() - 1)) {
        ++calls;
        ASSERT_LT(calls, entryCount);
    }
    EXPECT_GT(calls, 1);
    EXPECT_TRUE(m_page.GetEntries().empty());
    m_page.AddSection(JunkExplorerMru, 0, 0);   // the group's next category, in the usual way

    int count = 0;
    for (HTREEITEM e = tree.GetChildItem(item); e; e = tree.GetNextSiblingItem(e), ++count) {
        if (count % 499 == 0 || count == entryCount - 1) {
            const std::string path = "C:\\t\\f" + std::to_string(count) + ".tmp";
            EXPECT_EQ(Text(e), std::string(CJunkScanDetailDlg::EntryText(CString(path.c_str()), 100 + count)));
            EXPECT_TRUE(tree.GetCheck(e));
            EXPECT_EQ(tree.GetItemStateImage(e), CheckBoxChecked + CheckBoxDisabledOffset);
        }
    }
    EXPECT_EQ(count, entryCount);
    EXPECT_TRUE(tree.GetCheck(item));
    EXPECT_EQ(tree.GetItemStateImage(item), CheckBoxChecked);
    EXPECT_EQ(tree.GetNextSiblingItem(item), m_page.GetCategoryItem(JunkExplorerMru));

    // A reset while a section is still going in drops the rest of it.
    m_page.Reset();
    entries.assign(600, std::make_pair(CString("C:\\t\\x.tmp"), ULONGLONG(1)));
    m_page.AppendItems(entries);
    m_page.BeginSection(JunkTempFiles, 600, 600);
    EXPECT_FALSE(m_page.AddSectionEntries(GetTickCount() - 1));
    m_page.Reset();
    EXPECT_TRUE(m_page.AddSectionEntries(GetTickCount() - 1));
    EXPECT_EQ(tree.GetRootItem(), nullptr);
    EXPECT_TRUE(m_page.GetEntries().empty());
}

// Every item of a tree, parents before children: its label and its check-box image.
std::vector<std::pair<std::string, int>> TreeItems(CXHtmlTree& tree, HTREEITEM first)
{
    std::vector<std::pair<std::string, int>> items;
    for (HTREEITEM item = first; item; item = tree.GetNextSiblingItem(item)) {
        items.emplace_back(std::string(tree.GetItemText(item)), tree.GetItemStateImage(item));
        const auto below = TreeItems(tree, tree.GetChildItem(item));
        items.insert(items.end(), below.begin(), below.end());
    }
    return items;
}

// While its category is still being scanned a section takes its entries as they come; given
// its size and count at the end, it leaves the tree AddSection leaves.
TEST_F(JunkResultsTest, ASectionFilledWhileScannedEndsAsAddSectionLeavesIt)
{
    const int entryCount = 1200;
    const DWORD laterCategories[] = {0x2u, 0x4u, 0x8u, 0x10u, 0x20u, 0x200000u};
    auto path = [](int i) { return CString(("C:\\t\\f" + std::to_string(i) + ".tmp").c_str()); };
    ULONGLONG total = 0;
    for (int i = 0; i < entryCount; ++i)
        total += 100 + i;

    CJunkScanDetailDlg added;
    added.SetScanPage(&m_scanPage);
    ASSERT_TRUE(added.Create(IDD_PAGE_JUNK_RESULTS, m_host.Window()));
    for (int i = 0; i < entryCount; ++i)
        added.AppendItem(path(i), 100 + i);
    added.AddSection(JunkTempFiles, total, entryCount);
    for (DWORD bit : laterCategories)
        added.AddSection(bit, 0, 0);

    CXHtmlTree& tree = m_page.GetTree();
    m_page.BeginSection(JunkTempFiles, 0, 0);
    HTREEITEM item = m_page.GetCategoryItem(JunkTempFiles);
    ASSERT_NE(item, nullptr);
    for (int chunk = 0; chunk < 3; ++chunk) {
        CJunkScanDetailDlg::EntryList entries;
        for (int i = chunk * entryCount / 3; i < (chunk + 1) * entryCount / 3; ++i)
            entries.emplace_back(path(i), ULONGLONG(100 + i));
        m_page.AppendItems(entries);
        int calls = 0;
        while (!m_page.InsertAppendedEntries(GetTickCount() - 1))
            ASSERT_LT(++calls, entryCount);
        EXPECT_TRUE(m_page.GetEntries().empty());
        int children = 0;
        for (HTREEITEM e = tree.GetChildItem(item); e; e = tree.GetNextSiblingItem(e))
            ++children;
        EXPECT_EQ(children, (chunk + 1) * entryCount / 3);
    }
    m_page.SetSectionTotals(total, entryCount);
    EXPECT_TRUE(m_page.AddSectionEntries(GetTickCount() + 60000));
    for (DWORD bit : laterCategories)
        m_page.AddSection(bit, 0, 0);

    const auto expected = TreeItems(added.GetTree(), added.GetTree().GetRootItem());
    const auto streamed = TreeItems(tree, tree.GetRootItem());
    ASSERT_EQ(streamed.size(), expected.size());
    EXPECT_GT(expected.size(), size_t(entryCount + 6));
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(streamed[i], expected[i]) << "item " << i;
    added.DestroyWindow();
}

TEST_F(JunkResultsTest, SelectionIsTheTickedCategoriesAndUntickingACategoryUnticksItsEntries)
{
    CXHtmlTree& tree = m_page.GetTree();
    EXPECT_EQ(m_page.GetSelectedJunkTypes(), 0u);
    m_page.AppendItem("C:\\t\\a.tmp", 10);
    m_page.AddSection(0x1, 10, 1);
    for (DWORD bit : {0x2u, 0x4u, 0x8u, 0x10u, 0x20u, 0x200000u, 0x40u, 0x80u, 0x100u, 0x200u})
        m_page.AddSection(bit, 0, 0);
    EXPECT_EQ(m_page.GetSelectedJunkTypes(), JunkScanDefaultMask & 0x2003FF);

    // A category without a recorded item is found by its name.
    HTREEITEM bin = m_page.GetCategoryItem(JunkRecycleBin);
    ASSERT_NE(bin, nullptr);
    m_page.SetCategoryItem(NULL, 0x8);   // a null handle is not kept
    EXPECT_EQ(m_page.GetCategoryItem(JunkRecycleBin), bin);
    tree.SetCheck(bin, FALSE);
    EXPECT_EQ(m_page.GetSelectedJunkTypes(), JunkScanDefaultMask & 0x2003F7);
    tree.SetCheck(m_page.GetCategoryItem(JunkIeCookies), TRUE);
    EXPECT_EQ(m_page.GetSelectedJunkTypes(), (JunkScanDefaultMask & 0x2003F7) | 0x40);

    HTREEITEM temporary = m_page.GetCategoryItem(JunkTempFiles);
    tree.SetCheck(temporary, FALSE);
    EXPECT_FALSE(tree.GetCheck(tree.GetChildItem(temporary)));
    EXPECT_EQ(m_page.GetSelectedJunkTypes() & 0x1, 0u);

    // Reset: an empty tree selects nothing.
    m_page.Reset();
    EXPECT_EQ(tree.GetRootItem(), nullptr);
    EXPECT_EQ(m_page.GetCategoryItem(JunkTempFiles), nullptr);
    EXPECT_EQ(m_page.GetSelectedJunkTypes(), 0u);
}

TEST_F(JunkResultsTest, BackAndTheHiddenCleanOnlyShowTheScanPage)
{
    m_page.AddSection(0x1, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(m_page.m_hWnd, IDC_JUNKRESULTS_CLEAN)));
    for (int id : {IDC_RESULTS_BACK, IDC_JUNKRESULTS_CLEAN})
        m_page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(m_page.m_hWnd, id)));
    EXPECT_EQ(ShownPages(), (std::vector<int>{1, 1}));
    EXPECT_NE(m_page.GetCategoryItem(JunkTempFiles), nullptr);
}

}  // namespace
