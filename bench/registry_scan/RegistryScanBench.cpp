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

namespace {

// --- fixture ------------------------------------------------------------------------------------

const char* const BenchRoot = "Software\\VBenchRegScan";   // below HKEY_CURRENT_USER
const char* const LinkFolder = "c:\\vbench-regscan\\links";
const char* const MissingFolder = "c:\\vbench-regscan\\missing";
// Files and folders the entries of the fixed keys name when they are valid.
const char* const FilesFolder = "c:\\vbench-regscan\\files";
const char* const FoldersFolder = "c:\\vbench-regscan\\dirs";

// The fixed keys of the smaller categories (HKEY_LOCAL_MACHINE unless said otherwise).
const char* const UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const InstallerFoldersKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char* const FontsKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* const SharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char* const AppPathsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const char* const HelpClassesKey = "SOFTWARE\\Microsoft\\HTMLHelp\\2.0\\LocalReg\\CLSID";
const char* const HelpKeys[] = {"SOFTWARE\\Microsoft\\Windows\\Help", "SOFTWARE\\Microsoft\\Windows\\HTML Help"};
const char* const RunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";  // HKCU and HKLM

struct FixtureSize {
    int classes;      // CLSIDs with InprocServer32
    int progIds;      // keys with a CLSID sub-key
    int interfaces;   // Interface\{iid}\TypeLib
    int typeLibs;     // TypeLib\{lib}\1.0 with HELPDIR
    int extensions;   // .ext -> ProgID -> shell\open\command
    int groups;       // HKCU tree: groups x 100 x 10 leaf keys with 5 values
    int links;        // .lnk files
    int uninstall;    // uninstall records; half as many installer folders
    int fonts;        // font values
    int sharedDlls;   // shared-DLL values
    int appPaths;     // App Paths entries
    int helpFiles;    // help and HTML help values; a tenth as many help classes
    int runValues;    // Run commands, half per user and half for the machine
};

// Every `InvalidEvery`-th entry of the fixed keys is invalid.
const int InvalidEvery = 50;

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
    s.uninstall = static_cast<int>(1000 * scale);
    s.fonts = static_cast<int>(1000 * scale);
    s.sharedDlls = static_cast<int>(2000 * scale);
    s.appPaths = static_cast<int>(1000 * scale);
    s.helpFiles = static_cast<int>(1000 * scale);
    s.runValues = static_cast<int>(400 * scale);
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

std::string Numbered(const char* format, int n)
{
    char text[MAX_PATH];
    sprintf(text, format, n);
    return text;
}

// The valid program/file of entry n of the fixed keys (the files exist).
std::string PresentFile(int n)
{
    return std::string(FilesFolder) + Numbered("\\f%05d.exe", n);
}

std::string MissingFile(const char* stem, int n)
{
    return std::string(MissingFolder) + "\\" + stem + Numbered("%05d.exe", n);
}

int FixedKeyFileCount(const FixtureSize& s)
{
    return std::max({s.uninstall, s.fonts, s.sharedDlls, s.appPaths, s.helpFiles, s.runValues, 1});
}

void CreateSmallFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, "vbench", 6, &written, nullptr);
    CloseHandle(file);
}

bool SetDword(HKEY root, const std::string& path, const char* name, DWORD value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return r == ERROR_SUCCESS;
}

