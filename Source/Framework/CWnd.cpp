// CWnd: handle map, the framework's window procedure, creation hook, subclassing, message-map
// dispatch, reflection and the pre-translate walk.
#include "Framework/CWnd.h"

#include <mutex>
#include <unordered_map>
#include <vector>

#include "Framework/CMenu.h"
#include "Framework/CWinApp.h"
#include "Framework/PerThread.h"
#include "Framework/TempObjectMap.h"

namespace {

// The process-wide map from window handles to their permanent objects. Looked up on every
// message of every framework window of every thread, hence a slim reader/writer lock.
struct PermanentWindowMap
{
    SRWLOCK lock = SRWLOCK_INIT;
    std::unordered_map<HWND, CWnd*> map;
};

PermanentWindowMap& Permanent()
{
    static PermanentWindowMap instance;
    return instance;
}

CWnd* MapFind(HWND h)
{
    PermanentWindowMap& p = Permanent();
    AcquireSRWLockShared(&p.lock);
    auto it = p.map.find(h);
    CWnd* w = it == p.map.end() ? nullptr : it->second;
    ReleaseSRWLockShared(&p.lock);
    return w;
}

bool MapAdd(HWND h, CWnd* w)
{
    PermanentWindowMap& p = Permanent();
    AcquireSRWLockExclusive(&p.lock);
    bool added = p.map.emplace(h, w).second;
    ReleaseSRWLockExclusive(&p.lock);
    return added;
}

void MapRemove(HWND h, CWnd* w)
{
    PermanentWindowMap& p = Permanent();
    AcquireSRWLockExclusive(&p.lock);
    auto it = p.map.find(h);
    if (it != p.map.end() && it->second == w)
        p.map.erase(it);
    ReleaseSRWLockExclusive(&p.lock);
}

TempObjectMap<HWND, CWnd>& TempWindows()
{
    return PerThread<TempObjectMap<HWND, CWnd>>();
}

// The message the thread's innermost framework window procedure is handling.
thread_local MSG t_currentMessage = {};

// Creation hook state of this thread (see HookWindowCreate).
struct CreationHook
{
    HHOOK hook = NULL;
    CWnd* pending = nullptr;
    std::vector<CWnd*> saved;
};
CreationHook& ThisThreadCreation() { return PerThread<CreationHook>(); }

BOOL ReflectTo(HWND hWndChild, HWND hWndSelf, UINT message, WPARAM wParam, LPARAM lParam,
               LRESULT* pResult)
{
    if (!hWndChild || hWndChild == hWndSelf)
        return FALSE;
    CWnd* child = MapFind(hWndChild);
    if (!child)
        return FALSE;
    LRESULT r = 0;
    if (!child->OnChildNotify(message, wParam, lParam, &r))
        return FALSE;
    if (pResult)
        *pResult = r;
    return TRUE;
}

bool IsCtlColorMessage(UINT m) { return m >= WM_CTLCOLORMSGBOX && m <= WM_CTLCOLORSTATIC; }

// ModifyStyle and ModifyStyleEx on the window long at index (GWL_STYLE or GWL_EXSTYLE): FALSE
// when nothing changes; nFlags (SWP_FRAMECHANGED, say) go to SetWindowPos when given.
BOOL ModifyStyleBits(HWND hWnd, int index, DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    DWORD style = DWORD(::GetWindowLongA(hWnd, index));
    DWORD changed = (style & ~dwRemove) | dwAdd;
    if (changed == style)
        return FALSE;
    ::SetWindowLongA(hWnd, index, LONG(changed));
    if (nFlags)
        ::SetWindowPos(hWnd, NULL, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

}  // namespace

// --- window procedure and creation hook ----------------------------------------------------------

LRESULT CALLBACK FrameworkWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = MapFind(hWnd);
    if (!pWnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    MSG saved = t_currentMessage;
    t_currentMessage.hwnd = hWnd;
    t_currentMessage.message = message;
    t_currentMessage.wParam = wParam;
    t_currentMessage.lParam = lParam;
    LRESULT result = 0;
    try {
        result = pWnd->WindowProc(message, wParam, lParam);
    } catch (...) {
        // A C++ exception must not unwind through the system's frames.
        result = 0;
    }
    if (message == WM_NCDESTROY)
        pWnd->FinishNcDestroy();
    t_currentMessage = saved;
    return result;
}

LRESULT CALLBACK FrameworkCbtHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND && ThisThreadCreation().pending) {
        HWND hWnd = HWND(wParam);
        char cls[8] = {};
        // The input-method window the system may create along with a thread's first window
        // is not the window being created.
        if (!(::GetClassNameA(hWnd, cls, sizeof cls) && lstrcmpiA(cls, "IME") == 0)) {
            CWnd* pWnd = ThisThreadCreation().pending;
            ThisThreadCreation().pending = nullptr;
            pWnd->BindCreatedWindow(hWnd);
        }
    }
    return ::CallNextHookEx(ThisThreadCreation().hook, nCode, wParam, lParam);
}

