// Apply and restore over all 78 tweaks on the real registry: from Windows' defaults to the
// optimal values and back byte for byte, a restore on a clean system, and a write failure that
// does not stop the rows after it.
#include <gtest/gtest.h>

#include "Engine/RegistryFixture.h"
#include "Scan/NetworkRoute.h"
#include "Scan/OptimizerSettings.h"
#include "TweakFixture.h"
#include "TweakTestSupport.h"

using namespace tweakfixture;

namespace {

const char SettingsKey[] = "Software\\Velmora\\1.0.1";

// Both scans, offline, every category.
void ScanOffline(COptimizerSettings& settings)
{
    ScanRecorder recorder;
    settings.ResetCounts();
    settings.StartInternetScan(0, recorder.Window(), 0x1F, 0);
    ASSERT_TRUE(recorder.PumpUntil(WM_INETSCAN_DONE));
    settings.ScanSystemTweaks(recorder.Window(), 0xF);
    ASSERT_TRUE(recorder.PumpUntil(WM_SYSSCAN_DONE));
}

class AdapterPinned {
public:
    explicit AdapterPinned(const char* key) { SetAdapterKeyForTesting(key, 12); }
    ~AdapterPinned() { SetAdapterKeyForTesting(NULL, 0); }
};

}  // namespace

TEST(TweakRoundTrip, ApplyThenRestoreGivesTheDefaultsBack)
{
    AdapterPinned adapter(AdapterKey);
    ASSERT_TRUE(PlantDefaults());
    StoredValue before[78];
    for (int r = 0; r < 78; ++r)
        before[r] = Current(Rows[r]);

    COptimizerSettings settings;
    ScanOffline(settings);
    settings.ClearSelection();
    settings.SelectInternetCategories(0x1F);
    settings.SelectSystemCategories(0xF);
    EXPECT_EQ(settings.ApplyInternet(), 1);
    EXPECT_EQ(settings.ApplySystem(), 1);

    for (int r = 0; r < 78; ++r) {
        SCOPED_TRACE(testing::Message() << "row " << r);
        const Row& row = Rows[r];
        if (row.kind == Key)
            EXPECT_EQ(Current(row), (StoredValue{REG_NONE, "missing key"}));
        else if (row.optimal == Untouched)
            EXPECT_EQ(Current(row), before[r]);
        else
            EXPECT_EQ(Current(row), Stored(row, row.optimal));
    }
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, SettingsKey, "SavedWorkstationTS", ProgramView),
              Text(WorkstationTSText));

    // Another object restores, as the Restore Center's does.
    COptimizerSettings restorer;
    EXPECT_EQ(restorer.RestoreInternetDefaults(), 1);
    EXPECT_EQ(restorer.RestoreSystemDefaults(), 1);
    for (int r = 0; r < 78; ++r)
        EXPECT_EQ(Current(Rows[r]), before[r]) << "row " << r;
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, SettingsKey, "SavedWorkstationTS", ProgramView),
              StoredValue());
}

TEST(TweakRoundTrip, RestoreOnACleanSystemCreatesNoKeyForAnAbsentDefault)
{
    AdapterPinned noAdapter("");
    const char* errorReporting = "Software\\Microsoft\\PCHealth\\ErrorReporting";
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, errorReporting, KEY_WOW64_64KEY));
    RegistryDump interfaces =
        Dump(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces");

    COptimizerSettings settings;
    EXPECT_EQ(settings.RestoreInternetDefaults(), 1);
    EXPECT_EQ(settings.RestoreSystemDefaults(), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, errorReporting, KEY_WOW64_64KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Rows[42].place.path, ProgramView));
    EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE,
                   "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces"),
              interfaces);
    // The defaults that exist were written.
    EXPECT_EQ(Current(Rows[0]), Dword(120));
    EXPECT_EQ(Current(Rows[67]), Text("500"));
    // The same again succeeds too.
    EXPECT_EQ(settings.RestoreInternetDefaults(), 1);
    EXPECT_EQ(settings.RestoreSystemDefaults(), 1);
}

// Under a volatile key no lasting key can be created, so the error reporting rows fail; the
// rows after them are written all the same.
TEST(TweakRoundTrip, AFailedWriteDoesNotStopTheRowsAfterIt)
{
    HKEY microsoft, health;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft", 0,
                            KEY_ALL_ACCESS | KEY_WOW64_64KEY, &microsoft),
              ERROR_SUCCESS);
    RegDeleteTreeA(microsoft, "PCHealth");
    RegCloseKey(microsoft);
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\PCHealth", 0, NULL,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS | KEY_WOW64_64KEY, NULL, &health,
                              NULL),
              ERROR_SUCCESS);
    RegCloseKey(health);
    RemoveAll();

    COptimizerSettings settings;
    ScanOffline(settings);
    settings.SelectSystemCategories(0xF);
    EXPECT_EQ(settings.ApplySystem(), 0);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Rows[60].place.path, KEY_WOW64_64KEY));
    for (int r = 54; r < 78; ++r) {
        if (r == 60 || r == 61)
            continue;
        EXPECT_EQ(Current(Rows[r]), Stored(Rows[r], Rows[r].optimal)) << "row " << r;
    }
}
