// The window layer: message-map chaining and defaults, subclassing, reflection, the
// pre-translate walk and the handle map across threads.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Framework/CButton.h"
#include "Framework/CWnd.h"
#include "Framework/WindowTestSupport.h"

namespace {

const UINT WM_WT_BASE_ONLY = WM_APP + 1;
const UINT WM_WT_OVERRIDDEN = WM_APP + 2;
const UINT WM_WT_UNMAPPED = WM_APP + 3;
const UINT WM_WT_DEFAULT = WM_APP + 4;

// The original procedure of the "recorder" class: answers WM_WT_UNMAPPED and WM_WT_DEFAULT
// with 77, everything else as DefWindowProc.
LRESULT CALLBACK RecorderProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_WT_UNMAPPED || m == WM_WT_DEFAULT)
        return 77;
    return DefWindowProcA(h, m, w, l);
}

HWND CreateRecorder(HWND parent = NULL, DWORD style = WS_POPUP)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = RecorderProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "WtRecorder";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "WtRecorder", "", style, 0, 0, 100, 100, parent, NULL,
                           GetModuleHandleA(NULL), NULL);
}

class BaseWnd : public CWnd
{
public:
    std::vector<std::string> calls;
    int subclassedWithStyle = -1;

protected:
    LRESULT OnBaseOnly(WPARAM, LPARAM) { calls.push_back("base-only"); return 1; }
    LRESULT OnOverriddenInBase(WPARAM, LPARAM) { calls.push_back("base-overridden"); return 2; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseWnd, CWnd)
    ON_MESSAGE(WM_WT_BASE_ONLY, &BaseWnd::OnBaseOnly)
    ON_MESSAGE(WM_WT_OVERRIDDEN, &BaseWnd::OnOverriddenInBase)
END_MESSAGE_MAP()

class DerivedWnd : public BaseWnd
{
public:
    void PreSubclassWindow() override
    {
        // Runs before the framework's procedure is installed: the style change is visible.
        ModifyStyle(0, WS_CLIPCHILDREN);
        subclassedWithStyle = int((GetStyle() & WS_CLIPCHILDREN) != 0);
    }

protected:
    LRESULT OnOverridden(WPARAM, LPARAM) { calls.push_back("derived"); return 3; }
    LRESULT OnDefaultPlusOne(WPARAM, LPARAM) { return Default() + 1; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedWnd, BaseWnd)
    ON_MESSAGE(WM_WT_OVERRIDDEN, &DerivedWnd::OnOverridden)
    ON_MESSAGE(WM_WT_DEFAULT, &DerivedWnd::OnDefaultPlusOne)
END_MESSAGE_MAP()

TEST(WindowMessageMap, DerivedEntriesWinBaseEntriesChainAndTheRestGoesToThePreviousProcedure)
{
    HWND h = CreateRecorder();
    ASSERT_TRUE(h);
    DerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(h));
    EXPECT_EQ(wnd.subclassedWithStyle, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), &wnd);

    EXPECT_EQ(SendMessageA(h, WM_WT_OVERRIDDEN, 0, 0), 3);   // derived table first
    EXPECT_EQ(SendMessageA(h, WM_WT_BASE_ONLY, 0, 0), 1);    // base table next
    EXPECT_EQ(SendMessageA(h, WM_WT_UNMAPPED, 0, 0), 77);    // then the old procedure
    EXPECT_EQ(SendMessageA(h, WM_WT_DEFAULT, 0, 0), 78);     // Default() runs the old procedure
    EXPECT_EQ(wnd.calls, (std::vector<std::string>{"derived", "base-only"}));

    // Unsubclassing restores the old procedure and unbinds.
    EXPECT_EQ(wnd.UnsubclassWindow(), h);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    EXPECT_EQ(SendMessageA(h, WM_WT_OVERRIDDEN, 0, 0), 0);
    DestroyWindow(h);
}

class CreatedWnd : public CWnd
{
public:
    std::vector<UINT> seen;
    bool postNcDestroyRan = false;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override
    {
        cs.style |= WS_CLIPSIBLINGS;
        return TRUE;
    }
    LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override
    {
        if (m == WM_NCCREATE || m == WM_CREATE || m == WM_DESTROY || m == WM_NCDESTROY)
            seen.push_back(m);
        return CWnd::WindowProc(m, w, l);
    }
    void PostNcDestroy() override { postNcDestroyRan = true; }
};

