#include "framework/Bitmap.h"

#include "framework/Assert.h"
#include "framework/SysUtils.h"

#include <tmmintrin.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

bool g_gdiBatchPending = false;

// Bitmap canvases that hold a DC; borrowed.
std::vector<TBitmapCanvas*>& CanvasesWithDC()
{
    static std::vector<TBitmapCanvas*> list;
    return list;
}

int DeviceBitsPerPixel()
{
    static const int bits = [] {
        WindowDC screen(nullptr);
        const int value =
            screen ? GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES) : 0;
        // Palette formats would need a colour table; such screens get a true-colour DIB.
        return (value == 16 || value == 24 || value == 32) ? value : 32;
    }();
    return bits;
}

int BitsPerPixelOf(TPixelFormat format)
{
    switch (format) {
    case pf24bit:
        return 24;
    case pf32bit:
        return 32;
    case pfDevice:
        break;
    }
    return DeviceBitsPerPixel();
}

int StrideOf(int width, int bitsPerPixel)
{
    return (width * bitsPerPixel + 31) / 32 * 4;
}

// Raises when a width x height image of that many bits per pixel cannot be a DIB.
void CheckDibSize(int width, int height, int bitsPerPixel)
{
    const long long stride = (static_cast<long long>(width) * bitsPerPixel + 31) / 32 * 4;
    if (width > 0 && height > 0 && stride * height > INT_MAX)
        throw EOutOfResources("Out of system resources");
}

// A zeroed top-down DIB section, or none for an empty size.
BitmapHandle CreateTopDownDib(int width, int height, int bitsPerPixel, uint8_t** pixels)
{
    *pixels = nullptr;
    if (width <= 0 || height <= 0)
        return BitmapHandle();
    CheckDibSize(width, height, bitsPerPixel);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row 0 is the top row
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    BitmapHandle dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0));
    if (!dib || !memory)
        throw EOutOfResources("Out of system resources");
    *pixels = static_cast<uint8_t*>(memory);
    std::memset(*pixels, 0, static_cast<size_t>(StrideOf(width, bitsPerPixel)) * height);
    return dib;
}

// Copies the top-left width x height pixels between two DIBs of 24 or 32 bits: colours
// byte for byte, alpha only between two 32-bit images (it stays 0 otherwise).
void CopyTrueColorPixels(const uint8_t* source, int sourceBits, uint8_t* dest, int destBits,
                         int width, int height, int sourceStride, int destStride)
{
    const int sourceStep = sourceBits / 8;
    const int destStep = destBits / 8;
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = source + static_cast<ptrdiff_t>(y) * sourceStride;
        uint8_t* d = dest + static_cast<ptrdiff_t>(y) * destStride;
        if (sourceStep == destStep) {
            std::memcpy(d, s, static_cast<size_t>(width) * destStep);
            continue;
        }
        for (int x = 0; x < width; ++x, s += sourceStep, d += destStep) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
}

}  // namespace

void NoteGdiBatchPending()
{
    g_gdiBatchPending = true;
}

// ---------------------------------------------------------------------------------------
// TBitmapCanvas

TBitmapCanvas::~TBitmapCanvas()
{
    FreeContext();
}

void TBitmapCanvas::CreateHandle()
{
    MemoryDC dc(CreateCompatibleDC(nullptr));
    if (!dc)
        throw EOutOfResources("Out of system resources");
    if (m_bitmap->Handle())
        m_originalBitmap = SelectObject(dc.Get(), m_bitmap->Handle());
    m_dc = std::move(dc);
    SetHandle(m_dc.Get());
    CanvasesWithDC().push_back(this);
}

TRect TPixelTarget::Reach(const TRect& logical) const
{
    const long long left = std::max<long long>(clip.Left, logical.Left + dx);
    const long long top = std::max<long long>(clip.Top, logical.Top + dy);
    const long long right = std::min<long long>(clip.Right, logical.Right + dx);
    const long long bottom = std::min<long long>(clip.Bottom, logical.Bottom + dy);
    if (left >= right || top >= bottom)
        return TRect();
    return TRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                 static_cast<int>(bottom));
}

