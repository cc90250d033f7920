// Task 10, the junk clean: removes what the junk scan measures in the selected categories (the
// files of their folders, the rows of the browsers' databases that the category names, MRU and
// typed-URL values, the URL cache, the Recycle Bin). A file still in use is scheduled for
// deletion at the next restart, and the task's result says so.
//
// The folder and file categories run over the scan's own step table and walk, so the clean
// deletes only what a scan of the same categories reports. Nothing is deleted through a link:
// every file is opened, its final path checked and the file deleted through that one handle.
#include "Engine/JunkCleaner.h"

#include <shlobj.h>
#include <urlhist.h>
#include <wininet.h>

#include <vector>

#include "Engine/BrowserDatabases.h"
#include "Engine/JunkSteps.h"
#include "Engine/SSEngineProcess.h"
#include "Framework/ComPtr.h"
#include "Framework/FileFind.h"
#include "Framework/FinalPath.h"
#include "Framework/Handle.h"
#include "Framework/RegistryKeyHandle.h"

namespace {

const char StageScanning[] = "Scanning";
const char RunAnimation[] = "RunAnimation";

const char LastVisitedMruKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU";
const char RunMruKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const char WordWheelQueryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery";
const char TypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const char FormStorageKeys[][64] = {"Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1",
                                    "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2"};

// The URL cache marks cookie entries with this type bit.
const DWORD CookieCacheEntry = 0x100000;

// The categories in the order the clean runs them, with the text shown while each runs.
struct CleanCategory {
    int group;
    DWORD bit;
    const char* action;  // none for the Edge group
};
const CleanCategory CleanCategories[] = {
    {1, JunkTempFiles, "Cleaning Windows Temprory Files..."},
    {1, JunkExplorerMru, "Cleaning Windows Explorer MRU..."},
    {1, JunkRunHistory, "Cleaning Windows RUN MRU..."},
    {1, JunkRecycleBin, "Cleaning Recycle Bin..."},
    {1, JunkSearchAutocomplete, "Cleaning Search Auto Complete History..."},
    {1, JunkRecentDocuments, "Cleaning Recent Documents History..."},
    {1, JunkInstallerCache, "Cleaning Windows Installer Cache..."},
    {2, JunkIeCookies, "Cleaning Internet Explorer Cookies..."},
    {2, JunkIeTypedUrls, "Cleaning Internet Explorer Typed URLs History..."},
    {2, JunkIeCache, "Cleaning Internet Explorer Cache..."},
    {2, JunkIeHistory, "Cleaning Internet Explorer Cache..."},
    {2, JunkIeFormData, "Cleaning Internet Explorer Cache..."},
    {3, JunkFirefoxCookies, "Cleaning Mozilla Cookies..."},
    {3, JunkFirefoxDownloads, "Cleaning Mozilla Download History..."},
    {3, JunkFirefoxCache, "Cleaning Mozilla Cache..."},
    {3, JunkFirefoxHistory, "Cleaning Mozilla Internet History..."},
    {3, JunkFirefoxFormData, "Cleaning Mozilla Saved Information..."},
    {4, JunkChromeCookies, "Cleaning Google Chrome Cookies..."},
    {4, JunkChromeDownloads, "Cleaning Google Chrome Download History..."},
    {4, JunkChromeCache, "Cleaning Google Chrome Internet Cache..."},
    {4, JunkChromeHistory, "Cleaning Google Chrome Internet History..."},
    {4, JunkChromeFormData, "Cleaning Google Chrome Saved Form Information..."},
    {5, JunkEdgeCookies, nullptr},
    {5, JunkEdgeDownloads, nullptr},
    {5, JunkEdgeCache, nullptr},
    {5, JunkEdgeHistory, nullptr},
};
const int CleanGroupCount = 5;

HRESULT CreateSystemUrlHistory(IUrlHistoryStg2** history)
{
    return CoCreateInstance(CLSID_CUrlHistory, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                            IID_IUrlHistoryStg2, reinterpret_cast<void**>(history));
}

class JunkClean : public CJunkFolderWalk {
public:
    JunkClean(CSSEngineProcess& process, CAbstractStatus* status, int& restartNeeded)
        : CJunkFolderWalk(process, true), m_status(status), m_mask(process.m_junkMask),
          m_restartNeeded(restartNeeded)
    {
    }
    void Run();

private:
    void OnEntry(const char*) override {}
    void OnFile(const char* path, ULONGLONG, DWORD) override { DeleteFileForced(path, true); }
    void OnFolderDone(const char* path, const char* filter) override
    {
        // A filtered walk deletes the matching files only; the folders stay.
        if (!filter)
            RemoveDirectoryA(path);
    }

