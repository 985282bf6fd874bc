#include "framework/Assert.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace fw {

std::string FormatAssertion(const char* expr, const char* file, int line)
{
    return std::string("Assertion failed: ") + expr + ", file " + file + ", line " +
           std::to_string(line);
}

void AssertionFailed(const char* expr, const char* file, int line)
{
    // Standard error for a console or a test, the debugger output for a GUI start;
    // no message box, so that an assertion can never leave a process waiting for a click.
    const std::string text = FormatAssertion(expr, file, line);
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    OutputDebugStringA((text + "\r\n").c_str());
    std::_Exit(3);
}

}  // namespace fw
