// CListCtrl_ToolTip: the list control of the tool pages: double-buffered, full-row selection,
// grid lines, and a tooltip with the whole label when a label is cut.
#pragma once

#include "Framework/CListCtrl.h"

class CListCtrl_ToolTip : public CListCtrl
{
public:
    CListCtrl_ToolTip() {}

protected:
    void PreSubclassWindow() override;
};
