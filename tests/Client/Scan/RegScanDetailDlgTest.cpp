// The registry results page with the real found-items store (its ignore list in a folder of
// the test's own) and the real engine for the repair: the refill and its labels (of thousands of
// entries too), Ignore step by step with the exact bytes of the ignore list, what does nothing,
// an unticked entry and its twin spelling surviving a real repair, and texts the ignore list
// cannot hold.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "Client/Resources/ControlResources.h"
#include "Client/Resources/ResultsResources.h"
#include "Client/Scan/RegScanDetailDlg.h"
#include "Client/Scan/ScanItemsInfo.h"
#include "Engine/RegistryFixture.h"
#include "Scan/ResultsPageSupport.h"
#include "Support/EngineTestSupport.h"
#include "Support/ScreenshotPause.h"

namespace {

const std::string Sep(1, char(ValueSeparator));
const std::string StartupItem =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" + Sep + "Gone";

class RegistryResultsTest : public ::testing::Test {
protected:
    RegistryResultsTest() : m_folder("results") {}

    void SetUp() override
    {
        m_store.reset(new CScanItemsInfo(m_folder.Path().c_str()));
        m_page.SetScanItemsInfo(m_store.get());
        m_page.SetScanPage(&m_scanPage);
        ASSERT_TRUE(m_page.Create(IDD_PAGE_REGISTRY_RESULTS, m_host.Window()));
        m_page.ShowWindow(SW_SHOW);
    }
    void TearDown() override { m_page.DestroyWindow(); }

    std::string IgnoreList() const { return ReadWholeFile(m_folder.Path() + "\\LI.irg"); }
    void WriteIgnoreList(const std::string& data) { ASSERT_TRUE(WriteWholeFile(m_folder.Path() + "\\LI.irg", data)); }

    // The scan's end as the scan page handles it.
    void Scanned()
    {
        m_page.Refresh();
        m_page.CheckAllCategories();
    }

    // Root texts, each with its entries' texts and states after it.
    std::vector<std::string> TreeLines()
    {
        CCheckedTreeCtrl& tree = m_page.GetTree();
        std::vector<std::string> lines;
        for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root)) {
            lines.push_back(std::string(tree.GetItemText(root)) + " #" + std::to_string(tree.GetItemCheck(root)));
            for (HTREEITEM c = tree.GetChildItem(root); c; c = tree.GetNextSiblingItem(c))
                lines.push_back("  " + std::string(tree.GetItemText(c)) + " #" + std::to_string(tree.GetItemCheck(c)));
        }
        return lines;
    }
    std::string ResultText()
    {
        char text[200] = {};
        GetDlgItemTextA(m_page.m_hWnd, IDC_REGRESULTS_TEXT, text, sizeof(text));
        return text;
    }
    // Selects the entry and gives the tree's "&Ignore" command as a user would.
    void Ignore(const std::string& text)
    {
        CCheckedTreeCtrl& tree = m_page.GetTree();
        HTREEITEM item = tree.FindItemByText(NULL, text.c_str());
        ASSERT_NE(item, nullptr) << text;
        tree.SelectItem(item);
        tree.SendMessage(WM_COMMAND, ID_TREE_IGNORE, 0);
        PumpFor(30);
    }

    TempFolder m_folder;
    HostWindow m_host;
    RecordingScanPage m_scanPage;
    std::unique_ptr<CScanItemsInfo> m_store;
    CRegScanDetailDlg m_page;
};

