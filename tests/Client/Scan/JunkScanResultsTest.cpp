// The junk results page filled by a real junk scan of the engine, its reports handed on by the
// scan page's section logic on the engine's worker thread: the groups in the engine's order,
// one item per reported category, the ticks (the groups' following their categories) and the
// mask the clean gets, and a scan of 20,000 files while the page's thread keeps repainting the
// tree. Each case in a prefix of its own (the scan reads the whole temporary folder; the large
// scan's files are made on the host side).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Client/Resources/ResultsResources.h"
#include "Client/Scan/JunkScanDetailDlg.h"
#include "Engine/JunkScanTestSupport.h"
#include "Engine/RegistryFixture.h"
#include "Scan/ResultsPageSupport.h"
#include "Support/ScreenshotPause.h"

namespace {

using namespace junktest;

// The scan page's handling of the junk reports: each category's entries, then its section once
// the reports move on to the next category (the all-zero report closes the last one).
class JunkSectionFeeder {
public:
    explicit JunkSectionFeeder(CJunkScanDetailDlg& page) : m_page(page) {}
    void OnJunkItem(DWORD category, unsigned long long size, const char* text)
    {
        m_junkSize += size;
        if (category != m_section) {
            if (m_section)
                m_page.AddSection(m_section, m_junkSize - m_sectionStart, m_counts[m_section]);
            m_sectionStart = m_junkSize;
            m_section = category;
        } else if (size > 0) {
            if (text && *text)
                m_page.AppendItem(text, size);
            ++m_counts[category];
        }
    }

private:
    CJunkScanDetailDlg& m_page;
    unsigned long long m_junkSize = 0, m_sectionStart = 0;
    DWORD m_section = 0;
    std::map<DWORD, unsigned long long> m_counts;
};

class JunkScanResultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_temp = "C:\\VelmoraJunkTemp";
        ASSERT_TRUE(MakeFolders(m_temp));
        ASSERT_TRUE(SetEnvironmentVariableA("TMP", (m_temp + "\\").c_str()));
        ASSERT_TRUE(SetEnvironmentVariableA("TEMP", (m_temp + "\\").c_str()));
        m_scanPage.scannedJunkMask = JunkScanDefaultMask;
        m_page.SetScanPage(&m_scanPage);
        ASSERT_TRUE(m_page.Create(IDD_PAGE_JUNK_RESULTS, m_host.Window()));
        m_page.ShowWindow(SW_SHOW);
    }
    void TearDown() override { m_page.DestroyWindow(); }

    // A default scan as the scan page runs it; the page's thread pumps (and with repaint
    // repaints the tree over and over) until the engine is done.
    void Scan(bool repaint)
    {
        m_page.Reset();
        JunkSectionFeeder feeder(m_page);
        RecordingStatus status;
        status.onJunkItem = [&](DWORD bit, long long size, const char* text) {
            feeder.OnJunkItem(bit, static_cast<unsigned long long>(size), text);
        };
        EngineProcess process;
        status.Watch(process.Get());
        status.ExpectFinal(TaskJunkScan);
        ASSERT_EQ(process->StartJunkScan(JunkScanDefaultMask, &status), 1);
        process->ResumeTask();
        const DWORD end = GetTickCount() + 240000;
        while (!status.WaitFinished(0) && int(end - GetTickCount()) > 0) {
            if (repaint) {
                m_page.GetTree().Invalidate();
                m_page.GetTree().UpdateWindow();
            }
            PumpFor(1);
        }
        ASSERT_TRUE(status.WaitFinished(0));
        for (int i = 0; i < 2000 && process->GetThreadHandle(); ++i)
            PumpFor(1);
    }

    std::string Text(HTREEITEM item) { return std::string(m_page.GetTree().GetItemText(item)); }
    int Children(HTREEITEM item)
    {
        int n = 0;
        for (HTREEITEM c = m_page.GetTree().GetChildItem(item); c; c = m_page.GetTree().GetNextSiblingItem(c))
            ++n;
        return n;
    }

    std::string m_temp;
    HostWindow m_host;
    RecordingScanPage m_scanPage;
    CJunkScanDetailDlg m_page;
};

