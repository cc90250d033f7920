// Task 9, the junk scan: measures the junk and privacy traces of the selected categories
// (temporary files, Explorer and Run histories, the Recycle Bin, recent documents, the installer
// patch cache, and the cookies, histories and caches of four browsers) and reports every
// finding with its category bit and size. It deletes nothing.
//
// The clean later deletes what lies in the same folders, so the walk is careful about what it
// counts: it never enters a junction or a symbolic link, never counts what one points to, and
// passes over entries that no ANSI path can reach (a name outside the code page, a path longer
// than MAX_PATH), because those are exactly the entries the clean cannot address safely.
#include "Engine/JunkCleaner.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <errno.h>
#include <string.h>

#include <algorithm>
#include <vector>

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

// Progress texts go to a window through a posted message each: at most about 20 a second,
// however many entries the walk meets.
const DWORD StatusTextIntervalMs = 50;

// The value buffers a registry measurement starts with; they grow when a value needs more.
const DWORD ValueNameChars = 99;
const DWORD ValueDataBytes = 10240;
const int ValueReadAttempts = 3;

// The Recycle Bin's size column ({B725F130-47EF-101A-A5F1-02608C9EEBAC}, 12).
const SHCOLUMNID RecycleBinSizeColumn = {
    {0xB725F130, 0x47EF, 0x101A, {0xA5, 0xF1, 0x02, 0x60, 0x8C, 0x9E, 0xEB, 0xAC}}, 12};
const UINT ColumnName = 0;
const UINT ColumnFormerLocation = 1;
const UINT ColumnSize = 3;

const char LastVisitedMruKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU";
const char RunMruKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const char WordWheelQueryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery";
const char TypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedUrls";

typedef JunkFolderRoots R;

// In the order the steps of one category run.
}  // namespace

