// CSysOptimDetailDlg: page 5 of the main window, the System Speed page: the system tweak
// scan's result by its four categories (Start/Shutdown Speed, System Stability, Display Speed,
// IO Speed), whose ticks choose what the next fix applies, with a popup per category.
//
// Usage: construct, Create as a child page. The scan page calls SetSysChecks when a system scan
// is done, ShowSysResults when its result carries a total above 0, and GetSelectedSysTypes when
// it applies the system tweaks. GUI thread only.
#pragma once

#include <windows.h>

#include "Client/Scan/OptimDetailPage.h"

class CSysOptimDetailDlg : public COptimDetailPage {
public:
    CSysOptimDetailDlg();

    // The stored system category choice "LastSelScanSysTypes" (a missing value gets the
    // default 0xF written).
    static DWORD GetLastSelScanSysTypes();

    void ShowSysResults(int total, COptimizerSettings* settings) { ShowResults(total, settings); }
    // Ticks box k from bit k of the system mask the scan used.
    void SetSysChecks(DWORD mask) { SetChecks(mask); }
    // The ticked boxes as SysTweakTypeMask bits (1061: 0x1, 1062: 0x2, 1070: 0x4, 1063: 0x8).
    DWORD GetSelectedSysTypes() { return GetSelectedTypes(); }

protected:
    void ShowCategoryDetails(int category) override;
};
