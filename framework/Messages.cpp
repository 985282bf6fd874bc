#include "framework/Messages.h"

#include "framework/Application.h"
#include "framework/Assert.h"
#include "framework/SysUtils.h"

#include <cstring>
#include <memory>

namespace {

const char kUtilWindowClass[] = "TPUtilWindow";

// The method is attached once CreateWindowEx has returned, so that it never sees a
// message before its owner knows the window's handle.
LRESULT CALLBACK UtilWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!method)
        return DefWindowProcA(window, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    Application->Guarded([&] { (*method)(message); });
    return message.Result;
}

void RegisterUtilWindowClass()
{
    WNDCLASSA existing;
    if (GetClassInfoA(GetModuleHandleA(nullptr), kUtilWindowClass, &existing))
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = UtilWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kUtilWindowClass;
    if (!RegisterClassA(&wc))
        throw EOutOfResources("Cannot register the utility window class");
}

HWND AllocateUtilWindow(TWndMethod method, HWND parent)
{
    ASSERT(method);
    RegisterUtilWindowClass();
    auto owned = std::make_unique<TWndMethod>(std::move(method));
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, kUtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, parent,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window)
        throw EOutOfResources(Format("Cannot create a hidden window (error %lu)", GetLastError()));
    // The window holds the method until DeallocateHWnd.
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owned.release()));
    return window;
}

}  // namespace

HWND AllocateHWnd(TWndMethod method)
{
    return AllocateUtilWindow(std::move(method), nullptr);
}

HWND AllocateMessageHWnd(TWndMethod method)
{
    return AllocateUtilWindow(std::move(method), HWND_MESSAGE);
}

void DeallocateHWnd(HWND window)
{
    char className[sizeof kUtilWindowClass + 1] = {};
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId() ||
        !GetClassNameA(window, className, sizeof className) || std::strcmp(className, kUtilWindowClass) != 0)
        return;  // not one of ours
    auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // Detach first: DestroyWindow still sends messages, and the method may be going away.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    delete method;
}
