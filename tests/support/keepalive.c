/* Holds the test prefix's desktop open between tests, so Wine need not start its
   services again for every test executable. With "-ready" it only brings the desktop
   up and returns: the prefix script runs that first, synchronously, so the desktop
   process starts with the script's log as its output. Started lazily by a test
   instead, it would inherit that test's pipes and keep ctest waiting forever. */
#include <windows.h>

#include <string.h>

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show)
{
    (void)inst; (void)prev; (void)show;
    if (!GetDesktopWindow())
        return 1;
    if (cmd && strstr(cmd, "-ready"))
        return 0;
    Sleep(INFINITE);
    return 0;
}
