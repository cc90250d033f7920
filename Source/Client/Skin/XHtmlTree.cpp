// CXHtmlTree: item records, the check model, mouse and keyboard, custom-drawn labels and item
// tooltips (see XHtmlTree.h).
#include "Client/Skin/XHtmlTree.h"

#include <string.h>

#include <string>

#include "Client/Skin/ThemeApiBinder.h"
#include "Framework/TextCodePage.h"

const UINT WM_XHTMLTREE_CHECKBOX_CLICKED = ::RegisterWindowMessageA("WM_XHTMLTREE_CHECKBOX_CLICKED");
const UINT WM_XHTMLTREE_ITEM_EXPANDED = ::RegisterWindowMessageA("WM_XHTMLTREE_ITEM_EXPANDED");
const UINT WM_XHTMLTREE_DISPLAY_TOOLTIP = ::RegisterWindowMessageA("WM_XHTMLTREE_DISPLAY_TOOLTIP");
const UINT WM_XHTMLTREE_INIT_TOOLTIP = ::RegisterWindowMessageA("WM_XHTMLTREE_INIT_TOOLTIP");

namespace {

// The labels are at most this long for drawing, and searched in their first 199 characters.
const int MaxLabelLength = 1000;
const int MaxSearchLength = 199;
const int MaxToolTipLength = 78;
// Timer 1 clears a hot check box or link once the mouse has left it.
const UINT_PTR HotTimer = 1;
const UINT HotCheckBoxDelay = 100;
const UINT HotLinkDelay = 80;
const UINT_PTR ToolTipToolId = 1;
// Space between a label's box and its text, as the tree view leaves it.
const int LabelPadding = 2;
const UINT LabelFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

volatile LONG g_liveRecords = 0;

bool IsWordCharacter(char c) { return c == '_' || ::IsCharAlphaA(c); }

// text holds what at a position where no letter or "_" touches it.
bool ContainsWord(const CString& text, const CString& what, bool wholeWord)
{
    for (int at = text.Find(what); at >= 0; at = text.Find(what, at + 1)) {
        if (!wholeWord)
            return true;
        bool before = at > 0 && IsWordCharacter(text[at - 1]);
        int after = at + what.GetLength();
        bool behind = after < text.GetLength() && IsWordCharacter(text[after]);
        if (!before && !behind)
            return true;
    }
    return false;
}

void FillSolid(HDC dc, const RECT& rc, COLORREF colour)
{
    COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rc, NULL, 0, NULL);
    ::SetBkColor(dc, old);
}

}  // namespace

// --- XHTMLTREEDATA ------------------------------------------------------------------------------

XHTMLTREEDATA::XHTMLTREEDATA()
    : bChecked(false), bEnabled(true), bReadOnly(false), bSeparator(false), bExpanded(false),
      bEverExpanded(false), nChildren(0), nCheckedChildren(0), nMixedChildren(0), nSeparators(0),
      bHasAnchor(FALSE)
{
    ds.crText = HtmlDrawDefaultColour;
    ds.crAnchorText = RGB(0, 0, 255);
    ds.crBackground = HtmlDrawDefaultColour;
    ds.crTextBackground = HtmlDrawDefaultColour;
    ds.uFormat = LabelFormat;
    ::InterlockedIncrement(&g_liveRecords);
}

XHTMLTREEDATA::~XHTMLTREEDATA() { ::InterlockedDecrement(&g_liveRecords); }

LONG XHTMLTREEDATA::GetLiveCount() { return g_liveRecords; }

// --- construction -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CXHtmlTree, CTreeCtrl)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_TIMER()
    ON_WM_SETCURSOR()
    ON_WM_SYSCOLORCHANGE()
    ON_NOTIFY_REFLECT_EX(NM_CUSTOMDRAW, &CXHtmlTree::OnCustomDraw)
    ON_NOTIFY_REFLECT_EX(TVN_ITEMEXPANDEDA, &CXHtmlTree::OnItemExpanded)
    ON_NOTIFY_REFLECT_EX(TVN_ITEMEXPANDEDW, &CXHtmlTree::OnItemExpanded)
    ON_NOTIFY_REFLECT_EX(TVN_DELETEITEMA, &CXHtmlTree::OnDeleteItemNotify)
    ON_NOTIFY_REFLECT_EX(TVN_DELETEITEMW, &CXHtmlTree::OnDeleteItemNotify)
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTA, 0u, 0xFFFFFFFFu, &CXHtmlTree::OnToolTipText)
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0u, 0xFFFFFFFFu, &CXHtmlTree::OnToolTipText)
    ON_NOTIFY_EX_RANGE(TTN_SHOW, 0u, 0xFFFFFFFFu, &CXHtmlTree::OnToolTipShow)
END_MESSAGE_MAP()

CXHtmlTree::CXHtmlTree()
    : m_Html(MaxLabelLength), m_bCheckBoxes(FALSE), m_bToolTips(FALSE), m_bSmartCheck(FALSE),
      m_bSelectFollowsCheck(TRUE), m_bHtml(TRUE), m_bStripTags(FALSE), m_bReadOnly(FALSE),
      m_bCreating(false), m_bCheckBoxesFromStyle(false), m_bToolTipsPending(false),
      m_bDeleting(false),
      m_hHotCheckItem(NULL), m_hHotLinkItem(NULL), m_hToolTipItem(NULL),
      m_crOwnerBackground(HtmlDrawDefaultColour), m_crOwnerText(HtmlDrawDefaultColour),
      m_hArrowCursor(::LoadCursorA(NULL, MAKEINTRESOURCEA(32512) /* IDC_ARROW */)),
      m_pTheme(&ThemeApi())
{
    m_DataMap.InitHashTable(17);
    ResetColours();
}

