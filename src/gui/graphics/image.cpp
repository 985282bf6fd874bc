// GCC 12's AVX-512 intrinsics start some results from an undefined register, which a
// 32-bit build takes for a read before a write once they are inlined; the headers are
// read with that warning off (the first to include them is windows.h, through image.h).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "src/gui/graphics/image.h"

#include <immintrin.h>
#pragma GCC diagnostic pop

#include "framework/Assert.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdlib>
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

void Store32(uint8_t* p, uint32_t value)
{
    std::memcpy(p, &value, 4);
}

// Four destination pixels of four bytes each; a 3-byte destination's fourth byte is the
// next pixel's first, so dst must hold two bytes past the fourth pixel.
__m128i LoadFour(const uint8_t* d, int dstStep)
{
    if (dstStep == 4)
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    // Bytes 0 to 7 and 6 to 13; each half keeps its bytes 0 to 3 and, moved up one, 3 to 6.
    const __m128i halves =
        _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(d)),
                           _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d + 6)));
    const __m128i low = _mm_set_epi32(0, -1, 0, -1);
    return _mm_or_si128(_mm_and_si128(halves, low),
                        _mm_andnot_si128(low, _mm_slli_epi64(halves, 8)));
}

// Four pixels at once, each channel in a 32-bit lane: the new destination pixels, the
// fourth byte of each as it was (for a 3-byte destination the next pixel's first).
__m128i BlendFour(const uint8_t* s, const uint8_t* d, int dstStep, AlphaTable& table,
                  uint8_t opacity)
{
    const __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i dest = LoadFour(d, dstStep);
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

// At full opacity the blend is done in exact integers. With X = alpha x S.c +
// (255 - alpha) x D.c, the exact weighted sum is X / 255 + T / (255 x 2^60), where
// T = S.c x E.source + D.c x E.dest and E are the errors of the double weights in units
// of 2^-60 / 255 (small integers). Unless X is a multiple of 255 the sum lies at least
// 1/255 from an integer, so the result is X / 255 cut. On a multiple, the extended
// sum (64-bit mantissa, rounded to nearest) falls below the integer exactly when T < 0:
// T is then either 0 or at least 4080 away from it, far beyond half a unit of the last
// place. Both cases are the quotient of X - [T < 0], since one less does not change the
// quotient of a number that is not a multiple.
struct ExactEntry {
    // Lanes of one pixel: (E.source, E.dest) pairs for three channels, (0, 0) for the
    // fourth byte, which keeps its value.
    __m128i errors;
    // (alpha, 255 - alpha) pairs for three channels, (0, 255) for the fourth byte.
    __m128i weights;
    // For sign 1 or -1 (below) the blend is base + F(other - base): base D and other S
    // for sign 1 (weight alpha on other), the other way round for -1 (weight 255 -
    // alpha); F(x) = floor(weight x |x| / 255) for x >= 0, its complement (minus it,
    // less one) below. That floor is mulhi(|x|, magic) for |x| < 256: magic =
    // ceil(weight x 2^16 / 255) exceeds the exact ratio by less than 255 / 2^16 over the
    // range, below the 1/255 that the fraction lacks of the next integer. 0 in the
    // fourth lanes.
    __m128i magic;
    int16_t sourceError, destError;
    // With E.dest = -E.source (most alphas above 127), T < 0 is a comparison of S.c and
    // D.c: 1 if it is S.c < D.c, -1 if S.c > D.c; 0 if T is needed.
    int sign;
};

struct ExactTable {
    ExactEntry entries[256];
    bool usable = true;  // every weight's error is a 16-bit multiple of 2^-60 / 255
    // The wide kernels' form of the errors: signed byte pairs (hs, hd) four times, then
    // (ls, ld) four times, with E / 16 = 64 x h + l, 0 <= l < 64; usable if every error
    // splits so and |hs| + |hd| stays below 127 (see avx2::Lowered).
    __m128i split[256];
    // The same bytes as four tables by alpha: hs, hd, ls and ld.
    int8_t planes[4][256];
    bool splits = true;
};

ExactTable MakeExactTable()
{
    ExactTable table;
    const double unit = 1152921504606846976.0;  // 2^60
    for (int alpha = 0; alpha < 256; ++alpha) {
        const Weights w = BlendWeights(255, static_cast<uint8_t>(alpha));
        // Weights of 2^-8 and more are whole multiples of 2^-60; the differences are
        // taken modulo 2^64 and are small.
        const auto error = [&](double weight, int share) {
            const double scaled = weight * unit;
            const uint64_t whole = static_cast<uint64_t>(scaled);
            if (static_cast<double>(whole) != scaled)
                table.usable = false;
            const int64_t e =
                static_cast<int64_t>(255 * whole - (static_cast<uint64_t>(share) << 60));
            if (e < INT16_MIN || e > INT16_MAX)
                table.usable = false;
            return static_cast<int16_t>(e);
        };
        ExactEntry& entry = table.entries[alpha];
        entry.sourceError = error(w.source, alpha);
        entry.destError = error(w.dest, 255 - alpha);
        const short es = entry.sourceError, ed = entry.destError;
        entry.errors = _mm_setr_epi16(es, ed, es, ed, es, ed, 0, 0);
        const short a = static_cast<short>(alpha), na = static_cast<short>(255 - alpha);
        entry.weights = _mm_setr_epi16(a, na, a, na, a, na, 0, 255);
        entry.sign = es + ed != 0 ? 0 : es > 0 ? 1 : es < 0 ? -1 : 0;
        const int weight = entry.sign == 1 ? alpha : 255 - alpha;
        const short m = static_cast<short>(entry.sign != 0 ? (weight * 65536 + 254) / 255 : 0);
        entry.magic = _mm_setr_epi16(m, m, m, 0, m, m, m, 0);
        const int high = es >> 4 >> 6, low = (es >> 4) & 63;
        const int highDest = ed >> 4 >> 6, lowDest = (ed >> 4) & 63;
        if (es % 16 != 0 || ed % 16 != 0 || std::abs(high) + std::abs(highDest) > 126)
            table.splits = false;
        const short highPair = static_cast<short>(static_cast<uint8_t>(high) |
                                                  static_cast<uint8_t>(highDest) << 8);
        const short lowPair = static_cast<short>(low | lowDest << 8);
        table.split[alpha] = _mm_setr_epi16(highPair, highPair, highPair, highPair, lowPair,
                                            lowPair, lowPair, lowPair);
        const int bytes[4] = {high, highDest, low, lowDest};
        for (int k = 0; k < 4; ++k)
            table.planes[k][alpha] = static_cast<int8_t>(bytes[k]);
    }
    return table;
}

const ExactTable& Exact()
{
    static const ExactTable table = MakeExactTable();
    return table;
}

// The exact blend assumes the x87 rounds to nearest with a 64-bit mantissa (mingw's
// start-up setting); under any other control word the general blend runs.
bool ExactBlendHolds()
{
    uint16_t control;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    return (control & 0x0F00) == 0x0300 && Exact().usable;
}

uint8_t ExactChannel(int s, int d, int alpha, const ExactEntry& entry)
{
    const int x = alpha * s + (255 - alpha) * d;
    const int t = s * entry.sourceError + d * entry.destError;
    return static_cast<uint8_t>((x - (t < 0)) / 255);
}

void ExactPixel(const uint8_t* s, uint8_t* d, const ExactTable& table)
{
    const int alpha = s[3];
    const ExactEntry& entry = table.entries[alpha];
    const uint8_t blue = ExactChannel(s[0], d[0], alpha, entry);
    const uint8_t green = ExactChannel(s[1], d[1], alpha, entry);
    const uint8_t red = ExactChannel(s[2], d[2], alpha, entry);
    d[0] = blue;
    d[1] = green;
    d[2] = red;
}

#define EXACT_INLINE inline __attribute__((always_inline))

// One pixel's channels as (S.c, D.c) pairs in 32-bit lanes, of the given alpha:
// X - [T < 0].
EXACT_INLINE __m128i Lowered(__m128i pairs, const ExactEntry& entry)
{
    return _mm_add_epi32(_mm_madd_epi16(pairs, entry.weights),
                         _mm_srai_epi32(_mm_madd_epi16(pairs, entry.errors), 31));
}

// Two pixels' X - [T < 0] divided by 255 as 16-bit lanes: the values lie below 2^16,
// so their upper halves are 0 and the multiply-high leaves them 0; 0x8081 / 2^23 is
// exact below 2^16.
EXACT_INLINE __m128i Quotient(__m128i first, __m128i second)
{
    const __m128i magic = _mm_set1_epi16(-32639);
    return _mm_srli_epi16(
        _mm_packs_epi32(_mm_mulhi_epu16(first, magic), _mm_mulhi_epu16(second, magic)), 7);
}

// Four pixels of alphas a, b, c and e, laid out as BlendFour's.
EXACT_INLINE __m128i ExactPairs(__m128i source, __m128i dest, const ExactEntry& a,
                                const ExactEntry& b, const ExactEntry& c, const ExactEntry& e)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_unpacklo_epi8(source, dest);
    const __m128i high = _mm_unpackhi_epi8(source, dest);
    return _mm_packus_epi16(Quotient(Lowered(_mm_unpacklo_epi8(low, zero), a),
                                     Lowered(_mm_unpackhi_epi8(low, zero), b)),
                            Quotient(Lowered(_mm_unpacklo_epi8(high, zero), c),
                                     Lowered(_mm_unpackhi_epi8(high, zero), e)));
}