TEST_F(RegistryResultsTest, RefillShowsEachCategoryWithFindingsOnceInRowOrderAllTicked)
{
    Scanned();
    EXPECT_TRUE(TreeLines().empty());
    EXPECT_EQ(ResultText(), "0 registry item(s) were found");

    for (const char* text : {"HKEY_LOCAL_MACHINE\\X\\A", "HKEY_LOCAL_MACHINE\\X\\B", "HKEY_LOCAL_MACHINE\\X\\C",
                             "HKEY_LOCAL_MACHINE\\x\\a"})
        ASSERT_EQ(m_store->AddItem(text, RegScanFonts, 0, 0), 1);
    ASSERT_EQ(m_store->AddItem(StartupItem.c_str(), RegScanStartupItems, 0, 0), 1);
    Scanned();
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{
                               "Windows Fonts        [3 Item(s)] #2",
                               "  HKEY_LOCAL_MACHINE\\X\\A #2",
                               "  HKEY_LOCAL_MACHINE\\X\\B #2",
                               "  HKEY_LOCAL_MACHINE\\X\\C #2",
                               "Windows Startup Items        [1 Item(s)] #2",
                               "  " + StartupItem + " #2",
                           }));
    // Four entries shown: the store's five less the twin spelling.
    EXPECT_EQ(ResultText(), "4 registry item(s) were found");
    EXPECT_EQ(m_page.GetTotalItems(), 4);
    EXPECT_TRUE(m_scanPage.calls.empty());
    EXPECT_TRUE(HeadingFitsItsLine(m_page.m_hWnd, IDC_REGRESULTS_HEADING, IDC_REGRESULTS_TEXT));
    PauseForScreenshot("registry-results");

    // A refill replaces the content; a store without findings leaves an empty tree.
    m_store->Clear();
    Scanned();
    EXPECT_TRUE(TreeLines().empty());
    EXPECT_EQ(ResultText(), "0 registry item(s) were found");
}

// Thousands of entries, every tenth also in a second spelling: each shown once, counted in its
// label and ticked, the tree shown again after the refill; ignoring one counts it out.
TEST_F(RegistryResultsTest, ThousandsOfEntriesAreShownOnceCountedAndTicked)
{
    const struct {
        int bit;
        int entries;
        const char* label;
    } categories[] = {
        {RegScanActiveX, 2000, "ActiveX Objects        [2000 Item(s)]"},
        {RegScanFonts, 700, "Windows Fonts        [700 Item(s)]"},
        {RegScanFileAssociations, 300, "File Associations        [300 Item(s)]"},
    };
    for (const auto& category : categories)
        for (int i = 0; i < category.entries; ++i) {
            char text[80];
            sprintf(text, "HKEY_LOCAL_MACHINE\\Software\\Many%d\\Key%04d", category.bit, i);
            ASSERT_EQ(m_store->AddItem(text, category.bit, 0, 0), 1);
            if (i % 10 == 0) {
                sprintf(text, "hkey_local_machine\\software\\many%d\\KEY%04d", category.bit, i);
                ASSERT_EQ(m_store->AddItem(text, category.bit, 0, 0), 1);
            }
        }
    Scanned();
    CCheckedTreeCtrl& tree = m_page.GetTree();
    EXPECT_TRUE(tree.IsWindowVisible());
    EXPECT_EQ(ResultText(), "3000 registry item(s) were found");
    EXPECT_EQ(m_page.GetTotalItems(), 3000);
    const std::vector<std::string> lines = TreeLines();
    ASSERT_EQ(lines.size(), 3003u);
    size_t line = 0;
    for (const auto& category : categories) {
        EXPECT_EQ(lines[line++], std::string(category.label) + " #2");
        for (int i = 0; i < category.entries; ++i, ++line) {
            char text[80];
            sprintf(text, "  HKEY_LOCAL_MACHINE\\Software\\Many%d\\Key%04d #2", category.bit, i);
            ASSERT_EQ(lines[line], text);
        }
    }

    Ignore("HKEY_LOCAL_MACHINE\\Software\\Many" + std::to_string(RegScanFonts) + "\\Key0699");
    EXPECT_EQ(TreeLines()[2001], "Windows Fonts        [699 Item(s)] #2");
    EXPECT_EQ(ResultText(), "2999 registry item(s) were found");
}

