// StyleButton: state Styles, owner drawing, hover tracking and the tooltip.
#include "Skin/StyleButton.h"

namespace {

// A copy of face with a brighten effect over its top layer.
Style Brightened(const Style& face)
{
    Style s(face);
    if (!s.layers.empty())
        s.layers.back().AddEffectElement(1);
    return s;
}

// A copy of face one pixel right and down. Every layer moves by (1, 1) from where it is, so a
// face whose layers do not all start at (0, 0) keeps its layout when pressed.
Style Pressed(const Style& face)
{
    Style s(face);
    s.OffsetLayers(1, 1);
    return s;
}

}  // namespace

StyleButton::StyleButton()
    : m_pressedLook(false), m_toggleMode(false), m_hover(false), m_tracking(false),
      m_hasCheckedStyles(false), m_checked(false), m_hOldBackgroundBitmap(NULL),
      m_pCurrentStyle(&m_normalStyle)
{
}

StyleButton::~StyleButton()
{
    if (m_hOldBackgroundBitmap && m_backgroundDC.m_hDC)
        m_backgroundDC.SelectObject(m_hOldBackgroundBitmap);
    if (m_tooltip.m_hWnd)
        m_tooltip.DestroyWindow();
    DestroyWindow();   // while this class's handlers still exist
}

BEGIN_MESSAGE_MAP(StyleButton, CButton)
    ON_WM_ERASEBKGND()
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_MOUSELEAVE, &StyleButton::OnMouseLeaveMessage)
    ON_MESSAGE(WM_MOUSEHOVER, &StyleButton::OnMouseHoverMessage)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, &StyleButton::OnClickedReflect)
END_MESSAGE_MAP()

void StyleButton::PreSubclassWindow()
{
    CButton::PreSubclassWindow();
    // The button type is a number in the low bits, not a flag: replace it.
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW, SWP_FRAMECHANGED);
}

BOOL StyleButton::PreTranslateMessage(MSG* pMsg)
{
    // A double click acts as a second click.
    if (pMsg->message == WM_LBUTTONDBLCLK)
        pMsg->message = WM_LBUTTONDOWN;
    if (m_tooltip.m_hWnd)
        m_tooltip.RelayEvent(pMsg);
    return CButton::PreTranslateMessage(pMsg);
}

void StyleButton::SetFaceStyle(const Style& face)
{
    m_normalStyle = face;
    m_baseStyle = Style();
    CRect rc;
    if (m_hWnd)
        GetClientRect(&rc);
    StyleLayer base(rc.left, rc.top, rc.Width(), rc.Height());
    base.AddFillElement(0);
    m_baseStyle.AddLayer(base);
    m_pressedStyle = Pressed(m_normalStyle);
    m_hoverStyle = Brightened(m_normalStyle);
}

void StyleButton::SetCheckedStyles(const Style& face)
{
    m_checkedStyle = face;
    m_checkedPressedStyle = Pressed(face);
    m_checkedHoverStyle = Brightened(face);
    m_hasCheckedStyles = true;
}

void StyleButton::SetToggleMode(bool toggle)
{
    m_toggleMode = toggle;
    m_pCurrentStyle = toggle ? &m_checkedStyle : &m_normalStyle;
}

void StyleButton::SetState(int state)
{
    m_checked = state != 0;
    m_pressedLook = state == 2;
    if (m_hWnd)
        Invalidate();
}

void StyleButton::ResetStyles()
{
    m_baseStyle.ResetLayers();
    m_normalStyle.ResetLayers();
    m_pressedStyle.ResetLayers();
    m_hoverStyle.ResetLayers();
    if (m_hasCheckedStyles) {
        m_checkedStyle.ResetLayers();
        m_checkedPressedStyle.ResetLayers();
        m_checkedHoverStyle.ResetLayers();
    }
}

