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

int SystemDrawText(HDC dc, TextView text, RECT* rect, UINT format)
{
    if (text.Wide())
        return DrawTextW(dc, text.WideChars() ? text.WideChars() : L"", -1, rect, format);
    return DrawTextA(dc, text.Narrow() ? text.Narrow() : "", -1, rect, format);
}

void PlainText(TCanvas* canvas, TextView text, const TRect& rect, UINT format)
{
    HDC dc = canvas->Handle();
    SetBkMode(dc, TRANSPARENT);
    RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    SystemDrawText(dc, text, &r, format);
}

void MeasureText(TCanvas* canvas, TextView text, TRect& rect, UINT format)
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
void TextLayer(TBitmap* bitmap, TextView text, const TRect& area, UINT format)
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
void TextLayerOnCanvas(TCanvas* canvas, TextView text, int left, int top, int width,
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
      m_columnRadius(columnRadius)
{
    ASSERT(divisor > 0);
    m_spreadsBytes = m_kernel.Rows() == 2 * rowRadius + 1 &&
                     m_kernel.Columns() == 2 * columnRadius + 1;
    for (int k = 0; k < m_kernel.Rows() && m_spreadsBytes; ++k) {
        std::vector<Term> terms;
        for (int t = 0; t <= columnRadius; ++t) {
            const int32_t w = m_kernel[k][columnRadius + t];
            m_spreadsBytes = m_spreadsBytes && w == m_kernel[k][columnRadius - t] &&
                             w <= std::min(divisor, 256);
            // A weight whose product with 255 stays below the divisor only ever gives 0,
            // as does the maximum's start.
            if (255 * static_cast<int64_t>(w) >= divisor) {
                terms.push_back(Term{t, static_cast<int16_t>(w)});
                m_reach = std::max(m_reach, t);
            }
        }
        if (terms.empty())
            continue;
        auto same = std::find_if(m_rowTerms.begin(), m_rowTerms.end(), [&](const RowTerms& r) {
            return r.terms.size() == terms.size() &&
                   std::equal(terms.begin(), terms.end(), r.terms.begin(),
                              [](const Term& x, const Term& y) {
                                  return x.distance == y.distance && x.weight == y.weight;
                              });
        });
        if (same == m_rowTerms.end())
            same = m_rowTerms.insert(m_rowTerms.end(), RowTerms{std::move(terms), {}});
        same->rows.push_back(k);
    }
    if (!m_spreadsBytes || m_divisor != 256)
        return;
    // Over running maxima (the largest cell up to a distance) a term weighs every nearer
    // cell no more than their own heavier weights do, so a run of equal weights needs
    // only its farthest term.
    m_runningMaxima = true;
    for (const RowTerms& row : m_rowTerms)
        for (const int k : row.rows)
            for (int t = 0; t < row.terms.back().distance; ++t)
                m_runningMaxima = m_runningMaxima && m_kernel[k][columnRadius + t] >=
                                                         m_kernel[k][columnRadius + t + 1];
    for (const RowTerms& row : m_rowTerms) {
        m_flatRows.push_back(QuotientRow{0, row.rows});
        for (size_t n = 0; n < row.terms.size(); ++n) {
            if (m_runningMaxima && n + 1 < row.terms.size() &&
                row.terms[n + 1].weight == row.terms[n].weight)
                continue;
            QuotientTerm term{{}, 16 * row.terms[n].distance};
            std::fill(std::begin(term.weight), std::end(term.weight),
                      static_cast<uint16_t>(row.terms[n].weight));
            m_flatTerms.push_back(term);
            ++m_flatRows.back().terms;
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

void NeighborWeightedFilter::ApplyFilter(const IntMatrix& source, int sourceRow,
                                         int sourceColumn, int rows, int columns,
                                         IntMatrix& dest, int destRow, int destColumn) const
{
    if (rows <= 0 || columns <= 0)
        return;
    const size_t cells = static_cast<size_t>(rows) * columns;
    std::vector<uint8_t> bytes(cells);
    bool fits = m_spreadsBytes;
    for (int i = 0; i < rows && fits; ++i) {
        const int32_t* values = source[sourceRow + i] + sourceColumn;
        uint8_t* row = &bytes[static_cast<size_t>(i) * columns];
        for (int j = 0; j < columns; ++j) {
            fits = fits && values[j] >= 0 && values[j] <= 255;
            row[j] = static_cast<uint8_t>(values[j]);
        }
    }
    if (!fits) {
        Filter::ApplyFilter(source, sourceRow, sourceColumn, rows, columns, dest, destRow,
                            destColumn);
        return;
    }
    std::vector<uint8_t> spread(cells);
    SpreadBytes(bytes.data(), rows, columns, spread.data());
    for (int i = 0; i < rows; ++i) {
        const uint8_t* from = &spread[static_cast<size_t>(i) * columns];
        int32_t* out = dest[destRow + i] + destColumn;
        for (int j = 0; j < columns; ++j)
            out[j] = from[j];
    }
}

namespace {

// Whether count bytes are all 0.
bool Dark(const uint8_t* p, int count)
{
    int j = 0;
    __m128i any = _mm_setzero_si128();
    for (; j + 16 <= count; j += 16)
        any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) != 0xFFFF)
        return false;
    for (; j < count; ++j)
        if (p[j])
            return false;
    return true;
}

// count bytes as 16-bit cells.
void Widen(const uint8_t* p, int count, uint16_t* out)
{
    int j = 0;
    const __m128i zero = _mm_setzero_si128();
    for (; j + 16 <= count; j += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j));
        __m128i* cells = reinterpret_cast<__m128i*>(out + j);
        _mm_storeu_si128(cells, _mm_unpacklo_epi8(bytes, zero));
        _mm_storeu_si128(cells + 1, _mm_unpackhi_epi8(bytes, zero));
    }
    for (; j < count; ++j)
        out[j] = p[j];
}

}  // namespace

