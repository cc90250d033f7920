// Where a path leads (GetFinalPathNameByHandle), and the file deletion that never goes through a
// link: a path is deleted only when it is the file's own path.
//
// A link the system does not mark as a reparse point ends elsewhere too: Wine shows a host
// symbolic link to a file as a plain file, and DeleteFileA on it deletes the file it points to.
#ifndef VELMORA_FRAMEWORK_FINAL_PATH_H
#define VELMORA_FRAMEWORK_FINAL_PATH_H

#include <windows.h>

#include <string>

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
// The name the system keeps for an open file or folder (its object name): the device or drive
// and the whole path the open ended at, "\Device\HarddiskVolume2\Users\...\a.tmp" on Windows,
// "\??\C:\users\...\a.tmp" under Wine. One query, without the volume lookups of the final
// path. False, and `name` unchanged, when it cannot be read.
bool QueryObjectName(HANDLE handle, std::wstring& name);

// The final-path test for the entries below one folder, at one name query each. The folder's
// whole final path is checked once and its object name kept; an entry opened by the folder's
// path, "\" and a relative path ends at its own path when its object name is the folder's
// followed by "\" and that relative path. The device or drive is part of the comparison, so a
// link to the same path on another volume is refused too.
class CFolderFinalPath {
public:
    // Checks the folder named by its long path (`LeadsToItself`, through one handle) and keeps
    // its object name. False, and nothing kept, when the folder is not its own or its name
    // cannot be read.
    bool Take(const CString& longFolder);
    void Clear() { m_name.clear(); }
    // Whether `handle`, opened by the kept folder's path, "\" and `relative` (long names, in the
    // code page of the ANSI file calls), ended exactly there. False when nothing is kept.
    bool Reaches(HANDLE handle, const char* relative) const;

private:
    std::wstring m_name;  // the folder's object name, without a trailing "\"
};

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
