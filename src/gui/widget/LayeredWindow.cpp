#include "src/gui/widget/LayeredWindow.h"

#include "framework/Assert.h"
#include "framework/Handles.h"

namespace gs {

namespace {

User32Lookup g_lookup = LookUpUser32;

constexpr LONG kLayeringMask = WS_EX_LAYERED | WS_EX_TRANSPARENT;  // 0x80020
constexpr UINT kRedrawFlags = RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME;  // 0x485

// Writes the layered and click-through bits only when they differ, so that a window
// already so is neither restyled nor redrawn; the other bits stay. True when written.
bool ChangeStyle(HWND window, bool layered, bool clickThrough)
{
    const LONG style = GetWindowLongA(window, GWL_EXSTYLE);
    const LONG wanted = (clickThrough ? WS_EX_TRANSPARENT : 0) | (layered ? WS_EX_LAYERED : 0);
    if ((style & kLayeringMask) == wanted)
        return false;
    SetWindowLongA(window, GWL_EXSTYLE, (style & ~kLayeringMask) | wanted);
    return true;
}

// A window that stops being layered has to paint itself again, frame and children too.
bool DropLayering(HWND window, bool clickThrough)
{
    const bool changed = ChangeStyle(window, false, clickThrough);
    if (changed)
        RedrawWindow(window, nullptr, nullptr, kRedrawFlags);
    return changed;
}

template <class Function>
Function LookUp(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(g_lookup(name)));
}

BITMAP BitmapInfo(HBITMAP bitmap)
{
    BITMAP info{};
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) != sizeof info)
        return BITMAP{};
    return info;
}

}  // namespace

FARPROC LookUpUser32(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}

User32Lookup SetUser32Lookup(User32Lookup lookup)
{
    User32Lookup previous = g_lookup;
    g_lookup = lookup;
    return previous;
}

LayeredWindowMaker::LayeredWindowMaker()
    : m_setAttributes(LookUp<SetAttributesFunction>("SetLayeredWindowAttributes"))
{
}

LayeredWindowMaker::~LayeredWindowMaker() = default;

bool LayeredWindowMaker::Apply(HWND window)
{
    ASSERT(IsEnabled());
    if (!m_colorKeyEnabled && !m_alphaEnabled)
        return DropLayering(window, m_clickThrough);
    ChangeStyle(window, true, m_clickThrough);
    const DWORD flags = (m_colorKeyEnabled ? LWA_COLORKEY : 0) | (m_alphaEnabled ? LWA_ALPHA : 0);
    return m_setAttributes(window, m_colorKey, m_alpha, flags) != FALSE;
}

void LayeredWindowMaker::Remove(HWND window)
{
    DropLayering(window, false);
}

PerPixelLayeredWindowBase::PerPixelLayeredWindowBase()
    : m_updateWindow(LookUp<UpdateWindowFunction>("UpdateLayeredWindow"))
{
}

PerPixelLayeredWindowBase::~PerPixelLayeredWindowBase() = default;

bool PerPixelLayeredWindowBase::Update(HWND window, TBitmap* bitmap)
{
    HBITMAP handle = GetBitmapHandle(bitmap);
    const bool perPixel = m_perPixelAlpha && BitmapInfo(handle).bmBitsPixel == 32;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    if (!m_alphaEnabled && !perPixel) {
        if (!m_colorKeyEnabled) {
            DropLayering(window, m_clickThrough);
            return false;
        }
        ChangeStyle(window, true, m_clickThrough);
        return UpdateSystem(window, handle, blend, ULW_COLORKEY);
    }
    ChangeStyle(window, true, m_clickThrough);
    if (m_alphaEnabled)
        blend.SourceConstantAlpha = m_alpha;
    return UpdateSystem(window, handle, blend, ULW_ALPHA);
}

void PerPixelLayeredWindowBase::Remove(HWND window)
{
    DropLayering(window, false);
}

bool PerPixelLayeredWindowBase::UpdateSystem(HWND window, HBITMAP bitmap, BLENDFUNCTION blend, DWORD flag)
{
    if (!m_updateWindow)
        return false;
    WindowDC windowDC(window);
    MemoryDC memoryDC(CreateCompatibleDC(windowDC.Get()));
    if (!windowDC || !memoryDC)
        return false;
    RECT bounds{};
    GetWindowRect(window, &bounds);
    POINT destination{bounds.left, bounds.top};
    const BITMAP info = BitmapInfo(bitmap);
    SIZE size{info.bmWidth, info.bmHeight};
    POINT source{0, 0};
    SelectedObject selected(memoryDC.Get(), bitmap);
    return m_updateWindow(window, windowDC.Get(), &destination, &size, memoryDC.Get(), &source,
                          m_colorKey, &blend, flag) != FALSE;
}

HBITMAP TPerPixelLayeredWindowMaker::GetBitmapHandle(TBitmap* bitmap)
{
    // A bitmap once drawn stays selected in its canvas's DC, and a bitmap goes into one DC
    // at a time: the canvas lets go of it until it is next drawn on.
    static_cast<TBitmapCanvas*>(bitmap->Canvas())->FreeContext();
    return bitmap->Handle();
}

}  // namespace gs
