#include "src/gui/Painter/TextPainter.h"

#include "framework/Assert.h"
#include "src/gui/graphics/image.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

const long double kReciprocal255 = 1.0L / 255.0L;
const int32_t kKernelScale = 256;

int SystemDrawText(HDC dc, const char* text, RECT* rect, UINT format)
{
    return DrawTextA(dc, text ? text : "", -1, rect, format);
}

int SystemDrawText(HDC dc, const wchar_t* text, RECT* rect, UINT format)
{
    return DrawTextW(dc, text ? text : L"", -1, rect, format);
}

template <class Char>
void PlainText(TCanvas* canvas, const Char* text, const TRect& rect, UINT format)
{
    HDC dc = canvas->Handle();
    SetBkMode(dc, TRANSPARENT);
    RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    SystemDrawText(dc, text, &r, format);
}

template <class Char>
void MeasureText(TCanvas* canvas, const Char* text, TRect& rect, UINT format)
{
    RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    SystemDrawText(canvas->Handle(), text, &r, format | DT_CALCRECT);
    rect = TRect(r.left, r.top, r.right, r.bottom);
}

// Fills with a solid colour even when the canvas's brush is clear (a transparent
// label's), keeping the brush style the caller chose.
void FillSolid(TCanvas* canvas, const TRect& rect, TColor color)
{
    TBrush* brush = canvas->Brush();
    const TBrushStyle style = brush->Style();
    brush->SetColor(color);
    brush->SetStyle(bsSolid);
    canvas->FillRect(rect);
    brush->SetStyle(style);
}

std::unique_ptr<TBitmap> NewLayer(int width, int height, const TFont* font)
{
    auto layer = std::make_unique<TBitmap>();
    layer->SetPixelFormat(pf32bit);
    layer->SetSize(width, height);
    layer->Canvas()->Font()->Assign(font);
    return layer;
}

void EnsureTrueColor(TBitmap* bitmap)
{
    if (bitmap->PixelFormat() != pf24bit && bitmap->PixelFormat() != pf32bit)
        bitmap->SetPixelFormat(pf24bit);
}

// The rows and columns of area that lie inside the bitmap, as offsets into area.
struct Inside {
    int firstRow, endRow, firstColumn, endColumn;
};

Inside InsideOf(const TBitmap* bitmap, const TRect& area, int rows, int columns)
{
    Inside in{};
    in.firstRow = std::max(0, -area.Top);
    in.endRow = std::max(in.firstRow, std::min(rows, bitmap->Height() - area.Top));
    in.firstColumn = std::max(0, -area.Left);
    in.endColumn = std::max(in.firstColumn, std::min(columns, bitmap->Width() - area.Left));
    return in;
}

// Text in the font colour with the rendering's coverage as alpha, (0, 0, 0, 0) around it.
template <class Char>
void TextLayer(TBitmap* bitmap, const Char* text, const TRect& area, UINT format)
{
    TCanvas* canvas = bitmap->Canvas();
    TFont* font = canvas->Font();
    const TColor color = font->Color();
    font->SetColor(clWhite);
    FillSolid(canvas, area, clBlack);
    PlainText(canvas, text, area, format);
    IntMatrix luminance = LuminanceMatrix(bitmap, area);
    FillSolid(canvas, area, color);
    AlphaFromMatrix(bitmap, area, luminance);
    font->SetColor(color);  // the caller's canvas keeps its font colour
}