void NeighborWeightedFilter::SpreadQuotients(const uint8_t* source, int rows, int columns,
                                             uint8_t* dest) const
{
    // With a divisor of 256, max(value x weight) / 256 is the largest of the terms'
    // quotients, and each is the multiply-high of value x 256 by the weight: at most 255,
    // so that the figures are kept as bytes, sixteen columns at a time.
    const int reach = m_reach;
    const int span = (columns + 15) / 16 * 16;
    m_cells.assign(static_cast<size_t>(span + 2 * reach), 0);
    // For each sixteen columns, the larger cell at each distance (or up to it) as value x
    // 256, in halves of eight.
    m_nearestCells.resize(static_cast<size_t>(reach + 1) * 16);
    m_quotients.assign(static_cast<size_t>(rows) * span, 0);
    auto at = [](const uint16_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    auto put = [](uint16_t* p, __m128i v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    };
    for (int s = 0; s < rows; ++s) {
        const uint8_t* values = source + static_cast<size_t>(s) * columns;
        if (Dark(values, columns))
            continue;  // a dark row spreads nothing
        const uint16_t* cells = m_cells.data() + reach;
        Widen(values, columns, m_cells.data() + reach);
        for (int j = 0; j < span; j += 16) {
            uint16_t* nearest = m_nearestCells.data();
            for (int half = 0; half < 16; half += 8) {
                __m128i largest = at(cells + j + half);
                put(nearest + half, _mm_slli_epi16(largest, 8));
                for (int t = 1; t <= reach; ++t) {
                    const __m128i both =
                        _mm_max_epi16(at(cells + j + half - t), at(cells + j + half + t));
                    largest = m_runningMaxima ? _mm_max_epi16(largest, both) : both;
                    put(nearest + 16 * t + half, _mm_slli_epi16(largest, 8));
                }
            }
            const QuotientTerm* term = m_flatTerms.data();
            for (const QuotientRow& row : m_flatRows) {
                __m128i low = _mm_setzero_si128(), high = _mm_setzero_si128();
                for (const QuotientTerm* end = term + row.terms; term != end; ++term) {
                    const __m128i weight = at(term->weight);
                    const uint16_t* distant = nearest + term->offset;
                    low = _mm_max_epi16(low, _mm_mulhi_epu16(at(distant), weight));
                    high = _mm_max_epi16(high, _mm_mulhi_epu16(at(distant + 8), weight));
                }
                const __m128i bytes = _mm_packus_epi16(low, high);
                // Kernel row k weighs source row s for output row s - (k - row radius).
                for (const int k : row.rows) {
                    const int i = s - k + m_rowRadius;
                    if (i < 0 || i >= rows)
                        continue;
                    __m128i* out = reinterpret_cast<__m128i*>(
                        &m_quotients[static_cast<size_t>(i) * span + static_cast<size_t>(j)]);
                    _mm_storeu_si128(out, _mm_max_epu8(_mm_loadu_si128(out), bytes));
                }
            }
        }
    }
    for (int i = 0; i < rows; ++i)
        std::memcpy(dest + static_cast<size_t>(i) * columns,
                    &m_quotients[static_cast<size_t>(i) * span], static_cast<size_t>(columns));
}

void NeighborWeightedFilter::SpreadBytes(const uint8_t* source, int rows, int columns,
                                         uint8_t* dest) const
{
    ASSERT(m_spreadsBytes);
    if (rows <= 0 || columns <= 0)
        return;
    if (m_divisor == 256) {
        SpreadQuotients(source, rows, columns, dest);
        return;
    }
    // FilterAt takes max(value x weight) / divisor, and the quotient grows with the
    // product, so the maximum product is found first and divided once. The products
    // (at most 255 x 256) are kept in 16 bits, less 32768 so that signed comparisons
    // order them. A weight applies to the cells at its distance to either side alike,
    // so it multiplies the larger of the two: the nearest-cells rows hold, for every
    // distance, max(cell left, cell right) at that distance.
    const __m128i bias = _mm_set1_epi16(static_cast<int16_t>(0x8000));
    const int blocks = (columns + 7) / 8;
    const int span = blocks * 8;
    const int reach = m_reach;
    m_padded.assign(static_cast<size_t>(span + 2 * reach), 0);
    m_nearest.resize(static_cast<size_t>(reach + 1) * span);
    m_rowGlow.resize(static_cast<size_t>(span));
    m_maximum.assign(static_cast<size_t>(rows) * span, static_cast<int16_t>(0x8000));
    auto at = [](const int16_t* p) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    };
    auto put = [](int16_t* p, __m128i v) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
    };
    for (int s = 0; s < rows; ++s) {
        const uint8_t* values = source + static_cast<size_t>(s) * columns;
        if (std::all_of(values, values + columns, [](uint8_t v) { return v == 0; }))
            continue;  // a dark row spreads nothing
        int16_t* padded = m_padded.data() + reach;
        for (int j = 0; j < columns; ++j)
            padded[j] = values[j];
        for (int t = 0; t <= reach; ++t) {
            int16_t* nearest = &m_nearest[static_cast<size_t>(t) * span];
            for (int j = 0; j < span; j += 8)
                put(nearest + j, _mm_max_epi16(at(padded + j - t), at(padded + j + t)));
        }
        for (const RowTerms& row : m_rowTerms) {
            for (int j = 0; j < span; j += 8) {
                __m128i glow = bias;
                for (const Term& term : row.terms) {
                    const __m128i product = _mm_mullo_epi16(
                        at(&m_nearest[static_cast<size_t>(term.distance) * span + j]),
                        _mm_set1_epi16(term.weight));
                    glow = _mm_max_epi16(glow, _mm_xor_si128(product, bias));
                }
                put(&m_rowGlow[static_cast<size_t>(j)], glow);
            }
            // Kernel row k weighs source row s for output row s - (k - row radius).
            for (const int k : row.rows) {
                const int i = s - k + m_rowRadius;
                if (i < 0 || i >= rows)
                    continue;
                int16_t* maximum = &m_maximum[static_cast<size_t>(i) * span];
                const int16_t* glow = m_rowGlow.data();
                for (int j = 0; j < span; j += 8)
                    put(maximum + j, _mm_max_epi16(at(maximum + j), at(glow + j)));
            }
        }
    }
    // The glow's divisor, 256, is a shift of eight lanes at a time.
    const bool shift = m_divisor == 256;
    for (int i = 0; i < rows; ++i) {
        const int16_t* maximum = &m_maximum[static_cast<size_t>(i) * span];
        uint8_t* out = dest + static_cast<size_t>(i) * columns;
        int j = 0;
        for (; shift && j + 8 <= columns; j += 8) {
            const __m128i quotient = _mm_srli_epi16(_mm_xor_si128(at(maximum + j), bias), 8);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + j),
                             _mm_packus_epi16(quotient, quotient));
        }
        for (; j < columns; ++j)
            out[j] = static_cast<uint8_t>((static_cast<uint16_t>(maximum[j]) ^ 0x8000u) /
                                          static_cast<uint32_t>(m_divisor));
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

