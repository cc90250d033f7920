// StyleProgress and StyleButton on real windows: the bar arithmetic and its default look, the
// state Styles, hover, toggle, double clicks and the tooltip.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <vector>

#include "Client/Skin/SkinTestSupport.h"
#include "Framework/WindowTestSupport.h"
#include "Skin/StyleButton.h"
#include "Skin/StyleProgress.h"

namespace {

struct CommonControls
{
    CommonControls()
    {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
    }
} g_commonControls;

class HostWnd : public CWnd
{
public:
    int clicks = 0;
    int doubleClicks = 0;
    StyleButton* watched = nullptr;     // its checked state is recorded at each click
    std::vector<bool> checkedAtClick;
    HostWnd() { CreateEx(0, NULL, "host", WS_POPUP | WS_VISIBLE, 50, 50, 400, 200, NULL, NULL); }

protected:
    void OnClicked()
    {
        ++clicks;
        if (watched)
            checkedAtClick.push_back(watched->GetChecked());
    }
    void OnDoubleClicked() { ++doubleClicks; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HostWnd, CWnd)
    ON_BN_CLICKED(1001, &HostWnd::OnClicked)
    ON_BN_DOUBLECLICKED(1001, &HostWnd::OnDoubleClicked)
END_MESSAGE_MAP()

// --- StyleProgress -------------------------------------------------------------------------------

TEST(StyleProgressBar, PositionRangeStepAndBarWidth)
{
    HostWnd host;
    auto make = [&](StyleProgress& p) {
        ASSERT_TRUE(p.Create(WS_VISIBLE, CRect(0, 0, 300, 40), &host, 1020));
    };
    {
        StyleProgress p;
        make(p);
        EXPECT_EQ(p.GetPos(), 50);
        EXPECT_FALSE(p.IsPrepared());
        EXPECT_EQ(p.SetPos(50), 50);                  // builds the default bar
        EXPECT_TRUE(p.IsPrepared());
        EXPECT_EQ(p.GetFullWidth(), 298);             // the client made one pixel smaller
        EXPECT_EQ(p.GetBarStyle().layers[size_t(p.GetBarLayerIndex())].width, 149);
        EXPECT_EQ(p.SetPos(-5), 0);
        EXPECT_EQ(p.GetBarStyle().layers[size_t(p.GetBarLayerIndex())].width, 0);
        EXPECT_EQ(p.SetPos(1000), 100);
        EXPECT_EQ(p.StepIt(), 5);                     // from the upper bound it starts over at the step
        EXPECT_EQ(p.StepIt(), 10);
        EXPECT_EQ(p.SetStep(200), 5);                 // above the upper bound: ignored
        EXPECT_EQ(p.SetStep(30), 30);
        p.SetPos(90);
        EXPECT_EQ(p.StepIt(), 100);                   // capped at the upper bound
        p.SetRange(5, 5);                             // ignored
        EXPECT_EQ(p.SetPos(100), 100);
    }
    {
        StyleProgress p;
        make(p);
        p.SetRange(1, 6);
        EXPECT_EQ(p.SetPos(3), 3);
        EXPECT_EQ(p.GetBarStyle().layers[size_t(p.GetBarLayerIndex())].width, int(298 * (3.0f / 5.0f)));
        // At the upper bound the fraction is 6/5: the bar stays inside its trough.
        EXPECT_EQ(p.SetPos(6), 6);
        EXPECT_EQ(p.GetBarStyle().layers[size_t(p.GetBarLayerIndex())].width, 298);
        EXPECT_EQ(p.SetPos(0), 1);
    }
    {
        StyleProgress p;   // StepIt before anything was prepared builds nothing
        make(p);
        EXPECT_EQ(p.StepIt(), 55);
        EXPECT_FALSE(p.IsPrepared());
    }
}

TEST(StyleProgressBar, DefaultLookHasTheExactBarAndTroughColours)
{
    HostWnd host;
    StyleProgress p;
    ASSERT_TRUE(p.Create(WS_VISIBLE, CRect(0, 0, 300, 40), &host, 1020));
    p.SetPos(50);
    DibCanvas canvas(300, 40);
    p.GetBarStyle().Paint(&canvas.dc, 0, 0, 300, 40);
    EXPECT_EQ(canvas.Pixel(75, 20), 0x00D328u);    // COLORREF 0x28D300 made opaque
    EXPECT_EQ(canvas.Pixel(225, 20), 0xC9C9C9u);   // the trough
    // The top band lightens the bar; the left band darkens the trough's edge.
    EXPECT_GT(Red(canvas.Pixel(75, 2)), 0);
    EXPECT_LT(Red(canvas.Pixel(2, 20)), 0xC9);
}

TEST(StyleProgressBar, RoundedBarAtItsLowerBoundPaints)
{
    HostWnd host;
    StyleProgress p;
    ASSERT_TRUE(p.Create(WS_VISIBLE, CRect(0, 0, 100, 20), &host, 1020));
    StyleLayer trough(0, 0, 100, 20, 0xFFC9C9C9);
    p.AddLayer(trough);
    StyleLayer bar(0, 0, 100, 20);
    bar.AddElement(0, 0, 100, 20, 0xFF00D328);
    bar.SetShape(2, 4);
    bar.SetAttributes(1, 0xFF008000);
    p.PrepareBar(bar);
    EXPECT_EQ(p.GetFullWidth(), 100);
    EXPECT_EQ(p.SetPos(0), 0);
    DibCanvas canvas(100, 20);
    p.GetBarStyle().Paint(&canvas.dc, 0, 0, 100, 20);
    EXPECT_EQ(canvas.Pixel(50, 10), 0xC9C9C9u);
    p.SetPos(100);
    p.GetBarStyle().Paint(&canvas.dc, 0, 0, 100, 20);
    EXPECT_EQ(canvas.Pixel(50, 10), 0x00D328u);
    p.UpdateWindow();   // the control's own paint path
}

// --- StyleButton ---------------------------------------------------------------------------------

Style Solid(DWORD colour, int x = 0, int y = 0, int w = 20, int h = 20)
{
    Style s;
    StyleLayer l(x, y, w, h);
    l.AddFillElement(colour);
    s.AddLayer(l);
    return s;
}

DWORD DrawButton(HostWnd& host, StyleButton& b, UINT state, DibCanvas& canvas, int px = 10, int py = 10)
{
    canvas.Fill(RGB(255, 255, 255));
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = 1001;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = b.m_hWnd;
    dis.hDC = canvas.dc.m_hDC;
    b.GetClientRect(&dis.rcItem);
    host.SendMessage(WM_DRAWITEM, 1001, LPARAM(&dis));   // reflected to the button
    return canvas.Pixel(px, py);
}

TEST(StyleButtonLook, StateStylesHoverAndToggle)
{
    HostWnd host;
    StyleButton b;
    ASSERT_TRUE(b.Create("b", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 20, 20), &host, 1001));
    EXPECT_EQ(b.GetStyle() & BS_TYPEMASK, DWORD(BS_OWNERDRAW));
    b.SetFaceStyle(Solid(0xFF000010));
    b.SetPressedStyle(Solid(0xFF000020));
    b.SetHoverStyle(Solid(0xFF000030));
    b.SetCheckedStyles(Solid(0xFF000040));
    b.SetCheckedPressedStyle(Solid(0xFF000050));
    b.SetCheckedHoverStyle(Solid(0xFF000060));
    DibCanvas canvas(20, 20);

