// Registry backup, repair and restore driven through Tarnex.dll as the program drives them: the
// found-items store planted with items of every form, the backup file the repair writes first,
// the restore of that file, and everything that must make the repair delete nothing.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "Client/Scan/ScanItemsInfo.h"
#include "Engine/ProcessTerminator.h"
#include "Engine/RegistryManager.h"
#include "Engine/XmlStream.h"
#include "RegistryFixture.h"
#include "Support/EngineTestSupport.h"

namespace {

const std::string Sep(1, ValueSeparator);

// Runs one task to its end and returns the worker's exit code (-99 when it did not start).
int RunForExitCode(CAbstractProcess* process, RecordingStatus& status, int taskType,
                   const std::function<int()>& start)
{
    status.Watch(process);
    status.ExpectFinal(taskType);
    if (start() != 1)
        return -99;
    HANDLE worker = nullptr;
    DuplicateHandle(GetCurrentProcess(), process->GetThreadHandle(), GetCurrentProcess(), &worker, 0,
                    FALSE, DUPLICATE_SAME_ACCESS);
    process->ResumeTask();
    EXPECT_TRUE(status.WaitFinished(60000));
    WaitForSingleObject(worker, 60000);
    DWORD code = 0;
    GetExitCodeThread(worker, &code);
    CloseHandle(worker);
    for (int i = 0; i < 2000 && process->GetThreadHandle(); ++i)
        Sleep(1);
    return int(code);
}

int RunRepair(CAbstractProcess* process, RecordingStatus& status, CAbstractScanItemsInfo* items, int backup)
{
    return RunForExitCode(process, status, TaskRegistryRepair,
                          [&] { return process->StartRegistryRepair(items, &status, backup); });
}

std::string ProgramFolder()
{
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    const std::string path = module;
    return path.substr(0, path.rfind('\\'));
}

std::string BackupRoot()
{
    return ProgramFolder() + "\\TarnexRegBackup";
}

// The folder as the Restore Center derives it: computer name, volume serial of the Windows
// drive and the user name, each part only when its query succeeds, the user name asked for with
// the size the computer-name query left behind.
std::string ExpectedBackupFolder()
{
    std::string name;
    char computer[1024] = {};
    DWORD size = sizeof(computer);
    if (GetComputerNameA(computer, &size))
        name += std::string(computer) + "-";
    char windows[MAX_PATH] = {};
    DWORD serial = 0;
    if (SHGetFolderPathA(nullptr, CSIDL_WINDOWS, nullptr, 0, windows) == S_OK &&
        GetVolumeInformationA(std::string(windows, 3).c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        name += std::to_string(serial) + "-";
    char user[1024] = {};
    if (GetUserNameA(user, &size))
        name += user;
    return BackupRoot() + "\\" + name;
}

// The local time now.
FILETIME LocalTimeNow()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    FILETIME time;
    SystemTimeToFileTime(&now, &time);
    return time;
}

// The name a backup made `seconds` after the local time `start` takes:
// "DDMMYYYY_HHMMSS_REGBACKUP." and the extension.
std::string BackupNameAt(const FILETIME& start, int seconds, const char* extension)
{
    ULARGE_INTEGER t;
    t.LowPart = start.dwLowDateTime;
    t.HighPart = start.dwHighDateTime;
    t.QuadPart += ULONGLONG(seconds) * 10000000ULL;
    FILETIME f{t.LowPart, t.HighPart};
    SYSTEMTIME st;
    FileTimeToSystemTime(&f, &st);
    char name[64];
    snprintf(name, sizeof(name), "%02d%02d%04d_%02d%02d%02d_REGBACKUP.%s", st.wDay, st.wMonth, st.wYear,
             st.wHour, st.wMinute, st.wSecond, extension);
    return name;
}

std::set<std::string> FilesIn(const std::string& folder)
{
    std::set<std::string> files;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.insert(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return files;
}

// The backups a test wrote: every file that was not there before, deleted at the end.
class NewBackups {
public:
    NewBackups() : m_folder(ExpectedBackupFolder()), m_before(FilesIn(m_folder)) {}
    ~NewBackups()
    {
        for (const std::string& file : Files())
            DeleteFileA((m_folder + "\\" + file).c_str());
    }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> files;
        for (const std::string& file : FilesIn(m_folder))
            if (!m_before.count(file))
                files.push_back(file);
        return files;
    }
    std::string Path(const std::string& file) const { return m_folder + "\\" + file; }
    const std::string& Folder() const { return m_folder; }

private:
    std::string m_folder;
    std::set<std::string> m_before;
};

// The real store, with the text values only a test can give (the engine repairs the low
// categories only for texts the store gives a value above 0).
class TestStore : public CScanItemsInfo {
public:
    explicit TestStore(const std::string& folder) : CScanItemsInfo(folder.c_str()) {}
    int GetTextValue(const char* text) override
    {
        const auto found = textValues.find(text ? text : "");
        return found == textValues.end() ? CScanItemsInfo::GetTextValue(text) : found->second;
    }
    std::map<std::string, int> textValues;
};

std::string Sz(const std::string& text)
{
    return text + std::string(1, '\0');
}

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += char(b);
    return s;
}

std::vector<std::string> StatusTexts(RecordingStatus& status)
{
    std::vector<std::string> texts;
    for (const StatusCall& call : status.CallsOf("OnStatusText"))
        texts.push_back(call.text);
    return texts;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Every key of a backup document lies on the way to, or inside, one of the fixtures.
void ExpectOnlyFixtureKeys(const std::string& file, const std::vector<const FixtureKey*>& fixtures)
{
    CRegistryManager manager(nullptr, nullptr);
    CRegistryDocument document;
    ASSERT_TRUE(manager.ReadDocument(file.c_str(), false, document)) << manager.GetErrorText().GetString();
    for (const RegistryDocumentKey& key : document.Keys()) {
        const std::string path = std::string(key.rootName) + "\\" + key.keyPath.GetString();
        bool inside = false;
        for (const FixtureKey* fixture : fixtures) {
            const std::string full = fixture->Full();
            inside = inside || full.compare(0, path.size(), path) == 0 ||
                     path.compare(0, full.size(), full) == 0;
        }
        EXPECT_TRUE(inside) << path;
    }
}

}  // namespace

// The main promise: repair with a backup, then the backup restores the subtree exactly (what the
// format cannot keep is listed where the fixture is built).
TEST(RegistryBackup, RepairThenRestoreGivesBackEveryKeyAndValue)
{
    FixtureKey user("roundtrip");
    FixtureKey machine("roundtrip", HKEY_LOCAL_MACHINE);
    TempFolder folder("roundtrip");
    const std::string awkward = "Awk&\"<'>\xE9\x80";

    struct Planted {
        const char* name;
        DWORD type;
        std::string data;
    };
    const Planted values[] = {
        {nullptr, REG_SZ, Sz("x")},
        {"sz", REG_SZ, Sz("hello")},
        {"expand", REG_EXPAND_SZ, Sz("%SystemRoot%\\x")},
        {"multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
        {"dword", REG_DWORD, Bytes({0xff, 0xff, 0xff, 0xff})},
        {"big endian", REG_DWORD_BIG_ENDIAN, Bytes({0x12, 0x34, 0x56, 0x78})},
        {"qword", REG_QWORD, Bytes({8, 7, 6, 5, 4, 3, 2, 1})},
        {"binary", REG_BINARY, Bytes({0x00, 0xab, 0xff})},
        {"none", REG_NONE, Bytes({'n', 0})},
        {"binary empty", REG_BINARY, ""},
        {"q&\"<'>\xE9\xFF", REG_SZ, Sz("it's > & < \" \xE9\r\nnext line")},
    };
    for (const Planted& v : values)
        ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Values"), v.name, v.type, v.data));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub(awkward + "\\Deep\\Er"), "v", REG_SZ, Sz("deep")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub(awkward), awkward.c_str(), REG_SZ, Sz(awkward)));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, user.Sub(awkward + "\\Empty")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Run"), "Prog", REG_SZ, Sz("C:\\gone\\prog.exe")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Run"), "Other", REG_SZ, Sz("C:\\windows\\notepad.exe")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, user.Sub("StartMenu\\Gone")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("RKey"), nullptr, REG_SZ, Sz("x")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Fonts"), "Gone.ttf", REG_SZ, Sz("C:\\gone.ttf")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("SharedDLLs"), "C:\\gone.dll", REG_DWORD, Bytes({1, 0, 0, 0})));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Folders"), "C:\\gone\\", REG_SZ, Sz("")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Uninstall\\App"), "UninstallString", REG_SZ, Sz("C:\\gone\\u.exe")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("LocalReg\\{0001}\\InprocServer32"), nullptr, REG_SZ, Sz("gone.dll")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Help"), "gone.hlp", REG_SZ, Sz("C:\\gone")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Paths"), "Ref", REG_SZ, Sz("C:\\gone\\ref.txt")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Classes\\.xyz"), nullptr, REG_SZ, Sz("xyzfile")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Mask800"), "v", REG_SZ, Sz("1")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, user.Sub("EmptyKey")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("Excluded"), "v", REG_SZ, Sz("keep")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("LowBit"), "v", REG_SZ, Sz("keep")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, user.Sub("LowValued\\Sub"), "v", REG_BINARY, Bytes({1, 2})));
    ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, machine.Sub("App Paths\\gone.exe"), nullptr, REG_SZ, Sz("C:\\gone.exe")));
    ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, machine.Sub("App Paths\\gone.exe"), "Path", REG_SZ, Sz("C:\\")));
    const std::string shortcut = folder.File("gone.lnk");
    ASSERT_TRUE(WriteWholeFile(shortcut, "lnk"));

    const RegistryDump userBefore = Dump(HKEY_CURRENT_USER, user.Path());
    const RegistryDump machineBefore = Dump(HKEY_LOCAL_MACHINE, machine.Path());

    TestStore store(folder.Path());
    const struct {
        std::string text;
        int category;
    } items[] = {
        {user.Full("Values"), 0x800000},
        {user.Full(awkward), 0x4000},
        {user.Full("Run") + Sep + "Prog", 0x400},
        {user.Full("StartMenu\\Gone"), 0x400},
        {user.Full("RKey") + Sep + "(Default)", 0x400},
        {user.Full("Fonts") + Sep + "Gone.ttf", 0x2000},
        {user.Full("SharedDLLs") + Sep + "C:\\gone.dll", 0x80000},
        {user.Full("Folders") + Sep + "C:\\gone\\", 0x100000},
        {user.Full("Uninstall\\App"), 0x100000},
        {user.Full("LocalReg\\{0001}"), 0x200000},
        {user.Full("Help") + Sep + "gone.hlp", 0x200000},
        {user.Full("Paths") + Sep + "Ref", 0x400000},
        {user.Full("Classes\\.xyz"), 0x1000},
        {user.Full("Mask800"), 0x800},
        {user.Full("EmptyKey"), 0x800000},
        {user.Full("Excluded"), 0x4000},
        {user.Full("LowBit"), 0x1},
        {user.Full("LowValued"), 0x2},
        {machine.Full("App Paths\\gone.exe"), 0x40000},
        {shortcut, 0x8000},
    };
    for (const auto& item : items)
        ASSERT_EQ(store.AddItem(item.text.c_str(), item.category, 0, 0), 1) << item.text;
    store.AddPendingIgnore((user.Full("Excluded") + "^ActiveX").c_str(), 0, 0);
    store.textValues[user.Full("LowValued")] = 1;  // a low category is repaired only with a value

    NewBackups backups;
    EngineProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunRepair(process.Get(), status, &store, 1), 0);
    const std::vector<std::string> texts = StatusTexts(status);
    ASSERT_GE(texts.size(), 3u);
    EXPECT_EQ(texts[0], "Creating registry backup");
    EXPECT_EQ(texts[1], "Repairing registry item(s)");
    EXPECT_TRUE(status.CallsOf("OnResult").empty());

    // What the repair removed.
    const std::string u = user.Path();
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, u + "\\Values"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, u + "\\" + awkward));
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, u + "\\Run", "Prog"));
    EXPECT_TRUE(ValuePresent(HKEY_CURRENT_USER, u + "\\Run", "Other"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, u + "\\StartMenu\\Gone"));
    EXPECT_EQ(Dump(HKEY_CURRENT_USER, u + "\\RKey").values.at("\n"), (DumpedValue{REG_SZ, Sz("")}));
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, u + "\\Fonts", "Gone.ttf"));
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, u + "\\SharedDLLs", "C:\\gone.dll"));
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, u + "\\Folders", "C:\\gone\\"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, u + "\\Folders"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, u + "\\Uninstall\\App"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, u + "\\LocalReg\\{0001}"));
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, u + "\\Help", "gone.hlp"));
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, u + "\\Paths", "Ref"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, u + "\\Classes\\.xyz"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, u + "\\Mask800"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, u + "\\EmptyKey"));
    EXPECT_TRUE(ValuePresent(HKEY_CURRENT_USER, u + "\\Excluded", "v"));
    EXPECT_TRUE(ValuePresent(HKEY_CURRENT_USER, u + "\\LowBit", "v"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, u + "\\LowValued"));
    EXPECT_FALSE(KeyPresent(HKEY_LOCAL_MACHINE, machine.Sub("App Paths\\gone.exe")));
    EXPECT_FALSE(FileExists(shortcut));

    // Exactly one complete backup, and nothing in it from outside the fixtures.
    const std::vector<std::string> files = backups.Files();
    ASSERT_EQ(files.size(), 1u);
    ASSERT_EQ(files[0].size(), std::string("DDMMYYYY_HHMMSS_REGBACKUP.rbk").size());
    EXPECT_EQ(files[0].substr(15), "_REGBACKUP.rbk");
    ExpectOnlyFixtureKeys(backups.Path(files[0]), {&user, &machine});
    EXPECT_EQ(ReadWholeFile(backups.Path(files[0])).find("Excluded"), std::string::npos);

    EXPECT_EQ(process->ImportRegistryFile(nullptr, backups.Path(files[0]).c_str()), 1);

    // The format's own limits, for the values of the keys the backup holds.
    RegistryDump userExpected = userBefore;
    userExpected.values["Values\nbig endian"] = {REG_DWORD, Bytes({0x78, 0x56, 0x34, 0x12})};
    userExpected.values["Values\nnone"] = {REG_SZ, Sz("n")};
    userExpected.values["Values\nbinary empty"] = {REG_BINARY, Bytes({0})};
    const RegistryDump userAfter = Dump(HKEY_CURRENT_USER, user.Path());
    EXPECT_EQ(userAfter.keys, userExpected.keys);
    for (const auto& v : userExpected.values) {
        SCOPED_TRACE(v.first);
        const auto found = userAfter.values.find(v.first);
        ASSERT_NE(found, userAfter.values.end());
        EXPECT_EQ(found->second, v.second);
    }
    EXPECT_EQ(userAfter.values.size(), userExpected.values.size());
    EXPECT_TRUE(Dump(HKEY_LOCAL_MACHINE, machine.Path()) == machineBefore);
}

