// The junk clean driven through Tarnex.dll, in a fresh prefix per case: scan, clean, scan per
// category; the exact call sequence; the temporary folder with a read-only, a held and a
// desktop.ini file; Recent and its jump lists; the registry categories; the URL cache; the
// Recycle Bin; the defragmenter's work folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <map>
#include <set>

#include "Engine/JunkScanTestSupport.h"
#include "Support/HostSafety.h"

using namespace junktest;

namespace {

const char LastVisitedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU";
const char RunMruKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const char WordWheelKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery";
const char TypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";

std::string MadeShellFolder(int csidl)
{
    char buffer[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, TRUE))
        return std::string();
    return TrimSlashes(buffer);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> Described(const std::vector<StatusCall>& calls)
{
    std::vector<std::string> out;
    for (const StatusCall& c : calls)
        out.push_back(c.Describe());
    return out;
}

// The URL cache keeps an index file in each of its folders open while the process uses the
// cache, and makes a new one at once: the clean leaves it to the restart, a scan counts it.
bool IsCacheIndex(const std::string& path)
{
    const std::string lower = Lower(path);
    return lower.size() > 10 && lower.compare(lower.size() - 10, 10, "\\index.dat") == 0;
}

// The findings of a scan, per category, without the URL cache's own index files.
std::map<DWORD, std::vector<std::string>> Findings(const std::vector<StatusCall>& calls)
{
    std::map<DWORD, std::vector<std::string>> out;
    for (const StatusCall& c : calls)
        if (c.slot == "OnJunkItem" && !c.text.empty() && !IsCacheIndex(c.text))
            out[c.category].push_back(c.Describe());
    return out;
}

std::string Action(const char* text) { return StatusCall{"OnStatusText", text, "Scanning", 0, 0, 0, 0}.Describe(); }

void SetValue(const char* keyPath, const wchar_t* name, DWORD type, const std::string& data)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())), ERROR_SUCCESS);
    RegCloseKey(key);
}

std::set<std::wstring> ValueNames(const char* keyPath)
{
    std::set<std::wstring> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD length = 256;
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.insert(name);
    }
    RegCloseKey(key);
    return names;
}

std::string Utf16(const std::string& ascii)
{
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out + std::string(2, '\0');
}

void Recycle(const std::string& path)
{
    ASSERT_TRUE(WriteSizedFile(path, 1234));
    std::string from = path + std::string(2, '\0');
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    ASSERT_EQ(SHFileOperationA(&op), 0);
}

LONGLONG RecycleBinItems()
{
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    return SUCCEEDED(SHQueryRecycleBinA(nullptr, &info)) ? info.i64NumItems : -1;
}

struct Roots {
    std::string windows = MadeShellFolder(CSIDL_WINDOWS);
    std::string temp = TempFolder();
    std::string recent = MadeShellFolder(CSIDL_RECENT);
    std::string cookies = MadeShellFolder(CSIDL_COOKIES);
    std::string internetCache = MadeShellFolder(CSIDL_INTERNET_CACHE);
    std::string history = MadeShellFolder(CSIDL_HISTORY);
    std::string appData = MadeShellFolder(CSIDL_APPDATA);
    std::string local = MadeShellFolder(CSIDL_LOCAL_APPDATA);
    std::string ie = local + "\\Microsoft\\Internet Explorer";
    std::string firefoxRoaming = appData + "\\Mozilla\\Firefox\\Profiles\\ab12.default-release";
    std::string firefoxLocal = local + "\\Mozilla\\Firefox\\Profiles\\ab12.default-release";
    std::string chromeData = local + "\\Google\\Chrome\\User Data";
    std::string chrome = chromeData + "\\Default";
    std::string edge = local + "\\Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe\\AC";
};

