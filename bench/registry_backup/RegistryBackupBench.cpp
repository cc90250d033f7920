// Benchmark of the registry backup the repair writes first: a found-items list naming one key
// of many values (a shared-DLL list: one found item per stale value) and many small key trees,
// backed up by the registry manager as the repair does, against a baseline that exports each
// key once with the same writer. Prints seconds, bytes and both ratios (targets: time at most
// 1.5, size at most 1.1) for each scale given; the backup must grow with the registry, so the
// ratios hold at twice the size as well.
//   bench\registry_backup.exe [scale ...]      (default: 1 2)
// Scale 1: a key of 3,000 values of which 1,000 are found, and 2,000 found key trees of four
// values each (three in the key, one in a subkey). Run it in a prefix of its own from the build
// folder (scripts/wine-exec --own-prefix <build> <build>/bench/registry_backup.exe): it plants
// and removes its keys below HKEY_CURRENT_USER\Software and writes its documents in the
// temporary folder. The best of three rounds counts; the exit code is 1 when a row misses a
// target.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Client/Scan/ScanItemsInfo.h"
#include "Engine/RegistryManager.h"
#include "Engine/XmlStream.h"

namespace {

const int ValuesPerScale = 3000;
const int FoundValuesPerScale = 1000;
const int TreesPerScale = 2000;
const int Rounds = 3;
const double TimeTarget = 1.5;
const double SizeTarget = 1.1;
// Category bits of the found items: shared DLLs (a value each) and uninstall entries (a tree).
const int SharedDllCategory = 0x80000;
const int UninstallCategory = 0x100000;

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(b.QuadPart - a.QuadPart) / double(frequency.QuadPart);
}

bool SetText(HKEY key, const std::string& name, const std::string& text)
{
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          DWORD(text.size() + 1)) == ERROR_SUCCESS;
}

bool CreateWithText(const std::string& path, const std::string& name, const std::string& text)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool set = SetText(key, name, text);
    RegCloseKey(key);
    return set;
}

std::string ValueName(int i)
{
    char name[64];
    snprintf(name, sizeof(name), "C:\\Program Files\\Common Files\\Shared\\library%05d.dll", i);
    return name;
}

std::string TreeName(int i)
{
    char name[32];
    snprintf(name, sizeof(name), "Application %05d", i);
    return name;
}

// The planted keys below HKEY_CURRENT_USER and the found-items list that names them.
class Fixture {
public:
    Fixture(int scale, const std::string& folder) : m_store(folder.c_str())
    {
        m_path = "Software\\VelmoraBench_" + std::to_string(GetCurrentProcessId()) + "_RegistryBackup";
        RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
        const std::string shared = m_path + "\\SharedDLLs";
        HKEY key = nullptr;
        m_ok = RegCreateKeyExA(HKEY_CURRENT_USER, shared.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                               &key, nullptr) == ERROR_SUCCESS;
        for (int i = 0; m_ok && i < ValuesPerScale * scale; ++i) {
            DWORD count = DWORD(i % 9 + 1);
            m_ok = RegSetValueExA(key, ValueName(i).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count),
                                  sizeof(count)) == ERROR_SUCCESS;
        }
        if (key)
            RegCloseKey(key);
        const std::string root = "HKEY_CURRENT_USER\\";
        m_keys.push_back(root + shared);
        // Every third value is found, spread over the whole key.
        for (int i = 0; m_ok && i < FoundValuesPerScale * scale; ++i)
            m_ok = m_store.AddItem((root + shared + char(ValueSeparator) + ValueName(i * 3)).c_str(),
                                   SharedDllCategory, 0, 0) == 1;
        for (int i = 0; m_ok && i < TreesPerScale * scale; ++i) {
            const std::string tree = m_path + "\\Uninstall\\" + TreeName(i);
            m_ok = CreateWithText(tree, "DisplayName", TreeName(i)) &&
                   CreateWithText(tree, "UninstallString", "C:\\gone\\" + TreeName(i) + "\\uninst.exe") &&
                   CreateWithText(tree, "Publisher", "Nobody") &&
                   CreateWithText(tree + "\\Details", "Size", "1024") &&
                   m_store.AddItem((root + tree).c_str(), UninstallCategory, 0, 0) == 1;
            m_keys.push_back(root + tree);
        }
    }
    ~Fixture() { RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str()); }
    Fixture(const Fixture&) = delete;
    Fixture& operator=(const Fixture&) = delete;

    bool Ok() const { return m_ok; }
    CScanItemsInfo& Store() { return m_store; }
    // Every key the list names, each once, in the order the list first names it.
    const std::vector<std::string>& Keys() const { return m_keys; }

