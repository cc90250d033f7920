// A real StyleDialog from a test template on the display: clicks, hover, the key filter, the
// own drag, the system menu, the background modes, the frame reset, and the look of the whole
// dialog (saved as skin-dialog.bmp in the test folder; scripts/screenshots takes it from the
// display as skin-dialog.png).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <vector>

#include "Client/Skin/SkinTestIds.h"
#include "Client/Skin/SkinTestSupport.h"
#include "Framework/CMenu.h"
#include "Framework/WindowTestSupport.h"
#include "Skin/StyleDialog.h"
#include "Skin/StyleProgress.h"
#include "Support/ScreenshotPause.h"

namespace {

const UINT WM_TEST_VALUE = WM_APP + 5;

Style GlowFace(CWnd& button, DWORD fill, DWORD border, const char* text)
{
    CRect rc;
    button.GetClientRect(&rc);
    Style face = BuildGlowButtonStyle(0, 0, rc.Width(), rc.Height(), fill, border, 2, 5);
    StyleLayer caption(0, 0, rc.Width(), rc.Height());
    caption.AddTextElement(text, 1, 0, 0, 0xFFFFFFFF, 16, 1, "Arial");
    face.AddLayer(caption);
    return face;
}

class TestSkinDlg : public StyleDialog
{
public:
    explicit TestSkinDlg(UINT id = IDD_SKIN_TEST) : StyleDialog(id)
    {
        if (id == IDD_SKIN_TEST)
            m_layoutFlags = 1;
        SetCaptionText("Velmora");
    }

    StyleButton scan, stop;
    StyleProgress progress;
    int scanClicks = 0, stopClicks = 0, cancels = 0, oks = 0, keyMenus = 0;
    std::vector<WPARAM> values;

    bool FrameNeedsReset() const { return m_frameNeedsReset; }
    bool Dragging() const { return m_dragging; }
    CRect ContentRect() const { return m_contentRect; }

