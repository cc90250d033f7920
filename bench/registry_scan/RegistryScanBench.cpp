// Registry scan benchmark: plants a synthetic fixture (COM classes with in-process servers,
// ProgIDs, interfaces and type libraries, file associations, a large tree of user settings,
// a folder of shortcuts, and entries of the fixed keys the other categories read: uninstall
// records and installer folders, fonts, shared DLLs, application paths, help files and Run
// commands; a small share of each invalid), then times the scan through Tarnex.dll, the whole
// scan and each category alone, against a raw baseline that opens the same keys, reads the
// same values and tests the same paths with no other work. Prints keys per second, items
// found, callbacks made, the scan/baseline ratio per category (the median of paired runs),
// whether the scan, the baseline and the fixture agree on the findings, and the peak working
// set, at two fixture sizes. The fixture is removed at the end.
//
//   bench\registry_scan.exe [scale ...]     default: 0.5 1
// Run it in a prefix of its own from the build folder (scripts/wine-exec --own-prefix <build>
// <build>/bench/registry_scan.exe): it writes tens of thousands of keys.
#include <windows.h>
#include <objbase.h>
#include <psapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/ProcAddress.h"
#include "Support/FolderTree.h"
#include "RegistryBenchFixture.h"

namespace {

// --- timing -------------------------------------------------------------------------------------

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Counts what the engine calls; records nothing else, so it costs the scan almost nothing.
class CountingStatus : public CAbstractStatus {
public:
    CountingStatus() : m_finished(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~CountingStatus() override { CloseHandle(m_finished); }
    void OnStatusText(const char*, const char*) override { ++callbacks; }
    void OnProgress(int) override { ++callbacks; }
    void OnItemFound(const char* text, DWORD category, int, int) override
    {
        ++callbacks;
        ++items[category];
        found.push_back(text);
    }
    int OnTaskFinished(int code) override
    {
        ++callbacks;
        if (code == TaskRegistryScan)
            SetEvent(m_finished);
        return 0;
    }
    bool Wait() { return WaitForSingleObject(m_finished, 600000) == WAIT_OBJECT_0; }

    long callbacks = 0;
    std::map<DWORD, int> items;
    std::vector<std::string> found;

private:
    HANDLE m_finished;
};

struct ScanResult {
    double seconds = 0;
    long callbacks = 0;
    int items = 0;
};

CAbstractSSEngineInterface* g_engine = nullptr;

ScanResult RunScan(DWORD mask, const ShortcutFolderMap& folders)
{
    ScanResult result;
    CAbstractProcess* process = g_engine->NewProcess();
    CountingStatus status;
    double start = Now();
    if (process->StartRegistryScan(&folders, mask, &status, 0) == 1) {
        process->ResumeTask();
        status.Wait();
    }
    result.seconds = Now() - start;
    for (int i = 0; i < 5000 && process->GetThreadHandle(); ++i)
        Sleep(1);
    g_engine->DeleteProcess(process);
    result.callbacks = status.callbacks;
    for (const auto& kv : status.items)
        result.items += kv.second;
    return result;
}

// The fastest of `runs` scans with this mask.
ScanResult BestScan(DWORD mask, const ShortcutFolderMap& folders, int runs)
{
    ScanResult best;
    best.seconds = 1e9;
    for (int i = 0; i < runs; ++i) {
        ScanResult r = RunScan(mask, folders);
        if (r.seconds < best.seconds)
            best = r;
    }
    return best;
}

// --- raw baselines: the same keys opened, values read and paths tested, nothing else -------------

struct BaselineResult {
    double seconds = 0;
    long keys = 0;
    int invalid = 0;
};

bool FileMissing(const char* path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return false;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::string ReadDefault(HKEY key)
{
    char data[1024];
    DWORD size = sizeof data - 1, type = 0;
    if (RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return "";
    data[size] = 0;
    return data;
}

std::string ReadDefaultOf(HKEY parent, const char* sub)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, sub, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    std::string value = ReadDefault(key);
    RegCloseKey(key);
    return value;
}

void EnumNames(HKEY root, const char* path, REGSAM view, std::vector<std::string>& names)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return;
    char name[260];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    RegCloseKey(key);
}

std::string LowerCopy(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](char c) { return static_cast<char>(tolower(static_cast<unsigned char>(c))); });
    return s;
}

