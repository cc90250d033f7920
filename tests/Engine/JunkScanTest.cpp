// The junk scan driven through Tarnex.dll: fixture files of exact sizes in the prefix's real
// folders (temporary, Recent, the browsers' profile folders made for the test) and registry
// values, each category alone and all together; a shell folder that cannot be named; the
// Recycle Bin; the stop request; the progress-text throttle. Every case runs in a fresh prefix,
// so the folders hold nothing but what the case puts there.
#include <gtest/gtest.h>


#include <algorithm>
#include <set>

#include "Engine/JunkScanTestSupport.h"

using namespace junktest;

namespace {

const char LastVisitedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedPidlMRU";
const char RunMruKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const char WordWheelKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\WordWheelQuery";
const char TypedUrlsKey[] = "Software\\Microsoft\\Internet Explorer\\TypedUrls";

const std::vector<DWORD>& ReportedBits()
{
    static std::vector<DWORD> bits;
    if (bits.empty())
        for (const ReportedGroup& g : ReportedGroups())
            bits.insert(bits.end(), g.bits.begin(), g.bits.end());
    return bits;
}

// A shell folder, made when it does not exist yet (fixtures need it to exist).
std::string MadeShellFolder(int csidl)
{
    char buffer[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, TRUE))
        return std::string();
    return TrimSlashes(buffer);
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
    std::string ieLow = ParentOf(local) + "\\LocalLow\\Microsoft\\Internet Explorer\\DOMStore";
    std::string firefoxRoaming = appData + "\\Mozilla\\Firefox\\Profiles\\ab12.default-release";
    std::string firefoxLocal = local + "\\Mozilla\\Firefox\\Profiles\\ab12.default-release";
    std::string chromeData = local + "\\Google\\Chrome\\User Data";
    std::string chrome = chromeData + "\\Default";
    std::string edge = local + "\\Packages\\Microsoft.MicrosoftEdge_8wekyb3d8bbwe";
};

// What one category measures, in order: folders (optionally one extension only) and files.
struct Walk {
    std::string root;
    const char* filter;
    bool file;
};
Walk Dir(const std::string& root, const char* filter = nullptr) { return {root, filter, false}; }
Walk File(const std::string& path) { return {path, nullptr, true}; }

