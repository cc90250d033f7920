// CInetOptimDetailDlg: page 4 of the main window, the Internet Speed page: the internet tweak
// scan's result by its five categories (Networking, WinSock, Internet Explorer, Workstation,
// DNS Cache), whose ticks choose what the next fix applies, with a popup per category.
//
// Usage: construct, Create as a child page. The scan page calls SetInetChecks when an internet
// scan is done, ShowInetResults when its result carries a total above 0, and
// GetSelectedInetTypes when it applies the internet tweaks. GUI thread only.
#pragma once

#include <windows.h>

#include "Client/Scan/OptimDetailPage.h"

class CInetOptimDetailDlg : public COptimDetailPage {
public:
    CInetOptimDetailDlg();

    // The stored internet category choice "LastSelScanInetTypes" (a missing value gets the
    // default 0x1F written).
    static DWORD GetLastSelScanInetTypes();

    // Keeps the settings (not owned) and fills the total line and the count lines.
    void ShowInetResults(int total, COptimizerSettings* settings) { ShowResults(total, settings); }
    // Ticks box k from bit k of the internet mask the scan used.
    void SetInetChecks(DWORD mask) { SetChecks(mask); }
    // The ticked boxes as InetTweakTypeMask bits (1041: 0x1 ... 1045: 0x10).
    DWORD GetSelectedInetTypes() { return GetSelectedTypes(); }

protected:
    void ShowCategoryDetails(int category) override;
};