// A file for every folder and file category, in nested folders where the category walks.
std::vector<std::string> FixtureFiles(const Roots& r)
{
    return {
        r.windows + "\\Temp\\CleanFixture\\w.txt", r.temp + "\\a.txt", r.temp + "\\sub\\deep\\b.log",
        r.recent + "\\doc.txt.lnk",
        r.windows + "\\Installer\\$PatchCache$\\Managed\\p.msp",
        r.chrome + "\\Cookies", r.chrome + "\\History", r.chrome + "\\Visited Links",
        r.chrome + "\\Cache\\f_000001", r.chrome + "\\GPUCache\\data_0", r.chromeData + "\\ShaderCache\\sc",
        r.chromeData + "\\a\\b\\x.tmp", r.chromeData + "\\a\\b\\keep.dat",
        r.firefoxRoaming + "\\cookies.sqlite", r.firefoxRoaming + "\\downloads.sqlite",
        r.firefoxRoaming + "\\places.sqlite", r.firefoxLocal + "\\cache2\\entries\\E1",
        r.firefoxLocal + "\\thumbnails\\t.png", r.firefoxLocal + "\\thumbnails\\t.jpg",
        r.cookies + "\\c.txt", r.ie + "\\DOMStore\\e.xml", r.internetCache + "\\IE\\h.htm",
        r.history + "\\History.IE5\\h.dat", r.ie + "\\Recovery\\Active\\r.dat",
        r.edge + "\\MicrosoftEdge\\Cookies\\k.txt", r.edge + "\\MicrosoftEdge\\User\\Default\\DownloadHistory\\dh",
        r.edge + "\\MicrosoftEdge\\Cache\\c1", r.edge + "\\Temp\\t.tmp", r.edge + "\\#!121\\MicrosoftEdge\\History\\h",
    };
}

void WriteFixtureValues()
{
    SetValue(LastVisitedKey, L"0", REG_BINARY, Utf16("note.exe") + std::string("\x14\x00\x1F\x50", 4));
    SetValue(LastVisitedKey, L"MRUListEx", REG_BINARY, std::string("\0\0\0\0\xFF\xFF\xFF\xFF", 8));
    SetValue(RunMruKey, L"a", REG_SZ, std::string("notepad\\1", 10));
    SetValue(RunMruKey, L"MRUList", REG_SZ, std::string("a", 2));
    SetValue(WordWheelKey, L"0", REG_BINARY, Utf16("abc"));
    SetValue(TypedUrlsKey, L"url1", REG_SZ, std::string("http://example.test/", 21));
}

// The bits whose categories a scan reports, in the scan's order.
std::vector<DWORD> ScannedBits()
{
    std::vector<DWORD> bits;
    for (const ReportedGroup& g : ReportedGroups())
        bits.insert(bits.end(), g.bits.begin(), g.bits.end());
    return bits;
}

}  // namespace

TEST(JunkClean, EmptyMaskFramesFiveGroupsAndEndsWithResultZero)
{
    hostsafety::AssertSandboxedPrefix();
    EngineProcess process;
    std::vector<std::string> expected;
    for (int group = 1; group <= 5; ++group) {
        expected.push_back(Animation(group, 1));
        expected.push_back(Animation(group, 0));
    }
    expected.insert(expected.end(), {Result(0), Finished(10), EndText(), Finished(10)});
    std::vector<StatusCall> calls = RunJunkClean(process.Get(), 0);
    EXPECT_EQ(Described(calls), expected);
    for (const StatusCall& c : calls)
        EXPECT_NE(c.threadId, GetCurrentThreadId());
}

// Every category alone: after its clean, a scan reports nothing in it and exactly the first
// scan's findings in the categories not yet cleaned. Chrome's download history and Firefox's
// history keep their databases, which hold more than those categories (the browsing history,
// the bookmarks); a scan still measures those files.
TEST(JunkClean, ScanCleanScanPerCategoryRemovesOnlyThatCategory)
{
    hostsafety::AssertSandboxedPrefix();
    Roots roots;
    for (const std::string& f : FixtureFiles(roots))
        ASSERT_TRUE(WriteSizedFile(f, 100)) << f;
    WriteFixtureValues();
    Recycle(roots.temp + "\\binned\\gone.txt");

    EngineProcess process;
    std::map<DWORD, std::vector<std::string>> before = Findings(RunJunkScan(process.Get(), JunkScanAllMask));
    const std::set<DWORD> databaseKept = {JunkChromeDownloads, JunkFirefoxHistory};
    std::set<DWORD> cleaned;
    for (DWORD bit : ScannedBits()) {
        if (!databaseKept.count(bit)) {
            EXPECT_FALSE(before[bit].empty()) << "no fixture for bit " << bit;
        }
        std::vector<StatusCall> calls = RunJunkClean(process.Get(), bit);
        ASSERT_FALSE(calls.empty());
        if (bit != JunkIeCookies && bit != JunkIeCache && bit != JunkIeHistory) {
            EXPECT_EQ(calls[calls.size() - 4].Describe(), Result(0)) << "bit " << bit;
        }
        cleaned.insert(bit);
        std::map<DWORD, std::vector<std::string>> after = Findings(RunJunkScan(process.Get(), JunkScanAllMask));
        for (DWORD other : ScannedBits()) {
            // History is measured by two categories: cleaning Chrome's history removes it.
            const bool gone = (cleaned.count(other) && !databaseKept.count(other)) ||
                              (other == JunkChromeDownloads && cleaned.count(JunkChromeHistory));
            if (gone)
                EXPECT_EQ(after[other], std::vector<std::string>()) << "bit " << other << " after cleaning " << bit;
            else
                EXPECT_EQ(after[other], before[other]) << "bit " << other << " after cleaning " << bit;
        }
    }
    EXPECT_EQ(RecycleBinItems(), 0);
    // The file no category names is still there, and so are the folders the categories walk.
    EXPECT_TRUE(Exists(roots.chromeData + "\\a\\b\\keep.dat"));
    EXPECT_TRUE(Exists(roots.firefoxLocal + "\\thumbnails\\t.jpg"));
    for (const std::string& folder : {roots.temp, roots.recent, roots.cookies, roots.chrome + "\\Cache"})
        EXPECT_TRUE(Exists(folder)) << folder;
}

