// The System Scan page on real windows with the real engine, store and results pages: the
// outcome of a scan for what the registry and the temporary folder hold (headline, counts,
// buttons, rows, the bar after each phase), the fix and its bar stops, Stop in each phase,
// refused and busy starts, a failed backup, the skip list and ignore list, and the page's pure
// texts. The tweak scans run with empty masks. Each case in a prefix of its own (the scan
// choices are machine-wide and the scan reads the whole App Paths key).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "Client/Scan/BrowserCloser.h"
#include "Client/Scan/ScanPageTexts.h"
#include "Scan/ScanPageSupport.h"
#include "Support/RegistryScanFixture.h"
#include "Support/ScreenshotPause.h"

namespace {

const std::string AppPathsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char BusyText[] = "Please stop other active operation before running System Scan.";

std::string ProgramFolder()
{
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    const std::string path = module;
    return path.substr(0, path.rfind('\\'));
}

// A status that holds its task on the worker until released.
class HoldingStatus : public RecordingStatus {
public:
    HoldingStatus() : m_release(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~HoldingStatus() override { CloseHandle(m_release); }
    void OnProgress(int code) override
    {
        RecordingStatus::OnProgress(code);
        WaitForSingleObject(m_release, 20000);
    }
    void Release() { SetEvent(m_release); }

private:
    HANDLE m_release;
};

class ScanPageTest : public ::testing::Test {
protected:
    ScanPageTest() : m_temp("temp") {}

    void SetUp() override
    {
        UseTempFolder(m_temp.Path());
        StoreScanChoices(RegScanAppPaths, JunkTempFiles, 0, 0);
        DeleteFileA(SkipList().c_str());
        ASSERT_TRUE(h.Create());
    }
    void TearDown() override { DeleteFileA(SkipList().c_str()); }

    static void UseTempFolder(const std::string& folder)
    {
        SetEnvironmentVariableA("TMP", (folder + "\\").c_str());
        SetEnvironmentVariableA("TEMP", (folder + "\\").c_str());
    }
    static std::string SkipList() { return ProgramFolder() + "\\LW.wth"; }

    // Plants count App Paths entries whose program is missing; returns their found texts.
    std::vector<std::string> PlantKeys(ScanFixture& registry, int count, const std::string& tag = "")
    {
        std::vector<std::string> texts;
        for (int i = 0; i < count; ++i) {
            const std::string name = "zzVelmoraScan" + tag + std::to_string(i) + ".exe";
            const std::string key = AppPathsKey + "\\" + name;
            EXPECT_TRUE(registry.String(HKEY_LOCAL_MACHINE, key, "", "C:\\VelmoraNowhere\\" + name));
            texts.push_back("HKEY_LOCAL_MACHINE\\" + key);
        }
        return texts;
    }
    static bool KeyThere(const std::string& text)
    {
        const std::string prefix = "HKEY_LOCAL_MACHINE\\";
        return KeyPresent(HKEY_LOCAL_MACHINE, text.substr(prefix.size()));
    }
    // A file of size bytes in the temporary folder (sparse beyond the first bytes).
    std::string TempFile(const std::string& name, LONGLONG size)
    {
        const std::string path = m_temp.File(name);
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER at;
        at.QuadPart = size;
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
        return path;
    }
    void ExpectStoppedLook(const PageSnapshot& s)
    {
        EXPECT_EQ(s.state, ScanStateStopped);
        EXPECT_EQ(s.headline, "Scan aborted by user");
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(s.results[row], "Aborted") << row;
            EXPECT_TRUE(s.resultsShown[row]) << row;
            EXPECT_FALSE(s.detailsShown[row]) << row;
            EXPECT_EQ(s.gauges[row], 1) << row;
        }
        EXPECT_EQ(s.bar, 0);
        EXPECT_EQ(s.activeRow, 0);
        EXPECT_TRUE(s.scanShown);
        EXPECT_FALSE(s.stopShown);
        EXPECT_FALSE(s.fixShown);
    }

