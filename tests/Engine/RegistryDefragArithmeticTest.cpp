// The hive defragmenter's pure decisions, white-box: the gain code and text for given totals,
// and the device-name match that turns hive list paths into drive-letter paths.
#include <gtest/gtest.h>

#include <string>

#include "Engine/RegistryDefrag.h"

// The gain decision in whole numbers: 95.5 percent gives 4.50 and code 6, 96 percent code 8,
// and totals beyond 4 GiB are not cut.
TEST(RegistryDefragArithmetic, GainTextAndCodeFollowTheTotals)
{
    const ULONGLONG GiB = 1ULL << 30;
    struct Case {
        ULONGLONG oldTotal, newTotal;
        int code;
        const char* text;
    } cases[] = {
        {1000, 955, DefragGain, "4.50"},
        {1000, 960, DefragNoGain, ""},
        {1000000, 959999, DefragGain, "4.00"},
        {1000, 1000, DefragNoGain, ""},
        {1000, 1001, DefragNoGain, ""},
        {0, 0, DefragNoGain, ""},
        {1000, 0, DefragGain, "100.00"},
        {8 * GiB, 4 * GiB, DefragGain, "50.00"},
        {5 * GiB, 5 * GiB - 1, DefragNoGain, ""},
        {~0ULL, ~0ULL / 2, DefragGain, "50.00"},
    };
    for (const Case& c : cases) {
        CString text;
        EXPECT_EQ(CRegistryDefrag::AnalysisResult(c.oldTotal, c.newTotal, text), c.code)
            << c.oldTotal << " -> " << c.newTotal;
        EXPECT_EQ(std::string(text), c.text) << c.oldTotal << " -> " << c.newTotal;
    }
}

// A device name matches only up to a "\": volume 1 is not the start of volume 10.
TEST(RegistryDefragArithmetic, DevicePrefixMatchesOnlyAtAPathBoundary)
{
    struct Case {
        const char* path;
        const char* expected;
    } cases[] = {
        {"\\device\\harddiskvolume1\\windows\\system32\\config\\software", "C:\\windows\\system32\\config\\software"},
        {"\\DEVICE\\HARDDISKVOLUME1\\x", "C:\\x"},
        {"\\device\\harddiskvolume10\\windows\\x", "\\device\\harddiskvolume10\\windows\\x"},
        {"\\device\\harddiskvolume1", "C:"},
        {"\\device\\harddisk", "\\device\\harddisk"},
        {"c:\\windows\\x", "c:\\windows\\x"},
    };
    for (const Case& c : cases) {
        CString path(c.path);
        const bool changed = CRegistryDefrag::ReplaceDevicePrefix(path, "\\Device\\HarddiskVolume1", "C:");
        EXPECT_EQ(std::string(path), c.expected);
        EXPECT_EQ(changed, std::string(c.path) != c.expected) << c.path;
    }
    char volume[MAX_PATH] = {};
    ASSERT_TRUE(QueryDosDeviceA("C:", volume, MAX_PATH));
    CString device = CString(volume) + "\\windows\\x";
    CRegistryDefrag::DevicePathToDosPath(device);
    EXPECT_EQ(std::string(device), "C:\\windows\\x");
}
