// The files the program keeps beside itself, and the free-space test.
#include "Frame/ProgramPaths.h"

CString GetServicesStatsPath()
{
    CString folder = GetProgramFolder();
    folder.TrimRight('\\');
    return folder + "\\" + "SRVS_STATS.xml";
}

BOOL HasFreeDiskSpace(const CString& path, unsigned long long megabytes)
{
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA(path, &available, &total, &free))
        return FALSE;
    return free.QuadPart >= megabytes * 1048576ULL;
}
