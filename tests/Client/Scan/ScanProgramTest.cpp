// The System Scan of the real program, driven from the outside: a scan, a key unticked on the
// registry results page and a fix, with and without the backup before the repair; the running
// browsers named in the question and ended or kept; and the "STARTSCAN" start, hidden until the
// scan ends. A copy of Velmora.exe in a folder of its own (its backups go beside it), each case
// in a prefix and on a display of its own; the temporary folder the program sees is the test's.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "Client/Frame/ProcessDriver.h"
#include "Client/Frame/ProgramSettings.h"
#include "Client/Resources/ControlResources.h"
#include "Client/Resources/ResultsResources.h"
#include "Client/Resources/ScanPageResources.h"
#include "Client/Tools/ToolDialogDriver.h"
#include "Engine/Interfaces/EngineInterfaces.h"

namespace {

const DWORD ScanTimeout = 60000;
const char AppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char BackupPattern[] = "_REGBACKUP.rbk";

void StoreDword(const char* name, DWORD value)
{
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, name, REG_DWORD, &value, sizeof value);
}

// The program scans the App Paths key and the temporary folder only, and backs up as told.
void StoreChoices(DWORD autoRegBackup)
{
    StoreDword(SettingLastSelScanRegTypes, RegScanAppPaths);
    StoreDword(SettingLastSelScanJunkTypes, JunkTempFiles);
    StoreDword(SettingLastSelScanInetTypes, 0);
    StoreDword(SettingLastSelScanSysTypes, 0);
    StoreDword(SettingAutoRegBackup, autoRegBackup);
}

// count App Paths entries naming a missing program; their texts as the results page shows them.
std::vector<std::string> PlantKeys(int count, const char* tag)
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        const std::string name = std::string("zzVelmoraProgram") + tag + std::to_string(i) + ".exe";
        const std::string key = std::string(AppPathsKey) + "\\" + name;
        const std::string target = "C:\\VelmoraNowhere\\" + name;
        EXPECT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), NULL, REG_SZ, target.c_str(),
                                  DWORD(target.size() + 1)),
                  ERROR_SUCCESS);
        texts.push_back("HKEY_LOCAL_MACHINE\\" + key);
    }
    return texts;
}

