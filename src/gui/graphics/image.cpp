#include "src/gui/graphics/image.h"

#include "framework/Assert.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace {

// 1/255 in extended precision; the weights derived from it are rounded to double, so
// that alpha 0 and 255 are exact identities and the figures match to the last integer.
const long double kReciprocal255 = 1.0L / 255.0L;

struct Weights {
    double source;
    double dest;
};

Weights BlendWeights(uint8_t opacity, uint8_t alpha)
{
    const double k = static_cast<double>(opacity * kReciprocal255);
    const double a = static_cast<double>(alpha * kReciprocal255);
    return {static_cast<double>(static_cast<long double>(k) * a),
            static_cast<double>(1.0L - static_cast<long double>(a))};
}

// The blend of one channel, D.c = trunc(S.c x ws + D.c x wd) with the products and their
// sum in extended precision, is done in fixed point: the weights of one alpha become
// floor(weight x 2^24). The products of a byte with a double weight are exact in extended
// precision, so the integer sum falls short of the exact one by less than 2 x 255 units
// and its upper bits are the result, unless its fraction lies that close below the next
// integer: then the exact sum may reach it, and the sum formed as in extended precision
// decides.
constexpr int kFractionBits = 24;
constexpr uint32_t kFractionMask = (1u << kFractionBits) - 1;
constexpr uint32_t kShortfall = 2 * 255;

struct FixedWeights {
    uint32_t source;
    uint32_t dest;
    bool copy;  // source weight exactly 1, destination weight exactly 0
};

FixedWeights FixedOf(const Weights& w)
{
    const double scale = 1 << kFractionBits;
    FixedWeights fixed{};
    fixed.source = static_cast<uint32_t>(w.source * scale);
    fixed.dest = static_cast<uint32_t>(w.dest * scale);
    fixed.copy = w.source == 1.0 && w.dest == 0.0;
    return fixed;
}

// The result is `below` or `below` + 1; the sum as the blend forms it tells which.
__attribute__((noinline)) uint8_t NearIntegerChannel(uint32_t source, uint32_t dest,
                                                     uint32_t below, const Weights& w)
{
    const long double value = static_cast<long double>(source) * w.source +
                              static_cast<long double>(dest) * w.dest;
    return static_cast<uint8_t>(value >= below + 1 ? below + 1 : below);
}

uint8_t BlendChannel(uint32_t source, uint32_t dest, const FixedWeights& fixed, const Weights& w)
{
    const uint32_t sum = source * fixed.source + dest * fixed.dest;
    if ((sum & kFractionMask) >= kFractionMask + 1 - kShortfall)
        return NearIntegerChannel(source, dest, sum >> kFractionBits, w);
    return static_cast<uint8_t>(sum >> kFractionBits);
}

// The part of a rect x height walk (offsets i, j) that stays inside both bitmaps:
// destination (rect.Left + j, rect.Top + i), source (origin.X + j, origin.Y + i).
struct Span {
    int firstRow, endRow, firstColumn, endColumn;
    bool Empty() const { return firstRow >= endRow || firstColumn >= endColumn; }
};

Span InsideBoth(const TRect& rect, int dstWidth, int dstHeight, const TPoint& origin,
                int srcWidth, int srcHeight)
{
    auto range = [](long long extent, long long dstStart, long long dstSize, long long srcStart,
                    long long srcSize, int& first, int& end) {
        const long long lo = std::max({0LL, -dstStart, -srcStart});
        const long long hi = std::min({extent, dstSize - dstStart, srcSize - srcStart});
        first = static_cast<int>(std::max(lo, 0LL));
        end = static_cast<int>(std::max(hi, lo));
    };
    Span span{};
    range(static_cast<long long>(rect.Bottom) - rect.Top, rect.Top, dstHeight, origin.Y,
          srcHeight, span.firstRow, span.endRow);
    range(static_cast<long long>(rect.Right) - rect.Left, rect.Left, dstWidth, origin.X, srcWidth,
          span.firstColumn, span.endColumn);
    return span;
}