// The text layer built in a temporary bitmap and put onto the canvas at (left, top).
template <class Char>
void TextLayerOnCanvas(TCanvas* canvas, const Char* text, int left, int top, int width,
                       int height, UINT format)
{
    if (width <= 0 || height <= 0)
        return;
    auto layer = NewLayer(width, height, canvas->Font());
    TextLayer(layer.get(), text, TRect(0, 0, width, height), format);
    PutRect(canvas, TRect(left, top, left + width, top + height), layer.get(), TPoint(0, 0));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// IntMatrix and filters

IntMatrix::IntMatrix(int rows, int columns)
    : m_rows(std::max(rows, 0)), m_columns(std::max(columns, 0)),
      m_cells(std::make_unique<int32_t[]>(static_cast<size_t>(m_rows) * m_columns))
{
    m_rowStarts.reserve(static_cast<size_t>(m_rows));
    for (int i = 0; i < m_rows; ++i)
        m_rowStarts.push_back(m_cells.get() + static_cast<size_t>(i) * m_columns);
}

void Filter::ApplyFilter(const IntMatrix& source, int sourceRow, int sourceColumn, int rows,
                         int columns, IntMatrix& dest, int destRow, int destColumn) const
{
    for (int i = 0; i < rows; ++i) {
        int32_t* out = dest[destRow + i] + destColumn;
        for (int j = 0; j < columns; ++j)
            out[j] = FilterAt(source, sourceRow, sourceColumn, rows, columns, i, j);
    }
}

NeighborWeightedFilter::NeighborWeightedFilter(IntMatrix kernel, int32_t divisor,
                                               int32_t rowRadius, int32_t columnRadius)
    : m_kernel(std::move(kernel)), m_divisor(divisor), m_rowRadius(rowRadius),
      m_columnRadius(columnRadius), m_stamps(256)
{
    ASSERT(divisor > 0);
    // Rows of the turned kernel without a positive weight spread nothing.
    m_firstLiveRow = m_kernel.Rows();
    for (int i = 0; i < m_kernel.Rows(); ++i)
        for (int j = 0; j < m_kernel.Columns(); ++j) {
            m_bytesSuffice = m_bytesSuffice && m_kernel[i][j] <= m_divisor;
            if (m_kernel[i][j] > 0) {
                const int turned = m_kernel.Rows() - 1 - i;
                m_firstLiveRow = std::min(m_firstLiveRow, turned);
                m_endLiveRow = std::max(m_endLiveRow, turned + 1);
            }
        }
}

int32_t NeighborWeightedFilter::FilterAt(const IntMatrix& source, int rowOffset,
                                         int columnOffset, int rows, int columns, int i,
                                         int j) const
{
    const int firstRow = std::max(-m_rowRadius, -i);
    const int lastRow = std::min(m_rowRadius, rows - 1 - i);
    const int firstColumn = std::max(-m_columnRadius, -j);
    const int lastColumn = std::min(m_columnRadius, columns - 1 - j);
    int32_t m = 0;
    for (int di = firstRow; di <= lastRow; ++di) {
        const int32_t* values = source[rowOffset + i + di] + columnOffset + j;
        const int32_t* weights = m_kernel[di + m_rowRadius] + m_columnRadius;
        for (int dj = firstColumn; dj <= lastColumn; ++dj) {
            const int32_t v = values[dj] * weights[dj];
            if (v > m)
                m = v;
        }
    }
    return m / m_divisor;
}

int NeighborWeightedFilter::StampWidth() const
{
    return (2 * m_columnRadius + 1 + 15) / 16 * 16;
}

const uint8_t* NeighborWeightedFilter::Stamp(int32_t value) const
{
    // The kernel turned by half a turn (cell q reaches p = q + d with the weight FilterAt
    // gives p's neighbour at -d), times the value, in rows padded to whole 16-byte blocks.
    std::vector<uint8_t>& stamp = m_stamps[static_cast<size_t>(value)];
    if (stamp.empty()) {
        const int kernelRows = 2 * m_rowRadius + 1;
        const int kernelColumns = 2 * m_columnRadius + 1;
        const int stampWidth = StampWidth();
        stamp.assign(static_cast<size_t>(kernelRows) * stampWidth, 0);
        for (int i = 0; i < kernelRows; ++i)
            for (int j = 0; j < kernelColumns; ++j) {
                const int32_t product = value * m_kernel[kernelRows - 1 - i][kernelColumns - 1 - j];
                stamp[static_cast<size_t>(i) * stampWidth + j] =
                    static_cast<uint8_t>(std::max(product, 0) / m_divisor);
            }
    }
    return stamp.data();
}

void NeighborWeightedFilter::ApplyFilter(const IntMatrix& source, int sourceRow,
                                         int sourceColumn, int rows, int columns,
                                         IntMatrix& dest, int destRow, int destColumn) const
{
    if (rows <= 0 || columns <= 0)
        return;
    const int kernelRows = 2 * m_rowRadius + 1;
    const int kernelColumns = 2 * m_columnRadius + 1;
    // The spread is done on bytes: max(v x weight, 0) / divisor, which is monotone in the
    // product, so the maximum of the quotients is the quotient of FilterAt's maximum (a
    // maximum that starts at 0). That needs cells of 0 to 255 and weights of at most the
    // divisor, as the glow's luminance and kernels are; anything else takes the walk
    // cell by cell.
    if (!m_bytesSuffice) {
        Filter::ApplyFilter(source, sourceRow, sourceColumn, rows, columns, dest, destRow,
                            destColumn);
        return;
    }
    for (int i = 0; i < rows; ++i) {
        const int32_t* values = source[sourceRow + i] + sourceColumn;
        for (int j = 0; j < columns; ++j)
            if (values[j] < 0 || values[j] > 255) {
                Filter::ApplyFilter(source, sourceRow, sourceColumn, rows, columns, dest,
                                    destRow, destColumn);
                return;
            }
    }

    const int stampWidth = StampWidth();
    // Area cell (i, j) is plane cell (i + row radius, j + column radius); the margins
    // take what falls outside the area.
    const int planeWidth = columns + kernelColumns + stampWidth;
    std::vector<uint8_t> plane(static_cast<size_t>(rows + kernelRows) * planeWidth, 0);
    // The lit cells of a row are listed first, without a branch per cell: text leaves
    // most cells dark in no pattern a branch could foresee.
    std::vector<int> lit(static_cast<size_t>(columns));
    for (int i = 0; i < rows; ++i) {
        const int32_t* values = source[sourceRow + i] + sourceColumn;
        int count = 0;
        for (int j = 0; j < columns; ++j) {
            lit[static_cast<size_t>(count)] = j;
            count += values[j] != 0;
        }
        for (int n = 0; n < count; ++n) {
            const int j = lit[static_cast<size_t>(n)];
            const uint8_t* stamp = Stamp(values[j]);
            for (int k = m_firstLiveRow; k < m_endLiveRow; ++k) {
                uint8_t* out = &plane[static_cast<size_t>(i + k) * planeWidth + j];
                const uint8_t* in = stamp + static_cast<size_t>(k) * stampWidth;
                for (int block = 0; block < stampWidth; block += 16) {
                    const __m128i was =
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + block));
                    const __m128i add =
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + block));
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + block),
                                     _mm_max_epu8(was, add));
                }
            }
        }
    }
    for (int i = 0; i < rows; ++i) {
        const uint8_t* from =
            &plane[static_cast<size_t>(i + m_rowRadius) * planeWidth + m_columnRadius];
        int32_t* out = dest[destRow + i] + destColumn;
        for (int j = 0; j < columns; ++j)
            out[j] = from[j];
    }
}

