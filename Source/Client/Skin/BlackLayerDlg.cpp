// CBlackLayerDlg and DoModalWithOverlay (see BlackLayerDlg.h).
#include "Client/Skin/BlackLayerDlg.h"

#include "Client/Resources/ControlResources.h"
#include "Framework/CWinApp.h"

// The overlay's look: black at 216/255 opacity; pure red would be see-through.
static const COLORREF OverlayColourKey = RGB(255, 0, 0);
static const BYTE OverlayAlpha = 216;

BEGIN_MESSAGE_MAP(CBlackLayerDlg, CDialog)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CBlackLayerDlg::CBlackLayerDlg(CWnd* pParent) : CDialog(IDD_BLACK_LAYER, pParent)
{
    m_BlackBrush.CreateSolidBrush(RGB(0, 0, 0));
}

BOOL CBlackLayerDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    ModifyStyleEx(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_hWnd, OverlayColourKey, OverlayAlpha, LWA_COLORKEY | LWA_ALPHA);
    return TRUE;
}

HBRUSH CBlackLayerDlg::OnCtlColor(CDC*, CWnd*, UINT)
{
    return m_BlackBrush;
}

BOOL CBlackLayerDlg::ShowOver(CWnd* pOwner, BOOL coverScreen, int showCommand)
{
    if (!m_hWnd && !Create(IDD_BLACK_LAYER, pOwner))
        return FALSE;
    ShowWindow(showCommand);
    RECT rect;
    if (coverScreen || !pOwner || !pOwner->m_hWnd)
        ::GetWindowRect(::GetDesktopWindow(), &rect);
    else
        pOwner->GetWindowRect(&rect);
    MoveWindow(&rect, TRUE);
    return TRUE;
}

int DoModalWithOverlay(CDialog* pDialog, CWnd* pOwner, BOOL coverScreen, int showCommand)
{
    if (!pOwner)
        pOwner = AfxGetMainWnd();
    CBlackLayerDlg overlay(pOwner);
    if (overlay.ShowOver(pOwner, coverScreen, showCommand))
        overlay.EnableWindow(FALSE);
    int result = int(pDialog->DoModal());
    if (overlay.m_hWnd)
        overlay.DestroyWindow();
    return result;
}
