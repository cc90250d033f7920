// Border: one ring of a Style layer's frame (outer, middle or inner) and the border geometry:
// the clip region of a shape, the rounded-rectangle path and the ring drawing.
//
// Shapes: 1 rectangle, 2 rounded rectangle, 3 ellipse, 4 rounded rectangle with painted corners
// (outline as 2, plus the area outside the rounding filled with colour1). Other values clip and
// draw like rounded rectangles. Colours are ARGB (0xAARRGGBB).
#pragma once

#include "Skin/SkinGdiPlus.h"

class Border
{
public:
    Border() noexcept : colour1(0xFF000000), colour2(0xFF000000), width(0), radius(0), shape(0) {}
    virtual ~Border() {}

    // Sets the graphics clip to this border's shape region of the rectangle, combined with the
    // current clip by combineMode (GDI+ CombineMode: 0 replace, 4 exclude).
    void SetClip(Gdiplus::Graphics* g, int x, int y, int w, int h, int combineMode) const;
    // Draws this border's rings (shape from this border) with the given colours and width.
    void Draw(Gdiplus::Graphics* g, int x, int y, int w, int h, DWORD c1, DWORD c2, int ringWidth) const;
    // Replaces the path's contents with the rounded rectangle of this border's radius. A
    // rectangle of no width or no height gives an empty path.
    void AddRoundPath(Gdiplus::GraphicsPath* path, int x, int y, int w, int h) const;
    // The GDI region of the shape (caller deletes); exposed for tests.
    HRGN CreateShapeRegion(int x, int y, int w, int h) const;

    DWORD colour1;
    DWORD colour2;
    int width;
    int radius;
    int shape;
};
