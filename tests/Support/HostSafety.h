// The check every deleting test makes before it deletes anything: the prefix it runs in has no
// drive for the host's root, and the host folders Wine hands deleted files to (the trash under
// XDG_DATA_HOME) lie in the scratch folder that holds the prefix, not in the developer's home.
#ifndef VELMORA_TESTS_HOST_SAFETY_H
#define VELMORA_TESTS_HOST_SAFETY_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Framework/ProcAddress.h"

namespace hostsafety {

inline std::string Variable(const char* name)
{
    char value[4096] = {};
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value) : std::string();
}

inline std::string Parent(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

// Fails the test at once unless the prefix is sandboxed.
inline void AssertSandboxedPrefix()
{
    typedef char*(CDECL * UnixFileNameFunction)(LPCWSTR);
    const auto unixName =
        GetProcAddressAs<UnixFileNameFunction>(GetModuleHandleA("kernel32"), "wine_get_unix_file_name");
    ASSERT_NE(unixName, nullptr) << "not running under Wine";
    const DWORD drives = GetLogicalDrives();
    for (int d = 0; d < 26; ++d) {
        if (!(drives & (1u << d)))
            continue;
        WCHAR root[] = {static_cast<WCHAR>(L'A' + d), L':', L'\\', 0};
        char* host = unixName(root);
        if (!host)
            continue;
        std::string path(host);
        HeapFree(GetProcessHeap(), 0, host);
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        ASSERT_NE(path, "/") << "drive " << char('A' + d) << ": is the host's root";
    }
    const std::string prefix = Variable("WINEPREFIX"), data = Variable("XDG_DATA_HOME");
    const std::string scratch = Parent(prefix);
    ASSERT_FALSE(scratch.empty()) << "WINEPREFIX is not set";
    ASSERT_EQ(data.compare(0, scratch.size() + 1, scratch + "/"), 0)
        << "XDG_DATA_HOME " << data << " is not in " << scratch;
}

}  // namespace hostsafety

#endif
