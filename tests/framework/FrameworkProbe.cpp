// A second process for the framework tests: it searches its own command line for a
// switch, or sends a message to a window of the test, and answers with its exit code.
#include "framework/SysUtils.h"

#include <windows.h>

#include <cstdlib>

int main()
{
    const std::string mode = ParamStr(1);
    if (mode == "switch-nocase")
        return FindCmdLineSwitch("b", {'-'}, true) ? 1 : 0;
    if (mode == "switch-case")
        return FindCmdLineSwitch("b", {'-'}, false) ? 1 : 0;
    if (mode == "send" && ParamCount() == 5) {
        auto number = [](int index) { return std::strtoul(ParamStr(index).c_str(), nullptr, 0); };
        HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(number(2)));
        return static_cast<int>(SendMessageA(window, number(3), number(4), static_cast<LPARAM>(number(5))));
    }
    return 255;
}
