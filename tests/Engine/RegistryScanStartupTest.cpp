// The registry scan's startup-item ("SUI") and uninstall-entry ("UIE") checks, driven through
// Tarnex.dll with entries planted in the real registry and files of the test prefix. Each case
// runs in a fresh prefix, so the exact set of findings is asserted: everything planted as
// invalid, and nothing else.
#include <gtest/gtest.h>

#include "Support/ProgramBitness.h"
#include "Support/RegistryScanFixture.h"

namespace {

const std::string RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string RunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const std::string MenuOrderKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs";
const std::string UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string InstallerFoldersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";

struct RunCase {
    HKEY root;
    std::string key;
    std::string name;
    std::string data;
    DWORD type;
    bool reported;
};

}  // namespace

// Run-key commands: reported when the program is established missing, with the value's text;
// commands that old rules misjudged (tokens of 32-bit folders, %ProgramData%, missing drives,
// folders whose name holds ".exe", unquoted blanks, scripts, non-string data) are not.
TEST(RegistryScanStartupItems, RunCommandsOfMissingProgramsAreReportedAndNothingElse)
{
    const std::string tag = UniqueTag();
    const std::string base = "c:\\" + tag;
    const std::string programFiles32 = ShellFolder(CSIDL_PROGRAM_FILESX86);
    const std::string programData = ShellFolder(CSIDL_COMMON_APPDATA);
    ASSERT_FALSE(programFiles32.empty());
    ASSERT_FALSE(programData.empty());
    const std::string drive = AbsentDrive();

    ScanFixture files;
    ASSERT_TRUE(files.File(base + "\\foo.exe.d\\bar.exe"));
    ASSERT_TRUE(files.File(base + "\\my tools\\app.exe"));
    ASSERT_TRUE(files.File(programFiles32 + "\\" + tag + "\\app32.exe"));
    ASSERT_TRUE(files.File(programData + "\\" + tag + "\\data.exe"));

    const std::vector<RunCase> cases = {
        {HKEY_CURRENT_USER, RunKey, tag + "_quotes", "\"\"", REG_SZ, true},
        {HKEY_CURRENT_USER, RunKey, tag + "_backslashes", "\\\\", REG_SZ, true},
        {HKEY_CURRENT_USER, RunKey, tag + "_gone", "\"" + base + "\\gone.exe\" /min", REG_SZ, true},
        {HKEY_CURRENT_USER, RunOnceKey, tag + "_once", base + "\\once.exe", REG_SZ, true},
        {HKEY_LOCAL_MACHINE, RunKey, tag + "_hklm", base + "\\gone.exe", REG_SZ, true},
        {HKEY_CURRENT_USER, RunKey, tag + "_exedir_gone", base + "\\foo.exe.d\\gone.exe", REG_SZ, true},
        {HKEY_CURRENT_USER, RunKey, tag + "_progdata_gone", "%ProgramData%\\" + tag + "\\gone.exe",
         REG_EXPAND_SZ, true},
        {HKEY_CURRENT_USER, RunKey, tag + "_rundll",
         "rundll32.exe shell32.dll,Control_RunDLL desk.cpl", REG_SZ, false},
        {HKEY_CURRENT_USER, RunKey, tag + "_script", base + "\\gone.cmd", REG_SZ, false},
        // Under WOW64 the token is the 32-bit folder; for the 64-bit program it is the native one,
        // where the program is not.
        {HKEY_CURRENT_USER, RunKey, tag + "_token32", "%ProgramFiles%\\" + tag + "\\app32.exe",
         REG_EXPAND_SZ, !kThirtyTwoBitProgram},
        {HKEY_CURRENT_USER, RunKey, tag + "_progdata", "\"%ProgramData%\\" + tag + "\\data.exe\" -q",
         REG_EXPAND_SZ, false},
        {HKEY_CURRENT_USER, RunKey, tag + "_unknownvar", "%" + tag + "HOME%\\gone.exe", REG_EXPAND_SZ,
         false},
        {HKEY_CURRENT_USER, RunKey, tag + "_drive", drive + "\\tools\\gone.exe", REG_SZ, false},
        {HKEY_CURRENT_USER, RunKey, tag + "_exedir", base + "\\foo.exe.d\\bar.exe -x", REG_SZ, false},
        {HKEY_CURRENT_USER, RunKey, tag + "_blanks", base + "\\my tools\\app.exe /background", REG_SZ,
         false},
        {HKEY_LOCAL_MACHINE, RunKey, tag + "_notepad", "notepad.exe", REG_SZ, false},
    };

    ScanFixture registry;
    for (const RunCase& c : cases)
        ASSERT_TRUE(registry.String(c.root, c.key, c.name, c.data, c.type)) << c.name;
    ASSERT_TRUE(registry.Dword(HKEY_CURRENT_USER, RunKey, tag + "_dword", 0));

    FoundItems expected;
    for (const RunCase& c : cases)
        if (c.reported)
            expected.insert({std::string(c.root == HKEY_CURRENT_USER ? "HKEY_CURRENT_USER\\"
                                                                     : "HKEY_LOCAL_MACHINE\\") +
                                 c.key + ValueSeparator + c.name,
                             RegScanStartupItems});

    ScanProcess process;
    RecordingStatus status;
    ASSERT_TRUE(process.Scan(status, RegScanStartupItems));
    FoundItems found = FoundItemsOf(status);
    EXPECT_EQ(found, expected) << "found:\n" << DescribeItems(found) << "expected:\n"
                               << DescribeItems(expected);
    // One progress text per value read, under the key's own path.
    int runTexts = 0;
    for (const StatusCall& call : status.CallsOf("OnStatusText"))
        if (call.stage == "SUI" && call.text == RunKey)
            ++runTexts;
    EXPECT_GE(runTexts, 14);
}

