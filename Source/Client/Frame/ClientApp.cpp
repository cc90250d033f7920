// Start-up of Velmora.exe: one instance, the Windows-version question, the engine bound by file
// name, the settings, then the main window.
#include "Frame/ClientApp.h"

#include <commctrl.h>
#include <objbase.h>

#include <gdiplus.h>

#include "Frame/EngineBinding.h"
#include "Frame/FrameMessage.h"
#include "Frame/ProgramIdentity.h"
#include "Frame/SingleInstance.h"
#include "Frame/SystemFunctions.h"
#include "Frame/WaitPumpingMessages.h"

CClientApp theApp;

namespace {

// The logon task starts the program right at logon; the desktop is given time to settle first.
const DWORD DefragStartDelay = 4000;

const char MainWindowClass[] = "VelmoraMainWindow";

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CLOSE:
        ShowWindow(hwnd, SW_HIDE);
        TerminateProcess(GetCurrentProcess(), 0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void RunMainWindow()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.hCursor = LoadCursor(NULL, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = MainWindowClass;
    RegisterClassA(&wc);
    HWND main = CreateWindowExA(WS_EX_APPWINDOW, MainWindowClass, ProgramDisplayName,
                                WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 100, 100, 777,
                                496, NULL, NULL, wc.hInstance, NULL);
    if (!main)
        return;
    PublishMainWindow(main);
    if (theApp.m_commandLine.m_startScan) {
        ShowWindow(main, SW_HIDE);
        ShowWindow(main, SW_MINIMIZE);
        ShowWindow(main, SW_HIDE);
    } else {
        ShowWindow(main, SW_SHOW);
    }
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

CClientApp::CClientApp()
    : m_gdiplusToken(0), m_pProcess(NULL), m_pScanItemsInfo(NULL), m_handCursor(NULL)
{
}

BOOL CClientApp::InitInstance()
{
    ParseCommandLine(m_commandLine);

    if (!ClaimSingleInstance())
        return FALSE;

    Gdiplus::GdiplusStartupInput gdiplusInput;
    if (Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusInput, NULL) != Gdiplus::Ok)
        m_gdiplusToken = 0;

    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);

    if (!IsTestedWindowsVersion(GetWindowsVersion())) {
        CString question = ProgramDisplayName " is not tested on this Windows version.\n\n"
                           "Do you still want to run " ProgramDisplayName "?";
        if (ShowFrameMessage(question, FrameMessageYesNo) == IDNO)
            return FALSE;
    }

    CoInitialize(NULL);
    if (!LoadEngineLibrary())
        return FALSE;
    if (!m_pProcess)
        m_pProcess = GetEngineInterface() ? GetEngineInterface()->NewProcess() : NULL;

    m_handCursor = LoadCursor(NULL, IDC_HAND);
    LoadSettings();

    if (m_commandLine.m_defrag)
        WaitPumpingMessages(DefragStartDelay);

    RunMainWindow();
    return FALSE;
}

int CClientApp::ExitInstance()
{
    // The second instance and the other early ends never started GDI+.
    if (m_gdiplusToken)
        Gdiplus::GdiplusShutdown(m_gdiplusToken);
    m_gdiplusToken = 0;
    return 0;
}

void CClientApp::LoadSettings()
{
    LoadProgramSettings(m_settings);
}

void CClientApp::SaveSettings()
{
    SaveProgramSettings(m_settings);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    theApp.InitInstance();
    return theApp.ExitInstance();
}
