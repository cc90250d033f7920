// Fixtures for registry-scan tests: registry keys and values planted in the real registry of
// the test prefix and files planted on its drive, all removed again when the fixture ends; a
// shortcut maker; and a scan runner that returns what the scan reported.
//
// Registry writes under HKEY_LOCAL_MACHINE go to the 32-bit view (KEY_WOW64_32KEY), which is
// the view the 32-bit engine reads without a view flag.
#ifndef VELMORA_TESTS_ENGINE_SCAN_FIXTURES_H
#define VELMORA_TESTS_ENGINE_SCAN_FIXTURES_H

#include <windows.h>
#include <shlobj.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Support/EngineTestSupport.h"

namespace scanfixtures {

const char Sep = '\xAC';

inline REGSAM ViewFor(HKEY root)
{
    return root == HKEY_LOCAL_MACHINE ? KEY_WOW64_32KEY : 0;
}

inline bool KeyExists(HKEY root, const std::string& key)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | ViewFor(root), &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

// Keys and values planted for one test, removed in reverse order by the destructor: values
// planted in keys that existed before are deleted one by one, keys the fixture created are
// deleted with their whole tree.
class RegistryFixture {
public:
    RegistryFixture() = default;
    RegistryFixture(const RegistryFixture&) = delete;
    RegistryFixture& operator=(const RegistryFixture&) = delete;
    ~RegistryFixture()
    {
        for (auto it = m_values.rbegin(); it != m_values.rend(); ++it) {
            HKEY h = nullptr;
            if (RegOpenKeyExA(it->root, it->key.c_str(), 0, KEY_SET_VALUE | ViewFor(it->root), &h) ==
                ERROR_SUCCESS) {
                RegDeleteValueA(h, it->name.c_str());
                RegCloseKey(h);
            }
        }
        for (auto it = m_keys.rbegin(); it != m_keys.rend(); ++it)
            DeleteTree(it->first, it->second);
    }

    // Creates the key (and the parents it needs); the first one created is removed later.
    bool CreateKey(HKEY root, const std::string& key)
    {
        std::string missing;
        std::string path;
        size_t start = 0;
        while (start <= key.size()) {
            size_t slash = key.find('\\', start);
            path = key.substr(0, slash == std::string::npos ? key.size() : slash);
            if (!KeyExists(root, path)) {
                missing = path;
                break;
            }
            if (slash == std::string::npos)
                break;
            start = slash + 1;
        }
        HKEY h = nullptr;
        if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE | ViewFor(root), nullptr, &h,
                            nullptr) != ERROR_SUCCESS)
            return false;
        RegCloseKey(h);
        if (!missing.empty())
            m_keys.push_back({root, missing});
        return true;
    }

    bool SetValue(HKEY root, const std::string& key, const std::string& name, DWORD type,
                  const void* data, DWORD size)
    {
        bool keyExisted = KeyExists(root, key);
        if (!CreateKey(root, key))
            return false;
        HKEY h = nullptr;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE | ViewFor(root), &h) != ERROR_SUCCESS)
            return false;
        LONG result = RegSetValueExA(h, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(h);
        if (keyExisted)
            m_values.push_back({root, key, name});
        return result == ERROR_SUCCESS;
    }
    bool SetString(HKEY root, const std::string& key, const std::string& name,
                   const std::string& text, DWORD type = REG_SZ)
    {
        return SetValue(root, key, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    bool SetDword(HKEY root, const std::string& key, const std::string& name, DWORD value)
    {
        return SetValue(root, key, name, REG_DWORD, &value, sizeof value);
    }

private:
    static void DeleteTree(HKEY root, const std::string& key)
    {
        size_t slash = key.rfind('\\');
        std::string parent = slash == std::string::npos ? "" : key.substr(0, slash);
        std::string name = slash == std::string::npos ? key : key.substr(slash + 1);
        HKEY h = nullptr;
        if (RegOpenKeyExA(root, parent.c_str(), 0, KEY_ALL_ACCESS | ViewFor(root), &h) != ERROR_SUCCESS)
            return;
        RegDeleteTreeA(h, name.c_str());
        RegDeleteKeyExA(h, name.c_str(), ViewFor(root), 0);
        RegCloseKey(h);
    }

    struct PlantedValue {
        HKEY root;
        std::string key;
        std::string name;
    };
    std::vector<PlantedValue> m_values;
    std::vector<std::pair<HKEY, std::string>> m_keys;
};

inline void DeleteFolderTree(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteFolderTree(path);
            else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

// Files and folders planted for one test; folders the fixture created are removed with their
// contents, files planted in folders that existed before are removed one by one.
class FileFixture {
public:
    FileFixture() = default;
    FileFixture(const FileFixture&) = delete;
    FileFixture& operator=(const FileFixture&) = delete;
    ~FileFixture()
    {
        for (auto it = m_files.rbegin(); it != m_files.rend(); ++it)
            DeleteFileA(it->c_str());
        for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it)
            DeleteFolderTree(*it);
    }

    // Creates the folder and its missing parents.
    bool Folder(const std::string& path)
    {
        DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES)
            return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        size_t slash = path.rfind('\\');
        if (slash != std::string::npos && slash > 2 && !Folder(path.substr(0, slash)))
            return false;
        if (!CreateDirectoryA(path.c_str(), nullptr))
            return false;
        m_folders.push_back(path);
        return true;
    }
    bool File(const std::string& path, const std::string& contents = "x")
    {
        size_t slash = path.rfind('\\');
        bool folderExisted = slash == std::string::npos ||
                             GetFileAttributesA(path.substr(0, slash).c_str()) != INVALID_FILE_ATTRIBUTES;
        if (slash != std::string::npos && !Folder(path.substr(0, slash)))
            return false;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        WriteFile(h, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
        CloseHandle(h);
        if (folderExisted)
            m_files.push_back(path);
        return true;
    }
    // A file whose name needs UTF-16 (characters outside the ANSI code page).
    bool WideFile(const std::wstring& path)
    {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(h);
        return true;
    }

private:
    std::vector<std::string> m_files;
    std::vector<std::string> m_folders;
};

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
    HANDLE h = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(h);
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

inline std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// What a scan reported: (item text, category bit) pairs.
typedef std::set<std::pair<std::string, DWORD>> FoundItems;

inline FoundItems FoundItemsOf(RecordingStatus& status)
{
    FoundItems items;
    for (const StatusCall& call : status.CallsOf("OnItemFound"))
        items.insert({call.text, call.category});
    return items;
}

inline std::string DescribeItems(const FoundItems& items)
{
    std::string out;
    for (const auto& item : items) {
        std::string text = item.first;
        for (char& c : text)
            if (c == Sep)
                c = '|';
        out += "  [" + std::to_string(item.second) + "] " + text + "\n";
    }
    return out.empty() ? "  (none)\n" : out;
}

// A process object of the test that runs registry scans.
class ScanProcess : public EngineProcess {
public:
    // Runs task 3 to its end with this mask and folder map; false when it did not start.
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

// A drive ("x:") that names no drive in this prefix.
inline std::string AbsentDrive()
{
    DWORD drives = GetLogicalDrives();
    for (char letter = 'p'; letter >= 'g'; --letter)
        if (!(drives & (1u << (letter - 'a'))))
            return std::string(1, letter) + ":";
    return "q:";
}

// A name part unique to this test program run.
inline std::string UniqueTag()
{
    return "VT" + std::to_string(GetCurrentProcessId());
}

}  // namespace scanfixtures

#endif