void TTextPainter::DrawText(TextTarget target, TextView text, const TRect& rect, UINT format,
                            bool asLayer)
{
    if (!asLayer)
        PlainText(target.Canvas(), text, rect, format);
    else if (TBitmap* bitmap = target.Bitmap())
        TextLayer(bitmap, text, rect, format);
    else
        TextLayerOnCanvas(target.Canvas(), text, rect.Left, rect.Top, rect.Width(), rect.Height(),
                          format);
}

void TTextPainter::CalcRect(TCanvas* canvas, TextView text, TRect& rect, UINT format)
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

// The characters' bytes, without the terminator (an absent text is empty).
template <class Char>
std::string BytesOf(const Char* text)
{
    if (!text)
        return std::string();
    const Char* end = text;
    while (*end)
        ++end;
    return std::string(reinterpret_cast<const char*>(text), reinterpret_cast<const char*>(end));
}

// LuminanceMatrix's figures for count pf32bit pixels, as bytes.
void GreyLevels(const uint8_t* bgra, int count, uint8_t* out)
{
    int x = 0;
    // Four pixels at a time while all are grey, as rendered white text is.
    for (; x + 4 <= count; x += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgra + 4 * x));
        const __m128i next = _mm_srli_epi32(pixels, 8);
        // Bytes 0 and 1 of a pixel equal to bytes 1 and 2: blue == green == red.
        if ((_mm_movemask_epi8(_mm_cmpeq_epi8(pixels, next)) & 0x3333) != 0x3333)
            break;
        for (int n = 0; n < 4; ++n)
            out[x + n] = static_cast<uint8_t>(kGrey[bgra[4 * (x + n)]]);
    }
    for (; x < count; ++x) {
        const uint8_t* p = bgra + 4 * x;
        out[x] = static_cast<uint8_t>(p[0] == p[1] && p[1] == p[2] ? kGrey[p[0]] : Luminance(p));
    }
}

// LuminanceMatrix's figures for count pf32bit pixels of grey text, taken from their red
// bytes alone.
void RedLevels(const uint8_t* bgra, int count, uint8_t* out)
{
    static const bool identity = [] {
        for (int v = 0; v < 256; ++v)
            if (kGrey[static_cast<size_t>(v)] != v)
                return false;
        return true;
    }();
    int x = 0;
    // Eight pixels at a time: the luminance of each grey is that grey.
    for (; identity && x + 8 <= count; x += 8) {
        const __m128i* p = reinterpret_cast<const __m128i*>(bgra + 4 * x);
        const __m128i low = _mm_srli_epi32(_mm_slli_epi32(_mm_loadu_si128(p), 8), 24);
        const __m128i high = _mm_srli_epi32(_mm_slli_epi32(_mm_loadu_si128(p + 1), 8), 24);
        const __m128i words = _mm_packs_epi32(low, high);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(words, words));
    }
    for (; x < count; ++x)
        out[x] = static_cast<uint8_t>(kGrey[bgra[4 * x + 2]]);
}

