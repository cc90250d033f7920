// The Startup Manager page (see StartupManagerDlg.h).
#include "Client/Tools/StartupManagerDlg.h"

#include <commctrl.h>

#include "Client/Resources/StartupManagerResources.h"
#include "Client/Skin/SkinGdiPlus.h"

namespace {

// Text colours of the two statics (COLORREF).
const COLORREF TitleColour = RGB(0, 0, 0);
const COLORREF SubtitleColour = 0x0071EA;

const DWORD BodyFill = 0xFFFFFFFF;
const DWORD BandFill = 0xFFF3F3F3;
const DWORD BandLightEdge = 0xFFFFFFFF;
const DWORD BandDarkEdge = 0xFFEBEBEB;
const DWORD DividerColour = 0xFFCCCCCC;
const DWORD RemoveFill = 0xFFFF9600;
const DWORD RemoveHoverFill = 0xFFFFA200;
const DWORD TitleTextColour = 0xFF505050;

// The column shares of the list's client width, and where the band's dividers stand (as a
// share of the band's width, from the page's left edge) and how far they keep from its edges.
const double ColumnShares[3] = {0.318, 0.5309, 0.1527};
const double DividerAt[2] = {0.3303, 0.8612};
const double DividerTopGap = 0.15, DividerBottomGap = 0.2143;

const int CheckImageWidth = 32, CheckImageHeight = 21;
const UINT StateImageMask = LVIS_STATEIMAGEMASK;
const UINT StateBoxClear = 0x1000, StateBoxTicked = 0x2000;

Style TextButtonFace(const CRect& rc, DWORD fill, const char* text, DWORD colour, const char* face)
{
    Style style;
    StyleLayer layer(0, 0, rc.Width(), rc.Height());
    if (fill)
        layer.AddFillElement(fill);
    layer.AddTextElement(text, 1, 0, 0, colour, 14, 0, face);
    style.AddLayer(layer);
    return style;
}

void SetFaces(StyleButton& button, const Style& face, const Style& hover, const Style& pressed)
{
    button.SetFaceStyle(face);
    button.SetHoverStyle(hover);
    button.SetPressedStyle(pressed);
}

CRect ClientRectOf(CWnd& control)
{
    CRect rc;
    control.GetClientRect(&rc);
    return rc;
}

}  // namespace

BEGIN_MESSAGE_MAP(CStartupManagerDlg, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_STARTUP_REMOVE, &CStartupManagerDlg::OnRemoveSelected)
    ON_BN_CLICKED(IDC_STARTUP_SORT_NAME, &CStartupManagerDlg::OnSortByName)
    ON_BN_CLICKED(IDC_STARTUP_SORT_PATH, &CStartupManagerDlg::OnSortByPath)
    ON_BN_CLICKED(IDC_STARTUP_SORT_LOCATION, &CStartupManagerDlg::OnSortByLocation)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_STARTUP_LIST, &CStartupManagerDlg::OnItemChanged)
    ON_NOTIFY_RANGE(HDN_ITEMCLICKA, 0u, 0xFFFFu, &CStartupManagerDlg::OnHeaderClick)
    ON_NOTIFY_RANGE(HDN_ITEMCLICKW, 0u, 0xFFFFu, &CStartupManagerDlg::OnHeaderClick)
END_MESSAGE_MAP()

CStartupManagerDlg::CStartupManagerDlg()
    : StyleDialog(IDD_PAGE_STARTUP_MANAGER, NULL), m_listReady(0), m_sortAscending(1),
      m_sortColumn(StartupSortByName)
{
}

void CStartupManagerDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STARTUP_REMOVE, m_removeButton);
    DDX_Control(pDX, IDC_STARTUP_LIST, m_list);
    DDX_Control(pDX, IDC_STARTUP_SORT_NAME, m_nameButton);
    DDX_Control(pDX, IDC_STARTUP_SORT_PATH, m_pathButton);
    DDX_Control(pDX, IDC_STARTUP_SORT_LOCATION, m_locationButton);
}

