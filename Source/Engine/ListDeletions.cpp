// Folder and registry list deletions.
#include "Engine/ListDeletions.h"

#include "Engine/RegistryManager.h"
#include "Engine/RegistryPathToolkit.h"
#include "Engine/SSEngineProcess.h"

namespace {

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

bool IsDeletableFolderPath(const CString& path)
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

int RemoveFolderList(CSSEngineProcess& process, const CStringArray& folders)
{
    int removed = 0;
    for (INT_PTR i = 0; i < folders.GetSize(); ++i) {
        CString folder = folders[i];
        ExpandFolderTokens(process, folder);
        if (IsDeletableFolderPath(folder) && RemoveDirectoryA(folder))
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
