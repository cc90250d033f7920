// The registry results page (see RegScanDetailDlg.h).
#include "Client/Scan/RegScanDetailDlg.h"

#include "Client/Resources/ControlResources.h"
#include "Client/Resources/ResultsResources.h"
#include "Client/Scan/ResultPageLook.h"
#include "Client/Scan/ScanCategories.h"
#include "Framework/CWinApp.h"

namespace {

// The registry categories in their row order, each with the string of its display name.
const ScanCategoryRow* RegistryRows()
{
    int count = 0;
    return GetScanCategoryRows(ScanKindRegistry, &count);
}

// Every ignored entry gets this number in the ignore list, whatever its category.
const int IgnoredEntryNumber = 0x4000;
const int CategoryImage = 1;
const int EntryImage = 1;
const int TreeItemHeight = 25;

CString DisplayName(int row)
{
    CString name;
    name.LoadString(RegistryRows()[row].nameId);
    return name;
}

int BitIndex(DWORD bit)
{
    int index = 0;
    while (bit > 1) {
        bit >>= 1;
        ++index;
    }
    return index;
}

}  // namespace

BEGIN_MESSAGE_MAP(CRegScanDetailDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_REGRESULTS_FIX, &CRegScanDetailDlg::OnBack)
    ON_BN_CLICKED(IDC_RESULTS_BACK, &CRegScanDetailDlg::OnBack)
    ON_MESSAGE(WM_REGRESULTS_REFRESH, &CRegScanDetailDlg::OnRefreshMessage)
    ON_MESSAGE(WM_REGTREE_UPDATE, &CRegScanDetailDlg::OnTreeUpdate)
END_MESSAGE_MAP()

CRegScanDetailDlg::CRegScanDetailDlg()
    : StyleDialog(IDD_PAGE_REGISTRY_RESULTS, NULL), m_dwCategoryMask(RegScanAllMask),
      m_pScanItems(NULL), m_pScanPage(NULL)
{
    for (bool& added : m_bNodeAdded)
        added = false;
}

void CRegScanDetailDlg::SetScanItemsInfo(CAbstractScanItemsInfo* store)
{
    m_pScanItems = store;
    m_Tree.SetScanItemsInfo(store);
}

CString CRegScanDetailDlg::CategoryLabel(const CString& displayName, int count)
{
    CString label;
    label.Format("%s        [%d Item(s)]", displayName.GetString(), count);
    return label;
}

void CRegScanDetailDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_REGRESULTS_HEADING, m_Heading);
    DDX_Control(pDX, IDC_REGRESULTS_TOTAL_LABEL, m_TotalLabel);
    DDX_Control(pDX, IDC_REGRESULTS_TEXT, m_ResultText);
    DDX_Control(pDX, IDC_REGRESULTS_FIX, m_FixButton);
    DDX_Control(pDX, IDC_RESULTS_BACK, m_BackButton);
}

BOOL CRegScanDetailDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    SetupBorderStyle(m_frameStyle, BorderStyleWhiteWindow);
    SetResultButtonFace(m_BackButton, IDR_PNG_RESULTS_BACK, "Back");
    SetResultButtonFace(m_FixButton, IDR_PNG_RESULTS_FIX, "Fix");
    m_HeaderStyle = BuildResultHeaderBand(GetResultArea(this, m_pScanPage), IDR_PNG_REGISTRY_HEADER);
    CreateResultFonts(m_HeadingFont, m_TotalFont, m_ResultFont);
    m_Heading.SetFont(&m_HeadingFont);
    m_TotalLabel.SetFont(&m_TotalFont);
    m_ResultText.SetFont(&m_ResultFont);
    FitHeadingToText(m_Heading, {&m_TotalLabel, &m_ResultText});
    m_Brush.CreateSolidBrush(RGB(255, 255, 255));
    CreateTree();
    return TRUE;
}

void CRegScanDetailDlg::CreateTree()
{
    if (m_Tree.m_hWnd)
        return;
    CRect rc = GetResultArea(this, m_pScanPage);
    rc.left += 1;
    rc.top += 1;
    if (!m_Tree.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                           TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                       rc, this, IDC_REGRESULTS_TREE))
        return;
    m_Tree.SetItemHeight(TreeItemHeight);
    m_Tree.InitImageLists();
    m_Tree.SetContextMenu(IDR_TREE_MENU, WM_REGTREE_UPDATE);
}