TEST_F(RegistryResultsTest, IgnoreWritesOneRecordKeepsTheOthersAndUpdatesTheScanPage)
{
    const std::string before = "HKEY_CURRENT_USER\\Keep^Application Paths^16384;\r\nold^7;\r\n";
    WriteIgnoreList(before);
    for (const char* text : {"HKEY_LOCAL_MACHINE\\X\\A", "HKEY_LOCAL_MACHINE\\X\\B", "HKEY_LOCAL_MACHINE\\X\\C",
                             "HKEY_LOCAL_MACHINE\\x\\a"})
        ASSERT_EQ(m_store->AddItem(text, RegScanFonts, 0, 0), 1);
    ASSERT_EQ(m_store->AddItem(StartupItem.c_str(), RegScanStartupItems, 0, 0), 1);
    Scanned();

    // Nothing happens for a category node or with nothing selected.
    CCheckedTreeCtrl& tree = m_page.GetTree();
    const std::vector<std::string> lines = TreeLines();
    tree.SelectItem(tree.GetRootItem());
    m_page.PostMessage(WM_REGTREE_UPDATE, 0, 0);
    PumpFor(30);
    tree.SelectItem(NULL);
    m_page.PostMessage(WM_REGTREE_UPDATE, 0, 0);
    PumpFor(30);
    EXPECT_EQ(TreeLines(), lines);
    EXPECT_EQ(IgnoreList(), before);
    EXPECT_TRUE(m_scanPage.calls.empty());

    Ignore("HKEY_LOCAL_MACHINE\\X\\B");
    EXPECT_EQ(IgnoreList(), "HKEY_CURRENT_USER\\Keep^Application Paths^16384;\r\n"
                            "HKEY_LOCAL_MACHINE\\X\\B^Windows Fonts^16384;\r\n"
                            "old^^7;\r\n");
    EXPECT_EQ(TreeLines()[0], "Windows Fonts        [2 Item(s)] #2");
    EXPECT_EQ(ResultText(), "3 registry item(s) were found");
    EXPECT_EQ(m_scanPage.calls, (std::vector<std::string>{"count 3", "gauge 2"}));

    m_scanPage.calls.clear();
    Ignore(StartupItem);
    EXPECT_EQ(TreeLines(), (std::vector<std::string>{"Windows Fonts        [2 Item(s)] #2",
                                                      "  HKEY_LOCAL_MACHINE\\X\\A #2",
                                                      "  HKEY_LOCAL_MACHINE\\X\\C #2"}));
    EXPECT_EQ(m_scanPage.calls, (std::vector<std::string>{"count 2", "gauge 2"}));
    EXPECT_TRUE(ShownPages().empty());

    m_scanPage.calls.clear();
    Ignore("HKEY_LOCAL_MACHINE\\X\\A");
    Ignore("HKEY_LOCAL_MACHINE\\X\\C");
    EXPECT_TRUE(TreeLines().empty());
    EXPECT_EQ(ResultText(), "0 registry item(s) were found");
    EXPECT_EQ(m_scanPage.calls, (std::vector<std::string>{"count 1", "gauge 2", "count 0", "gauge 1",
                                                           "mark 0 row 0", "good", "summary 10"}));
    EXPECT_EQ(ShownPages(), std::vector<int>{1});
    EXPECT_EQ(IgnoreList(), "HKEY_CURRENT_USER\\Keep^Application Paths^16384;\r\n"
                            "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" + Sep +
                                "Gone^Windows Startup Items^16384;\r\n"
                            "HKEY_LOCAL_MACHINE\\X\\A^Windows Fonts^16384;\r\n"
                            "HKEY_LOCAL_MACHINE\\X\\B^Windows Fonts^16384;\r\n"
                            "HKEY_LOCAL_MACHINE\\X\\C^Windows Fonts^16384;\r\n"
                            "old^^7;\r\n");

    // The next scan honours the list in every spelling.
    m_store->Clear();
    EXPECT_EQ(m_store->AddItem("HKEY_LOCAL_MACHINE\\X\\B", RegScanFonts, 0, 0), 0);
    EXPECT_EQ(m_store->AddItem("HKEY_LOCAL_MACHINE\\x\\b", RegScanFonts, 0, 0), 0);
    EXPECT_EQ(m_store->AddItem("HKEY_LOCAL_MACHINE\\x\\a", RegScanFonts, 0, 0), 0);
    EXPECT_EQ(m_store->AddItem("HKEY_LOCAL_MACHINE\\X\\D", RegScanFonts, 0, 0), 1);
}

