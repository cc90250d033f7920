// Where a path leads (GetFinalPathNameByHandle), and the file deletion that never goes through a
// link: a path is deleted only when it is the file's own path.
//
// A link the system does not mark as a reparse point ends elsewhere too: Wine shows a host
// symbolic link to a file as a plain file, and DeleteFileA on it deletes the file it points to.
#ifndef VELMORA_FRAMEWORK_FINAL_PATH_H
#define VELMORA_FRAMEWORK_FINAL_PATH_H

#include <windows.h>

#include "Framework/CString.h"

// The error a refused deletion leaves: the path is a link, is reached through one, or leads to
// another place.
const DWORD ErrorPathIsNotItsOwn = ERROR_CANT_ACCESS_FILE;

// Whether the system, opening the path, ends up at the path itself. Also false when the path
// cannot be opened or its final path not read. Systems without the final-path query mark every
// link they have; there the answer is yes.
bool LeadsToItself(const CString& path);
// The same test for a file or folder already open (with any access), named by its long path:
// checking and deleting through one handle leaves no moment in which the path could change.
bool HandleLeadsTo(HANDLE handle, const CString& longPath);
// Whether an existing folder between the root and the last component of a full path ("x:\..."
// or "\\server\share\...") is a reparse point (a junction or a symbolic link).
bool PassesThroughReparsePoint(const CString& path);

// Whether an existing full path is its own: no reparse point itself, no linked folder on the
// way, and the system ends up at the path itself.
bool IsOwnPath(const CString& path);
// DeleteFileA of a file whose path is its own. Otherwise nothing is touched and the result is
// FALSE, with ErrorPathIsNotItsOwn as the last error (or the error of a path that is not there).
BOOL DeleteOwnFile(const char* path);

#endif