TEST_F(JunkScanResultsTest, DefaultScanFillsTheGroupsInEngineOrderAndItsTicksAreTheCleansMask)
{
    ASSERT_TRUE(WriteSizedFile(m_temp + "\\a.tmp", 1000));
    ASSERT_TRUE(WriteSizedFile(m_temp + "\\b.tmp", 3000));
    const std::string windowsTemp = ShellFolder(CSIDL_WINDOWS) + "\\Temp";
    for (const ListedFile& f : ListFiles(windowsTemp))
        DeleteFileA(f.path.c_str());
    ASSERT_TRUE(ListFiles(windowsTemp).empty());
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
                         "a", REG_SZ, std::string("notepad\\1", 10)));
    Scan(false);

    CXHtmlTree& tree = m_page.GetTree();
    std::vector<std::string> groups;
    int items = 0;
    for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root)) {
        const std::string text = Text(root);
        groups.push_back(text.substr(0, text.find("</font>")));
        items += Children(root);
    }
    EXPECT_EQ(groups, (std::vector<std::string>{
                          "<font size=\"+1\">Windows System ", "<font size=\"+1\">Google Chrome ",
                          "<font size=\"+1\">Mozilla Firefox ", "<font size=\"+1\">Internet Explorer ",
                          "<font size=\"+1\">Microsoft Edge "}));
    EXPECT_EQ(items, 23);
    EXPECT_TRUE(HeadingFitsItsLine(m_page.m_hWnd, IDC_JUNKRESULTS_HEADING, IDC_JUNKRESULTS_SUMMARY));
    // A group is ticked when all its categories are and partly ticked when some are: of the
    // browsers' categories the default scan takes some.
    std::vector<int> groupStates;
    for (HTREEITEM root = tree.GetRootItem(); root; root = tree.GetNextSiblingItem(root))
        groupStates.push_back(tree.GetItemStateImage(root));
    EXPECT_EQ(groupStates, (std::vector<int>{CheckBoxChecked, CheckBoxMixed, CheckBoxMixed, CheckBoxMixed,
                                             CheckBoxMixed}));
    // The first group open, as the scan page leaves it, and the temporary files' entries shown.
    tree.Expand(tree.GetRootItem(), TVE_EXPAND);
    tree.Expand(m_page.GetCategoryItem(JunkTempFiles), TVE_EXPAND);
    tree.UpdateWindow();
    EXPECT_FALSE(tree.GetStyle() & WS_HSCROLL);
    PauseForScreenshot("junk-results");
    // Ticked exactly when scanned; the Saved Form Info categories are not reported.
    for (DWORD bit = 1; bit < 0x4000000; bit <<= 1) {
        HTREEITEM item = m_page.GetCategoryItem(bit);
        if (bit == 0x400 || bit == 0x8000 || bit == 0x100000) {
            EXPECT_EQ(item, nullptr) << bit;
            continue;
        }
        ASSERT_NE(item, nullptr) << bit;
        EXPECT_EQ(tree.GetCheck(item) != FALSE, (bit & JunkScanDefaultMask) != 0) << Text(item);
    }

    HTREEITEM temporary = m_page.GetCategoryItem(JunkTempFiles);
    ASSERT_NE(temporary, nullptr);
    EXPECT_EQ(Text(temporary), "<font size=\"+1\">Temporary Files </font><font size=\"+1\" color=\"#1a66a2\">"
                               "(2 file(s) were found , a total of 3.91 KB)</font>");
    EXPECT_EQ(Children(temporary), 2);
    HTREEITEM run = m_page.GetCategoryItem(JunkRunHistory);
    ASSERT_NE(run, nullptr);
    EXPECT_NE(Text(run).find("(1 trace is found , a total of "), std::string::npos) << Text(run);

    EXPECT_EQ(m_page.GetSelectedJunkTypes(), JunkScanDefaultMask);
    tree.SetCheck(m_page.GetCategoryItem(JunkRecycleBin), FALSE);
    EXPECT_EQ(m_page.GetSelectedJunkTypes(), 0x1A63137u);
    tree.SetCheck(m_page.GetCategoryItem(JunkRecycleBin), TRUE);
    tree.SetCheck(m_page.GetCategoryItem(JunkIeCookies), TRUE);  // not scanned
    EXPECT_EQ(m_page.GetSelectedJunkTypes(), 0x1A6317Fu);
    tree.SetCheck(temporary, FALSE);
    for (HTREEITEM c = tree.GetChildItem(temporary); c; c = tree.GetNextSiblingItem(c))
        EXPECT_FALSE(tree.GetCheck(c));
    EXPECT_EQ(m_page.GetSelectedJunkTypes(), 0x1A6317Eu);

    m_page.Reset();
    EXPECT_EQ(m_page.GetSelectedJunkTypes(), 0u);
}

// The reports arrive on the engine's worker; the tree is only ever changed on the page's thread,
// which meanwhile repaints it without a pause.
TEST_F(JunkScanResultsTest, TwentyThousandFilesWhileThePageRepaintsGiveTheSameTexts)
{
    // Made by the test's host-side maker (make-many-temp-files).
    const std::string many = "C:\\VelmoraJunkMany";
    ASSERT_EQ(ListFiles(many).size(), 20000u);
    ASSERT_TRUE(SetEnvironmentVariableA("TMP", (many + "\\").c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA("TEMP", (many + "\\").c_str()));
    const std::string windowsTemp = ShellFolder(CSIDL_WINDOWS) + "\\Temp";
    for (const ListedFile& f : ListFiles(windowsTemp))
        DeleteFileA(f.path.c_str());
    Scan(true);
    HTREEITEM temporary = m_page.GetCategoryItem(JunkTempFiles);
    ASSERT_NE(temporary, nullptr);
    const std::string repainted = Text(temporary);
    EXPECT_EQ(repainted, "<font size=\"+1\">Temporary Files </font><font size=\"+1\" color=\"#1a66a2\">"
                         "(20000 file(s) were found , a total of 39.06 KB)</font>");
    EXPECT_EQ(Children(temporary), 20000);
    EXPECT_EQ(Text(m_page.GetTree().GetChildItem(temporary)),
              "<font size=\"+1\">" + many + "\\f0.tmp </font><font size=\"+1\" color=\"#2ab034\">(1 bytes)</font>");
    EXPECT_EQ(m_page.GetSelectedJunkTypes(), JunkScanDefaultMask);
}

}  // namespace
