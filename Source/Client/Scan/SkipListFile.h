// The skip list "LW.wth" in the program folder: texts, each ended by ";", that keep a found item
// out of the scan's results when the item's text contains one of them (without regard to case).
// The program never writes the file; a scan reads it once, when it starts.
#pragma once

#include <vector>

#include "Framework/CString.h"

// The skip list's path: "LW.wth" in the program folder.
CString SkipListFile();

// 1 when the item text contains an entry of the skip list at path. The file is opened with
// "a+" (so a missing one is created empty); when it cannot be opened or read the answer is 0.
// Entries are trimmed; the list ends at the first empty entry; a last fragment without ";" is
// not an entry.
int IsOnSkipList(const CString& path, const char* itemText);

// The skip list as read once: IsOnSkipList's answers without opening the file for each item.
class CSkipList {
public:
    // Reads the list at path as IsOnSkipList does (a missing file is created empty); a file
    // that cannot be opened or read leaves the list empty.
    void Load(const CString& path);
    // 1 when the item text contains one of the entries.
    int Contains(const char* itemText) const;

private:
    std::vector<CString> m_entries;   // lower case, trimmed
};