// --- filling --------------------------------------------------------------------------------

int CRegScanDetailDlg::CountFoundItems(CategoryCounts* out)
{
    int total = 0;
    for (int& count : out->counts)
        count = 0;
    if (!m_pScanItems)
        return 0;
    for (int row = 0; row < RegistryCategoryCount; ++row) {
        const DWORD bit = RegistryRows()[row].bit;
        const int count = m_pScanItems->GetCount(int(bit));
        out->counts[BitIndex(bit)] = count;
        total += count;
    }
    return total;
}

void CRegScanDetailDlg::AddCategoryNodes(DWORD mask)
{
    if (!m_pScanItems)
        return;
    CategoryCounts counts;
    CountFoundItems(&counts);
    for (int row = 0; row < RegistryCategoryCount; ++row) {
        const DWORD bit = RegistryRows()[row].bit;
        const int count = counts.counts[BitIndex(bit)];
        if (!(mask & bit) || count <= 0 || m_bNodeAdded[row])
            continue;
        if (m_Tree.m_hWnd) {
            CString text;
            text.Format("%s        [%d]", DisplayName(row).GetString(), count);
            m_Tree.AddCategory(text, CategoryImage);
        }
        m_bNodeAdded[row] = true;
    }
}

void CRegScanDetailDlg::AddFoundItems()
{
    if (!m_pScanItems)
        return;
    CategoryCounts counts;
    CountFoundItems(&counts);
    for (int row = 0; row < RegistryCategoryCount; ++row) {
        const DWORD bit = RegistryRows()[row].bit;
        if (!(m_dwCategoryMask & bit) || counts.counts[BitIndex(bit)] <= 0)
            continue;
        ScanItemTextList texts;
        m_pScanItems->GetCategoryItems(&texts, int(bit));
        const CString name = DisplayName(row);
        for (const CString& text : texts) {
            if (!m_Tree.m_hWnd)
                break;
            // A text already under the node in another case is the same key or file: shown once.
            m_Tree.AddCategoryItem(0, name, text, EntryImage);
        }
    }
}

void CRegScanDetailDlg::UpdateCategoryLabels()
{
    if (!m_Tree.m_hWnd)
        return;
    // The tree counts a node's entries from its own record; a label that stays as it is is not
    // set again (a shown item that changes is drawn at once).
    for (HTREEITEM root = m_Tree.GetRootItem(); root; root = m_Tree.GetNextSiblingItem(root)) {
        const CString text = m_Tree.GetItemText(root);
        const CString label = CategoryLabel(CCheckedTreeCtrl::GetCategoryName(text), m_Tree.GetChildCount(root));
        if (label != text)
            m_Tree.SetItemText(root, label);
    }
}