// Depth-first walk of root\path: every key opened once for enumeration and values; `visit`
// gets each key (with its name) and may answer false to keep the walk out of its subtree.
void WalkKeys(HKEY parent, const std::string& name, int depth, long& keys,
              const std::function<bool(HKEY, const std::string&, const std::string&)>& visit,
              const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return;
    ++keys;
    if (visit(key, name, path) && depth < 100) {
        char child[1025];
        for (DWORD i = 0; RegEnumKeyA(key, i, child, sizeof child) == ERROR_SUCCESS; ++i)
            WalkKeys(key, child, depth + 1, keys, visit, path + "\\" + child);
    }
    RegCloseKey(key);
}

const char* const ExcludedClassKeys[] = {"clsid", "interface", "typelib", "appid"};

BaselineResult BaselineActiveX()
{
    BaselineResult r;
    double start = Now();
    std::vector<std::string> typeLibs, classes, interfaces;
    EnumNames(HKEY_CLASSES_ROOT, "TypeLib", 0, typeLibs);
    EnumNames(HKEY_CLASSES_ROOT, "TypeLib", KEY_WOW64_64KEY, typeLibs);
    std::vector<std::string> sortedLibs;
    for (auto& n : typeLibs)
        sortedLibs.push_back(LowerCopy(n));
    std::sort(sortedLibs.begin(), sortedLibs.end());
    EnumNames(HKEY_CLASSES_ROOT, "Interface", 0, interfaces);
    HKEY interfaceKey = nullptr;
    RegOpenKeyExA(HKEY_CLASSES_ROOT, "Interface", 0, KEY_READ, &interfaceKey);
    for (const std::string& iid : interfaces) {
        std::string lib = ReadDefaultOf(interfaceKey, (iid + "\\TypeLib").c_str());
        if (!lib.empty() && !std::binary_search(sortedLibs.begin(), sortedLibs.end(), LowerCopy(lib)))
            ++r.invalid;
    }
    RegCloseKey(interfaceKey);
    r.keys += static_cast<long>(typeLibs.size() + interfaces.size());

    std::vector<std::string> known;
    EnumNames(HKEY_CLASSES_ROOT, "CLSID", KEY_WOW64_64KEY, known);
    EnumNames(HKEY_CLASSES_ROOT, "CLSID", 0, classes);
    HKEY clsidKey = nullptr;
    RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &clsidKey);
    char windows[MAX_PATH], system[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(system, MAX_PATH);
    for (const std::string& cls : classes) {
        known.push_back(cls);
        std::string server = ReadDefaultOf(clsidKey, (cls + "\\InprocServer32").c_str());
        if (server.find(".dll") == std::string::npos && server.find(".DLL") == std::string::npos &&
            server.find(".ocx") == std::string::npos)
            continue;
        char expanded[MAX_PATH * 2];
        ExpandEnvironmentStringsA(server.c_str(), expanded, sizeof expanded);
        WIN32_FIND_DATAA data;
        std::string path = expanded;
        if (path.find('\\') == std::string::npos)
            path = std::string(system) + "\\" + path;
        HANDLE find = FindFirstFileA(path.c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            FindClose(find);
            continue;
        }
        if (FileMissing(path.c_str()))
            ++r.invalid;
    }
    RegCloseKey(clsidKey);
    r.keys += static_cast<long>(known.size());
    std::vector<std::string> sortedClasses;
    for (auto& n : known)
        sortedClasses.push_back(LowerCopy(n));
    std::sort(sortedClasses.begin(), sortedClasses.end());

    // Every key of HKEY_CLASSES_ROOT outside the registrations, and the class names it refers to.
    HKEY root = nullptr;
    RegOpenKeyExA(HKEY_CLASSES_ROOT, "", 0, KEY_ENUMERATE_SUB_KEYS, &root);
    char top[1025];
    for (DWORD i = 0; RegEnumKeyA(root, i, top, sizeof top) == ERROR_SUCCESS; ++i) {
        std::string lower = LowerCopy(top);
        if (std::find(std::begin(ExcludedClassKeys), std::end(ExcludedClassKeys), lower) != std::end(ExcludedClassKeys))
            continue;
        WalkKeys(root, top, 1, r.keys, [&](HKEY key, const std::string& name, const std::string& path) {
            std::string lowerPath = LowerCopy(path);
            if (lowerPath == "wow6432node\\clsid" || lowerPath == "wow6432node\\interface" ||
                lowerPath == "wow6432node\\typelib" || lowerPath == "wow6432node\\appid")
                return false;
            if (name == "CLSID") {
                std::string cls = ReadDefault(key);
                if (cls.find('{') != std::string::npos &&
                    !std::binary_search(sortedClasses.begin(), sortedClasses.end(), LowerCopy(cls)))
                    ++r.invalid;
            }
            return true;
        }, top);
    }
    RegCloseKey(root);
    r.seconds = Now() - start;
    return r;
}