std::map<DWORD, std::vector<Walk>> WalksOf(const Roots& r)
{
    const std::string e = r.edge + "\\AC\\";
    return {
        {JunkTempFiles, {Dir(r.windows + "\\Temp"), Dir(r.temp)}},
        {JunkRecentDocuments, {Dir(r.recent)}},
        {JunkInstallerCache, {Dir(r.windows + "\\Installer\\$PatchCache$")}},
        {JunkChromeCookies, {File(r.chrome + "\\Cookies")}},
        {JunkChromeDownloads, {File(r.chrome + "\\History")}},
        {JunkChromeCache, {Dir(r.chrome + "\\Cache"), Dir(r.chrome + "\\Media Cache"), Dir(r.chrome + "\\GPUCache"),
                   Dir(r.chrome + "\\Storage"), Dir(r.chrome + "\\Application Cache"),
                   Dir(r.chrome + "\\File System"), Dir(r.chrome + "\\Service Worker"),
                   Dir(r.chromeData + "\\ShaderCache"), Dir(r.chromeData, "tmp")}},
        {JunkChromeHistory, {File(r.chrome + "\\Visited Links"), File(r.chrome + "\\History")}},
        {JunkFirefoxCookies, {File(r.firefoxRoaming + "\\cookies.sqlite")}},
        {JunkFirefoxDownloads, {File(r.firefoxRoaming + "\\downloads.sqlite")}},
        {JunkFirefoxCache, {Dir(r.firefoxLocal + "\\Cache2\\entries"), Dir(r.firefoxLocal + "\\jumpListCache"),
                  Dir(r.firefoxLocal + "\\thumbnails", "png")}},
        {JunkFirefoxHistory, {File(r.firefoxRoaming + "\\places.sqlite")}},
        {JunkIeCookies, {Dir(r.cookies), Dir(r.ieLow), Dir(r.ie + "\\DOMStore")}},
        {JunkIeCache, {Dir(r.internetCache)}},
        {JunkIeHistory, {Dir(r.history), Dir(r.ie + "\\Recovery")}},
        {JunkEdgeCookies, {Dir(e + "MicrosoftEdge\\Cookies", "txt"), Dir(e + "#!001\\MicrosoftEdge\\Cookies", "txt"),
                    Dir(e + "#!001\\MicrosoftEdge\\User\\Default\\DOMStore", "xml"),
                    Dir(e + "#!002\\MicrosoftEdge\\Cookies", "txt"),
                    Dir(e + "#!002\\MicrosoftEdge\\User\\Default\\DOMStore", "xml")}},
        {JunkEdgeDownloads, {Dir(e + "MicrosoftEdge\\User\\Default\\DownloadHistory")}},
        {JunkEdgeCache, {Dir(e + "MicrosoftEdge\\Cache"), Dir(e + "#!001\\MicrosoftEdge\\Cache"),
                     Dir(e + "#!001\\MicrosoftEdge\\User\\Default\\AppCache"), Dir(e + "#!002\\MicrosoftEdge\\Cache"),
                     Dir(e + "#!002\\MicrosoftEdge\\User\\Default\\AppCache"), Dir(e + "Temp", "tmp")}},
        {JunkEdgeHistory, {Dir(e + "MicrosoftEdge\\History"), Dir(e + "#!001\\MicrosoftEdge\\History"),
                     Dir(e + "#!002\\MicrosoftEdge\\History"), Dir(e + "#!121\\MicrosoftEdge\\History")}},
    };
}

// A fixture file and the category that reports it (0: no category may report it).
struct FixtureFile {
    std::string path;
    unsigned long long size;
    DWORD bit;
};

