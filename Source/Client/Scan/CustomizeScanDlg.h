// CCustomizeScanDlg: the Customize Scan dialog, where the user ticks the categories of each of
// the four kinds of work (registry, junk, internet tweaks, system tweaks), one tab and one list
// per kind. Opening it ticks the rows from the stored choices (a missing choice gets its default
// stored); "Reset" ticks the defaults; "X" stores the four ticked masks and closes it. Escape
// does not close it.
//
// Usage: construct on the stack and run it with DoModalWithOverlay; its result means nothing.
// GUI thread only.
#pragma once

#include <windows.h>

#include "Client/Scan/ScanCategories.h"
#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Framework/CImageList.h"
#include "Framework/CListCtrl.h"

class CCustomizeScanDlg : public StyleDialog {
public:
    explicit CCustomizeScanDlg(CWnd* pParent = NULL);

    // The masks of the ticked rows of each list; a list that has no window gives 0.
    DWORD GetRegScanTypes() { return GetListTypes(ScanKindRegistry); }
    DWORD GetJunkScanTypes() { return GetListTypes(ScanKindJunk); }
    DWORD GetInetTweakTypes() { return GetListTypes(ScanKindInternet); }
    DWORD GetSysTweakTypes() { return GetListTypes(ScanKindSystem); }
    // Tick each row whose bit is in mask and untick the others; bits without a row are dropped.
    void SetRegScanTypes(DWORD mask) { SetListTypes(ScanKindRegistry, mask); }
    void SetJunkScanTypes(DWORD mask) { SetListTypes(ScanKindJunk, mask); }
    void SetInetTweakTypes(DWORD mask) { SetListTypes(ScanKindInternet, mask); }
    void SetSysTweakTypes(DWORD mask) { SetListTypes(ScanKindSystem, mask); }

    // Stores the four masks of the ticked rows ("LastSelScanRegTypes" ... in kind order).
    void SaveSelections();

    // The list of a kind (1-4) and the tab shown (0 registry ... 3 system).
    CListCtrl& GetList(int kind) { return m_Lists[kind - 1]; }
    int GetSelectedTab() const { return m_nSelectedTab; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnCloseButton();
    void OnReset();
    void OnTab(UINT id);
    DECLARE_MESSAGE_MAP()

private:
    DWORD GetListTypes(int kind);
    void SetListTypes(int kind, DWORD mask);
    void SelectTab(int tab);
    void BuildFrame();
    void SetUpButtons();
    void SetUpLists();
    CRect ControlRect(int id);

    Style m_BackgroundStyle;    // the header strip behind the lists' column titles
    CImageList m_RowImages;
    StyleButton m_CloseButton;   // 1005
    StyleButton m_TabButtons[ScanKindCount];   // 1143-1146
    StyleButton m_ResetButton;   // 1010
    CListCtrl m_Lists[ScanKindCount];          // 1148-1151
    int m_nSelectedTab;
};
