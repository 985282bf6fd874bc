#pragma once
// Layered windows: a window cut by a colour key with a constant opacity
// (LayeredWindowMaker), or shown as a whole 32-bit image with per-pixel alpha
// (PerPixelLayeredWindowBase); both keep their settings in LayeredWindowSettings. Both
// system functions are looked up at run time, so that the program still starts on a
// system without them. Neither helper keeps the window: every operation takes it anew,
// and setting a field does not touch the window.
#include "framework/Bitmap.h"
#include "framework/WinControls.h"

#include <windows.h>

namespace gs {

// Finds an entry of user32.dll at run time: the loaded module only, null when the
// system lacks the module or the entry.
using User32Lookup = FARPROC (*)(const char* name);
FARPROC LookUpUser32(const char* name);
// The look-up the helpers use when they are constructed; returns the one it replaces.
// A test swaps in one that finds nothing (or a recording stand-in).
User32Lookup SetUser32Lookup(User32Lookup lookup);

// What both helpers hand the system: a colour key, a constant opacity and whether the
// mouse goes through the window.
class LayeredWindowSettings {
public:
    COLORREF ColorKey() const { return m_colorKey; }
    void SetColorKey(COLORREF key) { m_colorKey = key; }
    bool ColorKeyEnabled() const { return m_colorKeyEnabled; }
    void SetColorKeyEnabled(bool enabled) { m_colorKeyEnabled = enabled; }
    bool ClickThrough() const { return m_clickThrough; }
    void SetClickThrough(bool clickThrough) { m_clickThrough = clickThrough; }
    bool AlphaEnabled() const { return m_alphaEnabled; }
    void SetAlphaEnabled(bool enabled) { m_alphaEnabled = enabled; }
    BYTE Alpha() const { return m_alpha; }
    void SetAlpha(BYTE alpha) { m_alpha = alpha; }

protected:
    COLORREF m_colorKey = 0xFFFFFFFF;
    bool m_colorKeyEnabled = false;
    bool m_clickThrough = false;
    bool m_alphaEnabled = false;
    BYTE m_alpha = 255;
};

// Colour key and constant opacity through SetLayeredWindowAttributes.
class LayeredWindowMaker : public LayeredWindowSettings {
public:
    LayeredWindowMaker();
    virtual ~LayeredWindowMaker();
    LayeredWindowMaker(const LayeredWindowMaker&) = delete;
    LayeredWindowMaker& operator=(const LayeredWindowMaker&) = delete;

    // Whether the system has SetLayeredWindowAttributes.
    bool IsEnabled() const { return m_setAttributes != nullptr; }
    // Makes the window layered with the key and opacity (precondition IsEnabled());
    // with neither, takes the layering away. The system call's result, or whether the
    // style changed.
    bool Apply(HWND window);
    // Takes the layered and click-through styles away; redraws when they were there.
    void Remove(HWND window);

private:
    using SetAttributesFunction = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

    SetAttributesFunction m_setAttributes;
};

// A whole image as the window's content and shape through UpdateLayeredWindow. The
// image is a 32-bit bitmap already premultiplied by its alpha; it goes to the system
// unchanged.
class PerPixelLayeredWindowBase : public LayeredWindowSettings {
public:
    PerPixelLayeredWindowBase();
    virtual ~PerPixelLayeredWindowBase();
    PerPixelLayeredWindowBase(const PerPixelLayeredWindowBase&) = delete;
    PerPixelLayeredWindowBase& operator=(const PerPixelLayeredWindowBase&) = delete;

    virtual HBITMAP GetBitmapHandle(TBitmap* bitmap) = 0;

    // Whether the system has UpdateLayeredWindow; without it no image reaches the system.
    bool IsEnabled() const { return m_updateWindow != nullptr; }
    // Per-pixel alpha when asked for and the bitmap has 32 bits a pixel, or a constant
    // opacity: the image through its alpha, the colour key ignored. Otherwise the colour
    // key alone, or no layering at all. The window keeps its place and takes the image's
    // size. The system call's result; false when the layering was taken away.
    bool Update(HWND window, TBitmap* bitmap);
    bool Update(TWinControl* control, TBitmap* bitmap) { return Update(control->Handle(), bitmap); }
    void Remove(HWND window);
    void Remove(TWinControl* control) { Remove(control->Handle()); }

    bool PerPixelAlpha() const { return m_perPixelAlpha; }
    void SetPerPixelAlpha(bool perPixel) { m_perPixelAlpha = perPixel; }

private:
    using UpdateWindowFunction = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                               BLENDFUNCTION*, DWORD);

    bool UpdateSystem(HWND window, HBITMAP bitmap, BLENDFUNCTION blend, DWORD flag);

    bool m_perPixelAlpha = false;
    UpdateWindowFunction m_updateWindow;
};

class TPerPixelLayeredWindowMaker : public PerPixelLayeredWindowBase {
public:
    // The bitmap's Handle, free to be selected into the update's DC.
    HBITMAP GetBitmapHandle(TBitmap* bitmap) override;
};

}  // namespace gs
