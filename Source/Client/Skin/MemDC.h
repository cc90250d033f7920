// MemDC: the off-screen device context every skinned window paints through.
//
// Usage: { MemDC mem(&dc, left, top, right, bottom, true); ...draw on &mem in dc's
// coordinates... }  The constructor makes a bitmap compatible with dc for the rectangle, sets
// the window origin to (left, top) so callers keep drawing in dc's coordinates, and (with
// copyBackground) copies dc's pixels of the rectangle in first; the destructor copies the result
// back to dc in one block. When no off-screen bitmap can be made (or dc is a printing DC) the
// MemDC draws on dc's own handles directly.
#pragma once

#include "Framework/CDC.h"

class MemDC : public CDC
{
public:
    MemDC(CDC* target, int left, int top, int right, int bottom, bool copyBackground);
    ~MemDC() override;

    CDC* m_pTarget;
    int m_left, m_top, m_right, m_bottom;
    bool m_bPrinting;
    bool m_bCopyBackground;
    HGDIOBJ m_hOldBitmap;
    CBitmap m_bitmap;
    bool m_bValid;   // the off-screen bitmap exists (FALSE: drawing goes to the target)
};
