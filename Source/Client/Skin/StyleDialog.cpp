// StyleDialog: background and frame painting, the own drag handling, the key filter and the
// system menu.
#include "Skin/StyleDialog.h"

#include "Framework/CMenu.h"
#include "Skin/SkinMessages.h"

StyleDialog::StyleDialog(UINT nIDTemplate, CWnd* pParent)
    : CDialog(nIDTemplate, pParent), m_backgroundColour(GetSysColor(COLOR_BACKGROUND)),
      m_useBackgroundStyle(false), m_layoutFlags(0), m_captionDrag(false), m_backgroundMode(0),
      m_dragging(false), m_frameNeedsReset(true)
{
}

BEGIN_MESSAGE_MAP(StyleDialog, CDialog)
    ON_WM_WINDOWPOSCHANGING()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_MOVE()
    ON_WM_ACTIVATE()
    ON_WM_RBUTTONDOWN()
    ON_WM_NCLBUTTONDOWN()
END_MESSAGE_MAP()

void StyleDialog::OnBnClickedBack()
{
    HWND parent = m_hWnd ? ::GetParent(m_hWnd) : NULL;
    if (parent)
        ::SendMessageA(parent, WM_SHOW_PAGE, 1, 0);
}

void StyleDialog::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    if (m_layoutFlags & 1)
        DDX_Control(pDX, IDC_STYLE_CONTENT, m_contentMarker);
}

BOOL StyleDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    CRect client;
    GetClientRect(&client);
    if (m_layoutFlags & 1) {
        m_frameRect = client;
        if (m_contentMarker.m_hWnd) {
            m_contentMarker.GetWindowRect(&m_contentRect);
            ScreenToClient(&m_contentRect);
        }
        m_dragRect.SetRect(client.left, client.top, client.right, m_contentRect.top);
        m_backgroundRect = client;
    } else {
        CRect margins(0, 0, 0, 0);
        CalcWindowRect(&margins);
        m_backgroundOffset = CPoint(-margins.left, -margins.top);
        CRect window;
        GetWindowRect(&window);
        ScreenToClient(&window);
        window.OffsetRect(m_backgroundOffset);
        m_frameRect = window;
        m_contentRect = client;
        m_dragRect.SetRect(m_frameRect.left, m_frameRect.top, m_frameRect.right, m_backgroundOffset.y);
        m_backgroundRect = m_contentRect;
    }
    if (!m_title.IsEmpty())
        SetWindowText(m_title);
    ModifyStyle(WS_MAXIMIZEBOX, WS_MINIMIZEBOX | WS_SYSMENU);
    if (CMenu* menu = GetSystemMenu(FALSE)) {
        menu->DeleteMenu(SC_MOVE, MF_BYCOMMAND);
        menu->DeleteMenu(SC_SIZE, MF_BYCOMMAND);
        menu->DeleteMenu(SC_MAXIMIZE, MF_BYCOMMAND);
    }
    return TRUE;
}

