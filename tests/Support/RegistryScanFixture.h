// Test support for the registry scan: keys, values, files and folders planted in the real
// registry and file system of the test prefix (removed again when the fixture ends), a shortcut
// maker, and a runner that drives the registry scan through Tarnex.dll and returns what was
// reported.
//
// The 32-bit view: the test programs are 32-bit, like the engine, so keys written without a view
// flag land in the same (32-bit) view the scan reads by default, under HKEY_LOCAL_MACHINE as
// anywhere else. A fixture call takes KEY_WOW64_64KEY (or `Wow64Key`) to plant in the 64-bit view.
#ifndef VELMORA_TESTS_REGISTRY_SCAN_FIXTURE_H
#define VELMORA_TESTS_REGISTRY_SCAN_FIXTURE_H

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Framework/Handle.h"
#include "Support/EngineTestSupport.h"
#include "Support/FolderTree.h"

inline bool KeyExists(HKEY root, const std::string& path, REGSAM view = 0)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// What one test plants, removed again in the reverse order of planting: a key the fixture had
// to create goes with its whole tree (from the topmost key it created, or the one the test
// names); a value set in a key that existed before goes on its own; a folder the fixture created
// goes with everything in it; a file planted in a folder that existed before goes on its own.
class ScanFixture {
public:
    ScanFixture() = default;
    ScanFixture(const ScanFixture&) = delete;
    ScanFixture& operator=(const ScanFixture&) = delete;
    ~ScanFixture()
    {
        for (auto it = m_files.rbegin(); it != m_files.rend(); ++it) {
            SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(it->c_str());
        }
        for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it)
            RemoveFolderTree(*it);
        for (auto it = m_values.rbegin(); it != m_values.rend(); ++it) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(it->root, it->path.c_str(), 0, KEY_SET_VALUE | it->view, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, it->name.c_str());
                RegCloseKey(key);
            }
        }
        for (auto it = m_keys.rbegin(); it != m_keys.rend(); ++it)
            DeleteTree(it->root, it->path, it->view);
    }

    // --- registry ---
    // Creates root\path (and the keys above it) and remembers the topmost key it had to create
    // (or `removeFrom`) as the tree to delete at the end. False when the key cannot be created.
    bool Key(HKEY root, const std::string& path, REGSAM view = 0, const std::string& removeFrom = "")
    {
        std::string top = removeFrom;
        if (top.empty()) {
            size_t end = 0;
            do {
                end = path.find('\\', end + 1);
                const std::string prefix = path.substr(0, end);
                if (!KeyExists(root, prefix, view)) {
                    top = prefix;
                    break;
                }
            } while (end != std::string::npos);
        }
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        if (!top.empty())
            m_keys.push_back({root, top, view, std::string()});
        return true;
    }
    bool Wow64Key(HKEY root, const std::string& path) { return Key(root, path, KEY_WOW64_64KEY); }

    // Sets a value, creating its key when needed.
    bool Value(HKEY root, const std::string& path, const std::string& name, DWORD type, const void* data,
               DWORD size, REGSAM view = 0)
    {
        const bool keyExisted = KeyExists(root, path, view);
        if (!Key(root, path, view))
            return false;
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS)
            return false;
        const LONG result = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
        if (keyExisted)
            m_values.push_back({root, path, view, name});
        return result == ERROR_SUCCESS;
    }
    bool String(HKEY root, const std::string& path, const std::string& name, const std::string& text,
                DWORD type = REG_SZ, REGSAM view = 0)
    {
        return Value(root, path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1), view);
    }
    bool Dword(HKEY root, const std::string& path, const std::string& name, DWORD value)
    {
        return Value(root, path, name, REG_DWORD, &value, sizeof value);
    }

    static void DeleteTree(HKEY root, const std::string& path, REGSAM view)
    {
        std::string parent, name = path;
        const size_t slash = path.rfind('\\');
        if (slash != std::string::npos) {
            parent = path.substr(0, slash);
            name = path.substr(slash + 1);
        }
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, parent.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
            return;
        RegDeleteTreeA(key, name.c_str());
        RegDeleteKeyExA(key, name.c_str(), view, 0);
        RegCloseKey(key);
    }

    // --- files ---
    // Creates the folder and its missing parents.
    bool Folder(const std::string& path)
    {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const size_t slash = path.rfind('\\');
        if (slash != std::string::npos && slash > 2 && !Folder(path.substr(0, slash)))
            return false;
        if (!CreateDirectoryA(path.c_str(), nullptr))
            return false;
        m_folders.push_back(path);
        return true;
    }
    // Creates a new file (and its folders) with the contents; false when it exists already.
    bool File(const std::string& path, const std::string& contents = "x")
    {
        const size_t slash = path.rfind('\\');
        const bool folderExisted = slash == std::string::npos ||
                                   GetFileAttributesA(path.substr(0, slash).c_str()) != INVALID_FILE_ATTRIBUTES;
        if (slash != std::string::npos && !Folder(path.substr(0, slash)))
            return false;
        CHandle file(
            CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid())
            return false;
        DWORD written = 0;
        const BOOL wrote =
            WriteFile(file.Get(), contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
        file.Close();
        if (folderExisted)
            m_files.push_back(path);
        return wrote && written == contents.size();
    }
    // An empty file whose name needs UTF-16 (characters outside the ANSI code page), in a folder
    // the fixture made.
    bool WideFile(const std::wstring& path)
    {
        CHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file.IsValid();
    }

private:
    struct Planted {
        HKEY root;
        std::string path;
        REGSAM view;
        std::string name;  // of a value; empty for a key tree
    };
    std::vector<Planted> m_keys;
    std::vector<Planted> m_values;
    std::vector<std::string> m_folders;
    std::vector<std::string> m_files;
};

