// MemDC: off-screen painting with one copy back.
#include "Skin/MemDC.h"

MemDC::MemDC(CDC* target, int left, int top, int right, int bottom, bool copyBackground)
    : m_pTarget(target), m_left(left), m_top(top), m_right(right), m_bottom(bottom),
      m_bPrinting(target && target->IsPrinting()), m_bCopyBackground(copyBackground),
      m_hOldBitmap(NULL), m_bValid(false)
{
    if (!target)
        return;
    int w = right - left, h = bottom - top;
    if (!m_bPrinting && w > 0 && h > 0 && CreateCompatibleDC(target)) {
        if (m_bitmap.CreateCompatibleBitmap(target, w, h)) {
            m_hOldBitmap = SelectObject(m_bitmap.m_hObject);
            SetWindowOrg(left, top);
            if (copyBackground)
                BitBlt(left, top, w, h, target, left, top, SRCCOPY);
            m_bValid = true;
            return;
        }
        DeleteDC();
    }
    // Printing, or nothing off-screen could be made: draw on the target itself.
    m_hDC = target->m_hDC;
    m_hAttribDC = target->m_hAttribDC;
}

MemDC::~MemDC()
{
    if (m_bValid) {
        m_pTarget->BitBlt(m_left, m_top, m_right - m_left, m_bottom - m_top, this, m_left, m_top, SRCCOPY);
        SelectObject(m_hOldBitmap);
        DeleteDC();
    } else {
        m_hDC = m_hAttribDC = NULL;   // the target's handles are not ours
    }
}