std::vector<FixtureFile> FixtureFiles(const Roots& r)
{
    const std::string t = r.temp, e = r.edge + "\\AC\\";
    return {
        // temporary files
        {r.windows + "\\Temp\\JunkFixture\\w.txt", 4096, JunkTempFiles},
        {t + "\\a.txt", 1000, JunkTempFiles},
        {t + "\\sub\\deep\\b.log", 123456, JunkTempFiles},
        {t + "\\abcindex.dat", 40000, JunkTempFiles},   // an index file's name, but too large to be one
        {t + "\\xyzindex.dat", 1000, 0},
        {t + "\\index.dat", 1000, JunkTempFiles},       // the name only begins with it
        {t + "\\desktop.ini", 50, 0},
        {t + "\\~free.tmp", 77, JunkTempFiles},
        {t + "\\~lock.tmp", 88, 0},           // held open by the test
        {t + "\\lock.tmp", 99, JunkTempFiles},          // held open, but not a "~" file
        {t + "\\huge.bin", 5000000123ULL, JunkTempFiles},
        // recent documents
        {r.recent + "\\doc.txt.lnk", 300, JunkRecentDocuments},
        {r.recent + "\\AutomaticDestinations\\x.automaticDestinations-ms", 500, 0},
        {r.recent + "\\CustomDestinations\\y.customDestinations-ms", 600, 0},
        {r.recent + "\\desktop.ini", 10, 0},
        // installer patch cache
        {r.windows + "\\Installer\\$PatchCache$\\Managed\\p.msp", 999, JunkInstallerCache},
        // Chrome
        {r.chrome + "\\Cookies", 1000, JunkChromeCookies},
        {r.chrome + "\\History", 2000, JunkChromeDownloads},
        {r.chrome + "\\Visited Links", 3000, JunkChromeHistory},
        {r.chrome + "\\Web Data", 400, 0},    // saved form data: never measured
        {r.chrome + "\\Cache\\f_000001", 4000, JunkChromeCache},
        {r.chrome + "\\Cache\\inner.tmp", 7, JunkChromeCache},  // counted once, not again by the "tmp" walk
        {r.chrome + "\\Media Cache\\m", 10, JunkChromeCache},
        {r.chrome + "\\GPUCache\\data_0", 8192, JunkChromeCache},
        {r.chrome + "\\Storage\\s", 1, JunkChromeCache},
        {r.chrome + "\\Application Cache\\a", 2, JunkChromeCache},
        {r.chrome + "\\File System\\fs", 3, JunkChromeCache},
        {r.chrome + "\\Service Worker\\sw", 4, JunkChromeCache},
        {r.chromeData + "\\ShaderCache\\GPUCache\\sc", 5, JunkChromeCache},
        {r.chromeData + "\\a\\b\\x.tmp", 5, JunkChromeCache},
        {r.chromeData + "\\a\\b\\x.dat", 6, 0},
        {r.chrome + "\\Other\\o.tmp", 9, JunkChromeCache},
        // Firefox: only the ".default" profile counts
        {r.appData + "\\Mozilla\\Firefox\\Profiles\\zz.other\\cookies.sqlite", 1, 0},
        {r.appData + "\\Mozilla\\Firefox\\Profiles\\.defaultx\\cookies.sqlite", 2, 0},
        {r.firefoxRoaming + "\\cookies.sqlite", 100, JunkFirefoxCookies},
        {r.firefoxRoaming + "\\downloads.sqlite", 200, JunkFirefoxDownloads},
        {r.firefoxRoaming + "\\places.sqlite", 300, JunkFirefoxHistory},
        {r.firefoxRoaming + "\\formhistory.sqlite", 400, 0},
        {r.firefoxLocal + "\\cache2\\entries\\E1", 500, JunkFirefoxCache},
        {r.firefoxLocal + "\\jumpListCache\\j.ico", 600, JunkFirefoxCache},
        {r.firefoxLocal + "\\thumbnails\\t.png", 700, JunkFirefoxCache},
        {r.firefoxLocal + "\\thumbnails\\t.jpg", 800, 0},
        // Internet Explorer
        {r.cookies + "\\c.txt", 111, JunkIeCookies},
        {r.cookies + "\\index.dat", 50000, 0},
        {r.cookies + "\\x.deprecated.cookie", 5, 0},
        {r.ieLow + "\\d.xml", 222, JunkIeCookies},
        {r.ie + "\\DOMStore\\e.xml", 333, JunkIeCookies},
        {r.internetCache + "\\IE\\h.htm", 444, JunkIeCache},
        {r.internetCache + "\\IE\\abcindex.dat", 100, 0},
        {r.history + "\\History.IE5\\index.dat", 1000, JunkIeHistory},
        {r.ie + "\\Recovery\\Active\\r.dat", 555, JunkIeHistory},
        // Edge
        {e + "MicrosoftEdge\\Cookies\\k.txt", 10, JunkEdgeCookies},
        {e + "MicrosoftEdge\\Cookies\\k.dat", 11, 0},
        {e + "#!001\\MicrosoftEdge\\User\\Default\\DOMStore\\z.xml", 12, JunkEdgeCookies},
        {e + "MicrosoftEdge\\User\\Default\\DownloadHistory\\dh", 13, JunkEdgeDownloads},
        {e + "MicrosoftEdge\\Cache\\c1", 14, JunkEdgeCache},
        {e + "Temp\\t.tmp", 15, JunkEdgeCache},
        {e + "Temp\\t.log", 16, 0},
        {e + "#!121\\MicrosoftEdge\\History\\h", 17, JunkEdgeHistory},
    };
}

bool HasExtension(const std::string& path, const char* filter)
{
    size_t slash = path.find_last_of('\\');
    std::string name = path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot != std::string::npos && dot > 0 && Lower(name.substr(dot + 1)) == Lower(filter);
}