    TempFolder m_temp;
    BoxAnswerer boxes;
    ScanPageHarness h;
};

TEST_F(ScanPageTest, ScanOutcomesGiveTheHeadlineCountsRowsAndBarStops)
{
    const struct {
        const char* label;
        int keys;
        LONGLONG junk;
        const char* headline;
        const char* registryCount;
        const char* junkText;
    } cases[] = {
        {"nothing", 0, 0, "Scan completed and PC health is good", "0", "0"},
        {"3 keys", 3, 0, "Scan found some registry settings. Fix it with One-Click", "3", "0"},
        {"12 keys", 12, 0, "Scan found various registry settings. Fix it with One-Click", "12", "0"},
        {"200 MiB of junk", 0, 200LL << 20, "Scan found various junk data. Fix it with One-Click", "0", "200.00 MB"},
        {"1000 bytes of junk", 0, 1000, "Scan found some junk data. Fix it with One-Click", "0", "1000 bytes"},
        {"3 keys and junk", 3, 1000, "Scan found some system settings. Fix it with One-Click", "3", "1000 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScanFixture registry;
        PlantKeys(registry, c.keys);
        std::string file;
        if (c.junk)
            file = TempFile("junk.tmp", c.junk);
        ASSERT_TRUE(h.Scan());
        const PageSnapshot end = h.Take();
        EXPECT_EQ(end.state, ScanStateScanned);
        EXPECT_EQ(end.headline, c.headline);
        EXPECT_EQ(end.counts[0], c.registryCount);
        EXPECT_EQ(end.counts[1], c.junkText);
        EXPECT_EQ(end.counts[2], "0");
        EXPECT_EQ(end.counts[3], "0");
        const bool found = c.keys || c.junk;
        EXPECT_EQ(end.fixShown, found);
        EXPECT_EQ(end.fixEnabled, true);
        EXPECT_EQ(end.scanShown, !found);
        EXPECT_FALSE(end.stopShown);
        EXPECT_EQ(end.detailsShown[0], c.keys > 0);
        EXPECT_EQ(end.resultsShown[0], c.keys == 0);
        EXPECT_EQ(end.detailsShown[1], c.junk > 0);
        EXPECT_EQ(end.resultsShown[1], c.junk == 0);
        for (int row = 2; row < 4; ++row) {
            EXPECT_FALSE(end.detailsShown[row]);
            EXPECT_EQ(end.results[row], "Good");
        }
        // The active row walks the four phases and is cleared at the end.
        EXPECT_EQ(h.Sequence([](const PageSnapshot& s) { return s.activeRow; }),
                  (std::vector<int>{1, 2, 3, 4, 0}));
        // Three steps for each of the eleven registry stages, two for each of the 23 junk
        // sections; 99 at the end.
        const PageSnapshot* junkPhase = h.WhenRowBecame(2);
        const PageSnapshot* internetPhase = h.WhenRowBecame(3);
        ASSERT_NE(junkPhase, nullptr);
        ASSERT_NE(internetPhase, nullptr);
        EXPECT_EQ(junkPhase->bar, 33);
        EXPECT_EQ(internetPhase->bar, 79);
        EXPECT_EQ(end.bar, 99);
        EXPECT_EQ(h.page.GetRegistryCount(), c.keys);
        EXPECT_EQ(h.registryPage.GetTotalItems(), c.keys);
        EXPECT_TRUE(boxes.Texts().empty());
        if (!file.empty())
            DeleteFileA(file.c_str());
    }
}

TEST_F(ScanPageTest, FixRepairsTheTickedKeysCleansTheJunkAndStopsTheBarOnceAtEachPhase)
{
    ScanFixture registry;
    const std::vector<std::string> keys = PlantKeys(registry, 3);
    const std::string file = TempFile("junk.tmp", 1000);
    ASSERT_TRUE(h.Scan());
    ASSERT_EQ(h.Take().headline, "Scan found some system settings. Fix it with One-Click");
    // The third key is unticked on the registry results page: it survives.
    CCheckedTreeCtrl& tree = h.registryPage.GetTree();
    HTREEITEM third = tree.FindItemByText(NULL, keys[2].c_str());
    ASSERT_NE(third, nullptr);
    tree.ToggleCheck(third);

    ASSERT_TRUE(h.Fix());
    const PageSnapshot end = h.Take();
    EXPECT_EQ(end.state, ScanStateFixed);
    EXPECT_EQ(end.headline, "All found items resolved!");
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(end.results[row], "Good");
        EXPECT_TRUE(end.resultsShown[row]);
        EXPECT_FALSE(end.detailsShown[row]);
        EXPECT_EQ(end.counts[row], "0");
    }
    EXPECT_TRUE(end.scanShown);
    EXPECT_FALSE(end.fixShown);
    EXPECT_FALSE(end.stopShown);
    EXPECT_EQ(h.Sequence([](const PageSnapshot& s) { return s.bar; }), (std::vector<int>{0, 26, 73, 86, 99}));
    EXPECT_FALSE(KeyThere(keys[0]));
    EXPECT_FALSE(KeyThere(keys[1]));
    EXPECT_TRUE(KeyThere(keys[2]));
    EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(boxes.Texts().empty());

    // A later end of the clean (the engine reports it twice) changes nothing.
    h.page.OnTaskFinished(TaskJunkClean);
    h.PumpRecording(100);
    EXPECT_EQ(h.Take().headline, "All found items resolved!");
    EXPECT_EQ(h.Take().bar, 99);
}

TEST_F(ScanPageTest, FixWithoutJunkRunsNoClean)
{
    ScanFixture registry;
    const std::vector<std::string> keys = PlantKeys(registry, 2);
    ASSERT_TRUE(h.Scan());
    ASSERT_TRUE(h.Fix());
    EXPECT_EQ(h.Take().headline, "All found items resolved!");
    EXPECT_EQ(h.Process()->GetTaskType(), TaskRegistryRepair);
    EXPECT_FALSE(KeyThere(keys[0]));
    EXPECT_FALSE(KeyThere(keys[1]));
    EXPECT_EQ(h.Sequence([](const PageSnapshot& s) { return s.bar; }), (std::vector<int>{0, 26, 73, 86, 99}));
}

TEST_F(ScanPageTest, StopInEachPhaseShowsTheStoppedLookAndStartsNothingLater)
{
    const struct {
        const char* label;
        // When the stop comes, looked at after each dispatched message; empty: right after the
        // start.
        std::function<bool(ScanPageHarness&)> due;
        int lastTask;   // the engine task that ran last
    } cases[] = {
        {"registry scan", nullptr, TaskRegistryScan},
        {"between the registry and the junk scan",
         [](ScanPageHarness& p) { return p.page.GetActiveRow() == 2 && !p.Process()->IsBusy(); }, TaskRegistryScan},
        {"junk scan",
         [](ScanPageHarness& p) {
             return p.Process()->IsBusy() && p.Process()->GetTaskType() == TaskJunkScan;
         },
         TaskJunkScan},
        {"internet scan", [](ScanPageHarness& p) { return p.page.IsTweakScanRunning() != 0; }, TaskJunkScan},
    };
    ScanFixture registry;
    PlantKeys(registry, 2);
    // Junk enough to keep the junk scan running until the page has seen it busy: with a file or
    // two it can end before the page's thread dispatches a message, and the stop never comes.
    for (int i = 0; i < 1000; ++i)
        TempFile("junk" + std::to_string(i) + ".tmp", 1000);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        h.history.clear();
        bool stopped = false;
        h.onDispatched = [&] {
            if (!stopped && c.due && c.due(h)) {
                stopped = true;
                h.page.StopScan();
            }
        };
        ASSERT_EQ(h.page.StartScan(), 1);
        if (!c.due) {
            stopped = true;
            h.page.StopScan();
        }
        ASSERT_TRUE(h.RunUntil([&] { return stopped && h.Settled(); }));
        h.PumpRecording(700);
        h.onDispatched = nullptr;
        ExpectStoppedLook(h.Take());
        EXPECT_EQ(h.Process()->GetTaskType(), c.lastTask);
        // No later phase: the system row never became active.
        EXPECT_EQ(h.WhenRowBecame(4), nullptr);
        EXPECT_FALSE(h.page.IsTweakScanRunning());
    }
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(ScanPageTest, StopWhenIdleDoesNothing)
{
    const PageSnapshot before = h.Take();
    h.page.StopScan();
    h.PumpRecording(50);
    const PageSnapshot after = h.Take();
    EXPECT_EQ(after.state, ScanStateIdle);
    EXPECT_EQ(after.headline, before.headline);
    EXPECT_EQ(after.headline, "Scan PC for registry items, junk data, internet and system tweaks");
    EXPECT_EQ(after.results[0], "Good");
    EXPECT_TRUE(after.scanShown);
    EXPECT_FALSE(after.stopShown);
}

TEST_F(ScanPageTest, ScanWhileTheEngineRunsAnotherTaskShowsTheBoxAndChangesNothing)
{
    HoldingStatus other;
    ASSERT_EQ(h.Process()->StartNotifyTask(&other), 1);
    ASSERT_EQ(h.Process()->ResumeTask(), 1);
    for (int i = 0; i < 200 && !h.Process()->IsBusy(); ++i)
        Sleep(5);
    ASSERT_TRUE(h.Process()->IsBusy());
    const PageSnapshot before = h.Take();
    EXPECT_EQ(h.page.StartScan(), 0);
    const PageSnapshot after = h.Take();
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{BusyText}));
    EXPECT_EQ(after.state, before.state);
    EXPECT_EQ(after.headline, before.headline);
    EXPECT_TRUE(after.scanShown);
    other.Release();
    ASSERT_TRUE(h.RunUntil([&] { return !h.Process()->IsBusy(); }));
}

