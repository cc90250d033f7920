// CDialog: dialogs from templates, modal and modeless, with DDX_Control binding.
//
// Usage:
//   - Modal: CMyDlg dlg(pParent); INT_PTR r = dlg.DoModal();  The dialog is created from
//     template m_nIDTemplate of AfxGetResourceHandle(), owned by CWnd::GetSafeOwner(pParent)
//     (with no parent: the main window's last active popup), the owner and its top-level
//     window are disabled while the dialog runs, and the framework's own message loop runs
//     until EndDialog; keyboard and mouse messages go through the pre-translate walk first, so
//     PreTranslateMessage overrides work in modal dialogs. Returns the EndDialog value, or -1
//     when the dialog could not be created (or a WM_QUIT ended the loop; it is posted again).
//   - Modeless: dlg.Create(nIDTemplate, pParent); destroy it with DestroyWindow (or let the
//     object's destructor do it). EndDialog on a modeless dialog only hides it.
//   - OnInitDialog: call the base first; it runs DoDataExchange, whose DDX_Control(pDX, id,
//     member) subclasses control id into the member object (once).
//   - IDOK / IDCANCEL commands (Enter, Escape, WM_CLOSE via the dialog manager) call the
//     virtual OnOK / OnCancel, which end the dialog with IDOK / IDCANCEL.
#pragma once

#include <windows.h>

#include "Framework/CWnd.h"

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) noexcept
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;   // TRUE: controls to members; FALSE: members to controls
    CWnd* m_pDlgWnd;
};

// Binds (subclasses) dialog control nIDC to rControl unless rControl is bound already.
// FALSE when the dialog has no such control.
BOOL DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd
{
public:
    CDialog() noexcept;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL) noexcept;
    ~CDialog() override;

    virtual INT_PTR DoModal();
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    BOOL IsModal() const noexcept { return m_bModal; }

    virtual BOOL OnInitDialog();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void SetDefID(UINT nID) { SendMessage(DM_SETDEFID, nID); }
    DWORD GetDefID() const { return DWORD(SendMessage(DM_GETDEFID)); }
    void GotoDlgCtrl(CWnd* pWndCtrl);
    void NextDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 0, 0); }
    void PrevDlgCtrl() const { SendMessage(WM_NEXTDLGCTL, 1, 0); }

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    virtual void OnOK();       // UpdateData(TRUE), then EndDialog(IDOK)
    virtual void OnCancel();   // EndDialog(IDCANCEL)

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL CreateFromTemplate(HWND hWndParent);
    void RunModalLoop();

    bool m_bModal;
    bool m_bContinueModal;
    int m_nModalResult;
};
