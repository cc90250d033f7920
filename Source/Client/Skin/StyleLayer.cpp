// StyleLayer: construction, copying, the adders and the layer operations (bounds, shape,
// borders, invalidate, move, append, combine).
#include "Skin/StyleLayer.h"

#include <algorithm>

#include "Framework/TextCodePage.h"

namespace {

std::wstring AnsiToWide(const char* text)
{
    std::wstring wide;
    TextToWide(text, -1, CP_ACP, TextStrictness::Lenient, wide);
    return wide;
}

void ZeroBorder(Border& b)
{
    b.colour1 = b.colour2 = 0;
    b.width = b.radius = b.shape = 0;
}

}  // namespace

// --- records -------------------------------------------------------------------------------------

StyleElement::StyleElement(const StyleElement& other)
    : x(other.x), y(other.y), width(other.width), height(other.height), colour1(other.colour1),
      colour2(other.colour2), colour3(other.colour3), kind(other.kind), shape(other.shape),
      parameter(other.parameter), position1(other.position1), position2(other.position2),
      position3(other.position3), ref1(other.ref1), ref2(other.ref2), region(nullptr)
{
}

StyleElement& StyleElement::operator=(const StyleElement& other)
{
    if (this != &other) {
        delete region;
        region = nullptr;
        x = other.x; y = other.y; width = other.width; height = other.height;
        colour1 = other.colour1; colour2 = other.colour2; colour3 = other.colour3;
        kind = other.kind; shape = other.shape; parameter = other.parameter;
        position1 = other.position1; position2 = other.position2; position3 = other.position3;
        ref1 = other.ref1; ref2 = other.ref2;
    }
    return *this;
}

StyleElement::StyleElement(StyleElement&& other) noexcept : StyleElement(static_cast<const StyleElement&>(other))
{
    region = other.region;
    other.region = nullptr;
}

StyleElement& StyleElement::operator=(StyleElement&& other) noexcept
{
    if (this != &other) {
        *this = static_cast<const StyleElement&>(other);
        region = other.region;
        other.region = nullptr;
    }
    return *this;
}

StyleElement::~StyleElement() { delete region; }

StyleImageRecord::StyleImageRecord(const StyleImageRecord& other)
    : fit(other.fit), effect(other.effect), dx(other.dx), dy(other.dy), sx(other.sx), sy(other.sy),
      resourceId(other.resourceId), resourceType(other.resourceType)
{
}

StyleImageRecord& StyleImageRecord::operator=(const StyleImageRecord& other)
{
    if (this != &other) {
        fit = other.fit; effect = other.effect; dx = other.dx; dy = other.dy;
        sx = other.sx; sy = other.sy; resourceId = other.resourceId;
        resourceType = other.resourceType;
        image.reset();
    }
    return *this;
}

StyleLayerCache::~StyleLayerCache()
{
    if (oldBitmap && dc.m_hDC)
        dc.SelectObject(oldBitmap);   // before the bitmap and the DC are deleted
}

// --- construction and copying ----------------------------------------------------------------------

StyleLayer::StyleLayer()
    : x(0), y(0), width(0), height(0), painted(false), paintDC(nullptr), graphics(nullptr),
      paintingElement(-1)
{
    for (Border& b : borders)
        ZeroBorder(b);
    elements.reserve(10);
    texts.reserve(10);
}

StyleLayer::StyleLayer(int x0, int y0, int w, int h) : StyleLayer() { SetBounds(x0, y0, w, h); }

StyleLayer::StyleLayer(int x0, int y0, int w, int h, DWORD colour) : StyleLayer(x0, y0, w, h)
{
    AddElement(x0, y0, w, h, colour);
}

StyleLayer::StyleLayer(const StyleLayer& other) : StyleLayer() { CopyFrom(other); }

StyleLayer& StyleLayer::operator=(const StyleLayer& other)
{
    if (this != &other)
        CopyFrom(other);
    return *this;
}

StyleLayer::~StyleLayer() {}

