// Style: the layer list, its paint through a MemDC and the glow button face.
#include "Skin/Style.h"

#include "Skin/MemDC.h"

int Style::AddLayer(const StyleLayer& layer)
{
    layers.push_back(layer);
    return int(layers.size()) - 1;
}

void Style::ResetLayers()
{
    for (StyleLayer& l : layers)
        l.Invalidate(-1);
}

void Style::SetLayersState(int x, int y)
{
    for (StyleLayer& l : layers)
        l.MoveTo(x, y);
}

void Style::OffsetLayers(int dx, int dy)
{
    for (StyleLayer& l : layers)
        l.MoveTo(l.x + dx, l.y + dy);
}

void Style::Paint(CDC* dc, int left, int top, int right, int bottom)
{
    if (!dc)
        return;
    MemDC mem(dc, left, top, right, bottom, true);
    {
        Gdiplus::Graphics g(mem.m_hDC);
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        g.SetTextRenderingHint(Gdiplus::TextRenderingHintClearTypeGridFit);
        for (StyleLayer& l : layers) {
            if (l.painted && l.PaintFromCache(&mem))
                continue;
            l.Paint(&mem, &g);
        }
        g.Flush(Gdiplus::FlushIntentionSync);
    }
}

Style BuildGlowButtonStyle(int left, int top, int right, int bottom, DWORD fillColour,
                           DWORD borderColour, int shape, int radius)
{
    int w = right - left, h = bottom - top;
    // The glow ellipse: wider than the button, reaching below it.
    int shift = (bottom - top) / 2;
    int rl = left - 60, rt = top - 10 + shift, rr = right + 60, rb = bottom + 10 + shift;

    StyleLayer base(left, top, w, h);
    base.AddFillElement(fillColour);
    base.SetAttributes(1, borderColour);
    base.SetShape(shape, radius);

    // The fill value read as a COLORREF (red in the low byte), made opaque ARGB.
    DWORD red = fillColour & 0xFF, green = (fillColour >> 8) & 0xFF, blue = (fillColour >> 16) & 0xFF;
    DWORD rim = 0xFF000000 | (red << 16) | (green << 8) | blue;
    StyleLayer glow(left, top, w, h);
    glow.AddRadialElement(rl, rt, rr - rl, rb - rt, rim, 0);

    Style s;
    s.AddLayer(base);
    s.AddLayer(StyleLayer::Combine(base, glow));
    s.AddLayer(StyleLayer());
    s.AddLayer(StyleLayer());
    return s;
}
