// Border geometry: shape regions, the rounded path and the ring drawing.
#include "Skin/Border.h"

using namespace Gdiplus;

HRGN Border::CreateShapeRegion(int x, int y, int w, int h) const
{
    int r = radius;
    if (shape == 1)
        return CreateRectRgn(x, y, x + w + 1, y + h + 1);
    if (shape == 3)
        return CreateEllipticRgn(x - 1, y - 1, x + w + 2, y + h + 2);
    int corner = 2 * r + 1;
    if (w < 2 * r) {
        // Narrower than its two corners: the intersection of two round ends.
        HRGN left = CreateRoundRectRgn(x, y, x + 4 * r + 1, y + h + 2, corner, corner);
        HRGN right = CreateRoundRectRgn(x + w + 1 - 4 * r, y, x + w + 2, y + h + 2, corner, corner);
        CombineRgn(left, left, right, RGN_AND);
        DeleteObject(right);
        return left;
    }
    return CreateRoundRectRgn(x, y, x + w + 1, y + h + 1, corner, corner);
}

void Border::SetClip(Graphics* g, int x, int y, int w, int h, int combineMode) const
{
    HRGN rgn = CreateShapeRegion(x, y, w, h);
    if (!rgn)
        return;
    Region region(rgn);
    g->SetClip(&region, CombineMode(combineMode));
    DeleteObject(rgn);
}

void Border::AddRoundPath(GraphicsPath* path, int x, int y, int w, int h) const
{
    path->Reset();
    if (w <= 0 || h <= 0)
        return;   // no area: an empty path (the ellipse fallback would divide by the width)
    int d = 2 * radius;
    if (d <= w && d <= h) {
        path->AddArc(x, y, d, d, 180.0f, 90.0f);
        int a = d, w2 = w, h2 = h;
        if (d == 20) {
            a = 21;
            w2 = w - 1;
            h2 = h - 1;
        }
        path->AddArc(x + w2 - d - 1, y, a, a, 270.0f, 90.0f);
        path->AddArc(x + w2 - d - 1, y + h2 - d - 1, a, a, 0.0f, 90.0f);
        path->AddArc(x, y + h2 - d - 1, a, a, 90.0f, 90.0f);
        path->CloseFigure();
    } else {
        int q = d / w;
        path->AddEllipse(x, y + q, w, h - 2 * q);
    }
}

void Border::Draw(Graphics* g, int x, int y, int w, int h, DWORD c1, DWORD c2, int ringWidth) const
{
    if (shape == 1) {
        SmoothingMode saved = g->GetSmoothingMode();
        g->SetSmoothingMode(SmoothingModeNone);
        Pen pen1(Color(c1), 1.0f);
        Pen pen2(Color(c2), 1.0f);
        for (int i = 0; i < ringWidth; ++i) {
            g->DrawLine(&pen1, x, y, x, y + h - 1);
            g->DrawLine(&pen1, x, y, x + w - 1, y);
            g->DrawLine(&pen2, x + w - 1, y + 1, x + w - 1, y + h - 1);
            g->DrawLine(&pen2, x + 1, y + h - 1, x + w - 1, y + h - 1);
            x += 1;
            y += 1;
            w -= 2;
            h -= 2;
        }
        g->SetSmoothingMode(saved);
        return;
    }
    if (shape == 3) {
        Pen pen(Color(c1), 1.0f);
        g->DrawEllipse(&pen, RectF(REAL(x - 1), REAL(y - 1), REAL(w + 1), REAL(h + 1)));
        return;
    }
    if (shape == 4) {
        // The corners outside the rounding are painted with colour1 first.
        SmoothingMode saved = g->GetSmoothingMode();
        g->SetSmoothingMode(SmoothingModeNone);
        g->SetClip(Rect(x, y, w, h));
        if (ringWidth > 1)
            SetClip(g, x + 1, y + 1, w - 2, h - 2, CombineModeExclude);
        else
            SetClip(g, x, y, w, h, CombineModeExclude);
        SolidBrush brush{Color(c1)};
        g->FillRectangle(&brush, x, y, w, h);
        g->ResetClip();
        g->SetSmoothingMode(saved);
    }
    // Rounded rings (shapes 2, 4 and any other value).
    Unit savedUnit = g->GetPageUnit();
    g->SetPageUnit(UnitPixel);
    SmoothingMode savedSmoothing = g->GetSmoothingMode();
    Pen pen(Color(c1), 1.0f);
    GraphicsPath path;
    AddRoundPath(&path, x, y, w, h);
    g->DrawPath(&pen, &path);
    for (int i = 1; i <= ringWidth - 1; ++i) {
        if (i == 1)
            g->SetSmoothingMode(SmoothingModeNone);
        if (i == ringWidth - 1)
            g->SetSmoothingMode(savedSmoothing);
        x += 1;
        w -= 2;
        AddRoundPath(&path, x, y, w, h);
        g->DrawPath(&pen, &path);
        y += 1;
        h -= 2;
        AddRoundPath(&path, x, y, w, h);
        g->DrawPath(&pen, &path);
    }
    g->SetPageUnit(savedUnit);
}
