// The Restore Center of a copy of the real program, driven from the outside: the backups it
// lists, a backup the engine made restored through the main window, an unreadable one, the
// removal of ticked files (one at the next restart), and the two defaults buttons on the real
// registry. Each case runs in a prefix of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "Client/Resources/ToolDialogResources.h"
#include "Client/Scan/TweakFixture.h"
#include "Engine/RegistryFixture.h"
#include "Support/ScreenshotPause.h"
#include "Frame/FrameResources.h"
#include "ToolDialogDriver.h"

namespace {

const char Title[] = "Restore Center";

std::string Sz(const std::string& text)
{
    return text + std::string(1, '\0');
}

HWND OpenRestoreCenter(ProgramCopy& copy)
{
    return copy.Open(IDC_CAPTION_RESTORE, Title);
}

// "X": the dialog ends with IDCANCEL and the main window says nothing.
void CloseWithX(ProgramCopy& copy, HWND dialog)
{
    PressPosted(dialog, IDC_TOOL_CLOSE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, ToolTimeout));
    Sleep(400);
    EXPECT_EQ(copy.FindBox(), static_cast<HWND>(NULL));
}

// The names the list shows for the backups, in the reverse of the folder's find order.
std::vector<std::string> ListedNames(const std::string& folder, const std::map<std::string, std::string>& shownAs)
{
    std::vector<std::string> files = FindOrder(folder, "*.rbk");
    std::reverse(files.begin(), files.end());
    std::vector<std::string> names;
    for (const std::string& file : files)
        names.push_back(shownAs.at(file));
    return names;
}

}  // namespace

TEST(RestoreCenter, ListsTheBackupsInReverseFindOrderSevenUntilShowMore)
{
    ProgramCopy copy;
    const std::string folder = copy.BackupFolder(true);
    // File name and the name it is listed under.
    const std::map<std::string, std::string> shownAs = {
        {"x.y.rbk", "x.y"},
        {".rbk", ".rbk"},
        {"01122026_090000_REGBACKUP.rbk", "01122026_090000_REGBACKUP"},
        {"02122026_090000_REGBACKUP.rbk", "02122026_090000_REGBACKUP"},
        {"03122026_090000_REGBACKUP.rbk", "03122026_090000_REGBACKUP"},
        {"04122026_090000_REGBACKUP.rbk", "04122026_090000_REGBACKUP"},
        {"05122026_090000_REGBACKUP.rbk", "05122026_090000_REGBACKUP"},
        {"Zeta.rbk", "Zeta"},
    };
    // Not a backup: neither listed nor counted.
    ASSERT_TRUE(WriteFileBytes(folder + "\\notes.txt", "x"));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\folder.rbk").c_str(), NULL));
    ASSERT_TRUE(copy.Start());
    const std::regex datePattern("^[A-Z][a-z]+ \\d{2}, \\d{4} \\(\\d{2}:\\d{2}:\\d{2}\\)$");

    std::vector<std::string> files;
    for (const auto& entry : shownAs)
        files.push_back(entry.first);
    for (int count : {7, 8}) {
        SCOPED_TRACE(testing::Message() << count << " backups");
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(WriteFileBytes(folder + "\\" + files[size_t(i)], "<backup/>"));
        ASSERT_EQ(FindOrder(folder, "*.rbk").size(), size_t(count));

        HWND dialog = OpenRestoreCenter(copy);
        ASSERT_NE(dialog, static_cast<HWND>(NULL));
        RemoteList list(GetDlgItem(dialog, IDC_RESTORE_LIST));
        const std::vector<std::string> all = ListedNames(folder, shownAs);
        const bool limited = count > 7;
        const std::vector<std::string> shown(all.begin(), all.begin() + (limited ? 7 : count));
        EXPECT_EQ(list.Column(0), shown);
        EXPECT_EQ(Visible(dialog, IDC_TOOL_SHOW_MORE), limited);
        for (const std::string& date : list.Column(1))
            EXPECT_TRUE(std::regex_match(date, datePattern)) << date;
        if (limited) {
            PauseForScreenshot("restore-center-registry");
            Press(dialog, IDC_TOOL_SHOW_MORE);
            EXPECT_EQ(list.Column(0), all);
            EXPECT_FALSE(Visible(dialog, IDC_TOOL_SHOW_MORE));
        }
        // The Defaults tab hides the list; the Registry tab brings it back without the label.
        Press(dialog, IDC_RESTORE_TAB_DEFAULTS);
        EXPECT_FALSE(Visible(dialog, IDC_RESTORE_LIST));
        EXPECT_TRUE(Visible(dialog, IDC_RESTORE_INTERNET));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_RESTORE_TAB_DEFAULTS)));
        if (limited)
            PauseForScreenshot("restore-center-defaults");
        Press(dialog, IDC_RESTORE_TAB_REGISTRY);
        EXPECT_TRUE(Visible(dialog, IDC_RESTORE_LIST));
        EXPECT_FALSE(Visible(dialog, IDC_TOOL_SHOW_MORE));
        EXPECT_FALSE(Visible(dialog, IDC_RESTORE_SYSTEM));

        // Nothing ticked: Restore does nothing at all.
        Press(dialog, IDC_RESTORE_RESTORE);
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_EQ(copy.FindBox(), static_cast<HWND>(NULL));
        CloseWithX(copy, dialog);
    }
}

