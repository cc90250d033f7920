// The optimal values and Windows defaults of the tweaks: the TCP window rule, the rows that
// depend on the speed class, the probed and offline rows, and the NTFS row by Windows build.
#include <gtest/gtest.h>

#include "Scan/OptimizerItem.h"
#include "Scan/TweakDefinitions.h"

namespace {

COptimizerItem Row(int row)
{
    COptimizerItem item;
    item.SetId(row);
    return item;
}

int Optimal(int row, int speedClass, DWORD mtu, DWORD latency, int offline)
{
    COptimizerItem item = Row(row);
    EXPECT_EQ(item.ComputeOptimal(speedClass, &mtu, &latency, offline), 1);
    return item.GetOptimal();
}

}  // namespace

TEST(TweakOptimal, TcpWindowRule)
{
    struct Case {
        DWORD mtu;
        DWORD latency;
        int speedClass;
        int offline;
        int window;
    };
    const Case cases[] = {
        {1500, 100, 0, 0, 151840},
        {1500, 100, 1, 0, 46720},
        {1500, 100, 2, 0, 8760},
        {1500, 10, 2, 0, 7300},
        {1500, 43, 0, 0, 70080},
        {1500, 0, 0, 0, 23360},
        {1500, 100, 0, 1, 65536},
        // No segment fits: taken as offline rather than divided by zero or wrapped.
        {40, 100, 0, 0, 65536},
        {39, 100, 0, 0, 65536},
        {0, 0, 2, 0, 65536},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mtu << " " << c.latency << " class " << c.speedClass
                                        << " offline " << c.offline);
        EXPECT_EQ(Optimal(TweakRowGlobalMaxTcpWindowSize, c.speedClass, c.mtu, c.latency, c.offline),
                  c.window);
        EXPECT_EQ(Optimal(TweakRowTcpWindowSize, c.speedClass, c.mtu, c.latency, c.offline),
                  c.window);
    }
}

TEST(TweakOptimal, MtuRowTakesTheProbeOnlyWhenOnline)
{
    EXPECT_EQ(Optimal(TweakRowMtu, 0, 1492, 43, 0), 1492);
    EXPECT_EQ(Optimal(TweakRowMtu, 0, 1492, 43, 1), 1500);
    EXPECT_EQ(Optimal(TweakRowMtu, 0, 40, 43, 0), 1500);
    // Without probe values at all.
    COptimizerItem item = Row(TweakRowMtu);
    item.ComputeOptimal(0, NULL, NULL, 1);
    EXPECT_EQ(item.GetOptimal(), 1500);
}

TEST(TweakOptimal, RowsBySpeedClass)
{
    struct Case {
        int row;
        int byClass[3];
    };
    const Case cases[] = {
        {26, {393216, 98304, 8192}},  {27, {131072, 32768, 8192}}, {13, {1, 1, 0}},
        {33, {7200, 3600, 1800}},     {35, {8, 6, 4}},             {36, {8, 6, 4}},
        {37, {60000, 150000, 300000}}, {39, {65536, 65536, 8192}}, {40, {65536, 32768, 8192}},
        {0, {1800, 1800, 1800}},      {42, {0, 0, 0}},             {76, {38, 38, 38}},
    };
    for (const Case& c : cases)
        for (int speedClass = 0; speedClass < 3; ++speedClass)
            EXPECT_EQ(Optimal(c.row, speedClass, 1500, 100, 0), c.byClass[speedClass])
                << "row " << c.row << " class " << speedClass;
}

TEST(TweakOptimal, NtfsRowByWindowsBuild)
{
    struct Case {
        int versionCode;
        DWORD build;
        unsigned windowsDefault;
        unsigned optimal;
    };
    const Case cases[] = {
        {10, 17134, 0x80000003u, 0x80000001u},
        {10, 19045, 0x80000003u, 0x80000001u},
        {10, 17133, 1, 1},
        {6, 7601, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.versionCode << " " << c.build);
        COptimizerItem item = Row(73);
        item.SetWindowsVersion(c.versionCode, c.build);
        item.SetWindowsDefault();
        item.ComputeOptimal(0, NULL, NULL, 1);
        EXPECT_EQ(static_cast<unsigned>(item.GetWindowsDefault()), c.windowsDefault);
        EXPECT_EQ(static_cast<unsigned>(item.GetCurrent()), c.windowsDefault);
        EXPECT_EQ(static_cast<unsigned>(item.GetOptimal()), c.optimal);
        EXPECT_TRUE(item.GetFlags() & TWEAK_DEFAULTS);
    }
}

TEST(TweakOptimal, DefaultsAbsentAndNone)
{
    COptimizerItem absent = Row(54);
    absent.SetWindowsDefault();
    EXPECT_EQ(absent.GetCurrent(), TWEAK_ABSENT);
    EXPECT_EQ(absent.GetWindowsDefault(), TWEAK_ABSENT);

    // The workstation task scheduler row has no default: its values stay.
    COptimizerItem none = Row(TweakRowWorkstationTS);
    none.SetWindowsDefault();
    EXPECT_EQ(none.GetCurrent(), -1);
    EXPECT_EQ(none.GetWindowsDefault(), -1);
    EXPECT_EQ(none.GetFlags(), TWEAK_DEFAULTS);
}

TEST(TweakOptimal, CategoriesCoverTheirRows)
{
    int covered = 0;
    for (const TweakCategoryRows& category : TweakCategoryTable)
        for (int row = category.firstRow; row <= category.lastRow; ++row) {
            EXPECT_EQ(FindTweakCategory(row), &category) << row;
            EXPECT_EQ(category.kind, row < TweakInternetRowCount ? ScanKindInternet : ScanKindSystem);
            ++covered;
        }
    EXPECT_EQ(covered, TweakRowCount);
    EXPECT_TRUE(IsTcpWindowRow(7));
    EXPECT_TRUE(IsTcpWindowRow(25));
    EXPECT_FALSE(IsTcpWindowRow(10));
    // 60000 against 65536 is within ten percent, 55000 within twenty, 50000 beyond.
    EXPECT_LT(TcpWindowDeviation(60000, 65536), 10.0f);
    EXPECT_GT(TcpWindowDeviation(55000, 65536), 10.0f);
    EXPECT_LT(TcpWindowDeviation(55000, 65536), 20.0f);
    EXPECT_GT(TcpWindowDeviation(50000, 65536), 20.0f);
}
