// StyleButton: the owner-drawn button of every skinned dialog.
//
// Usage: bind it (DDX_Control) to a push button of the template; PreSubclassWindow makes it
// owner-drawn. Then give it a face: SetFaceStyle(face) derives the pressed look (the face moved
// one pixel right and down) and the hover look (the face brightened); SetHoverStyle /
// SetPressedStyle replace those. For a toggle button add SetCheckedStyles and SetToggleMode: each
// click (mouse, keyboard or BM_CLICK) flips its checked state once, before the parent's handler
// of the click runs, however often the button is drawn pressed meanwhile.
// Each paint draws the base Style (a transparent layer over the client area whose cache keeps
// the background) and then the Style of the current state. Hover is tracked with
// TrackMouseEvent; SetTooltipText shows a tooltip. Call ResetStyles (or
// CaptureParentBackground) when the parent's background under the button changed.
#pragma once

#include "Framework/CButton.h"
#include "Framework/CToolTipCtrl.h"
#include "Skin/Style.h"

class StyleButton : public CButton
{
public:
    StyleButton();
    ~StyleButton() override;

    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

    void SetFaceStyle(const Style& face);
    void SetCheckedStyles(const Style& face);
    void SetHoverStyle(const Style& style) { m_hoverStyle = style; }
    void SetPressedStyle(const Style& style) { m_pressedStyle = style; }
    void SetCheckedHoverStyle(const Style& style) { m_checkedHoverStyle = style; }
    void SetCheckedPressedStyle(const Style& style) { m_checkedPressedStyle = style; }
    void SetToggleMode(bool toggle);
    bool GetChecked() const { return m_checked; }
    // 0 unchecked, 1 checked, 2 checked with the pressed look held.
    void SetState(int state);
    void SetTooltipText(const CString& text, BOOL activate);
    void ResetStyles();
    void CaptureParentBackground(CDC* parentDC);

    bool IsHovering() const { return m_hover; }
    const Style* GetCurrentStyle() const { return m_pCurrentStyle; }
    CToolTipCtrl& GetToolTip() { return m_tooltip; }

protected:
    BOOL OnEraseBkgnd(CDC*) { return TRUE; }
    void OnMouseMove(UINT nFlags, CPoint point);
    LRESULT OnMouseLeaveMessage(WPARAM, LPARAM);
    LRESULT OnMouseHoverMessage(WPARAM, LPARAM);
    BOOL OnClickedReflect();
    DECLARE_MESSAGE_MAP()

private:
    bool m_pressedLook;
    bool m_toggleMode;
    bool m_hover;
    bool m_tracking;
    bool m_hasCheckedStyles;
    bool m_checked;
    CString m_tooltipText;
    CToolTipCtrl m_tooltip;
    CDC m_backgroundDC;
    CBitmap m_backgroundBitmap;
    HGDIOBJ m_hOldBackgroundBitmap;
    Style m_baseStyle;
    const Style* m_pCurrentStyle;
    Style m_normalStyle;
    Style m_pressedStyle;
    Style m_hoverStyle;
    Style m_checkedStyle;
    Style m_checkedPressedStyle;
    Style m_checkedHoverStyle;
};
