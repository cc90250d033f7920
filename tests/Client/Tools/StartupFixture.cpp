// Fixtures of the startup entries' tests (see StartupFixture.h).
#include "StartupFixture.h"

#include <shlobj.h>

#include <fstream>
#include <sstream>

namespace startupfixture {

const char* const RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const RunKey32 = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const RegRecords = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg";
const char* const FolderRecords = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupfolder";

namespace {

const REGSAM View = KEY_WOW64_64KEY;

void DumpKey(std::ostringstream& out, HKEY root, const std::string& path, bool recurse)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | View, &key) != ERROR_SUCCESS) {
        out << "[" << path << "] absent\n";
        return;
    }
    out << "[" << path << "]\n";
    std::vector<char> name(16384 + 1);
    for (DWORD index = 0;; ++index) {
        DWORD nameChars = DWORD(name.size()), type = 0, size = 0;
        if (RegEnumValueA(key, index, name.data(), &nameChars, NULL, &type, NULL, &size) != ERROR_SUCCESS)
            break;
        std::string data(size, '\0');
        DWORD got = size;
        RegQueryValueExA(key, std::string(name.data(), nameChars).c_str(), NULL, &type,
                         reinterpret_cast<BYTE*>(&data[0]), &got);
        out << "  " << std::string(name.data(), nameChars) << " type " << type << " = "
            << data.substr(0, got) << "|" << got << "\n";
    }
    if (recurse) {
        char sub[256];
        for (DWORD index = 0;; ++index) {
            DWORD subChars = sizeof sub;
            if (RegEnumKeyExA(key, index, sub, &subChars, NULL, NULL, NULL, NULL) != ERROR_SUCCESS)
                break;
            DumpKey(out, root, path + "\\" + std::string(sub, subChars), true);
        }
    }
    RegCloseKey(key);
}

void DumpFolder(std::ostringstream& out, const std::string& folder)
{
    out << "<" << folder << ">\n";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        out << "  " << name << " attributes " << found.dwFileAttributes << " = "
            << ReadFile(folder + "\\" + name) << "\n";
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetSpecialFolderPathA(NULL, path, csidl, FALSE);
    return path;
}

}  // namespace

bool SetValue(HKEY root, const std::string& path, const char* name, DWORD type, const std::string& data)
{
    HKEY key = NULL;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_ALL_ACCESS | View, NULL, &key, NULL) !=
        ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size()));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

bool SetText(HKEY root, const std::string& path, const char* name, const std::string& text, DWORD type)
{
    return SetValue(root, path, name, type, std::string(text.c_str(), text.size() + 1));
}

Value GetValue(HKEY root, const std::string& path, const char* name)
{
    Value value;
    HKEY key = NULL;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | View, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, NULL, &value.type, NULL, &size) == ERROR_SUCCESS) {
        value.data.assign(size, '\0');
        if (RegQueryValueExA(key, name, NULL, &value.type, reinterpret_cast<BYTE*>(&value.data[0]), &size) ==
            ERROR_SUCCESS) {
            value.present = true;
            value.data.resize(size);
        }
    }
    RegCloseKey(key);
    return value;
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | View, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void DeleteTree(HKEY root, const std::string& path)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | View, &key) != ERROR_SUCCESS)
        return;
    RegDeleteTreeA(key, NULL);
    RegCloseKey(key);
    RegDeleteKeyExA(root, path.c_str(), View, 0);
}

void WriteRegRecord(const std::string& name, const std::string& item, const std::string& command,
                    const std::string& key, const std::string& hkey)
{
    const std::string path = std::string(RegRecords) + "\\" + name;
    SetText(HKEY_LOCAL_MACHINE, path, "item", item);
    SetText(HKEY_LOCAL_MACHINE, path, "command", command);
    SetText(HKEY_LOCAL_MACHINE, path, "key", key);
    SetText(HKEY_LOCAL_MACHINE, path, "hkey", hkey);
    SetText(HKEY_LOCAL_MACHINE, path, "inimapping", "0");
}

std::string UserStartupFolder() { return SpecialFolder(CSIDL_STARTUP); }
std::string CommonStartupFolder() { return SpecialFolder(CSIDL_COMMON_STARTUP); }

std::string BackupFolder()
{
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\pss";
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return bool(out);
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Snapshot()
{
    std::ostringstream out;
    DumpKey(out, HKEY_CURRENT_USER, RunKey, false);
    DumpKey(out, HKEY_LOCAL_MACHINE, RunKey, false);
    DumpKey(out, HKEY_LOCAL_MACHINE, RunKey32, false);
    DumpKey(out, HKEY_LOCAL_MACHINE, RegRecords, true);
    DumpKey(out, HKEY_LOCAL_MACHINE, FolderRecords, true);
    DumpFolder(out, UserStartupFolder());
    DumpFolder(out, CommonStartupFolder());
    DumpFolder(out, BackupFolder());
    return out.str();
}

}  // namespace startupfixture
