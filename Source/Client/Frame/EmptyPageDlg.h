// CEmptyPageDlg: a page of the main window whose own dialog is still to come; an empty page of
// the content area's size, so page switching already works with all eight pages.
#ifndef VELMORA_FRAME_EMPTY_PAGE_DLG_H
#define VELMORA_FRAME_EMPTY_PAGE_DLG_H

#include "Framework/CDialog.h"

class CEmptyPageDlg : public CDialog {
public:
    explicit CEmptyPageDlg(UINT templateId) : CDialog(templateId, NULL) {}
};

#endif
