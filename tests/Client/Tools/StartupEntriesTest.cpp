// The startup entries on the real registry and the real Startup folders of a prefix of each
// case's own: collecting every source, the disable scheme in the System Configuration tool's
// layout and back, the refusals that would lose or mix up an entry, and removal.
#include <gtest/gtest.h>

#include <string>

#include "Client/Tools/StartupEntries.h"
#include "Framework/SystemInfo.h"
#include "StartupFixture.h"
#include "Support/ProgramBitness.h"

using namespace startupfixture;

namespace {

const std::string FooCommand = "\"C:\\Foo\\foo.exe\" /x";

std::string Text(const CString& text) { return std::string(text.GetString(), text.GetLength()); }

StartupItemList Collect(const RunKeySourceList& sources = GetRunKeySources())
{
    StartupItemList entries;
    CollectStartupEntries(entries, sources, StartupSortByName, 1);
    return entries;
}

// The entries with this name (and, when given, this location).
std::vector<StartupItem> Named(const StartupItemList& entries, const std::string& name,
                               const char* location = NULL)
{
    std::vector<StartupItem> found;
    for (const StartupItem& entry : entries)
        if (Text(entry.Name) == name && (!location || Text(entry.Location) == location))
            found.push_back(entry);
    return found;
}

StartupItem Only(const StartupItemList& entries, const std::string& name, const char* location = NULL)
{
    std::vector<StartupItem> found = Named(entries, name, location);
    EXPECT_EQ(found.size(), 1u) << name;
    return found.empty() ? StartupItem() : found[0];
}

std::string Sz(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

void ExpectText(HKEY root, const std::string& path, const char* name, const std::string& text,
                DWORD type = REG_SZ)
{
    Value value = GetValue(root, path, name);
    EXPECT_TRUE(value.present) << path << " " << name;
    EXPECT_EQ(value.type, type) << path << " " << name;
    EXPECT_EQ(value.data, Sz(text)) << path << " " << name;
}

std::string RegRecord(const std::string& name) { return std::string(RegRecords) + "\\" + name; }

std::string Caret(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '^';
    return path;
}

}  // namespace

TEST(StartupEntries, TheProgramSeesTheSixtyFourBitSystemAsItsFixturesAssume)
{
    // The fixtures write the 64-bit view; the 32-bit "Run" source is read there too. The 32-bit
    // program sees the 64-bit system through WOW64, a 64-bit build without it.
    EXPECT_EQ(IsWow64() != FALSE, kThirtyTwoBitProgram);
    ASSERT_TRUE(StartupSeesSixtyFourBitSystem());
    EXPECT_EQ(StartupRegistryView(), REGSAM(KEY_WOW64_64KEY));
    RunKeySourceList sources = GetRunKeySources();
    ASSERT_EQ(sources.size(), 3u);
    EXPECT_EQ(sources[0].first, HKEY_CURRENT_USER);
    EXPECT_EQ(sources[1].first, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(Text(sources[2].second), RunKey32);
    EXPECT_EQ(GetRunKeySources(TRUE, WindowsServer2003).size(), 2u);
    EXPECT_EQ(GetRunKeySources(FALSE, Windows7).size(), 2u);
    EXPECT_EQ(Text(GetStartupBackupFolder()), BackupFolder() + "\\");
}

TEST(StartupEntries, MachineRunEntryRoundTripTouchesOnlyItsOwnView)
{
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey, "Foo", FooCommand));
    const std::string other = "C:\\Other32\\foo32.exe";
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey32, "Foo", other));

    StartupItemList entries = Collect();
    std::vector<StartupItem> foos = Named(entries, "Foo");
    ASSERT_EQ(foos.size(), 2u);
    StartupItem foo = Text(foos[0].KeyPath) == RunKey ? foos[0] : foos[1];
    ASSERT_EQ(Text(foo.KeyPath), RunKey);
    EXPECT_EQ(Text(foo.Command), FooCommand);
    EXPECT_EQ(Text(foo.Location), "HKLM");
    EXPECT_EQ(foo.MachineWide, 1);
    EXPECT_EQ(foo.IsRegistry, 1);
    EXPECT_EQ(foo.Disabled, 0);

    ASSERT_EQ(DisableStartupEntry(foo), 1);
    EXPECT_EQ(foo.Disabled, 1);
    ExpectText(HKEY_LOCAL_MACHINE, RegRecord("Foo"), "item", "foo");
    ExpectText(HKEY_LOCAL_MACHINE, RegRecord("Foo"), "command", FooCommand);
    ExpectText(HKEY_LOCAL_MACHINE, RegRecord("Foo"), "key", RunKey);
    ExpectText(HKEY_LOCAL_MACHINE, RegRecord("Foo"), "hkey", "HKLM");
    ExpectText(HKEY_LOCAL_MACHINE, RegRecord("Foo"), "inimapping", "0");
    EXPECT_FALSE(GetValue(HKEY_LOCAL_MACHINE, RunKey, "Foo").present);
    ExpectText(HKEY_LOCAL_MACHINE, RunKey32, "Foo", other);

    // Read back as a disabled entry (beside the 32-bit one); a second disable does nothing.
    std::vector<StartupItem> machineFoos = Named(Collect(), "Foo", "HKLM");
    ASSERT_EQ(machineFoos.size(), 2u);
    StartupItem listed = machineFoos[0].Disabled ? machineFoos[0] : machineFoos[1];
    ASSERT_EQ(listed.Disabled, 1);
    EXPECT_EQ(Text(listed.Command), FooCommand);
    EXPECT_EQ(Text(listed.KeyPath), RunKey);
    EXPECT_EQ(DisableStartupEntry(listed), 0);

    ASSERT_EQ(EnableStartupEntry(listed), 1);
    EXPECT_EQ(listed.Disabled, 0);
    ExpectText(HKEY_LOCAL_MACHINE, RunKey, "Foo", FooCommand);
    ExpectText(HKEY_LOCAL_MACHINE, RunKey32, "Foo", other);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, RegRecord("Foo")));
    EXPECT_EQ(EnableStartupEntry(listed), 0);
}