// Many found values of one key (a shared-DLL list) and a found value inside a found key tree:
// the backup holds each key once, chains in the order the list first names them, and still
// restores everything the repair removed.
TEST(RegistryBackup, EachKeyIsBackedUpOnceHoweverManyItemsNameIt)
{
    FixtureKey fixture("once");
    TempFolder folder("once");
    const std::string shared = fixture.Sub("SharedDLLs");
    for (int i = 0; i < 200; ++i) {
        const std::string name = "C:\\gone\\lib" + std::to_string(i) + ".dll";
        ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, shared, name.c_str(), REG_DWORD, Bytes({i % 7 + 1, 0, 0, 0})));
    }
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Tree"), "top", REG_SZ, Sz("t")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Tree\\Help"), "gone.hlp", REG_SZ, Sz("C:\\gone")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Tree\\Help\\Deeper"), "x", REG_BINARY, Bytes({1, 2, 3})));
    const RegistryDump before = Dump(HKEY_CURRENT_USER, fixture.Path());

    TestStore store(folder.Path());
    const auto addShared = [&](int from, int to) {
        for (int i = from; i < to; ++i)
            store.AddItem((fixture.Full("SharedDLLs") + Sep + "C:\\gone\\lib" + std::to_string(i) + ".dll").c_str(),
                          0x80000, 0, 0);
    };
    addShared(0, 75);
    store.AddItem(fixture.Full("Tree").c_str(), 0x100000, 0, 0);
    addShared(75, 150);
    store.AddItem((fixture.Full("Tree\\Help") + Sep + "gone.hlp").c_str(), 0x200000, 0, 0);

    NewBackups backups;
    EngineProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunRepair(process.Get(), status, &store, 1), 0);
    EXPECT_EQ(StatusTexts(status)[1], "Repairing registry item(s)");
    EXPECT_EQ(Dump(HKEY_CURRENT_USER, shared).values.size(), 50u);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, fixture.Sub("Tree")));

    const std::vector<std::string> files = backups.Files();
    ASSERT_EQ(files.size(), 1u);
    const std::string file = backups.Path(files[0]);
    CRegistryManager manager(nullptr, nullptr);
    CRegistryDocument document;
    ASSERT_TRUE(manager.ReadDocument(file.c_str(), false, document)) << manager.GetErrorText().GetString();
    // Key path -> how often the document holds it, and where it first appears.
    std::map<std::string, int> counts;
    std::vector<std::string> order;
    for (const RegistryDocumentKey& key : document.Keys()) {
        const std::string path = key.keyPath.GetString();
        if (path.compare(0, fixture.Path().size(), fixture.Path()) != 0 || path == fixture.Path())
            continue;
        if (counts[path]++ == 0)
            order.push_back(path.substr(fixture.Path().size() + 1));
        if (path == shared) {
            EXPECT_EQ(key.values.size(), 200u);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"SharedDLLs", "Tree", "Tree\\Help", "Tree\\Help\\Deeper"}));
    for (const auto& count : counts)
        EXPECT_EQ(count.second, 1) << count.first;
    const std::string text = ReadWholeFile(file);
    EXPECT_EQ(text.find("lib7.dll"), text.rfind("lib7.dll"));
    EXPECT_EQ(text.find("gone.hlp"), text.rfind("gone.hlp"));

    EXPECT_EQ(process->ImportRegistryFile(nullptr, file.c_str()), 1);
    EXPECT_TRUE(Dump(HKEY_CURRENT_USER, fixture.Path()) == before);
}

