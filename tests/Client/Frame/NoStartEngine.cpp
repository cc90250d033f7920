// A library named like the engine that lacks its Start export, for the start-up test of a
// broken engine.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