CXHtmlTree::~CXHtmlTree()
{
    // Destroy the window while this object is whole, so its last notifications find it.
    if (m_hWnd && ::IsWindow(m_hWnd) && CWnd::FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
    FreeAllData();
    m_StateImages.DeleteImageList();
}

BOOL CXHtmlTree::PreCreateWindow(CREATESTRUCTA& cs)
{
    // The tree's own tooltips would show the raw label text, tags and all.
    cs.style |= TVS_NOTOOLTIPS;
    if (cs.style & TVS_CHECKBOXES) {
        cs.style &= ~LONG(TVS_CHECKBOXES);
        cs.style |= TVS_DISABLEDRAGDROP;
        m_bCheckBoxesFromStyle = true;
    }
    m_bCreating = true;
    return CTreeCtrl::PreCreateWindow(cs);
}

void CXHtmlTree::PreSubclassWindow()
{
    CTreeCtrl::PreSubclassWindow();
    if (m_bCreating) {
        // Bound as it is being created: OnCreate finishes once the tree view exists.
        m_bCreating = false;
        return;
    }
    ConvertCheckBoxStyle();
    DropNativeToolTips();
}

int CXHtmlTree::OnCreate(LPCREATESTRUCTA)
{
    int result = int(Default());
    if (result != -1 && m_bCheckBoxesFromStyle) {
        m_bCheckBoxesFromStyle = false;
        m_bCheckBoxes = TRUE;
        BuildStateImages();
    }
    return result;
}

void CXHtmlTree::ConvertCheckBoxStyle()
{
    if (!(GetStyle() & TVS_CHECKBOXES))
        return;
    ModifyStyle(TVS_CHECKBOXES, TVS_NOTOOLTIPS | TVS_DISABLEDRAGDROP);
    m_bCheckBoxes = TRUE;
    BuildStateImages();
}

void CXHtmlTree::DropNativeToolTips()
{
    ModifyStyle(0, TVS_NOTOOLTIPS);
    HWND native = HWND(SendMessage(TVM_SETTOOLTIPS, 0, 0));
    if (native && native != m_ToolTip.m_hWnd)
        ::DestroyWindow(native);
}

void CXHtmlTree::OnDestroy()
{
    KillTimer(HotTimer);
    m_hHotCheckItem = m_hHotLinkItem = m_hToolTipItem = NULL;
    m_ToolTip.DestroyWindow();
    // The items die with the window.
    m_bDeleting = true;
    Default();
    m_bDeleting = false;
    FreeAllData();
}

void CXHtmlTree::SetThemeBinder(ThemeApiBinder* binder) { m_pTheme = binder ? binder : &ThemeApi(); }

void CXHtmlTree::Initialize(BOOL checkBoxes, BOOL toolTips)
{
    DeleteAllItems();
    m_ToolTip.DestroyWindow();
    m_hToolTipItem = NULL;
    SetImageList(HIMAGELIST(NULL), TVSIL_STATE);
    m_StateImages.DeleteImageList();

    m_bCheckBoxes = checkBoxes;
    m_bToolTips = toolTips;
    m_bSmartCheck = FALSE;
    m_bSelectFollowsCheck = TRUE;
    m_bHtml = TRUE;
    m_bStripTags = FALSE;
    m_bReadOnly = FALSE;
    ResetColours();

    if (m_bToolTips && m_ToolTip.Create(this)) {
        m_ToolTip.SetMaxTipWidth(SHRT_MAX);
        m_bToolTipsPending = true;
    }
    if (m_bCheckBoxes)
        BuildStateImages();
}

void CXHtmlTree::BuildStateImages()
{
    if (BuildCheckBoxStateImages(m_StateImages, *m_pTheme))
        SetImageList(&m_StateImages, TVSIL_STATE);
}

void CXHtmlTree::SetUpToolTips()
{
    m_bToolTipsPending = false;
    if (!m_ToolTip.m_hWnd)
        return;
    m_ToolTip.Activate(TRUE);
    SendToParent(WM_XHTMLTREE_INIT_TOOLTIP, NULL, LPARAM(m_ToolTip.m_hWnd));
}

void CXHtmlTree::ResetColours()
{
    m_crBackground = m_crOwnerBackground != HtmlDrawDefaultColour ? m_crOwnerBackground
                                                                  : ::GetSysColor(COLOR_WINDOW);
    m_crText = m_crOwnerText != HtmlDrawDefaultColour ? m_crOwnerText : ::GetSysColor(COLOR_WINDOWTEXT);
    m_crAnchorText = RGB(0, 0, 255);
    m_crGrayText = ::GetSysColor(COLOR_GRAYTEXT);
    m_crHighlight = ::GetSysColor(COLOR_HIGHLIGHT);
    m_crHighlightText = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
}

void CXHtmlTree::SetBkColor(COLORREF colour)
{
    m_crOwnerBackground = colour;
    ResetColours();
    if (m_hWnd) {
        SendMessage(TVM_SETBKCOLOR, 0, colour == HtmlDrawDefaultColour ? LPARAM(-1) : LPARAM(colour));
        Invalidate();
    }
}

void CXHtmlTree::SetTextColor(COLORREF colour)
{
    m_crOwnerText = colour;
    ResetColours();
    if (m_hWnd) {
        SendMessage(TVM_SETTEXTCOLOR, 0, colour == HtmlDrawDefaultColour ? LPARAM(-1) : LPARAM(colour));
        Invalidate();
    }
}

void CXHtmlTree::OnSysColorChange()
{
    Default();
    ResetColours();
    if (m_bCheckBoxes && m_StateImages.GetSafeHandle() &&
        GetImageList(TVSIL_STATE) == m_StateImages.GetSafeHandle())
        BuildStateImages();
    Invalidate();
}

void CXHtmlTree::SendToParent(UINT message, HTREEITEM item, LPARAM lParam)
{
    HWND parent = ::GetParent(m_hWnd);
    if (!parent || !message)
        return;
    XHTMLTREEMSGDATA data = {m_hWnd, UINT(::GetDlgCtrlID(m_hWnd)), item};
    ::SendMessageA(parent, message, WPARAM(&data), lParam);
}

// --- item records -------------------------------------------------------------------------------

XHTMLTREEDATA* CXHtmlTree::GetItemDataStruct(HTREEITEM item) const
{
    XHTMLTREEDATA* d = NULL;
    if (!item || !m_DataMap.Lookup(item, d))
        return NULL;
    return d;
}

HTREEITEM CXHtmlTree::InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent,
                                 HTREEITEM after)
{
    HTREEITEM item = CTreeCtrl::InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE,
                                           m_Html.GetPlainText(text), image, selectedImage, 0, 0, 0,
                                           parent, after);
    if (!item)
        return NULL;
    XHTMLTREEDATA* d = new XHTMLTREEDATA;
    d->strLabel = text;
    m_DataMap.SetAt(item, d);
    UpdateStateImage(item, d);

    HTREEITEM parentItem = GetParentItem(item);
    if (XHTMLTREEDATA* p = GetItemDataStruct(parentItem)) {
        int old = StateOf(p);
        p->nChildren++;
        KeepCheckedInStep(p);
        UpdateStateImage(parentItem, p);
        PropagateUp(parentItem, old);
    }
    return item;
}

