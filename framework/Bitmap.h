#pragma once
// Device-independent bitmaps with direct row access, the canvas that draws on them, and
// the picture that holds one.
#include "framework/Graphics.h"
#include "framework/Handles.h"
#include "framework/Types.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

// pfDevice has the screen's colour depth; pf24bit is blue, green, red; pf32bit is blue,
// green, red, alpha.
enum TPixelFormat { pfDevice, pf24bit, pf32bit };

// tmAuto takes the colour of the bottom-left pixel as transparent, tmFixed a chosen one.
enum TTransparentMode { tmAuto, tmFixed };

class TBitmap;

// GDI may keep drawing calls in a per-thread batch until it is flushed. Handing out a DC
// (any canvas drawing) or a bitmap handle marks the batch as possibly pending;
// TBitmap::ScanLine flushes it only then, so a walk over many rows flushes once.
void NoteGdiBatchPending();

// Where drawing on a DC lands in the pixels of a pf32bit TBitmap, so that pixel code can
// write them itself instead of having GDI convert and copy them.
struct TPixelTarget {
    TBitmap* bitmap = nullptr;  // borrowed
    long long dx = 0;           // a device pixel is the logical one moved by (dx, dy)
    long long dy = 0;
    TRect clip;  // the device pixels drawing may reach: inside the bitmap and the clip

    // The device pixels of a logical rectangle that drawing may reach; may be empty.
    TRect Reach(const TRect& logical) const;
};

class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap* bitmap) : m_bitmap(bitmap) {}
    ~TBitmapCanvas() override;
    // Lets go of the DC so that the bitmap can replace its pixels.
    void FreeContext();
    // True, with the target, when dc was made by the canvas of a pf32bit bitmap that is
    // still selected into it, maps logical to device pixels by an offset alone (MM_TEXT,
    // no world transform, no mirroring) and clips to one rectangle or to nothing.
    static bool PixelTargetOf(HDC dc, TPixelTarget& target);

protected:
    void CreateHandle() override;

private:
    TBitmap* m_bitmap;  // borrowed: the bitmap owns this canvas
    MemoryDC m_dc;
    HGDIOBJ m_originalBitmap = nullptr;  // borrowed
};

// A top-down DIB section. Every change of size, format or pixels made through the
// framework fires OnChange; writes through ScanLine are the caller's to report
// (SetModified).
class TBitmap : public TGraphic {
public:
    // Writes an image's rows, top row first, into a zeroed DIB given its first byte and
    // its stride; the same rows every time it is called.
    using TPixelSource = std::function<void(uint8_t* bits, int stride)>;

    TBitmap();
    ~TBitmap() override;

    // Takes a width x height image in format (pf24bit or pf32bit) whose pixels source
    // writes only when first needed: by a pixel or the handle, a draw, a copy from this
    // bitmap or a resize that keeps pixels. Replaced or emptied before then, the pixels
    // are never made. Otherwise the same as assigning a fresh bitmap holding them: the
    // transparency settings go back to their defaults and OnChange fires once.
    void LoadDeferred(int width, int height, TPixelFormat format, TPixelSource source);

    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    bool Empty() const override { return m_width == 0 || m_height == 0; }
    void SetWidth(int width) { SetSize(width, m_height); }
    void SetHeight(int height) { SetSize(m_width, height); }
    // Keeps the pixels that fit into the new size; new pixels are 0.
    void SetSize(int width, int height);

    TPixelFormat PixelFormat() const { return m_pixelFormat; }
    // Converts the pixels; from pf32bit the alpha byte is dropped, to pf32bit it is 0.
    void SetPixelFormat(TPixelFormat format);

    // The first byte of a row; row 0 is the top row. Raises for a row out of range.
    // Flushes GDI's batch first when drawing may be pending (NoteGdiBatchPending).
    uint8_t* ScanLine(int row);

    TCanvas* Canvas();
    HBITMAP Handle() const;

    TTransparentMode TransparentMode() const { return m_transparentMode; }
    void SetTransparentMode(TTransparentMode mode);
    // The cut-out colour with the flag 0x02000000 set: the bottom-left pixel's colour in
    // tmAuto, the chosen one in tmFixed; clDefault for an empty bitmap in tmAuto.
    TColor TransparentColor();
    // clDefault returns to tmAuto, any other colour fixes it.
    void SetTransparentColor(TColor color);

    void Assign(const TPersistent* source) override;

protected:
    void Draw(TCanvas* canvas, const TRect& rect) override;

private:
    bool CopyInto(HDC dc, const TRect& rect, DWORD rop);
    void Rebuild(int width, int height, TPixelFormat format);
    void ReleaseImage();
    // Makes the pixels of a deferred image; logically const, as they were there all along.
    void Realize() const;
    int BitsPerPixel() const;
    int Stride() const;

    int m_width = 0;
    int m_height = 0;
    TPixelFormat m_pixelFormat = pfDevice;
    mutable BitmapHandle m_dib;
    mutable uint8_t* m_bits = nullptr;  // owned by m_dib
    mutable TPixelSource m_source;      // set while the pixels are not made yet
    TTransparentMode m_transparentMode = tmAuto;
    TColor m_transparentColor = clDefault;
    std::unique_ptr<TBitmapCanvas> m_canvas;
};

// Holds one graphic, made on demand as a bitmap.
class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return m_graphic.get(); }
    // The picture's bitmap, created empty when the picture holds none.
    TBitmap* Bitmap();
    void SetBitmap(const TBitmap* bitmap) { Bitmap()->Assign(bitmap); }
    int Width() const { return m_graphic ? m_graphic->Width() : 0; }
    int Height() const { return m_graphic ? m_graphic->Height() : 0; }

    // Copies a picture or a bitmap; nullptr empties the picture.
    void Assign(const TPersistent* source) override;

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    void GraphicChanged(TObject* sender);

    std::unique_ptr<TGraphic> m_graphic;
};
