// The Customize Scan dialog (see CustomizeScanDlg.h).
#include "Client/Scan/CustomizeScanDlg.h"

#include "Client/Resources/ControlResources.h"
#include "Client/Resources/CustomizeScanResources.h"
#include "Framework/CString.h"
#include "Framework/CWinApp.h"

namespace {

// The title strip and the skin's colours (ARGB).
const DWORD StripTopColour = 0xFF297CB2;
const DWORD StripBottomColour = 0xFF1167BD;
const DWORD HeaderEdgeColour = 0xFFEBEBEB;
const DWORD HeaderBottomColour = 0xFFF3F3F3;
const DWORD HeaderTextColour = 0xFF505050;
const COLORREF ColumnLineColour = RGB(0xCC, 0xCC, 0xCC);
const DWORD TabFaceTop = 0xFFF7F7F7, TabFaceBottom = 0xFFDDE3E8, TabTextColour = 0xFF3D3D3E;
const DWORD TabSelectedTop = 0xFF3A8FD0, TabSelectedBottom = 0xFF1167BD;
const DWORD TabEdgeColour = 0xFFC8CDD2;
const DWORD CloseFill = 0xFF1A66A2;

// The first column's share of a list's client width.
const double CategoryColumnShare = 0.4622;
// The column line of the header strip, as shares of the strip's height from its top and bottom.
const double ColumnLineTop = 0.15, ColumnLineBottom = 0.20;

const int TitlePictureX = 10, TitlePictureY = 10;
const int TitleTextX = 28, TitleTextY = 8;

int ListId(int kind) { return IDC_CUSTOMIZE_LIST_REGISTRY + kind - 1; }
int TabId(int tab) { return IDC_CUSTOMIZE_TAB_REGISTRY + tab; }

// A tab's face: a light (or, selected, blue) gradient with its caption in Calibri 12.
Style TabFace(const CRect& rc, const char* caption, bool selected)
{
    Style face;
    StyleLayer fill(0, 0, rc.Width(), rc.Height());
    fill.SetAttributes(1, selected ? TabSelectedBottom : TabEdgeColour);
    fill.AddGradientElement(1, selected ? TabSelectedTop : TabFaceTop,
                            selected ? TabSelectedBottom : TabFaceBottom, 0);
    face.AddLayer(fill);
    StyleLayer text(0, 0, rc.Width(), rc.Height());
    text.AddTextElement(caption, 1, 0, 0, selected ? 0xFFFFFFFF : TabTextColour, 12, 1, "Calibri");
    face.AddLayer(text);
    return face;
}

}  // namespace

BEGIN_MESSAGE_MAP(CCustomizeScanDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_SETCURSOR()
    ON_BN_CLICKED(IDC_CUSTOMIZE_CLOSE, &CCustomizeScanDlg::OnCloseButton)
    ON_BN_CLICKED(IDC_CUSTOMIZE_RESET, &CCustomizeScanDlg::OnReset)
    ON_COMMAND_RANGE(IDC_CUSTOMIZE_TAB_REGISTRY, IDC_CUSTOMIZE_TAB_SYSTEM, &CCustomizeScanDlg::OnTab)
END_MESSAGE_MAP()

CCustomizeScanDlg::CCustomizeScanDlg(CWnd* pParent)
    : StyleDialog(IDD_CUSTOMIZE_SCAN, pParent), m_nSelectedTab(0)
{
}

void CCustomizeScanDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CUSTOMIZE_CLOSE, m_CloseButton);
    for (int tab = 0; tab < ScanKindCount; ++tab)
        DDX_Control(pDX, TabId(tab), m_TabButtons[tab]);
    DDX_Control(pDX, IDC_CUSTOMIZE_RESET, m_ResetButton);
    for (int kind = 1; kind <= ScanKindCount; ++kind)
        DDX_Control(pDX, ListId(kind), m_Lists[kind - 1]);
}

CRect CCustomizeScanDlg::ControlRect(int id)
{
    CRect rc;
    if (CWnd* control = GetDlgItem(id)) {
        control->GetWindowRect(&rc);
        ScreenToClient(&rc);
    }
    return rc;
}