// What the blend needs of one alpha, made on first use within a call.
struct AlphaEntry {
    // Lanes 0 to 2 of a pixel hold int16 pairs (source weight, destination weight) of
    // the fixed weights' upper bits (>> 9) and lower 9 bits; lane 3 (alpha) weighs 0.
    __m128i high, low;
    Weights weights;
    FixedWeights fixed;
};

// The entries of one call, each made on first use; only the marks are cleared per call.
struct AlphaTable {
    AlphaEntry entries[256];
    bool ready[256] = {};
};

__attribute__((noinline)) void Prepare(AlphaEntry& entry, uint8_t opacity, uint8_t alpha)
{
    entry.weights = BlendWeights(opacity, alpha);
    entry.fixed = FixedOf(entry.weights);
    // Alpha 0 and an exact copy are chosen by masks; their lanes compute nothing.
    const bool computed = alpha != 0 && !entry.fixed.copy;
    const auto high = [&](uint32_t w) { return static_cast<short>(computed ? w >> 9 : 0); };
    const auto low = [&](uint32_t w) { return static_cast<short>(computed ? w & 511 : 0); };
    const short sh = high(entry.fixed.source), dh = high(entry.fixed.dest);
    const short sl = low(entry.fixed.source), dl = low(entry.fixed.dest);
    entry.high = _mm_setr_epi16(sh, dh, sh, dh, sh, dh, 0, 0);
    entry.low = _mm_setr_epi16(sl, dl, sl, dl, sl, dl, 0, 0);
}

const AlphaEntry& EntryOf(AlphaTable& table, uint8_t opacity, uint8_t alpha)
{
    AlphaEntry& entry = table.entries[alpha];
    if (!table.ready[alpha]) {
        Prepare(entry, opacity, alpha);
        table.ready[alpha] = true;
    }
    return entry;
}

// One pixel, channel by channel. All of it is read before the first write.
void BlendPixel(const uint8_t* s, uint8_t* d, AlphaTable& table, uint8_t opacity)
{
    const uint8_t alpha = s[3];
    if (alpha == 0)  // weights 0 and 1 whatever the opacity: the pixel stays
        return;
    const uint32_t s0 = s[0], s1 = s[1], s2 = s[2];
    const AlphaEntry& entry = EntryOf(table, opacity, alpha);
    if (entry.fixed.copy) {
        d[0] = static_cast<uint8_t>(s0);
        d[1] = static_cast<uint8_t>(s1);
        d[2] = static_cast<uint8_t>(s2);
        return;
    }
    const uint32_t d0 = d[0], d1 = d[1], d2 = d[2];
    const uint8_t blue = BlendChannel(s0, d0, entry.fixed, entry.weights);
    const uint8_t green = BlendChannel(s1, d1, entry.fixed, entry.weights);
    const uint8_t red = BlendChannel(s2, d2, entry.fixed, entry.weights);
    d[0] = blue;
    d[1] = green;
    d[2] = red;
}

// The fixed-point sum of one pixel's three channels, one per 32-bit lane.
__m128i PixelSums(__m128i pairs, const AlphaEntry& entry)
{
    return _mm_add_epi32(_mm_slli_epi32(_mm_madd_epi16(pairs, entry.high), 9),
                         _mm_madd_epi16(pairs, entry.low));
}

uint32_t Load32(const uint8_t* p)
{
    uint32_t value;
    std::memcpy(&value, p, 4);
    return value;
}

void Store32(uint8_t* p, uint32_t value)
{
    std::memcpy(p, &value, 4);
}

