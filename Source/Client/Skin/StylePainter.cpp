// The layer painter: the clip shape, every element kind, the nested borders and the capture of
// the result into the layer's cache. Failed GDI+ calls leave their status in the object they
// were made on; painting goes on with the next element.
#include <algorithm>

#include "Skin/GlowBlur.h"
#include "Skin/SkinFont.h"
#include "Skin/StyleLayer.h"

using namespace Gdiplus;

namespace {

void SetThreeStops(LinearGradientBrush& brush, DWORD c1, DWORD c2, DWORD c3, REAL p1, REAL p2, REAL p3)
{
    Color colours[3] = {Color(c1), Color(c2), Color(c3)};
    REAL positions[3] = {p1, p2, p3};
    brush.SetInterpolationColors(colours, positions, 3);
}

// a := a combined with b (1 intersect, 2 union, 3 xor, 4 exclude, 5 complement); other modes
// leave it as it is.
void CombineRegion(Region* a, const Region* b, int mode)
{
    switch (mode) {
    case 1: a->Intersect(b); break;
    case 2: a->Union(b); break;
    case 3: a->Xor(b); break;
    case 4: a->Exclude(b); break;
    case 5: a->Complement(b); break;
    default: break;
    }
}

void ApplyStringAlignment(StringFormat& format, int alignment)
{
    if (alignment < 0 || alignment > 2)
        return;
    format.SetAlignment(StringAlignment(alignment));
    format.SetLineAlignment(StringAlignment(alignment));
}

}  // namespace

ColorMatrix StyleEffectMatrix(int effect)
{
    ColorMatrix m = {};
    for (int i = 0; i < 5; ++i)
        m.m[i][i] = 1.0f;
    if (effect == 1) {
        for (int i = 0; i < 3; ++i) {
            m.m[i][i] = 1.05f;
            m.m[4][i] = 0.05f;
        }
    } else if (effect == 2) {
        const REAL weights[3] = {0.3f, 0.59f, 0.11f};
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                m.m[row][col] = weights[row];
    }
    return m;
}

void StyleLayer::Paint(CDC* target, Graphics* g)
{
    paintDC = target;
    graphics = g;
    const Border& outer = borders[0];
    outer.SetClip(g, x, y, width, height, CombineModeReplace);
    for (size_t i = 0; i < elements.size(); ++i) {
        paintingElement = int(i);
        StyleElement& e = elements[i];
        if (e.width == 0 && e.height == 0) {
            e.x = x;
            e.y = y;
            e.width = width;
            e.height = height;
        }
        if (e.shape == 0)
            e.shape = outer.shape;
        PaintElement(e);
    }
    g->ResetClip();
    PaintBorders();
    g->Flush(FlushIntentionSync);
    Capture();
    painted = true;
    paintDC = nullptr;
    graphics = nullptr;
    paintingElement = -1;
}

void StyleLayer::FillElement(const StyleElement& e, Brush* brush)
{
    Graphics* g = graphics;
    const Border& outer = borders[0];
    switch (outer.shape) {
    case 1:
        g->FillRectangle(brush, e.x, e.y, e.width, e.height);
        break;
    case 3:
        g->FillEllipse(brush, e.x, e.y, e.width, e.height);
        break;
    case 2:
    case 4: {
        GraphicsPath path;
        outer.AddRoundPath(&path, e.x, e.y, e.width, e.height);
        g->FillPath(brush, &path);
        Unit unit = g->GetPageUnit();
        g->SetPageUnit(UnitPixel);
        Pen pen(Color(e.colour1), 1.0f);
        g->DrawPath(&pen, &path);
        g->SetPageUnit(unit);
        break;
    }
    default:
        break;   // an unknown or unset shape fills nothing
    }
}

Region* StyleLayer::ElementRegion(int index) const
{
    if (index < 0 || size_t(index) >= elements.size())
        return nullptr;
    return elements[size_t(index)].region;
}

