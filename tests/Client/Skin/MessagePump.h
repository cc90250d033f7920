// A plain message pump for the skin control tests: dispatches this thread's messages with no
// pre-translation (Framework/WindowTestSupport.h has the one that pre-translates).
#pragma once

#include <windows.h>

// Dispatches this thread's messages for ms milliseconds, at least one round.
inline void PumpMessages(DWORD ms)
{
    DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (int(end - GetTickCount()) > 0);
}