HTREEITEM CXHtmlTree::InsertLeafItem(const char* text, HTREEITEM parent, BOOL checked, BOOL enabled)
{
    XHTMLTREEDATA* d = new XHTMLTREEDATA;
    d->strLabel = text;
    d->bChecked = m_bCheckBoxes && checked;
    d->bEnabled = enabled != FALSE;
    HTREEITEM item = CTreeCtrl::InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE,
                                           m_Html.GetPlainText(text), 0, 0,
                                           INDEXTOSTATEIMAGEMASK(StateImageOf(NULL, d)), TVIS_STATEIMAGEMASK,
                                           0, parent, TVI_LAST);
    if (!item) {
        delete d;
        return NULL;
    }
    m_DataMap.SetAt(item, d);

    if (XHTMLTREEDATA* p = GetItemDataStruct(parent)) {
        const int old = StateOf(p);
        p->nChildren++;
        CountChild(p, d, 1);
        KeepCheckedInStep(p);
        if (StateOf(p) != old) {
            UpdateStateImage(parent, p);
            PropagateUp(parent, old);
        }
    }
    return item;
}

void CXHtmlTree::FreeSubtreeData(HTREEITEM item)
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        FreeSubtreeData(child);
    FreeItemData(item);
    ForgetItem(item);
}

bool CXHtmlTree::FreeItemData(HTREEITEM item)
{
    XHTMLTREEDATA* d = NULL;
    if (!m_DataMap.Lookup(item, d))
        return false;
    m_DataMap.RemoveKey(item);
    delete d;
    return true;
}

void CXHtmlTree::ForgetItem(HTREEITEM item)
{
    if (item == m_hHotCheckItem)
        m_hHotCheckItem = NULL;
    if (item == m_hHotLinkItem)
        m_hHotLinkItem = NULL;
    if (item == m_hToolTipItem)
        m_hToolTipItem = NULL;
}

void CXHtmlTree::FreeAllData()
{
    POSITION pos = m_DataMap.GetStartPosition();
    while (pos) {
        HTREEITEM item = NULL;
        XHTMLTREEDATA* d = NULL;
        m_DataMap.GetNextAssoc(pos, item, d);
        delete d;
    }
    m_DataMap.RemoveAll();
    m_hHotCheckItem = m_hHotLinkItem = m_hToolTipItem = NULL;
}

void CXHtmlTree::RemoveFromParent(HTREEITEM item)
{
    HTREEITEM parent = GetParentItem(item);
    XHTMLTREEDATA* p = GetItemDataStruct(parent);
    if (!p)
        return;
    int oldParent = StateOf(p);
    p->nChildren--;
    // An item inserted past this class counts as an unchecked child.
    if (XHTMLTREEDATA* d = GetItemDataStruct(item))
        CountChild(p, d, -1);
    KeepCheckedInStep(p);
    UpdateStateImage(parent, p);
    PropagateUp(parent, oldParent);
}

BOOL CXHtmlTree::DeleteItem(HTREEITEM item)
{
    if (!item || item == TVI_ROOT)
        return DeleteAllItems();
    RemoveFromParent(item);
    FreeSubtreeData(item);
    m_bDeleting = true;
    BOOL ok = CTreeCtrl::DeleteItem(item);
    m_bDeleting = false;
    return ok;
}

BOOL CXHtmlTree::DeleteAllItems()
{
    m_hHotCheckItem = m_hHotLinkItem = m_hToolTipItem = NULL;
    m_bDeleting = true;
    BOOL ok = m_hWnd ? CTreeCtrl::DeleteAllItems() : TRUE;
    m_bDeleting = false;
    FreeAllData();
    return ok;
}

BOOL CXHtmlTree::OnDeleteItemNotify(NMHDR* pNMHDR, LRESULT*)
{
    // Items the control deletes on its own (TVE_COLLAPSERESET, a delete past this class).
    HTREEITEM item = reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemOld.hItem;
    if (m_bDeleting || !item)
        return FALSE;   // DeleteItem and DeleteAllItems have seen to it
    RemoveFromParent(item);
    if (FreeItemData(item))
        ForgetItem(item);
    return FALSE;   // the parent may want it too
}

BOOL CXHtmlTree::SetItemText(HTREEITEM item, const char* text)
{
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    if (d && d->bReadOnly)
        return FALSE;
    BOOL ok = CTreeCtrl::SetItemText(item, d ? m_Html.GetPlainText(text) : CString(text));
    if (ok && d)
        d->strLabel = text;
    InvalidateItem(item);
    return ok;
}