BaselineResult BaselineFilePaths()
{
    BaselineResult r;
    double start = Now();
    std::vector<char> name(1024), data(4096);
    WalkKeys(HKEY_USERS, "", 0, r.keys, [&](HKEY key, const std::string& keyName, const std::string&) {
        std::string lower = LowerCopy(keyName);
        if (lower.find("wow6432node") != std::string::npos)
            return false;
        DWORD values = 0, maxName = 0, maxData = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, &maxName, &maxData,
                         nullptr, nullptr);
        if (name.size() < maxName + 2)
            name.resize(maxName + 2);
        if (data.size() < maxData + 2)
            data.resize(maxData + 2);
        for (DWORD i = 0; i < values; ++i) {
            DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size() - 1), type = 0;
            if (RegEnumValueA(key, i, name.data(), &nameLength, nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
                continue;
            data[size] = 0;
            if (type != REG_SZ)
                continue;
            const char* text = data.data();
            char expanded[MAX_PATH * 2];
            if (strchr(text, '%') && ExpandEnvironmentStringsA(text, expanded, sizeof expanded) &&
                !strchr(expanded, '%'))
                text = expanded;
            if (size > 3 && text[1] == ':' && text[2] == '\\' && FileMissing(text))
                ++r.invalid;
        }
        return lower != "virtualstore";
    }, "");
    r.seconds = Now() - start;
    return r;
}

BaselineResult BaselineEmptyKeys()
{
    BaselineResult r;
    double start = Now();
    WalkKeys(HKEY_CLASSES_ROOT, "TYPELIB", 0, r.keys, [&](HKEY key, const std::string& name, const std::string&) {
        if (_stricmp(name.c_str(), "HELPDIR") == 0) {
            DWORD subKeys = 0, maxData = 0;
            RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                             &maxData, nullptr, nullptr);
            if (subKeys == 0 && maxData <= 2)
                ++r.invalid;
        }
        return true;
    }, "");
    r.seconds = Now() - start;
    return r;
}

BaselineResult BaselineFileAssociations()
{
    BaselineResult r;
    double start = Now();
    HKEY root = nullptr;
    RegOpenKeyExA(HKEY_CLASSES_ROOT, "", 0, KEY_READ, &root);
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        ++r.keys;
        if (name[0] != '.')
            continue;
        HKEY ext = nullptr;
        if (RegOpenKeyExA(root, name, 0, KEY_READ, &ext) != ERROR_SUCCESS)
            continue;
        DWORD size = 0;
        if (RegQueryValueExA(ext, "", nullptr, nullptr, nullptr, &size) == ERROR_FILE_NOT_FOUND) {
            DWORD subKeys = 0, values = 0;
            RegQueryInfoKeyA(ext, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr);
            if (subKeys == 0 && values == 0)
                ++r.invalid;
            RegCloseKey(ext);
            continue;
        }
        std::string progId = ReadDefault(ext);
        RegCloseKey(ext);
        if (progId.empty())
            continue;
        std::string command = ReadDefaultOf(root, (progId + "\\shell\\open\\command").c_str());
        std::string lower = LowerCopy(command);
        size_t exe = lower.find(".exe");
        if (exe == std::string::npos)
            continue;
        size_t begin = lower[0] == '"' ? 1 : 0;
        std::string path = lower.substr(begin, exe + 4 - begin);
        if (path.size() > 3 && path[1] == ':' && FileMissing(path.c_str()))
            ++r.invalid;
    }
    RegCloseKey(root);
    r.seconds = Now() - start;
    return r;
}

