// What the Internet Speed and System Speed pages share (see OptimDetailPage.h).
#include "Client/Scan/OptimDetailPage.h"

#include "Client/Frame/FrameResources.h"
#include "Client/Resources/OptimizerResources.h"
#include "Client/Resources/ResultsResources.h"
#include "Client/Scan/ResultPageLook.h"
#include "Client/Scan/ScanCategories.h"

namespace {

// The scan page's result area, a control of page 1.
const int ScanPageResultAreaId = 1015;

const COLORREF SubtitleColour = RGB(26, 102, 162);
const COLORREF RowLineColour = RGB(0xE3, 0xE3, 0xE3);
const DWORD LabelColour = 0xFF2D2D2D;

// The row block inside the result area (pixels).
const int SubtitleTop = 10, SubtitleHeight = 20, RowsTop = 38, RowsBottomMargin = 6;
const int CheckX = 14, CheckSize = 16;
const int IconX = 40, IconSize = 24;
const int LabelX = 72;
const double CountLeft = 0.42, CountWidth = 0.36;
const int DetailsWidth = 96, DetailsHeight = 24, DetailsRightMargin = 14;
const int TitleX = 40, TitleGap = 6;

CRect ControlRectIn(CWnd* parent, CWnd& control)
{
    CRect rc;
    if (control.m_hWnd) {
        control.GetWindowRect(&rc);
        parent->ScreenToClient(&rc);
    }
    return rc;
}

Style PictureFace(const CRect& rc, int pictureId)
{
    Style face;
    StyleLayer picture(0, 0, rc.Width(), rc.Height());
    picture.AddImageElement(0, 0, pictureId, "PNG", 0, 0);
    face.AddLayer(picture);
    return face;
}

}  // namespace

BEGIN_MESSAGE_MAP(COptimDetailPage, StyleDialog)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_SETCURSOR()
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

COptimDetailPage::COptimDetailPage(const OptimPageLayout& layout)
    : StyleDialog(layout.templateId, NULL), m_Layout(layout), m_pSettings(NULL)
{
    if (m_Layout.rowCount > MaxRows)
        m_Layout.rowCount = MaxRows;
    for (int& top : m_RowTops)
        top = 0;
}

CString COptimDetailPage::CountText(int count)
{
    CString text;
    if (count == 0)
        text = "Optimal settings applied";
    else
        text.Format("%d%s", count, count == 1 ? " setting can be optimized" : " settings can be optimized");
    return text;
}

CString COptimDetailPage::TotalText(int total)
{
    CString text;
    text.Format("%d%s", total, " setting(s) can be changed to improve speed");
    return text;
}

void COptimDetailPage::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, m_Layout.titleId, m_Title);
    DDX_Control(pDX, m_Layout.totalId, m_Total);
    DDX_Control(pDX, m_Layout.subtitleId, m_Subtitle);
    for (int row = 0; row < m_Layout.rowCount; ++row) {
        DDX_Control(pDX, m_Layout.rows[row].countId, m_Counts[row]);
        DDX_Control(pDX, m_Layout.rows[row].checkId, m_Checks[row]);
        DDX_Control(pDX, m_Layout.rows[row].detailsId, m_Details[row]);
    }
    DDX_Control(pDX, m_Layout.optimizeId, m_OptimizeButton);
    DDX_Control(pDX, IDC_OPTIM_RESTORE, m_RestoreButton);
    DDX_Control(pDX, IDC_OPTIM_BACK, m_BackButton);
}

BOOL COptimDetailPage::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    SetupBorderStyle(m_frameStyle, BorderStyleWhiteWindow);
    m_TitleFont.CreateFont(20, FW_BOLD, "Arial");
    m_TotalFont.CreateFont(18, FW_NORMAL, "Arial");
    m_SubtitleFont.CreateFont(16, FW_NORMAL, "Arial");
    m_CountFont.CreateFont(14, FW_BOLD, "Arial");
    m_Title.SetFont(&m_TitleFont);
    m_Total.SetFont(&m_TotalFont);
    m_Subtitle.SetFont(&m_SubtitleFont);
    for (int row = 0; row < m_Layout.rowCount; ++row)
        m_Counts[row].SetFont(&m_CountFont);
    m_Brush.CreateSolidBrush(RGB(255, 255, 255));
    Arrange();
    SetUpButtons();
    return TRUE;
}

// --- layout -----------------------------------------------------------------------------------

