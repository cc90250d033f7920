// CProcessTerminator: ends every running program whose executable is a given file, so that the
// file can be deleted. Processes are found with the Toolhelp snapshot functions, or through the
// native system-information query where those are missing; all entry points are looked up by
// name at run time.
#ifndef TARNEX_PROCESS_TERMINATOR_H
#define TARNEX_PROCESS_TERMINATOR_H

#include <windows.h>

#include "Framework/CString.h"

class CProcessTerminator {
public:
    // useToolhelp false leaves the Toolhelp entry points unresolved, so the native way is used
    // (it is otherwise reached only on systems without Toolhelp).
    explicit CProcessTerminator(bool useToolhelp = true);
    virtual ~CProcessTerminator();
    CProcessTerminator(const CProcessTerminator&) = delete;
    CProcessTerminator& operator=(const CProcessTerminator&) = delete;

    // Terminates (exit code 0) every process whose main module is this file (full path,
    // compared without regard to case). True when the last matching process was terminated;
    // false when none matched or it could not be terminated.
    bool TerminateByPath(const char* fullPath);

private:
    typedef HANDLE(WINAPI* SnapshotFunction)(DWORD, DWORD);
    typedef BOOL(WINAPI* ProcessWalkFunction)(HANDLE, void*);
    typedef LONG(WINAPI* QuerySystemInformationFunction)(int, void*, ULONG, ULONG*);
    typedef HANDLE(WINAPI* GetProcessHeapFunction)();
    typedef LPVOID(WINAPI* HeapAllocFunction)(HANDLE, DWORD, SIZE_T);
    typedef BOOL(WINAPI* HeapFreeFunction)(HANDLE, DWORD, LPVOID);

    bool TerminateWithToolhelp(const char* fullPath);
    bool TerminateNatively(const char* fullPath);
    // Examines one process; true with terminated set when its main module is the file.
    static bool HandleProcess(DWORD processId, const char* fullPath, bool& terminated);

    HMODULE m_kernel;
    HMODULE m_native;
    SnapshotFunction m_createSnapshot;
    ProcessWalkFunction m_processFirst;
    ProcessWalkFunction m_processNext;
    QuerySystemInformationFunction m_querySystemInformation;
    GetProcessHeapFunction m_getProcessHeap;
    HeapAllocFunction m_heapAlloc;
    HeapFreeFunction m_heapFree;
};

#endif
