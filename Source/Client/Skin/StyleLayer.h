// StyleLayer and its records: one rectangle of a Style with up to three nested borders and an
// ordered list of drawing elements (fills, gradients, PNG images, text, regions, effects).
//
// Usage: build a layer with the adders (each returns the index of the new element), then add it
// to a Style (Style::AddLayer copies it). Colours are ARGB 0xAARRGGBB. An element whose width
// and height are both 0 covers the layer's rectangle: it takes that rectangle at its first paint
// and keeps it until Invalidate(k) resets elements from index k on.
//   StyleLayer face(0, 0, 80, 24);
//   face.SetShape(2, 4);  face.SetAttributes(1, 0xFF1167BD);
//   face.AddThreeColourElement(1, 0xFF59C8EE, 0xFF52B9FA, 0xFF1A66A2, 0.5f);
//   face.AddTextElement("Scan", 1, 0, 0, 0xFFFFFFFF, 14, 1, "Segoe UI");
// Copies are deep and start unpainted: a copy never shares the cached pixels, the GDI+ regions
// or the loaded images of the layer it was copied from.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Framework/CDC.h"
#include "Framework/CString.h"
#include "Skin/Border.h"
#include "Skin/GResource.h"
#include "Skin/SkinGdiPlus.h"

struct StyleElement
{
    StyleElement() noexcept {}
    StyleElement(const StyleElement& other);               // the copy has no region
    StyleElement& operator=(const StyleElement& other);
    StyleElement(StyleElement&& other) noexcept;           // moves keep it (list growth)
    StyleElement& operator=(StyleElement&& other) noexcept;
    ~StyleElement();

    int x = 0, y = 0, width = 0, height = 0;
    DWORD colour1 = 0, colour2 = 0, colour3 = 0;
    int kind = 0;
    int shape = 0;        // 0: the layer's outer border shape (filled in at paint time)
    int parameter = 0;
    float position1 = 0, position2 = 0, position3 = 0;
    int ref1 = 0, ref2 = 0;
    Gdiplus::Region* region = nullptr;   // owned; made by kinds 20 and 22; never copied
};

struct StyleTextRecord
{
    wchar_t face[32] = {};
    float insetX = 0, insetY = 0;
    int alignment = 0;    // 0 near, 1 centre, 2 far (both directions)
    int size = 0;         // pixels
    int style = 0;        // GDI+ FontStyle bits
    std::wstring text;
};

struct StyleImageRecord
{
    StyleImageRecord() noexcept {}
    StyleImageRecord(const StyleImageRecord& other);       // the copy has no image
    StyleImageRecord& operator=(const StyleImageRecord& other);
    StyleImageRecord(StyleImageRecord&&) noexcept = default;
    StyleImageRecord& operator=(StyleImageRecord&&) noexcept = default;

    int fit = 0;          // 0 scale down into the layer, 1 crop at 1:1
    int effect = 0;       // 0 none, 1 brighten, 2 greyscale
    int dx = 0, dy = 0;   // image corner relative to the layer's corner
    int sx = 0, sy = 0;   // offset into the image
    int resourceId = 0;
    CString resourceType;
    std::unique_ptr<GResource> image;   // loaded at paint time; never copied
};

// The pixels a layer produced at its last paint.
struct StyleLayerCache
{
    ~StyleLayerCache();
    CDC dc;
    CBitmap bitmap;
    HGDIOBJ oldBitmap = NULL;
};

class StyleLayer
{
public:
    StyleLayer();
    StyleLayer(int x, int y, int w, int h);
    StyleLayer(int x, int y, int w, int h, DWORD colour);
    StyleLayer(const StyleLayer& other);
    StyleLayer& operator=(const StyleLayer& other);
    ~StyleLayer();

    void SetBounds(int x, int y, int w, int h);
    void SetShape(int shape, int radius);
    void SetAttributes(int width, DWORD colour);     // the outer border
    void SetInnerBorder(int width, DWORD colour);    // the middle border

    int AddElement(int x, int y, int w, int h, DWORD colour);
    int AddRectElement(int x, int y, int w, int h, DWORD colour);
    int AddFillElement(DWORD colour);
    int AddRadialElement(int x, int y, int w, int h, DWORD rimColour, DWORD centreColour);
    int AddGradientElement(int direction, DWORD colour1, DWORD colour2, float offset);
    int AddShadedRectElement(int x, int y, int w, int h, int direction, DWORD colour1,
                             DWORD colour2, DWORD colour3, float middle);
    int AddThreeColourElement(int direction, DWORD colour1, DWORD colour2, DWORD colour3, float middle);
    int AddKind4Element(int x, int y, int w, int h, int unused, int bandWidth, DWORD colour1,
                        DWORD colour2, DWORD colour3);
    int AddShapeElement(int x, int y, int w, int h, int kind, int parameter, DWORD colour1, DWORD colour2);
    int AddBlendElement(int x, int y, int w, int h, int kind, int parameter, DWORD colour1,
                        DWORD colour2, DWORD colour3, float position1, float position2, float position3);
    int AddImageElement(int dx, int dy, int resourceId, const char* resourceType, int fit, int effect);
    int AddTextElement(const char* text, float insetX, float insetY, DWORD colour, int size,
                       int style, const char* face);
    int AddTextElement(const char* text, int alignment, float insetX, float insetY, DWORD colour,
                       int size, int style, const char* face);
    int AddEffectElement(int effect);
    void SetElementValue(int index, DWORD colour);

    void Invalidate(int from);
    void MoveTo(int x, int y);
    void Append(const StyleLayer& other);
    static StyleLayer Combine(const StyleLayer& a, const StyleLayer& b);

    // Paints the layer into target (in its logical coordinates) through graphics, which draws
    // on the same DC, then captures the result into the cache and marks the layer painted.
    void Paint(CDC* target, Gdiplus::Graphics* graphics);
    // Copies the cached pixels back to target; FALSE when there is no cache.
    BOOL PaintFromCache(CDC* target) const;

    int x, y, width, height;
    Border borders[3];    // outer, middle, inner
    bool painted;
    std::vector<StyleElement> elements;
    std::vector<StyleTextRecord> texts;
    std::vector<StyleImageRecord> images;

    // Valid only while the layer paints.
    CDC* paintDC;
    Gdiplus::Graphics* graphics;
    int paintingElement;

private:
    void CopyFrom(const StyleLayer& other);
    int AddKind(int x, int y, int w, int h, int kind, DWORD colour1);
    void FillElement(const StyleElement& e, Gdiplus::Brush* brush);
    void PaintElement(StyleElement& e);
    void PaintImage(StyleElement& e);
    void PaintText(const StyleElement& e);
    void PaintHaloText(const StyleElement& e);
    void PaintGlow(const StyleElement& e);
    void PaintColourEffect(const StyleElement& e);
    void PaintEdgeBand(const StyleElement& e);
    void PaintBorders();
    void Capture();
    Gdiplus::Region* ElementRegion(int index) const;

    std::unique_ptr<StyleLayerCache> m_cache;
};

// The colour matrices of the image and colour effects (1 brighten, 2 greyscale); identity else.
Gdiplus::ColorMatrix StyleEffectMatrix(int effect);
