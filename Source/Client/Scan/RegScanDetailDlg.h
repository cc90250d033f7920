// CRegScanDetailDlg: page 2 of the main window, what the registry scan found. A checked tree
// holds one node per registry category with findings, in the categories' row order, and the
// found entries under it. An unticked entry is left out of the next repair (the scan page has
// the tree queue it before the repair starts); "&Ignore" on an entry writes it to the ignore
// list, takes it out of the tree and updates the scan page's registry row. "Back" (and the
// hidden "Fix") return to the scan page.
//
// Usage: construct, SetScanItemsInfo and SetScanPage, Create as a child page. The scan page
// calls Refresh and then CheckAllCategories when a registry scan has finished, and reads
// GetTree() at Fix. GUI thread only.
#pragma once

#include <windows.h>

#include "Client/Scan/ScanResultsOwner.h"
#include "Client/Skin/CheckedTreeCtrl.h"
#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CGdiObject.h"
#include "Framework/CStatic.h"

// Found items per registry category, indexed by the category's bit number.
struct CategoryCounts {
    int counts[24];
};

class CRegScanDetailDlg : public StyleDialog {
public:
    enum { RegistryCategoryCount = 11 };

    CRegScanDetailDlg();

    // The store the tree is filled from and hands its left-out entries to (not owned).
    void SetScanItemsInfo(CAbstractScanItemsInfo* store);
    // The scan page whose registry row an ignore updates (not owned; may be NULL).
    void SetScanPage(CScanResultsOwner* scanPage) { m_pScanPage = scanPage; }

    // Empties the tree and fills it from the store: the category nodes, the entries (a text
    // shown once whatever its case), the labels, and the result text 1028.
    void Refresh();
    // Ticks every category node and so every entry (after a refill everything is unticked).
    void CheckAllCategories();
    // The "&Ignore" command: the selected entry goes to the ignore list and leaves the tree.
    void IgnoreSelectedItem();
    // Fills out with the store's count per category of the tree; returns their sum.
    int CountFoundItems(CategoryCounts* out);

    // For the scan page: the entries shown, and the tree whose unticked entries it queues.
    int GetTotalItems() const { return m_Tree.GetTotalCount(); }
    CCheckedTreeCtrl& GetTree() { return m_Tree; }

    // A category node's label: the display name, eight blanks, "[", count, " Item(s)]".
    static CString CategoryLabel(const CString& displayName, int count);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    LRESULT OnRefreshMessage(WPARAM, LPARAM);
    LRESULT OnTreeUpdate(WPARAM, LPARAM);
    void OnBack();
    DECLARE_MESSAGE_MAP()

private:
    void CreateTree();
    void AddCategoryNodes(DWORD mask);
    void AddFoundItems();
    void UpdateCategoryLabels();
    void SetResultText(int total);
    // The scan page's result area in this page's client coordinates (the template's tree
    // place when there is no scan page).
    CRect ResultArea();

    DWORD m_dwCategoryMask;
    CFont m_HeadingFont;
    CFont m_TotalFont;
    CFont m_ResultFont;
    CCheckedTreeCtrl m_Tree;
    CBrush m_Brush;
    Style m_HeaderStyle;
    CStatic m_Heading;        // 1026
    CStatic m_TotalLabel;     // 1027
    CStatic m_ResultText;     // 1028
    StyleButton m_FixButton;  // 1029
    StyleButton m_BackButton; // 1030
    bool m_bNodeAdded[RegistryCategoryCount];
    CAbstractScanItemsInfo* m_pScanItems;
    CScanResultsOwner* m_pScanPage;
};
