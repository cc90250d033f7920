// Two checks of the engine's toolkit that no task runs: services whose "ImagePath" names a
// driver (".sys") or a program (".exe") that is missing. Each walks the subkeys of
// HKEY_LOCAL_MACHINE "SYSTEM\CurrentControlSet\Services" while the busy flag stays set and
// reports the service key (category 0x400000) through OnItemFound.
//
// As in the registry scan, a file counts as missing only when that is established: paths the
// system resolves itself ("\SystemRoot\...", "\??\c:\...", paths relative to the Windows
// folder) are resolved the same way before the test, and the test looks at the native System
// folder even under WOW64.
#ifndef TARNEX_SERVICE_IMAGE_CHECKS_H
#define TARNEX_SERVICE_IMAGE_CHECKS_H

#include "Framework/CString.h"

class CSSEngineProcess;

// Each returns the number of service keys reported.
int CheckDriverPaths(CSSEngineProcess& process);
int CheckProgramPaths(CSSEngineProcess& process);

// The path a service's image text names, resolved as the system resolves it: "\??\" removed,
// "\SystemRoot\" as the Windows folder, a path starting with one "\" on the Windows drive.
// Other relative paths are left for LocateFile, which tries the Windows and System folders.
void ResolveServiceImagePath(CSSEngineProcess& process, CString& path);

#endif
