// Reading and writing the program's settings record under ProgramSettingsKey.
#include "Frame/ProgramSettings.h"

#include "Frame/ProgramPaths.h"
#include "Frame/RegistryKey.h"

namespace {

// A switch that is on unless stored as 0; a missing value is written as on.
void LoadSwitch(CRegistryKey& key, const char* name, int& member)
{
    DWORD stored = 0;
    if (!key.GetDWORD(name, stored))
        key.SetDWORD(name, 1);
    else if (stored == 0)
        member = 0;
}

}  // namespace

void LoadProgramSettings(SettingsRecord& settings)
{
    CRegistryKey parent;
    if (parent.Create(HKEY_LOCAL_MACHINE, ProgramSettingsParentKey, ProgramSettingsAccess)) {
        parent.SetString(SettingAppPath, GetProgramPath());
        parent.Close();
    }

    CRegistryKey key;
    if (!key.Create(HKEY_LOCAL_MACHINE, ProgramSettingsKey, ProgramSettingsAccess))
        return;
    DWORD firstRun = 0;
    bool present = key.GetDWORD(SettingFirstRun, firstRun) != 0;
    if (present)
        settings.FirstRun = 0;
    if (!present || firstRun != 0)
        key.SetDWORD(SettingFirstRun, 0);
    LoadSwitch(key, SettingSoftwareUpdate, settings.SoftwareUpdate);
    LoadSwitch(key, SettingAutoRegBackup, settings.AutoRegBackup);
    key.Close();
}

void SaveProgramSettings(const SettingsRecord& settings)
{
    CRegistryKey key;
    if (!key.Create(HKEY_LOCAL_MACHINE, ProgramSettingsKey, ProgramSettingsAccess))
        return;
    key.SetDWORD(SettingFirstRun, 0);
    key.SetDWORD(SettingSoftwareUpdate, static_cast<DWORD>(settings.SoftwareUpdate));
    key.SetDWORD(SettingAutoRegBackup, static_cast<DWORD>(settings.AutoRegBackup));
    key.Close();
}
