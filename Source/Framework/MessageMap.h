// Message maps: per-class tables that route window messages to member functions.
//
// Usage (in the class):
//     class CMyDlg : public CDialog {
//         ...
//     protected:
//         BOOL OnEraseBkgnd(CDC* pDC);                 // the handler names and signatures below
//         void OnBnClickedGo();
//         DECLARE_MESSAGE_MAP()
//     };
// and in the source file:
//     BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//         ON_WM_ERASEBKGND()
//         ON_BN_CLICKED(1009, &CMyDlg::OnBnClickedGo)
//     END_MESSAGE_MAP()
//
// Dispatch (CWnd::OnWndMsg): the class's own table first, then its base class's table, and so on
// up to CWnd's; the first matching entry handles the message. A message no entry takes goes to
// CWnd::DefWindowProc, i.e. the window procedure the window had before the framework subclassed
// it (the control class's own procedure, the dialog manager for dialogs, DefWindowProc for
// windows of the framework's own class). A handler calls Default() (or its base class's handler
// of the same name, which does) to run that default as well.
//
// WM_COMMAND and WM_NOTIFY from a control are first offered to the control's own object
// ("reflection", see CWnd::OnChildNotify): ON_CONTROL_REFLECT / ON_NOTIFY_REFLECT entries in the
// control's class take them, and the parent's ON_BN_CLICKED / ON_NOTIFY entries run only when the
// control took nothing (or its _EX handler returned FALSE). WM_DRAWITEM, WM_MEASUREITEM,
// WM_CTLCOLOR*, WM_HSCROLL and WM_VSCROLL are reflected by CWnd's default handlers for them (a
// parent that handles them itself and wants reflection calls the base handler).
//
// Adding an entry kind: write a macro in the style of the ones below, FW_MESSAGE_ENTRY(message,
// code, firstId, lastId, statements...), whose statements use self_ (ThisClass*), message_,
// wParam_, lParam_ and pResult_ (LRESULT*, preset to 0) and return TRUE when handled; add the
// default handler (calling Default()) to CWnd if the message has a standard signature.
#pragma once

#include <windows.h>

class CWnd;

// Runs one entry's handler; returns FALSE to let the search go on (the _EX entries).
typedef BOOL (*MessageThunk)(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam,
                             LRESULT* pResult);

struct MessageMapEntry
{
    UINT message;              // the message (or a reflected or pseudo message, below)
    const UINT* pRegistered;   // a registered message's variable (message is then ignored)
    UINT code;                 // notification code of WM_COMMAND / WM_NOTIFY entries, else 0
    UINT firstId, lastId;      // control id range of WM_COMMAND / WM_NOTIFY entries
    MessageThunk thunk;        // NULL ends the table
};

struct MessageMap
{
    const MessageMap* (*pfnGetBaseMap)();   // NULL for CWnd's own table
    const MessageMapEntry* pEntries;
};

// Reflected messages are looked up as FW_REFLECTED(message) in the control's table (the range
// ActiveX controls use for reflection, 0x2000 + message). All WM_CTLCOLOR* messages share one
// key, FW_WM_CTLCOLOR, as their common 16-bit ancestor did.
#define FW_REFLECT_BASE 0x2000u
#define FW_REFLECTED(msg) (FW_REFLECT_BASE + (msg))
#define FW_WM_CTLCOLOR 0x0019u


#define DECLARE_MESSAGE_MAP()                                          \
protected:                                                             \
    static const MessageMap* GetThisMessageMap();                      \
    const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const MessageMap* theClass::GetThisMessageMap()                                   \
    {                                                                                 \
        typedef theClass ThisClass;                                                   \
        typedef baseClass TheBaseClass;                                               \
        static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                   \
            {0, nullptr, 0, 0, 0, nullptr}                                  \
        };                                                                  \
        static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries}; \
        return &map;                                                        \
    }

#define FW_THUNK(...)                                                                      \
    [](CWnd* pWnd_, UINT message_, WPARAM wParam_, LPARAM lParam_, LRESULT* pResult_) -> BOOL { \
        ThisClass* self_ = static_cast<ThisClass*>(pWnd_);                                 \
        (void)self_; (void)message_; (void)wParam_; (void)lParam_; (void)pResult_;          \
        __VA_ARGS__                                                                        \
    }
#define FW_MESSAGE_ENTRY(msg, code, first, last, ...) \
    {UINT(msg), nullptr, UINT(code), UINT(first), UINT(last), FW_THUNK(__VA_ARGS__)},

#define FW_MOUSE_ENTRY(msg, fn) \
    FW_MESSAGE_ENTRY(msg, 0, 0u, 0xFFFFFFFFu, self_->fn(UINT(wParam_), CPoint(lParam_)); return TRUE;)