BaselineResult BaselineShortcuts(const std::string& folder)
{
    BaselineResult r;
    double start = Now();
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return r;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    std::function<void(const std::string&)> walk = [&](const std::string& dir) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            return;
        do {
            if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, ".."))
                continue;
            std::string child = dir + "\\" + data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                walk(child);
                continue;
            }
            if (!PathMatchSpecA(data.cFileName, "*.lnk"))
                continue;
            ++r.keys;
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, child.c_str(), -1, wide, MAX_PATH);
            char target[MAX_PATH] = {};
            if (file && SUCCEEDED(file->Load(wide, STGM_READ)) &&
                link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK && FileMissing(target))
                ++r.invalid;
        } while (FindNextFileA(find, &data));
        FindClose(find);
    };
    walk(folder);
    if (file)
        file->Release();
    link->Release();
    r.seconds = Now() - start;
    return r;
}

// The baselines of the fixed-key categories judge a path the way a plain program would: on a
// fixed drive, missing when the system says "file not found" or "path not found".
class PlainJudge {
public:
    PlainJudge()
    {
        memset(m_drives, 0, sizeof m_drives);
        char windows[MAX_PATH] = {};
        GetWindowsDirectoryA(windows, MAX_PATH);
        fontsFolder = std::string(windows) + "\\Fonts\\";
        char data[MAX_PATH * 2];
        DWORD n = GetEnvironmentVariableA("WINEDATADIR", data, sizeof data);
        // Where the font loader has a font folder outside every drive, a bare name missing
        // from the Fonts folder may live there and is not counted.
        bareFontsJudged = !(n > 0 && n < sizeof data);
    }
    bool Missing(const std::string& path)
    {
        if (path.size() < 4 || path[1] != ':' || path[2] != '\\')
            return false;
        int letter = tolower(static_cast<unsigned char>(path[0])) - 'a';
        if (letter < 0 || letter >= 26)
            return false;
        if (m_drives[letter] == 0) {
            char root[4] = {path[0], ':', '\\', 0};
            m_drives[letter] = GetDriveTypeA(root) == DRIVE_FIXED ? 1 : -1;
        }
        return m_drives[letter] > 0 && FileMissing(path.c_str());
    }

    std::string fontsFolder;
    bool bareFontsJudged;

private:
    signed char m_drives[26];
};

// Reads every value of root\path: `visit` gets the name, the type and the data as text.
template <class Visit>
void ForEachValue(HKEY root, const std::string& path, long& count, Visit visit)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    char name[1024];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, size = sizeof data - 1, type = 0;
        LONG r = RegEnumValueA(key, i, name, &nameLength, nullptr, &type, data, &size);
        if (r == ERROR_NO_MORE_ITEMS)
            break;
        if (r != ERROR_SUCCESS)
            continue;
        data[size] = 0;
        ++count;
        visit(std::string(name), type, std::string(reinterpret_cast<const char*>(data)));
    }
    RegCloseKey(key);
}

// Calls `visit` with the path of every sub-key of root\path.
template <class Visit>
void ForEachSubKey(HKEY root, const std::string& path, long& count, Visit visit)
{
    std::vector<std::string> names;
    EnumNames(root, path.c_str(), 0, names);
    for (const std::string& name : names) {
        ++count;
        visit(path + "\\" + name);
    }
}

