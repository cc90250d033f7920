// CDialog: creation from templates, the modal loop and the owner rules, DDX_Control.
#include "Framework/CDialog.h"

#include "Framework/CWinApp.h"

namespace {

// How many framework modal loops this thread is inside (temporaries are purged only by the
// outermost one, where no handler of this thread is running).
thread_local int t_modalDepth = 0;

}  // namespace

BOOL DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return TRUE;
    return pDX && pDX->m_pDlgWnd && rControl.SubclassDlgItem(UINT(nIDC), pDX->m_pDlgWnd);
}

CDialog::CDialog() noexcept
    : m_nIDTemplate(0), m_pParentWnd(NULL), m_bModal(false), m_bContinueModal(false),
      m_nModalResult(-1)
{
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) noexcept
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bModal(false),
      m_bContinueModal(false), m_nModalResult(-1)
{
}

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd) &&
        ::GetWindowThreadProcessId(m_hWnd, NULL) == ::GetCurrentThreadId())
        DestroyWindow();
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM)
{
    if (message != WM_INITDIALOG)
        return FALSE;
    CDialog* dlg = static_cast<CDialog*>(CWnd::FromHandlePermanent(hWnd));
    if (!dlg)
        return TRUE;
    try {
        return dlg->OnInitDialog();
    } catch (...) {
        return TRUE;
    }
}

BOOL CDialog::CreateFromTemplate(HWND hWndParent)
{
    HookWindowCreate(this);
    HWND h = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                  hWndParent, DialogProc, 0);
    UnhookWindowCreate();
    if (!h)
        return FALSE;
    return m_hWnd == h;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    if (m_hWnd)
        return FALSE;
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = false;
    return CreateFromTemplate(pParentWnd ? pParentWnd->m_hWnd : NULL);
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd)
        return -1;
    HWND hWndTop = NULL;
    HWND owner = CWnd::GetSafeOwner(m_pParentWnd, &hWndTop);
    bool reenableOwner = false;
    if (owner && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        reenableOwner = true;
    }
    m_bModal = true;
    m_bContinueModal = true;
    m_nModalResult = -1;
    if (CreateFromTemplate(owner) && m_bContinueModal)
        RunModalLoop();
    if (reenableOwner)
        ::EnableWindow(owner, TRUE);
    if (hWndTop)
        ::EnableWindow(hWndTop, TRUE);
    if (m_hWnd) {
        // Hand activation back to the owner before the dialog disappears, so that it does not
        // go to some other program's window.
        if (owner && ::GetActiveWindow() == m_hWnd)
            ::SetActiveWindow(owner);
        ::SetWindowPos(m_hWnd, NULL, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    if (!(GetStyle() & WS_VISIBLE))
        ShowWindow(SW_SHOWNORMAL);
    ++t_modalDepth;
    MSG msg;
    while (m_bContinueModal && m_hWnd) {
        BOOL got = ::GetMessageA(&msg, NULL, 0, 0);
        if (got == -1)
            break;
        if (!got) {
            ::PostQuitMessage(int(msg.wParam));   // for the loop outside this one
            m_nModalResult = -1;
            break;
        }
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (t_modalDepth == 1 && !::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE))
            AfxPurgeTemporaryObjects();
    }
    --t_modalDepth;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal) {
        m_nModalResult = nResult;
        m_bContinueModal = false;
        if (m_hWnd)
            PostMessage(WM_NULL);   // wake the loop
    } else if (m_hWnd) {
        ::EndDialog(m_hWnd, nResult);
    }
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    if (!m_hWnd)
        return FALSE;
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    if (CWnd::PreTranslateMessage(pMsg))
        return TRUE;
    UINT m = pMsg->message;
    bool input = (m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST);
    return input && ::IsDialogMessageA(m_hWnd, pMsg);
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (pWndCtrl)
        SendMessage(WM_NEXTDLGCTL, WPARAM(pWndCtrl->m_hWnd), 1);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, &CDialog::OnOK)
    ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()
