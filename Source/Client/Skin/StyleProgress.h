// StyleProgress: a progress bar painted from a Style in which one layer, the bar, is stretched
// in proportion to the position.
//
// Usage: bind it to a progress control of the template (DDX_Control). Either let it build its
// default look (a grey trough and a green bar) at the first SetPos or paint, or give it your
// own: AddLayer(trough layers...), then PrepareBar(bar layer) (the width of the bar layer's
// first element is its full width; give that element an explicit rectangle), optionally
// SetBarElement. SetRange / SetStep / SetPos / StepIt replace the control's own (the native
// control never sees them).
#pragma once

#include "Framework/CProgressCtrl.h"
#include "Skin/Style.h"

class StyleProgress : public CProgressCtrl
{
public:
    StyleProgress();

    void AddLayer(const StyleLayer& layer) { m_style.AddLayer(layer); }
    void PrepareBar(const StyleLayer& bar);
    void SetBarElement(int index);
    void SetRange(int lower, int upper);   // only when upper > lower
    int SetStep(int step);                 // only when step <= upper; returns the step in force
    int SetPos(int pos);                   // clamped to the range; returns the position
    int StepIt();                          // from the upper bound it starts over at the step
    int GetPos() const { return m_pos; }

    // For tests and owners that draw the bar elsewhere.
    Style& GetBarStyle() { return m_style; }
    int GetBarLayerIndex() const { return m_barLayer; }
    int GetFullWidth() const { return m_fullWidth; }
    bool IsPrepared() const { return m_prepared; }

    COLORREF m_barColour;
    COLORREF m_backgroundColour;

protected:
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnPaint();
    void OnNcPaint() {}
    DECLARE_MESSAGE_MAP()

private:
    void BuildDefaultBar();
    void UpdateBar();

    Style m_style;
    int m_pos;
    int m_step;
    int m_upper;
    int m_lower;
    CRect m_client;
    bool m_prepared;
    int m_barLayer;
    int m_barElement;
    int m_fullWidth;
};
