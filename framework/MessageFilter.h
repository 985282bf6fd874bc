#pragma once
// The user interface privilege filter (Windows Vista and later): a program running with
// higher rights than the sender lets a message through with ChangeWindowMessageFilter.
#include <windows.h>

// Calls ChangeWindowMessageFilter(message, action) where the system has it and returns
// its result; true where it does not (nothing is filtered there).
bool ChangeMessageFilter(UINT message, DWORD action);
