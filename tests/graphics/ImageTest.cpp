#include "src/gui/graphics/image.h"
#include "framework/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

using Bgra = std::array<int, 4>;

std::unique_ptr<TBitmap> Make(TPixelFormat format, int width, int height, Bgra fill = {0, 0, 0, 0})
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(format);
    bitmap->SetSize(width, height);
    const int step = format == pf24bit ? 3 : 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < step; ++c)
                bitmap->ScanLine(y)[x * step + c] = static_cast<uint8_t>(fill[c]);
    return bitmap;
}

// The x87 precision control, set directly: on x64 _controlfp_s leaves it as it is.
constexpr uint16_t kX87PrecisionBits = 0x0300;
constexpr uint16_t kX87Precision64 = 0x0300;
constexpr uint16_t kX87Precision53 = 0x0200;

uint16_t X87Control()
{
    uint16_t control;
    __asm__ volatile("fnstcw %0" : "=m"(control));
    return control;
}

void SetX87Precision(uint16_t precision)
{
    const uint16_t control = static_cast<uint16_t>((X87Control() & ~kX87PrecisionBits) | precision);
    __asm__ volatile("fldcw %0" : : "m"(control));
}

uint8_t* At(TBitmap& bitmap, int x, int y)
{
    return bitmap.ScanLine(y) + x * (bitmap.PixelFormat() == pf24bit ? 3 : 4);
}

Bgra Get(TBitmap& bitmap, int x, int y)
{
    const uint8_t* p = At(bitmap, x, y);
    return {p[0], p[1], p[2], bitmap.PixelFormat() == pf24bit ? -1 : p[3]};
}

void Set(TBitmap& bitmap, int x, int y, Bgra value)
{
    uint8_t* p = At(bitmap, x, y);
    for (int c = 0; c < (bitmap.PixelFormat() == pf24bit ? 3 : 4); ++c)
        p[c] = static_cast<uint8_t>(value[c]);
}

}  // namespace

TEST(Blend, OnePixelGivesTheExactFigures)
{
    struct Case {
        int source, alpha, opacity, dest, expected;
    };
    const Case cases[] = {
        {255, 128, 255, 0, 127},   // half alpha over black
        {0, 128, 255, 255, 127},   // black at half alpha over white
        {200, 255, 128, 0, 100},   // opacity scales the source only
        {200, 255, 128, 255, 100}, // ... and the background does not show through
        {200, 255, 128, 77, 100},
        {100, 100, 255, 50, 69},
        {255, 1, 255, 0, 0},     // truncation, not rounding
        {10, 254, 255, 255, 10},
    };
    for (const Case& c : cases) {
        auto src = Make(pf32bit, 1, 1, {c.source, c.source, c.source, c.alpha});
        auto dst24 = Make(pf24bit, 1, 1, {c.dest, c.dest, c.dest});
        BlendAlpha(dst24.get(), TRect(0, 0, 1, 1), src.get(), TPoint(0, 0),
                   static_cast<uint8_t>(c.opacity));
        EXPECT_EQ((Bgra{c.expected, c.expected, c.expected, -1}), Get(*dst24, 0, 0))
            << c.source << " at alpha " << c.alpha << ", opacity " << c.opacity << " over "
            << c.dest;
        auto dst32 = Make(pf32bit, 1, 1, {c.dest, c.dest, c.dest, 33});
        BlendAlpha32(dst32.get(), TRect(0, 0, 1, 1), src.get(), TPoint(0, 0),
                     static_cast<uint8_t>(c.opacity));
        EXPECT_EQ((Bgra{c.expected, c.expected, c.expected, 33}), Get(*dst32, 0, 0));
    }
}

