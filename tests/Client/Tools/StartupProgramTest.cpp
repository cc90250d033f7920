// The Startup Manager in a running copy of Velmora.exe, driven from the outside as a user would:
// its list read and its boxes clicked across the process boundary, and the program restarted in
// between.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "Client/Frame/FrameResources.h"
#include "Client/Resources/StartupManagerResources.h"
#include "ProcessDriver.h"
#include "StartupFixture.h"

using namespace startupfixture;

namespace {

const DWORD StartTimeout = 20000;
const DWORD QuitTimeout = 15000;

// A block of memory in the program's process, for the list view messages that take a pointer.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, size_t size) : m_process(process), m_size(size)
    {
        m_at = VirtualAllocEx(process, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock()
    {
        if (m_at)
            VirtualFreeEx(m_process, m_at, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* At() const { return static_cast<char*>(m_at); }
    bool Write(const void* data, size_t size, size_t offset = 0)
    {
        return m_at && WriteProcessMemory(m_process, At() + offset, data, size, NULL);
    }
    bool Read(void* data, size_t size, size_t offset = 0) const
    {
        return m_at && ReadProcessMemory(m_process, At() + offset, data, size, NULL);
    }

private:
    HANDLE m_process;
    size_t m_size;
    void* m_at;
};

class RunningProgram {
public:
    bool Start()
    {
        const std::string path = BuiltProgramPath();
        if (!process.Start(path, "\"" + path + "\""))
            return false;
        return WaitUntil([&] { return (main = FindMainWindow(process.Id())) != NULL || !process.Running(); },
                         StartTimeout) &&
               main && WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, StartTimeout);
    }
    void Navigate(int button)
    {
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), LPARAM(GetDlgItem(main, button)));
    }
    HWND Page() const { return GetDlgItem(main, IDD_PAGE_STARTUP_MANAGER); }
    HWND List() const { return GetDlgItem(Page(), IDC_STARTUP_LIST); }
    bool Quit()
    {
        PostMessageA(main, WM_CLOSE, 0, 0);
        return process.WaitForExit(QuitTimeout);
    }

    int Rows() const { return int(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }
    std::string Text(int row, int column) const
    {
        RemoteBlock block(process.Handle(), sizeof(LVITEMA) + 1024);
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = block.At() + sizeof(LVITEMA);
        item.cchTextMax = 1024;
        char text[1024] = {};
        if (!block.Write(&item, sizeof item))
            return std::string();
        SendMessageA(List(), LVM_GETITEMTEXTA, WPARAM(row), LPARAM(block.At()));
        block.Read(text, sizeof text - 1, sizeof(LVITEMA));
        return text;
    }
    int RowNamed(const std::string& name) const
    {
        for (int row = 0; row < Rows(); ++row)
            if (Text(row, 0) == name)
                return row;
        return -1;
    }
    int Box(int row) const
    {
        return int(SendMessageA(List(), LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK) >> 12);
    }
    void Select(int row)
    {
        RemoteBlock block(process.Handle(), sizeof(LVITEMA));
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        block.Write(&item, sizeof item);
        SendMessageA(List(), LVM_SETITEMSTATE, WPARAM(row), LPARAM(block.At()));
    }
    // Clicks the row's box where hit-testing finds its state image.
    bool ClickBox(int row)
    {
        RemoteBlock block(process.Handle(), sizeof(LVHITTESTINFO) + sizeof(RECT));
        RECT bounds = {};
        bounds.left = LVIR_BOUNDS;
        block.Write(&bounds, sizeof bounds);
        SendMessageA(List(), LVM_GETITEMRECT, WPARAM(row), LPARAM(block.At()));
        block.Read(&bounds, sizeof bounds);
        for (int x = bounds.left; x < bounds.left + 80; ++x) {
            LVHITTESTINFO hit = {};
            hit.pt.x = x;
            hit.pt.y = (bounds.top + bounds.bottom) / 2;
            block.Write(&hit, sizeof hit);
            if (SendMessageA(List(), LVM_HITTEST, 0, LPARAM(block.At())) != row)
                continue;
            block.Read(&hit, sizeof hit);
            if (!(hit.flags & LVHT_ONITEMSTATEICON))
                continue;
            const LPARAM at = MAKELPARAM(x + 6, hit.pt.y);
            SendMessageA(List(), WM_LBUTTONDOWN, MK_LBUTTON, at);
            SendMessageA(List(), WM_LBUTTONUP, 0, at);
            return true;
        }
        return false;
    }

    ChildProcess process;
    HWND main = NULL;
};

const std::string Command = "C:\\Apps\\Foo\\foo.exe /tray";
std::string Sz(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

}  // namespace

TEST(StartupManagerProgram, UntickedEntryStaysUntickedAcrossARestart)
{
    ASSERT_TRUE(SetText(HKEY_CURRENT_USER, RunKey, "Foo", Command));
    ASSERT_TRUE(WriteFile(UserStartupFolder() + "\\App.lnk", "a"));
    const std::string before = Snapshot();
    const std::string record = std::string(RegRecords) + "\\Foo";
    {
        RunningProgram program;
        ASSERT_TRUE(program.Start());
        program.Navigate(IDC_NAV_STARTUP_MANAGER);
        ASSERT_TRUE(IsWindowVisible(program.Page()));
        int row = program.RowNamed("Foo");
        ASSERT_GE(row, 0);
        EXPECT_EQ(program.Text(row, 2), "HKCU");
        EXPECT_EQ(program.Box(row), 2);
        EXPECT_GE(program.RowNamed("App"), 0);

        // Showing the page twice and selecting every row changes nothing.
        program.Navigate(IDC_NAV_SYSTEM_SCANNER);
        program.Navigate(IDC_NAV_STARTUP_MANAGER);
        for (int r = 0; r < program.Rows(); ++r)
            program.Select(r);
        EXPECT_EQ(Snapshot(), before);

        row = program.RowNamed("Foo");
        ASSERT_TRUE(program.ClickBox(row));
        EXPECT_TRUE(WaitUntil([&] { return program.Box(row) == 1; }, 2000));
        EXPECT_FALSE(GetValue(HKEY_CURRENT_USER, RunKey, "Foo").present);
        EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, record, "command").data, Sz(Command));
        EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, record, "key").data, Sz(RunKey));
        ASSERT_TRUE(program.Quit());
    }
    {
        RunningProgram program;
        ASSERT_TRUE(program.Start());
        program.Navigate(IDC_NAV_STARTUP_MANAGER);
        const int row = program.RowNamed("Foo");
        ASSERT_GE(row, 0);
        EXPECT_EQ(program.Box(row), 1);
        ASSERT_TRUE(program.ClickBox(row));
        EXPECT_TRUE(WaitUntil([&] { return program.Box(row) == 2; }, 2000));
        EXPECT_EQ(GetValue(HKEY_CURRENT_USER, RunKey, "Foo").data, Sz(Command));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, record));
        ASSERT_TRUE(program.Quit());
    }
}
