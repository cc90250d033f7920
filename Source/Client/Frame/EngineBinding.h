// The binding to the engine library: loaded once by file name, its interface kept for the life
// of the process and never released.
#ifndef VELMORA_FRAME_ENGINE_BINDING_H
#define VELMORA_FRAME_ENGINE_BINDING_H

#include <windows.h>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CString.h"

// "Module 'Tarnex.dll' failed to load.\nError code: '<code>'".
CString FormatEngineLoadError(DWORD errorCode);

// Loads Tarnex.dll and takes its interface from the export Start: 1 when both worked.
// Otherwise shows the load-error message (the system's error code, or 0 when the library
// loaded but Start was missing or gave nothing) and returns 0. Nothing loaded is freed.
int LoadEngineLibrary();
// The engine interface (null until LoadEngineLibrary succeeded).
CAbstractSSEngineInterface* GetEngineInterface();

// The installation id: 15 hex characters made from the MD5 of the file at path (the program
// file); empty without a process object or when the file cannot be hashed.
CString BuildInstallId(CAbstractProcess* process, const CString& path);

#endif