TEST(Blend, TransparentAndOpaquePixelsAreExactAcrossTheByteRange)
{
    // Source colour s along x, destination colour d along y.
    auto transparent = Make(pf32bit, 256, 1);
    auto opaque = Make(pf32bit, 256, 1);
    for (int s = 0; s < 256; ++s) {
        Set(*transparent, s, 0, {s, s, s, 0});
        Set(*opaque, s, 0, {s, 255 - s, s, 255});
    }
    auto dst = Make(pf24bit, 256, 256);
    for (int d = 0; d < 256; ++d)
        for (int s = 0; s < 256; ++s)
            Set(*dst, s, d, {d, 255 - d, d});
    for (int d = 0; d < 256; ++d)
        BlendAlpha(dst.get(), TRect(0, d, 256, d + 1), transparent.get(), TPoint(0, 0), 255);
    int wrong = 0;
    for (int d = 0; d < 256; ++d)
        for (int s = 0; s < 256; ++s)
            wrong += Get(*dst, s, d) != Bgra{d, 255 - d, d, -1};
    EXPECT_EQ(0, wrong);
    for (int d = 0; d < 256; ++d)
        BlendAlpha(dst.get(), TRect(0, d, 256, d + 1), opaque.get(), TPoint(0, 0), 255);
    for (int d = 0; d < 256; ++d)
        for (int s = 0; s < 256; ++s)
            wrong += Get(*dst, s, d) != Bgra{s, 255 - s, s, -1};
    EXPECT_EQ(0, wrong);
}

