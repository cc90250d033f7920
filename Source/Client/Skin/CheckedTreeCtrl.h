// CCheckedTreeCtrl: the two-level check tree of the registry results. Category items (a name
// and a count in square brackets) hold found items; each item has a check box drawn from the
// state images (1 unchecked, 2 checked, 3 partly checked), and a category shows checked,
// unchecked or partly checked from its children.
//
// Item data: a found item holds the category code it was added with; a category holds the
// number of its checked children, counted again after every toggle (so a category whose items
// are all checked shows checked, however the checks came about).
// The context menu's one command is posted to the parent; unchecked items are handed to the
// found-items store as items to ignore. GUI thread only.
//
// The control keeps its own record of the categories it added and of their found items (the
// name, the code and text of each item, how many there are), so that adding an item, finding a
// category and counting its items send the tree view no message about other items: a tree view
// may look every item handle up among all items, and a walk over a category per added item made
// a fill of thousands of items take seconds. The record follows deletions through the reflected
// TVN_DELETEITEM, so the parent must reflect notifications (every framework window does).
// Likewise a change to many items at once (a category's tick carried to its items, a refill)
// holds the tree's drawing: each change to a shown item would otherwise be drawn at once.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Engine/Interfaces/EngineInterfaces.h"
#include "Framework/CImageList.h"
#include "Framework/CMenu.h"
#include "Framework/CString.h"
#include "Framework/CTreeCtrl.h"
#include "Framework/Collections.h"

// States of the check box (state image indexes).
enum CheckedTreeState {
    CheckedTreeUnchecked = 1,
    CheckedTreeChecked = 2,
    CheckedTreePartly = 3
};

class CCheckedTreeCtrl : public CTreeCtrl
{
public:
    struct CategoryCount {
        CString name;
        int count;               // items added under the category
    };

    CCheckedTreeCtrl();

    // The category name of an item text: the text up to its first "[", blanks trimmed.
    static CString GetCategoryName(const CString& text);

    BOOL InitImageLists();
    void SetContextMenu(UINT menuId, UINT message) { m_nMenuId = menuId; m_nMenuMessage = message; }
    // The store that QueueUncheckedItems hands its items to (not owned).
    void SetScanItemsInfo(CAbstractScanItemsInfo* store) { m_pScanItems = store; }

    HTREEITEM AddCategory(CString text, int image);
    // NULL when nothing was added (no such category, or the same text and code are there).
    HTREEITEM AddCategoryItem(int code, CString category, const char* text, int image);
    void ToggleCheck(HTREEITEM item);
    int CountCheckedChildren(HTREEITEM item) const;
    // Returns the number of children given the state (0 when the parent is partly checked).
    int SetChildrenState(int state, HTREEITEM parent);
    HTREEITEM FindItemByText(HTREEITEM start, const char* text) const;
    // The first top-level item whose text starts with text (found items are not looked at).
    HTREEITEM FindCategoryByText(const char* text) const;
    // The number of children of item: for a category added here, the found items added under
    // it and not deleted since, without asking the tree view about each.
    int GetChildCount(HTREEITEM item) const;
    // As CTreeCtrl::SetItemText; a category added here is then found by its new name.
    BOOL SetItemText(HTREEITEM item, LPCSTR text);

    // Holds the tree's drawing over many changes (the tree is not visible meanwhile, as
    // WM_SETREDRAW leaves a window); when the last hold ends the tree is drawn again as a
    // whole. Holds nest.
    void HoldRedraw();
    void ReleaseRedraw();
    int QueueUncheckedItems(HTREEITEM item);

    int GetItemCheck(HTREEITEM item) const { return GetItemStateImage(item); }

    // --- the counts the results page keeps in step with the tree --------------------------------
    int GetTotalCount() const { return m_nTotal; }
    void SetTotalCount(int total) { m_nTotal = total; }
    // -1 when the category is not in the map.
    int GetCategoryCount(const CString& name) const;
    void SetCategoryCount(const CString& name, int count);
    // Empties both category maps and the total (the items stay: delete them separately).
    void ResetCounts();
    HTREEITEM GetMenuItem() const { return m_hMenuItem; }

protected:
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnIgnoreCommand();
    BOOL OnDeleteItemNotify(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    // A found item's identity under its category: its code and its text in lower case (texts
    // that differ only in case are the same item).
    typedef std::pair<int, std::string> ItemKey;
    struct CategoryRecord {
        HTREEITEM item;
        CString name;
        std::set<ItemKey> keys;   // one per found item under the category
    };
    struct FoundItemRecord {
        HTREEITEM category;
        ItemKey key;
    };

    void ShowContextMenu(CPoint screenPoint);
    // The first category added here (in tree order) with that name; NULL when there is none.
    CategoryRecord* FindRoot(const CString& category);
    const CategoryRecord* FindRecord(HTREEITEM item) const;
    int QueueChildren(HTREEITEM parent, const CString& category);

    CMap<CString, const CString&, CategoryCount, const CategoryCount&> m_Categories;
    CMap<CString, const CString&, HTREEITEM, HTREEITEM> m_CategoryItems;   // name -> root item
    int m_nTotal;
    CImageList m_Images;
    CImageList m_StateImages;
    UINT m_nMenuId;
    UINT m_nMenuMessage;
    HTREEITEM m_hMenuItem;
    CAbstractScanItemsInfo* m_pScanItems;
    std::vector<CategoryRecord> m_CategoryRecords;   // in the order they were added
    std::map<HTREEITEM, FoundItemRecord> m_FoundItems;
    int m_nRedrawHolds;
    bool m_bRedrawHidden;   // the first hold took WS_VISIBLE away
};
