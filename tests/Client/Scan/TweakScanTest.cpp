// The internet and system scans as their notify window sees them: the exact messages, the
// totals and the counts per category, offline, with scripted probes and with failed ones.
#include <gtest/gtest.h>

#include "Client/Frame/ProcessDriver.h"
#include "Scan/NetworkRoute.h"
#include "Scan/OptimizerSettings.h"
#include "TweakFixture.h"
#include "TweakTestSupport.h"

using namespace tweakfixture;

namespace {

class AdapterPinned {
public:
    explicit AdapterPinned(const char* key) { SetAdapterKeyForTesting(key, 12); }
    ~AdapterPinned() { SetAdapterKeyForTesting(NULL, 0); }
};

struct Expected {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;   // for status messages: 0 without a text
    std::string text;
};

std::vector<Expected> Recorded(const ScanRecorder& recorder)
{
    std::vector<Expected> messages;
    for (const RecordedMessage& m : recorder.Messages())
        messages.push_back(Expected{m.message, m.wParam, m.hasText ? 1 : m.lParam, m.text});
    return messages;
}

void ExpectSame(const std::vector<Expected>& actual, const std::vector<Expected>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "message " << i);
        EXPECT_EQ(actual[i].message, expected[i].message);
        EXPECT_EQ(actual[i].wParam, expected[i].wParam);
        EXPECT_EQ(actual[i].lParam, expected[i].lParam);
        EXPECT_EQ(actual[i].text, expected[i].text);
    }
}

// The rows' messages of the internet scan, after what the probes sent.
std::vector<Expected> InternetScanMessages(std::vector<Expected> probes, int total, int probed)
{
    const char* firstNames[] = {"ARP Cache Life", "ARP Cache Min Referenced Life", "ARP Cache Size"};
    std::vector<Expected> messages = probes;
    for (int row = 0; row < 54; ++row) {
        std::string name = row < 3 ? firstNames[row] : TweakDefinitionTable[row].displayName;
        if (row == 53)
            name = "Net Failure Time";
        messages.push_back(Expected{WM_INET_SCAN_STATUS, WPARAM(46 + row), 1, "Finding values for " + name});
    }
    messages.push_back(Expected{WM_INET_SCAN_RESULT, WPARAM(total), probed, ""});
    messages.push_back(Expected{WM_INETSCAN_DONE, 0, 0, ""});
    return messages;
}

struct InternetCounts {
    int total, tcpip, winsock, explorer, workstation, dns;
};

void ExpectInternetCounts(const COptimizerSettings& s, InternetCounts c)
{
    EXPECT_EQ(s.GetInetTotal(), c.total);
    EXPECT_EQ(s.GetInetCount(0x1), c.tcpip);
    EXPECT_EQ(s.GetInetCount(0x2), c.winsock);
    EXPECT_EQ(s.GetInetCount(0x4), c.explorer);
    EXPECT_EQ(s.GetInetCount(0x8), c.workstation);
    EXPECT_EQ(s.GetInetCount(0x10), c.dns);
    EXPECT_EQ(s.GetInetProcessed(), 54);
}

// The handles this process has open (Wine counts none in GetProcessHandleCount), found by asking
// for each possible value.
int CountOpenHandles()
{
    int open = 0;
    DWORD flags;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++open;
    return open;
}

void RunInternetScan(COptimizerSettings& settings, ScanRecorder& recorder, DWORD mask, int connected)
{
    settings.ResetCounts();
    settings.StartInternetScan(0, recorder.Window(), mask, connected);
    ASSERT_TRUE(recorder.PumpUntil(WM_INETSCAN_DONE));
    // The end is the last message.
    Sleep(50);
    recorder.Pump();
}

}  // namespace

TEST(TweakScans, OfflineInternetScan)
{
    AdapterPinned noAdapter("");
    RemoveAll();
    COptimizerSettings settings;
    ScanRecorder recorder;
    RunInternetScan(settings, recorder, 0x1F, 0);
    ExpectSame(Recorded(recorder), InternetScanMessages({}, 25, 0));
    ExpectInternetCounts(settings, {25, 12, 5, 7, 1, 0});
    EXPECT_EQ(settings.IsOffline(), 1);

    // Only the categories of the mask count; with none, every message still comes.
    recorder.Clear();
    RunInternetScan(settings, recorder, 0, 0);
    ExpectSame(Recorded(recorder), InternetScanMessages({}, 0, 0));
    ExpectInternetCounts(settings, {0, 0, 0, 0, 0, 0});
    recorder.Clear();
    RunInternetScan(settings, recorder, 0x1D, 0);
    ExpectInternetCounts(settings, {20, 12, 0, 7, 1, 0});

    // A TCP window within twenty percent of its optimal value does not count.
    const struct {
        DWORD window;
        int total;
    } windows[] = {{60000, 25}, {50000, 26}, {65536, 25}};
    for (const auto& w : windows) {
        SCOPED_TRACE(w.window);
        ASSERT_TRUE(WriteStored(Rows[7].place.root, PathOf(Rows[7]), Rows[7].name, Rows[7].view,
                                Dword(w.window)));
        recorder.Clear();
        RunInternetScan(settings, recorder, 0x1F, 0);
        EXPECT_EQ(settings.GetInetTotal(), w.total);
        EXPECT_EQ(settings.GetItem(7).GetCurrent(), static_cast<int>(w.window));
    }
}