TEST(Blend, RowsAndColumnsFollowRectangleAndOrigin)
{
    auto src = Make(pf32bit, 4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            Set(*src, x, y, {10 * x, 10 * y, 1, 255});
    auto dst = Make(pf24bit, 6, 6, {200, 200, 200});
    BlendAlpha(dst.get(), TRect(1, 2, 3, 4), src.get(), TPoint(2, 1), 255);
    EXPECT_EQ((Bgra{20, 10, 1, -1}), Get(*dst, 1, 2));
    EXPECT_EQ((Bgra{30, 20, 1, -1}), Get(*dst, 2, 3));
    for (const TPoint& outside : {TPoint(0, 2), TPoint(3, 2), TPoint(1, 1), TPoint(1, 4)})
        EXPECT_EQ((Bgra{200, 200, 200, -1}), Get(*dst, outside.X, outside.Y));

    BlendAlphaWhole(dst.get(), src.get(), 255);  // 4 x 4 of the source reach the corner
    EXPECT_EQ((Bgra{30, 30, 1, -1}), Get(*dst, 3, 3));
    EXPECT_EQ((Bgra{200, 200, 200, -1}), Get(*dst, 5, 5));
}

TEST(Blend, PartsOutsideEitherBitmapAreLeftOut)
{
    auto src = Make(pf32bit, 3, 3, {9, 9, 9, 255});
    auto dst = Make(pf24bit, 4, 4, {1, 1, 1});
    BlendAlpha(dst.get(), TRect(2, 2, 40, 40), src.get(), TPoint(0, 0), 255);
    BlendAlpha(dst.get(), TRect(-2, 0, 1, 1), src.get(), TPoint(0, 0), 255);
    BlendAlpha(dst.get(), TRect(3, 3, 1, 1), src.get(), TPoint(0, 0), 255);  // inverted
    EXPECT_EQ((Bgra{9, 9, 9, -1}), Get(*dst, 3, 3));
    EXPECT_EQ((Bgra{9, 9, 9, -1}), Get(*dst, 0, 0));  // source column 2 of the second blend
    EXPECT_EQ((Bgra{1, 1, 1, -1}), Get(*dst, 1, 1));
    EXPECT_EQ((Bgra{1, 1, 1, -1}), Get(*dst, 0, 1));
}

TEST(Blend, DestinationOfAnotherFormatBecomes24Bit)
{
    auto src = Make(pf32bit, 1, 1, {0, 0, 0, 0});
    for (TPixelFormat format : {pf32bit, pfDevice}) {
        TBitmap dst;
        dst.SetPixelFormat(pf32bit);
        dst.SetSize(2, 1);
        Set(dst, 1, 0, {5, 6, 7, 8});
        dst.SetPixelFormat(format);
        BlendAlpha(&dst, TRect(0, 0, 1, 1), src.get(), TPoint(0, 0), 255);
        EXPECT_EQ(pf24bit, dst.PixelFormat());
        EXPECT_EQ((Bgra{5, 6, 7, -1}), Get(dst, 1, 0));
    }
}

TEST(ClipBlendRect, ClipsToBothBitmapsAndMovesTheOrigin)
{
    struct Case {
        TRect rect;
        TPoint origin;
        int dstWidth, dstHeight, srcWidth, srcHeight;
        TRect clipped;
        TPoint moved;
    };
    const Case cases[] = {
        {{-5, 0, 20, 10}, {0, 0}, 100, 100, 40, 40, {0, 0, 20, 10}, {5, 0}},
        {{-5, 0, 20, 10}, {0, 0}, 100, 100, 20, 40, {0, 0, 15, 10}, {5, 0}},
        {{0, -3, 10, 10}, {1, 1}, 100, 100, 40, 40, {0, 0, 10, 10}, {1, 4}},
        {{3, 3, 10, 10}, {-2, -1}, 100, 100, 40, 40, {5, 4, 10, 10}, {0, 0}},
        {{0, 0, 20, 20}, {0, 0}, 8, 6, 100, 100, {0, 0, 8, 6}, {0, 0}},
        {{0, 0, 20, 20}, {50, 0}, 100, 100, 40, 40, {0, 0, 0, 20}, {50, 0}},
    };
    for (const Case& c : cases) {
        auto dst = Make(pf24bit, c.dstWidth, c.dstHeight);
        auto src = Make(pf32bit, c.srcWidth, c.srcHeight);
        TPoint origin = c.origin;
        EXPECT_EQ(c.clipped, ClipBlendRect(dst.get(), c.rect, src.get(), origin));
        EXPECT_EQ(c.moved, origin);
    }
}

TEST(Blend, ClippedBlendReadsFromTheMovedOrigin)
{
    auto src = Make(pf32bit, 8, 1);
    for (int x = 0; x < 8; ++x)
        Set(*src, x, 0, {x, 0, 0, 255});
    auto dst = Make(pf24bit, 4, 1, {99, 0, 0});
    BlendAlphaClipped(dst.get(), TRect(-5, 0, 20, 1), src.get(), TPoint(0, 0), 255);
    EXPECT_EQ((Bgra{5, 0, 0, -1}), Get(*dst, 0, 0));
    EXPECT_EQ((Bgra{7, 0, 0, -1}), Get(*dst, 2, 0));
    EXPECT_EQ((Bgra{99, 0, 0, -1}), Get(*dst, 3, 0));  // the source ran out
}

TEST(CopyLayer, CopiesEveryPixelWithAlphaAndSkipsTransparentOnes)
{
    auto back = Make(pf32bit, 3, 1, {1, 2, 3, 4});
    auto layer = Make(pf32bit, 4, 1);
    Set(*layer, 1, 0, {50, 60, 70, 1});
    Set(*layer, 2, 0, {80, 90, 100, 0});
    Set(*layer, 3, 0, {11, 12, 13, 255});
    CopyLayer(back.get(), TRect(0, 0, 3, 1), layer.get(), TPoint(1, 0));
    EXPECT_EQ((Bgra{50, 60, 70, 1}), Get(*back, 0, 0));
    EXPECT_EQ((Bgra{1, 2, 3, 4}), Get(*back, 1, 0));
    EXPECT_EQ((Bgra{11, 12, 13, 255}), Get(*back, 2, 0));
}

TEST(PremultiplyAlpha, MultipliesColoursByAlphaEveryTime)
{
    auto bitmap = Make(pf32bit, 3, 1);
    Set(*bitmap, 0, 0, {200, 100, 50, 128});
    Set(*bitmap, 1, 0, {10, 10, 10, 0});
    Set(*bitmap, 2, 0, {255, 7, 0, 255});
    PremultiplyAlpha(bitmap.get());
    EXPECT_EQ((Bgra{100, 50, 25, 128}), Get(*bitmap, 0, 0));
    EXPECT_EQ((Bgra{0, 0, 0, 0}), Get(*bitmap, 1, 0));
    EXPECT_EQ((Bgra{255, 7, 0, 255}), Get(*bitmap, 2, 0));
    PremultiplyAlpha(bitmap.get());
    EXPECT_EQ((Bgra{50, 25, 12, 128}), Get(*bitmap, 0, 0));

    auto plain = Make(pf24bit, 1, 1, {200, 100, 50});
    PremultiplyAlpha(plain.get());
    EXPECT_EQ((Bgra{200, 100, 50, -1}), Get(*plain, 0, 0));
}

TEST(FillAlpha, SetsOnlyTheAlphaByte)
{
    auto bitmap = Make(pf32bit, 3, 2, {1, 2, 3, 4});
    FillAlpha(bitmap.get(), 200);
    EXPECT_EQ((Bgra{1, 2, 3, 200}), Get(*bitmap, 2, 1));
    TBitmap empty;
    empty.SetPixelFormat(pf32bit);
    empty.SetWidth(5);
    FillAlpha(&empty, 1);
    EXPECT_TRUE(empty.Empty());
}

TEST(DrawAlpha, BlendsOntoWhatTheCanvasShows)
{
    auto background = Make(pf24bit, 6, 4, {0, 0, 255});
    auto src = Make(pf32bit, 3, 3, {255, 255, 255, 128});
    DrawAlpha(background->Canvas(), TRect(2, 1, 4, 3), src.get(), TPoint(1, 1), 255);
    EXPECT_EQ((Bgra{127, 127, 255, -1}), Get(*background, 2, 1));
    EXPECT_EQ((Bgra{127, 127, 255, -1}), Get(*background, 3, 2));
    EXPECT_EQ((Bgra{0, 0, 255, -1}), Get(*background, 1, 1));
    EXPECT_EQ((Bgra{0, 0, 255, -1}), Get(*background, 4, 2));
    DrawAlpha(background->Canvas(), TRect(4, 3, 2, 1), src.get(), TPoint(0, 0), 255);  // inverted
    EXPECT_EQ((Bgra{0, 0, 255, -1}), Get(*background, 4, 2));

    // The clipped variant lays only what the source holds.
    DrawAlphaClipped(background->Canvas(), TRect(0, 0, 6, 4), src.get(), TPoint(1, 0), 255);
    EXPECT_EQ((Bgra{127, 127, 255, -1}), Get(*background, 1, 0));
    EXPECT_EQ((Bgra{0, 0, 255, -1}), Get(*background, 2, 0));
}

TEST(CaptureAndPutRect, CopyAreasAs24BitImages)
{
    auto canvasImage = Make(pf32bit, 5, 5);
    Set(*canvasImage, 3, 2, {1, 2, 3, 4});
    TBitmap captured;
    CaptureRect(canvasImage->Canvas(), &captured, TRect(2, 1, 5, 4));
    EXPECT_EQ(pf24bit, captured.PixelFormat());
    EXPECT_EQ(3, captured.Width());
    EXPECT_EQ(3, captured.Height());
    EXPECT_EQ((Bgra{1, 2, 3, -1}), Get(captured, 1, 1));

    auto target = Make(pf24bit, 4, 4);
    target->Canvas()->SetCopyMode(BLACKNESS);
    PutRect(target->Canvas(), TRect(0, 0, 2, 2), &captured, TPoint(1, 1));
    EXPECT_EQ(static_cast<TCopyMode>(SRCCOPY), target->Canvas()->CopyMode());
    EXPECT_EQ((Bgra{1, 2, 3, -1}), Get(*target, 0, 0));
}

TEST(ImageDeathTest, WrongFormatsAreReportedWithTheirConditions)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto b24 = Make(pf24bit, 1, 1);
    auto b32 = Make(pf32bit, 1, 1);
    const char* where = ", file src/gui/graphics/image.cpp, line";
    EXPECT_DEATH(BlendAlpha(b32.get(), TRect(0, 0, 1, 1), b24.get(), TPoint(0, 0), 255),
                 std::string("Assertion failed: src->PixelFormat == pf32bit") + where);
    EXPECT_DEATH(BlendAlpha32(b24.get(), TRect(0, 0, 1, 1), b32.get(), TPoint(0, 0), 255),
                 std::string("Assertion failed: dst->PixelFormat == pf32bit") + where);
    EXPECT_DEATH(CopyLayer(b32.get(), TRect(0, 0, 1, 1), b24.get(), TPoint(0, 0)),
                 std::string("Assertion failed: backgnd->PixelFormat == pf32bit && "
                             "layer->PixelFormat == pf32bit") + where);
    EXPECT_DEATH(FillAlpha(b24.get(), 0),
                 std::string("Assertion failed: bitmap->PixelFormat == pf32bit") + where);
}

