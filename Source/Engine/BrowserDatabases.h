// Row deletions in the browsers' SQLite databases. Chrome's "History" holds the download
// history beside the browsing history, and Firefox's "places.sqlite" holds the bookmarks beside
// the visits: the categories that name only one part delete those rows and keep the file.
#ifndef TARNEX_BROWSER_DATABASES_H
#define TARNEX_BROWSER_DATABASES_H

enum BrowserDatabaseResult {
    DatabaseCleaned,    // the rows are gone and the file compacted
    DatabaseUntouched,  // missing, not a plain file of its own, not a database, locked or busy,
                        // read-only, or without the tables: left exactly as it was
};

// Every row of "downloads", "downloads_url_chains" and (when present) "downloads_slices", in one
// transaction, then VACUUM. "urls", "visits" and the rest stay.
BrowserDatabaseResult DeleteChromeDownloads(const char* path);

// Every row of "moz_historyvisits" and "moz_inputhistory" (when present) and every place nothing
// else refers to, in one transaction, then VACUUM. Bookmarks, keywords and the places they name
// stay.
BrowserDatabaseResult DeleteFirefoxHistory(const char* path);

#endif