const JunkStep JunkSteps[] = {
    {JunkTempFiles, StepFolder, &R::Windows, "Temp", nullptr},
    {JunkTempFiles, StepFolder, &R::Temp, nullptr, nullptr},
    {JunkExplorerMru, StepValues, nullptr, LastVisitedMruKey, "MRUListEx"},
    {JunkRunHistory, StepValues, nullptr, RunMruKey, "MRUList"},
    {JunkRecycleBin, StepRecycleBin, nullptr, nullptr, nullptr},
    {JunkSearchAutocomplete, StepValues, nullptr, WordWheelQueryKey, "MRUListEx"},
    {JunkRecentDocuments, StepFolder, &R::Recent, nullptr, nullptr},
    {JunkInstallerCache, StepFolder, &R::Windows, "Installer\\$PatchCache$", nullptr},

    {JunkChromeCookies, StepFile, &R::ChromeDefault, "Cookies", nullptr},
    {JunkChromeDownloads, StepFile, &R::ChromeDefault, "History", nullptr},
    {JunkChromeCache, StepFolder, &R::ChromeDefault, "Cache", nullptr},
    {JunkChromeCache, StepFolder, &R::ChromeDefault, "Media Cache", nullptr},
    {JunkChromeCache, StepFolder, &R::ChromeDefault, "GPUCache", nullptr},
    {JunkChromeCache, StepFolder, &R::ChromeDefault, "Storage", nullptr},
    {JunkChromeCache, StepFolder, &R::ChromeDefault, "Application Cache", nullptr},
    {JunkChromeCache, StepFolder, &R::ChromeDefault, "File System", nullptr},
    {JunkChromeCache, StepFolder, &R::ChromeDefault, "Service Worker", nullptr},
    {JunkChromeCache, StepFolder, &R::ChromeUserData, "ShaderCache", nullptr},
    {JunkChromeCache, StepFolder, &R::ChromeUserData, nullptr, "tmp"},
    {JunkChromeHistory, StepFile, &R::ChromeDefault, "Visited Links", nullptr},
    {JunkChromeHistory, StepFile, &R::ChromeDefault, "History", nullptr},

    {JunkFirefoxCookies, StepFile, &R::FirefoxProfileRoaming, "cookies.sqlite", nullptr},
    {JunkFirefoxDownloads, StepFile, &R::FirefoxProfileRoaming, "downloads.sqlite", nullptr},
    {JunkFirefoxCache, StepFolder, &R::FirefoxProfileLocal, "Cache2\\entries", nullptr},
    {JunkFirefoxCache, StepFolder, &R::FirefoxProfileLocal, "jumpListCache", nullptr},
    {JunkFirefoxCache, StepFolder, &R::FirefoxProfileLocal, "thumbnails", "png"},
    {JunkFirefoxHistory, StepFile, &R::FirefoxProfileRoaming, "places.sqlite", nullptr},

    {JunkIeCookies, StepFolder, &R::Cookies, nullptr, nullptr},
    {JunkIeCookies, StepFolder, &R::IeLowDomStore, nullptr, nullptr},
    {JunkIeCookies, StepFolder, &R::IeFolder, "DOMStore", nullptr},
    {JunkIeTypedUrls, StepValues, nullptr, TypedUrlsKey, nullptr},
    {JunkIeCache, StepFolder, &R::InternetCache, nullptr, nullptr},
    {JunkIeHistory, StepFolder, &R::History, nullptr, nullptr},
    {JunkIeHistory, StepFolder, &R::IeFolder, "Recovery", nullptr},

    {JunkEdgeCookies, StepFolder, &R::EdgePackage, "AC\\MicrosoftEdge\\Cookies", "txt"},
    {JunkEdgeCookies, StepFolder, &R::EdgePackage, "AC\\#!001\\MicrosoftEdge\\Cookies", "txt"},
    {JunkEdgeCookies, StepFolder, &R::EdgePackage, "AC\\#!001\\MicrosoftEdge\\User\\Default\\DOMStore", "xml"},
    {JunkEdgeCookies, StepFolder, &R::EdgePackage, "AC\\#!002\\MicrosoftEdge\\Cookies", "txt"},
    {JunkEdgeCookies, StepFolder, &R::EdgePackage, "AC\\#!002\\MicrosoftEdge\\User\\Default\\DOMStore", "xml"},
    {JunkEdgeDownloads, StepFolder, &R::EdgePackage, "AC\\MicrosoftEdge\\User\\Default\\DownloadHistory", nullptr},
    {JunkEdgeCache, StepFolder, &R::EdgePackage, "AC\\MicrosoftEdge\\Cache", nullptr},
    {JunkEdgeCache, StepFolder, &R::EdgePackage, "AC\\#!001\\MicrosoftEdge\\Cache", nullptr},
    {JunkEdgeCache, StepFolder, &R::EdgePackage, "AC\\#!001\\MicrosoftEdge\\User\\Default\\AppCache", nullptr},
    {JunkEdgeCache, StepFolder, &R::EdgePackage, "AC\\#!002\\MicrosoftEdge\\Cache", nullptr},
    {JunkEdgeCache, StepFolder, &R::EdgePackage, "AC\\#!002\\MicrosoftEdge\\User\\Default\\AppCache", nullptr},
    {JunkEdgeCache, StepFolder, &R::EdgePackage, "AC\\Temp", "tmp"},
    {JunkEdgeHistory, StepFolder, &R::EdgePackage, "AC\\MicrosoftEdge\\History", nullptr},
    {JunkEdgeHistory, StepFolder, &R::EdgePackage, "AC\\#!001\\MicrosoftEdge\\History", nullptr},
    {JunkEdgeHistory, StepFolder, &R::EdgePackage, "AC\\#!002\\MicrosoftEdge\\History", nullptr},
    {JunkEdgeHistory, StepFolder, &R::EdgePackage, "AC\\#!121\\MicrosoftEdge\\History", nullptr},
};

const size_t JunkStepCount = sizeof JunkSteps / sizeof JunkSteps[0];