#define FW_KEY_ENTRY(msg, fn)                                                              \
    FW_MESSAGE_ENTRY(msg, 0, 0u, 0xFFFFFFFFu,                                                    \
        self_->fn(UINT(wParam_), UINT(LOWORD(lParam_)), UINT(HIWORD(lParam_))); return TRUE;)

// --- standard messages (handler signatures as declared in CWnd) ------------------------------
#define ON_WM_CREATE() FW_MESSAGE_ENTRY(WM_CREATE, 0, 0u, 0xFFFFFFFFu, \
    *pResult_ = self_->OnCreate(LPCREATESTRUCTA(lParam_)); return TRUE;)
#define ON_WM_DESTROY() FW_MESSAGE_ENTRY(WM_DESTROY, 0, 0u, 0xFFFFFFFFu, self_->OnDestroy(); return TRUE;)
#define ON_WM_NCDESTROY() FW_MESSAGE_ENTRY(WM_NCDESTROY, 0, 0u, 0xFFFFFFFFu, self_->OnNcDestroy(); return TRUE;)
#define ON_WM_CLOSE() FW_MESSAGE_ENTRY(WM_CLOSE, 0, 0u, 0xFFFFFFFFu, self_->OnClose(); return TRUE;)
#define ON_WM_PAINT() FW_MESSAGE_ENTRY(WM_PAINT, 0, 0u, 0xFFFFFFFFu, self_->OnPaint(); return TRUE;)
#define ON_WM_NCPAINT() FW_MESSAGE_ENTRY(WM_NCPAINT, 0, 0u, 0xFFFFFFFFu, self_->OnNcPaint(); return TRUE;)
#define ON_WM_ERASEBKGND() FW_MESSAGE_ENTRY(WM_ERASEBKGND, 0, 0u, 0xFFFFFFFFu, \
    *pResult_ = self_->OnEraseBkgnd(CDC::FromHandle(HDC(wParam_))); return TRUE;)
#define ON_WM_SIZE() FW_MESSAGE_ENTRY(WM_SIZE, 0, 0u, 0xFFFFFFFFu, \
    self_->OnSize(UINT(wParam_), short(LOWORD(lParam_)), short(HIWORD(lParam_))); return TRUE;)
#define ON_WM_MOVE() FW_MESSAGE_ENTRY(WM_MOVE, 0, 0u, 0xFFFFFFFFu, \
    self_->OnMove(short(LOWORD(lParam_)), short(HIWORD(lParam_))); return TRUE;)
#define ON_WM_WINDOWPOSCHANGING() FW_MESSAGE_ENTRY(WM_WINDOWPOSCHANGING, 0, 0u, 0xFFFFFFFFu, \
    self_->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lParam_)); return TRUE;)
#define ON_WM_WINDOWPOSCHANGED() FW_MESSAGE_ENTRY(WM_WINDOWPOSCHANGED, 0, 0u, 0xFFFFFFFFu, \
    self_->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam_)); return TRUE;)
#define ON_WM_GETMINMAXINFO() FW_MESSAGE_ENTRY(WM_GETMINMAXINFO, 0, 0u, 0xFFFFFFFFu, \
    self_->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam_)); return TRUE;)
#define ON_WM_ACTIVATE() FW_MESSAGE_ENTRY(WM_ACTIVATE, 0, 0u, 0xFFFFFFFFu, \
    self_->OnActivate(UINT(LOWORD(wParam_)), CWnd::FromHandle(HWND(lParam_)), \
                      BOOL(HIWORD(wParam_) != 0)); return TRUE;)
#define ON_WM_SHOWWINDOW() FW_MESSAGE_ENTRY(WM_SHOWWINDOW, 0, 0u, 0xFFFFFFFFu, \
    self_->OnShowWindow(BOOL(wParam_), UINT(lParam_)); return TRUE;)
#define ON_WM_TIMER() FW_MESSAGE_ENTRY(WM_TIMER, 0, 0u, 0xFFFFFFFFu, self_->OnTimer(UINT_PTR(wParam_)); return TRUE;)
#define ON_WM_MOUSEMOVE() FW_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() FW_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() FW_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() FW_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() FW_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() FW_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define ON_WM_MOUSEHOVER() FW_MOUSE_ENTRY(WM_MOUSEHOVER, OnMouseHover)
#define ON_WM_MOUSELEAVE() FW_MESSAGE_ENTRY(WM_MOUSELEAVE, 0, 0u, 0xFFFFFFFFu, self_->OnMouseLeave(); return TRUE;)
#define ON_WM_MOUSEWHEEL() FW_MESSAGE_ENTRY(WM_MOUSEWHEEL, 0, 0u, 0xFFFFFFFFu, \
    *pResult_ = self_->OnMouseWheel(UINT(LOWORD(wParam_)), short(HIWORD(wParam_)), CPoint(lParam_)); \
    return TRUE;)
