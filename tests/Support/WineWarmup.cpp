// Run once at the start of a test run: brings up the prefix's desktop process (through COM's
// hidden window) with stdio on /dev/null, so no test starts it and inherits it for a second.
#include <windows.h>
#include <objbase.h>

int main()
{
    CoInitialize(nullptr);
    CoUninitialize();
    return 0;
}