void StyleButton::CaptureParentBackground(CDC* parentDC)
{
    if (!m_hWnd || !parentDC)
        return;
    CRect rc;
    GetWindowRect(&rc);
    if (CWnd* parent = GetParent())
        parent->ScreenToClient(&rc);
    if (m_hOldBackgroundBitmap) {
        m_backgroundDC.SelectObject(m_hOldBackgroundBitmap);
        m_hOldBackgroundBitmap = NULL;
    }
    m_backgroundBitmap.DeleteObject();
    m_backgroundDC.DeleteDC();
    if (m_backgroundDC.CreateCompatibleDC(parentDC) &&
        m_backgroundBitmap.CreateCompatibleBitmap(parentDC, rc.Width(), rc.Height())) {
        m_hOldBackgroundBitmap = m_backgroundDC.SelectObject(m_backgroundBitmap.m_hObject);
        m_backgroundDC.BitBlt(0, 0, rc.Width(), rc.Height(), parentDC, rc.left, rc.top, SRCCOPY);
    }
    ResetStyles();
}

void StyleButton::DrawItem(LPDRAWITEMSTRUCT dis)
{
    if (!dis)
        return;
    bool selected = (dis->itemState & ODS_SELECTED) != 0;
    // A button that was never given checked faces (the main window's navigation buttons, held
    // pressed by SetState(2)) shows its plain ones: its empty checked faces would paint nothing.
    const bool checkedLook = m_checked && m_hasCheckedStyles;
    Style* state;
    if (selected || m_pressedLook)
        state = checkedLook ? &m_checkedPressedStyle : &m_pressedStyle;
    else if (!m_hover)
        state = checkedLook ? &m_checkedStyle : &m_normalStyle;
    else
        state = checkedLook ? &m_checkedHoverStyle : &m_hoverStyle;
    m_pCurrentStyle = state;
    CDC* dc = CDC::FromHandle(dis->hDC);
    CRect rc;
    GetClientRect(&rc);
    m_baseStyle.Paint(dc, rc.left, rc.top, rc.right, rc.bottom);
    state->Paint(dc, rc.left, rc.top, rc.right, rc.bottom);
}

// A toggle button flips on the click itself, not on a pressed draw: a pressed button is drawn
// again whenever something invalidates it (the hover starting under the pointer, a window moving
// over it), and each such draw would flip it once more, so a click could come to nothing.
// FALSE: the parent's handler of the click runs next and sees the new state.
BOOL StyleButton::OnClickedReflect()
{
    if (m_toggleMode) {
        m_checked = !m_checked;
        if (m_hWnd)
            Invalidate();
    }
    return FALSE;
}

void StyleButton::OnMouseMove(UINT, CPoint)
{
    if (!m_tracking) {
        TRACKMOUSEEVENT tme = {};
        tme.cbSize = sizeof tme;
        tme.dwFlags = TME_HOVER | TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        tme.dwHoverTime = 1;
        m_tracking = ::TrackMouseEvent(&tme) != FALSE;
    }
    Default();
}

LRESULT StyleButton::OnMouseLeaveMessage(WPARAM, LPARAM)
{
    m_tracking = false;
    m_hover = false;
    Invalidate();
    return 0;
}

LRESULT StyleButton::OnMouseHoverMessage(WPARAM, LPARAM)
{
    m_hover = true;
    Invalidate();
    // The tooltip is made again, so that it shows at once for the new hover.
    if (m_tooltip.m_hWnd)
        m_tooltip.DestroyWindow();
    SetTooltipText(m_tooltipText, TRUE);
    if (m_tooltip.m_hWnd)
        m_tooltip.Update();
    return 0;
}

void StyleButton::SetTooltipText(const CString& text, BOOL activate)
{
    if (text.IsEmpty() || !m_hWnd)
        return;
    if (!m_tooltip.m_hWnd) {
        if (!m_tooltip.Create(this))
            return;
        m_tooltip.Activate(TRUE);
    }
    m_tooltipText = text;
    if (m_tooltip.GetToolCount() == 0) {
        CRect rc;
        GetClientRect(&rc);
        m_tooltip.AddTool(this, text, &rc, 1);
    }
    m_tooltip.UpdateTipText(text, this, 1);
    m_tooltip.SetDelayTime(TTDT_AUTOMATIC, 2000);
    m_tooltip.Activate(activate);
}
