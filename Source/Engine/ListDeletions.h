// List deletions of the engine's toolkit that no task runs: folders and registry entries named
// by a list of texts, each expanded by the folder-token expansion first.
//
// Nothing here deletes a root: an empty text, a drive or share root, a text whose token could
// not be expanded and a bare registry root are refused. Folders are removed one level at a time
// (only when empty), so a linked folder is removed as the link and never entered.
#ifndef TARNEX_LIST_DELETIONS_H
#define TARNEX_LIST_DELETIONS_H

#include "Framework/Collections.h"

class CSSEngineProcess;

// Removes each (empty) folder. Returns the number removed.
int RemoveFolderList(CSSEngineProcess& process, const CStringArray& folders);
// Deletes each "ROOT\key\path" as a key tree or, where no such key exists, as the value "path"
// names under its parent key. Returns the number of keys and values deleted.
int DeleteRegistryList(CSSEngineProcess& process, const CStringArray& items);

// A full local or network path below a root, with no folder token left in it.
bool IsDeletableFolderPath(const CString& path);

#endif