#define ON_WM_NCLBUTTONDOWN() FW_MOUSE_ENTRY(WM_NCLBUTTONDOWN, OnNcLButtonDown)
#define ON_WM_NCHITTEST() FW_MESSAGE_ENTRY(WM_NCHITTEST, 0, 0u, 0xFFFFFFFFu, \
    *pResult_ = self_->OnNcHitTest(CPoint(lParam_)); return TRUE;)
#define ON_WM_SETCURSOR() FW_MESSAGE_ENTRY(WM_SETCURSOR, 0, 0u, 0xFFFFFFFFu, \
    *pResult_ = self_->OnSetCursor(CWnd::FromHandle(HWND(wParam_)), UINT(LOWORD(lParam_)), \
                                   UINT(HIWORD(lParam_))); return TRUE;)
#define ON_WM_KEYDOWN() FW_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() FW_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() FW_KEY_ENTRY(WM_CHAR, OnChar)
#define ON_WM_SYSKEYDOWN() FW_KEY_ENTRY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_SETFOCUS() FW_MESSAGE_ENTRY(WM_SETFOCUS, 0, 0u, 0xFFFFFFFFu, \
    self_->OnSetFocus(CWnd::FromHandle(HWND(wParam_))); return TRUE;)
#define ON_WM_KILLFOCUS() FW_MESSAGE_ENTRY(WM_KILLFOCUS, 0, 0u, 0xFFFFFFFFu, \
    self_->OnKillFocus(CWnd::FromHandle(HWND(wParam_))); return TRUE;)
#define ON_WM_CTLCOLOR() FW_MESSAGE_ENTRY(FW_WM_CTLCOLOR, 0, 0u, 0xFFFFFFFFu, \
    *pResult_ = LRESULT(self_->OnCtlColor(CDC::FromHandle(HDC(wParam_)), \
        CWnd::FromHandle(HWND(lParam_)), UINT(message_ - WM_CTLCOLORMSGBOX))); return TRUE;)
#define ON_WM_DRAWITEM() FW_MESSAGE_ENTRY(WM_DRAWITEM, 0, 0u, 0xFFFFFFFFu, \
    self_->OnDrawItem(int(wParam_), LPDRAWITEMSTRUCT(lParam_)); *pResult_ = TRUE; return TRUE;)
#define ON_WM_MEASUREITEM() FW_MESSAGE_ENTRY(WM_MEASUREITEM, 0, 0u, 0xFFFFFFFFu, \
    self_->OnMeasureItem(int(wParam_), LPMEASUREITEMSTRUCT(lParam_)); *pResult_ = TRUE; return TRUE;)
#define ON_WM_HSCROLL() FW_MESSAGE_ENTRY(WM_HSCROLL, 0, 0u, 0xFFFFFFFFu, \
    self_->OnHScroll(UINT(LOWORD(wParam_)), UINT(short(HIWORD(wParam_))), \
                     CWnd::FromHandle(HWND(lParam_))); return TRUE;)
#define ON_WM_VSCROLL() FW_MESSAGE_ENTRY(WM_VSCROLL, 0, 0u, 0xFFFFFFFFu, \
    self_->OnVScroll(UINT(LOWORD(wParam_)), UINT(short(HIWORD(wParam_))), \
                     CWnd::FromHandle(HWND(lParam_))); return TRUE;)
#define ON_WM_SYSCOMMAND() FW_MESSAGE_ENTRY(WM_SYSCOMMAND, 0, 0u, 0xFFFFFFFFu, \
    self_->OnSysCommand(UINT(wParam_), lParam_); return TRUE;)
#define ON_WM_CONTEXTMENU() FW_MESSAGE_ENTRY(WM_CONTEXTMENU, 0, 0u, 0xFFFFFFFFu, \
    self_->OnContextMenu(CWnd::FromHandle(HWND(wParam_)), CPoint(lParam_)); return TRUE;)
#define ON_WM_SYSCOLORCHANGE() FW_MESSAGE_ENTRY(WM_SYSCOLORCHANGE, 0, 0u, 0xFFFFFFFFu, \
    self_->OnSysColorChange(); return TRUE;)

// --- any message -------------------------------------------------------------------------------
// LRESULT memberFxn(WPARAM, LPARAM)
#define ON_MESSAGE(msg, memberFxn) FW_MESSAGE_ENTRY(msg, 0, 0u, 0xFFFFFFFFu, \
    *pResult_ = (self_->*(memberFxn))(wParam_, lParam_); return TRUE;)
