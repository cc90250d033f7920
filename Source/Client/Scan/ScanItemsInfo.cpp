// The found-items store: found items, the ignore list "LI.irg" and the scan log.
#include "Client/Scan/ScanItemsInfo.h"

#include <stdio.h>
#include <stdlib.h>

#include "Framework/ModulePath.h"

namespace {

const char IgnoreListFile[] = "LI.irg";
const char ScanLogFolder[] = "Scan Logs";
// The ignore list is read in blocks of this size, all appended to one text before any record
// is taken apart, so no record is cut at a block boundary.
const size_t IgnoreReadChunk = 499;
const int CookieCategory = 8;

bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

void WriteText(FILE* file, const CString& text)
{
    fwrite(text.GetString(), 1, size_t(text.GetLength()), file);
}

// A key of the ignore list is an item text, "^" and a middle field that holds no "^". A key
// whose text holds ";" or "^" would be read back cut apart, as broken records that could also
// end the reading of the whole list there, so it is not written.
bool IsWritableIgnoreKey(const CString& key)
{
    const int caret = key.Find('^');
    return key.Find(';') < 0 && (caret < 0 || key.Find('^', caret + 1) < 0);
}

// The item text of a pending-ignore key "item text^category name": category names hold no
// "^", item texts may, so the key is cut at its last one. A key without "^" has none.
CString PendingItemText(const CString& key)
{
    const int caret = key.ReverseFind('^');
    return caret >= 0 ? key.Left(caret) : CString();
}

// One record per entry: key, "^", the number in decimal, ";" and CR LF. For the ignore list
// (ignoreList set) only the keys it can hold.
void WriteRecords(FILE* file, const std::map<CString, int>& entries, bool ignoreList)
{
    for (const auto& entry : entries) {
        if (ignoreList && !IsWritableIgnoreKey(entry.first))
            continue;
        CString record;
        record.Format("%s^%d;\r\n", entry.first.GetString(), entry.second);
        WriteText(file, record);
    }
}

}  // namespace

CScanItemsInfo::CScanItemsInfo(const char* folder)
    : m_loaded(0), m_append(0), m_categoryMask(0)
{
    m_cursor = m_foundItems.end();
    m_folder = folder && *folder ? CString(folder) : GetProgramFolder();
    if (!m_folder.IsEmpty() && m_folder[m_folder.GetLength() - 1] != '\\')
        m_folder += '\\';
    m_ignoreListPath = m_folder + IgnoreListFile;
    LoadIgnoreList();
}

CString CScanItemsInfo::CleanCookieText(const CString& text)
{
    CString cleaned = text;
    cleaned.Replace(".txt", "");
    const int at = cleaned.ReverseFind('@');
    if (at >= 0)
        cleaned = cleaned.Mid(at + 1);
    const int close = cleaned.Find(']');
    const int open = cleaned.Find('[');
    if (open >= 0 && close > open) {
        const CString part = cleaned.Mid(open, close - open + 1);
        cleaned.Replace(part, "");
    }
    return cleaned;
}

CString CScanItemsInfo::LookupKey(const CString& text, int category) const
{
    return category == CookieCategory ? CleanCookieText(text) : text;
}

// Registry and file names are the same whatever their case, so one ignore entry holds every
// spelling of its text.
bool CScanItemsInfo::IsOnIgnoreList(const CString& key) const
{
    CString folded = key;
    return m_ignoreFolded.count(folded.MakeLower()) != 0;
}

// --- found items ----------------------------------------------------------------------------

void CScanItemsInfo::Clear()
{
    m_foundItems.clear();
    m_textIds.clear();
    m_records.clear();
    m_pendingIgnore.clear();
    m_cursor = m_foundItems.end();
}

int CScanItemsInfo::AddItem(CString text, int category, int, int)
{
    m_categoryMask |= DWORD(category);
    LoadIgnoreList();
    if (IsOnIgnoreList(LookupKey(text, category)))
        return 0;
    // Kept exactly as reported; items of one category stay in the order they came.
    m_foundItems.insert(FoundItemList::value_type(category, text));
    return 1;
}

