// CXHtmlDrawLink: the hand cursor and opening links (see XHtmlDrawLink.h).
#include "Client/Skin/XHtmlDrawLink.h"

#include <shellapi.h>

#include <string.h>

#include "Framework/RegistryKeyHandle.h"

namespace {

// Cursor 106 of the old help program is the hand of systems without IDC_HAND.
const int HelpProgramHandCursor = 106;

HCURSOR LoadHandCursor()
{
    if (HCURSOR shared = ::LoadCursorA(NULL, MAKEINTRESOURCEA(32649) /* IDC_HAND */))
        return HCURSOR(::CopyIcon(HICON(shared)));
    char path[MAX_PATH];
    UINT n = ::GetWindowsDirectoryA(path, MAX_PATH);
    if (n == 0 || n + sizeof "\\winhlp32.exe" > sizeof path)
        return NULL;
    lstrcatA(path, "\\winhlp32.exe");
    HMODULE module = ::LoadLibraryA(path);
    if (!module)
        return NULL;
    HCURSOR cursor = NULL;
    if (HCURSOR hand = ::LoadCursorA(module, MAKEINTRESOURCEA(HelpProgramHandCursor)))
        cursor = HCURSOR(::CopyIcon(HICON(hand)));
    ::FreeLibrary(module);
    return cursor;
}

// The default value of HKEY_CLASSES_ROOT\subKey; empty when missing.
CString ReadClassesDefault(const char* subKey)
{
    CString value;
    CRegistryKeyHandle key;
    if (key.Open(HKEY_CLASSES_ROOT, subKey, KEY_QUERY_VALUE) == ERROR_SUCCESS)
        key.QueryString(nullptr, value);
    return value;
}

}  // namespace

CXHtmlDrawLink::CXHtmlDrawLink()
    : m_hLinkCursor(LoadHandCursor()), m_pfnShellExecute(::ShellExecuteA), m_pfnWinExec(::WinExec)
{
}

CXHtmlDrawLink::~CXHtmlDrawLink()
{
    if (m_hLinkCursor)
        ::DestroyCursor(m_hLinkCursor);
}

BOOL CXHtmlDrawLink::SetLinkCursor()
{
    if (!m_hLinkCursor)
        return FALSE;
    ::SetCursor(m_hLinkCursor);
    return TRUE;
}

void CXHtmlDrawLink::AddAppCommand(HWND hWnd, UINT message, WPARAM wParam, const char* name)
{
    AppCommand command = {hWnd, message, wParam, CString(name)};
    m_AppCommands.Add(command);
}

CString CXHtmlDrawLink::MakeHandlerCommand(const CString& handler, const char* url)
{
    CString command = handler;
    int at = command.Find("\"%1\"");
    if (at >= 0) {
        command = command.Left(at + 1) + url + command.Mid(at + 3);
        return command;
    }
    at = command.Find("%1");
    if (at >= 0)
        return command.Left(at) + url + command.Mid(at + 2);
    command += " ";
    command += url;
    return command;
}

CString CXHtmlDrawLink::ReadHtmlHandlerCommand()
{
    CString htmlClass = ReadClassesDefault(".htm");
    if (htmlClass.IsEmpty())
        return CString();
    return ReadClassesDefault(htmlClass + "\\shell\\open\\command");
}

void CXHtmlDrawLink::GotoURL(const char* url, int showCommand, LPARAM lParam)
{
    if (!url || !*url)
        return;
    const char* app = url;
    if (*app == '"')
        ++app;
    if (_strnicmp(app, "APP:", 4) == 0) {
        CString name(app + 4);
        name.Remove('"');
        for (INT_PTR i = 0; i < m_AppCommands.GetSize(); ++i) {
            const AppCommand& command = m_AppCommands[i];
            if (command.name.CompareNoCase(name) == 0 && ::IsWindow(command.hWnd)) {
                ::SendMessageA(command.hWnd, command.message, command.wParam, lParam);
                break;
            }
        }
        return;
    }
    HINSTANCE result = m_pfnShellExecute(NULL, "open", url, NULL, NULL, showCommand);
    if (INT_PTR(result) > 32)
        return;
    CString handler = ReadHtmlHandlerCommand();
    if (handler.IsEmpty())
        return;
    m_pfnWinExec(MakeHandlerCommand(handler, url), UINT(showCommand));
}