CRect COptimDetailPage::GetResultAreaRect()
{
    // Both pages fill the main window's content area, so the scan page's client coordinates
    // are this page's.
    CWnd* parent = GetParent();
    HWND scanPage = parent ? ::GetDlgItem(parent->m_hWnd, IDD_PAGE_SYSTEM_SCAN) : NULL;
    HWND area = scanPage && scanPage != m_hWnd ? ::GetDlgItem(scanPage, ScanPageResultAreaId) : NULL;
    if (area) {
        CRect rc;
        ::GetWindowRect(area, &rc);
        ::MapWindowPoints(NULL, scanPage, reinterpret_cast<POINT*>(&rc), 2);
        if (rc.Width() > 0 && rc.Height() > 0)
            return rc;
    }
    return GetResultArea(this, NULL);
}

void COptimDetailPage::Arrange()
{
    m_Area = GetResultAreaRect();
    const CRect& a = m_Area;

    // The header band above the area: the picture, the title and the total after it.
    m_PageStyle = BuildResultHeaderBand(a, m_Layout.headerPictureId);
    const StyleLayer& band = m_PageStyle.layers[0];
    const int bandMiddle = band.y + band.height / 2;
    const int titleWidth = TextWidth(m_Title) + 4;
    m_Title.MoveWindow(a.left + TitleX, bandMiddle - 12, titleWidth, 24, FALSE);
    m_Total.MoveWindow(a.left + TitleX + titleWidth + TitleGap, bandMiddle - 11,
                       a.Width() - TitleX - titleWidth - TitleGap, 22, FALSE);
    m_Subtitle.MoveWindow(a.left + CheckX, a.top + SubtitleTop, a.Width() - 2 * CheckX, SubtitleHeight, FALSE);

    // The rows share the block below the subtitle evenly.
    const int top = a.top + RowsTop;
    const int height = a.bottom - RowsBottomMargin - top;
    const int rows = m_Layout.rowCount > 0 ? m_Layout.rowCount : 1;
    for (int row = 0; row <= m_Layout.rowCount; ++row)
        m_RowTops[row] = top + height * row / rows;
    for (int row = 0; row < m_Layout.rowCount; ++row) {
        const int middle = (m_RowTops[row] + m_RowTops[row + 1]) / 2;
        m_Checks[row].MoveWindow(a.left + CheckX, middle - CheckSize / 2, CheckSize, CheckSize, FALSE);
        const int countLeft = a.left + int(a.Width() * CountLeft);
        m_Counts[row].MoveWindow(countLeft, middle - 9, int(a.Width() * CountWidth), 18, FALSE);
        m_Details[row].MoveWindow(a.right - DetailsRightMargin - DetailsWidth, middle - DetailsHeight / 2,
                                  DetailsWidth, DetailsHeight, FALSE);
        StyleLayer icon(a.left + IconX, middle - IconSize / 2, IconSize, IconSize);
        icon.AddImageElement(0, 0, m_Layout.rows[row].iconId, "PNG", 0, 0);
        m_PageStyle.AddLayer(icon);
        StyleLayer label(a.left + LabelX, middle - 9, countLeft - a.left - LabelX - 4, 18);
        label.AddTextElement(m_Layout.rows[row].label, 0, 0, LabelColour, 12, 0, "Arial");
        m_PageStyle.AddLayer(label);
    }

    // "Back" below the area, as on the other results pages.
    CRect back = ControlRectIn(this, m_BackButton);
    m_BackButton.MoveWindow(a.left, a.bottom + 2, back.Width(), back.Height(), FALSE);
    Invalidate();
}

void COptimDetailPage::SetUpButtons()
{
    SetResultButtonFace(m_BackButton, IDR_PNG_RESULTS_BACK, "Back");
    SetResultButtonFace(m_OptimizeButton, IDR_PNG_RESULTS_FIX, "Apply");
    SetResultButtonFace(m_RestoreButton, IDR_PNG_RESULTS_FIX, "Restore Default");
    for (int row = 0; row < m_Layout.rowCount; ++row) {
        SetResultButtonFace(m_Details[row], IDR_PNG_OPTIM_DETAILS, "View Details");
        CRect rc;
        m_Checks[row].GetClientRect(&rc);
        m_Checks[row].SetFaceStyle(PictureFace(rc, IDR_PNG_OPTIM_CHECK_OFF));
        const Style on = PictureFace(rc, IDR_PNG_OPTIM_CHECK_ON);
        m_Checks[row].SetCheckedStyles(on);
    }
}

