// CSettingsDlg: the modal Settings dialog. "General" holds the scan at every logon (the
// scheduled task "Velmora on user logon - <user>" with "STARTSCAN"), the registry backup before
// a repair and the update check at start; they are applied when the dialog is closed with "X".
// "Ignore List" shows the ignore list's entries (seven until "Show more") and removes the
// selected one at once.
//
// Usage: construct, fill the public fields (the settings record, the found-items store), run it
// with DoModalWithOverlay. GUI thread only; COM must be initialised on it (the task).
#pragma once

#include <windows.h>

#include "Client/Frame/ProgramSettings.h"
#include "Client/Skin/ListCtrlToolTip.h"
#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CString.h"

class CSettingsDlg : public StyleDialog {
public:
    // Entries shown until "Show more" is clicked.
    enum { LimitedRowCount = 7 };

    explicit CSettingsDlg(CWnd* parent = NULL);

    // The logon task of the current user; each does nothing (and returns 0) when the user name
    // cannot be read.
    // 1 when the task for this program with "STARTSCAN" was saved (replacing one of that name).
    static int CreateScanOnLogonTask();
    // 1 when the task was deleted.
    static int DeleteScanOnLogonTask();
    // Ticks 1041 when the task exists and starts this very program (the path compared without
    // regard to case); otherwise unticks it and deletes the task.
    void HasScanOnLogonTask();

    void FillIgnoreList();
    void RemoveIgnoreEntry();
    void ShowAllIgnoreEntries();

    // Filled by the caller; not owned.
    SettingsRecord* m_pSettings;               // read at start, written back at "X"
    CAbstractScanItemsInfo* m_pScanItems;      // the ignore list

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnTabGeneral();
    void OnTabIgnoreList();
    void OnCloseAndApply();
    void OnScanAtLogon();
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnClose();
    DECLARE_MESSAGE_MAP()

private:
    void BuildSkin();
    void SetCheckButtonFaces(StyleButton& button, const char* caption);
    void ShowTabControls(bool general);

    Style m_background;
    int m_limited;
    StyleButton m_generalTab;       // 1083
    StyleButton m_ignoreTab;        // 1084
    StyleButton m_closeButton;      // 1005
    StyleButton m_removeButton;     // 1011
    CListCtrl_ToolTip m_ignoreList; // 1086
    StyleButton m_scanAtLogon;      // 1041
    StyleButton m_autoBackup;       // 1042
    StyleButton m_checkUpdates;     // 1043
    CBrush m_whiteBrush;
};