TEST(JunkClean, AllCategoriesAtOnceLeaveNothingForTheScan)
{
    hostsafety::AssertSandboxedPrefix();
    Roots roots;
    for (const std::string& f : FixtureFiles(roots))
        ASSERT_TRUE(WriteSizedFile(f, 100)) << f;
    WriteFixtureValues();
    EngineProcess process;
    RunJunkClean(process.Get(), JunkScanAllMask);
    std::map<DWORD, std::vector<std::string>> after = Findings(RunJunkScan(process.Get(), JunkScanAllMask));
    after.erase(JunkChromeDownloads);  // History went with Chrome's history
    EXPECT_EQ(after.count(JunkFirefoxHistory), 1u);  // places.sqlite keeps the bookmarks
    after.erase(JunkFirefoxHistory);
    EXPECT_EQ(after, (std::map<DWORD, std::vector<std::string>>()));
    EXPECT_FALSE(Exists(roots.chrome + "\\History"));
}

TEST(JunkClean, TemporaryFolderKeepsDesktopIniAndTheHeldFileWhichWaitsForTheRestart)
{
    hostsafety::AssertSandboxedPrefix();
    Roots roots;
    const std::string t = roots.temp + "\\case";
    const std::string readOnly = t + "\\ro.txt", held = t + "\\held.bin", ini = t + "\\desktop.ini";
    for (const std::string& f : {readOnly, held, ini, t + "\\tree\\a\\b.txt", t + "\\tree\\c.txt"})
        ASSERT_TRUE(WriteSizedFile(f, 10)) << f;
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    // The defragmenter's work folder and its backups survive.
    const std::string backup = roots.windows + "\\Temp\\Velmora\\TarnexRegDefrag\\Backup\\hive.bak";
    ASSERT_TRUE(WriteSizedFile(backup, 10));
    HANDLE hold = HoldFileExclusively(held);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);

    EngineProcess process;
    std::vector<StatusCall> calls = RunJunkClean(process.Get(), JunkTempFiles);
    CloseHandle(hold);
    std::vector<std::string> expected = {Animation(1, 1), Action("Cleaning Windows Temprory Files..."),
                                         JunkItem(JunkTempFiles, 0, ""), Animation(1, 0)};
    for (int group = 2; group <= 5; ++group)
        expected.insert(expected.end(), {Animation(group, 1), Animation(group, 0)});
    expected.insert(expected.end(), {Result(1), Finished(10), EndText(), Finished(10)});
    EXPECT_EQ(Described(calls), expected);

    EXPECT_FALSE(Exists(readOnly));
    EXPECT_FALSE(Exists(t + "\\tree"));
    EXPECT_TRUE(Exists(ini));
    EXPECT_TRUE(Exists(held));
    EXPECT_TRUE(Exists(t));
    EXPECT_TRUE(Exists(roots.temp));
    EXPECT_TRUE(Exists(backup));

    // The held file is named in the pending operations (as a long path after "\??\").
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                            KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    std::vector<char> data(65536);
    DWORD size = static_cast<DWORD>(data.size());
    ASSERT_EQ(RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(data.data()), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    char longHeld[MAX_PATH + 1] = {};
    ASSERT_NE(GetLongPathNameA(held.c_str(), longHeld, sizeof longHeld), 0u);
    std::vector<std::string> named;
    for (size_t at = 0; at < size && data[at]; at += strlen(&data[at]) + 2) {
        std::string entry(&data[at]);
        if (entry.compare(0, 4, "\\??\\") == 0)
            entry = entry.substr(4);
        char longEntry[MAX_PATH + 1] = {};
        named.push_back(GetLongPathNameA(entry.c_str(), longEntry, sizeof longEntry) ? Lower(longEntry) : Lower(entry));
    }
    EXPECT_NE(std::find(named.begin(), named.end(), Lower(longHeld)), named.end());
}