TEST(TweakScans, InternetScanWithProbes)
{
    AdapterPinned noAdapter("");
    RemoveAll();
    // The path carries 1472 bytes of payload (an MTU of 1500); each latency ping takes 10 ms.
    PingScript script{PathPassingUpTo(1472), {}, {}};
    ScriptedPingInPlace scripted(script);
    COptimizerSettings settings;
    ScanRecorder recorder;
    RunInternetScan(settings, recorder, 0x1F, 1);
    ExpectSame(Recorded(recorder),
               InternetScanMessages({{WM_INET_SCAN_STATUS, 0, 1, "Started finding MTU"},
                                     {WM_INET_SCAN_STATUS, 20, 1, "Started finding connection latency"},
                                     {WM_INET_SCAN_STATUS, 46, 0, ""}},
                                    27, 1));
    EXPECT_EQ(settings.IsOffline(), 0);
    EXPECT_EQ(settings.GetItem(10).GetOptimal(), 1500);
    // Latency (40 - 1) >> 1 = 19 ms: N = trunc(0.0133 x 2097152) / 1460 = 19, three blocks.
    EXPECT_EQ(settings.GetItem(7).GetOptimal(), 35040);
    EXPECT_EQ(settings.GetItem(25).GetOptimal(), 35040);
    // Both TCP windows (65536 by default) are far from the measured optimum and count too.
    EXPECT_EQ(settings.GetInetCount(0x1), 14);
    // Measured values are applied with the rest.
    settings.SelectInternetCategories(0x1);
    EXPECT_TRUE(settings.GetItem(7).GetFlags() & TWEAK_SELECTED);
    EXPECT_TRUE(settings.GetItem(10).GetFlags() & TWEAK_SELECTED);
}

TEST(TweakScans, FailedProbesLeaveTheProbedRowsAlone)
{
    AdapterPinned noAdapter("");
    RemoveAll();
    PingScript script{[](int, int) { return PingReply{1, 11010, 0, ""}; }, {}, {}};
    ScriptedPingInPlace scripted(script);
    COptimizerSettings settings;
    ScanRecorder recorder;
    RunInternetScan(settings, recorder, 0x1F, 1);
    ExpectSame(Recorded(recorder),
               InternetScanMessages({{WM_INET_SCAN_STATUS, 0, 1, "Started finding MTU"},
                                     {WM_INET_SCAN_STATUS, 0, 1, "Failed with status code 11010"}},
                                    25, 0));
    EXPECT_EQ(settings.IsOffline(), 1);
    EXPECT_EQ(settings.GetItem(10).GetOptimal(), 1500);
    EXPECT_EQ(settings.GetItem(7).GetOptimal(), 65536);

    settings.SelectInternetCategories(0x1F);
    for (int row = 0; row < 54; ++row)
        EXPECT_EQ((settings.GetItem(row).GetFlags() & TWEAK_SELECTED) != 0,
                  row != 7 && row != 10 && row != 25)
            << row;
    EXPECT_EQ(settings.ApplyInternet(), 1);
    EXPECT_EQ(Current(Rows[7]), StoredValue());
    EXPECT_EQ(Current(Rows[0]), Dword(1800));
}

