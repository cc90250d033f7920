// The System Scan page's looks: its controls and fonts, the rows with their active look,
// gauges, marks and Details buttons, the headline and buttons of each state, the colours of
// the texts and the lines between the rows (see ScanningDlg.h).
#include "Client/Scan/ScanningDlg.h"

#include "Client/Resources/ControlResources.h"
#include "Client/Resources/ScanPageResources.h"
#include "Client/Scan/ScanPageTexts.h"
#include "Framework/CWinApp.h"

namespace {

const UINT RowTitleIds[CScanningDlg::RowCount] = {
    IDC_ROW_TITLE_REGISTRY, IDC_ROW_TITLE_JUNK, IDC_ROW_TITLE_INTERNET, IDC_ROW_TITLE_SYSTEM,
};
const char* const RowTitles[CScanningDlg::RowCount] = {
    "Windows Registry", "Junk Files", "Internet Speed", "System Speed",
};

const char InitialHeadline[] = "Scan PC for registry items, junk data, internet and system tweaks";

// Colours (COLORREF).
const COLORREF ActiveRowColour = RGB(241, 255, 242);
const COLORREF HeadlineBusyColour = RGB(0xF3, 0x95, 0x04);
const COLORREF HeadlineCleanColour = RGB(0x29, 0x71, 0xB3);
const COLORREF HeadlineFoundColour = RGB(0x2D, 0xB5, 0x41);
const COLORREF StatusColour = RGB(0x8D, 0x87, 0x87);
const COLORREF LinkColour = RGB(0x15, 0x5B, 0x92);
const COLORREF GoodColour = RGB(0x2D, 0xB5, 0x41);
const COLORREF FoundColour = RGB(0x4A, 0x8B, 0xC3);
const COLORREF PlainColour = RGB(0x7E, 0x7E, 0x7E);
const COLORREF TopLineColour = RGB(0xEE, 0xEE, 0xEE);
const COLORREF RowLineColour = RGB(0xE0, 0xE0, 0xE0);
const COLORREF HeaderLineColour = RGB(0xD7, 0xD7, 0xD7);

// The rows' lines, as parts of the area's height and width.
const double HeaderBand = 0.1385;
const double RowHeight = 0.2154;
const double FirstColumn = 0.6677;
const double SecondColumn = 0.85;

// The title buttons of the two tweak rows are this much narrower than the template's.
const int TweakTitleNarrowing = 68;

// ARGB colours of the glowing buttons: face, normal and hover.
struct ButtonGlow {
    DWORD face, normal;
    const char* text;
};
const ButtonGlow ScanGlow = {0xFF2BC312, 0xFF2BD310, "Scan"};
const ButtonGlow FixGlow = {0xFFFF9600, 0xFFFFA200, "Fix"};
const ButtonGlow StopGlow = {0xFFC8C8C8, 0xFFC8C8C8, "Stop"};
const DWORD ButtonTextColour = 0xFFFFFFFF;
const DWORD BarColour = 0xFF01A1DD;
const DWORD TitleTextColour = 0xFF3C3C3C;
const DWORD DetailsTextColour = 0xFF1A66A2;
const int RoundedShape = 2;

COLORREF ToColorRef(DWORD argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

// A glowing face that glows in its own colour, with the caption (and a glyph) over it.
Style GlowFace(const CRect& r, DWORD colour, const char* text, int glyph)
{
    Style face = BuildGlowButtonStyle(0, 0, r.Width(), r.Height(), colour, colour, RoundedShape, 4);
    std::vector<StyleElement>& glowing = face.layers[1].elements;
    if (!glowing.empty())
        glowing.back().colour1 = colour;
    int textLeft = 0;
    if (glyph) {
        StyleLayer picture(6, (r.Height() - 18) / 2, 18, 18);
        picture.AddImageElement(0, 0, glyph, "PNG", 0, 0);
        face.layers[2] = picture;
        textLeft = 16;
    }
    StyleLayer caption(textLeft, 0, r.Width() - textLeft, r.Height());
    caption.AddTextElement(text, 1, 0, 0, ButtonTextColour, 15, 1, "Arial");
    face.layers[3] = caption;
    return face;
}

void SetGlowFaces(StyleButton& button, const ButtonGlow& glow, int glyph)
{
    CRect r;
    button.GetClientRect(&r);
    button.SetFaceStyle(GlowFace(r, glow.face, glow.text, glyph));
    button.SetHoverStyle(GlowFace(r, glow.normal, glow.text, glyph));
    button.SetWindowText(glow.text);
}

// A text face: the text alone, on the page's background.
void SetTextFace(StyleButton& button, const char* text, DWORD colour, int size, int style, int alignment)
{
    CRect r;
    button.GetClientRect(&r);
    Style face;
    StyleLayer caption(0, 0, r.Width(), r.Height());
    caption.AddTextElement(text, alignment, 0, 0, colour, size, style, "Verdana");
    face.AddLayer(caption);
    button.SetFaceStyle(face);
    button.SetWindowText(text);
}

}  // namespace

void CScanningDlg::DoDataExchange(CDataExchange* pDX)
{
    StyleDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SCAN_HEADLINE, m_headline);
    DDX_Control(pDX, IDC_SCAN_STATUS, m_statusLine);
    DDX_Control(pDX, IDC_SCAN_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_SCAN_START, m_scanButton);
    DDX_Control(pDX, IDC_SCAN_STOP, m_stopButton);
    DDX_Control(pDX, IDC_SCAN_FIX, m_fixButton);
    DDX_Control(pDX, IDC_SCAN_AREA, m_resultArea);
    DDX_Control(pDX, IDC_SCAN_CUSTOMIZE, m_customizeLink);
    for (int row = 0; row < RowCount; ++row) {
        DDX_Control(pDX, int(RowTitleIds[row]), m_rowTitles[row]);
        DDX_Control(pDX, IDC_ROW_COUNT_FIRST + row, m_rowCounts[row]);
        DDX_Control(pDX, IDC_ROW_ANIMATION_FIRST + row, m_rowAnimations[row]);
        DDX_Control(pDX, IDC_ROW_GAUGE_FIRST + row, m_rowGauges[row]);
        DDX_Control(pDX, IDC_ROW_RESULT_FIRST + row, m_rowResults[row]);
        DDX_Control(pDX, IDC_ROW_DETAILS_FIRST + row, m_rowDetails[row]);
    }
}