bool KeyThere(const std::string& text)
{
    const std::string path = text.substr(strlen("HKEY_LOCAL_MACHINE\\"));
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Sets the temporary folder a started program inherits; the last one back when it ends.
class TempFolderForChildren {
public:
    explicit TempFolderForChildren(const std::string& folder)
    {
        GetEnvironmentVariableA("TMP", m_tmp, sizeof m_tmp);
        GetEnvironmentVariableA("TEMP", m_temp, sizeof m_temp);
        SetEnvironmentVariableA("TMP", folder.c_str());
        SetEnvironmentVariableA("TEMP", folder.c_str());
    }
    ~TempFolderForChildren()
    {
        SetEnvironmentVariableA("TMP", m_tmp);
        SetEnvironmentVariableA("TEMP", m_temp);
    }

private:
    char m_tmp[MAX_PATH] = {};
    char m_temp[MAX_PATH] = {};
};

std::string PlantTempFile(const std::string& folder, const char* name)
{
    std::string path = folder;
    if (path.back() != '\\')
        path += "\\";
    path += name;
    EXPECT_TRUE(WriteFileBytes(path, std::string(1000, 'j')));
    return path;
}

// The backup files anywhere below folder.
int CountBackups(const std::string& folder)
{
    int count = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            count += CountBackups(folder + "\\" + name);
        else if (name.size() > strlen(BackupPattern) &&
                 name.compare(name.size() - strlen(BackupPattern), std::string::npos, BackupPattern) == 0)
            ++count;
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return count;
}

// A tree view of another process: item texts read through memory of that process.
class RemoteTree {
public:
    explicit RemoteTree(HWND tree) : m_tree(tree)
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(tree, &processId);
        m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
        if (m_process)
            m_remote = static_cast<char*>(VirtualAllocEx(m_process, NULL, Page, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteTree()
    {
        if (m_remote)
            VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
        if (m_process)
            CloseHandle(m_process);
    }
    RemoteTree(const RemoteTree&) = delete;
    RemoteTree& operator=(const RemoteTree&) = delete;

    std::string Text(HTREEITEM item) const
    {
        if (!m_remote)
            return std::string();
        TVITEMA query = {};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = m_remote + sizeof(TVITEMA);
        query.cchTextMax = Page - int(sizeof(TVITEMA)) - 1;
        WriteProcessMemory(m_process, m_remote, &query, sizeof query, NULL);
        if (!SendMessageA(m_tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(m_remote)))
            return std::string();
        char text[Page] = {};
        ReadProcessMemory(m_process, m_remote + sizeof(TVITEMA), text, Page - sizeof(TVITEMA) - 1, NULL);
        return text;
    }
    HTREEITEM Next(HTREEITEM item, UINT how) const
    {
        return reinterpret_cast<HTREEITEM>(SendMessageA(m_tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
    }
    // The found items: the children of the category items.
    std::vector<HTREEITEM> FoundItems() const
    {
        std::vector<HTREEITEM> items;
        for (HTREEITEM category = Next(NULL, TVGN_ROOT); category; category = Next(category, TVGN_NEXT))
            for (HTREEITEM item = Next(category, TVGN_CHILD); item; item = Next(item, TVGN_NEXT))
                items.push_back(item);
        return items;
    }
    std::vector<std::string> FoundTexts() const
    {
        std::vector<std::string> texts;
        for (HTREEITEM item : FoundItems())
            texts.push_back(Text(item));
        return texts;
    }
    // The item's label rectangle in the tree's client coordinates (empty when not shown).
    RECT LabelRect(HTREEITEM item) const
    {
        RECT rect = {};
        if (!m_remote)
            return rect;
        WriteProcessMemory(m_process, m_remote, &item, sizeof item, NULL);
        if (SendMessageA(m_tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(m_remote)))
            ReadProcessMemory(m_process, m_remote, &rect, sizeof rect, NULL);
        return rect;
    }
    int CheckState(HTREEITEM item) const
    {
        return int(SendMessageA(m_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK) >> 12);
    }
    // Unticks the item as the keyboard does: selected, then the space bar.
    void Toggle(HTREEITEM item)
    {
        SendMessageA(m_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        SendMessageA(m_tree, WM_KEYDOWN, VK_SPACE, 0);
    }

private:
    enum { Page = 4096 };
    HWND m_tree;
    HANDLE m_process = NULL;
    char* m_remote = NULL;
};

class ScanProgramTest : public ::testing::Test {
protected:
    HWND Page() const { return GetDlgItem(program.Main(), IDD_PAGE_SYSTEM_SCAN); }
    std::string Headline() const { return WindowText(GetDlgItem(Page(), IDC_SCAN_HEADLINE)); }
    std::string Count(int row) const { return WindowText(GetDlgItem(Page(), IDC_ROW_COUNT_FIRST + row)); }
    HWND RegistryTree() const
    {
        return GetDlgItem(GetDlgItem(program.Main(), IDD_PAGE_REGISTRY_RESULTS), IDC_REGRESULTS_TREE);
    }
    bool WaitForHeadline(const std::string& prefix, DWORD timeoutMs = ScanTimeout) const
    {
        return WaitUntil([&] { return Headline().compare(0, prefix.size(), prefix) == 0; }, timeoutMs, 50);
    }
    // Presses Scan and waits for the end of the scan with findings.
    void Scan(const char* headline)
    {
        ASSERT_TRUE(WaitUntil([&] { return Visible(Page(), IDC_SCAN_START); }, ScanTimeout));
        PressPosted(Page(), IDC_SCAN_START);
        ASSERT_TRUE(WaitUntil([&] { return Headline() != "Scan in progress" && Visible(Page(), IDC_SCAN_FIX); },
                              ScanTimeout, 50))
            << Headline();
        EXPECT_EQ(Headline(), headline);
    }

    // Starts the copy with the test's temporary folder as its own.
    bool StartProgram(const std::string& arguments = std::string(), bool waitVisible = true)
    {
        TempFolderForChildren folder(temp);
        return program.Start(arguments, waitVisible);
    }

    std::string temp = MakeScratchFolder("scan-temp");
    ProgramCopy program;
};

// The skinned box's own text (the long or the short one).
std::string BoxText(HWND box)
{
    const std::string text = WindowText(GetDlgItem(box, IDC_MSGBOX_LONG_TEXT));
    return text.empty() ? WindowText(GetDlgItem(box, IDC_MSGBOX_SHORT_TEXT)) : text;
}

TEST_F(ScanProgramTest, FixRepairsTheTickedKeysWithABackupWhenAskedAndKeepsTheUntickedOne)
{
    const struct {
        DWORD autoRegBackup;
        int newBackups;
    } cases[] = {{1, 1}, {0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.autoRegBackup);
        StoreChoices(c.autoRegBackup);
        const std::vector<std::string> keys = PlantKeys(3, c.autoRegBackup ? "B" : "N");
        const std::string junk = PlantTempFile(temp, "junk.tmp");
        const int backupsBefore = CountBackups(program.Folder() + "TarnexRegBackup");
        ASSERT_TRUE(StartProgram());

        Scan("Scan found some system settings. Fix it with One-Click");
        EXPECT_EQ(Count(0), "3");
        EXPECT_EQ(Count(1), "1000 bytes");
        {
            RemoteTree tree(RegistryTree());
            std::vector<HTREEITEM> items = tree.FoundItems();
            ASSERT_EQ(tree.FoundTexts(), keys);
            ASSERT_EQ(tree.CheckState(items[2]), 2);
            tree.Toggle(items[2]);
            ASSERT_EQ(tree.CheckState(items[2]), 1);
        }

        PressPosted(Page(), IDC_SCAN_FIX);
        ASSERT_TRUE(WaitForHeadline("All found items resolved!")) << Headline();
        EXPECT_FALSE(KeyThere(keys[0]));
        EXPECT_FALSE(KeyThere(keys[1]));
        EXPECT_TRUE(KeyThere(keys[2]));
        EXPECT_FALSE(FileExists(junk));
        EXPECT_EQ(CountBackups(program.Folder() + "TarnexRegBackup"), backupsBefore + c.newBackups);
        EXPECT_EQ(program.FindBox(), static_cast<HWND>(NULL));

        // The next scan finds the unticked key alone.
        Scan("Scan found some registry settings. Fix it with One-Click");
        EXPECT_EQ(Count(0), "1");
        // No junk was reported: the junk count keeps the "0" of the scan's start.
        EXPECT_EQ(Count(1), "0");
        EXPECT_EQ(RemoteTree(RegistryTree()).FoundTexts(), std::vector<std::string>{keys[2]});
        ASSERT_TRUE(program.Quit());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, keys[2].substr(strlen("HKEY_LOCAL_MACHINE\\")).c_str());
    }
}

// The copy's popup menu while it is shown (NULL: none).
HWND FindPopupMenu(DWORD processId)
{
    for (HWND window : TopLevelWindows(processId))
        if (IsWindowVisible(window) && WindowClass(window) == "#32768")
            return window;
    return NULL;
}

// "&Ignore" as the user gives it: a right click on the found item's label opens the tree's menu,
// and its one command is picked with the keyboard. The menu's loop runs in the program.
bool IgnoreFromTheMenu(const RemoteTree& tree, HWND treeWindow, HTREEITEM item, DWORD processId)
{
    const RECT label = tree.LabelRect(item);
    if (label.right <= label.left)
        return false;
    POINT point = {label.left + 5, (label.top + label.bottom) / 2};
    POINT screen = point;
    ClientToScreen(treeWindow, &screen);
    SetCursorPos(screen.x, screen.y);
    PostMessageA(treeWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(point.x, point.y));
    PostMessageA(treeWindow, WM_RBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    HWND menu = NULL;
    if (!WaitUntil([&] { return (menu = FindPopupMenu(processId)) != NULL; }, ScanTimeout))
        return false;
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    return WaitUntil([&] { return FindPopupMenu(processId) == NULL; }, ScanTimeout);
}

// Three planted App Paths entries on the registry results page; "&Ignore" on one writes its one
// record to LI.irg beside the program. After a restart the scan finds the other two only, and
// the fix leaves the ignored key where it is.
TEST_F(ScanProgramTest, IgnoreFromTheMenuWritesOneRecordAndTheNextStartLeavesTheKeyOutOfScanAndFix)
{
    StoreChoices(0);
    const std::vector<std::string> keys = PlantKeys(3, "I");
    const std::string ignoreList = program.Folder() + "LI.irg";
    ASSERT_TRUE(StartProgram());
    Scan("Scan found some registry settings. Fix it with One-Click");
    EXPECT_EQ(Count(0), "3");

    // The registry row's Details button opens the results page.
    Press(Page(), IDC_ROW_DETAILS_FIRST);
    HWND resultsPage = GetDlgItem(program.Main(), IDD_PAGE_REGISTRY_RESULTS);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(resultsPage) != FALSE; }, ScanTimeout));
    HWND treeWindow = RegistryTree();
    RemoteTree tree(treeWindow);
    const HTREEITEM root = tree.Next(NULL, TVGN_ROOT);
    ASSERT_NE(root, static_cast<HTREEITEM>(NULL));
    EXPECT_EQ(tree.Text(root), "Application Paths        [3 Item(s)]");
    EXPECT_EQ(tree.Next(root, TVGN_NEXT), static_cast<HTREEITEM>(NULL));
    EXPECT_EQ(tree.CheckState(root), 2);
    std::vector<HTREEITEM> items = tree.FoundItems();
    ASSERT_EQ(tree.FoundTexts(), keys);
    for (HTREEITEM item : items)
        EXPECT_EQ(tree.CheckState(item), 2);
    EXPECT_EQ(WindowText(GetDlgItem(resultsPage, IDC_REGRESULTS_TEXT)), "3 registry item(s) were found");

    ASSERT_TRUE(IgnoreFromTheMenu(tree, treeWindow, items[1], program.ProcessId()));
    ASSERT_TRUE(WaitUntil([&] { return tree.Text(root) == "Application Paths        [2 Item(s)]"; }, ScanTimeout))
        << tree.Text(root);
    EXPECT_EQ(ReadFileBytes(ignoreList), keys[1] + "^Application Paths^16384;\r\n");
    EXPECT_EQ(tree.FoundTexts(), (std::vector<std::string>{keys[0], keys[2]}));
    EXPECT_EQ(Count(0), "2");
    EXPECT_EQ(WindowText(GetDlgItem(resultsPage, IDC_REGRESULTS_TEXT)), "2 registry item(s) were found");
    ASSERT_TRUE(program.Quit());

    // The next start reads the list: the ignored key is neither found nor repaired.
    ASSERT_TRUE(StartProgram());
    Scan("Scan found some registry settings. Fix it with One-Click");
    EXPECT_EQ(Count(0), "2");
    EXPECT_EQ(RemoteTree(RegistryTree()).FoundTexts(), (std::vector<std::string>{keys[0], keys[2]}));
    PressPosted(Page(), IDC_SCAN_FIX);
    ASSERT_TRUE(WaitForHeadline("All found items resolved!")) << Headline();
    EXPECT_FALSE(KeyThere(keys[0]));
    EXPECT_TRUE(KeyThere(keys[1]));
    EXPECT_FALSE(KeyThere(keys[2]));
    EXPECT_EQ(ReadFileBytes(ignoreList), keys[1] + "^Application Paths^16384;\r\n");
    ASSERT_TRUE(program.Quit());
}

// Stand-ins for browsers: the tests' waiting program under a browser's file name.
class Browsers {
public:
    Browsers() : m_folder(MakeScratchFolder("browsers")) {}
    bool Start(const char* fileName)
    {
        const std::string copy = m_folder + fileName;
        const std::string sleeper = TestFolder() + "registry-backup\\velmora_sleeper.exe";
        if (!FileExists(copy) && !CopyFileA(sleeper.c_str(), copy.c_str(), FALSE))
            return false;
        m_processes.emplace_back(new ChildProcess);
        return m_processes.back()->Start(copy, "\"" + copy + "\"");
    }
    std::vector<DWORD> ExitCodes(DWORD waitMs)
    {
        std::vector<DWORD> codes;
        for (auto& process : m_processes) {
            process->WaitForExit(waitMs);
            codes.push_back(process->ExitCode());
        }
        return codes;
    }

private:
    std::string m_folder;
    std::vector<std::unique_ptr<ChildProcess>> m_processes;
};

TEST_F(ScanProgramTest, RunningBrowsersAreNamedAndEndedOnYesOrKeptOnNo)
{
    const struct {
        bool yes;
        DWORD exitCode;
    } cases[] = {{true, 0}, {false, STILL_ACTIVE}};
    StoreChoices(0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.yes ? "yes" : "no");
        Browsers browsers;
        ASSERT_TRUE(browsers.Start("chrome.exe"));
        ASSERT_TRUE(browsers.Start("chrome.exe"));
        ASSERT_TRUE(browsers.Start("firefox.exe"));
        const std::vector<std::string> keys = PlantKeys(1, c.yes ? "Y" : "N");
        const std::string junk = PlantTempFile(temp, "junk.tmp");
        ASSERT_TRUE(StartProgram());
        Scan("Scan found some system settings. Fix it with One-Click");

        PressPosted(Page(), IDC_SCAN_FIX);
        HWND box = NULL;
        ASSERT_TRUE(WaitUntil([&] { return (box = program.FindBox()) != NULL; }, ScanTimeout));
        EXPECT_EQ(BoxText(box), "Close the following browsers for proper cleaning\nWould you like Velmora to close "
                                "them?\n\nChrome\nFirefox\n");
        PressButton(box, c.yes ? YesButtons : NoButtons);
        ASSERT_TRUE(WaitForHeadline("All found items resolved!")) << Headline();
        EXPECT_EQ(browsers.ExitCodes(c.yes ? 5000 : 0), (std::vector<DWORD>{c.exitCode, c.exitCode, c.exitCode}));
        // The fix went on either way.
        EXPECT_FALSE(KeyThere(keys[0]));
        EXPECT_FALSE(FileExists(junk));
        EXPECT_EQ(program.FindBox(), static_cast<HWND>(NULL));
        ASSERT_TRUE(program.Quit());
    }
}

TEST_F(ScanProgramTest, StartScanRunsHiddenAndShowsTheWindowInFrontAtTheEnd)
{
    StoreChoices(1);
    PlantKeys(1, "S");
    ASSERT_TRUE(StartProgram("STARTSCAN", false));
    HWND main = program.Main();
    // Hidden while the scan runs; then in front with the outcome.
    bool sawHiddenScan = false;
    ASSERT_TRUE(WaitUntil([&] {
        if (!IsWindowVisible(main) && Headline() == "Scan in progress")
            sawHiddenScan = true;
        return IsWindowVisible(main) && Visible(Page(), IDC_SCAN_FIX);
    }, ScanTimeout, 10));
    EXPECT_TRUE(sawHiddenScan);
    EXPECT_EQ(Headline(), "Scan found some registry settings. Fix it with One-Click");
    EXPECT_EQ(Count(0), "1");
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 5000));
    EXPECT_FALSE(IsIconic(main));
    ASSERT_TRUE(program.Quit());
}

}  // namespace
