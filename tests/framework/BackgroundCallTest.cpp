#include "framework/BackgroundCall.h"

#include "framework/SysUtils.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// What the work raised is raised by the first wait, on the waiting thread, as it was
// raised; a second wait has nothing to raise, and dropping a call without waiting drops it.
TEST(BackgroundCall, WaitRaisesWhatTheWorkRaisedOnce)
{
    DWORD workThread = 0;
    BackgroundCall call([&] {
        workThread = GetCurrentThreadId();
        throw EFOpenError("C:\\missing.png");
    });
    try {
        call.Wait();
        ADD_FAILURE() << "nothing raised";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(std::string(EFOpenError("C:\\missing.png").what()), error.what());
    }
    EXPECT_NE(0u, workThread);
    EXPECT_NE(GetCurrentThreadId(), workThread);
    EXPECT_NO_THROW(call.Wait());

    int runs = 0;
    { BackgroundCall dropped([&] { ++runs; throw Exception("nobody asked"); }); }
    EXPECT_EQ(1, runs) << "the destructor waits for the work";
}

// Work that sends to a window of the waiting thread gets its answer while the thread waits.
TEST(BackgroundCall, WaitAnswersWhatTheWorkSends)
{
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window);
    DWORD_PTR answer = 0;
    LRESULT sent = 0;
    BackgroundCall call([&] {
        sent = SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("answered"),
                                   SMTO_NORMAL, 5000, &answer);
    });
    call.Wait();
    EXPECT_NE(0, sent) << "the send timed out: the waiting thread did not answer it";
    char text[16] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ("answered", text);
    DestroyWindow(window);
}

}  // namespace
