// StyleDialog: the base of every skinned dialog and page.
//
// It paints, on WM_ERASEBKGND, a background (none; a copy of the screen behind the window; a
// solid colour or a background Style) and then the frame Style; lets the user drag the window
// by its drag strip (the strip above the content, or the caption); opens the system menu on a
// right click in that strip; ignores Escape and turns Enter into Space; and removes the
// maximize box and the Move, Size and Maximize items of the system menu.
//
// Usage: derive, set the public fields (layout flags, background mode, frame Style through
// SetFrameStyle, the title through SetCaptionText) before or in OnInitDialog, and call the base
// OnInitDialog first. Layout flag bit 0 means the template has a static control 1007 marking
// the content area. Derived message maps can route buttons to the shared handlers:
//   ON_BN_CLICKED(1005, &StyleDialog::OnBnClickedClose)
#pragma once

#include "Framework/CDialog.h"
#include "Framework/CStatic.h"
#include "Skin/Style.h"
#include "Skin/StyleButton.h"

// The control that marks the content area of templates with layout flag bit 0.
#define IDC_STYLE_CONTENT 1007

class StyleDialog : public CDialog
{
public:
    StyleDialog(UINT nIDTemplate, CWnd* pParent = NULL);

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void SetCaptionText(const CString& text) { m_title = text; }
    void SetFrameStyle(const Style& style) { m_frameStyle = style; }
    void GetContentRect(RECT* rc) const { *rc = m_contentRect; }
    void SetContentRect(int left, int top, int right, int bottom) { m_contentRect.SetRect(left, top, right, bottom); }
    void GetFrameRect(RECT* rc) const { *rc = m_frameRect; }
    void GetDragRect(RECT* rc) const { *rc = m_dragRect; }
    int GetBackgroundMode() const { return m_backgroundMode; }

    // Shared handlers of derived dialogs.
    void OnBnClickedClose() { OnCancel(); }
    // Asks the parent window (the main window) to show the System Scan page: WM_SHOW_PAGE
    // with page 1 (see SkinMessages.h).
    void OnBnClickedBack();

    enum BorderStyleKind
    {
        BorderStyleWhiteWindow,    // a white fill over the window rectangle
        BorderStyleWhiteContent,   // a white fill over the content, one pixel in at right and bottom
        BorderStyleGreyLine,       // no fill, a 1-pixel 0xFFE3E3E3 outer border
    };
    // Adds one layer over the window rectangle (client coordinates) to target.
    void SetupBorderStyle(Style& target, BorderStyleKind kind);

    COLORREF m_backgroundColour;
    bool m_useBackgroundStyle;
    Style m_frameStyle;
    Style m_backgroundStyle;
    StyleButton m_captionButtons[3];
    int m_layoutFlags;
    bool m_captionDrag;
    int m_backgroundMode;      // 0 none, 1 the screen behind the window, 2 solid

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnWindowPosChanging(WINDOWPOS* pos);
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnMove(int x, int y);
    void OnActivate(UINT nState, CWnd* pOther, BOOL bMinimized);
    void OnRButtonDown(UINT nFlags, CPoint point);
    void OnNcLButtonDown(UINT nHitTest, CPoint point);
    DECLARE_MESSAGE_MAP()

    bool m_dragging;
    bool m_frameNeedsReset;
    CRect m_dragRect;
    CRect m_frameRect;
    CRect m_contentRect;
    CRect m_backgroundRect;
    CPoint m_backgroundOffset;
    CString m_title;
    CStatic m_contentMarker;
    CPoint m_dragStart;

private:
    void BeginDrag(CPoint point);
};
