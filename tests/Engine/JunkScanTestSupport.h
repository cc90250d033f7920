// Helpers of the junk scan tests: fixture files of exact sizes in the prefix's real folders, a
// reference listing of a folder in the order the system enumerates it, and the expected call
// sequence of a scan.
#ifndef VELMORA_TESTS_JUNK_SCAN_TEST_SUPPORT_H
#define VELMORA_TESTS_JUNK_SCAN_TEST_SUPPORT_H

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <string>
#include <vector>

#include "Support/EngineTestSupport.h"

namespace junktest {

inline std::string TrimSlashes(std::string path)
{
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

// A shell folder as the shell names it, without a trailing "\"; empty when it cannot.
inline std::string ShellFolder(int csidl)
{
    char buffer[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, FALSE))
        return std::string();
    return TrimSlashes(buffer);
}

inline std::string TempFolder()
{
    char buffer[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH + 1, buffer);
    return TrimSlashes(buffer);
}

inline std::string ParentOf(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

inline bool MakeFolders(const std::string& folder)
{
    int r = SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
    return r == ERROR_SUCCESS || r == ERROR_ALREADY_EXISTS || r == ERROR_FILE_EXISTS;
}

// Creates (or replaces) a file of exactly `size` bytes, with its folders. Large sizes are
// set by moving the end of the file, which costs no disk space where files can be sparse.
inline bool WriteSizedFile(const std::string& path, unsigned long long size)
{
    if (!MakeFolders(ParentOf(path)))
        return false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    CloseHandle(file);
    return ok;
}

// Opens a file so that nobody else can open it, as a program holding its file does.
inline HANDLE HoldFileExclusively(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

struct ListedFile {
    std::string path;
    unsigned long long size;
};

// Every file below `folder` in the order the system enumerates it, depth first as met; links
// are not entered. Missing folder: nothing.
inline void ListFiles(const std::string& folder, std::vector<ListedFile>& out)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == ".." || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            continue;
        std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(path, out);
        else
            out.push_back({path, (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) |
                                     data.nFileSizeLow});
    } while (FindNextFileA(find, &data));
    FindClose(find);
}

inline std::vector<ListedFile> ListFiles(const std::string& folder)
{
    std::vector<ListedFile> out;
    ListFiles(folder, out);
    return out;
}

inline std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// --- the reports of a scan ------------------------------------------------------------------

struct Finding {
    DWORD bit;
    unsigned long long size;
    std::string text;
};

inline std::string JunkItem(DWORD bit, unsigned long long size, const std::string& text)
{
    return StatusCall{"OnJunkItem", text, "", static_cast<long long>(size), bit, 0, 0}.Describe();
}
inline std::string Animation(int group, int open)
{
    return StatusCall{"OnItemFound", "RunAnimation", "", open, static_cast<DWORD>(group), 0, 0}.Describe();
}
inline std::string Result(int code) { return StatusCall{"OnResult", "", "", code, 0, 0, 0}.Describe(); }
inline std::string Finished(int code) { return StatusCall{"OnTaskFinished", "", "", code, 0, 0, 0}.Describe(); }
inline std::string EndText() { return StatusCall{"OnStatusText", "", "Scanning", 0, 0, 0, 0}.Describe(); }

struct ReportedGroup {
    int number;
    std::vector<DWORD> bits;
};
inline const std::vector<ReportedGroup>& ReportedGroups()
{
    static const std::vector<ReportedGroup> groups = {
        {1, {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x200000}},
        {4, {0x10000, 0x20000, 0x40000, 0x80000}},
        {3, {0x800, 0x1000, 0x2000, 0x4000}},
        {2, {0x40, 0x80, 0x100, 0x200}},
        {5, {0x400000, 0x800000, 0x1000000, 0x2000000}},
    };
    return groups;
}

// The whole sequence of a scan apart from its progress texts: every group framed, every bit
// first reported empty and then its findings, the all-zero report, the result, and the task
// runner's end.
inline std::vector<std::string> ExpectedScan(const std::map<DWORD, std::vector<Finding>>& findings)
{
    std::vector<std::string> out;
    for (const ReportedGroup& group : ReportedGroups()) {
        out.push_back(Animation(group.number, 1));
        for (DWORD bit : group.bits) {
            out.push_back(JunkItem(bit, 0, ""));
            auto found = findings.find(bit);
            if (found != findings.end())
                for (const Finding& f : found->second)
                    out.push_back(JunkItem(f.bit, f.size, f.text));
        }
        out.push_back(Animation(group.number, 0));
    }
    out.push_back(JunkItem(0, 0, ""));
    out.push_back(Result(0));
    out.push_back(EndText());
    out.push_back(Finished(9));
    return out;
}

// The recorded calls without the progress texts of the scan itself (the runner's closing
// text is kept).
inline std::vector<std::string> ScanReports(const std::vector<StatusCall>& calls)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < calls.size(); ++i) {
        const StatusCall& c = calls[i];
        bool runnerEnd = i + 2 == calls.size();
        if (c.slot == "OnStatusText" && !runnerEnd)
            continue;
        out.push_back(c.Describe());
    }
    return out;
}

inline std::vector<StatusCall> ProgressTexts(const std::vector<StatusCall>& calls)
{
    std::vector<StatusCall> out;
    for (size_t i = 0; i + 2 < calls.size(); ++i)
        if (calls[i].slot == "OnStatusText")
            out.push_back(calls[i]);
    return out;
}

// Runs one junk scan to its end and returns every call it made.
inline std::vector<StatusCall> RunJunkScan(CAbstractProcess* process, DWORD mask,
                                           RecordingStatus* status = nullptr)
{
    RecordingStatus own;
    RecordingStatus& used = status ? *status : own;
    used.Reset();
    int started = RunTask(process, used, TaskJunkScan, [&] { return process->StartJunkScan(mask, &used); });
    if (started != 1)
        return {};
    return used.Calls();
}

// Runs one junk clean to its end and returns every call it made.
inline std::vector<StatusCall> RunJunkClean(CAbstractProcess* process, DWORD mask)
{
    RecordingStatus status;
    if (RunTask(process, status, TaskJunkClean, [&] { return process->StartJunkClean(mask, &status); }) != 1)
        return {};
    return status.Calls();
}

}  // namespace junktest

#endif
