// Test support for the Restore Center and the Settings dialog: a copy of Velmora.exe and
// Tarnex.dll in a scratch folder of the prefix (so the backups and LI.irg live beside it), the
// program started from there, its dialogs opened through the main window, and a list view of
// the program read and ticked from this process.
#ifndef VELMORA_TESTS_TOOL_DIALOG_DRIVER_H
#define VELMORA_TESTS_TOOL_DIALOG_DRIVER_H

#include <windows.h>

#include <string>
#include <vector>

#include "Client/Frame/ProcessDriver.h"

const DWORD ToolTimeout = 20000;
// A program's first start in a fresh prefix brings Wine's own services up with it, which on a
// busy machine has taken longer than a dialog's wait.
const DWORD ProgramStartTimeout = 60000;

// Velmora.exe and Tarnex.dll copied into a fresh folder, and the copy started and quit.
class ProgramCopy {
public:
    ProgramCopy();
    ~ProgramCopy();

    const std::string& Folder() const { return m_folder; }   // with its trailing "\"
    std::string ProgramPath() const { return m_folder + "Velmora.exe"; }
    // The folder the engine names for this computer and user beside the copy (no trailing
    // "\"), derived with the same calls; created when create is set.
    std::string BackupFolder(bool create = false) const;
    // Copies a file of the build's tests folder (a helper program) beside the copy.
    bool AddTestFile(const char* name) const;

    // Starts the copy with arguments; waits for its main window, and for it to be shown unless
    // waitVisible is false.
    bool Start(const std::string& arguments = std::string(), bool waitVisible = true);
    // WM_CLOSE to the main window; true when the process ended.
    bool Quit();
    HWND Main() const { return m_main; }
    DWORD ProcessId() const { return m_process.Id(); }

    // Presses the main window's caption button (1008 Settings, 1010 Restore) and waits for the
    // dialog of that title; NULL when it does not come.
    HWND Open(int command, const char* title);
    // The visible top-level window of the copy with that title (NULL: none).
    HWND FindDialog(const char* title) const;
    // The skinned message box of the copy (NULL: none is shown).
    HWND FindBox() const;
    // The engine's own error box ("Velmora", a system message box).
    HWND FindEngineBox() const;
    // Waits for the skinned box, returns its text and presses its OK; "" when none came.
    std::string TakeBox(DWORD timeoutMs = ToolTimeout);

private:
    std::string m_folder;
    ChildProcess m_process;
    HWND m_main = NULL;
};

// A command from the control id, sent: for handlers that show no modal window.
void Press(HWND dialog, int id);
// The same posted: for handlers that end the dialog or show a box.
void PressPosted(HWND dialog, int id);
bool Visible(HWND dialog, int id);

// A list view of another process: its rows read, ticked and selected through memory of that
// process (the list's messages carry pointers).
class RemoteList {
public:
    explicit RemoteList(HWND list);
    ~RemoteList();
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    int Count() const;
    std::string Text(int row, int column) const;
    std::vector<std::string> Column(int column) const;
    bool Checked(int row) const;
    void Check(int row, bool ticked);
    // Selects the row alone, with the selection mark on it.
    void Select(int row);

private:
    bool SetState(int row, UINT state, UINT mask);

    HWND m_list;
    HANDLE m_process = NULL;
    char* m_remote = NULL;   // a page of the other process
};

// The files of a folder matching pattern in FindFirstFile's order.
std::vector<std::string> FindOrder(const std::string& folder, const char* pattern);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool FileExists(const std::string& path);

#endif
