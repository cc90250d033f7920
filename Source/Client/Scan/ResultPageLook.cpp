// The shared look of the registry and junk results pages (see ResultPageLook.h).
#include "Client/Scan/ResultPageLook.h"

namespace {

// The scan page's result area in dialog units of its template; the pages share its origin.
const RECT ResultAreaUnits = {5, 46, 5 + 431, 46 + 200};
const double BandTop = 0.1785, BandBottom = 0.0646, PictureTop = 0.1053;
const COLORREF LineColour = RGB(0xE3, 0xE3, 0xE3);
const DWORD CaptionColour = 0xFFFFFFFF;

}  // namespace

CRect GetResultArea(CWnd* page, CScanResultsOwner* scanPage)
{
    CRect area;
    if (scanPage && scanPage->GetResultArea(&area)) {
        page->ScreenToClient(&area);
        return area;
    }
    area = ResultAreaUnits;
    ::MapDialogRect(page->m_hWnd, &area);
    return area;
}

Style BuildResultHeaderBand(const CRect& area, int pictureId)
{
    const int top = area.top - int(area.Height() * BandTop + 0.5);
    const int bottom = area.top - int(area.Height() * BandBottom + 0.5);
    Style band;
    StyleLayer layer(area.left, top, area.Width(), bottom - top);
    layer.AddImageElement(0, int((bottom - top) * PictureTop + 0.5), pictureId, "PNG", 1, 0);
    band.AddLayer(layer);
    return band;
}

void DrawResultPageLines(CDC* dc, const CRect& area)
{
    const int bandBottom = area.top - int(area.Height() * BandBottom + 0.5);
    dc->FillSolidRect(area.left, bandBottom, area.Width(), 1, LineColour);
    dc->FillSolidRect(area.left, area.top, area.Width(), 1, LineColour);
    dc->FillSolidRect(area.left, area.bottom - 1, area.Width(), 1, LineColour);
    dc->FillSolidRect(area.left, area.top, 1, area.Height(), LineColour);
    dc->FillSolidRect(area.right - 1, area.top, 1, area.Height(), LineColour);
}

void SetResultButtonFace(StyleButton& button, int pictureId, const char* caption)
{
    CRect rc;
    button.GetClientRect(&rc);
    Style face;
    StyleLayer picture(0, 0, rc.Width(), rc.Height());
    picture.AddImageElement(0, 0, pictureId, "PNG", 0, 0);
    face.AddLayer(picture);
    StyleLayer text(0, 0, rc.Width(), rc.Height());
    text.AddTextElement(caption, 1, 0, 0, CaptionColour, 14, 1, "Arial");
    face.AddLayer(text);
    button.SetFaceStyle(face);
    button.SetWindowText(caption);
}

void CreateResultFonts(CFont& heading, CFont& total, CFont& result)
{
    heading.CreateFont(20, FW_BOLD, "Arial");
    total.CreateFont(18, FW_NORMAL, "Arial");
    result.CreateFont(18, FW_NORMAL, "Arial");
}

int TextWidth(CStatic& control)
{
    CString text;
    control.GetWindowText(text);
    HDC dc = ::GetDC(control.m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, HGDIOBJ(control.SendMessage(WM_GETFONT)));
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, text, text.GetLength(), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(control.m_hWnd, dc);
    return size.cx;
}

void FitHeadingToText(CStatic& heading, std::initializer_list<CWnd*> followers)
{
    CWnd* parent = heading.GetParent();
    if (!heading.m_hWnd || !parent)
        return;
    CRect rc;
    heading.GetWindowRect(&rc);
    parent->ScreenToClient(&rc);
    // The room a widened heading keeps before the text that follows it.
    const int gap = 8;
    const int overflow = TextWidth(heading) - rc.Width();
    if (overflow <= 0)
        return;
    heading.MoveWindow(rc.left, rc.top, rc.Width() + overflow, rc.Height(), FALSE);
    for (CWnd* follower : followers) {
        if (!follower || !follower->m_hWnd)
            continue;
        CRect f;
        follower->GetWindowRect(&f);
        parent->ScreenToClient(&f);
        follower->MoveWindow(f.left + overflow + gap, f.top, f.Width(), f.Height(), FALSE);
    }
}
