// The row deletions of the browsers' databases, through the SQLite library compiled into the
// engine. A database in use by its browser is locked or busy: it is left as it was, never
// waited for at length and never forced.
#include "Engine/BrowserDatabases.h"

#include <windows.h>

#include <sqlite3.h>

#include "Framework/CString.h"
#include "Framework/FinalPath.h"
#include "Framework/TextCodePage.h"

namespace {

// How long a lock another program holds is waited for before the database is left alone.
const int BusyWaitMs = 250;

// One open database; closed (any transaction still open rolled back) when it goes.
class DatabaseConnection {
public:
    DatabaseConnection() : m_db(nullptr) {}
    ~DatabaseConnection()
    {
        if (m_db)
            sqlite3_close_v2(m_db);
    }
    DatabaseConnection(const DatabaseConnection&) = delete;
    DatabaseConnection& operator=(const DatabaseConnection&) = delete;

    // Opens an existing database for writing; never creates one. `path` is in the ANSI code page.
    bool Open(const char* path)
    {
        // SQLite names files in UTF-8; a path that does not convert exactly is not opened.
        CString utf8;
        if (!RecodeText(path, -1, CP_ACP, TextStrictness::Exact, CP_UTF8, TextStrictness::Exact, utf8))
            return false;
        if (sqlite3_open_v2(utf8, &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            return false;
        sqlite3_busy_timeout(m_db, BusyWaitMs);
        return sqlite3_db_readonly(m_db, "main") == 0;
    }

    bool Run(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    // Whether a query gives at least one row; false also when it fails.
    bool Any(const char* sql, const char* argument)
    {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return false;
        bool any = sqlite3_bind_text(statement, 1, argument, -1, SQLITE_STATIC) == SQLITE_OK &&
                   sqlite3_step(statement) == SQLITE_ROW;
        sqlite3_finalize(statement);
        return any;
    }
    bool HasTable(const char* table)
    {
        return Any("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1", table);
    }
    // `table` is one of this file's own names, never a text from outside.
    bool HasColumn(const char* table, const char* column)
    {
        CString sql;
        sql.Format("SELECT 1 FROM pragma_table_info('%s') WHERE name = ?1", table);
        return Any(sql, column);
    }

private:
    sqlite3* m_db;
};

// A file of its own: no folder, no link and nothing that leads elsewhere when opened.
bool IsPlainFileOfItsOwn(const char* path)
{
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) && LeadsToItself(path);
}

// Opens the database and takes its write lock; false (nothing changed) when either fails.
bool BeginWriting(DatabaseConnection& db, const char* path)
{
    return path && IsPlainFileOfItsOwn(path) && db.Open(path) && db.Run("BEGIN IMMEDIATE");
}

// Commits the deletions and compacts the file, or rolls them back when `deleted` is false or the
// commit fails. A compaction that fails (the database became busy) keeps the committed rows
// deleted; the file is only larger than it needs to be.
BrowserDatabaseResult Finish(DatabaseConnection& db, bool deleted)
{
    if (!deleted || !db.Run("COMMIT")) {
        db.Run("ROLLBACK");
        return DatabaseUntouched;
    }
    db.Run("VACUUM");
    return DatabaseCleaned;
}

}  // namespace

BrowserDatabaseResult DeleteChromeDownloads(const char* path)
{
    DatabaseConnection db;
    if (!BeginWriting(db, path))
        return DatabaseUntouched;
    bool deleted = db.HasTable("downloads") && db.HasTable("downloads_url_chains") &&
                   db.Run("DELETE FROM downloads") && db.Run("DELETE FROM downloads_url_chains");
    if (deleted && db.HasTable("downloads_slices"))
        deleted = db.Run("DELETE FROM downloads_slices");
    return Finish(db, deleted);
}

BrowserDatabaseResult DeleteFirefoxHistory(const char* path)
{
    DatabaseConnection db;
    if (!BeginWriting(db, path))
        return DatabaseUntouched;
    bool deleted = db.HasTable("moz_places") && db.HasTable("moz_historyvisits") && db.HasTable("moz_bookmarks");
    // A place stays while anything names it: its count of references where the schema keeps one,
    // and in any case a bookmark or a keyword that points to it.
    CString places("DELETE FROM moz_places WHERE id NOT IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)");
    if (deleted && db.HasColumn("moz_places", "foreign_count"))
        places += " AND foreign_count = 0";
    if (deleted && db.HasTable("moz_keywords") && db.HasColumn("moz_keywords", "place_id"))
        places += " AND id NOT IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)";
    deleted = deleted && db.Run("DELETE FROM moz_historyvisits");
    if (deleted && db.HasTable("moz_inputhistory"))
        deleted = db.Run("DELETE FROM moz_inputhistory");
    deleted = deleted && db.Run(places);
    // The places that stay keep no trace of the visits either.
    if (deleted && db.HasColumn("moz_places", "visit_count"))
        deleted = db.Run("UPDATE moz_places SET visit_count = 0");
    if (deleted && db.HasColumn("moz_places", "last_visit_date"))
        deleted = db.Run("UPDATE moz_places SET last_visit_date = NULL");
    return Finish(db, deleted);
}