TEST(StartupEntries, TheThirtyTwoBitEntryRoundTripLeavesTheSixtyFourBitOne)
{
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey, "Foo", FooCommand));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey32, "Foo", "C:\\Other32\\foo32.exe"));
    StartupItemList entries = Collect();
    std::vector<StartupItem> foos = Named(entries, "Foo");
    ASSERT_EQ(foos.size(), 2u);
    StartupItem foo32 = Text(foos[0].KeyPath) == RunKey32 ? foos[0] : foos[1];
    ASSERT_EQ(Text(foo32.KeyPath), RunKey32);
    ASSERT_EQ(DisableStartupEntry(foo32), 1);
    ExpectText(HKEY_LOCAL_MACHINE, RegRecord("Foo"), "key", RunKey32);
    ExpectText(HKEY_LOCAL_MACHINE, RegRecord("Foo"), "item", "foo32");
    EXPECT_FALSE(GetValue(HKEY_LOCAL_MACHINE, RunKey32, "Foo").present);
    ExpectText(HKEY_LOCAL_MACHINE, RunKey, "Foo", FooCommand);
    ASSERT_EQ(EnableStartupEntry(foo32), 1);
    ExpectText(HKEY_LOCAL_MACHINE, RunKey32, "Foo", "C:\\Other32\\foo32.exe");
}

TEST(StartupEntries, EnableIntoAMissingRunKeyFailsAndKeepsTheRecord)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Gone", "C:\\Gone\\gone.exe"));
    StartupItem gone = Only(Collect(), "Gone");
    ASSERT_EQ(DisableStartupEntry(gone), 1);
    DeleteTree(HKEY_CURRENT_USER, RunKey);
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, RunKey));

    EXPECT_EQ(EnableStartupEntry(gone), 0);
    EXPECT_EQ(gone.Disabled, 1);
    ExpectText(HKEY_LOCAL_MACHINE, RegRecord("Gone"), "command", "C:\\Gone\\gone.exe");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, RunKey));
    EXPECT_EQ(Only(Collect(), "Gone").Disabled, 1);
}