    struct Case { const char* name; int state; bool hover; UINT itemState; DWORD expected; };
    const Case cases[] = {
        {"normal", 0, false, 0, 0x10},
        {"pressed", 0, false, ODS_SELECTED, 0x20},
        {"hover", 0, true, 0, 0x30},
        {"pressed beats hover", 0, true, ODS_SELECTED, 0x20},
        {"checked", 1, false, 0, 0x40},
        {"checked pressed", 1, false, ODS_SELECTED, 0x50},
        {"checked hover", 1, true, 0, 0x60},
        {"held pressed look", 2, false, 0, 0x50},
    };
    for (const Case& c : cases) {
        b.SetState(c.state);
        b.SendMessage(c.hover ? WM_MOUSEHOVER : WM_MOUSELEAVE, 0, 0);
        EXPECT_EQ(b.IsHovering(), c.hover) << c.name;
        EXPECT_EQ(DrawButton(host, b, c.itemState, canvas), c.expected) << c.name;
    }

    // Toggle mode: pressed draws change nothing, however many; each click flips the state once,
    // and the parent's handler of the click already sees the new state.
    b.SendMessage(WM_MOUSELEAVE, 0, 0);
    b.SetState(0);
    b.SetToggleMode(true);
    host.watched = &b;
    for (int draw = 0; draw < 3; ++draw) {
        DrawButton(host, b, ODS_SELECTED, canvas);
        EXPECT_FALSE(b.GetChecked()) << "pressed draw " << draw;
    }
    b.SendMessage(BM_CLICK);
    EXPECT_TRUE(b.GetChecked());
    DrawButton(host, b, ODS_SELECTED, canvas);
    DrawButton(host, b, 0, canvas);
    EXPECT_TRUE(b.GetChecked());
    b.SendMessage(BM_CLICK);
    EXPECT_FALSE(b.GetChecked());
    EXPECT_EQ(host.checkedAtClick, (std::vector<bool>{true, false}));
    host.watched = nullptr;
}

// A mouse click on a toggle button takes exactly once even when the button is repainted while
// held down (the hover starting under the pointer invalidates it).
TEST(StyleButtonInput, ToggleClickTakesOnceThoughRepaintedWhilePressed)
{
    HostWnd host;
    StyleButton b;
    ASSERT_TRUE(b.Create("b", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 40, 20), &host, 1001));
    b.SetFaceStyle(Solid(0xFF646464, 0, 0, 40, 20));
    b.SetCheckedStyles(Solid(0xFF0000FF, 0, 0, 40, 20));
    b.SetToggleMode(true);
    PumpMessages();
    const LPARAM at = MAKELPARAM(5, 5);
    for (int click = 1; click <= 2; ++click) {
        b.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        for (int paint = 0; paint < 3; ++paint) {
            b.SendMessage(WM_MOUSEHOVER, 0, at);
            b.UpdateWindow();
        }
        b.SendMessage(WM_LBUTTONUP, 0, at);
        PumpMessages();
        EXPECT_EQ(host.clicks, click);
        EXPECT_EQ(b.GetChecked(), click == 1) << "click " << click;
    }
}