// Four pixels at once, each channel in a 32-bit lane: the new destination pixels, the
// fourth byte of each as it was (for a 3-byte destination the next pixel's first). A
// 3-byte destination is read four bytes a pixel, so dst must hold one byte past the
// fourth pixel.
__m128i BlendFour(const uint8_t* s, const uint8_t* d, int dstStep, AlphaTable& table,
                  uint8_t opacity)
{
    const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i dest =
        dstStep == 4 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(d))
                     : _mm_setr_epi32(static_cast<int>(Load32(d)), static_cast<int>(Load32(d + 3)),
                                      static_cast<int>(Load32(d + 6)), static_cast<int>(Load32(d + 9)));
    const __m128i zero = _mm_setzero_si128();
    const __m128i alphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    const __m128i alphas = _mm_and_si128(source, alphaBytes);
    // Skins are mostly opaque or clear: four such pixels need no arithmetic.
    const int opaque = _mm_movemask_epi8(_mm_cmpeq_epi32(alphas, alphaBytes));
    if (opaque == 0xFFFF && opacity == 255)
        return _mm_or_si128(_mm_andnot_si128(alphaBytes, source), _mm_and_si128(alphaBytes, dest));
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, zero)) == 0xFFFF)
        return dest;

    const AlphaEntry& e0 = EntryOf(table, opacity, s[3]);
    const AlphaEntry& e1 = EntryOf(table, opacity, s[7]);
    const AlphaEntry& e2 = EntryOf(table, opacity, s[11]);
    const AlphaEntry& e3 = EntryOf(table, opacity, s[15]);

    const __m128i sourceLow = _mm_unpacklo_epi8(source, zero);
    const __m128i sourceHigh = _mm_unpackhi_epi8(source, zero);
    const __m128i destLow = _mm_unpacklo_epi8(dest, zero);
    const __m128i destHigh = _mm_unpackhi_epi8(dest, zero);
    const __m128i sum0 = PixelSums(_mm_unpacklo_epi16(sourceLow, destLow), e0);
    const __m128i sum1 = PixelSums(_mm_unpackhi_epi16(sourceLow, destLow), e1);
    const __m128i sum2 = PixelSums(_mm_unpacklo_epi16(sourceHigh, destHigh), e2);
    const __m128i sum3 = PixelSums(_mm_unpackhi_epi16(sourceHigh, destHigh), e3);
    __m128i mixed = _mm_packus_epi16(
        _mm_packs_epi32(_mm_srli_epi32(sum0, kFractionBits), _mm_srli_epi32(sum1, kFractionBits)),
        _mm_packs_epi32(_mm_srli_epi32(sum2, kFractionBits), _mm_srli_epi32(sum3, kFractionBits)));

    // Channels whose sum lies too close below an integer are settled one by one.
    const __m128i fraction = _mm_set1_epi32(static_cast<int>(kFractionMask));
    const __m128i certain = _mm_set1_epi32(static_cast<int>(kFractionMask - kShortfall));
    const __m128i close = _mm_packs_epi16(
        _mm_packs_epi32(_mm_cmpgt_epi32(_mm_and_si128(sum0, fraction), certain),
                        _mm_cmpgt_epi32(_mm_and_si128(sum1, fraction), certain)),
        _mm_packs_epi32(_mm_cmpgt_epi32(_mm_and_si128(sum2, fraction), certain),
                        _mm_cmpgt_epi32(_mm_and_si128(sum3, fraction), certain)));
    if (int lanes = _mm_movemask_epi8(close)) {
        alignas(16) uint8_t bytes[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(bytes), mixed);
        for (; lanes != 0; lanes &= lanes - 1) {
            const int lane = __builtin_ctz(static_cast<unsigned>(lanes));
            const int pixel = lane / 4;
            const uint8_t dest = dstStep == 4 ? d[lane] : d[3 * pixel + lane % 4];
            const AlphaEntry& entry = table.entries[s[4 * pixel + 3]];
            bytes[lane] = NearIntegerChannel(s[lane], dest, bytes[lane], entry.weights);
        }
        mixed = _mm_load_si128(reinterpret_cast<const __m128i*>(bytes));
    }

    const __m128i copy = opacity == 255 ? _mm_cmpeq_epi32(alphas, alphaBytes) : zero;
    mixed = _mm_or_si128(_mm_and_si128(copy, source), _mm_andnot_si128(copy, mixed));
    // Transparent pixels and every fourth byte stay as they were.
    const __m128i old = _mm_or_si128(_mm_cmpeq_epi32(alphas, zero), alphaBytes);
    return _mm_or_si128(_mm_and_si128(old, dest), _mm_andnot_si128(old, mixed));
}

