// Shared pieces of the list deletion tests: the library whose code must never run, and what it
// leaves behind when it does.
#ifndef VELMORA_TESTS_LIST_DELETIONS_SUPPORT_H
#define VELMORA_TESTS_LIST_DELETIONS_SUPPORT_H

#include <windows.h>

#include <string>

namespace listdeletions {

const char LibraryName[] = "velmora_list_library.dll";

// The test library beside the test program.
inline std::string LibraryPath()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.rfind('\\') + 1) + LibraryName;
}

// "" while none of the library's code ran in this process, else where it ran.
inline std::string LibraryCodeRan()
{
    char value[32] = {};
    return GetEnvironmentVariableA("VELMORA_LIST_LIBRARY_RAN", value, sizeof value) ? value : "";
}

inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace listdeletions

#endif
