// The running program's path and folder (GetModuleFileName), read from the loaded module rather
// than the command line, so a start by bare file name or through a link still finds the files
// kept beside the program. Used by the program and by the engine (whose host is the program).
#ifndef VELMORA_FRAMEWORK_MODULE_PATH_H
#define VELMORA_FRAMEWORK_MODULE_PATH_H

#include <windows.h>

#include "Framework/CString.h"

// GetModuleFileNameA of `module` (NULL: the program's own file), in full however long it is;
// empty when the call fails (GetLastError says why).
CString GetModuleFilePath(HMODULE module = NULL);
// The full path of the running program's file (whatever the command line called it).
inline CString GetProgramPath() { return GetModuleFilePath(NULL); }

// The folder of the program's own file WITH its trailing "\" ("C:\Program Files\Velmora\"), so
// a file name is appended as it stands: GetProgramFolder() + "LI.irg". Empty when the path
// cannot be read (or holds no "\"): a caller then knows no folder rather than the current one.
CString GetProgramFolder();

#endif
