// CRestoreCenterDlg: the modal "Restore Center". Its "Registry" tab lists the registry backups
// the engine wrote for this computer and user (newest name first), restores the ticked ones
// through the engine's synchronous import or removes their files; its "Defaults" tab writes the
// Windows defaults of every internet or every system tweak back. The result says what was done.
//
// Usage: construct, fill the public fields (the engine's process object, the tweak settings,
// the hand cursor), run it with DoModalWithOverlay. GUI thread only.
#pragma once

#include <windows.h>

#include <vector>

#include "Client/Scan/OptimizerSettings.h"
#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CGdiObject.h"
#include "Framework/CImageList.h"
#include "Framework/CListCtrl.h"
#include "Framework/CString.h"

// One listed backup.
struct BackupRecord {
    CString name;   // the file name without its extension
    CString path;   // the full path of the file
    CString date;   // the creation time, local, "%B %d, %Y (%H:%M:%S)"; empty when unreadable
};

class CRestoreCenterDlg : public StyleDialog {
public:
    // The dialog's results besides IDCANCEL ("X").
    enum {
        ResultRegistryRestored = 22,
        ResultInternetDefaults = 23,
        ResultSystemDefaults = 24,
    };
    // Rows shown until "Show more" is clicked.
    enum { LimitedRowCount = 7 };

    explicit CRestoreCenterDlg(CWnd* parent = NULL);

    // The folder the engine writes this computer's and user's backups to (no trailing "\"):
    // the program's folder, "TarnexRegBackup\", then the computer name and "-", the volume serial
    // of the Windows drive and "-", and the user name, each part only when its query succeeds.
    // The user name is asked for with the size the computer-name query left behind, as the
    // engine does, so both always name the same folder.
    static CString GetBackupFolder();
    // The name a backup file is listed under: up to its last "."; the whole name when it has
    // no "." or only the leading one.
    static CString BackupDisplayName(const char* fileName);
    // "December 10, 2026 (21:04:05)" of a file time (UTC), in local time; empty when the time
    // cannot be converted.
    static CString FormatBackupDate(const FILETIME& creationTime);

    void ListBackups();
    void FillList();
    void RefreshList();
    const std::vector<BackupRecord>& GetBackups() const { return m_backups; }

    // Filled by the caller; not owned.
    CAbstractProcess* m_pProcess;            // imports the backups
    COptimizerSettings* m_pTweakSettings;    // restores the tweaks' defaults
    HCURSOR m_handCursor;                    // over "Show more"; NULL: the system's hand

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnTabRegistry();
    void OnTabDefaults();
    void OnRestore();
    void OnRemove();
    void OnInternetDefaults();
    void OnSystemDefaults();
    void OnShowMore();
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    BOOL OnEraseBkgnd(CDC* pDC);
    DECLARE_MESSAGE_MAP()

private:
    void BuildSkin();
    CRect ControlRect(int id) const;
    // Ends with result when restored returned 1; otherwise says so and stays open.
    void EndAfterDefaults(int restored, int result, const char* failureText);

    Style m_background;
    CImageList m_rowImages;
    std::vector<BackupRecord> m_backups;
    CFont m_showMoreFont;
    int m_limited;
    StyleButton m_closeButton;      // 1005
    StyleButton m_registryTab;      // 1009
    StyleButton m_defaultsTab;      // 1006
    StyleButton m_restoreButton;    // 1010
    StyleButton m_removeButton;     // 1011
    CListCtrl m_list;               // 1081
    StyleButton m_internetButton;   // 1013
    StyleButton m_systemButton;     // 1014
    CBrush m_whiteBrush;
};
