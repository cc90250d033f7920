// CMsgBoxDlg: the skinned message box, and ShowMessageBox, the program's one way to show one.
//
// Types: 0 a single "OK" (every way of closing gives IDOK); 1 "OK" / "Cancel" (IDOK or IDCANCEL,
// the close button counts as Cancel); 4 "YES" / "NO" (IDYES or IDNO, the close button counts as
// NO). Any other type behaves as type 1. Texts of 70 characters or more go to the long-text
// control, shorter ones to the short-text control, in a font sized by the length.
// ShowMessageBox may be called on any thread that can run a message loop, workers included: the
// box and its overlay then belong to that thread.
#pragma once

#include <windows.h>

#include "Framework/CGdiObject.h"
#include "Framework/CStatic.h"
#include "Framework/CString.h"
#include "Skin/Style.h"
#include "Skin/StyleButton.h"
#include "Skin/StyleDialog.h"

// Message-box types.
enum {
    MessageBoxOk = 0,
    MessageBoxOkCancel = 1,
    MessageBoxYesNo = 4
};

class CMsgBoxDlg : public StyleDialog
{
public:
    CMsgBoxDlg(CWnd* pParent, CString text, int type);

    BOOL OnInitDialog() override;

    // The height of the text font for a message of this length.
    static int GetTextFontHeight(int length);
    // Maps the dialog's own result (IDOK from "OK"/"YES", IDCANCEL from the others) to the
    // result of a box of this type.
    static int MapResult(int type, int dialogResult);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnEraseBkgnd(CDC* pDC);
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    void OnNegative();
    void OnPositive();
    DECLARE_MESSAGE_MAP()

private:
    void BuildFrame();
    void SetUpButton(StyleButton& button, const char* caption, bool positive);

    Style m_Style;
    CFont m_TextFont;
    CString m_Text;
    int m_nType;
    StyleButton m_CloseButton;   // "X"
    StyleButton m_YesButton;     // "OK" or "YES"
    StyleButton m_NoButton;      // "Cancel" or "NO"
    StyleButton m_OkButton;      // the single "OK"
    CStatic m_LongText;
    CStatic m_ShortText;
};

// Shows text in a message box of the given type and returns the result the type gives. With
// overlay set the box runs over a dimming overlay of overlayOwner (NULL: the main window), which
// becomes the box's parent when parent is NULL; without a parent the box belongs to the main
// window.
int ShowMessageBox(CWnd* parent, CString text, int type, BOOL overlay, CWnd* overlayOwner = NULL);