int CScanItemsInfo::HasItems(int category)
{
    return m_foundItems.count(category) ? 1 : 0;
}

int CScanItemsInfo::GetTextValue(const char* text)
{
    if (!text)
        return 0;
    const TextMap::const_iterator found = m_textIds.find(CString(text));
    return found == m_textIds.end() ? 0 : found->second;
}

int CScanItemsInfo::GetCount(int category)
{
    return int(m_foundItems.count(category));
}

int CScanItemsInfo::GetCategoryMask()
{
    return int(m_categoryMask);
}

int CScanItemsInfo::GetCategoryItems(ScanItemTextList* out, int category)
{
    const auto range = m_foundItems.equal_range(category);
    if (!out || range.first == range.second)
        return 0;
    for (auto it = range.first; it != range.second; ++it)
        out->push_back(it->second);
    return 1;
}

int CScanItemsInfo::MoveFirst()
{
    m_cursor = m_foundItems.begin();
    return m_cursor != m_foundItems.end() ? 1 : 0;
}

int CScanItemsInfo::MoveNext()
{
    if (m_cursor == m_foundItems.end())
        return 0;
    ++m_cursor;
    return m_cursor != m_foundItems.end() ? 1 : 0;
}

const char* CScanItemsInfo::GetItemText()
{
    return m_cursor == m_foundItems.end() ? nullptr : m_cursor->second.GetString();
}

int CScanItemsInfo::GetItemCategory()
{
    return m_cursor == m_foundItems.end() ? 0 : m_cursor->first;
}

void CScanItemsInfo::GetCategoryRecord(int id, ScanCategoryInfo* out)
{
    if (!out)
        return;
    for (const ScanCategoryInfo& record : m_records) {
        if (record.Id == id) {
            *out = record;
            return;
        }
    }
}

int CScanItemsInfo::IsCurrentExcluded()
{
    if (m_cursor == m_foundItems.end())
        return 0;
    const CString& text = m_cursor->second;
    const CString cleaned = CleanCookieText(text);
    const int id = GetTextValue(text);
    // The user's choice on a shown entry holds for every spelling of its text (the results tree
    // shows texts that differ only in case once).
    for (const auto& entry : m_pendingIgnore) {
        const CString itemPart = PendingItemText(entry.first);
        if (itemPart.CompareNoCase(text) == 0 || itemPart.CompareNoCase(cleaned) == 0)
            return 1;
        if (id > 0 && entry.second == id) {
            ScanCategoryInfo record;
            record.Id = -1;
            GetCategoryRecord(id, &record);
            if (record.Id == id && record.Name == itemPart)
                return 1;
        }
    }
    return 0;
}

// --- ignore list ----------------------------------------------------------------------------

void CScanItemsInfo::AddPendingIgnore(const char* key, int category, int)
{
    if (key)
        m_pendingIgnore.insert(TextMap::value_type(CString(key), category));
}

int CScanItemsInfo::SetOption(int value)
{
    m_append = value;
    return value;
}

int CScanItemsInfo::ReadIgnoreFile(TextMap& map, bool settingsKeys)
{
    map.clear();
    // "a+" creates an empty list when there is none; binary, so the bytes read are the file's.
    FILE* file = fopen(m_ignoreListPath, "a+b");
    if (!file)
        return 0;
    rewind(file);
    CString text;
    char chunk[IgnoreReadChunk];
    for (;;) {
        const size_t got = fread(chunk, 1, sizeof(chunk), file);
        text.Append(chunk, int(got));
        if (got < sizeof(chunk))
            break;
    }
    const bool failed = ferror(file) != 0;
    fclose(file);
    if (failed) {
        map.clear();
        return 0;
    }

    const int length = text.GetLength();
    int position = 0;
    for (;;) {
        while (position < length && IsWhiteSpace(text[position]))
            ++position;
        const int end = text.Find(';', position);
        if (end < 0)
            break;  // a last fragment without ";" is not a record
        CString record = text.Mid(position, end - position);
        record.Trim();
        position = end + 1;
        if (record.IsEmpty())
            break;
        const int caret = record.Find('^');
        if (caret <= 0)
            continue;  // no item text
        const CString item = record.Left(caret);
        const CString remainder = record.Mid(caret + 1);
        const int second = remainder.Find('^');
        const CString middle = second >= 0 ? remainder.Left(second) : CString();
        const CString number = second >= 0 ? remainder.Mid(second + 1) : remainder;
        const CString key = settingsKeys ? item + "^" + middle : item;
        map.insert(TextMap::value_type(key, atoi(number)));
    }
    return 1;
}

