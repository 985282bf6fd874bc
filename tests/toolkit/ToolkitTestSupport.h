#pragma once
// Shared by the window toolkit's tests: a recording stand-in for the two layered-window
// functions, screenshots of the real X screen, test pictures and real drags.
#include "framework/Bitmap.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "src/gui/widget/LayeredWindow.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace toolkittest {

// What the helpers handed to the system, one line a call, e.g. "SetLayeredWindowAttributes
// key 02ff00ff alpha 255 flags 1"; the calls still reach the system.
extern std::vector<std::string> g_systemCalls;
extern HDC g_lastMemoryDC;  // the source DC of the last UpdateLayeredWindow

// Helpers constructed while one lives see a system where the look-up answers
// `lookup`; the record starts empty.
class ScopedLookup {
public:
    explicit ScopedLookup(gs::User32Lookup lookup);
    ~ScopedLookup();
    ScopedLookup(const ScopedLookup&) = delete;
    ScopedLookup& operator=(const ScopedLookup&) = delete;

private:
    gs::User32Lookup m_previous;
};
FARPROC RecordingLookup(const char* name);
FARPROC MissingLookup(const char* name);

// A picture filled column band by column band: each band is [from, to) with one BGRA
// value; pf24bit drops the alpha.
struct Band {
    int from;
    int to;
    BYTE b, g, r, a;
};
void Paint(TBitmap* bitmap, TPixelFormat format, int width, int height, const std::vector<Band>& bands);

// A borderless, unscaled form at (left, top) holding an image that is not yet sized;
// the form owns the image.
struct ShapedForm {
    TComponentPtr<TForm> form;
    TImage* image;
};
ShapedForm MakeForm(const std::string& name, int left, int top);
// A plain coloured form to lie beneath the shaped ones.
TComponentPtr<TForm> MakeBackdrop(TColor color, const TRect& bounds);

// The real screen: the X server's root window, as a file left in the test's folder.
class Screenshot {
public:
    explicit Screenshot(const std::string& name);
    bool Valid() const { return m_width > 0; }
    COLORREF Pixel(int x, int y) const;  // red in the low byte; CLR_INVALID outside

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<BYTE> m_rgb;
};
std::string Rgb(COLORREF color);

// Real pointer input, run while messages are processed: the system's move loop must see
// the button's release.
void XdotoolWhilePumping(const std::string& args);
// Presses `button` at a screen point, moves by (dx, dy) and releases.
void Drag(int button, int x, int y, int dx, int dy);

}  // namespace toolkittest
