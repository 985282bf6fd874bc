/* Holds the test prefix's desktop open between tests, so Wine need not
   start its services again for every test executable. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show)
{
    (void)inst; (void)prev; (void)cmd; (void)show;
    GetDesktopWindow();
    Sleep(INFINITE);
    return 0;
}
