// The worker's record for the System Scan page (see ScanStatusRecord.h).
#include "Client/Scan/ScanStatusRecord.h"

namespace {

// The junk results' section order: Windows (with the installer cache last), Chrome, Firefox,
// Internet Explorer, Edge; each group in rising bit order.
const DWORD JunkCounterOrder[JunkCounterCount] = {
    0x1,      0x2,      0x4,       0x8,       0x10,      0x20,     0x200000,
    0x10000,  0x20000,  0x40000,   0x80000,   0x100000,
    0x800,    0x1000,   0x2000,    0x4000,    0x8000,
    0x40,     0x80,     0x100,     0x200,     0x400,
    0x400000, 0x800000, 0x1000000, 0x2000000,
};

}  // namespace

int JunkCounterIndex(DWORD category)
{
    for (int i = 0; i < JunkCounterCount; ++i)
        if (JunkCounterOrder[i] == category)
            return i;
    return -1;
}

void ScanStatusRecord::ResetCounts()
{
    registryCount = 0;
    registryChanged = true;
    junkSize = 0;
    junkCount = 0;
    cleanedSize = 0;
    junkChanged = false;
}

void ScanStatusRecord::ResetJunkSections()
{
    for (LONGLONG& counter : junkCounters)
        counter = 0;
    sectionCategory = 0;
    sectionStartSize = 0;
    sectionIndex = 0;
    openEntries.clear();
    closedSections.clear();
}

void ScanStatusRecord::AddBarMove(int move)
{
    if (move == BarRestartWhenFull && !barMoves.empty() && barMoves.back() == BarRestartWhenFull)
        return;
    barMoves.push_back(move);
    dirty = true;
}
