// Closing the web browsers before the junk clean, so their caches and histories are not held
// open: which browsers run, the question to the user, and ending their processes.
#pragma once

#include <windows.h>

#include <vector>

#include "Framework/CString.h"

class CWnd;

// Every running process whose file name without ".exe" equals name (without regard to case),
// from a snapshot of the system's processes; ids is emptied first and stays empty when none
// runs or no snapshot can be had.
void GetProcessIdsByName(const char* name, std::vector<DWORD>* ids);

// The browsers the clean asks about, in the order of the question's list.
enum { BrowserCount = 4 };
struct BrowserProcesses {
    std::vector<DWORD> ids[BrowserCount];   // chrome, iexplore, firefox, microsoftedge
    int RunningCount() const;
};
// Looks up the processes of the four browsers.
BrowserProcesses FindRunningBrowsers();

// The question for the running browsers ("browser" for one, "browsers" for more), then one line
// per running browser; empty when none runs.
CString BrowserQuestionText(const BrowserProcesses& browsers);

// Ends each process: opened to terminate and to wait on, ended with exit code 0 and waited for
// (at most waitMs each, dispatching the calling thread's messages meanwhile). A process that
// cannot be opened or ended is passed over. Returns the number ended.
int TerminateBrowserProcesses(const BrowserProcesses& browsers, DWORD waitMs);

// Asks the user (Yes/No message box) to close the running browsers and closes them on Yes.
// Nothing happens when none runs.
void CloseBrowsersBeforeCleaning(CWnd* owner);
