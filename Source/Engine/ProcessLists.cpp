// The process, module and thread snapshot lists.
// The image-name query from psapi.dll itself, so the library also loads where kernel32 lacks it.
#define PSAPI_VERSION 1
#include "Engine/ProcessLists.h"

#include <psapi.h>
#include <string.h>

#include <vector>

#include "Framework/Handle.h"

namespace {

void CopyText(char* target, size_t size, const char* text)
{
    lstrcpynA(target, text, static_cast<int>(size));
}

bool ContainsNoCase(const char* text, const char* part)
{
    CString haystack(text);
    CString needle(part);
    haystack.MakeLower();
    needle.MakeLower();
    return haystack.Find(needle) >= 0;
}

}  // namespace

// --- process records ------------------------------------------------------------------------

_PROCESS_INFORMATION_EX::_PROCESS_INFORMATION_EX() : Owner(nullptr)
{
    memset(&Entry, 0, sizeof Entry);
    Entry.dwSize = sizeof Entry;
    ImagePath[0] = '\0';
}

_PROCESS_INFORMATION_EX::_PROCESS_INFORMATION_EX(const _PROCESS_INFORMATION_EX& other)
    : Entry(other.Entry), Owner(nullptr)
{
    memcpy(ImagePath, other.ImagePath, sizeof ImagePath);
    SetOwner(other.Owner);
}

_PROCESS_INFORMATION_EX& _PROCESS_INFORMATION_EX::operator=(const _PROCESS_INFORMATION_EX& other)
{
    if (this != &other) {
        Entry = other.Entry;
        memcpy(ImagePath, other.ImagePath, sizeof ImagePath);
        SetOwner(other.Owner);
    }
    return *this;
}

_PROCESS_INFORMATION_EX::~_PROCESS_INFORMATION_EX()
{
    SetOwner(nullptr);
}

void _PROCESS_INFORMATION_EX::SetOwner(PSID sid)
{
    PSID copy = nullptr;
    if (sid && IsValidSid(sid)) {
        DWORD length = GetLengthSid(sid);
        copy = HeapAlloc(GetProcessHeap(), 0, length);
        if (copy && !CopySid(length, copy, sid)) {
            HeapFree(GetProcessHeap(), 0, copy);
            copy = nullptr;
        }
    }
    if (Owner)
        HeapFree(GetProcessHeap(), 0, Owner);
    Owner = copy;
}

// --- process list ---------------------------------------------------------------------------

CProcessList::CProcessList()
{
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.IsValid())
        return;
    _PROCESS_INFORMATION_EX record;
    for (BOOL more = Process32First(snapshot.Get(), &record.Entry); more;
         more = Process32Next(snapshot.Get(), &record.Entry)) {
        record.ImagePath[0] = '\0';
        record.SetOwner(nullptr);
        CHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, record.Entry.th32ProcessID));
        if (process.IsValid()) {
            ReadImagePath(record.Entry.th32ProcessID, record.Entry.szExeFile, process.Get(), record.ImagePath);
            ReadOwner(process.Get(), record);
        }
        Add(record);
    }
}

void CProcessList::ReadImagePath(DWORD processId, const char* exeName, HANDLE process, char* path)
{
    MODULEENTRY32 module;
    if (FindProcessModule(processId, exeName, module)) {
        CopyText(path, sizeof(_PROCESS_INFORMATION_EX::ImagePath), module.szExePath);
        return;
    }
    // A process whose modules cannot be listed (another architecture's, for one) still has
    // its image file name, in the system's device form.
    char image[MAX_PATH] = {};
    if (GetProcessImageFileNameA(process, image, MAX_PATH))
        CopyText(path, sizeof(_PROCESS_INFORMATION_EX::ImagePath), image);
}

void CProcessList::ReadOwner(HANDLE process, _PROCESS_INFORMATION_EX& record)
{
    HANDLE tokenHandle = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &tokenHandle))
        return;
    CHandle token(tokenHandle);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size == 0)
        return;
    std::vector<BYTE> buffer(size);
    if (GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
        record.SetOwner(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

INT_PTR CProcessList::FindById(DWORD processId) const
{
    for (INT_PTR i = 0; i < GetSize(); ++i)
        if (GetAt(i).Entry.th32ProcessID == processId)
            return i;
    return -1;
}

INT_PTR CProcessList::FindByText(const char* text) const
{
    if (!text || !*text)
        return -1;
    for (INT_PTR i = 0; i < GetSize(); ++i)
        if (ContainsNoCase(GetAt(i).Entry.szExeFile, text) || ContainsNoCase(GetAt(i).ImagePath, text))
            return i;
    return -1;
}

// --- modules --------------------------------------------------------------------------------

CModuleList::CModuleList(DWORD processId)
{
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot.IsValid())
        return;
    MODULEENTRY32 module;
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot.Get(), &module); more; more = Module32Next(snapshot.Get(), &module))
        Add(module);
}

bool FindProcessModule(DWORD processId, const char* name, MODULEENTRY32& out)
{
    const size_t length = name ? strlen(name) : 0;
    if (length == 0)
        return false;
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot.IsValid())
        return false;
    MODULEENTRY32 module;
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot.Get(), &module); more; more = Module32Next(snapshot.Get(), &module)) {
        if (_strnicmp(module.szModule, name, length) == 0) {
            out = module;
            return true;
        }
    }
    return false;
}

// --- threads --------------------------------------------------------------------------------

int CThreadList::Fill(DWORD processId, bool readContexts)
{
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.IsValid())
        return 0;
    const DWORD self = GetCurrentThreadId();
    _THREAD_INFORMATION_EX record;
    memset(&record, 0, sizeof record);
    record.Entry.dwSize = sizeof record.Entry;
    for (BOOL more = Thread32First(snapshot.Get(), &record.Entry); more;
         more = Thread32Next(snapshot.Get(), &record.Entry)) {
        if (record.Entry.th32OwnerProcessID != processId)
            continue;
        memset(&record.Context, 0, sizeof record.Context);
        if (readContexts && record.Entry.th32ThreadID != self) {
            CHandle thread(OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE,
                                            record.Entry.th32ThreadID));
            if (thread.IsValid() && SuspendThread(thread.Get()) != static_cast<DWORD>(-1)) {
                record.Context.ContextFlags = CONTEXT_FULL;
                if (!GetThreadContext(thread.Get(), &record.Context))
                    memset(&record.Context, 0, sizeof record.Context);
                ResumeThread(thread.Get());
            }
        }
        Add(record);
    }
    return 1;
}