namespace {

// The blend as first written, kept as the reference for the fixed-point one: weights
// rounded to double, then each channel's products and sum in extended precision, cut
// toward zero. Pixels of rect outside either bitmap are left out.
void ReferenceBlend(TBitmap& dst, const TRect& rect, TBitmap& src, const TPoint& origin,
                    uint8_t opacity)
{
    const long double r = 1.0L / 255.0L;
    const int step = dst.PixelFormat() == pf24bit ? 3 : 4;
    for (int i = 0; i < rect.Height(); ++i)
        for (int j = 0; j < rect.Width(); ++j) {
            const int x = rect.Left + j, y = rect.Top + i;
            const int sx = origin.X + j, sy = origin.Y + i;
            if (x < 0 || y < 0 || x >= dst.Width() || y >= dst.Height() || sx < 0 || sy < 0 ||
                sx >= src.Width() || sy >= src.Height())
                continue;
            const uint8_t* s = src.ScanLine(sy) + 4 * sx;
            uint8_t* d = dst.ScanLine(y) + step * x;
            const double k = static_cast<double>(opacity * r);
            const double a = static_cast<double>(s[3] * r);
            const double ws = static_cast<double>(static_cast<long double>(k) * a);
            const double wd = static_cast<double>(1.0L - static_cast<long double>(a));
            for (int c = 0; c < 3; ++c) {
                const long double value = static_cast<long double>(s[c]) * ws +
                                          static_cast<long double>(d[c]) * wd;
                d[c] = static_cast<uint8_t>(static_cast<int>(value));
            }
        }
}

void ReferenceBlend(TBitmap& dst, TBitmap& src, uint8_t opacity)
{
    ReferenceBlend(dst, TRect(0, 0, dst.Width(), dst.Height()), src, TPoint(0, 0), opacity);
}

// Every kind of blend kernel this processor has, narrowest first.
std::vector<BlendKernels> KernelKinds()
{
    std::vector<BlendKernels> kinds;
    for (BlendKernels kernels : {BlendKernels::Sse2, BlendKernels::Avx2, BlendKernels::Avx512})
        if (kernels <= WidestBlendKernels())
            kinds.push_back(kernels);
    return kinds;
}

}  // namespace

