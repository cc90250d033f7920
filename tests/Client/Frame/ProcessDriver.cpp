// Driving real processes and their windows from a test.
#include "ProcessDriver.h"

#include <stdio.h>

const std::vector<int> OkButtons = {1010};
const std::vector<int> YesButtons = {1009};
const std::vector<int> NoButtons = {1006};

namespace {

// The main window carries the page buttons; a message box never does.
const int MainWindowMarker = 1000;
// The skinned message box's long and short text controls.
const int MessageBoxTexts[] = {1079, 1080};

}  // namespace

std::string TestFolder()
{
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(NULL, buffer, MAX_PATH);
    std::string path = buffer;
    return path.substr(0, path.rfind('\\') + 1);
}

std::string BuiltProgramPath()
{
    std::string tests = TestFolder();                       // T:\tests\ (or deeper)
    std::string root = tests.substr(0, tests.find('\\') + 1);
    return root + "bin\\Velmora.exe";
}

std::string MakeScratchFolder(const char* name)
{
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char unique[64];
    snprintf(unique, sizeof unique, "%s-%lu-%lu", name, GetCurrentProcessId(), GetTickCount());
    std::string folder = std::string(temp) + unique + "\\";
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return done();
        Sleep(stepMs);
    }
}

ChildProcess::~ChildProcess()
{
    Kill();
    if (m_info.hProcess)
        CloseHandle(m_info.hProcess);
    if (m_info.hThread)
        CloseHandle(m_info.hThread);
}

bool ChildProcess::Start(const std::string& program, const std::string& commandLine,
                         const std::string& folder)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    return CreateProcessA(program.c_str(), line.data(), NULL, NULL, FALSE, 0, NULL,
                          folder.empty() ? NULL : folder.c_str(), &startup, &m_info) != FALSE;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs)
{
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::Running() const
{
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::ExitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (m_info.hProcess)
        GetExitCodeProcess(m_info.hProcess, &code);
    return code;
}

void ChildProcess::Kill()
{
    if (Running()) {
        TerminateProcess(m_info.hProcess, 99);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId)
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectStatics(HWND window, LPARAM param)
{
    std::string* texts = reinterpret_cast<std::string*>(param);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) {
        std::string text = WindowText(window);
        if (!text.empty()) {
            if (!texts->empty())
                *texts += "|";
            *texts += text;
        }
    }
    return TRUE;
}

bool IsSkinnedMessageBox(HWND window)
{
    for (int id : MessageBoxTexts)
        if (GetDlgItem(window, id))
            return true;
    return false;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    WindowSearch search = {processId, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    // WM_GETTEXT answers across processes, as GetWindowText does not for controls.
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 2000, NULL);
    return text;
}

std::string WindowClass(HWND window)
{
    char cls[128] = {};
    GetClassNameA(window, cls, sizeof cls);
    return cls;
}

HWND FindMainWindow(DWORD processId)
{
    for (HWND window : TopLevelWindows(processId)) {
        if (WindowText(window) != "Velmora")
            continue;
        if (GetDlgItem(window, MainWindowMarker) || WindowClass(window) != "#32770")
            return window;
    }
    return NULL;
}

HWND FindMessageBox(DWORD processId)
{
    for (HWND window : TopLevelWindows(processId)) {
        if (!IsWindowVisible(window) || GetDlgItem(window, MainWindowMarker))
            continue;
        if (WindowClass(window) == "#32770" && IsSkinnedMessageBox(window) && !StaticTexts(window).empty())
            return window;
    }
    return NULL;
}

std::string StaticTexts(HWND window)
{
    std::string texts;
    EnumChildWindows(window, CollectStatics, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool PressButton(HWND dialog, const std::vector<int>& ids)
{
    for (int id : ids) {
        HWND button = GetDlgItem(dialog, id);
        if (button && IsWindowVisible(button)) {
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            return true;
        }
    }
    return false;
}

std::vector<HWND> TrayIcons()
{
    std::vector<HWND> icons;
    HWND tray = FindWindowA("__winex11_standalone_tray", NULL);
    for (HWND child = tray ? GetWindow(tray, GW_CHILD) : NULL; child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowClass(child) == "__winex11_tray_icon" && IsWindowVisible(child))
            icons.push_back(child);
    return icons;
}

int TrayIconCount()
{
    return static_cast<int>(TrayIcons().size());
}