BOOL CStartupManagerDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    m_whiteBrush.CreateSolidBrush(RGB(255, 255, 255));
    BuildLook();
    SetupList();
    m_runKeySources = GetRunKeySources();
    CollectStartupEntries(m_entries, m_runKeySources, m_sortColumn, m_sortAscending, &m_backupFolder);
    FillList();
    return TRUE;
}

CRect CStartupManagerDlg::TitleBandRect()
{
    CRect band;
    if (CWnd* marker = GetDlgItem(IDC_STARTUP_TITLE_BAND)) {
        marker->GetWindowRect(&band);
        ScreenToClient(&band);
    }
    return band;
}

void CStartupManagerDlg::BuildLook()
{
    CRect client;
    GetClientRect(&client);
    m_background = Style();
    StyleLayer body(0, 0, client.Width() - 1, client.Height() - 1);
    body.AddFillElement(BodyFill);
    m_background.AddLayer(body);
    const CRect band = TitleBandRect();
    StyleLayer title(band.left, band.top, band.Width(), band.Height());
    title.SetShape(1, 0);
    title.borders[0].width = 1;
    title.borders[0].colour1 = BandLightEdge;
    title.borders[0].colour2 = BandDarkEdge;
    title.AddFillElement(BandFill);
    m_background.AddLayer(title);

    const CRect remove = ClientRectOf(m_removeButton);
    SetFaces(m_removeButton, TextButtonFace(remove, RemoveFill, "Remove Selected", 0xFFFFFFFF, "Segoe UI"),
             TextButtonFace(remove, RemoveHoverFill, "Remove Selected", 0xFFFFFFFF, "Segoe UI"),
             TextButtonFace(remove, RemoveHoverFill, "Remove Selected", 0xFFFFFFFF, "Segoe UI"));
    struct TitleButton {
        StyleButton& button;
        const char* text;
    };
    TitleButton titles[] = {{m_nameButton, "Program name"}, {m_pathButton, "File path"},
                            {m_locationButton, "Location"}};
    for (TitleButton& t : titles) {
        const CRect rc = ClientRectOf(t.button);
        const Style face = TextButtonFace(rc, 0, t.text, TitleTextColour, "Calibri");
        SetFaces(t.button, face, face, face);
        t.button.SetWindowText(t.text);
    }

    m_titleFont.CreateFont(19, FW_NORMAL, "Arial");
    m_subtitleFont.CreateFont(17, FW_NORMAL, "Arial");
    if (CWnd* title = GetDlgItem(IDC_STARTUP_TITLE))
        title->SetFont(&m_titleFont);
    if (CWnd* subtitle = GetDlgItem(IDC_STARTUP_SUBTITLE))
        subtitle->SetFont(&m_subtitleFont);
}

void CStartupManagerDlg::SetupList()
{
    CRect rc;
    m_list.GetClientRect(&rc);
    const char* const headings[3] = {"Program name", "File path", "Location"};
    for (int column = 0; column < 3; ++column)
        m_list.InsertColumn(column, headings[column], LVCFMT_LEFT, int(rc.Width() * ColumnShares[column]));
    m_list.ModifyStyle(LVS_OWNERDRAWFIXED, 0);
    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    CBitmap boxes;
    if (boxes.LoadBitmap(IDB_STARTUP_CHECKBOXES) &&
        m_checkImages.Create(CheckImageWidth, CheckImageHeight, ILC_COLOR32 | ILC_MASK, 2, 2)) {
        m_checkImages.Add(&boxes, RGB(255, 255, 255));
        // The boxes the list made for itself with the check-box style are no longer used.
        HIMAGELIST own = m_list.SetImageList(&m_checkImages, LVSIL_STATE);
        if (own && own != m_checkImages.GetSafeHandle())
            ImageList_Destroy(own);
    }
}

// --- the list ---------------------------------------------------------------------------------

void CStartupManagerDlg::FillList()
{
    m_listReady = 0;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const StartupItem& entry = m_entries[i];
        const int row = m_list.InsertItem(int(i), entry.Name);
        if (row < 0)
            continue;
        m_list.SetItemText(row, 1, entry.Command);
        const char* location = entry.IsRegistry ? (entry.MachineWide ? "HKLM" : "HKCU")
                                                : (entry.MachineWide ? "Common Startup" : "Startup");
        m_list.SetItemText(row, 2, location);
        m_list.SetItemData(row, DWORD_PTR(entry.IsRegistry));
        m_list.SetItemState(row, entry.Disabled ? StateBoxClear : StateBoxTicked, StateImageMask);
    }
    m_listReady = 1;
}

