// CJunkScanDetailDlg: page 3 of the main window, what the junk scan found. An HTML tree holds
// one node per group (Windows System and the four browsers) in the order the engine reports
// them, one item per junk category with its count and size, and under it the single entries;
// each group node gets an orange summary after its last category. The ticks of the category
// items are the next clean's selection. "Back" (and the hidden "Clean") return to the scan page.
//
// Usage: construct, SetScanPage, Create as a child page. The scan page calls Reset when a junk
// scan starts, AppendItem for each entry and AddSection at the end of each category, and
// GetSelectedJunkTypes at Fix. The tree belongs to the GUI thread: a call of AddSection,
// AppendItem or Reset from another thread is carried out on the page's own thread (sent, so the
// caller waits and the order of calls is kept); that thread must be pumping messages then.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "Client/Scan/ScanResultsOwner.h"
#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Client/Skin/XHtmlTree.h"
#include "Framework/CGdiObject.h"
#include "Framework/CImageList.h"
#include "Framework/CStatic.h"

class CJunkScanDetailDlg : public StyleDialog {
public:
    enum { GroupCount = 5, JunkCategoryCount = 26 };
    // The groups in the order of their handle, size and count slots.
    enum JunkGroup {
        GroupWindows,
        GroupInternetExplorer,
        GroupFirefox,
        GroupChrome,
        GroupEdge
    };
    typedef std::vector<std::pair<CString, ULONGLONG>> EntryList;

    CJunkScanDetailDlg();

    // The scan page that knows the scanned junk mask (not owned; NULL: nothing is ticked).
    void SetScanPage(CScanResultsOwner* scanPage) { m_pScanPage = scanPage; }

    // The stored junk selection "LastSelScanJunkTypes".
    static DWORD GetLastSelScanJunkTypes();

    // A junk scan starts: no items, group sizes and counts 0, no category item handles.
    void Reset();
    // One single entry of the category being scanned; shown under it by the next AddSection.
    // Entries with an empty text or no size are not kept.
    void AppendItem(const char* text, ULONGLONG size);
    // The category is done: its item (and the group node for a group's first category, the
    // group summary after its last), with the entries appended since the last section.
    void AddSection(DWORD category, ULONGLONG size, ULONGLONG count);

    // The same in steps, for a section of many thousand entries on the page's own thread:
    // AppendItems takes a section's entries at once (the list is emptied), BeginSection makes
    // the group node and the category item, and AddSectionEntries puts the entries under it
    // until the tick count reaches deadline; it returns true when the section is complete (the
    // group summary set after a group's last category), false while entries are left. A Reset
    // or another BeginSection drops what is left of an unfinished section.
    void AppendItems(EntryList& entries);
    void BeginSection(DWORD category, ULONGLONG size, ULONGLONG count);
    bool AddSectionEntries(DWORD deadline);
    // A section begun while its category was still being scanned (with a size and count of 0)
    // takes its entries as they come: InsertAppendedEntries puts those appended so far under
    // its item until the deadline (true when none is left), SetSectionTotals gives it its
    // size and count once they are known, and AddSectionEntries completes it as above.
    bool InsertAppendedEntries(DWORD deadline);
    void SetSectionTotals(ULONGLONG size, ULONGLONG count);
    // The category of the section begun and not yet completed (0: none).
    DWORD GetOpenCategory() const { return m_OpenCategory; }
    // The categories whose items are ticked (0 for an empty tree).
    DWORD GetSelectedJunkTypes();

    void SetCategoryItem(HTREEITEM item, DWORD category);
    HTREEITEM GetCategoryItem(DWORD category) const;

    CXHtmlTree& GetTree() { return m_Tree; }
    CStatic& GetSummaryText() { return m_SummaryText; }
    const EntryList& GetEntries() const { return m_Entries; }

    // --- texts of the tree --------------------------------------------------------------------
    // The category item's label for a count and size.
    static CString SectionText(DWORD category, ULONGLONG size, ULONGLONG count);
    // A single entry's label.
    static CString EntryText(const CString& text, ULONGLONG size);
    // The group node's label after its last category.
    static CString GroupSummaryText(int group, ULONGLONG size, ULONGLONG count);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    LRESULT OnRunOnPageThread(WPARAM, LPARAM);
    void OnBack();
    DECLARE_MESSAGE_MAP()

private:
    // True when the caller must hand the work to the page's thread.
    bool IsOtherThread() const;
    void SetUpTree();
    void AddSectionHere(DWORD category, ULONGLONG size, ULONGLONG count);

    Style m_HeaderStyle;
    CFont m_HeadingFont;
    CFont m_TotalFont;
    CFont m_SummaryFont;
    HTREEITEM m_hGroups[GroupCount];
    ULONGLONG m_GroupSizes[GroupCount];
    ULONGLONG m_GroupCounts[GroupCount];
    EntryList m_Entries;
    // The section BeginSection began: its category, its item and the next entry to insert.
    DWORD m_OpenCategory;
    HTREEITEM m_hOpenItem;
    size_t m_NextEntry;
    CImageList m_ItemImages;
    CImageList m_StateImages;
    HTREEITEM m_hCategoryItems[JunkCategoryCount];
    CXHtmlTree m_Tree;             // 1032
    StyleButton m_CleanButton;     // 1033
    StyleButton m_BackButton;      // 1030
    CStatic m_Heading;             // 1034
    CStatic m_TotalLabel;          // 1035
    CStatic m_SummaryText;         // 1036
    CScanResultsOwner* m_pScanPage;
};