TEST(JunkClean, RecentKeepsJumpListsAndDesktopIni)
{
    hostsafety::AssertSandboxedPrefix();
    Roots roots;
    const std::string r = roots.recent;
    const std::vector<std::string> kept = {r + "\\AutomaticDestinations\\x.automaticDestinations-ms",
                                           r + "\\CustomDestinations\\y.customDestinations-ms", r + "\\desktop.ini"};
    for (const std::string& f : kept)
        ASSERT_TRUE(WriteSizedFile(f, 10));
    ASSERT_TRUE(WriteSizedFile(r + "\\doc.lnk", 10));
    ASSERT_TRUE(WriteSizedFile(r + "\\Folder\\inner.lnk", 10));
    EngineProcess process;
    RunJunkClean(process.Get(), JunkRecentDocuments);
    EXPECT_FALSE(Exists(r + "\\doc.lnk"));
    EXPECT_FALSE(Exists(r + "\\Folder"));
    for (const std::string& f : kept)
        EXPECT_TRUE(Exists(f)) << f;
}

TEST(JunkClean, RegistryCategoriesDeleteTheirValues)
{
    hostsafety::AssertSandboxedPrefix();
    for (const wchar_t* name : {L"url1", L"url2", L"url4"})
        SetValue(TypedUrlsKey, name, REG_SZ, std::string("http://x.test/", 15));
    SetValue(WordWheelKey, L"", REG_SZ, std::string("unnamed", 8));
    for (const wchar_t* name : {L"0", L"1", L"MRUListEx"})
        SetValue(WordWheelKey, name, REG_BINARY, Utf16("q"));
    for (const wchar_t* name : {L"a", L"b", L"z", L"MRUList"})
        SetValue(RunMruKey, name, REG_SZ, std::string("cmd", 4));
    for (const wchar_t* name : {L"0", L"1", L"MRUListEx", L"\x0416\x0443\x043A"})
        SetValue(LastVisitedKey, name, REG_BINARY, Utf16("app.exe"));

    EngineProcess process;
    DWORD start = GetTickCount();
    std::vector<StatusCall> calls =
        RunJunkClean(process.Get(), JunkIeTypedUrls | JunkSearchAutocomplete | JunkRunHistory | JunkExplorerMru);
    EXPECT_LT(GetTickCount() - start, 10000u);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().Describe(), Finished(10));

    EXPECT_EQ(ValueNames(TypedUrlsKey), std::set<std::wstring>({L"url4"}));  // the first gap ends it
    EXPECT_EQ(ValueNames(WordWheelKey), std::set<std::wstring>({L""}));
    EXPECT_EQ(ValueNames(RunMruKey), std::set<std::wstring>());
    EXPECT_EQ(ValueNames(LastVisitedKey), std::set<std::wstring>());
    // Each search-history value is announced before it goes.
    std::vector<std::string> texts;
    for (const StatusCall& c : calls)
        if (c.slot == "OnStatusText" && c.text.compare(0, 9, "Cleaning ") != 0 && !c.text.empty())
            texts.push_back(c.text);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, std::vector<std::string>({"0", "1", "MRUListEx"}));
}

TEST(JunkClean, UrlCacheEntriesGoByKind)
{
    hostsafety::AssertSandboxedPrefix();
    auto add = [](const char* url, DWORD type) {
        char file[MAX_PATH] = {};
        ASSERT_TRUE(CreateUrlCacheEntryA(url, 0, "htm", file, 0)) << url;
        HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(h, "x", 1, &written, nullptr);
        CloseHandle(h);
        FILETIME none = {};
        ASSERT_TRUE(CommitUrlCacheEntryA(url, file, none, none, type, nullptr, 0, nullptr, nullptr)) << url;
    };
    auto present = [](const char* url) {
        DWORD size = 0;
        GetUrlCacheEntryInfoA(url, nullptr, &size);
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    };
    const char page[] = "http://cache.test/page.htm", cookie[] = "Cookie:user@cache.test/";
    add(page, NORMAL_CACHE_ENTRY);
    add(cookie, COOKIE_CACHE_ENTRY);
    ASSERT_TRUE(present(page));
    ASSERT_TRUE(present(cookie));

    EngineProcess process;
    RunJunkClean(process.Get(), JunkIeCache);
    EXPECT_FALSE(present(page));
    EXPECT_TRUE(present(cookie));
    RunJunkClean(process.Get(), JunkIeCookies);
    EXPECT_FALSE(present(cookie));
}