    BOOL OnInitDialog() override
    {
        StyleDialog::OnInitDialog();
        if (m_nIDTemplate != IDD_SKIN_TEST)
            return TRUE;
        Style frame;
        StyleLayer page(m_frameRect.left, m_frameRect.top, m_frameRect.Width(), m_frameRect.Height());
        page.AddFillElement(0xFFFFFFFF);
        page.SetAttributes(1, 0xFF1167BD);
        frame.AddLayer(page);
        StyleLayer strip(m_dragRect.left, m_dragRect.top, m_dragRect.Width(), m_dragRect.Height());
        strip.AddThreeColourElement(0, 0xFF59C8EE, 0xFF52B9FA, 0xFF1A66A2, 0.5f);
        strip.AddTextElement("Velmora", 0, 40, 8, 0xFFFFFFFF, 18, 1, "Segoe UI");
        frame.AddLayer(strip);
        StyleLayer logo(6, 4, m_dragRect.Height() - 8, m_dragRect.Height() - 8);
        logo.AddImageElement(0, 0, 208, "PNG", 0, 0);
        frame.AddLayer(logo);
        SetFrameStyle(frame);
        scan.SetFaceStyle(GlowFace(scan, 0xFF2BC312, 0xFF1E8A0C, "Scan"));
        stop.SetFaceStyle(GlowFace(stop, 0xFFC8C8C8, 0xFF8C8C8C, "Stop"));
        scan.SetTooltipText("Start a scan", TRUE);
        progress.SetPos(50);
        return TRUE;
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        // The system menu's modal loop would block the test: count the request instead.
        if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU) {
            ++keyMenus;
            return 0;
        }
        return StyleDialog::WindowProc(message, wParam, lParam);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        StyleDialog::DoDataExchange(pDX);
        if (m_nIDTemplate != IDD_SKIN_TEST)
            return;
        DDX_Control(pDX, IDC_SKIN_SCAN, scan);
        DDX_Control(pDX, IDC_SKIN_STOP, stop);
        DDX_Control(pDX, IDC_SKIN_PROGRESS, progress);
    }
    void OnCancel() override
    {
        ++cancels;
        StyleDialog::OnCancel();
    }
    void OnOK() override { ++oks; }
    void OnScan() { ++scanClicks; }
    void OnStop() { ++stopClicks; }
    LRESULT OnValue(WPARAM wParam, LPARAM)
    {
        values.push_back(wParam);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestSkinDlg, StyleDialog)
    ON_BN_CLICKED(IDC_SKIN_SCAN, &TestSkinDlg::OnScan)
    ON_BN_CLICKED(IDC_SKIN_STOP, &TestSkinDlg::OnStop)
    ON_MESSAGE(WM_TEST_VALUE, &TestSkinDlg::OnValue)
END_MESSAGE_MAP()

struct Shown
{
    explicit Shown(TestSkinDlg& d, int x = 100, int y = 100) : dlg(d)
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        ok = dlg.Create(dlg.m_nIDTemplate) != FALSE;
        if (!ok)
            return;
        dlg.SetWindowPos(HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        dlg.SetActiveWindow();
        PumpMessages(50);
    }
    ~Shown()
    {
        if (dlg.m_hWnd)
            dlg.DestroyWindow();
        PumpMessages();
    }
    TestSkinDlg& dlg;
    bool ok = false;
};

CRect ChildRectInWindow(CWnd& dlg, CWnd& child)
{
    CRect w, c;
    dlg.GetWindowRect(&w);
    child.GetWindowRect(&c);
    c.OffsetRect(-w.left, -w.top);
    return c;
}

int Brightness(DWORD p) { return Red(p) + Green(p) + Blue(p); }

TEST(StyleDialogInput, ClicksAndTheKeyFilter)
{
    TestSkinDlg dlg;
    Shown shown(dlg);
    ASSERT_TRUE(shown.ok);

    dlg.scan.SendMessage(BM_CLICK);
    dlg.stop.SendMessage(BM_CLICK);
    EXPECT_EQ(dlg.scanClicks, 1);
    EXPECT_EQ(dlg.stopClicks, 1);

    // Escape does nothing.
    dlg.scan.SetFocus();
    dlg.scan.PostMessage(WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    dlg.scan.PostMessage(WM_KEYUP, VK_ESCAPE, 0xC0010001);
    PumpMessages(20);
    EXPECT_EQ(dlg.cancels, 0);
    EXPECT_TRUE(dlg.IsWindowVisible());

    // Enter acts as Space on the focused button: one click, no IDOK.
    dlg.scan.PostMessage(WM_KEYDOWN, VK_RETURN, 0x001C0001);
    dlg.scan.PostMessage(WM_CHAR, '\r', 0x001C0001);
    dlg.scan.PostMessage(WM_KEYUP, VK_RETURN, 0xC01C0001);
    PumpMessages(20);
    EXPECT_EQ(dlg.scanClicks, 2);
    EXPECT_EQ(dlg.oks, 0);

    // Other messages keep their wParam, even when it is 27 or 13.
    dlg.PostMessage(WM_TEST_VALUE, 27, 0);
    dlg.PostMessage(WM_TEST_VALUE, 13, 0);
    PumpMessages(20);
    EXPECT_EQ(dlg.values, (std::vector<WPARAM>{27, 13}));
}

TEST(StyleDialogInput, HoverAndLeaveChangeTheButtonFace)
{
    TestSkinDlg dlg;
    Shown shown(dlg);
    ASSERT_TRUE(shown.ok);
    CRect b = ChildRectInWindow(dlg, dlg.scan);
    CRect w;
    dlg.GetWindowRect(&w);
    DibCanvas canvas(w.Width(), w.Height());
    CPoint probe(b.left + 6, b.top + b.Height() / 2);

    dlg.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ASSERT_TRUE(canvas.CaptureWindow(dlg.m_hWnd));
    DWORD normal = canvas.Pixel(probe.x, probe.y);

    dlg.scan.SendMessage(WM_MOUSEHOVER, 0, 0);
    dlg.scan.UpdateWindow();
    canvas.CaptureWindow(dlg.m_hWnd);
    DWORD hover = canvas.Pixel(probe.x, probe.y);
    EXPECT_GT(Brightness(hover), Brightness(normal)) << std::hex << normal << " " << hover;

    dlg.scan.SendMessage(WM_MOUSELEAVE, 0, 0);
    dlg.scan.UpdateWindow();
    canvas.CaptureWindow(dlg.m_hWnd);
    EXPECT_EQ(canvas.Pixel(probe.x, probe.y), normal);
}

TEST(StyleDialogFrame, SystemMenuAndStyles)
{
    TestSkinDlg dlg;
    Shown shown(dlg);
    ASSERT_TRUE(shown.ok);
    DWORD style = dlg.GetStyle();
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    CString title;
    dlg.GetWindowText(title);
    EXPECT_STREQ(title.GetString(), "Velmora");
    CMenu* menu = dlg.GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    for (UINT cmd : {UINT(SC_MOVE), UINT(SC_SIZE), UINT(SC_MAXIMIZE)})
        EXPECT_EQ(menu->GetMenuState(cmd, MF_BYCOMMAND), UINT(-1)) << std::hex << cmd;
    EXPECT_NE(menu->GetMenuState(SC_CLOSE, MF_BYCOMMAND), UINT(-1));

    // A right press in the drag strip asks for the system menu; one in the content does not.
    CRect drag;
    dlg.GetDragRect(&drag);
    EXPECT_EQ(drag.top, 0);
    EXPECT_EQ(drag.bottom, dlg.ContentRect().top);
    EXPECT_GT(drag.Height(), 20);
    dlg.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 5));
    EXPECT_EQ(dlg.keyMenus, 1);
    dlg.SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, drag.bottom + 5));
    EXPECT_EQ(dlg.keyMenus, 1);
}