bool TBitmapCanvas::PixelTargetOf(HDC dc, TPixelTarget& target)
{
    TBitmap* bitmap = nullptr;
    for (TBitmapCanvas* canvas : CanvasesWithDC()) {
        if (canvas->m_dc.Get() == dc) {
            bitmap = canvas->m_bitmap;
            break;
        }
    }
    if (!bitmap || bitmap->PixelFormat() != pf32bit ||
        GetCurrentObject(dc, OBJ_BITMAP) != bitmap->Handle() || GetMapMode(dc) != MM_TEXT ||
        GetGraphicsMode(dc) != GM_COMPATIBLE || GetLayout(dc) != 0)
        return false;
    target = TPixelTarget();
    target.bitmap = bitmap;
    RECT clip;
    const int region = GetClipBox(dc, &clip);
    if (region == NULLREGION)
        return true;  // nothing can be reached
    POINT viewport, window;
    if (region != SIMPLEREGION || !GetViewportOrgEx(dc, &viewport) || !GetWindowOrgEx(dc, &window))
        return false;
    target.dx = static_cast<long long>(viewport.x) - window.x;
    target.dy = static_cast<long long>(viewport.y) - window.y;
    target.clip = TRect(0, 0, bitmap->Width(), bitmap->Height());
    target.clip = target.Reach(TRect(clip.left, clip.top, clip.right, clip.bottom));
    return true;
}

void TBitmapCanvas::FreeContext()
{
    if (!m_dc)
        return;
    SetHandle(nullptr);
    if (m_originalBitmap)
        SelectObject(m_dc.Get(), m_originalBitmap);
    m_originalBitmap = nullptr;
    m_dc.Reset();
    auto& list = CanvasesWithDC();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

// ---------------------------------------------------------------------------------------
// TBitmap

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    // The canvas's DC must let go of the DIB before the DIB is deleted.
    m_canvas.reset();
}

int TBitmap::BitsPerPixel() const
{
    return BitsPerPixelOf(m_pixelFormat);
}

int TBitmap::Stride() const
{
    return StrideOf(m_width, BitsPerPixel());
}

void TBitmap::Rebuild(int width, int height, TPixelFormat format)
{
    const int bits = BitsPerPixelOf(format);
    uint8_t* pixels = nullptr;
    BitmapHandle dib = CreateTopDownDib(width, height, bits, &pixels);
    if (m_source) {
        // Pixels that the new shape keeps are made first; none kept, none ever made.
        if (std::min(width, m_width) > 0 && std::min(height, m_height) > 0)
            Realize();
        m_source = nullptr;
    }

    GdiFlush();
    if (m_canvas)
        m_canvas->FreeContext();

    const int keepWidth = std::min(width, m_width);
    const int keepHeight = std::min(height, m_height);
    if (pixels && m_bits && keepWidth > 0 && keepHeight > 0) {
        const int oldBits = BitsPerPixel();
        if (oldBits >= 24 && bits >= 24) {
            CopyTrueColorPixels(m_bits, oldBits, pixels, bits, keepWidth, keepHeight,
                                Stride(), StrideOf(width, bits));
        } else {
            MemoryDC from(CreateCompatibleDC(nullptr));
            MemoryDC to(CreateCompatibleDC(nullptr));
            if (!from || !to)
                throw EOutOfResources("Out of system resources");
            SelectedObject fromBitmap(from.Get(), m_dib.Get());
            SelectedObject toBitmap(to.Get(), dib.Get());
            BitBlt(to.Get(), 0, 0, keepWidth, keepHeight, from.Get(), 0, 0, SRCCOPY);
            GdiFlush();
        }
    }

    m_dib = std::move(dib);
    m_bits = pixels;
    m_width = width;
    m_height = height;
    m_pixelFormat = format;
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    Rebuild(width, height, m_pixelFormat);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == m_pixelFormat)
        return;
    Rebuild(m_width, m_height, format);
    Changed();
}

uint8_t* TBitmap::ScanLine(int row)
{
    Realize();
    if (row < 0 || row >= m_height || !m_bits)
        throw Exception("Scan line index out of range");
    if (g_gdiBatchPending) {  // GDI may still be drawing into the DIB
        g_gdiBatchPending = false;
        GdiFlush();
    }
    return m_bits + static_cast<ptrdiff_t>(row) * Stride();
}

HBITMAP TBitmap::Handle() const
{
    Realize();
    NoteGdiBatchPending();  // whoever takes the handle may draw into the DIB
    return m_dib.Get();
}

