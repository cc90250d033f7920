// Reports GetWindowsVersion (and IsWow64) of its own process as its exit code: code + 100 * IsWow64.
// Run by the version tests with a per-program Windows version set in the prefix.
#include <stdio.h>

#include "Frame/SystemFunctions.h"

int main()
{
    DWORD build = 0;
    int code = GetWindowsVersion(&build);
    printf("version code %d build %lu\n", code, build);
    return code + (IsWow64() ? 100 : 0);
}
