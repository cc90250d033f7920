// Startup entries and their disable scheme (see StartupEntries.h).
#include "Client/Tools/StartupEntries.h"

#include <shlobj.h>

#include <algorithm>

#include "Framework/FileFind.h"
#include "Framework/FinalPath.h"
#include "Framework/ProcAddress.h"
#include "Framework/RegistryKeyHandle.h"
#include "Framework/RegistryValueEnumerator.h"
#include "Framework/SystemInfo.h"

const char* const StartupRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const StartupRunKeyPath32 = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const StartupRegKeyPath = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg";
const char* const StartupFolderKeyPath = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupfolder";

namespace {

const char* const LocationMachine = "HKLM";
const char* const LocationUser = "HKCU";
const char* const LocationStartup = "Startup";
const char* const LocationCommonStartup = "Common Startup";

// Key names are at most 255 characters.
const DWORD KeyNameChars = 256;

// --- registry values ------------------------------------------------------------------------

// The data up to its first NUL.
CString TextOf(const BYTE* data, DWORD size)
{
    const char* text = reinterpret_cast<const char*>(data);
    return CString(text, int(strnlen(text, size)));
}

// A value as text; empty when it is missing or cannot be read.
CString ReadText(HKEY key, const char* name)
{
    std::vector<BYTE> data;
    DWORD size = 0, type = REG_NONE;
    if (CRegistryKeyHandle::QueryValueOf(key, name, data, size, type) != ERROR_SUCCESS)
        return CString();
    return TextOf(data.data(), size);
}

// REG_SZ with the terminator counted, as the System Configuration tool stores its values.
bool WriteText(HKEY key, const char* name, const CString& text, DWORD type = REG_SZ)
{
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.GetString()),
                          DWORD(text.GetLength() + 1)) == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const CString& path)
{
    CRegistryKeyHandle key;
    return key.Open(root, path, KEY_READ | StartupRegistryView()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const char* keyPath, const char* name)
{
    CRegistryKeyHandle key;
    if (key.Open(root, keyPath, KEY_READ | StartupRegistryView()) != ERROR_SUCCESS)
        return false;
    return RegQueryValueExA(key.Get(), name, NULL, NULL, NULL, NULL) == ERROR_SUCCESS;
}

// A key name of this scheme: one level, never the parent key itself.
bool IsSingleKeyName(const CString& name)
{
    return !name.IsEmpty() && name.Find('\\') < 0;
}

// True when the text holds "%NAME%" with a non-empty name without blanks: a command that was
// stored for expansion.
bool HoldsEnvironmentReference(const CString& text)
{
    int open = text.Find('%');
    while (open >= 0) {
        int close = text.Find('%', open + 1);
        if (close < 0)
            return false;
        if (close > open + 1 && text.Mid(open + 1, close - open - 1).FindOneOf(" \t") < 0)
            return true;
        open = close;
    }
    return false;
}

HKEY RootOf(const StartupItem& entry)
{
    return entry.MachineWide ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

CString SubkeyPath(const char* parent, const CString& name)
{
    CString path(parent);
    path += '\\';
    path += name;
    return path;
}

// --- files ----------------------------------------------------------------------------------

// A file (not a folder) lies at path.
bool FileExists(const CString& path)
{
    WIN32_FIND_DATAA entry;
    return FindFileEntry(path, entry) && !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Deletes the file, once more after clearing the attributes when access was denied (read-only).
// A path that is not the file's own (a link: under Wine deleting a host link deletes the file it
// points to) is left alone, and so are the attributes of whatever it leads to.
void DeleteFileWithRetry(const CString& path)
{
    if (DeleteOwnFile(path))
        return;
    if (GetLastError() == ERROR_ACCESS_DENIED) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        DeleteOwnFile(path);
    }
}

// --- collecting -----------------------------------------------------------------------------

StartupItem RegistryEntry(const CString& name, const CString& command, const CString& keyPath,
                          bool machineWide)
{
    StartupItem entry;
    entry.Name = name;
    entry.Command = command;
    entry.KeyPath = keyPath;
    entry.MachineWide = machineWide ? 1 : 0;
    entry.Location = machineWide ? LocationMachine : LocationUser;
    entry.IsRegistry = 1;
    return entry;
}

void CollectRunValues(StartupItemList& entries, const RunKeySource& source)
{
    CRegistryKeyHandle key;
    if (key.Open(source.first, source.second, KEY_READ | StartupRegistryView()) != ERROR_SUCCESS)
        return;
    const bool machineWide = source.first == HKEY_LOCAL_MACHINE;
    // The enumerator's buffers grow to the key's longest name and data, so a long value name
    // does not end the list early and no command is cut.
    CRegistryValueEnumerator values(key.Get());
    for (DWORD index = 0; values.Read(index) == ERROR_SUCCESS; ++index) {
        const char* text = reinterpret_cast<const char*>(values.Data());
        const DWORD size = values.Size();
        if (values.Type() != REG_MULTI_SZ) {
            entries.push_back(RegistryEntry(values.Name(), TextOf(values.Data(), size), source.second,
                                            machineWide));
            continue;
        }
        DWORD at = 0;
        while (at < size) {
            const CString one(text + at, int(strnlen(text + at, size - at)));
            at += DWORD(one.GetLength()) + 1;
            if (one.IsEmpty())
                continue;
            StartupItem entry = RegistryEntry(values.Name(), one, source.second, machineWide);
            entry.FromMultiString = 1;
            entries.push_back(entry);
        }
    }
}

// Calls visit(subkey name, open subkey) for each subkey of HKLM\path; ends at the first subkey
// that does not open.
template <class Visit>
void ForEachDisabledKey(const char* path, Visit visit)
{
    CRegistryKeyHandle parent;
    if (parent.Open(HKEY_LOCAL_MACHINE, path, KEY_READ | StartupRegistryView()) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        CString name;
        const LONG rc = ReadSubKeyName(parent.Get(), index, name, KeyNameChars);
        if (rc == ERROR_MORE_DATA)
            continue;
        if (rc != ERROR_SUCCESS)
            break;
        CRegistryKeyHandle key;
        if (key.Open(parent.Get(), name, KEY_READ | StartupRegistryView()) != ERROR_SUCCESS)
            break;
        visit(name, key.Get());
    }
}

void CollectDisabledRegistryEntries(StartupItemList& entries)
{
    ForEachDisabledKey(StartupRegKeyPath, [&](const CString& name, HKEY key) {
        const CString item = ReadText(key, "item"), command = ReadText(key, "command"),
                      keyPath = ReadText(key, "key"), hkey = ReadText(key, "hkey");
        if (item.IsEmpty() || command.IsEmpty() || keyPath.IsEmpty() || hkey.IsEmpty())
            return;
        StartupItem entry = RegistryEntry(name, command, keyPath, hkey == LocationMachine);
        entry.Disabled = 1;
        entries.push_back(entry);
    });
}

// The name shown for a Startup file: without the part from its last "." (kept whole when the
// only "." is its first character).
CString NameWithoutExtension(const CString& fileName)
{
    const int dot = fileName.ReverseFind('.');
    return dot > 0 ? fileName.Left(dot) : fileName;
}

void CollectStartupFolder(StartupItemList& entries, int csidl, const char* location,
                          bool machineWide, const CString& backupFolder)
{
    char folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(NULL, folder, csidl, FALSE) || !folder[0])
        return;
    CString pattern(folder);
    pattern += "\\*.*";
    CFindHandle search;
    WIN32_FIND_DATAA found;
    for (BOOL more = search.FindFirst(pattern, found); more; more = search.FindNext(found)) {
        const CString fileName(found.cFileName);
        if (fileName == "." || fileName == ".." ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)))
            continue;
        StartupItem entry;
        entry.FilePath = CString(folder) + "\\" + fileName;
        entry.Command = entry.FilePath;
        entry.Name = NameWithoutExtension(fileName);
        entry.KeyPath = entry.FilePath;
        entry.KeyPath.Replace('\\', '^');
        entry.BackupPath = backupFolder + fileName + location;
        entry.Location = location;
        entry.MachineWide = machineWide ? 1 : 0;
        entries.push_back(entry);
    }
}