TEST(StartupEntries, StartupFileRoundTripInBothFolders)
{
    struct Row {
        std::string folder;
        const char* location;
        int machineWide;
    };
    const Row rows[] = {{UserStartupFolder(), "Startup", 0}, {CommonStartupFolder(), "Common Startup", 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.location);
        const std::string path = row.folder + "\\App.lnk";
        const std::string backup = BackupFolder() + "\\App.lnk" + row.location;
        const std::string record = std::string(FolderRecords) + "\\" + Caret(path);
        ASSERT_TRUE(WriteFile(path, "link bytes"));

        StartupItem app = Only(Collect(), "App", row.location);
        EXPECT_EQ(Text(app.FilePath), path);
        EXPECT_EQ(Text(app.Command), path);
        EXPECT_EQ(Text(app.KeyPath), Caret(path));
        EXPECT_EQ(Text(app.BackupPath), backup);
        EXPECT_EQ(app.MachineWide, row.machineWide);
        EXPECT_EQ(app.IsRegistry, 0);

        ASSERT_EQ(DisableStartupEntry(app), 1);
        EXPECT_FALSE(FileExists(path));
        EXPECT_EQ(ReadFile(backup), "link bytes");
        ExpectText(HKEY_LOCAL_MACHINE, record, "item", "App");
        ExpectText(HKEY_LOCAL_MACHINE, record, "command", path);
        ExpectText(HKEY_LOCAL_MACHINE, record, "backup", backup);
        ExpectText(HKEY_LOCAL_MACHINE, record, "location", row.location);
        ExpectText(HKEY_LOCAL_MACHINE, record, "path", path);

        StartupItem listed = Only(Collect(), "App", row.location);
        EXPECT_EQ(listed.Disabled, 1);
        EXPECT_EQ(listed.MachineWide, row.machineWide);
        EXPECT_EQ(Text(listed.BackupPath), backup);
        ASSERT_EQ(EnableStartupEntry(listed), 1);
        EXPECT_EQ(ReadFile(path), "link bytes");
        EXPECT_FALSE(FileExists(backup));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, record));
        EXPECT_EQ(Only(Collect(), "App", row.location).Disabled, 0);
    }
}