TEST_F(ScanPageTest, APhaseStartTheEngineRefusesShowsTheBoxAndTheStoppedLook)
{
    ScanFixture registry;
    PlantKeys(registry, 1);
    TempFile("junk.tmp", 1000);
    const struct {
        const char* label;
        bool fix;
        // When the test starts its own task (held before it runs, so the engine is not busy
        // but refuses every start); empty: before the page starts.
        std::function<bool(ScanPageHarness&)> due;
    } cases[] = {
        {"scan start", false, nullptr},
        {"junk scan start", false, [](ScanPageHarness& p) { return p.page.GetActiveRow() == 2; }},
        {"junk clean start", true, [](ScanPageHarness& p) { return p.page.GetOverallProgress() == 26; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        boxes.Reset();
        if (c.fix) {
            ASSERT_TRUE(h.Scan());
        }
        RecordingStatus held;
        bool holding = false;
        const auto hold = [&] {
            holding = true;
            ASSERT_EQ(h.Process()->StartNotifyTask(&held), 1);
        };
        h.onDispatched = [&] {
            if (!holding && c.due && c.due(h))
                hold();
        };
        if (!c.due)
            hold();
        h.history.clear();
        ASSERT_EQ(c.fix ? h.page.StartCleaning() : h.page.StartScan(), 1);
        ASSERT_TRUE(h.RunUntil([&] { return holding && h.page.GetScanState() == ScanStateStopped &&
                                            !boxes.Texts().empty(); }, 20000));
        h.onDispatched = nullptr;
        EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{BusyText}));
        ExpectStoppedLook(h.Take());
        // The held task ends; nothing of the page's runs after it.
        ASSERT_EQ(h.Process()->ResumeTask(), 1);
        ASSERT_TRUE(h.RunUntil([&] { return !h.Process()->IsBusy() && held.WaitFinished(0); }, 10000));
        h.PumpRecording(600);
        ExpectStoppedLook(h.Take());
        EXPECT_EQ(h.Process()->GetTaskType(), TaskStatusPing);
    }
}

