// The junk clean's browser databases, made with SQLite itself in Chrome's and Firefox's real
// profile folders of a fresh prefix: the download history loses its rows and keeps the browsing
// history, Firefox's history loses its visits and keeps the bookmarks and the places they name,
// Chrome's history deletes its files, and a database that is held, locked or lacks a table is
// left byte for byte as it was.
#include <gtest/gtest.h>

#include <windows.h>

#include <sqlite3.h>

#include <fstream>
#include <iterator>

#include "Engine/JunkScanTestSupport.h"
#include "Support/HostSafety.h"

using namespace junktest;

namespace {

// A shell folder, made when it does not exist yet.
std::string MadeShellFolder(int csidl)
{
    char buffer[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, TRUE))
        return std::string();
    return TrimSlashes(buffer);
}
std::string ChromeDefault()
{
    return MadeShellFolder(CSIDL_LOCAL_APPDATA) + "\\Google\\Chrome\\User Data\\Default";
}
std::string FirefoxProfile()
{
    return MadeShellFolder(CSIDL_APPDATA) + "\\Mozilla\\Firefox\\Profiles\\qz7.default-release";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

unsigned long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Runs SQL on a database of the test's own (made when missing); false with the message on failure.
::testing::AssertionResult Exec(const std::string& path, const std::string& sql)
{
    if (!MakeFolders(ParentOf(path)))
        return ::testing::AssertionFailure() << "no folder for " << path;
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return ::testing::AssertionFailure() << "cannot open " << path;
    }
    char* error = nullptr;
    const int result = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (result != SQLITE_OK)
        return ::testing::AssertionFailure() << message << " in: " << sql;
    return ::testing::AssertionSuccess();
}

// The first column of every row of a query, as texts ("NULL" for a null).
std::vector<std::string> Column(const std::string& path, const std::string& sql)
{
    std::vector<std::string> out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {"cannot open"};
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        out.push_back(sqlite3_errmsg(db));
    } else {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            out.push_back(text ? reinterpret_cast<const char*>(text) : "NULL");
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return out;
}

using Rows = std::vector<std::string>;

// Chrome's History, reduced to the tables the clean reads, with a download large enough that
// the compaction shows in the file's size.
const char ChromeHistorySchema[] =
    "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);"
    "CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, title LONGVARCHAR,"
    " visit_count INTEGER DEFAULT 0 NOT NULL, last_visit_time INTEGER NOT NULL);"
    "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER NOT NULL, visit_time INTEGER NOT NULL);"
    "CREATE TABLE downloads(id INTEGER PRIMARY KEY, guid VARCHAR NOT NULL, current_path LONGVARCHAR NOT NULL,"
    " target_path LONGVARCHAR NOT NULL, start_time INTEGER NOT NULL, received_bytes INTEGER NOT NULL,"
    " total_bytes INTEGER NOT NULL);";
const char ChromeUrlChains[] =
    "CREATE TABLE downloads_url_chains(id INTEGER NOT NULL, chain_index INTEGER NOT NULL,"
    " url LONGVARCHAR NOT NULL, PRIMARY KEY(id, chain_index));";
const char ChromeSlices[] =
    "CREATE TABLE downloads_slices(download_id INTEGER NOT NULL, offset INTEGER NOT NULL,"
    " received_bytes INTEGER NOT NULL, PRIMARY KEY(download_id, offset));";
const char ChromeRows[] =
    "INSERT INTO meta VALUES('version', '56');"
    "INSERT INTO urls(url, title, visit_count, last_visit_time) VALUES"
    " ('http://a.test/', 'A', 2, 10), ('http://b.test/', 'B', 1, 20);"
    "INSERT INTO visits(url, visit_time) VALUES (1, 5), (1, 10), (2, 20);"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40)"
    " INSERT INTO downloads SELECT i, hex(randomblob(16)), 'C:\\d\\' || hex(randomblob(2000)), 'C:\\d\\f', i, 1, 1 FROM n;";
const char ChromeChainRows[] = "INSERT INTO downloads_url_chains SELECT id, 0, 'http://d.test/' || id FROM downloads;";
const char ChromeSliceRows[] = "INSERT INTO downloads_slices SELECT id, 0, 1 FROM downloads;";