TEST(Blend, MatchesTheExtendedPrecisionBlendForEveryOpacityAlphaAndColour)
{
    // Source colour x and alpha y, at every opacity; the destination channels are the
    // source colour itself (sums that land exactly on an integer), its complement and
    // a random byte.
    std::mt19937 random(20261209);
    auto src = Make(pf32bit, 256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            Set(*src, x, y, {x, x, x, y});
    int wrong = 0;
    for (TPixelFormat format : {pf24bit, pf32bit}) {
        for (int opacity = 0; opacity < 256; opacity += format == pf24bit ? 1 : 5) {
            auto dst = Make(format, 256, 256);
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < 256; ++x)
                    Set(*dst, x, y, {x, 255 - x, static_cast<int>(random() & 0xFF), 77});
            TBitmap expected;
            expected.Assign(dst.get());
            ReferenceBlend(expected, *src, static_cast<uint8_t>(opacity));
            if (format == pf24bit)
                BlendAlphaWhole(dst.get(), src.get(), static_cast<uint8_t>(opacity));
            else
                BlendAlpha32Whole(dst.get(), src.get(), static_cast<uint8_t>(opacity));
            for (int y = 0; y < 256; ++y)
                wrong += std::memcmp(dst->ScanLine(y), expected.ScanLine(y),
                                     256 * (format == pf24bit ? 3 : 4)) != 0;
        }
    }
    EXPECT_EQ(0, wrong) << "rows that differ";
}

