// Test support for the Registry Defrag page in a copy of the program: the page and its busy
// dialog found and read from the outside, the machine's hive list and the Windows version Wine
// presents to the program, the logon task's job file and the recorded date.
#ifndef VELMORA_TESTS_REG_DEFRAG_TEST_SUPPORT_H
#define VELMORA_TESTS_REG_DEFRAG_TEST_SUPPORT_H

#include <windows.h>

#include <stdio.h>

#include <functional>
#include <string>
#include <vector>

#include "Client/Frame/FrameResources.h"
#include "Client/Frame/ProgramSettings.h"
#include "Client/Frame/Task.h"
#include "Client/Resources/ControlResources.h"
#include "Client/Resources/RegDefragResources.h"
#include "ToolDialogDriver.h"

namespace defrag_test {

const char* const AnalysisText = "Analyzing registry hives.\nIt may take several minutes.";
const char* const ReplacementText = "Defragmenting registry";
const char* const AnalysisFailedText =
    "Registry analysis failed, please follow the instructions below and then retry;\n\n"
    "Close all running applications\nFree some disk space.";
const char* const ReplaceFailedText =
    "Registry defragmentation failed, please follow the instructions below and then retry;\n\n"
    "Close all running applications\nFree some disk space\n"
    "Restart your system if you have already run defragmentation once.";
const char* const NoGainText = "Your registry is already defragmented, no need for registry defragmentation.";
const char* const SuccessText = "Registry defragmentation has been completed successfully.";
const char* const WarningText =
    "WARNING!\n\nBefore running Registry Defragmenter, save your work and close all running applications.\n"
    "Note: Your system will restart in the process.\n\nPress OK to continue else Cancel.";
const char* const WorkFolder = "C:\\windows\\Temp\\Velmora\\TarnexRegDefrag";
const char* const HiveFixture = "C:\\hivefix\\software";
const unsigned long long HiveFixtureSize = 8ull * 1024 * 1024;
const int BoxOk = 1009;       // "OK" of an OK / Cancel box
const int BoxCancel = 1006;   // its "Cancel"

inline HWND Page(HWND main) { return GetDlgItem(main, IDD_PAGE_REGISTRY_DEFRAG); }

inline std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

// The visible busy dialog of the process (NULL: none).
inline HWND FindBusy(DWORD processId)
{
    for (HWND window : TopLevelWindows(processId))
        if (IsWindowVisible(window) && GetDlgItem(window, IDC_BUSY_TEXT) && GetDlgItem(window, IDC_BUSY_PICTURE))
            return window;
    return NULL;
}

inline std::string BusyText(DWORD processId)
{
    HWND busy = FindBusy(processId);
    return busy ? ControlText(busy, IDC_BUSY_TEXT) : std::string();
}

// Waits for the skinned box, returns its text and presses the button; "" when none came.
inline std::string AnswerBox(ProgramCopy& copy, int button, DWORD timeoutMs = ToolTimeout)
{
    HWND box = NULL;
    if (!WaitUntil([&] { return (box = copy.FindBox()) != NULL; }, timeoutMs))
        return std::string();
    const std::string text = StaticTexts(box);
    PressButton(box, {button});
    WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, ToolTimeout);
    return text;
}

// Defrag pressed and its warning answered with OK: the text of the warning.
inline std::string StartDefrag(ProgramCopy& copy)
{
    PressPosted(Page(copy.Main()), IDC_DEFRAG_BUTTON);
    return AnswerBox(copy, BoxOk);
}

inline std::string CurrentUser()
{
    CString user;
    GetCurrentUserName(user);
    return std::string(user);
}

// C:\windows\tasks\Velmora on user logon for DEFRAG - <user> .job
inline std::string DefragJobPath()
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\tasks\\" +
           std::string(FormatLogonDefragTaskName("DEFRAG", CurrentUser().c_str())) + ".job";
}

// "LastDefrag" of the settings key; `present` says whether it exists.
inline std::string LastDefrag(bool* present = NULL)
{
    char data[512] = {};
    DWORD size = sizeof data;
    const bool found = RegGetValueA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, SettingLastDefrag, RRF_RT_REG_SZ, NULL,
                                    data, &size) == ERROR_SUCCESS;
    if (present)
        *present = found;
    return found ? std::string(data) : std::string();
}

inline bool SetHiveList(const char* name, const std::string& file)
{
    HKEY key = NULL;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\hivelist", 0, NULL, 0,
                        KEY_ALL_ACCESS | KEY_WOW64_64KEY, NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    const LONG set = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                                    DWORD(file.size() + 1));
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

inline unsigned long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return ~0ull;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

inline bool SetFileSize(const std::string& path, unsigned long long size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(size);
    const bool done = SetFilePointerEx(file, at, NULL, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return done;
}

// The hive list names \REGISTRY\MACHINE\SOFTWARE in a dummy file of `size` bytes, and Wine
// presents Windows Server 2003 to Velmora.exe (only then can the engine save its copies).
inline bool PlantSoftwareHive(unsigned long long size)
{
    CreateDirectoryA("C:\\hivefix", NULL);
    HKEY key = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Velmora.exe", 0, NULL, 0, KEY_ALL_ACCESS,
                        NULL, &key, NULL) != ERROR_SUCCESS)
        return false;
    RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win2003"), 8);
    RegCloseKey(key);
    return SetFileSize(HiveFixture, size) && SetHiveList("\\REGISTRY\\MACHINE\\SOFTWARE", HiveFixture);
}

// The gain text the page must show for a copy of copySize bytes of a hive of hiveSize bytes.
inline std::string ExpectedGainText(unsigned long long copySize, unsigned long long hiveSize)
{
    char text[64];
    snprintf(text, sizeof text, "Registry size will be reduced by %2.2f%%",
             100.0 - static_cast<double>(copySize) / static_cast<double>(hiveSize) * 100.0);
    return text;
}

// A busy text as it changed, with the tick count it was first seen at.
struct SeenText {
    std::string text;
    DWORD tick;
    bool boxShown;   // a message box was up when it was seen
};

// Polls the busy dialog's text every few milliseconds and keeps each change until until()
// answers true or timeoutMs passed; each change is also handed to seen (when given) at once.
inline std::vector<SeenText> WatchBusyTexts(ProgramCopy& copy, const std::function<bool()>& until, DWORD timeoutMs,
                                            const std::function<void(const SeenText&)>& seen = nullptr)
{
    std::vector<SeenText> texts;
    const DWORD start = GetTickCount();
    while (!until() && GetTickCount() - start < timeoutMs) {
        const std::string text = BusyText(copy.ProcessId());
        if (!text.empty() && (texts.empty() || texts.back().text != text)) {
            texts.push_back({text, GetTickCount(), copy.FindBox() != NULL});
            if (seen)
                seen(texts.back());
        }
        Sleep(5);
    }
    // The text the dialog kept to the end.
    const std::string last = BusyText(copy.ProcessId());
    if (!last.empty() && (texts.empty() || texts.back().text != last))
        texts.push_back({last, GetTickCount(), copy.FindBox() != NULL});
    return texts;
}

inline std::vector<std::string> TextsOf(const std::vector<SeenText>& seen)
{
    std::vector<std::string> texts;
    for (const SeenText& s : seen)
        texts.push_back(s.text);
    return texts;
}

}  // namespace defrag_test

#endif
