// The program's settings key, its value names, and the settings record the application object
// keeps: read at every start, written back by the Settings dialog.
#ifndef VELMORA_FRAME_PROGRAM_SETTINGS_H
#define VELMORA_FRAME_PROGRAM_SETTINGS_H

#include <windows.h>

#include "Framework/CString.h"

// HKEY_LOCAL_MACHINE; the program is 32-bit and names no view, so under WoW64 the key lives in
// the 32-bit view. Always opened with KEY_ALL_ACCESS.
#define ProgramSettingsKey "Software\\Velmora\\1.0.1"
// The parent of ProgramSettingsKey, which holds "AppPath1".
#define ProgramSettingsParentKey "Software\\Velmora"
const REGSAM ProgramSettingsAccess = KEY_ALL_ACCESS;

// Values of ProgramSettingsKey (and "AppPath1" of its parent). The pages that own a value own
// its meaning.
#define SettingAppPath "AppPath1"                          // REG_SZ, parent key
#define SettingFirstRun "FirstRun"                         // REG_DWORD
#define SettingSoftwareUpdate "SoftwareUpdate"             // REG_DWORD, default 1
#define SettingAutoRegBackup "AutoRegBackup"               // REG_DWORD, default 1
#define SettingLastSelScanRegTypes "LastSelScanRegTypes"   // REG_DWORD, default 0xFCF400
#define SettingLastSelScanJunkTypes "LastSelScanJunkTypes" // REG_DWORD, default 0x1A6313F
#define SettingLastSelScanInetTypes "LastSelScanInetTypes" // REG_DWORD, default 0x1F
#define SettingLastSelScanSysTypes "LastSelScanSysTypes"   // REG_DWORD, default 0xF
#define SettingLastDefrag "LastDefrag"                     // REG_SZ, no default

struct SettingsRecord {
    int FirstRun = 1;
    int SoftwareUpdate = 1;   // check for a new version at start
    int AutoRegBackup = 1;    // back up registry items before a repair
    CString LastDefragText;   // used by the registry defragmenter page
};

// Writes the program's path as "AppPath1", then reads the record from ProgramSettingsKey and
// writes the defaults of missing values. When the key cannot be created the record keeps what
// it holds and nothing is written there.
void LoadProgramSettings(SettingsRecord& settings);
// Writes "FirstRun" = 0 and the two switches; a failure writes nothing and reports nothing.
void SaveProgramSettings(const SettingsRecord& settings);

#endif
