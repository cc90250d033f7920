// The registry path toolkit: folder tokens, path extraction from value texts and the existence
// tests the registry scanner judges entries by.
#include "Engine/RegistryPathToolkit.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <string.h>

#include <vector>

#include "Framework/ComPtr.h"
#include "Framework/FileFind.h"
#include "Framework/RegistryKeyHandle.h"
#include "Framework/RegistryRootKeys.h"
#include "Framework/TextCodePage.h"
#include "Engine/SSEngineProcess.h"

namespace {

enum TokenRule { ByCsidl, SystemDriveRule, LocalSettingsRule, TempRule };
enum TokenSwap { NoSwap, SwapSysWow64, SwapProgramFilesX86 };

struct FolderToken {
    const char* token;  // lower case
    TokenRule rule;
    int csidl;
    TokenSwap swap;
};

// Tested in this order; the first token found is the only one expanded.
const FolderToken FolderTokenTable[CRegistryPathCache::TokenCount] = {
    {"%systemdrive%", SystemDriveRule, CSIDL_WINDOWS, NoSwap},
    {"%localsettings%", LocalSettingsRule, 0, NoSwap},
    {"%windir%", ByCsidl, CSIDL_WINDOWS, NoSwap},
    {"%systemroot%", ByCsidl, CSIDL_WINDOWS, NoSwap},
    {"%systemdir%", ByCsidl, CSIDL_SYSTEM, SwapSysWow64},
    {"%commonprogramfiles%", ByCsidl, CSIDL_PROGRAM_FILES_COMMON, SwapProgramFilesX86},
    {"%commonprogramfiles(x86)%", ByCsidl, CSIDL_PROGRAM_FILES_COMMONX86, NoSwap},
    {"%programfiles%", ByCsidl, CSIDL_PROGRAM_FILES, SwapProgramFilesX86},
    {"%programfiles(x86)%", ByCsidl, CSIDL_PROGRAM_FILESX86, NoSwap},
    {"%userprofile%", ByCsidl, CSIDL_PROFILE, NoSwap},
    {"%appdata%", ByCsidl, CSIDL_APPDATA, NoSwap},
    {"%internetcache%", ByCsidl, CSIDL_INTERNET_CACHE, NoSwap},
    {"%cdburnarea%", ByCsidl, CSIDL_CDBURN_AREA, NoSwap},
    {"%commonadmintools%", ByCsidl, CSIDL_COMMON_ADMINTOOLS, NoSwap},
    {"%commonappdata%", ByCsidl, CSIDL_COMMON_APPDATA, NoSwap},
    {"%commondesktopdirectory%", ByCsidl, CSIDL_COMMON_DESKTOPDIRECTORY, NoSwap},
    {"%commondocuments%", ByCsidl, CSIDL_COMMON_DOCUMENTS, NoSwap},
    {"%commonfavorites%", ByCsidl, CSIDL_COMMON_FAVORITES, NoSwap},
    {"%commonmusic%", ByCsidl, CSIDL_COMMON_MUSIC, NoSwap},
    {"%commonpictures%", ByCsidl, CSIDL_COMMON_PICTURES, NoSwap},
    {"%commonprograms%", ByCsidl, CSIDL_COMMON_PROGRAMS, NoSwap},
    {"%commonstartmenu%", ByCsidl, CSIDL_COMMON_STARTMENU, NoSwap},
    {"%commonstartup%", ByCsidl, CSIDL_COMMON_STARTUP, NoSwap},
    {"%commontemplates%", ByCsidl, CSIDL_COMMON_TEMPLATES, NoSwap},
    {"%commonvideo%", ByCsidl, CSIDL_COMMON_VIDEO, NoSwap},
    {"%cookies%", ByCsidl, CSIDL_COOKIES, NoSwap},
    {"%desktopdirectory%", ByCsidl, CSIDL_DESKTOPDIRECTORY, NoSwap},
    {"%favorites%", ByCsidl, CSIDL_FAVORITES, NoSwap},
    {"%history%", ByCsidl, CSIDL_HISTORY, NoSwap},
    {"%localappdata%", ByCsidl, CSIDL_LOCAL_APPDATA, NoSwap},
    {"%mymusic%", ByCsidl, CSIDL_MYMUSIC, NoSwap},
    {"%mypictures%", ByCsidl, CSIDL_MYPICTURES, NoSwap},
    {"%myvideo%", ByCsidl, CSIDL_MYVIDEO, NoSwap},
    {"%nethood%", ByCsidl, CSIDL_NETHOOD, NoSwap},
    {"%personal%", ByCsidl, CSIDL_PERSONAL, NoSwap},
    {"%printhood%", ByCsidl, CSIDL_PRINTHOOD, NoSwap},
    {"%programs%", ByCsidl, CSIDL_PROGRAMS, NoSwap},
    {"%recent%", ByCsidl, CSIDL_RECENT, NoSwap},
    {"%sendto%", ByCsidl, CSIDL_SENDTO, NoSwap},
    {"%startmenu%", ByCsidl, CSIDL_STARTMENU, NoSwap},
    {"%startmenuprograms%", ByCsidl, CSIDL_STARTMENU, NoSwap},
    {"%startup%", ByCsidl, CSIDL_STARTUP, NoSwap},
    {"%temp%", TempRule, 0, NoSwap},
    {"%templates%", ByCsidl, CSIDL_TEMPLATES, NoSwap},
    {"%admintools%", ByCsidl, CSIDL_ADMINTOOLS, NoSwap},
};

// The only answers that make a path "missing".
bool IsMissingError(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

enum Existence { Present, Missing, Unknown };

CString WithOneTrailingSlash(const char* folder)
{
    CString text(folder);
    text.TrimRight('\\');
    if (!text.IsEmpty())
        text += '\\';
    return text;
}

// "x:" at the start (any letter).
bool HasDriveLetter(const CString& path)
{
    char c = path.GetAt(0);
    return ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && path.GetAt(1) == ':';
}

// Whether the toolkit may judge this path at all: a path on a drive letter must be on an
// existing fixed drive, and network paths are never judged.
bool IsJudgeableLocation(CSSEngineProcess& process, const CString& path)
{
    if (path.GetAt(0) == '\\' && path.GetAt(1) == '\\')
        return false;
    if (HasDriveLetter(path))
        return process.m_pathCache.IsFixedDrive(path.GetAt(0));
    return true;
}

// Replaces every occurrence of `lowerPattern`, found without regard to case, by what
// `replacement` makes of the matched text; the rest of the text keeps its case (the file
// system does not care, but an exact-case name is found faster than one it has to fold).
// Returns the number of replacements.
template <class Replacement>
int ReplaceNoCase(CString& text, const char* lowerPattern, Replacement replacement)
{
    CString lower(text);
    lower.MakeLower();
    int at = lower.Find(lowerPattern);
    if (at < 0)
        return 0;
    const int length = static_cast<int>(strlen(lowerPattern));
    CString out;
    int from = 0;
    int count = 0;
    while (at >= 0) {
        out += text.Mid(from, at - from);
        out += replacement(text.Mid(at, length));
        from = at + length;
        ++count;
        at = lower.Find(lowerPattern, from);
    }
    out += text.Mid(from);
    text = out;
    return count;
}

CString ToSystem32(const CString&) { return CString("system32"); }
CString ToSysWow64(const CString&) { return CString("syswow64"); }
CString AddX86(const CString& matched) { return matched + " (x86)"; }
CString DropX86(const CString& matched) { return matched.Left(13); }

// Under WOW64 with redirection off, "sysnative" does not resolve: it means the native folder.
void MapSysnative(CSSEngineProcess& process, CString& path)
{
    if (process.RunningUnderWow64())
        ReplaceNoCase(path, "\\sysnative\\",
                      [](const CString&) { return CString("\\system32\\"); });
}

// The existence test of a file or folder. (Only fixed drives are tested, so there is no
// "insert a disk" prompt to suppress around it.)
Existence FileAttributesExistence(const char* path)
{
    SetLastError(ERROR_SUCCESS);
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return Present;
    return IsMissingError(GetLastError()) ? Missing : Unknown;
}

// A bare file name (no folder, no drive).
bool IsBareName(const CString& path)
{
    return !path.IsEmpty() && path.FindOneOf("\\/:") < 0;
}

// `directMissing`: the caller has just found the unchanged path missing, so it is not tested
// again.
bool PathExistsSwappedImpl(CSSEngineProcess& process, CString path, bool back,
                           bool directMissing = false)
{
    MapSysnative(process, path);
    if (!IsJudgeableLocation(process, path))
        return true;
    if (IsBareName(path)) {
        // A bare name means nothing relative to our working folder; the loader finds it in the
        // System folder, and a 32-bit module in the 32-bit one.
        Existence inSystem = Missing;
        const CString& system = process.m_pathCache.SystemFolderSlash();
        if (!system.IsEmpty())
            inSystem = FileAttributesExistence(system + path);
        if (inSystem != Missing)
            return true;
        if (process.RunningUnderWow64()) {
            const CString& wow = process.m_pathCache.Wow64SystemFolderSlash();
            if (!wow.IsEmpty() && FileAttributesExistence(wow + path) != Missing)
                return true;
        }
    }
    if (process.RunningUnderWow64() && path.GetLength() >= 8) {
        CString copy(path);
        int swapped = 0;
        if (back) {
            swapped = ReplaceNoCase(copy, "syswow64", ToSystem32);
            if (swapped == 0)
                swapped = ReplaceNoCase(copy, "program files (x86)", DropX86);
        } else {
            swapped = ReplaceNoCase(copy, "system32", ToSysWow64);
            if (swapped == 0)
                swapped = ReplaceNoCase(copy, "program files", AddX86);
        }
        // An unchanged copy is the path itself, which the last test below looks for.
        if (swapped > 0 && FileAttributesExistence(copy) == Present)
            return true;
    }
    if (directMissing)
        return false;
    return FileAttributesExistence(path) != Missing;
}

// Extensions after which a value text may be cut at "," ";" or "%": what follows a module or
// program name there is an argument or a resource index, never part of the file name.
const char* const KnownExtensions[] = {
    ".exe", ".dll", ".ocx", ".cpl", ".ico", ".sys", ".drv", ".scr", ".com", ".bat", ".cmd",
    ".msc", ".mui", ".ax",  ".tlb", ".olb", ".acm", ".chm", ".hlp", ".msi", ".lnk", ".icl",
    ".vbs", ".js",  ".wsf", ".its", ".inf", ".rll", ".ime", ".tsp", ".efi", ".fon", ".ttf",
};

bool EndsWith(const CString& text, const char* suffix)
{
    int n = static_cast<int>(strlen(suffix));
    return text.GetLength() >= n && strcmp(text.GetString() + text.GetLength() - n, suffix) == 0;
}

// Whether a cut before a "," ";" or "%" leaves a path that ends in a file name we know: either
// the kept part ends in a known extension, or it holds one directly followed by a blank or a
// quote (the program's path, then its arguments).
bool CutFollowsKnownExtension(const CString& kept)
{
    CString trimmed(kept);
    trimmed.TrimRight(" \t\"");
    for (const char* ext : KnownExtensions) {
        if (EndsWith(trimmed, ext))
            return true;
        CString withBlank = CString(ext) + ' ';
        CString withQuote = CString(ext) + '"';
        if (trimmed.Find(withBlank) >= 0 || trimmed.Find(withQuote) >= 0)
            return true;
    }
    return false;
}

bool StartsWithJudgedDrive(const CString& text)
{
    char c = text.GetAt(0);
    return c >= 'c' && c <= 'p' && text.GetAt(1) == ':' && text.GetAt(2) == '\\';
}

bool HoldsSecondDrive(const CString& text)
{
    for (int i = 1; i + 2 < text.GetLength(); ++i) {
        char c = text.GetAt(i);
        if (c >= 'c' && c <= 'p' && text.GetAt(i + 1) == ':' && text.GetAt(i + 2) == '\\')
            return true;
    }
    return false;
}

bool HoldsInvalidPathCharacter(const CString& text)
{
    for (int i = 0; i < text.GetLength(); ++i) {
        unsigned char c = static_cast<unsigned char>(text.GetAt(i));
        if ((c >= 0x01 && c <= 0x1F) || strchr("/*?\"<>|^", c))
            return true;
    }
    return false;
}

}  // namespace

// --- CRegistryPathCache -----------------------------------------------------------------------

CRegistryPathCache::CRegistryPathCache() : m_enabled(false), m_foldersRead(false)
{
    memset(m_tokenState, 0, sizeof m_tokenState);
    memset(m_driveState, 0, sizeof m_driveState);
}

void CRegistryPathCache::Enable()
{
    Disable();
    m_enabled = true;
}

void CRegistryPathCache::Disable()
{
    m_enabled = false;
    m_bareNames.clear();
    m_foldersRead = false;
    memset(m_tokenState, 0, sizeof m_tokenState);
    memset(m_driveState, 0, sizeof m_driveState);
    for (CString& folder : m_tokenFolder)
        folder.Empty();
}

bool CRegistryPathCache::ReadTokenFolder(int row, CString& folder)
{
    const FolderToken& token = FolderTokenTable[row];
    char buffer[MAX_PATH + 1] = {};
    switch (token.rule) {
    case TempRule: {
        DWORD n = GetTempPathA(MAX_PATH, buffer);
        if (n == 0 || n > MAX_PATH)
            return false;
        folder = buffer;
        return true;
    }
    case LocalSettingsRule: {
        // The temporary folder's parent, when the temporary folder is the usual "...\Temp\".
        DWORD n = GetTempPathA(MAX_PATH, buffer);
        if (n == 0 || n > MAX_PATH)
            return false;
        CString temp(buffer);
        CString lower(temp);
        lower.MakeLower();
        if (!EndsWith(lower, "\\temp\\") || temp.GetLength() <= 6)
            return false;
        folder = temp.Left(temp.GetLength() - 6);
        return true;
    }
    case SystemDriveRule:
    case ByCsidl:
        // S_FALSE names a folder that does not exist: not a folder we can put in a path.
        if (SHGetFolderPathA(nullptr, token.csidl, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK ||
            buffer[0] == 0)
            return false;
        folder = buffer;
        if (token.rule == SystemDriveRule) {
            if (folder.GetLength() < 2 || folder.GetAt(1) != ':')
                return false;
            folder = folder.Left(2);
        }
        return true;
    }
    return false;
}

bool CRegistryPathCache::TokenFolder(int row, CString& folder)
{
    if (row < 0 || row >= TokenCount)
        return false;
    if (!m_enabled)
        return ReadTokenFolder(row, folder);
    if (m_tokenState[row] == 0)
        m_tokenState[row] = ReadTokenFolder(row, m_tokenFolder[row]) ? 1 : -1;
    if (m_tokenState[row] < 0)
        return false;
    folder = m_tokenFolder[row];
    return true;
}

void CRegistryPathCache::ReadFolders()
{
    if (m_enabled && m_foldersRead)
        return;
    char buffer[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    m_windowsFolder = (n > 0 && n < MAX_PATH) ? WithOneTrailingSlash(buffer) : CString();
    n = GetSystemDirectoryA(buffer, MAX_PATH);
    m_systemFolder = (n > 0 && n < MAX_PATH) ? WithOneTrailingSlash(buffer) : CString();
    n = GetSystemWow64DirectoryA(buffer, MAX_PATH);
    m_wow64SystemFolder = (n > 0 && n < MAX_PATH) ? WithOneTrailingSlash(buffer) : CString();
    m_foldersRead = true;
}

const CString& CRegistryPathCache::WindowsFolderSlash()
{
    ReadFolders();
    return m_windowsFolder;
}

const CString& CRegistryPathCache::SystemFolderSlash()
{
    ReadFolders();
    return m_systemFolder;
}

const CString& CRegistryPathCache::Wow64SystemFolderSlash()
{
    ReadFolders();
    return m_wow64SystemFolder;
}

bool CRegistryPathCache::IsFixedDrive(char letter)
{
    if (letter >= 'A' && letter <= 'Z')
        letter = static_cast<char>(letter - 'A' + 'a');
    if (letter < 'a' || letter > 'z')
        return false;
    int index = letter - 'a';
    if (m_enabled && m_driveState[index] != 0)
        return m_driveState[index] > 0;
    char root[4] = {letter, ':', '\\', 0};
    bool fixed = GetDriveTypeA(root) == DRIVE_FIXED;
    if (m_enabled)
        m_driveState[index] = fixed ? 1 : -1;
    return fixed;
}

bool CRegistryPathCache::FindBareName(const CString& name, bool& found, CString& located) const
{
    if (!m_enabled)
        return false;
    auto it = m_bareNames.find(name);
    if (it == m_bareNames.end())
        return false;
    found = it->second.first;
    located = it->second.second;
    return true;
}

void CRegistryPathCache::KeepBareName(const CString& name, bool found, const CString& located)
{
    // Bare names are few (system modules); the bound keeps a pathological registry from
    // growing the cache with the scan.
    if (m_enabled && m_bareNames.size() < MaxBareNames)
        m_bareNames[name] = std::make_pair(found, located);
}

// --- folder tokens ------------------------------------------------------------------------------

namespace {

// ExpandFolderTokens without its lower-casing: the token is found without regard to case and
// the rest of the text keeps its case. Returns the table row expanded, or -1.
int ExpandTokenKeepingCase(CSSEngineProcess& process, CString& text)
{
    if (text.GetLength() < 8 || text.Find('%') < 0)
        return -1;
    CString lower(text);
    lower.MakeLower();
    int row = -1;
    for (int i = 0; i < CRegistryPathCache::TokenCount; ++i) {
        if (lower.Find(FolderTokenTable[i].token) >= 0) {
            row = i;
            break;
        }
    }
    if (row < 0)
        return -1;
    CString folder;
    if (!process.m_pathCache.TokenFolder(row, folder))
        return -1;
    const FolderToken& token = FolderTokenTable[row];
    ReplaceNoCase(text, token.token, [&folder](const CString&) { return folder; });
    if (token.rule == ByCsidl && process.RunningUnderWow64()) {
        if (token.swap == SwapSysWow64)
            ReplaceNoCase(text, "syswow64", ToSystem32);
        else if (token.swap == SwapProgramFilesX86)
            ReplaceNoCase(text, "program files (x86)", DropX86);
    }
    return row;
}

}  // namespace

bool ExpandFolderTokens(CSSEngineProcess& process, CString& text)
{
    text.MakeLower();
    int row = ExpandTokenKeepingCase(process, text);
    if (row < 0)
        return false;
    if (FolderTokenTable[row].rule == ByCsidl && process.RunningUnderWow64())
        text.MakeLower();
    return true;
}

bool ExpandFolderTokensKeepingCase(CSSEngineProcess& process, CString& text)
{
    return ExpandTokenKeepingCase(process, text) >= 0;
}

// --- existence tests ----------------------------------------------------------------------------

bool PathExistsSwapped(CSSEngineProcess& process, CString path)
{
    return PathExistsSwappedImpl(process, path, false);
}

bool PathExistsSwappedBack(CSSEngineProcess& process, CString path)
{
    return PathExistsSwappedImpl(process, path, true);
}

namespace {

bool LocateFileUncached(CSSEngineProcess& process, CString& path)
{
    CRegistryPathCache& cache = process.m_pathCache;
    path.Trim('"');
    ExpandFolderTokens(process, path);
    if (path.Find('%') >= 0) {
        // A variable the token table does not know: the environment may.
        char expanded[MAX_PATH * 4];
        DWORD n = ExpandEnvironmentStringsA(path, expanded, sizeof expanded);
        if (n == 0 || n > sizeof expanded)
            return true;
        path = expanded;
        path.MakeLower();
        if (path.Find('%') >= 0)
            return true;
    }
    MapSysnative(process, path);
    if (path.IsEmpty() || !IsJudgeableLocation(process, path))
        return true;

    DWORD error = FindFileError(path);
    if (error == ERROR_SUCCESS)
        return true;
    if (!IsMissingError(error) && error != ERROR_INVALID_NAME)
        return true;

    const CString candidates[] = {
        cache.WindowsFolderSlash().IsEmpty() ? CString() : cache.WindowsFolderSlash() + path,
        cache.WindowsFolderSlash().IsEmpty() ? CString()
                                             : cache.WindowsFolderSlash() + "System\\" + path,
        cache.SystemFolderSlash().IsEmpty() ? CString() : cache.SystemFolderSlash() + path,
        (!process.RunningUnderWow64() || cache.Wow64SystemFolderSlash().IsEmpty())
            ? CString()
            : cache.Wow64SystemFolderSlash() + path,
    };
    for (const CString& candidate : candidates) {
        if (!candidate.IsEmpty() && FindFileError(candidate) == ERROR_SUCCESS) {
            path = candidate;
            return true;
        }
    }
    if (path.Find("file:///") >= 0) {
        CString stripped(path);
        stripped.Replace("file:///", "");
        DWORD again = FindFileError(stripped);
        if (again == ERROR_SUCCESS) {
            path = stripped;
            return true;
        }
        return !IsMissingError(again);
    }
    // A name the system rejected was never looked for: not judged.
    return !IsMissingError(error);
}

}  // namespace

bool LocateFile(CSSEngineProcess& process, CString& path)
{
    CRegistryPathCache& cache = process.m_pathCache;
    CString bare;
    if (cache.IsEnabled()) {
        bare = path;
        bare.Trim('"');
        bare.MakeLower();
        if (IsBareName(bare) && bare.Find('%') < 0) {
            bool found = false;
            CString located;
            if (cache.FindBareName(bare, found, located)) {
                path = located;
                return found;
            }
        } else {
            bare.Empty();
        }
    }
    bool found = LocateFileUncached(process, path);
    if (!bare.IsEmpty())
        cache.KeepBareName(bare, found, path);
    return found;
}

namespace {

// A text and its lower-cased twin, edited alike: every decision reads the twin, the file
// system gets the text in its own case.
struct CaseTwin {
    explicit CaseTwin(const CString& original) : text(original), lower(original)
    {
        lower.MakeLower();
    }
    void Keep(int first, int count)
    {
        text = text.Mid(first, count);
        lower = lower.Mid(first, count);
    }
    void Left(int count) { Keep(0, count); }
    void Remove(char c)
    {
        text.Remove(c);
        lower.Remove(c);
    }
    void Trim()
    {
        text.Trim();
        lower.Trim();
    }
    void TrimRight()
    {
        text.TrimRight();
        lower.TrimRight();
    }

    CString text;
    CString lower;
};

}  // namespace

bool CheckPathInText(CSSEngineProcess& process, CString original)
{
    if (original.IsEmpty() || original.GetLength() >= MAX_PATH)
        return true;
    CaseTwin t(original);
    t.Trim();
    // Only the leading "@" of an indirect resource string; an "@" inside a path is part of it.
    if (t.lower.GetAt(0) == '@') {
        t.Keep(1, t.lower.GetLength() - 1);
        t.Trim();
    }

    // Arguments and resource indexes follow a module or program name after these characters;
    // anywhere else they belong to the file name, and the cut would name another file.
    for (char separator : {',', ';'}) {
        int at = t.lower.Find(separator);
        if (at >= 0) {
            if (!CutFollowsKnownExtension(t.lower.Left(at)))
                return true;
            t.Left(at);
        }
    }
    int slash = t.lower.Find('/');
    if (slash >= 0)
        t.Left(slash);
    int percent = t.lower.Find('%');
    if (percent >= 0) {
        if (!CutFollowsKnownExtension(t.lower.Left(percent)))
            return true;
        t.Left(percent);
    }
    int dot = t.lower.Find("\\.\\");
    if (dot >= 0)
        t.Left(dot);
    // "a\..\b" names b beside a, whether or not a exists: the prefix proves nothing.
    if (t.lower.Find("\\..\\") >= 0)
        return true;

    // A quoted path is the text between its quotes; otherwise the quotes start the arguments.
    if (t.lower.GetAt(0) == '"') {
        int closing = t.lower.Find('"', 1);
        if (closing > 0)
            t.Keep(1, closing - 1);
        else
            t.Keep(1, t.lower.GetLength() - 1);
    } else {
        int quote = t.lower.Find('"');
        if (quote >= 0)
            t.Left(quote);
    }
    t.Remove('"');
    t.TrimRight();

    if (!StartsWithJudgedDrive(t.lower))
        return true;
    if (HoldsSecondDrive(t.lower))
        return true;

    int lastDot = t.lower.ReverseFind('.');
    int lastSlash = t.lower.ReverseFind('\\');
    if (lastDot >= 0 && lastDot == lastSlash - 4)
        t.Left(lastSlash);
    for (const char* ext : {".exe ", ".ocx ", ".dll ", ".its!"}) {
        int at = t.lower.Find(ext);
        if (at >= 0) {
            t.Left(at + 4);
            break;
        }
    }
    t.TrimRight();

    if (HoldsInvalidPathCharacter(t.lower))
        return true;
    CString path = t.text;
    MapSysnative(process, path);
    if (!IsJudgeableLocation(process, path))
        return true;
    if (FileAttributesExistence(path) != Missing)
        return true;
    return PathExistsSwappedImpl(process, path, false, true);
}

bool ResolveShellPath(const CString& text, CString& out)
{
    std::wstring wide;
    if (!TextToWide(text, -1, CP_THREAD_ACP, TextStrictness::Lenient, wide))
        return false;
    CComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Out())) || !desktop)
        return false;
    LPITEMIDLIST list = nullptr;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, &wide[0], nullptr, &list, nullptr)) ||
        !list)
        return false;
    bool ok = false;
    WCHAR path[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListW(list, path)) {
        CString ansi;
        if (WideToText(path, -1, CP_THREAD_ACP, TextStrictness::Lenient, ansi)) {
            out = ansi;
            ok = true;
        }
    }
    CComPtr<IMalloc> allocator;
    if (SUCCEEDED(SHGetMalloc(allocator.Out())) && allocator)
        allocator->Free(list);
    return ok;
}

