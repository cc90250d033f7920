// CMsgBoxDlg and ShowMessageBox (see MsgBoxDlg.h).
#include "Client/Skin/MsgBoxDlg.h"

#include "Client/Resources/ControlResources.h"
#include "Client/Resources/SkinResources.h"
#include "Client/Skin/BlackLayerDlg.h"
#include "Framework/CWinApp.h"

// Texts of this many characters or more take the long-text control.
static const int LongTextLength = 70;
static const COLORREF MessageTextColour = 0x3D3D3E;

// Button faces (ARGB). The glow of a glow face reads the fill as a COLORREF, so the fills keep
// red and blue equal and both readings give the same colour.
static const DWORD PositiveFill = 0xFF2DB52D, PositiveBorder = 0xFF1E8C1E;
static const DWORD NegativeFill = 0xFFB4B4B4, NegativeBorder = 0xFF8C8C8C;
static const DWORD CloseFill = 0xFF1A66A2;

BEGIN_MESSAGE_MAP(CMsgBoxDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_BN_CLICKED(IDC_MSGBOX_CLOSE, &CMsgBoxDlg::OnNegative)
    ON_BN_CLICKED(IDC_MSGBOX_NO, &CMsgBoxDlg::OnNegative)
    ON_BN_CLICKED(IDC_MSGBOX_YES, &CMsgBoxDlg::OnPositive)
    ON_BN_CLICKED(IDC_MSGBOX_OK, &CMsgBoxDlg::OnPositive)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CMsgBoxDlg::CMsgBoxDlg(CWnd* pParent, CString text, int type)
    : StyleDialog(IDD_MESSAGE_BOX, pParent), m_Text(text), m_nType(type)
{
}

int CMsgBoxDlg::GetTextFontHeight(int length)
{
    return length < LongTextLength ? 20 : length < 100 ? 16 : 15;
}

int CMsgBoxDlg::MapResult(int type, int dialogResult)
{
    switch (type) {
    case MessageBoxOk:
        return IDOK;
    case MessageBoxYesNo:
        return dialogResult == IDOK ? IDYES : IDNO;
    default:
        return dialogResult == IDOK ? IDOK : IDCANCEL;
    }
}

void CMsgBoxDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MSGBOX_CLOSE, m_CloseButton);
    DDX_Control(pDX, IDC_MSGBOX_YES, m_YesButton);
    DDX_Control(pDX, IDC_MSGBOX_NO, m_NoButton);
    DDX_Control(pDX, IDC_MSGBOX_OK, m_OkButton);
    DDX_Control(pDX, IDC_MSGBOX_LONG_TEXT, m_LongText);
    DDX_Control(pDX, IDC_MSGBOX_SHORT_TEXT, m_ShortText);
}

// The control's rectangle in this dialog's client coordinates.
static CRect ControlRect(CWnd* dialog, int id)
{
    CRect rc;
    CWnd* control = dialog->GetDlgItem(id);
    if (control) {
        control->GetWindowRect(&rc);
        dialog->ScreenToClient(&rc);
    }
    return rc;
}

void CMsgBoxDlg::BuildFrame()
{
    CRect content;
    GetContentRect(&content);
    int panelTop = ControlRect(this, IDC_MSGBOX_PANEL_TOP).top;

    Style frame;
    StyleLayer title(content.left, content.top, content.Width(), panelTop - content.top);
    title.AddThreeColourElement(0, 0xFF59C8EE, 0xFF52B9FA, 0xFF1A66A2, 0.5f);
    frame.AddLayer(title);
    SetFrameStyle(frame);

    StyleLayer ring(content.left, content.top, content.Width(), content.Height());
    ring.SetAttributes(1, 0xFF1167BD);
    m_Style.AddLayer(ring);
    StyleLayer panel(content.left, panelTop, content.Width() - 1, content.bottom - panelTop - 1,
                     0xFFFFFFFF);
    m_Style.AddLayer(panel);
    CRect iconRect = ControlRect(this, IDC_MSGBOX_ICON);
    StyleLayer icon(iconRect.left, iconRect.top, iconRect.Width(), iconRect.Height());
    icon.AddImageElement(0, 0, IDR_PNG_LOGO, "PNG", 0, 0);
    m_Style.AddLayer(icon);
}