TEST(RestoreCenter, RestoreGivesAnEngineBackupBackExactly)
{
    const std::string key = "Software\\VelmoraRestoreTest";
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, key, "text", REG_SZ, Sz("hello")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, key, "number", REG_DWORD, std::string("\x2a\0\0\x80", 4)));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, key, "lines", REG_MULTI_SZ, std::string("one\0two\0\0", 9)));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, key + "\\Sub", "inner", REG_SZ, Sz("deep")));
    const RegistryDump before = Dump(HKEY_CURRENT_USER, key);

    // The engine backs the key up, then its repair deletes it.
    ProgramCopy copy;
    ASSERT_TRUE(copy.AddTestFile("tool_backup_maker.exe"));
    {
        ChildProcess maker;
        const std::string path = copy.Folder() + "tool_backup_maker.exe";
        ASSERT_TRUE(maker.Start(path, "\"" + path + "\" HKEY_CURRENT_USER\\" + key, copy.Folder()));
        ASSERT_TRUE(maker.WaitForExit(60000));
        ASSERT_EQ(maker.ExitCode(), 0u);
    }
    ASSERT_FALSE(KeyPresent(HKEY_CURRENT_USER, key));
    ASSERT_EQ(FindOrder(copy.BackupFolder(), "*.rbk").size(), 1u);

    ASSERT_TRUE(copy.Start());
    HWND dialog = OpenRestoreCenter(copy);
    ASSERT_NE(dialog, static_cast<HWND>(NULL));
    RemoteList list(GetDlgItem(dialog, IDC_RESTORE_LIST));
    ASSERT_EQ(list.Count(), 1);
    list.Check(0, true);
    ASSERT_TRUE(list.Checked(0));
    PressPosted(dialog, IDC_RESTORE_RESTORE);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, ToolTimeout));
    const DWORD ended = GetTickCount();
    EXPECT_EQ(copy.TakeBox(), "Registry restore is complete.");
    // The main window lets the dialog's window go before it speaks.
    EXPECT_GE(GetTickCount() - ended, 150u);
    EXPECT_EQ(Dump(HKEY_CURRENT_USER, key), before);
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

TEST(RestoreCenter, AnUnreadableBackupIsNeverReportedRestored)
{
    ProgramCopy copy;
    const std::string folder = copy.BackupFolder(true);
    // A blank before the document's first element: a syntax error in line 1.
    ASSERT_TRUE(WriteFileBytes(folder + "\\garbage.rbk", " <registry>\r\n </registry>\r\n"));
    ASSERT_TRUE(copy.Start());
    HWND dialog = OpenRestoreCenter(copy);
    ASSERT_NE(dialog, static_cast<HWND>(NULL));
    RemoteList list(GetDlgItem(dialog, IDC_RESTORE_LIST));
    ASSERT_EQ(list.Count(), 1);
    list.Check(0, true);
    PressPosted(dialog, IDC_RESTORE_RESTORE);

    // The engine says what it could not read, then the dialog says the restore failed.
    HWND engineBox = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (engineBox = copy.FindEngineBox()) != NULL; }, ToolTimeout));
    EXPECT_NE(StaticTexts(engineBox).find("Parse error in line 1 : (Syntax error)"), std::string::npos)
        << StaticTexts(engineBox);
    PostMessageA(engineBox, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(copy.TakeBox(), "Registry restore could not be completed.");
    EXPECT_TRUE(IsWindowVisible(dialog));
    // The list was read again: the backup is still there, unticked.
    ASSERT_EQ(list.Count(), 1);
    EXPECT_FALSE(list.Checked(0));
    CloseWithX(copy, dialog);
}

