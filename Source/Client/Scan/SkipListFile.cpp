// The skip list (see SkipListFile.h).
#include "Client/Scan/SkipListFile.h"

#include <windows.h>

#include <stdio.h>

#include "Frame/ProgramPaths.h"

namespace {

const size_t ReadChunk = 499;

// The whole file as text; false on a read error.
bool ReadWholeFile(FILE* file, CString* text)
{
    char chunk[ReadChunk + 1];
    rewind(file);
    for (;;) {
        const size_t got = fread(chunk, 1, ReadChunk, file);
        if (got > 0) {
            chunk[got] = '\0';
            // A zero byte inside the file ends that chunk's text, as the list holds only text.
            *text += chunk;
        }
        if (got < ReadChunk)
            return !ferror(file);
    }
}

}  // namespace

CString SkipListFile()
{
    return GetProgramFolder() + "LW.wth";
}

int IsOnSkipList(const CString& path, const char* itemText)
{
    if (!itemText)
        return 0;
    CSkipList list;
    list.Load(path);
    return list.Contains(itemText);
}

void CSkipList::Load(const CString& path)
{
    m_entries.clear();
    FILE* file = fopen(path, "a+");
    if (!file) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        file = fopen(path, "a+");
        if (!file)
            return;
    }
    CString text;
    const bool read = ReadWholeFile(file, &text);
    fclose(file);
    if (!read)
        return;
    text.MakeLower();

    int start = 0;
    for (;;) {
        const int end = text.Find(';', start);
        if (end < 0)
            return;
        CString entry = text.Mid(start, end - start);
        entry.Trim();
        if (entry.IsEmpty())
            return;
        m_entries.push_back(entry);
        start = end + 1;
    }
}

int CSkipList::Contains(const char* itemText) const
{
    if (!itemText || m_entries.empty())
        return 0;
    CString item(itemText);
    item.MakeLower();
    for (const CString& entry : m_entries) {
        if (item.Find(entry) >= 0)
            return 1;
    }
    return 0;
}