// AlphaFromMatrix's pixels over a fill in the colour (blue lowest): the colour with the
// value as alpha, and (0, 0, 0, 0) where the value is 0.
void ColouredGlow(const uint8_t* values, int count, uint32_t bgr, uint8_t* bgra)
{
    const __m128i colour = _mm_set1_epi32(static_cast<int>(bgr));
    const __m128i zero = _mm_setzero_si128();
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        int32_t four;
        std::memcpy(&four, values + x, 4);
        const __m128i v = _mm_unpacklo_epi16(
            _mm_unpacklo_epi8(_mm_cvtsi32_si128(four), zero), zero);
        const __m128i dark = _mm_cmpeq_epi32(v, zero);
        const __m128i pixels = _mm_or_si128(_mm_andnot_si128(dark, colour), _mm_slli_epi32(v, 24));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bgra + 4 * x), pixels);
    }
    for (; x < count; ++x) {
        const uint32_t pixel = values[x] ? bgr | static_cast<uint32_t>(values[x]) << 24 : 0;
        std::memcpy(bgra + 4 * x, &pixel, 4);
    }
}

// How the system draws grey-level glyphs into a DIB, as far as the letters are
// concerned: each glyph pixel has a level of coverage from 0 to 16; 0 and 1 leave the
// pixel alone, 16 sets the text colour, and the levels between move each component of
// the pixel towards the text's component within a range that the level and that
// component give. The painter relies on it only for a font whose drawing it has seen to
// follow it (GlyphLevelsHold): the letters then need no second drawing of the text.
const uint8_t kLevelRamp[17] = {0,    0x4d, 0x68, 0x7c, 0x8c, 0x9a, 0xa7, 0xb2, 0xbd,
                                0xc7, 0xd0, 0xd9, 0xe1, 0xe9, 0xf0, 0xf8, 0xff};
const int kLevels = 17;

// One component of a pixel at dst after a glyph pixel of the given level in text.
uint8_t LevelOver(uint8_t dst, uint8_t text, int level)
{
    if (level <= 1)
        return dst;
    if (level >= 16 || dst == text)
        return level >= 16 ? text : dst;
    const uint32_t t = text;
    if (dst > text) {
        const uint32_t ramp = kLevelRamp[16 - level];
        const uint32_t high = ramp + (255 - ramp) * t / 255;
        return static_cast<uint8_t>(t + (dst - t) * (high - t) / (255 - t));
    }
    const uint32_t low = kLevelRamp[level] * t / 255;
    return static_cast<uint8_t>(t - (t - dst) * (t - low) / t);
}

// The text of the one drawing that gives both the glow's mask and the letters: red is
// full, so the red components are white text's; where glyphs overlap, the green and blue
// components no longer fit one level (no run of two or more levels between 2 and 15
// gives the three components of one level), and those pixels are left to DrawText.
const uint8_t kMaskBgr[3] = {37, 1, 255};

// The blue, green and red of a lone glyph pixel of each level of the mask colour on black.
const std::array<std::array<uint8_t, 3>, kLevels> kMaskLevels = [] {
    std::array<std::array<uint8_t, 3>, kLevels> levels{};
    for (int level = 0; level < kLevels; ++level)
        for (int c = 0; c < 3; ++c)
            levels[static_cast<size_t>(level)][static_cast<size_t>(c)] =
                LevelOver(0, kMaskBgr[c], level);
    return levels;
}();

// The level of a lone glyph pixel with this red, or -1 when there is none.
int MaskLevelOfRed(uint8_t red)
{
    static const std::array<int8_t, 256> byRed = [] {
        std::array<int8_t, 256> levels;
        levels.fill(-1);
        for (int level = kLevels - 1; level >= 0; --level)
            levels[kMaskLevels[static_cast<size_t>(level)][2]] = static_cast<int8_t>(level);
        return levels;
    }();
    return byRed[red];
}

// The level of a pixel of mask-coloured text on black, or -1 when no lone glyph pixel
// looks like it.
int MaskLevel(const uint8_t* bgr)
{
    const int level = MaskLevelOfRed(bgr[2]);
    if (level < 0)
        return -1;
    const auto& expected = kMaskLevels[static_cast<size_t>(level)];
    return bgr[0] == expected[0] && bgr[1] == expected[1] ? level : -1;
}

COLORREF MaskColour()
{
    return RGB(kMaskBgr[2], kMaskBgr[1], kMaskBgr[0]);
}

// Formats whose drawing in a rectangle is its drawing in any other rectangle with the
// same top-left, clipped to it: one line, from the top-left, nothing fitted to the width.
bool LaidOutFromTopLeft(UINT format)
{
    const UINT allowed = DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS | DT_EXTERNALLEADING |
                         DT_HIDEPREFIX;
    return (format & DT_SINGLELINE) && (format & ~allowed) == 0;
}