void StyleLayer::CopyFrom(const StyleLayer& other)
{
    x = other.x;
    y = other.y;
    width = other.width;
    height = other.height;
    for (int i = 0; i < 3; ++i)
        borders[i] = other.borders[i];
    elements = other.elements;   // element and record copies drop regions and images
    texts = other.texts;
    images = other.images;
    painted = false;
    paintDC = nullptr;
    graphics = nullptr;
    paintingElement = -1;
    m_cache.reset();
}

// --- bounds and borders ------------------------------------------------------------------------------

void StyleLayer::SetBounds(int x0, int y0, int w, int h)
{
    x = x0;
    y = y0;
    width = w;
    height = h;
    for (Border& b : borders)
        b.shape = 1;
}

void StyleLayer::SetShape(int shape, int radius)
{
    for (Border& b : borders) {
        b.shape = shape;
        b.radius = radius;
    }
    if (shape == 4)
        borders[1].shape = borders[2].shape = 2;
}

void StyleLayer::SetAttributes(int w, DWORD colour)
{
    borders[0].width = w;
    borders[0].colour1 = borders[0].colour2 = colour;
}

void StyleLayer::SetInnerBorder(int w, DWORD colour)
{
    borders[1].width = w;
    borders[1].colour1 = borders[1].colour2 = colour;
}

// --- adders ----------------------------------------------------------------------------------------------

int StyleLayer::AddKind(int x0, int y0, int w, int h, int kind, DWORD colour1)
{
    elements.emplace_back();
    StyleElement& e = elements.back();
    e.x = x0;
    e.y = y0;
    e.width = w;
    e.height = h;
    e.kind = kind;
    e.colour1 = colour1;
    return int(elements.size()) - 1;
}

int StyleLayer::AddElement(int x0, int y0, int w, int h, DWORD colour) { return AddKind(x0, y0, w, h, 0, colour); }
int StyleLayer::AddRectElement(int x0, int y0, int w, int h, DWORD colour) { return AddKind(x0, y0, w, h, 0, colour); }
int StyleLayer::AddFillElement(DWORD colour) { return AddKind(0, 0, 0, 0, 0, colour); }

int StyleLayer::AddRadialElement(int x0, int y0, int w, int h, DWORD rimColour, DWORD centreColour)
{
    int i = AddKind(x0, y0, w, h, 1, rimColour);
    elements[size_t(i)].colour2 = centreColour;
    return i;
}

int StyleLayer::AddGradientElement(int direction, DWORD colour1, DWORD colour2, float offset)
{
    int i = AddKind(0, 0, 0, 0, 2, colour1);
    StyleElement& e = elements[size_t(i)];
    e.parameter = direction;
    e.colour2 = colour2;
    e.position1 = offset;
    return i;
}

int StyleLayer::AddShadedRectElement(int x0, int y0, int w, int h, int direction, DWORD colour1,
                                     DWORD colour2, DWORD colour3, float middle)
{
    int i = AddKind(x0, y0, w, h, 3, colour1);
    StyleElement& e = elements[size_t(i)];
    e.parameter = direction;
    e.colour2 = colour2;
    e.colour3 = colour3;
    e.position1 = middle;
    return i;
}

int StyleLayer::AddThreeColourElement(int direction, DWORD colour1, DWORD colour2, DWORD colour3, float middle)
{
    return AddShadedRectElement(0, 0, 0, 0, direction, colour1, colour2, colour3, middle);
}

int StyleLayer::AddKind4Element(int x0, int y0, int w, int h, int, int bandWidth, DWORD colour1,
                                DWORD colour2, DWORD colour3)
{
    int i = AddKind(x0, y0, w, h, 4, colour1);
    StyleElement& e = elements[size_t(i)];
    e.parameter = bandWidth;
    e.colour2 = colour2;
    e.colour3 = colour3;
    return i;
}