// The main window's navigation buttons have plain faces only; the current page's one is held
// pressed (SetState(2), which also marks it checked) and must show its pressed face, not nothing.
TEST(StyleButtonLook, HeldPressedLookWithoutCheckedFacesShowsThePressedFace)
{
    HostWnd host;
    StyleButton b;
    ASSERT_TRUE(b.Create("b", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 20, 20), &host, 1001));
    b.SetFaceStyle(Solid(0xFF000010));
    b.SetPressedStyle(Solid(0xFF000020));
    b.SetHoverStyle(Solid(0xFF000030));
    DibCanvas canvas(20, 20);
    b.SetState(2);
    EXPECT_EQ(DrawButton(host, b, 0, canvas), 0x20u);
    b.SendMessage(WM_MOUSEHOVER, 0, 0);
    EXPECT_EQ(DrawButton(host, b, 0, canvas), 0x20u);
    b.SendMessage(WM_MOUSELEAVE, 0, 0);
    b.SetState(1);
    EXPECT_EQ(DrawButton(host, b, 0, canvas), 0x10u);
}

TEST(StyleButtonLook, DerivedHoverBrightensAndPressedShiftsByOnePixel)
{
    HostWnd host;
    StyleButton b;
    ASSERT_TRUE(b.Create("b", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 20, 20), &host, 1001));
    b.SetFaceStyle(Solid(0xFF646464));
    DibCanvas canvas(20, 20);

    EXPECT_EQ(DrawButton(host, b, 0, canvas, 2, 2), 0x646464u);
    b.SendMessage(WM_MOUSEHOVER, 0, 0);
    DWORD hover = DrawButton(host, b, 0, canvas, 2, 2);
    for (int ch : {Red(hover), Green(hover), Blue(hover)})
        EXPECT_TRUE(ch >= 117 && ch <= 118) << std::hex << hover;   // min(255, 1.05 v + 12.75)
    b.SendMessage(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(DrawButton(host, b, 0, canvas, 2, 2), 0x646464u);

    // Pressed: every layer one pixel right and down from where it was.
    Style face = Solid(0xFF646464);
    face.AddLayer(StyleLayer(4, 4, 10, 10, 0xFF0000FF));   // an icon layer away from the corner
    b.SetFaceStyle(face);
    DrawButton(host, b, ODS_SELECTED, canvas);
    EXPECT_EQ(canvas.Pixel(0, 0), 0xFFFFFFu);   // the transparent base shows the background
    EXPECT_EQ(canvas.Pixel(1, 1), 0x646464u);
    EXPECT_EQ(canvas.Pixel(4, 4), 0x646464u);
    EXPECT_EQ(canvas.Pixel(5, 5), 0x0000FFu);
    EXPECT_EQ(canvas.Pixel(14, 14), 0x0000FFu);
}