TEST_F(ScanPageTest, FailedBackupRepairsNothingAndReturnsToTheEndOfTheScan)
{
    ScanFixture registry;
    const std::vector<std::string> keys = PlantKeys(registry, 3);
    const std::string root = ProgramFolder() + "\\TarnexRegBackup";
    RemoveFolderTree(root);
    ASSERT_TRUE(WriteWholeFile(root, "in the way"));
    struct Undo {
        std::string file;
        ~Undo() { DeleteFileA(file.c_str()); }
    } undo{root};
    h.autoRegBackup = 1;
    ASSERT_TRUE(h.Scan());
    ASSERT_TRUE(h.Fix());
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{REGISTRY_BACKUP_FAILED_TEXT}));
    const PageSnapshot end = h.Take();
    EXPECT_EQ(end.state, ScanStateScanned);
    EXPECT_EQ(end.headline, "Scan found some registry settings. Fix it with One-Click");
    EXPECT_TRUE(end.fixShown);
    EXPECT_TRUE(end.fixEnabled);
    EXPECT_FALSE(end.scanShown);
    EXPECT_TRUE(end.detailsShown[0]);
    for (const std::string& key : keys)
        EXPECT_TRUE(KeyThere(key)) << key;
    // No phase after the repair ran.
    for (const PageSnapshot& s : h.history)
        EXPECT_NE(s.bar, 26);
    EXPECT_EQ(h.Process()->GetTaskType(), TaskRegistryRepair);
}

TEST_F(ScanPageTest, SkipListAndIgnoreListKeepFoundItemsOut)
{
    ScanFixture registry;
    const std::vector<std::string> kept = PlantKeys(registry, 1, "Kept");
    const std::vector<std::string> skipped = PlantKeys(registry, 1, "ZZmissingHere");
    const std::vector<std::string> ignored = PlantKeys(registry, 1, "Ignored");
    const std::string skipList = "  zzMissing ;other;";
    ASSERT_TRUE(WriteWholeFile(SkipList(), skipList));
    ASSERT_TRUE(WriteWholeFile(h.Folder().File("LI.irg"), ignored[0] + "^Application Paths^16384;\r\n"));
    h.ReopenStore();

    ASSERT_TRUE(h.Scan());
    EXPECT_EQ(h.Take().counts[0], "1");
    EXPECT_EQ(h.Store().GetCount(RegScanAppPaths), 1);
    ScanItemTextList texts;
    h.Store().GetCategoryItems(&texts, RegScanAppPaths);
    std::vector<std::string> found;
    for (const CString& text : texts)
        found.push_back(text.GetString());
    EXPECT_EQ(found, (std::vector<std::string>{kept[0]}));
    EXPECT_EQ(ReadWholeFile(SkipList()), skipList);

    // The junk scan's group animations come as found items; they count nothing.
    h.page.OnItemFound("RunAnimation", 3, 1, 0);
    h.PumpRecording(150);
    EXPECT_EQ(h.Take().counts[0], "1");
    EXPECT_EQ(h.page.GetRegistryCount(), 1);
}