void OuterGlowFilterFactory::SetSpread(float spread)
{
    if (spread == m_spread)
        return;
    m_spread = spread;
    m_cached.reset();
}

void OuterGlowFilterFactory::SetOpacity(float opacity)
{
    if (opacity == m_opacity)
        return;
    m_opacity = opacity;
    m_cached.reset();
}

NeighborWeightedFilter* OuterGlowFilterFactory::CreateFilter(int32_t r, int32_t c)
{
    ASSERT(r == c);
    if (m_cached)
        return m_cached.get();
    const int n = 2 * r + 1;
    IntMatrix kernel(n, n);
    const double full = kKernelScale * static_cast<double>(m_opacity);
    if (r == 0) {
        kernel[0][0] = static_cast<int32_t>(full);
    } else {
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                const double di = i - r;
                const double dj = j - r;
                const double d = std::sqrt(di * di + dj * dj) / r;
                if (d <= m_spread)
                    kernel[i][j] = static_cast<int32_t>(full);
                else if (d >= 1)
                    kernel[i][j] = 0;
                else
                    kernel[i][j] = static_cast<int32_t>((1 - d) * (1 - d) / (1 - m_spread) *
                                                        kKernelScale * m_opacity);
            }
    }
    m_cached = std::make_unique<NeighborWeightedFilter>(std::move(kernel), kKernelScale, r, r);
    return m_cached.get();
}

void OuterGlowFilterFactory::ReleaseFilter(Filter* filter)
{
    if (filter != m_cached.get())
        delete filter;
}

// ---------------------------------------------------------------------------------------
// Luminance and alpha passes

