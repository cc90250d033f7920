// COptimDetailPage: what the Internet Speed and System Speed pages (pages 4 and 5 of the main
// window) share. A page shows the result of one tweak scan by category: the total, and per
// category row its icon and name, a check box (ticked: the next fix applies the category), the
// count of settings that can be optimized and "View Details", which opens the category's popup
// when the count is above 0. "Back" (and the hidden "Optimize" and "Restore Default") show the
// scan page again.
//
// The page lays itself out over the scan page's result area (control 1015 of page 1, its
// sibling in the main window); without it, over the same place in its own dialog units.
// The page keeps a pointer to the scan's tweak settings (not owned), set by ShowResults; without
// it every count is 0. GUI thread only.
#pragma once

#include <windows.h>

#include "Client/Scan/OptimizerSettings.h"
#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Framework/CGdiObject.h"
#include "Framework/CRect.h"
#include "Framework/CStatic.h"

// One category row of a page.
struct OptimPageRow {
    const char* label;   // drawn next to the icon
    int iconId;          // PNG
    int checkId;
    int countId;
    int detailsId;
    DWORD bit;           // the category's bit of the kind's mask
    int category;        // the popup's category number (1-based, in row order of the table)
};

// What makes a page the internet or the system page.
struct OptimPageLayout {
    int kind;            // ScanKindInternet or ScanKindSystem
    UINT templateId;
    int titleId;
    int totalId;
    int subtitleId;
    int optimizeId;      // the hidden "Optimize"
    int headerPictureId;
    const OptimPageRow* rows;
    int rowCount;
};

class COptimDetailPage : public StyleDialog {
public:
    enum { MaxRows = 5 };

    explicit COptimDetailPage(const OptimPageLayout& layout);

    // Keeps the settings and fills the total and count texts from their counters.
    void ShowResults(int total, COptimizerSettings* settings);
    // Ticks box k from bit k of the mask the scan used.
    void SetChecks(DWORD mask);
    // The ticked boxes as the kind's mask bits.
    DWORD GetSelectedTypes();

    // A row's count as the page knows it (0 without results).
    int GetRowCount(int row) const;
    COptimizerSettings* GetSettings() const { return m_pSettings; }
    const OptimPageLayout& GetLayout() const { return m_Layout; }
    // The result area the page is laid out over, in its client coordinates.
    CRect GetResultAreaRect();

    // The count line of a count.
    static CString CountText(int count);
    // The total line of a total.
    static CString TotalText(int total);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnShowWindow(BOOL bShow, UINT nStatus);
    DECLARE_MESSAGE_MAP()

    // Opens the popup of a category (only called for a count above 0).
    virtual void ShowCategoryDetails(int category) = 0;

private:
    void Arrange();
    void SetUpButtons();
    void RepaintControl(CWnd& control);
    void OnViewDetails(int row);

    OptimPageLayout m_Layout;
    Style m_PageStyle;
    CFont m_TitleFont;
    CFont m_TotalFont;
    CFont m_SubtitleFont;
    CFont m_CountFont;
    CBrush m_Brush;
    CStatic m_Title;
    CStatic m_Total;
    CStatic m_Subtitle;
    CStatic m_Counts[MaxRows];
    StyleButton m_Checks[MaxRows];
    StyleButton m_Details[MaxRows];
    StyleButton m_OptimizeButton;
    StyleButton m_RestoreButton;
    StyleButton m_BackButton;
    CRect m_Area;
    int m_RowTops[MaxRows + 1];
    COptimizerSettings* m_pSettings;
};
