// The texts and masks of the System Scan page that depend on nothing but their arguments: the
// size text, the fix's restriction of a selection to what the scan looked at, and the headline
// after a scan.
#pragma once

#include <windows.h>

#include "Framework/CString.h"

// "0 bytes" for 0 or less, "%I64d bytes" up to 1024 bytes, then "%.2f KB", MB, GB, TB, PB, EB
// by powers of 1024 (from 1025 bytes on for KB).
CString FormatSize(LONGLONG bytes);

// Keeps a category bit of selection only when scanned has it too, for the category bits of the
// kind (junk: the 23 bits the scan reports on; internet 0x1-0x10; system 0x1-0x8); every other
// bit of selection passes unchanged.
DWORD RestrictToScannedMask(int kind, DWORD selection, DWORD scanned);

// What a scan found: registry items, junk bytes, internet and system tweaks to change.
struct ScanFindings {
    int registryCount;
    LONGLONG junkSize;
    int internetCount;
    int systemCount;

    bool Any() const
    {
        return registryCount >= 1 || junkSize > 0 || internetCount != 0 || systemCount != 0;
    }
};

// The headline at the end of a scan: "Scan completed and PC health is good" with nothing found
// ("All Good!" with allGood set), otherwise "Scan found", " some " or " various ", what was
// found, and ". Fix it with One-Click".
CString ScanOutcomeHeadline(const ScanFindings& found, bool allGood);
