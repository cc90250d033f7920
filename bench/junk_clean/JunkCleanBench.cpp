// Benchmark of the junk clean's deletion: a tree of many files in the temporary folder, cleaned
// by the engine's temporary-files category (task 10), against a raw walk that deletes an
// identical tree with FindFirstFileEx, DeleteFileA and RemoveDirectoryA and checks nothing.
// Prints files per second, the status texts the clean sent and the ratio of the two times
// (target: at most 1.3), for each tree size given.
//   bench\junk_clean.exe [files ...]      (default: 100000)
// Run it in a prefix of its own from the build folder (scripts/wine-exec --own-prefix <build>
// <build>/bench/junk_clean.exe): it deletes its trees and whatever else lies in the prefix's
// temporary folders. Every round makes both trees afresh; the best round of each counts. The
// exit code is 1 when a row misses the target or a tree was not deleted completely.
#include <windows.h>
#include <shlobj.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Engine/Interfaces/EngineInterfaces.h"

namespace {

const int FilesPerFolder = 100;
const int FoldersPerGroup = 100;
const int Rounds = 3;
const double TargetRatio = 1.3;

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(b.QuadPart - a.QuadPart) / double(frequency.QuadPart);
}

class CountingStatus : public CAbstractStatus {
public:
    CountingStatus() : finished(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~CountingStatus() override { CloseHandle(finished); }
    void Reset()
    {
        texts = other = 0;
        result = -1;
        ResetEvent(finished);
    }
    void OnStatusText(const char*, const char*) override { ++texts; }
    void OnProgress(int) override { ++other; }
    void OnItemFound(const char*, DWORD, int, int) override { ++other; }
    void OnJunkItem(DWORD, DWORD, DWORD, int, int, const char*) override { ++other; }
    int OnTaskFinished(int code) override
    {
        ++other;
        if (code == TaskJunkClean)
            SetEvent(finished);
        return 0;
    }
    int OnResult(int code) override
    {
        ++other;
        result = code;
        return 0;
    }

    HANDLE finished;
    long texts = 0, other = 0;
    int result = -1;
};

// The baseline: deletes every file below the folder and every folder below it, links not
// entered; the folder itself stays, as it does in the clean.
void RawDelete(const std::string& folder, long& files)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileExA((folder + "\\*.*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const char* name = data.cFileName;
        if ((name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]))) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        const std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RawDelete(path, files);
            RemoveDirectoryA(path.c_str());
        } else if (DeleteFileA(path.c_str())) {
            ++files;
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
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        const DWORD written = (i * 37) % 4096;
        DWORD done = 0;
        static const char bytes[4096] = {};
        WriteFile(file, bytes, written, &done, nullptr);
        CloseHandle(file);
    }
    return true;
}

// Files and folders left below a folder.
long CountLeft(const std::string& folder)
{
    long left = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        ++left;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            left += CountLeft(folder + "\\" + name);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return left;
}

std::string TrimSlashes(std::string path)
{
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

struct Figures {
    double raw = 1e30, clean = 1e30;
    long rawFiles = 0, texts = 0, other = 0, rawLeft = 0, cleanLeft = 0;
    int result = -1;
};

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(atoi(argv[i]));
    if (sizes.empty())
        sizes = {100000};

    CoInitialize(nullptr);
    HMODULE engine = LoadLibraryA(ENGINE_MODULE_NAME);
    auto start = engine ? reinterpret_cast<EngineStartFunction>(reinterpret_cast<void*>(GetProcAddress(engine, "Start")))
                        : nullptr;
    CAbstractSSEngineInterface* factory = start ? start() : nullptr;
    if (!factory) {
        fprintf(stderr, "junk_clean: %s could not be loaded\n", ENGINE_MODULE_NAME);
        return 2;
    }

    // The clean's temporary folder is the tree itself; the Windows temporary folder, which the
    // category also empties, is emptied by the baseline too.
    char buffer[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH + 1, buffer);
    const std::string root = TrimSlashes(buffer) + "\\JunkCleanBench";
    SHGetSpecialFolderPathA(nullptr, buffer, CSIDL_WINDOWS, FALSE);
    const std::string windowsTemp = TrimSlashes(buffer) + "\\Temp";
    SetEnvironmentVariableA("TMP", (root + "\\").c_str());
    SetEnvironmentVariableA("TEMP", (root + "\\").c_str());

    printf("%9s %10s %10s %12s %13s %7s %12s %7s\n", "files", "raw s", "clean s", "raw files/s", "clean files/s",
           "ratio", "status texts", "result");
    int failures = 0;
    for (int files : sizes) {
        Figures f;
        CAbstractProcess* process = factory->NewProcess();
        CountingStatus status;
        for (int round = 0; round < Rounds; ++round) {
            if (!MakeTree(root, files)) {
                fprintf(stderr, "junk_clean: could not make the tree of %d files\n", files);
                return 2;
            }
            LARGE_INTEGER a, b;
            long deleted = 0;
            QueryPerformanceCounter(&a);
            RawDelete(windowsTemp, deleted);
            RawDelete(root, deleted);
            QueryPerformanceCounter(&b);
            f.raw = std::min(f.raw, Seconds(a, b));
            f.rawFiles = std::max(f.rawFiles, deleted);
            f.rawLeft = std::max(f.rawLeft, CountLeft(root));

            if (!MakeTree(root, files)) {
                fprintf(stderr, "junk_clean: could not make the tree of %d files\n", files);
                return 2;
            }
            status.Reset();
            QueryPerformanceCounter(&a);
            if (process->StartJunkClean(JunkTempFiles, &status) != 1 || !process->ResumeTask() ||
                WaitForSingleObject(status.finished, 600000) != WAIT_OBJECT_0) {
                fprintf(stderr, "junk_clean: the clean did not run\n");
                return 2;
            }
            QueryPerformanceCounter(&b);
            for (int i = 0; i < 5000 && process->GetThreadHandle(); ++i)
                Sleep(1);
            if (Seconds(a, b) < f.clean) {
                f.clean = Seconds(a, b);
                f.texts = status.texts;
                f.other = status.other;
                f.result = status.result;
            }
            f.cleanLeft = std::max(f.cleanLeft, CountLeft(root));
        }
        factory->DeleteProcess(process);

        const double ratio = f.clean / f.raw;
        printf("%9d %10.3f %10.3f %12.0f %13.0f %7.2f %12ld %7d\n", files, f.raw, f.clean, files / f.raw,
               files / f.clean, ratio, f.texts, f.result);
        const bool complete = f.rawLeft == 0 && f.cleanLeft == 0 && f.rawFiles >= files;
        printf("  the baseline deleted %ld files and left %ld entries, the clean left %ld; other callbacks "
               "(framing, reports, end): %ld; %s\n",
               f.rawFiles, f.rawLeft, f.cleanLeft, f.other,
               ratio <= TargetRatio && complete ? "within target" : "OVER TARGET OR INCOMPLETE");
        if (ratio > TargetRatio || !complete)
            ++failures;
    }
    return failures ? 1 : 0;
}