TEST(WindowCreation, ObjectSeesEveryMessageFromNcCreateAndIsUnboundAtNcDestroy)
{
    CreatedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, NULL, "created", WS_POPUP, 0, 0, 50, 50, NULL, NULL));
    HWND h = wnd.m_hWnd;
    EXPECT_TRUE(wnd.GetStyle() & WS_CLIPSIBLINGS);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), &wnd);
    ASSERT_GE(wnd.seen.size(), 2u);
    EXPECT_EQ(wnd.seen[0], UINT(WM_NCCREATE));
    EXPECT_EQ(wnd.seen[1], UINT(WM_CREATE));

    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.m_hWnd, HWND(NULL));
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    EXPECT_TRUE(wnd.postNcDestroyRan);
    EXPECT_EQ(wnd.seen.back(), UINT(WM_NCDESTROY));
}

TEST(WindowCreation, DestructorDestroysTheWindowItOwns)
{
    HWND h;
    {
        CWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, NULL, "owned", WS_POPUP, 0, 0, 50, 50, NULL, NULL));
        h = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

TEST(WindowCreation, TemporaryWrapperOfAnUnboundWindowIsReusedAndNotPermanent)
{
    HWND h = CreateRecorder();
    CWnd* a = CWnd::FromHandle(h);
    CWnd* b = CWnd::FromHandle(h);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->m_hWnd, h);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
    DestroyWindow(h);
    EXPECT_EQ(CWnd::FromHandle(NULL), nullptr);
}

// --- reflection ---------------------------------------------------------------------------------

class ReflectingButton : public CButton
{
public:
    int clicks = 0;
    int draws = 0;
    int notifies = 0;
    BOOL passClickOn = FALSE;   // the _EX handler's answer
    void DrawItem(LPDRAWITEMSTRUCT) override { ++draws; }

protected:
    BOOL OnClickedReflect()
    {
        ++clicks;
        return passClickOn ? FALSE : TRUE;
    }
    void OnCustomNotify(NMHDR*, LRESULT* pResult)
    {
        ++notifies;
        *pResult = 42;
    }
    DECLARE_MESSAGE_MAP()
};

const UINT WT_NOTIFY_CODE = 0x1234;

BEGIN_MESSAGE_MAP(ReflectingButton, CButton)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, &ReflectingButton::OnClickedReflect)
    ON_NOTIFY_REFLECT(WT_NOTIFY_CODE, &ReflectingButton::OnCustomNotify)
END_MESSAGE_MAP()

class ParentWnd : public CWnd
{
public:
    int parentClicks = 0;
    int parentNotifies = 0;

protected:
    void OnGo() { ++parentClicks; }
    void OnNotifyOther(NMHDR*, LRESULT* pResult)
    {
        ++parentNotifies;
        *pResult = 5;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ParentWnd, CWnd)
    ON_BN_CLICKED(1001, &ParentWnd::OnGo)
    ON_NOTIFY(WT_NOTIFY_CODE + 1, 1001, &ParentWnd::OnNotifyOther)
END_MESSAGE_MAP()

TEST(WindowReflection, ControlNotificationsReachTheControlFirst)
{
    ParentWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, NULL, "parent", WS_POPUP, 0, 0, 200, 100, NULL, NULL));
    ReflectingButton button;
    ASSERT_TRUE(button.Create("b", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 50, 20), &parent, 1001));

    // The reflected handler took the click: the parent's ON_BN_CLICKED does not run.
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.clicks, 1);
    EXPECT_EQ(parent.parentClicks, 0);
    // An _EX handler answering FALSE lets the parent handle it as well.
    button.passClickOn = TRUE;
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.clicks, 2);
    EXPECT_EQ(parent.parentClicks, 1);

    // WM_NOTIFY: the control's reflected entry answers; other codes still reach the parent.
    NMHDR hdr = {button.m_hWnd, 1001, WT_NOTIFY_CODE};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 1001, LPARAM(&hdr)), 42);
    EXPECT_EQ(button.notifies, 1);
    hdr.code = WT_NOTIFY_CODE + 1;
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 1001, LPARAM(&hdr)), 5);
    EXPECT_EQ(parent.parentNotifies, 1);

    // The parent's WM_DRAWITEM reaches the owner-drawn control's DrawItem.
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = 1001;
    dis.hwndItem = button.m_hWnd;
    EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, 1001, LPARAM(&dis)), TRUE);
    EXPECT_EQ(button.draws, 1);
}

// --- pre-translation -----------------------------------------------------------------------------

std::vector<std::string> g_preTranslated;