void CollectDisabledFolderEntries(StartupItemList& entries)
{
    ForEachDisabledKey(StartupFolderKeyPath, [&](const CString& name, HKEY key) {
        StartupItem entry;
        entry.Name = ReadText(key, "item");
        entry.Command = ReadText(key, "command");
        entry.FilePath = ReadText(key, "path");
        entry.Location = ReadText(key, "location");
        entry.BackupPath = ReadText(key, "backup");
        entry.KeyPath = name;
        if (entry.Name.IsEmpty() || entry.Command.IsEmpty() || entry.FilePath.IsEmpty() ||
            entry.Location.IsEmpty() || entry.BackupPath.IsEmpty() || name.IsEmpty())
            return;
        entry.MachineWide = entry.Location.CompareNoCase("common startup") == 0 ? 1 : 0;
        entry.Disabled = 1;
        entries.push_back(entry);
    });
}

// --- disabling and enabling -------------------------------------------------------------------

int DisableRegistryEntry(StartupItem& entry)
{
    // Several commands under one name go together or not at all; a name with "\" would make
    // nested keys that are never read back; an existing record belongs to another entry.
    if (entry.FromMultiString || !IsSingleKeyName(entry.Name))
        return 0;
    const CString recordPath = SubkeyPath(StartupRegKeyPath, entry.Name);
    if (KeyExists(HKEY_LOCAL_MACHINE, recordPath))
        return 0;
    CString item = ProgramNameFromCommand(entry.Command);
    if (item.IsEmpty())
        item = entry.Name;
    {
        const REGSAM access = KEY_ALL_ACCESS | StartupRegistryView();
        CRegistryKeyHandle parent, record;
        if (parent.Create(HKEY_LOCAL_MACHINE, StartupRegKeyPath, access) != ERROR_SUCCESS ||
            record.Create(parent.Get(), entry.Name, access) != ERROR_SUCCESS)
            return 0;
        const HKEY key = record.Get();
        const bool written = WriteText(key, "item", item) && WriteText(key, "command", entry.Command) &&
                             WriteText(key, "key", entry.KeyPath) &&
                             WriteText(key, "hkey", entry.MachineWide ? LocationMachine : LocationUser) &&
                             WriteText(key, "inimapping", "0");
        record.Close();
        if (!written) {
            DeleteRegistryKey(HKEY_LOCAL_MACHINE, recordPath);
            return 0;
        }
    }
    if (!DeleteRunValue(RootOf(entry), entry.KeyPath, entry.Name)) {
        // The entry still starts: its record would list it twice.
        DeleteRegistryKey(HKEY_LOCAL_MACHINE, recordPath);
        return 0;
    }
    entry.Disabled = 1;
    return 1;
}

