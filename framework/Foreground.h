#pragma once
// Bringing a window to the user: Windows lets only the foreground's own thread take the
// foreground, so a window shown on another program's request needs more than a Show.
#include <windows.h>

// Restores, raises and activates a window even when another thread has the foreground.
void BringWindowToFront(HWND window);
