// ScanStatusRecord: what the engine's worker reports to the System Scan page, kept under one
// lock. The worker's status slots write it and post the page one refresh message only when none
// is pending; the page's thread takes the news and shows them. So the worker never touches a
// window, never waits for the page, and a scan of 100,000 files is not 100,000 messages.
#pragma once

#include <windows.h>

#include <atomic>
#include <utility>
#include <vector>

#include "Framework/CString.h"
#include "Framework/CriticalSection.h"

// News of one junk category for the junk results: the entries reported since the page last
// looked and, once the category's reports are over (complete), its size and count.
struct JunkSectionPart {
    DWORD category = 0;
    bool complete = true;
    ULONGLONG size = 0;
    ULONGLONG count = 0;
    std::vector<std::pair<CString, ULONGLONG>> entries;
};

// Moves of the overall bar, in the order they were asked for.
enum ScanBarMove {
    BarStep = -1,           // one step on
    BarRestartWhenFull = -2 // back to 0 when at 100 or more
    // 0-100: to that position
};

// The per-category junk counters, in the order the junk results list their sections.
enum { JunkCounterCount = 26 };
// The counter of a junk category bit; -1 for a bit outside the list.
int JunkCounterIndex(DWORD category);

class ScanStatusRecord {
public:
    CCriticalSection lock;

    // --- written by the worker, taken by the page (under the lock) ----------------------------
    CString statusText;
    bool statusTextChanged = false;
    std::vector<int> barMoves;
    CString lastStage;
    int registryCount = 0;
    bool registryChanged = false;
    LONGLONG junkSize = 0;
    LONGLONG junkCount = 0;
    LONGLONG cleanedSize = 0;
    bool junkChanged = false;
    LONGLONG junkCounters[JunkCounterCount] = {};
    DWORD sectionCategory = 0;
    LONGLONG sectionStartSize = 0;
    int sectionIndex = 0;
    std::vector<std::pair<CString, ULONGLONG>> openEntries;
    std::vector<JunkSectionPart> closedSections;
    bool backupFailed = false;
    // Something changed since the page last looked.
    bool dirty = false;

    // --- the message ------------------------------------------------------------------------
    // Set when the refresh message was posted; the page clears it when it has caught up.
    std::atomic<bool> refreshPending{false};
    // Refresh messages posted (for measurements).
    std::atomic<long> refreshPosts{0};

    // Zeroes the counts and sizes, the junk sections and their counters (under the lock).
    void ResetCounts();
    void ResetJunkSections();
    // Adds a bar move (under the lock); repeated restarts count once.
    void AddBarMove(int move);
};