// The backup file's name, folder and bytes, for a small key and for an empty list.
TEST(RegistryBackup, BackupFileIsExactlyTheDocumentFormatInItsFolder)
{
    FixtureKey fixture("golden");
    const std::string k = fixture.Sub("K");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, k, nullptr, REG_SZ, Sz("x")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, k, "d", REG_DWORD, Bytes({31, 0, 0, 0})));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, k + "\\E"));
    TempFolder folder("golden");
    const std::string name = fixture.Path().substr(fixture.Path().find('\\') + 1);
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    const struct {
        const char* label;
        bool withItem;
        std::string document;
    } cases[] = {
        {"one key", true,
         declaration + " <registry>\r\n  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Software\">\r\n"
         "    <k name=\"" + name + "\">\r\n     <k name=\"K\">\r\n"
         "      <v name=\"(Default)\" value=\"x\"/>\r\n"
         "      <v name=\"d\" value=\"0x0000001f (31)\" type=\"REG_DWORD\"/>\r\n"
         "      <k name=\"E\"/>\r\n     </k>\r\n    </k>\r\n   </k>\r\n  </k>\r\n </registry>\r\n"},
        {"empty list", false, declaration + " <registry>\r\n </registry>\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TestStore store(folder.Path());
        // A low category the real store never gives a value: backed up, not repaired.
        if (c.withItem)
            store.AddItem(fixture.Full("K").c_str(), 0x1, 0, 0);
        NewBackups backups;
        EngineProcess process;
        RecordingStatus status;
        SYSTEMTIME before, after;
        GetLocalTime(&before);
        EXPECT_EQ(RunRepair(process.Get(), status, &store, 1), 0);
        GetLocalTime(&after);
        EXPECT_EQ(StatusTexts(status),
                  (std::vector<std::string>{"Creating registry backup", "Repairing registry item(s)", ""}));
        const std::vector<std::string> files = backups.Files();
        ASSERT_EQ(files.size(), 1u);
        EXPECT_EQ(ReadWholeFile(backups.Path(files[0])), c.document);

        // "DDMMYYYY_HHMMSS_REGBACKUP.rbk" from the local time of the task.
        const std::string& file = files[0];
        ASSERT_EQ(file.size(), 29u);
        SYSTEMTIME stamp = {};
        stamp.wDay = WORD(std::stoi(file.substr(0, 2)));
        stamp.wMonth = WORD(std::stoi(file.substr(2, 2)));
        stamp.wYear = WORD(std::stoi(file.substr(4, 4)));
        stamp.wHour = WORD(std::stoi(file.substr(9, 2)));
        stamp.wMinute = WORD(std::stoi(file.substr(11, 2)));
        stamp.wSecond = WORD(std::stoi(file.substr(13, 2)));
        EXPECT_EQ(file.substr(8, 1) + file.substr(15), "__REGBACKUP.rbk");
        FILETIME f0, f1, fs;
        SystemTimeToFileTime(&before, &f0);
        SystemTimeToFileTime(&after, &f1);
        ASSERT_TRUE(SystemTimeToFileTime(&stamp, &fs));
        const auto ticks = [](const FILETIME& f) { return (ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
        EXPECT_GE(ticks(fs) + 20000000ULL, ticks(f0));
        EXPECT_LE(ticks(fs), ticks(f1) + 20000000ULL);
    }
    // The user name is part of the folder only when it is shorter than the computer name.
    char computer[1024] = {}, user[1024] = {};
    DWORD size = sizeof(computer), userSize = sizeof(user);
    ASSERT_TRUE(GetComputerNameA(computer, &size));
    ASSERT_TRUE(GetUserNameA(user, &userSize));
    const std::string expectedFolder = ExpectedBackupFolder();
    if (strlen(user) >= strlen(computer))
        EXPECT_EQ(expectedFolder.back(), '-');
    else
        EXPECT_EQ(expectedFolder.substr(expectedFolder.size() - strlen(user)), user);
    EXPECT_EQ(expectedFolder.compare(0, BackupRoot().size() + 1 + strlen(computer) + 1,
                                     BackupRoot() + "\\" + computer + "-"), 0);
}

// A repair whose backup cannot be made complete deletes nothing at all, says so, and leaves no
// backup file behind.
TEST(RegistryBackup, RepairWithAFailedBackupDeletesNothing)
{
    const std::string root = BackupRoot();
    const std::string folderPath = ExpectedBackupFolder();
    // A key below Tree\K3 (extra: a further name in UTF-16) and, with text, a REG_SZ value in it.
    const auto wide = [](const FixtureKey& fixture, const wchar_t* extra, const wchar_t* name, const wchar_t* text) {
        HKEY key;
        const std::string narrow = fixture.Sub("Tree\\K3");
        const std::wstring path = std::wstring(narrow.begin(), narrow.end()) + extra;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (text)
            RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                           DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    };
    const struct {
        const char* label;
        std::function<void(const FixtureKey&)> sabotage;
        std::function<void()> repair;  // undoes the sabotage
    } cases[] = {
        {"backup root is a file",
         [&](const FixtureKey&) { RemoveFolderTree(root); WriteWholeFile(root, "in the way"); },
         [&] { DeleteFileA(root.c_str()); }},
        {"backup folder is a file",
         [&](const FixtureKey&) {
             RemoveFolderTree(root);
             CreateDirectoryA(root.c_str(), nullptr);
             WriteWholeFile(folderPath, "x");
         },
         [&] { DeleteFileA(folderPath.c_str()); }},
        {"backup file cannot be created", [](const FixtureKey&) {}, [] {}},  // a folder takes the file's name
        {"temporary name held by a file", [](const FixtureKey&) {}, [] {}},  // another backup's, kept
        {"stopped while writing", [](const FixtureKey&) {}, [] {}},
        // The document could only give back "?" for these.
        {"text outside the code page", [&](const FixtureKey& f) { wide(f, L"", L"w", L"\x4e2d"); }, [] {}},
        {"key name outside the code page", [&](const FixtureKey& f) { wide(f, L"\\\x4e2d", nullptr, nullptr); }, [] {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FixtureKey fixture("nobackup");
        TempFolder folder("nobackup");
        for (int i = 0; i < 12; ++i)
            ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Tree\\K" + std::to_string(i)), "v", REG_SZ, Sz("1")));
        ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Run"), "Prog", REG_SZ, Sz("C:\\gone.exe")));
        const std::string shortcut = folder.File("gone.lnk");
        ASSERT_TRUE(WriteWholeFile(shortcut, "lnk"));
        TestStore store(folder.Path());
        store.AddItem(fixture.Full("Tree").c_str(), 0x4000, 0, 0);
        store.AddItem((fixture.Full("Run") + Sep + "Prog").c_str(), 0x400, 0, 0);
        store.AddItem(shortcut.c_str(), 0x8000, 0, 0);

        std::vector<std::string> blockers;
        // Whatever the outcome, the backup folders are put back for the tests that follow.
        struct Undo {
            std::function<void()> undo;
            std::vector<std::string>& blockers;
            ~Undo()
            {
                for (const std::string& blocker : blockers) {
                    RemoveDirectoryA(blocker.c_str());
                    DeleteFileA(blocker.c_str());
                }
                undo();
            }
        } undo{c.repair, blockers};
        c.sabotage(fixture);
        const RegistryDump before = Dump(HKEY_CURRENT_USER, fixture.Path());
        EngineProcess process;
        RecordingStatus status;
        const bool heldByFile = std::string(c.label) == "temporary name held by a file";
        if (std::string(c.label) == "backup file cannot be created" || heldByFile) {
            CreateDirectoryA(root.c_str(), nullptr);
            CreateDirectoryA(folderPath.c_str(), nullptr);
            // Every name the task could take in the next seconds is held by a folder.
            const FILETIME now = LocalTimeNow();
            for (int s = 0; s < 8; ++s) {
                blockers.push_back(folderPath + "\\" + BackupNameAt(now, s, "tmp"));
                if (heldByFile)
                    WriteWholeFile(blockers.back(), "another backup");
                else
                    CreateDirectoryA(blockers.back().c_str(), nullptr);
            }
        }
        std::set<std::string> duringWrite;
        if (std::string(c.label) == "stopped while writing")
            status.onProgress = [&](int) {
                duringWrite = FilesIn(folderPath);
                process->Stop(1);
            };
        NewBackups backups;
        EXPECT_EQ(RunRepair(process.Get(), status, &store, 1), -1);
        const std::vector<std::string> texts = StatusTexts(status);
        ASSERT_EQ(texts.size(), 3u);
        EXPECT_EQ(texts[0], "Creating registry backup");
        EXPECT_EQ(texts[1], "Registry backup failed: no item was repaired");
        EXPECT_TRUE(Dump(HKEY_CURRENT_USER, fixture.Path()) == before);
        EXPECT_TRUE(FileExists(shortcut));
        if (heldByFile) {
            for (const std::string& blocker : blockers)
                EXPECT_EQ(ReadWholeFile(blocker), "another backup");
        } else {
            EXPECT_TRUE(backups.Files().empty());
        }
        // While it is written the backup has only its temporary name.
        for (const std::string& file : duringWrite)
            EXPECT_EQ(file.substr(file.size() - 4), ".tmp") << file;
        if (std::string(c.label) == "stopped while writing") {
            EXPECT_EQ(duringWrite.size(), 1u);
        }
    }
}

// A backup never replaces one of the same second (two repairs in one second): it takes the name
// of a later second instead.
TEST(RegistryBackup, BackupsOfTheSameSecondAreBothKept)
{
    FixtureKey fixture("twice");
    TempFolder folder("twice");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("A"), "v", REG_SZ, Sz("1")));
    NewBackups backups;
    CreateDirectoryA(BackupRoot().c_str(), nullptr);
    CreateDirectoryA(backups.Folder().c_str(), nullptr);
    // Backups already made this second and the next.
    const FILETIME start = LocalTimeNow();
    std::map<std::string, std::string> earlier;
    for (int s = 0; s < 2; ++s) {
        const std::string name = BackupNameAt(start, s, "rbk");
        earlier[name] = "earlier backup " + std::to_string(s);
        ASSERT_TRUE(WriteWholeFile(backups.Path(name), earlier[name]));
    }
    TestStore store(folder.Path());
    store.AddItem(fixture.Full("A").c_str(), 0x4000, 0, 0);
    EngineProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunRepair(process.Get(), status, &store, 1), 0);
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, fixture.Sub("A")));
    std::vector<std::string> made;
    for (const std::string& file : backups.Files()) {
        if (earlier.count(file))
            EXPECT_EQ(ReadWholeFile(backups.Path(file)), earlier[file]) << file;
        else
            made.push_back(file);
    }
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].substr(15), "_REGBACKUP.rbk");
    EXPECT_EQ(process->ImportRegistryFile(nullptr, backups.Path(made[0]).c_str()), 1);
    EXPECT_TRUE(ValuePresent(HKEY_CURRENT_USER, fixture.Sub("A"), "v"));
}

