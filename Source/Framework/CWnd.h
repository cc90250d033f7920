// CWnd: the C++ object behind a window, with message maps, subclassing and the handle map.
//
// Usage:
//   - Derive, declare handlers with the signatures below and route them with a message map
//     (MessageMap.h). A handler that wants the window's normal behaviour as well calls Default()
//     or the base class's handler of the same name.
//   - Bind an existing window: SubclassWindow(hwnd) / SubclassDlgItem(id, pParent) (DDX_Control
//     does this for dialog members); PreSubclassWindow() runs first, so a class can adjust the
//     window's style there. Create a window: CreateEx(); PreCreateWindow() may change the
//     CREATESTRUCT, PreSubclassWindow() runs as the window is bound (before WM_NCCREATE), and
//     every message from WM_NCCREATE on reaches the object.
//   - The handle map is process-wide and locked: FromHandlePermanent(hwnd) finds the object
//     bound to a window from any thread. FromHandle(hwnd) also wraps windows nobody bound, in a
//     temporary object that must not be kept past the current handler (TempObjectMap.h).
//   - An object owns its window: the destructor destroys a window still bound to it (on the
//     window's own thread; from another thread it only unbinds). When the window is destroyed
//     first, the object is unbound at WM_NCDESTROY and PostNcDestroy() runs (override it to
//     `delete this` for heap objects that live as long as their window).
//   - Keyboard and mouse messages taken from a message loop of the framework (CWinApp::Run,
//     CDialog::DoModal) first go through PreTranslateMessage of the target window, then of each
//     parent/owner in turn (WalkPreTranslateTree); the first that returns TRUE eats the message.
//   - Control notifications are reflected to the control's object first (OnChildNotify).
// No C++ exception leaves a window procedure: the framework's procedure stops them there.
#pragma once

#include <windows.h>

#include "Framework/CDC.h"
#include "Framework/CRect.h"
#include "Framework/CString.h"
#include "Framework/MessageMap.h"

class CMenu;
class CFont;

class CWnd
{
public:
    CWnd() noexcept : m_hWnd(NULL), m_pfnSuper(NULL) {}
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd;
    operator HWND() const noexcept { return m_hWnd; }
    HWND GetSafeHwnd() const noexcept { return m_hWnd; }

