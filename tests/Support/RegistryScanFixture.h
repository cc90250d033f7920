// Test support for the registry scan: fixtures planted in the real registry and file system of
// the test prefix (removed again by their destructors), and a runner that drives task 3
// through Tarnex.dll and returns what was reported.
//
// The test programs are 32-bit, like the engine, so keys written without a view flag land in
// the same (32-bit) view the scan reads by default; `Wow64Key` plants in the 64-bit view.
#ifndef VELMORA_TESTS_REGISTRY_SCAN_FIXTURE_H
#define VELMORA_TESTS_REGISTRY_SCAN_FIXTURE_H

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Support/EngineTestSupport.h"

// One found item: text and category bit.
typedef std::pair<std::string, DWORD> ScanFinding;

// Keys and files a test creates; every key tree and file is removed again at the end, in the
// reverse order of creation.
class ScanFixture {
public:
    ScanFixture() = default;
    ScanFixture(const ScanFixture&) = delete;
    ScanFixture& operator=(const ScanFixture&) = delete;
    ~ScanFixture()
    {
        for (auto it = m_files.rbegin(); it != m_files.rend(); ++it) {
            SetFileAttributesA(it->c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileA(it->c_str()))
                RemoveDirectoryA(it->c_str());
        }
        for (auto it = m_keys.rbegin(); it != m_keys.rend(); ++it)
            DeleteTree(it->root, it->path, it->view);
    }

    // Creates root\path (and the keys above it) and remembers the topmost key it had to create
    // (or `removeFrom`) as the tree to delete at the end. False when the key cannot be created.
    bool Key(HKEY root, const std::string& path, REGSAM view = 0, const std::string& removeFrom = "")
    {
        std::string top = removeFrom;
        if (top.empty()) {
            size_t end = 0;
            do {
                end = path.find('\\', end + 1);
                std::string prefix = path.substr(0, end);
                HKEY existing = nullptr;
                if (RegOpenKeyExA(root, prefix.c_str(), 0, KEY_READ | view, &existing) != ERROR_SUCCESS) {
                    top = prefix;
                    break;
                }
                RegCloseKey(existing);
            } while (end != std::string::npos);
        }
        HKEY key = nullptr;
        if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        if (!top.empty())
            m_keys.push_back({root, top, view});
        return true;
    }
    bool Wow64Key(HKEY root, const std::string& path) { return Key(root, path, KEY_WOW64_64KEY); }

    // Sets a value, creating the key (which is then removed at the end).
    bool Value(HKEY root, const std::string& path, const char* name, DWORD type, const void* data,
               DWORD size, REGSAM view = 0)
    {
        if (!Key(root, path, view))
            return false;
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE | view, &key) != ERROR_SUCCESS)
            return false;
        LONG result = RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
        return result == ERROR_SUCCESS;
    }
    bool String(HKEY root, const std::string& path, const char* name, const std::string& text,
                DWORD type = REG_SZ, REGSAM view = 0)
    {
        return Value(root, path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1), view);
    }
    bool Dword(HKEY root, const std::string& path, const char* name, DWORD value)
    {
        return Value(root, path, name, REG_DWORD, &value, sizeof value);
    }

    // Creates a file (and its folders, which are removed too) with a little content.
    bool File(const std::string& path)
    {
        size_t slash = path.find('\\', 3);
        while (slash != std::string::npos) {
            std::string folder = path.substr(0, slash);
            if (CreateDirectoryA(folder.c_str(), nullptr))
                m_files.push_back(folder);
            slash = path.find('\\', slash + 1);
        }
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        WriteFile(file, "vtest", 5, &written, nullptr);
        CloseHandle(file);
        m_files.push_back(path);
        return true;
    }

    static void DeleteTree(HKEY root, const std::string& path, REGSAM view)
    {
        std::string parent, name = path;
        size_t slash = path.rfind('\\');
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

private:
    struct PlantedKey {
        HKEY root;
        std::string path;
        REGSAM view;
    };
    std::vector<PlantedKey> m_keys;
    std::vector<std::string> m_files;
};

// Runs task 3 with the mask (and shortcut folders) to its end and returns every call made.
inline std::vector<StatusCall> RunRegistryScan(DWORD mask, const ShortcutFolderMap& folders = {},
                                               RecordingStatus* status = nullptr)
{
    EngineProcess process;
    RecordingStatus own;
    RecordingStatus& recorder = status ? *status : own;
    if (!process.Get())
        return {};
    RunTask(process.Get(), recorder, TaskRegistryScan,
            [&] { return process->StartRegistryScan(&folders, mask, &recorder, 0); });
    return recorder.Calls();
}

inline std::vector<ScanFinding> FindingsOf(const std::vector<StatusCall>& calls)
{
    std::vector<ScanFinding> out;
    for (const StatusCall& c : calls)
        if (c.slot == "OnItemFound")
            out.push_back({c.text, c.category});
    std::sort(out.begin(), out.end());
    return out;
}

// The found-item text of a value: key path, the 0xAC byte, the value name.
inline std::string ValueItem(const std::string& keyPath, const std::string& valueName)
{
    return keyPath + ValueSeparator + valueName;
}

// The HKEY_USERS sub-key that HKEY_CURRENT_USER is (found by a key planted under HKCU).
inline std::string CurrentUserUnderUsers(const std::string& plantedHkcuPath)
{
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(HKEY_USERS, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            return "";
        HKEY key = nullptr;
        std::string path = std::string(name) + "\\" + plantedHkcuPath;
        if (RegOpenKeyExA(HKEY_USERS, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegCloseKey(key);
            return name;
        }
    }
}

// A drive letter from d to p that does not exist.
inline char MissingDriveLetter()
{
    for (char letter = 'd'; letter <= 'p'; ++letter) {
        char root[4] = {letter, ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR)
            return letter;
    }
    return 0;
}

inline std::string Wow64SystemFolder()
{
    char folder[MAX_PATH] = {};
    UINT n = GetSystemWow64DirectoryA(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? folder : "";
}

#endif