void StoreFour(uint8_t* d, int dstStep, __m128i pixels)
{
    if (dstStep == 4) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), pixels);
        return;
    }
    // The last pixel is written as three bytes: a write that reached into the next
    // group would hold up that group's first read.
    for (int k = 0; k < 3; ++k, pixels = _mm_srli_si128(pixels, 4))
        Store32(d + 3 * k, static_cast<uint32_t>(_mm_cvtsi128_si32(pixels)));
    const uint32_t last = static_cast<uint32_t>(_mm_cvtsi128_si32(pixels));
    d[9] = static_cast<uint8_t>(last);
    d[10] = static_cast<uint8_t>(last >> 8);
    d[11] = static_cast<uint8_t>(last >> 16);
}

// Sixteen pixels (64 source bytes), all read before any is written.
void BlendSixteen(const uint8_t* s, uint8_t* d, int dstStep, AlphaTable& table,
                  uint8_t opacity)
{
    __m128i pixels[4];
    for (int k = 0; k < 4; ++k)
        pixels[k] = BlendFour(s + 16 * k, d + 4 * k * dstStep, dstStep, table, opacity);
    for (int k = 0; k < 4; ++k)
        StoreFour(d + 4 * k * dstStep, dstStep, pixels[k]);
}

// The shared blend of BlendAlpha (3-byte destination) and BlendAlpha32 (4-byte one).
void Blend(TBitmap* dst, int dstStep, const TRect& rect, TBitmap* src, const TPoint& origin,
           uint8_t opacity)
{
    const Span span =
        InsideBoth(rect, dst->Width(), dst->Height(), origin, src->Width(), src->Height());
    if (span.Empty())
        return;
    AlphaTable table;
    // A 3-byte destination's group also reads the first byte of the pixel after it,
    // which must lie inside the rectangle's row.
    const int group = dstStep == 4 ? 16 : 17;
    for (int i = span.firstRow; i < span.endRow; ++i) {
        const uint8_t* s = src->ScanLine(origin.Y + i) + (origin.X + span.firstColumn) * 4;
        uint8_t* d = dst->ScanLine(rect.Top + i) + (rect.Left + span.firstColumn) * dstStep;
        int j = span.firstColumn;
        for (; j + group <= span.endColumn; j += 16, s += 64, d += 16 * dstStep)
            BlendSixteen(s, d, dstStep, table, opacity);
        for (; j < span.endColumn; ++j, s += 4, d += dstStep)
            BlendPixel(s, d, table, opacity);
    }
}

// Blends straight into the 32-bit DIB the canvas draws on, when its DC maps logical to
// device pixels by an offset alone and clips to one rectangle; false leaves the drawing to
// the copy. The colour bytes get the copy's arithmetic; the fourth byte of every pixel of
// the area is set to 0, as putting a 24-bit copy back writes it.
bool DrawIntoTarget(TCanvas* canvas, const TRect& rect, TBitmap* src, const TPoint& origin,
                    uint8_t opacity)
{
    HDC dc = canvas->Handle();
    TBitmap* target = TBitmapCanvas::BitmapOf(dc);
    if (!target || target->PixelFormat() != pf32bit ||
        GetCurrentObject(dc, OBJ_BITMAP) != target->Handle() || GetMapMode(dc) != MM_TEXT ||
        GetGraphicsMode(dc) != GM_COMPATIBLE || GetLayout(dc) != 0)
        return false;
    RECT clip;
    const int region = GetClipBox(dc, &clip);
    if (region == NULLREGION)
        return true;
    POINT viewport, window;
    if (region != SIMPLEREGION || !GetViewportOrgEx(dc, &viewport) || !GetWindowOrgEx(dc, &window))
        return false;
    const long long dx = static_cast<long long>(viewport.x) - window.x;
    const long long dy = static_cast<long long>(viewport.y) - window.y;
    const long long width = target->Width(), height = target->Height();
    const long long left = std::max({0LL, rect.Left + dx, clip.left + dx});
    const long long top = std::max({0LL, rect.Top + dy, clip.top + dy});
    const long long right = std::min({width, rect.Right + dx, clip.right + dx});
    const long long bottom = std::min({height, rect.Bottom + dy, clip.bottom + dy});
    if (left >= right || top >= bottom)
        return true;
    const TRect area(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
                     static_cast<int>(bottom));
    // ScanLine flushes what GDI still has to draw on the DC before the bits are read.
    BlendAlpha32(target, area, src,
                 TPoint(static_cast<int>(origin.X + (left - dx - rect.Left)),
                        static_cast<int>(origin.Y + (top - dy - rect.Top))),
                 opacity);
    for (int y = area.Top; y < area.Bottom; ++y) {
        uint8_t* p = target->ScanLine(y) + area.Left * 4 + 3;
        for (int x = area.Left; x < area.Right; ++x, p += 4)
            *p = 0;
    }
    return true;
}

