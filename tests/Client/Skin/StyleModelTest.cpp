// The Style model: adders and their records, the layer operations, the glow button face and
// the glow kernel. No painting here.
#include <windows.h>

#include <gtest/gtest.h>

#include "Skin/GlowBlur.h"
#include "Skin/Style.h"

namespace {

TEST(StyleModel, AddersAppendElementsAndRecordsAndReturnTheirIndex)
{
    StyleLayer l(0, 0, 100, 40);
    EXPECT_EQ(l.AddFillElement(0xFF102030), 0);
    EXPECT_EQ(l.AddGradientElement(1, 0xFFAA0000, 0xFF0000BB, 0.25f), 1);
    EXPECT_EQ(l.AddShapeElement(1, 2, 3, 4, 8, 5, 0xFF000001, 0xFF000002), 2);
    EXPECT_EQ(l.AddImageElement(3, 4, 0x100D0, "PNG", 1, 2), 3);
    EXPECT_EQ(l.AddTextElement("Scan", 1.5f, 2.5f, 0xFFFFFFFF, 14, 1, "Arial"), 4);
    EXPECT_EQ(l.AddTextElement("Fix", 1, 0, 0, 0xFF000000, 12, 0, "A face name longer than thirty-one characters"), 5);
    EXPECT_EQ(l.AddEffectElement(2), 6);
    EXPECT_EQ(l.AddKind4Element(0, 0, 10, 10, 99, 7, 1, 2, 3), 7);
    EXPECT_EQ(l.AddRadialElement(-60, 5, 220, 50, 0xFF12C32B, 0), 8);
    EXPECT_EQ(l.AddBlendElement(1, 1, 98, 38, 12, 6, 0xC8FFFFFF, 0xF1FFFFFF, 0x28FFFFFF, 0, 0.2f, 1), 9);
    ASSERT_EQ(l.elements.size(), 10u);

    struct Expect { int kind, x, y, w, h, parameter; DWORD c1, c2, c3; };
    const Expect table[] = {
        {0, 0, 0, 0, 0, 0, 0xFF102030, 0, 0},         // whole layer
        {2, 0, 0, 0, 0, 1, 0xFFAA0000, 0xFF0000BB, 0},
        {8, 1, 2, 3, 4, 5, 0xFF000001, 0xFF000002, 0xFF000002},   // colour3 = colour2
        {5, 0, 0, 0, 0, 0, 0, 0, 0},                  // image record 0
        {6, 0, 0, 0, 0, 0, 0xFFFFFFFF, 0, 0},         // text record 0
        {6, 0, 0, 0, 0, 1, 0xFF000000, 0, 0},         // text record 1
        {11, 0, 0, 0, 0, 2, 0, 0, 0},
        {4, 0, 0, 10, 10, 7, 1, 2, 3},                // the band width is the parameter
        {1, -60, 5, 220, 50, 0, 0xFF12C32B, 0, 0},
        {12, 1, 1, 98, 38, 6, 0xC8FFFFFF, 0xF1FFFFFF, 0x28FFFFFF},
    };
    for (size_t i = 0; i < 10; ++i) {
        const StyleElement& e = l.elements[i];
        const Expect& x = table[i];
        EXPECT_EQ(e.kind, x.kind) << i;
        EXPECT_EQ(e.x, x.x) << i;
        EXPECT_EQ(e.y, x.y) << i;
        EXPECT_EQ(e.width, x.w) << i;
        EXPECT_EQ(e.height, x.h) << i;
        EXPECT_EQ(e.parameter, x.parameter) << i;
        EXPECT_EQ(e.colour1, x.c1) << i;
        EXPECT_EQ(e.colour2, x.c2) << i;
        EXPECT_EQ(e.colour3, x.c3) << i;
    }
    EXPECT_FLOAT_EQ(l.elements[1].position1, 0.25f);
    EXPECT_FLOAT_EQ(l.elements[9].position2, 0.2f);

    ASSERT_EQ(l.images.size(), 1u);
    const StyleImageRecord& img = l.images[0];
    EXPECT_EQ(img.fit, 1);
    EXPECT_EQ(img.effect, 2);
    EXPECT_EQ(img.dx, 3);
    EXPECT_EQ(img.dy, 4);
    EXPECT_EQ(img.sx, 0);
    EXPECT_EQ(img.sy, 0);
    EXPECT_EQ(img.resourceId, 208);   // the low 16 bits
    EXPECT_STREQ(img.resourceType.GetString(), "PNG");
    EXPECT_EQ(img.image, nullptr);

    ASSERT_EQ(l.texts.size(), 2u);
    EXPECT_EQ(l.texts[0].text, std::wstring(L"Scan"));
    EXPECT_EQ(std::wstring(l.texts[0].face), std::wstring(L"Arial"));
    EXPECT_EQ(l.texts[0].alignment, 0);
    EXPECT_FLOAT_EQ(l.texts[0].insetX, 1.5f);
    EXPECT_FLOAT_EQ(l.texts[0].insetY, 2.5f);
    EXPECT_EQ(l.texts[0].size, 14);
    EXPECT_EQ(l.texts[0].style, 1);
    EXPECT_EQ(l.texts[1].alignment, 1);
    EXPECT_EQ(std::wstring(l.texts[1].face).size(), 31u);   // cut to the record's room

    l.SetElementValue(1, 0xFF445566);
    EXPECT_EQ(l.elements[1].kind, 0);
    EXPECT_EQ(l.elements[1].colour1, 0xFF445566u);
    l.SetElementValue(10, 0xFF000000);   // past the end: nothing happens
    EXPECT_EQ(l.elements.size(), 10u);
}

TEST(StyleModel, BoundsShapeAndBorders)
{
    StyleLayer empty;
    for (const Border& b : empty.borders) {
        EXPECT_EQ(b.shape, 0);
        EXPECT_EQ(b.width, 0);
        EXPECT_EQ(b.colour1, 0u);
    }
    Border own;
    EXPECT_EQ(own.colour1, 0xFF000000u);
    EXPECT_EQ(own.colour2, 0xFF000000u);

    StyleLayer l(5, 6, 70, 20);
    EXPECT_EQ(l.x, 5);
    EXPECT_EQ(l.height, 20);
    for (const Border& b : l.borders)
        EXPECT_EQ(b.shape, 1);
    l.SetShape(4, 6);
    EXPECT_EQ(l.borders[0].shape, 4);
    EXPECT_EQ(l.borders[1].shape, 2);
    EXPECT_EQ(l.borders[2].shape, 2);
    for (const Border& b : l.borders)
        EXPECT_EQ(b.radius, 6);
    l.SetAttributes(2, 0xFF112233);
    EXPECT_EQ(l.borders[0].width, 2);
    EXPECT_EQ(l.borders[0].colour1, 0xFF112233u);
    EXPECT_EQ(l.borders[0].colour2, 0xFF112233u);
    l.SetInnerBorder(1, 0x64FFFFFF);   // the middle border
    EXPECT_EQ(l.borders[1].width, 1);
    EXPECT_EQ(l.borders[1].colour1, 0x64FFFFFFu);
    EXPECT_EQ(l.borders[2].width, 0);

    StyleLayer filled(1, 2, 3, 4, 0xFF0000FF);
    ASSERT_EQ(filled.elements.size(), 1u);
    EXPECT_EQ(filled.elements[0].x, 1);
    EXPECT_EQ(filled.elements[0].width, 3);
}

TEST(StyleModel, CombineKeepsReferencesInsideTheAppendedPart)
{
    StyleLayer a(0, 0, 10, 10);
    a.AddFillElement(1);
    a.AddFillElement(2);
    a.AddTextElement("a", 0, 0, 0, 10, 0, "Arial");   // element 2, text record 0
    StyleLayer b(0, 0, 10, 10);
    int region = b.AddShapeElement(0, 0, 5, 5, 20, 0, 0, 0);
    int clip = b.AddShapeElement(0, 0, 0, 0, 23, 0, 0, 0);
    b.elements[size_t(clip)].ref1 = region;
    b.elements[size_t(clip)].ref2 = 1;
    b.AddTextElement("b", 0, 0, 0, 10, 0, "Arial");

    StyleLayer c = StyleLayer::Combine(a, b);
    ASSERT_EQ(c.elements.size(), 6u);
    EXPECT_EQ(c.elements[3].kind, 20);
    EXPECT_EQ(c.elements[4].ref1, 3);
    EXPECT_EQ(c.elements[4].ref2, 4);
    EXPECT_EQ(c.elements[5].parameter, 0);   // record indices are copied unchanged
    EXPECT_EQ(c.texts.size(), 2u);
    EXPECT_EQ(a.elements.size(), 3u);        // the operands are unchanged
}

TEST(StyleModel, MoveToShiftsElementsAndInvalidateResetsRectanglesFromAnIndex)
{
    StyleLayer l(0, 0, 40, 40);
    l.AddElement(5, 5, 10, 10, 1);
    l.AddElement(7, 8, 9, 10, 2);
    l.AddTextElement("t", 2, 3, 0, 10, 0, "Arial");
    Style s;
    EXPECT_EQ(s.GetLastLayerIndex(), -1);
    EXPECT_EQ(s.AddLayer(l), 0);
    EXPECT_EQ(s.AddLayer(l), 1);
    EXPECT_EQ(s.GetLastLayerIndex(), 1);
    s.SetLayersState(1, 1);
    for (const StyleLayer& moved : s.layers) {
        EXPECT_EQ(moved.x, 1);
        EXPECT_EQ(moved.elements[0].x, 6);
        EXPECT_EQ(moved.elements[0].y, 6);
        EXPECT_EQ(moved.elements[0].width, 10);
        EXPECT_FLOAT_EQ(moved.texts[0].insetX, 2);   // insets stay
    }
    s.OffsetLayers(2, 3);
    EXPECT_EQ(s.layers[0].x, 3);
    EXPECT_EQ(s.layers[0].y, 4);
    EXPECT_EQ(s.layers[0].elements[1].x, 10);

    StyleLayer& first = s.layers[0];
    first.painted = true;
    first.Invalidate(-1);
    EXPECT_FALSE(first.painted);
    EXPECT_EQ(first.elements[0].width, 10);
    first.Invalidate(1);
    EXPECT_EQ(first.elements[0].width, 10);
    EXPECT_EQ(first.elements[1].width, 0);
    EXPECT_EQ(first.elements[1].height, 0);
    EXPECT_EQ(first.elements[1].x, 10);   // the position stays; the paint retakes the layer's
}

TEST(StyleModel, GlowButtonFace)
{
    Style s = BuildGlowButtonStyle(0, 0, 100, 30, 0xFF2BC312, 0xFF000000, 2, 5);
    ASSERT_EQ(s.layers.size(), 4u);
    const StyleLayer& base = s.layers[0];
    EXPECT_EQ(base.width, 100);
    EXPECT_EQ(base.height, 30);
    ASSERT_EQ(base.elements.size(), 1u);
    EXPECT_EQ(base.elements[0].kind, 0);
    EXPECT_EQ(base.elements[0].colour1, 0xFF2BC312u);
    EXPECT_EQ(base.borders[0].width, 1);
    EXPECT_EQ(base.borders[0].shape, 2);
    EXPECT_EQ(base.borders[0].radius, 5);
    const StyleLayer& glow = s.layers[1];
    ASSERT_EQ(glow.elements.size(), 2u);
    EXPECT_EQ(glow.elements[0].colour1, 0xFF2BC312u);
    const StyleElement& e = glow.elements[1];
    EXPECT_EQ(e.kind, 1);
    EXPECT_EQ(e.x, -60);
    EXPECT_EQ(e.y, 5);
    EXPECT_EQ(e.width, 220);
    EXPECT_EQ(e.height, 50);
    EXPECT_EQ(e.colour1, 0xFF12C32Bu);   // the fill read as a COLORREF, opaque
    EXPECT_EQ(e.colour2, 0u);
    EXPECT_TRUE(s.layers[2].elements.empty());
    EXPECT_TRUE(s.layers[3].elements.empty());
}

TEST(StyleModel, GlowKernelAndBlur)
{
    struct Case { int r; std::vector<float> k; };
    const Case cases[] = {
        {0, {1}},
        {1, {0, 1, 0}},
        {2, {0, 2.0f / 9, 1, 2.0f / 9, 0}},
        {3, {0, 0.125f, 0.5f, 1, 0.5f, 0.125f, 0}},
        {4, {0, 0.08f, 0.32f, 0.68f, 1, 0.68f, 0.32f, 0.08f, 0}},
    };
    for (const Case& c : cases) {
        std::vector<float> k = BuildGlowKernel(c.r);
        ASSERT_EQ(k.size(), c.k.size()) << c.r;
        for (size_t i = 0; i < k.size(); ++i)
            EXPECT_NEAR(k[i], c.k[i], 1e-5) << "r " << c.r << " tap " << i;
    }

    // One opaque white column in a 9x3 image, radius 3: it spreads two columns each way (the
    // end taps weigh 0), and taps outside the image are skipped rather than counted as black.
    const int w = 9, h = 3;
    std::vector<uint32_t> src(size_t(w * h), 0), dst(size_t(w * h), 0);
    for (int y = 0; y < h; ++y)
        src[size_t(y * w + 4)] = 0xFFFFFFFF;
    BlurGlow(src.data(), dst.data(), w, h, 3);
    EXPECT_EQ(dst[1] >> 24, 0u);
    EXPECT_EQ(dst[7] >> 24, 0u);
    EXPECT_GT(dst[2] >> 24, 0u);
    EXPECT_GT(dst[6] >> 24, 0u);
    // Centre: 255 * 1 / (sum of the weights) = 255 / 2.25 = 113.
    EXPECT_EQ(dst[4] >> 24, 113u);
    // Columns 0..8 of a uniform row stay uniform at the edges (no darkening from the border).
    std::vector<uint32_t> flat(size_t(w * h), 0x80808080), out(size_t(w * h));
    BlurGlow(flat.data(), out.data(), w, h, 3);
    EXPECT_EQ(out[0], 0x80808080u);
    EXPECT_EQ(out[size_t(w * h - 1)], 0x80808080u);
}

}  // namespace