void CMsgBoxDlg::SetUpButton(StyleButton& button, const char* caption, bool positive)
{
    CRect rc;
    button.GetClientRect(&rc);
    Style face = BuildGlowButtonStyle(rc.left, rc.top, rc.right, rc.bottom,
                                      positive ? PositiveFill : NegativeFill,
                                      positive ? PositiveBorder : NegativeBorder, 2, 3);
    StyleLayer text(rc.left, rc.top, rc.Width(), rc.Height());
    text.AddTextElement(caption, 1, 0, 0, positive ? 0xFFFFFFFF : 0xFF3D3D3E, 14, 1, "Calibri");
    face.AddLayer(text);
    button.SetFaceStyle(face);
    button.SetWindowText(caption);
}

BOOL CMsgBoxDlg::OnInitDialog()
{
    SetCaptionText(AfxGetAppName());
    StyleDialog::OnInitDialog();
    BuildFrame();

    CRect rc;
    m_CloseButton.GetClientRect(&rc);
    Style close;
    StyleLayer closeFace(rc.left, rc.top, rc.Width(), rc.Height(), CloseFill);
    closeFace.AddTextElement("X", 1, 0, 0, 0xFFFFFFFF, 13, 1, "Arial");
    close.AddLayer(closeFace);
    m_CloseButton.SetFaceStyle(close);

    bool yesNo = m_nType == MessageBoxYesNo;
    SetUpButton(m_YesButton, yesNo ? "YES" : "OK", true);
    SetUpButton(m_NoButton, yesNo ? "NO" : "Cancel", false);
    SetUpButton(m_OkButton, "OK", true);
    if (m_nType == MessageBoxOk) {
        m_YesButton.ShowWindow(SW_HIDE);
        m_NoButton.ShowWindow(SW_HIDE);
        m_OkButton.ShowWindow(SW_SHOW);
    }

    LOGFONTA lf = {};
    lf.lfHeight = GetTextFontHeight(m_Text.GetLength());
    lf.lfWeight = 400;
    lstrcpyA(lf.lfFaceName, "Calibri");
    m_TextFont.CreateFontIndirect(&lf);
    CStatic& target = m_Text.GetLength() >= LongTextLength ? m_LongText : m_ShortText;
    target.SetFont(&m_TextFont, TRUE);
    target.SetWindowText(m_Text);
    target.ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CMsgBoxDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    m_Style.Paint(pDC, m_frameRect.left, m_frameRect.top, m_frameRect.right, m_frameRect.bottom);
    return TRUE;
}

HBRUSH CMsgBoxDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    int id = pWnd ? pWnd->GetDlgCtrlID() : 0;
    if (id == IDC_MSGBOX_LONG_TEXT || id == IDC_MSGBOX_SHORT_TEXT)
        pDC->SetTextColor(MessageTextColour);
    return HBRUSH(GetStockObject(NULL_BRUSH));
}

void CMsgBoxDlg::OnNegative()
{
    OnCancel();
}

void CMsgBoxDlg::OnPositive()
{
    OnOK();
}

int ShowMessageBox(CWnd* parent, CString text, int type, BOOL overlay, CWnd* overlayOwner)
{
    CBlackLayerDlg layer;
    if (overlay) {
        CWnd* owner = overlayOwner ? overlayOwner : AfxGetMainWnd();
        if (layer.ShowOver(owner, FALSE, SW_SHOW)) {
            // A click on the dimmed area must not bring it above the box.
            layer.EnableWindow(FALSE);
            if (!parent)
                parent = &layer;
        }
    }
    if (!parent)
        parent = AfxGetMainWnd();
    int result;
    {
        CMsgBoxDlg box(parent, text, type);
        result = CMsgBoxDlg::MapResult(type, int(box.DoModal()));
    }
    if (layer.m_hWnd)
        layer.DestroyWindow();
    return result;
}
