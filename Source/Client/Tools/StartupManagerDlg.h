// CStartupManagerDlg: page 8 of the main window, the "Startup Manager". One list row per
// startup entry (program name, command, location); the row's check box shows whether the entry
// is enabled, and changing it disables or enables the entry at once. "Remove Selected" deletes
// the selected entry for good; the column-title buttons sort, a second click on the same title
// reversing the order.
//
// Usage: construct, Create as a child page; the main window calls RefreshList each time it
// shows the page. GUI thread only.
#pragma once

#include <windows.h>

#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Client/Tools/StartupEntries.h"
#include "Framework/CGdiObject.h"
#include "Framework/CImageList.h"
#include "Framework/CListCtrl.h"

class CStartupManagerDlg : public StyleDialog {
public:
    CStartupManagerDlg();

    // Collects the entries afresh (sorted by the current column and direction) and refills the
    // list.
    void RefreshList();

    // For the owner and tests: the entries in row order, whether check-box changes are acted on,
    // and the sort state.
    const StartupItemList& GetEntries() const { return m_entries; }
    int IsListReady() const { return m_listReady; }
    int GetSortColumn() const { return m_sortColumn; }
    int GetSortAscending() const { return m_sortAscending; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnRemoveSelected();
    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnHeaderClick(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    void OnSortByName();
    void OnSortByPath();
    void OnSortByLocation();
    DECLARE_MESSAGE_MAP()

private:
    void BuildLook();
    void SetupList();
    void FillList();
    void SortBy(int column);
    // Puts a row's box back to its entry's state without acting on it.
    void ShowEntryState(int row);
    // Control 1140's rectangle in client coordinates.
    CRect TitleBandRect();

    Style m_background;
    CFont m_titleFont;
    CFont m_subtitleFont;
    CImageList m_checkImages;
    int m_listReady;
    CString m_backupFolder;
    int m_sortAscending;
    int m_sortColumn;
    RunKeySourceList m_runKeySources;
    StartupItemList m_entries;
    StyleButton m_removeButton;   // 1011
    CListCtrl m_list;             // 1141
    StyleButton m_nameButton;     // 1012
    StyleButton m_pathButton;     // 1013
    StyleButton m_locationButton; // 1014
    CBrush m_whiteBrush;
};
