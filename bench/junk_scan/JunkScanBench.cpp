// Benchmark of the junk scan's folder walk: a tree of many files in the temporary folder,
// measured by the engine's temporary-files category and by a raw FindFirstFileEx walk of the
// same folders that only sums sizes. Prints files per second, the callbacks the scan made and
// the ratio of the two times (target: at most 1.5), for each tree size given, so that one can
// see the progress texts stay bounded by the throttle however many files there are.
//   bench\junk_scan.exe [files ...]      (default: 10000 100000)
// Run it in a prefix of its own from the build folder (scripts/wine-exec --own-prefix <build>
// <build>/bench/junk_scan.exe): it makes and removes its tree in the temporary folder. The best
// of several rounds counts (more of them for small trees), as a walk of a few hundredths of a
// second is easily disturbed by whatever else the machine does; the exit code is 1 when a row
// misses the target.
#include <windows.h>
#include <shlobj.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Support/FolderTree.h"

namespace {

const int FilesPerFolder = 100;
const int FoldersPerGroup = 100;
// Rounds per tree: at least five, and more for small trees, so that every tree is walked for
// about a second in all and its best round is not one that something else disturbed.
const int MinRounds = 5;
const int MaxRounds = 100;
const int FilesPerTree = 500000;

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(b.QuadPart - a.QuadPart) / double(frequency.QuadPart);
}

