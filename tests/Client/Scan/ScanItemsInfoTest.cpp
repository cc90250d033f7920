// The found-items store: reading the ignore list (record forms, chunk boundaries, broken
// records), the ignore test of new items, the walk the engine makes and its exclusions, and the
// files the store writes.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>

#include "Client/Scan/ScanItemsInfo.h"

namespace {

class Folder {
public:
    Folder()
    {
        // Not in the temporary folder: other tests watch that one.
        static std::atomic<int> counter(0);
        m_top = "C:\\VelmoraTest_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_top.c_str(), nullptr);
        m_path = m_top + "\\store_" + std::to_string(++counter);
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~Folder()
    {
        DeleteFileA(IgnoreList().c_str());
        WIN32_FIND_DATAA data;
        const std::string logs = m_path + "\\Scan Logs";
        HANDLE find = FindFirstFileA((logs + "\\*.txt").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do
                DeleteFileA((logs + "\\" + data.cFileName).c_str());
            while (FindNextFileA(find, &data));
            FindClose(find);
        }
        RemoveDirectoryA(logs.c_str());
        RemoveDirectoryA(m_path.c_str());
        RemoveDirectoryA(m_top.c_str());
    }
    const std::string& Path() const { return m_path; }
    std::string IgnoreList() const { return m_path + "\\LI.irg"; }
    void Write(const std::string& data) const
    {
        HANDLE file = CreateFileA(IgnoreList().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, data.data(), DWORD(data.size()), &written, nullptr);
        CloseHandle(file);
    }
    static std::string Read(const std::string& path)
    {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return "<missing>";
        std::string data(1 << 20, '\0');
        DWORD got = 0;
        ReadFile(file, &data[0], DWORD(data.size()), &got, nullptr);
        CloseHandle(file);
        data.resize(got);
        return data;
    }

private:
    std::string m_top;
    std::string m_path;
};

std::map<std::string, int> Plain(const IgnoreEntryMap& map)
{
    std::map<std::string, int> out;
    for (const auto& entry : map)
        out[entry.first.GetString()] = entry.second;
    return out;
}

std::vector<std::string> Walk(CScanItemsInfo& store)
{
    std::vector<std::string> texts;
    if (store.MoveFirst())
        do
            texts.push_back(store.GetItemText());
        while (store.MoveNext());
    return texts;
}

}  // namespace

// The ignore list as the two readers see it: the item texts the ignore test uses, and the
// "text^middle" keys of the settings map.
TEST(ScanItemsStore, IgnoreListRecordsReadAsTheFormatSays)
{
    const std::string longText(2000, 'L');
    // The first record ends 2 bytes before the first chunk boundary; the second straddles it.
    const std::string padded = std::string(490, 'p') + "^b^1;" + "straddle^c^2;";
    const struct {
        const char* label;
        std::string file;
        std::map<std::string, int> load;
        std::map<std::string, int> reload;
    } cases[] = {
        {"three and two fields", "a^b^7;\r\nc^9;\r\n", {{"a", 7}, {"c", 9}}, {{"a^b", 7}, {"c^", 9}}},
        {"empty record ends the list", "a^b^7;\r\n;\r\nd^e^1;\r\n", {{"a", 7}}, {{"a^b", 7}}},
        {"last record without ';'", "a^b^7;\r\nd^e^1", {{"a", 7}}, {{"a^b", 7}}},
        {"record without '^' is skipped", "x;a^b^7;", {{"a", 7}}, {{"a^b", 7}}},
        {"empty item text; number with blanks and junk", "^b^3;a^b^ 12xyz;", {{"a", 12}}, {{"a^b", 12}}},
        {"first of two keeps its value", "a^b^7;a^c^9;", {{"a", 7}}, {{"a^b", 7}, {"a^c", 9}}},
        {"signed and missing numbers", "n^-5;m^x^;", {{"n", -5}, {"m", 0}}, {{"n^", -5}, {"m^x", 0}}},
        {"record across a chunk boundary", padded, {{std::string(490, 'p'), 1}, {"straddle", 2}},
         {{std::string(490, 'p') + "^b", 1}, {"straddle^c", 2}}},
        {"record longer than any chunk", longText + "^m^3;z^4;", {{longText, 3}, {"z", 4}},
         {{longText + "^m", 3}, {"z^", 4}}},
        {"blank lines around records", "\r\n  a^b^1 ;\r\n\r\n\tc^d^2;  \r\n", {{"a", 1}, {"c", 2}}, {{"a^b", 1}, {"c^d", 2}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Folder folder;
        folder.Write(c.file);
        CScanItemsInfo store(folder.Path().c_str());
        // The constructor read the list for the ignore test; an ignored text is refused.
        for (const auto& entry : c.load)
            EXPECT_EQ(store.IsIgnored(entry.first.c_str(), 0x4000, nullptr), 1) << entry.first;
        EXPECT_EQ(store.ReloadIgnoreList(), 1);
        IgnoreEntryMap settings;
        EXPECT_EQ(store.GetIgnoreMap(&settings), 1);
        EXPECT_EQ(Plain(settings), c.reload);
        // Writing the settings map back gives records that read back the same.
        EXPECT_EQ(store.RewriteIgnoreList(&settings), 1);
        EXPECT_EQ(store.ReloadIgnoreList(), 1);
        IgnoreEntryMap again;
        store.GetIgnoreMap(&again);
        EXPECT_EQ(Plain(again), c.reload);
    }

    // Written records: key, "^", number, ";" CR LF, in key order.
    Folder folder;
    CScanItemsInfo store(folder.Path().c_str());
    EXPECT_EQ(Folder::Read(folder.IgnoreList()), "");  // a missing list is created empty
    IgnoreEntryMap entries;
    entries[CString("c^")] = 9;
    entries[CString("a^b")] = 7;
    EXPECT_EQ(store.RewriteIgnoreList(&entries), 1);
    EXPECT_EQ(Folder::Read(folder.IgnoreList()), "a^b^7;\r\nc^^9;\r\n");

    // A text holding ";" cannot be a record: written, "x;;y" would end the list after "a" and
    // "x;z" would leave a record "z". It is left out; its neighbours stay whole.
    entries[CString("x;;y^k")] = 1;
    entries[CString("x;z^k")] = 2;
    entries[CString("zz^k")] = 3;
    EXPECT_EQ(store.RewriteIgnoreList(&entries), 1);
    EXPECT_EQ(Folder::Read(folder.IgnoreList()), "a^b^7;\r\nc^^9;\r\nzz^k^3;\r\n");
    store.AddPendingIgnore("p;q^k", 4, 0);
    store.SetOption(1);
    EXPECT_EQ(store.AppendIgnoreList(), 1);
    EXPECT_EQ(Folder::Read(folder.IgnoreList()), "a^b^7;\r\nc^^9;\r\nzz^k^3;\r\n");
}

// AddItem's ignore test and the walk the engine makes, as one sequence of operations on one store.
TEST(ScanItemsStore, AddItemWalkAndExclusionFollowTheIgnoreList)
{
    Folder folder;
    folder.Write("HKEY_LOCAL_MACHINE\\K1^ActiveX^16384;\r\nsite.com^Cookies^8;\r\n");
    CScanItemsInfo store(folder.Path().c_str());
    const struct {
        const char* text;
        int category;
        int added;
    } adds[] = {
        {"HKEY_LOCAL_MACHINE\\K1", 0x4000, 0},   // on the list: refused
        {"HKEY_LOCAL_MACHINE\\K2", 0x4000, 1},
        {"HKEY_LOCAL_MACHINE\\K2", 0x4000, 1},   // duplicates are kept
        {"bob@site.com[1].txt", 8, 0},           // tested as "site.com"
        {"bob@other.com[2].txt", 8, 1},          // stored as reported
        {"HKEY_CURRENT_USER\\Run", 0x400, 1},
        {"site.com", 0x400, 0},
        {"K3", 0x4000, 1},
    };
    for (const auto& a : adds)
        EXPECT_EQ(store.AddItem(a.text, a.category, 0, 0), a.added) << a.text;
    EXPECT_EQ(store.GetCount(0x4000), 3);
    EXPECT_EQ(store.GetCount(8), 1);
    EXPECT_EQ(store.HasItems(0x400), 1);
    EXPECT_EQ(store.HasItems(0x800), 0);
    EXPECT_EQ(store.GetCategoryMask(), 0x4000 | 8 | 0x400);
    ScanItemTextList texts;
    EXPECT_EQ(store.GetCategoryItems(&texts, 0x800), 0);
    EXPECT_EQ(store.GetCategoryItems(&texts, 0x4000), 1);
    EXPECT_EQ(texts.size(), 3u);

    // By ascending category, each category in the order its items came.
    EXPECT_EQ(Walk(store), (std::vector<std::string>{"bob@other.com[2].txt", "HKEY_CURRENT_USER\\Run",
                                                      "HKEY_LOCAL_MACHINE\\K2", "HKEY_LOCAL_MACHINE\\K2", "K3"}));
    store.AddPendingIgnore("K3^ActiveX", 0, 0);
    store.AddPendingIgnore("other.com^Cookies", 0, 0);
    std::vector<int> excluded;
    ASSERT_EQ(store.MoveFirst(), 1);
    do
        excluded.push_back(store.IsCurrentExcluded());
    while (store.MoveNext());
    EXPECT_EQ(excluded, (std::vector<int>{1, 0, 0, 0, 1}));
    // Past the end: no text, category 0, nothing excluded.
    EXPECT_EQ(store.GetItemText(), nullptr);
    EXPECT_EQ(store.GetItemCategory(), 0);
    EXPECT_EQ(store.IsCurrentExcluded(), 0);
    EXPECT_EQ(store.MoveNext(), 0);

    // Clear empties the items and the pending entries, not the ignore list nor the mask.
    store.Clear();
    EXPECT_EQ(store.MoveFirst(), 0);
    EXPECT_EQ(store.GetItemText(), nullptr);
    EXPECT_EQ(store.GetCount(0x4000), 0);
    EXPECT_EQ(store.GetCategoryMask(), 0x4000 | 8 | 0x400);
    EXPECT_EQ(store.AddItem("HKEY_LOCAL_MACHINE\\K1", 0x4000, 0, 0), 0);
    EXPECT_EQ(store.AddItem("K3", 0x4000, 0, 0), 1);
    ASSERT_EQ(store.MoveFirst(), 1);
    EXPECT_EQ(store.IsCurrentExcluded(), 0);
}

TEST(ScanItemsStore, IgnoreEntriesPersistAndTheScanLogHasItsSections)
{
    Folder folder;
    folder.Write("a^b^7;\r\n");
    CScanItemsInfo store(folder.Path().c_str());
    EXPECT_EQ(store.AddItem("K9", 0x4000, 0, 0), 1);
    EXPECT_EQ(store.UpdateIgnoreEntry("K9", "ActiveX", 0x4000, 0), 1);
    EXPECT_EQ(Folder::Read(folder.IgnoreList()), "K9^ActiveX^16384;\r\na^b^7;\r\n");
    // The write made the next ignore test read the file again; the pending entry excludes K9.
    EXPECT_EQ(store.AddItem("K9", 0x4000, 0, 0), 0);
    ASSERT_EQ(store.MoveFirst(), 1);
    EXPECT_EQ(store.IsCurrentExcluded(), 1);

    // Appending writes the pending entries only once the option is set.
    const std::string before = Folder::Read(folder.IgnoreList());
    EXPECT_EQ(store.AppendIgnoreList(), 0);
    EXPECT_EQ(Folder::Read(folder.IgnoreList()), before);
    EXPECT_EQ(store.SetOption(1), 1);
    store.AddPendingIgnore("P^Fonts", 0x2000, 0);
    EXPECT_EQ(store.AppendIgnoreList(), 1);
    EXPECT_EQ(Folder::Read(folder.IgnoreList()), before + "K9^ActiveX^16384;\r\nP^Fonts^8192;\r\n");
    EXPECT_EQ(store.AddItem("P", 0x2000, 0, 0), 0);

    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(store.WriteScanLog(), 1);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder.Path() + "\\Scan Logs\\*.txt").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    const std::string log = Folder::Read(folder.Path() + "\\Scan Logs\\" + data.cFileName);
    const std::string body =
        "========================Items Detected During Scan=======================\r\n"
        "K9^16384;\r\n"
        "======================= Spyware Items Detected===========================\r\n"
        "======================= Items Ignored During Repair=======================\r\n"
        "K9^ActiveX^16384;\r\nP^Fonts^8192;\r\n";
    ASSERT_GT(log.size(), body.size());
    EXPECT_EQ(log.substr(0, 21), "Scan Log Created At :");
    EXPECT_EQ(log.substr(log.size() - body.size()), body);
    EXPECT_EQ(std::string(data.cFileName).substr(0, std::to_string(now.wDay).size()), std::to_string(now.wDay));
}

// Registry and file names are the same in any case, and the results tree shows such twins once:
// the user's choice on the shown one holds for every spelling. Texts holding ";" or "^" cannot
// be stored in the list: they are left out of it, and still out of the repair.
TEST(ScanItemsStore, IgnoreAndExclusionHoldForEverySpellingAndForTextsTheListCannotHold)
{
    Folder folder;
    const std::string list = "HKEY_LOCAL_MACHINE\\Soft\\Twin^Windows Fonts^16384;\r\n";
    folder.Write(list);
    CScanItemsInfo store(folder.Path().c_str());
    const struct {
        const char* text;
        int added;
    } adds[] = {
        {"HKEY_LOCAL_MACHINE\\Soft\\Twin", 0},
        {"hkey_local_machine\\SOFT\\twin", 0},
        {"HKEY_LOCAL_MACHINE\\Soft\\Twin2", 1},
        {"HKEY_CURRENT_USER\\a^b", 1},
        {"HKEY_CURRENT_USER\\c;d", 1},
        {"HKEY_CURRENT_USER\\Plain", 1},
        {"hkey_current_user\\PLAIN", 1},
        {"HKEY_CURRENT_USER\\Other", 1},
    };
    for (const auto& a : adds)
        EXPECT_EQ(store.AddItem(a.text, 0x2000, 0, 0), a.added) << a.text;
    EXPECT_EQ(store.IsIgnored("HKEY_LOCAL_MACHINE\\SOFT\\TWIN", 0x2000, nullptr), 1);
    EXPECT_EQ(store.IsIgnored("HKEY_LOCAL_MACHINE\\Soft\\Twin2", 0x2000, nullptr), 0);

    EXPECT_EQ(store.UpdateIgnoreEntry("HKEY_CURRENT_USER\\a^b", "Windows Fonts", 0x4000, 0), 1);
    EXPECT_EQ(store.UpdateIgnoreEntry("HKEY_CURRENT_USER\\c;d", "Windows Fonts", 0x4000, 0), 1);
    EXPECT_EQ(Folder::Read(folder.IgnoreList()), list);
    store.AddPendingIgnore("HKEY_CURRENT_USER\\Plain^Windows Fonts", 0, 0);
    std::vector<int> excluded;
    ASSERT_EQ(store.MoveFirst(), 1);
    do
        excluded.push_back(store.IsCurrentExcluded());
    while (store.MoveNext());
    // Twin2, a^b, c;d, Plain, PLAIN, Other.
    EXPECT_EQ(excluded, (std::vector<int>{0, 1, 1, 1, 1, 0}));
    EXPECT_EQ(store.AddItem("HKEY_LOCAL_MACHINE\\SOFT\\Twin", 0x2000, 0, 0), 0);
}
