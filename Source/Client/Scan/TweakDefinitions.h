// The 78 Windows registry settings the program tunes, one row each (the row is the tweak's id),
// and the categories that group them: rows 0-53 are internet tweaks, rows 54-77 system tweaks,
// and the rows of one category are contiguous.
#ifndef VELMORA_SCAN_TWEAK_DEFINITIONS_H
#define VELMORA_SCAN_TWEAK_DEFINITIONS_H

#include <windows.h>

#include "Scan/ScanCategories.h"

const int TweakRowCount = 78;
const int TweakInternetRowCount = 54;     // rows 0-53; the system rows are 54-77
const int TweakNoRow = TweakRowCount;     // the id of an item no row has been given yet

// One row: seven texts.
struct TweakDefinition {
    const char* valueName;    // the registry value (row 42: the setting is its key's existence)
    const char* displayName;  // shown in the popups' "Name" column
    const char* keyPath;      // full path from "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER";
                              // "{0}" stands for the active network interface's key
    const char* category;     // "TCP/IP", "WinSock", ... (compared without regard to case)
    const char* description;  // one sentence, shown in the popups' "Description" column
    const char* view;         // "all", or "64" for a row opened in the 64-bit registry view
    const char* type;         // "dwrd" or "str" (a signed decimal number in a REG_SZ); any type
                              // but "str" is a REG_DWORD
};

extern const TweakDefinition TweakDefinitionTable[TweakRowCount];

// The row whose setting is the existence of a key rather than a value.
const int TweakRowWorkstationTS = 42;
// The rows whose optimal value comes from the network probes.
const int TweakRowGlobalMaxTcpWindowSize = 7;
const int TweakRowMtu = 10;
const int TweakRowTcpWindowSize = 25;

// A category: its mask bit within its kind's mask and its rows.
struct TweakCategoryRows {
    int kind;              // ScanKindInternet or ScanKindSystem
    DWORD bit;             // InetTweakTypeMask or SysTweakTypeMask bit
    const char* category;  // the rows' category text
    int firstRow;
    int lastRow;
};

const int TweakCategoryCount = 9;
// In row order: the five internet categories, then the four system ones.
extern const TweakCategoryRows TweakCategoryTable[TweakCategoryCount];

// The category of a row, found by its category text without regard to case; null for a row
// outside the table.
const TweakCategoryRows* FindTweakCategory(int row);
// The category of a kind with a given mask bit; null when there is none.
const TweakCategoryRows* FindTweakCategoryByBit(int kind, DWORD bit);

// Whether a row is one of the two TCP window rows, whose difference from the optimal is judged
// as a percentage ("GlobalMaxTcpWindowSize", "TcpWindowSize", without regard to case).
bool IsTcpWindowRow(int row);
// |current / optimal x 100 - 100| with both values taken as unsigned 32-bit floats.
float TcpWindowDeviation(int current, int optimal);

#endif