class TracingWnd : public CWnd
{
public:
    explicit TracingWnd(const char* name, bool eat = false) : m_name(name), m_eat(eat) {}
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            g_preTranslated.push_back(m_name);
        return m_eat && pMsg->message == WM_KEYDOWN;
    }

private:
    std::string m_name;
    bool m_eat;
};

TEST(WindowPreTranslate, WalkGoesFromTheTargetUpThroughParentsAndOwnersAndStopsAtTheFirstTaker)
{
    TracingWnd owner("owner");
    ASSERT_TRUE(owner.CreateEx(0, NULL, "owner", WS_POPUP, 0, 0, 200, 200, NULL, NULL));
    TracingWnd popup("popup");
    ASSERT_TRUE(popup.CreateEx(0, NULL, "popup", WS_POPUP, 0, 0, 150, 150, owner.m_hWnd, NULL));
    TracingWnd child("child");
    ASSERT_TRUE(child.CreateEx(0, NULL, "", WS_CHILD, 0, 0, 50, 50, popup.m_hWnd, HMENU(7)));
    // A window with no object in between is skipped, not a stop.
    HWND bare = CreateRecorder(child.m_hWnd, WS_CHILD);

    g_preTranslated.clear();
    PostMessageA(bare, WM_KEYDOWN, 'A', 0);
    PumpMessages();
    EXPECT_EQ(g_preTranslated, (std::vector<std::string>{"child", "popup", "owner"}));

    // The stop window ends the walk.
    g_preTranslated.clear();
    MSG msg = {};
    msg.hwnd = bare;
    msg.message = WM_KEYDOWN;
    msg.wParam = 'A';
    EXPECT_FALSE(CWnd::WalkPreTranslateTree(popup.m_hWnd, &msg));
    EXPECT_EQ(g_preTranslated, (std::vector<std::string>{"child", "popup"}));

    // A window that eats the message ends the walk.
    TracingWnd eater("eater", true);
    ASSERT_TRUE(eater.CreateEx(0, NULL, "", WS_CHILD, 0, 0, 20, 20, child.m_hWnd, HMENU(8)));
    g_preTranslated.clear();
    msg.hwnd = eater.m_hWnd;
    EXPECT_TRUE(CWnd::WalkPreTranslateTree(NULL, &msg));
    EXPECT_EQ(g_preTranslated, (std::vector<std::string>{"eater"}));
}

// --- the handle map across threads -----------------------------------------------------------------

struct WorkerResult
{
    HWND lookUp = NULL;
    CWnd* found = nullptr;
    HWND created = NULL;
    CWnd* createdObject = nullptr;
    HANDLE createdEvent = NULL;
    HANDLE releaseEvent = NULL;
};

DWORD WINAPI HandleMapWorker(void* p)
{
    WorkerResult* r = static_cast<WorkerResult*>(p);
    r->found = CWnd::FromHandlePermanent(r->lookUp);
    {
        CWnd own;
        if (own.CreateEx(0, NULL, "worker", WS_POPUP, 0, 0, 10, 10, NULL, NULL)) {
            r->created = own.m_hWnd;
            r->createdObject = &own;
        }
        SetEvent(r->createdEvent);
        WaitForSingleObject(r->releaseEvent, 10000);
    }   // destroyed on its own thread here
    return 0;
}

TEST(WindowHandleMap, PermanentObjectsAreFoundFromAnyThread)
{
    CWnd mainWnd;
    ASSERT_TRUE(mainWnd.CreateEx(0, NULL, "main", WS_POPUP, 0, 0, 10, 10, NULL, NULL));
    WorkerResult r;
    r.lookUp = mainWnd.m_hWnd;
    r.createdEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    r.releaseEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    HANDLE t = CreateThread(NULL, 0, HandleMapWorker, &r, 0, NULL);
    ASSERT_TRUE(t);
    ASSERT_EQ(WaitForSingleObject(r.createdEvent, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(r.found, &mainWnd);                                   // worker saw ours
    ASSERT_TRUE(r.created);
    EXPECT_EQ(CWnd::FromHandlePermanent(r.created), r.createdObject);   // we see the worker's
    HWND workerWindow = r.created;
    SetEvent(r.releaseEvent);
    EXPECT_EQ(WaitForSingleObject(t, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(CWnd::FromHandlePermanent(workerWindow), nullptr);
    CloseHandle(t);
    CloseHandle(r.createdEvent);
    CloseHandle(r.releaseEvent);
}

}  // namespace
