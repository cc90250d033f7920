// Startup items ("SUI") and uninstall entries ("UIE") of the registry scan: Run-key commands
// whose program is gone, Start-menu order entries whose folder is gone, uninstall records whose
// uninstaller is gone, and installer folder records whose folder is gone.
#include "Engine/RegistryScanCategories.h"

#include <shlwapi.h>

#include "Engine/RegistryEntryJudging.h"
#include "Framework/RegistryKeyHandle.h"
#include "Framework/RegistryKeyWalks.h"
#include "Engine/RegistryPathToolkit.h"
#include "Framework/RegistryValueEnumerator.h"
#include "Engine/SSEngineProcess.h"

namespace {

const DWORD StartupItemBit = RegScanStartupItems;
const DWORD UninstallBit = RegScanUninstall;

const char RunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char RunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char RunOnceExKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";

const char* const MenuOrderKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu2\\Programs",
};

// The folders a Start-menu order entry may name, in test order; the Start Menu's Programs
// folder comes last.
const char* const MenuOrderCandidateTokens[] = {
    "%ProgramFiles%", "%CommonProgramFiles%", "%CommonPrograms%", "%CommonStartMenu%",
    "%CommonStartup%", "%StartMenu%",        "%Startup%",
};

const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char InstallerFoldersKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";

// Progress-text thresholds.
const int InstallerFolderTextThreshold = 51;

