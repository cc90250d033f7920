// The process terminator: finds the programs running from a file and ends them.
#include "Engine/ProcessTerminator.h"

#include <tlhelp32.h>
#include <winternl.h>

#include "Framework/Handle.h"
#include "Framework/ProcAddress.h"

namespace {

const LONG StatusInfoLengthMismatch = LONG(0xC0000004);
const ULONG FirstQueryBufferSize = 0x8000;
// The process list never comes near this; it bounds the doubling.
const ULONG LargestQueryBufferSize = 64 * 1024 * 1024;
const int SystemProcessInformationClass = 5;
// A terminated process releases its executable when it has really exited.
const DWORD ExitWaitMs = 1000;

typedef BOOL(WINAPI* QueryImageNameFunction)(HANDLE, DWORD, LPSTR, PDWORD);
typedef DWORD(WINAPI* ModuleFileNameFunction)(HANDLE, HMODULE, LPSTR, DWORD);

// The full path of the process's main module; false when it cannot be read.
bool MainModulePath(HANDLE process, CString& path)
{
    HMODULE kernel = GetModuleHandleA("kernel32");
    char buffer[MAX_PATH * 4];
    QueryImageNameFunction queryImageName =
        GetProcAddressAs<QueryImageNameFunction>(kernel, "QueryFullProcessImageNameA");
    if (queryImageName) {
        DWORD size = sizeof(buffer);
        if (queryImageName(process, 0, buffer, &size)) {
            path = CString(buffer, int(size));
            return true;
        }
    }
    ModuleFileNameFunction moduleFileName =
        GetProcAddressAs<ModuleFileNameFunction>(kernel, "K32GetModuleFileNameExA");
    if (moduleFileName) {
        const DWORD length = moduleFileName(process, nullptr, buffer, sizeof(buffer));
        if (length > 0 && length < sizeof(buffer)) {
            path = CString(buffer, int(length));
            return true;
        }
    }
    return false;
}

}  // namespace

CProcessTerminator::CProcessTerminator(bool useToolhelp)
    : m_kernel(LoadLibraryA("Kernel32")), m_native(nullptr), m_createSnapshot(nullptr),
      m_processFirst(nullptr), m_processNext(nullptr), m_querySystemInformation(nullptr),
      m_getProcessHeap(nullptr), m_heapAlloc(nullptr), m_heapFree(nullptr)
{
    if (!m_kernel)
        return;
    if (useToolhelp) {
        m_createSnapshot = GetProcAddressAs<SnapshotFunction>(m_kernel, "CreateToolhelp32Snapshot");
        m_processFirst = GetProcAddressAs<ProcessWalkFunction>(m_kernel, "Process32First");
        m_processNext = GetProcAddressAs<ProcessWalkFunction>(m_kernel, "Process32Next");
    }
    if (m_createSnapshot && m_processFirst && m_processNext)
        return;
    m_native = LoadLibraryA("ntdll.dll");
    m_querySystemInformation =
        GetProcAddressAs<QuerySystemInformationFunction>(m_native, "ZwQuerySystemInformation");
    m_getProcessHeap = GetProcAddressAs<GetProcessHeapFunction>(m_kernel, "GetProcessHeap");
    m_heapAlloc = GetProcAddressAs<HeapAllocFunction>(m_kernel, "HeapAlloc");
    m_heapFree = GetProcAddressAs<HeapFreeFunction>(m_kernel, "HeapFree");
}

CProcessTerminator::~CProcessTerminator()
{
    if (m_native)
        FreeLibrary(m_native);
    if (m_kernel)
        FreeLibrary(m_kernel);
}

bool CProcessTerminator::TerminateByPath(const char* fullPath)
{
    if (!m_kernel || !fullPath || !*fullPath)
        return false;
    if (m_createSnapshot && m_processFirst && m_processNext)
        return TerminateWithToolhelp(fullPath);
    if (m_querySystemInformation && m_getProcessHeap && m_heapAlloc && m_heapFree)
        return TerminateNatively(fullPath);
    return false;
}

bool CProcessTerminator::HandleProcess(DWORD processId, const char* fullPath, bool& terminated)
{
    // The engine's own host is never ended, whatever file it runs from.
    if (processId == 0 || processId == GetCurrentProcessId())
        return false;
    CHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    if (!process.IsValid()) {
        const DWORD access = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_VM_WRITE | SYNCHRONIZE;
        process.Attach(OpenProcess(access, TRUE, processId));
    }
    if (!process.IsValid())
        return false;
    CString path;
    const bool known = MainModulePath(process.Get(), path);
    process.Close();
    if (!known || lstrcmpiA(path, fullPath) != 0)
        return false;
    terminated = false;
    CHandle target(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (target.IsValid()) {
        terminated = TerminateProcess(target.Get(), 0) != FALSE;
        if (terminated)
            WaitForSingleObject(target.Get(), ExitWaitMs);
    }
    return true;
}

bool CProcessTerminator::TerminateWithToolhelp(const char* fullPath)
{
    CHandle snapshot(m_createSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return false;
    bool result = false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof(entry);
    for (BOOL more = m_processFirst(snapshot.Get(), &entry); more;
         more = m_processNext(snapshot.Get(), &entry)) {
        bool terminated = false;
        if (HandleProcess(entry.th32ProcessID, fullPath, terminated))
            result = terminated;
    }
    return result;
}

bool CProcessTerminator::TerminateNatively(const char* fullPath)
{
    HANDLE heap = m_getProcessHeap();
    ULONG size = FirstQueryBufferSize;
    BYTE* buffer = nullptr;
    for (;;) {
        buffer = static_cast<BYTE*>(m_heapAlloc(heap, 0, size));
        if (!buffer) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        const LONG status = m_querySystemInformation(SystemProcessInformationClass, buffer, size, nullptr);
        if (status == 0)
            break;
        m_heapFree(heap, 0, buffer);
        if (status != StatusInfoLengthMismatch || size >= LargestQueryBufferSize) {
            SetLastError(DWORD(status));
            return false;
        }
        size *= 2;
    }
    bool result = false;
    for (ULONG offset = 0; offset + sizeof(SYSTEM_PROCESS_INFORMATION) <= size;) {
        const SYSTEM_PROCESS_INFORMATION* info =
            reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer + offset);
        bool terminated = false;
        if (HandleProcess(DWORD(ULONG_PTR(info->UniqueProcessId)), fullPath, terminated))
            result = terminated;
        if (info->NextEntryOffset == 0)
            break;
        offset += info->NextEntryOffset;
    }
    m_heapFree(heap, 0, buffer);
    return result;
}