// Whether the font's text drawn into a 24-bit DIB follows the glyph levels: drawn once in
// the mask colour on black and then in several colours over a gradient, every pixel must
// be what the levels make of it, and the mask's red must be white text's.
bool ProbeGlyphLevels(const TFont* font)
{
    const wchar_t* text = L"W g & @ M % y Q 8 j ~ i";
    const UINT format = DT_SINGLELINE | DT_NOPREFIX;
    TBitmap probe;
    probe.SetPixelFormat(pf24bit);
    TCanvas* canvas = probe.Canvas();
    canvas->Font()->Assign(font);
    RECT extent{0, 0, 0, 0};
    DrawTextW(canvas->Handle(), text, -1, &extent, format | DT_CALCRECT);
    const int width = extent.right + 8, height = extent.bottom + 8;
    if (width > 2000 || height > 500)
        return false;
    probe.SetSize(width, height);
    auto draw = [&](TColor colour, auto background) {
        for (int y = 0; y < height; ++y) {
            uint8_t* p = probe.ScanLine(y);
            for (int x = 0; x < width; ++x, p += 3)
                background(x, y, p);
        }
        canvas->Font()->SetColor(colour);
        RECT place{4, 4, width - 4, height - 4};
        HDC dc = canvas->Handle();
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, text, -1, &place, format);
        probe.ScanLine(0);  // flushes the drawing
        std::vector<uint8_t> pixels;
        for (int y = 0; y < height; ++y)
            pixels.insert(pixels.end(), probe.ScanLine(y), probe.ScanLine(y) + 3 * width);
        return pixels;
    };
    auto black = [](int, int, uint8_t* p) { p[0] = p[1] = p[2] = 0; };
    auto gradient = [](int x, int y, uint8_t* p) {
        p[0] = static_cast<uint8_t>(x * 7 + y * 13);
        p[1] = static_cast<uint8_t>(x * 11 + y * 3 + 85);
        p[2] = static_cast<uint8_t>(x * 5 + y * 17 + 170);
    };
    const std::vector<uint8_t> white = draw(clWhite, black);
    const std::vector<uint8_t> mask = draw(static_cast<TColor>(MaskColour()), black);
    std::vector<int> levels(white.size() / 3);
    int partial = 0;
    for (size_t i = 0; i < levels.size(); ++i) {
        const uint8_t* w = &white[3 * i];
        if (w[0] != w[2] || w[1] != w[2] || mask[3 * i + 2] != w[2])
            return false;
        levels[i] = MaskLevel(&mask[3 * i]);
        partial += levels[i] > 1 && levels[i] < 16;
    }
    const TColor colours[] = {clWhite, clBlack, RGBColor(200, 30, 120), RGBColor(12, 255, 77),
                              RGBColor(128, 129, 127)};
    for (const TColor colour : colours) {
        const std::vector<uint8_t> drawn = draw(colour, gradient);
        const uint8_t bgr[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
        for (size_t i = 0; i < levels.size(); ++i) {
            if (levels[i] < 0)
                continue;  // glyphs overlap there
            uint8_t expected[3];
            gradient(static_cast<int>(i % static_cast<size_t>(width)),
                     static_cast<int>(i / static_cast<size_t>(width)), expected);
            for (size_t c = 0; c < 3; ++c)
                if (drawn[3 * i + c] != LevelOver(expected[c], bgr[c], levels[i]))
                    return false;
        }
    }
    return partial > 0 || std::count(levels.begin(), levels.end(), 16) > 0;
}

// ProbeGlyphLevels, once per font.
bool GlyphLevelsHold(const TFont* font)
{
    struct Seen {
        std::string face;
        int height;
        TFontStyles style;
        uint8_t charset;
        bool holds;
    };
    static std::vector<Seen> seen;
    for (const Seen& s : seen)
        if (s.height == font->Height() && s.style == font->Style() &&
            s.charset == font->Charset() && s.face == font->Name())
            return s.holds;
    const bool holds = ProbeGlyphLevels(font);
    seen.push_back(Seen{font->Name(), font->Height(), font->Style(), font->Charset(), holds});
    return holds;
}

}  // namespace

TBitmap* TRadiateTextPainter::TextBitmap(int w, int h, const TFont* font, TColor colour)
{
    if (!m_text) {
        m_text = std::make_unique<TBitmap>();
        m_text->SetPixelFormat(pf32bit);
    }
    m_text->SetSize(w, h);
    // In its colour from the start: the same face as last time then changes nothing in
    // the DC.
    TFont coloured;
    coloured.Assign(font);
    coloured.SetColor(colour);
    m_text->Canvas()->Font()->Assign(&coloured);
    return m_text.get();
}

