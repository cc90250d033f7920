// The painter: pixel probes in a 32-bit memory DIB where the look is fixed exactly, the
// geometry faults, the PNG loader, the layer cache and the copy rules.
#include <windows.h>

#include <gtest/gtest.h>

#include "Client/Skin/SkinTestIds.h"
#include "Client/Skin/SkinTestSupport.h"
#include "Skin/GResource.h"
#include "Skin/MemDC.h"
#include "Skin/SkinFont.h"
#include "Skin/Style.h"

namespace {

GdiPlusSession g_gdiplus;

void PaintLayer(DibCanvas& canvas, const StyleLayer& layer, int w, int h)
{
    Style s;
    s.AddLayer(layer);
    s.Paint(&canvas.dc, 0, 0, w, h);
}

TEST(StylePaint, MemDcLetsCallersDrawInTheTargetsCoordinates)
{
    ASSERT_TRUE(g_gdiplus.IsStarted());
    DibCanvas canvas(40, 40);
    {
        MemDC mem(&canvas.dc, 10, 10, 30, 30, true);
        ASSERT_TRUE(mem.m_bValid);
        Gdiplus::Graphics g(mem.m_hDC);
        Gdiplus::SolidBrush red{Gdiplus::Color(255, 255, 0, 0)};
        g.FillRectangle(&red, 10, 10, 20, 20);
        g.FillRectangle(&red, 0, 0, 5, 5);   // outside the MemDC's rectangle: never reaches the target
    }
    EXPECT_EQ(canvas.Pixel(10, 10), 0xFF0000u);
    EXPECT_EQ(canvas.Pixel(29, 29), 0xFF0000u);
    EXPECT_EQ(canvas.Pixel(9, 9), 0xFFFFFFu);
    EXPECT_EQ(canvas.Pixel(30, 30), 0xFFFFFFu);
    EXPECT_EQ(canvas.Pixel(2, 2), 0xFFFFFFu);
}

TEST(StylePaint, FillFollowsTheOuterBorderShape)
{
    struct Case { const char* name; int shape; bool bounded; DWORD centre; DWORD corner; };
    const Case cases[] = {
        {"rectangle", 1, true, 0x0000FF, 0x0000FF},
        {"ellipse", 3, true, 0x0000FF, 0xFFFFFF},
        {"rounded", 2, true, 0x0000FF, 0xFFFFFF},
        {"never bounded (shape 0)", 0, false, 0xFFFFFF, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        DibCanvas canvas(20, 20);
        StyleLayer l;
        if (c.bounded) {
            l.SetBounds(0, 0, 20, 20);
            if (c.shape != 1)
                l.SetShape(c.shape, 6);
        } else {
            l.width = l.height = 20;
        }
        l.AddFillElement(0xFF0000FF);
        PaintLayer(canvas, l, 20, 20);
        EXPECT_EQ(canvas.Pixel(10, 10), c.centre) << c.name;
        EXPECT_EQ(canvas.Pixel(0, 0), c.corner) << c.name;
    }
}

TEST(StylePaint, GradientsAtTheirEnds)
{
    // Two colours with an offset: 0.25 keeps colour1 up to a quarter; -0.25 reaches colour2
    // at three quarters and keeps it.
    DibCanvas canvas(100, 10);
    StyleLayer l(0, 0, 100, 10);
    l.AddGradientElement(0, 0xFFFF0000, 0xFF0000FF, 0.25f);
    PaintLayer(canvas, l, 100, 10);
    EXPECT_TRUE(Near(canvas.Pixel(10, 5), 0xFF0000, 2)) << std::hex << canvas.Pixel(10, 5);
    EXPECT_TRUE(Near(canvas.Pixel(99, 5), 0x0000FF, 6)) << std::hex << canvas.Pixel(99, 5);

    StyleLayer m(0, 0, 100, 10);
    m.AddGradientElement(0, 0xFFFF0000, 0xFF0000FF, -0.25f);
    PaintLayer(canvas, m, 100, 10);
    EXPECT_TRUE(Near(canvas.Pixel(85, 5), 0x0000FF, 2)) << std::hex << canvas.Pixel(85, 5);
    EXPECT_TRUE(Near(canvas.Pixel(0, 5), 0xFF0000, 6)) << std::hex << canvas.Pixel(0, 5);

    // Three colours, vertical: the ends are the outer colours, the middle stop the middle one.
    DibCanvas tall(10, 100);
    StyleLayer v(0, 0, 10, 100);
    v.AddThreeColourElement(1, 0xFF59C8EE, 0xFF52B9FA, 0xFF1A66A2, 0.5f);
    PaintLayer(tall, v, 10, 100);
    EXPECT_TRUE(Near(tall.Pixel(5, 0), 0x59C8EE, 4)) << std::hex << tall.Pixel(5, 0);
    EXPECT_TRUE(Near(tall.Pixel(5, 50), 0x52B9FA, 4)) << std::hex << tall.Pixel(5, 50);
    EXPECT_TRUE(Near(tall.Pixel(5, 99), 0x1A66A2, 4)) << std::hex << tall.Pixel(5, 99);
}

TEST(StylePaint, ColourEffectsUseTheMatricesOnTheElementsOwnPixels)
{
    // The effect layer sits at (50, 0), away from the off-screen bitmap's corner: it must
    // transform the pixels under it, not those at the bitmap's origin.
    struct Case { const char* name; int effect; DWORD under; int low, high; };
    const Case cases[] = {
        {"brighten", 1, 0xFF646464, 117, 118},          // 100 * 1.05 + 12.75
        {"greyscale", 2, 0xFFC86432, 124, 125},         // 0.3 * 200 + 0.59 * 100 + 0.11 * 50
    };
    for (const Case& c : cases) {
        DibCanvas canvas(100, 20);
        Style s;
        StyleLayer left(0, 0, 50, 20);
        left.AddFillElement(0xFFFF0000);
        s.AddLayer(left);
        StyleLayer right(50, 0, 50, 20);
        right.AddFillElement(c.under);
        right.AddEffectElement(c.effect);
        s.AddLayer(right);
        s.Paint(&canvas.dc, 0, 0, 100, 20);
        DWORD p = canvas.Pixel(75, 10);
        for (int ch : {Red(p), Green(p), Blue(p)})
            EXPECT_TRUE(ch >= c.low && ch <= c.high) << c.name << std::hex << " " << p;
        EXPECT_EQ(canvas.Pixel(25, 10), 0xFF0000u) << c.name;   // the left layer is untouched
    }
}

TEST(StylePaint, PngResourcesLoadOrFailCleanly)
{
    struct Case { const char* name; int id; bool loads; UINT width; };
    const Case cases[] = {
        {"quadrants", IDR_TEST_QUADRANTS, true, 40},
        {"the logo", 208, true, 40},
        {"missing", 4242, false, 0},
        {"garbage bytes", IDR_TEST_GARBAGE, false, 0},
        {"empty", IDR_TEST_EMPTY, false, 0},
    };
    for (const Case& c : cases) {
        GResource r;
        EXPECT_EQ(r.Load(MAKEINTRESOURCEA(c.id), "PNG"), c.loads) << c.name;
        if (c.loads) {
            ASSERT_NE(r.m_pBitmap, nullptr) << c.name;
            EXPECT_EQ(r.m_pBitmap->GetWidth(), c.width) << c.name;
        } else {
            EXPECT_EQ(r.m_pBitmap, nullptr) << c.name;
        }
    }
}

TEST(StylePaint, ImagesCropOrScaleAndTakeTheirEffect)
{
    // A 40x40 image of four 20x20 quadrants in a 20x20 layer: cropped it shows its top-left
    // quadrant only; scaled, the bottom-right quadrant lands at (15, 15).
    struct Case { const char* name; int fit; DWORD at15; DWORD at5; };
    const Case cases[] = {
        {"crop", 1, 0xFF0000, 0xFF0000},
        {"scale", 0, 0xFFFF00, 0xFF0000},
    };
    for (const Case& c : cases) {
        DibCanvas canvas(20, 20);
        StyleLayer l(0, 0, 20, 20);
        l.AddImageElement(0, 0, IDR_TEST_QUADRANTS, "PNG", c.fit, 0);
        PaintLayer(canvas, l, 20, 20);
        EXPECT_TRUE(Near(canvas.Pixel(15, 15), c.at15, 8)) << c.name << std::hex << " " << canvas.Pixel(15, 15);
        EXPECT_TRUE(Near(canvas.Pixel(5, 5), c.at5, 8)) << c.name << std::hex << " " << canvas.Pixel(5, 5);
    }
    // Greyscale through the image record: (200, 100, 50) gives 124 or 125 in every channel;
    // the image is drawn at its offset and 1:1 (a 2x2 image).
    DibCanvas canvas(10, 10);
    StyleLayer l(0, 0, 10, 10);
    l.AddImageElement(3, 4, IDR_TEST_FLAT, "PNG", 1, 2);
    PaintLayer(canvas, l, 10, 10);
    DWORD p = canvas.Pixel(3, 4);
    EXPECT_TRUE(Red(p) >= 124 && Red(p) <= 125 && Green(p) >= 124 && Green(p) <= 125 &&
                Blue(p) >= 124 && Blue(p) <= 125) << std::hex << p;
    EXPECT_EQ(canvas.Pixel(2, 4), 0xFFFFFFu);
    EXPECT_EQ(canvas.Pixel(5, 4), 0xFFFFFFu);
    // A missing image draws nothing and does not stop the layer.
    StyleLayer missing(0, 0, 10, 10);
    missing.AddImageElement(0, 0, 4242, "PNG", 0, 0);
    missing.AddElement(0, 0, 2, 2, 0xFF00FF00);
    PaintLayer(canvas, missing, 10, 10);
    EXPECT_EQ(canvas.Pixel(1, 1), 0x00FF00u);
}

TEST(StylePaint, LayerCacheHoldsWhatWasUnderneathUntilReset)
{
    DibCanvas canvas(20, 20, RGB(0, 0, 255));
    Style s;
    StyleLayer l(0, 0, 20, 20);
    l.AddFillElement(0x80FF0000);
    s.AddLayer(l);
    s.Paint(&canvas.dc, 0, 0, 20, 20);
    EXPECT_TRUE(Near(canvas.Pixel(10, 10), 0x80007F, 3)) << std::hex << canvas.Pixel(10, 10);
    EXPECT_TRUE(s.layers[0].painted);

    canvas.Fill(RGB(0, 255, 0));
    s.Paint(&canvas.dc, 0, 0, 20, 20);   // a cached layer: one block copy of the old pixels
    EXPECT_TRUE(Near(canvas.Pixel(10, 10), 0x80007F, 3)) << std::hex << canvas.Pixel(10, 10);

    s.ResetLayers();
    EXPECT_FALSE(s.layers[0].painted);
    canvas.Fill(RGB(0, 255, 0));
    s.Paint(&canvas.dc, 0, 0, 20, 20);
    EXPECT_TRUE(Near(canvas.Pixel(10, 10), 0x807F00, 3)) << std::hex << canvas.Pixel(10, 10);

    // An empty Style paints nothing.
    canvas.Fill(RGB(1, 2, 3));
    Style empty;
    empty.Paint(&canvas.dc, 0, 0, 20, 20);
    EXPECT_EQ(canvas.Pixel(10, 10), 0x010203u);
}

TEST(StylePaint, ZeroSizedRoundedShapesAreEmpty)
{
    Border b;
    b.shape = 2;
    b.radius = 5;
    Gdiplus::GraphicsPath path;
    path.AddRectangle(Gdiplus::Rect(0, 0, 3, 3));
    b.AddRoundPath(&path, 0, 0, 0, 20);
    EXPECT_EQ(path.GetPointCount(), 0);
    b.AddRoundPath(&path, 0, 0, 20, 0);
    EXPECT_EQ(path.GetPointCount(), 0);
    b.AddRoundPath(&path, 0, 0, 4, 20);   // narrower than the corners: the shortened ellipse
    EXPECT_GT(path.GetPointCount(), 0);

    // A rounded layer of width 0 (a bar at its lower bound) paints nothing and survives.
    DibCanvas canvas(20, 20);
    StyleLayer l(0, 0, 0, 20);
    l.SetShape(2, 5);
    l.SetAttributes(2, 0xFF000000);
    l.AddFillElement(0xFFFF0000);
    l.AddElement(0, 0, 0, 20, 0xFFFF0000);
    PaintLayer(canvas, l, 20, 20);
    EXPECT_EQ(canvas.Pixel(10, 10), 0xFFFFFFu);
}

TEST(StylePaint, RingNextToAnOpaqueRoundedRingIsOnePixelWider)
{
    DibCanvas canvas(40, 40);
    StyleLayer l(0, 0, 40, 40);
    l.borders[0].shape = 1;
    l.borders[0].width = 2;
    l.borders[0].colour1 = l.borders[0].colour2 = 0xFFFF0000;
    l.borders[1].shape = 2;
    l.borders[1].radius = 5;
    l.borders[1].width = 1;
    l.borders[1].colour1 = l.borders[1].colour2 = 0xFF0000FF;
    PaintLayer(canvas, l, 40, 40);
    EXPECT_EQ(canvas.Pixel(0, 20), 0xFF0000u);
    EXPECT_EQ(canvas.Pixel(1, 20), 0xFF0000u);
    EXPECT_EQ(canvas.Pixel(2, 2), 0xFF0000u);     // the third ring, outside the rounding
    EXPECT_EQ(canvas.Pixel(20, 20), 0xFFFFFFu);
}

TEST(StylePaint, CopiesShareNoRegionsImagesOrCaches)
{
    DibCanvas canvas(20, 20);
    Style s;
    StyleLayer l(0, 0, 20, 20);
    l.AddImageElement(0, 0, IDR_TEST_QUADRANTS, "PNG", 1, 0);
    int region = l.AddShapeElement(0, 0, 10, 10, 20, 0, 0, 0);
    l.elements[size_t(region)].shape = 1;
    s.AddLayer(l);
    s.Paint(&canvas.dc, 0, 0, 20, 20);
    ASSERT_NE(s.layers[0].elements[size_t(region)].region, nullptr);
    ASSERT_NE(s.layers[0].images[0].image, nullptr);

    Style copy(s);
    EXPECT_FALSE(copy.layers[0].painted);
    EXPECT_EQ(copy.layers[0].elements[size_t(region)].region, nullptr);
    EXPECT_EQ(copy.layers[0].images[0].image, nullptr);
    Style assigned;
    assigned = s;
    EXPECT_EQ(assigned.layers[0].elements[size_t(region)].region, nullptr);

    // Both paint on their own; destroying one leaves the other intact.
    {
        Style temp(s);
        temp.Paint(&canvas.dc, 0, 0, 20, 20);
        EXPECT_NE(temp.layers[0].elements[size_t(region)].region, s.layers[0].elements[size_t(region)].region);
    }
    s.ResetLayers();
    canvas.Fill(RGB(255, 255, 255));
    s.Paint(&canvas.dc, 0, 0, 20, 20);
    EXPECT_TRUE(Near(canvas.Pixel(5, 5), 0xFF0000, 8));
}

TEST(StylePaint, RegionsClipAndGlow)
{
    // Kind 20 defines a region, 23 clips to it, 24 restores the layer's clip.
    DibCanvas canvas(40, 20);
    StyleLayer l(0, 0, 40, 20);
    int region = l.AddShapeElement(0, 0, 10, 20, 20, 0, 0, 0);
    l.elements[size_t(region)].shape = 1;
    int clip = l.AddShapeElement(0, 0, 0, 0, 23, 0, 0, 0);
    l.elements[size_t(clip)].ref1 = region;
    l.AddFillElement(0xFF00FF00);
    l.AddShapeElement(0, 0, 0, 0, 24, 0, 0, 0);
    l.AddElement(30, 0, 10, 20, 0xFF0000FF);
    PaintLayer(canvas, l, 40, 20);
    EXPECT_EQ(canvas.Pixel(5, 10), 0x00FF00u);
    EXPECT_EQ(canvas.Pixel(20, 10), 0xFFFFFFu);
    EXPECT_EQ(canvas.Pixel(35, 10), 0x0000FFu);

    // A glow of a region in a layer away from the origin lands around the region, and a
    // later clip to the same region still finds it where it was.
    DibCanvas glowCanvas(60, 40);
    StyleLayer g(20, 10, 30, 20);
    int r = g.AddShapeElement(30, 15, 10, 10, 20, 0, 0, 0);
    g.elements[size_t(r)].shape = 1;
    int glow = g.AddShapeElement(0, 0, 0, 0, 8, 2, 0xFFFF0000, 0);
    g.elements[size_t(glow)].ref1 = r;
    int clip2 = g.AddShapeElement(0, 0, 0, 0, 23, 0, 0, 0);
    g.elements[size_t(clip2)].ref1 = r;
    g.AddFillElement(0xFF0000FF);
    PaintLayer(glowCanvas, g, 60, 40);
    EXPECT_EQ(glowCanvas.Pixel(35, 20), 0x0000FFu);            // inside the region: the fill
    DWORD halo = glowCanvas.Pixel(29, 20);                     // just outside: the glow
    EXPECT_GT(Red(halo), 0);
    EXPECT_LT(Green(halo), 255);
    EXPECT_EQ(glowCanvas.Pixel(22, 12), 0xFFFFFFu);            // far away: untouched
}

TEST(StylePaint, TextUsesAnInstalledFaceForMissingOnes)
{
    // Every face the skin names resolves to a family GDI+ can use (under Wine through the
    // prefix's font replacements), and so does a face nobody has.
    for (const wchar_t* face : {L"Calibri", L"Segoe UI", L"Verdana", L"Arial", L"No Such Face At All"}) {
        std::wstring family = ResolveSkinFontFamily(face);
        EXPECT_FALSE(family.empty());
        Gdiplus::FontFamily f(family.c_str());
        EXPECT_TRUE(f.IsAvailable());
        std::unique_ptr<Gdiplus::Font> font = CreateSkinFont(face, 12, 0);
        EXPECT_EQ(font->GetLastStatus(), Gdiplus::Ok);
    }

    struct Case { const char* face; int kind; float halo; bool draws; };
    const Case cases[] = {
        {"Calibri", 6, 0, true},
        {"Segoe UI", 6, 0, true},
        {"No Such Face At All", 6, 0, true},
        {"Arial", 7, 0, false},      // a halo of radius 0 draws nothing
        {"Arial", 7, 0.5f, true},
    };
    for (const Case& c : cases) {
        DibCanvas canvas(80, 30);
        StyleLayer l(0, 0, 80, 30);
        int t = l.AddTextElement("Wg", 1, 0, 0, 0xFF000000, 20, 1, c.face);
        l.elements[size_t(t)].kind = c.kind;
        l.elements[size_t(t)].colour2 = 0xFFFF0000;
        l.elements[size_t(t)].position1 = c.halo;
        PaintLayer(canvas, l, 80, 30);
        int dark = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 80; ++x)
                dark += canvas.Pixel(x, y) != 0xFFFFFF;
        EXPECT_EQ(dark > 10, c.draws) << c.face << " kind " << c.kind << " dark " << dark;
    }
}

}  // namespace
