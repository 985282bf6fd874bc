#pragma once
// One function run on a thread of its own while the calling thread goes on, for work the
// caller needs only later: it waits for the result where it needs it, and an exception
// the function raised is raised there, on the caller's thread, as if the function had run
// at that point.
#include "framework/Handles.h"

#include <exception>
#include <functional>

class BackgroundCall {
public:
    // Starts work at once. Raises EOutOfResources when no thread can be made.
    explicit BackgroundCall(std::function<void()> work);
    // Waits for the work; what it raised is dropped, as nobody asked for its result.
    ~BackgroundCall();
    BackgroundCall(const BackgroundCall&) = delete;
    BackgroundCall& operator=(const BackgroundCall&) = delete;

    // Returns once the work has run, and raises what it raised (the first call only).
    // While it waits, the messages other threads send to this thread's windows are
    // answered: the work may itself be waiting for such an answer.
    void Wait();

private:
    static DWORD WINAPI Run(void* self);

    std::function<void()> m_work;
    std::exception_ptr m_error;
    KernelHandle m_thread;
};