int EnableRegistryEntry(StartupItem& entry)
{
    if (!IsSingleKeyName(entry.Name))
        return 0;
    const HKEY root = RootOf(entry);
    const bool valueWasThere = ValueExists(root, entry.KeyPath, entry.Name);
    if (!WriteRunValue(root, entry.KeyPath, entry.Name, entry.Command))
        return 0;
    CRegistryKeyHandle parent;
    parent.Create(HKEY_LOCAL_MACHINE, StartupRegKeyPath, KEY_ALL_ACCESS | StartupRegistryView());
    parent.Close();
    if (!DeleteRegistryKey(HKEY_LOCAL_MACHINE, SubkeyPath(StartupRegKeyPath, entry.Name))) {
        // The record stays, so the entry stays disabled.
        if (!valueWasThere)
            DeleteRunValue(root, entry.KeyPath, entry.Name);
        return 0;
    }
    entry.Disabled = 0;
    return 1;
}

int DisableFolderEntry(StartupItem& entry)
{
    if (!IsSingleKeyName(entry.KeyPath))
        return 0;
    // The folder is probed without its trailing "\": a search for "...\pss\" finds nothing.
    CString backupFolder = GetStartupBackupFolder();
    backupFolder.TrimRight('\\');
    WIN32_FIND_DATAA found;
    if (!FindFileEntry(backupFolder, found))
        CreateDirectoryA(backupFolder, NULL);
    bool moved = false;
    if (!entry.FilePath.IsEmpty() && FileExists(entry.FilePath)) {
        if (!MoveFileA(entry.FilePath, entry.BackupPath))
            return 0;
        moved = true;
    }
    const CString recordPath = SubkeyPath(StartupFolderKeyPath, entry.KeyPath);
    bool parentCreated = false, created = false, written = false;
    {
        const REGSAM access = KEY_ALL_ACCESS | StartupRegistryView();
        CRegistryKeyHandle parent, record;
        written = parent.Create(HKEY_LOCAL_MACHINE, StartupFolderKeyPath, access, &parentCreated) == ERROR_SUCCESS &&
                  record.Create(parent.Get(), entry.KeyPath, access, &created) == ERROR_SUCCESS &&
                  WriteText(record.Get(), "item", entry.Name) &&
                  WriteText(record.Get(), "command", entry.Command) &&
                  WriteText(record.Get(), "backup", entry.BackupPath) &&
                  WriteText(record.Get(), "location", entry.Location) &&
                  WriteText(record.Get(), "path", entry.FilePath);
    }
    if (!written) {
        // A file in the backup folder without its record would be listed nowhere.
        if (created)
            DeleteRegistryKey(HKEY_LOCAL_MACHINE, recordPath);
        if (parentCreated)
            DeleteRegistryKey(HKEY_LOCAL_MACHINE, StartupFolderKeyPath);
        if (moved)
            MoveFileA(entry.BackupPath, entry.FilePath);
        return 0;
    }
    entry.Disabled = 1;
    return 1;
}