// --- shortcuts ---------------------------------------------------------------------------------

// Saves a shortcut file to `target` (SetPath on the wide interface, so any name can be given),
// or, with an empty target, to the shell's My Computer object, which has no file-system path.
// The shell link object only takes paths that exist, so a missing target on an existing drive
// is created for the moment of the save and removed again (a shortcut whose program was
// uninstalled since), and one on a drive that is not there is given as a simple item list.
inline bool MakeShortcut(const std::string& file, const std::wstring& target);

inline bool MakeShortcutToRemovedTarget(const std::string& file, const std::wstring& target,
                                        std::vector<std::wstring>& created)
{
    size_t slash = target.find(L'\\', 3);
    while (slash != std::wstring::npos) {
        std::wstring folder = target.substr(0, slash);
        if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (!CreateDirectoryW(folder.c_str(), nullptr))
                return false;
            created.push_back(folder);
        }
        slash = target.find(L'\\', slash + 1);
    }
    CHandle made(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!made.IsValid())
        return false;
    made.Close();
    created.push_back(target);
    return MakeShortcut(file, target);
}

inline bool MakeShortcut(const std::string& file, const std::wstring& target)
{
    EngineLibrary::Get();  // initialises COM on this thread, once, as the program does
    bool targetMissing = !target.empty() && GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES;
    bool driveExists = target.size() > 2 && target[1] == L':' &&
                       GetFileAttributesW(target.substr(0, 3).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (targetMissing && driveExists) {
        std::vector<std::wstring> created;
        bool made = MakeShortcutToRemovedTarget(file, target, created);
        for (auto it = created.rbegin(); it != created.rend(); ++it) {
            if (!DeleteFileW(it->c_str()))
                RemoveDirectoryW(it->c_str());
        }
        return made;
    }

    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    HRESULT hr;
    if (target.empty()) {
        LPITEMIDLIST computer = nullptr;
        hr = SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
        if (SUCCEEDED(hr)) {
            hr = link->SetIDList(computer);
            CoTaskMemFree(computer);
        }
    } else if (targetMissing) {
        LPITEMIDLIST simple = SHSimpleIDListFromPath(target.c_str());
        hr = simple ? link->SetIDList(simple) : E_FAIL;
        if (simple)
            CoTaskMemFree(simple);
    } else {
        hr = link->SetPath(target.c_str());
    }
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(hr))
        hr = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist));
    if (SUCCEEDED(hr)) {
        WCHAR wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
        hr = persist->Save(wide, TRUE);
        persist->Release();
    }
    link->Release();
    return SUCCEEDED(hr);
}

