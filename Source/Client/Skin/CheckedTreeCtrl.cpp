// CCheckedTreeCtrl: the registry results' check tree (see CheckedTreeCtrl.h).
#include "Client/Skin/CheckedTreeCtrl.h"

#include "Client/Resources/ControlResources.h"

// Image sizes of the artwork (bitmaps 146 and 151).
static const int StateImageWidth = 13, StateImageHeight = 18;
static const int ItemImageWidth = 18, ItemImageHeight = 17;
static const COLORREF ImageMaskColour = RGB(255, 255, 255);

BEGIN_MESSAGE_MAP(CCheckedTreeCtrl, CTreeCtrl)
    ON_WM_LBUTTONDOWN()
    ON_WM_KEYDOWN()
    ON_NOTIFY_REFLECT(NM_CLICK, &CCheckedTreeCtrl::OnClick)
    ON_NOTIFY_REFLECT(NM_RCLICK, &CCheckedTreeCtrl::OnRClick)
    ON_NOTIFY_REFLECT_EX(TVN_DELETEITEMA, &CCheckedTreeCtrl::OnDeleteItemNotify)
    ON_NOTIFY_REFLECT_EX(TVN_DELETEITEMW, &CCheckedTreeCtrl::OnDeleteItemNotify)
    ON_COMMAND(ID_TREE_IGNORE, &CCheckedTreeCtrl::OnIgnoreCommand)
END_MESSAGE_MAP()

CCheckedTreeCtrl::CCheckedTreeCtrl()
    : m_nTotal(0), m_nMenuId(0), m_nMenuMessage(0), m_hMenuItem(NULL), m_pScanItems(NULL),
      m_nRedrawHolds(0), m_bRedrawHidden(false)
{
}

// The text a found item is compared by: case folded as CString::CompareNoCase folds it.
static std::string FoldedText(const char* text)
{
    CString folded(text);
    folded.MakeLower();
    return std::string(folded.GetString());
}

CString CCheckedTreeCtrl::GetCategoryName(const CString& text)
{
    int bracket = text.Find('[');
    CString name = bracket >= 0 ? text.Left(bracket) : text;
    name.Trim();
    return name;
}

BOOL CCheckedTreeCtrl::InitImageLists()
{
    m_Images.DeleteImageList();
    m_StateImages.DeleteImageList();
    CBitmap images, states;
    if (!m_Images.Create(ItemImageWidth, ItemImageHeight, ILC_COLOR32 | ILC_MASK, 1, 1) ||
        !m_StateImages.Create(StateImageWidth, StateImageHeight, ILC_COLOR32 | ILC_MASK, 3, 3) ||
        !images.LoadBitmap(IDB_TREE_IMAGES) || !states.LoadBitmap(IDB_TREE_STATES))
        return FALSE;
    if (m_Images.Add(&images, ImageMaskColour) < 0 || m_StateImages.Add(&states, ImageMaskColour) < 0)
        return FALSE;
    SetImageList(&m_Images, TVSIL_NORMAL);
    SetImageList(&m_StateImages, TVSIL_STATE);
    return TRUE;
}

HTREEITEM CCheckedTreeCtrl::AddCategory(CString text, int image)
{
    HTREEITEM item = InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE |
                                    TVIF_PARAM,
                                text, image, image, INDEXTOSTATEIMAGEMASK(CheckedTreeUnchecked),
                                TVIS_STATEIMAGEMASK, 0, TVI_ROOT, TVI_LAST);
    if (!item)
        return NULL;
    CString name = GetCategoryName(text);
    CategoryCount entry = {name, 0};
    m_Categories.SetAt(name, entry);
    m_CategoryItems.SetAt(name, item);
    CategoryRecord record;
    record.item = item;
    record.name = name;
    m_CategoryRecords.push_back(record);
    return item;
}

CCheckedTreeCtrl::CategoryRecord* CCheckedTreeCtrl::FindRoot(const CString& category)
{
    for (CategoryRecord& record : m_CategoryRecords)
        if (record.name == category)
            return &record;
    return NULL;
}

const CCheckedTreeCtrl::CategoryRecord* CCheckedTreeCtrl::FindRecord(HTREEITEM item) const
{
    for (const CategoryRecord& record : m_CategoryRecords)
        if (record.item == item)
            return &record;
    return NULL;
}

HTREEITEM CCheckedTreeCtrl::AddCategoryItem(int code, CString category, const char* text, int image)
{
    CategoryRecord* record = FindRoot(category);
    if (!record || !text)
        return NULL;
    // The same text in another case with the same code is there already.
    ItemKey key(code, FoldedText(text));
    if (record->keys.count(key))
        return NULL;
    HTREEITEM item = InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE |
                                    TVIF_PARAM,
                                text, image, image, INDEXTOSTATEIMAGEMASK(CheckedTreeUnchecked),
                                TVIS_STATEIMAGEMASK, LPARAM(code), record->item, TVI_LAST);
    if (!item)
        return NULL;
    record->keys.insert(key);
    FoundItemRecord found = {record->item, key};
    m_FoundItems[item] = found;
    // The root's data counts checked children; a new child is unchecked and leaves it alone.
    m_Categories[category].name = category;
    m_Categories[category].count++;
    m_nTotal++;
    return item;
}

