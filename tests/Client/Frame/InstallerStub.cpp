// The update tests' installer: writes its own path to %TEMP%\velmora-installer-ran.txt and ends,
// so a test sees that (and which) downloaded file was started.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH] = {};
    char marker[MAX_PATH] = {};
    GetModuleFileNameA(NULL, self, MAX_PATH);
    DWORD length = GetTempPathA(MAX_PATH, marker);
    if (length == 0 || length + 32 >= MAX_PATH)
        return 1;
    lstrcatA(marker, "velmora-installer-ran.txt");
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, self, lstrlenA(self), &written, NULL);
    CloseHandle(file);
    return 0;
}