const __m128i kAlphaBytes = _mm_set1_epi32(static_cast<int>(0xFF000000u));

// Opaque pixels over four destination pixels: the source's colours, the fourth bytes kept.
EXACT_INLINE __m128i Opaque(__m128i source, __m128i dest)
{
    return _mm_or_si128(_mm_andnot_si128(kAlphaBytes, source), _mm_and_si128(kAlphaBytes, dest));
}

// Four pixels of one alpha other than 0 and 255, laid out as BlendFour's; Sign is the
// entry's.
template <int Sign>
EXACT_INLINE __m128i SameFour(__m128i source, __m128i dest, const ExactEntry& entry)
{
    const __m128i zero = _mm_setzero_si128();
    if (Sign == 0)
        return ExactPairs(source, dest, entry, entry, entry, entry);
    // The fourth bytes come out as the destination's: other is 255 there for sign 1
    // (F(x >= 0) is 0 at magic 0), and equal to base for -1.
    const __m128i base = Sign == 1 ? dest : Opaque(source, dest);
    const __m128i other = Sign == 1 ? _mm_or_si128(source, kAlphaBytes) : dest;
    const __m128i up = _mm_subs_epu8(other, base);
    const __m128i down = _mm_subs_epu8(base, other);
    const __m128i distance = _mm_or_si128(up, down);
    const __m128i share =
        _mm_packus_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(distance, zero), entry.magic),
                         _mm_mulhi_epu16(_mm_unpackhi_epi8(distance, zero), entry.magic));
    // base + share upward, base - share - 1 downward: base - 1 - (share ^ 0xFF) wraps to
    // the first.
    const __m128i rising = _mm_cmpeq_epi8(down, zero);
    return _mm_sub_epi8(_mm_add_epi8(base, _mm_set1_epi8(-1)), _mm_xor_si128(share, rising));
}

// Four pixels at full opacity, laid out as BlendFour's.
EXACT_INLINE __m128i ExactFour(const uint8_t* s, __m128i source, __m128i dest,
                               const ExactTable& table)
{
    const __m128i alphas = _mm_and_si128(source, kAlphaBytes);
    // Skins are mostly opaque or clear.
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(alphas, _mm_shuffle_epi32(alphas, 0))) == 0xFFFF) {
        const uint8_t alpha = s[3];
        if (alpha == 255)
            return Opaque(source, dest);
        if (alpha == 0)
            return dest;
    }
    return ExactPairs(source, dest, table.entries[s[3]], table.entries[s[7]], table.entries[s[11]],
                      table.entries[s[15]]);
}