bool CoveredBy(const std::string& lowerPath, const std::vector<Walk>& done, const char* filter)
{
    for (const Walk& w : done) {
        if (w.file || (w.filter && Lower(w.filter) != Lower(filter ? filter : "")))
            continue;
        std::string root = Lower(w.root);
        if (lowerPath == root || lowerPath.compare(0, root.size() + 1, root + "\\") == 0)
            return true;
    }
    return false;
}

// The findings of one file-system category: every fixture file of that category and every
// file that was already there, in walk order and, within a walk, in the system's order.
std::vector<Finding> ExpectedFiles(DWORD bit, const std::vector<Walk>& walks,
                                   const std::vector<FixtureFile>& fixture)
{
    std::map<std::string, const FixtureFile*> byPath;
    for (const FixtureFile& f : fixture)
        byPath[Lower(f.path)] = &f;
    std::vector<Finding> out;
    std::vector<Walk> done;
    for (const Walk& w : walks) {
        if (w.file) {
            WIN32_FIND_DATAA data;
            HANDLE find = FindFirstFileA(w.root.c_str(), &data);
            if (find != INVALID_HANDLE_VALUE) {
                FindClose(find);
                if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    out.push_back({bit, (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow, w.root});
            }
            continue;
        }
        if (CoveredBy(Lower(w.root), done, w.filter))
            continue;
        for (const ListedFile& file : ListFiles(w.root)) {
            std::string lower = Lower(file.path);
            if (CoveredBy(lower, done, w.filter) || (w.filter && !HasExtension(file.path, w.filter)))
                continue;
            auto known = byPath.find(lower);
            if (known == byPath.end())
                out.push_back({bit, file.size, file.path});  // was there before the fixture
            else if (known->second->bit == bit)
                out.push_back({bit, known->second->size, file.path});
        }
        done.push_back(w);
    }
    return out;
}

// --- registry fixture -----------------------------------------------------------------------

struct FixtureValue {
    const char* key;
    const char* name;
    DWORD type;
    std::string data;
    DWORD bit;         // 0: not reported
    std::string text;  // the text after the separator
};

std::string Utf16(const std::string& ascii, bool terminated = true)
{
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    if (terminated)
        out += std::string(2, '\0');
    return out;
}

std::vector<FixtureValue> FixtureValues()
{
    const std::string itemList("\x14\x00\x1F\x50\xE0\x4F", 6);
    return {
        {LastVisitedKey, "0", REG_BINARY, Utf16("note.exe") + itemList, JunkExplorerMru, "note.exe"},
        {LastVisitedKey, "1", REG_BINARY, itemList, 0, ""},  // nothing before the item list
        {LastVisitedKey, "MRUListEx", REG_BINARY, std::string("\0\0\0\0\xFF\xFF\xFF\xFF", 8), 0, ""},
        {RunMruKey, "a", REG_SZ, std::string("notepad\\1", 10), JunkRunHistory, "notepad\\1"},
        {RunMruKey, "b", REG_SZ, std::string("cmd\\1", 6), JunkRunHistory, "cmd\\1"},
        {RunMruKey, "MRUList", REG_SZ, std::string("ab", 3), 0, ""},
        {WordWheelKey, "", REG_SZ, std::string("unnamed", 8), 0, ""},
        {WordWheelKey, "0", REG_BINARY, Utf16("abc"), JunkSearchAutocomplete, "abc"},
        // larger than the first buffer the scan offers
        {WordWheelKey, "1", REG_BINARY, Utf16(std::string(9999, 'x')), JunkSearchAutocomplete, std::string(9999, 'x')},
        {WordWheelKey, "MRUListEx", REG_BINARY, std::string("\1\0\0\0\0\0\0\0", 8), 0, ""},
        {TypedUrlsKey, "url1", REG_SZ, std::string("http://example.test/", 21), JunkIeTypedUrls, "http://example.test/"},
    };
}

bool WriteFixtureValues()
{
    for (const char* key : {LastVisitedKey, RunMruKey, WordWheelKey, TypedUrlsKey})
        RegDeleteTreeA(HKEY_CURRENT_USER, key);
    for (const FixtureValue& v : FixtureValues()) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, v.key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        LONG r = RegSetValueExA(key, v.name, 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()),
                                static_cast<DWORD>(v.data.size()));
        RegCloseKey(key);
        if (r != ERROR_SUCCESS)
            return false;
    }
    return true;
}

