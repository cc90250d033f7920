// Snapshot lists of the running processes, of one process's modules and of one process's
// threads. Part of the engine library's toolkit; no task reads them.
#ifndef TARNEX_PROCESS_LISTS_H
#define TARNEX_PROCESS_LISTS_H

#include <windows.h>
#include <tlhelp32.h>

#include "Framework/Collections.h"

// One running process: its snapshot entry, an owned copy of its owner's security identifier
// (null when unknown) and its image path.
struct _PROCESS_INFORMATION_EX {
    _PROCESS_INFORMATION_EX();
    _PROCESS_INFORMATION_EX(const _PROCESS_INFORMATION_EX& other);
    _PROCESS_INFORMATION_EX& operator=(const _PROCESS_INFORMATION_EX& other);
    ~_PROCESS_INFORMATION_EX();
    // Replaces the owner with a copy of `sid` (null clears it).
    void SetOwner(PSID sid);

    PROCESSENTRY32 Entry;
    PSID Owner;
    char ImagePath[256];   // empty when the process could not be opened
};

class CProcessList : public CArray<_PROCESS_INFORMATION_EX> {
public:
    // Fills the list from a process snapshot; empty when no snapshot can be taken.
    CProcessList();

    // The index of the process, or -1.
    INT_PTR FindById(DWORD processId) const;
    // The index of the first process whose executable name or image path contains the text
    // (compared without regard to case), or -1.
    INT_PTR FindByText(const char* text) const;

private:
    static void ReadImagePath(DWORD processId, const char* exeName, HANDLE process, char* path);
    static void ReadOwner(HANDLE process, _PROCESS_INFORMATION_EX& record);
};

class CModuleList : public CArray<MODULEENTRY32> {
public:
    // Fills the list from a module snapshot of the process; empty when none can be taken.
    explicit CModuleList(DWORD processId);
};

// The first module of the process whose name begins with `name` (compared without regard to
// case over the length of `name`); `out` is unchanged when there is none.
bool FindProcessModule(DWORD processId, const char* name, MODULEENTRY32& out);

// One thread of a process: its snapshot entry and the register context read from it (zero
// when it was not read).
struct _THREAD_INFORMATION_EX {
    THREADENTRY32 Entry;
    CONTEXT Context;
};

class CThreadList : public CArray<_THREAD_INFORMATION_EX> {
public:
    // Appends the threads of the process. With `readContexts` each thread but the calling one
    // is suspended for as long as its full register context takes to read, then resumed.
    // 0 when no snapshot could be taken (the list is then unchanged), else 1.
    int Fill(DWORD processId, bool readContexts);
};

#endif