BOOL StyleDialog::PreTranslateMessage(MSG* pMsg)
{
    // Skinned dialogs never close on Escape, and Enter acts as the space bar. Only keyboard
    // messages carry key codes in wParam; a timer id, mouse flags or a posted value of 27 or
    // 13 are left alone.
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) {
        if (pMsg->wParam == VK_ESCAPE)
            return TRUE;
        if (pMsg->wParam == VK_RETURN)
            pMsg->wParam = VK_SPACE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void StyleDialog::SetupBorderStyle(Style& target, BorderStyleKind kind)
{
    CRect window;
    GetWindowRect(&window);
    ScreenToClient(&window);
    StyleLayer layer(window.left, window.top, window.Width(), window.Height());
    switch (kind) {
    case BorderStyleWhiteWindow:
        layer.AddRectElement(window.left, window.top, window.Width(), window.Height(), 0xFFFFFFFF);
        break;
    case BorderStyleWhiteContent:
        layer.AddRectElement(m_contentRect.left, m_contentRect.top, m_contentRect.Width() - 1,
                             m_contentRect.Height() - 1, 0xFFFFFFFF);
        break;
    case BorderStyleGreyLine:
        layer.SetAttributes(1, 0xFFE3E3E3);
        break;
    }
    target.AddLayer(layer);
}

void StyleDialog::OnWindowPosChanging(WINDOWPOS* pos)
{
    if (pos && (pos->flags & SWP_FRAMECHANGED))
        m_frameNeedsReset = true;
    Default();
}

BOOL StyleDialog::OnEraseBkgnd(CDC* pDC)
{
    if (m_backgroundMode == 2) {
        if (m_useBackgroundStyle) {
            m_backgroundStyle.Paint(pDC, m_backgroundRect.left, m_backgroundRect.top,
                                    m_backgroundRect.right, m_backgroundRect.bottom);
        } else {
            CBrush brush;
            if (brush.CreateSolidBrush(m_backgroundColour))
                pDC->FillRect(&m_backgroundRect, &brush);
        }
    } else if (m_backgroundMode == 1) {
        CRect w;
        GetWindowRect(&w);
        w.OffsetRect(m_backgroundOffset);
        CWnd* desktop = GetDesktopWindow();
        if (CDC* screen = desktop->GetDC()) {
            pDC->BitBlt(m_backgroundRect.left, m_backgroundRect.top, m_backgroundRect.Width(),
                        m_backgroundRect.Height(), screen, w.left + m_backgroundRect.left,
                        w.top + m_backgroundRect.top, SRCCOPY);
            desktop->ReleaseDC(screen);
        }
    }
    if (m_frameNeedsReset) {
        m_frameNeedsReset = false;
        m_frameStyle.ResetLayers();
    }
    m_frameStyle.Paint(pDC, m_frameRect.left, m_frameRect.top, m_frameRect.right, m_frameRect.bottom);
    return TRUE;
}

void StyleDialog::BeginDrag(CPoint point)
{
    if (!m_dragRect.PtInRect(point))
        return;
    SetCapture();
    m_dragStart = point;
    m_dragging = true;
}

void StyleDialog::OnLButtonDown(UINT, CPoint point)
{
    BeginDrag(point);
    Default();
}

void StyleDialog::OnLButtonUp(UINT, CPoint)
{
    if (m_dragging) {
        ::ReleaseCapture();
        m_dragging = false;
        if (m_backgroundMode == 2) {
            m_backgroundMode = 1;
            m_frameNeedsReset = true;
            Invalidate(TRUE);
        }
    }
    Default();
}

void StyleDialog::OnMouseMove(UINT, CPoint point)
{
    if (!m_dragging)
        return;
    if (m_backgroundMode == 1) {
        m_frameNeedsReset = true;
        m_backgroundMode = 2;
        Invalidate(TRUE);
    }
    CPoint screen = point;
    ClientToScreen(&screen);
    SetWindowPos(HWND(NULL), screen.x - m_dragStart.x, screen.y - m_dragStart.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
}

void StyleDialog::OnMove(int, int) { Default(); }

void StyleDialog::OnActivate(UINT nState, CWnd*, BOOL bMinimized)
{
    if (m_backgroundMode != 0) {
        m_backgroundMode = nState == WA_INACTIVE ? 2 : 1;
        if (!bMinimized) {
            m_frameNeedsReset = true;
            Invalidate(TRUE);
        }
    }
    Default();
}

void StyleDialog::OnRButtonDown(UINT, CPoint point)
{
    if (m_dragRect.PtInRect(point))
        SendMessage(WM_SYSCOMMAND, SC_KEYMENU, ' ');
    Default();
}

void StyleDialog::OnNcLButtonDown(UINT nHitTest, CPoint point)
{
    if (m_captionDrag && nHitTest == HTCAPTION) {
        ::ReleaseCapture();
        ScreenToClient(&point);
        CRect margins(0, 0, 0, 0);
        CalcWindowRect(&margins);
        point.Offset(-margins.left, -margins.top);
        BeginDrag(point);
        return;
    }
    Default();
}