int EnableFolderEntry(StartupItem& entry)
{
    if (!IsSingleKeyName(entry.KeyPath))
        return 0;
    bool moved = false;
    if (!entry.BackupPath.IsEmpty() && FileExists(entry.BackupPath)) {
        if (!MoveFileA(entry.BackupPath, entry.FilePath))
            return 0;
        moved = true;
    }
    if (!DeleteRegistryKey(HKEY_LOCAL_MACHINE, SubkeyPath(StartupFolderKeyPath, entry.KeyPath))) {
        // The record stays, so the file goes back where the record says it lies.
        if (moved)
            MoveFileA(entry.FilePath, entry.BackupPath);
        return 0;
    }
    entry.Disabled = 0;
    return 1;
}

RegDeleteKeyExFunction ResolveRegDeleteKeyEx()
{
    static HMODULE module = LoadLibraryA("advapi32.dll");
    static RegDeleteKeyExFunction function =
        GetProcAddressAs<RegDeleteKeyExFunction>(module, "RegDeleteKeyExA");
    return function;
}

}  // namespace

// --- sources and folders ----------------------------------------------------------------------

RunKeySourceList GetRunKeySources(BOOL sixtyFourBitSystem, int windowsVersionCode)
{
    RunKeySourceList sources;
    sources.push_back(RunKeySource(HKEY_CURRENT_USER, StartupRunKeyPath));
    sources.push_back(RunKeySource(HKEY_LOCAL_MACHINE, StartupRunKeyPath));
    if (sixtyFourBitSystem && windowsVersionCode != WindowsServer2003)
        sources.push_back(RunKeySource(HKEY_LOCAL_MACHINE, StartupRunKeyPath32));
    return sources;
}

RunKeySourceList GetRunKeySources()
{
    return GetRunKeySources(StartupSeesSixtyFourBitSystem(), GetWindowsVersion());
}

BOOL StartupSeesSixtyFourBitSystem()
{
    // A 64-bit build runs on a 64-bit system only, without WOW64.
    static const BOOL sixtyFourBit = sizeof(void*) == 8 || IsWow64();
    return sixtyFourBit;
}

REGSAM StartupRegistryView()
{
    static const REGSAM view = StartupSeesSixtyFourBitSystem() ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    return view;
}

CString GetStartupBackupFolder()
{
    char windows[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length >= MAX_PATH)
        length = 0;
    CString folder(windows, int(length));
    folder += "\\pss\\";
    return folder;
}

// --- collecting and sorting -------------------------------------------------------------------

void CollectStartupEntries(StartupItemList& entries, const RunKeySourceList& sources,
                           int sortColumn, int ascending, CString* backupFolder)
{
    for (const RunKeySource& source : sources)
        CollectRunValues(entries, source);
    CollectDisabledRegistryEntries(entries);
    const CString backup = GetStartupBackupFolder();
    if (backupFolder)
        *backupFolder = backup;
    CollectStartupFolder(entries, CSIDL_STARTUP, LocationStartup, false, backup);
    CollectStartupFolder(entries, CSIDL_COMMON_STARTUP, LocationCommonStartup, true, backup);
    CollectDisabledFolderEntries(entries);
    SortStartupEntries(entries, sortColumn, ascending);
}