// Hand-made documents that must not restore: each is refused before anything is written, and
// says why in the parse-error format. The table runs through the import itself with the box
// switched off; through slot 21 the same text appears in a message box (the watcher closes it).
TEST(RegistryBackup, MalformedDocumentsChangeNothing)
{
    FixtureKey fixture("malformed");
    TempFolder folder("malformed");
    const std::string name = fixture.Path().substr(fixture.Path().find('\\') + 1);
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n";
    // A complete chain first, so a document that is refused only late would already have written.
    const std::string written = "  <k name=\"HKEY_CURRENT_USER\">\r\n   <k name=\"Software\">\r\n    <k name=\"" + name +
                                "\">\r\n     <k name=\"Written\">\r\n      <v name=\"a\" value=\"1\"/>\r\n"
                                "     </k>\r\n    </k>\r\n   </k>\r\n  </k>\r\n";
    const std::string open = "  <k name=\"HKEY_CURRENT_USER\"><k name=\"Software\"><k name=\"" + name + "\">\r\n";
    const std::string close = "  </k></k></k>\r\n </registry>\r\n";
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 7919 + 13) % 256);
    std::string deep = head + written + open;
    for (int i = 0; i < 10000; ++i)
        deep += "<k name=\"d\">\r\n";
    for (int i = 0; i < 10000; ++i)
        deep += "</k>\r\n";
    deep += close;
    const int writtenLines = 11;  // declaration, "registry" and the written chain
    const auto line = [](int n, const char* message) {
        return "Parse error in line " + std::to_string(n) + " : (" + message + ")";
    };
    const struct {
        const char* label;
        std::string document;
        std::string message;  // "" : any text in the parse-error format
    } cases[] = {
        {"truncated in a chain", head + written + open + "   <k name=\"Cut\">\r\n", line(writtenLines + 2, "Unexpected end of the document")},
        {"truncated in a value", head + written + open + "   <v name=\"a\" value=\"cut", line(writtenLines + 2, "Unexpected end of the document")},
        {"truncated after a chain", head + written, line(writtenLines, "Unexpected end of the document")},
        {"unbalanced end tag", head + written + open + "   <k name=\"X\"></v>\r\n" + close, line(writtenLines + 2, "Unbalanced end tag")},
        {"unknown type", head + written + open + "   <k name=\"X\"><v name=\"a\" value=\"1\" type=\"REG_FOO\"/></k>\r\n" + close,
         line(writtenLines + 2, "Unknown value type")},
        {"unknown root", head + written + "  <k name=\"HKLM\"><k name=\"Software\"></k></k>\r\n </registry>\r\n",
         line(writtenLines + 1, "Unknown root key")},
        {"a chain that is only a root", head + written + "  <k name=\"HKEY_CURRENT_USER\"/>\r\n </registry>\r\n",
         line(writtenLines + 1, "Key path is only a root key")},
        {"value at a root", head + written + "  <k name=\"HKEY_CURRENT_USER\"><v name=\"a\" value=\"1\"/></k>\r\n </registry>\r\n",
         line(writtenLines + 1, "Value directly below a root key")},
        {"huge key name", head + written + open + "<k name=\"" + std::string(100000, 'k') + "\"/>\r\n" + close,
         line(writtenLines + 2, "Invalid key name")},
        {"huge value", head + written + open + "<k name=\"X\"><v name=\"a\" value=\"" + std::string(XmlMaxAttributeLength + 10, '1') + "\"/></k>\r\n" + close,
         line(writtenLines + 2, "Attribute value too long")},
        {"binary garbage", head + written + open + garbage + "\r\n" + close, ""},
        {"invalid UTF-8", head + written + open + "<k name=\"\xC3(\"/>\r\n" + close, line(writtenLines + 2, "Invalid character")},
        {"10,000-deep nesting", deep, line(writtenLines + 1 + 511, "Keys nested too deeply")},
        {"leading blank", " <registry>\r\n </registry>\r\n", line(1, "Syntax error")},
        {"not a backup", "<html><k name=\"HKEY_CURRENT_USER\"/></html>\r\n", line(1, "Missing registry element")},
        {"empty file", "", line(1, "Unexpected end of the document")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string file = folder.File("bad.rbk");
        ASSERT_TRUE(WriteWholeFile(file, c.document));
        CRegistryManager manager(nullptr, nullptr);
        manager.SetShowErrors(false);
        EXPECT_EQ(manager.Import(file.c_str()), 0);
        EXPECT_TRUE(Dump(HKEY_CURRENT_USER, fixture.Path()) == (RegistryDump{{""}, {}}));
        const std::string text = manager.GetErrorText().GetString();
        if (c.message.empty())
            EXPECT_EQ(text.rfind("Parse error in line ", 0), 0u) << text;
        else
            EXPECT_EQ(text, c.message);
    }

    EngineProcess process;
    MessageBoxWatcher boxes;
    for (const auto& c : cases) {
        if (std::string(c.label) != "unknown type" && std::string(c.label) != "leading blank")
            continue;
        SCOPED_TRACE(c.label);
        const std::string file = folder.File("bad.rbk");
        ASSERT_TRUE(WriteWholeFile(file, c.document));
        boxes.Reset();
        EXPECT_EQ(process->ImportRegistryFile(nullptr, file.c_str()), 0);
        EXPECT_TRUE(Dump(HKEY_CURRENT_USER, fixture.Path()) == (RegistryDump{{""}, {}}));
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{c.message});
    }
    // The complete document does restore (and shows nothing).
    boxes.Reset();
    ASSERT_TRUE(WriteWholeFile(folder.File("good.rbk"), head + written + " </registry>\r\n"));
    EXPECT_EQ(process->ImportRegistryFile(nullptr, folder.File("good.rbk").c_str()), 1);
    EXPECT_TRUE(ValuePresent(HKEY_CURRENT_USER, fixture.Sub("Written"), "a"));
    EXPECT_TRUE(boxes.Texts().empty());
    // A file that is not there restores nothing and shows nothing.
    EXPECT_EQ(process->ImportRegistryFile(nullptr, folder.File("missing.rbk").c_str()), 0);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(RegistryBackup, RestoreTaskReadsTheFileOnTheWorker)
{
    FixtureKey fixture("restore");
    TempFolder folder("restore");
    EngineProcess process;
    MessageBoxWatcher boxes;

    // A path that does not exist: -1, the registry untouched, the usual end sequence.
    RecordingStatus missing;
    EXPECT_EQ(RunForExitCode(process.Get(), missing, TaskRegistryRestore,
                             [&] { return process->StartRegistryRestore(folder.File("missing.rbk").c_str(), &missing); }),
              -1);
    EXPECT_EQ(StatusTexts(missing), (std::vector<std::string>{""}));
    EXPECT_EQ(missing.CallsOf("OnTaskFinished").size(), 1u);

    // Ten keys: progress on the fifth and the tenth, with the key's path.
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("R\\K" + std::to_string(i)), "v", REG_SZ, Sz("1")));
    CRegistryManager manager(nullptr, nullptr);
    CXmlWriter writer;
    const std::string file = folder.File("r.rbk");
    writer.SetFileName(file.c_str());
    writer.WriteStartTag(CXmlTag("registry"));
    ASSERT_EQ(manager.ExportKey(fixture.Full("R").c_str(), writer), 1);
    writer.WriteEndTag("registry");
    ASSERT_TRUE(writer.Close());
    ASSERT_EQ(CRegistryManager::DeleteKeyTree(fixture.Full("R").c_str()), 1);

    RecordingStatus status;
    EXPECT_EQ(RunForExitCode(process.Get(), status, TaskRegistryRestore,
                             [&] { return process->StartRegistryRestore(file.c_str(), &status); }),
              1);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(ValuePresent(HKEY_CURRENT_USER, fixture.Sub("R\\K" + std::to_string(i)), "v")) << i;
    EXPECT_EQ(StatusTexts(status),
              (std::vector<std::string>{"HKEY_CURRENT_USER\\" + fixture.Sub("R\\K0"), "HKEY_CURRENT_USER\\" + fixture.Sub("R\\K5"), ""}));
    EXPECT_EQ(status.CallsOf("OnProgress").size(), 2u);
    EXPECT_TRUE(boxes.Texts().empty());
}

