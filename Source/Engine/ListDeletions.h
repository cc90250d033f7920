// List deletions of the engine's toolkit that no task runs: files, libraries, folders and
// registry entries named by a list of texts, each expanded by the folder-token expansion first.
//
// Nothing here deletes a root: an empty text, a drive or share root, a relative path, a text
// whose token could not be expanded and a bare registry root are refused. Reparse points are
// never followed: a path is deleted only when it leads to itself, so a link, a path through a
// linked folder and a path the system resolves to another place are all refused. Folders are
// removed one level at a time (only when empty) and never entered.
#ifndef TARNEX_LIST_DELETIONS_H
#define TARNEX_LIST_DELETIONS_H

#include <windows.h>

#include "Framework/Collections.h"
#include "Framework/FinalPath.h"

class CSSEngineProcess;

// Deletes each file with the repair's hard deletion, ending the programs that run from it.
// Returns the number of files that are gone afterwards (one the system deletes only at the next
// restart does not count).
int DeleteFileList(CSSEngineProcess& process, const CStringArray& files);
// The same for libraries: each is first loaded (as an image whose code does not run), its
// "DllUnregisterServer" looked up without being called, and freed again.
int DeleteLibraryList(CSSEngineProcess& process, const CStringArray& libraries);
// Removes each (empty) folder. Returns the number removed.
int RemoveFolderList(CSSEngineProcess& process, const CStringArray& folders);
// Deletes each "ROOT\key\path" as a key tree or, where no such key exists, as the value "path"
// names under its parent key. Returns the number of keys and values deleted.
int DeleteRegistryList(CSSEngineProcess& process, const CStringArray& items);

// A full local or network path below a root, with no folder token left in it.
bool IsDeletablePath(const CString& path);
// Where a path of a list leads.
enum ListPathTarget {
    ListPathMissing,   // nothing there
    ListPathRefused,   // a link, reached through one, leads elsewhere, or cannot be judged
    ListPathFile,
    ListPathFolder,
};
// What the (expanded) path names, as far as a list deletion may touch it.
ListPathTarget ReachListPath(const CString& path);

#endif