const char* RootName(HKEY root)
{
    return root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

bool EndsWithExe(const CString& text)
{
    int n = text.GetLength();
    return n >= 4 && text.Mid(n - 4).Compare(".exe") == 0;
}

// The program a lower-cased command line starts: its first token when that is quoted, else the
// shortest text that ends in ".exe" followed by a blank, a quote or the end (the way a command
// with blanks in an unquoted path is resolved). A ".exe" inside a folder name ("foo.exe.d")
// does not end a token. False when no ".exe" ends the program's name: the command is then
// not one we can judge.
bool ProgramOfCommand(const CString& command, bool quoted, CString& program)
{
    CString text(command);
    text.TrimLeft(" \t");
    if (quoted) {
        if (text.GetAt(0) == '"')
            text.Delete(0);
        int closing = text.Find('"');
        CString token = closing >= 0 ? text.Left(closing) : text;
        token.TrimRight(" \t");
        if (!EndsWithExe(token))
            return false;
        program = token;
        return true;
    }
    for (int at = text.Find(".exe"); at >= 0; at = text.Find(".exe", at + 1)) {
        char next = text.GetAt(at + 4);
        if (next == 0 || next == ' ' || next == '\t' || next == '"' || next == '\'') {
            program = text.Left(at + 4);
            return true;
        }
    }
    return false;
}

bool StartsQuoted(const CString& data)
{
    CString text(data);
    text.TrimLeft(" \t");
    return text.GetAt(0) == '"';
}

// Whether the program of a command is established missing: the file tests do not find it, and
// a bare name is not on the program search path either.
bool ProgramIsMissing(CSSEngineProcess& process, const CString& program)
{
    return FileIsEstablishedMissing(process, program) && !IsFoundOnProgramSearchPath(program);
}

// One Run key: every string value whose program is missing is reported (no writable test).
int CheckRunKey(CSSEngineProcess& process, HKEY root, const CString& key)
{
    if (!root || key.IsEmpty())
        return 0;
    CRegistryKeyHandle run;
    if (run.Open(root, key, KEY_READ) != ERROR_SUCCESS)
        return 0;
    int reported = 0;
    CAbstractStatus* status = process.Status();
    CRegistryValueWalk values(run.Get(), CRegistryValueWalk::NoProgress);
    while (values.Next(CProcessWalkControl(process))) {
        // Only text can name a program; data of other types is not a command at all.
        if (values.IsString()) {
            CString data = values.Text();
            CString text(data);
            text.Trim('"');
            text.Trim('\'');
            text.Trim('\\');
            text.MakeLower();
            bool invalid = false;
            CString program;
            if (text.IsEmpty())
                invalid = true;  // a command of quotes and backslashes only starts nothing
            else if (text.Find(".exe") >= 0 && ProgramOfCommand(text, StartsQuoted(data), program))
                invalid = ProgramIsMissing(process, program);
            if (invalid && process.KeepRunning()) {
                ReportItem(process,
                           StoredValueItemText(CString(RootName(root)) + "\\" + key, values.Name()),
                           StartupItemBit);
                ++reported;
            }
        }
        if (status)
            status->OnStatusText(key, "SUI");
    }
    return reported;
}

// The Start-menu order entries: a sub-key names a folder that should exist in one of the
// candidate folders.
int CheckMenuOrderKeys(CSSEngineProcess& process)
{
    int reported = 0;
    CAbstractStatus* status = process.Status();
    // The candidates are the same for every entry: expanded once, when the first entry is
    // read. When the system cannot name one of them, an entry missing from the others may live
    // there, so nothing is judged.
    CString candidates[8];
    bool expanded = false;
    bool allNamed = true;
    const CString& programFiles = candidates[0];
    const CString& commonProgramFiles = candidates[1];

    for (const char* key : MenuOrderKeys) {
        CRegistryKeyHandle order;
        if (order.Open(HKEY_CURRENT_USER, key, KEY_READ) != ERROR_SUCCESS)
            continue;
        for (DWORD index = 0; process.KeepRunning(); ++index) {
            CString name;
            LONG result = ReadSubKeyName(order.Get(), index, name);
            if (result == ERROR_MORE_DATA)
                continue;
            if (result != ERROR_SUCCESS)
                break;
            CString entryKey = CString(key) + "\\" + name;
            if (status)
                status->OnStatusText(entryKey, "SUI");
            if (!expanded) {
                for (int i = 0; i < 7; ++i) {
                    candidates[i] = MenuOrderCandidateTokens[i];
                    if (!ExpandFolderTokens(process, candidates[i]))
                        allNamed = false;
                }
                candidates[7] = candidates[5] + "\\programs";
                expanded = true;
            }
            if (!allNamed || name.IsEmpty())
                continue;
            bool present = false;
            for (const CString& candidate : candidates) {
                if (SearchFile(candidate + "\\" + name, false) != FileNotThere) {
                    present = true;
                    break;
                }
            }
            if (!present)
                present = PathExistsSwapped(process, programFiles + "\\" + name) ||
                          PathExistsSwapped(process, commonProgramFiles + "\\" + name);
            if (!present && process.KeepRunning() && IsKeyWritable("HKEY_CURRENT_USER", entryKey)) {
                ReportItem(process, CString("HKEY_CURRENT_USER\\") + entryKey, StartupItemBit);
                ++reported;
            }
        }
    }
    return reported;
}

// One uninstall record: the UninstallString names the uninstaller (Windows Installer and
// rundll32 commands are never judged).
int CheckUninstallRecord(CSSEngineProcess& process, HKEY record, const CString& recordKey)
{
    CAbstractStatus* status = process.Status();
    CRegistryValueWalk values(record, CRegistryValueWalk::ProgressPerValue);
    int reported = 0;
    while (values.Next(CProcessWalkControl(process))) {
        CString data = values.Text();
        data.MakeLower();
        if (data.Find("msiexec") >= 0 || data.Find("rundll32") >= 0)
            continue;
        if (!values.IsString() || values.Name().CompareNoCase("UninstallString") != 0)
            continue;
        CString text(data);
        text.Trim('"');
        CString program;
        // A ".exe" at the very start names no program.
        if (ProgramOfCommand(text, StartsQuoted(values.Text()), program) &&
            program.GetLength() > 4) {
            if (!ProgramIsMissing(process, program)) {
                CollectFolder(process, program);
            } else if (process.KeepRunning()) {
                ReportItem(process, CString("HKEY_LOCAL_MACHINE\\") + recordKey, UninstallBit);
                ++reported;
            }
        }
        if (status)
            status->OnStatusText(recordKey, "UIE");
    }
    return reported;
}

int CheckUninstallRecords(CSSEngineProcess& process)
{
    CRegistrySubKeyWalk records(HKEY_LOCAL_MACHINE, UninstallKey);
    if (records.Open() != ERROR_SUCCESS)
        return 0;
    int reported = 0;
    if (process.Status())
        process.Status()->OnProgress(1);
    while (records.Next(CProcessWalkControl(process)))
        reported += CheckUninstallRecord(process, records.Key(), records.EntryPath());
    return reported;
}

// Installer folder records: each value name is a folder the installer keeps.
int CheckInstallerFolders(CSSEngineProcess& process)
{
    CRegistryKeyHandle folders;
    if (folders.Open(HKEY_LOCAL_MACHINE, InstallerFoldersKey, KEY_READ) != ERROR_SUCCESS)
        return 0;
    int reported = 0;
    CRegistryValueWalk values(folders.Get(), CRegistryValueWalk::NoProgress);
    while (values.Next(CProcessWalkControl(process))) {
        CString folder(values.Name());
        folder.Trim('"');
        // Only a folder named with its drive can be looked for; the toolkit's swapped test
        // then also leaves alone drives that are not there or not fixed.
        if (IsAbsoluteLocalPath(folder)) {
            SetLastError(ERROR_SUCCESS);
            bool present = PathFileExistsA(folder) != FALSE;
            DWORD error = GetLastError();
            if (!present && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
                present = true;
            if (!present)
                present = PathExistsSwapped(process, folder);
            if (present)
                CollectFolder(process, folder);
            else if (process.KeepRunning() &&
                     IsKeyWritable("HKEY_LOCAL_MACHINE", InstallerFoldersKey)) {
                ReportItem(process,
                           StoredValueItemText(CString("HKEY_LOCAL_MACHINE\\") + InstallerFoldersKey,
                                               values.Name()),
                           UninstallBit);
                ++reported;
            }
        }
        ThrottledStatusText(process, InstallerFolderTextThreshold,
                            CString(InstallerFoldersKey) + "/" + values.Name(), "U");
    }
    return reported;
}

}  // namespace

int ScanStartupItems(CSSEngineProcess& process)
{
    process.m_startupKeys.clear();
    const struct {
        HKEY root;
        const char* key;
    } rows[] = {
        {HKEY_CURRENT_USER, RunKey},      {HKEY_CURRENT_USER, RunOnceKey},
        {HKEY_LOCAL_MACHINE, RunKey},     {HKEY_LOCAL_MACHINE, RunOnceKey},
        {HKEY_LOCAL_MACHINE, RunOnceExKey},
    };
    for (const auto& row : rows)
        process.m_startupKeys.push_back(CSSEngineProcess::StartupKeyEntry(row.key, 0, row.root));
    int reported = 0;
    for (const CSSEngineProcess::StartupKeyEntry& entry : process.m_startupKeys) {
        if (!process.KeepRunning())
            break;
        reported += CheckRunKey(process, entry.root, entry.key);
    }
    if (process.KeepRunning())
        reported += CheckMenuOrderKeys(process);
    return reported;
}

int ScanUninstallEntries(CSSEngineProcess& process)
{
    int reported = CheckUninstallRecords(process);
    if (process.KeepRunning())
        reported += CheckInstallerFolders(process);
    return reported;
}
