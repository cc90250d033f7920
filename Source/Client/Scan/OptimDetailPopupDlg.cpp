// The category popups of the Internet Speed and System Speed pages (see OptimDetailPopupDlg.h).
#include "Client/Scan/OptimDetailPopupDlg.h"

#include "Client/Resources/OptimizerResources.h"
#include "Client/Scan/ScanCategories.h"
#include "Client/Scan/TweakDefinitions.h"
#include "Framework/CWinApp.h"

namespace {

// The "Name" column's share of the list's client width.
const double NameColumnShare = 0.3726;
// The column line of the header, as shares of the header's height from its top and bottom.
const double ColumnLineTop = 0.15, ColumnLineBottom = 0.20;
// A popup's rows are this much higher than the list's own.
const int ExtraRowHeight = 5;
// A TCP window row is listed when it is more than this many percent off its optimal value.
const float ListedWindowTolerance = 10.0f;

const DWORD HeaderTextColour = 0xFF3D3D3E;
const COLORREF ColumnLineColour = RGB(0xCC, 0xCC, 0xCC);
const DWORD CloseFill = 0xFF1A66A2;

}  // namespace

BEGIN_MESSAGE_MAP(COptimDetailPopupDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_MEASUREITEM()
END_MESSAGE_MAP()

COptimDetailPopupDlg::COptimDetailPopupDlg(UINT templateId, int kind, int closeId, int frameId, int listId)
    : StyleDialog(templateId, NULL), m_nKind(kind), m_nCloseId(closeId), m_nFrameId(frameId),
      m_nListId(listId), m_nNameWidth(0), m_nCategory(0), m_pSettings(NULL)
{
}

CInetOptimDetailPopupDlg::CInetOptimDetailPopupDlg()
    : COptimDetailPopupDlg(IDD_INET_DETAIL_POPUP, ScanKindInternet, IDC_INET_POPUP_CLOSE,
                           IDC_INET_POPUP_FRAME, IDC_INET_POPUP_LIST)
{
}

CSysOptimDetailPopupDlg::CSysOptimDetailPopupDlg()
    : COptimDetailPopupDlg(IDD_SYS_DETAIL_POPUP, ScanKindSystem, IDC_SYS_POPUP_CLOSE,
                           IDC_SYS_POPUP_FRAME, IDC_SYS_POPUP_LIST)
{
}

bool COptimDetailPopupDlg::IsListed(const COptimizerItem& item)
{
    return TweakDiffersFromOptimal(item, ListedWindowTolerance);
}

INT_PTR COptimDetailPopupDlg::ShowDetails(int category, COptimizerSettings* settings)
{
    m_nCategory = category;
    m_pSettings = settings;
    CWnd* mainWindow = AfxGetMainWnd();
    if (m_Overlay.ShowOver(mainWindow, FALSE, SW_SHOW)) {
        // A click on the dimmed area must not bring it above the popup.
        m_Overlay.EnableWindow(FALSE);
        m_pParentWnd = &m_Overlay;
    }
    const INT_PTR result = DoModal();
    if (m_Overlay.m_hWnd)
        m_Overlay.DestroyWindow();
    return result;
}

void COptimDetailPopupDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, m_nCloseId, m_CloseButton);
    DDX_Control(pDX, m_nListId, m_List);
}

CRect COptimDetailPopupDlg::ControlRect(int id)
{
    CRect rc;
    if (CWnd* control = GetDlgItem(id)) {
        control->GetWindowRect(&rc);
        ScreenToClient(&rc);
    }
    return rc;
}

BOOL COptimDetailPopupDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    SetupBorderStyle(m_frameStyle, BorderStyleWhiteWindow);
    SetupBorderStyle(m_frameStyle, BorderStyleGreyLine);

    CRect rc;
    m_CloseButton.GetClientRect(&rc);
    Style close;
    StyleLayer closeFace(0, 0, rc.Width(), rc.Height(), CloseFill);
    closeFace.AddTextElement("X", 1, 0, 0, 0xFFFFFFFF, 13, 1, "Arial");
    close.AddLayer(closeFace);
    m_CloseButton.SetFaceStyle(close);

    if (m_List.m_hWnd) {
        CRect client;
        m_List.GetClientRect(&client);
        m_nNameWidth = int(client.Width() * NameColumnShare);
        m_List.InsertColumn(0, "Name", LVCFMT_LEFT, m_nNameWidth);
        m_List.InsertColumn(1, "Description", LVCFMT_LEFT, client.Width() - m_nNameWidth);
        FillList();
        m_List.ModifyStyle(LVS_OWNERDRAWFIXED, 0);
        m_List.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    }

    // The header between the frame's top and the list: the column titles over their columns.
    const CRect frame = ControlRect(m_nFrameId);
    const CRect list = ControlRect(m_nListId);
    StyleLayer header(list.left, frame.top, list.Width(), list.top - frame.top);
    const float textTop = float(list.top - frame.top - 17) / 2;
    header.AddTextElement("Name", 6.0f, textTop, HeaderTextColour, 14, 1, "Calibri");
    header.AddTextElement("Description", float(m_nNameWidth + 6), textTop, HeaderTextColour, 14, 1, "Calibri");
    m_HeaderStyle.AddLayer(header);
    return TRUE;
}

void COptimDetailPopupDlg::FillList()
{
    if (!m_pSettings)
        return;
    const TweakCategoryRows* category =
        m_nCategory >= 1 && m_nCategory <= 32 ? FindTweakCategoryByBit(m_nKind, DWORD(1) << (m_nCategory - 1)) : NULL;
    if (!category)
        return;
    // Walked from the last row up, each listed row going to the top: the list is in table order.
    for (int row = category->lastRow; row >= category->firstRow; --row) {
        if (row >= m_pSettings->GetItemCount() || !IsListed(m_pSettings->GetItem(row)))
            continue;
        const int item = m_List.InsertItem(0, TweakDefinitionTable[row].displayName);
        m_List.SetItemText(item, 1, TweakDefinitionTable[row].description);
    }
}

void COptimDetailPopupDlg::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT mis)
{
    if (mis && mis->CtlType == ODT_LISTVIEW && nIDCtl == m_nListId)
        mis->itemHeight += ExtraRowHeight;
}

BOOL COptimDetailPopupDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == m_nCloseId && HIWORD(wParam) == BN_CLICKED) {
        OnOK();
        return TRUE;
    }
    return StyleDialog::OnCommand(wParam, lParam);
}

BOOL COptimDetailPopupDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    m_HeaderStyle.Paint(pDC, client.left, client.top, client.right, client.bottom);
    const CRect frame = ControlRect(m_nFrameId);
    const CRect list = ControlRect(m_nListId);
    const int height = list.top - frame.top;
    const int x = list.left + m_nNameWidth;
    const int top = frame.top + int(height * ColumnLineTop);
    const int bottom = list.top - int(height * ColumnLineBottom);
    pDC->FillSolidRect(x, top, 1, bottom - top, ColumnLineColour);
    return TRUE;
}