namespace {

int32_t Luminance(const uint8_t* bgr)
{
    return static_cast<int32_t>(0.299 * bgr[2] + 0.587 * bgr[1] + 0.114 * bgr[0] + 0.5);
}

// The luminance of every grey, the same sum: rendered text is grey on black.
const std::array<int32_t, 256> kGrey = [] {
    std::array<int32_t, 256> grey{};
    for (int v = 0; v < 256; ++v) {
        const uint8_t bgr[3] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v),
                                static_cast<uint8_t>(v)};
        grey[static_cast<size_t>(v)] = Luminance(bgr);
    }
    return grey;
}();

}  // namespace

IntMatrix LuminanceMatrix(TBitmap* bitmap, const TRect& area)
{
    const int rows = std::max(area.Height(), 0);
    const int columns = std::max(area.Width(), 0);
    IntMatrix matrix(rows, columns);
    EnsureTrueColor(bitmap);
    const int step = bitmap->PixelFormat() == pf32bit ? 4 : 3;
    const Inside in = InsideOf(bitmap, area, rows, columns);
    for (int i = in.firstRow; i < in.endRow; ++i) {
        const uint8_t* p = bitmap->ScanLine(area.Top + i) + (area.Left + in.firstColumn) * step;
        int32_t* out = matrix[i];
        for (int j = in.firstColumn; j < in.endColumn; ++j, p += step)
            out[j] = p[0] == p[1] && p[1] == p[2] ? kGrey[p[0]] : Luminance(p);
    }
    return matrix;
}

