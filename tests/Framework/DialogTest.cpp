// CDialog: modal results, the owner of a modal dialog, the modal loop's pre-translation,
// DDX_Control binding and modeless dialogs.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

#include "Framework/CButton.h"
#include "Framework/CDialog.h"
#include "Framework/CWinApp.h"
#include "Framework/WindowTestSupport.h"
#include "Framework/WindowTestIds.h"

namespace {

// A dialog whose OnInitDialog runs a test-supplied step.
class ScriptedDlg : public CDialog
{
public:
    explicit ScriptedDlg(CWnd* pParent = NULL, UINT id = IDD_WT_PLAIN) : CDialog(id, pParent) {}
    std::function<void(ScriptedDlg&)> onInit;
    CButton go;
    int preTranslatedKeys = 0;
    int cancels = 0;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN)
            ++preTranslatedKeys;
        return CDialog::PreTranslateMessage(pMsg);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_WT_GO, go); }
    void OnCancel() override
    {
        ++cancels;
        CDialog::OnCancel();
    }
};

TEST(DialogModal, EndsWithTheCommandsResult)
{
    struct Case
    {
        const char* name;
        std::function<void(ScriptedDlg&)> step;
        INT_PTR expected;
        int cancels;
    };
    const Case cases[] = {
        {"IDOK command", [](ScriptedDlg& d) { d.PostMessage(WM_COMMAND, IDOK); }, IDOK, 0},
        {"IDCANCEL command", [](ScriptedDlg& d) { d.PostMessage(WM_COMMAND, IDCANCEL); }, IDCANCEL, 1},
        {"WM_CLOSE", [](ScriptedDlg& d) { d.PostMessage(WM_CLOSE); }, IDCANCEL, 1},
        {"EndDialog in OnInitDialog", [](ScriptedDlg& d) { d.EndDialog(33); }, 33, 0},
        // Escape posted to a control goes through the loop's pre-translation: the dialog
        // manager turns it into IDCANCEL.
        {"Escape key", [](ScriptedDlg& d) {
             d.go.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0x00010001);
         }, IDCANCEL, 1},
    };
    for (const Case& c : cases) {
        ScriptedDlg dlg;
        dlg.onInit = c.step;
        EXPECT_EQ(dlg.DoModal(), c.expected) << c.name;
        EXPECT_EQ(dlg.cancels, c.cancels) << c.name;
        EXPECT_EQ(dlg.m_hWnd, HWND(NULL)) << c.name;
    }
}

TEST(DialogModal, ModalLoopPreTranslatesKeyboardMessagesOfTheControls)
{
    ScriptedDlg dlg;
    dlg.onInit = [](ScriptedDlg& d) {
        d.go.PostMessage(WM_KEYDOWN, 'A', 0x001E0001);
        d.PostMessage(WM_COMMAND, IDOK);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.preTranslatedKeys, 1);
}

TEST(DialogModal, OwnerIsTheMainWindowsLastActivePopupWhenThereIsNoParent)
{
    CWinApp app("WindowTests");
    CWnd mainWnd;
    ASSERT_TRUE(mainWnd.CreateEx(0, NULL, "main", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, NULL, NULL));
    app.m_pMainWnd = &mainWnd;

    HWND owner = NULL;
    BOOL mainEnabledDuring = TRUE;
    {
        ScriptedDlg dlg;
        dlg.onInit = [&](ScriptedDlg& d) {
            owner = ::GetWindow(d.m_hWnd, GW_OWNER);
            mainEnabledDuring = mainWnd.IsWindowEnabled();
            d.EndDialog(IDOK);
        };
        EXPECT_EQ(dlg.DoModal(), IDOK);
    }
    EXPECT_EQ(owner, mainWnd.m_hWnd);
    EXPECT_FALSE(mainEnabledDuring);
    EXPECT_TRUE(mainWnd.IsWindowEnabled());

    // With a popup of the main window active, the popup becomes the owner.
    CWnd popup;
    ASSERT_TRUE(popup.CreateEx(0, NULL, "popup", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100,
                               mainWnd.m_hWnd, NULL));
    popup.SetActiveWindow();
    PumpMessages();
    ASSERT_EQ(::GetLastActivePopup(mainWnd.m_hWnd), popup.m_hWnd);
    {
        ScriptedDlg dlg;
        dlg.onInit = [&](ScriptedDlg& d) {
            owner = ::GetWindow(d.m_hWnd, GW_OWNER);
            d.EndDialog(IDOK);
        };
        dlg.DoModal();
    }
    EXPECT_EQ(owner, popup.m_hWnd);
    app.m_pMainWnd = NULL;
}

TEST(DialogModal, ChildParentGivesItsTopLevelWindowAsOwnerAndDisablesIt)
{
    CWnd top;
    ASSERT_TRUE(top.CreateEx(0, NULL, "top", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, NULL, NULL));
    CWnd child;
    ASSERT_TRUE(child.CreateEx(0, NULL, "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, top.m_hWnd, HMENU(5)));
    HWND owner = NULL;
    BOOL topEnabledDuring = TRUE;
    ScriptedDlg dlg(&child);
    dlg.onInit = [&](ScriptedDlg& d) {
        owner = ::GetWindow(d.m_hWnd, GW_OWNER);
        topEnabledDuring = top.IsWindowEnabled();
        d.EndDialog(IDOK);
    };
    dlg.DoModal();
    EXPECT_EQ(owner, top.m_hWnd);
    EXPECT_FALSE(topEnabledDuring);
    EXPECT_TRUE(top.IsWindowEnabled());
}

class StyleTouchingButton : public CButton
{
public:
    int preSubclassCalls = 0;
    void PreSubclassWindow() override
    {
        ++preSubclassCalls;
        ModifyStyle(0, BS_OWNERDRAW, SWP_FRAMECHANGED);
    }
};

class BindingDlg : public CDialog
{
public:
    BindingDlg() : CDialog(IDD_WT_PLAIN) {}
    StyleTouchingButton go;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_WT_GO, go); }
};

TEST(DialogModeless, DdxControlBindsOnceThroughPreSubclassWindow)
{
    BindingDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_WT_PLAIN));
    HWND item = ::GetDlgItem(dlg.m_hWnd, IDC_WT_GO);
    EXPECT_EQ(CWnd::FromHandlePermanent(item), &dlg.go);
    EXPECT_EQ(dlg.go.GetStyle() & 0x0F, DWORD(BS_OWNERDRAW));
    EXPECT_TRUE(dlg.UpdateData(FALSE));   // a bound member is left alone
    EXPECT_EQ(dlg.go.preSubclassCalls, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(item), &dlg.go);
    CDataExchange dx(&dlg, FALSE);
    CButton missing;
    EXPECT_FALSE(DDX_Control(&dx, 4242, missing));

    HWND h = dlg.m_hWnd;
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(dlg.go.m_hWnd, HWND(NULL));   // the control was unbound with its window
}

TEST(DialogModeless, ChildDialogOfAWindowIsDestroyedWithItsObject)
{
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, NULL, "host", WS_POPUP, 0, 0, 300, 200, NULL, NULL));
    HWND h;
    {
        CDialog page;
        ASSERT_TRUE(page.Create(IDD_WT_CHILD, &host));
        h = page.m_hWnd;
        EXPECT_EQ(::GetParent(h), host.m_hWnd);
        EXPECT_TRUE(page.GetStyle() & WS_CHILD);
    }
    EXPECT_FALSE(IsWindow(h));
}

}  // namespace
