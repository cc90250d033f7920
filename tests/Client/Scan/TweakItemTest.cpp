// Tweak items on the real registry of the test's own prefix: string, 64-bit-view and untyped
// rows, the workstation task scheduler key with its record, and the per-interface rows with and
// without an interface key.
#include <gtest/gtest.h>

#include "Engine/RegistryFixture.h"
#include "Scan/NetworkRoute.h"
#include "Scan/OptimizerItem.h"
#include "TweakTestSupport.h"

namespace {

const char InterfacesKey[] = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces";
const char WorkstationTSKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RemoteComputer\\NameSpace\\"
    "{D6277990-4C6A-11CF-8D87-00AA0060F5BF}";
const char SettingsKey[] = "Software\\Velmora\\1.0.1";

COptimizerItem Row(int row)
{
    COptimizerItem item;
    item.SetId(row);
    item.ComputeOptimal(0, NULL, NULL, 1);
    return item;
}

const StoredValue Missing;

}  // namespace

TEST(TweakItems, ValueRowsReadApplyAndRestore)
{
    struct Case {
        int row;
        HKEY root;
        const char* path;
        const char* name;
        REGSAM view;
        StoredValue before;
        int readResult;
        int current;
        StoredValue applied;
        StoredValue restored;
    };
    const char* desktop = "Control Panel\\Desktop";
    const char* explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
    const char* memory = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
    const char* tcpip = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
    const Case cases[] = {
        // A text that is no number reads as 0, and that is a read.
        {54, HKEY_CURRENT_USER, desktop, "WaitToKillAppTimeout", 0, Text("abc"), 1, 0,
         Text("10000"), Missing},
        {54, HKEY_CURRENT_USER, desktop, "WaitToKillAppTimeout", 0, Missing, 0, TWEAK_ABSENT,
         Text("10000"), Missing},
        {67, HKEY_LOCAL_MACHINE, explorer, "Max Cached Icons", KEY_WOW64_64KEY, Missing, 0,
         TWEAK_ABSENT, Text("2000"), Text("500")},
        {67, HKEY_LOCAL_MACHINE, explorer, "Max Cached Icons", KEY_WOW64_64KEY, Text("1234"), 1,
         1234, Text("2000"), Text("500")},
        // An empty type is a REG_DWORD.
        {77, HKEY_LOCAL_MACHINE, memory, "Disablepagingexecutive", 0, Dword(0), 1, 0, Dword(1),
         Dword(0)},
        {0, HKEY_LOCAL_MACHINE, tcpip, "ArpCacheLife", 0, Dword(300), 1, 300, Dword(1800),
         Dword(120)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " " << c.name);
        DeleteStored(c.root, c.path, c.name, c.view);
        if (c.before.type != REG_NONE) {
            ASSERT_TRUE(WriteStored(c.root, c.path, c.name, c.view, c.before));
        }

        COptimizerItem item = Row(c.row);
        EXPECT_EQ(item.ReadCurrent(), c.readResult);
        EXPECT_EQ(item.GetCurrent(), c.current);
        EXPECT_EQ((item.GetFlags() & TWEAK_READ) != 0, c.readResult == 1);

        EXPECT_EQ(item.ApplyOptimal(), 1);
        EXPECT_EQ(ReadStored(c.root, c.path, c.name, c.view), c.applied);
        EXPECT_TRUE(item.GetFlags() & TWEAK_WRITTEN);
        if (c.view == KEY_WOW64_64KEY) {
            EXPECT_EQ(ReadStored(c.root, c.path, c.name, KEY_WOW64_32KEY), Missing);
        }

        item.SetWindowsDefault();
        EXPECT_EQ(item.RestoreDefault(), 1);
        EXPECT_EQ(ReadStored(c.root, c.path, c.name, c.view), c.restored);
        // Restoring what is already the default succeeds again.
        EXPECT_EQ(item.RestoreDefault(), 1);
        EXPECT_EQ(ReadStored(c.root, c.path, c.name, c.view), c.restored);
    }
}

