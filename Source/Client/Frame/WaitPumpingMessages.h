// A wait that keeps the calling thread's windows alive.
#ifndef VELMORA_FRAME_WAIT_PUMPING_MESSAGES_H
#define VELMORA_FRAME_WAIT_PUMPING_MESSAGES_H

#include <windows.h>

// Waits about milliseconds while dispatching the calling thread's messages; returns the tick
// count at the end. Handlers of the dispatched messages (a modal loop too) run inside the wait.
DWORD WaitPumpingMessages(DWORD milliseconds);

#endif
