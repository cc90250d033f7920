// The scan categories as the user sees them: for each of the four kinds of work (registry,
// junk, internet tweaks, system tweaks) the rows of the Customize Scan lists with their bits,
// names and descriptions; the all-categories and default masks of each kind; and the four
// stored choices "LastSelScan...Types" of the settings key. The scan page, the results pages
// and the Customize Scan dialog all read them from here.
#pragma once

#include <windows.h>

// The kind numbers the mask functions take.
enum ScanKind {
    ScanKindRegistry = 1,
    ScanKindJunk = 2,
    ScanKindInternet = 3,
    ScanKindSystem = 4,
};
const int ScanKindCount = 4;

// One row of a category list. The registry rows take their display name from the string table
// (nameId); the other rows carry it as name.
struct ScanCategoryRow {
    DWORD bit;
    const char* name;
    UINT nameId;
    const char* description;
};

// The rows of a kind's list, in list order; count gets their number (0 for an unknown kind).
const ScanCategoryRow* GetScanCategoryRows(int kind, int* count);

// The all-categories and default masks of a kind; 0 for any other number.
DWORD GetAllScanItemsMask(int kind);
DWORD GetDefaultScanItemsMask(int kind);

// The name of the stored choice of a kind ("LastSelScanRegTypes" ...); NULL for another number.
const char* GetLastSelScanValueName(int kind);

// The stored choice of a kind. When the settings key cannot be opened, the default (nothing is
// written); when the value is missing or no 4-byte REG_DWORD, the default, written back as
// REG_DWORD; otherwise the stored number as it is, even 0.
DWORD GetLastSelScanTypes(int kind);
DWORD GetLastSelScanRegTypes();

// Writes the four choices (indexed by kind - 1) in kind order; a key that cannot be opened
// loses them without a word, and single failed writes are passed over.
void SaveLastSelScanTypes(const DWORD masks[ScanKindCount]);