void HookWindowCreate(CWnd* pWnd)
{
    ThisThreadCreation().saved.push_back(ThisThreadCreation().pending);
    ThisThreadCreation().pending = pWnd;
    if (!ThisThreadCreation().hook)
        ThisThreadCreation().hook = ::SetWindowsHookExA(WH_CBT, FrameworkCbtHook, NULL, ::GetCurrentThreadId());
}

BOOL UnhookWindowCreate()
{
    BOOL bound = ThisThreadCreation().pending == nullptr;
    if (!ThisThreadCreation().saved.empty()) {
        ThisThreadCreation().pending = ThisThreadCreation().saved.back();
        ThisThreadCreation().saved.pop_back();
    } else {
        ThisThreadCreation().pending = nullptr;
    }
    if (ThisThreadCreation().saved.empty() && ThisThreadCreation().hook) {
        ::UnhookWindowsHookEx(ThisThreadCreation().hook);
        ThisThreadCreation().hook = NULL;
    }
    return bound;
}

void CWnd::BindCreatedWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return;
    PreSubclassWindow();
    WNDPROC old = WNDPROC(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
    if (old != FrameworkWindowProc) {
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, LONG_PTR(FrameworkWindowProc));
        m_pfnSuper = old;
    }
}

void CWnd::FinishNcDestroy()
{
    HWND h = m_hWnd;
    if (m_pfnSuper && WNDPROC(::GetWindowLongPtrA(h, GWLP_WNDPROC)) == FrameworkWindowProc)
        ::SetWindowLongPtrA(h, GWLP_WNDPROC, LONG_PTR(m_pfnSuper));
    m_pfnSuper = NULL;
    Detach();
    PostNcDestroy();
}

// --- handle map ------------------------------------------------------------------------------------

CWnd::~CWnd()
{
    if (!m_hWnd || MapFind(m_hWnd) != this)
        return;
    if (::IsWindow(m_hWnd) && ::GetWindowThreadProcessId(m_hWnd, NULL) == ::GetCurrentThreadId())
        ::DestroyWindow(m_hWnd);   // unbinds at WM_NCDESTROY
    if (m_hWnd) {
        if (m_pfnSuper)
            UnsubclassWindow();
        else
            Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return hWnd ? MapFind(hWnd) : nullptr; }

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* p = MapFind(hWnd))
        return p;
    return TempWindows().Get(hWnd, [](HWND h) {
        CWnd* w = new CWnd;
        w->m_hWnd = h;
        return w;
    });
}