std::string ChromeHistorySql(bool slices)
{
    std::string sql = std::string(ChromeHistorySchema) + ChromeUrlChains + ChromeRows + ChromeChainRows;
    if (slices)
        sql += std::string(ChromeSlices) + ChromeSliceRows;
    return sql;
}

// Firefox's places.sqlite, reduced: place 1 is bookmarked, place 2 named by a keyword, places 3
// and 4 only visited; a bookmark folder has no place at all (its fk is NULL). With
// `foreignCount` the places keep their count of references as newer profiles do.
std::string PlacesSql(bool foreignCount)
{
    std::string sql =
        std::string("CREATE TABLE moz_places(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,"
                    " visit_count INTEGER DEFAULT 0, last_visit_date INTEGER") +
        (foreignCount ? ", foreign_count INTEGER DEFAULT 0 NOT NULL" : "") + ");" +
        "CREATE TABLE moz_historyvisits(id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER,"
        " visit_date INTEGER, visit_type INTEGER);"
        "CREATE TABLE moz_inputhistory(place_id INTEGER NOT NULL, input LONGVARCHAR NOT NULL,"
        " use_count INTEGER, PRIMARY KEY(place_id, input));"
        "CREATE TABLE moz_bookmarks(id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,"
        " parent INTEGER, title LONGVARCHAR);"
        "CREATE TABLE moz_keywords(id INTEGER PRIMARY KEY AUTOINCREMENT, keyword TEXT UNIQUE,"
        " place_id INTEGER, post_data TEXT);"
        "INSERT INTO moz_places(id, url, title, visit_count, last_visit_date) VALUES"
        " (1, 'http://kept.test/', 'Kept', 3, 30), (2, 'http://key.test/?q=%s', 'Key', 1, 40),"
        " (3, 'http://seen.test/', 'Seen', 5, 50), (4, 'http://once.test/', 'Once', 1, 60);"
        "INSERT INTO moz_historyvisits(from_visit, place_id, visit_date, visit_type) VALUES"
        " (0, 1, 30, 1), (0, 2, 40, 1), (0, 3, 45, 1), (1, 3, 50, 1), (0, 4, 60, 1);"
        "INSERT INTO moz_inputhistory VALUES (3, 'se', 2);"
        "INSERT INTO moz_bookmarks(id, type, fk, parent, title) VALUES"
        " (1, 2, NULL, 0, 'root'), (2, 2, NULL, 1, 'menu'), (3, 1, 1, 2, 'Kept');"
        "INSERT INTO moz_keywords(keyword, place_id) VALUES ('k', 2);";
    if (foreignCount)
        sql += "UPDATE moz_places SET foreign_count = 1 WHERE id IN (1, 2);";
    return sql;
}

::testing::AssertionResult IntegrityOk(const std::string& path)
{
    const Rows result = Column(path, "PRAGMA integrity_check");
    if (result == Rows{"ok"})
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << path << ": " << (result.empty() ? "nothing" : result[0]);
}

bool ReportsEmpty(const std::vector<StatusCall>& calls, DWORD bit)
{
    for (const StatusCall& c : calls)
        if (c.Describe() == JunkItem(bit, 0, ""))
            return true;
    return false;
}

}  // namespace

TEST(JunkCleanDatabases, DownloadHistoryLosesItsRowsAndKeepsTheBrowsingHistory)
{
    hostsafety::AssertSandboxedPrefix();
    for (bool slices : {false, true}) {
        SCOPED_TRACE(slices ? "with download slices" : "without download slices");
        const std::string history = ChromeDefault() + "\\History";
        DeleteFileA(history.c_str());
        ASSERT_TRUE(Exec(history, ChromeHistorySql(slices)));
        const unsigned long long before = FileSize(history);

        EngineProcess process;
        std::vector<StatusCall> calls = RunJunkClean(process.Get(), JunkChromeDownloads);
        EXPECT_TRUE(ReportsEmpty(calls, JunkChromeDownloads));

        EXPECT_EQ(Column(history, "SELECT count(*) FROM downloads"), Rows{"0"});
        EXPECT_EQ(Column(history, "SELECT count(*) FROM downloads_url_chains"), Rows{"0"});
        if (slices) {
            EXPECT_EQ(Column(history, "SELECT count(*) FROM downloads_slices"), Rows{"0"});
        }
        EXPECT_EQ(Column(history, "SELECT url || ' ' || visit_count FROM urls ORDER BY id"),
                  (Rows{"http://a.test/ 2", "http://b.test/ 1"}));
        EXPECT_EQ(Column(history, "SELECT url || ' ' || visit_time FROM visits ORDER BY id"),
                  (Rows{"1 5", "1 10", "2 20"}));
        EXPECT_EQ(Column(history, "SELECT value FROM meta"), Rows{"56"});
        EXPECT_TRUE(IntegrityOk(history));
        EXPECT_LT(FileSize(history), before / 2) << "the file was not compacted";
        // No journal is left beside it.
        EXPECT_FALSE(Exists(history + "-journal"));
    }
}

