// File, library, folder and registry list deletions, and where their paths lead.
#include "Engine/ListDeletions.h"

#include <string.h>

#include "Engine/HardFileDeletion.h"
#include "Engine/RegistryManager.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"
#include "Framework/Handle.h"
#include "Framework/ProcAddress.h"

namespace {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether an existing folder between the root and the path's last component is a reparse point
// (a junction or a symbolic link).
bool PassesThroughReparsePoint(const CString& path)
{
    // The root is no link: the walk starts after "x:" or after "\\server\share".
    const int first = path.GetAt(0) == '\\' ? path.Find('\\', path.Find('\\', 2) + 1) : 2;
    for (int at = path.Find('\\', first + 1); at > 0; at = path.Find('\\', at + 1)) {
        const DWORD attributes = GetFileAttributesA(path.Left(at));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
    }
    return false;
}

typedef DWORD(WINAPI* FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);

FinalPathFunction FinalPathQuery()
{
    static const FinalPathFunction query =
        GetProcAddressAs<FinalPathFunction>(GetModuleHandleA("kernel32"), "GetFinalPathNameByHandleA");
    return query;
}

}  // namespace

// Systems without the final-path query mark every link they have; there the answer is yes.
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
    // The final path has long names; the list may name the same place by short ones.
    char longText[MAX_PATH * 4] = {};
    const DWORD longLength = GetLongPathNameA(path, longText, sizeof longText);
    return HandleLeadsTo(handle.Get(),
                         longLength > 0 && longLength < sizeof longText ? CString(longText) : path);
}

namespace {

// The list text expanded, with trailing "\" removed, and where it leads.
ListPathTarget ReachListText(CSSEngineProcess& process, const CString& text, CString& path)
{
    path = text;
    ExpandFolderTokens(process, path);
    path.TrimRight('\\');
    return ReachListPath(path);
}

// Loads the library as an image without running its code or loading what it imports, looks
// up its unregistration entry without calling it, and frees it.
void ProbeLibrary(const CString& path)
{
    HMODULE library = LoadLibraryExA(path, nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!library)
        return;
    GetProcAddress(library, "DllUnregisterServer");
    FreeLibrary(library);
}

int DeleteFiles(CSSEngineProcess& process, const CStringArray& files, bool libraries)
{
    int deleted = 0;
    for (INT_PTR i = 0; i < files.GetSize(); ++i) {
        CString path;
        if (ReachListText(process, files[i], path) != ListPathFile)
            continue;
        if (libraries)
            ProbeLibrary(path);
        DeleteFileHard(process, path, true);
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            ++deleted;
    }
    return deleted;
}

}  // namespace

bool IsDeletablePath(const CString& path)
{
    CString text(path);
    text.TrimRight('\\');
    if (text.IsEmpty() || text.Find('%') >= 0)
        return false;
    // "x:\something"
    if (IsLetter(text.GetAt(0)) && text.GetAt(1) == ':')
        return text.GetAt(2) == '\\' && text.GetLength() > 3;
    // "\\server\share\something": the share itself is a root.
    if (text.GetAt(0) == '\\' && text.GetAt(1) == '\\') {
        const int share = text.Find('\\', 2);
        const int below = share > 2 ? text.Find('\\', share + 1) : -1;
        return below > share + 1 && below + 1 < text.GetLength();
    }
    // Relative paths and paths on the current drive name different folders from different
    // places; they are not deleted.
    return false;
}

ListPathTarget ReachListPath(const CString& path)
{
    if (!IsDeletablePath(path))
        return ListPathRefused;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ListPathMissing : ListPathRefused;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || PassesThroughReparsePoint(path) || !LeadsToItself(path))
        return ListPathRefused;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ListPathFolder : ListPathFile;
}

int DeleteFileList(CSSEngineProcess& process, const CStringArray& files)
{
    return DeleteFiles(process, files, false);
}

int DeleteLibraryList(CSSEngineProcess& process, const CStringArray& libraries)
{
    return DeleteFiles(process, libraries, true);
}

int RemoveFolderList(CSSEngineProcess& process, const CStringArray& folders)
{
    int removed = 0;
    for (INT_PTR i = 0; i < folders.GetSize(); ++i) {
        CString folder;
        if (ReachListText(process, folders[i], folder) == ListPathFolder && RemoveDirectoryA(folder))
            ++removed;
    }
    return removed;
}

int DeleteRegistryList(CSSEngineProcess& process, const CStringArray& items)
{
    int deleted = 0;
    for (INT_PTR i = 0; i < items.GetSize(); ++i) {
        CString item = items[i];
        ExpandFolderTokens(process, item);
        item.TrimRight('\\');
        RegistryItemPath path;
        // Refuses unknown roots and a bare root.
        if (!ParseRegistryItem(item, path) || path.namesValue)
            continue;
        if (CRegistryManager::KeyExists(item))
            deleted += CRegistryManager::DeleteKeyTree(item);
        else if (path.keyPath.Find('\\') > 0)
            deleted += CRegistryManager::DeleteValue(item);
    }
    return deleted;
}
