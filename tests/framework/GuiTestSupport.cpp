#include "GuiTestSupport.h"

#include "framework/SysUtils.h"

#include <cstdio>

namespace guitest {

void Pump(int ms)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(ms)) {
        Application->ProcessMessages();
        Sleep(5);
    }
}

bool PumpUntil(const std::function<bool()>& done, int ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= static_cast<DWORD>(ms))
            return false;
        Application->ProcessMessages();
        Sleep(5);
    }
    return true;
}

namespace {

DWORD RunAndPump(std::string commandLine)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return static_cast<DWORD>(-1);
    while (WaitForSingleObject(pi.hProcess, 5) == WAIT_TIMEOUT)
        Application->ProcessMessages();
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

std::string ProgramFolder()
{
    std::string exe = Application->ExeName();
    return exe.substr(0, exe.find_last_of('\\') + 1);
}

}  // namespace

int Xdotool(const std::string& args)
{
    const int code = static_cast<int>(RunAndPump("Z:\\usr\\bin\\xdotool " + args));
    Pump(50);  // the X events reach the queue a moment later
    return code;
}

DWORD RunProgram(const std::string& exe, const std::string& args)
{
    return RunAndPump("\"" + ProgramFolder() + exe + "\" " + args);
}

void MoveMouse(int x, int y)
{
    Xdotool(Format("mousemove %d %d", x, y));
}

void Click(int button, int repeat)
{
    Xdotool(Format("click --repeat %d --delay 40 %d", repeat, button));
}

void ButtonDown(int button)
{
    Xdotool(Format("mousedown %d", button));
}

void ButtonUp(int button)
{
    Xdotool(Format("mouseup %d", button));
}

}  // namespace guitest