    void CleanCategoryWork(DWORD bit);
    // The scan's steps of `bit`, the first `count` of them (all when negative) from `first`.
    void RunSteps(DWORD bit, int first = 0, int count = -1);
    void CleanNamedFile(const CString& path, DWORD bit);
    static bool FindNamedFile(const CString& path, char* longPath);
    void DeleteNamedFile(const CString& path);
    void DeleteFileForced(const char* longPath, bool walked);
    static bool MarkForDeletion(HANDLE file);
    void ScheduleAtRestart(const char* path);
    void CleanUrlCacheEntries(const char* pattern, bool cookies);
    void CleanUrlHistory();
    void CleanTypedUrls();
    void CleanLastVisitedMru();
    void CleanRunMru();
    void DeleteAllValues(const char* key);
    void EmptyReport(DWORD bit) { m_status->OnJunkItem(bit, 0, 0, 0, 0, ""); }

    CAbstractStatus* m_status;
    const DWORD m_mask;
    int& m_restartNeeded;
    JunkFolderRoots m_roots;
};

void JunkClean::Run()
{
    m_roots = JunkFolderRoots::Read();
    for (int group = 1; group <= CleanGroupCount; ++group) {
        m_status->OnItemFound(RunAnimation, static_cast<DWORD>(group), 1, 0);
        for (const CleanCategory& category : CleanCategories) {
            if (category.group != group || !(m_mask & category.bit))
                continue;
            BeginCategory();
            if (!category.action) {
                // Edge: the report comes first, and only a running task cleans.
                if (!m_process.KeepRunning())
                    continue;
                EmptyReport(category.bit);
                RunSteps(category.bit);
                continue;
            }
            m_status->OnStatusText(category.action, StageScanning);
            CleanCategoryWork(category.bit);
            EmptyReport(category.bit);
        }
        m_status->OnItemFound(RunAnimation, static_cast<DWORD>(group), 0, 0);
    }
}

void JunkClean::CleanCategoryWork(DWORD bit)
{
    switch (bit) {
    case JunkExplorerMru: CleanLastVisitedMru(); break;
    case JunkRunHistory: CleanRunMru(); break;
    case JunkRecycleBin: CJunkCleaner::EmptyRecycleBin(); break;
    case JunkSearchAutocomplete: DeleteAllValues(WordWheelQueryKey); break;
    case JunkIeCookies:
        RunSteps(bit, 0, 1);  // the Cookies folder
        CleanUrlCacheEntries("cookie:", true);
        CleanUrlCacheEntries(nullptr, true);  // cookies the pattern does not reach
        RunSteps(bit, 1);
        break;
    case JunkIeTypedUrls: CleanTypedUrls(); break;
    case JunkIeCache:
        RunSteps(bit);
        CleanUrlCacheEntries(nullptr, false);
        break;
    case JunkIeHistory:
        RunSteps(bit, 0, 1);  // the History folder
        CleanUrlHistory();
        EmptyReport(bit);
        RunSteps(bit, 1);
        break;
    case JunkIeFormData:
        for (const char* key : FormStorageKeys)
            DeleteAllValues(key);
        break;
    case JunkFirefoxFormData:
        DeleteNamedFile(JoinJunkPath(m_roots.FirefoxProfileRoaming, "formhistory.sqlite"));
        break;
    case JunkChromeFormData: DeleteNamedFile(JoinJunkPath(m_roots.ChromeDefault, "Web Data")); break;
    case JunkChromeHistory:
        EmptyReport(bit);
        RunSteps(bit);
        break;
    default: RunSteps(bit); break;
    }
}

void JunkClean::RunSteps(DWORD bit, int first, int count)
{
    int index = 0;
    for (size_t s = 0; s < JunkStepCount; ++s) {
        const JunkStep& step = JunkSteps[s];
        if (step.bit != bit)
            continue;
        const int at = index++;
        if (at < first || (count >= 0 && at >= first + count))
            continue;
        if (IsFileLeftToLaterStep(s, m_mask))
            continue;
        if (step.kind == StepFolder)
            Walk(JunkStepPath(m_roots, step), bit, step.filter);
        else if (step.kind == StepFile)
            CleanNamedFile(JunkStepPath(m_roots, step), bit);
    }
}

// The file of a category's file step. The databases that also hold what the user keeps (the
// browsing history beside the downloads, the bookmarks beside the visits) lose only the rows
// the category names; every other file goes whole.
void JunkClean::CleanNamedFile(const CString& path, DWORD bit)
{
    if (bit != JunkChromeDownloads && bit != JunkFirefoxHistory) {
        DeleteNamedFile(path);
        return;
    }
    char longPath[MAX_PATH + 1];
    if (!FindNamedFile(path, longPath))
        return;
    if (bit == JunkChromeDownloads)
        DeleteChromeDownloads(longPath);
    else
        DeleteFirefoxHistory(longPath);
}

// Whether a search finds `path` as a file (no folder, no link); `longPath` then holds its long
// path (MAX_PATH + 1 characters).
bool JunkClean::FindNamedFile(const CString& path, char* longPath)
{
    if (!IsJunkFolderUsable(path) || path.GetLength() >= MAX_PATH || path.FindOneOf("*?") >= 0)
        return false;
    WIN32_FIND_DATAA data;
    if (!FindFileEntry(path, data) || (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return false;
    const DWORD n = GetLongPathNameA(path, longPath, MAX_PATH + 1);
    return n != 0 && n <= MAX_PATH;
}

// A single file of a category: deleted when a search finds it as a file.
void JunkClean::DeleteNamedFile(const CString& path)
{
    char longPath[MAX_PATH + 1];
    if (FindNamedFile(path, longPath))
        DeleteFileForced(longPath, false);
}

// Opens the file, checks that it is the file its path names, and deletes it through that one
// handle; a read-only file has the attribute cleared through the same handle, after the check.
// A file of the walk (`walked`) is checked by its object name against the walked folder's,
// which costs one query; any other file by its whole final path.
// A file another program holds is scheduled for deletion at the restart, once a look at it
// shows it is a file and no link either.
//
// The open refuses a folder (no backup semantics) and follows a link (no open-reparse-point
// flag), so that a link, whether the system marks it or not, ends at a final path that is not
// the file's own and is refused by the check.
void JunkClean::DeleteFileForced(const char* longPath, bool walked)
{
    CHandle file(CreateFileA(longPath, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                             nullptr));
    if (!file.IsValid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED && error != ERROR_LOCK_VIOLATION)
            return;
        const DWORD attributes = GetFileAttributesA(longPath);
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) && LeadsToItself(longPath))
            ScheduleAtRestart(longPath);
        return;
    }
    if (walked ? !ReachesWalkedEntry(file.Get(), longPath) : !HandleLeadsTo(file.Get(), longPath))
        return;
    const bool deleted = MarkForDeletion(file.Get());
    // A file marked for deletion goes as this handle closes; one that could not be marked is
    // left for the restart.
    file.Close();
    if (!deleted)
        ScheduleAtRestart(longPath);
}