void TRadiateTextPainter::KeepLetters(TBitmap* drawn, int w, int h)
{
    const int r = static_cast<int>(Radius);
    m_lettersKept = true;
    int left = w, top = h, right = 0, bottom = 0;
    auto keep = [&](int x, int y, int level) {
        if (level < 0)
            m_overlaps.push_back(
                OverlapPixel{static_cast<int16_t>(x), static_cast<int16_t>(y), false, {}, {}});
        else
            m_letters.push_back(static_cast<uint32_t>(x) | static_cast<uint32_t>(y) << 12 |
                                static_cast<uint32_t>(level) << 24);
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x + 1);
        bottom = std::max(bottom, y + 1);
    };
    const __m128i colourBytes = _mm_set1_epi32(0x00FFFFFF);
    const __m128i lowByte = _mm_set1_epi32(0xFF);
    const __m128i blueText = _mm_set1_epi32(kMaskBgr[0]);
    const __m128i greenText = _mm_set1_epi32(kMaskBgr[1]);
    const __m128i reciprocal = _mm_set1_epi16(static_cast<int16_t>(0x8081));
    // A lone glyph pixel's blue and green on black are its red x their text's / 255
    // (MaskLevel's figures): x / 255 is the multiply-high by 0x8081 shifted by 7.
    auto share = [&](__m128i red, __m128i text) {
        return _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(red, text), reciprocal), 7);
    };
    alignas(16) int32_t reds[4];
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = drawn->ScanLine(r + y) + 4 * r;
        int x = 0;
        // Four pixels at a time, most of them dark.
        for (; x + 4 <= w; x += 4) {
            const __m128i four = _mm_and_si128(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * x)), colourBytes);
            const int lit = ~_mm_movemask_ps(_mm_castsi128_ps(
                                _mm_cmpeq_epi32(four, _mm_setzero_si128()))) & 15;
            if (!lit)
                continue;
            const __m128i red = _mm_srli_epi32(four, 16);
            const __m128i green = _mm_and_si128(_mm_srli_epi32(four, 8), lowByte);
            const __m128i blue = _mm_and_si128(four, lowByte);
            const int lone = _mm_movemask_ps(_mm_castsi128_ps(
                _mm_and_si128(_mm_cmpeq_epi32(blue, share(red, blueText)),
                              _mm_cmpeq_epi32(green, share(red, greenText)))));
            _mm_store_si128(reinterpret_cast<__m128i*>(reds), red);
            for (int lanes = lit; lanes; lanes &= lanes - 1) {
                const int lane = __builtin_ctz(static_cast<unsigned>(lanes));
                const int level = MaskLevelOfRed(static_cast<uint8_t>(reds[lane]));
                keep(x + lane, y, (lone >> lane & 1) ? level : -1);
            }
        }
        for (; x < w; ++x) {
            const uint8_t* p = row + 4 * x;
            if ((p[0] | p[1] | p[2]) != 0)
                keep(x, y, MaskLevel(p));
        }
    }
    m_lettersBox = TRect(left, top, right, bottom);
    m_overlapsColour = CLR_INVALID;
}

void TRadiateTextPainter::KeepGlow(const TFont* font, TextView text, int w, int h,
                                   UINT format, TColor color, bool letters)
{
    // The same caption again (a repaint) finds its glow kept. The kernel the factory
    // holds is part of what the glow was made from.
    m_factory->SetSpread(static_cast<float>(Spread * kReciprocal255));
    m_factory->SetOpacity(static_cast<float>(Opacity * kReciprocal255));
    const int32_t radius = static_cast<int32_t>(Radius);
    NeighborWeightedFilter* filter = m_factory->CreateFilter(radius, radius);
    GlowKey key;
    key.text = text.Wide() ? BytesOf(text.WideChars()) : BytesOf(text.Narrow());
    key.wide = text.Wide();
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
    key.letters = letters;
    // The factory keeps the filter it made, so it stays valid while the glow is found.
    m_factory->ReleaseFilter(filter);
    if (m_kept && m_key == key)
        return;
    m_key = key;
    m_kept = false;
    m_layerKept = false;
    m_lettersKept = false;
    m_letters.clear();
    m_overlaps.clear();

    const int r = static_cast<int>(Radius);
    // With letters, the text is drawn once in the mask colour and clipped to where
    // DrawText in a w x h rectangle clips it, which reaches Radius beyond the glow's.
    const bool capture = letters && w < 4096 && h < 4096 && LaidOutFromTopLeft(format) &&
                         GlyphLevelsHold(font);
    const int tw = capture ? w + r : w;
    const int th = capture ? h + r : h;
    TBitmap* drawn =
        TextBitmap(tw, th, font, capture ? static_cast<TColor>(MaskColour()) : clWhite);
    // The pixels are written directly, to the bytes a black fill leaves in a 32-bit DIB:
    // no brush is made for it.
    for (int y = 0; y < th; ++y)
        std::memset(drawn->ScanLine(y), 0, static_cast<size_t>(tw) * 4);
    PlainText(drawn->Canvas(), text,
              capture ? TRect(r, r, r + w, r + h) : TRect(r, r, w - r, h - r), format);
    // GlowMatrix's figures, on bytes: the factory's kernels are round, with weights of at
    // most its divisor.
    ASSERT(filter->SpreadsBytes());
    const size_t cells = static_cast<size_t>(w) * h;
    m_grey.resize(cells);
    m_spread.resize(cells);
    if (capture) {
        // The mask's red is white text's, inside the glow's rectangle.
        std::fill(m_grey.begin(), m_grey.end(), 0);
        for (int y = r; y < h - r; ++y)
            RedLevels(drawn->ScanLine(y) + 4 * r, w - 2 * r,
                      &m_grey[static_cast<size_t>(y) * w + static_cast<size_t>(r)]);
        KeepLetters(drawn, w, h);
    } else {
        for (int y = 0; y < h; ++y)
            GreyLevels(drawn->ScanLine(y), w, &m_grey[static_cast<size_t>(y) * w]);
    }
    filter->SpreadBytes(m_grey.data(), h, w, m_spread.data());
    m_kept = true;
}

