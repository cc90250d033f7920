// CScanResultsOwner: the scan page as the registry and junk results pages call it. The
// registry results change the registry row after an ignore; both pages take their place from
// the scan page's result area; the junk results tick the categories the junk scan ran with.
// The scan page implements it; the pages hold a pointer (not owned) and work without one.
// GUI thread only.
#pragma once

#include <windows.h>

class CScanResultsOwner {
public:
    virtual ~CScanResultsOwner() {}

    // The scan page's result area (its control 1015) in screen coordinates; FALSE when there
    // is none.
    virtual BOOL GetResultArea(RECT* screenRect) = 0;

    // --- the registry row ---------------------------------------------------------------------
    // The registry count, and its text 1016 ("%d").
    virtual void SetRegistryCount(int count) = 0;
    // The registry row's gauge position (1 good, 2 items found).
    virtual void SetRegistryGauge(int position) = 0;
    // Row mark value of row (0 registry); row 99 sets all four.
    virtual void SetCategoryValue(int value, int row) = 0;
    // The registry row's result text 1143 reads "Good" and is shown; its Details button 1152
    // is hidden.
    virtual void ShowRegistryRowGood() = 0;
    // Recomposes the headline and buttons (10: as after a scan, "All Good!" with nothing left).
    virtual void UpdateSummaryText(int code) = 0;

    // --- the junk row -------------------------------------------------------------------------
    // The junk categories the running or last junk scan was started with.
    virtual DWORD GetScannedJunkMask() = 0;
};
