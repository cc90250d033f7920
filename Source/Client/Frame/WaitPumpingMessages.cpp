// The message-pumping wait.
#include "Frame/WaitPumpingMessages.h"

#include "Framework/CWinApp.h"

namespace {

// Takes one message off the calling thread's queue and handles it as the application's loop
// does (the pre-translate walk first, so dialogs keep their keyboard handling). A WM_QUIT taken
// here is not put back.
void PumpOneMessage()
{
    MSG msg;
    if (GetMessageA(&msg, NULL, 0, 0) > 0 && !AfxPreTranslateMessage(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

DWORD WaitPumpingMessages(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    const DWORD end = start + milliseconds;
    DWORD remaining = milliseconds;
    DWORD now;
    do {
        // Input already waiting counts too: a timer or paint the caller's own loop saw before the
        // wait began is not news to a plain message wait, which would then sleep through it.
        if (MsgWaitForMultipleObjectsEx(0, NULL, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE) != WAIT_TIMEOUT) {
            MSG msg;
            while (PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE))
                PumpOneMessage();
        }
        now = GetTickCount();
        // Unsigned: once the end has passed, remaining wraps above milliseconds and the loop ends.
        remaining = end - now;
    } while (now != end && remaining <= milliseconds);
    return now;
}
