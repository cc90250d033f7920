// Small operations of the engine's toolkit that no task runs: the module walk, a file digest
// with progress, the skip-list test and the process closers. Those that loop do so only while
// the process object's busy flag stays set.
#ifndef TARNEX_PROCESS_TOOLKIT_H
#define TARNEX_PROCESS_TOOLKIT_H

#include <windows.h>

#include "Framework/CString.h"

class CSSEngineProcess;

// Visits every module of every running process and runs a file search on its path; nothing
// is kept. Returns the number of modules visited.
int WalkProcessModules(CSSEngineProcess& process);

// OnProgress(1), then the MD5 digest text of the file (empty when it cannot be read).
CString DigestFileWithProgress(CSSEngineProcess& process, const CString& path);

// The skip list "LW.wth" in the host program's folder (created when missing): 1 when the
// lower-cased text contains one of its ";"-ended entries, else 0.
int IsOnSkipList(const char* text);
// The same test with the list in the given folder.
int IsOnSkipListIn(const CString& folder, const char* text);

// Terminates the process and closes the handle; the result of the termination.
BOOL TerminateAndCloseProcess(HANDLE process);
// EnumWindows callback: posts WM_CLOSE to every top-level window of the process whose id is
// `processId`.
BOOL CALLBACK PostCloseToProcessWindows(HWND window, LPARAM processId);

#endif
