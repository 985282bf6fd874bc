#include "src/Oc/DebugTrace.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <cstring>

namespace {

// A 4096-byte line holds the text, CR, LF and the terminating zero.
constexpr std::size_t kMaxTraceText = 4093;

bool IsTrailingBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

std::string FormatTraceLine(const char* format, va_list args)
{
    std::array<char, kMaxTraceText + 1> text{};
    const int written = std::vsnprintf(text.data(), text.size(), format, args);
    std::size_t length = written < 0 ? 0 : std::strlen(text.data());
    while (length > 0 && IsTrailingBlank(text[length - 1]))
        --length;
    std::string line(text.data(), length);
    line += "\r\n";
    return line;
}

void DebugTrace(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string line = FormatTraceLine(format, args);
    va_end(args);
    OutputDebugStringA(line.c_str());
}