bool IsText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The program a command starts: the quoted first token, or the text up to its first ".exe".
std::string ProgramOf(const std::string& command)
{
    std::string lower = LowerCopy(command);
    if (!lower.empty() && lower[0] == '"') {
        size_t closing = lower.find('"', 1);
        return lower.substr(1, closing == std::string::npos ? std::string::npos : closing - 1);
    }
    size_t exe = lower.find(".exe");
    return exe == std::string::npos ? std::string() : lower.substr(0, exe + 4);
}

BaselineResult BaselineUninstall()
{
    BaselineResult r;
    PlainJudge judge;
    double start = Now();
    ForEachSubKey(HKEY_LOCAL_MACHINE, UninstallKey, r.keys, [&](const std::string& record) {
        ForEachValue(HKEY_LOCAL_MACHINE, record, r.keys, [&](const std::string& name, DWORD type, const std::string& data) {
            if (!IsText(type) || _stricmp(name.c_str(), "UninstallString") != 0)
                return;
            std::string lower = LowerCopy(data);
            if (lower.find("msiexec") != std::string::npos || lower.find("rundll32") != std::string::npos)
                return;
            if (judge.Missing(ProgramOf(data)))
                ++r.invalid;
        });
    });
    ForEachValue(HKEY_LOCAL_MACHINE, InstallerFoldersKey, r.keys, [&](const std::string& name, DWORD, const std::string&) {
        if (judge.Missing(name))
            ++r.invalid;
    });
    r.seconds = Now() - start;
    return r;
}

BaselineResult BaselineFonts()
{
    BaselineResult r;
    PlainJudge judge;
    double start = Now();
    ForEachValue(HKEY_LOCAL_MACHINE, FontsKey, r.keys, [&](const std::string&, DWORD type, const std::string& data) {
        if (!IsText(type) || data.empty())
            return;
        if (data.find('\\') == std::string::npos) {
            if (FileMissing((judge.fontsFolder + data).c_str()) && judge.bareFontsJudged)
                ++r.invalid;
        } else if (judge.Missing(data)) {
            ++r.invalid;
        }
    });
    r.seconds = Now() - start;
    return r;
}

BaselineResult BaselineSharedDlls()
{
    BaselineResult r;
    PlainJudge judge;
    double start = Now();
    ForEachValue(HKEY_LOCAL_MACHINE, SharedDllsKey, r.keys, [&](const std::string& name, DWORD, const std::string&) {
        if (judge.Missing(name))
            ++r.invalid;
    });
    r.seconds = Now() - start;
    return r;
}

BaselineResult BaselineAppPaths()
{
    BaselineResult r;
    PlainJudge judge;
    double start = Now();
    ForEachSubKey(HKEY_LOCAL_MACHINE, AppPathsKey, r.keys, [&](const std::string& entry) {
        std::string program, folder;
        ForEachValue(HKEY_LOCAL_MACHINE, entry, r.keys, [&](const std::string& name, DWORD type, const std::string& data) {
            if (name.empty() && IsText(type))
                program = data;
            else if (_stricmp(name.c_str(), "Path") == 0)
                folder = data;
        });
        if (program.empty() || !judge.Missing(program))
            return;
        // A bare name may be found in the entry's folder.
        if (program.find('\\') == std::string::npos && !folder.empty() && !judge.Missing(folder + "\\" + program))
            return;
        ++r.invalid;
    });
    r.seconds = Now() - start;
    return r;
}

BaselineResult BaselineHelpFiles()
{
    BaselineResult r;
    PlainJudge judge;
    double start = Now();
    ForEachSubKey(HKEY_LOCAL_MACHINE, HelpClassesKey, r.keys, [&](const std::string& cls) {
        bool missing = false;
        ForEachValue(HKEY_LOCAL_MACHINE, cls + "\\InprocServer32", r.keys, [&](const std::string&, DWORD type, const std::string& data) {
            std::string lower = LowerCopy(data);
            if (IsText(type) && lower.find(".dll") != std::string::npos && judge.Missing(lower))
                missing = true;
        });
        if (missing)
            ++r.invalid;
    });
    for (const char* key : HelpKeys)
        ForEachValue(HKEY_LOCAL_MACHINE, key, r.keys, [&](const std::string& name, DWORD type, const std::string& data) {
            if (IsText(type) && !data.empty() && judge.Missing(data + "\\" + name))
                ++r.invalid;
        });
    r.seconds = Now() - start;
    return r;
}

