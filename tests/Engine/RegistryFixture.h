// Test support for the registry document tests: uniquely named fixture keys in the real registry
// of the test prefix (removed again), a full dump of a subtree for byte-exact comparison, file
// helpers, and a watcher that closes the message boxes of this process and records their texts.
#ifndef VELMORA_TESTS_REGISTRY_FIXTURE_H
#define VELMORA_TESTS_REGISTRY_FIXTURE_H

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Support/FolderTree.h"

// One value as the registry holds it.
struct DumpedValue {
    DWORD type;
    std::string data;
    bool operator==(const DumpedValue& o) const { return type == o.type && data == o.data; }
};
inline std::ostream& operator<<(std::ostream& out, const DumpedValue& v)
{
    out << "type " << v.type << " [";
    for (unsigned char c : v.data) {
        char hex[4];
        snprintf(hex, sizeof(hex), "%02x", c);
        out << hex;
    }
    return out << "]";
}

// Every key (relative path, "" for the top) and every value ("path\n" + name) below a key.
struct RegistryDump {
    std::vector<std::string> keys;
    std::map<std::string, DumpedValue> values;
    bool operator==(const RegistryDump& o) const { return keys == o.keys && values == o.values; }
};

inline void DumpKey(HKEY root, const std::string& path, const std::string& relative, RegistryDump& dump)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    dump.keys.push_back(relative);
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLength = sizeof(name), type = 0, size = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        std::string data(size, '\0');
        DWORD got = size;
        std::string valueName(name, nameLength);
        RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&data[0]), &got);
        data.resize(got);
        dump.values[relative + "\n" + valueName] = DumpedValue{type, data};
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.push_back(std::string(name, length));
    }
    RegCloseKey(key);
    for (const std::string& sub : subkeys)
        DumpKey(root, path + "\\" + sub, relative.empty() ? sub : relative + "\\" + sub, dump);
}

inline RegistryDump Dump(HKEY root, const std::string& path)
{
    RegistryDump dump;
    DumpKey(root, path, "", dump);
    return dump;
}

inline bool SetValue(HKEY root, const std::string& path, const char* name, DWORD type,
                     const std::string& data)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG set = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                    DWORD(data.size()));
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

inline bool CreateKey(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

inline bool KeyPresent(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

inline bool ValuePresent(HKEY root, const std::string& path, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool present = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return present;
}

// A key "Software\VelmoraTest_<pid>_<n>_<label>" (HKCU, or HKLM in the 32-bit view the engine
// sees), removed with everything below it when the fixture ends.
class FixtureKey {
public:
    explicit FixtureKey(const char* label, HKEY root = HKEY_CURRENT_USER) : m_root(root)
    {
        static std::atomic<int> counter(0);
        m_path = "Software\\VelmoraTest_" + std::to_string(GetCurrentProcessId()) + "_" +
                 std::to_string(++counter) + "_" + label;
        RegDeleteTreeA(m_root, m_path.c_str());
        CreateKey(m_root, m_path);
    }
    ~FixtureKey()
    {
        RegDeleteTreeA(m_root, m_path.c_str());
        RegDeleteKeyA(m_root, m_path.c_str());
    }
    FixtureKey(const FixtureKey&) = delete;
    FixtureKey& operator=(const FixtureKey&) = delete;

    HKEY Root() const { return m_root; }
    const std::string& Path() const { return m_path; }
    std::string RootName() const
    {
        return m_root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
    }
    // The full path of a key below the fixture, as found-item texts write it.
    std::string Full(const std::string& sub = "") const
    {
        return RootName() + "\\" + m_path + (sub.empty() ? "" : "\\" + sub);
    }
    std::string Sub(const std::string& sub) const { return m_path + "\\" + sub; }

private:
    HKEY m_root;
    std::string m_path;
};

inline std::string ReadWholeFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string data;
    char block[65536];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof(block), &got, nullptr) && got > 0)
        data.append(block, got);
    CloseHandle(file);
    return data;
}

inline bool WriteWholeFile(const std::string& path, const std::string& data)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, data.data(), DWORD(data.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == data.size();
}

// A fresh folder of this test program's own, removed (with its files) at the end. Not in the
// temporary folder: other tests watch that one.
class TempFolder {
public:
    explicit TempFolder(const char* label)
    {
        static std::atomic<int> counter(0);
        m_top = "C:\\VelmoraTest_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_top.c_str(), nullptr);
        m_path = m_top + "\\" + label + "_" + std::to_string(++counter);
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~TempFolder()
    {
        RemoveFolderTree(m_path);
        RemoveDirectoryA(m_top.c_str());  // stays while another folder is in it
    }
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_top;
    std::string m_path;
};

// Closes every message box this process shows while it lives, recording the box texts, so a
// test that makes the engine show one never waits for a user.
class MessageBoxWatcher {
public:
    MessageBoxWatcher() : m_running(true), m_thread([this] { Watch(); }) {}
    ~MessageBoxWatcher()
    {
        m_running = false;
        m_thread.join();
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }
    void Reset()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_texts.clear();
    }

private:
    struct Search {
        DWORD process;
        std::vector<HWND> boxes;
    };
    static BOOL CALLBACK FindBox(HWND window, LPARAM param)
    {
        Search* search = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char className[64] = {};
        GetClassNameA(window, className, sizeof(className));
        if (owner == search->process && strcmp(className, "#32770") == 0 && IsWindowVisible(window))
            search->boxes.push_back(window);
        return TRUE;
    }
    static BOOL CALLBACK LongestText(HWND child, LPARAM param)
    {
        std::string* text = reinterpret_cast<std::string*>(param);
        char className[64] = {};
        GetClassNameA(child, className, sizeof(className));
        if (_stricmp(className, "Static") == 0) {
            char buffer[4096] = {};
            GetWindowTextA(child, buffer, sizeof(buffer));
            if (strlen(buffer) > text->size())
                *text = buffer;
        }
        return TRUE;
    }
    void Watch()
    {
        while (m_running) {
            Search search{GetCurrentProcessId(), {}};
            EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
            for (HWND box : search.boxes) {
                std::string text;
                EnumChildWindows(box, LongestText, reinterpret_cast<LPARAM>(&text));
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_texts.push_back(text);
                }
                PostMessageA(box, WM_COMMAND, IDOK, 0);
                // The box takes a moment to go; do not record it twice.
                for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i)
                    Sleep(10);
            }
            Sleep(20);
        }
    }

    std::atomic<bool> m_running;
    std::mutex m_mutex;
    std::vector<std::string> m_texts;
    std::thread m_thread;
};

#endif
