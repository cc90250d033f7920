// Start-up of Velmora.exe: binds the engine by file name and shows the main window.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <stdio.h>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/ProcAddress.h"

namespace {

const char MainWindowClass[] = "VelmoraMainWindow";

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FillRect(dc, &rc, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        const char* text = reinterpret_cast<const char*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (text)
            DrawTextA(dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    CoInitialize(nullptr);

    HMODULE engineModule = LoadLibraryA(ENGINE_MODULE_NAME);
    EngineStartFunction start = GetProcAddressAs<EngineStartFunction>(engineModule, "Start");
    if (!start) {
        char message[128];
        snprintf(message, sizeof message, "Module '%s' failed to load.\nError code: '%d'",
                 ENGINE_MODULE_NAME, static_cast<int>(GetLastError()));
        MessageBoxA(nullptr, message, "Velmora", MB_OK | MB_ICONERROR);
        return 1;
    }
    CAbstractSSEngineInterface* engine = start();
    CAbstractProcess* process = engine ? engine->NewProcess() : nullptr;
    static const char ready[] = "Velmora: scan engine ready";
    static const char failed[] = "Velmora: the scan engine could not be started";

    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = MainWindowClass;
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(0, MainWindowClass, "Velmora", WS_OVERLAPPEDWINDOW, 100, 100, 640,
                                400, nullptr, nullptr, instance, nullptr);
    if (!main)
        return 1;
    SetWindowLongPtrA(main, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(process ? ready : failed));
    ShowWindow(main, show);
    UpdateWindow(main);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The engine objects live for the whole run and are never released; the process ends here.
    ExitProcess(0);
}