// Ignore on the registry results page after a real scan: one record in the ignore list, the
// scan page's registry row renumbered, and with the last entry gone the row says "Good" and the
// user is back on the scan page. A new store over the same folder (the program's next start)
// keeps the ignored keys out of the next scan and the repair leaves them.
TEST_F(ScanPageTest, IgnoredKeysLeaveTheRowAndStayOutOfTheNextScanAndTheRepair)
{
    ScanFixture registry;
    const std::vector<std::string> keys = PlantKeys(registry, 3, "Ign");
    ASSERT_TRUE(h.Scan());
    ASSERT_EQ(h.Take().counts[0], "3");
    CCheckedTreeCtrl& tree = h.registryPage.GetTree();
    ASSERT_NE(tree.GetRootItem(), nullptr);
    EXPECT_EQ(std::string(tree.GetItemText(tree.GetRootItem())), "Application Paths        [3 Item(s)]");
    EXPECT_EQ(tree.GetItemCheck(tree.GetRootItem()), 2);

    auto ignore = [&](const std::string& text) {
        HTREEITEM item = tree.FindItemByText(NULL, text.c_str());
        ASSERT_NE(item, nullptr) << text;
        tree.SelectItem(item);
        tree.SendMessage(WM_COMMAND, ID_TREE_IGNORE, 0);
        h.PumpRecording(100);
    };
    const std::string ignoreList = h.Folder().File("LI.irg");
    ShownPages().clear();
    ignore(keys[1]);
    EXPECT_EQ(ReadWholeFile(ignoreList), keys[1] + "^Application Paths^16384;\r\n");
    PageSnapshot s = h.Take();
    EXPECT_EQ(s.counts[0], "2");
    EXPECT_EQ(s.gauges[0], 2);
    EXPECT_TRUE(s.detailsShown[0]);
    EXPECT_EQ(std::string(tree.GetItemText(tree.GetRootItem())), "Application Paths        [2 Item(s)]");
    EXPECT_TRUE(ShownPages().empty());

    // The program's next start reads the list: the ignored key is not found again.
    h.ReopenStore();
    ASSERT_TRUE(h.Scan());
    EXPECT_EQ(h.Take().counts[0], "2");
    EXPECT_EQ(tree.FindItemByText(NULL, keys[1].c_str()), nullptr);
    ASSERT_NE(tree.FindItemByText(NULL, keys[0].c_str()), nullptr);

    ignore(keys[0]);
    ignore(keys[2]);
    s = h.Take();
    EXPECT_EQ(s.counts[0], "0");
    EXPECT_EQ(s.results[0], "Good");
    EXPECT_TRUE(s.resultsShown[0]);
    EXPECT_FALSE(s.detailsShown[0]);
    EXPECT_EQ(s.gauges[0], 1);
    EXPECT_EQ(s.headline, "All Good!");
    EXPECT_EQ(ShownPages(), std::vector<int>{1});
    EXPECT_EQ(tree.GetRootItem(), nullptr);
    EXPECT_EQ(ReadWholeFile(ignoreList), keys[0] + "^Application Paths^16384;\r\n" + keys[1] +
                                             "^Application Paths^16384;\r\n" + keys[2] +
                                             "^Application Paths^16384;\r\n");

    // A key found next to them is repaired; the ignored ones are left.
    const std::vector<std::string> fresh = PlantKeys(registry, 1, "Fresh");
    h.ReopenStore();
    ASSERT_TRUE(h.Scan());
    EXPECT_EQ(h.Take().counts[0], "1");
    ASSERT_TRUE(h.Fix());
    EXPECT_EQ(h.Take().state, ScanStateFixed);
    EXPECT_FALSE(KeyThere(fresh[0]));
    for (const std::string& key : keys)
        EXPECT_TRUE(KeyThere(key)) << key;
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(ScanPageTest, JunkReportsFromTheWorkerBecomeSectionsOnThePagesThread)
{
    h.page.GetStatusRecord();
    const struct {
        DWORD category;
        LONGLONG size;
        const char* text;
    } reports[] = {
        {0x1, 0, ""}, {0x1, 100, "C:\\t\\a.tmp"}, {0x1, 200, "C:\\t\\b.tmp"}, {0x2, 0, ""},
        {0x4, 0, ""}, {0x4, 0, "c"}, {0x200, 0, ""}, {0x400, 0, ""}, {0, 0, ""},
    };
    h.junkPage.Reset();
    std::thread worker([&] {
        for (const auto& r : reports)
            h.page.OnJunkItem(r.category, DWORD(r.size), DWORD(r.size >> 32), 0, 0, r.text);
    });
    worker.join();
    // Nothing reached the windows from the worker.
    EXPECT_EQ(h.junkPage.GetTree().GetCount(), 0u);
    h.PumpRecording(150);
    EXPECT_EQ(h.page.GetJunkCount(), 2);
    EXPECT_EQ(h.page.GetJunkSize(), 300);
    EXPECT_EQ(h.page.GetJunkCounter(0x1), 2);
    // Five sections closed, one further slot after 0x200.
    EXPECT_EQ(h.page.GetSectionIndex(), 6);
    EXPECT_EQ(h.Take().counts[1], "300 bytes");
    HTREEITEM temporary = h.junkPage.GetCategoryItem(0x1);
    ASSERT_NE(temporary, nullptr);
    EXPECT_NE(std::string(h.junkPage.GetTree().GetItemText(temporary)).find("(2 file(s) were found , a total of 300 bytes)"),
              std::string::npos);
    int entries = 0;
    for (HTREEITEM e = h.junkPage.GetTree().GetChildItem(temporary); e; e = h.junkPage.GetTree().GetNextSiblingItem(e))
        ++entries;
    EXPECT_EQ(entries, 2);
    // The page's summary after the junk scan.
    h.page.SendMessage(0x6F0, 0, 0);
    EXPECT_EQ(ControlText(h.junkPage.m_hWnd, IDC_JUNKRESULTS_SUMMARY),
              "2 junk file(s)\\trace(s) were found , a total of 300 bytes");
}

TEST_F(ScanPageTest, RowsOpenTheirResultsOnlyWithFindingsAndNothingRunning)
{
    TempFile("junk.tmp", 1000);
    ASSERT_TRUE(h.Scan());
    ShownPages().clear();
    h.page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ROW_TITLE_REGISTRY, BN_CLICKED), 0);
    h.page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ROW_DETAILS_FIRST, BN_CLICKED), 0);
    h.page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ROW_TITLE_INTERNET, BN_CLICKED), 0);
    EXPECT_TRUE(ShownPages().empty());
    h.page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ROW_DETAILS_FIRST + 1, BN_CLICKED), 0);
    EXPECT_EQ(ShownPages(), (std::vector<int>{3}));
    h.page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SCAN_CUSTOMIZE, STN_CLICKED), 0);
    EXPECT_EQ(h.customizeRuns, 1);

    // During a scan neither the rows nor Customize Scan do anything. Many findings keep the
    // registry scan running long enough to be clicked at.
    ScanFixture registry;
    PlantKeys(registry, 300, "Busy");
    ShownPages().clear();
    bool clicked = false;
    h.onDispatched = [&] {
        if (clicked || !h.Process()->IsBusy())
            return;
        clicked = true;
        h.page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ROW_TITLE_REGISTRY, BN_CLICKED), 0);
        h.page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ROW_TITLE_JUNK, BN_CLICKED), 0);
        h.page.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SCAN_CUSTOMIZE, STN_CLICKED), 0);
    };
    ASSERT_EQ(h.page.StartScan(), 1);
    ASSERT_TRUE(h.RunUntil([&] { return h.ScanEnded(); }));
    h.onDispatched = nullptr;
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(ShownPages().empty());
    EXPECT_EQ(h.customizeRuns, 1);
}