int StyleLayer::AddShapeElement(int x0, int y0, int w, int h, int kind, int parameter, DWORD colour1, DWORD colour2)
{
    int i = AddKind(x0, y0, w, h, kind, colour1);
    StyleElement& e = elements[size_t(i)];
    e.parameter = parameter;
    e.colour2 = e.colour3 = colour2;
    return i;
}

int StyleLayer::AddBlendElement(int x0, int y0, int w, int h, int kind, int parameter, DWORD colour1,
                                DWORD colour2, DWORD colour3, float position1, float position2,
                                float position3)
{
    int i = AddKind(x0, y0, w, h, kind, colour1);
    StyleElement& e = elements[size_t(i)];
    e.parameter = parameter;
    e.colour2 = colour2;
    e.colour3 = colour3;
    e.position1 = position1;
    e.position2 = position2;
    e.position3 = position3;
    return i;
}

int StyleLayer::AddImageElement(int dx, int dy, int resourceId, const char* resourceType, int fit, int effect)
{
    images.emplace_back();
    StyleImageRecord& r = images.back();
    r.fit = fit;
    r.effect = effect;
    r.dx = dx;
    r.dy = dy;
    r.resourceId = resourceId & 0xFFFF;
    r.resourceType = resourceType;
    int i = AddKind(0, 0, 0, 0, 5, 0);
    elements[size_t(i)].parameter = int(images.size()) - 1;
    return i;
}

int StyleLayer::AddTextElement(const char* text, float insetX, float insetY, DWORD colour, int size,
                               int style, const char* face)
{
    return AddTextElement(text, 0, insetX, insetY, colour, size, style, face);
}

int StyleLayer::AddTextElement(const char* text, int alignment, float insetX, float insetY,
                               DWORD colour, int size, int style, const char* face)
{
    texts.emplace_back();
    StyleTextRecord& r = texts.back();
    std::wstring f = AnsiToWide(face);
    size_t n = std::min(f.size(), size_t(31));
    std::copy(f.begin(), f.begin() + std::ptrdiff_t(n), r.face);
    r.face[n] = 0;
    r.insetX = insetX;
    r.insetY = insetY;
    r.alignment = alignment;
    r.size = size;
    r.style = style;
    r.text = AnsiToWide(text);
    int i = AddKind(0, 0, 0, 0, 6, colour);
    elements[size_t(i)].parameter = int(texts.size()) - 1;
    return i;
}

int StyleLayer::AddEffectElement(int effect)
{
    int i = AddKind(0, 0, 0, 0, 11, 0);
    elements[size_t(i)].parameter = effect;
    return i;
}

void StyleLayer::SetElementValue(int index, DWORD colour)
{
    if (index < 0 || size_t(index) >= elements.size())
        return;
    elements[size_t(index)].colour1 = colour;
    elements[size_t(index)].kind = 0;
}

// --- layer operations ----------------------------------------------------------------------------------

void StyleLayer::Invalidate(int from)
{
    painted = false;
    if (from == -1)
        return;
    for (size_t i = size_t(std::max(from, 0)); i < elements.size(); ++i)
        elements[i].width = elements[i].height = 0;
}

void StyleLayer::MoveTo(int x0, int y0)
{
    int dx = x0 - x, dy = y0 - y;
    x = x0;
    y = y0;
    for (StyleElement& e : elements) {
        e.x += dx;
        e.y += dy;
    }
}

void StyleLayer::Append(const StyleLayer& other)
{
    int n = int(elements.size());
    // Copy first: other may be this layer.
    std::vector<StyleElement> added = other.elements;
    std::vector<StyleTextRecord> addedTexts = other.texts;
    std::vector<StyleImageRecord> addedImages = other.images;
    for (StyleElement& e : added) {
        e.ref1 += n;
        e.ref2 += n;
        elements.push_back(e);
    }
    texts.insert(texts.end(), addedTexts.begin(), addedTexts.end());
    images.insert(images.end(), addedImages.begin(), addedImages.end());
}

StyleLayer StyleLayer::Combine(const StyleLayer& a, const StyleLayer& b)
{
    StyleLayer result(a);
    result.Append(b);
    return result;
}
