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
    FILE* file = fopen(path, "a+");
    if (!file) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        file = fopen(path, "a+");
        if (!file)
            return 0;
    }
    CString text;
    const bool read = ReadWholeFile(file, &text);
    fclose(file);
    if (!read)
        return 0;
    text.MakeLower();
    CString item(itemText);
    item.MakeLower();

    int start = 0;
    for (;;) {
        const int end = text.Find(';', start);
        if (end < 0)
            return 0;
        CString entry = text.Mid(start, end - start);
        entry.Trim();
        if (entry.IsEmpty())
            return 0;
        if (item.Find(entry) >= 0)
            return 1;
        start = end + 1;
    }
}
