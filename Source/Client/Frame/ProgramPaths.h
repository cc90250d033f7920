// The files the program keeps beside itself, and the free-space test. Where the program lives
// (GetProgramPath, GetProgramFolder) is the framework's (Framework/ModulePath.h).
#ifndef VELMORA_FRAME_PROGRAM_PATHS_H
#define VELMORA_FRAME_PROGRAM_PATHS_H

#include <windows.h>

#include "Framework/CString.h"
#include "Framework/ModulePath.h"

// "SRVS_STATS.xml" in the program folder: the services booster's store.
CString GetServicesStatsPath();
// TRUE when the volume of path has at least megabytes MiB free; FALSE also when it cannot tell.
BOOL HasFreeDiskSpace(const CString& path, unsigned long long megabytes);

#endif