CString JunkStepPath(const JunkFolderRoots& roots, const JunkStep& step)
{
    return step.root ? JoinJunkPath(roots.*step.root, step.path) : CString();
}

bool IsFileLeftToLaterStep(size_t index, DWORD mask)
{
    const JunkStep& step = JunkSteps[index];
    if (step.kind != StepFile)
        return false;
    for (size_t later = index + 1; later < JunkStepCount; ++later) {
        const JunkStep& other = JunkSteps[later];
        if (other.kind == StepFile && other.bit != step.bit && (mask & other.bit) && other.root == step.root &&
            lstrcmpiA(other.path, step.path) == 0)
            return true;
    }
    return false;
}

namespace {

// The groups in the order they are reported, each with its bits in order. The saved-form bits
// (0x400, 0x8000, 0x100000) are never measured by the scan and so never reported.
struct JunkGroup {
    int number;
    DWORD bits[7];
    int count;
};
const JunkGroup JunkGroups[] = {
    {1, {JunkTempFiles, JunkExplorerMru, JunkRunHistory, JunkRecycleBin, JunkSearchAutocomplete,
         JunkRecentDocuments, JunkInstallerCache}, 7},
    {4, {JunkChromeCookies, JunkChromeDownloads, JunkChromeCache, JunkChromeHistory}, 4},
    {3, {JunkFirefoxCookies, JunkFirefoxDownloads, JunkFirefoxCache, JunkFirefoxHistory}, 4},
    {2, {JunkIeCookies, JunkIeTypedUrls, JunkIeCache, JunkIeHistory}, 4},
    {5, {JunkEdgeCookies, JunkEdgeDownloads, JunkEdgeCache, JunkEdgeHistory}, 4},
};

// --- small helpers --------------------------------------------------------------------------

bool IsDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Copies `text` lower-cased (ASCII letters only) into `out`, which holds MAX_PATH + 1 bytes.
void LowerInto(const char* text, char* out)
{
    int i = 0;
    for (; text[i] && i < MAX_PATH; ++i)
        out[i] = AsciiLower(text[i]);
    out[i] = 0;
}

bool CanOpenForUpdate(const char* path)
{
    FILE* file = nullptr;
    if (fopen_s(&file, path, "r+") != 0 || !file)
        return false;
    fclose(file);
    return true;
}

bool SameFilter(const char* a, const char* b)
{
    return lstrcmpiA(a ? a : "", b ? b : "") == 0;
}

ULONGLONG FindDataSize(const WIN32_FIND_DATAA& data)
{
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

// --- the walk both tasks share --------------------------------------------------------------

CJunkFolderWalk::CJunkFolderWalk(CSSEngineProcess& process, bool cleaning)
    : m_process(process), m_state(process.GetStateFlag()), m_cleaning(cleaning), m_rootLength(0)
{
    m_path[0] = 0;
    // The defragmenter keeps its copies and the old hives there until the restart that swaps
    // them in: cleaning it would lose the backup or break the pending replacement.
    m_workFolder = process.m_registryDefrag.WorkFolder();
    m_workFolder.TrimRight("\\/");
    m_workFolder.MakeLower();
}

bool CJunkFolderWalk::IsWalked(const CString& lowerPath, const char* filter, bool orBelow) const
{
    for (const WalkedFolder& walked : m_walked) {
        // An earlier walk without a filter counted every file; one with the same filter counted
        // the same files. Either way they must not be counted again for this category.
        if (walked.filter && !SameFilter(walked.filter, filter))
            continue;
        if (lowerPath == walked.lowerPath)
            return true;
        if (orBelow && lowerPath.GetLength() > walked.lowerPath.GetLength() &&
            lowerPath.Left(walked.lowerPath.GetLength()) == walked.lowerPath &&
            lowerPath[walked.lowerPath.GetLength()] == '\\')
            return true;
    }
    return false;
}

// m_path holds a folder of `length` characters.
bool CJunkFolderWalk::IsWorkFolder(int length) const
{
    if (m_workFolder.IsEmpty() || length != m_workFolder.GetLength())
        return false;
    char lower[MAX_PATH + 1];
    LowerInto(m_path, lower);
    return m_workFolder == lower;
}

void CJunkFolderWalk::Walk(const CString& folder, DWORD bit, const char* filter)
{
    if (!m_process.KeepRunning())
        return;
    CString root(folder);
    root.TrimRight("\\/");
    if (!IsJunkFolderUsable(root) || root.GetLength() >= MAX_PATH)
        return;
    if (m_cleaning) {
        // Entries are compared with their final paths, which have long names; and a root that
        // is itself a link (or lies behind one) is not emptied at all.
        char longRoot[MAX_PATH + 1];
        DWORD n = GetLongPathNameA(root, longRoot, sizeof longRoot);
        if (n == 0 || n >= sizeof longRoot)
            return;
        root = longRoot;
        root.TrimRight("\\/");
        const DWORD attributes = GetFileAttributesA(root);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !m_rootFinalPath.Take(root))
            return;
    }
    CString lower(root);
    lower.MakeLower();
    if (IsWalked(lower, filter, true))
        return;
    m_walked.push_back({lower, filter});
    memcpy(m_path, root.GetString(), static_cast<size_t>(root.GetLength()) + 1);
    m_rootLength = root.GetLength();
    if (IsWorkFolder(root.GetLength()))
        return;
    WalkInto(root.GetLength(), bit, filter);
}

bool CJunkFolderWalk::ReachesWalkedEntry(HANDLE handle, const char* path) const
{
    return m_cleaning && strlen(path) > static_cast<size_t>(m_rootLength) + 1 && path[m_rootLength] == '\\' &&
           _strnicmp(path, m_path, static_cast<size_t>(m_rootLength)) == 0 &&
           m_rootFinalPath.Reaches(handle, path + m_rootLength + 1);
}

// m_path holds a folder met by the clean's walk: opened as the system follows it, it must end
// at its own path. Its path has long names already (below a long root), so the object name tells
// at one query.
bool CJunkFolderWalk::IsWalkedFolderOwn() const
{
    CHandle folder(CreateFileA(m_path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return folder.IsValid() && ReachesWalkedEntry(folder.Get(), m_path);
}

// m_path holds the folder (length characters); each entry's path is built in place behind it.
void CJunkFolderWalk::WalkInto(int length, DWORD bit, const char* filter)
{
    if (length + 4 >= MAX_PATH)
        return;
    memcpy(m_path + length, "\\*.*", 5);
    WIN32_FIND_DATAA data;
    CFindHandle find;
    const BOOL found = find.FindFirstBasic(m_path, data);
    m_path[length] = 0;
    if (!found)
        return;
    do {
        if (!m_process.KeepRunning())
            return;
        const char* name = data.cFileName;
        if (IsDotEntry(name))
            continue;
        // A junction or symbolic link: what it points to lies outside this folder.
        if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            continue;
        // The ANSI call spells characters outside the code page as "?": no ANSI path reaches
        // such an entry (its short path cannot be formed either), so it is passed over.
        if (strchr(name, '?'))
            continue;
        const int nameLength = static_cast<int>(strlen(name));
        const int pathLength = length + 1 + nameLength;
        if (pathLength >= MAX_PATH)
            continue;
        m_path[length] = '\\';
        memcpy(m_path + length + 1, name, static_cast<size_t>(nameLength) + 1);
        OnEntry(m_path);

        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            bool skipped = IsWorkFolder(pathLength);
            if (!skipped && m_walked.size() > 1) {
                CString lower(m_path);
                lower.MakeLower();
                skipped = IsWalked(lower, filter, false);
            }
            // The clean also refuses a folder the system marks as no link but that leads
            // elsewhere: whatever lies there is not this folder's junk.
            if (!skipped && m_cleaning && !IsWalkedFolderOwn())
                skipped = true;
            if (!skipped) {
                WalkInto(pathLength, bit, filter);
                m_path[pathLength] = 0;
                OnFolderDone(m_path, filter);
            }
        } else {
            const ULONGLONG size = FindDataSize(data);
            if (!IsFileSkipped(data, size, bit, filter))
                OnFile(m_path, size, bit);
        }
        m_path[length] = 0;
    } while (find.FindNext(data));
}

// m_path holds the file's full path.
bool CJunkFolderWalk::IsFileSkipped(const WIN32_FIND_DATAA& data, ULONGLONG size, DWORD bit,
                                    const char* filter) const
{
    const char* name = data.cFileName;
    if (filter) {
        const char* dot = strrchr(name, '.');
        if (!dot || dot == name || lstrcmpiA(dot + 1, filter) != 0)
            return true;
    }
    char lower[MAX_PATH + 1];
    LowerInto(name, lower);
    if (bit == JunkIeCookies && (strstr(lower, "index.dat") || strstr(lower, "deprecated.cookie")))
        return true;
    if (size <= 32768 && lower[0] && strstr(lower + 1, "index.dat"))
        return true;
    if (strstr(lower, "desktop.ini"))
        return true;
    if (bit == JunkRecentDocuments) {
        // Jump lists, pinned items included, are not recent documents.
        char lowerPath[MAX_PATH + 1];
        LowerInto(m_path, lowerPath);
        if (lowerPath[0] && (strstr(lowerPath + 1, "automaticdestinations") ||
                             strstr(lowerPath + 1, "customdestinations")))
            return true;
    }
    // The clean tries every other file and schedules the one still in use for the restart.
    if (m_cleaning)
        return false;
    // A file in use by its program is left alone: in the temporary folder that is a "~" file
    // still open, and after a clean every file that could not be deleted.
    if (m_state == 1 && bit == JunkTempFiles && name[0] == '~' && !CanOpenForUpdate(m_path))
        return true;
    if (m_state == 0 && !CanOpenForUpdate(m_path))
        return true;
    return false;
}

namespace {

// --- the scan of one task -------------------------------------------------------------------

class JunkScan : public CJunkFolderWalk {
public:
    JunkScan(CSSEngineProcess& process, CAbstractStatus* status)
        : CJunkFolderWalk(process, false), m_status(status), m_mask(process.m_junkMask),
          m_textSent(false), m_lastTextTick(0)
    {
    }

    void Run();

private:
    struct BinItem {
        CString text;
        ULONGLONG size;
        bool exact;
    };

    void RunStep(const JunkStep& step);
    void OnEntry(const char* path) override;
    void OnFile(const char* path, ULONGLONG size, DWORD bit) override { Report(bit, size, path); }
    void MeasureFile(const CString& path, DWORD bit);
    void MeasureValues(const char* key, DWORD bit, const char* listValue);
    void MeasureRecycleBin();
    void CollectRecycleBin(std::vector<BinItem>& items, bool& complete, LONGLONG& enumerated);
    static void ReconcileWithBinTotal(std::vector<BinItem>& items, LONGLONG enumerated);

    void Report(DWORD bit, ULONGLONG size, const char* text)
    {
        m_status->OnJunkItem(bit, static_cast<DWORD>(size), static_cast<DWORD>(size >> 32), 0, 0, text);
    }
    bool TextDue() const
    {
        return !m_textSent || GetTickCount() - m_lastTextTick >= StatusTextIntervalMs;
    }
    void ShowText(const char* text)
    {
        m_status->OnStatusText(text, StageScanning);
        m_lastTextTick = GetTickCount();
        m_textSent = true;
    }

    CAbstractStatus* m_status;
    const DWORD m_mask;
    JunkFolderRoots m_roots;
    bool m_textSent;
    DWORD m_lastTextTick;
};

void JunkScan::Run()
{
    m_roots = JunkFolderRoots::Read();
    for (const JunkGroup& group : JunkGroups) {
        m_status->OnItemFound(RunAnimation, static_cast<DWORD>(group.number), 1, 0);
        for (int i = 0; i < group.count; ++i) {
            const DWORD bit = group.bits[i];
            m_status->OnJunkItem(bit, 0, 0, 0, 0, "");
            if (!(m_mask & bit) || !m_process.KeepRunning())
                continue;
            BeginCategory();
            for (size_t s = 0; s < JunkStepCount; ++s)
                if (JunkSteps[s].bit == bit && !IsFileLeftToLaterStep(s, m_mask))
                    RunStep(JunkSteps[s]);
        }
        m_status->OnItemFound(RunAnimation, static_cast<DWORD>(group.number), 0, 0);
    }
    m_status->OnJunkItem(0, 0, 0, 0, 0, "");
    m_status->OnResult(0);
}

void JunkScan::RunStep(const JunkStep& step)
{
    switch (step.kind) {
    case StepFolder:
        Walk(JunkStepPath(m_roots, step), step.bit, step.filter);
        break;
    case StepFile:
        MeasureFile(JunkStepPath(m_roots, step), step.bit);
        break;
    case StepValues:
        MeasureValues(step.path, step.bit, step.filter);
        break;
    case StepRecycleBin:
        MeasureRecycleBin();
        break;
    }
}

void JunkScan::OnEntry(const char* path)
{
    if (!TextDue())
        return;
    char shortPath[MAX_PATH + 1];
    DWORD n = GetShortPathNameA(path, shortPath, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH)
        return;  // the next entry will show instead
    ShowText(shortPath);
}

// --- single files ---------------------------------------------------------------------------

void JunkScan::MeasureFile(const CString& path, DWORD bit)
{
    if (!m_process.KeepRunning() || !IsJunkFolderUsable(path) || path.GetLength() >= MAX_PATH ||
        path.FindOneOf("*?") >= 0)
        return;
    WIN32_FIND_DATAA data;
    if (!FindFileEntry(path, data))
        return;
    // A folder of that name is not the file the category means, and a link is not counted.
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    Report(bit, FindDataSize(data), path);
}

// --- registry values ------------------------------------------------------------------------

void JunkScan::MeasureValues(const char* key, DWORD bit, const char* listValue)
{
    CRegistryKeyHandle handle;
    if (handle.Open(HKEY_CURRENT_USER, key, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return;
    DWORD longestName = 0, largestData = 0;
    RegQueryInfoKeyA(handle.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     &longestName, &largestData, nullptr, nullptr);
    std::vector<char> name(std::max(ValueNameChars, longestName) + 1);
    std::vector<BYTE> data(std::max(ValueDataBytes, largestData) + 1);

    for (DWORD index = 0; m_process.KeepRunning(); ++index) {
        DWORD nameLength = 0, dataSize = 0, type = 0;
        LONG result = ERROR_MORE_DATA;
        for (int attempt = 0; attempt < ValueReadAttempts && result == ERROR_MORE_DATA; ++attempt) {
            if (attempt > 0) {
                // The value grew after the key was asked for its largest one: ask again.
                RegQueryInfoKeyA(handle.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, &longestName, &largestData, nullptr, nullptr);
                name.resize(std::max<size_t>(name.size(), longestName + 1));
                data.resize(std::max<size_t>(data.size(), std::max(largestData, dataSize) + 1));
            }
            nameLength = static_cast<DWORD>(name.size());
            dataSize = static_cast<DWORD>(data.size() - 1);
            result = RegEnumValueA(handle.Get(), index, name.data(), &nameLength, nullptr, &type,
                                   data.data(), &dataSize);
        }
        if (result == ERROR_MORE_DATA)
            continue;  // still growing: left out, the other values are measured
        if (result != ERROR_SUCCESS)
            break;
        if (nameLength == 0 || (listValue && lstrcmpiA(name.data(), listValue) == 0))
            continue;

        const char* bytes = reinterpret_cast<const char*>(data.data());
        CString text;
        if (bit == JunkExplorerMru || bit == JunkSearchAutocomplete) {
            for (DWORD i = 0; i < dataSize; ++i)
                if (bytes[i])
                    text += bytes[i];
            if (bit == JunkExplorerMru) {
                // The program's name is followed by the item list of the folder it last used.
                int itemList = text.Find("\x14\x1F");
                if (itemList >= 0)
                    text = text.Left(itemList);
            }
            if (text.IsEmpty())
                continue;
        } else {
            text = CString(bytes, static_cast<int>(strnlen(bytes, dataSize)));
        }
        if (TextDue())
            ShowText(name.data());
        CString item("HKCU\\");
        item += key;
        item += ValueSeparator;
        item += text;
        Report(bit, dataSize, item);
    }
}

// --- the Recycle Bin ------------------------------------------------------------------------

bool DetailText(IShellFolder2* bin, LPCITEMIDLIST item, UINT column, CString& out)
{
    SHELLDETAILS details;
    memset(&details, 0, sizeof details);
    if (FAILED(bin->GetDetailsOf(item, column, &details)))
        return false;
    char text[1024];
    if (FAILED(StrRetToBufA(&details.str, item, text, sizeof text)))
        return false;
    out = text;
    return true;
}

// The item's size as the shell keeps it, in bytes; false when the shell does not offer it.
bool ExactItemSize(IShellFolder2* bin, LPCITEMIDLIST item, ULONGLONG& size)
{
    VARIANT value;
    VariantInit(&value);
    if (FAILED(bin->GetDetailsEx(item, &RecycleBinSizeColumn, &value)))
        return false;
    bool known = true;
    switch (value.vt) {
    case VT_UI8: size = value.ullVal; break;
    case VT_I8: known = value.llVal >= 0; size = static_cast<ULONGLONG>(value.llVal); break;
    case VT_UI4: size = value.ulVal; break;
    case VT_UINT: size = value.uintVal; break;
    case VT_I4: known = value.lVal >= 0; size = static_cast<ULONGLONG>(value.lVal); break;
    case VT_INT: known = value.intVal >= 0; size = static_cast<ULONGLONG>(value.intVal); break;
    default: known = false; break;
    }
    VariantClear(&value);
    return known;
}

void JunkScan::MeasureRecycleBin()
{
    HRESULT init = CoInitialize(nullptr);
    std::vector<BinItem> items;
    bool complete = true;
    LONGLONG enumerated = 0;
    CollectRecycleBin(items, complete, enumerated);
    if (complete)
        ReconcileWithBinTotal(items, enumerated);
    for (const BinItem& item : items)
        Report(JunkRecycleBin, item.size, item.text);
    if (SUCCEEDED(init))
        CoUninitialize();
}

void JunkScan::CollectRecycleBin(std::vector<BinItem>& items, bool& complete, LONGLONG& enumerated)
{
    CComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Out())) || !desktop)
        return;
    CComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.Out())) || !allocator)
        return;
    LPITEMIDLIST location = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &location)) || !location)
        return;
    CComPtr<IShellFolder2> bin;
    HRESULT bound = desktop->BindToObject(location, nullptr, IID_IShellFolder2, bin.OutVoid());
    allocator->Free(location);
    if (FAILED(bound) || !bin)
        return;
    CComPtr<IEnumIDList> list;
    const SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
    if (bin->EnumObjects(nullptr, flags, list.Out()) != S_OK || !list)
        return;

    for (;;) {
        if (!m_process.KeepRunning()) {
            complete = false;
            break;
        }
        LPITEMIDLIST item = nullptr;
        ULONG fetched = 0;
        if (list->Next(1, &item, &fetched) != S_OK || !item)
            break;
        ++enumerated;
        CString name, sizeText, former;
        if (DetailText(bin.Get(), item, ColumnName, name) &&
            DetailText(bin.Get(), item, ColumnSize, sizeText) &&
            DetailText(bin.Get(), item, ColumnFormerLocation, former)) {
            BinItem found;
            former.TrimRight('\\');
            found.text = former + "\\" + name;
            found.exact = ExactItemSize(bin.Get(), item, found.size);
            if (!found.exact)
                found.size = CJunkCleaner::ParseSizeText(sizeText);
            items.push_back(found);
        } else {
            complete = false;
        }
        allocator->Free(item);
    }
}

