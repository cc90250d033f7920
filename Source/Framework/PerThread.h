// PerThread<T>(): this thread's own T, made on first use and deleted when the thread ends.
//
// The framework keeps its per-thread state (the temporary wrapper maps, the creation hook) here
// instead of in thread_local objects. With the toolchain's emulated thread-local storage, a
// thread_local object that has a destructor can have its storage freed before that destructor
// runs when a thread ends, so the destructor reads freed memory and the heap is corrupted
// (seen with any worker that ran a message loop of the framework, e.g. a message box shown
// from a download thread). Fiber-local storage calls its cleanup for every thread, however it
// was started, while the value is still intact.
// T must be default-constructible. Internal to the framework.
#pragma once

#include <windows.h>

template <class T>
void WINAPI DestroyPerThreadValue(void* value)
{
    delete static_cast<T*>(value);
}

template <class T>
T& PerThread()
{
    // One slot per type for the whole process, allocated by the first thread that asks.
    static const DWORD slot = ::FlsAlloc(&DestroyPerThreadValue<T>);
    T* value = static_cast<T*>(::FlsGetValue(slot));
    if (!value) {
        value = new T;
        ::FlsSetValue(slot, value);
    }
    return *value;
}