TEST(RestoreCenter, RemoveDeletesAtOnceOrAtTheNextRestart)
{
    ProgramCopy copy;
    const std::string folder = copy.BackupFolder(true);
    for (const char* name : {"a.rbk", "b.rbk", "c.rbk", "d.rbk"})
        ASSERT_TRUE(WriteFileBytes(folder + "\\" + name, "<backup/>"));
    const std::string plain = folder + "\\a.rbk", held = folder + "\\b.rbk";
    const std::string readOnly = folder + "\\c.rbk", kept = folder + "\\d.rbk";
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    ASSERT_TRUE(copy.Start());
    HWND dialog = OpenRestoreCenter(copy);
    ASSERT_NE(dialog, static_cast<HWND>(NULL));
    RemoteList list(GetDlgItem(dialog, IDC_RESTORE_LIST));
    const std::map<std::string, std::string> shownAs = {
        {"a.rbk", "a"}, {"b.rbk", "b"}, {"c.rbk", "c"}, {"d.rbk", "d"}};
    ASSERT_EQ(list.Column(0), ListedNames(folder, shownAs));
    for (int row = 0; row < list.Count(); ++row)
        if (list.Text(row, 0) != "d")
            list.Check(row, true);
    Press(dialog, IDC_TOOL_REMOVE);

    EXPECT_FALSE(FileExists(plain));
    EXPECT_FALSE(FileExists(readOnly));
    EXPECT_TRUE(FileExists(held));
    EXPECT_TRUE(FileExists(kept));
    // Read again in the same order: the held one stays listed until the restart.
    EXPECT_EQ(list.Column(0), ListedNames(folder, shownAs));
    EXPECT_EQ(list.Count(), 2);
    const StoredValue pending = ReadStored(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                                           "PendingFileRenameOperations", KEY_WOW64_64KEY);
    EXPECT_EQ(pending.type, DWORD(REG_MULTI_SZ));
    EXPECT_NE(pending.data.find("\\??\\" + held), std::string::npos);
    CloseWithX(copy, dialog);
    EXPECT_TRUE(copy.Quit());

    // The prefix's restart carries the delete out; nothing is killed on the way.
    CloseHandle(holder);
    EXPECT_TRUE(ExitWindowsEx(EWX_REBOOT, 0));
    EXPECT_TRUE(WaitUntil([&] { return !FileExists(held); }, 30000));
    EXPECT_TRUE(FileExists(kept));
}

// --- the Defaults tab -----------------------------------------------------------------------

namespace {

using namespace tweakfixture;

// Rows the copy restores whatever network it finds: not the per-interface ones, not the key.
bool Comparable(const Row& row)
{
    return row.kind != Key && std::string(row.place.path).find("{0}") == std::string::npos;
}

// A value no row has by default.
StoredValue OffDefault(const Row& row)
{
    const long long number = row.windowsDefault == Absent ? 4321 : row.windowsDefault + 7;
    return Stored(row, number);
}

bool PlantOffDefaults(int first, int last)
{
    for (int r = first; r <= last; ++r)
        if (Comparable(Rows[r]) &&
            !WriteStored(Rows[r].place.root, PathOf(Rows[r]), Rows[r].name, Rows[r].view, OffDefault(Rows[r])))
            return false;
    return true;
}

struct DefaultsButton {
    int id;
    int first, last;           // its rows
    int otherFirst, otherLast; // the rows it must leave alone
    const char* done;
};
const DefaultsButton Buttons[] = {
    {IDC_RESTORE_INTERNET, 0, 53, 54, 77, "Default internet speed settings restored."},
    {IDC_RESTORE_SYSTEM, 54, 77, 0, 53, "Default system speed settings restored."},
};

}  // namespace

TEST(RestoreCenterDefaults, EachButtonRestoresItsOwnRowsOnly)
{
    ProgramCopy copy;
    ASSERT_TRUE(copy.Start());
    for (const DefaultsButton& button : Buttons) {
        SCOPED_TRACE(button.done);
        ASSERT_TRUE(PlantOffDefaults(0, 77));
        HWND dialog = OpenRestoreCenter(copy);
        ASSERT_NE(dialog, static_cast<HWND>(NULL));
        Press(dialog, IDC_RESTORE_TAB_DEFAULTS);
        PressPosted(dialog, button.id);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 60000));
        EXPECT_EQ(copy.TakeBox(), button.done);
        for (int r = button.first; r <= button.last; ++r) {
            if (Comparable(Rows[r])) {
                EXPECT_EQ(Current(Rows[r]), Stored(Rows[r], Rows[r].windowsDefault)) << "row " << r;
            }
        }
        for (int r = button.otherFirst; r <= button.otherLast; ++r) {
            if (Comparable(Rows[r])) {
                EXPECT_EQ(Current(Rows[r]), OffDefault(Rows[r])) << "row " << r;
            }
        }
    }
}

TEST(RestoreCenterDefaults, AFailedSystemRestoreSaysSoAndStaysOpen)
{
    ASSERT_TRUE(PlantOffDefaults(54, 77));
    // No lasting key can be made under a volatile one: the policy rows cannot be written.
    const char policies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies";
    RegDeleteTreeA(HKEY_CURRENT_USER, policies);
    HKEY volatileKey;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, policies, 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, NULL,
                              &volatileKey, NULL),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);

    ProgramCopy copy;
    ASSERT_TRUE(copy.Start());
    HWND dialog = OpenRestoreCenter(copy);
    ASSERT_NE(dialog, static_cast<HWND>(NULL));
    Press(dialog, IDC_RESTORE_TAB_DEFAULTS);
    PressPosted(dialog, IDC_RESTORE_SYSTEM);
    EXPECT_EQ(copy.TakeBox(60000), "Default system speed settings could not be restored completely.");
    EXPECT_TRUE(IsWindowVisible(dialog));
    for (int r = 54; r <= 77; ++r) {
        const Row& row = Rows[r];
        if (!Comparable(row) || std::string(row.place.path).find("\\Policies\\") != std::string::npos)
            continue;
        EXPECT_EQ(Current(row), Stored(row, row.windowsDefault)) << "row " << r;
    }
    CloseWithX(copy, dialog);
}
