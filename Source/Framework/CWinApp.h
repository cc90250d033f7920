// CWinApp: the application object, its message loop and the process-wide accessors.
//
// Usage: the program defines exactly one global object of a class derived from CWinApp (or
// CWinAppEx) and overrides InitInstance. The framework's WinMain (AppMain.cpp, linked in when
// the program defines no WinMain of its own) fills m_hInstance, m_lpCmdLine and m_nCmdShow,
// calls InitInstance, and then Run (the message loop) when it returned TRUE, or ExitInstance
// when it returned FALSE (a dialog-based program runs its main window with DoModal inside
// InitInstance and returns FALSE).
//   - m_pMainWnd: set it to the main window; AfxGetMainWnd() returns it on every thread, and
//     CDialog uses it as the owner of modal dialogs that have no parent.
//   - PreTranslateMessage: every framework message loop (Run, CDialog::DoModal) calls
//     AfxPreTranslateMessage, which calls this: the walk from the target window up to the main
//     window (CWnd::WalkPreTranslateTree).
// Test programs may construct a CWinApp too, just to have a main window; nothing requires
// WinMain to run.
#pragma once

#include <windows.h>

class CWnd;

class CWinApp
{
public:
    explicit CWinApp(const char* pszAppName = NULL);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();              // TRUE: go on to Run
    virtual int ExitInstance();               // the process exit code
    virtual int Run();                        // the message loop, until WM_QUIT
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnIdle(LONG lCount);         // TRUE: call again while the queue stays empty

    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine;
    int m_nCmdShow;
    const char* m_pszAppName;                 // display name (NULL until set)
    CWnd* m_pMainWnd;
    DWORD m_nThreadID;                        // the thread that constructed the object
    int m_nExitCode;                          // wParam of the WM_QUIT that ended Run
};

// The same object; the derived application class of the program names this one.
class CWinAppEx : public CWinApp
{
public:
    explicit CWinAppEx(const char* pszAppName = NULL) : CWinApp(pszAppName) {}
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();                        // the application's main window, any thread
HINSTANCE AfxGetInstanceHandle();             // the program's module
HINSTANCE AfxGetResourceHandle();             // where resources are looked up (the program's)
void AfxSetResourceHandle(HINSTANCE hInstance);
const char* AfxGetAppName();                  // "" when no application object or name
// The pre-translation every framework message loop applies to a message before dispatching
// it; TRUE when the message was eaten.
BOOL AfxPreTranslateMessage(MSG* pMsg);
// Deletes this thread's temporary wrappers (windows, DCs, GDI objects, menus) whose handles no
// longer exist. Run by the message loops when the queue is idle.
void AfxPurgeTemporaryObjects();
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
