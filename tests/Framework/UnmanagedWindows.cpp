// Linked into GUI test programs: under Wine, marks this program's top-level windows as not
// managed by an X window manager. The test display has none, and Wine waits two seconds for
// one whenever a managed window is hidden. The setting is per program (AppDefaults) in the
// run's copy of the prefix and is read when a process starts, so it takes effect from the
// second process of a test program on (the test listing runs first).
#include <windows.h>

#include <string.h>

namespace {

bool RunningUnderWine()
{
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

struct MarkUnmanaged
{
    MarkUnmanaged()
    {
        if (!RunningUnderWine())
            return;
        char path[MAX_PATH];
        DWORD n = GetModuleFileNameA(NULL, path, sizeof path);
        if (n == 0 || n >= sizeof path)
            return;
        const char* name = strrchr(path, '\\');
        name = name ? name + 1 : path;
        char key[MAX_PATH + 64];
        wsprintfA(key, "Software\\Wine\\AppDefaults\\%s\\X11 Driver", name);
        HKEY h;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, NULL, 0, KEY_SET_VALUE, NULL, &h, NULL) != ERROR_SUCCESS)
            return;
        RegSetValueExA(h, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
        RegCloseKey(h);
    }
};

MarkUnmanaged g_markUnmanaged;

}  // namespace
