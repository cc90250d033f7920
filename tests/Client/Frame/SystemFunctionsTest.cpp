// The Windows version code on every version the prefix can pretend to be, and the WoW64 test.
// Each row sets the per-program version of the probe in the prefix (the Wine "AppDefaults" key
// of the probe's file name), so no other program of the prefix sees a different Windows.
#include <gtest/gtest.h>

#include "Frame/SystemFunctions.h"
#include "ProcessDriver.h"
#include "Support/ProgramBitness.h"

namespace {

const char ProbeName[] = "frame_version_probe.exe";
const char AppDefaultsKey[] = "Software\\Wine\\AppDefaults\\frame_version_probe.exe";

int ProbeVersion(const char* wineVersion)
{
    if (RegSetKeyValueA(HKEY_CURRENT_USER, AppDefaultsKey, "Version", REG_SZ, wineVersion,
                        lstrlenA(wineVersion) + 1) != ERROR_SUCCESS)
        return -1;
    ChildProcess probe;
    std::string program = TestFolder() + ProbeName;
    if (!probe.Start(program, "\"" + program + "\""))
        return -2;
    if (!probe.WaitForExit(20000))
        return -3;
    return static_cast<int>(probe.ExitCode());
}

}  // namespace

TEST(SystemFunctions, WindowsVersionCodes)
{
    struct Case {
        const char* wineVersion;
        int code;
    };
    const Case cases[] = {
        {"win2k", Windows2000}, {"winxp", WindowsXP},        {"win2003", WindowsServer2003},
        {"winxp64", WindowsServer2003}, {"vista", WindowsVista}, {"win7", Windows7},
        {"win8", Windows8},     {"win81", Windows81},        {"win10", Windows10},
        {"nt40", WindowsUnknown}, {"win98", WindowsUnknown},
    };
    // The probe is built like this test: a 32-bit probe runs under WoW64 on the 64-bit prefix
    // (its exit code is 100 more), a 64-bit one natively.
    const int wow64 = kThirtyTwoBitProgram ? 100 : 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wineVersion);
        EXPECT_EQ(ProbeVersion(c.wineVersion), c.code + wow64);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, AppDefaultsKey);
}

TEST(SystemFunctions, TestedVersionsAndWow64)
{
    for (int code = 0; code <= 12; ++code) {
        bool tested = code == 3 || code == 4 || code == 5 || code == 6 || code == 7 || code == 8 || code == 10;
        EXPECT_EQ(IsTestedWindowsVersion(code), tested) << code;
    }
    // The prefix is a 64-bit one: only a 32-bit program runs under WoW64 there.
    EXPECT_EQ(IsWow64() != FALSE, kThirtyTwoBitProgram);
    EXPECT_TRUE(IsTestedWindowsVersion(GetWindowsVersion()));
}