// --- the scan and what it reported -------------------------------------------------------------

// A process object of the test that runs registry scans.
class ScanProcess : public EngineProcess {
public:
    // Runs the registry scan to its end with this mask and folder map; false when it did not start.
    bool Scan(RecordingStatus& status, DWORD mask, const ShortcutFolderMap& folders = ShortcutFolderMap())
    {
        CAbstractProcess* process = Get();
        if (!process)
            return false;
        return RunTask(process, status, TaskRegistryScan, [&] {
                   return process->StartRegistryScan(&folders, mask, &status, 0);
               }) == 1;
    }
};

// Runs the registry scan with the mask (and shortcut folders) to its end and returns every call made.
inline std::vector<StatusCall> RunRegistryScan(DWORD mask, const ShortcutFolderMap& folders = {},
                                               RecordingStatus* status = nullptr)
{
    ScanProcess process;
    RecordingStatus own;
    RecordingStatus& recorder = status ? *status : own;
    process.Scan(recorder, mask, folders);
    return recorder.Calls();
}

// One found item: text and category bit.
typedef std::pair<std::string, DWORD> ScanFinding;
// The same, as a set, for comparing whole findings.
typedef std::set<ScanFinding> FoundItems;

inline std::vector<ScanFinding> FindingsOf(const std::vector<StatusCall>& calls)
{
    std::vector<ScanFinding> out;
    for (const StatusCall& c : calls)
        if (c.slot == "OnItemFound")
            out.push_back({c.text, c.category});
    std::sort(out.begin(), out.end());
    return out;
}

inline FoundItems FoundItemsOf(RecordingStatus& status)
{
    const std::vector<ScanFinding> findings = FindingsOf(status.Calls());
    return FoundItems(findings.begin(), findings.end());
}

// The findings one per line, the value separator shown as "|".
inline std::string DescribeItems(const FoundItems& items)
{
    std::string out;
    for (const auto& item : items) {
        std::string text = item.first;
        std::replace(text.begin(), text.end(), ValueSeparator, '|');
        out += "  [" + std::to_string(item.second) + "] " + text + "\n";
    }
    return out.empty() ? "  (none)\n" : out;
}

// The found-item text of a value: key path, the 0xAC byte, the value name.
inline std::string ValueItem(const std::string& keyPath, const std::string& valueName)
{
    return keyPath + ValueSeparator + valueName;
}

// --- the machine -------------------------------------------------------------------------------

// The HKEY_USERS sub-key that HKEY_CURRENT_USER is (found by a key planted under HKCU).
inline std::string CurrentUserUnderUsers(const std::string& plantedHkcuPath)
{
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(HKEY_USERS, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return "";
        if (KeyExists(HKEY_USERS, std::string(name) + "\\" + plantedHkcuPath))
            return name;
    }
}

// A drive letter from d to p that does not exist: the system lists no such drive and finds no
// root folder for it.
inline char MissingDriveLetter()
{
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'd'; letter <= 'p'; ++letter) {
        char root[4] = {letter, ':', '\\', 0};
        if (!(drives & (1u << (letter - 'a'))) && GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
            return letter;
    }
    return 0;
}

// The same drive as "x:".
inline std::string AbsentDrive()
{
    return std::string(1, MissingDriveLetter()) + ":";
}

inline std::string Wow64SystemFolder()
{
    char folder[MAX_PATH] = {};
    UINT n = GetSystemWow64DirectoryA(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? folder : "";
}

// A folder of the shell (CSIDL_...), empty when the system names none.
inline std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return std::string();
    return path;
}

inline std::string WindowsFolder()
{
    char path[MAX_PATH] = {};
    GetWindowsDirectoryA(path, MAX_PATH);
    return path;
}

// A name part unique to this test program run.
inline std::string UniqueTag()
{
    return "VT" + std::to_string(GetCurrentProcessId());
}

// An ASCII text as UTF-16.
inline std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

#endif
