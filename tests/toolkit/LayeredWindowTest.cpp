// The layered-window helpers on real windows: which extended-style bits they write and
// when, what they hand to the system, and what they do on a system without the functions.
#include "src/gui/widget/LayeredWindow.h"
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
constexpr COLORREF kKey = 0x02FF00FF;

enum Operation { Apply, Remove, PerPixelRemove, Update24, Update32 };

struct Case {
    const char* what;
    LONG initial;
    Operation operation;
    bool key, alpha, clickThrough, perPixel;
    LONG expected;
    bool written;
    int redrawn;  // -1: the system may repaint a restyled layered window as it likes
    int calls;    // to SetLayeredWindowAttributes or UpdateLayeredWindow
    DWORD flags;
    BYTE constantAlpha;  // Alpha (100) always goes to SetLayeredWindowAttributes
};

const Case kCases[] = {
    {"key on a plain window", kOther, Apply, true, false, false, false, kOther | L, true, -1, 1, LWA_COLORKEY, 100},
    {"key again: no write", kOther | L, Apply, true, false, false, false, kOther | L, false, -1, 1, LWA_COLORKEY, 100},
    {"key, alpha, click-through", kOther | L, Apply, true, true, true, false, kOther | L | T, true, -1, 1,
     LWA_COLORKEY | LWA_ALPHA, 100},
    {"alpha alone", kOther, Apply, false, true, false, false, kOther | L, true, -1, 1, LWA_ALPHA, 100},
    {"neither drops layering, keeps click-through", kOther | L | T, Apply, false, false, true, false,
     kOther | T, true, 1, 0, 0, 0},
    {"neither on a plain window", kOther, Apply, false, false, false, false, kOther, false, 0, 0, 0, 0},
    {"remove from a plain window", kOther, Remove, true, false, true, false, kOther, false, 0, 0, 0, 0},
    {"remove takes both bits", kOther | L | T, Remove, true, false, true, false, kOther, true, 1, 0, 0, 0},
    {"per-pixel remove takes both bits", kOther | L | T, PerPixelRemove, true, false, true, true, kOther, true, 1,
     0, 0, 0},
    {"per-pixel remove from a plain window", kOther, PerPixelRemove, true, false, true, true, kOther, false, 0, 0,
     0, 0},
    {"32-bit per-pixel ignores the key", kOther, Update32, true, false, false, true, kOther | L, true, -1, 1,
     ULW_ALPHA, 255},
    {"32-bit per-pixel, already layered", kOther | L, Update32, true, false, false, true, kOther | L, false, 0, 1,
     ULW_ALPHA, 255},
    {"alpha and key use alpha", kOther, Update32, true, true, true, true, kOther | L | T, true, -1, 1, ULW_ALPHA,
     100},
    {"constant alpha on a 24-bit image", kOther, Update24, false, true, false, true, kOther | L, true, -1, 1,
     ULW_ALPHA, 100},
    {"24-bit per-pixel without key or alpha drops layering", kOther | L, Update24, false, false, false, true,
     kOther, true, 1, 0, 0, 0},
    {"24-bit per-pixel with key uses the key", kOther, Update24, true, false, false, true, kOther | L, true, -1, 1,
     ULW_COLORKEY, 255},
    {"32-bit without per-pixel uses the key", kOther, Update32, true, false, true, false, kOther | L | T, true, -1,
     1, ULW_COLORKEY, 255},
};

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
        g_setAttributesCalls.clear();
        g_updateCalls.clear();
        maker.SetColorKey(kKey);
        maker.SetColorKeyEnabled(c.key);
        maker.SetAlphaEnabled(c.alpha);
        maker.SetAlpha(100);
        maker.SetClickThrough(c.clickThrough);
        perPixel.SetColorKey(kKey);
        perPixel.SetColorKeyEnabled(c.key);
        perPixel.SetAlphaEnabled(c.alpha);
        perPixel.SetAlpha(100);
        perPixel.SetClickThrough(c.clickThrough);
        perPixel.SetPerPixelAlpha(c.perPixel);
        TBitmap* bitmap = c.operation == Update24 ? &bitmap24 : &bitmap32;
        switch (c.operation) {
        case Apply: maker.Apply(window); break;
        case Remove: maker.Remove(window); break;
        case PerPixelRemove: perPixel.Remove(window); break;
        case Update24:
        case Update32: perPixel.Update(window, bitmap); break;
        }
        EXPECT_EQ(c.expected, GetWindowLongA(window, GWL_EXSTYLE));
        EXPECT_EQ(c.written ? 1 : 0, g_styleWrites);
        if (c.redrawn >= 0) {
            EXPECT_EQ(c.redrawn == 1, NeedsRepaint(window));
        }
        if (c.operation == Apply) {
            ASSERT_EQ(static_cast<size_t>(c.calls), g_setAttributesCalls.size());
            if (c.calls) {
                EXPECT_EQ(window, g_setAttributesCalls[0].window);
                EXPECT_EQ(kKey, g_setAttributesCalls[0].key);
                EXPECT_EQ(c.constantAlpha, g_setAttributesCalls[0].alpha);
                EXPECT_EQ(c.flags, g_setAttributesCalls[0].flags);
            }
        } else {
            EXPECT_TRUE(g_setAttributesCalls.empty());
            ASSERT_EQ(static_cast<size_t>(c.calls), g_updateCalls.size());
            if (c.calls) {
                const UpdateCall& call = g_updateCalls[0];
                EXPECT_EQ(window, call.window);
                EXPECT_EQ(40, call.destination.x) << "the window keeps its place";
                EXPECT_EQ(60, call.destination.y);
                EXPECT_EQ(bitmap->Width(), call.size.cx);
                EXPECT_EQ(bitmap->Height(), call.size.cy);
                EXPECT_EQ(0, call.source.x);
                EXPECT_EQ(0, call.source.y);
                EXPECT_EQ(kKey, call.key);
                EXPECT_EQ(AC_SRC_OVER, call.blend.BlendOp);
                EXPECT_EQ(0, call.blend.BlendFlags);
                EXPECT_EQ(c.constantAlpha, call.blend.SourceConstantAlpha);
                EXPECT_EQ(AC_SRC_ALPHA, call.blend.AlphaFormat);
                EXPECT_EQ(c.flags, call.flags);
                EXPECT_EQ(bitmap->Handle(), call.selected);
                EXPECT_EQ(0u, GetObjectType(call.memoryDC)) << "the memory DC is deleted";
                // A bitmap still selected into a DC could not be selected into another.
                HDC other = CreateCompatibleDC(nullptr);
                EXPECT_NE(nullptr, SelectObject(other, bitmap->Handle()));
                DeleteDC(other);
            }
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
