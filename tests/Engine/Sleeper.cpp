// A program that only waits, so tests have something running from a file of their choice.
#include <windows.h>

int main()
{
    Sleep(120000);
    return 7;
}