BOOL CScanningDlg::OnInitDialog()
{
    StyleDialog::OnInitDialog();
    m_guiThreadId = ::GetCurrentThreadId();
    SetupBorderStyle(m_frameStyle, BorderStyleWhiteWindow);
    CreateFonts();
    BuildLook();
    ShowStartLook();
    return TRUE;
}

void CScanningDlg::CreateFonts()
{
    m_headlineFont.CreateFont(19, FW_BOLD, "Arial");
    m_statusFont.CreateFont(14, FW_NORMAL, "Arial");
    m_countFont.CreateFont(20, FW_NORMAL, "Calibri");
    m_linkFont.CreateFont(16, FW_NORMAL, "Calibri", FALSE, TRUE);
    m_resultFont.CreateFont(18, FW_BOLD, "Calibri");
    m_activeBrush.CreateSolidBrush(ActiveRowColour);
    m_hollowBrush.Attach(::GetStockObject(HOLLOW_BRUSH));
    m_headline.SetFont(&m_headlineFont);
    m_statusLine.SetFont(&m_statusFont);
    m_customizeLink.SetFont(&m_linkFont);
    for (int row = 0; row < RowCount; ++row) {
        m_rowCounts[row].SetFont(&m_countFont);
        m_rowResults[row].SetFont(&m_resultFont);
    }
}

void CScanningDlg::BuildLook()
{
    SetGlowFaces(m_scanButton, ScanGlow, IDR_PNG_SCAN_GLYPH);
    SetGlowFaces(m_fixButton, FixGlow, 0);
    SetGlowFaces(m_stopButton, StopGlow, 0);

    m_progress.m_barColour = ToColorRef(BarColour);
    m_progress.SetRange(0, 100);
    m_progress.SetStep(1);
    m_progress.SetPos(0);

    for (int row = 0; row < RowCount; ++row) {
        if (row == RowInternet || row == RowSystem) {
            CRect rc;
            m_rowTitles[row].GetWindowRect(&rc);
            ScreenToClient(&rc);
            m_rowTitles[row].SetWindowPos(static_cast<CWnd*>(NULL), 0, 0,
                                          rc.Width() - TweakTitleNarrowing, rc.Height(),
                                          SWP_NOMOVE | SWP_NOZORDER);
        }
        SetTextFace(m_rowTitles[row], RowTitles[row], TitleTextColour, 13, 1, 0);
        SetTextFace(m_rowDetails[row], "Details", DetailsTextColour, 12, 4, 1);
        m_rowGauges[row].SetRange(0, 3);
        m_rowGauges[row].SetStep(1);
        m_rowGauges[row].SetPos(1);
        m_rowGauges[row].m_barColour = GoodColour;
        // Decoded now, so the Scan click does not wait for the pictures.
        if (m_rowAnimations[row].m_hWnd)
            m_rowAnimations[row].Load(IDR_GIF_SCAN_ROW, "GIF");
    }

    // The page: white, and the emblem at the left of the rows' header band.
    CRect client;
    GetClientRect(&client);
    const CRect area = RowBand(-1);
    m_pageStyle = Style();
    StyleLayer emblem(area.left + 8, area.top + (int(area.Height() * HeaderBand) - 24) / 2, 24, 24);
    emblem.AddImageElement(0, 0, IDR_PNG_SCAN_ROW_ICONS, "PNG", 0, 0);
    m_pageStyle.AddLayer(emblem);
}