// Marks the open file for deletion. A read-only file refuses the mark: its attribute is then
// cleared and the mark set again. Asking first would cost every file a query that only the
// rare read-only one needs.
bool JunkClean::MarkForDeletion(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition))
        return true;
    FILE_BASIC_INFO basic = {};
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
        !(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return false;
    // Zero times leave the times as they are.
    FILE_BASIC_INFO writable = {};
    writable.FileAttributes = basic.FileAttributes & ~FILE_ATTRIBUTE_READONLY;
    if (!writable.FileAttributes)
        writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &writable, sizeof writable) &&
           SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

void JunkClean::ScheduleAtRestart(const char* path)
{
    if (MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        m_restartNeeded = 1;
}

// Every entry the pattern finds; without a pattern, every entry that is a cookie (`cookies`) or
// every one that is not.
void JunkClean::CleanUrlCacheEntries(const char* pattern, bool cookies)
{
    std::vector<BYTE> buffer(4096);
    DWORD size = static_cast<DWORD>(buffer.size());
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    HANDLE find = FindFirstUrlCacheEntryA(pattern, entry, &size);
    if (!find && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(size);
        entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
        find = FindFirstUrlCacheEntryA(pattern, entry, &size);
    }
    if (!find)
        return;
    // The names first: deleting while the enumeration runs would move entries under it.
    std::vector<CString> names;
    for (;;) {
        const bool cookie = (entry->CacheEntryType & CookieCacheEntry) != 0;
        if (entry->lpszSourceUrlName && (pattern || cookie == cookies))
            names.push_back(entry->lpszSourceUrlName);
        size = static_cast<DWORD>(buffer.size());
        if (FindNextUrlCacheEntryA(find, entry, &size))
            continue;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
        buffer.resize(size);
        entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
        if (!FindNextUrlCacheEntryA(find, entry, &size))
            break;
    }
    FindCloseUrlCache(find);
    for (const CString& name : names)
        DeleteUrlCacheEntryA(name);
}

void JunkClean::CleanUrlHistory()
{
    const HRESULT init = CoInitialize(nullptr);
    {
        CComPtr<IUrlHistoryStg2> history;
        if (SUCCEEDED(CreateUrlHistoryStore(history.Out())) && history)
            history->ClearHistory();
    }
    if (SUCCEEDED(init))
        CoUninitialize();
}

// url1, url2, ... until the first that is not there.
void JunkClean::CleanTypedUrls()
{
    CRegistryKeyHandle key;
    if (key.Open(HKEY_CURRENT_USER, TypedUrlsKey, KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    for (int i = 1;; ++i) {
        CString name;
        name.Format("url%d", i);
        if (RegDeleteValueA(key.Get(), name) != ERROR_SUCCESS)
            break;
    }
}

// Deletes the value at the front until none is left. A value that cannot be deleted ends the
// work (it would stay at the front for ever), and no more rounds are made than the key had
// values. The wide calls reach names the ANSI code page cannot spell.
void JunkClean::CleanLastVisitedMru()
{
    CRegistryKeyHandle key;
    if (key.Open(HKEY_CURRENT_USER, LastVisitedMruKey, KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    DWORD values = 0, longestName = 0;
    if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, &longestName,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<WCHAR> name(longestName + 2);
    for (DWORD round = 0; round < values; ++round) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueW(key.Get(), 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (RegDeleteValueW(key.Get(), name.data()) != ERROR_SUCCESS)
            break;
    }
}

void JunkClean::CleanRunMru()
{
    CRegistryKeyHandle key;
    if (key.Open(HKEY_CURRENT_USER, RunMruKey, KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    char name[2] = {0, 0};
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        name[0] = letter;
        RegDeleteValueA(key.Get(), name);
    }
    RegDeleteValueA(key.Get(), "MRUList");
}

// Every named value, each announced before it goes; the unnamed value stays.
void JunkClean::DeleteAllValues(const char* keyPath)
{
    CRegistryKeyHandle key;
    if (key.Open(HKEY_CURRENT_USER, keyPath, KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS)
        return;
    std::vector<CString> names;
    char name[16384];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        const LONG result = RegEnumValueA(key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            break;
        if (length > 0)
            names.push_back(name);
    }
    for (const CString& value : names) {
        m_status->OnStatusText(value, StageScanning);
        RegDeleteValueA(key.Get(), value);
    }
}

}  // namespace

UrlHistoryFactory CreateUrlHistoryStore = CreateSystemUrlHistory;

int CJunkCleaner::CleanJunk(CSSEngineProcess& process)
{
    m_restartNeeded = 0;
    SetStatus(process.Status());
    if (!m_status)
        return -1;
    JunkClean clean(process, m_status, m_restartNeeded);
    clean.Run();
    process.m_state = 0;
    m_status->OnResult(m_restartNeeded ? 1 : 0);
    m_status->OnTaskFinished(TaskJunkClean);
    return -1;
}

int CSSEngineProcess::RunJunkClean()
{
    return m_junkCleaner.CleanJunk(*this);
}
