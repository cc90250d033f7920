// CScanItemsInfo: the program's one found-items store. It holds what a registry scan found (the
// engine walks it to back up and repair), the ignore list file "LI.irg" and the scan log.
//
// Ignore-list records are "item text^middle field^number;" (or "item text^number;"), written
// with CR LF after the ";"; a text holding ";" or "^" is never written, since it would be read
// back cut apart. Item texts are compared without regard to case in the ignore and exclusion
// tests, as registry and file names are. The store is used without a lock: the engine's worker and the GUI
// thread take turns, one task at a time.
#ifndef VELMORA_SCAN_ITEMS_INFO_H
#define VELMORA_SCAN_ITEMS_INFO_H

#include <windows.h>

#include <list>
#include <map>
#include <set>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CString.h"

class CScanItemsInfo : public CAbstractScanItemsInfo {
public:
    // The ignore list and the "Scan Logs" folder live in folder; null or empty: the folder of
    // the running program.
    explicit CScanItemsInfo(const char* folder = nullptr);
    ~CScanItemsInfo() override {}
    CScanItemsInfo(const CScanItemsInfo&) = delete;
    CScanItemsInfo& operator=(const CScanItemsInfo&) = delete;

    void Clear() override;
    int AddItem(CString text, int category, int reserved1, int reserved2) override;
    int HasItems(int category) override;
    int GetTextValue(const char* text) override;
    int GetCount(int category) override;
    int GetCategoryMask() override;
    int GetCategoryItems(ScanItemTextList* out, int category) override;
    int MoveFirst() override;
    int MoveNext() override;
    const char* GetItemText() override;
    int GetItemCategory() override;
    void AddPendingIgnore(const char* key, int category, int reserved) override;
    int SetOption(int value) override;
    int LoadIgnoreList() override;
    int AppendIgnoreList() override;
    int Reserved16() override;
    void GetCategoryRecord(int id, ScanCategoryInfo* out) override;
    int IsCurrentExcluded() override;
    int GetIgnoreMap(IgnoreEntryMap* out) override;
    int ReloadIgnoreList() override;
    int RewriteIgnoreList(const IgnoreEntryMap* entries) override;
    int WriteScanLog() override;
    int IsIgnored(CString text, int category, ScanCategoryInfo* record) override;
    int UpdateIgnoreEntry(CString itemText, CString secondText, int category, int reserved) override;

    // The text a cookie-file item (category 8) is known by: "user@site[1].txt" gives "site".
    static CString CleanCookieText(const CString& text);
    const CString& IgnoreListPath() const { return m_ignoreListPath; }

private:
    typedef std::multimap<int, CString> FoundItemList;
    typedef std::map<CString, int> TextMap;

    // Reads the ignore list into map, keyed by the item text, or with settingsKeys by the item
    // text, "^" and the middle field. 1 after a read, 0 when the file cannot be opened or read.
    int ReadIgnoreFile(TextMap& map, bool settingsKeys);
    CString LookupKey(const CString& text, int category) const;
    // The ignore map holds key in any case.
    bool IsOnIgnoreList(const CString& key) const;

    int m_loaded;
    FoundItemList::iterator m_cursor;
    FoundItemList m_foundItems;
    TextMap m_textIds;
    TextMap m_pendingIgnore;
    TextMap m_ignore;
    std::set<CString> m_ignoreFolded;   // the ignore map's keys in lower case
    IgnoreEntryMap m_settingsIgnore;
    int m_append;
    std::list<ScanCategoryInfo> m_records;
    DWORD m_categoryMask;
    CString m_folder;  // ends with "\"
    CString m_ignoreListPath;
};

#endif