    // --- handle map ---------------------------------------------------------------------------
    static CWnd* FromHandle(HWND hWnd);            // NULL only for NULL
    static CWnd* FromHandlePermanent(HWND hWnd);   // NULL when no object is bound
    BOOL Attach(HWND hWnd);                        // binds without subclassing
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);                // FALSE when hWnd is NULL or already bound
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();
    void DetachTemporary() noexcept { m_hWnd = NULL; }
    // Deletes this thread's temporary CWnd wrappers of windows that no longer exist.
    static void PurgeTemporaryWindows();

    // --- creation -----------------------------------------------------------------------------
    // className NULL = the framework's own window class (DefWindowProc behaviour, CS_DBLCLKS).
    BOOL CreateEx(DWORD dwExStyle, const char* pszClassName, const char* pszWindowName,
                  DWORD dwStyle, int x, int y, int nWidth, int nHeight, HWND hWndParent,
                  HMENU nIDorHMenu, void* lpParam = NULL);
    BOOL CreateEx(DWORD dwExStyle, const char* pszClassName, const char* pszWindowName,
                  DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID, void* lpParam = NULL);
    virtual BOOL Create(const char* pszClassName, const char* pszWindowName, DWORD dwStyle,
                        const RECT& rect, CWnd* pParent, UINT nID);
    virtual BOOL DestroyWindow();
    static const char* DefaultClassName();

    // --- overridables -------------------------------------------------------------------------
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual void PreSubclassWindow();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A message the parent reflected to this control; default: this class's reflected entries.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual void PostNcDestroy();
    // Grows a client rectangle to the window rectangle for this window's styles
    // (AdjustWindowRectEx; type 0 leaves WS_EX_CLIENTEDGE out).
    virtual void CalcWindowRect(RECT* pClientRect, UINT nAdjustType = 0);

    // Runs the window's previous procedure on the message being handled now.
    LRESULT Default();
    // The message this thread is handling now (zeroed outside a window procedure).
    static const MSG* GetCurrentMessage();
    // Offers the current message to the control hWndChild's object; TRUE when it took it.
    static BOOL ReflectLastMsg(HWND hWndChild, LRESULT* pResult = NULL);
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Calls PreTranslateMessage of pMsg->hwnd's object and of its parents/owners in turn, up to
    // and including hWndStop (NULL: to the top), skipping windows of other threads; TRUE as
    // soon as one returns TRUE.
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
    // The window a new modal window should be owned by: pParent's top-level window, or (NULL)
    // the application's main window's last active popup. When pWndTop is given, the top-level
    // window above the owner is disabled and returned there (NULL when nothing was disabled).
    static HWND GetSafeOwner(CWnd* pParent, HWND* pWndTop = NULL);

    // --- styles and geometry ------------------------------------------------------------------
    DWORD GetStyle() const { return DWORD(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return DWORD(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
    // Removes then adds style bits; nFlags != 0 also calls SetWindowPos with those flags
    // (e.g. SWP_FRAMECHANGED). FALSE when nothing changed.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    void GetClientRect(RECT* rc) const { ::GetClientRect(m_hWnd, rc); }
    void GetWindowRect(RECT* rc) const { ::GetWindowRect(m_hWnd, rc); }
    void ClientToScreen(POINT* p) const { ::ClientToScreen(m_hWnd, p); }
    void ClientToScreen(RECT* rc) const;
    void ScreenToClient(POINT* p) const { ::ScreenToClient(m_hWnd, p); }
    void ScreenToClient(RECT* rc) const;
    void MapWindowPoints(CWnd* pTo, POINT* pts, UINT n) const
    {
        ::MapWindowPoints(m_hWnd, pTo ? pTo->m_hWnd : NULL, pts, n);
    }
    void MoveWindow(int x, int y, int w, int h, BOOL bRepaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, bRepaint); }
    void MoveWindow(const RECT* rc, BOOL bRepaint = TRUE)
    {
        MoveWindow(rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top, bRepaint);
    }
    BOOL SetWindowPos(const CWnd* pInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, pInsertAfter ? pInsertAfter->m_hWnd : NULL, x, y, cx, cy, nFlags);
    }
    BOOL SetWindowPos(HWND hInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
    {
        return ::SetWindowPos(m_hWnd, hInsertAfter, x, y, cx, cy, nFlags);
    }
    void CenterWindow(CWnd* pAlternateOwner = NULL);

    // --- state --------------------------------------------------------------------------------
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    BOOL IsChild(const CWnd* pWnd) const { return pWnd && ::IsChild(m_hWnd, pWnd->m_hWnd); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, NULL, bErase); }
    void InvalidateRect(const RECT* rc, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, rc, bErase); }
    void ValidateRect(const RECT* rc) { ::ValidateRect(m_hWnd, rc); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL RedrawWindow(const RECT* rc = NULL, HRGN hRgn = NULL,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    {
        return ::RedrawWindow(m_hWnd, rc, hRgn, flags);
    }
    void SetRedraw(BOOL bRedraw = TRUE) { SendMessage(WM_SETREDRAW, bRedraw, 0); }

    // --- text and font ------------------------------------------------------------------------
    void SetWindowText(const char* psz) { ::SetWindowTextA(m_hWnd, psz); }
    int GetWindowText(char* psz, int nMaxCount) const { return ::GetWindowTextA(m_hWnd, psz, nMaxCount); }
    void GetWindowText(CString& str) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;

    // --- relatives ----------------------------------------------------------------------------
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* SetParent(CWnd* pNewParent) { return FromHandle(::SetParent(m_hWnd, pNewParent ? pNewParent->m_hWnd : NULL)); }
    CWnd* GetOwner() const { return FromHandle(::GetWindow(m_hWnd, GW_OWNER)); }
    CWnd* GetTopLevelParent() const;
    CWnd* GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }
    CWnd* GetLastActivePopup() const { return FromHandle(::GetLastActivePopup(m_hWnd)); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void SetDlgItemText(int nID, const char* psz) { ::SetDlgItemTextA(m_hWnd, nID, psz); }
    int GetDlgItemText(int nID, CString& str) const;
    LRESULT SendDlgItemMessage(int nID, UINT msg, WPARAM wp = 0, LPARAM lp = 0)
    {
        return ::SendDlgItemMessageA(m_hWnd, nID, msg, wp, lp);
    }
    static CWnd* GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
    static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
    static CWnd* GetForegroundWindow() { return FromHandle(::GetForegroundWindow()); }

    // --- messages and input -------------------------------------------------------------------
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::SendMessageA(m_hWnd, msg, wp, lp); }
    BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const { return ::PostMessageA(m_hWnd, msg, wp, lp); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    BOOL BringWindowToTop() { return ::BringWindowToTop(m_hWnd); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC pfn = NULL)
    {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, pfn);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    CMenu* GetSystemMenu(BOOL bRevert) const;
    CMenu* GetMenu() const;

    // --- drawing ------------------------------------------------------------------------------
    CDC* GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
    CDC* GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
    int ReleaseDC(CDC* pDC) { return pDC ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0; }

protected:
    // Default handlers: each runs Default() (the reflecting ones first offer the message to the
    // control, see MessageMap.h). Signatures for the ON_WM_* entries of MessageMap.h.
    int OnCreate(LPCREATESTRUCTA) { return int(Default()); }
    void OnDestroy() { Default(); }
    void OnNcDestroy() { Default(); }
    void OnClose() { Default(); }
    void OnPaint() { Default(); }
    void OnNcPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return BOOL(Default()); }
    void OnSize(UINT, int, int) { Default(); }
    void OnMove(int, int) { Default(); }
    void OnWindowPosChanging(WINDOWPOS*) { Default(); }
    void OnWindowPosChanged(WINDOWPOS*) { Default(); }
    void OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
    void OnActivate(UINT, CWnd*, BOOL) { Default(); }
    void OnShowWindow(BOOL, UINT) { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }
    void OnRButtonUp(UINT, CPoint) { Default(); }
    void OnMouseHover(UINT, CPoint) { Default(); }
    void OnMouseLeave() { Default(); }
    BOOL OnMouseWheel(UINT, short, CPoint) { return BOOL(Default()); }
    void OnNcLButtonDown(UINT, CPoint) { Default(); }
    LRESULT OnNcHitTest(CPoint) { return Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return BOOL(Default()); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnKeyUp(UINT, UINT, UINT) { Default(); }
    void OnChar(UINT, UINT, UINT) { Default(); }
    void OnSysKeyDown(UINT, UINT, UINT) { Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    void OnSysCommand(UINT, LPARAM) { Default(); }
    void OnContextMenu(CWnd*, CPoint) { Default(); }
    void OnSysColorChange() { Default(); }
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    void OnHScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);
    void OnVScroll(UINT nSBCode, UINT nPos, CWnd* pScrollBar);

    static const MessageMap* GetThisMessageMap();
    virtual const MessageMap* GetMessageMap() const;

    // Looks key/code/id up in this object's tables, most derived first, and runs the handler.
    BOOL DispatchToMap(UINT key, UINT code, UINT id, UINT message, WPARAM wParam, LPARAM lParam,
                       LRESULT* pResult);

    WNDPROC m_pfnSuper;   // the procedure the window had before it was subclassed

private:
    friend LRESULT CALLBACK FrameworkWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK FrameworkCbtHook(int, WPARAM, LPARAM);
    void BindCreatedWindow(HWND hWnd);
    void FinishNcDestroy();
};

// The framework's window procedure (installed by subclassing and creation).
LRESULT CALLBACK FrameworkWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Until the matching UnhookWindowCreate, the next window this thread creates is bound to pWnd
// from its first message on (used by CreateEx and CDialog; nestable).
void HookWindowCreate(CWnd* pWnd);
// FALSE when the hooked window was never created (the object is still unbound).
BOOL UnhookWindowCreate();