// The findings of one registry category, in the order the registry enumerates the values.
std::vector<Finding> ExpectedValues(DWORD bit)
{
    std::vector<Finding> out;
    std::vector<FixtureValue> values = FixtureValues();
    const char* key = nullptr;
    for (const FixtureValue& v : values)
        if (v.bit == bit)
            key = v.key;
    if (!key)
        return out;
    HKEY handle;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return out;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumValueA(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        for (const FixtureValue& v : values)
            if (v.key == key && v.bit == bit && v.name == std::string(name))
                out.push_back({bit, v.data.size(), std::string("HKCU\\") + key + ValueSeparator + v.text});
    }
    RegCloseKey(handle);
    return out;
}

// --- checks shared by the cases -------------------------------------------------------------

// Every call on the worker thread while the task is busy, and progress texts only under the
// stage "Scanning" with a text.
void ExpectWorkerCalls(const std::vector<StatusCall>& calls)
{
    ASSERT_GE(calls.size(), 2u);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_NE(calls[i].threadId, GetCurrentThreadId());
        if (i + 1 < calls.size()) {
            EXPECT_EQ(calls[i].busy, 1) << calls[i].Describe();
        }
    }
    EXPECT_EQ(calls.back().busy, 0);
    for (const StatusCall& c : ProgressTexts(calls)) {
        EXPECT_EQ(c.stage, "Scanning");
        EXPECT_FALSE(c.text.empty());
    }
}

std::map<DWORD, std::vector<Finding>> Only(DWORD bit, std::vector<Finding> findings)
{
    return {{bit, std::move(findings)}};
}