TBitmap* TRadiateTextPainter::GlowInLayer()
{
    if (m_layerKept)
        return m_layer.get();
    const int w = m_key.width, h = m_key.height;
    if (!m_layer) {
        m_layer = std::make_unique<TBitmap>();
        m_layer->SetPixelFormat(pf32bit);
    }
    m_layer->SetSize(w, h);
    const COLORREF rgb = ColorToRGB(m_key.color);
    const uint32_t bgr = static_cast<uint32_t>(GetBValue(rgb)) |
                         static_cast<uint32_t>(GetGValue(rgb)) << 8 |
                         static_cast<uint32_t>(GetRValue(rgb)) << 16;
    for (int y = 0; y < h; ++y)
        ColouredGlow(&m_spread[static_cast<size_t>(y) * w], w, bgr, m_layer->ScanLine(y));
    m_layerKept = true;
    return m_layer.get();
}

bool TRadiateTextPainter::LettersFromCoverage(TBitmap* target, TextView text,
                                              const TRect& rect, UINT format)
{
    if (!m_lettersKept || target->PixelFormat() != pf24bit)
        return false;
    // DrawText on the target's DC draws what the kept drawing showed only when the DC
    // places, clips and colours text as the kept drawing's did.
    TCanvas* canvas = target->Canvas();
    HDC dc = canvas->Handle();
    const COLORREF colour = GetTextColor(dc);
    if ((colour >> 24) != 0 || GetTextAlign(dc) != 0 || GetTextCharacterExtra(dc) != 0 ||
        GetMapMode(dc) != MM_TEXT || GetGraphicsMode(dc) != GM_COMPATIBLE ||
        GetLayout(dc) != 0 || GetROP2(dc) != R2_COPYPEN)
        return false;
    RECT clip;
    POINT viewport, window;
    const int region = GetClipBox(dc, &clip);
    if (region == ERROR || region == COMPLEXREGION || !GetViewportOrgEx(dc, &viewport) ||
        !GetWindowOrgEx(dc, &window))
        return false;
    SetBkMode(dc, TRANSPARENT);  // as PlainText leaves the DC
    if (region == NULLREGION)
        return true;
    // Device pixels: the DC maps logical ones by an offset alone.
    const int dx = viewport.x - window.x, dy = viewport.y - window.y;
    const int left = std::max(0, static_cast<int>(clip.left) + dx);
    const int top = std::max(0, static_cast<int>(clip.top) + dy);
    const int right = std::min(target->Width(), static_cast<int>(clip.right) + dx);
    const int bottom = std::min(target->Height(), static_cast<int>(clip.bottom) + dy);
    const int ox = rect.Left + dx, oy = rect.Top + dy;
    auto inside = [&](int x, int y) { return x >= left && x < right && y >= top && y < bottom; };
    if (m_lettersBox.Left >= m_lettersBox.Right)
        return true;
    uint8_t* const bits = target->ScanLine(0);
    const ptrdiff_t stride = target->Height() > 1 ? target->ScanLine(1) - bits : 0;
    auto at = [&](int x, int y) { return bits + y * stride + 3 * x; };

    // Overlapping glyphs: drawn over the same pixels as last time they give what they
    // gave; the others DrawText draws over a copy of the pixels around them.
    if (colour != m_overlapsColour)
        for (OverlapPixel& o : m_overlaps)
            o.known = false;
    m_overlapsColour = colour;
    const int kSide = 32;
    int boxLeft = right, boxTop = bottom, boxRight = left, boxBottom = top;
    for (OverlapPixel& o : m_overlaps) {
        const int x = ox + o.x, y = oy + o.y;
        if (!inside(x, y))
            continue;
        const uint8_t* p = at(x, y);
        o.known = o.known && std::equal(p, p + 3, o.before);
        if (o.known)
            continue;
        boxLeft = std::min(boxLeft, x);
        boxTop = std::min(boxTop, y);
        boxRight = std::max(boxRight, x + 1);
        boxBottom = std::max(boxBottom, y + 1);
    }
    if (boxRight - boxLeft > kSide || boxBottom - boxTop > kSide)
        return false;
    for (const OverlapPixel& o : m_overlaps) {
        const int x = ox + o.x, y = oy + o.y;
        if (o.known && inside(x, y))
            std::copy(o.after, o.after + 3, at(x, y));
    }
    if (boxLeft < boxRight) {
        if (!m_overlapBitmap) {
            m_overlapBitmap = std::make_unique<TBitmap>();
            m_overlapBitmap->SetPixelFormat(pf24bit);
            m_overlapBitmap->SetSize(kSide, kSide);
        }
        TBitmap* copy = m_overlapBitmap.get();
        copy->Canvas()->Font()->Assign(canvas->Font());
        SetTextColor(copy->Canvas()->Handle(), colour);
        for (int y = boxTop; y < boxBottom; ++y)
            std::memcpy(copy->ScanLine(y - boxTop), at(boxLeft, y),
                        static_cast<size_t>(boxRight - boxLeft) * 3);
        const int l = ox - boxLeft, t = oy - boxTop;
        PlainText(copy->Canvas(), text, TRect(l, t, l + rect.Width(), t + rect.Height()), format);
        for (OverlapPixel& o : m_overlaps) {
            const int x = ox + o.x, y = oy + o.y;
            if (o.known || !inside(x, y))
                continue;  // drawn already, or not drawn at all
            uint8_t* p = at(x, y);
            const uint8_t* drawn = copy->ScanLine(y - boxTop) + 3 * (x - boxLeft);
            std::copy(p, p + 3, o.before);
            std::copy(drawn, drawn + 3, o.after);
            std::copy(drawn, drawn + 3, p);
            o.known = true;
        }
    }

    if (colour != m_levelsColour) {
        // Each level's component for every destination component, blue, green, red.
        m_levelTable.resize(static_cast<size_t>(kLevels) * 3 * 256);
        const uint8_t bgr[3] = {GetBValue(colour), GetGValue(colour), GetRValue(colour)};
        for (int level = 0; level < kLevels; ++level)
            for (int c = 0; c < 3; ++c)
                for (int d = 0; d < 256; ++d)
                    m_levelTable[(static_cast<size_t>(level) * 3 + static_cast<size_t>(c)) * 256 +
                                 static_cast<size_t>(d)] =
                        LevelOver(static_cast<uint8_t>(d), bgr[c], level);
        m_levelsColour = colour;
    }
    const bool whole = inside(ox + m_lettersBox.Left, oy + m_lettersBox.Top) &&
                       inside(ox + m_lettersBox.Right - 1, oy + m_lettersBox.Bottom - 1);
    for (const LetterPixel pixel : m_letters) {
        const int x = ox + static_cast<int>(pixel & 0xFFF);
        const int y = oy + static_cast<int>(pixel >> 12 & 0xFFF);
        if (!whole && !inside(x, y))
            continue;
        uint8_t* p = at(x, y);
        const uint8_t* levels = &m_levelTable[static_cast<size_t>(pixel >> 24) * 3 * 256];
        const uint8_t blue = levels[p[0]], green = levels[256 + p[1]], red = levels[512 + p[2]];
        p[0] = blue;
        p[1] = green;
        p[2] = red;
    }
    return true;
}