// Counts what the scan reports; the callbacks cost next to nothing, as a program's would that
// only posts them on.
class CountingStatus : public CAbstractStatus {
public:
    CountingStatus() : finished(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~CountingStatus() override { CloseHandle(finished); }
    void Reset()
    {
        texts = items = other = 0;
        bytes = 0;
        ResetEvent(finished);
    }
    void OnStatusText(const char*, const char*) override { ++texts; }
    void OnProgress(int) override { ++other; }
    void OnItemFound(const char*, DWORD, int, int) override { ++other; }
    void OnJunkItem(DWORD category, DWORD low, DWORD high, int, int, const char* text) override
    {
        if (category == JunkTempFiles && text && *text) {
            ++items;
            bytes += (static_cast<unsigned long long>(high) << 32) | low;
        } else {
            ++other;
        }
    }
    int OnTaskFinished(int code) override
    {
        ++other;
        if (code == TaskJunkScan)
            SetEvent(finished);
        return 0;
    }
    int OnResult(int) override
    {
        ++other;
        return 0;
    }

    HANDLE finished;
    long texts = 0, items = 0, other = 0;
    unsigned long long bytes = 0;
};

// The baseline: every file below the folder, links not entered, sizes summed.
void RawWalk(const std::string& folder, long& files, unsigned long long& bytes)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileExA((folder + "\\*.*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const char* name = data.cFileName;
        if ((name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]))) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RawWalk(folder + "\\" + name, files, bytes);
        } else {
            ++files;
            bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

bool MakeTree(const std::string& root, int files)
{
    CreateDirectoryA(root.c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
        int folder = i / FilesPerFolder;
        std::string group = root + "\\g" + std::to_string(folder / FoldersPerGroup);
        std::string dir = group + "\\d" + std::to_string(folder % FoldersPerGroup);
        if (i % FilesPerFolder == 0) {
            CreateDirectoryA(group.c_str(), nullptr);
            CreateDirectoryA(dir.c_str(), nullptr);
        }
        std::string path = dir + "\\cache_entry_" + std::to_string(i) + ".tmp";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        LARGE_INTEGER end;
        end.QuadPart = (i * 37) % 65536;
        SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
        SetEndOfFile(file);
        CloseHandle(file);
    }
    return true;
}

struct Figures {
    double raw, scan;
    long rawFiles, items, texts, other;
    unsigned long long rawBytes, bytes;
};

bool Measure(CAbstractProcess* process, const std::vector<std::string>& roots, int treeFiles, Figures& best)
{
    const int rounds = std::min(MaxRounds, std::max(MinRounds, FilesPerTree / std::max(treeFiles, 1)));
    CountingStatus status;
    best.raw = best.scan = 1e30;
    for (int round = 0; round <= rounds; ++round) {
        // Round 0 only warms the caches.
        LARGE_INTEGER a, b;
        long files = 0;
        unsigned long long bytes = 0;
        QueryPerformanceCounter(&a);
        for (const std::string& root : roots)
            RawWalk(root, files, bytes);
        QueryPerformanceCounter(&b);
        if (round > 0 && Seconds(a, b) < best.raw)
            best.raw = Seconds(a, b);
        best.rawFiles = files;
        best.rawBytes = bytes;

        status.Reset();
        QueryPerformanceCounter(&a);
        if (process->StartJunkScan(JunkTempFiles, &status) != 1 || !process->ResumeTask() ||
            WaitForSingleObject(status.finished, 600000) != WAIT_OBJECT_0)
            return false;
        QueryPerformanceCounter(&b);
        for (int i = 0; i < 5000 && process->GetThreadHandle(); ++i)
            Sleep(1);
        if (round > 0 && Seconds(a, b) < best.scan) {
            best.scan = Seconds(a, b);
            best.items = status.items;
            best.texts = status.texts;
            best.other = status.other;
            best.bytes = status.bytes;
        }
    }
    return true;
}

std::string TrimSlashes(std::string path)
{
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(atoi(argv[i]));
    if (sizes.empty())
        sizes = {10000, 100000};

    CoInitialize(nullptr);
    HMODULE engine = LoadLibraryA(ENGINE_MODULE_NAME);
    auto start = engine ? reinterpret_cast<EngineStartFunction>(
                              reinterpret_cast<void*>(GetProcAddress(engine, "Start")))
                        : nullptr;
    CAbstractSSEngineInterface* factory = start ? start() : nullptr;
    if (!factory) {
        fprintf(stderr, "junk_scan: %s could not be loaded\n", ENGINE_MODULE_NAME);
        return 2;
    }

    char buffer[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH + 1, buffer);
    const std::string root = TrimSlashes(buffer) + "\\JunkScanBench";
    SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_WINDOWS, FALSE);
    const std::string windowsTemp = TrimSlashes(buffer) + "\\Temp";
    // The scan's temporary folder is the tree itself, so both walks see the same files: the
    // Windows temporary folder and the tree.
    SetEnvironmentVariableA("TMP", (root + "\\").c_str());
    SetEnvironmentVariableA("TEMP", (root + "\\").c_str());

    printf("%9s %10s %10s %12s %12s %7s %10s %12s %9s\n", "files", "raw s", "scan s", "raw files/s",
           "scan files/s", "ratio", "items", "status texts", "text cap");
    int failures = 0;
    for (int files : sizes) {
        RemoveFolderTree(root);
        if (!MakeTree(root, files)) {
            fprintf(stderr, "junk_scan: could not make the tree of %d files\n", files);
            return 2;
        }
        CAbstractProcess* process = factory->NewProcess();
        Figures f = {};
        bool measured = Measure(process, {windowsTemp, root}, files, f);
        factory->DeleteProcess(process);
        if (!measured) {
            fprintf(stderr, "junk_scan: the scan did not run\n");
            return 2;
        }
        const double ratio = f.scan / f.raw;
        // One text per 50 ms and the first at once, with one more for the granularity of the
        // tick count the throttle reads.
        const long cap = static_cast<long>(f.scan * 1000 / 50) + 2;
        printf("%9ld %10.3f %10.3f %12.0f %12.0f %7.2f %10ld %12ld %9ld\n", f.rawFiles, f.raw, f.scan,
               f.rawFiles / f.raw, f.items / f.scan, ratio, f.items, f.texts, cap);
        if (f.items != f.rawFiles || f.bytes != f.rawBytes) {
            printf("  MISMATCH: the scan reported %ld files / %llu bytes, the walk found %ld / %llu\n",
                   f.items, f.bytes, f.rawFiles, f.rawBytes);
            ++failures;
        }
        printf("  other callbacks (framing, empty reports, end): %ld; %s\n", f.other,
               ratio <= 1.5 && f.texts <= cap ? "within target" : "OVER TARGET");
        if (ratio > 1.5 || f.texts > cap)
            ++failures;
    }
    RemoveFolderTree(root);
    return failures ? 1 : 0;
}