void COptimDetailPage::OnShowWindow(BOOL bShow, UINT)
{
    // The scan page's result area may have moved since the page was made.
    if (bShow && GetResultAreaRect() != m_Area) {
        Arrange();
        for (StyleButton& button : m_Details)
            if (button.m_hWnd)
                button.ResetStyles();
    }
    Default();
}

// --- results and ticks ------------------------------------------------------------------------

int COptimDetailPage::GetRowCount(int row) const
{
    if (!m_pSettings || row < 0 || row >= m_Layout.rowCount)
        return 0;
    const DWORD bit = m_Layout.rows[row].bit;
    return m_Layout.kind == ScanKindInternet ? m_pSettings->GetInetCount(bit) : m_pSettings->GetSysCount(bit);
}

void COptimDetailPage::RepaintControl(CWnd& control)
{
    // The statics have no background of their own: the page repaints what the old text covered.
    if (!control.m_hWnd || !m_hWnd)
        return;
    CRect rc = ControlRectIn(this, control);
    RedrawWindow(&rc, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void COptimDetailPage::ShowResults(int total, COptimizerSettings* settings)
{
    m_pSettings = settings;
    m_Total.SetWindowText(TotalText(total));
    RepaintControl(m_Total);
    for (int row = 0; row < m_Layout.rowCount; ++row) {
        m_Counts[row].SetWindowText(CountText(GetRowCount(row)));
        RepaintControl(m_Counts[row]);
    }
}

void COptimDetailPage::SetChecks(DWORD mask)
{
    for (int row = 0; row < m_Layout.rowCount; ++row)
        m_Checks[row].SetState((mask & m_Layout.rows[row].bit) ? 1 : 0);
}

DWORD COptimDetailPage::GetSelectedTypes()
{
    DWORD mask = 0;
    for (int row = 0; row < m_Layout.rowCount; ++row)
        if (m_Checks[row].GetChecked())
            mask |= m_Layout.rows[row].bit;
    return mask;
}

// --- commands ---------------------------------------------------------------------------------

BOOL COptimDetailPage::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED) {
        for (int row = 0; row < m_Layout.rowCount; ++row) {
            if (id == m_Layout.rows[row].checkId) {
                // A click flips the tick; the box is drawn from it.
                m_Checks[row].SetState(m_Checks[row].GetChecked() ? 0 : 1);
                return TRUE;
            }
            if (id == m_Layout.rows[row].detailsId) {
                OnViewDetails(row);
                return TRUE;
            }
        }
        if (id == IDC_OPTIM_BACK || id == IDC_OPTIM_RESTORE || id == m_Layout.optimizeId) {
            StyleDialog::OnBnClickedBack();
            return TRUE;
        }
    }
    return StyleDialog::OnCommand(wParam, lParam);
}

void COptimDetailPage::OnViewDetails(int row)
{
    if (GetRowCount(row) <= 0)
        return;
    ShowCategoryDetails(m_Layout.rows[row].category);
}

// --- drawing ----------------------------------------------------------------------------------

BOOL COptimDetailPage::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    m_PageStyle.Paint(pDC, client.left, client.top, client.right, client.bottom);
    DrawResultPageLines(pDC, m_Area);
    for (int row = 1; row < m_Layout.rowCount; ++row)
        pDC->FillSolidRect(m_Area.left + 8, m_RowTops[row], m_Area.Width() - 16, 1, RowLineColour);
    return TRUE;
}

HBRUSH COptimDetailPage::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    const int id = pWnd->GetDlgCtrlID();
    COLORREF colour = ResultTextColour;
    if (id == m_Layout.titleId)
        colour = ResultHeadingColour;
    else if (id == m_Layout.subtitleId)
        colour = SubtitleColour;
    pDC->SetTextColor(colour);
    return HBRUSH(m_Brush.m_hObject);
}

BOOL COptimDetailPage::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    bool hand = false;
    if (pWnd && (pWnd->m_hWnd == m_BackButton.m_hWnd || pWnd->m_hWnd == m_RestoreButton.m_hWnd))
        hand = true;
    for (int row = 0; pWnd && row < m_Layout.rowCount; ++row)
        if (pWnd->m_hWnd == m_Details[row].m_hWnd && GetRowCount(row) > 0)
            hand = true;
    if (hand) {
        ::SetCursor(::LoadCursor(NULL, IDC_HAND));
        return TRUE;
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}