CString CXHtmlTree::GetItemText(HTREEITEM item) const
{
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    return d ? d->strLabel : CTreeCtrl::GetItemText(item);
}

BOOL CXHtmlTree::SetItemValue(HTREEITEM item, XHtmlTreeValue field, DWORD value)
{
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    if (!d)
        return FALSE;
    switch (field) {
    case XHtmlTreeEnabled:
        d->bEnabled = value != 0;
        break;
    case XHtmlTreeReadOnly:
        d->bReadOnly = value != 0;
        break;
    case XHtmlTreeSeparator: {
        bool separator = value != 0;
        if (separator == d->bSeparator)
            break;
        HTREEITEM parent = GetParentItem(item);
        XHTMLTREEDATA* p = GetItemDataStruct(parent);
        int oldParent = p ? StateOf(p) : CheckBoxNone;
        // Take the item's part out of its parent's counts, then put its new part in.
        if (p)
            CountChild(p, d, -1);
        d->bSeparator = separator;
        if (p) {
            CountChild(p, d, 1);
            KeepCheckedInStep(p);
            UpdateStateImage(parent, p);
            PropagateUp(parent, oldParent);
        }
        break;
    }
    case XHtmlTreeTextColour:
        d->ds.crText = COLORREF(value);
        break;
    case XHtmlTreeBackgroundColour:
        d->ds.crBackground = COLORREF(value);
        break;
    case XHtmlTreeTextBackgroundColour:
        d->ds.crTextBackground = COLORREF(value);
        break;
    case XHtmlTreeLinkColour:
        d->ds.crAnchorText = COLORREF(value);
        break;
    default:
        return FALSE;
    }
    UpdateStateImage(item, d);
    InvalidateItem(item);
    return TRUE;
}

BOOL CXHtmlTree::SetItemToolTip(HTREEITEM item, const char* text)
{
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    if (!d)
        return FALSE;
    d->strToolTip = text;
    return TRUE;
}

CString CXHtmlTree::GetItemPlainText(HTREEITEM item) const
{
    return m_Html.GetPlainText(GetItemText(item));
}

CString CXHtmlTree::GetItemToolTipText(HTREEITEM item) const
{
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    if (!d)
        return CString();
    if (!d->strToolTip.IsEmpty())
        return d->strToolTip;
    CRect client;
    GetClientRect(&client);
    // Drawn at least once and cut off at the right edge.
    if (d->ds.nRightX > client.right)
        return GetItemPlainText(item);
    return CString();
}

void CXHtmlTree::InvalidateItem(HTREEITEM item)
{
    CRect rc;
    if (m_hWnd && item && GetItemRect(item, &rc, FALSE))
        InvalidateRect(&rc, FALSE);
}

// --- the check model ----------------------------------------------------------------------------

int CXHtmlTree::StateOf(const XHTMLTREEDATA* d) const
{
    if (!d || d->bSeparator)
        return CheckBoxNone;
    int countable = d->nChildren - d->nSeparators;
    if (m_bSmartCheck && countable > 0) {
        if (d->nCheckedChildren == countable)
            return CheckBoxChecked;
        if (d->nCheckedChildren > 0 || d->nMixedChildren > 0)
            return CheckBoxMixed;
        return CheckBoxUnchecked;
    }
    return d->bChecked ? CheckBoxChecked : CheckBoxUnchecked;
}

void CXHtmlTree::KeepCheckedInStep(XHTMLTREEDATA* d)
{
    // With smart check an item with children is checked exactly when they all are.
    if (m_bSmartCheck && d->nChildren - d->nSeparators > 0)
        d->bChecked = StateOf(d) == CheckBoxChecked;
}

int CXHtmlTree::StateImageOf(HTREEITEM item, const XHTMLTREEDATA* d) const
{
    if (!m_bCheckBoxes || !d || d->bSeparator)
        return CheckBoxNone;
    int image = StateOf(d);
    if (!d->bEnabled)
        image += CheckBoxDisabledOffset;
    if (item && item == m_hHotCheckItem)
        image += CheckBoxHotOffset;
    return image;
}

void CXHtmlTree::UpdateStateImage(HTREEITEM item, const XHTMLTREEDATA* d)
{
    if (!m_hWnd || !item)
        return;
    const int image = StateImageOf(item, d);
    if (GetItemStateImage(item) != image)
        SetItemStateImage(item, image);
}

void CXHtmlTree::PropagateUp(HTREEITEM item, int oldState)
{
    // Bounded by the depth of the tree; stops as soon as a state stays the same.
    for (;;) {
        XHTMLTREEDATA* d = GetItemDataStruct(item);
        if (!d)
            return;
        int newState = StateOf(d);
        if (newState == oldState)
            return;
        HTREEITEM parent = GetParentItem(item);
        XHTMLTREEDATA* p = GetItemDataStruct(parent);
        if (!p)
            return;
        int parentOld = StateOf(p);
        if (!d->bSeparator) {
            p->nCheckedChildren += (newState == CheckBoxChecked) - (oldState == CheckBoxChecked);
            p->nMixedChildren += (newState == CheckBoxMixed) - (oldState == CheckBoxMixed);
        }
        KeepCheckedInStep(p);
        UpdateStateImage(parent, p);
        item = parent;
        oldState = parentOld;
    }
}

void CXHtmlTree::CountChild(XHTMLTREEDATA* parent, const XHTMLTREEDATA* child, int delta) const
{
    int state = StateOf(child);
    if (child->bSeparator)
        parent->nSeparators += delta;
    else if (state == CheckBoxChecked)
        parent->nCheckedChildren += delta;
    else if (state == CheckBoxMixed)
        parent->nMixedChildren += delta;
}