TEST(TweakScans, SystemScan)
{
    RemoveAll();
    COptimizerSettings settings;
    ScanRecorder recorder;
    settings.ScanSystemTweaks(recorder.Window(), 0xF);
    ASSERT_TRUE(recorder.PumpUntil(WM_SYSSCAN_DONE));
    std::vector<Expected> expected = {{WM_SYS_SCAN_STATUS, 46, 0, ""}};
    for (int row = 54; row < 78; ++row)
        expected.push_back(Expected{WM_SYS_SCAN_STATUS, WPARAM(46 + row), 0, ""});
    expected.push_back(Expected{WM_SYS_SCAN_RESULT, 21, 1, ""});
    expected.push_back(Expected{WM_SYSSCAN_DONE, 0, 0, ""});
    ExpectSame(Recorded(recorder), expected);
    EXPECT_EQ(settings.GetSysTotal(), 21);
    EXPECT_EQ(settings.GetSysCount(0x1), 2);
    EXPECT_EQ(settings.GetSysCount(0x2), 2);
    EXPECT_EQ(settings.GetSysCount(0x4), 10);
    EXPECT_EQ(settings.GetSysCount(0x8), 7);
    EXPECT_EQ(settings.GetSysProcessed(), 24);

    // The system scan adds to its counts; the page resets them before each pass.
    recorder.Clear();
    settings.ScanSystemTweaks(recorder.Window(), 0x4);
    ASSERT_TRUE(recorder.PumpUntil(WM_SYSSCAN_DONE));
    EXPECT_EQ(settings.GetSysTotal(), 31);
    settings.ResetCounts();
    recorder.Clear();
    settings.ScanSystemTweaks(recorder.Window(), 0);
    ASSERT_TRUE(recorder.PumpUntil(WM_SYSSCAN_DONE));
    EXPECT_EQ(settings.GetSysTotal(), 0);
    EXPECT_EQ(recorder.Messages().size(), 27u);
}

// Wine's own prefix holds a foreground lock time-out of 0, already the optimal value.
TEST(TweakScans, UntouchedPrefix)
{
    AdapterPinned noAdapter("");
    COptimizerSettings settings;
    ScanRecorder recorder;
    RunInternetScan(settings, recorder, 0x1F, 0);
    EXPECT_EQ(settings.GetInetTotal(), 25);
    settings.ScanSystemTweaks(recorder.Window(), 0xF);
    ASSERT_TRUE(recorder.PumpUntil(WM_SYSSCAN_DONE));
    EXPECT_EQ(settings.GetSysTotal(), 20);
    EXPECT_EQ(settings.GetItem(66).GetCurrent(), 0);
}

// Each scan start closes the handle of the worker before it.
TEST(TweakScans, WorkerHandlesDoNotPileUp)
{
    AdapterPinned noAdapter("");
    COptimizerSettings settings;
    ScanRecorder recorder;
    RunInternetScan(settings, recorder, 0x1F, 0);
    int handles = CountOpenHandles();
    for (int scan = 0; scan < 10; ++scan) {
        recorder.Clear();
        RunInternetScan(settings, recorder, 0x1F, 0);
    }
    EXPECT_GT(handles, 0);
    EXPECT_LE(CountOpenHandles(), handles + 2);
}

// On Windows 10 from build 17134 the NTFS last-access row has other values, and it counts.
TEST(TweakScans, SystemScanOnWindows10)
{
    RemoveAll();
    const char* appDefaults = "Software\\Wine\\AppDefaults\\tweak_system_scan_probe.exe";
    const struct {
        const char* version;
        DWORD total;
    } versions[] = {{"win10", 22}, {"win7", 21}};
    for (const auto& v : versions) {
        SCOPED_TRACE(v.version);
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, appDefaults, "Version", REG_SZ, v.version,
                                  lstrlenA(v.version) + 1),
                  ERROR_SUCCESS);
        ChildProcess probe;
        std::string program = TestFolder() + "tweak_system_scan_probe.exe";
        ASSERT_TRUE(probe.Start(program, "\"" + program + "\""));
        ASSERT_TRUE(probe.WaitForExit(30000));
        EXPECT_EQ(probe.ExitCode(), v.total);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, appDefaults);
}

// A start while the worker runs changes nothing: one scan, one end.
TEST(TweakScans, StartWhileRunningIsIgnored)
{
    AdapterPinned noAdapter("");
    static HANDLE release = CreateEventA(NULL, TRUE, FALSE, NULL);
    PingScript script{[](int size, int call) {
                          WaitForSingleObject(release, 30000);
                          return PathPassingUpTo(1472)(size, call);
                      },
                      {}, {}};
    ScriptedPingInPlace scripted(script);
    COptimizerSettings settings;
    ScanRecorder recorder;
    settings.StartInternetScan(0, recorder.Window(), 0x1F, 1);
    settings.StartInternetScan(0, recorder.Window(), 0, 0);
    SetEvent(release);
    ASSERT_TRUE(recorder.PumpUntil(WM_INETSCAN_DONE));
    Sleep(200);
    recorder.Pump();
    int ends = 0, rows = 0;
    for (const RecordedMessage& m : recorder.Messages()) {
        ends += m.message == WM_INETSCAN_DONE;
        rows += m.message == WM_INET_SCAN_STATUS && m.wParam >= 46 && m.hasText;
    }
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(rows, 54);
    EXPECT_EQ(settings.IsOffline(), 0);
    EXPECT_EQ(settings.GetInetTotal(), 27);
}
