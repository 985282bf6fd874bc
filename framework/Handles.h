#pragma once
// Move-only owners of system handles. The type says who frees a handle: these free it,
// a raw handle is borrowed. Copies are deleted so that no handle is ever freed twice.
#include <windows.h>

template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return Traits::IsValid(m_handle); }

    // Gives up ownership without freeing.
    Handle Release()
    {
        Handle handle = m_handle;
        m_handle = Traits::Invalid();
        return handle;
    }

    // Frees the held handle (if any) and takes the new one.
    void Reset(Handle handle = Traits::Invalid())
    {
        if (Traits::IsValid(m_handle))
            Traits::Close(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = Traits::Invalid();
};

template <class T>
struct GdiObjectTraits {
    using Handle = T;
    static T Invalid() { return nullptr; }
    static bool IsValid(T handle) { return handle != nullptr; }
    static void Close(T handle) { DeleteObject(handle); }
};

// Pens, brushes, fonts, bitmaps and regions made with the Create* functions.
template <class T>
using GdiObject = UniqueHandle<GdiObjectTraits<T>>;
using FontHandle = GdiObject<HFONT>;
using BrushHandle = GdiObject<HBRUSH>;
using BitmapHandle = GdiObject<HBITMAP>;
using RegionHandle = GdiObject<HRGN>;

struct MemoryDCTraits {
    using Handle = HDC;
    static HDC Invalid() { return nullptr; }
    static bool IsValid(HDC dc) { return dc != nullptr; }
    static void Close(HDC dc) { DeleteDC(dc); }
};

// A DC from CreateCompatibleDC: freed with DeleteDC.
using MemoryDC = UniqueHandle<MemoryDCTraits>;

struct KernelHandleTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    // Some functions fail with NULL, others with INVALID_HANDLE_VALUE: neither is closed.
    static bool IsValid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};

// Files, devices, mutexes, events, processes: freed with CloseHandle.
using KernelHandle = UniqueHandle<KernelHandleTraits>;

struct RegKeyTraits {
    using Handle = HKEY;
    static HKEY Invalid() { return nullptr; }
    static bool IsValid(HKEY key) { return key != nullptr; }
    static void Close(HKEY key) { RegCloseKey(key); }
};

// An opened or created registry key.
using RegKey = UniqueHandle<RegKeyTraits>;

struct ModuleHandleTraits {
    using Handle = HMODULE;
    static HMODULE Invalid() { return nullptr; }
    static bool IsValid(HMODULE module) { return module != nullptr; }
    static void Close(HMODULE module) { FreeLibrary(module); }
};

// A library loaded with LoadLibrary: freed with FreeLibrary.
using ModuleHandle = UniqueHandle<ModuleHandleTraits>;

// A DC from GetDC: given back with ReleaseDC to the window it came from.
class WindowDC {
public:
    WindowDC() = default;
    explicit WindowDC(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    WindowDC(WindowDC&& other) noexcept : m_window(other.m_window), m_dc(other.m_dc)
    {
        other.m_window = nullptr;
        other.m_dc = nullptr;
    }
    WindowDC& operator=(WindowDC&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_window = other.m_window;
            m_dc = other.m_dc;
            other.m_window = nullptr;
            other.m_dc = nullptr;
        }
        return *this;
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() { Reset(); }

    HDC Get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

    void Reset()
    {
        if (m_dc)
            ReleaseDC(m_window, m_dc);
        m_window = nullptr;
        m_dc = nullptr;
    }

private:
    HWND m_window = nullptr;  // borrowed
    HDC m_dc = nullptr;
};

// Selects an object into a DC for one scope and puts the previous one back.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;
    ~SelectedObject()
    {
        if (m_previous && m_previous != HGDI_ERROR)
            SelectObject(m_dc, m_previous);
    }

private:
    HDC m_dc;             // borrowed
    HGDIOBJ m_previous;   // borrowed: belongs to whoever selected it first
};

// Saves a DC's state (origin, clip, selected objects) for one scope and restores it on
// every path out.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : m_dc(dc), m_saved(SaveDC(dc)) {}
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;
    ~SavedDC()
    {
        if (m_saved)
            RestoreDC(m_dc, m_saved);
    }

private:
    HDC m_dc;  // borrowed
    int m_saved;
};

template <class T, BOOL(WINAPI* Free)(T)>
struct UserObjectTraits {
    using Handle = T;
    static T Invalid() { return nullptr; }
    static bool IsValid(T handle) { return handle != nullptr; }
    static void Close(T handle) { Free(handle); }
};

// Window-manager objects: menus from CreatePopupMenu, icons from LoadImage or CopyIcon.
using MenuHandle = UniqueHandle<UserObjectTraits<HMENU, DestroyMenu>>;
using IconHandle = UniqueHandle<UserObjectTraits<HICON, DestroyIcon>>;

// True for the errors of a request on a device handle that no longer reaches its driver
// (stopped, removed or replaced since the handle was opened), as opposed to the
// driver's own refusal of a request: such a handle is worth opening again.
inline bool DeviceHandleLost(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:  // what Wine answers once the driver is unloaded
    case ERROR_INVALID_HANDLE:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_BAD_UNIT:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return true;
    default:
        return false;
    }
}