BOOL CCustomizeScanDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    BuildFrame();
    SetUpButtons();
    SetUpLists();
    SetRegScanTypes(GetLastSelScanTypes(ScanKindRegistry));
    SetJunkScanTypes(GetLastSelScanTypes(ScanKindJunk));
    SetInetTweakTypes(GetLastSelScanTypes(ScanKindInternet));
    SetSysTweakTypes(GetLastSelScanTypes(ScanKindSystem));
    return TRUE;
}

void CCustomizeScanDlg::BuildFrame()
{
    CRect client;
    GetClientRect(&client);
    const int tabTop = ControlRect(IDC_CUSTOMIZE_TAB_REGISTRY).top;

    // The title strip above the tabs, and the white panel from the tabs down, in a blue ring.
    Style frame;
    StyleLayer strip(client.left, client.top, client.Width(), tabTop - client.top);
    strip.AddGradientElement(1, StripTopColour, StripBottomColour, 0);
    strip.AddImageElement(TitlePictureX, TitlePictureY, IDR_PNG_CUSTOMIZE_TITLE, "PNG", 1, 0);
    strip.AddTextElement("Customize Scan", float(TitleTextX), float(TitleTextY), 0xFFFFFFFF, 14, 0, "Calibri");
    frame.AddLayer(strip);
    StyleLayer panel(client.left, tabTop, client.Width(), client.bottom - tabTop, 0xFFFFFFFF);
    frame.AddLayer(panel);
    StyleLayer ring(client.left, client.top, client.Width(), client.Height());
    ring.SetAttributes(1, StripBottomColour);
    frame.AddLayer(ring);
    SetFrameStyle(frame);

    // The header strip over the lists: the column titles above their columns.
    const CRect header = ControlRect(IDC_CUSTOMIZE_HEADER);
    const int secondColumn = ControlRect(IDC_CUSTOMIZE_TAB_INTERNET).left - header.left;
    m_BackgroundStyle = Style();
    StyleLayer band(header.left, header.top, header.Width(), header.Height());
    band.SetAttributes(1, HeaderEdgeColour);
    band.AddGradientElement(1, 0xFFFFFFFF, HeaderBottomColour, 0);
    const float textTop = float(header.Height() - 16) / 2;
    band.AddTextElement("Category", 8.0f, textTop, HeaderTextColour, 14, 0, "Calibri");
    band.AddTextElement("Description", float(secondColumn + 8), textTop, HeaderTextColour, 14, 0, "Calibri");
    m_BackgroundStyle.AddLayer(band);
}

void CCustomizeScanDlg::SetUpButtons()
{
    CRect rc;
    m_CloseButton.GetClientRect(&rc);
    Style close;
    StyleLayer closeFace(0, 0, rc.Width(), rc.Height(), CloseFill);
    closeFace.AddTextElement("X", 1, 0, 0, 0xFFFFFFFF, 13, 1, "Arial");
    close.AddLayer(closeFace);
    m_CloseButton.SetFaceStyle(close);

    for (int tab = 0; tab < ScanKindCount; ++tab) {
        StyleButton& button = m_TabButtons[tab];
        CString caption;
        button.GetWindowText(caption);
        button.GetClientRect(&rc);
        button.SetFaceStyle(TabFace(rc, caption, false));
        const Style selected = TabFace(rc, caption, true);
        button.SetCheckedStyles(selected);
        // The selected tab is held pressed and disabled: it shows its face unmoved.
        button.SetCheckedPressedStyle(selected);
    }

    m_ResetButton.GetClientRect(&rc);
    Style reset;
    StyleLayer picture(0, 0, rc.Width(), rc.Height());
    picture.AddImageElement(0, 0, IDR_PNG_CUSTOMIZE_RESET, "PNG", 0, 0);
    reset.AddLayer(picture);
    StyleLayer caption(0, 0, rc.Width(), rc.Height());
    caption.AddTextElement("Reset", 1, 0, 0, 0xFFFFFFFF, 12, 1, "Calibri");
    reset.AddLayer(caption);
    m_ResetButton.SetFaceStyle(reset);

    SelectTab(0);
}