// Sixteen pixels of one alpha other than 0 and 255, four at a time.
template <int Sign, int Step>
EXACT_INLINE void SameSixteen(const uint8_t* s, uint8_t* d, const ExactEntry& entry)
{
    for (int k = 0; k < 4; ++k, s += 16, d += 4 * Step)
        StoreFour(d, Step,
                  SameFour<Sign>(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)),
                                 LoadFour(d, Step), entry));
}

// Sixteen pixels at full opacity. Skins are mostly opaque or clear and veils of one
// alpha throughout.
template <int Step>
EXACT_INLINE void ExactSixteen(const uint8_t* s, uint8_t* d, const ExactTable& table)
{
    __m128i source[4];
    for (int k = 0; k < 4; ++k)
        source[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * k));
    const __m128i differ = _mm_or_si128(
        _mm_or_si128(_mm_xor_si128(source[0], _mm_shuffle_epi32(source[0], 0)),
                     _mm_xor_si128(source[0], source[1])),
        _mm_or_si128(_mm_xor_si128(source[0], source[2]), _mm_xor_si128(source[0], source[3])));
    const __m128i same = _mm_cmpeq_epi32(_mm_and_si128(differ, kAlphaBytes), _mm_setzero_si128());
    if (_mm_movemask_epi8(same) != 0xFFFF) {
        for (int k = 0; k < 4; ++k, s += 16, d += 4 * Step)
            StoreFour(d, Step,
                      ExactPairs(source[k], LoadFour(d, Step), table.entries[s[3]],
                                 table.entries[s[7]], table.entries[s[11]], table.entries[s[15]]));
        return;
    }
    const uint8_t alpha = s[3];
    if (alpha == 0)
        return;
    if (alpha == 255) {
        for (int k = 0; k < 4; ++k, d += 4 * Step)
            StoreFour(d, Step, Opaque(source[k], LoadFour(d, Step)));
        return;
    }
    const ExactEntry& entry = table.entries[alpha];
    switch (entry.sign) {
    case 1:
        return SameSixteen<1, Step>(s, d, entry);
    case -1:
        return SameSixteen<-1, Step>(s, d, entry);
    default:
        return SameSixteen<0, Step>(s, d, entry);
    }
}

// A row's pixels after its groups of sixteen, from pixel j on: groups of four while the
// spare pixel allows, then one at a time. Every row walk ends this way.
template <int Step>
inline void ExactRowTail(const uint8_t* sp, uint8_t* dp, int j, int count, int spare,
                         const ExactTable& table)
{
    for (; j + 4 + spare <= count; j += 4, sp += 16, dp += 4 * Step)
        StoreFour(dp, Step,
                  ExactFour(sp, _mm_loadu_si128(reinterpret_cast<const __m128i*>(sp)),
                            LoadFour(dp, Step), table));
    for (; j < count; ++j, sp += 4, dp += Step)
        ExactPixel(sp, dp, table);
}

template <int Step>
void ExactRows(const uint8_t* s, ptrdiff_t srcStride, uint8_t* d, ptrdiff_t dstStride, int rows,
               int count, const ExactTable& table)
{
    // A 3-byte destination's group also reads two bytes of the pixel after it, which
    // must lie inside the rectangle's row.
    const int spare = Step == 4 ? 0 : 1;
    for (int i = 0; i < rows; ++i, s += srcStride, d += dstStride) {
        const uint8_t* sp = s;
        uint8_t* dp = d;
        int j = 0;
        for (; j + 16 + spare <= count; j += 16, sp += 64, dp += 16 * Step)
            ExactSixteen<Step>(sp, dp, table);
        ExactRowTail<Step>(sp, dp, j, count, spare, table);
    }
}

// The wide kernels walk the rows as ExactRows does, in 256-bit (AVX2) or 512-bit
// (AVX-512) registers: each run of one alpha, in groups of sixteen pixels, goes by one
// loop of its kind (clear, opaque, or partial by the sign of its weights' error), and
// each other group by the multiply-add of its pixels' own weights and errors. Each
// 128-bit lane of a register holds four pixels as BlendFour lays them out, and every step
// stays within its lane.
#define AVX2_INLINE inline __attribute__((always_inline, target("avx2")))
#define AVX512_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#define AVX512_INLINE inline __attribute__((always_inline)) AVX512_TARGET

// The kinds of run of one alpha: partial by the sign of its weights' error (1, -1, 0),
// clear and opaque.
enum RunKind { kClear = 2, kOpaque = 3 };

// The bytes of the pixel at s, to compare a group's alphas with its.
inline int FirstPixel(const uint8_t* s)
{
    int pixel;
    std::memcpy(&pixel, s, 4);
    return pixel;
}

namespace avx2 {

AVX2_INLINE __m256i Load(const uint8_t* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

AVX2_INLINE void Store(uint8_t* p, __m256i pixels)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), pixels);
}

AVX2_INLINE __m256i AlphaBytes()
{
    return _mm256_set1_epi32(static_cast<int>(0xFF000000u));
}

// Eight pixels of a 3-byte destination as four bytes each, the fourth 0. Reads their 24
// bytes only.
AVX2_INLINE __m256i LoadEightThree(const uint8_t* d)
{
    const __m256i spread =
        _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,
                         4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
    return _mm256_shuffle_epi8(
        _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 8)), 1),
        spread);
}

// The eight destination pixels at d as four bytes each.
template <int Step>
AVX2_INLINE __m256i LoadEight(const uint8_t* d)
{
    return Step == 4 ? Load(d) : LoadEightThree(d);
}