void CWnd::PurgeTemporaryWindows()
{
    TempWindows().PurgeDead([](HWND h) { return ::IsWindow(h) != FALSE; });
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd)
        return FALSE;
    if (!MapAdd(hWnd, this))
        return FALSE;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h)
        MapRemove(h, this);
    m_hWnd = NULL;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    WNDPROC old = WNDPROC(::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, LONG_PTR(FrameworkWindowProc)));
    if (!old) {
        Detach();
        return FALSE;
    }
    if (old != FrameworkWindowProc)
        m_pfnSuper = old;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (!pParent)
        return FALSE;
    HWND h = ::GetDlgItem(pParent->m_hWnd, int(nID));
    return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd && m_pfnSuper)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, LONG_PTR(m_pfnSuper));
    m_pfnSuper = NULL;
    return Detach();
}

// --- creation --------------------------------------------------------------------------------------

const char* CWnd::DefaultClassName()
{
    static const char name[] = "FrameworkWindow";
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = ::GetModuleHandleA(NULL);
        wc.hCursor = ::LoadCursorA(NULL, IDC_ARROW);
        wc.hbrBackground = HBRUSH(COLOR_WINDOW + 1);
        wc.lpszClassName = name;
        ::RegisterClassA(&wc);
    });
    return name;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* pszClassName, const char* pszWindowName,
                    DWORD dwStyle, int x, int y, int nWidth, int nHeight, HWND hWndParent,
                    HMENU nIDorHMenu, void* lpParam)
{
    if (m_hWnd)
        return FALSE;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = dwExStyle;
    cs.lpszClass = pszClassName ? pszClassName : DefaultClassName();
    cs.lpszName = pszWindowName;
    cs.style = LONG(dwStyle);
    cs.x = x;
    cs.y = y;
    cs.cx = nWidth;
    cs.cy = nHeight;
    cs.hwndParent = hWndParent;
    cs.hMenu = nIDorHMenu;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = lpParam;
    if (!PreCreateWindow(cs))
        return FALSE;
    HookWindowCreate(this);
    HWND h = ::CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, DWORD(cs.style), cs.x, cs.y,
                               cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    UnhookWindowCreate();
    if (!h)
        return FALSE;
    if (m_hWnd != h && !m_hWnd)
        SubclassWindow(h);   // the hook missed it (no hook available): bind late
    return m_hWnd == h;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, const char* pszClassName, const char* pszWindowName,
                    DWORD dwStyle, const RECT& rect, CWnd* pParent, UINT nID, void* lpParam)
{
    return CreateEx(dwExStyle, pszClassName, pszWindowName, dwStyle, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, pParent ? pParent->m_hWnd : NULL,
                    HMENU(UINT_PTR(nID)), lpParam);
}

BOOL CWnd::Create(const char* pszClassName, const char* pszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParent, UINT nID)
{
    return CreateEx(0, pszClassName, pszWindowName, dwStyle | WS_CHILD, rect, pParent, nID);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    return ::DestroyWindow(m_hWnd);
}

// --- overridables ----------------------------------------------------------------------------------

BOOL CWnd::PreCreateWindow(CREATESTRUCTA&) { return TRUE; }
void CWnd::PreSubclassWindow() {}
BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PostNcDestroy() {}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG& m = t_currentMessage;
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

const MSG* CWnd::GetCurrentMessage() { return &t_currentMessage; }

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
        *pResult = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT r = 0;
        if (!OnNotify(wParam, lParam, &r))
            return FALSE;
        *pResult = r;
        return TRUE;
    }
    UINT key = IsCtlColorMessage(message) ? FW_WM_CTLCOLOR : message;
    return DispatchToMap(key, 0, 0, message, wParam, lParam, pResult);
}

