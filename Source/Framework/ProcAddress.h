// Typed lookup of a function exported by a loaded module (null when it is missing).
#ifndef VELMORA_FRAMEWORK_PROC_ADDRESS_H
#define VELMORA_FRAMEWORK_PROC_ADDRESS_H

#include <windows.h>

template <class Function>
Function GetProcAddressAs(HMODULE module, const char* name)
{
    if (!module)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

#endif