void CRegScanDetailDlg::SetResultText(int total)
{
    CString text;
    text.Format("%d registry item(s) were found", total);
    m_ResultText.SetWindowText(text);
    // The static has no background of its own: the page repaints what the old text covered.
    if (m_ResultText.m_hWnd && m_hWnd) {
        CRect rc;
        m_ResultText.GetWindowRect(&rc);
        ScreenToClient(&rc);
        RedrawWindow(&rc, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void CRegScanDetailDlg::Refresh()
{
    // The tree is drawn once, filled.
    m_Tree.HoldRedraw();
    bool deleted = false;
    if (m_Tree.m_hWnd) {
        m_Tree.ModifyStyle(TVS_HASLINES, TVS_HASBUTTONS);
        deleted = m_Tree.DeleteAllItems() != FALSE;
        m_Tree.EnableWindow(TRUE);
    }
    m_dwCategoryMask = RegScanAllMask;
    m_Tree.ResetCounts();
    if (deleted)
        for (bool& added : m_bNodeAdded)
            added = false;
    AddCategoryNodes(m_dwCategoryMask);
    AddFoundItems();
    UpdateCategoryLabels();
    m_Tree.ReleaseRedraw();
    if (m_Tree.m_hWnd) {
        HTREEITEM first = m_Tree.GetRootItem();
        if (first) {
            m_Tree.SelectSetFirstVisible(first);
            m_Tree.Expand(first, TVE_EXPAND);
        }
    }
    SetResultText(m_Tree.GetTotalCount());
}

void CRegScanDetailDlg::CheckAllCategories()
{
    if (!m_Tree.m_hWnd)
        return;
    m_Tree.HoldRedraw();
    for (int row = 0; row < RegistryCategoryCount; ++row) {
        if (!(GetAllScanItemsMask(ScanKindRegistry) & RegistryRows()[row].bit))
            continue;
        // A category without findings has no node: nothing to tick (and a null item would mean
        // the tree's root to the tree view).
        HTREEITEM node = m_Tree.FindCategoryByText(DisplayName(row));
        if (node)
            m_Tree.ToggleCheck(node);
    }
    m_Tree.ReleaseRedraw();
}

// --- ignore ---------------------------------------------------------------------------------

void CRegScanDetailDlg::IgnoreSelectedItem()
{
    if (!m_Tree.m_hWnd)
        return;
    HTREEITEM entry = m_Tree.GetSelectedItem();
    if (!entry || m_Tree.ItemHasChildren(entry))
        return;
    HTREEITEM node = m_Tree.GetParentItem(entry);
    if (!node)
        return;
    const CString name = CCheckedTreeCtrl::GetCategoryName(m_Tree.GetItemText(node));
    const CString text = m_Tree.GetItemText(entry);
    // Written at once; a text the list cannot hold is left out of it, yet still out of this
    // repair. A failed write is not reported: the entry leaves the tree all the same.
    if (m_pScanItems)
        m_pScanItems->UpdateIgnoreEntry(text, name, IgnoredEntryNumber, 0);
    const int count = m_Tree.GetCategoryCount(name);
    if (count >= 0) {
        m_Tree.SetCategoryCount(name, count - 1);
        m_Tree.SetTotalCount(m_Tree.GetTotalCount() - 1);
    }
    m_Tree.DeleteItem(entry);
    if (!m_Tree.ItemHasChildren(node)) {
        m_Tree.DeleteItem(node);
    } else {
        // The node shows the state of the entries that are left.
        const int left = m_Tree.GetCategoryCount(name);
        const int checked = m_Tree.CountCheckedChildren(node);
        m_Tree.SetItemData(node, DWORD_PTR(checked));
        m_Tree.SetItemStateImage(node, checked == 0 ? CheckedTreeUnchecked
                                       : checked == left ? CheckedTreeChecked
                                                         : CheckedTreePartly);
    }
    UpdateCategoryLabels();

    const int total = m_Tree.GetTotalCount();
    SetResultText(total);
    if (m_pScanPage) {
        m_pScanPage->SetRegistryCount(total);
        if (total == 0) {
            m_pScanPage->SetRegistryGauge(1);
            m_pScanPage->SetCategoryValue(0, 0);
            m_pScanPage->ShowRegistryRowGood();
        } else {
            m_pScanPage->SetRegistryGauge(2);
        }
    }
    if (total == 0) {
        if (m_pScanPage)
            m_pScanPage->UpdateSummaryText(10);
        OnBack();
    }
}

// --- messages -------------------------------------------------------------------------------

LRESULT CRegScanDetailDlg::OnRefreshMessage(WPARAM, LPARAM)
{
    Refresh();
    return 0;
}

LRESULT CRegScanDetailDlg::OnTreeUpdate(WPARAM, LPARAM)
{
    IgnoreSelectedItem();
    return 0;
}

void CRegScanDetailDlg::OnBack()
{
    StyleDialog::OnBnClickedBack();
}

BOOL CRegScanDetailDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    const CRect area = GetResultArea(this, m_pScanPage);
    CRect client;
    GetClientRect(&client);
    m_HeaderStyle.Paint(pDC, client.left, client.top, client.right, client.bottom);
    DrawResultPageLines(pDC, area);
    return TRUE;
}

HBRUSH CRegScanDetailDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(pWnd->GetDlgCtrlID() == IDC_REGRESULTS_TEXT ? ResultTextColour
                                                                  : ResultHeadingColour);
    return HBRUSH(m_Brush.m_hObject);
}

BOOL CRegScanDetailDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->m_hWnd == m_BackButton.m_hWnd) {
        ::SetCursor(::LoadCursor(NULL, IDC_HAND));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}
