// A library for the list deletion tests. Any of its code that runs leaves a mark in the
// environment of the process that loaded it.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        SetEnvironmentVariableA("VELMORA_LIST_LIBRARY_RAN", "attach");
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer()
{
    SetEnvironmentVariableA("VELMORA_LIST_LIBRARY_RAN", "unregister");
    return S_OK;
}
