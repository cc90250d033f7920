// The shared look of the Restore Center and the Settings dialog (see ToolDialogLook.h).
#include "Client/Tools/ToolDialogLook.h"

namespace {

const DWORD White = 0xFFFFFFFF;
const DWORD StripFill = 0xFF297CB2, StripEdge = 0xFF1167BD;
const DWORD HeaderText = 0xFF505050;
const COLORREF DividerColour = RGB(0xCC, 0xCC, 0xCC);
const int RectangleShape = 1;

CRect ClientRectOf(CWnd& window)
{
    CRect rect;
    window.GetClientRect(&rect);
    return rect;
}

// BuildGlowButtonStyle's glow reads its colour as a COLORREF; the face glows in its own fill.
Style GlowFace(const CRect& r, DWORD border, DWORD fill)
{
    Style face = BuildGlowButtonStyle(0, 0, r.Width(), r.Height(), fill, border, RectangleShape, 0);
    std::vector<StyleElement>& glowing = face.layers[1].elements;
    if (!glowing.empty())
        glowing.back().colour1 = fill;
    return face;
}

Style TabFace(const CRect& r, const char* caption, DWORD bottom, DWORD text)
{
    Style face;
    StyleLayer layer(0, 0, r.Width(), r.Height());
    layer.AddGradientElement(GradientVertical, 0xFFDDDDDD, bottom, 0.0f);
    layer.AddTextElement(caption, 1, 0, 0, text, 18, RegularText, "Calibri");
    face.AddLayer(layer);
    return face;
}

}  // namespace

CRect DialogControlRect(const CWnd* dialog, int id)
{
    CRect rc(0, 0, 0, 0);
    CWnd* control = dialog->GetDlgItem(id);
    if (control) {
        control->GetWindowRect(&rc);
        dialog->ScreenToClient(&rc);
    }
    return rc;
}

void AddTitleStrip(Style& target, const CRect& client, int stripBottom, int iconId, const char* title)
{
    StyleLayer strip(client.left, client.top, client.Width(), stripBottom - client.top, StripFill);
    strip.SetAttributes(1, StripEdge);
    target.AddLayer(strip);
    StyleLayer icon(6, 9, 16, 16);
    icon.AddImageElement(0, 0, iconId, "PNG", 0, 0);
    target.AddLayer(icon);
    StyleLayer text(23, 8, client.Width() - 23 - 40, stripBottom - 8);
    text.AddTextElement(title, 0, 0, 0, White, 14, RegularText, "Calibri");
    target.AddLayer(text);
}

void AddWhiteBody(Style& target, const CRect& client, int bodyTop)
{
    target.AddLayer(StyleLayer(client.left, bodyTop, client.Width() - 1, client.bottom - bodyTop, White));
}

void AddHeaderStrip(Style& target, const CRect& band, DWORD top, DWORD bottom, DWORD edge, DWORD innerEdge,
                    const char* first, double firstX, const char* second, double secondX,
                    double textY)
{
    StyleLayer layer(band.left, band.top, band.Width(), band.Height());
    if (top == bottom)
        layer.AddFillElement(top);
    else
        layer.AddGradientElement(GradientVertical, top, bottom, 0.0f);
    layer.SetAttributes(1, edge);
    if (innerEdge)
        layer.SetInnerBorder(1, innerEdge);
    target.AddLayer(layer);
    const int y = int(band.Height() * textY);
    const int x1 = int(band.Width() * firstX), x2 = int(band.Width() * secondX);
    StyleLayer firstText(band.left + x1, band.top + y, x2 - x1, band.Height() - y);
    firstText.AddTextElement(first, 0, 0, 0, HeaderText, 14, RegularText, "Calibri");
    target.AddLayer(firstText);
    StyleLayer secondText(band.left + x2, band.top + y, band.Width() - x2, band.Height() - y);
    secondText.AddTextElement(second, 0, 0, 0, HeaderText, 14, RegularText, "Calibri");
    target.AddLayer(secondText);
}

void DrawHeaderDivider(CDC* dc, int x, const CRect& band)
{
    const int h = band.Height();
    const int top = band.top + int(0.15 * h), bottom = band.bottom - int(0.20 * h);
    if (bottom > top)
        dc->FillSolidRect(x, top, 1, bottom - top, DividerColour);
}

void SetCloseButtonFaces(StyleButton& button)
{
    const CRect r = ClientRectOf(button);
    Style normal = GlowFace(r, 0xFF6DA7E5, 0xFFD27350);
    Style active = GlowFace(r, 0xFF6DA7E5, 0xFFBE1E3C);
    for (Style* face : {&normal, &active}) {
        StyleLayer label(0, 0, r.Width(), r.Height());
        label.AddTextElement("X", 1, 0, 0, White, 13, BoldText, "Arial");
        face->layers[2] = label;
    }
    button.SetFaceStyle(normal);
    button.SetHoverStyle(active);
    button.SetPressedStyle(active);
}

void SetTabButtonFaces(StyleButton& button, const char* caption)
{
    const CRect r = ClientRectOf(button);
    const Style chosen = TabFace(r, caption, White, 0xFF323232);
    button.SetFaceStyle(TabFace(r, caption, 0xFFECECEC, 0xFF9E9E9E));
    button.SetCheckedStyles(chosen);
    button.SetCheckedPressedStyle(chosen);
    button.SetCheckedHoverStyle(chosen);
}

void SelectTab(StyleButton& chosen, StyleButton& other)
{
    other.SetState(0);
    other.EnableWindow(TRUE);
    chosen.SetState(2);
    chosen.EnableWindow(FALSE);
}

void SetActionButtonFaces(StyleButton& button, const char* caption, DWORD fill)
{
    const CRect r = ClientRectOf(button);
    Style face;
    StyleLayer layer(0, 0, r.Width(), r.Height(), fill);
    layer.SetShape(2, 3);
    layer.AddTextElement(caption, 1, 0, 0, White, 14, RegularText, "Calibri");
    face.AddLayer(layer);
    button.SetFaceStyle(face);
}