void CCustomizeScanDlg::SetUpLists()
{
    m_RowImages.Create(IDB_TREE_STATES, 13, 1, RGB(255, 255, 255));
    for (int kind = 1; kind <= ScanKindCount; ++kind) {
        CListCtrl& list = m_Lists[kind - 1];
        if (!list.m_hWnd)
            continue;
        list.ModifyStyle(LVS_OWNERDRAWFIXED, 0);
        list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
        CRect client;
        list.GetClientRect(&client);
        const int first = int(client.Width() * CategoryColumnShare);
        list.InsertColumn(0, "Category", LVCFMT_LEFT, first);
        list.InsertColumn(1, "Description", LVCFMT_LEFT, client.Width() - first);
        if (m_RowImages.GetSafeHandle())
            list.SetImageList(&m_RowImages, LVSIL_SMALL);

        int count = 0;
        const ScanCategoryRow* rows = GetScanCategoryRows(kind, &count);
        for (int row = 0; row < count; ++row) {
            CString name;
            if (rows[row].nameId)
                name.LoadString(rows[row].nameId);
            else
                name = rows[row].name;
            const int item = list.InsertItem(row, name);
            list.SetItemText(item, 1, rows[row].description);
        }
    }
}

// --- masks ------------------------------------------------------------------------------------

DWORD CCustomizeScanDlg::GetListTypes(int kind)
{
    CListCtrl& list = GetList(kind);
    if (!list.m_hWnd)
        return 0;
    int count = 0;
    const ScanCategoryRow* rows = GetScanCategoryRows(kind, &count);
    DWORD mask = 0;
    for (int row = 0; row < count && row < list.GetItemCount(); ++row)
        if (list.GetCheck(row))
            mask |= rows[row].bit;
    return mask;
}

void CCustomizeScanDlg::SetListTypes(int kind, DWORD mask)
{
    CListCtrl& list = GetList(kind);
    if (!list.m_hWnd)
        return;
    int count = 0;
    const ScanCategoryRow* rows = GetScanCategoryRows(kind, &count);
    for (int row = 0; row < count && row < list.GetItemCount(); ++row)
        list.SetCheck(row, (mask & rows[row].bit) != 0);
}

void CCustomizeScanDlg::SaveSelections()
{
    const DWORD masks[ScanKindCount] = {GetRegScanTypes(), GetJunkScanTypes(), GetInetTweakTypes(),
                                        GetSysTweakTypes()};
    SaveLastSelScanTypes(masks);
}

// --- commands ---------------------------------------------------------------------------------

void CCustomizeScanDlg::OnCloseButton()
{
    SaveSelections();
    OnCancel();
}

void CCustomizeScanDlg::OnReset()
{
    for (int kind = 1; kind <= ScanKindCount; ++kind)
        SetListTypes(kind, GetDefaultScanItemsMask(kind));
}

void CCustomizeScanDlg::OnTab(UINT id)
{
    SelectTab(int(id) - IDC_CUSTOMIZE_TAB_REGISTRY);
}

void CCustomizeScanDlg::SelectTab(int tab)
{
    if (tab < 0 || tab >= ScanKindCount)
        return;
    for (int other = 0; other < ScanKindCount; ++other) {
        m_TabButtons[other].SetState(0);
        m_TabButtons[other].EnableWindow(TRUE);
        if (m_Lists[other].m_hWnd)
            m_Lists[other].ShowWindow(SW_HIDE);
    }
    m_TabButtons[tab].SetState(2);
    m_TabButtons[tab].EnableWindow(FALSE);
    if (m_Lists[tab].m_hWnd)
        m_Lists[tab].ShowWindow(SW_SHOW);
    m_nSelectedTab = tab;
}

// --- drawing ----------------------------------------------------------------------------------

BOOL CCustomizeScanDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    m_BackgroundStyle.Paint(pDC, client.left, client.top, client.right, client.bottom);
    const CRect header = ControlRect(IDC_CUSTOMIZE_HEADER);
    const int x = ControlRect(IDC_CUSTOMIZE_TAB_INTERNET).left;
    const int top = header.top + int(header.Height() * ColumnLineTop);
    const int bottom = header.bottom - int(header.Height() * ColumnLineBottom);
    pDC->FillSolidRect(x, top, 1, bottom - top, ColumnLineColour);
    return TRUE;
}

BOOL CCustomizeScanDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd->m_hWnd == m_ResetButton.m_hWnd) {
        ::SetCursor(::LoadCursor(NULL, IDC_HAND));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}
