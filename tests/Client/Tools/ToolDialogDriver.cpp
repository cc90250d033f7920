// Driving the copy of the program and its dialogs from a test (see ToolDialogDriver.h).
#include "ToolDialogDriver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <stdio.h>

#include "Frame/FrameResources.h"

namespace {

const int MessageBoxLongText = 1079;
const int MessageBoxOk = 1010;
const int RemotePage = 4096;

// The build's bin folder beside the tests folder.
std::string BinFolder()
{
    const std::string program = BuiltProgramPath();
    return program.substr(0, program.rfind('\\') + 1);
}

}  // namespace

// --- the copy -------------------------------------------------------------------------------

ProgramCopy::ProgramCopy() : m_folder(MakeScratchFolder("velmora-tools"))
{
    CopyFileA(BuiltProgramPath().c_str(), ProgramPath().c_str(), FALSE);
    CopyFileA((BinFolder() + "Tarnex.dll").c_str(), (m_folder + "Tarnex.dll").c_str(), FALSE);
}

ProgramCopy::~ProgramCopy()
{
    if (m_process.Running())
        Quit();
}

std::string ProgramCopy::BackupFolder(bool create) const
{
    const std::string root = m_folder + "TarnexRegBackup";
    std::string folder = root + "\\";
    char computer[1024] = {};
    DWORD size = sizeof computer;
    if (GetComputerNameA(computer, &size))
        folder += std::string(computer) + "-";
    char windows[MAX_PATH] = {};
    DWORD serial = 0;
    if (SHGetFolderPathA(NULL, CSIDL_WINDOWS, NULL, 0, windows) == S_OK &&
        GetVolumeInformationA(std::string(windows, 3).c_str(), NULL, 0, &serial, NULL, NULL, NULL, 0))
        folder += std::to_string(serial) + "-";
    char user[1024] = {};
    if (GetUserNameA(user, &size))
        folder += user;
    if (create) {
        CreateDirectoryA(root.c_str(), NULL);
        CreateDirectoryA(folder.c_str(), NULL);
    }
    return folder;
}

bool ProgramCopy::AddTestFile(const char* name) const
{
    return CopyFileA((TestFolder() + name).c_str(), (m_folder + name).c_str(), FALSE) != FALSE;
}

bool ProgramCopy::Start(const std::string& arguments, bool waitVisible)
{
    const std::string path = ProgramPath();
    const std::string commandLine = "\"" + path + "\"" + (arguments.empty() ? "" : " " + arguments);
    if (!m_process.Start(path, commandLine, m_folder))
        return false;
    return WaitUntil([&] {
        m_main = FindMainWindow(m_process.Id());
        return (m_main && (!waitVisible || IsWindowVisible(m_main))) || !m_process.Running();
    }, ProgramStartTimeout) && m_main;
}

bool ProgramCopy::Quit()
{
    if (m_main)
        PostMessageA(m_main, WM_CLOSE, 0, 0);
    return m_process.WaitForExit(15000);
}

HWND ProgramCopy::FindDialog(const char* title) const
{
    for (HWND window : TopLevelWindows(m_process.Id()))
        if (IsWindowVisible(window) && WindowText(window) == title)
            return window;
    return NULL;
}

HWND ProgramCopy::Open(int command, const char* title)
{
    HWND button = GetDlgItem(m_main, command);
    // Posted: the command runs the dialog's modal loop.
    PostMessageA(m_main, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    HWND dialog = NULL;
    WaitUntil([&] { return (dialog = FindDialog(title)) != NULL; }, ToolTimeout);
    if (dialog)
        SendMessageA(dialog, WM_NULL, 0, 0);   // its initialisation is over
    return dialog;
}

HWND ProgramCopy::FindBox() const
{
    for (HWND window : TopLevelWindows(m_process.Id()))
        if (IsWindowVisible(window) && WindowClass(window) == "#32770" && GetDlgItem(window, MessageBoxLongText))
            return window;
    return NULL;
}

HWND ProgramCopy::FindEngineBox() const
{
    for (HWND window : TopLevelWindows(m_process.Id()))
        if (IsWindowVisible(window) && WindowClass(window) == "#32770" && WindowText(window) == "Velmora" &&
            !GetDlgItem(window, MessageBoxLongText) && !GetDlgItem(window, IDC_NAV_SYSTEM_SCANNER))
            return window;
    return NULL;
}

std::string ProgramCopy::TakeBox(DWORD timeoutMs)
{
    HWND box = NULL;
    if (!WaitUntil([&] { return (box = FindBox()) != NULL; }, timeoutMs))
        return std::string();
    const std::string text = StaticTexts(box);
    PressButton(box, {MessageBoxOk});
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, ToolTimeout);
    return text;
}

void Press(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressPosted(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool Visible(HWND dialog, int id)
{
    HWND control = GetDlgItem(dialog, id);
    return control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE);
}

// --- the remote list ------------------------------------------------------------------------

RemoteList::RemoteList(HWND list) : m_list(list)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (m_process)
        m_remote = static_cast<char*>(VirtualAllocEx(m_process, NULL, RemotePage, MEM_COMMIT, PAGE_READWRITE));
}

RemoteList::~RemoteList()
{
    if (m_remote)
        VirtualFreeEx(m_process, m_remote, 0, MEM_RELEASE);
    if (m_process)
        CloseHandle(m_process);
}

int RemoteList::Count() const
{
    return int(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
}

std::string RemoteList::Text(int row, int column) const
{
    if (!m_remote)
        return "<no remote memory>";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = m_remote + sizeof(LVITEMA);
    item.cchTextMax = RemotePage - int(sizeof(LVITEMA)) - 1;
    WriteProcessMemory(m_process, m_remote, &item, sizeof item, NULL);
    const int length = int(SendMessageA(m_list, LVM_GETITEMTEXTA, WPARAM(row), reinterpret_cast<LPARAM>(m_remote)));
    std::string text(size_t(length > 0 ? length : 0), '\0');
    if (length > 0)
        ReadProcessMemory(m_process, m_remote + sizeof(LVITEMA), &text[0], size_t(length), NULL);
    return text;
}

std::vector<std::string> RemoteList::Column(int column) const
{
    std::vector<std::string> texts;
    for (int row = 0; row < Count(); ++row)
        texts.push_back(Text(row, column));
    return texts;
}

bool RemoteList::Checked(int row) const
{
    const UINT state = UINT(SendMessageA(m_list, LVM_GETITEMSTATE, WPARAM(row), LVIS_STATEIMAGEMASK));
    return (state >> 12) == 2;
}

bool RemoteList::SetState(int row, UINT state, UINT mask)
{
    if (!m_remote)
        return false;
    LVITEMA item = {};
    item.stateMask = mask;
    item.state = state;
    WriteProcessMemory(m_process, m_remote, &item, sizeof item, NULL);
    return SendMessageA(m_list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(m_remote)) != 0;
}

void RemoteList::Check(int row, bool ticked)
{
    SetState(row, INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

void RemoteList::Select(int row)
{
    SetState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    SetState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(m_list, LVM_SETSELECTIONMARK, 0, LPARAM(row));
}

// --- files ----------------------------------------------------------------------------------

std::vector<std::string> FindOrder(const std::string& folder, const char* pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file)
        return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    fclose(file);
    return bytes;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