void TBitmap::LoadDeferred(int width, int height, TPixelFormat format, TPixelSource source)
{
    ASSERT(format == pf24bit || format == pf32bit);
    ASSERT(source);
    width = std::max(width, 0);
    height = std::max(height, 0);
    CheckDibSize(width, height, BitsPerPixelOf(format));
    if (m_bits && width == m_width && height == m_height && format == m_pixelFormat) {
        // The same shape: the pixels go into the image there is, as Assign does.
        GdiFlush();
        std::memset(m_bits, 0, static_cast<size_t>(Stride()) * m_height);
        source(m_bits, Stride());
    } else {
        ReleaseImage();
        m_width = width;
        m_height = height;
        m_pixelFormat = format;
        if (width > 0 && height > 0)
            m_source = std::move(source);
    }
    m_transparentMode = tmAuto;
    m_transparentColor = clDefault;
    m_transparent = false;
    Changed();
}

void TBitmap::Realize() const
{
    if (!m_source)
        return;
    uint8_t* pixels = nullptr;
    BitmapHandle dib = CreateTopDownDib(m_width, m_height, BitsPerPixel(), &pixels);
    m_source(pixels, Stride());
    m_source = nullptr;
    m_dib = std::move(dib);
    m_bits = pixels;
}

TCanvas* TBitmap::Canvas()
{
    if (!m_canvas) {
        m_canvas = std::make_unique<TBitmapCanvas>(this);
        m_canvas->OnChange = [this](TObject*) { Changed(); };
    }
    return m_canvas.get();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == m_transparentMode)
        return;
    if (mode == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

TColor TBitmap::TransparentColor()
{
    if (m_transparentMode == tmFixed)
        return static_cast<TColor>(ColorToRGB(m_transparentColor) | 0x02000000u);
    if (Empty())
        return clDefault;
    TColor color;
    if (BitsPerPixel() >= 24) {
        const uint8_t* pixel = ScanLine(m_height - 1);
        color = RGBColor(pixel[2], pixel[1], pixel[0]);
    } else {
        color = static_cast<TColor>(GetPixel(Canvas()->Handle(), 0, m_height - 1));
    }
    return color | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor color)
{
    const TTransparentMode mode = color == clDefault ? tmAuto : tmFixed;
    if (mode == m_transparentMode && color == m_transparentColor)
        return;
    m_transparentColor = color;
    m_transparentMode = mode;
    Changed();
}

void TBitmap::ReleaseImage()
{
    GdiFlush();  // GDI may still be drawing into the DIB
    if (m_canvas)
        m_canvas->FreeContext();
    m_dib.Reset();
    m_bits = nullptr;
    m_source = nullptr;
    m_width = 0;
    m_height = 0;
}

void TBitmap::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (!source) {
        ReleaseImage();
        Changed();
        return;
    }
    const auto* bitmap = dynamic_cast<const TBitmap*>(source);
    if (!bitmap) {
        TPersistent::Assign(source);
        return;
    }
    bitmap->Realize();
    if (m_bits && m_width == bitmap->m_width && m_height == bitmap->m_height &&
        m_pixelFormat == bitmap->m_pixelFormat) {
        // The same shape: the pixels go into the image there is, as a render that
        // assigns its result every time needs no new one.
        GdiFlush();  // GDI may still be drawing into either DIB
    } else {
        // Start from an empty image so that Rebuild copies nothing.
        ReleaseImage();
        Rebuild(bitmap->m_width, bitmap->m_height, bitmap->m_pixelFormat);
    }
    if (m_bits && bitmap->m_bits)
        std::memcpy(m_bits, bitmap->m_bits, static_cast<size_t>(Stride()) * m_height);
    m_transparentMode = bitmap->m_transparentMode;
    m_transparentColor = bitmap->m_transparentColor;
    m_transparent = bitmap->m_transparent;
    Changed();
}

namespace {

// The first pixels of a 24-bit row as 32-bit ones, the fourth byte 0, sixteen at a time
// while the row holds the four bytes the last load reads past them; returns how many it
// did. One shuffle spreads four pixels.
__attribute__((target("ssse3"))) int Expand24To32Wide(const uint8_t* s, uint8_t* d, int width)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    int x = 0;
    for (; x + 18 <= width; x += 16, s += 48, d += 64) {
        for (int k = 0; k < 4; ++k) {
            const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 12 * k));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16 * k), _mm_shuffle_epi8(pixels, spread));
        }
    }
    return x;
}