void SortStartupEntries(StartupItemList& entries, int sortColumn, int ascending)
{
    auto keyOf = [sortColumn](const StartupItem& entry) {
        CString key = sortColumn == StartupSortByCommand    ? entry.Command
                      : sortColumn == StartupSortByLocation ? entry.Location
                                                            : entry.Name;
        key.MakeLower();
        return key;
    };
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const StartupItem& a, const StartupItem& b) {
                         const int order = strcmp(keyOf(a), keyOf(b));
                         return ascending ? order < 0 : order > 0;
                     });
}

// --- operations -------------------------------------------------------------------------------

int DisableStartupEntry(StartupItem& entry)
{
    if (entry.Disabled)
        return 0;
    return entry.IsRegistry ? DisableRegistryEntry(entry) : DisableFolderEntry(entry);
}

int EnableStartupEntry(StartupItem& entry)
{
    if (!entry.Disabled)
        return 0;
    return entry.IsRegistry ? EnableRegistryEntry(entry) : EnableFolderEntry(entry);
}

int RemoveStartupEntry(StartupItem& entry)
{
    if (entry.IsRegistry) {
        if (entry.FromMultiString || !IsSingleKeyName(entry.Name))
            return 0;
        if (entry.Disabled)
            return DeleteRegistryKey(HKEY_LOCAL_MACHINE, SubkeyPath(StartupRegKeyPath, entry.Name));
        return DeleteRunValue(RootOf(entry), entry.KeyPath, entry.Name);
    }
    if (entry.Disabled) {
        if (!IsSingleKeyName(entry.KeyPath) ||
            !DeleteRegistryKey(HKEY_LOCAL_MACHINE, SubkeyPath(StartupFolderKeyPath, entry.KeyPath)))
            return 0;
        DeleteFileWithRetry(entry.BackupPath);
        return 1;
    }
    // The row goes even when the file stays (held open): it is listed again at the next refresh.
    DeleteFileWithRetry(entry.FilePath);
    return 1;
}

// --- helpers ----------------------------------------------------------------------------------

CString ProgramNameFromCommand(const CString& command)
{
    CString text = command;
    text.Trim('"');
    CString lower = text;
    lower.MakeLower();
    const int exe = lower.Find(".exe");
    if (exe < 0)
        return CString();
    const int slash = lower.Left(exe + 4).ReverseFind('\\');
    if (slash < 0)
        return CString();
    // The lower-case copy has the same positions: the first ".exe" after the "\" is the one found.
    return text.Mid(slash + 1, exe - slash - 1);
}

int WriteRunValue(HKEY root, const char* keyPath, const char* name, const char* text)
{
    CRegistryKeyHandle key;
    if (key.Open(root, keyPath, KEY_ALL_ACCESS | StartupRegistryView()) != ERROR_SUCCESS)
        return 0;
    const CString value(text);
    return WriteText(key.Get(), name, value,
                     HoldsEnvironmentReference(value) ? REG_EXPAND_SZ : REG_SZ) ? 1 : 0;
}

int DeleteRunValue(HKEY root, const char* keyPath, const char* name)
{
    CRegistryKeyHandle key;
    if (key.Open(root, keyPath, KEY_ALL_ACCESS | StartupRegistryView()) != ERROR_SUCCESS)
        return 0;
    const LONG rc = RegDeleteValueA(key.Get(), name);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? 1 : 0;
}

int DeleteRegistryKey(HKEY root, const char* keyPath)
{
    return DeleteRegistryKeyWith(StartupSeesSixtyFourBitSystem() ? ResolveRegDeleteKeyEx() : NULL, root,
                                 keyPath);
}

int DeleteRegistryKeyWith(RegDeleteKeyExFunction deleteKeyEx, HKEY root, const char* keyPath)
{
    if (!keyPath || !keyPath[0])
        return 0;
    if (deleteKeyEx)
        return deleteKeyEx(root, keyPath, KEY_WOW64_64KEY, 0) == ERROR_SUCCESS ? 1 : 0;
    // RegDeleteKeyA acts in the view of the key it is given: the parent opened in the view.
    const CString path(keyPath);
    const int slash = path.ReverseFind('\\');
    if (slash < 0)
        return RegDeleteKeyA(root, keyPath) == ERROR_SUCCESS ? 1 : 0;
    CRegistryKeyHandle parent;
    if (parent.Open(root, path.Left(slash), KEY_ALL_ACCESS | StartupRegistryView()) != ERROR_SUCCESS)
        return 0;
    return RegDeleteKeyA(parent.Get(), path.Mid(slash + 1)) == ERROR_SUCCESS ? 1 : 0;
}