// Entries of the fixed keys that UIE, FNT, SHD, APP, HLP and SUI read, each naming a file that
// exists, except every InvalidEvery-th, which names one that does not.
void BuildFixedKeyEntries(const FixtureSize& s)
{
    MakeFolders(FilesFolder);
    for (int n = 0; n < FixedKeyFileCount(s); ++n)
        CreateSmallFile(PresentFile(n));

    for (int n = 0; n < s.uninstall; ++n) {
        std::string key = std::string(UninstallKey) + Numbered("\\VBench.U%05d", n);
        SetString(HKEY_LOCAL_MACHINE, key, "DisplayName", Numbered("VBench program %d", n));
        SetString(HKEY_LOCAL_MACHINE, key, "Publisher", "VBench");
        SetString(HKEY_LOCAL_MACHINE, key, "DisplayVersion", "1.0");
        SetDword(HKEY_LOCAL_MACHINE, key, "EstimatedSize", 1024);
        std::string command;
        if (n % InvalidEvery == 0) {
            command = "\"" + MissingFile("uninst", n) + "\" /S";
            ++g_plantedInvalid[RegScanUninstall];
        } else if (n % 10 == 5) {
            command = Numbered("MsiExec.exe /X{B4B4B4B4-0000-0000-0000-%012d}", n);
        } else {
            command = "\"" + PresentFile(n) + "\" /uninstall";
        }
        SetString(HKEY_LOCAL_MACHINE, key, "UninstallString", command);
    }
    for (int n = 0; n < s.uninstall / 2; ++n) {
        std::string folder = std::string(FoldersFolder) + Numbered("\\d%05d", n);
        if (n % InvalidEvery == 0)
            ++g_plantedInvalid[RegScanUninstall];
        else
            MakeFolders(folder);
        SetString(HKEY_LOCAL_MACHINE, InstallerFoldersKey, (folder + "\\").c_str(), "");
    }

    for (int n = 0; n < s.fonts; ++n) {
        bool bad = n % InvalidEvery == 0;
        SetString(HKEY_LOCAL_MACHINE, FontsKey, Numbered("VBench Font %05d (TrueType)", n).c_str(),
                  bad ? MissingFile("font", n) : PresentFile(n));
        if (bad)
            ++g_plantedInvalid[RegScanFonts];
    }

    for (int n = 0; n < s.sharedDlls; ++n) {
        bool bad = n % InvalidEvery == 0;
        SetDword(HKEY_LOCAL_MACHINE, SharedDllsKey, (bad ? MissingFile("shared", n) : PresentFile(n)).c_str(), 1);
        if (bad)
            ++g_plantedInvalid[RegScanSharedDlls];
    }

    for (int n = 0; n < s.appPaths; ++n) {
        std::string key = std::string(AppPathsKey) + Numbered("\\vbench%05d.exe", n);
        bool bad = n % InvalidEvery == 0;
        SetString(HKEY_LOCAL_MACHINE, key, "", bad ? MissingFile("app", n) : PresentFile(n));
        SetString(HKEY_LOCAL_MACHINE, key, "Path", bad ? MissingFolder : FilesFolder);
        if (bad)
            ++g_plantedInvalid[RegScanAppPaths];
    }

    for (int n = 0; n < s.helpFiles; ++n) {
        bool bad = n % InvalidEvery == 0;
        std::string name = bad ? Numbered("gone%05d.hlp", n) : Numbered("f%05d.exe", n);
        SetString(HKEY_LOCAL_MACHINE, HelpKeys[n % 2], name.c_str(), FilesFolder);
        if (bad)
            ++g_plantedInvalid[RegScanHelpFiles];
    }
    for (int n = 0; n < s.helpFiles / 10; ++n) {
        std::string key = std::string(HelpClassesKey) + "\\" + Guid("B3B3B3B3", n) + "\\InprocServer32";
        bool bad = n % InvalidEvery == 0;
        SetString(HKEY_LOCAL_MACHINE, key, "",
                  bad ? std::string(MissingFolder) + Numbered("\\help%05d.dll", n)
                      : std::string("C:\\windows\\system32\\") + ExistingDlls[n % 10]);
        if (bad)
            ++g_plantedInvalid[RegScanHelpFiles];
    }

    for (int n = 0; n < s.runValues; ++n) {
        bool bad = n % InvalidEvery == 0;
        std::string command = "\"" + (bad ? MissingFile("run", n) : PresentFile(n)) + "\" /background";
        // The invalid ones go to the machine's key: under the user's they would also be file
        // path references of the user's settings.
        SetString(n % 2 == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, RunKey, Numbered("VBench%05d", n).c_str(),
                  command);
        if (bad)
            ++g_plantedInvalid[RegScanStartupItems];
    }
}

void DeleteValue(HKEY root, const char* path, const std::string& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

void RemoveFixedKeyEntries(const FixtureSize& s)
{
    for (int n = 0; n < s.uninstall; ++n)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(UninstallKey) + Numbered("\\VBench.U%05d", n)).c_str());
    for (int n = 0; n < s.uninstall / 2; ++n)
        DeleteValue(HKEY_LOCAL_MACHINE, InstallerFoldersKey,
                    std::string(FoldersFolder) + Numbered("\\d%05d\\", n));
    for (int n = 0; n < s.fonts; ++n)
        DeleteValue(HKEY_LOCAL_MACHINE, FontsKey, Numbered("VBench Font %05d (TrueType)", n));
    for (int n = 0; n < s.sharedDlls; ++n)
        DeleteValue(HKEY_LOCAL_MACHINE, SharedDllsKey,
                    n % InvalidEvery == 0 ? MissingFile("shared", n) : PresentFile(n));
    for (int n = 0; n < s.appPaths; ++n)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(AppPathsKey) + Numbered("\\vbench%05d.exe", n)).c_str());
    for (int n = 0; n < s.helpFiles; ++n)
        DeleteValue(HKEY_LOCAL_MACHINE, HelpKeys[n % 2],
                    n % InvalidEvery == 0 ? Numbered("gone%05d.hlp", n) : Numbered("f%05d.exe", n));
    for (int n = 0; n < s.helpFiles / 10; ++n)
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(HelpClassesKey) + "\\" + Guid("B3B3B3B3", n)).c_str());
    for (int n = 0; n < s.runValues; ++n)
        DeleteValue(n % 2 == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, RunKey, Numbered("VBench%05d", n));
}

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
    BuildFixedKeyEntries(s);
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
    RemoveFixedKeyEntries(s);
    RemoveFolderTree("c:\\vbench-regscan");
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
