// The layered-window helpers on real windows: which extended-style bits they write and
// when, what they hand to the system, and what they do on a system without the functions.
#include "src/gui/widget/LayeredWindow.h"
#include "framework/Bitmap.h"
#include "ToolkitTestSupport.h"

#include <gtest/gtest.h>

using namespace toolkittest;

namespace {

int g_styleWrites = 0;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_STYLECHANGING && wParam == static_cast<WPARAM>(GWL_EXSTYLE))
        ++g_styleWrites;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A visible pop-up with nothing left to paint, whose extended-style writes are counted.
HWND MakeWindow(LONG exStyle)
{
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ToolkitStyleProbe";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        return RegisterClassA(&wc);
    }();
    HWND window = CreateWindowExA(0, MAKEINTATOM(atom), "probe", WS_POPUP | WS_VISIBLE, 40, 60, 50, 30,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongA(window, GWL_EXSTYLE, exStyle);
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    ValidateRect(window, nullptr);
    g_styleWrites = 0;
    return window;
}

bool NeedsRepaint(HWND window)
{
    return GetUpdateRect(window, nullptr, FALSE) != FALSE;
}

constexpr LONG kOther = WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES;  // 0x10 sits beside 0x20
constexpr LONG L = WS_EX_LAYERED;
constexpr LONG T = WS_EX_TRANSPARENT;

enum Operation { Apply, Remove, PerPixelRemove, Update24, Update32 };

// Every case runs with key 0x02FF00FF and Alpha 100 on a window at (40, 60); the 24-bit
// image is 37 x 23, the 32-bit one 41 x 19.
struct Case {
    const char* what;
    LONG initial;
    Operation operation;
    bool key, alpha, clickThrough, perPixel;
    LONG expected;
    bool written;
    int redrawn;       // -1: the system may repaint a restyled layered window as it likes
    const char* call;  // to the system, or none
};

#define SLWA "SetLayeredWindowAttributes key 02ff00ff alpha 100 flags "
#define ULW32 "UpdateLayeredWindow at 40,60 size 41x19 from 0,0 key 02ff00ff blend 0 0 "
#define ULW24 "UpdateLayeredWindow at 40,60 size 37x23 from 0,0 key 02ff00ff blend 0 0 "

const Case kCases[] = {
    {"key on a plain window", kOther, Apply, true, false, false, false, kOther | L, true, -1, SLWA "1"},
    {"key again: no write", kOther | L, Apply, true, false, false, false, kOther | L, false, -1, SLWA "1"},
    {"key, alpha, click-through", kOther | L, Apply, true, true, true, false, kOther | L | T, true, -1, SLWA "3"},
    {"alpha alone", kOther, Apply, false, true, false, false, kOther | L, true, -1, SLWA "2"},
    {"neither drops layering, keeps click-through", kOther | L | T, Apply, false, false, true, false, kOther | T,
     true, 1, nullptr},
    {"neither on a plain window", kOther, Apply, false, false, false, false, kOther, false, 0, nullptr},
    {"remove from a plain window", kOther, Remove, true, false, true, false, kOther, false, 0, nullptr},
    {"remove takes both bits", kOther | L | T, Remove, true, false, true, false, kOther, true, 1, nullptr},
    {"per-pixel remove takes both bits", kOther | L | T, PerPixelRemove, true, false, true, true, kOther, true, 1,
     nullptr},
    {"per-pixel remove from a plain window", kOther, PerPixelRemove, true, false, true, true, kOther, false, 0,
     nullptr},
    {"32-bit per-pixel ignores the key", kOther, Update32, true, false, false, true, kOther | L, true, -1,
     ULW32 "255 1 flags 2, selected 41x19"},
    {"32-bit per-pixel, already layered", kOther | L, Update32, true, false, false, true, kOther | L, false, -1,
     ULW32 "255 1 flags 2, selected 41x19"},
    {"alpha and key use alpha", kOther, Update32, true, true, true, true, kOther | L | T, true, -1,
     ULW32 "100 1 flags 2, selected 41x19"},
    {"constant alpha on a 24-bit image", kOther, Update24, false, true, false, true, kOther | L, true, -1,
     ULW24 "100 1 flags 2, selected 37x23"},
    {"24-bit per-pixel without key or alpha drops layering", kOther | L, Update24, false, false, false, true,
     kOther, true, 1, nullptr},
    {"24-bit per-pixel with key uses the key", kOther, Update24, true, false, false, true, kOther | L, true, -1,
     ULW24 "255 1 flags 1, selected 37x23"},
    {"32-bit without per-pixel uses the key", kOther, Update32, true, false, true, false, kOther | L | T, true, -1,
     ULW32 "255 1 flags 1, selected 41x19"},
};