TEST(JunkCleanDatabases, FirefoxHistoryLosesItsVisitsAndKeepsBookmarksAndTheirPlaces)
{
    hostsafety::AssertSandboxedPrefix();
    for (bool foreignCount : {true, false}) {
        SCOPED_TRACE(foreignCount ? "places with foreign_count" : "places without foreign_count");
        const std::string places = FirefoxProfile() + "\\places.sqlite";
        DeleteFileA(places.c_str());
        ASSERT_TRUE(Exec(places, PlacesSql(foreignCount)));

        EngineProcess process;
        std::vector<StatusCall> calls = RunJunkClean(process.Get(), JunkFirefoxHistory);
        EXPECT_TRUE(ReportsEmpty(calls, JunkFirefoxHistory));

        EXPECT_EQ(Column(places, "SELECT count(*) FROM moz_historyvisits"), Rows{"0"});
        EXPECT_EQ(Column(places, "SELECT count(*) FROM moz_inputhistory"), Rows{"0"});
        // The bookmarked and the keyword's place stay, without their visits' traces.
        EXPECT_EQ(Column(places, "SELECT id || ' ' || url || ' ' || visit_count || ' ' ||"
                                 " ifnull(last_visit_date, 'none') FROM moz_places ORDER BY id"),
                  (Rows{"1 http://kept.test/ 0 none", "2 http://key.test/?q=%s 0 none"}));
        EXPECT_EQ(Column(places, "SELECT id || ' ' || ifnull(fk, 'folder') || ' ' || title FROM moz_bookmarks"
                                 " ORDER BY id"),
                  (Rows{"1 folder root", "2 folder menu", "3 1 Kept"}));
        EXPECT_EQ(Column(places, "SELECT keyword || ' ' || place_id FROM moz_keywords"), Rows{"k 2"});
        EXPECT_TRUE(IntegrityOk(places));
    }
}

// Both categories selected: History goes whole with the browsing history, Visited Links too.
TEST(JunkCleanDatabases, ChromeHistoryDeletesItsFiles)
{
    hostsafety::AssertSandboxedPrefix();
    const std::string history = ChromeDefault() + "\\History", links = ChromeDefault() + "\\Visited Links";
    ASSERT_TRUE(Exec(history, ChromeHistorySql(true)));
    ASSERT_TRUE(WriteSizedFile(links, 2048));
    EngineProcess process;
    std::vector<StatusCall> calls = RunJunkClean(process.Get(), JunkChromeDownloads | JunkChromeHistory);
    EXPECT_FALSE(Exists(history));
    EXPECT_FALSE(Exists(links));
    // Chrome's group: the history's report comes right after its text and again at its end.
    auto action = [](const char* text) {
        return StatusCall{"OnStatusText", text, "Scanning", 0, 0, 0, 0}.Describe();
    };
    std::vector<std::string> chrome;
    bool inGroup = false;
    for (const StatusCall& c : calls) {
        const std::string call = c.Describe();
        if (call == Animation(4, 1))
            inGroup = true;
        if (inGroup)
            chrome.push_back(call);
        if (call == Animation(4, 0))
            inGroup = false;
    }
    EXPECT_EQ(chrome, (std::vector<std::string>{Animation(4, 1), action("Cleaning Google Chrome Download History..."),
                                                JunkItem(JunkChromeDownloads, 0, ""),
                                                action("Cleaning Google Chrome Internet History..."),
                                                JunkItem(JunkChromeHistory, 0, ""), JunkItem(JunkChromeHistory, 0, ""),
                                                Animation(4, 0)}));
}

