// CJunkCleaner's construction and the folder roots that the junk scan and the junk clean share.
#include "Engine/JunkCleaner.h"

#include <shlobj.h>
#include <string.h>

#include "Engine/RegistryPathToolkit.h"
#include "Framework/FileFind.h"

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A root as the junk tasks use it: no trailing separator, and empty unless usable.
CString UsableRoot(CString path)
{
    path.TrimRight("\\/");
    return IsJunkFolderUsable(path) ? path : CString();
}

bool SameFolder(const CString& a, const CString& b)
{
    return !a.IsEmpty() && a.CompareNoCase(b) == 0;
}

// The temporary folder, unless the system fell back to a folder that is not a temporary one
// (GetTempPathA ends with the user's profile or the Windows folder when TMP and TEMP are not
// set): the clean empties this folder, so it must never be one of those.
CString TemporaryRoot(const CString& windows, const CString& profile)
{
    char buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH + 1, buffer);
    if (n == 0 || n > MAX_PATH)
        return CString();
    CString temp = UsableRoot(CString(buffer));
    if (SameFolder(temp, windows) || SameFolder(temp, profile))
        return CString();
    return temp;
}

// The first folder below Profiles whose lower-cased name holds ".default" after its first
// character; empty when there is none. Names the ANSI code page cannot spell (the system
// hands them over with "?") and linked folders are passed over: neither can be a root.
CString FirefoxProfileName(const CString& appData)
{
    CString profiles = JoinJunkPath(appData, "Mozilla\\Firefox\\Profiles");
    if (profiles.IsEmpty())
        return CString();
    WIN32_FIND_DATAA data;
    CFindHandle find;
    if (!find.FindFirst(JoinJunkPath(profiles, "*.*"), data))
        return CString();
    CString found;
    do {
        CString name(data.cFileName);
        if (name == "." || name == "..")
            continue;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || name.Find('?') >= 0)
            continue;
        CString lower(name);
        lower.MakeLower();
        if (lower.Find(".default") >= 1) {
            found = name;
            break;
        }
    } while (find.FindNext(data));
    return found;
}

}  // namespace

CString JoinJunkPath(const CString& base, const char* suffix)
{
    CString joined(base);
    joined.TrimRight("\\/");
    if (joined.IsEmpty())
        return CString();
    while (suffix && IsSeparator(*suffix))
        ++suffix;
    if (suffix && *suffix) {
        joined += '\\';
        joined += suffix;
    }
    return joined;
}

bool IsJunkFolderUsable(const CString& path)
{
    const char* p = path.GetString();
    const char* rest = nullptr;
    if (IsAsciiLetter(p[0]) && p[1] == ':' && IsSeparator(p[2])) {
        rest = p + 3;
    } else if (IsSeparator(p[0]) && IsSeparator(p[1])) {
        // "\\server\share\..." (device paths "\\?\" and "\\.\" are refused)
        const char* server = p + 2;
        const char* serverEnd = server;
        while (*serverEnd && !IsSeparator(*serverEnd))
            ++serverEnd;
        if (serverEnd == server || !*serverEnd || (serverEnd - server == 1 && (*server == '?' || *server == '.')))
            return false;
        const char* share = serverEnd + 1;
        const char* shareEnd = share;
        while (*shareEnd && !IsSeparator(*shareEnd))
            ++shareEnd;
        if (shareEnd == share || !*shareEnd)
            return false;
        rest = shareEnd + 1;
    } else {
        return false;
    }
    // At least one name below the root, and no "." or ".." step that could lead back up to it.
    bool anyName = false;
    while (*rest) {
        const char* end = rest;
        while (*end && !IsSeparator(*end))
            ++end;
        size_t length = static_cast<size_t>(end - rest);
        if (length == 0 || (length == 1 && rest[0] == '.') ||
            (length == 2 && rest[0] == '.' && rest[1] == '.'))
            return false;
        anyName = true;
        rest = *end ? end + 1 : end;
    }
    return anyName;
}

JunkFolderRoots JunkFolderRoots::Read()
{
    JunkFolderRoots roots;
    roots.Windows = UsableRoot(GetSpecialFolder(CSIDL_WINDOWS));
    roots.Temp = TemporaryRoot(roots.Windows, UsableRoot(GetSpecialFolder(CSIDL_PROFILE)));
    roots.Recent = UsableRoot(GetSpecialFolder(CSIDL_RECENT));
    roots.Cookies = UsableRoot(GetSpecialFolder(CSIDL_COOKIES));
    roots.InternetCache = UsableRoot(GetSpecialFolder(CSIDL_INTERNET_CACHE));
    roots.History = UsableRoot(GetSpecialFolder(CSIDL_HISTORY));
    roots.AppData = UsableRoot(GetSpecialFolder(CSIDL_APPDATA));
    roots.LocalAppData = UsableRoot(GetSpecialFolder(CSIDL_LOCAL_APPDATA));

    roots.IeFolder = JoinJunkPath(roots.LocalAppData, "Microsoft\\Internet Explorer");
    int parentEnd = roots.LocalAppData.ReverseFind('\\');
    if (parentEnd > 0) {
        CString parent = UsableRoot(roots.LocalAppData.Left(parentEnd));
        roots.IeLowDomStore = JoinJunkPath(parent, "LocalLow\\Microsoft\\Internet Explorer\\DOMStore");
    }

    CString profile = FirefoxProfileName(roots.AppData);
    if (!profile.IsEmpty()) {
        roots.FirefoxProfileRoaming =
            JoinJunkPath(JoinJunkPath(roots.AppData, "Mozilla\\Firefox\\Profiles"), profile);
        roots.FirefoxProfileLocal =
            JoinJunkPath(JoinJunkPath(roots.LocalAppData, "Mozilla\\Firefox\\Profiles"), profile);
    }

    roots.ChromeUserData = JoinJunkPath(roots.LocalAppData, "Google\\Chrome\\User Data");
    roots.ChromeDefault = JoinJunkPath(roots.ChromeUserData, "Default");
    roots.EdgePackage = JoinJunkPath(roots.LocalAppData, "Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe");
    return roots;
}

CJunkCleaner::CJunkCleaner() : m_stopFlag(0), m_status(nullptr), m_restartNeeded(0) {}

CJunkCleaner::~CJunkCleaner() {}

HRESULT CJunkCleaner::EmptyRecycleBin()
{
    return SHEmptyRecycleBinA(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}
