// CEmptyPageDlg: a page of the main window whose own dialog is still to come; a white skinned
// page of the content area's size, so page switching already works with all eight pages.
#ifndef VELMORA_FRAME_EMPTY_PAGE_DLG_H
#define VELMORA_FRAME_EMPTY_PAGE_DLG_H

#include "Skin/StyleDialog.h"

class CEmptyPageDlg : public StyleDialog {
public:
    explicit CEmptyPageDlg(UINT templateId) : StyleDialog(templateId, NULL) {}

protected:
    BOOL OnInitDialog() override
    {
        StyleDialog::OnInitDialog();
        SetupBorderStyle(m_frameStyle, BorderStyleWhiteWindow);
        return TRUE;
    }
};

#endif
