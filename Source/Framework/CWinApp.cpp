// CWinApp: the application object, its message loop and the process-wide accessors.
#include "Framework/CWinApp.h"

#include "Framework/CGdiObject.h"
#include "Framework/CMenu.h"
#include "Framework/CWnd.h"

namespace {

CWinApp* g_app = nullptr;
HINSTANCE g_resourceHandle = NULL;

}  // namespace

CWinApp::CWinApp(const char* pszAppName)
    : m_hInstance(::GetModuleHandleA(NULL)), m_lpCmdLine(NULL), m_nCmdShow(SW_SHOWNORMAL),
      m_pszAppName(pszAppName), m_pMainWnd(NULL), m_nThreadID(::GetCurrentThreadId()),
      m_nExitCode(0)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }
int CWinApp::ExitInstance() { return m_nExitCode; }
BOOL CWinApp::OnIdle(LONG) { AfxPurgeTemporaryObjects(); return FALSE; }

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    CWnd* main = m_pMainWnd;
    return CWnd::WalkPreTranslateTree(main ? main->m_hWnd : NULL, pMsg);
}

int CWinApp::Run()
{
    MSG msg;
    LONG idle = 0;
    for (;;) {
        while (!::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idle++))
                break;
        }
        BOOL got = ::GetMessageA(&msg, NULL, 0, 0);
        if (got == -1)
            continue;
        if (!got) {
            m_nExitCode = int(msg.wParam);
            break;
        }
        idle = 0;
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() { return g_app; }
CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }
HINSTANCE AfxGetInstanceHandle() { return g_app ? g_app->m_hInstance : ::GetModuleHandleA(NULL); }
HINSTANCE AfxGetResourceHandle() { return g_resourceHandle ? g_resourceHandle : AfxGetInstanceHandle(); }
void AfxSetResourceHandle(HINSTANCE hInstance) { g_resourceHandle = hInstance; }
const char* AfxGetAppName() { return g_app && g_app->m_pszAppName ? g_app->m_pszAppName : ""; }

BOOL AfxPreTranslateMessage(MSG* pMsg)
{
    if (g_app)
        return g_app->PreTranslateMessage(pMsg);
    return CWnd::WalkPreTranslateTree(NULL, pMsg);
}

void AfxPurgeTemporaryObjects()
{
    CWnd::PurgeTemporaryWindows();
    PurgeTemporaryGdiObjects();
    PurgeTemporaryMenus();
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    app->m_hInstance = hInstance;
    app->m_lpCmdLine = lpCmdLine;
    app->m_nCmdShow = nCmdShow;
    int code;
    try {
        if (!app->InitInstance())
            code = app->ExitInstance();
        else
            code = app->Run();
    } catch (...) {
        code = 1;
    }
    return code;
}
