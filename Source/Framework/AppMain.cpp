// The program entry of framework programs: hands over to the application object. Kept in a
// file of its own so that it is linked only into programs that define no WinMain themselves.
#include "Framework/CWinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}
