#pragma once
// Helpers for tests that drive real windows: message pumping and real pointer input
// through xdotool (a Linux program that Wine starts like any other).
#include "framework/Application.h"

#include <windows.h>

#include <functional>
#include <string>

namespace guitest {

// Processes messages for `ms` milliseconds.
void Pump(int ms);
// Processes messages until `done` holds or `ms` milliseconds pass; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int ms = 3000);
// Runs a shell command line on the Unix side to its end (at most 15 s) and returns its
// exit code, -1 when it did not end; with `pump`, messages are processed meanwhile.
int RunUnix(const std::string& command, bool pump);
// Runs xdotool with `args` and returns its exit code; no message is processed meanwhile
// (a menu's own loop must get the input).
int Xdotool(const std::string& args);
// Runs a program of the build's program folder with `args` and returns its exit code.
DWORD RunProgram(const std::string& exe, const std::string& args);
// Move the real pointer or press its buttons, then process messages a moment.
void MoveMouse(int x, int y);
void Click(int button = 1, int repeat = 1);
void ButtonDown(int button = 1);
void ButtonUp(int button = 1);

// Replaces the global application object for one test, so that main form, terminate
// state and events start fresh.
class ScopedApplication {
public:
    ScopedApplication() : m_saved(Application) { Application = &m_application; }
    ~ScopedApplication() { Application = m_saved; }
    TApplication* operator->() { return &m_application; }

private:
    TApplication* m_saved;
    TApplication m_application;
};

}  // namespace guitest