// Messages taken off the page's queue, counted by a hook on this thread's queue.
std::atomic<long> g_pageMessages(0);
HWND g_countedPage = nullptr;
LRESULT CALLBACK CountPageMessages(int code, WPARAM wParam, LPARAM lParam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg && msg->hwnd == g_countedPage)
        ++g_pageMessages;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ScanPageTest, AHundredThousandJunkReportsAreFewMessagesAndExactCounts)
{
    const int files = 100000;
    h.junkPage.Reset();
    g_countedPage = h.page.m_hWnd;
    g_pageMessages = 0;
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, CountPageMessages, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    std::atomic<bool> done(false);
    std::atomic<long> unanswered(0), answered(0);
    const DWORD start = GetTickCount();
    std::thread worker([&] {
        h.page.OnJunkItem(JunkTempFiles, 0, 0, 0, 0, "");
        for (int i = 0; i < files; ++i) {
            const std::string text = "C:\\t\\f" + std::to_string(i) + ".tmp";
            h.page.OnStatusText(text.c_str(), "Scanning");
            h.page.OnJunkItem(JunkTempFiles, DWORD(1 + i % 3), 0, 0, 0, text.c_str());
        }
        h.page.OnJunkItem(JunkExplorerMru, 0, 0, 0, 0, "");
        h.page.OnJunkItem(0, 0, 0, 0, 0, "");
        done = true;
    });
    // The page's window answers while the reports pour in.
    std::thread prober([&] {
        while (!done) {
            DWORD_PTR result = 0;
            if (SendMessageTimeoutA(h.page.m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result))
                ++answered;
            else
                ++unanswered;
            Sleep(20);
        }
    });
    ASSERT_TRUE(h.RunUntil([&] { return done.load(); }, 120000));
    worker.join();
    prober.join();
    h.PumpRecording(400);
    const double seconds = (GetTickCount() - start) / 1000.0;
    UnhookWindowsHookEx(hook);

    LONGLONG size = 0;
    for (int i = 0; i < files; ++i)
        size += 1 + i % 3;
    EXPECT_EQ(h.page.GetJunkCount(), files);
    EXPECT_EQ(h.page.GetJunkSize(), size);
    EXPECT_EQ(h.Take().counts[1], std::string(FormatSize(size).GetString()));
    EXPECT_EQ(h.page.GetJunkCounter(JunkTempFiles), files);
    h.page.SendMessage(0x6F0, 0, 0);
    EXPECT_EQ(ControlText(h.junkPage.m_hWnd, IDC_JUNKRESULTS_SUMMARY),
              std::to_string(files) + " junk file(s)\\trace(s) were found , a total of " + FormatSize(size).GetString());
    HTREEITEM temporary = h.junkPage.GetCategoryItem(JunkTempFiles);
    ASSERT_NE(temporary, nullptr);
    EXPECT_NE(std::string(h.junkPage.GetTree().GetItemText(temporary)).find("(" + std::to_string(files) + " file(s)"),
              std::string::npos);
    // Every entry is in, once: the group's node, its two categories and the files.
    EXPECT_EQ(h.junkPage.GetTree().GetCount(), UINT(files + 3));
    // The messages grow with the time the reports took, not with their number: the refresh
    // and its timer come at most about twenty times a second.
    const long refreshes = h.page.GetStatusRecord().refreshPosts.load();
    EXPECT_LE(refreshes, 5 + long(seconds * 12)) << seconds << " s";
    EXPECT_LE(g_pageMessages.load(), 20 + long(seconds * 30)) << seconds << " s";
    EXPECT_EQ(unanswered.load(), 0);
    EXPECT_GT(answered.load(), 0);
}