struct HeldFile {
    explicit HeldFile(const std::string& path) : handle(HoldFileExclusively(path)) {}
    ~HeldFile()
    {
        if (handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
    HANDLE handle;
};

}  // namespace

TEST(JunkScan, EmptyMaskReportsEveryBitEmptyInGroupOrder)
{
    EngineProcess process;
    ASSERT_NE(process.Get(), nullptr);
    std::vector<StatusCall> calls = RunJunkScan(process.Get(), 0);
    std::vector<std::string> recorded;
    for (const StatusCall& c : calls)
        recorded.push_back(c.Describe());
    // Nothing is measured, so there is no progress text either: this is the whole sequence.
    EXPECT_EQ(recorded, ExpectedScan({}));
    ExpectWorkerCalls(calls);
    // The saved-form bits are selected but still never reported.
    calls = RunJunkScan(process.Get(), JunkIeFormData | JunkFirefoxFormData | JunkChromeFormData);
    EXPECT_EQ(ScanReports(calls), ExpectedScan({}));
}

TEST(JunkScan, EveryCategoryAloneAndAllTogetherReportsExactlyItsFixture)
{
    Roots roots;
    for (const std::string* folder : {&roots.windows, &roots.temp, &roots.recent, &roots.cookies,
                                      &roots.internetCache, &roots.history, &roots.local})
        ASSERT_FALSE(folder->empty());
    std::vector<FixtureFile> fixture = FixtureFiles(roots);
    for (const FixtureFile& f : fixture)
        ASSERT_TRUE(WriteSizedFile(f.path, f.size)) << f.path;
    ASSERT_TRUE(WriteFixtureValues());

    // A name outside the ANSI code page: the ANSI listing shows it as "?uk.txt", and no ANSI
    // path (not even its short path) reaches it.
    std::wstring wideTemp(roots.temp.begin(), roots.temp.end());
    HANDLE wide = CreateFileW((wideTemp + L"\\\x0416uk.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(wide, INVALID_HANDLE_VALUE);
    CloseHandle(wide);
    fixture.push_back({roots.temp + "\\?uk.txt", 0, 0});
    // A file whose path is longer than MAX_PATH.
    std::wstring deep = L"\\\\?\\" + wideTemp + L"\\long";
    CreateDirectoryW(deep.c_str(), nullptr);
    for (int i = 0; i < 6; ++i) {
        deep += L"\\" + std::wstring(50, static_cast<wchar_t>(L'a' + i));
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    HANDLE farFile = CreateFileW((deep + L"\\far.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(farFile, INVALID_HANDLE_VALUE);
    CloseHandle(farFile);

    HeldFile tilde(roots.temp + "\\~lock.tmp");
    HeldFile plain(roots.temp + "\\lock.tmp");
    ASSERT_NE(tilde.handle, INVALID_HANDLE_VALUE);
    ASSERT_NE(plain.handle, INVALID_HANDLE_VALUE);

    std::map<DWORD, std::vector<Walk>> walks = WalksOf(roots);
    std::map<DWORD, std::vector<Finding>> all;
    for (DWORD bit : ReportedBits()) {
        std::vector<Finding> expected = walks.count(bit) ? ExpectedFiles(bit, walks[bit], fixture)
                                                         : ExpectedValues(bit);
        if (bit != JunkRecycleBin) {
            EXPECT_FALSE(expected.empty()) << "no fixture for bit " << bit;
        }
        all[bit] = expected;
    }
    // The listing only orders the findings: every fixture file of a category is among them
    // with its own size.
    for (const FixtureFile& f : fixture) {
        if (!f.bit)
            continue;
        const std::vector<Finding>& found = all[f.bit];
        EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](const Finding& x) {
            return Lower(x.text) == Lower(f.path) && x.size == f.size;
        })) << f.path;
    }

    EngineProcess process;
    ASSERT_NE(process.Get(), nullptr);
    for (DWORD bit : ReportedBits()) {
        std::vector<StatusCall> calls = RunJunkScan(process.Get(), bit);
        EXPECT_EQ(ScanReports(calls), ExpectedScan(Only(bit, all[bit]))) << "bit " << bit;
        ExpectWorkerCalls(calls);
    }
    // Together, Chrome's History is measured once, by its history (which deletes the file);
    // the download history alone measures it too.
    all[JunkChromeDownloads].clear();
    std::vector<StatusCall> calls = RunJunkScan(process.Get(), JunkScanAllMask);
    EXPECT_EQ(ScanReports(calls), ExpectedScan(all));
    ExpectWorkerCalls(calls);
    EXPECT_EQ(ScanReports(RunJunkScan(process.Get(), JunkChromeDownloads | JunkChromeCookies)),
              ExpectedScan({{JunkChromeCookies, all[JunkChromeCookies]},
                            {JunkChromeDownloads, ExpectedFiles(JunkChromeDownloads, walks[JunkChromeDownloads], fixture)}}));
}

TEST(JunkScan, ShellFolderThatCannotBeNamedReportsEmptyAndChangesNothingElse)
{
    Roots roots;
    ASSERT_TRUE(WriteSizedFile(roots.temp + "\\only.txt", 321));
    std::vector<Walk> temporary = WalksOf(roots)[JunkTempFiles];
    std::vector<Finding> temporaryFindings = ExpectedFiles(JunkTempFiles, temporary, {});
    ASSERT_FALSE(temporaryFindings.empty());

    // Two ways the shell ends up unable to name the Recent folder: the folder is gone, or the
    // user's shell folder setting points at a folder that does not exist.
    const std::string recent = roots.recent;
    ASSERT_TRUE(RemoveDirectoryA(recent.c_str())) << "Recent should be empty in a fresh prefix";
    for (int way = 0; way < 2; ++way) {
        if (way == 1) {
            ASSERT_TRUE(CreateDirectoryA(recent.c_str(), nullptr));
            ASSERT_TRUE(WriteSizedFile(recent + "\\doc.lnk", 50));
            HKEY key;
            ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER,
                                    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                                    0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
            const char missing[] = "C:\\NoSuchProfile\\Recent";
            RegSetValueExA(key, "Recent", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(missing), sizeof missing);
            RegCloseKey(key);
        }
        ASSERT_EQ(ShellFolder(CSIDL_RECENT), "") << "way " << way;
        EngineProcess process;
        std::vector<StatusCall> calls = RunJunkScan(process.Get(), JunkRecentDocuments | JunkTempFiles);
        // Recent reports only its empty report; the temporary files are as they are without
        // it, and nothing of the drive's root or the current folder shows up anywhere.
        EXPECT_EQ(ScanReports(calls), ExpectedScan(Only(JunkTempFiles, temporaryFindings))) << "way " << way;
        ExpectWorkerCalls(calls);
    }
}

TEST(JunkScan, RecycleBinItemsHaveExactSizes)
{
    const std::string folder = TempFolder() + "\\bin";
    struct Deleted {
        std::string name;
        unsigned long long size;
    };
    auto recycle = [&](const Deleted& d) {
        std::string path = folder + "\\" + d.name;
        ASSERT_TRUE(WriteSizedFile(path, d.size));
        std::string from = path + std::string(2, '\0');
        SHFILEOPSTRUCTA op = {};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
        ASSERT_EQ(SHFileOperationA(&op), 0);
        ASSERT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    };

    EngineProcess process;
    // One item over 1 MB: its size is exact, not the "1,954 KB" its size column shows.
    recycle({"big.bin", 2000000});
    std::vector<StatusCall> calls = RunJunkScan(process.Get(), JunkRecycleBin);
    EXPECT_EQ(ScanReports(calls),
              ExpectedScan(Only(JunkRecycleBin, {{JunkRecycleBin, 2000000, folder + "\\big.bin"}})));
    ExpectWorkerCalls(calls);

    // Several items: the category's sum is exact, and each item is within the 1 KB to which
    // its size column is rounded when the shell has no byte count for single items.
    std::vector<Deleted> more = {{"second.bin", 1500000}, {"third.dat", 1623457}, {"small.txt", 1}};
    for (const Deleted& d : more)
        recycle(d);
    more.push_back({"big.bin", 2000000});
    calls = RunJunkScan(process.Get(), JunkRecycleBin);
    std::map<std::string, unsigned long long> reported;
    unsigned long long sum = 0, expectedSum = 0;
    for (const StatusCall& c : calls)
        if (c.slot == "OnJunkItem" && c.category == JunkRecycleBin && !c.text.empty()) {
            reported[c.text] = static_cast<unsigned long long>(c.value);
            sum += static_cast<unsigned long long>(c.value);
        }
    ASSERT_EQ(reported.size(), more.size());
    for (const Deleted& d : more) {
        expectedSum += d.size;
        auto r = reported.find(folder + "\\" + d.name);
        ASSERT_NE(r, reported.end()) << d.name;
        unsigned long long off = r->second > d.size ? r->second - d.size : d.size - r->second;
        EXPECT_LT(off, 1024u) << d.name;
    }
    EXPECT_EQ(sum, expectedSum);
}

TEST(JunkScan, StopEndsTheScanAtTheNextEntry)
{
    Roots roots;
    const std::string folder = roots.temp + "\\stop";
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(WriteSizedFile(folder + "\\f" + std::to_string(i) + ".txt", 10 + i));
    ASSERT_TRUE(WriteSizedFile(roots.recent + "\\r.lnk", 40));
    std::vector<Finding> temporary = ExpectedFiles(JunkTempFiles, WalksOf(roots)[JunkTempFiles], {});
    ASSERT_GT(temporary.size(), 5u);

    EngineProcess process;
    RecordingStatus status;
    int seen = 0;
    status.onJunkItem = [&](DWORD bit, long long, const char* text) {
        if (bit == JunkTempFiles && text && *text && ++seen == 5)
            process->Stop(1);
    };
    std::vector<StatusCall> calls = RunJunkScan(process.Get(), JunkTempFiles | JunkRecentDocuments, &status);
    // Five findings, then nothing more is measured (Recent neither), but every remaining bit
    // still sends its empty report and every group still closes.
    temporary.resize(5);
    EXPECT_EQ(ScanReports(calls), ExpectedScan(Only(JunkTempFiles, temporary)));
    EXPECT_EQ(calls.back().Describe(), Finished(9));
}

TEST(JunkScan, ProgressTextsStayUnderTheThrottle)
{
    Roots roots;
    const std::string folder = roots.temp + "\\many";
    const int files = 3000;
    for (int i = 0; i < files; ++i)
        ASSERT_TRUE(WriteSizedFile(folder + "\\d" + std::to_string(i % 30) + "\\f" + std::to_string(i), 1));
    std::vector<Finding> expected = ExpectedFiles(JunkTempFiles, WalksOf(roots)[JunkTempFiles], {});

    EngineProcess process;
    DWORD start = GetTickCount();
    std::vector<StatusCall> calls = RunJunkScan(process.Get(), JunkTempFiles);
    DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(ScanReports(calls), ExpectedScan(Only(JunkTempFiles, expected)));

    std::vector<StatusCall> texts = ProgressTexts(calls);
    EXPECT_GE(texts.size(), 1u);
    // At most one text per 50 ms, plus the first.
    EXPECT_LE(texts.size(), elapsed / 50 + 2) << "elapsed " << elapsed << " ms";
    // Each one is the short path of an entry of the walked folders.
    const std::string temp = Lower(roots.temp) + "\\", windowsTemp = Lower(roots.windows) + "\\temp\\";
    for (const StatusCall& t : texts) {
        char longPath[MAX_PATH + 1] = {};
        ASSERT_NE(GetLongPathNameA(t.text.c_str(), longPath, sizeof longPath), 0u) << t.text;
        std::string lower = Lower(longPath);
        EXPECT_TRUE(lower.compare(0, temp.size(), temp) == 0 ||
                    lower.compare(0, windowsTemp.size(), windowsTemp) == 0) << longPath;
    }
}

TEST(JunkScan, TemporaryFolderWithinTheWindowsOneIsCountedOnce)
{
    Roots roots;
    const std::string windowsTemp = roots.windows + "\\Temp";
    ASSERT_TRUE(WriteSizedFile(windowsTemp + "\\top.txt", 11));
    ASSERT_TRUE(WriteSizedFile(windowsTemp + "\\inner\\deep.txt", 22));
    std::vector<Finding> once;
    for (const ListedFile& f : ListFiles(windowsTemp))
        once.push_back({JunkTempFiles, f.size, f.path});
    ASSERT_GE(once.size(), 2u);

    for (const std::string& tmp : {windowsTemp + "\\", windowsTemp + "\\inner\\"}) {
        ASSERT_TRUE(SetEnvironmentVariableA("TMP", tmp.c_str()));
        ASSERT_TRUE(SetEnvironmentVariableA("TEMP", tmp.c_str()));
        EngineProcess process;
        EXPECT_EQ(ScanReports(RunJunkScan(process.Get(), JunkTempFiles)),
                  ExpectedScan(Only(JunkTempFiles, once))) << tmp;
    }
}
