// The skip list "LW.wth" in the program folder: texts, each ended by ";", that keep a found item
// out of the scan's results when the item's text contains one of them (without regard to case).
// The program never writes the file; it is read again for every found item.
#pragma once

#include "Framework/CString.h"

// The skip list's path: "LW.wth" in the program folder.
CString SkipListFile();

// 1 when the item text contains an entry of the skip list at path. The file is opened with
// "a+" (so a missing one is created empty); when it cannot be opened or read the answer is 0.
// Entries are trimmed; the list ends at the first empty entry; a last fragment without ";" is
// not an entry.
int IsOnSkipList(const CString& path, const char* itemText);