int Expand24To32(const uint8_t* s, uint8_t* d, int width)
{
    static const bool wide = __builtin_cpu_supports("ssse3");
    return wide ? Expand24To32Wide(s, d, width) : 0;
}

}  // namespace

// A 1:1 SRCCOPY of a 24- or 32-bit image into a 32-bit bitmap's pixels is a row copy, done
// here without GDI's conversion. The bytes are BitBlt's: the colours as they are, and the
// fourth byte the source's from 32 bits, 0 from 24. False leaves the drawing to GDI.
bool TBitmap::CopyInto(HDC dc, const TRect& rect, DWORD rop)
{
    const int bits = BitsPerPixel();
    if (rop != SRCCOPY || Empty() || rect.Width() != m_width || rect.Height() != m_height ||
        (bits != 24 && bits != 32))
        return false;
    TPixelTarget target;
    if (!TBitmapCanvas::PixelTargetOf(dc, target) || target.bitmap == this)
        return false;
    const TRect area = target.Reach(rect);
    const int width = area.Width();
    if (width <= 0 || area.Height() <= 0)
        return true;
    const int sourceLeft = static_cast<int>(area.Left - target.dx - rect.Left);
    const int sourceTop = static_cast<int>(area.Top - target.dy - rect.Top);
    for (int y = area.Top; y < area.Bottom; ++y) {
        const uint8_t* s = ScanLine(sourceTop + (y - area.Top)) + sourceLeft * (bits / 8);
        uint8_t* d = target.bitmap->ScanLine(y) + area.Left * 4;
        if (bits == 32) {
            std::memcpy(d, s, static_cast<size_t>(width) * 4);
            continue;
        }
        int x = Expand24To32(s, d, width);
        s += x * 3;
        d += x * 4;
        for (; x + 4 <= width; x += 4, s += 12, d += 16) {  // four pixels from three words
            uint32_t w[3];
            std::memcpy(w, s, 12);
            const uint32_t out[4] = {w[0] & 0xFFFFFF, (w[0] >> 24) | ((w[1] & 0xFFFF) << 8),
                                     (w[1] >> 16) | ((w[2] & 0xFF) << 16), w[2] >> 8};
            std::memcpy(d, out, 16);
        }
        for (; x < width; ++x, s += 3, d += 4) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = 0;
        }
    }
    return true;
}

void TBitmap::Draw(TCanvas* canvas, const TRect& rect)
{
    if (!Transparent() && CopyInto(canvas->BareHandle(), rect, canvas->CopyMode()))
        return;
    HDC dest = canvas->Handle();  // a raster operation may use the brush
    HDC source = Canvas()->BareHandle();
    if (Transparent()) {
        TransparentBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0,
                       m_width, m_height, ColorToRGB(TransparentColor() & 0x00FFFFFF));
        return;
    }
    const int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
    StretchBlt(dest, rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0, m_width,
               m_height, canvas->CopyMode());
    SetStretchBltMode(dest, oldMode);
}

// ---------------------------------------------------------------------------------------
// TPicture

TPicture::TPicture() = default;

TPicture::~TPicture() = default;

TBitmap* TPicture::Bitmap()
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(m_graphic.get()))
        return bitmap;
    SetGraphic(std::make_unique<TBitmap>());
    return static_cast<TBitmap*>(m_graphic.get());
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic)
{
    m_graphic = std::move(graphic);
    if (m_graphic)
        m_graphic->OnChange = Bind(this, &TPicture::GraphicChanged);
    Fire(OnChange, this);
}

void TPicture::GraphicChanged(TObject*)
{
    Fire(OnChange, this);
}

void TPicture::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (!source) {
        SetGraphic(nullptr);
        return;
    }
    if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (picture->m_graphic)
            Bitmap()->Assign(picture->m_graphic.get());
        else
            SetGraphic(nullptr);
        return;
    }
    if (dynamic_cast<const TBitmap*>(source)) {
        // Into the existing bitmap, so that a Bitmap() pointer a user holds stays valid.
        Bitmap()->Assign(source);
        return;
    }
    TPersistent::Assign(source);
}

void TPicture::AssignTo(TPersistent* dest) const
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        bitmap->Assign(m_graphic.get());
        return;
    }
    TPersistent::AssignTo(dest);
}