TEST(Blend, MatchesTheExtendedPrecisionBlendOnRandomPictures)
{
    std::mt19937 random(7);
    int wrong = 0;
    for (int round = 0; round < 200; ++round) {
        const int width = 1 + static_cast<int>(random() % 40);
        const int height = 1 + static_cast<int>(random() % 12);
        const uint8_t opacity = static_cast<uint8_t>(random());
        auto src = Make(pf32bit, width, height);
        auto dst = Make(round % 2 ? pf32bit : pf24bit, width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const int grey = static_cast<int>(random() & 0xFF);
                // Alpha 0 and 255 and equal colours are common in skins; mix them in.
                const int pick = static_cast<int>(random() % 4);
                const int alpha = pick == 0 ? 0 : pick == 1 ? 255 : static_cast<int>(random() & 0xFF);
                Set(*src, x, y, {grey, static_cast<int>(random() & 0xFF), grey, alpha});
                Set(*dst, x, y, {grey, static_cast<int>(random() & 0xFF), 255 - grey, 9});
            }
        TBitmap expected;
        expected.Assign(dst.get());
        ReferenceBlend(expected, *src, opacity);
        if (dst->PixelFormat() == pf24bit)
            BlendAlphaWhole(dst.get(), src.get(), opacity);
        else
            BlendAlpha32Whole(dst.get(), src.get(), opacity);
        const int step = dst->PixelFormat() == pf24bit ? 3 : 4;
        for (int y = 0; y < height; ++y)
            wrong += std::memcmp(dst->ScanLine(y), expected.ScanLine(y), width * step) != 0;
    }
    EXPECT_EQ(0, wrong) << "rows that differ";
}

// DrawAlpha writes straight into a canvas's own 32-bit DIB when the DC allows it, and
// otherwise blends through a copy: on the same scene, with the origin moved and a clip,
// both give the same bytes.
TEST(DrawAlpha, WritingIntoTheCanvasBitmapMatchesTheCopyInEveryByte)
{
    constexpr int kWidth = 41, kHeight = 29;
    std::mt19937 random(11);
    auto byte = [&] { return static_cast<int>(random() & 0xFF); };
    auto scene = Make(pf32bit, kWidth, kHeight);
    auto src = Make(pf32bit, 23, 17);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            Set(*scene, x, y, {byte(), byte(), byte(), byte() | 1});
    for (int y = 0; y < src->Height(); ++y)
        for (int x = 0; x < src->Width(); ++x) {
            const int pick = byte() % 4;
            Set(*src, x, y, {byte(), byte(), byte(), pick == 0 ? 0 : pick == 1 ? 255 : byte()});
        }
    auto paint = [&](HDC dc) {
        SavedDC saved(dc);
        SetWindowOrgEx(dc, 2, 1, nullptr);
        SetViewportOrgEx(dc, 7, -4, nullptr);
        IntersectClipRect(dc, 3, 2, 30, 25);
        TCanvas canvas;
        canvas.SetHandle(dc);
        DrawAlpha(&canvas, TRect(0, 0, 23, 17), src.get(), TPoint(0, 0), 255);
        DrawAlpha(&canvas, TRect(20, 10, 50, 40), src.get(), TPoint(-3, 2), 200);  // past the edges
        DrawAlphaClipped(&canvas, TRect(-6, 8, 14, 30), src.get(), TPoint(4, -5), 77);
        DrawAlpha(&canvas, TRect(31, 1, 40, 9), src.get(), TPoint(1, 1), 255);  // clipped away
        canvas.SetHandle(nullptr);
    };

    TBitmap direct;
    direct.Assign(scene.get());
    paint(direct.Canvas()->Handle());

    // The same DIB behind a DC in the advanced graphics mode takes the copy.
    TBitmap copied;
    copied.Assign(scene.get());
    HDC copiedDC = copied.Canvas()->Handle();
    SetGraphicsMode(copiedDC, GM_ADVANCED);
    paint(copiedDC);

    // A bitmap of the screen's kind is not a DIB the canvas knows: the copy again.
    WindowDC screen(nullptr);
    MemoryDC deviceDC(CreateCompatibleDC(screen.Get()));
    BitmapHandle device(CreateCompatibleBitmap(screen.Get(), kWidth, kHeight));
    SelectedObject selected(deviceDC.Get(), device.Get());
    BitBlt(deviceDC.Get(), 0, 0, kWidth, kHeight, scene->Canvas()->Handle(), 0, 0, SRCCOPY);
    paint(deviceDC.Get());
    TBitmap read;
    read.SetPixelFormat(pf32bit);
    read.SetSize(kWidth, kHeight);
    BitBlt(read.Canvas()->Handle(), 0, 0, kWidth, kHeight, deviceDC.Get(), 0, 0, SRCCOPY);

    int changed = 0, wrong = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Bgra want = Get(copied, x, y);
            const Bgra got = Get(direct, x, y);
            const Bgra onDevice = Get(read, x, y);
            changed += want != Get(*scene, x, y);
            wrong += got != want || !std::equal(got.begin(), got.begin() + 3, onDevice.begin());
        }
    EXPECT_GT(changed, 300);
    EXPECT_EQ(0, wrong) << "pixels that differ";
}