// Sixteen blended pixels into the destination at d: a 4-byte destination's fourth bytes
// must be its own, a 3-byte one takes three of every four bytes (two shuffles and three
// permutes, where byte by byte the stores would bound the blend).
template <int Step>
AVX2_INLINE void StoreSixteen(uint8_t* d, __m256i first, __m256i second)
{
    if (Step == 4) {
        Store(d, first);
        Store(d + 32, second);
        return;
    }
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,
                                          0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    // Each lane's twelve bytes in its dwords 0 to 2.
    const __m256i a = _mm256_shuffle_epi8(first, pack), b = _mm256_shuffle_epi8(second, pack);
    Store(d, _mm256_blend_epi32(
                 _mm256_permutevar8x32_epi32(a, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 0, 0)),
                 _mm256_permutevar8x32_epi32(b, _mm256_setr_epi32(0, 0, 0, 0, 0, 0, 0, 1)),
                 0xC0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 32),
                     _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(
                         b, _mm256_setr_epi32(2, 4, 5, 6, 0, 0, 0, 0))));
}

// Whether the sixteen pixels of first and second all have the alpha of pixel.
AVX2_INLINE bool SameAlpha(__m256i first, __m256i second, __m256i pixel)
{
    const __m256i differ =
        _mm256_or_si256(_mm256_xor_si256(first, pixel), _mm256_xor_si256(second, pixel));
    return _mm256_testz_si256(differ, AlphaBytes());
}

// The quotient by 255 of X - [T < 0] for the (S.c, D.c) byte pairs of pairs, in 16-bit
// lanes: weights holds the byte pairs (alpha, 255 - alpha), high and low the split
// errors (ExactTable::split) of each pair's alpha. X comes from a multiply-add of the
// weights and the channels less 128, which keeps the sum in 16 bits; T / 16 = 64 x
// (S.c x hs + D.c x hd) + (S.c x ls + D.c x ld), both sums in 16 bits and the second
// not negative, so T < 0 exactly when the first plus the second's floor / 64 is below 0.
// The quotient by 255 of n = X - [T < 0] is mulhi(n + 1, 257): for n = 255 k + r below
// 2^16, (n + 1) x 257 / 2^16 = k + (257 (r + 1) - k) / 2^16, whose fraction lies in
// [0, 1). The fourth bytes' lanes come out as nonsense.
AVX2_INLINE __m256i Lowered(__m256i pairs, __m256i weights, __m256i high, __m256i low)
{
    const __m256i negative = _mm256_cmpgt_epi16(
        _mm256_setzero_si256(),
        _mm256_add_epi16(_mm256_maddubs_epi16(pairs, high),
                         _mm256_srli_epi16(_mm256_maddubs_epi16(pairs, low), 6)));
    const __m256i sum =
        _mm256_maddubs_epi16(weights, _mm256_xor_si256(pairs, _mm256_set1_epi8(-128)));
    return _mm256_mulhi_epu16(
        _mm256_add_epi16(_mm256_add_epi16(sum, negative), _mm256_set1_epi16(255 * 128 + 1)),
        _mm256_set1_epi16(257));
}

// Eight pixels at s of any alphas as ExactPairs blends four, the fourth bytes nonsense.
// Each 128-bit lane's pairs (S.c, D.c) of pixels 0 and 1, then 2 and 3, take their
// weights by a shuffle of the alphas and their errors from the table, lane by lane (a
// gather is slower).
AVX2_INLINE __m256i MixedEight(const uint8_t* s, __m256i source, __m256i dest,
                               const ExactTable& table)
{
    __m256i errors[4];  // lane l of errors[j]: those of pixel 4 l + j
    for (int j = 0; j < 4; ++j)
        errors[j] = _mm256_inserti128_si256(_mm256_castsi128_si256(table.split[s[4 * j + 3]]),
                                            table.split[s[4 * j + 19]], 1);
    const __m256i flip = _mm256_set1_epi16(-256);  // (alpha, 255 - alpha) from (alpha, alpha)
    const __m256i first = _mm256_setr_epi8(3, 3, 3, 3, 3, 3, 3, 3, 7, 7, 7, 7, 7, 7, 7, 7, 3, 3,
                                           3, 3, 3, 3, 3, 3, 7, 7, 7, 7, 7, 7, 7, 7);
    const __m256i second = _mm256_add_epi8(first, _mm256_set1_epi8(8));
    return _mm256_packus_epi16(
        Lowered(_mm256_unpacklo_epi8(source, dest),
                _mm256_xor_si256(_mm256_shuffle_epi8(source, first), flip),
                _mm256_unpacklo_epi64(errors[0], errors[1]),
                _mm256_unpackhi_epi64(errors[0], errors[1])),
        Lowered(_mm256_unpackhi_epi8(source, dest),
                _mm256_xor_si256(_mm256_shuffle_epi8(source, second), flip),
                _mm256_unpacklo_epi64(errors[2], errors[3]),
                _mm256_unpackhi_epi64(errors[2], errors[3])));
}

// Sixteen pixels of several alphas.
template <int Step>
AVX2_INLINE void MixedSixteen(const uint8_t* s, __m256i first, __m256i second, uint8_t* d,
                              const ExactTable& table)
{
    const __m256i low = LoadEight<Step>(d), high = LoadEight<Step>(d + 8 * Step);
    __m256i blendedLow = MixedEight(s, first, low, table);
    __m256i blendedHigh = MixedEight(s + 32, second, high, table);
    if (Step == 4) {
        blendedLow = _mm256_blendv_epi8(blendedLow, low, AlphaBytes());
        blendedHigh = _mm256_blendv_epi8(blendedHigh, high, AlphaBytes());
    }
    StoreSixteen<Step>(d, blendedLow, blendedHigh);
}

// What a run of one partial alpha weighs its pixels with.
struct Entry {
    __m256i weights, high, low;  // as Lowered takes them
    __m256i magic;               // ExactEntry::magic in both lanes
};