void StyleLayer::PaintElement(StyleElement& e)
{
    Graphics* g = graphics;
    Rect rect(e.x, e.y, e.width, e.height);
    switch (e.kind) {
    case 0: {
        SolidBrush brush{Color(e.colour1)};
        FillElement(e, &brush);
        break;
    }
    case 1: {
        GraphicsPath path;
        path.AddEllipse(rect);
        PathGradientBrush brush(&path);
        Color rim(e.colour1);
        INT count = 1;
        brush.SetSurroundColors(&rim, &count);
        brush.SetCenterPoint(Point(e.x + e.width / 2, e.y + e.height / 2));
        brush.SetCenterColor(Color(e.colour2));
        g->FillPath(&brush, &path);
        break;
    }
    case 2: {
        LinearGradientBrush brush(rect, Color(e.colour1), Color(e.colour2), LinearGradientMode(e.parameter));
        brush.SetWrapMode(WrapModeClamp);   // only requested: linear gradients may refuse it
        REAL p = e.position1;
        if (p >= 0)
            SetThreeStops(brush, e.colour1, e.colour1, e.colour2, 0.0f, p, 1.0f);
        else
            SetThreeStops(brush, e.colour1, e.colour2, e.colour2, 0.0f, p + 1.0f, 1.0f);
        FillElement(e, &brush);
        break;
    }
    case 3: {
        LinearGradientBrush brush(rect, Color(e.colour1), Color(e.colour3), LinearGradientMode(e.parameter));
        SetThreeStops(brush, e.colour1, e.colour2, e.colour3, 0.0f, e.position1, 1.0f);
        FillElement(e, &brush);
        break;
    }
    case 4: {
        LinearGradientBrush brush(Rect(e.x, e.y, e.parameter, e.height), Color(e.colour1),
                                  Color(e.colour3), LinearGradientModeHorizontal);
        brush.SetWrapMode(WrapModeTile);
        SetThreeStops(brush, e.colour1, e.colour2, e.colour3, 0.0f, 0.5f, 1.0f);
        FillElement(e, &brush);
        break;
    }
    case 5:
        PaintImage(e);
        break;
    case 6:
        PaintText(e);
        break;
    case 7:
        PaintHaloText(e);
        break;
    case 8:
        PaintGlow(e);
        break;
    case 9:
        g->SetSmoothingMode(SmoothingMode(e.parameter));
        break;
    case 10:
        g->SetSmoothingMode(SmoothingModeAntiAlias);
        break;
    case 11:
        PaintColourEffect(e);
        break;
    case 12: case 13: case 14: case 15: case 16: case 17: case 18: case 19:
        PaintEdgeBand(e);
        break;
    case 20: {
        GraphicsPath path;
        if (e.shape == 1)
            path.AddRectangle(rect);
        else if (e.shape == 3)
            path.AddEllipse(rect);
        else if (e.shape == 2)
            borders[0].AddRoundPath(&path, e.x, e.y, e.width, e.height);
        delete e.region;
        e.region = new Region(&path);
        break;
    }
    case 21: {
        Region* a = ElementRegion(e.ref1);
        Region* b = ElementRegion(e.ref2);
        if (a && b)
            CombineRegion(a, b, e.parameter);
        break;
    }
    case 22: {
        Region* a = ElementRegion(e.ref1);
        Region* b = ElementRegion(e.ref2);
        if (!a)
            break;   // nothing to copy yet
        Region* copy = a->Clone();
        if (b)
            CombineRegion(copy, b, e.parameter);
        delete e.region;
        e.region = copy;
        break;
    }
    case 23:
        if (Region* r = ElementRegion(e.ref1))
            g->SetClip(r, CombineModeReplace);
        break;
    case 24:
        borders[0].SetClip(g, x, y, width, height, CombineModeReplace);
        break;
    default:
        break;
    }
}

void StyleLayer::PaintImage(StyleElement& e)
{
    if (e.parameter < 0 || size_t(e.parameter) >= images.size())
        return;
    StyleImageRecord& r = images[size_t(e.parameter)];
    r.image.reset(new GResource);   // the image of an earlier paint is released here
    if (!r.image->Load(MAKEINTRESOURCEA(r.resourceId), r.resourceType.GetString())) {
        r.image.reset();
        return;
    }
    Bitmap* bmp = r.image->m_pBitmap;
    RectF bounds;
    Unit unit;
    bmp->GetBounds(&bounds, &unit);
    Rect src(int(bounds.X) + r.sx, int(bounds.Y) + r.sy, int(bounds.Width) - r.sx, int(bounds.Height) - r.sy);
    Rect dst(x + r.dx, y + r.dy, width, height);
    dst.Width = std::min(dst.Width, src.Width);
    dst.Height = std::min(dst.Height, src.Height);
    if (r.fit == 1) {
        src.Width = std::min(src.Width, dst.Width);
        src.Height = std::min(src.Height, dst.Height);
    }
    if (r.effect == 1 || r.effect == 2) {
        ImageAttributes attributes;
        ColorMatrix m = StyleEffectMatrix(r.effect);
        attributes.SetColorMatrix(&m);
        graphics->DrawImage(bmp, dst, src.X, src.Y, src.Width, src.Height, UnitPixel, &attributes);
    } else {
        graphics->DrawImage(bmp, dst, src.X, src.Y, src.Width, src.Height, UnitPixel);
    }
}