template <class Helper>
void Set(Helper& helper, const Case& c)
{
    helper.SetColorKey(0x02FF00FF);
    helper.SetColorKeyEnabled(c.key);
    helper.SetAlphaEnabled(c.alpha);
    helper.SetAlpha(100);
    helper.SetClickThrough(c.clickThrough);
}

}  // namespace

TEST(LayeredWindow, StyleWritesAndSystemCallsFollowTheSettings)
{
    ScopedLookup lookup(RecordingLookup);
    gs::LayeredWindowMaker maker;
    gs::TPerPixelLayeredWindowMaker perPixel;
    ASSERT_TRUE(maker.IsEnabled());
    ASSERT_TRUE(perPixel.IsEnabled());
    TBitmap bitmap24;
    Paint(&bitmap24, pf24bit, 37, 23, {{0, 37, 1, 2, 3, 0}});
    TBitmap bitmap32;
    Paint(&bitmap32, pf32bit, 41, 19, {{0, 41, 1, 2, 3, 255}});
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        HWND window = MakeWindow(c.initial);
        ASSERT_EQ(c.initial, GetWindowLongA(window, GWL_EXSTYLE));
        g_systemCalls.clear();
        g_lastMemoryDC = nullptr;
        Set(maker, c);
        Set(perPixel, c);
        perPixel.SetPerPixelAlpha(c.perPixel);
        switch (c.operation) {
        case Apply: maker.Apply(window); break;
        case Remove: maker.Remove(window); break;
        case PerPixelRemove: perPixel.Remove(window); break;
        case Update24: perPixel.Update(window, &bitmap24); break;
        case Update32: perPixel.Update(window, &bitmap32); break;
        }
        EXPECT_EQ(c.expected, GetWindowLongA(window, GWL_EXSTYLE));
        EXPECT_EQ(c.written ? 1 : 0, g_styleWrites);
        if (c.redrawn >= 0) {
            EXPECT_EQ(c.redrawn == 1, NeedsRepaint(window));
        }
        EXPECT_EQ(c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{}, g_systemCalls);
        if (g_lastMemoryDC) {
            EXPECT_EQ(0u, GetObjectType(g_lastMemoryDC)) << "the memory DC is deleted";
            // A bitmap still selected into a DC could not be selected into another.
            HDC other = CreateCompatibleDC(nullptr);
            EXPECT_NE(nullptr, SelectObject(other, (c.operation == Update24 ? bitmap24 : bitmap32).Handle()));
            DeleteDC(other);
        }
        DestroyWindow(window);
    }
}

TEST(LayeredWindow, WithoutTheSystemFunctionsTheHelpersSayDisabledAndHandNothingOn)
{
    ScopedLookup lookup(MissingLookup);
    gs::LayeredWindowMaker maker;
    gs::TPerPixelLayeredWindowMaker perPixel;
    EXPECT_FALSE(maker.IsEnabled());
    EXPECT_FALSE(perPixel.IsEnabled());
    TBitmap bitmap;
    Paint(&bitmap, pf32bit, 8, 8, {{0, 8, 0, 0, 0, 255}});
    HWND window = MakeWindow(0);
    perPixel.SetPerPixelAlpha(true);
    EXPECT_FALSE(perPixel.Update(window, &bitmap));
    DestroyWindow(window);
}

TEST(LayeredWindowDeathTest, ApplyingWithoutTheSystemFunctionNamesThePrecondition)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ScopedLookup lookup(MissingLookup);
    gs::LayeredWindowMaker maker;
    EXPECT_DEATH(maker.Apply(GetDesktopWindow()),
                 "Assertion failed: IsEnabled\\(\\), file src/gui/widget/LayeredWindow.cpp, line");
}
