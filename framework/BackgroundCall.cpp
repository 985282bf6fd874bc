#include "framework/BackgroundCall.h"

#include "framework/SysUtils.h"

#include <utility>

BackgroundCall::BackgroundCall(std::function<void()> work) : m_work(std::move(work))
{
    m_thread.Reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
    if (!m_thread)
        throw EOutOfResources(Format("Cannot start a thread (error %lu)", GetLastError()));
}

BackgroundCall::~BackgroundCall()
{
    try {
        Wait();
    } catch (...) {  // nobody waits for the result any more
    }
}

DWORD WINAPI BackgroundCall::Run(void* self)
{
    auto* call = static_cast<BackgroundCall*>(self);
    try {
        call->m_work();
    } catch (...) {
        call->m_error = std::current_exception();
    }
    return 0;
}

void BackgroundCall::Wait()
{
    if (m_thread) {
        HANDLE thread = m_thread.Get();
        for (;;) {
            const DWORD woken = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
            if (woken == WAIT_OBJECT_0)
                break;
            if (woken != WAIT_OBJECT_0 + 1) {
                // No wait on messages to be had: the thread must still end before its
                // function's objects go.
                WaitForSingleObject(thread, INFINITE);
                break;
            }
            MSG message;  // answers what was sent; posted messages stay queued
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        m_thread.Reset();
    }
    if (m_error)
        std::rethrow_exception(std::exchange(m_error, nullptr));
}