void CXHtmlTree::RecountChildren(HTREEITEM item, XHTMLTREEDATA* d)
{
    d->nChildren = d->nCheckedChildren = d->nMixedChildren = d->nSeparators = 0;
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) {
        d->nChildren++;
        if (XHTMLTREEDATA* c = GetItemDataStruct(child))
            CountChild(d, c, 1);
    }
    KeepCheckedInStep(d);
}

void CXHtmlTree::RecountAll(HTREEITEM parent)
{
    for (HTREEITEM child = GetChildItem(parent); child; child = GetNextSiblingItem(child)) {
        RecountAll(child);
        if (XHTMLTREEDATA* c = GetItemDataStruct(child)) {
            RecountChildren(child, c);
            UpdateStateImage(child, c);
        }
    }
}

void CXHtmlTree::SetDescendants(HTREEITEM item, bool check)
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) {
        XHTMLTREEDATA* c = GetItemDataStruct(child);
        // A read-only item keeps its check, and so does everything below it.
        if (!c || c->bReadOnly || c->bSeparator)
            continue;
        c->bChecked = check;
        SetDescendants(child, check);
        RecountChildren(child, c);
        UpdateStateImage(child, c);
    }
}

void CXHtmlTree::SetSmartCheck(BOOL smart)
{
    if (m_bSmartCheck == smart)
        return;
    m_bSmartCheck = smart;
    if (m_hWnd)
        RecountAll(TVI_ROOT);
}

BOOL CXHtmlTree::SetCheck(HTREEITEM item, BOOL check)
{
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    if (!m_bCheckBoxes || !d || d->bReadOnly || d->bSeparator)
        return FALSE;
    int old = StateOf(d);
    int wanted = check ? CheckBoxChecked : CheckBoxUnchecked;
    d->bChecked = check != FALSE;
    if (m_bSmartCheck && old != wanted) {
        SetDescendants(item, d->bChecked);
        RecountChildren(item, d);
    }
    UpdateStateImage(item, d);
    PropagateUp(item, old);
    SendToParent(WM_XHTMLTREE_CHECKBOX_CLICKED, item, LPARAM(GetCheck(item)));
    return TRUE;
}

BOOL CXHtmlTree::GetCheck(HTREEITEM item) const
{
    if (!m_bCheckBoxes)
        return FALSE;
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    return StateOf(d) == CheckBoxChecked;
}

int CXHtmlTree::GetCheckState(HTREEITEM item) const
{
    return m_bCheckBoxes ? StateOf(GetItemDataStruct(item)) : int(CheckBoxNone);
}

bool CXHtmlTree::CanToggle(HTREEITEM item) const
{
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    return m_bCheckBoxes && !m_bReadOnly && d && d->bEnabled && !d->bReadOnly && !d->bSeparator;
}

bool CXHtmlTree::HasUncheckedBelow(HTREEITEM item) const
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) {
        XHTMLTREEDATA* c = GetItemDataStruct(child);
        // Checking item passes these by (see SetDescendants).
        if (!c || c->bReadOnly || c->bSeparator)
            continue;
        bool parent = c->nChildren - c->nSeparators > 0;
        if (parent ? HasUncheckedBelow(child) : !c->bChecked)
            return true;
    }
    return false;
}

void CXHtmlTree::ToggleItem(HTREEITEM item)
{
    // A partly checked item becomes checked, with everything below it. One that checking would
    // not change (what is left unchecked below it is read-only) is unchecked instead, or the
    // user could never clear it.
    BOOL check = !GetCheck(item);
    if (check && GetCheckState(item) == CheckBoxMixed && !HasUncheckedBelow(item))
        check = FALSE;
    SetCheck(item, check);
}

// --- expanding ----------------------------------------------------------------------------------

BOOL CXHtmlTree::Expand(HTREEITEM item, UINT code)
{
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    if (d && ItemHasChildren(item)) {
        bool old = d->bExpanded;
        switch (code & 3) {
        case TVE_COLLAPSE:
            d->bExpanded = false;
            break;
        case TVE_EXPAND:
            d->bExpanded = true;
            break;
        case TVE_TOGGLE:
            d->bExpanded = !d->bExpanded;
            break;
        default:
            break;
        }
        d->bEverExpanded = true;
        if (d->bExpanded != old)
            SendToParent(WM_XHTMLTREE_ITEM_EXPANDED, item, LPARAM(d->bExpanded));
    }
    return CTreeCtrl::Expand(item, code);
}

BOOL CXHtmlTree::OnItemExpanded(NMHDR* pNMHDR, LRESULT*)
{
    // Expanded or collapsed by the control itself (its buttons, a double click).
    HTREEITEM item = reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemNew.hItem;
    if (XHTMLTREEDATA* d = GetItemDataStruct(item)) {
        bool expanded = (GetItemState(item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
        if (expanded != d->bExpanded) {
            d->bExpanded = expanded;
            if (expanded)
                d->bEverExpanded = true;
            SendToParent(WM_XHTMLTREE_ITEM_EXPANDED, item, LPARAM(expanded));
        }
    }
    return FALSE;
}

void CXHtmlTree::ExpandAllBelow(HTREEITEM item)
{
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child)) {
        if (ItemHasChildren(child)) {
            Expand(child, TVE_EXPAND);
            ExpandAllBelow(child);
        }
    }
}

// --- finding ------------------------------------------------------------------------------------

BOOL CXHtmlTree::AcceptFoundItem(HTREEITEM) { return TRUE; }