int CCheckedTreeCtrl::GetCategoryCount(const CString& name) const
{
    CategoryCount entry;
    return m_Categories.Lookup(name, entry) ? entry.count : -1;
}

void CCheckedTreeCtrl::SetCategoryCount(const CString& name, int count)
{
    m_Categories[name].name = name;
    m_Categories[name].count = count;
}

void CCheckedTreeCtrl::ResetCounts()
{
    m_Categories.RemoveAll();
    m_CategoryItems.RemoveAll();
    m_nTotal = 0;
}

int CCheckedTreeCtrl::CountCheckedChildren(HTREEITEM item) const
{
    int checked = 0;
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        if (GetItemStateImage(child) == CheckedTreeChecked)
            ++checked;
    return checked;
}

int CCheckedTreeCtrl::SetChildrenState(int state, HTREEITEM parent)
{
    int own = GetItemStateImage(parent);
    if (own != CheckedTreeUnchecked && own != CheckedTreeChecked)
        return 0;
    int set = 0;
    for (HTREEITEM child = GetChildItem(parent); child; child = GetNextSiblingItem(child))
        if (SetItemStateImage(child, state))
            ++set;
    return set;
}

void CCheckedTreeCtrl::ToggleCheck(HTREEITEM item)
{
    if (!item)
        return;
    HTREEITEM parent = GetParentItem(item);
    // A category carries its tick to every item: the tree is drawn again once, at the end.
    const bool category = !parent && ItemHasChildren(item);
    if (category)
        HoldRedraw();
    int old = GetItemStateImage(item);
    int state = old == CheckedTreeUnchecked ? CheckedTreeChecked : CheckedTreeUnchecked;
    SetItemStateImage(item, state);

    if (parent) {
        int n = GetCategoryCount(GetCategoryName(GetItemText(parent)));
        int checked = CountCheckedChildren(parent);
        SetItemData(parent, DWORD_PTR(checked));
        int parentState;
        if (n == 1)
            parentState = state;
        else if (checked == 0)
            parentState = CheckedTreeUnchecked;
        else if (checked == n)
            parentState = CheckedTreeChecked;
        else
            parentState = CheckedTreePartly;
        SetItemStateImage(parent, parentState);
    } else if (category) {
        // Every child now has the category's state: the checked ones are all or none of them.
        const int set = SetChildrenState(state, item);
        SetItemData(item, DWORD_PTR(state == CheckedTreeChecked ? set : 0));
        ReleaseRedraw();
    }
}

HTREEITEM CCheckedTreeCtrl::FindCategoryByText(const char* text) const
{
    if (!text)
        return NULL;
    size_t length = strlen(text);
    for (HTREEITEM root = GetRootItem(); root; root = GetNextSiblingItem(root))
        if (strncmp(GetItemText(root), text, length) == 0)
            return root;
    return NULL;
}

int CCheckedTreeCtrl::GetChildCount(HTREEITEM item) const
{
    if (const CategoryRecord* record = FindRecord(item))
        return static_cast<int>(record->keys.size());
    int children = 0;
    for (HTREEITEM child = GetChildItem(item); child; child = GetNextSiblingItem(child))
        ++children;
    return children;
}

BOOL CCheckedTreeCtrl::SetItemText(HTREEITEM item, LPCSTR text)
{
    if (!CTreeCtrl::SetItemText(item, text))
        return FALSE;
    for (CategoryRecord& record : m_CategoryRecords)
        if (record.item == item)
            record.name = GetCategoryName(text);
    return TRUE;
}

void CCheckedTreeCtrl::HoldRedraw()
{
    // The tree view ignores WM_SETREDRAW for a changed item: while it is shown, every changed
    // item is drawn at once (about 13 ms under Wine). Without WS_VISIBLE, as the default
    // WM_SETREDRAW handling of a window leaves it, nothing is drawn; focus and place stay.
    if (m_nRedrawHolds++ == 0 && m_hWnd)
        m_bRedrawHidden = ModifyStyle(WS_VISIBLE, 0) != FALSE;
}