// Start-menu order entries name folders: an entry whose folder is in none of the candidate
// folders is reported as its key, one whose folder exists under the common Programs folder is
// not.
TEST(RegistryScanStartupItems, MenuOrderEntriesWithoutTheirFolderAreReported)
{
    const std::string tag = UniqueTag();
    const std::string commonPrograms = ShellFolder(CSIDL_COMMON_PROGRAMS);
    ASSERT_FALSE(commonPrograms.empty());
    ScanFixture files;
    ASSERT_TRUE(files.Folder(commonPrograms + "\\" + tag + "Dir"));

    ScanFixture registry;
    ASSERT_TRUE(registry.Key(HKEY_CURRENT_USER, MenuOrderKey + "\\" + tag + "Gone"));
    ASSERT_TRUE(registry.Key(HKEY_CURRENT_USER, MenuOrderKey + "\\" + tag + "Dir"));

    ScanProcess process;
    RecordingStatus status;
    ASSERT_TRUE(process.Scan(status, RegScanStartupItems));
    FoundItems expected = {
        {"HKEY_CURRENT_USER\\" + MenuOrderKey + "\\" + tag + "Gone", RegScanStartupItems}};
    FoundItems found = FoundItemsOf(status);
    EXPECT_EQ(found, expected) << DescribeItems(found);
    int entryTexts = 0;
    for (const StatusCall& call : status.CallsOf("OnStatusText"))
        if (call.stage == "SUI" && call.text.find(MenuOrderKey + "\\" + tag) == 0)
            ++entryTexts;
    EXPECT_EQ(entryTexts, 2);
}

// Uninstall records: the record's key is reported when its uninstaller is established
// missing. Windows Installer commands are never judged; the value name is matched without
// regard to case; token paths of 32-bit programs, missing drives and folders named "x.exe.d"
// are not misjudged. Installer folder records are reported as key, separator, stored name.
TEST(RegistryScanUninstallEntries, RecordsOfMissingUninstallersAndFoldersAreReportedAndNothingElse)
{
    const std::string tag = UniqueTag();
    const std::string base = "c:\\" + tag;
    const std::string programFiles32 = ShellFolder(CSIDL_PROGRAM_FILESX86);
    ASSERT_FALSE(programFiles32.empty());
    const std::string drive = AbsentDrive();

    ScanFixture files;
    ASSERT_TRUE(files.File(base + "\\ok\\uninst.exe"));
    ASSERT_TRUE(files.File(base + "\\a.exe.d\\uninst.exe"));
    ASSERT_TRUE(files.File(programFiles32 + "\\" + tag + "\\uninst.exe"));
    ASSERT_TRUE(files.Folder(base + "\\keptfolder"));

    struct Record {
        std::string name;
        std::string valueName;
        std::string command;
        DWORD type;
        bool reported;
    };
    const std::vector<Record> records = {
        {tag + "Gone", "UninstallString", "\"" + base + "\\gone\\uninst.exe\" /S", REG_SZ, true},
        {tag + "Case", "uninstallstring", base + "\\gone\\remove.exe", REG_SZ, true},
        {tag + "Msi", "UninstallString", "MsiExec.exe /X{A1A1A1A1-0000-0000-0000-000000000001}", REG_SZ,
         false},
        {tag + "Ok", "UninstallString", "\"" + base + "\\ok\\uninst.exe\" /S", REG_SZ, false},
        {tag + "Token", "UninstallString", "\"%ProgramFiles%\\" + tag + "\\uninst.exe\" /x",
         REG_EXPAND_SZ, !kThirtyTwoBitProgram},
        {tag + "Drive", "UninstallString", drive + "\\setup\\uninst.exe", REG_SZ, false},
        {tag + "ExeDir", "UninstallString", "\"" + base + "\\a.exe.d\\uninst.exe\" /S", REG_SZ, false},
        {tag + "Other", "QuietUninstallString", base + "\\gone\\uninst.exe", REG_SZ, false},
    };
    ScanFixture registry;
    FoundItems expected;
    for (const Record& r : records) {
        ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, UninstallKey + "\\" + r.name, r.valueName,
                                       r.command, r.type));
        if (r.reported)
            expected.insert({"HKEY_LOCAL_MACHINE\\" + UninstallKey + "\\" + r.name, RegScanUninstall});
    }
    const std::string goneFolder = base + "\\gonefolder\\";
    ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, InstallerFoldersKey, goneFolder, ""));
    ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, InstallerFoldersKey, base + "\\keptfolder\\", ""));
    ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, InstallerFoldersKey, "C:\\windows\\", ""));
    ASSERT_TRUE(registry.String(HKEY_LOCAL_MACHINE, InstallerFoldersKey, drive + "\\kept\\", ""));
    expected.insert({"HKEY_LOCAL_MACHINE\\" + InstallerFoldersKey + ValueSeparator + goneFolder, RegScanUninstall});

    ScanProcess process;
    RecordingStatus status;
    ASSERT_TRUE(process.Scan(status, RegScanUninstall));
    FoundItems found = FoundItemsOf(status);
    EXPECT_EQ(found, expected) << "found:\n" << DescribeItems(found) << "expected:\n"
                               << DescribeItems(expected);
    // A progress text for each examined record (not for the Windows Installer one).
    std::set<std::string> recordTexts;
    for (const StatusCall& call : status.CallsOf("OnStatusText"))
        if (call.stage == "UIE" && !call.text.empty())
            recordTexts.insert(call.text);
    EXPECT_TRUE(recordTexts.count(UninstallKey + "\\" + tag + "Gone"));
    EXPECT_FALSE(recordTexts.count(UninstallKey + "\\" + tag + "Msi"));
}