TEST(StyleButtonInput, DoubleClickActsAsTwoClicks)
{
    HostWnd host;
    StyleButton b;
    ASSERT_TRUE(b.Create("b", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 40, 20), &host, 1001));
    b.SetFaceStyle(Solid(0xFF646464, 0, 0, 40, 20));
    PumpMessages();
    LPARAM at = MAKELPARAM(5, 5);
    b.PostMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
    b.PostMessage(WM_LBUTTONUP, 0, at);
    b.PostMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    b.PostMessage(WM_LBUTTONUP, 0, at);
    PumpMessages();
    EXPECT_EQ(host.clicks, 2);
    EXPECT_EQ(host.doubleClicks, 0);
    // BM_CLICK clicks once.
    b.SendMessage(BM_CLICK);
    EXPECT_EQ(host.clicks, 3);
}

TEST(StyleButtonInput, TooltipHasOneToolWithTheAutomaticDelay)
{
    HostWnd host;
    StyleButton b;
    ASSERT_TRUE(b.Create("b", WS_VISIBLE | BS_PUSHBUTTON, CRect(0, 0, 40, 20), &host, 1001));
    b.SetTooltipText("", TRUE);
    EXPECT_EQ(b.GetToolTip().m_hWnd, HWND(NULL));
    b.SetTooltipText("Settings", TRUE);
    CToolTipCtrl& tip = b.GetToolTip();
    ASSERT_NE(tip.m_hWnd, HWND(NULL));
    EXPECT_EQ(tip.GetToolCount(), 1);
    EXPECT_EQ(tip.GetDelayTime(TTDT_INITIAL), 2000);
    EXPECT_EQ(tip.GetDelayTime(TTDT_AUTOPOP), 20000);
    TTTOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    char text[64] = {};
    ti.lpszText = text;
    ASSERT_TRUE(tip.SendMessage(TTM_ENUMTOOLSA, 0, LPARAM(&ti)));
    EXPECT_EQ(ti.uId, 1u);
    EXPECT_STREQ(text, "Settings");
    b.SetTooltipText("Settings", TRUE);   // the same tool again, not a second one
    EXPECT_EQ(tip.GetToolCount(), 1);

    // Hover makes the tooltip again with the stored text.
    b.SendMessage(WM_MOUSEHOVER, 0, 0);
    ASSERT_NE(tip.m_hWnd, HWND(NULL));
    EXPECT_EQ(tip.GetToolCount(), 1);
}

}  // namespace