TEST(StartupEntries, CollectsEverySourceAsStored)
{
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, RunKey, "Multi", REG_MULTI_SZ,
                         std::string("C:\\a.exe\0C:\\b.exe\0\0", 20)));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, RunKey, "Empty", REG_SZ, std::string()));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey32, "Old32", "C:\\Old\\old.exe"));
    // A value name too long for a 260-character buffer, between two others.
    const std::string longName(300, 'L');
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Before", "C:\\before.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, longName.c_str(), "C:\\long.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "After", "C:\\after.exe"));
    // Records: incomplete, "hklm" in small letters, one with a 300-character command.
    const std::string incomplete = RegRecord("Incomplete");
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, incomplete, "item", "x"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, incomplete, "command", "C:\\x.exe"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, incomplete, "key", RunKey));
    WriteRegRecord("Small", "small", "C:\\small.exe", RunKey, "hklm");
    const std::string longCommand = "C:\\" + std::string(300, 'c') + ".exe";
    WriteRegRecord("LongCommand", "x", longCommand, RunKey, "HKLM");
    const std::string commonRecord = std::string(FolderRecords) + "\\C:^x^Shout.lnk";
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, commonRecord, "item", "Shout"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, commonRecord, "command", "C:\\x\\Shout.lnk"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, commonRecord, "path", "C:\\x\\Shout.lnk"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, commonRecord, "location", "COMMON STARTUP"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, commonRecord, "backup", "C:\\windows\\pss\\Shout.lnkCOMMON STARTUP"));
    // Files: a hidden one, a sub-folder, one without extension and one whose only "." leads.
    ASSERT_TRUE(WriteFile(UserStartupFolder() + "\\Hidden.lnk", "h"));
    ASSERT_TRUE(SetFileAttributesA((UserStartupFolder() + "\\Hidden.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(CreateDirectoryA((UserStartupFolder() + "\\Folder.d").c_str(), NULL));
    ASSERT_TRUE(WriteFile(UserStartupFolder() + "\\Plain", "p"));
    ASSERT_TRUE(WriteFile(CommonStartupFolder() + "\\two.dots.bat", "t"));

    StartupItemList entries = Collect();

    std::vector<StartupItem> multi = Named(entries, "Multi");
    ASSERT_EQ(multi.size(), 2u);
    EXPECT_EQ(Text(multi[0].Command) + "|" + Text(multi[1].Command) == "C:\\a.exe|C:\\b.exe" ||
                  Text(multi[0].Command) + "|" + Text(multi[1].Command) == "C:\\b.exe|C:\\a.exe",
              true);
    EXPECT_EQ(multi[0].FromMultiString, 1);
    EXPECT_EQ(multi[1].FromMultiString, 1);

    StartupItem empty = Only(entries, "Empty");
    EXPECT_EQ(Text(empty.Command), "");
    EXPECT_EQ(empty.FromMultiString, 0);

    StartupItem old32 = Only(entries, "Old32");
    EXPECT_EQ(Text(old32.KeyPath), RunKey32);
    EXPECT_EQ(Text(old32.Location), "HKLM");

    EXPECT_EQ(Text(Only(entries, "Before").Command), "C:\\before.exe");
    EXPECT_EQ(Text(Only(entries, longName).Command), "C:\\long.exe");
    EXPECT_EQ(Text(Only(entries, "After").Command), "C:\\after.exe");

    EXPECT_TRUE(Named(entries, "Incomplete").empty());
    StartupItem small = Only(entries, "Small");
    EXPECT_EQ(small.MachineWide, 0);
    EXPECT_EQ(Text(small.Location), "HKCU");
    EXPECT_EQ(small.Disabled, 1);
    StartupItem longOne = Only(entries, "LongCommand");
    EXPECT_EQ(Text(longOne.Command), longCommand);
    EXPECT_EQ(longOne.Disabled, 1);

    StartupItem shout = Only(entries, "Shout");
    EXPECT_EQ(shout.MachineWide, 1);
    EXPECT_EQ(Text(shout.Location), "COMMON STARTUP");
    EXPECT_EQ(Text(shout.KeyPath), "C:^x^Shout.lnk");
    EXPECT_EQ(shout.Disabled, 1);

    EXPECT_TRUE(Named(entries, "Hidden").empty());
    EXPECT_TRUE(Named(entries, "Folder").empty());
    EXPECT_TRUE(Named(entries, "Folder.d").empty());
    EXPECT_EQ(Text(Only(entries, "Plain").FilePath), UserStartupFolder() + "\\Plain");
    EXPECT_EQ(Text(Only(entries, "two.dots").Location), "Common Startup");

    // Windows Server 2003 (and XP x64) have no 32-bit "Run" key of this kind.
    EXPECT_TRUE(Named(Collect(GetRunKeySources(TRUE, WindowsServer2003)), "Old32").empty());
}

TEST(StartupEntries, SortsByEachColumnInLowerCase)
{
    auto entry = [](const char* name, const char* command, const char* location) {
        StartupItem item;
        item.Name = name;
        item.Command = command;
        item.Location = location;
        return item;
    };
    struct Row {
        int column, ascending;
        const char* order;
    };
    const Row rows[] = {{StartupSortByName, 1, "abC"},     {StartupSortByName, 0, "Cba"},
                        {StartupSortByCommand, 1, "Cba"},  {StartupSortByCommand, 0, "abC"},
                        {StartupSortByLocation, 1, "bCa"}, {StartupSortByLocation, 0, "aCb"}};
    for (const Row& row : rows) {
        StartupItemList entries = {entry("b", "Y", "HKCU"), entry("a", "z", "Startup"),
                                   entry("C", "x", "HKLM")};
        SortStartupEntries(entries, row.column, row.ascending);
        std::string order;
        for (const StartupItem& item : entries)
            order += Text(item.Name);
        EXPECT_EQ(order, row.order) << row.column << " " << row.ascending;
    }
}

TEST(StartupEntries, RefusedOperationsChangeNothing)
{
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, RunKey, "Multi", REG_MULTI_SZ,
                         std::string("C:\\a.exe\0C:\\b.exe\0\0", 20)));
    // HKCU's Foo is disabled already; HKLM's Foo would overwrite its record.
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Foo", "C:\\User\\userfoo.exe"));
    StartupItem userFoo = Only(Collect(), "Foo", "HKCU");
    ASSERT_EQ(DisableStartupEntry(userFoo), 1);
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey, "Foo", FooCommand));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Nested\\Name", "C:\\nested.exe"));
    // A Startup file whose path with "^" is longer than a key name can be (yet short enough for
    // the ANSI file functions).
    const std::string longName(259 - UserStartupFolder().size() - 1 - 4, 'n');
    const std::string longFile = UserStartupFolder() + "\\" + longName + ".lnk";
    ASSERT_EQ(longFile.size(), 259u);
    ASSERT_TRUE(WriteFile(longFile, "long"));

    StartupItemList entries = Collect();
    std::vector<StartupItem> multi = Named(entries, "Multi");
    ASSERT_EQ(multi.size(), 2u);
    struct Row {
        const char* what;
        StartupItem entry;
        int (*operation)(StartupItem&);
    };
    const Row rows[] = {
        {"disable a multi-string command", multi[0], DisableStartupEntry},
        {"remove a multi-string command", multi[1], RemoveStartupEntry},
        {"disable over another entry's record", Only(entries, "Foo", "HKLM"), DisableStartupEntry},
        {"disable a name with a backslash", Only(entries, "Nested\\Name"), DisableStartupEntry},
        {"disable a file whose record cannot be named", Only(entries, longName),
         DisableStartupEntry},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string before = Snapshot();
        StartupItem entry = row.entry;
        EXPECT_EQ(row.operation(entry), 0);
        EXPECT_EQ(entry.Disabled, row.entry.Disabled);
        EXPECT_EQ(Snapshot(), before);
    }
    EXPECT_EQ(Named(Collect(), "Multi").size(), 2u);
    EXPECT_TRUE(FileExists(longFile));

    // The kept record is HKCU's: enabling it gives HKCU its own command back.
    StartupItem record = Only(Collect(), "Foo", "HKCU");
    ASSERT_EQ(record.Disabled, 1);
    ASSERT_EQ(EnableStartupEntry(record), 1);
    ExpectText(HKEY_CURRENT_USER, RunKey, "Foo", "C:\\User\\userfoo.exe");
    ExpectText(HKEY_LOCAL_MACHINE, RunKey, "Foo", FooCommand);
}

