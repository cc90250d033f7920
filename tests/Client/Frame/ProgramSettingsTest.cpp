// The settings record under HKLM "Software\Velmora\1.0.1", read through the registry view the
// program uses (it names none: the 32-bit view for the 32-bit program on 64-bit Windows). The key
// is machine-wide, so every case runs in a prefix of its own.
#include <gtest/gtest.h>

#include <string>

#include "Frame/ProgramPaths.h"
#include "Frame/ProgramSettings.h"
#include "Support/ProgramBitness.h"

namespace {

const REGSAM ProgramView = kProgramRegistryView;
const REGSAM OtherView = kOtherRegistryView;

bool ReadDword(const char* name, DWORD& value, REGSAM view = ProgramView)
{
    DWORD type = 0, size = sizeof value;
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    LONG result = RegQueryValueExA(key, name, NULL, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD && size == 4;
}

void WriteDword(const char* name, DWORD value)
{
    HKEY key = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, 0, NULL, 0, KEY_ALL_ACCESS | ProgramView, NULL,
                              &key, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void DeleteSettings()
{
    HKEY software = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | ProgramView, &software) != ERROR_SUCCESS)
        return;
    RegDeleteTreeA(software, "Velmora");
    RegCloseKey(software);
}

// The three switches as the program's view stores them.
void ExpectStoredSwitches(DWORD firstRun, DWORD softwareUpdate, DWORD autoRegBackup)
{
    const struct {
        const char* name;
        DWORD expected;
    } switches[] = {
        {SettingFirstRun, firstRun},
        {SettingSoftwareUpdate, softwareUpdate},
        {SettingAutoRegBackup, autoRegBackup},
    };
    for (const auto& s : switches) {
        SCOPED_TRACE(s.name);
        DWORD value = 99;
        EXPECT_TRUE(ReadDword(s.name, value));
        EXPECT_EQ(value, s.expected);
    }
}

bool KeyExists(const char* path, REGSAM view)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

TEST(ProgramSettings, FirstStartWritesTheDefaultsInTheProgramsView)
{
    ASSERT_FALSE(KeyExists(ProgramSettingsParentKey, ProgramView)) << "the prefix is not fresh";
    SettingsRecord settings;
    LoadProgramSettings(settings);
    EXPECT_EQ(settings.FirstRun, 1);
    EXPECT_EQ(settings.SoftwareUpdate, 1);
    EXPECT_EQ(settings.AutoRegBackup, 1);

    ExpectStoredSwitches(0, 1, 1);

    char path[MAX_PATH] = {};
    DWORD size = sizeof path, type = 0;
    HKEY parent = NULL;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ProgramSettingsParentKey, 0, KEY_READ | ProgramView, &parent),
              ERROR_SUCCESS);
    EXPECT_EQ(RegGetValueA(parent, NULL, SettingAppPath, RRF_RT_ANY, &type, path, &size), ERROR_SUCCESS);
    RegCloseKey(parent);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(path, GetProgramPath());
    // Nothing in the other view.
    EXPECT_FALSE(KeyExists(ProgramSettingsParentKey, OtherView));

    // The second start is no first run.
    SettingsRecord again;
    LoadProgramSettings(again);
    EXPECT_EQ(again.FirstRun, 0);
}

TEST(ProgramSettings, StoredValuesAreReadAndFirstRunIsRewritten)
{
    struct Case {
        const char* name;
        DWORD stored;
        int SettingsRecord::*member;
        int loaded;
        DWORD afterwards;
    };
    const Case cases[] = {
        {SettingSoftwareUpdate, 0, &SettingsRecord::SoftwareUpdate, 0, 0},
        {SettingSoftwareUpdate, 1, &SettingsRecord::SoftwareUpdate, 1, 1},
        {SettingSoftwareUpdate, 5, &SettingsRecord::SoftwareUpdate, 1, 5},
        {SettingAutoRegBackup, 0, &SettingsRecord::AutoRegBackup, 0, 0},
        {SettingAutoRegBackup, 0xFFFFFFFF, &SettingsRecord::AutoRegBackup, 1, 0xFFFFFFFF},
        {SettingFirstRun, 1, &SettingsRecord::FirstRun, 0, 0},
        {SettingFirstRun, 0, &SettingsRecord::FirstRun, 0, 0},
        {SettingFirstRun, 7, &SettingsRecord::FirstRun, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " = " << c.stored);
        DeleteSettings();
        WriteDword(c.name, c.stored);
        SettingsRecord settings;
        LoadProgramSettings(settings);
        EXPECT_EQ(settings.*c.member, c.loaded);
        DWORD value = 12345;
        EXPECT_TRUE(ReadDword(c.name, value));
        EXPECT_EQ(value, c.afterwards);
    }
    DeleteSettings();
}

TEST(ProgramSettings, SaveWritesTheSwitches)
{
    SettingsRecord settings;
    settings.FirstRun = 1;
    settings.SoftwareUpdate = 0;
    settings.AutoRegBackup = 1;
    SaveProgramSettings(settings);
    ExpectStoredSwitches(0, 0, 1);

    SettingsRecord loaded;
    LoadProgramSettings(loaded);
    EXPECT_EQ(loaded.SoftwareUpdate, 0);
    EXPECT_EQ(loaded.AutoRegBackup, 1);
    EXPECT_FALSE(KeyExists(ProgramSettingsKey, OtherView));
}