void CStartupManagerDlg::RefreshList()
{
    // No check-box notification may reach the entries while rows and entries disagree.
    m_listReady = 0;
    m_entries.clear();
    m_runKeySources = GetRunKeySources();
    CollectStartupEntries(m_entries, m_runKeySources, m_sortColumn, m_sortAscending, &m_backupFolder);
    if (m_list.m_hWnd) {
        m_list.DeleteAllItems();
        FillList();
    }
    m_listReady = 1;
}

void CStartupManagerDlg::ShowEntryState(int row)
{
    const int ready = m_listReady;
    m_listReady = 0;
    m_list.SetItemState(row, m_entries[row].Disabled ? StateBoxClear : StateBoxTicked, StateImageMask);
    m_listReady = ready;
}

void CStartupManagerDlg::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    if (!m_listReady || !(change->uChanged & LVIF_STATE))
        return;
    // Selection and focus changes carry the state-image bits too: only a changed box counts.
    if (!((change->uNewState ^ change->uOldState) & StateImageMask))
        return;
    if (change->iItem < 0 || change->iItem >= int(m_entries.size()))
        return;
    StartupItem& entry = m_entries[change->iItem];
    int done;
    switch (change->uNewState & 0x3000) {
    case StateBoxClear: done = DisableStartupEntry(entry); break;
    case StateBoxTicked: done = EnableStartupEntry(entry); break;
    default: return;
    }
    // A box never shows what did not happen.
    if (!done)
        ShowEntryState(change->iItem);
}

void CStartupManagerDlg::OnRemoveSelected()
{
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0 || row >= int(m_entries.size()))
        return;
    if (!RemoveStartupEntry(m_entries[row]))
        return;
    m_listReady = 0;
    m_list.DeleteItem(row);
    m_entries.erase(m_entries.begin() + row);
    m_listReady = 1;
}

// --- sorting ----------------------------------------------------------------------------------

void CStartupManagerDlg::SortBy(int column)
{
    m_sortAscending = column == m_sortColumn ? !m_sortAscending : 1;
    m_sortColumn = column;
    RefreshList();
}

void CStartupManagerDlg::OnHeaderClick(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const NMHEADERA* click = reinterpret_cast<const NMHEADERA*>(pNMHDR);
    if (click->iButton != 0 || click->iItem < 0 || click->iItem > StartupSortByLocation)
        return;
    SortBy(click->iItem);
}

void CStartupManagerDlg::OnSortByName() { SortBy(StartupSortByName); }
void CStartupManagerDlg::OnSortByPath() { SortBy(StartupSortByCommand); }
void CStartupManagerDlg::OnSortByLocation() { SortBy(StartupSortByLocation); }

// --- painting ---------------------------------------------------------------------------------

BOOL CStartupManagerDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    // The body stops one pixel short of the right and bottom edges: those stay white too.
    pDC->FillSolidRect(&client, RGB(255, 255, 255));
    m_background.Paint(pDC, client.left, client.top, client.right, client.bottom);

    const CRect band = TitleBandRect();
    const int w = band.Width(), h = band.Height();
    const int top = band.top + int(DividerTopGap * h);
    const int bottom = band.bottom - int(DividerBottomGap * h);
    Gdiplus::Graphics graphics(pDC->m_hDC);
    Gdiplus::Pen pen(Gdiplus::Color(DividerColour), 1.0f);
    for (double at : DividerAt) {
        const int x = int(at * w);
        graphics.DrawLine(&pen, x, top, x, bottom);
    }
    return TRUE;
}

HBRUSH CStartupManagerDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    pDC->SetTextColor(pWnd->GetDlgCtrlID() == IDC_STARTUP_SUBTITLE ? SubtitleColour : TitleColour);
    return HBRUSH(m_whiteBrush.m_hObject);
}