TEST(StartupEntries, ExpandableCommandComesBackExpandable)
{
    const std::string command = "%ProgramFiles%\\Env\\env.exe";
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Env", command, REG_EXPAND_SZ));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Percent", "C:\\P\\p.exe 100% of 5%", REG_SZ));
    for (const char* name : {"Env", "Percent"}) {
        StartupItem entry = Only(Collect(), name);
        ASSERT_EQ(DisableStartupEntry(entry), 1) << name;
        ASSERT_EQ(EnableStartupEntry(entry), 1) << name;
    }
    ExpectText(HKEY_CURRENT_USER, RunKey, "Env", command, REG_EXPAND_SZ);
    ExpectText(HKEY_CURRENT_USER, RunKey, "Percent", "C:\\P\\p.exe 100% of 5%", REG_SZ);
}

TEST(StartupEntries, ProgramNameFromCommand)
{
    const struct {
        const char* command;
        const char* name;
    } rows[] = {
        {"\"C:\\Apps\\Tool.exe\" /min", "Tool"},
        {"C:\\Apps\\Tool.EXE", "Tool"},
        {"\"C:\\Apps\\Tool.Exe\" /min", "Tool"},
        {"C:\\A.exe\\B.exe", "A"},
        {"Tool.exe", ""},
        {"C:\\Windows\\rundll32 x,y", ""},
        {"", ""},
        {"\"C:\\Program Files\\My App\\app.exe\"", "app"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Text(ProgramNameFromCommand(row.command)), row.name) << row.command;

    // Without a program name the record's item is the entry's name.
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Dll", "rundll32 shell32,Control_RunDLL"));
    StartupItem dll = Only(Collect(), "Dll");
    ASSERT_EQ(DisableStartupEntry(dll), 1);
    ExpectText(HKEY_LOCAL_MACHINE, RegRecord("Dll"), "item", "Dll");
    ExpectText(HKEY_LOCAL_MACHINE, RegRecord("Dll"), "hkey", "HKCU");
}

TEST(StartupEntries, RemoveDeletesEachKindFromItsOwnPlace)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Live", "C:\\live.exe"));
    ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, RunKey32, "Live", "C:\\live32.exe"));
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Asleep", "C:\\asleep.exe"));
    const std::string readOnly = UserStartupFolder() + "\\ReadOnly.lnk";
    ASSERT_TRUE(WriteFile(readOnly, "r"));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string parked = CommonStartupFolder() + "\\Parked.lnk";
    ASSERT_TRUE(WriteFile(parked, "p"));
    {
        StartupItemList entries = Collect();
        StartupItem asleep = Only(entries, "Asleep");
        ASSERT_EQ(DisableStartupEntry(asleep), 1);
        StartupItem parkedEntry = Only(entries, "Parked");
        ASSERT_EQ(DisableStartupEntry(parkedEntry), 1);
        // The disabled registry entry's "Run" value is someone's again: Remove leaves it.
        ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Asleep", "C:\\again.exe"));
    }
    StartupItemList entries = Collect();

    StartupItem live = Only(entries, "Live", "HKLM");  // the 32-bit one
    ASSERT_EQ(Text(live.KeyPath), RunKey32);
    ASSERT_EQ(RemoveStartupEntry(live), 1);
    EXPECT_FALSE(GetValue(HKEY_LOCAL_MACHINE, RunKey32, "Live").present);
    ExpectText(HKEY_CURRENT_USER, RunKey, "Live", "C:\\live.exe");
    StartupItem userLive = Only(entries, "Live", "HKCU");
    ASSERT_EQ(RemoveStartupEntry(userLive), 1);
    EXPECT_FALSE(GetValue(HKEY_CURRENT_USER, RunKey, "Live").present);

    std::vector<StartupItem> asleep = Named(entries, "Asleep");
    ASSERT_EQ(asleep.size(), 2u);
    StartupItem record = asleep[0].Disabled ? asleep[0] : asleep[1];
    ASSERT_EQ(RemoveStartupEntry(record), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, RegRecord("Asleep")));
    ExpectText(HKEY_CURRENT_USER, RunKey, "Asleep", "C:\\again.exe");

    StartupItem readOnlyEntry = Only(entries, "ReadOnly");
    ASSERT_EQ(RemoveStartupEntry(readOnlyEntry), 1);
    EXPECT_FALSE(FileExists(readOnly));

    StartupItem parkedEntry = Only(entries, "Parked");
    ASSERT_EQ(parkedEntry.Disabled, 1);
    ASSERT_EQ(RemoveStartupEntry(parkedEntry), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(FolderRecords) + "\\" + Caret(parked)));
    EXPECT_FALSE(FileExists(BackupFolder() + "\\Parked.lnkCommon Startup"));
    EXPECT_FALSE(FileExists(parked));

    StartupItemList after = Collect();
    for (const char* name : {"Live", "ReadOnly", "Parked"})
        EXPECT_TRUE(Named(after, name).empty()) << name;
    EXPECT_EQ(Named(after, "Asleep").size(), 1u);
}