// --- value rendering, key test, folders, version --------------------------------------------

void FormatValueText(DWORD length, CString& out, DWORD type, const BYTE* data)
{
    out.Empty();
    if (!data)
        length = 0;
    switch (type) {
    case REG_SZ: {
        const char* chars = reinterpret_cast<const char*>(data);
        out = CString(chars, length ? static_cast<int>(strnlen(chars, length)) : 0);
        return;
    }
    case REG_DWORD: {
        // Short data is zero-extended: never read past what the value holds.
        DWORD value = 0;
        memcpy(&value, data ? data : reinterpret_cast<const BYTE*>(""), length < 4 ? length : 4);
        out.Format("dword:%08x\n", static_cast<unsigned>(value));
        return;
    }
    case REG_BINARY:
        out = "hexvalueinreg--:";
        break;
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
    case REG_RESOURCE_LIST:
    case REG_FULL_RESOURCE_DESCRIPTOR:
    case REG_RESOURCE_REQUIREMENTS_LIST:
        out.Format("hexvalueinreg--(%d):", static_cast<int>(type));
        break;
    default:
        return;
    }
    for (DWORD i = 0; i < length; ++i) {
        out.AppendFormat("%02x,", data[i]);
        if (i > 0 && i % 21 == 0)
            out += "\\\n";
    }
    out += '\n';
}

bool IsKeyWritable(const char* rootName, const char* subKey)
{
    HKEY root = RootKeyFromName(rootName);
    if (!root)
        return true;
    CRegistryKeyHandle key;
    return key.Open(root, subKey, KEY_SET_VALUE) != ERROR_ACCESS_DENIED;
}

CString GetSpecialFolder(int csidl)
{
    char buffer[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE))
        return CString();
    return CString(buffer);
}
