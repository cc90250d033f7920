// RemoveFolderTree: deletes a folder a test or benchmark made, with everything in it. Read-only
// files are made writable first. A linked folder or file inside (a reparse point, such as the
// host links the link tests make) is removed as the link and never entered, so whatever it
// leads to stays as it was.
#ifndef VELMORA_TESTS_FOLDER_TREE_H
#define VELMORA_TESTS_FOLDER_TREE_H

#include <windows.h>

#include <string>

#include "Framework/FileFind.h"

inline void RemoveFolderTree(const std::string& folder)
{
    CFindHandle find;
    WIN32_FIND_DATAA entry;
    for (BOOL more = find.FindFirst((folder + "\\*").c_str(), entry); more; more = find.FindNext(entry)) {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "\\" + name;
        const bool link = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (!link)
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA(path.c_str());
        else if (!link)
            RemoveFolderTree(path);
        else if (!RemoveDirectoryA(path.c_str()))
            DeleteFileA(path.c_str());  // a host link to a folder may only go as a file
    }
    find.Close();
    RemoveDirectoryA(folder.c_str());
}

#endif