// A pixel of the page as it is on the screen.
COLORREF PagePixel(HWND page, int x, int y)
{
    UpdateWindow(page);
    HDC dc = GetDC(page);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(page, dc);
    return colour;
}

TEST_F(ScanPageTest, EachPhaseHasItsLook)
{
    ScanFixture registry;
    PlantKeys(registry, 3);
    TempFile("junk.tmp", 1000);
    ASSERT_TRUE(h.Scan());
    PauseForScreenshot("scan-page-found");
    // The junk results the scan left, in the page's place.
    h.page.ShowWindow(SW_HIDE);
    h.junkPage.ShowWindow(SW_SHOW);
    PauseForScreenshot("scan-page-junk-results");
    h.junkPage.ShowWindow(SW_HIDE);
    h.page.ShowWindow(SW_SHOW);

    // The active row is drawn in its colour, the others white.
    RECT title;
    GetWindowRect(GetDlgItem(h.page.m_hWnd, IDC_ROW_TITLE_JUNK), &title);
    MapWindowPoints(NULL, h.page.m_hWnd, reinterpret_cast<POINT*>(&title), 2);
    const int x = title.left - 12, y = (title.top + title.bottom) / 2;
    EXPECT_EQ(PagePixel(h.page.m_hWnd, x, y), RGB(255, 255, 255));
    h.page.UpdateSummaryText(9);
    h.page.SetActiveRow(2);
    h.PumpRecording(200);
    EXPECT_EQ(h.Take().headline, "Scan in progress");
    EXPECT_TRUE(h.Take().stopShown);
    EXPECT_EQ(PagePixel(h.page.m_hWnd, x, y), RGB(241, 255, 242));
    PauseForScreenshot("scan-page-scanning");
    h.page.SetActiveRow(0);
    h.PumpRecording(100);
    EXPECT_EQ(PagePixel(h.page.m_hWnd, x, y), RGB(255, 255, 255));

    h.page.UpdateSummaryText(20);
    h.PumpRecording(100);
    EXPECT_EQ(h.Take().headline, "Cleaning...");
    EXPECT_TRUE(h.Take().fixShown);
    EXPECT_FALSE(h.Take().fixEnabled);
    PauseForScreenshot("scan-page-fixing");
    h.page.UpdateSummaryText(7);
    ASSERT_TRUE(h.Take().fixEnabled);
    ASSERT_TRUE(h.Fix());
    PauseForScreenshot("scan-page-resolved");

    ASSERT_EQ(h.page.StartScan(), 1);
    h.page.StopScan();
    ASSERT_TRUE(h.RunUntil([&] { return h.Settled(); }));
    ExpectStoppedLook(h.Take());
    PauseForScreenshot("scan-page-stopped");
}

