// CXHtmlTree: a tree view whose item labels are HTML-like text (see XHtmlDraw.h), with check
// boxes that keep parents in step with their children, hot check boxes and links, item
// tooltips, and registered notification messages to the parent.
//
// Usage: create it (or bind a template's tree view: a TVS_CHECKBOXES style becomes the tree's
// own check boxes), call Initialize(checkBoxes, toolTips), then InsertItem labels such as
// "<b>Temporary files</b> <font color=\"#2ab034\">(12 KB)</font>". The parent must be a
// framework window: the labels are drawn in the reflected custom-draw notifications.
//
// Labels. GetItemText and SetItemText take a label as it was given, tags and all; the tree view
// itself holds the label's plain text (as GetItemPlainText gives it), so that the widths it
// measures for its horizontal scroll range, its hit tests and its type-ahead search are those
// of the text that is drawn, not of the tags. Items inserted past this class keep their text.
//
// Check model. Every item has its own check. With smart check on, an item with children
// (separators aside) shows and reports the state of its children instead: checked when all of
// them are checked, partly checked (tri-state) when some are checked or partly checked,
// unchecked otherwise, on every level of the tree. Checking or unchecking an item gives all its
// descendants the same check, except read-only ones (which keep theirs, with everything below
// them). The counts behind this are kept per item and changed step by step, so large trees stay
// fast. Space or a click on a partly checked item checks it, or unchecks it when checking would
// change nothing (all that is unchecked below it is read-only). Disabled items draw the disabled check images and ignore clicks and Space, but follow
// their parent. Read-only items ignore SetCheck, clicks and Space and are drawn as grey plain
// text.
//
// Tooltips (when asked for): an item shows its own tooltip text, or, when its label is cut off
// at the right edge of the tree, its whole plain label. GUI thread only.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Client/Skin/CheckBoxImages.h"
#include "Client/Skin/XHtmlDraw.h"
#include "Client/Skin/XHtmlDrawLink.h"
#include "Framework/CImageList.h"
#include "Framework/CString.h"
#include "Framework/CToolTipCtrl.h"
#include "Framework/CTreeCtrl.h"
#include "Framework/Collections.h"

class ThemeApiBinder;

// Registered at start-up; sent to the tree's parent with wParam = XHTMLTREEMSGDATA* and
// lParam = the new state: the item's check (TRUE/FALSE), its expanded flag, or (for the two
// tooltip messages) the tooltip control's window.
extern const UINT WM_XHTMLTREE_CHECKBOX_CLICKED;
extern const UINT WM_XHTMLTREE_ITEM_EXPANDED;
extern const UINT WM_XHTMLTREE_DISPLAY_TOOLTIP;
extern const UINT WM_XHTMLTREE_INIT_TOOLTIP;

struct XHTMLTREEMSGDATA
{
    HWND hCtrl;
    UINT nCtrlId;
    HTREEITEM hItem;
};

// One item's record, owned by the tree.
struct XHTMLTREEDATA
{
    XHTMLTREEDATA();
    virtual ~XHTMLTREEDATA();
    XHTMLTREEDATA(const XHTMLTREEDATA&) = delete;
    XHTMLTREEDATA& operator=(const XHTMLTREEDATA&) = delete;

    // Records alive in the process (every tree together).
    static LONG GetLiveCount();

    bool bChecked;
    bool bEnabled;
    bool bReadOnly;
    bool bSeparator;          // no check box; not counted among its parent's children
    bool bExpanded;
    bool bEverExpanded;
    // Direct children: all, checked, partly checked, separators.
    int nChildren;
    int nCheckedChildren;
    int nMixedChildren;
    int nSeparators;
    CString strLabel;         // the label as given (the tree view holds its plain text)
    CString strToolTip;
    HtmlDrawParams ds;        // the label's colours and format, and its last draw
    BOOL bHasAnchor;          // the label drew a link, strUrl
    CString strUrl;
};

// Fields of an item's record that SetItemValue sets.
enum XHtmlTreeValue {
    XHtmlTreeEnabled,                 // value 0 or 1
    XHtmlTreeReadOnly,                // value 0 or 1
    XHtmlTreeSeparator,               // value 0 or 1
    XHtmlTreeTextColour,              // COLORREF, HtmlDrawDefaultColour for the tree's
    XHtmlTreeBackgroundColour,
    XHtmlTreeTextBackgroundColour,
    XHtmlTreeLinkColour
};

class CXHtmlTree : public CTreeCtrl
{
public:
    CXHtmlTree();
    ~CXHtmlTree() override;

