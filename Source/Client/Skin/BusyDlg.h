// CBusyDlg: the modal "please wait" dialog with an animated picture and a text line.
//
// The owner runs it over the dimming overlay, naming itself and a private message; the dialog
// sends that message from its initialisation, so the owner starts its worker while the dialog
// exists, and the work's end closes it with Close() through CurrentBusyDialog. Neither Escape
// nor Enter ends it (OK and Cancel are ignored): only Close (WM_CLOSE) does. CurrentBusyDialog
// is cleared whenever the dialog goes away, however that happens.
#pragma once

#include <windows.h>

#include "Client/Skin/PictureEx.h"
#include "Framework/CDialog.h"
#include "Framework/CGdiObject.h"
#include "Framework/CString.h"

class CBusyDlg : public CDialog
{
public:
    CBusyDlg(CWnd* pParent, UINT notifyMessage, HWND notifyWindow, CString text, BOOL animate);
    ~CBusyDlg() override;

    // Safe from worker threads while the dialog's own thread pumps messages: the text is sent
    // to the dialog's thread (WM_BUSY_SET_TEXT), and the label shows it when the call returns.
    // Before the dialog exists it only sets the text OnInitDialog will show.
    void SetText(CString text);
    void Animate(bool animate);
    void Close();

    // Runs the dialog over the overlay of pOwner (NULL: the main window), shown with
    // showCommand; with coverScreen the overlay dims the whole screen.
    int DoModalWithOverlay(CWnd* pOwner, BOOL coverScreen, int showCommand);

    BOOL OnInitDialog() override;

protected:
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* pDX) override;
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnClose();
    void OnDestroy();
    LRESULT OnSetBusyText(WPARAM, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CBrush m_WhiteBrush;
    LOGFONTA m_LabelFont;
    CFont m_Font;
    CString m_Text;
    BOOL m_bAnimate;
    HWND m_hNotifyWindow;
    UINT m_nNotifyMessage;
    CPictureEx m_Picture;
};

// The busy dialog that is open, or NULL.
extern CBusyDlg* volatile CurrentBusyDialog;
