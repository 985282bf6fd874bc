#include "framework/MessageFilter.h"

namespace {

using ChangeWindowMessageFilterProc = BOOL(WINAPI*)(UINT, DWORD);

// Looked up once, when the program starts: systems before Vista have no filter.
const ChangeWindowMessageFilterProc g_changeWindowMessageFilter =
    reinterpret_cast<ChangeWindowMessageFilterProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilter")));

}  // namespace

bool ChangeMessageFilter(UINT message, DWORD action)
{
    if (!g_changeWindowMessageFilter)
        return true;
    return g_changeWindowMessageFilter(message, action) != FALSE;
}
