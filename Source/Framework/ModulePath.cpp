// The module path read with a buffer that grows, and the program folder.
#include "Framework/ModulePath.h"

namespace {

// Module paths may exceed MAX_PATH on systems with long paths; the buffer grows a few times
// (up to 64 times MAX_PATH, beyond the longest path the system accepts).
const DWORD FirstPathBuffer = MAX_PATH;
const int PathGrowAttempts = 4;

}  // namespace

CString GetModuleFilePath(HMODULE module)
{
    CString path;
    DWORD capacity = FirstPathBuffer;
    for (int attempt = 0; attempt < PathGrowAttempts; ++attempt, capacity *= 4) {
        char* buffer = path.GetBuffer(static_cast<int>(capacity));
        if (!buffer)
            return CString();
        const DWORD length = ::GetModuleFileNameA(module, buffer, capacity);
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
    const CString path = GetProgramPath();
    const int slash = path.ReverseFind('\\');
    return slash < 0 ? CString() : path.Left(slash + 1);
}