void StyleLayer::PaintText(const StyleElement& e)
{
    if (e.parameter < 0 || size_t(e.parameter) >= texts.size())
        return;
    const StyleTextRecord& r = texts[size_t(e.parameter)];
    std::unique_ptr<Font> font = CreateSkinFont(r.face, REAL(r.size), r.style);
    SolidBrush brush{Color(e.colour1)};
    RectF box(REAL(e.x) + r.insetX, REAL(e.y) + r.insetY, REAL(e.width) - r.insetX, REAL(e.height) - r.insetY);
    StringFormat format;
    ApplyStringAlignment(format, r.alignment);
    graphics->DrawString(r.text.c_str(), -1, font.get(), box, &format, &brush);
}

void StyleLayer::PaintHaloText(const StyleElement& e)
{
    if (e.parameter < 0 || size_t(e.parameter) >= texts.size() || e.position1 <= 0)
        return;
    const StyleTextRecord& r = texts[size_t(e.parameter)];
    std::unique_ptr<Font> font = CreateSkinFont(r.face, REAL(r.size), r.style);
    PointF origin(REAL(e.x) + r.insetX, REAL(e.y) + r.insetY);
    int radius = int(e.position1);
    SolidBrush halo{Color(e.colour2)};
    for (int i = 0; i <= 2 * radius; ++i)
        for (int j = 0; j <= 2 * radius; ++j)
            graphics->DrawString(r.text.c_str(), -1, font.get(),
                                 PointF(origin.X + REAL(i - radius), origin.Y + REAL(j - radius)), &halo);
    SolidBrush text{Color(e.colour1)};
    graphics->DrawString(r.text.c_str(), -1, font.get(), origin, &text);
}

void StyleLayer::PaintGlow(const StyleElement& e)
{
    Region* source = ElementRegion(e.ref1);
    if (!source || width <= 0 || height <= 0)
        return;
    Bitmap a(width, height, PixelFormat32bppPARGB);
    Bitmap b(width, height, PixelFormat32bppPARGB);
    if (a.GetLastStatus() != Ok || b.GetLastStatus() != Ok)
        return;
    {
        // A moved copy: later elements of this paint still see the region where it was.
        std::unique_ptr<Region> moved(source->Clone());
        moved->Translate(-x, -y);
        Graphics ga(&a);
        ga.SetClip(moved.get(), CombineModeReplace);
        SolidBrush brush{Color(e.colour1)};
        ga.FillRectangle(&brush, 0, 0, width, height);
        ga.ResetClip();
    }
    Rect all(0, 0, width, height);
    BitmapData in = {}, out = {};
    if (a.LockBits(&all, ImageLockModeRead, PixelFormat32bppPARGB, &in) != Ok)
        return;
    if (b.LockBits(&all, ImageLockModeWrite, PixelFormat32bppPARGB, &out) != Ok) {
        a.UnlockBits(&in);
        return;
    }
    std::vector<uint32_t> src(size_t(width) * size_t(height));
    std::vector<uint32_t> dst(src.size());
    for (int row = 0; row < height; ++row)
        memcpy(&src[size_t(row) * size_t(width)], static_cast<BYTE*>(in.Scan0) + row * in.Stride, size_t(width) * 4);
    BlurGlow(src.data(), dst.data(), width, height, e.parameter);
    for (int row = 0; row < height; ++row)
        memcpy(static_cast<BYTE*>(out.Scan0) + row * out.Stride, &dst[size_t(row) * size_t(width)], size_t(width) * 4);
    b.UnlockBits(&out);
    a.UnlockBits(&in);
    graphics->DrawImage(&b, Rect(x, y, width, height), 0, 0, width, height, UnitPixel);
}

void StyleLayer::PaintColourEffect(const StyleElement& e)
{
    if (e.parameter != 1 && e.parameter != 2)
        return;
    if (!paintDC || e.width <= 0 || e.height <= 0)
        return;
    graphics->Flush(FlushIntentionSync);
    HBITMAP hbm = paintDC->GetCurrentBitmap();
    if (!hbm)
        return;
    std::unique_ptr<Bitmap> pixels(Bitmap::FromHBITMAP(hbm, paintDC->GetCurrentPalette()));
    if (!pixels || pixels->GetLastStatus() != Ok)
        return;
    // The off-screen bitmap's pixel (0, 0) shows the DC's logical origin: read the element's
    // own pixels from where they are in the bitmap.
    CPoint windowOrg = paintDC->GetWindowOrg();
    CPoint viewportOrg = paintDC->GetViewportOrg();
    int srcX = e.x - windowOrg.x + viewportOrg.x;
    int srcY = e.y - windowOrg.y + viewportOrg.y;
    ImageAttributes attributes;
    ColorMatrix m = StyleEffectMatrix(e.parameter);
    attributes.SetColorMatrix(&m);
    graphics->DrawImage(pixels.get(), Rect(e.x, e.y, e.width, e.height), srcX, srcY, e.width,
                        e.height, UnitPixel, &attributes);
}