int CScanItemsInfo::LoadIgnoreList()
{
    if (m_loaded)
        return 0;
    m_ignoreFolded.clear();
    if (!ReadIgnoreFile(m_ignore, false))
        return 0;
    for (const auto& entry : m_ignore) {
        CString folded = entry.first;
        m_ignoreFolded.insert(folded.MakeLower());
    }
    m_loaded = 1;
    return 1;
}

int CScanItemsInfo::ReloadIgnoreList()
{
    return ReadIgnoreFile(m_settingsIgnore, true);
}

int CScanItemsInfo::AppendIgnoreList()
{
    if (!m_append)
        return 0;
    FILE* file = fopen(m_ignoreListPath, "a+b");
    if (!file)
        return 0;
    WriteRecords(file, m_pendingIgnore, true);
    fclose(file);
    m_loaded = 0;
    return 1;
}

int CScanItemsInfo::Reserved16()
{
    return 1;
}

int CScanItemsInfo::GetIgnoreMap(IgnoreEntryMap* out)
{
    if (out && out != &m_settingsIgnore)
        *out = m_settingsIgnore;
    return 1;
}

int CScanItemsInfo::RewriteIgnoreList(const IgnoreEntryMap* entries)
{
    FILE* file = fopen(m_ignoreListPath, "w+b");
    if (!file)
        return 0;
    if (entries)
        WriteRecords(file, *entries, true);
    fclose(file);
    m_loaded = 0;
    return 1;
}

int CScanItemsInfo::IsIgnored(CString text, int category, ScanCategoryInfo* record)
{
    LoadIgnoreList();
    if (IsOnIgnoreList(LookupKey(text, category)))
        return 1;
    if (record && record->Id > 0) {
        const TextMap::const_iterator found = m_ignore.find(record->Name);
        if (found != m_ignore.end() && found->second == record->Id)
            return 1;
    }
    return 0;
}

int CScanItemsInfo::UpdateIgnoreEntry(CString itemText, CString secondText, int category, int)
{
    ReloadIgnoreList();
    IgnoreEntryMap entries;
    GetIgnoreMap(&entries);
    const CString key = itemText + "^" + secondText;
    entries.insert(IgnoreEntryMap::value_type(key, category));
    m_pendingIgnore.insert(TextMap::value_type(key, category));
    RewriteIgnoreList(&entries);
    return 1;
}

// --- scan log -------------------------------------------------------------------------------

int CScanItemsInfo::WriteScanLog()
{
    const CString folder = m_folder + ScanLogFolder;
    CreateDirectoryA(folder, nullptr);  // it may be there already
    SYSTEMTIME now;
    GetLocalTime(&now);
    CString path;
    path.Format("%s\\%d%d%d%d%d%d.txt", folder.GetString(), now.wDay, now.wMonth, now.wYear,
                now.wHour, now.wMinute, now.wSecond);
    FILE* file = fopen(path, "a+b");
    if (!file)
        return 0;
    CString line;
    line.Format("Scan Log Created At :%d:%d:%d\r\n", now.wHour, now.wMinute, now.wSecond);
    WriteText(file, line);
    WriteText(file, "========================Items Detected During Scan=======================\r\n");
    for (const auto& item : m_foundItems) {
        line.Format("%s^%d;\r\n", item.second.GetString(), item.first);
        WriteText(file, line);
    }
    WriteText(file, "======================= Spyware Items Detected===========================\r\n");
    WriteRecords(file, m_textIds, false);
    WriteText(file, "======================= Items Ignored During Repair=======================\r\n");
    WriteRecords(file, m_pendingIgnore, false);
    fclose(file);
    return 1;
}
