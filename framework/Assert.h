#pragma once
// Programming errors: a failed ASSERT reports "Assertion failed: <expr>, file <path>,
// line <n>" and ends the program. Paths are relative to the source tree (the build maps
// the source prefix away), e.g. "src/gui/graphics/image.cpp".
#include <string>

namespace fw {

std::string FormatAssertion(const char* expr, const char* file, int line);
[[noreturn]] void AssertionFailed(const char* expr, const char* file, int line);

}  // namespace fw

#define ASSERT(expr) \
    ((expr) ? (void)0 : ::fw::AssertionFailed(#expr, __FILE__, __LINE__))

// For a condition whose source text is not what the report should name, e.g. a property
// read through a getter: ASSERT_MSG(src->PixelFormat() == pf32bit, "src->PixelFormat == pf32bit").
#define ASSERT_MSG(expr, text) \
    ((expr) ? (void)0 : ::fw::AssertionFailed(text, __FILE__, __LINE__))