void StyleLayer::PaintEdgeBand(const StyleElement& e)
{
    int d = e.parameter;
    int ex = e.x, ey = e.y, w = e.width, h = e.height;
    Rect brushRect;
    bool vertical = false;
    bool polygon = e.kind >= 16;
    Point pts[4];
    switch (e.kind) {
    case 12: brushRect = Rect(ex, ey, w, d); vertical = true; break;
    case 13: brushRect = Rect(ex, ey, d, h); break;
    case 14: brushRect = Rect(ex + w - d, ey, d, h); break;
    case 15: brushRect = Rect(ex, ey + h - d, w, d); vertical = true; break;
    case 16:
        pts[0] = Point(ex, ey); pts[1] = Point(ex + w, ey); pts[2] = Point(ex + w - d, ey + d); pts[3] = Point(ex + d, ey + d);
        brushRect = Rect(ex, ey, w, d); vertical = true; break;
    case 17:
        pts[0] = Point(ex, ey); pts[1] = Point(ex + d, ey + d); pts[2] = Point(ex + d, ey + h - d); pts[3] = Point(ex, ey + h);
        brushRect = Rect(ex, ey, d, h); break;
    case 18:
        pts[0] = Point(ex + w - d, ey + d); pts[1] = Point(ex + w, ey); pts[2] = Point(ex + w, ey + h); pts[3] = Point(ex + w - d, ey + h - d);
        brushRect = Rect(ex + w - d, ey, d, h); break;
    default:   // 19
        pts[0] = Point(ex + d, ey + h - d); pts[1] = Point(ex + w - d, ey + h - d); pts[2] = Point(ex + w, ey + h); pts[3] = Point(ex, ey + h);
        brushRect = Rect(ex, ey + h - d, w, d); vertical = true; break;
    }
    Graphics* g = graphics;
    SmoothingMode saved = g->GetSmoothingMode();
    g->SetSmoothingMode(SmoothingModeNone);
    LinearGradientBrush brush(brushRect, Color(e.colour1), Color(e.colour3),
                              vertical ? LinearGradientModeVertical : LinearGradientModeHorizontal);
    brush.SetWrapMode(WrapModeTile);
    if (e.position2 != 0)
        SetThreeStops(brush, e.colour1, e.colour2, e.colour3, e.position1, e.position2, e.position3);
    if (polygon)
        g->FillPolygon(&brush, pts, 4);
    else
        g->FillRectangle(&brush, brushRect);
    g->SetSmoothingMode(saved);
}

void StyleLayer::PaintBorders()
{
    int bx = x, by = y, bw = width, bh = height;
    for (int i = 0; i < 3; ++i) {
        const Border& b = borders[i];
        if (b.width <= 0)
            continue;
        int drawn = b.width;
        if (i < 2) {
            // A ring next to a rounded, opaque inner ring is drawn one pixel wider, so that no
            // background shows through between the two outlines.
            const Border& next = borders[i + 1];
            if (next.shape != 1 && next.width >= 1 && (next.colour1 >> 24) == 0xFF)
                drawn += 1;
        }
        b.Draw(graphics, bx, by, bw, bh, b.colour1, b.colour2, drawn);
        bx += b.width;
        by += b.width;
        bw -= 2 * b.width;
        bh -= 2 * b.width;
    }
}

void StyleLayer::Capture()
{
    if (!paintDC || width <= 0 || height <= 0) {
        m_cache.reset();
        return;
    }
    if (!m_cache || m_cache->bitmap.GetSize() != CSize(width, height)) {
        std::unique_ptr<StyleLayerCache> cache(new StyleLayerCache);
        if (!cache->dc.CreateCompatibleDC(paintDC) || !cache->bitmap.CreateCompatibleBitmap(paintDC, width, height)) {
            m_cache.reset();
            return;
        }
        cache->oldBitmap = cache->dc.SelectObject(cache->bitmap.m_hObject);
        m_cache = std::move(cache);
    }
    m_cache->dc.BitBlt(0, 0, width, height, paintDC, x, y, SRCCOPY);
}

BOOL StyleLayer::PaintFromCache(CDC* target) const
{
    if (!m_cache)
        return FALSE;
    return target->BitBlt(x, y, width, height, &m_cache->dc, 0, 0, SRCCOPY);
}
