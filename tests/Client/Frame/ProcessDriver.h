// Test support for the frame: starting real processes under Wine and finding, reading and
// pressing their windows from the outside, as a user would.
#ifndef VELMORA_TESTS_FRAME_PROCESS_DRIVER_H
#define VELMORA_TESTS_FRAME_PROCESS_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The folder of the running test program, with its trailing "\".
std::string TestFolder();
// T:\bin\Velmora.exe beside T:\tests\.
std::string BuiltProgramPath();
// A fresh, empty folder under %TEMP%.
std::string MakeScratchFolder(const char* name);

// Polls until done() or the time is up; the last answer of done().
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs = 25);

// A started program; killed when the holder goes out of scope and it still runs.
class ChildProcess {
public:
    ChildProcess() {}
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // commandLine is used as given (argv[0] included); folder is the current directory.
    bool Start(const std::string& program, const std::string& commandLine,
               const std::string& folder = std::string());
    // true when the process ended within the time.
    bool WaitForExit(DWORD timeoutMs);
    bool Running() const;
    DWORD ExitCode() const;
    DWORD Id() const { return m_info.dwProcessId; }
    HANDLE Handle() const { return m_info.hProcess; }
    void Kill();

private:
    PROCESS_INFORMATION m_info = {};
};

// Top-level windows of a process.
std::vector<HWND> TopLevelWindows(DWORD processId);
std::string WindowText(HWND window);
std::string WindowClass(HWND window);
// The program's main window: its top-level window titled "Velmora" that is no message box.
HWND FindMainWindow(DWORD processId);
// A visible skinned message box of the process (a top-level dialog with the box's text controls).
HWND FindMessageBox(DWORD processId);
// Every static text of a window's children, joined with "|".
std::string StaticTexts(HWND window);
// Presses the first of the buttons that exists; false when none does.
bool PressButton(HWND dialog, const std::vector<int>& ids);
// The notification area's icons as the prefix's shell shows them: Xvfb has no tray of its own,
// so the shell keeps them in a stand-alone tray window, one child window per icon (a double
// click posted to one reaches its owner as the icon's callback message).
std::vector<HWND> TrayIcons();
int TrayIconCount();
// The buttons of the program's skinned message box.
extern const std::vector<int> OkButtons;
extern const std::vector<int> YesButtons;
extern const std::vector<int> NoButtons;

#endif