void CCheckedTreeCtrl::ReleaseRedraw()
{
    if (m_nRedrawHolds <= 0 || --m_nRedrawHolds > 0)
        return;
    if (m_bRedrawHidden && m_hWnd) {
        ModifyStyle(0, WS_VISIBLE);
        RedrawWindow(NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
    m_bRedrawHidden = false;
}

BOOL CCheckedTreeCtrl::OnDeleteItemNotify(NMHDR* pNMHDR, LRESULT*)
{
    // Whoever deletes an item (this class, the results page, the tree view at its end), the
    // record forgets it.
    HTREEITEM item = reinterpret_cast<NMTREEVIEWA*>(pNMHDR)->itemOld.hItem;
    std::map<HTREEITEM, FoundItemRecord>::iterator found = m_FoundItems.find(item);
    if (found != m_FoundItems.end()) {
        for (CategoryRecord& record : m_CategoryRecords)
            if (record.item == found->second.category)
                record.keys.erase(found->second.key);
        m_FoundItems.erase(found);
    } else {
        for (size_t i = 0; i < m_CategoryRecords.size(); ++i)
            if (m_CategoryRecords[i].item == item) {
                m_CategoryRecords.erase(m_CategoryRecords.begin() + i);
                break;
            }
    }
    return FALSE;   // the parent may want it too
}

HTREEITEM CCheckedTreeCtrl::FindItemByText(HTREEITEM start, const char* text) const
{
    if (!text)
        return NULL;
    size_t length = strlen(text);
    for (HTREEITEM item = start ? start : GetRootItem(); item; item = GetNextSiblingItem(item)) {
        if (strncmp(GetItemText(item), text, length) == 0)
            return item;
        HTREEITEM child = GetChildItem(item);
        if (child) {
            HTREEITEM found = FindItemByText(child, text);
            if (found)
                return found;
        }
    }
    return NULL;
}

int CCheckedTreeCtrl::QueueChildren(HTREEITEM parent, const CString& category)
{
    int queued = 0;
    for (HTREEITEM child = GetChildItem(parent); child; child = GetNextSiblingItem(child)) {
        if (GetItemStateImage(child) == CheckedTreeUnchecked) {
            ++queued;
            if (m_pScanItems) {
                CString key = GetItemText(child) + "^" + category;
                m_pScanItems->AddPendingIgnore(key, 0, 0);
            }
        }
        queued += QueueChildren(child, category);
    }
    return queued;
}

int CCheckedTreeCtrl::QueueUncheckedItems(HTREEITEM item)
{
    if (!item || !ItemHasChildren(item))
        return 0;
    return QueueChildren(item, GetCategoryName(GetItemText(item)));
}

void CCheckedTreeCtrl::OnLButtonDown(UINT nFlags, CPoint point)
{
    UINT flags = 0;
    HTREEITEM item = HitTest(point, &flags);
    if (item && (flags & TVHT_ONITEMSTATEICON))
        ToggleCheck(item);
    CTreeCtrl::OnLButtonDown(nFlags, point);
}

void CCheckedTreeCtrl::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_SPACE) {
        HTREEITEM item = GetSelectedItem();
        // Categories and found items only: nothing deeper has a check box of its own.
        if (item && !GetParentItem(GetParentItem(item)))
            ToggleCheck(item);
    } else if (nChar == VK_APPS) {
        DWORD pos = GetMessagePos();
        ShowContextMenu(CPoint(short(LOWORD(pos)), short(HIWORD(pos))));
    }
    CTreeCtrl::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CCheckedTreeCtrl::OnClick(NMHDR*, LRESULT* pResult)
{
    *pResult = 0;
}

void CCheckedTreeCtrl::OnRClick(NMHDR*, LRESULT* pResult)
{
    DWORD pos = GetMessagePos();
    ShowContextMenu(CPoint(short(LOWORD(pos)), short(HIWORD(pos))));
    *pResult = 1;
}

void CCheckedTreeCtrl::ShowContextMenu(CPoint screenPoint)
{
    if (!m_nMenuId || !m_nMenuMessage)
        return;
    if (screenPoint.x == -1 && screenPoint.y == -1) {
        DWORD pos = GetMessagePos();
        screenPoint = CPoint(short(LOWORD(pos)), short(HIWORD(pos)));
    }
    CPoint client = screenPoint;
    ScreenToClient(&client);
    HTREEITEM item = HitTest(client);
    // Found items only: a category has nothing to ignore by itself.
    if (!item || !GetParentItem(item))
        return;
    SelectItem(item);
    m_hMenuItem = item;
    CMenu menu;
    if (!menu.LoadMenu(m_nMenuId))
        return;
    CMenu* popup = menu.GetSubMenu(0);
    if (popup)
        popup->TrackPopupMenu(0, screenPoint.x, screenPoint.y, this);
    menu.DestroyMenu();
}

void CCheckedTreeCtrl::OnIgnoreCommand()
{
    CWnd* parent = GetParent();
    if (m_nMenuMessage && parent)
        parent->PostMessage(m_nMenuMessage, 0, 0);
}
