#pragma once
// The message record that window procedures, Dispatch and message handlers pass along,
// and the hidden windows that deliver their messages to a method.
#include "framework/Classes.h"

#include <windows.h>

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

using TWndMethod = TEvent<TMessage&>;

// A hidden top-level window whose every message goes to `method`, which sets Result
// itself (nothing else handles the message). Exceptions the method lets escape are
// handed to the application object. Free it with DeallocateHWnd.
HWND AllocateHWnd(TWndMethod method);
// The same as a message-only window: much cheaper to make, but no broadcast reaches it.
HWND AllocateMessageHWnd(TWndMethod method);
void DeallocateHWnd(HWND window);

// Framework messages, sent between a control and its parent; above WM_APP's range is
// reserved to the system, so they sit in the private range the framework owns.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;  // a child's own WM_COMMAND, reflected by its parent