// The band of row (0-3) in client coordinates; -1 gives the whole rows' area.
CRect CScanningDlg::RowBand(int row)
{
    CRect area;
    if (m_resultArea.m_hWnd) {
        m_resultArea.GetWindowRect(&area);
        ScreenToClient(&area);
    }
    if (row < 0 || row >= RowCount)
        return area;
    const double h = area.Height();
    const int top = area.top + int(h * (HeaderBand + RowHeight * row) + 0.5);
    const int bottom = area.top + int(h * (HeaderBand + RowHeight * (row + 1)) + 0.5);
    return CRect(area.left + 1, top + 1, area.right - 1, bottom);
}

int CScanningDlg::RowOfControl(int id) const
{
    for (int row = 0; row < RowCount; ++row) {
        if (id == int(RowTitleIds[row]) || id == IDC_ROW_COUNT_FIRST + row ||
            id == IDC_ROW_RESULT_FIRST + row || id == IDC_ROW_DETAILS_FIRST + row ||
            id == IDC_ROW_GAUGE_FIRST + row || id == IDC_ROW_ANIMATION_FIRST + row)
            return row;
    }
    return -1;
}

BOOL CScanningDlg::GetResultArea(RECT* screenRect)
{
    if (!m_resultArea.m_hWnd || !screenRect)
        return FALSE;
    m_resultArea.GetWindowRect(screenRect);
    return TRUE;
}

// --- painting -------------------------------------------------------------------------------

BOOL CScanningDlg::OnEraseBkgnd(CDC* pDC)
{
    StyleDialog::OnEraseBkgnd(pDC);
    CRect client;
    GetClientRect(&client);
    if (m_activeRow >= 1 && m_activeRow <= RowCount) {
        const CRect band = RowBand(m_activeRow - 1);
        pDC->FillSolidRect(&band, ActiveRowColour);
    }
    m_pageStyle.Paint(pDC, client.left, client.top, client.right, client.bottom);

    const CRect area = RowBand(-1);
    const int w = area.Width(), h = area.Height();
    pDC->FillSolidRect(area.left, area.top, w, 1, TopLineColour);
    for (int line = 0; line <= RowCount; ++line) {
        const int y = area.top + int(h * (HeaderBand + RowHeight * line) + 0.5);
        pDC->FillSolidRect(area.left, y, w, 1, RowLineColour);
    }
    const int firstRowLine = area.top + int(h * HeaderBand + 0.5);
    for (double column : {FirstColumn, SecondColumn}) {
        const int x = area.left + int(w * column + 0.5);
        pDC->FillSolidRect(x, firstRowLine - 23, 1, 22, HeaderLineColour);
    }
    return TRUE;
}

void CScanningDlg::OnPaint()
{
    Default();
    // The title buttons draw over a copy of what lies behind them.
    CClientDC dc(this);
    for (StyleButton& title : m_rowTitles)
        if (title.m_hWnd)
            title.CaptureParentBackground(&dc);
}

HBRUSH CScanningDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (nCtlColor != CTLCOLOR_STATIC || !pWnd)
        return StyleDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    pDC->SetBkMode(TRANSPARENT);
    const int id = pWnd->GetDlgCtrlID();
    const int row = RowOfControl(id);
    COLORREF colour = PlainColour;
    if (id == IDC_SCAN_HEADLINE) {
        if (m_scanState == ScanStateStopped || m_scanState == ScanStateFixing)
            colour = HeadlineBusyColour;
        else {
            const ScanFindings found = {m_registryCount, m_junkCount > 0 ? 1 : 0,
                                        m_pOptimizer->GetInetTotal(), m_pOptimizer->GetSysTotal()};
            colour = found.Any() ? HeadlineFoundColour : HeadlineCleanColour;
        }
    } else if (id == IDC_SCAN_STATUS) {
        colour = StatusColour;
    } else if (id == IDC_SCAN_CUSTOMIZE) {
        colour = LinkColour;
    } else if (row >= 0 && id == IDC_ROW_RESULT_FIRST + row) {
        colour = m_rowMarks[row] == 0 ? GoodColour : FoundColour;
    }
    pDC->SetTextColor(colour);
    if (row >= 0 && m_activeRow == row + 1) {
        pDC->SetBkColor(ActiveRowColour);
        return HBRUSH(m_activeBrush.m_hObject);
    }
    return HBRUSH(m_hollowBrush.m_hObject);
}

