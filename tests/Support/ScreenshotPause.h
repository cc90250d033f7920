// The program side of scripts/screenshots: a test (or a small screens program) calls
// PauseForScreenshot at the moment its window looks as it should, and the script takes the
// screen as build/screenshots/<name>.png. Outside the script it returns at once, so the call
// costs nothing in a normal test run.
//
// The script names a folder in VELMORA_SHOTS. The pause lets the window settle, leaves the
// empty file <name>.ready there and keeps dispatching this thread's messages (the window keeps
// painting, timers and animations keep running) until the script has removed the file after its
// capture, or 30 s have passed.
#ifndef VELMORA_TESTS_SCREENSHOT_PAUSE_H
#define VELMORA_TESTS_SCREENSHOT_PAUSE_H

#include <windows.h>

#include <string>

namespace screenshot_pause {

inline void DispatchFor(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (int(end - GetTickCount()) > 0);
}

}  // namespace screenshot_pause

// name: the shot's file name without ".png", saying what it shows ("registry-results").
inline void PauseForScreenshot(const char* name)
{
    char folder[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("VELMORA_SHOTS", folder, sizeof folder);
    if (n == 0 || n >= sizeof folder)
        return;
    screenshot_pause::DispatchFor(300);
    const std::string request = std::string(folder) + "\\" + name + ".ready";
    HANDLE file = CreateFileA(request.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(file);
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(request.c_str()) != INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 30000)
        screenshot_pause::DispatchFor(50);
}

#endif
