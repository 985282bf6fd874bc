#pragma once
// GDI drawing objects: fonts, brushes, the canvas over a DC and the graphics it draws;
// the bitmap and the picture are in Bitmap.h.
#include "framework/Classes.h"
#include "framework/Handles.h"
#include "framework/Types.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

enum TFontStyle : uint8_t {
    fsBold = 0x01,
    fsItalic = 0x02,
    fsUnderline = 0x04,
    fsStrikeOut = 0x08,
};
// A set of TFontStyle flags, e.g. fsBold | fsItalic.
using TFontStyles = uint8_t;

// The logical pixels per inch of the screen, which converts font points to pixels.
int ScreenPixelsPerInch();
// The pixels per inch of the monitor a window is on, where the system tells it per
// monitor (Windows 10 1607 and later); else the screen's.
int WindowPixelsPerInch(HWND window);

// A logical font. Changing any attribute fires OnChange; the HFONT is made on first
// use of Handle() and belongs to the font.
class TFont : public TPersistent {
public:
    TFont();

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name);
    // Character height in pixels; negative means the em height, as in LOGFONT.
    int Height() const { return m_height; }
    void SetHeight(int height);
    // Size in points, derived from Height and the screen's pixels per inch.
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    TFontStyles Style() const { return m_style; }
    void SetStyle(TFontStyles style);
    uint8_t Charset() const { return m_charset; }
    void SetCharset(uint8_t charset);

    void Assign(const TPersistent* source) override;

    HFONT Handle();

    TNotifyEvent OnChange;

private:
    void Changed(bool handleChanged);

    std::string m_name = "Tahoma";
    int m_height = -11;
    TColor m_color = clWindowText;
    TFontStyles m_style = 0;
    uint8_t m_charset = DEFAULT_CHARSET;
    FontHandle m_handle;
};

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TPersistent {
public:
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return m_style; }
    void SetStyle(TBrushStyle style);

    void Assign(const TPersistent* source) override;

    HBRUSH Handle();

    TNotifyEvent OnChange;

private:
    void Changed();

    TColor m_color = clWhite;
    TBrushStyle m_style = bsSolid;
    BrushHandle m_handle;
};

using TCopyMode = DWORD;
constexpr TCopyMode cmSrcCopy = SRCCOPY;

class TGraphic;

// Draws on a device context. The DC is borrowed (SetHandle) or supplied on demand by a
// subclass through CreateHandle. The canvas's font and brush are selected into the DC
// when a drawing call needs them; the DC's own objects are put back when the handle is
// released or changed, so no object of the canvas stays selected in a DC it gave up.
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;

    // The DC with the canvas's font (and text colour) and brush (and background colour
    // and mode) selected. Raises when there is no DC and the canvas cannot make one.
    HDC Handle();
    // The same DC with nothing of the canvas selected into it: for blits and pixel code,
    // which use neither font nor brush, and spares selecting both.
    HDC BareHandle();
    bool HandleAllocated() const { return m_handle != nullptr; }
    // Borrows a DC (nullptr lets go of the current one).
    void SetHandle(HDC dc);

    TFont* Font() const { return m_font.get(); }
    void SetFont(const TFont* font) { m_font->Assign(font); }
    TBrush* Brush() const { return m_brush.get(); }
    void SetBrush(const TBrush* brush) { m_brush->Assign(brush); }
    TCopyMode CopyMode() const { return m_copyMode; }
    void SetCopyMode(TCopyMode mode) { m_copyMode = mode; }

    // Stretches the source rectangle of another canvas onto dest with CopyMode.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    // Draws a graphic at its own size; a bitmap is blitted with CopyMode (its alpha
    // byte is copied, not blended), or with its transparent colour cut out when its
    // Transparent property is set.
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    void FillRect(const TRect& rect);
    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);

    // Fired after every drawing call that changed pixels.
    TNotifyEvent OnChange;

protected:
    // Called when a DC is needed and none is set; a subclass calls SetHandle here.
    virtual void CreateHandle() {}
    void Changed() { Fire(OnChange, this); }

private:
    enum State : unsigned { csFont = 1, csBrush = 2 };
    void RequireState(unsigned state);
    void DeselectHandles();
    void FontChanged(TObject* sender);
    void BrushChanged(TObject* sender);

    std::unique_ptr<TFont> m_font;
    std::unique_ptr<TBrush> m_brush;
    TCopyMode m_copyMode = cmSrcCopy;
    HDC m_handle = nullptr;          // borrowed, or owned by a subclass
    unsigned m_state = 0;
    HGDIOBJ m_originalFont = nullptr;   // borrowed: the DC's own, put back on release
    HGDIOBJ m_originalBrush = nullptr;  // borrowed
};

// Anything that can be drawn on a canvas.
class TGraphic : public TPersistent {
public:
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;

    // When set, Draw leaves the graphic's transparent parts out.
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool value);
    bool Modified() const { return m_modified; }
    // Setting Modified reports a change made behind the graphic's back (for example
    // through ScanLine) and fires OnChange.
    void SetModified(bool value);

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
    virtual void Changed();

    bool m_transparent = false;

private:
    bool m_modified = false;
};

// Named here for code that only passes them around; declared in Bitmap.h.
class TBitmap;
class TPicture;
