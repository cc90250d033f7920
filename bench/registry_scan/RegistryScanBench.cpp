// Registry scan benchmark: plants a synthetic fixture (COM classes with in-process servers,
// ProgIDs, interfaces and type libraries, file associations, a large tree of user settings
// and a folder of shortcuts, a small share of each invalid), then times the scan through
// Tarnex.dll, the whole scan and each category alone, against a raw baseline that opens the
// same keys, reads the same values and tests the same paths with no other work. Prints keys
// per second, items found, callbacks made, the scan/baseline ratio per category and the peak
// working set, at two fixture sizes. The fixture is removed at the end.
//
//   tests\registry_scan.exe [scale ...]     default: 0.5 1
// Run it in a prefix of its own (scripts/wine-exec --own-prefix): it writes tens of thousands
// of keys.
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

namespace {

// --- fixture ------------------------------------------------------------------------------------

const char* const BenchRoot = "Software\\VBenchRegScan";   // below HKEY_CURRENT_USER
const char* const LinkFolder = "c:\\vbench-regscan\\links";
const char* const MissingFolder = "c:\\vbench-regscan\\missing";

struct FixtureSize {
    int classes;      // CLSIDs with InprocServer32
    int progIds;      // keys with a CLSID sub-key
    int interfaces;   // Interface\{iid}\TypeLib
    int typeLibs;     // TypeLib\{lib}\1.0 with HELPDIR
    int extensions;   // .ext -> ProgID -> shell\open\command
    int groups;       // HKCU tree: groups x 100 x 10 leaf keys with 5 values
    int links;        // .lnk files
};

FixtureSize SizeFor(double scale)
{
    FixtureSize s;
    s.classes = static_cast<int>(20000 * scale);
    s.progIds = static_cast<int>(10000 * scale);
    s.interfaces = static_cast<int>(2000 * scale);
    s.typeLibs = static_cast<int>(1000 * scale);
    s.extensions = static_cast<int>(2000 * scale);
    s.groups = static_cast<int>(50 * scale);
    s.links = static_cast<int>(2000 * scale);
    return s;
}

std::string Guid(const char* head, int n)
{
    char text[64];
    sprintf(text, "{%s-0000-0000-0000-%012X}", head, n);
    return text;
}

bool SetString(HKEY root, const std::string& path, const char* name, const std::string& data,
               DWORD type = REG_SZ)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

void MakeFolders(const std::string& path)
{
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

const char* const ExistingDlls[] = {"shell32.dll", "ole32.dll", "oleaut32.dll", "comctl32.dll",
                                    "user32.dll", "gdi32.dll", "advapi32.dll", "shlwapi.dll",
                                    "urlmon.dll", "msxml3.dll"};

// What the fixture holds that a scan must report, per category bit.
std::map<DWORD, int> g_plantedInvalid;

void BuildFixture(const FixtureSize& s)
{
    g_plantedInvalid.clear();
    // COM classes: 1% with a missing server; the rest by full path, bare name or token.
    for (int i = 0; i < s.classes; ++i) {
        std::string key = "CLSID\\" + Guid("B0B0B0B0", i) + "\\InprocServer32";
        int kind = i % 100;
        std::string server;
        DWORD type = REG_SZ;
        if (kind == 0) {
            server = std::string(MissingFolder) + "\\server" + std::to_string(i) + ".dll";
            ++g_plantedInvalid[0x4000];
        } else if (kind < 10) {
            server = ExistingDlls[i % 10];
        } else if (kind < 20) {
            server = std::string("%SystemRoot%\\system32\\") + ExistingDlls[i % 10];
            type = REG_EXPAND_SZ;
        } else {
            server = std::string("C:\\windows\\system32\\") + ExistingDlls[i % 10];
        }
        SetString(HKEY_CLASSES_ROOT, key, "", server, type);
        SetString(HKEY_CLASSES_ROOT, key, "ThreadingModel", "Both");
    }
    // ProgIDs: 1% name a class that is not registered.
    for (int j = 0; j < s.progIds; ++j) {
        char name[32];
        sprintf(name, "VBench.P%05d", j);
        SetString(HKEY_CLASSES_ROOT, name, "", "VBench object");
        bool bad = j % 100 == 0;
        SetString(HKEY_CLASSES_ROOT, std::string(name) + "\\CLSID", "",
                  bad ? Guid("B0B0FFFF", j) : Guid("B0B0B0B0", j % (s.classes ? s.classes : 1)));
        if (bad)
            ++g_plantedInvalid[0x4000];
    }
    // Type libraries (2% with an empty HELPDIR) and interfaces (1% naming an unknown one).
    for (int t = 0; t < s.typeLibs; ++t) {
        std::string key = "TypeLib\\" + Guid("B2B2B2B2", t) + "\\1.0";
        SetString(HKEY_CLASSES_ROOT, key, "", "VBench type library");
        SetString(HKEY_CLASSES_ROOT, key + "\\0\\win32", "", "c:\\windows\\system32\\stdole2.tlb");
        SetString(HKEY_CLASSES_ROOT, key + "\\FLAGS", "", "0");
        HKEY help = nullptr;
        RegCreateKeyExA(HKEY_CLASSES_ROOT, (key + "\\HELPDIR").c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &help, nullptr);
        if (t % 50 == 0) {
            ++g_plantedInvalid[0x800000];
        } else {
            RegSetValueExA(help, "", 0, REG_SZ, reinterpret_cast<const BYTE*>("c:\\windows"), 11);
        }
        RegCloseKey(help);
    }
    for (int k = 0; k < s.interfaces; ++k) {
        std::string key = "Interface\\" + Guid("B1B1B1B1", k);
        SetString(HKEY_CLASSES_ROOT, key, "", "IVBench");
        bool bad = k % 100 == 0;
        SetString(HKEY_CLASSES_ROOT, key + "\\TypeLib", "",
                  bad ? Guid("B2B2FFFF", k) : Guid("B2B2B2B2", k % (s.typeLibs ? s.typeLibs : 1)));
        if (bad)
            ++g_plantedInvalid[0x4000];
    }
    // File associations: 2% with a missing program, 1% empty extension keys.
    for (int e = 0; e < s.extensions; ++e) {
        char ext[32], progId[32];
        sprintf(ext, ".vb%05d", e);
        sprintf(progId, "VBench.F%05d", e);
        if (e % 100 == 1) {
            HKEY key = nullptr;
            RegCreateKeyExA(HKEY_CLASSES_ROOT, ext, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
            RegCloseKey(key);
            ++g_plantedInvalid[0x1000];
            continue;
        }
        SetString(HKEY_CLASSES_ROOT, ext, "", progId);
        SetString(HKEY_CLASSES_ROOT, ext, "Content Type", "application/x-vbench");
        bool bad = e % 50 == 0;
        std::string command = bad ? "\"" + std::string(MissingFolder) + "\\app" + std::to_string(e) + ".exe\" \"%1\""
                                  : "\"c:\\windows\\notepad.exe\" \"%1\"";
        SetString(HKEY_CLASSES_ROOT, std::string(progId) + "\\shell\\open\\command", "", command);
        if (bad)
            ++g_plantedInvalid[0x1000];
    }
    // The user's settings tree: groups x 100 x 10 leaves, five values each; one value in three
    // a drive path, 5% of those missing.
    int pathValue = 0;
    for (int g = 0; g < s.groups; ++g) {
        for (int sub = 0; sub < 100; ++sub) {
            char mid[64];
            sprintf(mid, "%s\\G%03d\\S%03d", BenchRoot, g, sub);
            HKEY parent = nullptr;
            RegCreateKeyExA(HKEY_CURRENT_USER, mid, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &parent, nullptr);
            for (int leaf = 0; leaf < 10; ++leaf) {
                char name[16];
                sprintf(name, "L%02d", leaf);
                HKEY key = nullptr;
                RegCreateKeyExA(parent, name, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
                std::string text = "Setting text " + std::to_string(leaf);
                RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>(text.size() + 1));
                DWORD number = static_cast<DWORD>(g * 1000 + sub);
                RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
                std::string path = (pathValue++ % 20 == 0)
                                       ? std::string(MissingFolder) + "\\file" + std::to_string(pathValue) + ".txt"
                                       : "c:\\windows\\notepad.exe";
                if (path[3] == 'v')
                    ++g_plantedInvalid[0x400000];
                RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                               static_cast<DWORD>(path.size() + 1));
                BYTE blob[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
                RegSetValueExA(key, "Blob", 0, REG_BINARY, blob, sizeof blob);
                const char* folder = "%ProgramFiles%\\Common Files";
                RegSetValueExA(key, "Folder", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                               static_cast<DWORD>(strlen(folder) + 1));
                RegCloseKey(key);
            }
            RegCloseKey(parent);
        }
    }
    // Shortcuts: 5% to a missing program.
    IShellLinkA* link = nullptr;
    if (s.links > 0 &&
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            for (int n = 0; n < s.links; ++n) {
                char folder[MAX_PATH];
                sprintf(folder, "%s\\sub%02d", LinkFolder, n % 20);
                if (n < 20)
                    MakeFolders(folder);
                bool bad = n % 20 == 0;
                std::string target = bad ? std::string(MissingFolder) + "\\t" + std::to_string(n) + ".exe"
                                         : "c:\\windows\\notepad.exe";
                link->SetPath(target.c_str());
                char path[MAX_PATH];
                sprintf(path, "%s\\link%04d.lnk", folder, n);
                WCHAR wide[MAX_PATH];
                MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
                if (SUCCEEDED(file->Save(wide, TRUE)) && bad)
                    ++g_plantedInvalid[0x8000];
            }
            file->Release();
        }
        link->Release();
    }
}

void DeleteFolderTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, ".."))
                continue;
            std::string child = folder + "\\" + data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteFolderTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

