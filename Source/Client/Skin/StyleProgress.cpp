// StyleProgress: the bar arithmetic, the default look and painting.
#include "Skin/StyleProgress.h"

#include <algorithm>

namespace {

DWORD OpaqueFromColorRef(COLORREF c)
{
    return 0xFF000000 | (DWORD(GetRValue(c)) << 16) | (DWORD(GetGValue(c)) << 8) | GetBValue(c);
}

}  // namespace

StyleProgress::StyleProgress()
    : m_barColour(0x28D300), m_backgroundColour(0xC9C9C9), m_pos(50), m_step(5), m_upper(100),
      m_lower(0), m_prepared(false), m_barLayer(-1), m_barElement(0), m_fullWidth(0)
{
}

BEGIN_MESSAGE_MAP(StyleProgress, CProgressCtrl)
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_WM_NCPAINT()
END_MESSAGE_MAP()

void StyleProgress::PrepareBar(const StyleLayer& bar)
{
    if (m_hWnd)
        GetClientRect(&m_client);
    m_barLayer = m_style.AddLayer(bar);
    const StyleLayer& l = m_style.layers[size_t(m_barLayer)];
    m_fullWidth = l.elements.empty() ? 0 : l.elements[0].width;
    m_prepared = true;
}

void StyleProgress::SetBarElement(int index)
{
    m_barElement = index;
    if (m_barLayer < 0)
        return;
    const StyleLayer& l = m_style.layers[size_t(m_barLayer)];
    if (index >= 0 && size_t(index) < l.elements.size())
        m_fullWidth = l.elements[size_t(index)].width;
}

void StyleProgress::SetRange(int lower, int upper)
{
    if (upper <= lower)
        return;
    m_lower = lower;
    m_upper = upper;
}

int StyleProgress::SetStep(int step)
{
    if (step <= m_upper)
        m_step = step;
    return m_step;
}

int StyleProgress::SetPos(int pos)
{
    if (pos <= m_lower)
        m_pos = m_lower;
    else if (pos < m_upper)
        m_pos = pos;
    else
        m_pos = m_upper;
    if (!m_prepared)
        BuildDefaultBar();
    UpdateBar();
    if (m_hWnd)
        Invalidate();
    return m_pos;
}

int StyleProgress::StepIt()
{
    if (m_pos == m_upper)
        m_pos = m_step;
    else
        m_pos = std::min(m_pos + m_step, m_upper);
    if (m_prepared) {
        UpdateBar();
        if (m_hWnd)
            Invalidate();
    }
    return m_pos;
}

void StyleProgress::UpdateBar()
{
    if (m_barLayer < 0 || size_t(m_barLayer) >= m_style.layers.size())
        return;
    float fraction = float(m_pos) / float(m_upper - m_lower);
    int w = int(float(m_fullWidth) * fraction);
    // The fraction ignores the lower bound, so near the upper bound of a range that does not
    // start at 0 it exceeds 1 (and below 0 it is negative): keep the bar inside its trough.
    w = std::max(0, std::min(w, m_fullWidth));
    StyleLayer& bar = m_style.layers[size_t(m_barLayer)];
    bar.width = w;
    bar.Invalidate(m_barElement);
    for (size_t i = size_t(m_barLayer) + 1; i < m_style.layers.size(); ++i)
        m_style.layers[i].Invalidate(-1);
}

void StyleProgress::BuildDefaultBar()
{
    CRect c;
    if (m_hWnd)
        GetClientRect(&c);
    CRect r = c;
    r.DeflateRect(1, 1);

    StyleLayer trough(c.left, c.top, c.Width(), c.Height());
    trough.AddRectElement(c.left, c.top, c.Width(), c.Height(), OpaqueFromColorRef(m_backgroundColour));
    trough.SetShape(2, 1);
    trough.SetAttributes(1, 0xFFB2B2B2);
    trough.SetInnerBorder(1, 0x64FFFFFF);
    trough.AddBlendElement(r.left, r.top, r.Width(), r.Height(), 13, 8, 0x28000000, 0, 0x00000000, 0, 0, 0);
    trough.AddBlendElement(r.left, r.top, r.Width(), r.Height(), 14, 8, 0x00000000, 0, 0x28000000, 0, 0, 0);
    trough.AddBlendElement(r.left, r.top, r.Width(), r.Height(), 12, 6, 0xC8FFFFFF, 0xF1FFFFFF, 0x28FFFFFF, 0.0f, 0.2f, 1.0f);
    trough.AddBlendElement(r.left, r.top, r.Width(), r.Height(), 15, 6, 0x00FFFFFF, 0x64FFFFFF, 0x50FFFFFF, 0.0f, 0.8f, 1.0f);
    AddLayer(trough);

    StyleLayer bar(r.left, r.top, r.Width(), r.Height());
    bar.AddRectElement(r.left, r.top, r.Width(), r.Height(), OpaqueFromColorRef(m_barColour));
    bar.AddBlendElement(r.left, r.top, r.Width(), r.Height(), 12, 6, 0xB4FFFFFF, 0xC8FFFFFF, 0x80FFFFFF, 0.0f, 0.15f, 1.0f);
    bar.AddBlendElement(r.left, r.top, r.Width(), r.Height(), 15, 6, 0x00FFFFFF, 0, 0x64FFFFFF, 0, 0, 0);
    bar.AddBlendElement(r.left, r.top, r.Width(), r.Height(), 13, 20, 0x14000000, 0x28000000, 0x00000000, 0.0f, 0.15f, 1.0f);
    bar.AddBlendElement(r.left, r.top, r.Width(), r.Height(), 14, 20, 0x00000000, 0x28000000, 0x14000000, 0.0f, 0.85f, 1.0f);
    PrepareBar(bar);
}

void StyleProgress::OnPaint()
{
    if (!m_prepared)
        BuildDefaultBar();
    CPaintDC dc(this);
    CRect rc;
    GetClientRect(&rc);
    m_style.Paint(&dc, rc.left, rc.top, rc.right, rc.bottom);
}