BOOL CScanningDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (pWnd && pWnd != this) {
        const int id = pWnd->GetDlgCtrlID();
        const int row = RowOfControl(id);
        const bool link = (row >= 0 && (id == int(RowTitleIds[row]) || id == IDC_ROW_DETAILS_FIRST + row)) ||
                          id == IDC_SCAN_CUSTOMIZE;
        if (link && !IsEngineBusy() && IsClickable(id)) {
            ::SetCursor(::LoadCursor(NULL, IDC_HAND));
            return TRUE;
        }
    }
    return StyleDialog::OnSetCursor(pWnd, nHitTest, message);
}

void CScanningDlg::OnShowWindow(BOOL show, UINT)
{
    Default();
    if (!show)
        return;
    m_rowTitles[RowRegistry].ResetStyles();
    // Another page may have emptied the found-items list meanwhile.
    if (m_scanState == ScanStateScanned && FoundItemsWereCleared())
        ShowStartLook();
}

// --- rows -----------------------------------------------------------------------------------

void CScanningDlg::SetActiveRow(int n)
{
    const int previous = m_activeRow;
    if (n >= 1 && n <= RowCount) {
        m_activeRow = n;
        for (int row = 0; row < RowCount; ++row) {
            m_rowBrushes[row] = row == n - 1 ? HBRUSH(m_activeBrush.m_hObject) : NULL;
            if (m_rowAnimations[row].m_hWnd)
                m_rowAnimations[row].ShowWindow(row == n - 1 ? SW_SHOW : SW_HIDE);
        }
    } else {
        m_activeRow = 0;
        for (HBRUSH& brush : m_rowBrushes)
            brush = NULL;
    }
    if (!m_hWnd)
        return;
    for (int row : {previous - 1, m_activeRow - 1}) {
        if (row < 0 || row >= RowCount)
            continue;
        m_rowTitles[row].ResetStyles();
        CRect band = RowBand(row);
        RedrawWindow(&band, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

void CScanningDlg::ResetRows(int flag)
{
    for (int row = 0; row < RowCount; ++row) {
        SetRowGauge(row, 1);
        SetRowText(row, flag ? m_goodText.GetString() : "Aborted");
        if (m_rowResults[row].m_hWnd)
            m_rowResults[row].ShowWindow(SW_SHOW);
        m_rowMarks[row] = 0;
        if (m_rowDetails[row].m_hWnd)
            m_rowDetails[row].ShowWindow(SW_HIDE);
    }
}

void CScanningDlg::SetRowText(int row, const char* text)
{
    SetControlText(m_rowResults[row], text);
}

void CScanningDlg::SetRowGauge(int row, int position)
{
    if (m_rowGauges[row].m_hWnd)
        m_rowGauges[row].SetPos(position);
}

void CScanningDlg::SetControlText(CWnd& control, const char* text)
{
    if (!control.m_hWnd)
        return;
    control.SetWindowText(text);
    RepaintControlArea(control);
}

void CScanningDlg::RepaintControlArea(CWnd& control)
{
    // The statics have no background of their own: the page repaints what the old text covered.
    if (!control.m_hWnd || !m_hWnd)
        return;
    CRect rc;
    control.GetWindowRect(&rc);
    ScreenToClient(&rc);
    RedrawWindow(&rc, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CScanningDlg::StartAnimations()
{
    for (CPictureEx& animation : m_rowAnimations) {
        if (!animation.m_hWnd)
            continue;
        if (!animation.IsGIF())
            animation.Load(IDR_GIF_SCAN_ROW, "GIF");
        animation.SetBkColor(ActiveRowColour);
        animation.Draw();
    }
}

void CScanningDlg::HideAnimations()
{
    for (CPictureEx& animation : m_rowAnimations) {
        if (!animation.m_hWnd)
            continue;
        animation.Stop();
        animation.ShowWindow(SW_HIDE);
    }
}

// --- CScanResultsOwner ----------------------------------------------------------------------

void CScanningDlg::SetRegistryCount(int count)
{
    m_registryCount = count;
    {
        CCriticalSectionLock hold(m_record.lock);
        m_record.registryCount = count;
    }
    CString text;
    text.Format("%d", count);
    SetControlText(m_rowCounts[RowRegistry], text);
}

void CScanningDlg::SetRegistryGauge(int position)
{
    SetRowGauge(RowRegistry, position);
}

void CScanningDlg::SetCategoryValue(int value, int row)
{
    if (row == 99) {
        for (int& mark : m_rowMarks)
            mark = value;
    } else if (row >= 0 && row < RowCount) {
        m_rowMarks[row] = value;
    }
}

void CScanningDlg::ShowRegistryRowGood()
{
    SetRowText(RowRegistry, m_goodText);
    if (m_rowResults[RowRegistry].m_hWnd)
        m_rowResults[RowRegistry].ShowWindow(SW_SHOW);
    if (m_rowDetails[RowRegistry].m_hWnd)
        m_rowDetails[RowRegistry].ShowWindow(SW_HIDE);
}

void CScanningDlg::UpdateSummaryText(int code)
{
    switch (code) {
    case 7: ShowEndOfScanLook(false); break;
    case 10: ShowEndOfScanLook(true); break;
    case 9: ShowScanningLook(); break;
    case 2: ShowStoppedLook(); break;
    case 20: ShowFixingLook(); break;
    case 21: ShowResolvedLook(); break;
    default: break;
    }
    if (m_hWnd)
        RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// --- looks of the states --------------------------------------------------------------------

void CScanningDlg::ShowButtons(bool scan, bool stop, bool fix)
{
    if (!m_hWnd)
        return;
    m_scanButton.ShowWindow(scan ? SW_SHOW : SW_HIDE);
    m_stopButton.ShowWindow(stop ? SW_SHOW : SW_HIDE);
    m_fixButton.ShowWindow(fix ? SW_SHOW : SW_HIDE);
}

void CScanningDlg::SetHeadline(const char* text)
{
    SetControlText(m_headline, text);
}

void CScanningDlg::ShowStartLook()
{
    m_scanState = ScanStateIdle;
    m_awaitedEnd = 0;
    ResetCounters();
    ResetRows(1);
    SetActiveRow(0);
    HideAnimations();
    if (m_hWnd)
        m_progress.SetPos(0);
    m_fixButton.SetState(0);
    m_fixButton.EnableWindow(TRUE);
    ShowButtons(true, false, false);
    SetHeadline(InitialHeadline);
    SetControlText(m_statusLine, "");
}

void CScanningDlg::ShowScanningLook()
{
    ShowButtons(false, true, false);
    SetHeadline("Scan in progress");
}

void CScanningDlg::ShowEndOfScanLook(bool allGood)
{
    const ScanFindings found = {m_registryCount, m_junkSize, m_pOptimizer->GetInetTotal(),
                                m_pOptimizer->GetSysTotal()};
    SetHeadline(ScanOutcomeHeadline(found, allGood));
    SetActiveRow(0);
    HideAnimations();
    if (!found.Any()) {
        ShowButtons(true, false, false);
        return;
    }
    if (m_hWnd) {
        m_fixButton.SetState(0);
        m_fixButton.EnableWindow(TRUE);
    }
    ShowButtons(false, false, true);
    const bool rowFound[RowCount] = {found.registryCount >= 1, found.junkSize > 0,
                                     found.internetCount != 0, found.systemCount != 0};
    for (int row = 0; row < RowCount; ++row) {
        if (!rowFound[row] || !m_hWnd)
            continue;
        m_rowResults[row].ShowWindow(SW_HIDE);
        m_rowDetails[row].ShowWindow(SW_SHOW);
    }
}

void CScanningDlg::ShowStoppedLook()
{
    ShowButtons(true, false, false);
    SetHeadline("Scan aborted by user");
    if (m_hWnd)
        m_progress.SetPos(0);
    ResetCounters();
    ResetRows(0);
    SetActiveRow(0);
    HideAnimations();
    if (m_hWnd) {
        m_fixButton.SetState(0);
        m_fixButton.EnableWindow(TRUE);
    }
}

void CScanningDlg::ShowFixingLook()
{
    if (m_hWnd) {
        m_fixButton.SetState(2);
        m_fixButton.EnableWindow(FALSE);
    }
    ShowButtons(false, false, true);
    SetHeadline("Cleaning...");
    if (m_hWnd)
        RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void CScanningDlg::ShowResolvedLook()
{
    ResetCounters();
    ResetRows(1);
    if (m_hWnd) {
        m_fixButton.SetState(0);
        m_fixButton.EnableWindow(TRUE);
    }
    ShowButtons(true, false, false);
    SetHeadline("All found items resolved!");
}
