// CAboutDlg: the modal About dialog. It shows the program's version, the support address, the
// web site, a copyright line and a legal notice, opens a new mail to support, the home page,
// the licence agreement or the privacy page, and starts the program's uninstaller.
//
// Usage: ShowAboutDialog() from the main window (its About button and system-menu item). GUI
// thread only.
#ifndef VELMORA_FRAME_ABOUT_DLG_H
#define VELMORA_FRAME_ABOUT_DLG_H

#include <windows.h>

#include "Framework/CGdiObject.h"
#include "Framework/CString.h"
#include "Skin/Style.h"
#include "Skin/StyleButton.h"
#include "Skin/StyleDialog.h"

class CAboutDlg : public StyleDialog {
public:
    explicit CAboutDlg(CWnd* parent = NULL);

    // The version as the dialog shows it: cut after the first character that follows the last
    // "." ("1.0.1.8601" gives "1.0.1.8"); a version without one is shown whole.
    static CString ShortVersion(const CString& version);
    // The addresses the dialog opens (see AboutDeployment.h for the host and the address).
    static CString SupportMailAddress();     // "mailto:" + the support address
    static CString HomePageAddress();        // the web host + "/?TID=ORG", no scheme
    static CString WebPageAddress(const char* page);   // "http://<host>/<page>.html?TID=1018ORG"

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnHomepage();
    void OnSupportMail();
    void OnEula();
    void OnPrivacyPolicy();
    // Starts every "unins*.exe" of the program's folder and quits the program; says so and
    // stays open when there is none.
    void OnUninstall();
    DECLARE_MESSAGE_MAP()

private:
    // The look: caption strip, blue strip, white body, pictures and the buttons' faces.
    void BuildSkin();
    CRect ControlRect(int id) const;
    // The picture-area marker (the template's icon control, which has no id of its own).
    CRect PictureAreaRect() const;

    StyleButton m_closeButton;       // 1005
    Style m_contentStyle;            // white body, blue strip, pictures
    CFont m_copyrightFont;
    StyleButton m_eulaButton;        // 1149
    StyleButton m_privacyButton;     // 1150
    StyleButton m_uninstallButton;   // 1151
    Style m_frameSkin;               // caption strip, built into the frame Style
};

// Runs the About dialog over the dimmed main window.
void ShowAboutDialog();
// Runs dialog modally over a dimming overlay of the main window, restoring the main window
// first when it is minimised; the dialog's result.
int RunDialogWithOverlay(CDialog* dialog);

#endif