    // --- the three overridables ---------------------------------------------------------------
    // The first visible item after start (NULL: after the first item) going down or up, wrapping
    // at the ends, whose plain label holds text and which AcceptFoundItem takes; NULL when the
    // walk comes back to where it started or reaches stopItem. wholeWord: the hit has no letter
    // or "_" just before or after it.
    virtual HTREEITEM FindItem(CString text, BOOL matchCase, BOOL down, BOOL wholeWord,
                               HTREEITEM stopItem, HTREEITEM start);
    // The item filter of FindItem: takes every item.
    virtual BOOL AcceptFoundItem(HTREEITEM item);
    // TTN_NEEDTEXTA/W of the tree's tooltip: the text of the item under the mouse, cut to 78
    // characters.
    virtual BOOL OnToolTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);

    // --- set-up -------------------------------------------------------------------------------
    // Deletes every item; sets check boxes and tooltips as given, smart check off, select
    // follows check on, HTML drawing on, strip tags off, read-only off.
    void Initialize(BOOL checkBoxes, BOOL toolTips);
    // The theme functions the check-box images are drawn with (default: ThemeApi()). Takes
    // effect at the next Initialize. Not owned.
    void SetThemeBinder(ThemeApiBinder* binder);

    BOOL GetCheckBoxes() const { return m_bCheckBoxes; }
    BOOL GetToolTipsEnabled() const { return m_bToolTips; }
    void SetSmartCheck(BOOL smart);   // recomputes every item's state
    BOOL GetSmartCheck() const { return m_bSmartCheck; }
    void SetSelectFollowsCheck(BOOL follow) { m_bSelectFollowsCheck = follow; }
    BOOL GetSelectFollowsCheck() const { return m_bSelectFollowsCheck; }
    void SetHtml(BOOL html) { m_bHtml = html; Invalidate(); }
    BOOL GetHtml() const { return m_bHtml; }
    void SetStripTags(BOOL strip) { m_bStripTags = strip; Invalidate(); }
    BOOL GetStripTags() const { return m_bStripTags; }
    void SetReadOnly(BOOL readOnly) { m_bReadOnly = readOnly; }
    BOOL GetReadOnly() const { return m_bReadOnly; }

    // The owner's background and text colours (HtmlDrawDefaultColour: the system's again).
    void SetBkColor(COLORREF colour);
    void SetTextColor(COLORREF colour);
    COLORREF GetBkColor() const { return m_crBackground; }
    COLORREF GetTextColor() const { return m_crText; }

    // --- items --------------------------------------------------------------------------------
    HTREEITEM InsertItem(const char* text, int image, int selectedImage,
                         HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    HTREEITEM InsertItem(const char* text, HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST)
    {
        return InsertItem(text, 0, 0, parent, after);
    }
    // A last child (image 0) with its check and enabled flag, as InsertItem, SetCheck and
    // SetItemValue(XHtmlTreeEnabled) would leave it (the parent is not notified of the check).
    // The state image goes in with the insertion and the new item is not addressed again: some
    // tree views look an item handle up among all items, so that each further message about a
    // new item would cost as much as the tree is large.
    HTREEITEM InsertLeafItem(const char* text, HTREEITEM parent, BOOL checked, BOOL enabled);
    BOOL DeleteItem(HTREEITEM item);
    BOOL DeleteAllItems();

    // Only with check boxes, for an item of this tree that is not read-only; sends
    // WM_XHTMLTREE_CHECKBOX_CLICKED. FALSE when nothing was done.
    BOOL SetCheck(HTREEITEM item, BOOL check = TRUE);
    BOOL GetCheck(HTREEITEM item) const;
    // CheckBoxUnchecked, CheckBoxChecked or CheckBoxMixed; CheckBoxNone for separators, items
    // without a record and trees without check boxes.
    int GetCheckState(HTREEITEM item) const;

    BOOL Expand(HTREEITEM item, UINT code);
    BOOL SetItemText(HTREEITEM item, const char* text);   // ignored for read-only items
    // The label as given to InsertItem or SetItemText ("" when the item does not exist).
    CString GetItemText(HTREEITEM item) const;
    BOOL SetItemValue(HTREEITEM item, XHtmlTreeValue field, DWORD value);
    BOOL SetItemToolTip(HTREEITEM item, const char* text);
    XHTMLTREEDATA* GetItemDataStruct(HTREEITEM item) const;
    CString GetItemPlainText(HTREEITEM item) const;
    // The text the tooltip shows for item ("" for none).
    CString GetItemToolTipText(HTREEITEM item) const;

    CXHtmlDrawLink& GetLinkObject() { return m_Links; }
    CToolTipCtrl* GetToolTipControl() { return m_ToolTip.m_hWnd ? &m_ToolTip : NULL; }
    HTREEITEM GetHotCheckItem() const { return m_hHotCheckItem; }
    HTREEITEM GetHotLinkItem() const { return m_hHotLinkItem; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void PreSubclassWindow() override;

    int OnCreate(LPCREATESTRUCTA cs);
    void OnDestroy();
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnSysColorChange();
    BOOL OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    BOOL OnItemExpanded(NMHDR* pNMHDR, LRESULT* pResult);
    BOOL OnDeleteItemNotify(NMHDR* pNMHDR, LRESULT* pResult);
    BOOL OnToolTipShow(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // --- check model --------------------------------------------------------------------------
    int StateOf(const XHTMLTREEDATA* d) const;
    // The state image an item's record asks for (item NULL: a new item, never hot).
    int StateImageOf(HTREEITEM item, const XHTMLTREEDATA* d) const;
    void UpdateStateImage(HTREEITEM item, const XHTMLTREEDATA* d);
    // After item's state went from oldState to its present one: its parent's counts, and so on
    // up while states keep changing.
    void PropagateUp(HTREEITEM item, int oldState);
    void SetDescendants(HTREEITEM item, bool check);
    // Adds (delta 1) or takes out (delta -1) child's part of parent's counts: a separator, a
    // checked or a mixed child; nChildren is the caller's.
    void CountChild(XHTMLTREEDATA* parent, const XHTMLTREEDATA* child, int delta) const;
    void RecountChildren(HTREEITEM item, XHTMLTREEDATA* d);
    void RecountAll(HTREEITEM parent);
    void KeepCheckedInStep(XHTMLTREEDATA* d);

    // --- helpers ------------------------------------------------------------------------------
    // Takes item's part out of its parent's counts (before the item goes).
    void RemoveFromParent(HTREEITEM item);
    void FreeSubtreeData(HTREEITEM item);
    // Deletes item's record; false when it had none.
    bool FreeItemData(HTREEITEM item);
    // Clears the hot and tooltip items that are this item.
    void ForgetItem(HTREEITEM item);
    void FreeAllData();
    void ResetColours();
    void ConvertCheckBoxStyle();
    void DropNativeToolTips();
    void BuildStateImages();
    void SetUpToolTips();
    void SendToParent(UINT message, HTREEITEM item, LPARAM lParam);
    void InvalidateItem(HTREEITEM item);
    bool IsOnCheckBox(HTREEITEM item, UINT flags) const;
    bool IsOnLink(HTREEITEM item, CPoint point) const;
    void SetHotCheckItem(HTREEITEM item);
    void SetHotLinkItem(HTREEITEM item);
    void TrackToolTipItem(CPoint point);
    void ToggleItem(HTREEITEM item);
    // Some item below item would change its check if item were checked (smart check).
    bool HasUncheckedBelow(HTREEITEM item) const;
    bool CanToggle(HTREEITEM item) const;
    void ExpandAllBelow(HTREEITEM item);
    BOOL HandleKey(MSG* pMsg);
    void DrawItemLabel(NMTVCUSTOMDRAW* cd);
    CRect LabelRect(HTREEITEM item) const;

    CXHtmlDraw m_Html;
    CXHtmlDrawLink m_Links;
    CMap<HTREEITEM, HTREEITEM, XHTMLTREEDATA*, XHTMLTREEDATA*> m_DataMap;
    BOOL m_bCheckBoxes;
    BOOL m_bToolTips;
    BOOL m_bSmartCheck;
    BOOL m_bSelectFollowsCheck;
    BOOL m_bHtml;
    BOOL m_bStripTags;
    BOOL m_bReadOnly;
    bool m_bCreating;               // between PreCreateWindow and the window's binding
    bool m_bCheckBoxesFromStyle;    // Create was given TVS_CHECKBOXES
    bool m_bToolTipsPending;        // the next post-paint sets up the item tooltips
    bool m_bDeleting;               // DeleteItem/DeleteAllItems at work: notifications are seen to
    HTREEITEM m_hHotCheckItem;
    HTREEITEM m_hHotLinkItem;
    HTREEITEM m_hToolTipItem;
    COLORREF m_crOwnerBackground, m_crOwnerText;   // HtmlDrawDefaultColour when not set
    COLORREF m_crBackground, m_crText, m_crAnchorText, m_crGrayText;
    COLORREF m_crHighlight, m_crHighlightText;
    CImageList m_StateImages;
    CToolTipCtrl m_ToolTip;
    HCURSOR m_hArrowCursor;
    ThemeApiBinder* m_pTheme;
};
