// File, library, folder and registry list deletions, and where their paths lead.
#include "Engine/ListDeletions.h"

#include <string.h>

#include "Engine/HardFileDeletion.h"
#include "Engine/RegistryManager.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"
#include "Framework/FinalPath.h"

namespace {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

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
    if (!IsOwnPath(path))
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