void TRadiateTextPainter::DrawGlow(TCanvas* canvas, TextView text, const TRect& rect,
                                   UINT format, bool asLayer, TColor color)
{
    const int w = rect.Width();
    const int h = rect.Height();
    if (w <= 0 || h <= 0)
        return;
    KeepGlow(canvas->Font(), text, w, h, format, color, false);
    TBitmap* glow = GlowInLayer();
    if (asLayer)
        PutRect(canvas, rect, glow, TPoint(0, 0));
    else
        DrawAlphaClipped(canvas, rect, glow, TPoint(0, 0), 255);
}

void TRadiateTextPainter::DrawGlow(TBitmap* bitmap, TextView text, const TRect& rect,
                                   UINT format, bool asLayer, TColor color)
{
    const int r = static_cast<int>(Radius);
    TCanvas* canvas = bitmap->Canvas();
    if (!asLayer) {
        const int w = rect.Width();
        const int h = rect.Height();
        if (w <= 0 || h <= 0)
            return;
        KeepGlow(canvas->Font(), text, w, h, format, color, false);
        BlendAlphaClipped(bitmap, rect, GlowInLayer(), TPoint(0, 0), 255);
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

void TRadiateTextPainter::MeasureGlow(TCanvas* canvas, TextView text, TRect& rect,
                                      UINT format)
{
    MeasureText(canvas, text, rect, format);
    if (rect.Width() > 0 && rect.Height() > 0) {
        rect.Right += 2 * static_cast<int>(Radius);
        rect.Bottom += 2 * static_cast<int>(Radius);
    }
}

void TRadiateTextPainter::DrawText(TextTarget target, TextView text, const TRect& rect,
                                   UINT format, bool asLayer)
{
    const TColor color = target.Canvas()->Font()->Color();
    if (TBitmap* bitmap = target.Bitmap())
        DrawGlow(bitmap, text, rect, format, asLayer, color);
    else
        DrawGlow(target.Canvas(), text, rect, format, asLayer, color);
}

void TRadiateTextPainter::CalcRect(TCanvas* canvas, TextView text, TRect& rect, UINT format)
{
    MeasureGlow(canvas, text, rect, format);
}

void TRadiateTextPainter::Release()
{
    delete this;
}

// ---------------------------------------------------------------------------------------
// TOuterGlowTextPainter

void TOuterGlowTextPainter::DrawOuter(TCanvas* canvas, TextView text, const TRect& rect,
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

void TOuterGlowTextPainter::DrawOuter(TBitmap* bitmap, TextView text, const TRect& rect,
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
        const int w = glowRect.Width();
        const int h = glowRect.Height();
        if (r != 0 && w > 0 && h > 0) {
            // The letters' rectangle has the glow's size: the drawing that finds the glow
            // can keep the letters as well.
            KeepGlow(font, text, w, h, format, Color, true);
            BlendAlphaClipped(bitmap, glowRect, GlowInLayer(), TPoint(0, 0), 255);
            if (LettersFromCoverage(bitmap, text, letterRect, format))
                return;
        }
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

void TOuterGlowTextPainter::DrawText(TextTarget target, TextView text, const TRect& rect,
                                     UINT format, bool asLayer)
{
    if (TBitmap* bitmap = target.Bitmap())
        DrawOuter(bitmap, text, rect, format, asLayer);
    else
        DrawOuter(target.Canvas(), text, rect, format, asLayer);
}

void TOuterGlowTextPainter::CalcRect(TCanvas* canvas, TextView text, TRect& rect, UINT format)
{
    MeasureGlow(canvas, text, rect, format);
    if (rect.Width() != 0 && rect.Height() != 0) {
        rect.Right += RadiationOffset.X;
        rect.Bottom += RadiationOffset.Y;
    }
}