// The repair table without a backup: what each category and form of item does.
TEST(RegistryRepair, EachItemIsRepairedByItsCategoryAndForm)
{
    FixtureKey fixture("repair");
    TempFolder folder("repair");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("F"), "fv", REG_SZ, Sz("1")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("F"), "other", REG_SZ, Sz("1")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("R"), nullptr, REG_SZ, Sz("x")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, fixture.Sub("StartMenuKey\\Sub")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, fixture.Sub("AppKey")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, fixture.Sub("K1")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, fixture.Sub("K2\\Sub")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("V3"), "val", REG_SZ, Sz("1")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, fixture.Sub("Keep")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, fixture.Sub("Other")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Uninst"), "C:\\gone\\", REG_SZ, Sz("")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, fixture.Sub("HelpClass\\InprocServer32")));
    const std::string link = folder.File("x.lnk");
    const std::string cookie = folder.File("user@site[1].txt");
    const std::string readOnly = folder.File("ro.lnk");
    const std::string low = folder.File("low.tmp");
    for (const std::string& f : {link, cookie, readOnly, low})
        ASSERT_TRUE(WriteWholeFile(f, "x"));
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    // Not what a file item may name: a relative name (it would be taken from the current
    // folder) and a folder.
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    const std::string relative = "velmora_relative_" + std::to_string(GetCurrentProcessId()) + ".lnk";
    const std::string inCurrent = std::string(current) + "\\" + relative;
    ASSERT_TRUE(WriteWholeFile(inCurrent, "x"));
    struct RemoveAtEnd {
        std::string file;
        ~RemoveAtEnd() { DeleteFileA(file.c_str()); }
    } removeAtEnd{inCurrent};
    const std::string subfolder = folder.File("folder.lnk");
    ASSERT_TRUE(CreateDirectoryA(subfolder.c_str(), nullptr));
    SetFileAttributesA(subfolder.c_str(), FILE_ATTRIBUTE_HIDDEN);

    TestStore store(folder.Path());
    const struct {
        std::string text;
        int category;
        int textValue;
        bool excluded;
    } items[] = {
        {fixture.Full("F") + Sep + "fv", 0x2000, 0, false},
        {fixture.Full("R") + Sep + "(Default)", 0x400, 0, false},
        {fixture.Full("Gone") + Sep + "v", 0x400, 0, false},
        {fixture.Full("StartMenuKey"), 0x400, 0, false},
        {fixture.Full("AppKey"), 0x40000, 0, false},
        {link, 0x8000, 0, false},
        {readOnly, 0x8000, 0, false},
        {cookie, 0x8, 0, false},
        {fixture.Full("K1"), 0x1, 0, false},
        {fixture.Full("K2"), 0x1, 1, false},
        {fixture.Full("V3") + Sep + "val", 0x2, 1, false},
        {low, 0x4, 1, false},
        {relative, 0x8000, 0, false},
        {relative, 0x4, 1, false},
        {subfolder, 0x8000, 0, false},
        {fixture.Full("Keep"), 0x40000, 0, true},
        {fixture.Full("Other"), 0x1000000, 0, false},
        {fixture.Full("Uninst") + Sep + "C:\\gone\\", 0x100000, 0, false},
        {fixture.Full("HelpClass"), 0x200000, 0, false},
        {"HKEY_CURRENT_USER\\", 0x800000, 0, false},
        {"HKEY_CURRENT_USER", 0x800000, 0, false},
    };
    for (const auto& item : items) {
        store.AddItem(item.text.c_str(), item.category, 0, 0);
        if (item.textValue)
            store.textValues[item.text] = item.textValue;
        if (item.excluded)
            store.AddPendingIgnore((item.text + "^App Paths").c_str(), 0, 0);
    }
    EngineProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunRepair(process.Get(), status, &store, 0), 0);
    EXPECT_EQ(StatusTexts(status), (std::vector<std::string>{"Repairing registry item(s)", ""}));
    // One step per item, the excluded one included.
    EXPECT_EQ(status.CallsOf("OnProgress").size(), std::size(items));
    EXPECT_TRUE(status.CallsOf("OnResult").empty());

    const std::string p = fixture.Path();
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, p + "\\F", "fv"));
    EXPECT_TRUE(ValuePresent(HKEY_CURRENT_USER, p + "\\F", "other"));
    EXPECT_EQ(Dump(HKEY_CURRENT_USER, p + "\\R").values.at("\n"), (DumpedValue{REG_SZ, Sz("")}));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, p + "\\Gone"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, p + "\\StartMenuKey"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, p + "\\AppKey"));
    EXPECT_FALSE(FileExists(link));
    EXPECT_FALSE(FileExists(readOnly));
    EXPECT_FALSE(FileExists(cookie));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, p + "\\K1"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, p + "\\K2"));
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, p + "\\V3", "val"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, p + "\\V3"));
    EXPECT_FALSE(FileExists(low));
    EXPECT_TRUE(FileExists(inCurrent));
    EXPECT_EQ(GetFileAttributesA(subfolder.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, p + "\\Keep"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, p + "\\Other"));
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, p + "\\Uninst", "C:\\gone\\"));
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, p + "\\HelpClass"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, "Software"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, p));
}