AVX2_INLINE Entry EntryOf(const ExactTable& table, int alpha)
{
    const __m128i split = table.split[alpha];
    return {_mm256_set1_epi16(static_cast<short>(alpha | (255 - alpha) << 8)),
            _mm256_broadcastq_epi64(split),
            _mm256_broadcastq_epi64(_mm_unpackhi_epi64(split, split)),
            _mm256_broadcastsi128_si256(table.entries[alpha].magic)};
}

// Eight pixels of one alpha other than 0 and 255 as SameFour blends four, the fourth
// bytes the destination's.
template <int Sign>
AVX2_INLINE __m256i SameEight(__m256i source, __m256i dest, const Entry& entry)
{
    const __m256i zero = _mm256_setzero_si256();
    if (Sign == 0) {
        const __m256i blended = _mm256_packus_epi16(
            Lowered(_mm256_unpacklo_epi8(source, dest), entry.weights, entry.high, entry.low),
            Lowered(_mm256_unpackhi_epi8(source, dest), entry.weights, entry.high, entry.low));
        return _mm256_blendv_epi8(blended, dest, AlphaBytes());
    }
    const __m256i base = Sign == 1 ? dest : _mm256_blendv_epi8(source, dest, AlphaBytes());
    const __m256i other = Sign == 1 ? _mm256_or_si256(source, AlphaBytes()) : dest;
    const __m256i up = _mm256_subs_epu8(other, base);
    const __m256i down = _mm256_subs_epu8(base, other);
    const __m256i distance = _mm256_or_si256(up, down);
    const __m256i share = _mm256_packus_epi16(
        _mm256_mulhi_epu16(_mm256_unpacklo_epi8(distance, zero), entry.magic),
        _mm256_mulhi_epu16(_mm256_unpackhi_epi8(distance, zero), entry.magic));
    const __m256i rising = _mm256_cmpeq_epi8(down, zero);
    return _mm256_sub_epi8(_mm256_add_epi8(base, _mm256_set1_epi8(-1)),
                           _mm256_xor_si256(share, rising));
}

// Blends the groups of sixteen pixels from s on, at most groups, while their alphas are
// all that of pixel, of the given kind; returns how many.
template <int Kind, int Step>
AVX2_INLINE int Walk(const uint8_t* s, uint8_t* d, int groups, __m256i pixel,
                     const Entry& entry)
{
    int done = 0;
    for (; done < groups; ++done, s += 64, d += 16 * Step) {
        const __m256i first = Load(s), second = Load(s + 32);
        if (!SameAlpha(first, second, pixel))
            break;
        if (Kind == kClear)
            continue;
        if (Kind == kOpaque && Step == 3) {
            StoreSixteen<3>(d, first, second);  // a 3-byte destination keeps no fourth byte
            continue;
        }
        if (Kind == kOpaque) {
            Store(d, _mm256_blendv_epi8(first, Load(d), AlphaBytes()));
            Store(d + 32, _mm256_blendv_epi8(second, Load(d + 32), AlphaBytes()));
            continue;
        }
        StoreSixteen<Step>(d, SameEight<Kind>(first, LoadEight<Step>(d), entry),
                           SameEight<Kind>(second, LoadEight<Step>(d + 8 * Step), entry));
    }
    return done;
}

// The run of one alpha from s on, at most groups of sixteen pixels, the first all of
// pixel's alpha: how many it blended.
template <int Step>
AVX2_INLINE int Run(const uint8_t* s, uint8_t* d, int groups, __m256i pixel,
                    const ExactTable& table)
{
    const int alpha = s[3];
    if (alpha == 0 || alpha == 255)
        return alpha == 0 ? Walk<kClear, Step>(s, d, groups, pixel, Entry{})
                          : Walk<kOpaque, Step>(s, d, groups, pixel, Entry{});
    const Entry entry = EntryOf(table, alpha);
    switch (table.entries[alpha].sign) {
    case 1:
        return Walk<1, Step>(s, d, groups, pixel, entry);
    case -1:
        return Walk<-1, Step>(s, d, groups, pixel, entry);
    default:
        return Walk<0, Step>(s, d, groups, pixel, entry);
    }
}

// ExactRows in 256-bit registers.
template <int Step>
__attribute__((target("avx2"))) void Rows(const uint8_t* s, ptrdiff_t srcStride, uint8_t* d,
                                          ptrdiff_t dstStride, int rows, int count,
                                          const ExactTable& table)
{
    for (int i = 0; i < rows; ++i, s += srcStride, d += dstStride) {
        const uint8_t* sp = s;
        uint8_t* dp = d;
        int j = 0;
        while (j + 16 <= count) {
            const __m256i first = Load(sp), second = Load(sp + 32);
            const __m256i pixel = _mm256_set1_epi32(FirstPixel(sp));
            int groups = 1;
            if (SameAlpha(first, second, pixel))
                groups = Run<Step>(sp, dp, (count - j) / 16, pixel, table);
            else
                MixedSixteen<Step>(sp, first, second, dp, table);
            j += 16 * groups, sp += 64 * groups, dp += 16 * Step * groups;
        }
        ExactRowTail<Step>(sp, dp, j, count, Step == 4 ? 0 : 1, table);
    }
}

}  // namespace avx2

namespace avx512 {

// The colour bytes of sixteen 4-byte pixels: stores of blended pixels leave the
// destination's fourth bytes alone, so their lanes may compute anything.
constexpr __mmask64 kColours = 0x7777777777777777ull;
constexpr __mmask64 kAlphas = ~kColours;

AVX512_INLINE __m512i Load(const void* p)
{
    return _mm512_loadu_si512(p);
}

// Whether the sixteen pixels at s all have one alpha.
AVX512_INLINE bool SameAlpha(const uint8_t* s)
{
    const __m512i pixel = _mm512_set1_epi32(FirstPixel(s));
    return _mm512_mask_cmpneq_epi8_mask(kAlphas, Load(s), pixel) == 0;
}

// The 48 bytes of sixteen 3-byte pixels.
constexpr __mmask64 kThreeBytes = 0xFFFFFFFFFFFFull;

// The sixteen destination pixels at d as four bytes each; a 3-byte destination's are
// spread by one permute, their fourth bytes nonsense.
template <int Step>
AVX512_INLINE __m512i LoadSixteen(const uint8_t* d)
{
    if (Step == 4)
        return Load(d);
    const __m512i spread = _mm512_set_epi32(
        0x3F2F2E2D, 0x3F2C2B2A, 0x3F292827, 0x3F262524, 0x3F232221, 0x3F201F1E, 0x3F1D1C1B,
        0x3F1A1918, 0x3F171615, 0x3F141312, 0x3F11100F, 0x3F0E0D0C, 0x3F0B0A09, 0x3F080706,
        0x3F050403, 0x3F020100);
    return _mm512_permutexvar_epi8(spread, _mm512_maskz_loadu_epi8(kThreeBytes, d));
}

// Sixteen blended pixels into the destination at d, its fourth bytes (if any) left alone.
// A 3-byte destination's 48 bytes go by two stores: a masked 64-byte store would hold up
// the next group's reads, which fall within its reach.
template <int Step>
AVX512_INLINE void StoreSixteen(uint8_t* d, __m512i pixels)
{
    if (Step == 4)
        return _mm512_mask_storeu_epi8(d, kColours, pixels);
    const __m512i pack = _mm512_set_epi32(
        0, 0, 0, 0, 0x3E3D3C3A, 0x39383635, 0x34323130, 0x2E2D2C2A, 0x29282625, 0x24222120,
        0x1E1D1C1A, 0x19181615, 0x14121110, 0x0E0D0C0A, 0x09080605, 0x04020100);
    const __m512i packed = _mm512_permutexvar_epi8(pack, pixels);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm512_castsi512_si256(packed));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 32),
                     _mm256_castsi256_si128(_mm512_castsi512_si256(
                         _mm512_shuffle_i32x4(packed, packed, 2))));
}

// avx2::Lowered in 512-bit registers.
AVX512_INLINE __m512i Lowered(__m512i pairs, __m512i weights, __m512i high, __m512i low)
{
    const __mmask32 negative = _mm512_cmplt_epi16_mask(
        _mm512_add_epi16(_mm512_maddubs_epi16(pairs, high),
                         _mm512_srli_epi16(_mm512_maddubs_epi16(pairs, low), 6)),
        _mm512_setzero_si512());
    const __m512i sum = _mm512_add_epi16(
        _mm512_maddubs_epi16(weights, _mm512_xor_si512(pairs, _mm512_set1_epi8(-128))),
        _mm512_set1_epi16(255 * 128 + 1));
    return _mm512_mulhi_epu16(_mm512_mask_sub_epi16(sum, negative, sum, _mm512_set1_epi16(1)),
                              _mm512_set1_epi16(257));
}

struct Entry {
    __m512i weights, high, low, magic;  // as avx2::Entry
};

AVX512_INLINE Entry EntryOf(const ExactTable& table, int alpha)
{
    const __m128i split = table.split[alpha];
    return {_mm512_set1_epi16(static_cast<short>(alpha | (255 - alpha) << 8)),
            _mm512_broadcastq_epi64(split),
            _mm512_broadcastq_epi64(_mm_unpackhi_epi64(split, split)),
            _mm512_broadcast_i32x4(table.entries[alpha].magic)};
}

// Sixteen pixels of one alpha other than 0 and 255, as avx2::SameEight blends eight;
// the fourth bytes come out as nonsense.
template <int Sign>
AVX512_INLINE __m512i Same(__m512i source, __m512i dest, const Entry& entry)
{
    const __m512i zero = _mm512_setzero_si512();
    if (Sign == 0)
        return _mm512_packus_epi16(
            Lowered(_mm512_unpacklo_epi8(source, dest), entry.weights, entry.high, entry.low),
            Lowered(_mm512_unpackhi_epi8(source, dest), entry.weights, entry.high, entry.low));
    const __m512i base = Sign == 1 ? dest : source;
    const __m512i other = Sign == 1 ? source : dest;
    const __m512i up = _mm512_subs_epu8(other, base);
    const __m512i down = _mm512_subs_epu8(base, other);
    const __m512i distance = _mm512_or_si512(up, down);
    const __m512i share = _mm512_packus_epi16(
        _mm512_mulhi_epu16(_mm512_unpacklo_epi8(distance, zero), entry.magic),
        _mm512_mulhi_epu16(_mm512_unpackhi_epi8(distance, zero), entry.magic));
    // base + share upward, base + (share ^ 0xFF) = base - share - 1 downward.
    const __m512i falling =
        _mm512_add_epi8(base, _mm512_ternarylogic_epi32(share, share, share, 0x55));
    return _mm512_mask_add_epi8(falling, _mm512_cmpeq_epi8_mask(down, zero), base, share);
}

// Sixteen pixels of any alphas as avx2::MixedEight blends eight, given the errors of the
// pairs of pixels 0 and 1 of each lane (high and low) and of pixels 2 and 3.
AVX512_INLINE __m512i Pairs(__m512i source, __m512i dest, __m512i high, __m512i low,
                            __m512i highNext, __m512i lowNext)
{
    const __m512i flip = _mm512_set1_epi16(-256);
    const __m512i first =
        _mm512_broadcast_i32x4(_mm_set_epi64x(0x0707070707070707ll, 0x0303030303030303ll));
    const __m512i second = _mm512_add_epi8(first, _mm512_set1_epi8(8));
    return _mm512_packus_epi16(
        Lowered(_mm512_unpacklo_epi8(source, dest),
                _mm512_xor_si512(_mm512_shuffle_epi8(source, first), flip), high, low),
        Lowered(_mm512_unpackhi_epi8(source, dest),
                _mm512_xor_si512(_mm512_shuffle_epi8(source, second), flip), highNext,
                lowNext));
}

// The bytes f(0) to f(63), for a register.
template <class F>
constexpr std::array<uint8_t, 64> Bytes(F f)
{
    std::array<uint8_t, 64> bytes{};
    for (int i = 0; i < 64; ++i)
        bytes[i] = static_cast<uint8_t>(f(i));
    return bytes;
}

AVX512_INLINE __m512i Load(const std::array<uint8_t, 64>& bytes)
{
    return _mm512_loadu_si512(bytes.data());
}

// Sixteen pixels at s of any alphas as avx2::MixedEight blends eight; each table entry
// is broadcast into its lane.
AVX512_INLINE __m512i Mixed(const uint8_t* s, __m512i source, __m512i dest,
                            const ExactTable& table)
{
    __m512i errors[4];
    for (int j = 0; j < 4; ++j) {
        __m512i lanes = _mm512_castsi128_si512(table.split[s[4 * j + 3]]);
        for (int l = 1; l < 4; ++l)
            lanes = _mm512_mask_broadcast_i32x4(lanes, static_cast<__mmask16>(0xF << 4 * l),
                                                table.split[s[16 * l + 4 * j + 3]]);
        errors[j] = lanes;
    }
    return Pairs(source, dest, _mm512_unpacklo_epi64(errors[0], errors[1]),
                 _mm512_unpackhi_epi64(errors[0], errors[1]),
                 _mm512_unpacklo_epi64(errors[2], errors[3]),
                 _mm512_unpackhi_epi64(errors[2], errors[3]));
}

// Four groups of sixteen pixels at s of any alphas, as Mixed blends one. Their 64 alphas
// are looked up in the four tables of ExactTable::planes at once, by byte permutes of
// 128 entries, and each group's pairs take their errors from those bytes by one permute.
template <int Step>
AVX512_INLINE void MixedFour(const uint8_t* s, uint8_t* d, const ExactTable& table)
{
    __m512i source[4];
    for (int g = 0; g < 4; ++g)
        source[g] = Load(s + 64 * g);
    // The alpha bytes of two groups, twice.
    static constexpr auto kAlphaBytes = Bytes([](int i) { return 4 * (i % 32) + 3; });
    const __m512i pick = Load(kAlphaBytes);
    const __m512i alphas =
        _mm512_mask_blend_epi8(0xFFFFFFFF00000000ull,
                               _mm512_permutex2var_epi8(source[0], pick, source[1]),
                               _mm512_permutex2var_epi8(source[2], pick, source[3]));
    const __mmask64 upper = _mm512_movepi8_mask(alphas);
    __m512i plane[4];
    for (int k = 0; k < 4; ++k) {
        const int8_t* bytes = table.planes[k];
        plane[k] = _mm512_mask_blend_epi8(
            upper,
            _mm512_permutex2var_epi8(Load(bytes), alphas, Load(bytes + 64)),
            _mm512_permutex2var_epi8(Load(bytes + 128), alphas, Load(bytes + 192)));
    }
    // The bytes of the first group's pairs: in lane l, (hs, hd) of pixel 4 l (+ 2 for
    // the second) four times, then of the pixel after it; hs from the first table, hd
    // from the second.
    static constexpr auto kFirst = Bytes([](int i) {
        return 4 * (i / 16) + i % 16 / 8 + (i % 2 ? 64 : 0);
    });
    for (int g = 0; g < 4; ++g, d += 16 * Step) {
        const __m512i first =
            _mm512_add_epi8(Load(kFirst), _mm512_set1_epi8(static_cast<char>(16 * g)));
        const __m512i second = _mm512_add_epi8(first, _mm512_set1_epi8(2));
        StoreSixteen<Step>(d, Pairs(source[g], LoadSixteen<Step>(d),
                                    _mm512_permutex2var_epi8(plane[0], first, plane[1]),
                                    _mm512_permutex2var_epi8(plane[2], first, plane[3]),
                                    _mm512_permutex2var_epi8(plane[0], second, plane[1]),
                                    _mm512_permutex2var_epi8(plane[2], second, plane[3])));
    }
}

// avx2::Walk in 512-bit registers.
template <int Kind, int Step>
AVX512_INLINE int Walk(const uint8_t* s, uint8_t* d, int groups, __m512i pixel,
                       const Entry& entry)
{
    int done = 0;
    for (; done < groups; ++done, s += 64, d += 16 * Step) {
        const __m512i source = Load(s);
        if (_mm512_mask_cmpneq_epi8_mask(kAlphas, source, pixel) != 0)
            break;
        if (Kind == kOpaque)
            StoreSixteen<Step>(d, source);
        else if (Kind != kClear)
            StoreSixteen<Step>(d, Same<Kind>(source, LoadSixteen<Step>(d), entry));
    }
    return done;
}

// avx2::Run in 512-bit registers.
template <int Step>
AVX512_INLINE int Run(const uint8_t* s, uint8_t* d, int groups, __m512i pixel,
                      const ExactTable& table)
{
    const int alpha = s[3];
    if (alpha == 0 || alpha == 255)
        return alpha == 0 ? Walk<kClear, Step>(s, d, groups, pixel, Entry{})
                          : Walk<kOpaque, Step>(s, d, groups, pixel, Entry{});
    const Entry entry = EntryOf(table, alpha);
    switch (table.entries[alpha].sign) {
    case 1:
        return Walk<1, Step>(s, d, groups, pixel, entry);
    case -1:
        return Walk<-1, Step>(s, d, groups, pixel, entry);
    default:
        return Walk<0, Step>(s, d, groups, pixel, entry);
    }
}