// Stand-ins for browsers: the tests' waiting program copied under a browser's file name.
class BrowserStandIns {
public:
    explicit BrowserStandIns(const TempFolder& folder) : m_folder(folder) {}
    ~BrowserStandIns()
    {
        for (PROCESS_INFORMATION& p : m_processes) {
            TerminateProcess(p.hProcess, 1);
            WaitForSingleObject(p.hProcess, 5000);
            CloseHandle(p.hProcess);
            CloseHandle(p.hThread);
        }
    }
    bool Start(const char* fileName)
    {
        const std::string copy = m_folder.File(fileName);
        const std::string sleeper = ProgramFolder() + "\\velmora_sleeper.exe";
        if (!CopyFileA(sleeper.c_str(), copy.c_str(), FALSE) && GetFileAttributesA(copy.c_str()) == INVALID_FILE_ATTRIBUTES) {
            ADD_FAILURE() << "copy " << sleeper << " to " << copy << ": " << GetLastError();
            return false;
        }
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        std::string command = "\"" + copy + "\"";
        if (!CreateProcessA(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            ADD_FAILURE() << "start " << copy << ": " << GetLastError();
            return false;
        }
        m_processes.push_back(process);
        return true;
    }
    // The exit code of each process, STILL_ACTIVE for one that runs.
    std::vector<DWORD> ExitCodes(DWORD waitMs)
    {
        std::vector<DWORD> codes;
        for (PROCESS_INFORMATION& p : m_processes) {
            WaitForSingleObject(p.hProcess, waitMs);
            DWORD code = 0;
            GetExitCodeProcess(p.hProcess, &code);
            codes.push_back(code);
        }
        return codes;
    }

private:
    const TempFolder& m_folder;
    std::vector<PROCESS_INFORMATION> m_processes;
};

TEST_F(ScanPageTest, BrowsersAreNamedInTheQuestionAndEndedOnYes)
{
    TempFolder folder("browsers");
    BrowserStandIns browsers(folder);
    ASSERT_TRUE(browsers.Start("chrome.exe"));
    ASSERT_TRUE(browsers.Start("CHROME.exe"));
    ASSERT_TRUE(browsers.Start("firefox.exe"));
    std::vector<DWORD> ids;
    for (int i = 0; i < 100; ++i) {
        GetProcessIdsByName("Chrome", &ids);
        if (ids.size() == 2)
            break;
        Sleep(20);
    }
    EXPECT_EQ(ids.size(), 2u);
    GetProcessIdsByName("chrome.exe", &ids);
    EXPECT_TRUE(ids.empty());
    GetProcessIdsByName("iexplore", &ids);
    EXPECT_TRUE(ids.empty());

    const char question[] = "Close the following browsers for proper cleaning\nWould you like Velmora to close them?\n\nChrome\nFirefox\n";
    boxes.AnswerYes(false);
    CloseBrowsersBeforeCleaning(&h.page);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{question}));
    EXPECT_EQ(browsers.ExitCodes(200), (std::vector<DWORD>{STILL_ACTIVE, STILL_ACTIVE, STILL_ACTIVE}));

    boxes.Reset();
    boxes.AnswerYes(true);
    boxes.ShootNext("scan-page-browser-question");
    CloseBrowsersBeforeCleaning(&h.page);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{question}));
    EXPECT_EQ(browsers.ExitCodes(5000), (std::vector<DWORD>{0, 0, 0}));

    // Nothing runs any more: no question.
    boxes.Reset();
    CloseBrowsersBeforeCleaning(&h.page);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(ScanPageTexts, BrowserQuestionSaysBrowserForOne)
{
    BrowserProcesses one;
    one.ids[3].push_back(42);
    EXPECT_STREQ(BrowserQuestionText(one).GetString(),
                 "Close the following browser for proper cleaning\nWould you like Velmora to close them?\n\nEdge\n");
    BrowserProcesses all;
    for (auto& ids : all.ids)
        ids.push_back(7);
    EXPECT_STREQ(BrowserQuestionText(all).GetString(),
                 "Close the following browsers for proper cleaning\nWould you like Velmora to close them?\n\n"
                 "Chrome\nInternet Explorer\nFirefox\nEdge\n");
    EXPECT_TRUE(BrowserQuestionText(BrowserProcesses()).IsEmpty());
}

TEST(ScanPageTexts, FormatSizeTable)
{
    const struct {
        LONGLONG bytes;
        const char* text;
    } cases[] = {
        {0, "0 bytes"},
        {-5, "0 bytes"},
        {1, "1 bytes"},
        {1024, "1024 bytes"},
        {1025, "1.00 KB"},
        {1048575, "1024.00 KB"},
        {1048576, "1.00 MB"},
        {1572864, "1.50 MB"},
        {1LL << 30, "1.00 GB"},
        {1LL << 40, "1.00 TB"},
        {1LL << 50, "1.00 PB"},
        {1LL << 60, "1.00 EB"},
        {INT64_MAX, "8.00 EB"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(FormatSize(c.bytes).GetString(), c.text) << c.bytes;
}

TEST(ScanPageTexts, RestrictToScannedMaskTable)
{
    const struct {
        int kind;
        DWORD selection, scanned, result;
    } cases[] = {
        {2, 0x3FFFFFF, 0x1, 0x108401},
        {2, 0x3, 0x3FFFFFF, 0x3},
        {2, 0x1A6317F, 0x1A6313F, 0x1A6313F},
        {3, 0x1F, 0x3, 0x3},
        {3, 0x21, 0, 0x20},
        {4, 0xF, 0x8, 0x8},
        {5, 0xFF, 0, 0xFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RestrictToScannedMask(c.kind, c.selection, c.scanned), c.result)
            << c.kind << " " << std::hex << c.selection << " " << c.scanned;
}

}  // namespace
