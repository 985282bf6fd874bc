#pragma once
// Move-only owners of window-manager objects (windows, menus, icons): the type says
// who frees the handle, and a copy that would free it twice cannot be made.
#include <windows.h>

#include <utility>

template <class Handle, BOOL(WINAPI* Free)(Handle)>
class TUserHandle {
public:
    TUserHandle() = default;
    explicit TUserHandle(Handle handle) : m_handle(handle) {}
    ~TUserHandle() { reset(); }
    TUserHandle(const TUserHandle&) = delete;
    TUserHandle& operator=(const TUserHandle&) = delete;
    TUserHandle(TUserHandle&& other) noexcept : m_handle(other.release()) {}
    TUserHandle& operator=(TUserHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    Handle release() { return std::exchange(m_handle, nullptr); }
    void reset(Handle handle = nullptr)
    {
        Handle old = std::exchange(m_handle, handle);
        if (old && old != handle)
            Free(old);
    }

private:
    Handle m_handle = nullptr;
};

using TMenuHandle = TUserHandle<HMENU, DestroyMenu>;
using TIconHandle = TUserHandle<HICON, DestroyIcon>;