void RemoveFixture(const FixtureSize& s)
{
    for (int i = 0; i < s.classes; ++i)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ("CLSID\\" + Guid("B0B0B0B0", i)).c_str());
    for (int j = 0; j < s.progIds; ++j) {
        char name[32];
        sprintf(name, "VBench.P%05d", j);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, name);
    }
    for (int t = 0; t < s.typeLibs; ++t)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ("TypeLib\\" + Guid("B2B2B2B2", t)).c_str());
    for (int k = 0; k < s.interfaces; ++k)
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ("Interface\\" + Guid("B1B1B1B1", k)).c_str());
    for (int e = 0; e < s.extensions; ++e) {
        char ext[32], progId[32];
        sprintf(ext, ".vb%05d", e);
        sprintf(progId, "VBench.F%05d", e);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ext);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, progId);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, BenchRoot);
    DeleteFolderTree("c:\\vbench-regscan");
}

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
BaselineResult WithoutRedirection(Work work)
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
    std::function<BaselineResult()> baseline;  // empty: no baseline of its own
};

const int Repeats = 5;

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
    const Category categories[] = {
        {"AXO", RegScanActiveX, BaselineActiveX},
        {"UIE", RegScanUninstall, nullptr},
        {"FNT", RegScanFonts, nullptr},
        {"SHD", RegScanSharedDlls, nullptr},
        {"APP", RegScanAppPaths, nullptr},
        {"HLP", RegScanHelpFiles, nullptr},
        {"SUI", RegScanStartupItems, nullptr},
        {"FPR", RegScanFilePaths, BaselineFilePaths},
        {"SRC", RegScanShortcuts, [] { return BaselineShortcuts(LinkFolder); }},
        {"ERK", RegScanEmptyKeys, BaselineEmptyKeys},
        {"FAS", RegScanFileAssociations, BaselineFileAssociations},
    };

    {
        ScanResult empty;
        empty.seconds = 1e9;
        for (int i = 0; i < Repeats; ++i) {
            ScanResult r = RunScan(0, folders);
            if (r.seconds < empty.seconds)
                empty = r;
        }
        printf("a scan of no category (start, worker, end sequence): %.4f s\n", empty.seconds);
    }
    for (double scale : scales) {
        FixtureSize size = SizeFor(scale);
        double built = Now();
        BuildFixture(size);
        printf("\nfixture x%.2f: %d classes, %d ProgIDs, %d interfaces, %d type libraries, %d extensions, "
               "%d user keys (x5 values), %d shortcuts; built in %.1f s\n",
               scale, size.classes, size.progIds, size.interfaces, size.typeLibs, size.extensions,
               size.groups * 1000, size.links, Now() - built);
        printf("%-4s %9s %9s %10s %7s %8s %10s %9s %6s\n", "cat", "scan s", "base s", "keys/s", "items",
               "planted", "callbacks", "base inv", "ratio");
        for (const Category& c : categories) {
            // Scan and baseline alternate, and each keeps its best run, so that load from
            // elsewhere on the machine weighs on both alike.
            ScanResult best;
            best.seconds = 1e9;
            BaselineResult base;
            base.seconds = 1e9;
            for (int i = 0; i < Repeats; ++i) {
                ScanResult r = RunScan(c.bit, folders);
                if (r.seconds < best.seconds)
                    best = r;
                if (c.baseline) {
                    BaselineResult b = WithoutRedirection(c.baseline);
                    if (b.seconds < base.seconds)
                        base = b;
                }
            }
            int planted = g_plantedInvalid.count(c.bit) ? g_plantedInvalid[c.bit] : 0;
            if (c.baseline)
                printf("%-4s %9.3f %9.3f %10.0f %7d %8d %10ld %9d %6.2f\n", c.code, best.seconds, base.seconds,
                       base.keys / best.seconds, best.items, planted, best.callbacks, base.invalid,
                       best.seconds / base.seconds);
            else
                printf("%-4s %9.3f %9s %10s %7d %8d %10ld %9s %6s\n", c.code, best.seconds, "-", "-", best.items,
                       planted, best.callbacks, "-", "-");
        }
        ScanResult whole;
        whole.seconds = 1e9;
        for (int i = 0; i < 3; ++i) {
            ScanResult r = RunScan(RegScanAllMask, folders);
            if (r.seconds < whole.seconds)
                whole = r;
        }
        printf("all  %9.3f %9s %10s %7d %8s %10ld\n", whole.seconds, "", "", whole.items, "", whole.callbacks);
        printf("peak working set after x%.2f: %.1f MB\n", scale, PeakWorkingSet() / (1024.0 * 1024.0));
        RemoveFixture(size);
    }
    return 0;
}