HTREEITEM CXHtmlTree::FindItem(CString text, BOOL matchCase, BOOL down, BOOL wholeWord,
                               HTREEITEM stopItem, HTREEITEM start)
{
    HTREEITEM first = GetRootItem();
    if (text.IsEmpty() || !first)
        return NULL;
    if (!matchCase)
        text.MakeLower();
    HTREEITEM origin = start ? start : first;
    HTREEITEM item = origin;
    // Every visible item once at most; the bound also ends a walk whose start is not visible.
    for (UINT steps = GetCount() + 1; steps > 0; --steps) {
        item = down ? GetNextVisibleItem(item) : GetPrevVisibleItem(item);
        if (!item)
            item = down ? first : GetNextItem(NULL, TVGN_LASTVISIBLE);
        if (!item || item == origin || item == stopItem)
            return NULL;
        CString label = GetItemPlainText(item).Left(MaxSearchLength);
        if (!matchCase)
            label.MakeLower();
        if (ContainsWord(label, text, wholeWord != FALSE) && AcceptFoundItem(item))
            return item;
    }
    return NULL;
}

// --- mouse --------------------------------------------------------------------------------------

bool CXHtmlTree::IsOnCheckBox(HTREEITEM item, UINT flags) const
{
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    return m_bCheckBoxes && d && !d->bSeparator && (flags & TVHT_ONITEMSTATEICON);
}

bool CXHtmlTree::IsOnLink(HTREEITEM item, CPoint point) const
{
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    if (!d || !d->bHasAnchor || d->bReadOnly || !m_bHtml)
        return false;
    CRect row;
    if (!GetItemRect(item, &row, FALSE))
        return false;
    return point.y >= row.top && point.y < row.bottom && point.x >= d->ds.nAnchorStart &&
           point.x < d->ds.nAnchorEnd;
}

void CXHtmlTree::SetHotCheckItem(HTREEITEM item)
{
    if (item == m_hHotCheckItem)
        return;
    HTREEITEM old = m_hHotCheckItem;
    m_hHotCheckItem = item;
    if (old)
        UpdateStateImage(old, GetItemDataStruct(old));
    if (item) {
        UpdateStateImage(item, GetItemDataStruct(item));
        SetTimer(HotTimer, HotCheckBoxDelay);
    }
}

void CXHtmlTree::SetHotLinkItem(HTREEITEM item)
{
    if (item == m_hHotLinkItem)
        return;
    HTREEITEM old = m_hHotLinkItem;
    m_hHotLinkItem = item;
    if (old)
        InvalidateItem(old);
    if (item) {
        InvalidateItem(item);
        SetTimer(HotTimer, HotLinkDelay);
    }
}

void CXHtmlTree::OnLButtonDown(UINT nFlags, CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (item && IsOnCheckBox(item, flags)) {
        if (CanToggle(item)) {
            SetFocus();
            ToggleItem(item);
            if (m_bSelectFollowsCheck)
                SelectItem(item);
            SetHotCheckItem(item);
        }
        return;
    }
    if (item && IsOnLink(item, point)) {
        XHTMLTREEDATA* d = GetItemDataStruct(item);
        CString url = d->strUrl;   // the command may change the tree
        m_Links.GotoURL(url, SW_SHOW, LPARAM(item));
        return;
    }
    (void)nFlags;
    Default();
}

void CXHtmlTree::OnMouseMove(UINT, CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    SetHotCheckItem(item && IsOnCheckBox(item, flags) ? item : NULL);
    bool onLink = item && IsOnLink(item, point);
    SetHotLinkItem(onLink ? item : NULL);
    if (onLink)
        m_Links.SetLinkCursor();
    Default();
}

BOOL CXHtmlTree::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    if (m_hHotLinkItem && nHitTest == HTCLIENT) {
        CPoint point;
        ::GetCursorPos(&point);
        ScreenToClient(&point);
        if (IsOnLink(m_hHotLinkItem, point) && m_Links.SetLinkCursor())
            return TRUE;
    }
    (void)pWnd;
    (void)message;
    return BOOL(Default());
}

void CXHtmlTree::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != HotTimer) {
        Default();
        return;
    }
    CPoint point;
    ::GetCursorPos(&point);
    ScreenToClient(&point);
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (m_hHotCheckItem && !(item == m_hHotCheckItem && IsOnCheckBox(item, flags)))
        SetHotCheckItem(NULL);
    if (m_hHotLinkItem && !(item == m_hHotLinkItem && IsOnLink(item, point))) {
        SetHotLinkItem(NULL);
        if (m_hArrowCursor && ::WindowFromPoint(CPoint(point.x, point.y)) == m_hWnd)
            ::SetCursor(m_hArrowCursor);
    }
    if (!m_hHotCheckItem && !m_hHotLinkItem)
        KillTimer(HotTimer);
}

// --- keyboard -----------------------------------------------------------------------------------

BOOL CXHtmlTree::PreTranslateMessage(MSG* pMsg)
{
    if (m_ToolTip.m_hWnd && pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST) {
        if (pMsg->message == WM_MOUSEMOVE && pMsg->hwnd == m_hWnd)
            TrackToolTipItem(CPoint(pMsg->lParam));
        m_ToolTip.RelayEvent(pMsg);
    }
    if (pMsg->message == WM_KEYDOWN || pMsg->message == WM_CHAR || pMsg->message == WM_KEYUP ||
        pMsg->message == WM_SYSKEYDOWN || pMsg->message == WM_SYSCHAR) {
        if (HandleKey(pMsg))
            return TRUE;
    }
    return CTreeCtrl::PreTranslateMessage(pMsg);
}

