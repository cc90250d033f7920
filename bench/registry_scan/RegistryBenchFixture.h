// The registry benchmarks' synthetic fixture: COM classes with in-process servers, ProgIDs,
// interfaces and type libraries, file associations, a large tree of user settings, a folder of
// shortcuts, and entries of the fixed keys the other categories read (uninstall records and
// installer folders, fonts, shared DLLs, application paths, help files and Run commands); a
// small share of each invalid, counted per category bit in g_plantedInvalid. For benchmarks of
// one source file each (it defines its functions there); needs COM initialised.
#ifndef VELMORA_BENCH_REGISTRY_BENCH_FIXTURE_H
#define VELMORA_BENCH_REGISTRY_BENCH_FIXTURE_H

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Support/FolderTree.h"

namespace {

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

}  // namespace

#endif