private:
    std::string m_path;
    bool m_ok = false;
    CScanItemsInfo m_store;
    std::vector<std::string> m_keys;
};

unsigned long long FileSize(const std::string& file)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The backup as the repair writes it: 1 with its time when the document is complete.
bool TimeBackup(Fixture& fixture, const std::string& file, double& seconds)
{
    CRegistryManager manager(nullptr, nullptr);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const int result = manager.ExportFoundItems(&fixture.Store(), file.c_str());
    QueryPerformanceCounter(&end);
    seconds = Seconds(start, end);
    return result == 1;
}

// The baseline: the same writer and root element, each key exported once.
bool TimeEachKeyOnce(const Fixture& fixture, const std::string& file, double& seconds)
{
    CRegistryManager manager(nullptr, nullptr);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    CXmlWriter writer;
    writer.SetFileName(file.c_str());
    writer.WriteStartTag(CXmlTag("registry"));
    bool complete = true;
    for (const std::string& key : fixture.Keys())
        complete = manager.ExportKey(key.c_str(), writer) == 1 && complete;
    writer.WriteEndTag("registry");
    complete = writer.Close() && complete;
    QueryPerformanceCounter(&end);
    seconds = Seconds(start, end);
    return complete;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> scales;
    for (int i = 1; i < argc; ++i)
        if (atoi(argv[i]) > 0)
            scales.push_back(atoi(argv[i]));
    if (scales.empty())
        scales = {1, 2};

    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "VelmoraBench_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string backupFile = folder + "\\backup.rbk";
    const std::string baselineFile = folder + "\\baseline.rbk";

    printf("%6s %8s %7s %10s %10s %13s %13s %6s %6s\n", "scale", "values", "items", "backup s",
           "baseline s", "backup bytes", "base bytes", "time", "size");
    int exitCode = 0;
    for (int scale : scales) {
        Fixture fixture(scale, folder);
        if (!fixture.Ok()) {
            printf("scale %d: the fixture could not be planted\n", scale);
            exitCode = 1;
            break;
        }
        double backup = 1e9, baseline = 1e9;
        bool complete = true;
        for (int round = 0; round < Rounds; ++round) {
            double seconds = 0;
            complete = TimeBackup(fixture, backupFile, seconds) && complete;
            backup = std::min(backup, seconds);
            complete = TimeEachKeyOnce(fixture, baselineFile, seconds) && complete;
            baseline = std::min(baseline, seconds);
        }
        const unsigned long long backupBytes = FileSize(backupFile);
        const unsigned long long baselineBytes = FileSize(baselineFile);
        const double timeRatio = baseline > 0 ? backup / baseline : 0;
        const double sizeRatio = baselineBytes ? double(backupBytes) / double(baselineBytes) : 0;
        const bool met = complete && timeRatio <= TimeTarget && sizeRatio <= SizeTarget;
        printf("%6d %8d %7d %10.3f %10.3f %13llu %13llu %6.2f %6.2f%s\n", scale, ValuesPerScale * scale,
               (FoundValuesPerScale + TreesPerScale) * scale, backup, baseline, backupBytes, baselineBytes,
               timeRatio, sizeRatio, !complete ? "  INCOMPLETE" : met ? "" : "  MISSED");
        fflush(stdout);
        if (!met)
            exitCode = 1;
    }
    DeleteFileA(backupFile.c_str());
    DeleteFileA(baselineFile.c_str());
    RemoveDirectoryA(folder.c_str());
    return exitCode;
}
