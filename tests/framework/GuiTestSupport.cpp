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

// Runs a program to its end; with `pump`, messages are processed meanwhile (a program
// that sends messages to the test's windows needs that).
DWORD Run(std::string commandLine, bool pump)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return static_cast<DWORD>(-1);
    while (WaitForSingleObject(pi.hProcess, 5) == WAIT_TIMEOUT)
        if (pump)
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

int RunUnix(const std::string& command, bool pump)
{
    // Wine gives no process handle for a Unix program: its end is the file it leaves.
    static int count = 0;
    const std::string marker = Format("Z:\\tmp\\pellon-test-%lu-%d.done", GetCurrentProcessId(), ++count);
    std::string unixMarker = marker.substr(2);
    for (char& c : unixMarker)
        if (c == '\\')
            c = '/';
    std::string commandLine = "Z:\\bin\\sh -c \"" + command + "; echo $? > " + unixMarker + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    if (pi.hThread)
        CloseHandle(pi.hThread);
    if (pi.hProcess)
        CloseHandle(pi.hProcess);
    int code = -1;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000) {
        if (FILE* file = std::fopen(marker.c_str(), "r")) {
            const bool written = std::fscanf(file, "%d", &code) == 1;  // not yet, while empty
            std::fclose(file);
            if (written)
                break;
        }
        if (pump)
            Application->ProcessMessages();
        Sleep(5);
    }
    DeleteFileA(marker.c_str());
    return code;
}

int Xdotool(const std::string& args)
{
    return RunUnix("xdotool " + args, false);
}

DWORD RunProgram(const std::string& exe, const std::string& args)
{
    return Run("\"" + ProgramFolder() + exe + "\" " + args, true);
}

namespace {

void XdotoolAndPump(const std::string& args)
{
    Xdotool(args);
    Pump(60);  // the X events reach the queue a moment later
}

}  // namespace

void MoveMouse(int x, int y)
{
    XdotoolAndPump(Format("mousemove %d %d", x, y));
}

void Click(int button, int repeat)
{
    XdotoolAndPump(Format("click --repeat %d --delay 40 %d", repeat, button));
}

void ButtonDown(int button)
{
    XdotoolAndPump(Format("mousedown %d", button));
}

void ButtonUp(int button)
{
    XdotoolAndPump(Format("mouseup %d", button));
}

}  // namespace guitest