BaselineResult BaselineStartupItems()
{
    BaselineResult r;
    PlainJudge judge;
    double start = Now();
    const struct {
        HKEY root;
        const char* key;
    } runKeys[] = {
        {HKEY_CURRENT_USER, RunKey},
        {HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
        {HKEY_LOCAL_MACHINE, RunKey},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
        {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx"},
    };
    for (const auto& run : runKeys)
        ForEachValue(run.root, run.key, r.keys, [&](const std::string&, DWORD type, const std::string& data) {
            if (IsText(type) && judge.Missing(ProgramOf(data)))
                ++r.invalid;
        });
    r.seconds = Now() - start;
    return r;
}

size_t PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters;
    memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

typedef BOOL(WINAPI* RedirectionFunction)(PVOID*);
typedef BOOL(WINAPI* RevertFunction)(PVOID);

// The scan runs with file-system redirection off; so do the baselines.
template <class Work>
BaselineResult WithoutRedirectionHere(Work work);

// Runs a baseline on a thread of its own with COM set up, as every scan runs on a worker thread
// of the engine that sets up COM: under Wine the registry and file calls of a new thread cost
// noticeably more than those of the program's main thread, so a baseline run on the main
// thread would not be doing the same work.
template <class Work>
BaselineResult WithoutRedirection(Work work)
{
    struct Job {
        Work* work;
        BaselineResult result;
        static DWORD WINAPI Run(void* p)
        {
            Job* job = static_cast<Job*>(p);
            HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            job->result = WithoutRedirectionHere(*job->work);
            if (SUCCEEDED(com))
                CoUninitialize();
            return 0;
        }
    } job{&work, {}};
    HANDLE thread = CreateThread(nullptr, 0, &Job::Run, &job, 0, nullptr);
    if (!thread)
        return job.result;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return job.result;
}

template <class Work>
BaselineResult WithoutRedirectionHere(Work work)
{
    HMODULE kernel = GetModuleHandleA("kernel32");
    auto disable = GetProcAddressAs<RedirectionFunction>(kernel, "Wow64DisableWow64FsRedirection");
    auto revert = GetProcAddressAs<RevertFunction>(kernel, "Wow64RevertWow64FsRedirection");
    PVOID saved = nullptr;
    bool off = disable && disable(&saved);
    BaselineResult r = work();
    if (off)
        revert(saved);
    return r;
}

struct Category {
    const char* code;
    DWORD bit;
    std::function<BaselineResult()> baseline;
};

const int Repeats = 5;
const int MaxRepeats = 40;
const double MinSecondsPerCategory = 1.0;

}  // namespace

int main(int argc, char** argv)
{
    CoInitialize(nullptr);
    HMODULE module = LoadLibraryA(ENGINE_MODULE_NAME);
    auto start = GetProcAddressAs<EngineStartFunction>(module, "Start");
    g_engine = start ? start() : nullptr;
    if (!g_engine) {
        fprintf(stderr, "registry_scan: %s could not be loaded\n", ENGINE_MODULE_NAME);
        return 1;
    }
    std::vector<double> scales;
    for (int i = 1; i < argc; ++i)
        scales.push_back(atof(argv[i]));
    if (scales.empty())
        scales = {0.5, 1.0};

    ShortcutFolderMap folders;
    folders[CString(LinkFolder)] = 1;
    double worstRatio = 0;
    bool allSame = true;
    const Category categories[] = {
        {"AXO", RegScanActiveX, BaselineActiveX},
        {"UIE", RegScanUninstall, BaselineUninstall},
        {"FNT", RegScanFonts, BaselineFonts},
        {"SHD", RegScanSharedDlls, BaselineSharedDlls},
        {"APP", RegScanAppPaths, BaselineAppPaths},
        {"HLP", RegScanHelpFiles, BaselineHelpFiles},
        {"SUI", RegScanStartupItems, BaselineStartupItems},
        {"FPR", RegScanFilePaths, BaselineFilePaths},
        {"SRC", RegScanShortcuts, [] { return BaselineShortcuts(LinkFolder); }},
        {"ERK", RegScanEmptyKeys, BaselineEmptyKeys},
        {"FAS", RegScanFileAssociations, BaselineFileAssociations},
    };

    printf("a scan of no category (start, worker, end sequence): %.4f s\n",
           BestScan(0, folders, Repeats).seconds);
    for (double scale : scales) {
        FixtureSize size = SizeFor(scale);
        double built = Now();
        BuildFixture(size);
        printf("\nfixture x%.2f: %d classes, %d ProgIDs, %d interfaces, %d type libraries, %d extensions, "
               "%d user keys (x5 values), %d shortcuts; built in %.1f s\n",
               scale, size.classes, size.progIds, size.interfaces, size.typeLibs, size.extensions,
               size.groups * 1000, size.links, Now() - built);
        printf("a scan of no category with this fixture: %.4f s\n", BestScan(0, folders, Repeats).seconds);
        printf("%-4s %9s %9s %10s %7s %8s %10s %9s %6s %5s\n", "cat", "scan s", "base s", "keys/s", "items",
               "planted", "callbacks", "base inv", "ratio", "same");
        int plantedTotal = 0;
        for (const Category& c : categories) {
            // Scan and baseline alternate, each pair close together in time, and the ratio is
            // the median of the pairs' ratios: load from elsewhere on the machine comes and
            // goes, and weighs on both runs of a pair alike. The times shown are the best runs.
            ScanResult best;
            best.seconds = 1e9;
            BaselineResult base;
            base.seconds = 1e9;
            std::vector<double> pairRatios;
            // At least Repeats pairs, more for quick categories.
            double spent = 0;
            for (int i = 0; i < MaxRepeats && (i < Repeats || spent < MinSecondsPerCategory); ++i) {
                ScanResult r = RunScan(c.bit, folders);
                spent += r.seconds;
                if (r.seconds < best.seconds)
                    best = r;
                BaselineResult b = WithoutRedirection(c.baseline);
                if (b.seconds < base.seconds)
                    base = b;
                pairRatios.push_back(r.seconds / std::max(b.seconds, 1e-6));
            }
            std::sort(pairRatios.begin(), pairRatios.end());
            size_t middle = pairRatios.size() / 2;
            double ratio = pairRatios.size() % 2 ? pairRatios[middle]
                                                 : (pairRatios[middle - 1] + pairRatios[middle]) / 2;
            int planted = g_plantedInvalid.count(c.bit) ? g_plantedInvalid[c.bit] : 0;
            plantedTotal += planted;
            // The scan reports exactly what was planted invalid, and the baseline finds the same.
            bool same = best.items == planted && base.invalid == planted;
            worstRatio = std::max(worstRatio, ratio);
            allSame = allSame && same;
            printf("%-4s %9.3f %9.3f %10.0f %7d %8d %10ld %9d %6.2f %5s\n", c.code, best.seconds, base.seconds,
                   base.keys / best.seconds, best.items, planted, best.callbacks, base.invalid, ratio,
                   same ? "yes" : "NO");
        }
        ScanResult whole = BestScan(RegScanAllMask, folders, 3);
        bool wholeSame = whole.items == plantedTotal;
        allSame = allSame && wholeSame;
        printf("all  %9.3f %9s %10s %7d %8d %10ld %9s %6s %5s\n", whole.seconds, "", "", whole.items, plantedTotal,
               whole.callbacks, "", "", wholeSame ? "yes" : "NO");
        printf("peak working set after x%.2f: %.1f MB\n", scale, PeakWorkingSet() / (1024.0 * 1024.0));
        RemoveFixture(size);
    }
    printf("\nhighest scan/baseline ratio: %.2f (target at most 1.50); findings agree: %s\n", worstRatio,
           allSame ? "yes" : "NO");
    return allSame ? 0 : 1;
}