// Where the shell gives no byte count for an item, its size column is all there is, and that
// text is rounded up to whole kilobytes. The shell's total of the bin is exact, though: when
// every item was read, the total corrects the rounded sizes, so the category's sum is exact
// (and a bin of one such item has its exact size). Without a consistent total the column sizes
// stand.
void JunkScan::ReconcileWithBinTotal(std::vector<BinItem>& items, LONGLONG enumerated)
{
    ULONGLONG exactSum = 0, roundedSum = 0, roundingRoom = 0;
    int rounded = 0;
    for (const BinItem& item : items) {
        if (item.exact) {
            exactSum += item.size;
        } else {
            roundedSum += item.size;
            roundingRoom += std::min<ULONGLONG>(item.size, 1023);
            ++rounded;
        }
    }
    if (rounded == 0)
        return;
    SHQUERYRBINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    if (FAILED(SHQueryRecycleBinA(nullptr, &info)) || info.i64NumItems != enumerated ||
        info.i64Size < 0 || static_cast<ULONGLONG>(info.i64Size) < exactSum)
        return;
    const ULONGLONG rest = static_cast<ULONGLONG>(info.i64Size) - exactSum;
    if (rest > roundedSum || roundedSum - rest > roundingRoom)
        return;
    ULONGLONG excess = roundedSum - rest;
    for (BinItem& item : items) {
        if (item.exact || excess == 0)
            continue;
        ULONGLONG cut = std::min<ULONGLONG>(excess, std::min<ULONGLONG>(item.size, 1023));
        item.size -= cut;
        excess -= cut;
    }
}

}  // namespace

