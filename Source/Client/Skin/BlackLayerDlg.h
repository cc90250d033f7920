// CBlackLayerDlg: the dimming overlay, a translucent black popup laid over its owner (or the
// whole screen) while a modal dialog runs; and DoModalWithOverlay, the one way the program runs
// a modal dialog over it.
//
// The overlay is an owned popup, not a child: it lives in screen coordinates and needs no
// layered-child support from the system. It is disabled while the modal dialog runs, so a click
// on the dimmed area can never bring it above the dialog.
#pragma once

#include <windows.h>

#include "Framework/CDialog.h"
#include "Framework/CGdiObject.h"

class CBlackLayerDlg : public CDialog
{
public:
    explicit CBlackLayerDlg(CWnd* pParent = NULL);

    // Creates the overlay as an owned popup of pOwner (unless it exists already), shows it with
    // showCommand and lays it over pOwner's window rectangle, or over the desktop's when
    // coverScreen is set or there is no owner. FALSE when the window cannot be made.
    BOOL ShowOver(CWnd* pOwner, BOOL coverScreen, int showCommand);

    BOOL OnInitDialog() override;

protected:
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    DECLARE_MESSAGE_MAP()

private:
    CBrush m_BlackBrush;
};

// Runs pDialog modally over a dimming overlay of pOwner (NULL: the application's main window)
// and returns the dialog's result; the overlay is destroyed afterwards.
int DoModalWithOverlay(CDialog* pDialog, CWnd* pOwner = NULL, BOOL coverScreen = FALSE,
                       int showCommand = SW_SHOW);
