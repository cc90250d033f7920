// CXHtmlDrawLink: what a link in an HTML-like label does: the hand cursor over it, and opening
// it when it is clicked.
//
// A URL "APP:name" (or "\"APP:name\"") is an application command: the first registered command
// of that name (any case) whose window still exists is sent its message. Any other URL is opened
// by the shell ("open"); when the shell cannot, the command line of the ".htm" handler in
// HKEY_CLASSES_ROOT is run with the URL in place of its "%1".
// The two launch calls are members so that tests can put recorders in their place (the real
// ones would start a browser). GUI thread only.
#pragma once

#include <windows.h>

#include "Framework/CString.h"
#include "Framework/Collections.h"

class CXHtmlDrawLink
{
public:
    typedef HINSTANCE(WINAPI* ShellExecuteFunction)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    typedef UINT(WINAPI* WinExecFunction)(LPCSTR, UINT);

    struct AppCommand
    {
        HWND hWnd;
        UINT message;
        WPARAM wParam;
        CString name;
    };

    CXHtmlDrawLink();
    virtual ~CXHtmlDrawLink();
    CXHtmlDrawLink(const CXHtmlDrawLink&) = delete;
    CXHtmlDrawLink& operator=(const CXHtmlDrawLink&) = delete;

    // Sets the hand cursor; FALSE when there is none.
    BOOL SetLinkCursor();
    HCURSOR GetLinkCursor() const { return m_hLinkCursor; }

    // Opens url (see above); lParam goes with an application command's message.
    void GotoURL(const char* url, int showCommand, LPARAM lParam);

    // "APP:name" links send message (wParam, the link's lParam) to hWnd.
    void AddAppCommand(HWND hWnd, UINT message, WPARAM wParam, const char* name);
    void RemoveAllAppCommands() { m_AppCommands.RemoveAll(); }

    // The command line of the ".htm" handler with url in place of its "%1" (in quotes when the
    // handler quotes it), or the URL appended when the handler has no "%1".
    static CString MakeHandlerCommand(const CString& handler, const char* url);
    // The ".htm" handler's command line from HKEY_CLASSES_ROOT; empty when there is none.
    static CString ReadHtmlHandlerCommand();

    // The launch calls (ShellExecuteA and WinExec unless replaced).
    void SetLaunchFunctions(ShellExecuteFunction shellExecute, WinExecFunction winExec)
    {
        m_pfnShellExecute = shellExecute;
        m_pfnWinExec = winExec;
    }

private:
    HCURSOR m_hLinkCursor;
    CArray<AppCommand> m_AppCommands;
    ShellExecuteFunction m_pfnShellExecute;
    WinExecFunction m_pfnWinExec;
};
