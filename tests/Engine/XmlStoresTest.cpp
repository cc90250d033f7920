// The engine's three XML stores, created and deleted through Tarnex.dll's factory slots as the
// program does: round trips, the exact file layout, lenient reading, broken files and the read
// cursor's life.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <functional>

#include <string>
#include <vector>

#include "Support/EngineTestSupport.h"

namespace {

CAbstractSSEngineInterface* Engine()
{
    CAbstractSSEngineInterface* engine = EngineLibrary::Get().Engine();
    EXPECT_NE(engine, nullptr) << "Tarnex.dll or its Start export could not be loaded";
    return engine;
}

// A store created by the engine's factory and given back to it.
template <class Store>
struct StoreHolder;

template <>
struct StoreHolder<CAbstractServices> {
    StoreHolder() : store(Engine()->NewServices()) {}
    ~StoreHolder() { Engine()->DeleteServices(store); }
    CAbstractServices* store;
};
template <>
struct StoreHolder<CAbstractSystemHistory> {
    StoreHolder() : store(Engine()->NewSystemHistory()) {}
    ~StoreHolder() { Engine()->DeleteSystemHistory(store); }
    CAbstractSystemHistory* store;
};
template <>
struct StoreHolder<CAbstractNetSettings> {
    StoreHolder() : store(Engine()->NewNetSettings()) {}
    ~StoreHolder() { Engine()->DeleteNetSettings(store); }
    CAbstractNetSettings* store;
};

bool operator==(const ServiceItem& a, const ServiceItem& b)
{
    return a.Name == b.Name && a.DisplayName == b.DisplayName && a.Status == b.Status &&
           a.StartupType == b.StartupType;
}
bool operator==(const HistoryItemRecord& a, const HistoryItemRecord& b)
{
    return a.DateTime == b.DateTime && a.FileSizeFound == b.FileSizeFound &&
           a.FileSizeCleaned == b.FileSizeCleaned;
}
bool operator==(const NetSettingsItem& a, const NetSettingsItem& b)
{
    return a.Name == b.Name && a.Description == b.Description && a.RegistryPath == b.RegistryPath &&
           a.OldValue == b.OldValue && a.NewValue == b.NewValue;
}

std::string Show(const ServiceItem& r)
{
    return std::string(r.Name) + "|" + r.DisplayName.GetString() + "|" + std::to_string(r.Status) +
           "|" + std::to_string(r.StartupType);
}
std::string Show(const HistoryItemRecord& r)
{
    return std::string(r.DateTime) + "|" + r.FileSizeFound.GetString() + "|" +
           r.FileSizeCleaned.GetString();
}
std::string Show(const NetSettingsItem& r)
{
    return std::string(r.Name) + "|" + r.Description.GetString() + "|" +
           r.RegistryPath.GetString() + "|" + std::to_string(r.OldValue) + "|" +
           std::to_string(r.NewValue);
}

// "Café" and other text in the ANSI code page of the test's process, as a program record holds it.
CString Ansi(const wchar_t* text)
{
    char buffer[512] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof buffer, nullptr, nullptr);
    return CString(buffer);
}

class XmlStoreFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Not in the temporary folder: other tests watch that one.
        CreateDirectoryA("C:\\VelmoraTest", nullptr);
        m_folder = "C:\\VelmoraTest\\Stores";
        RemoveFiles();
        CreateDirectoryA(m_folder.c_str(), nullptr);
    }
    void TearDown() override
    {
        RemoveFiles();
        RemoveDirectoryA(m_folder.c_str());
        RemoveDirectoryA("C:\\VelmoraTest");
    }

    std::string PathOf(const char* name) const { return m_folder + "\\" + name; }

    static std::string ReadFile(const std::string& path)
    {
        std::string data;
        FILE* f = fopen(path.c_str(), "rb");
        if (!f)
            return "<missing>";
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
            data.append(buffer, n);
        fclose(f);
        return data;
    }
    static void WriteFile(const std::string& path, const std::string& data)
    {
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr) << path;
        fwrite(data.data(), 1, data.size(), f);
        fclose(f);
    }

    template <class Store, class Record>
    void WriteStore(const std::string& path, const std::vector<Record>& records)
    {
        StoreHolder<Store> holder;
        ASSERT_NE(holder.store, nullptr);
        ASSERT_EQ(holder.store->Create(path.c_str()), 1);
        for (const Record& r : records)
            ASSERT_EQ(holder.store->AddItem(&r), 1) << Show(r);
        EXPECT_EQ(holder.store->Save(), 1);
        EXPECT_EQ(holder.store->Close(), 1);
    }

    // Opens the file and walks it to the end; the read after the last item leaves out untouched.
    template <class Store, class Record>
    std::vector<Record> ReadStore(const std::string& path, const Record& sentinel)
    {
        std::vector<Record> out;
        StoreHolder<Store> holder;
        EXPECT_NE(holder.store, nullptr);
        if (!holder.store || holder.store->Open(path.c_str()) != 1)
            return out;
        Record r;
        for (int more = holder.store->GetFirstItem(&r); more; more = holder.store->GetNextItem(&r))
            out.push_back(r);
        Record untouched = sentinel;
        EXPECT_EQ(holder.store->GetNextItem(&untouched), 0);
        EXPECT_TRUE(untouched == sentinel) << "the read after the end changed the record";
        EXPECT_EQ(holder.store->Close(), 1);
        return out;
    }

    template <class Store, class Record>
    void ExpectRoundTrip(const char* name, const std::vector<Record>& records, const Record& sentinel)
    {
        const std::string path = PathOf(name);
        WriteStore<Store>(path, records);
        std::vector<Record> back = ReadStore<Store>(path, sentinel);
        ASSERT_EQ(back.size(), records.size()) << ReadFile(path);
        for (size_t i = 0; i < records.size(); ++i)
            EXPECT_TRUE(back[i] == records[i]) << Show(back[i]) << " vs " << Show(records[i]);
    }

