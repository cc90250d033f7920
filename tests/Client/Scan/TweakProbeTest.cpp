// The MTU and latency probes over a scripted ping: the sizes sent, the result and the texts they
// report; and the real transport this system gets, with one ping of the loopback address.
#include <winsock2.h>

#include <gtest/gtest.h>

#include "Scan/NetworkPing.h"
#include "Scan/NetworkRoute.h"
#include "Scan/OptimizerSettings.h"
#include "TweakTestSupport.h"

namespace {

const DWORD Untouched = 0xDEADu;

std::vector<int> Range(int from, int to, int step)
{
    std::vector<int> sizes;
    for (int size = from; step > 0 ? size <= to : size >= to; size += step)
        sizes.push_back(size);
    return sizes;
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

PingReply Fails(const char* text)
{
    return PingReply{0, 0, 0, text};
}

// One probe's run over a scripted ping: what it returned and measured, and what it sent.
struct ProbeRun {
    int succeeded;
    DWORD value;
    PingScript script;
    std::vector<std::string> texts;
};

ProbeRun RunProbe(const std::function<PingReply(int, int)>& rule,
                  int (COptimizerSettings::*probe)(DWORD*))
{
    ProbeRun run{0, Untouched, PingScript{rule, {}, {}}, {}};
    ScriptedPingInPlace scripted(run.script);
    ScanRecorder recorder;
    COptimizerSettings settings;
    settings.SetNotifyWindow(recorder.Window());
    run.succeeded = (settings.*probe)(&run.value) != 0;
    recorder.Pump();
    run.texts = recorder.ProbeTexts();
    return run;
}

}  // namespace

TEST(TweakProbes, MtuSearch)
{
    struct Case {
        const char* name;
        std::function<PingReply(int, int)> rule;
        int succeeded;
        DWORD mtu;
        std::vector<int> sizes;
        std::vector<std::string> texts;
    };
    const std::vector<Case> cases = {
        {"every size passes", PathPassingUpTo(100000), 1, 1529, {1500, 1501}, {}},
        {"1501 too big", PathPassingUpTo(1500), 1, 1528, {1500, 1501}, {}},
        {"passes up to 1464", PathPassingUpTo(1464), 1, 1492,
         Join(Range(1500, 1460, -10), Range(1461, 1465, 1)), {}},
        {"passes up to 1472", PathPassingUpTo(1472), 1, 1500,
         Join(Range(1500, 1470, -10), Range(1471, 1473, 1)), {}},
        {"first status 11010", [](int, int) { return PingReply{1, 11010, 0, ""}; }, 0, Untouched,
         {1500}, {"Failed with status code 11010"}},
        {"three transport failures", [](int, int) { return Fails("Query failed"); }, 0, Untouched,
         {1500, 1500, 1500}, {"Query failed", "Query failed", "Query failed"}},
        {"two transport failures, then answers",
         [](int size, int call) { return call < 2 ? Fails("Query failed") : PathPassingUpTo(1500)(size, call); },
         1, 1528, {1500, 1500, 1500, 1501}, {"Query failed", "Query failed"}},
        {"enumeration empty", [](int, int) { return PingReply{1, -1, 0, ""}; }, 0, Untouched,
         {1500}, {"Failed with status code -1"}},
        {"every size too big", PathPassingUpTo(0), 0, Untouched, Range(1500, 10, -10), {}},
        {"passes up to 12 (MTU 40)", PathPassingUpTo(12), 0, Untouched,
         Join(Range(1500, 10, -10), Range(11, 13, 1)), {}},
        {"upward transport failure", [](int size, int call) {
             return size > 1500 ? Fails("Couldn't connect to service") : PathPassingUpTo(1600)(size, call);
         }, 0, Untouched, {1500, 1501}, {"Couldn't connect to service"}},
    };
    SetAdapterKeyForTesting("", static_cast<DWORD>(-1));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProbeRun run = RunProbe(c.rule, &COptimizerSettings::ProbeMtu);
        EXPECT_EQ(run.succeeded, c.succeeded);
        EXPECT_EQ(run.value, c.mtu);
        EXPECT_EQ(run.script.sizes, c.sizes);
        EXPECT_EQ(run.texts, c.texts);
        // Without a known gateway the probe pings the public address.
        for (const std::string& address : run.script.addresses)
            EXPECT_EQ(address, TweakProbeHostAddress);
    }
    SetAdapterKeyForTesting(NULL, 0);
}

