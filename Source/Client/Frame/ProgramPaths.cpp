// The program's own path and folder, taken from the loaded module rather than the command line,
// so a start by bare file name (or through a link) still finds the files beside the program.
#include "Frame/ProgramPaths.h"

namespace {

// Module paths may exceed MAX_PATH on systems with long paths; the buffer grows a few times.
const DWORD FirstPathBuffer = MAX_PATH;
const int PathGrowAttempts = 4;

}  // namespace

CString GetProgramPath()
{
    CString path;
    DWORD capacity = FirstPathBuffer;
    for (int attempt = 0; attempt < PathGrowAttempts; ++attempt, capacity *= 4) {
        char* buffer = path.GetBuffer(static_cast<int>(capacity));
        DWORD length = GetModuleFileNameA(NULL, buffer, capacity);
        if (length == 0) {
            path.ReleaseBuffer(0);
            return path;
        }
        if (length < capacity) {
            path.ReleaseBuffer(static_cast<int>(length));
            return path;
        }
        path.ReleaseBuffer(0);
    }
    return path;
}

CString GetProgramFolder()
{
    CString path = GetProgramPath();
    int slash = path.ReverseFind('\\');
    if (slash < 0)
        return path;
    return path.Left(slash + 1);
}

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
