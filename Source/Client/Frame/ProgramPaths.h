// Where the program lives and the files it keeps beside itself, and the free-space test.
#ifndef VELMORA_FRAME_PROGRAM_PATHS_H
#define VELMORA_FRAME_PROGRAM_PATHS_H

#include <windows.h>

#include "Framework/CString.h"

// The full path of the running program's file (whatever the command line called it).
CString GetProgramPath();
// GetProgramPath up to and including its last "\"; the whole path when it has none.
CString GetProgramFolder();
// "SRVS_STATS.xml" in the program folder: the services booster's store.
CString GetServicesStatsPath();
// TRUE when the volume of path has at least megabytes MiB free; FALSE also when it cannot tell.
BOOL HasFreeDiskSpace(const CString& path, unsigned long long megabytes);

#endif