TEST(Blend, FullOpacityMatchesTheExtendedPrecisionBlendForEveryAlphaAndChannelPair)
{
    // Row `part` of the picture for source channel s: each alpha has sixteen pixels, side
    // by side (runs of one alpha) or 256 apart (groups of sixteen alphas), whose 48
    // channels hold destination bytes 48 x part to 48 x part + 47. Both layouts run over
    // every alpha, source and destination byte, the first for half the source bytes in
    // each format, with every kind of kernel the processor has. The exact integer blend
    // assumes the x87 settings the program starts with; under 53-bit precision the
    // general one must take over.
    const int width = 4096, parts = 6;
    const uint16_t original = X87Control();
    int wrong = 0;
    for (uint16_t precision : {kX87Precision64, kX87Precision53}) {
        SetX87Precision(precision);
        ASSERT_EQ(precision, X87Control() & kX87PrecisionBits);
        const std::vector<BlendKernels> kinds =
            precision == kX87Precision64 ? KernelKinds() : std::vector{WidestBlendKernels()};
        for (TPixelFormat format : {pf24bit, pf32bit}) {
            auto src = Make(pf32bit, width, parts);
            auto dst = Make(format, width, parts);
            for (int s = 0; s < 256; s += precision == kX87Precision64 ? 1 : 7) {
                const bool sameAlpha = (s + (format == pf32bit)) % 2 == 0;
                for (int part = 0; part < parts; ++part)
                    for (int x = 0; x < width; ++x) {
                        const int alpha = sameAlpha ? x / 16 : x % 256;
                        const int k = sameAlpha ? x % 16 : x / 256;
                        const auto dest = [&](int c) {
                            return std::min(255, 48 * part + 3 * k + c);
                        };
                        Set(*src, x, part, {s, s, s, alpha});
                        Set(*dst, x, part, {dest(0), dest(1), dest(2), 77});
                    }
                TBitmap expected;
                expected.Assign(dst.get());
                ReferenceBlend(expected, *src, 255);
                for (BlendKernels kernels : kinds) {
                    UseBlendKernels(kernels);
                    TBitmap blended;
                    blended.Assign(dst.get());
                    if (format == pf24bit)
                        BlendAlphaWhole(&blended, src.get(), 255);
                    else
                        BlendAlpha32Whole(&blended, src.get(), 255);
                    for (int part = 0; part < parts; ++part)
                        wrong += std::memcmp(blended.ScanLine(part), expected.ScanLine(part),
                                             width * (format == pf24bit ? 3 : 4)) != 0;
                }
            }
        }
    }
    UseBlendKernels(WidestBlendKernels());
    SetX87Precision(original & kX87PrecisionBits);
    EXPECT_EQ(0, wrong) << "rows that differ";
}