BOOL CWnd::DispatchToMap(UINT key, UINT code, UINT id, UINT message, WPARAM wParam, LPARAM lParam,
                         LRESULT* pResult)
{
    for (const MessageMap* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const MessageMapEntry* e = map->pEntries; e->thunk; ++e) {
            UINT entryKey = e->pRegistered ? *e->pRegistered : e->message;
            if (entryKey != key || (e->pRegistered && entryKey == 0))
                continue;
            if (e->code != code || id < e->firstId || id > e->lastId)
                continue;
            LRESULT r = 0;
            if (e->thunk(this, message, wParam, lParam, &r)) {
                *pResult = r;
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    HWND hWndCtrl = HWND(lParam);
    if (hWndCtrl && ReflectTo(hWndCtrl, m_hWnd, WM_COMMAND, wParam, lParam, NULL))
        return TRUE;
    LRESULT r = 0;
    return DispatchToMap(WM_COMMAND, HIWORD(wParam), LOWORD(wParam), WM_COMMAND, wParam, lParam, &r);
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr)
        return FALSE;
    if (ReflectTo(hdr->hwndFrom, m_hWnd, WM_NOTIFY, wParam, lParam, pResult))
        return TRUE;
    return DispatchToMap(WM_NOTIFY, hdr->code, UINT(hdr->idFrom), WM_NOTIFY, wParam, lParam, pResult);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT r = 0;
    BOOL handled;
    if (message == WM_COMMAND) {
        handled = DispatchToMap(FW_REFLECTED(WM_COMMAND), HIWORD(wParam), 0, message, wParam, lParam, &r);
    } else if (message == WM_NOTIFY) {
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
        handled = hdr && DispatchToMap(FW_REFLECTED(WM_NOTIFY), hdr->code, 0, message, wParam, lParam, &r);
    } else {
        UINT key = FW_REFLECTED(IsCtlColorMessage(message) ? FW_WM_CTLCOLOR : message);
        handled = DispatchToMap(key, 0, 0, message, wParam, lParam, &r);
    }
    if (handled && pResult)
        *pResult = r;
    return handled;
}

BOOL CWnd::ReflectLastMsg(HWND hWndChild, LRESULT* pResult)
{
    const MSG& m = t_currentMessage;
    return ReflectTo(hWndChild, m.hwnd, m.message, m.wParam, m.lParam, pResult);
}

// --- the handlers CWnd's own table routes (reflection first) ------------------------------------

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* pWnd, UINT)
{
    LRESULT r = 0;
    if (pWnd && ReflectLastMsg(pWnd->m_hWnd, &r))
        return HBRUSH(r);
    return HBRUSH(Default());
}

void CWnd::OnDrawItem(int, LPDRAWITEMSTRUCT dis)
{
    if (dis && dis->CtlType != ODT_MENU && ReflectLastMsg(dis->hwndItem))
        return;
    Default();
}

void CWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT mis)
{
    if (mis && mis->CtlType != ODT_MENU && ReflectLastMsg(::GetDlgItem(m_hWnd, nIDCtl)))
        return;
    Default();
}

void CWnd::OnHScroll(UINT, UINT, CWnd* pScrollBar)
{
    if (pScrollBar && ReflectLastMsg(pScrollBar->m_hWnd))
        return;
    Default();
}

void CWnd::OnVScroll(UINT, UINT, CWnd* pScrollBar)
{
    if (pScrollBar && ReflectLastMsg(pScrollBar->m_hWnd))
        return;
    Default();
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

const MessageMap* CWnd::GetThisMessageMap()
{
    typedef CWnd ThisClass;
    static const MessageMapEntry entries[] = {
        ON_WM_CTLCOLOR()
        ON_WM_DRAWITEM()
        ON_WM_MEASUREITEM()
        ON_WM_HSCROLL()
        ON_WM_VSCROLL()
        {0, nullptr, 0, 0, 0, nullptr}
    };
    static const MessageMap map = {nullptr, entries};
    return &map;
}

// --- pre-translation and owners ---------------------------------------------------------------------

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    DWORD thread = ::GetCurrentThreadId();
    for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
        if (::GetWindowThreadProcessId(h, NULL) != thread)
            break;
        CWnd* p = MapFind(h);
        if (p && p->PreTranslateMessage(pMsg))
            return TRUE;
        if (h == hWndStop)
            break;
    }
    return FALSE;
}