BOOL CXHtmlTree::HandleKey(MSG* pMsg)
{
    HWND edit = HWND(SendMessage(TVM_GETEDITCONTROL));
    if (edit || ::GetKeyState(VK_CONTROL) < 0) {
        // Straight to the label's edit box (or, with Ctrl, to the tree), past every dialog rule.
        ::TranslateMessage(pMsg);
        ::DispatchMessageA(pMsg);
        return TRUE;
    }
    if (pMsg->hwnd != m_hWnd)
        return FALSE;
    HTREEITEM selected = GetSelectedItem();
    if (pMsg->message == WM_CHAR) {
        if (pMsg->wParam == ' ' && m_bCheckBoxes && !m_bReadOnly) {
            if (selected && CanToggle(selected))
                ToggleItem(selected);
            return TRUE;
        }
        return FALSE;
    }
    if (pMsg->message != WM_KEYDOWN)
        return FALSE;
    switch (pMsg->wParam) {
    case VK_RIGHT:
        if (selected && ItemHasChildren(selected) &&
            !(GetItemState(selected, TVIS_EXPANDED) & TVIS_EXPANDED)) {
            Expand(selected, TVE_EXPAND);
            return TRUE;
        }
        return FALSE;
    case VK_LEFT:
        if (selected && ItemHasChildren(selected) &&
            (GetItemState(selected, TVIS_EXPANDED) & TVIS_EXPANDED)) {
            Expand(selected, TVE_COLLAPSE);
            return TRUE;
        }
        return FALSE;
    case VK_DOWN:
    case VK_UP: {
        bool down = pMsg->wParam == VK_DOWN;
        HTREEITEM item = selected;
        if (!item) {
            item = GetRootItem();
            if (item && GetItemDataStruct(item)) {
                SelectItem(item);
                return TRUE;
            }
        }
        // Bounded by the number of items: skips those without a record.
        for (UINT steps = GetCount(); item && steps > 0; --steps) {
            item = down ? GetNextVisibleItem(item) : GetPrevVisibleItem(item);
            if (item && GetItemDataStruct(item)) {
                SelectItem(item);
                EnsureVisible(item);
                break;
            }
        }
        return TRUE;
    }
    case VK_MULTIPLY:
        if (selected) {
            if (ItemHasChildren(selected))
                Expand(selected, TVE_EXPAND);
            ExpandAllBelow(selected);
            EnsureVisible(selected);
            SendMessage(WM_HSCROLL, SB_LEFT, 0);
        }
        return TRUE;
    case VK_ADD:
        if (selected && ItemHasChildren(selected))
            Expand(selected, TVE_EXPAND);
        return TRUE;
    case VK_SUBTRACT:
        if (selected && ItemHasChildren(selected))
            Expand(selected, TVE_COLLAPSE);
        return TRUE;
    default:
        return FALSE;
    }
}

// --- tooltips -----------------------------------------------------------------------------------

void CXHtmlTree::TrackToolTipItem(CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (!(flags & (TVHT_ONITEM | TVHT_ONITEMRIGHT)))
        item = NULL;
    if (item && GetItemToolTipText(item).IsEmpty())
        item = NULL;
    if (item == m_hToolTipItem)
        return;
    // A tool of its own for each item, so that the tip starts again on every item.
    m_ToolTip.DelTool(this, ToolTipToolId);
    m_hToolTipItem = item;
    CRect row;
    if (item && GetItemRect(item, &row, FALSE)) {
        CRect client;
        GetClientRect(&client);
        row.left = client.left;
        row.right = client.right;
        // Transparent: the tip lies over the label under the mouse and must not take its moves.
        m_ToolTip.AddTool(this, NULL, &row, ToolTipToolId, TTF_TRANSPARENT);
    }
}

BOOL CXHtmlTree::OnToolTipText(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    if (!m_ToolTip.m_hWnd || pNMHDR->hwndFrom != m_ToolTip.m_hWnd)
        return FALSE;
    CString tip = m_hToolTipItem ? GetItemToolTipText(m_hToolTipItem) : CString();
    tip = tip.Left(MaxToolTipLength);
    if (!tip.IsEmpty())
        SendToParent(WM_XHTMLTREE_DISPLAY_TOOLTIP, m_hToolTipItem, LPARAM(m_ToolTip.m_hWnd));
    if (pNMHDR->code == TTN_NEEDTEXTW) {
        NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
        info->hinst = NULL;
        std::wstring wide;
        TextToWide(tip, -1, CP_THREAD_ACP, TextStrictness::Lenient, wide);
        ::lstrcpynW(info->szText, wide.c_str(), int(sizeof info->szText / sizeof info->szText[0]));
        info->lpszText = info->szText;
    } else {
        NMTTDISPINFOA* info = reinterpret_cast<NMTTDISPINFOA*>(pNMHDR);
        info->hinst = NULL;
        lstrcpynA(info->szText, tip, int(sizeof info->szText));
        info->lpszText = info->szText;
    }
    *pResult = 0;
    return TRUE;
}

BOOL CXHtmlTree::OnToolTipShow(UINT, NMHDR* pNMHDR, LRESULT* pResult)
{
    if (!m_ToolTip.m_hWnd || pNMHDR->hwndFrom != m_ToolTip.m_hWnd || !m_hToolTipItem)
        return FALSE;
    // Over the label itself, where the cut-off text would go on.
    CRect label = LabelRect(m_hToolTipItem);
    if (label.IsRectEmpty())
        return FALSE;
    ClientToScreen(&label);
    // The window's rectangle for text there (systems without TTM_ADJUSTRECT: the label's own).
    m_ToolTip.SendMessage(TTM_ADJUSTRECT, TRUE, LPARAM(&label));
    ::SetWindowPos(m_ToolTip.m_hWnd, NULL, label.left, label.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    *pResult = TRUE;
    return TRUE;
}

// --- drawing ------------------------------------------------------------------------------------

CRect CXHtmlTree::LabelRect(HTREEITEM item) const
{
    CRect text;
    if (!GetItemRect(item, &text, TRUE))
        return CRect();
    CRect client;
    GetClientRect(&client);
    return CRect(text.left, text.top, client.right > text.right ? client.right : text.right,
                 text.bottom);
}

BOOL CXHtmlTree::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    NMTVCUSTOMDRAW* cd = reinterpret_cast<NMTVCUSTOMDRAW*>(pNMHDR);
    switch (cd->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        *pResult = CDRF_NOTIFYITEMDRAW;
        return TRUE;
    case CDDS_ITEMPREPAINT: {
        HTREEITEM item = HTREEITEM(cd->nmcd.dwItemSpec);
        XHTMLTREEDATA* d = GetItemDataStruct(item);
        COLORREF background = d && d->ds.crBackground != HtmlDrawDefaultColour ? d->ds.crBackground
                                                                              : m_crBackground;
        FillSolid(cd->nmcd.hdc, cd->nmcd.rc, m_crBackground);
        // The control's own text goes under the label drawn after it: keep it out of sight.
        cd->clrText = background;
        cd->clrTextBk = background;
        *pResult = CDRF_NOTIFYPOSTPAINT;
        return TRUE;
    }
    case CDDS_ITEMPOSTPAINT:
        DrawItemLabel(cd);
        if (m_bToolTipsPending)
            SetUpToolTips();
        *pResult = CDRF_DODEFAULT;
        return TRUE;
    default:
        *pResult = CDRF_DODEFAULT;
        return TRUE;
    }
}

