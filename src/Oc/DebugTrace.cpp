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

// Formats into text (kMaxTraceText + 3 bytes: the text, CR, LF, zero) and returns the
// line's length.
std::size_t FormatInto(std::array<char, kMaxTraceText + 3>& text, const char* format,
                       va_list args)
{
    const int written = std::vsnprintf(text.data(), kMaxTraceText + 1, format, args);
    std::size_t length = written < 0 ? 0 : std::strlen(text.data());
    while (length > 0 && IsTrailingBlank(text[length - 1]))
        --length;
    text[length++] = '\r';
    text[length++] = '\n';
    text[length] = '\0';
    return length;
}

}  // namespace

std::string FormatTraceLine(const char* format, va_list args)
{
    std::array<char, kMaxTraceText + 3> text;
    const std::size_t length = FormatInto(text, format, args);
    return std::string(text.data(), length);
}

void DebugTrace(const char* format, ...)
{
    // On the stack: a trace line costs no heap (the phase monitor writes nine a poll).
    std::array<char, kMaxTraceText + 3> text;
    va_list args;
    va_start(args, format);
    FormatInto(text, format, args);
    va_end(args);
    OutputDebugStringA(text.data());
}