// --- size texts -----------------------------------------------------------------------------

ULONGLONG CJunkCleaner::ParseSizeText(const char* text)
{
    if (!text || !*text)
        return 0;
    CString value(text);
    value.MakeLower();
    value.Trim();
    static const struct {
        const char* unit;
        double factor;
    } units[] = {
        {"eb", 1152921504606846976.0}, {"pb", 1125899906842624.0}, {"tb", 1099511627776.0},
        {"gb", 1073741824.0},          {"mb", 1048576.0},          {"kb", 1024.0},
        {"bytes", 1.0},
    };
    double factor = 1.0;
    for (const auto& u : units) {
        if (value.Find(u.unit) >= 0) {
            value.Trim(u.unit);
            factor = u.factor;
            break;
        }
    }
    value.Trim();

    // The shell writes sizes with the user's digit grouping and decimal separator.
    char grouping[8] = {}, decimal[8] = {};
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, grouping, sizeof grouping))
        lstrcpyA(grouping, ",");
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof decimal))
        lstrcpyA(decimal, ".");
    if (grouping[0] && lstrcmpA(grouping, decimal) != 0) {
        value.Replace(grouping, "");
        if (grouping[0] == ' ' && !grouping[1])
            value.Remove('\xA0');  // a space grouping is often written as a no-break space
    }
    if (decimal[0] && lstrcmpA(decimal, ".") != 0)
        value.Replace(decimal, ".");

    errno = 0;
    char* end = nullptr;
    double number = strtod(value.GetString(), &end);
    if (errno == ERANGE || end == value.GetString() || !(number > 0))
        return 0;
    double bytes = number * factor;
    if (bytes >= 18446744073709551615.0)
        return ~0ULL;
    return static_cast<ULONGLONG>(bytes);
}

int CJunkCleaner::ScanJunk(CSSEngineProcess& process)
{
    SetStatus(process.Status());
    if (!m_status)
        return -1;
    JunkScan scan(process, m_status);
    scan.Run();
    return -1;
}

int CSSEngineProcess::RunJunkScan()
{
    return m_junkCleaner.ScanJunk(*this);
}