void CXHtmlTree::DrawItemLabel(NMTVCUSTOMDRAW* cd)
{
    HTREEITEM item = HTREEITEM(cd->nmcd.dwItemSpec);
    HDC dc = cd->nmcd.hdc;
    CRect label = LabelRect(item);
    if (label.IsRectEmpty())
        return;
    XHTMLTREEDATA* d = GetItemDataStruct(item);
    CString text = GetItemText(item);

    bool focused = ::GetFocus() == m_hWnd;
    UINT state = GetItemState(item, TVIS_SELECTED | TVIS_DROPHILITED);
    bool selected = (state & TVIS_DROPHILITED) ||
                    ((state & TVIS_SELECTED) && (focused || (GetStyle() & TVS_SHOWSELALWAYS)));
    COLORREF background = d && d->ds.crBackground != HtmlDrawDefaultColour ? d->ds.crBackground
                                                                          : m_crBackground;
    COLORREF foreground = d && d->ds.crText != HtmlDrawDefaultColour ? d->ds.crText : m_crText;
    COLORREF link = d && d->ds.crAnchorText != HtmlDrawDefaultColour ? d->ds.crAnchorText
                                                                    : m_crAnchorText;
    bool readOnly = d && d->bReadOnly;
    if (readOnly)
        foreground = m_crGrayText;
    bool markup = text.FindOneOf("<&") >= 0;
    bool html = markup && m_bHtml && !readOnly && d;
    // Without a record (an item inserted past this class) there is nowhere to keep a link.
    if (markup && !html && (readOnly || m_bStripTags || (m_bHtml && !d)))
        text = m_Html.GetPlainText(text);

    HGDIOBJ font = HGDIOBJ(SendMessage(WM_GETFONT));
    HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : NULL;
    FillSolid(dc, label, background);

    if (html) {
        HtmlDrawParams& p = d->ds;
        // The record keeps the owner's colours; this draw uses them resolved.
        COLORREF savedText = p.crText, savedLink = p.crAnchorText, savedBack = p.crBackground;
        COLORREF savedTextBack = p.crTextBackground;
        BOOL savedTransparent = p.bTransparent;
        p.crText = foreground;
        p.crAnchorText = link;
        p.crBackground = background;
        p.bTransparent = FALSE;
        p.rect = label;
        p.rect.left += LabelPadding;
        // Links are drawn underlined: that is what makes them links to click (bHasAnchor).
        m_Html.Draw(dc, text, &p, TRUE);
        if (selected) {
            // Again on the selection colour, only as wide as the text.
            int right = p.nRightX + LabelPadding;
            p.rect = label;
            if (right < p.rect.right)
                p.rect.right = right;
            p.crText = p.crAnchorText = m_crHighlightText;
            p.crBackground = m_crHighlight;
            p.crTextBackground = HtmlDrawDefaultColour;
            p.bOwnColoursOnly = TRUE;
            int reached = p.nRightX;
            p.rect.left += LabelPadding;
            FillSolid(dc, CRect(label.left, label.top, label.left + LabelPadding, label.bottom),
                      m_crHighlight);
            m_Html.Draw(dc, text, &p, TRUE);
            p.nRightX = reached;
            if (focused) {
                CRect box(label.left, label.top, p.rect.right, label.bottom);
                ::DrawFocusRect(dc, &box);
            }
        }
        p.crText = savedText;
        p.crAnchorText = savedLink;
        p.crBackground = savedBack;
        p.crTextBackground = savedTextBack;
        p.bTransparent = savedTransparent;
        p.bOwnColoursOnly = FALSE;
        d->bHasAnchor = p.bHasAnchor;
        d->strUrl = p.strUrl;
    } else {
        SIZE extent = {};
        ::GetTextExtentPoint32A(dc, text, text.GetLength(), &extent);
        CRect box(label.left, label.top, label.left + extent.cx + 2 * LabelPadding, label.bottom);
        if (box.right > label.right)
            box.right = label.right;
        if (selected) {
            FillSolid(dc, box, m_crHighlight);
            foreground = m_crHighlightText;
        }
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, foreground);
        CRect textRect(label.left + LabelPadding, label.top, label.right, label.bottom);
        ::DrawTextA(dc, text, text.GetLength(), &textRect, LabelFormat);
        if (selected && focused)
            ::DrawFocusRect(dc, &box);
        if (d) {
            d->ds.nRightX = label.left + LabelPadding + extent.cx;
            d->bHasAnchor = FALSE;
            d->strUrl.Empty();
        }
    }
    if (oldFont)
        ::SelectObject(dc, oldFont);
}