void DrawThroughCopy(TCanvas* canvas, const TRect& rect, TBitmap* src, const TPoint& origin,
                     uint8_t opacity, bool clipped)
{
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return;
    if (DrawIntoTarget(canvas, rect, src, origin, opacity))
        return;
    const TRect work(0, 0, rect.Width(), rect.Height());
    TBitmap temporary;
    temporary.SetPixelFormat(pf24bit);
    CaptureRect(canvas, &temporary, rect);
    if (clipped)
        BlendAlphaClipped(&temporary, work, src, origin, opacity);
    else
        BlendAlpha(&temporary, work, src, origin, opacity);
    PutRect(canvas, rect, &temporary, TPoint(0, 0));
}

}  // namespace

void BlendAlpha(TBitmap* dst, const TRect& rect, TBitmap* src, const TPoint& origin,
                uint8_t opacity)
{
    ASSERT_MSG(src->PixelFormat() == pf32bit, "src->PixelFormat == pf32bit");
    if (dst->PixelFormat() != pf24bit)
        dst->SetPixelFormat(pf24bit);
    Blend(dst, 3, rect, src, origin, opacity);
}

void BlendAlphaWhole(TBitmap* dst, TBitmap* src, uint8_t opacity)
{
    BlendAlpha(dst, TRect(0, 0, dst->Width(), dst->Height()), src, TPoint(0, 0), opacity);
}

void BlendAlpha32(TBitmap* dst, const TRect& rect, TBitmap* src, const TPoint& origin,
                  uint8_t opacity)
{
    ASSERT_MSG(src->PixelFormat() == pf32bit, "src->PixelFormat == pf32bit");
    ASSERT_MSG(dst->PixelFormat() == pf32bit, "dst->PixelFormat == pf32bit");
    Blend(dst, 4, rect, src, origin, opacity);
}

void BlendAlpha32Whole(TBitmap* dst, TBitmap* src, uint8_t opacity)
{
    BlendAlpha32(dst, TRect(0, 0, dst->Width(), dst->Height()), src, TPoint(0, 0), opacity);
}

TRect ClipBlendRect(TBitmap* dst, const TRect& rect, TBitmap* src, TPoint& origin)
{
    TRect r = rect;
    TPoint& p = origin;
    if (r.Left < 0) {
        p.X -= r.Left;
        r.Left = 0;
    }
    if (p.X < 0) {
        r.Left -= p.X;
        p.X = 0;
    }
    if (r.Top < 0) {
        p.Y -= r.Top;
        r.Top = 0;
    }
    if (p.Y < 0) {
        r.Top -= p.Y;
        p.Y = 0;
    }
    const int availableWidth = std::max(src->Width() - p.X, 0);
    const int availableHeight = std::max(src->Height() - p.Y, 0);
    if (dst->Width() < r.Right)
        r.Right = dst->Width();
    if (dst->Height() < r.Bottom)
        r.Bottom = dst->Height();
    if (r.Width() > availableWidth)
        r.Right = r.Left + availableWidth;
    if (r.Height() > availableHeight)
        r.Bottom = r.Top + availableHeight;
    return r;
}