// A program running from a file the repair must delete is ended, and the file goes.
TEST(RegistryRepair, FileHeldByARunningProgramIsFreedAndDeleted)
{
    TempFolder folder("running");
    TempFolder elsewhere("running_other");
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string sleeper = module;
    sleeper = sleeper.substr(0, sleeper.rfind('\\')) + "\\velmora_sleeper.exe";
    const std::string target = folder.File("VelmoraSleeper.exe");
    const std::string survivor = elsewhere.File("VelmoraSleeper.exe");
    ASSERT_TRUE(CopyFileA(sleeper.c_str(), target.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(sleeper.c_str(), survivor.c_str(), FALSE));
    const auto start = [](const std::string& exe) {
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        std::string command = "\"" + exe + "\"";
        EXPECT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                   nullptr, &si, &pi));
        CloseHandle(pi.hThread);
        return pi.hProcess;
    };
    HANDLE running = start(target);
    HANDLE other = start(survivor);
    Sleep(300);
    ASSERT_FALSE(DeleteFileA(target.c_str()));  // a running image cannot be deleted

    TestStore store(folder.Path());
    store.AddItem(target.c_str(), 0x10, 0, 0);
    store.textValues[target] = 1;
    EngineProcess process;
    RecordingStatus status;
    EXPECT_EQ(RunRepair(process.Get(), status, &store, 0), 0);
    EXPECT_EQ(WaitForSingleObject(running, 5000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(running, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(FileExists(target));
    EXPECT_TRUE(status.CallsOf("OnResult").empty());
    EXPECT_EQ(WaitForSingleObject(other, 0), DWORD(WAIT_TIMEOUT));

    // The terminator on its own, both ways of finding processes, the path in another case.
    for (bool toolhelp : {true, false}) {
        SCOPED_TRACE(toolhelp ? "toolhelp" : "native");
        CProcessTerminator terminator(toolhelp);
        ASSERT_TRUE(CopyFileA(sleeper.c_str(), target.c_str(), FALSE));
        HANDLE again = start(target);
        Sleep(300);
        std::string upper = target;
        for (char& c : upper)
            c = char(toupper(static_cast<unsigned char>(c)));
        EXPECT_TRUE(terminator.TerminateByPath(upper.c_str()));
        EXPECT_EQ(WaitForSingleObject(again, 5000), WAIT_OBJECT_0);
        CloseHandle(again);
        EXPECT_FALSE(terminator.TerminateByPath(folder.File("nothing.exe").c_str()));
        EXPECT_EQ(WaitForSingleObject(other, 0), DWORD(WAIT_TIMEOUT));
        DeleteFileA(target.c_str());
    }
    TerminateProcess(other, 0);
    WaitForSingleObject(other, 5000);
    CloseHandle(other);
    CloseHandle(running);
}
