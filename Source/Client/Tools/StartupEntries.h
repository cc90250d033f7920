// The programs Windows starts at logon, gathered from the "Run" values of the registry, the
// user's and the common Startup folders and the two keys in which the System Configuration tool
// keeps the entries it has disabled; and their disabling, enabling and removal.
//
// A disabled registry entry lives under HKLM "Software\Microsoft\Shared Tools\MSConfig" in
// "startupreg\<Name>"; a disabled Startup file lies in "<Windows folder>\pss\" and is described
// under "...\MSConfig\startupfolder\<its path with ^ for \>". Those keys are read back as disabled
// entries whoever wrote them. On a 64-bit system (this 32-bit program under WOW64, or a 64-bit
// build) every key is opened in the 64-bit view.
//
// GUI-free; the Startup Manager page calls everything here on its own thread. Nothing is shown
// to the user: every operation reports through its result only.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "Framework/CString.h"

// One startup entry.
struct StartupItem {
    CString Name;        // "Run" value name / startupreg subkey; file name without extension / "item"
    CString Command;     // the command line; the file's full path / "command"
    CString KeyPath;     // the "Run" key without root; the file's path with "^" for "\"
    int MachineWide = 0; // HKLM or the common Startup folder
    int Disabled = 0;    // read from an MSConfig key
    CString Location;    // "HKLM", "HKCU", "Startup", "Common Startup" (or the stored text)
    int IsRegistry = 0;
    CString BackupPath;  // where the file lies while disabled
    CString FilePath;    // the file's place in its Startup folder
    // One of the strings of a REG_MULTI_SZ "Run" value: such a value holds several commands
    // under one name, and none of them can be moved or deleted without the others.
    int FromMultiString = 0;
};

typedef std::vector<StartupItem> StartupItemList;
// A "Run" key to read: its root and its path.
typedef std::pair<HKEY, CString> RunKeySource;
typedef std::vector<RunKeySource> RunKeySourceList;

// Sort columns of the list.
enum StartupSortColumn { StartupSortByName = 0, StartupSortByCommand = 1, StartupSortByLocation = 2 };

extern const char* const StartupRunKeyPath;        // "Software\Microsoft\Windows\CurrentVersion\Run"
extern const char* const StartupRunKeyPath32;      // the same under "Software\Wow6432Node"
extern const char* const StartupRegKeyPath;        // "...\MSConfig\startupreg"
extern const char* const StartupFolderKeyPath;     // "...\MSConfig\startupfolder"

// The "Run" keys in reading order: HKCU, HKLM and, on a 64-bit system other than Windows
// Server 2003 / XP x64, HKLM's 32-bit "Run" key under "Wow6432Node".
RunKeySourceList GetRunKeySources(BOOL sixtyFourBitSystem, int windowsVersionCode);
// The same for the running system.
RunKeySourceList GetRunKeySources();

// TRUE on a 64-bit system: under WOW64, or always for a 64-bit build of the program.
BOOL StartupSeesSixtyFourBitSystem();
// The view flag every key here is opened with: KEY_WOW64_64KEY on a 64-bit system, else
// KEY_WOW64_32KEY (which a 32-bit system ignores).
REGSAM StartupRegistryView();

// "<Windows folder>\pss\", where disabled Startup files lie.
CString GetStartupBackupFolder();

// Appends every entry of the sources (then the disabled registry entries, the two Startup
// folders and the disabled folder entries) and sorts the whole list. backupFolder (when given)
// receives the backup folder text once the Startup folders were read.
void CollectStartupEntries(StartupItemList& entries, const RunKeySourceList& sources,
                           int sortColumn, int ascending, CString* backupFolder = NULL);
// Sorts by Name, Command or Location, compared in lower case.
void SortStartupEntries(StartupItemList& entries, int sortColumn, int ascending);

// 1 when the entry is now disabled (Disabled is set), else 0 with nothing changed.
int DisableStartupEntry(StartupItem& entry);
// 1 when the entry is now enabled (Disabled is cleared), else 0 with nothing changed.
int EnableStartupEntry(StartupItem& entry);
// 1 when the entry's row is to leave the list.
int RemoveStartupEntry(StartupItem& entry);

// The executable's name without ".exe" ("C:\Apps\Tool.Exe" /min gives Tool), or empty.
CString ProgramNameFromCommand(const CString& command);

// Sets the value name of the existing key root\keyPath to text: REG_EXPAND_SZ when text holds a
// "%NAME%" pair, REG_SZ otherwise. 1 when the value was set.
int WriteRunValue(HKEY root, const char* keyPath, const char* name, const char* text);
// Deletes the value name of root\keyPath only. 1 when the value is gone (deleted now, or there
// was none), 0 when the key does not open or the deletion fails.
int DeleteRunValue(HKEY root, const char* keyPath, const char* name);
// Deletes the key root\keyPath (a key with subkeys is not deleted). 1 only when it was deleted.
int DeleteRegistryKey(HKEY root, const char* keyPath);

// DeleteRegistryKey's work with the key-deletion function given: RegDeleteKeyExA's signature,
// or NULL to delete through RegDeleteKeyA on the parent key opened in the view.
typedef LONG(WINAPI* RegDeleteKeyExFunction)(HKEY, LPCSTR, REGSAM, DWORD);
int DeleteRegistryKeyWith(RegDeleteKeyExFunction deleteKeyEx, HKEY root, const char* keyPath);
