// Style: the description of a skinned surface, an ordered list of StyleLayers painted bottom
// (first) to top.
//
// Usage: build layers (StyleLayer.h), AddLayer them, then Paint(dc, rect) whenever the surface
// is drawn. Painting is cached per layer: a painted layer is redrawn by copying its pixels from
// its last paint, which also hold what lower layers drew there. So call ResetLayers (or
// StyleLayer::Invalidate) whenever the Style must be drawn afresh: after a state change, after
// the background beneath changed, after bounds changed. Copies are deep and unpainted.
#pragma once

#include <vector>

#include "Framework/CDC.h"
#include "Skin/StyleLayer.h"

class Style
{
public:
    Style() { layers.reserve(5); }
    virtual ~Style() {}
    Style(const Style&) = default;
    Style& operator=(const Style&) = default;

    int AddLayer(const StyleLayer& layer);       // returns its index
    int GetLastLayerIndex() const { return int(layers.size()) - 1; }
    void ResetLayers();                           // every layer Invalidate(-1)
    // Every layer MoveTo(x, y): the layers are placed at (x, y).
    void SetLayersState(int x, int y);
    // Every layer moved by (dx, dy) from where it is.
    void OffsetLayers(int dx, int dy);
    // Paints all layers over the rectangle of dc (through a MemDC, one copy to dc).
    void Paint(CDC* dc, int left, int top, int right, int bottom);

    std::vector<StyleLayer> layers;
};

// A glow button face of four layers: 0 the base (fill, 1-pixel border, shape), 1 the base with
// a radial glow below its centre in the fill colour read as a COLORREF, 2 and 3 empty.
Style BuildGlowButtonStyle(int left, int top, int right, int bottom, DWORD fillColour,
                           DWORD borderColour, int shape, int radius);