TEST(Blend, EveryKernelMatchesTheReferenceOverAVariedTable)
{
    // Alphas along the source: one throughout, at random, only 0 and 255 at random, and
    // runs of random alphas and lengths (some 0 and 255), which mix long runs of one
    // alpha and groups of several.
    enum { kRandom = -1, kClearOrOpaque = -2, kRuns = -3 };
    const int alphas[] = {0, 1, 127, 128, 180, 254, 255, kRandom, kClearOrOpaque, kRuns};
    struct Layout {
        int dstWidth, dstHeight, srcWidth, srcHeight;
        TRect rect;
        TPoint origin;
    };
    const Layout layouts[] = {
        {16, 3, 16, 3, {0, 0, 16, 3}, {0, 0}},        // whole rows of one group
        {37, 5, 37, 5, {0, 0, 37, 5}, {0, 0}},        // rows that join into one, a tail
        {150, 4, 150, 4, {0, 0, 150, 4}, {0, 0}},
        {83, 6, 90, 9, {3, 1, 80, 6}, {5, 3}},        // odd origin, rows apart
        {70, 4, 61, 7, {-3, -1, 90, 9}, {1, 0}},      // past every edge
        {50, 3, 50, 3, {7, 0, 50, 3}, {7, 0}},        // a strip that starts mid-row
        {1, 9, 1, 9, {0, 0, 1, 9}, {0, 0}},           // one column
    };
    std::mt19937 random(180);
    auto byte = [&] { return static_cast<int>(random() & 0xFF); };
    int wrong = 0;
    for (BlendKernels kernels : KernelKinds()) {
        UseBlendKernels(kernels);
        for (TPixelFormat format : {pf24bit, pf32bit})
            for (int opacity : {255, 160})
                for (int alpha : alphas)
                    for (const Layout& l : layouts) {
                        auto src = Make(pf32bit, l.srcWidth, l.srcHeight);
                        auto dst = Make(format, l.dstWidth, l.dstHeight);
                        int run = 0, runAlpha = 0;
                        for (int y = 0; y < l.srcHeight; ++y)
                            for (int x = 0; x < l.srcWidth; ++x) {
                                if (run-- == 0) {
                                    run = byte() % 40;
                                    runAlpha = byte() % 4 == 0 ? byte() % 2 * 255 : byte();
                                }
                                const int a = alpha == kRandom         ? byte()
                                              : alpha == kClearOrOpaque ? byte() % 2 * 255
                                              : alpha == kRuns          ? runAlpha
                                                                        : alpha;
                                Set(*src, x, y, {byte(), byte(), byte(), a});
                            }
                        for (int y = 0; y < l.dstHeight; ++y)
                            for (int x = 0; x < l.dstWidth; ++x)
                                Set(*dst, x, y, {byte(), byte(), byte(), byte()});
                        TBitmap expected;
                        expected.Assign(dst.get());
                        ReferenceBlend(expected, l.rect, *src, l.origin,
                                       static_cast<uint8_t>(opacity));
                        if (format == pf24bit)
                            BlendAlpha(dst.get(), l.rect, src.get(), l.origin,
                                       static_cast<uint8_t>(opacity));
                        else
                            BlendAlpha32(dst.get(), l.rect, src.get(), l.origin,
                                         static_cast<uint8_t>(opacity));
                        const int bytes = l.dstWidth * (format == pf24bit ? 3 : 4);
                        for (int y = 0; y < l.dstHeight; ++y)
                            if (std::memcmp(dst->ScanLine(y), expected.ScanLine(y), bytes) != 0) {
                                ++wrong;
                                ADD_FAILURE() << "kernels " << static_cast<int>(kernels)
                                              << ", " << (format == pf24bit ? 24 : 32)
                                              << "-bit, opacity " << opacity << ", alpha "
                                              << alpha << ", " << l.dstWidth << " x "
                                              << l.dstHeight << ", row " << y;
                                break;
                            }
                    }
    }
    UseBlendKernels(WidestBlendKernels());
    EXPECT_EQ(0, wrong) << "blends that differ";
}
