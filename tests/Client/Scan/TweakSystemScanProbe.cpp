// Runs the system tweak scan of every category and reports its total as its exit code. Carries
// the program's manifest, so it sees the Windows version the program sees.
#include <stdio.h>

#include "Frame/SystemFunctions.h"
#include "Scan/OptimizerSettings.h"

int main()
{
    DWORD build = 0;
    int code = GetWindowsVersion(&build);
    COptimizerSettings settings;
    settings.ScanSystemTweaks(NULL, 0xF);
    printf("version code %d build %lu: %d system tweaks to change\n", code, build,
           settings.GetSysTotal());
    return settings.GetSysTotal();
}
