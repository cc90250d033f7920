// Small tests shared by the startup, uninstall, file and shortcut checks of the registry scan.
// Like the path toolkit they answer "missing" only when the system said so for a path it could
// look for; everything else counts as present, because whatever the scan reports is deleted.
#ifndef TARNEX_REGISTRY_ENTRY_JUDGING_H
#define TARNEX_REGISTRY_ENTRY_JUDGING_H

#include <windows.h>

#include "Framework/CString.h"

class CSSEngineProcess;

// "x:\" followed by at least one character: a path that names its drive and folder.
bool IsAbsoluteLocalPath(const CString& path);
// No folder, no drive: a file name only.
bool IsBareFileName(const CString& path);

enum FileSearchOutcome { FileFound, FileNotThere, FileNotJudged };
// Find-first search for one path. FileNotThere only for "file not found" and "path not found";
// a name the system rejects counts as not there only when `rejectedNameIsMissing` is set.
FileSearchOutcome SearchFile(const char* path, bool rejectedNameIsMissing);

// Found-item text of a value as the repair reads it back: key path, the separator byte and the
// value name exactly as stored (empty for the unnamed value, which the repair then deletes).
CString StoredValueItemText(const CString& keyPath, const CString& valueName);

// Whether the shell would find a program given by bare name: on the search path of this
// process, or registered under App Paths (per user or for the machine).
bool IsFoundOnProgramSearchPath(const CString& bareName);

// Whether the file a registry text names is established missing: neither the file search
// (LocateFile, which completes bare names with the Windows and System folders and expands
// tokens and variables) nor the 32/64-bit swapped test of the text as the search left it finds
// it. The swapped test gets the expanded text, so a token path of a 32-bit program is found
// under the 32-bit folder name.
bool FileIsEstablishedMissing(CSSEngineProcess& process, const CString& text);

// Makes a value text ready for an existence test: folder tokens and then environment variables
// are expanded. False when a "%" remains (the text cannot be resolved, so it is not judged).
bool ExpandForExistenceTest(CSSEngineProcess& process, CString& text);

// Adds a path the scan judged present to the folder map (collect mode of the scan start).
void CollectFolder(CSSEngineProcess& process, const CString& path);

#endif