private:
    void RemoveFiles()
    {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((m_folder + "\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return;
        do {
            DeleteFileA((m_folder + "\\" + data.cFileName).c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }

    std::string m_folder;
};

ServiceItem Service(const CString& name, const CString& display, int status, int startup)
{
    ServiceItem item;
    item.Name = name;
    item.DisplayName = display;
    item.Status = status;
    item.StartupType = startup;
    return item;
}

HistoryItemRecord History(const char* when, const char* found, const char* cleaned)
{
    HistoryItemRecord item;
    item.DateTime = when;
    item.FileSizeFound = found;
    item.FileSizeCleaned = cleaned;
    return item;
}

NetSettingsItem NetSetting(const CString& name, const CString& description, const char* path,
                           int oldValue, int newValue)
{
    NetSettingsItem item;
    item.Name = name;
    item.Description = description;
    item.RegistryPath = path;
    item.OldValue = oldValue;
    item.NewValue = newValue;
    return item;
}

const char* const Declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\r\n";

}  // namespace

// Every store gives back exactly what it was given: markup characters, text outside ASCII,
// empty texts, negative and extreme numbers.
TEST_F(XmlStoreFiles, EveryStoreRoundTripsItsRecordsExactly)
{
    const CString cafe = Ansi(L"Caf\u00e9");
    ExpectRoundTrip<CAbstractServices>(
        "services.xml",
        std::vector<ServiceItem>{Service("Spooler", "Print Spooler", 4, 2),
                                 Service("A&B<\"'>", cafe, 1, 4), Service("", "", -1, 2147483647),
                                 Service(cafe, Ansi(L"\u00e9t\u00e9 \u00fcber"), -2147483647 - 1, 0)},
        Service("sentinel", "untouched", 99, 99));
    ExpectRoundTrip<CAbstractSystemHistory>(
        "history.xml",
        std::vector<HistoryItemRecord>{History("07/03/2024 10:15:00 AM", "12.5 MB", "12.5 MB"),
                                       History("", "<&>", "\"'"), History("x", "0", "")},
        History("sentinel", "a", "b"));
    ExpectRoundTrip<CAbstractNetSettings>(
        "net.xml",
        std::vector<NetSettingsItem>{
            NetSetting("DefaultTTL", cafe, "HKEY_LOCAL_MACHINE\\SYSTEM\\Tcpip\\Parameters", 128, 64),
            NetSetting("", "", "", 0, -1)},
        NetSetting("sentinel", "s", "s", 7, 7));
}

// The file the services booster keeps is laid out exactly like this: the declaration, the root
// "AllServices" and one "ServiceItem" per record with its attributes in this order, text as
// UTF-8 (the record's "Café" is the ANSI byte E9, the file holds C3 A9).
TEST_F(XmlStoreFiles, ServicesFileHasTheExactSrvsStatsLayout)
{
    const std::string path = PathOf("SRVS_STATS.xml");
    WriteStore<CAbstractServices>(path, std::vector<ServiceItem>{Service("Spooler", "Print Spooler", 4, 2),
                                                                 Service("Fax", Ansi(L"Caf\u00e9"), 1, 3)});
    EXPECT_EQ(ReadFile(path), std::string(Declaration) +
                                  "<AllServices>\r\n"
                                  "    <ServiceItem Name=\"Spooler\" DisplayName=\"Print Spooler\" Status=\"4\" StartupType=\"2\" />\r\n"
                                  "    <ServiceItem Name=\"Fax\" DisplayName=\"Caf\xC3\xA9\" Status=\"1\" StartupType=\"3\" />\r\n"
                                  "</AllServices>\r\n");
}

// Create, Save and Close alone write the declaration, the root and the list element.
TEST_F(XmlStoreFiles, EmptyStoresWriteTheirSkeleton)
{
    WriteStore<CAbstractServices>(PathOf("s.xml"), std::vector<ServiceItem>{});
    WriteStore<CAbstractSystemHistory>(PathOf("h.xml"), std::vector<HistoryItemRecord>{});
    WriteStore<CAbstractNetSettings>(PathOf("n.xml"), std::vector<NetSettingsItem>{});
    EXPECT_EQ(ReadFile(PathOf("s.xml")), std::string(Declaration) + "<AllServices />\r\n");
    EXPECT_EQ(ReadFile(PathOf("h.xml")),
              std::string(Declaration) + "<History>\r\n    <HistoryItems />\r\n</History>\r\n");
    EXPECT_EQ(ReadFile(PathOf("n.xml")),
              std::string(Declaration) +
                  "<OptimizedSettings>\r\n    <ChangedSettings />\r\n</OptimizedSettings>\r\n");
    WriteStore<CAbstractNetSettings>(PathOf("n1.xml"),
                                     std::vector<NetSettingsItem>{NetSetting("N", "D", "P", 1, 2)});
    EXPECT_EQ(ReadFile(PathOf("n1.xml")),
              std::string(Declaration) +
                  "<OptimizedSettings>\r\n    <ChangedSettings>\r\n"
                  "        <OptimizedItem Description=\"D\" Name=\"N\" RegistryPath=\"P\" OldValue=\"1\" NewValue=\"2\" />\r\n"
                  "    </ChangedSettings>\r\n</OptimizedSettings>\r\n");
}

// Files written by others: names in any case, every child element counts as an item, missing
// attributes read as empty text and 0, and a file that is not valid UTF-8 keeps its bytes.
TEST_F(XmlStoreFiles, ReadingIsLenientAboutNamesAndMissingAttributes)
{
    WriteFile(PathOf("s.xml"),
              "<?xml version=\"1.0\"?><allservices><servicEitem name=\"x\" STATUS=\"3\"/>"
              "<Other Name=\"y\" displayname=\"Y\" startuptype=\"4\"/><!-- note --></allservices>");
    std::vector<ServiceItem> services = ReadStore<CAbstractServices>(PathOf("s.xml"), ServiceItem());
    ASSERT_EQ(services.size(), 2u);
    EXPECT_EQ(Show(services[0]), "x||3|0");
    EXPECT_EQ(Show(services[1]), "y|Y|0|4");

    WriteFile(PathOf("h.xml"),
              "<H><Other/><historyitems><Entry datetime=\"d\" filesizecleaned=\"c\"/></historyitems></H>");
    std::vector<HistoryItemRecord> history = ReadStore<CAbstractSystemHistory>(PathOf("h.xml"), HistoryItemRecord());
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(Show(history[0]), "d||c");

    // Written in the ANSI code page by hand, declared as nothing: the byte stays as it was.
    WriteFile(PathOf("n.xml"),
              "<OptimizedSettings><changedsettings><I name=\"Caf\xE9\" oldvalue=\"-5\"/>"
              "</changedsettings></OptimizedSettings>");
    std::vector<NetSettingsItem> net = ReadStore<CAbstractNetSettings>(PathOf("n.xml"), NetSettingsItem());
    ASSERT_EQ(net.size(), 1u);
    EXPECT_EQ(Show(net[0]), "Caf\xE9|||-5|0");
}

// A file whose root lacks the list element takes no item, and saving it adds none.
TEST_F(XmlStoreFiles, AddItemWithoutListElementAddsNothing)
{
    const std::string path = PathOf("h.xml");
    WriteFile(path, "<History><Other /></History>");
    StoreHolder<CAbstractSystemHistory> holder;
    ASSERT_EQ(holder.store->Open(path.c_str()), 1);
    HistoryItemRecord item = History("d", "f", "c");
    EXPECT_EQ(holder.store->AddItem(&item), 0);
    EXPECT_EQ(holder.store->AddItem(nullptr), 0);
    EXPECT_EQ(holder.store->GetFirstItem(&item), 0);
    EXPECT_EQ(holder.store->Save(), 1);
    EXPECT_EQ(ReadFile(path).find("HistoryItem"), std::string::npos) << ReadFile(path);
    holder.store->Close();
}

// A missing, empty, malformed or truncated file fails Open and leaves no document behind: the
// read slots give nothing, AddItem adds nothing and Save writes nothing.
TEST_F(XmlStoreFiles, BrokenFilesFailOpenCleanly)
{
    const std::string good = PathOf("good.xml");
    WriteStore<CAbstractServices>(good, std::vector<ServiceItem>{Service("Spooler", "Print Spooler", 4, 2),
                                                                 Service("Fax", "Fax", 1, 3)});
    const std::string whole = ReadFile(good);
    const size_t end = whole.rfind("</AllServices>");
    ASSERT_NE(end, std::string::npos);

    std::vector<std::string> broken = {"", "   ", "<AllServices>", "<AllServices><ServiceItem Name=\"x\"",
                                       "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>",
                                       "<AllServices></Other>", "not xml at all",
                                       "<AllServices><ServiceItem Name=\"x\" Name=\"y\" /></AllServices>"};
    // Every cut of a saved file short of its root's end tag.
    for (size_t cut = 0; cut < end + strlen("</AllServices>"); cut += 7)
        broken.push_back(whole.substr(0, cut));
    broken.push_back(whole.substr(0, end + strlen("</AllServices>") - 1));

    const std::string path = PathOf("broken.xml");
    for (const std::string& content : broken) {
        WriteFile(path, content);
        StoreHolder<CAbstractServices> holder;
        EXPECT_EQ(holder.store->Open(path.c_str()), 0) << "[" << content << "]";
        ServiceItem item = Service("sentinel", "s", 5, 5);
        EXPECT_EQ(holder.store->GetFirstItem(&item), 0);
        EXPECT_EQ(holder.store->GetNextItem(&item), 0);
        EXPECT_EQ(item.Name, "sentinel");
        EXPECT_EQ(holder.store->AddItem(&item), 0);
        EXPECT_EQ(holder.store->Save(), 0);
        EXPECT_EQ(ReadFile(path), content) << "a failed Open must leave the file alone";
        EXPECT_EQ(holder.store->Close(), 1);
    }

    StoreHolder<CAbstractServices> holder;
    EXPECT_EQ(holder.store->Open(PathOf("missing.xml").c_str()), 0);
    ServiceItem item;
    EXPECT_EQ(holder.store->GetFirstItem(&item), 0);
    EXPECT_EQ(holder.store->Open(nullptr), 0);
    EXPECT_EQ(holder.store->Create(nullptr), 0);
    EXPECT_EQ(holder.store->AddItem(&item), 0);
    EXPECT_EQ(holder.store->Save(), 0);
    EXPECT_EQ(ReadFile(PathOf("missing.xml")), "<missing>");
}

// Close, Create and Open all drop the read position with the document it pointed into; the next
// GetNextItem reads nothing instead of a freed element, and GetFirstItem starts over.
TEST_F(XmlStoreFiles, DocumentChangesResetTheReadPosition)
{
    const std::string first = PathOf("first.xml");
    const std::string second = PathOf("second.xml");
    WriteStore<CAbstractServices>(first, std::vector<ServiceItem>{Service("a", "", 0, 0), Service("b", "", 0, 0),
                                                                  Service("c", "", 0, 0)});
    WriteStore<CAbstractServices>(second, std::vector<ServiceItem>{Service("z", "", 0, 0)});
    WriteFile(PathOf("bad.xml"), "<AllServices>");

    struct Change {
        const char* name;
        std::function<int(CAbstractServices*)> apply;
        int expected;
    };
    const std::vector<Change> changes = {
        {"Close", [](CAbstractServices* s) { return s->Close(); }, 1},
        {"Create", [&](CAbstractServices* s) { return s->Create(second.c_str()); }, 1},
        {"failed Open", [&](CAbstractServices* s) { return s->Open(PathOf("bad.xml").c_str()); }, 0},
        {"Open", [&](CAbstractServices* s) { return s->Open(second.c_str()); }, 1},
    };
    for (const Change& change : changes) {
        StoreHolder<CAbstractServices> holder;
        ASSERT_EQ(holder.store->Open(first.c_str()), 1);
        ServiceItem item;
        ASSERT_EQ(holder.store->GetFirstItem(&item), 1);
        EXPECT_EQ(item.Name, "a");
        EXPECT_EQ(change.apply(holder.store), change.expected) << change.name;
        item = Service("sentinel", "", 0, 0);
        EXPECT_EQ(holder.store->GetNextItem(&item), 0) << change.name;
        EXPECT_EQ(item.Name, "sentinel") << change.name;
        if (change.expected == 1 && std::string(change.name) == "Open") {
            ASSERT_EQ(holder.store->GetFirstItem(&item), 1);
            EXPECT_EQ(item.Name, "z");
        }
    }
    // Reopening the same store object reads the new file from its start.
    StoreHolder<CAbstractServices> holder;
    ServiceItem item;
    ASSERT_EQ(holder.store->Open(first.c_str()), 1);
    ASSERT_EQ(holder.store->GetFirstItem(&item), 1);
    ASSERT_EQ(holder.store->GetNextItem(&item), 1);
    EXPECT_EQ(item.Name, "b");
    ASSERT_EQ(holder.store->GetFirstItem(&item), 1);
    EXPECT_EQ(item.Name, "a");
}