// nMessageVariable: a UINT holding a RegisterWindowMessage result (read at dispatch time).
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) \
    {0, &(nMessageVariable), 0, 0u, 0xFFFFFFFFu, FW_THUNK( \
        *pResult_ = (self_->*(memberFxn))(wParam_, lParam_); return TRUE;)},

// --- commands and control notifications (parent side) ------------------------------------------
// void memberFxn()
#define ON_COMMAND(id, memberFxn) FW_MESSAGE_ENTRY(WM_COMMAND, 0, id, id, (self_->*(memberFxn))(); return TRUE;)
// void memberFxn(UINT id)
#define ON_COMMAND_RANGE(firstId, lastId, memberFxn) FW_MESSAGE_ENTRY(WM_COMMAND, 0, firstId, lastId, \
    (self_->*(memberFxn))(UINT(LOWORD(wParam_))); return TRUE;)
#define ON_CONTROL(code, id, memberFxn) FW_MESSAGE_ENTRY(WM_COMMAND, code, id, id, \
    (self_->*(memberFxn))(); return TRUE;)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
// void memberFxn(NMHDR*, LRESULT*)
#define ON_NOTIFY(code, id, memberFxn) FW_MESSAGE_ENTRY(WM_NOTIFY, code, id, id, \
    (self_->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam_), pResult_); return TRUE;)
// void memberFxn(UINT id, NMHDR*, LRESULT*)
#define ON_NOTIFY_RANGE(code, firstId, lastId, memberFxn) FW_MESSAGE_ENTRY(WM_NOTIFY, code, firstId, lastId, \
    (self_->*(memberFxn))(UINT(reinterpret_cast<NMHDR*>(lParam_)->idFrom), \
                          reinterpret_cast<NMHDR*>(lParam_), pResult_); return TRUE;)
// BOOL memberFxn(UINT id, NMHDR*, LRESULT*): FALSE lets later entries see it too
#define ON_NOTIFY_EX(code, id, memberFxn) FW_MESSAGE_ENTRY(WM_NOTIFY, code, id, id, \
    return (self_->*(memberFxn))(UINT(reinterpret_cast<NMHDR*>(lParam_)->idFrom), \
                                 reinterpret_cast<NMHDR*>(lParam_), pResult_);)
// BOOL memberFxn(UINT id, NMHDR*, LRESULT*) for the ids firstId..lastId (e.g. a tooltip's tools,
// whose ids may be window handles): FALSE lets later entries see it too
#define ON_NOTIFY_EX_RANGE(code, firstId, lastId, memberFxn) FW_MESSAGE_ENTRY(WM_NOTIFY, code, firstId, lastId, \
    return (self_->*(memberFxn))(UINT(reinterpret_cast<NMHDR*>(lParam_)->idFrom), \
                                 reinterpret_cast<NMHDR*>(lParam_), pResult_);)

// --- reflected to the control's own class --------------------------------------------------------
// void memberFxn(NMHDR*, LRESULT*)
#define ON_NOTIFY_REFLECT(code, memberFxn) FW_MESSAGE_ENTRY(FW_REFLECTED(WM_NOTIFY), code, 0u, 0xFFFFFFFFu, \
    (self_->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam_), pResult_); return TRUE;)
// BOOL memberFxn(NMHDR*, LRESULT*): FALSE lets the parent handle it as well
#define ON_NOTIFY_REFLECT_EX(code, memberFxn) FW_MESSAGE_ENTRY(FW_REFLECTED(WM_NOTIFY), code, 0u, 0xFFFFFFFFu, \
    return (self_->*(memberFxn))(reinterpret_cast<NMHDR*>(lParam_), pResult_);)
// void memberFxn()
#define ON_CONTROL_REFLECT(code, memberFxn) FW_MESSAGE_ENTRY(FW_REFLECTED(WM_COMMAND), code, 0u, 0xFFFFFFFFu, \
    (self_->*(memberFxn))(); return TRUE;)
// BOOL memberFxn(): FALSE lets the parent handle it as well
#define ON_CONTROL_REFLECT_EX(code, memberFxn) FW_MESSAGE_ENTRY(FW_REFLECTED(WM_COMMAND), code, 0u, 0xFFFFFFFFu, \
    return (self_->*(memberFxn))();)
// HBRUSH CtlColor(CDC*, UINT nCtlColor): a NULL brush lets the parent's default run
#define ON_WM_CTLCOLOR_REFLECT() FW_MESSAGE_ENTRY(FW_REFLECTED(FW_WM_CTLCOLOR), 0, 0u, 0xFFFFFFFFu, \
    HBRUSH brush_ = self_->CtlColor(CDC::FromHandle(HDC(wParam_)), UINT(message_ - WM_CTLCOLORMSGBOX)); \
    *pResult_ = LRESULT(brush_); return brush_ != NULL;)
