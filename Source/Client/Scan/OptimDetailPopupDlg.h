// The popups of the Internet Speed and System Speed pages: the settings of one tweak category
// that are not at their optimal value, by name and description in table order, over a dimming
// overlay of the main window. "X" closes a popup.
//
// Usage: a page constructs one on the stack and calls ShowDetails, which runs it modally and
// returns when it closed. GUI thread only.
#pragma once

#include <windows.h>

#include "Client/Scan/OptimizerSettings.h"
#include "Client/Skin/BlackLayerDlg.h"
#include "Client/Skin/Style.h"
#include "Client/Skin/StyleButton.h"
#include "Client/Skin/StyleDialog.h"
#include "Framework/CListCtrl.h"

// What the two popups share; the derived classes name their template and controls.
class COptimDetailPopupDlg : public StyleDialog {
public:
    // kind: ScanKindInternet or ScanKindSystem.
    COptimDetailPopupDlg(UINT templateId, int kind, int closeId, int frameId, int listId);

    // Keeps category (1-based, in the kind's category order) and settings, lays the overlay over
    // the main window and runs the popup modally; the overlay goes when the popup closed.
    INT_PTR ShowDetails(int category, COptimizerSettings* settings);

    // Whether the popup lists an item: it is not at its optimal value (a TCP window row only
    // when it is more than 10 percent off).
    static bool IsListed(const COptimizerItem& item);

    CListCtrl& GetList() { return m_List; }
    CBlackLayerDlg& GetOverlay() { return m_Overlay; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    DECLARE_MESSAGE_MAP()

private:
    void FillList();
    CRect ControlRect(int id);

    int m_nKind;
    int m_nCloseId;
    int m_nFrameId;
    int m_nListId;
    CBlackLayerDlg m_Overlay;
    StyleButton m_CloseButton;
    CListCtrl m_List;
    Style m_HeaderStyle;
    int m_nNameWidth;
    int m_nCategory;
    COptimizerSettings* m_pSettings;
};

// The popup of an internet category (1 Networking ... 5 DNS Cache).
class CInetOptimDetailPopupDlg : public COptimDetailPopupDlg {
public:
    CInetOptimDetailPopupDlg();
};

// The popup of a system category (1 Start/Shutdown Speed ... 4 IO Speed).
class CSysOptimDetailPopupDlg : public COptimDetailPopupDlg {
public:
    CSysOptimDetailPopupDlg();
};