void AlphaFromMatrix(TBitmap* bitmap, const TRect& area, IntMatrix& matrix)
{
    EnsureTrueColor(bitmap);
    const bool hasAlpha = bitmap->PixelFormat() == pf32bit;
    const int step = hasAlpha ? 4 : 3;
    const Inside in = InsideOf(bitmap, area, std::min(area.Height(), matrix.Rows()),
                               std::min(area.Width(), matrix.Columns()));
    for (int i = in.firstRow; i < in.endRow; ++i) {
        uint8_t* p = bitmap->ScanLine(area.Top + i) + (area.Left + in.firstColumn) * step;
        int32_t* row = matrix[i];
        for (int j = in.firstColumn; j < in.endColumn; ++j, p += step) {
            if (row[j] > 255)
                row[j] = 255;
            const int32_t value = row[j];
            if (hasAlpha)
                p[3] = static_cast<uint8_t>(value);
            if (value == 0) {
                p[0] = 0;
                p[1] = 0;
                p[2] = 0;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------
// TTextPainter

TTextPainter* TTextPainter::Shared()
{
    static TTextPainter shared;
    return &shared;
}

void TTextPainter::DrawText(TCanvas* canvas, const char* text, const TRect& rect, UINT format,
                            bool asLayer)
{
    if (asLayer)
        TextLayerOnCanvas(canvas, text, rect.Left, rect.Top, rect.Width(), rect.Height(), format);
    else
        PlainText(canvas, text, rect, format);
}

void TTextPainter::DrawText(TCanvas* canvas, const wchar_t* text, const TRect& rect,
                            UINT format, bool asLayer)
{
    if (asLayer)
        TextLayerOnCanvas(canvas, text, rect.Left, rect.Top, rect.Width(), rect.Height(), format);
    else
        PlainText(canvas, text, rect, format);
}

void TTextPainter::DrawText(TBitmap* bitmap, const char* text, const TRect& rect, UINT format,
                            bool asLayer)
{
    if (asLayer)
        TextLayer(bitmap, text, rect, format);
    else
        PlainText(bitmap->Canvas(), text, rect, format);
}

void TTextPainter::DrawText(TBitmap* bitmap, const wchar_t* text, const TRect& rect,
                            UINT format, bool asLayer)
{
    if (asLayer)
        TextLayer(bitmap, text, rect, format);
    else
        PlainText(bitmap->Canvas(), text, rect, format);
}

void TTextPainter::CalcRect(TCanvas* canvas, const char* text, TRect& rect, UINT format)
{
    MeasureText(canvas, text, rect, format);
}

void TTextPainter::CalcRect(TCanvas* canvas, const wchar_t* text, TRect& rect, UINT format)
{
    MeasureText(canvas, text, rect, format);
}

void TTextPainter::Release() {}

// ---------------------------------------------------------------------------------------
// TRadiateTextPainter

TRadiateTextPainter::TRadiateTextPainter() : m_factory(std::make_unique<OuterGlowFilterFactory>())
{
}

IntMatrix TRadiateTextPainter::GlowMatrix(TBitmap* bitmap, const TRect& area)
{
    IntMatrix luminance = LuminanceMatrix(bitmap, area);
    IntMatrix glow(luminance.Rows(), luminance.Columns());
    m_factory->SetSpread(static_cast<float>(Spread * kReciprocal255));
    m_factory->SetOpacity(static_cast<float>(Opacity * kReciprocal255));
    const int32_t radius = static_cast<int32_t>(Radius);
    NeighborWeightedFilter* filter = m_factory->CreateFilter(radius, radius);
    filter->ApplyFilter(luminance, 0, 0, glow.Rows(), glow.Columns(), glow, 0, 0);
    m_factory->ReleaseFilter(filter);
    return glow;
}

void TRadiateTextPainter::GlowLayer(TBitmap* bitmap, const TRect& area, TColor color)
{
    IntMatrix glow = GlowMatrix(bitmap, area);
    FillSolid(bitmap->Canvas(), area, color);
    AlphaFromMatrix(bitmap, area, glow);
}

namespace {

// Where a zero-terminated text ends (an absent text is empty).
template <class Char>
const Char* TextEnd(const Char* text)
{
    static const Char empty[1] = {};
    if (!text)
        return empty;
    while (*text)
        ++text;
    return text;
}

}  // namespace

TBitmap* TRadiateTextPainter::Layer(int w, int h, const TFont* font)
{
    if (!m_layer) {
        m_layer = std::make_unique<TBitmap>();
        m_layer->SetPixelFormat(pf32bit);
    }
    m_layer->SetSize(w, h);
    // White from the start: the same face as last time then changes nothing in the DC.
    TFont white;
    white.Assign(font);
    white.SetColor(clWhite);
    m_layer->Canvas()->Font()->Assign(&white);
    return m_layer.get();
}

template <class Char>
TBitmap* TRadiateTextPainter::GlowInLayer(const TFont* font, const Char* text, int w, int h,
                                          UINT format, TColor color)
{
    // The same caption again (a repaint) finds its glow still in the layer. The kernel
    // the factory holds is part of what the glow was made from.
    m_factory->SetSpread(static_cast<float>(Spread * kReciprocal255));
    m_factory->SetOpacity(static_cast<float>(Opacity * kReciprocal255));
    const int32_t radius = static_cast<int32_t>(Radius);
    NeighborWeightedFilter* filter = m_factory->CreateFilter(radius, radius);
    GlowKey key;
    const Char* end = TextEnd(text);
    key.text.assign(reinterpret_cast<const char*>(text ? text : end),
                    reinterpret_cast<const char*>(end));
    key.wide = sizeof(Char) != 1;
    key.face = font->Name();
    key.fontHeight = font->Height();
    key.style = font->Style();
    key.charset = font->Charset();
    key.width = w;
    key.height = h;
    key.format = format;
    key.radius = Radius;
    key.spread = Spread;
    key.opacity = Opacity;
    key.filter = filter;
    key.kernelRows = filter->Kernel().Rows();
    key.color = color;
    m_factory->ReleaseFilter(filter);
    if (m_layer && m_layerKey == key)
        return m_layer.get();
    m_layerKey = key;

    const int r = static_cast<int>(Radius);
    TBitmap* glow = Layer(w, h, font);
    // The layer's pixels are written directly, to the bytes a black fill, and later a
    // fill in the glow colour, leave in a 32-bit DIB: no brush is made for either fill.
    for (int y = 0; y < h; ++y)
        std::memset(glow->ScanLine(y), 0, static_cast<size_t>(w) * 4);
    PlainText(glow->Canvas(), text, TRect(r, r, w - r, h - r), format);
    IntMatrix matrix = GlowMatrix(glow, TRect(0, 0, w, h));
    const COLORREF rgb = ColorToRGB(color);
    const uint8_t blue = GetBValue(rgb), green = GetGValue(rgb), red = GetRValue(rgb);
    for (int y = 0; y < h; ++y) {
        uint8_t* p = glow->ScanLine(y);
        const int32_t* values = matrix[y];
        for (int x = 0; x < w; ++x, p += 4) {
            const uint8_t value = static_cast<uint8_t>(std::min(values[x], 255));
            p[0] = value ? blue : 0;
            p[1] = value ? green : 0;
            p[2] = value ? red : 0;
            p[3] = value;
        }
    }
    return glow;
}

template <class Char>
void TRadiateTextPainter::DrawGlow(TCanvas* canvas, const Char* text, const TRect& rect,
                                   UINT format, bool asLayer, TColor color)
{
    const int w = rect.Width();
    const int h = rect.Height();
    if (w <= 0 || h <= 0)
        return;
    TBitmap* glow = GlowInLayer(canvas->Font(), text, w, h, format, color);
    if (asLayer)
        PutRect(canvas, rect, glow, TPoint(0, 0));
    else
        DrawAlphaClipped(canvas, rect, glow, TPoint(0, 0), 255);
}

template <class Char>
void TRadiateTextPainter::DrawGlow(TBitmap* bitmap, const Char* text, const TRect& rect,
                                   UINT format, bool asLayer, TColor color)
{
    const int r = static_cast<int>(Radius);
    TCanvas* canvas = bitmap->Canvas();
    if (!asLayer) {
        const int w = rect.Width();
        const int h = rect.Height();
        if (w <= 0 || h <= 0)
            return;
        TBitmap* glow = GlowInLayer(canvas->Font(), text, w, h, format, color);
        BlendAlphaClipped(bitmap, rect, glow, TPoint(0, 0), 255);
        return;
    }
    FillSolid(canvas, rect, clBlack);
    const TColor fontColor = canvas->Font()->Color();
    canvas->Font()->SetColor(clWhite);
    PlainText(canvas, text, TRect(rect.Left + r, rect.Top + r, rect.Right - r, rect.Bottom - r),
              format);
    GlowLayer(bitmap, rect, color);
    canvas->Font()->SetColor(fontColor);
}

template <class Char>
void TRadiateTextPainter::MeasureGlow(TCanvas* canvas, const Char* text, TRect& rect,
                                      UINT format)
{
    MeasureText(canvas, text, rect, format);
    if (rect.Width() > 0 && rect.Height() > 0) {
        rect.Right += 2 * static_cast<int>(Radius);
        rect.Bottom += 2 * static_cast<int>(Radius);
    }
}

void TRadiateTextPainter::DrawText(TCanvas* canvas, const char* text, const TRect& rect,
                                   UINT format, bool asLayer)
{
    DrawGlow(canvas, text, rect, format, asLayer, canvas->Font()->Color());
}

void TRadiateTextPainter::DrawText(TCanvas* canvas, const wchar_t* text, const TRect& rect,
                                   UINT format, bool asLayer)
{
    DrawGlow(canvas, text, rect, format, asLayer, canvas->Font()->Color());
}

void TRadiateTextPainter::DrawText(TBitmap* bitmap, const char* text, const TRect& rect,
                                   UINT format, bool asLayer)
{
    DrawGlow(bitmap, text, rect, format, asLayer, bitmap->Canvas()->Font()->Color());
}

void TRadiateTextPainter::DrawText(TBitmap* bitmap, const wchar_t* text, const TRect& rect,
                                   UINT format, bool asLayer)
{
    DrawGlow(bitmap, text, rect, format, asLayer, bitmap->Canvas()->Font()->Color());
}

void TRadiateTextPainter::CalcRect(TCanvas* canvas, const char* text, TRect& rect, UINT format)
{
    MeasureGlow(canvas, text, rect, format);
}

void TRadiateTextPainter::CalcRect(TCanvas* canvas, const wchar_t* text, TRect& rect,
                                   UINT format)
{
    MeasureGlow(canvas, text, rect, format);
}

void TRadiateTextPainter::Release()
{
    delete this;
}

// ---------------------------------------------------------------------------------------
// TOuterGlowTextPainter

template <class Char>
void TOuterGlowTextPainter::DrawOuter(TCanvas* canvas, const Char* text, const TRect& rect,
                                      UINT format, bool asLayer)
{
    const int r = static_cast<int>(Radius);
    const int ox = RadiationOffset.X;
    const int oy = RadiationOffset.Y;
    const int w = rect.Width();
    const int h = rect.Height();
    TFont* font = canvas->Font();
    if (!asLayer) {
        if (r != 0)
            DrawGlow(canvas, text, TRect(rect.Left + ox, rect.Top + oy, rect.Right, rect.Bottom),
                     format, false, Color);
        PlainText(canvas, text,
                  TRect(rect.Left + r, rect.Top + r, rect.Right - r - ox, rect.Bottom - r - oy),
                  format);
        return;
    }
    if (r == 0) {
        TextLayerOnCanvas(canvas, text, rect.Left, rect.Top, w - ox, h - oy, format);
        return;
    }
    if (w <= 0 || h <= 0)
        return;
    auto glow = NewLayer(w, h, font);
    DrawGlow(glow->Canvas(), text, TRect(ox, oy, w, h), format, true, Color);
    auto letters = NewLayer(w, h, font);
    TextLayerOnCanvas(letters->Canvas(), text, 0, 0, w - ox, h - oy, format);
    CopyLayer(glow.get(), TRect(0, 0, w - ox, h - oy), letters.get(), TPoint(0, 0));
    PutRect(canvas, rect, glow.get(), TPoint(0, 0));
}

template <class Char>
void TOuterGlowTextPainter::DrawOuter(TBitmap* bitmap, const Char* text, const TRect& rect,
                                      UINT format, bool asLayer)
{
    const int r = static_cast<int>(Radius);
    const int ox = RadiationOffset.X;
    const int oy = RadiationOffset.Y;
    TCanvas* canvas = bitmap->Canvas();
    TFont* font = canvas->Font();
    const TRect letterRect(rect.Left, rect.Top, rect.Right - ox, rect.Bottom - oy);
    const TRect glowRect(rect.Left + ox, rect.Top + oy, rect.Right, rect.Bottom);
    if (!asLayer) {
        if (r != 0)
            DrawGlow(bitmap, text, glowRect, format, false, Color);
        PlainText(canvas, text, letterRect, format);
        return;
    }
    if (r == 0) {
        TextLayer(bitmap, text, letterRect, format);
        return;
    }
    const int w = rect.Width();
    const int h = rect.Height();
    if (w <= 0 || h <= 0)
        return;
    auto letters = NewLayer(w, h, font);
    TextLayer(letters.get(), text, TRect(0, 0, w - ox, h - oy), format);
    DrawGlow(bitmap, text, glowRect, format, true, Color);
    CopyLayer(bitmap, letterRect, letters.get(), TPoint(0, 0));
}

void TOuterGlowTextPainter::DrawText(TCanvas* canvas, const char* text, const TRect& rect,
                                     UINT format, bool asLayer)
{
    DrawOuter(canvas, text, rect, format, asLayer);
}

void TOuterGlowTextPainter::DrawText(TCanvas* canvas, const wchar_t* text, const TRect& rect,
                                     UINT format, bool asLayer)
{
    DrawOuter(canvas, text, rect, format, asLayer);
}

void TOuterGlowTextPainter::DrawText(TBitmap* bitmap, const char* text, const TRect& rect,
                                     UINT format, bool asLayer)
{
    DrawOuter(bitmap, text, rect, format, asLayer);
}

void TOuterGlowTextPainter::DrawText(TBitmap* bitmap, const wchar_t* text, const TRect& rect,
                                     UINT format, bool asLayer)
{
    DrawOuter(bitmap, text, rect, format, asLayer);
}

void TOuterGlowTextPainter::CalcRect(TCanvas* canvas, const char* text, TRect& rect,
                                     UINT format)
{
    MeasureGlow(canvas, text, rect, format);
    if (rect.Width() != 0 && rect.Height() != 0) {
        rect.Right += RadiationOffset.X;
        rect.Bottom += RadiationOffset.Y;
    }
}

void TOuterGlowTextPainter::CalcRect(TCanvas* canvas, const wchar_t* text, TRect& rect,
                                     UINT format)
{
    MeasureGlow(canvas, text, rect, format);
    if (rect.Width() != 0 && rect.Height() != 0) {
        rect.Right += RadiationOffset.X;
        rect.Bottom += RadiationOffset.Y;
    }
}