// The program's default selection holds Chrome's download history but neither browser's history:
// its clean empties the download rows and keeps the browsing history and the bookmarks.
TEST(JunkCleanDatabases, DefaultCleanKeepsBrowsingHistoryAndBookmarks)
{
    hostsafety::AssertSandboxedPrefix();
    const std::string history = ChromeDefault() + "\\History", places = FirefoxProfile() + "\\places.sqlite";
    ASSERT_TRUE(Exec(history, ChromeHistorySql(true)));
    ASSERT_TRUE(Exec(places, PlacesSql(true)));
    const std::string placesBefore = Bytes(places);
    EngineProcess process;
    RunJunkClean(process.Get(), JunkScanDefaultMask);
    EXPECT_EQ(Column(history, "SELECT count(*) FROM downloads"), Rows{"0"});
    EXPECT_EQ(Column(history, "SELECT count(*) FROM urls"), Rows{"2"});
    EXPECT_EQ(Column(history, "SELECT count(*) FROM visits"), Rows{"3"});
    EXPECT_TRUE(IntegrityOk(history));
    EXPECT_TRUE(Bytes(places) == placesBefore) << "places.sqlite changed";
}

// A database the clean cannot use as it must stays as it was, byte for byte, and its category
// still reports.
TEST(JunkCleanDatabases, HeldLockedOrIncompleteDatabasesStayByteForByte)
{
    hostsafety::AssertSandboxedPrefix();
    const std::string history = ChromeDefault() + "\\History", places = FirefoxProfile() + "\\places.sqlite";
    enum Hold { Nothing, ShareModeZero, WriteLock };
    struct Case {
        const char* name;
        std::string path;
        std::string sql;
        DWORD bit;
        Hold hold;
    };
    const std::string chromeWithoutChains = std::string(ChromeHistorySchema) + ChromeRows;
    const std::string placesWithoutBookmarks =
        PlacesSql(true) + "DROP TABLE moz_bookmarks;";
    const Case cases[] = {
        {"History held with share mode 0", history, ChromeHistorySql(true), JunkChromeDownloads, ShareModeZero},
        {"History locked by a running browser", history, ChromeHistorySql(true), JunkChromeDownloads, WriteLock},
        {"History without downloads_url_chains", history, chromeWithoutChains, JunkChromeDownloads, Nothing},
        {"History that is no database", history, "", JunkChromeDownloads, Nothing},
        {"places.sqlite held with share mode 0", places, PlacesSql(true), JunkFirefoxHistory, ShareModeZero},
        {"places.sqlite locked by a running browser", places, PlacesSql(false), JunkFirefoxHistory, WriteLock},
        {"places.sqlite without moz_bookmarks", places, placesWithoutBookmarks, JunkFirefoxHistory, Nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(c.path.c_str());
        if (c.sql.empty())
            ASSERT_TRUE(WriteSizedFile(c.path, 8192));
        else
            ASSERT_TRUE(Exec(c.path, c.sql));
        const std::string before = Bytes(c.path);
        ASSERT_FALSE(before.empty());

        HANDLE held = INVALID_HANDLE_VALUE;
        sqlite3* browser = nullptr;
        if (c.hold == ShareModeZero) {
            held = HoldFileExclusively(c.path);
            ASSERT_NE(held, INVALID_HANDLE_VALUE);
        } else if (c.hold == WriteLock) {
            ASSERT_EQ(sqlite3_open(c.path.c_str(), &browser), SQLITE_OK);
            ASSERT_EQ(sqlite3_exec(browser, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        EngineProcess process;
        std::vector<StatusCall> calls = RunJunkClean(process.Get(), c.bit);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (browser) {
            sqlite3_exec(browser, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(browser);
        }
        EXPECT_TRUE(ReportsEmpty(calls, c.bit));
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls[calls.size() - 4].Describe(), Result(0));
        EXPECT_TRUE(Bytes(c.path) == before) << "the database changed";
        EXPECT_FALSE(Exists(c.path + "-journal"));
        DeleteFileA(c.path.c_str());
    }
}
