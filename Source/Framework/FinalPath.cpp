// The final-path tests and the deletion of a file by its own path.
#include "Framework/FinalPath.h"

#include <string.h>
#include <winternl.h>

#include <vector>

#include "Framework/Handle.h"
#include "Framework/ProcAddress.h"
#include "Framework/TextCodePage.h"

namespace {

typedef DWORD(WINAPI* FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);

// Looked up at run time: kernel32 of the oldest supported systems does not export it.
FinalPathFunction FinalPathQuery()
{
    static const FinalPathFunction query =
        GetProcAddressAs<FinalPathFunction>(GetModuleHandleA("kernel32"), "GetFinalPathNameByHandleA");
    return query;
}

typedef NTSTATUS(NTAPI* ObjectQueryFunction)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);

ObjectQueryFunction ObjectQuery()
{
    static const ObjectQueryFunction query =
        GetProcAddressAs<ObjectQueryFunction>(GetModuleHandleA("ntdll"), "NtQueryObject");
    return query;
}

const NTSTATUS StatusBufferOverflow = static_cast<NTSTATUS>(0x80000005);
const NTSTATUS StatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

// Ordinal comparison without case, as the file system compares names.
bool SameNameText(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength)
{
    return aLength == bLength &&
           (aLength == 0 || CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) ==
                                CSTR_EQUAL);
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

bool HandleLeadsTo(HANDLE handle, const CString& longPath)
{
    const FinalPathFunction finalPath = FinalPathQuery();
    if (!finalPath)
        return true;
    char reachedText[MAX_PATH * 4] = {};
    const DWORD length = finalPath(handle, reachedText, sizeof reachedText, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= sizeof reachedText)
        return false;
    const char* reached = reachedText;
    CString unc;
    if (_strnicmp(reached, "\\\\?\\UNC\\", 8) == 0) {
        unc = "\\";
        unc += reached + 7;
        reached = unc.GetString();
    } else if (strncmp(reached, "\\\\?\\", 4) == 0) {
        reached += 4;
    }
    return lstrcmpiA(reached, longPath) == 0;
}

bool LeadsToItself(const CString& path)
{
    if (!FinalPathQuery())
        return true;
    CHandle handle(CreateFileA(path, FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                               nullptr));
    if (!handle.IsValid())
        return false;
    // The final path has long names; the caller may name the same place by short ones.
    char longText[MAX_PATH * 4] = {};
    const DWORD longLength = GetLongPathNameA(path, longText, sizeof longText);
    return HandleLeadsTo(handle.Get(),
                         longLength > 0 && longLength < sizeof longText ? CString(longText) : path);
}

bool QueryObjectName(HANDLE handle, std::wstring& name)
{
    const ObjectQueryFunction query = ObjectQuery();
    if (!query)
        return false;
    // Enough for any path the ANSI calls can name and its device; a longer name is read once
    // more with the size the system asked for.
    std::vector<ULONG_PTR> buffer((sizeof(OBJECT_NAME_INFORMATION) + 4 * MAX_PATH * sizeof(wchar_t)) /
                                  sizeof(ULONG_PTR));
    ULONG needed = 0;
    NTSTATUS status = query(handle, ObjectNameInformation, buffer.data(),
                            static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), &needed);
    if ((status == StatusBufferOverflow || status == StatusInfoLengthMismatch) &&
        needed > buffer.size() * sizeof(ULONG_PTR)) {
        buffer.resize(needed / sizeof(ULONG_PTR) + 1);
        status = query(handle, ObjectNameInformation, buffer.data(),
                       static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)), &needed);
    }
    if (status < 0)
        return false;
    const UNICODE_STRING& text = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer.data())->Name;
    if (!text.Buffer || text.Length == 0)
        return false;
    name.assign(text.Buffer, text.Length / sizeof(wchar_t));
    return true;
}

bool CFolderFinalPath::Take(const CString& longFolder)
{
    m_name.clear();
    CHandle folder(CreateFileA(longFolder, FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring name;
    if (!folder.IsValid() || !HandleLeadsTo(folder.Get(), longFolder) || !QueryObjectName(folder.Get(), name))
        return false;
    while (!name.empty() && name.back() == L'\\')
        name.pop_back();
    if (name.empty())
        return false;
    m_name = name;
    return true;
}

bool CFolderFinalPath::Reaches(HANDLE handle, const char* relative) const
{
    std::wstring wide, reached;
    if (m_name.empty() || !relative || !*relative ||
        !TextToWide(relative, -1, AreFileApisANSI() ? CP_ACP : CP_OEMCP, TextStrictness::Exact, wide) ||
        !QueryObjectName(handle, reached))
        return false;
    const size_t folder = m_name.size();
    return reached.size() == folder + 1 + wide.size() && reached[folder] == L'\\' &&
           SameNameText(reached.data(), folder, m_name.data(), folder) &&
           SameNameText(reached.data() + folder + 1, wide.size(), wide.data(), wide.size());
}

bool PassesThroughReparsePoint(const CString& path)
{
    const bool drivePath = path.GetLength() > 2 && IsLetter(path.GetAt(0)) && path.GetAt(1) == ':';
    const bool networkPath = path.GetLength() > 2 && path.GetAt(0) == '\\' && path.GetAt(1) == '\\';
    if (!drivePath && !networkPath)
        return false;
    // The root is no link: the walk starts after "x:" or after "\\server\share".
    const int first = networkPath ? path.Find('\\', path.Find('\\', 2) + 1) : 2;
    for (int at = path.Find('\\', first + 1); at > 0; at = path.Find('\\', at + 1)) {
        const DWORD attributes = GetFileAttributesA(path.Left(at));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
    }
    return false;
}

bool IsOwnPath(const CString& path)
{
    if (path.IsEmpty())
        return false;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    return !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !PassesThroughReparsePoint(path) && LeadsToItself(path);
}

BOOL DeleteOwnFile(const char* path)
{
    const CString text(path ? path : "");
    if (text.IsEmpty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (GetFileAttributesA(text) == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    if (!IsOwnPath(text)) {
        SetLastError(ErrorPathIsNotItsOwn);
        return FALSE;
    }
    return DeleteFileA(text);
}