HWND CWnd::GetSafeOwner(CWnd* pParent, HWND* pWndTop)
{
    HWND hParent = pParent ? pParent->m_hWnd : NULL;
    HWND h = hParent;
    if (!h) {
        CWnd* main = AfxGetMainWnd();
        h = main ? main->m_hWnd : NULL;
    }
    // A popup cannot be owned by a child window: climb to the first window that is not one.
    while (h && (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD))
        h = ::GetParent(h);
    HWND top = h;
    for (HWND t = h; t; t = ::GetParent(t))
        top = t;
    if (!hParent && h)
        h = ::GetLastActivePopup(h);
    if (pWndTop) {
        *pWndTop = NULL;
        if (top && top != h && ::IsWindowEnabled(top)) {
            ::EnableWindow(top, FALSE);
            *pWndTop = top;
        }
    }
    return h;
}

void CWnd::CalcWindowRect(RECT* pClientRect, UINT nAdjustType)
{
    DWORD ex = GetExStyle();
    if (nAdjustType == 0)
        ex &= ~DWORD(WS_EX_CLIENTEDGE);
    ::AdjustWindowRectEx(pClientRect, GetStyle(), FALSE, ex);
}

// --- helpers ------------------------------------------------------------------------------------------

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyStyleBits(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    return ModifyStyleBits(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}

void CWnd::ClientToScreen(RECT* rc) const { ::MapWindowPoints(m_hWnd, NULL, reinterpret_cast<POINT*>(rc), 2); }
void CWnd::ScreenToClient(RECT* rc) const { ::MapWindowPoints(NULL, m_hWnd, reinterpret_cast<POINT*>(rc), 2); }

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    CRect area;
    HWND over = pAlternateOwner ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (GetStyle() & WS_CHILD)
        over = ::GetParent(m_hWnd);
    if (over) {
        ::GetWindowRect(over, &area);
        if (GetStyle() & WS_CHILD)
            ::MapWindowPoints(NULL, over, reinterpret_cast<POINT*>(&area), 2);
    } else {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    CRect rc;
    GetWindowRect(&rc);
    if (GetStyle() & WS_CHILD)
        ::MapWindowPoints(NULL, ::GetParent(m_hWnd), reinterpret_cast<POINT*>(&rc), 2);
    int x = area.left + (area.Width() - rc.Width()) / 2;
    int y = area.top + (area.Height() - rc.Height()) / 2;
    SetWindowPos(HWND(NULL), x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::GetWindowText(CString& str) const
{
    int n = GetWindowTextLength();
    char* buf = str.GetBuffer(n);
    if (!buf)
        return;
    ::GetWindowTextA(m_hWnd, buf, n + 1);
    str.ReleaseBuffer();
}

int CWnd::GetDlgItemText(int nID, CString& str) const
{
    HWND h = ::GetDlgItem(m_hWnd, nID);
    str.Empty();
    if (!h)
        return 0;
    int n = ::GetWindowTextLengthA(h);
    char* buf = str.GetBuffer(n);
    if (!buf)
        return 0;
    ::GetWindowTextA(h, buf, n + 1);
    str.ReleaseBuffer();
    return str.GetLength();
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    SendMessage(WM_SETFONT, WPARAM(pFont ? pFont->m_hObject : NULL), bRedraw);
}

CFont* CWnd::GetFont() const { return CFont::FromHandle(HFONT(SendMessage(WM_GETFONT))); }

CWnd* CWnd::GetTopLevelParent() const
{
    HWND h = m_hWnd;
    while (h && (::GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) {
        HWND parent = ::GetParent(h);
        if (!parent)
            break;
        h = parent;
    }
    return FromHandle(h);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert)); }
CMenu* CWnd::GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }
