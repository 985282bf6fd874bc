#include "src/gui/graphics/image.h"

#include "framework/Assert.h"

#include <algorithm>

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
constexpr uint32_t kUnset = ~0u;

struct FixedWeights {
    uint32_t source = kUnset;
    uint32_t dest = 0;
    bool copy = false;  // source weight exactly 1, destination weight exactly 0
};

FixedWeights FixedOf(const Weights& w)
{
    const double scale = 1 << kFractionBits;
    FixedWeights fixed;
    fixed.source = static_cast<uint32_t>(w.source * scale);
    fixed.dest = static_cast<uint32_t>(w.dest * scale);
    fixed.copy = w.source == 1.0 && w.dest == 0.0;
    return fixed;
}

// The result is `below` or `below` + 1; the sum as the blend forms it tells which.
__attribute__((noinline)) uint8_t NearIntegerChannel(uint32_t source, uint32_t dest,
                                                     uint32_t below, uint8_t opacity,
                                                     uint8_t alpha)
{
    const Weights w = BlendWeights(opacity, alpha);
    const long double value = static_cast<long double>(source) * w.source +
                              static_cast<long double>(dest) * w.dest;
    return static_cast<uint8_t>(value >= below + 1 ? below + 1 : below);
}

uint8_t BlendChannel(uint32_t source, uint32_t dest, const FixedWeights& fixed, uint8_t opacity,
                     uint8_t alpha)
{
    const uint32_t sum = source * fixed.source + dest * fixed.dest;
    if ((sum & kFractionMask) >= kFractionMask + 1 - kShortfall)
        return NearIntegerChannel(source, dest, sum >> kFractionBits, opacity, alpha);
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

// The shared blend of BlendAlpha (3-byte destination) and BlendAlpha32 (4-byte one).
void Blend(TBitmap* dst, int dstStep, const TRect& rect, TBitmap* src, const TPoint& origin,
           uint8_t opacity)
{
    const Span span =
        InsideBoth(rect, dst->Width(), dst->Height(), origin, src->Width(), src->Height());
    if (span.Empty())
        return;
    FixedWeights byAlpha[256];
    for (int i = span.firstRow; i < span.endRow; ++i) {
        const uint8_t* s = src->ScanLine(origin.Y + i) + (origin.X + span.firstColumn) * 4;
        uint8_t* d = dst->ScanLine(rect.Top + i) + (rect.Left + span.firstColumn) * dstStep;
        for (int j = span.firstColumn; j < span.endColumn; ++j, s += 4, d += dstStep) {
            // Every byte of the pixel pair is read before the first write: a write through
            // a byte pointer could change anything, so reads after it would be repeated,
            // and each would wait on the write when source and destination lie a multiple
            // of 4 KB apart (as whole DIBs do), which made the speed depend on placement.
            const uint8_t alpha = s[3];
            if (alpha == 0)  // weights 0 and 1 whatever the opacity: the pixel stays
                continue;
            const uint32_t s0 = s[0], s1 = s[1], s2 = s[2];
            FixedWeights& cached = byAlpha[alpha];
            if (cached.source == kUnset)
                cached = FixedOf(BlendWeights(opacity, alpha));
            const FixedWeights w = cached;
            if (w.copy) {
                d[0] = static_cast<uint8_t>(s0);
                d[1] = static_cast<uint8_t>(s1);
                d[2] = static_cast<uint8_t>(s2);
                continue;
            }
            const uint32_t d0 = d[0], d1 = d[1], d2 = d[2];
            const uint8_t blue = BlendChannel(s0, d0, w, opacity, alpha);
            const uint8_t green = BlendChannel(s1, d1, w, opacity, alpha);
            const uint8_t red = BlendChannel(s2, d2, w, opacity, alpha);
            d[0] = blue;
            d[1] = green;
            d[2] = red;
        }
    }
}

void DrawThroughCopy(TCanvas* canvas, const TRect& rect, TBitmap* src, const TPoint& origin,
                     uint8_t opacity, bool clipped)
{
    if (rect.Width() <= 0 || rect.Height() <= 0)
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