TEST_F(RegistryResultsTest, BackAndTheHiddenFixOnlyShowTheScanPage)
{
    ASSERT_EQ(m_store->AddItem("HKEY_LOCAL_MACHINE\\X\\A", RegScanFonts, 0, 0), 1);
    Scanned();
    const std::vector<std::string> lines = TreeLines();
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(m_page.m_hWnd, IDC_REGRESULTS_FIX)));
    for (int id : {IDC_RESULTS_BACK, IDC_REGRESULTS_FIX})
        m_page.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(m_page.m_hWnd, id)));
    EXPECT_EQ(ShownPages(), (std::vector<int>{1, 1}));
    EXPECT_EQ(TreeLines(), lines);
    EXPECT_EQ(IgnoreList(), "");
    EXPECT_TRUE(m_scanPage.calls.empty());
}

// Unticking leaves an entry out of this repair only; its twin spelling stays with it, and so
// does an unticked text holding "^". Texts the ignore list cannot hold get no record when
// ignored, and are left out of the repair all the same.
TEST_F(RegistryResultsTest, UntickedAndIgnoredEntriesSurviveARealRepairInEverySpelling)
{
    FixtureKey keys("results");
    const char* const planted[] = {"ZzTwin", "Gone1", "Gone2", "Car^et", "Semi;colon", "Ign", "Un^ticked"};
    for (const char* name : planted)
        ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, keys.Sub(name), "v", REG_SZ, "x"));
    WriteIgnoreList("Neighbour^Windows Fonts^16384;\r\n");
    const std::string before = IgnoreList();
    for (const char* name : planted)
        ASSERT_EQ(m_store->AddItem(keys.Full(name).c_str(), RegScanActiveX, 0, 0), 1);
    // The same key in a second spelling: shown once, and repaired by either spelling.
    ASSERT_EQ(m_store->AddItem(keys.Full("zztwin").c_str(), RegScanActiveX, 0, 0), 1);
    Scanned();
    EXPECT_EQ(m_page.GetTotalItems(), 7);

    CCheckedTreeCtrl& tree = m_page.GetTree();
    tree.ToggleCheck(tree.FindItemByText(NULL, keys.Full("ZzTwin").c_str()));
    tree.ToggleCheck(tree.FindItemByText(NULL, keys.Full("Un^ticked").c_str()));
    EXPECT_EQ(IgnoreList(), before);   // unticking writes nothing
    Ignore(keys.Full("Car^et"));
    Ignore(keys.Full("Semi;colon"));
    EXPECT_EQ(IgnoreList(), before);   // such texts cannot be stored
    Ignore(keys.Full("Ign"));
    EXPECT_EQ(IgnoreList(), keys.Full("Ign") + "^ActiveX Objects^16384;\r\n" + before);
    EXPECT_EQ(TreeLines()[0], "ActiveX Objects        [4 Item(s)] #3");

    // Fix: the scan page queues every unticked entry, then the engine repairs with a backup.
    for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root))
        EXPECT_EQ(tree.QueueUncheckedItems(root), 2);
    EngineProcess process;
    RecordingStatus status;
    ASSERT_EQ(RunTask(process.Get(), status, TaskRegistryRepair,
                      [&] { return process->StartRegistryRepair(m_store.get(), &status, 1); }),
              1);
    for (const char* kept : {"ZzTwin", "Car^et", "Semi;colon", "Ign", "Un^ticked"})
        EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, keys.Sub(kept))) << kept;
    for (const char* gone : {"Gone1", "Gone2"})
        EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, keys.Sub(gone))) << gone;
}

}  // namespace