TEST(StyleDialogFrame, DraggingTheStripMovesTheWindow)
{
    TestSkinDlg dlg;
    Shown shown(dlg, 100, 120);
    ASSERT_TRUE(shown.ok);
    CRect before;
    dlg.GetWindowRect(&before);
    dlg.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    EXPECT_TRUE(dlg.Dragging());
    EXPECT_EQ(::GetCapture(), dlg.m_hWnd);
    dlg.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(30, 15));
    CRect after;
    dlg.GetWindowRect(&after);
    EXPECT_EQ(after.left - before.left, 20);
    EXPECT_EQ(after.top - before.top, 10);
    EXPECT_EQ(after.Width(), before.Width());
    dlg.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 15));
    EXPECT_FALSE(dlg.Dragging());
    EXPECT_NE(::GetCapture(), dlg.m_hWnd);
    // A press in the content area does not drag.
    dlg.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, dlg.ContentRect().top + 5));
    EXPECT_FALSE(dlg.Dragging());
    dlg.SendMessage(WM_LBUTTONUP, 0, 0);
}

TEST(StyleDialogFrame, CaptionDragStartsTheOwnDrag)
{
    TestSkinDlg dlg(IDD_SKIN_CAPTION);
    dlg.m_captionDrag = true;
    Shown shown(dlg, 200, 200);
    ASSERT_TRUE(shown.ok);
    EXPECT_FALSE(dlg.GetStyle() & WS_MAXIMIZEBOX);
    CRect before, client;
    dlg.GetWindowRect(&before);
    dlg.GetClientRect(&client);
    CPoint origin(0, 0);
    dlg.ClientToScreen(&origin);
    ASSERT_GT(origin.y, before.top);   // there is a caption above the client area
    CPoint press(before.left + 30, before.top + (origin.y - before.top) / 2);
    dlg.SendMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(press.x, press.y));
    ASSERT_TRUE(dlg.Dragging());
    CPoint to(press.x + 15, press.y + 25);
    dlg.ScreenToClient(&to);
    dlg.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
    CRect after;
    dlg.GetWindowRect(&after);
    EXPECT_EQ(after.left - before.left, 15);
    EXPECT_EQ(after.top - before.top, 25);
    dlg.SendMessage(WM_LBUTTONUP, 0, 0);
}

TEST(StyleDialogFrame, BackgroundModesFollowActivationAndDrag)
{
    struct Case { int start; int afterInactive; int afterActive; int duringDrag; int afterDrag; };
    const Case cases[] = {
        {0, 0, 0, 0, 0},   // no background stays no background
        {1, 2, 1, 2, 1},
    };
    for (const Case& c : cases) {
        TestSkinDlg dlg;
        Shown shown(dlg);
        ASSERT_TRUE(shown.ok);
        dlg.m_backgroundMode = c.start;
        dlg.SendMessage(WM_ACTIVATE, WA_INACTIVE, 0);
        EXPECT_EQ(dlg.GetBackgroundMode(), c.afterInactive) << c.start;
        dlg.SendMessage(WM_ACTIVATE, WA_ACTIVE, 0);
        EXPECT_EQ(dlg.GetBackgroundMode(), c.afterActive) << c.start;
        dlg.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
        dlg.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(11, 5));
        EXPECT_EQ(dlg.GetBackgroundMode(), c.duringDrag) << c.start;
        dlg.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(11, 5));
        EXPECT_EQ(dlg.GetBackgroundMode(), c.afterDrag) << c.start;
    }
}

