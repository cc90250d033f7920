// CBusyDlg: the modal "please wait" dialog (see BusyDlg.h).
#include "Client/Skin/BusyDlg.h"

#include "Client/Resources/ControlResources.h"
#include "Client/Skin/BlackLayerDlg.h"
#include "Client/Skin/SkinMessages.h"

CBusyDlg* volatile CurrentBusyDialog = NULL;

static const COLORREF BusyTextColour = RGB(0x53, 0x59, 0x5D);

BEGIN_MESSAGE_MAP(CBusyDlg, CDialog)
    ON_WM_CTLCOLOR()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_BUSY_SET_TEXT, &CBusyDlg::OnSetBusyText)
END_MESSAGE_MAP()

CBusyDlg::CBusyDlg(CWnd* pParent, UINT notifyMessage, HWND notifyWindow, CString text,
                   BOOL animate)
    : CDialog(IDD_BUSY, pParent), m_Text(text), m_bAnimate(animate),
      m_hNotifyWindow(notifyWindow), m_nNotifyMessage(notifyMessage)
{
    m_WhiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    ZeroMemory(&m_LabelFont, sizeof(m_LabelFont));
    m_LabelFont.lfHeight = 18;
    m_LabelFont.lfWeight = 600;
    lstrcpyA(m_LabelFont.lfFaceName, "Segoe UI");
}

CBusyDlg::~CBusyDlg()
{
    if (CurrentBusyDialog == this)
        CurrentBusyDialog = NULL;
}

void CBusyDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BUSY_PICTURE, m_Picture);
}

BOOL CBusyDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_Picture.UnLoad();
    m_Picture.Load(IDR_GIF_BUSY, "GIF");
    if (m_Font.CreateFontIndirect(&m_LabelFont)) {
        CWnd* label = GetDlgItem(IDC_BUSY_TEXT);
        if (label)
            label->SetFont(&m_Font, TRUE);
    }
    SetDlgItemText(IDC_BUSY_TEXT, m_Text);
    Animate(m_bAnimate != FALSE);
    CurrentBusyDialog = this;
    // Sent, not posted: the owner starts its work from this call, with the dialog in place.
    if (m_nNotifyMessage && m_hNotifyWindow)
        ::SendMessageA(m_hNotifyWindow, m_nNotifyMessage, 0, 0);
    return TRUE;
}

void CBusyDlg::SetText(CString text)
{
    HWND dialog = m_hWnd;
    if (dialog)
        ::SendMessageA(dialog, WM_BUSY_SET_TEXT, 0, reinterpret_cast<LPARAM>(&text));
    else
        m_Text = text;
}

LRESULT CBusyDlg::OnSetBusyText(WPARAM, LPARAM lParam)
{
    m_Text = *reinterpret_cast<const CString*>(lParam);
    SetDlgItemText(IDC_BUSY_TEXT, m_Text);
    return 0;
}

void CBusyDlg::Animate(bool animate)
{
    if (animate)
        m_Picture.Draw();
    else
        m_Picture.Stop();
}

void CBusyDlg::Close()
{
    if (m_hWnd)
        PostMessage(WM_CLOSE, 0, 0);
}

int CBusyDlg::DoModalWithOverlay(CWnd* pOwner, BOOL coverScreen, int showCommand)
{
    return ::DoModalWithOverlay(this, pOwner, coverScreen, showCommand);
}

// Escape and Enter reach the dialog as Cancel and OK; neither may end it behind its worker.
void CBusyDlg::OnOK() {}
void CBusyDlg::OnCancel() {}

void CBusyDlg::OnClose()
{
    if (CurrentBusyDialog == this)
        CurrentBusyDialog = NULL;
    EndDialog(IDCANCEL);
}

void CBusyDlg::OnDestroy()
{
    if (CurrentBusyDialog == this)
        CurrentBusyDialog = NULL;
    CDialog::OnDestroy();
}

HBRUSH CBusyDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor == CTLCOLOR_STATIC && pWnd && pWnd->GetDlgCtrlID() == IDC_BUSY_TEXT) {
        pDC->SetTextColor(BusyTextColour);
        pDC->SetBkColor(RGB(255, 255, 255));
    }
    return m_WhiteBrush;
}
