// CClientDlg: the program's main window. It shows one of the eight pages at a time over its
// content area, offers the navigation buttons on its left and the caption-strip buttons, owns
// the tray icon, and ends the process on Exit or Close.
#ifndef VELMORA_FRAME_CLIENT_DLG_H
#define VELMORA_FRAME_CLIENT_DLG_H

#include <windows.h>

#include "Frame/SystemTray.h"
#include "Framework/CGdiObject.h"
#include "Skin/Style.h"
#include "Skin/StyleButton.h"
#include "Skin/SkinMessages.h"
#include "Skin/StyleDialog.h"

class CClientDlg : public StyleDialog {
public:
    explicit CClientDlg(CWnd* parent = NULL);

    // Hides the other pages and shows page (1-8), refreshing the Startup Manager's list when it
    // is page 8; other numbers change nothing.
    static void ShowPage(int page);
    // Hides the window, removes the tray icon and ends the process with code 0; nothing is
    // saved and running work is not waited for.
    void QuitApp();

    enum { NavigationButtonCount = 5 };

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    BOOL OnEraseBkgnd(CDC* pDC);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);
    void OnSystemScanner();
    void OnSystemBooster();
    void OnRegistryDefrag();
    void OnStartupManager();
    void OnUninstaller();
    void OnExit();
    void OnMinimize();
    void OnSettings();
    void OnAbout();
    void OnRestoreCenter();
    void OnUpdate();
    // The update timer's ticks: the first starts the check, one after a found update asks.
    void OnTimer(UINT_PTR id);
    // WM_START_DOWNLOAD from the busy dialog: starts the installer's download.
    LRESULT OnStartDownload(WPARAM, LPARAM);
    void OnClose();
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    LRESULT OnHideToTray(WPARAM, LPARAM);
    // WM_SHOW_PAGE from a page: ShowPage(wParam).
    LRESULT OnShowPage(WPARAM page, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    // Marks navigation button index as the current page's: drawn pressed and not clickable
    // again; the others are released and enabled.
    void SelectNavigationButton(int index);
    void CreatePages();
    // The look: frame, page area, navigation column, caption logo and every button's faces.
    void BuildSkin();
    // Starts an update check on the next tick of the update timer (silent: nothing is shown
    // unless an update is found), with the Update button disabled until the check ended.
    void StartUpdateCycle(int silent);

public:
    CSystemTray m_trayIcon;
    Style m_contentStyle;    // page area, navigation column and caption logo, over the frame
    CFont m_font;
    UINT_PTR m_updateTimer;
    StyleButton m_navigationButtons[NavigationButtonCount];   // 1000-1004
    StyleButton m_minimizeButton;                             // 1006
    StyleButton m_exitButton;                                 // 1005
    StyleButton m_settingsButton;                             // 1008
    StyleButton m_aboutButton;                                // 1009
    StyleButton m_restoreButton;                              // 1010
    int m_updateStart;       // the next timer tick starts the update check
    Style m_frameSkin;       // built into the frame Style
    Style m_buttonSkin;      // scratch Style of the button faces
    Style m_logoSkin;        // the caption logo's layer before it joins the content Style
    int m_reserved[3];
    HICON m_hIcon;
    int m_closing;           // set by WM_CLOSE; a running download stops when it sees it
    int m_silentCheck;       // 1: the automatic check at start; 0: asked for with Update
    CWnd* m_notifyWindow;    // owner of the update's messages and busy dialog
    CString m_updateAddress;
    StyleButton m_updateButton;  // 1011
    int m_updateFound;
};

#endif