TEST(StyleDialogFrame, FrameChangeRepaintsTheFrameFromScratch)
{
    TestSkinDlg dlg;
    Shown shown(dlg);
    ASSERT_TRUE(shown.ok);
    CRect w;
    dlg.GetWindowRect(&w);
    DibCanvas canvas(w.Width(), w.Height());
    CPoint inside(10, dlg.ContentRect().top + 10);
    dlg.SendMessage(WM_ERASEBKGND, WPARAM(canvas.dc.m_hDC));
    EXPECT_EQ(canvas.Pixel(inside.x, inside.y), 0xFFFFFFu);

    // A changed element without a reset: the layer's cache still shows the old fill.
    dlg.m_frameStyle.layers[0].elements[0].colour1 = 0xFFFF0000;
    EXPECT_FALSE(dlg.FrameNeedsReset());
    dlg.SendMessage(WM_ERASEBKGND, WPARAM(canvas.dc.m_hDC));
    EXPECT_EQ(canvas.Pixel(inside.x, inside.y), 0xFFFFFFu);

    dlg.SetWindowPos(HWND(NULL), 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    dlg.SendMessage(WM_ERASEBKGND, WPARAM(canvas.dc.m_hDC));
    EXPECT_EQ(canvas.Pixel(inside.x, inside.y), 0xFF0000u);
}

TEST(StyleDialogLook, SkinnedFrameButtonsAndProgressBar)
{
    TestSkinDlg dlg;
    Shown shown(dlg);
    ASSERT_TRUE(shown.ok);
    dlg.RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages(50);
    CRect w;
    dlg.GetWindowRect(&w);
    DibCanvas canvas(w.Width(), w.Height());
    ASSERT_TRUE(canvas.CaptureWindow(dlg.m_hWnd));
    canvas.SaveBmp("skin-dialog.bmp");

    CRect content = dlg.ContentRect();
    int stripY = content.top / 2;
    // The title strip: a horizontal gradient from light to dark blue.
    EXPECT_TRUE(Near(canvas.Pixel(2, stripY), 0x59C8EE, 8)) << std::hex << canvas.Pixel(2, stripY);
    EXPECT_TRUE(Near(canvas.Pixel(w.Width() - 3, stripY), 0x1A66A2, 8)) << std::hex << canvas.Pixel(w.Width() - 3, stripY);
    // The white page with its blue frame line.
    EXPECT_EQ(canvas.Pixel(8, content.top + 8), 0xFFFFFFu);
    EXPECT_EQ(canvas.Pixel(0, content.top + 30), 0x1167BDu);

    // The progress bar at 50 %: bar colour inside the bar, trough colour beyond it.
    CRect bar = ChildRectInWindow(dlg, dlg.progress);
    int barWidth = dlg.progress.GetBarStyle().layers[size_t(dlg.progress.GetBarLayerIndex())].width;
    ASSERT_GT(barWidth, 50);
    ASSERT_GT(bar.Height(), 16);
    int midY = bar.top + bar.Height() / 2;
    EXPECT_EQ(canvas.Pixel(bar.left + 1 + barWidth / 2, midY), 0x00D328u);
    EXPECT_EQ(canvas.Pixel(bar.left + 1 + barWidth + (bar.Width() - 2 - barWidth) / 2, midY), 0xC9C9C9u);

    // The buttons: green and grey faces.
    CRect scan = ChildRectInWindow(dlg, dlg.scan);
    DWORD green = canvas.Pixel(scan.left + 6, scan.top + scan.Height() / 2);
    EXPECT_GT(Green(green), Red(green) + 40) << std::hex << green;
    CRect stop = ChildRectInWindow(dlg, dlg.stop);
    DWORD grey = canvas.Pixel(stop.left + 6, stop.top + stop.Height() / 2);
    EXPECT_TRUE(abs(Red(grey) - Green(grey)) < 8 && abs(Green(grey) - Blue(grey)) < 8 && Red(grey) > 150)
        << std::hex << grey;

    PauseForScreenshot("skin-dialog");
}

}  // namespace
