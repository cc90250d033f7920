// Helpers of the window-layer tests: a message pump that pre-translates like the framework's
// own loops.
#pragma once

#include <windows.h>

#include "Framework/CWinApp.h"

// Pumps this thread's messages (with the framework's pre-translation) until the queue is empty
// and at least ms milliseconds have passed.
inline void PumpMessages(DWORD ms = 0)
{
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (!AfxPreTranslateMessage(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        if (GetTickCount() - start >= ms)
            break;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    }
}