TEST(StartupEntries, KeyDeletionActsInTheSixtyFourBitViewWithEitherFunction)
{
    // With RegDeleteKeyExA and through the fallback on RegDeleteKeyA: the 64-bit key goes, its
    // 32-bit namesake stays, a key with subkeys and a missing key are reported as not deleted.
    const RegDeleteKeyExFunction functions[] = {RegDeleteKeyExA, NULL};
    for (RegDeleteKeyExFunction function : functions) {
        SCOPED_TRACE(function ? "RegDeleteKeyExA" : "RegDeleteKeyA");
        const std::string path = "Software\\VelmoraStartupTest\\Leaf";
        ASSERT_TRUE(SetText(HKEY_LOCAL_MACHINE, path, "v", "64"));
        HKEY key32 = NULL;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, NULL, 0,
                                  KEY_ALL_ACCESS | KEY_WOW64_32KEY, NULL, &key32, NULL),
                  ERROR_SUCCESS);
        RegCloseKey(key32);
        ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\VelmoraStartupTest\\Leaf"));

        EXPECT_EQ(DeleteRegistryKeyWith(function, HKEY_LOCAL_MACHINE, "Software\\VelmoraStartupTest"), 0);
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, path));
        EXPECT_EQ(DeleteRegistryKeyWith(function, HKEY_LOCAL_MACHINE, path.c_str()), 1);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, path));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\VelmoraStartupTest\\Leaf"));
        EXPECT_EQ(DeleteRegistryKeyWith(function, HKEY_LOCAL_MACHINE, path.c_str()), 0);
        DeleteTree(HKEY_LOCAL_MACHINE, "Software\\VelmoraStartupTest");
        DeleteTree(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\VelmoraStartupTest");
    }
}
