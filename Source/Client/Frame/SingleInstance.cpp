// The single-instance rendezvous. The main window handle lives in a data section that the
// loader maps once for every process of this program file ("shared" section attribute); the
// variable must be initialised, or it would land in .bss, which is never shared.
#include "Frame/SingleInstance.h"

HWND volatile SingleInstanceSection __attribute__((section(".shr"), shared)) = 0;

void PublishMainWindow(HWND window)
{
    SingleInstanceSection = window;
}

HWND GetPublishedMainWindow()
{
    return SingleInstanceSection;
}

BOOL ClaimSingleInstance()
{
    SetLastError(0);
    // Never closed: the mutex marks this process as the running instance until it ends.
    HANDLE mutex = CreateMutexA(NULL, FALSE, SingleInstanceMutexName);
    if (GetLastError() == 0)
        return TRUE;

    // A first instance that has not published its window yet is left alone.
    HWND first = GetPublishedMainWindow();
    if (first) {
        SetForegroundWindow(first);
        if (IsIconic(first))
            ShowWindow(first, SW_RESTORE);
    }
    if (mutex)
        ReleaseMutex(mutex);
    return FALSE;
}
