#pragma once
// Trace lines for the debugger output; there is no log file.
#include <cstdarg>
#include <string>

// Formats like printf, keeps at most 4093 characters, drops trailing white space and
// ends the line with CR LF.
std::string FormatTraceLine(const char* format, va_list args);

// Writes one trace line (FormatTraceLine) with OutputDebugStringA.
void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