TEST(TweakItems, WorkstationTSKeyIsRecordedBeforeItGoes)
{
    ASSERT_TRUE(WriteStored(HKEY_LOCAL_MACHINE, WorkstationTSKey, NULL, ProgramView,
                            Text("Scheduled Tasks")));
    COptimizerItem item = Row(42);
    // Present: the setting reads 1, and the read says it found no value.
    EXPECT_EQ(item.ReadCurrent(), 0);
    EXPECT_EQ(item.GetCurrent(), 1);
    item.SetWindowsDefault();
    EXPECT_EQ(item.GetCurrent(), 1);
    EXPECT_EQ(item.GetOptimal(), 0);

    EXPECT_EQ(item.ApplyOptimal(), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, WorkstationTSKey, ProgramView));
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, SettingsKey, "SavedWorkstationTS", ProgramView),
              Text("Scheduled Tasks"));

    // Missing: it reads 0, and applying again does nothing.
    EXPECT_EQ(item.ReadCurrent(), 1);
    EXPECT_EQ(item.GetCurrent(), 0);
    EXPECT_EQ(item.ApplyOptimal(), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, WorkstationTSKey, ProgramView));

    // The restore brings the key back from its record, and the record goes.
    EXPECT_EQ(item.RestoreDefault(), 1);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, WorkstationTSKey, NULL, ProgramView),
              Text("Scheduled Tasks"));
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, SettingsKey, "SavedWorkstationTS", ProgramView),
              Missing);
    // The 32-bit program's restore leaves the 64-bit view alone.
    if (kThirtyTwoBitProgram) {
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, WorkstationTSKey, KEY_WOW64_64KEY));
    }
    // With the key there and no record it changes nothing.
    EXPECT_EQ(item.RestoreDefault(), 1);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, WorkstationTSKey, NULL, ProgramView),
              Text("Scheduled Tasks"));

    // Without key and record a restore creates nothing.
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, WorkstationTSKey, ProgramView, 0);
    EXPECT_EQ(item.RestoreDefault(), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, WorkstationTSKey, ProgramView));
}

TEST(TweakItems, InterfaceRowsNeedAnInterfaceKey)
{
    const int interfaceRows[] = {10, 14, 16, 18, 25};
    SetAdapterKeyForTesting("", static_cast<DWORD>(-1));
    RegistryDump before = Dump(HKEY_LOCAL_MACHINE, InterfacesKey);
    for (int row : interfaceRows) {
        SCOPED_TRACE(row);
        COptimizerItem item = Row(row);
        EXPECT_TRUE(item.GetKeyPath().IsEmpty());
        EXPECT_EQ(item.ReadCurrent(), 0);
        EXPECT_EQ(item.GetCurrent(), -1);
        EXPECT_EQ(item.ApplyOptimal(), 0);
        item.SetWindowsDefault();
        EXPECT_EQ(item.RestoreDefault(), 0);
    }
    EXPECT_EQ(Dump(HKEY_LOCAL_MACHINE, InterfacesKey), before);

    // With a known interface the rows live under its key.
    const char* adapter = "{7E1A0C5D-0000-4000-8000-00000000A11C}";
    SetAdapterKeyForTesting(adapter, 7);
    const std::string adapterKey = std::string(InterfacesKey) + "\\" + adapter;
    COptimizerItem mtu = Row(10);
    EXPECT_EQ(mtu.GetKeyPath(),
              CString("HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Tcpip\\Parameters\\"
                      "Interfaces\\") + adapter);
    EXPECT_EQ(mtu.ApplyOptimal(), 1);
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, adapterKey, "MTU", 0), Dword(1500));
    COptimizerItem ack = Row(14);
    EXPECT_EQ(ack.ApplyOptimal(), 1);
    EXPECT_EQ(ack.ReadCurrent(), 1);
    EXPECT_EQ(ack.GetCurrent(), 0);
    SetAdapterKeyForTesting(NULL, 0);
}
