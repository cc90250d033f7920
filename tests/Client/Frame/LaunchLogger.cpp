// A stand-in for the programs the About dialog starts (the browser, the mail program, the
// uninstallers): it appends one line to the file VELMORA_LAUNCH_LOG names, its own file name, a
// tab and its arguments joined by spaces, and ends with code 0. A window program, so that no
// console comes up when a GUI program starts it.
#include <windows.h>

#include <stdlib.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableA("VELMORA_LAUNCH_LOG", log, sizeof log);
    if (n == 0 || n >= sizeof log)
        return 1;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(NULL, self, sizeof self);
    std::string line = self;
    line = line.substr(line.rfind('\\') + 1) + "\t";
    for (int i = 1; i < __argc; ++i) {
        if (i > 1)
            line += " ";
        line += __argv[i];
    }
    line += "\n";
    // Two uninstallers may start at once: the one that finds the file open tries again.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            const BOOL ok = WriteFile(file, line.data(), DWORD(line.size()), &written, NULL);
            CloseHandle(file);
            return ok && written == line.size() ? 0 : 1;
        }
        Sleep(20);
    }
    return 1;
}