TEST(TweakProbes, Latency)
{
    struct Case {
        const char* name;
        std::function<PingReply(int, int)> rule;
        int succeeded;
        DWORD latency;
        int pings;
        std::vector<std::string> texts;
    };
    const int times[] = {20, 22, 21, 25};
    const std::vector<Case> cases = {
        {"20, 22, 21, 25 ms", [&times](int, int call) { return PingReply{1, 0, times[call % 4], ""}; },
         1, 43, 4, {}},
        {"four answers within a millisecond", [](int, int) { return PingReply{1, 0, 0, ""}; }, 1, 0,
         4, {}},
        {"one transport failure between",
         [&times](int, int call) {
             return call == 1 ? Fails("Query failed") : PingReply{1, 0, times[call == 0 ? 0 : call - 1], ""};
         },
         1, 43, 5, {"Query failed"}},
        {"three transport failures", [](int, int) { return Fails("Query failed"); }, 0, Untouched, 3,
         {"Query failed", "Query failed", "Query failed"}},
        {"a ping timed out", [](int, int call) { return PingReply{1, call == 2 ? 11010 : 0, 20, ""}; },
         0, Untouched, 3, {"Failed with status code 11010"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProbeRun run = RunProbe(c.rule, &COptimizerSettings::ProbeLatency);
        EXPECT_EQ(run.succeeded, c.succeeded);
        EXPECT_EQ(run.value, c.latency);
        EXPECT_EQ(run.script.sizes, std::vector<int>(c.pings, -1));
        for (const std::string& address : run.script.addresses)
            EXPECT_EQ(address, TweakProbeHostName);
        EXPECT_EQ(run.texts, c.texts);
    }
}

// This system's WMI has no ping class, so the ICMP echo is the transport; the loopback address
// answers it where the host lets the prefix send ICMP echoes.
TEST(TweakProbes, SystemTransportPingsTheLoopback)
{
    CoInitializeEx(NULL, COINIT_MULTITHREADED);
    EXPECT_EQ(ChoosePingTransport(), PingTransportIcmp);
    // WMI answers a query of a class it lacks with no object, so the status stays as set.
    CString wmiText;
    int status = -1, time = 0;
    EXPECT_EQ(WmiPing("127.0.0.1", wmiText, -1, &status, &time), 1);
    EXPECT_EQ(wmiText, "Enumeration empty");
    EXPECT_EQ(status, -1);
    CoUninitialize();

    // An address that cannot be resolved fails without a ping.
    CString errorText;
    status = -1;
    EXPECT_EQ(IcmpPing("no such host.invalid", errorText, -1, &status, &time), 0);
    EXPECT_FALSE(errorText.IsEmpty());
    EXPECT_EQ(status, -1);

    errorText.Empty();
    status = -1;
    int answered = SystemPing("127.0.0.1", errorText, -1, &status, &time);
    if (!answered)
        GTEST_SKIP() << "no ICMP echo from this host: " << errorText.GetString();
    EXPECT_EQ(status, 0);
    EXPECT_GE(time, 0);
    status = -1;
    EXPECT_EQ(SystemPing("127.0.0.1", errorText, 1400, &status, &time), 1);
    EXPECT_EQ(status, 0);
}

// The real lookups: an interface key is a braced GUID or nothing, and the gateway always names
// somewhere to ping.
TEST(TweakProbes, RouteLookups)
{
    SetAdapterKeyForTesting(NULL, 0);
    CString key = GetAdapterKey(1);
    if (!key.IsEmpty()) {
        EXPECT_EQ(key[0], '{');
        EXPECT_EQ(key[key.GetLength() - 1], '}');
        EXPECT_NE(GetAdapterIndex(), static_cast<DWORD>(-1));
    }
    CString gateway = GetDefaultGateway();
    EXPECT_NE(inet_addr(gateway), INADDR_NONE) << gateway.GetString();
    SetAdapterKeyForTesting(NULL, 0);
}
