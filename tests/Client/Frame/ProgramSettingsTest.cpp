// The settings record under HKLM "Software\Velmora\1.0.1", read through the 32-bit view the
// program uses. The key is machine-wide, so every case runs in a prefix of its own.
#include <gtest/gtest.h>

#include <string>

#include "Frame/ProgramPaths.h"
#include "Frame/ProgramSettings.h"

namespace {

const REGSAM View32 = KEY_WOW64_32KEY;
const REGSAM View64 = KEY_WOW64_64KEY;

bool ReadDword(const char* name, DWORD& value, REGSAM view = View32)
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
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, 0, NULL, 0, KEY_ALL_ACCESS | View32, NULL,
                              &key, NULL),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

void DeleteSettings()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\Velmora");
}

// The three switches as the 32-bit view stores them.
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

TEST(ProgramSettings, FirstStartWritesTheDefaultsInThe32BitView)
{
    ASSERT_FALSE(KeyExists(ProgramSettingsParentKey, View32)) << "the prefix is not fresh";
    SettingsRecord settings;
    LoadProgramSettings(settings);
    EXPECT_EQ(settings.FirstRun, 1);
    EXPECT_EQ(settings.SoftwareUpdate, 1);
    EXPECT_EQ(settings.AutoRegBackup, 1);

    ExpectStoredSwitches(0, 1, 1);

    char path[MAX_PATH] = {};
    DWORD size = sizeof path, type = 0;
    ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\Velmora", SettingAppPath,
                           RRF_RT_ANY, &type, path, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(path, GetProgramPath());
    // Nothing in the 64-bit view.
    EXPECT_FALSE(KeyExists(ProgramSettingsParentKey, View64));

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
    EXPECT_FALSE(KeyExists(ProgramSettingsKey, View64));
}
