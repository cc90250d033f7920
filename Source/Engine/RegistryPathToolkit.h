// The registry scanner's path toolkit: turns the texts that registry values hold (folder
// tokens, quotes, arguments, resource suffixes, 32/64-bit folder names) into paths and decides
// whether what they name exists. Also the writable-key test, the special-folder lookup and the
// engine's Windows version code.
//
// One rule runs through every existence test here: a path counts as missing only when the
// system said "file not found" or "path not found" for it on an existing fixed drive. Every
// other outcome (a drive that is not there or not fixed, a network path, access denied, a name
// the system rejects, a variable that could not be expanded) answers "present", because the
// scanner reports, and the repair deletes, whatever is called missing.
//
// The existence tests expect file-system redirection to be off (the task runner does that for
// the registry scan), so that the native System folder is seen under WOW64.
#ifndef TARNEX_REGISTRY_PATH_TOOLKIT_H
#define TARNEX_REGISTRY_PATH_TOOLKIT_H

#include <windows.h>

#include <map>
#include <utility>

#include "Framework/CString.h"
// The Windows version code (GetWindowsVersion) the defragmenter passes on.
#include "Framework/SystemInfo.h"

class CSSEngineProcess;

// Folders the toolkit asks the system for. While a scan runs they are read once and kept; at
// other times every call reads them afresh.
class CRegistryPathCache {
public:
    enum { TokenCount = 45, MaxBareNames = 4096 };
    CRegistryPathCache();
    void Enable();
    void Disable();
    bool IsEnabled() const { return m_enabled; }

    // Token row (0-based) folder: false when the system cannot name it.
    bool TokenFolder(int row, CString& folder);
    // GetWindowsDirectoryA / GetSystemDirectoryA / GetSystemWow64DirectoryA, each ending in
    // exactly one "\"; empty when the system gives none.
    const CString& WindowsFolderSlash();
    const CString& SystemFolderSlash();
    const CString& Wow64SystemFolderSlash();
    // GetDriveTypeA of "x:\" is DRIVE_FIXED.
    bool IsFixedDrive(char letter);
    // LocateFile's answers for bare file names (lower case), which many entries share.
    bool FindBareName(const CString& name, bool& found, CString& located) const;
    void KeepBareName(const CString& name, bool found, const CString& located);

private:
    static bool ReadTokenFolder(int row, CString& folder);
    void ReadFolders();

    bool m_enabled;
    bool m_foldersRead;
    signed char m_tokenState[TokenCount];  // 0 not read, 1 named, -1 cannot be named
    CString m_tokenFolder[TokenCount];
    signed char m_driveState[26];          // 0 not read, 1 fixed, -1 anything else
    CString m_windowsFolder;
    CString m_systemFolder;
    CString m_wow64SystemFolder;
    std::map<CString, std::pair<bool, CString>> m_bareNames;
};

// Replaces the first folder token of the table found in the text (every occurrence of it) by
// its folder. The text is lower-cased in place whatever the outcome. True when a replacement
// was made.
bool ExpandFolderTokens(CSSEngineProcess& process, CString& text);
// The same expansion leaving the rest of the text in its own case (the scanner's own checks
// use it: every rule is case-blind, and the file system finds exact-case names faster).
bool ExpandFolderTokensKeepingCase(CSSEngineProcess& process, CString& text);

// Existence test that also tries the 32-bit view of a 64-bit folder name ("system32" as
// "syswow64", else "program files" as "program files (x86)").
bool PathExistsSwapped(CSSEngineProcess& process, CString path);
// The same with the swap reversed; used by the shortcut check.
bool PathExistsSwappedBack(CSSEngineProcess& process, CString path);

// Finds a file named by a possibly quoted, bare or token-bearing text: on success the path may
// be completed (Windows, Windows\System, System or the 32-bit System folder in front) and is
// left expanded either way. False only when the file is established missing.
bool LocateFile(CSSEngineProcess& process, CString& path);

// The text of a registry value (after ExpandFolderTokens, in any case): false only when it
// holds one local path that names a missing file; true for everything else (no path, not
// local, several paths, not a valid path, present file).
bool CheckPathInText(CSSEngineProcess& process, CString text);

// Lets the shell parse a path (long or 8.3 form) and gives its full long form.
bool ResolveShellPath(const CString& text, CString& out);

// Renders registry value data as the text the scanner inspects ("dword:...", "hexvalueinreg--"
// for non-string types). `data` may be null when `length` is 0.
void FormatValueText(DWORD length, CString& out, DWORD type, const BYTE* data);

// False only when opening root\subKey for KEY_SET_VALUE is denied.
bool IsKeyWritable(const char* rootName, const char* subKey);

// SHGetSpecialFolderPathA without creating the folder; empty when the shell cannot name it.
CString GetSpecialFolder(int csidl);

#endif
