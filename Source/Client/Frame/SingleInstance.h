// One running instance of the program: the mutex "Velmora vers" and the main window handle that
// every instance of the same program file shares.
#ifndef VELMORA_FRAME_SINGLE_INSTANCE_H
#define VELMORA_FRAME_SINGLE_INSTANCE_H

#include <windows.h>

#define SingleInstanceMutexName "Velmora vers"

// Stores the main window's handle where later instances find it.
void PublishMainWindow(HWND window);
// The handle the first instance published (0 until it did).
HWND GetPublishedMainWindow();

// TRUE for the first instance (the mutex is held for the rest of the process). For a later one:
// the first instance's published main window comes to the front, restored when it is iconic
// (which it also is while hidden in the tray), and FALSE is returned.
BOOL ClaimSingleInstance();

#endif
