// The module walk, the file digest with progress, the skip-list test and the process closers.
#include "Engine/ProcessToolkit.h"

#include <stdio.h>

#include "Engine/Md5.h"
#include "Engine/ProcessLists.h"
#include "Engine/SSEngineProcess.h"
#include "Framework/FileFind.h"
#include "Framework/ModulePath.h"

namespace {

const char* const SkipListFile = "LW.wth";
const int SkipListChunk = 499;

}  // namespace

int WalkProcessModules(CSSEngineProcess& process)
{
    int visited = 0;
    CProcessList processes;
    for (INT_PTR i = 0; i < processes.GetSize() && process.KeepRunning(); ++i) {
        CModuleList modules(processes[i].Entry.th32ProcessID);
        for (INT_PTR m = 0; m < modules.GetSize() && process.KeepRunning(); ++m) {
            WIN32_FIND_DATAA data;
            FindFileEntry(modules[m].szExePath, data);
            ++visited;
        }
    }
    return visited;
}

CString DigestFileWithProgress(CSSEngineProcess& process, const CString& path)
{
    if (process.Status())
        process.Status()->OnProgress(1);
    return CMD5::FileDigestText(path);
}

int IsOnSkipList(const char* text)
{
    CString folder = GetProgramFolder();
    if (folder.IsEmpty())
        return 0;
    folder.TrimRight('\\');
    return IsOnSkipListIn(folder, text);
}

int IsOnSkipListIn(const CString& folder, const char* text)
{
    if (!text)
        return 0;
    const CString path = folder + "\\" + SkipListFile;
    FILE* file = fopen(path, "a+");
    if (!file) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        file = fopen(path, "a+");
        if (!file)
            return 0;
    }
    rewind(file);
    CString list;
    char chunk[SkipListChunk];
    size_t read;
    while ((read = fread(chunk, 1, sizeof chunk, file)) > 0)
        list.Append(chunk, static_cast<int>(read));
    const bool failed = ferror(file) != 0;
    fclose(file);
    if (failed)
        return 0;

    list.MakeLower();
    CString item(text);
    item.MakeLower();
    // Entries end with ";"; the first empty one ends the list, and a last piece without ";"
    // is not an entry.
    for (int start = 0;;) {
        int end = list.Find(';', start);
        if (end < 0)
            return 0;
        CString entry = list.Mid(start, end - start);
        entry.Trim();
        if (entry.IsEmpty())
            return 0;
        if (item.Find(entry) >= 0)
            return 1;
        start = end + 1;
    }
}

BOOL TerminateAndCloseProcess(HANDLE process)
{
    if (!process)
        return FALSE;
    BOOL terminated = TerminateProcess(process, 0);
    CloseHandle(process);
    return terminated;
}

BOOL CALLBACK PostCloseToProcessWindows(HWND window, LPARAM processId)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(processId))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}