void BlendAlphaClipped(TBitmap* dst, const TRect& rect, TBitmap* src, const TPoint& origin,
                       uint8_t opacity)
{
    TPoint p = origin;
    const TRect r = ClipBlendRect(dst, rect, src, p);
    BlendAlpha(dst, r, src, p, opacity);
}

void CaptureRect(TCanvas* canvas, TBitmap* bitmap, const TRect& rect)
{
    bitmap->SetSize(rect.Width(), rect.Height());
    bitmap->SetPixelFormat(pf24bit);
    canvas->SetCopyMode(SRCCOPY);
    bitmap->Canvas()->CopyRect(TRect(0, 0, rect.Width(), rect.Height()), canvas, rect);
}

void PutRect(TCanvas* canvas, const TRect& rect, TBitmap* bitmap, const TPoint& origin)
{
    canvas->SetCopyMode(SRCCOPY);
    canvas->CopyRect(rect, bitmap->Canvas(),
                     TRect(origin.X, origin.Y, origin.X + rect.Width(), origin.Y + rect.Height()));
}

void DrawAlpha(TCanvas* canvas, const TRect& rect, TBitmap* src, const TPoint& origin,
               uint8_t opacity)
{
    DrawThroughCopy(canvas, rect, src, origin, opacity, false);
}

void DrawAlphaClipped(TCanvas* canvas, const TRect& rect, TBitmap* src, const TPoint& origin,
                      uint8_t opacity)
{
    DrawThroughCopy(canvas, rect, src, origin, opacity, true);
}

void CopyLayer(TBitmap* backgnd, const TRect& rect, TBitmap* layer, const TPoint& origin)
{
    ASSERT_MSG(backgnd->PixelFormat() == pf32bit && layer->PixelFormat() == pf32bit,
               "backgnd->PixelFormat == pf32bit && layer->PixelFormat == pf32bit");
    const Span span = InsideBoth(rect, backgnd->Width(), backgnd->Height(), origin,
                                 layer->Width(), layer->Height());
    if (span.Empty())
        return;
    for (int i = span.firstRow; i < span.endRow; ++i) {
        const uint8_t* s = layer->ScanLine(origin.Y + i) + (origin.X + span.firstColumn) * 4;
        uint8_t* d = backgnd->ScanLine(rect.Top + i) + (rect.Left + span.firstColumn) * 4;
        for (int j = span.firstColumn; j < span.endColumn; ++j, s += 4, d += 4) {
            if (s[3] != 0)
                std::copy(s, s + 4, d);
        }
    }
}

void PremultiplyAlpha(TBitmap* bitmap)
{
    if (bitmap->PixelFormat() != pf32bit || bitmap->Empty())
        return;
    for (int y = 0; y < bitmap->Height(); ++y) {
        uint8_t* p = bitmap->ScanLine(y);
        for (int x = 0; x < bitmap->Width(); ++x, p += 4) {
            const unsigned alpha = p[3];
            p[0] = static_cast<uint8_t>(p[0] * alpha / 255);
            p[1] = static_cast<uint8_t>(p[1] * alpha / 255);
            p[2] = static_cast<uint8_t>(p[2] * alpha / 255);
        }
    }
}

void FillAlpha(TBitmap* bitmap, uint8_t alpha)
{
    ASSERT_MSG(bitmap->PixelFormat() == pf32bit, "bitmap->PixelFormat == pf32bit");
    if (bitmap->Empty())
        return;
    for (int y = 0; y < bitmap->Height(); ++y) {
        uint8_t* p = bitmap->ScanLine(y);
        for (int x = 0; x < bitmap->Width(); ++x, p += 4)
            p[3] = alpha;
    }
}