// ExactRows in 512-bit registers.
template <int Step>
AVX512_TARGET void Rows(const uint8_t* s, ptrdiff_t srcStride, uint8_t* d, ptrdiff_t dstStride,
                        int rows, int count, const ExactTable& table)
{
    for (int i = 0; i < rows; ++i, s += srcStride, d += dstStride) {
        const uint8_t* sp = s;
        uint8_t* dp = d;
        int j = 0;
        while (j + 16 <= count) {
            const __m512i source = Load(sp);
            const __m512i pixel = _mm512_set1_epi32(FirstPixel(sp));
            int groups = 1;
            if (_mm512_mask_cmpneq_epi8_mask(kAlphas, source, pixel) == 0) {
                groups = Run<Step>(sp, dp, (count - j) / 16, pixel, table);
            } else if (j + 64 <= count && !SameAlpha(sp + 64)) {
                // Groups of several alphas one after another, as random alphas are.
                MixedFour<Step>(sp, dp, table);
                groups = 4;
            } else {
                StoreSixteen<Step>(dp, Mixed(sp, source, LoadSixteen<Step>(dp), table));
            }
            j += 16 * groups, sp += 64 * groups, dp += 16 * Step * groups;
        }
        ExactRowTail<Step>(sp, dp, j, count, Step == 4 ? 0 : 1, table);
    }
}

}  // namespace avx512

BlendKernels& ChosenKernels()
{
    static BlendKernels chosen = WidestBlendKernels();
    return chosen;
}

void GeneralRow(const uint8_t* s, uint8_t* d, int dstStep, int count, AlphaTable& table,
                uint8_t opacity)
{
    // As in ExactRows, a 3-byte destination needs a pixel to spare.
    const int spare = dstStep == 4 ? 0 : 1;
    int j = 0;
    for (; j + 16 + spare <= count; j += 16, s += 64, d += 16 * dstStep)
        BlendSixteen(s, d, dstStep, table, opacity);
    for (; j < count; ++j, s += 4, d += dstStep)
        BlendPixel(s, d, table, opacity);
}

// The shared blend of BlendAlpha (3-byte destination) and BlendAlpha32 (4-byte one).
void Blend(TBitmap* dst, int dstStep, const TRect& rect, TBitmap* src, const TPoint& origin,
           uint8_t opacity)
{
    const Span span =
        InsideBoth(rect, dst->Width(), dst->Height(), origin, src->Width(), src->Height());
    if (span.Empty())
        return;
    // Rows of a bitmap lie a fixed step apart.
    int rows = span.endRow - span.firstRow;
    int count = span.endColumn - span.firstColumn;
    const int srcRow = origin.Y + span.firstRow, dstRow = rect.Top + span.firstRow;
    const uint8_t* s = src->ScanLine(srcRow) + (origin.X + span.firstColumn) * 4;
    uint8_t* d = dst->ScanLine(dstRow) + (rect.Left + span.firstColumn) * dstStep;
    ptrdiff_t srcStride = rows > 1 ? src->ScanLine(srcRow + 1) - src->ScanLine(srcRow) : 0;
    ptrdiff_t dstStride = rows > 1 ? dst->ScanLine(dstRow + 1) - dst->ScanLine(dstRow) : 0;
    // Rows that follow each other without a gap in both bitmaps are one long row: each
    // pixel's blend depends on its own bytes alone. (Not within one bitmap, where the
    // order of the walk could show.)
    if (rows > 1 && src != dst && srcStride == 4 * static_cast<ptrdiff_t>(count) &&
        dstStride == dstStep * static_cast<ptrdiff_t>(count) &&
        static_cast<long long>(rows) * count <= INT_MAX) {
        count *= rows;
        rows = 1;
    }
    if (opacity == 255 && ExactBlendHolds()) {
        const ExactTable& table = Exact();
        const BlendKernels kernels = table.splits ? ChosenKernels() : BlendKernels::Sse2;
        const bool three = dstStep == 3;
        const auto rowsOf =
            kernels == BlendKernels::Avx512 ? (three ? avx512::Rows<3> : avx512::Rows<4>)
            : kernels == BlendKernels::Avx2 ? (three ? avx2::Rows<3> : avx2::Rows<4>)
                                            : (three ? ExactRows<3> : ExactRows<4>);
        rowsOf(s, srcStride, d, dstStride, rows, count, table);
        return;
    }
    AlphaTable table;
    for (int i = 0; i < rows; ++i, s += srcStride, d += dstStride)
        GeneralRow(s, d, dstStep, count, table, opacity);
}

// Blends straight into the 32-bit DIB the canvas draws on, when its DC maps logical to
// device pixels by an offset alone and clips to one rectangle; false leaves the drawing to
// the copy. The colour bytes get the copy's arithmetic; the fourth byte of every pixel of
// the area is set to 0, as putting a 24-bit copy back writes it.
bool DrawIntoTarget(TCanvas* canvas, const TRect& rect, TBitmap* src, const TPoint& origin,
                    uint8_t opacity)
{
    TPixelTarget target;
    if (!TBitmapCanvas::PixelTargetOf(canvas->BareHandle(), target))
        return false;
    const TRect area = target.Reach(rect);
    if (area.Width() <= 0 || area.Height() <= 0)
        return true;
    // ScanLine flushes what GDI still has to draw on the DC before the bits are read.
    BlendAlpha32(target.bitmap, area, src,
                 TPoint(static_cast<int>(origin.X + (area.Left - target.dx - rect.Left)),
                        static_cast<int>(origin.Y + (area.Top - target.dy - rect.Top))),
                 opacity);
    // Whole pixels masked rather than single bytes stored: the loop runs four bytes a step.
    const size_t count = static_cast<size_t>(area.Width());
    for (int y = area.Top; y < area.Bottom; ++y) {
        uint8_t* row = target.bitmap->ScanLine(y) + area.Left * 4;
        for (size_t x = 0; x < count; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, row + x * 4, 4);
            pixel &= 0x00FFFFFFu;
            std::memcpy(row + x * 4, &pixel, 4);
        }
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

BlendKernels WidestBlendKernels()
{
    static const BlendKernels widest = [] {
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi"))
            return BlendKernels::Avx512;
        return __builtin_cpu_supports("avx2") ? BlendKernels::Avx2 : BlendKernels::Sse2;
    }();
    return widest;
}

void UseBlendKernels(BlendKernels kernels)
{
    ChosenKernels() = std::min(kernels, WidestBlendKernels());
}

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
