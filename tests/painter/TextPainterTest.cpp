#include "src/gui/Painter/TextPainter.h"
#include "src/gui/graphics/image.h"
#include "framework/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>

namespace {

using Bgra = std::array<int, 4>;

const UINT kFormat = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;

std::unique_ptr<TBitmap> Make(TPixelFormat format, int width, int height)
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(format);
    bitmap->SetSize(width, height);
    bitmap->Canvas()->Font()->SetName("Arial");
    bitmap->Canvas()->Font()->SetHeight(-16);
    bitmap->Canvas()->Font()->SetStyle(fsBold);
    return bitmap;
}

Bgra Get(TBitmap& bitmap, int x, int y)
{
    const bool wide = bitmap.PixelFormat() == pf32bit;
    const uint8_t* p = bitmap.ScanLine(y) + x * (wide ? 4 : 3);
    return {p[0], p[1], p[2], wide ? p[3] : -1};
}

std::vector<std::vector<int>> KernelOf(Filter* filter)
{
    auto* weighted = dynamic_cast<NeighborWeightedFilter*>(filter);
    EXPECT_NE(nullptr, weighted);
    const IntMatrix& k = weighted->Kernel();
    std::vector<std::vector<int>> cells(k.Rows(), std::vector<int>(k.Columns()));
    for (int i = 0; i < k.Rows(); ++i)
        for (int j = 0; j < k.Columns(); ++j)
            cells[i][j] = k[i][j];
    return cells;
}

}  // namespace

TEST(GlowKernel, RadiusTwoFallsOffWithTheSquareOfTheDistance)
{
    OuterGlowFilterFactory factory;
    Filter* filter = factory.CreateFilter(2, 2);
    const std::vector<std::vector<int>> expected = {
        {0, 0, 0, 0, 0},
        {0, 21, 64, 21, 0},
        {0, 64, 256, 64, 0},
        {0, 21, 64, 21, 0},
        {0, 0, 0, 0, 0},
    };
    EXPECT_EQ(expected, KernelOf(filter));
    EXPECT_EQ(256, dynamic_cast<NeighborWeightedFilter*>(filter)->Divisor());
    factory.ReleaseFilter(filter);
}

TEST(GlowKernel, RadiusZeroIsOneWeightScaledByOpacity)
{
    struct Case {
        uint8_t opacity;
        int weight;
    };
    for (const Case& c : {Case{255, 256}, Case{192, 192}, Case{160, 160}, Case{128, 128},
                          Case{1, 1}, Case{0, 0}}) {
        OuterGlowFilterFactory factory;
        factory.SetOpacity(static_cast<float>(c.opacity * (1.0L / 255.0L)));
        EXPECT_EQ((std::vector<std::vector<int>>{{c.weight}}), KernelOf(factory.CreateFilter(0, 0)))
            << int(c.opacity);
    }
}

TEST(GlowKernel, FullSpreadGivesAHardEdge)
{
    OuterGlowFilterFactory factory;
    factory.SetSpread(static_cast<float>(255 * (1.0L / 255.0L)));
    const std::vector<std::vector<int>> k = KernelOf(factory.CreateFilter(3, 3));
    for (int i = 0; i < 7; ++i)
        for (int j = 0; j < 7; ++j) {
            const int d2 = (i - 3) * (i - 3) + (j - 3) * (j - 3);
            EXPECT_EQ(d2 <= 9 ? 256 : 0, k[i][j]) << i << "," << j;
        }
}

TEST(GlowKernel, CacheLivesUntilSpreadOrOpacityChanges)
{
    OuterGlowFilterFactory factory;
    Filter* first = factory.CreateFilter(2, 2);
    factory.ReleaseFilter(first);  // the cached filter survives its release
    factory.SetSpread(0.0f);
    factory.SetOpacity(1.0f);
    Filter* again = factory.CreateFilter(4, 4);
    EXPECT_EQ(first, again);
    EXPECT_EQ(5u, KernelOf(again).size());  // radius of the first request
    factory.SetSpread(0.5f);
    EXPECT_EQ(9u, KernelOf(factory.CreateFilter(4, 4)).size());
    factory.SetOpacity(0.5f);
    EXPECT_EQ(3u, KernelOf(factory.CreateFilter(1, 1)).size());
}

TEST(GlowKernelDeathTest, UnequalRadiiAreAProgrammingError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    OuterGlowFilterFactory factory;
    EXPECT_DEATH(factory.CreateFilter(2, 3),
                 "Assertion failed: r == c, file src/gui/Painter/TextPainter.cpp, line");
}

TEST(GlowFilter, IsolatedPixelSpreadsAsTheKernel)
{
    OuterGlowFilterFactory factory;
    Filter* filter = factory.CreateFilter(2, 2);
    struct Case {
        int row, column;  // the lit pixel, inside a 5 x 7 matrix
    };
    for (const Case& lit : {Case{2, 3}, Case{0, 0}, Case{4, 6}}) {
        IntMatrix source(5, 7);
        source[lit.row][lit.column] = 255;
        IntMatrix glow(5, 7);
        filter->ApplyFilter(source, 0, 0, 5, 7, glow, 0, 0);
        for (int i = 0; i < 5; ++i)
            for (int j = 0; j < 7; ++j) {
                const int di = std::abs(i - lit.row), dj = std::abs(j - lit.column);
                int expected = 0;
                if (di == 0 && dj == 0)
                    expected = 255;
                else if (di + dj == 1)
                    expected = 63;
                else if (di == 1 && dj == 1)
                    expected = 20;
                EXPECT_EQ(expected, glow[i][j]) << i << "," << j;
            }
    }
}

TEST(GlowFilter, TakesTheWeightedMaximumNotTheSum)
{
    OuterGlowFilterFactory factory;
    Filter* filter = factory.CreateFilter(2, 2);
    IntMatrix source(1, 3);
    source[0][0] = 255;
    source[0][2] = 255;
    IntMatrix glow(1, 3);
    filter->ApplyFilter(source, 0, 0, 1, 3, glow, 0, 0);
    EXPECT_EQ(63, glow[0][1]);
}

TEST(Passes, LuminanceIsRoundedAndAlphaClampedAndCleared)
{
    struct Case {
        int r, g, b, luminance;
    };
    const Case cases[] = {
        {255, 255, 255, 255}, {255, 0, 0, 76}, {0, 255, 0, 150}, {0, 0, 255, 29},
        {10, 10, 10, 10},     {0, 0, 0, 0},    {2, 0, 0, 1},     {100, 50, 25, 62},
    };
    for (TPixelFormat format : {pf24bit, pf32bit, pfDevice}) {
        auto bitmap = Make(format, 8, 1);
        if (format == pfDevice)
            bitmap->SetPixelFormat(pf32bit);
        for (int x = 0; x < 8; ++x) {
            const int step = format == pf24bit ? 3 : 4;
            uint8_t* p = bitmap->ScanLine(0) + x * step;
            p[0] = static_cast<uint8_t>(cases[x].b);
            p[1] = static_cast<uint8_t>(cases[x].g);
            p[2] = static_cast<uint8_t>(cases[x].r);
        }
        if (format == pfDevice)
            bitmap->SetPixelFormat(pfDevice);
        IntMatrix l = LuminanceMatrix(bitmap.get(), TRect(0, 0, 8, 1));
        EXPECT_EQ(format == pfDevice ? pf24bit : format, bitmap->PixelFormat());
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(cases[x].luminance, l[0][x]) << x;
    }

    auto layer = Make(pf32bit, 3, 1);
    for (int x = 0; x < 3; ++x)
        for (int c = 0; c < 4; ++c)
            layer->ScanLine(0)[x * 4 + c] = 77;
    IntMatrix values(1, 3);
    values[0][0] = 300;
    values[0][1] = 0;
    values[0][2] = 9;
    AlphaFromMatrix(layer.get(), TRect(0, 0, 3, 1), values);
    EXPECT_EQ(255, values[0][0]);  // clamped and written back
    EXPECT_EQ((Bgra{77, 77, 77, 255}), Get(*layer, 0, 0));
    EXPECT_EQ((Bgra{0, 0, 0, 0}), Get(*layer, 1, 0));
    EXPECT_EQ((Bgra{77, 77, 77, 9}), Get(*layer, 2, 0));

    auto plain = Make(pf24bit, 2, 1);
    plain->ScanLine(0)[0] = plain->ScanLine(0)[3] = 50;
    IntMatrix two(1, 2);
    two[0][1] = 3;
    AlphaFromMatrix(plain.get(), TRect(0, 0, 2, 1), two);
    EXPECT_EQ((Bgra{0, 0, 0, -1}), Get(*plain, 0, 0));
    EXPECT_EQ((Bgra{50, 0, 0, -1}), Get(*plain, 1, 0));
}

TEST(Measure, GlowWidensNonEmptyTextByTwiceTheRadiusAndTheOffset)
{
    auto bitmap = Make(pf24bit, 4, 4);
    TCanvas* canvas = bitmap->Canvas();
    TRect plain(0, 0, 0, 0);
    TTextPainter::Shared()->CalcRect(canvas, "Pellon", plain, kFormat);
    ASSERT_GT(plain.Width(), 0);
    ASSERT_GT(plain.Height(), 0);

    std::unique_ptr<TRadiateTextPainter, TextPainterRelease> radiate(new TRadiateTextPainter);
    radiate->Radius = 3;
    TRect r(0, 0, 0, 0);
    radiate->CalcRect(canvas, "Pellon", r, kFormat);
    EXPECT_EQ(TRect(0, 0, plain.Right + 6, plain.Bottom + 6), r);

    std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> outer(new TOuterGlowTextPainter);
    outer->Radius = 3;
    outer->RadiationOffset = TPoint(1, 1);
    TRect o(0, 0, 0, 0);
    outer->CalcRect(canvas, L"Pellon", o, kFormat);
    EXPECT_EQ(TRect(0, 0, plain.Right + 7, plain.Bottom + 7), o);

    TRect empty(5, 5, 5, 5);
    outer->CalcRect(canvas, "", empty, kFormat);
    EXPECT_EQ(0, empty.Width());
}

TEST(TextPainter, SharedPainterOutlivesItsRelease)
{
    TTextPainter* shared = TTextPainter::Shared();
    shared->Release();
    EXPECT_EQ(shared, TTextPainter::Shared());
}

TEST(TextPainter, LayerHoldsTheTextInItsColourWithCoverageAsAlpha)
{
    auto bitmap = Make(pf32bit, 80, 24);
    bitmap->Canvas()->Font()->SetColor(RGBColor(200, 100, 50));
    TTextPainter::Shared()->DrawText(bitmap.get(), "Pellon", TRect(0, 0, 80, 24), kFormat, true);
    int opaque = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 80; ++x) {
            const Bgra p = Get(*bitmap, x, y);
            if (p[3] == 0) {
                ASSERT_EQ((Bgra{0, 0, 0, 0}), p);
            } else {
                ASSERT_EQ((Bgra{50, 100, 200, p[3]}), p);
                opaque += p[3] == 255;
            }
        }
    EXPECT_GT(opaque, 20);
    EXPECT_EQ(RGBColor(200, 100, 50), bitmap->Canvas()->Font()->Color());
}

TEST(TextPainter, NarrowAndWideTextDrawTheSame)
{
    std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> painter(new TOuterGlowTextPainter);
    painter->Radius = 2;
    auto narrow = Make(pf32bit, 90, 30);
    auto wide = Make(pf32bit, 90, 30);
    painter->DrawText(narrow.get(), "Pellon", TRect(0, 0, 90, 30), kFormat, true);
    painter->DrawText(wide.get(), L"Pellon", TRect(0, 0, 90, 30), kFormat, true);
    int differ = 0, lit = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 90; ++x) {
            differ += Get(*narrow, x, y) != Get(*wide, x, y);
            lit += Get(*narrow, x, y)[3] != 0;
        }
    EXPECT_EQ(0, differ);
    EXPECT_GT(lit, 100);
}

// The text's left edge on the row where it reaches furthest left, as (x, y).
TPoint LeftmostOpaque(TBitmap& layer, TColor letters)
{
    TPoint best(layer.Width(), 0);
    const Bgra want{(letters >> 16) & 0xFF, (letters >> 8) & 0xFF, letters & 0xFF, 255};
    for (int y = 0; y < layer.Height(); ++y)
        for (int x = 0; x < best.X; ++x)
            if (Get(layer, x, y) == want)
                best = TPoint(x, y);
    return best;
}

TEST(OuterGlow, LayerHasAHaloThatFadesOutward)
{
    std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> painter(new TOuterGlowTextPainter);
    painter->Radius = 3;
    painter->Color = RGBColor(0, 128, 255);
    auto layer = Make(pf32bit, 100, 34);
    layer->Canvas()->Font()->SetColor(clWhite);
    // Small type is drawn without smoothing, so the letters' edge is fully covered.
    layer->Canvas()->Font()->SetHeight(-11);
    layer->Canvas()->Font()->SetStyle(0);
    // Centred: on a bitmap the glow's text is inset by the radius and the letters' is not.
    painter->DrawText(layer.get(), "Pellon", TRect(0, 0, 100, 34),
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE, true);

    const TPoint edge = LeftmostOpaque(*layer, clWhite);
    ASSERT_LT(edge.X, 100);
    ASSERT_GE(edge.X, 4);
    // Kernel of radius 3: 256, 113, 28, 0 along an axis, over a fully covered pixel.
    const int expected[] = {112, 27, 0, 0};
    for (int d = 1; d <= 4; ++d) {
        const Bgra p = Get(*layer, edge.X - d, edge.Y);
        EXPECT_EQ(expected[d - 1], p[3]) << "distance " << d;
        if (p[3] != 0) {
            EXPECT_EQ((Bgra{255, 128, 0, p[3]}), p);
        }
    }
}

TEST(OuterGlow, CanvasDrawingBlendsTheHaloOverTheBackground)
{
    std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> painter(new TOuterGlowTextPainter);
    painter->Radius = 3;
    painter->Color = clLime;
    auto target = Make(pf24bit, 100, 34);
    TCanvas* canvas = target->Canvas();
    canvas->Brush()->SetColor(clBlack);
    canvas->FillRect(TRect(0, 0, 100, 34));
    canvas->Font()->SetColor(clWhite);
    painter->DrawText(canvas, "Pellon", TRect(0, 0, 100, 34), kFormat, false);

    // White letters (smoothed at their edges) over a green halo over black: red and blue
    // stay equal everywhere.
    int white = 0, green = 0, other = 0;
    for (int y = 0; y < 34; ++y)
        for (int x = 0; x < 100; ++x) {
            const Bgra p = Get(*target, x, y);
            if (p == Bgra{255, 255, 255, -1})
                ++white;
            else if (p[0] == 0 && p[2] == 0 && p[1] > 0)
                ++green;
            else if (p[0] != p[2])
                ++other;
        }
    EXPECT_GT(white, 20);
    EXPECT_GT(green, white);  // the halo is larger than the letters
    EXPECT_EQ(0, other);
    EXPECT_EQ(clWhite, canvas->Font()->Color());

    // Radius 0: the letters alone.
    painter->Radius = 0;
    auto bare = Make(pf24bit, 100, 34);
    bare->Canvas()->Font()->SetColor(clWhite);
    painter->DrawText(bare->Canvas(), "Pellon", TRect(0, 0, 100, 34), kFormat, false);
    int glowing = 0;
    for (int y = 0; y < 34; ++y)
        for (int x = 0; x < 100; ++x) {
            const Bgra p = Get(*bare, x, y);
            glowing += p[0] != p[1] || p[1] != p[2];  // anything but grey levels
        }
    EXPECT_EQ(0, glowing);
}

TEST(OuterGlow, CanvasLayerKeepsLettersOverTheGlow)
{
    std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> painter(new TOuterGlowTextPainter);
    painter->Radius = 3;
    painter->RadiationOffset = TPoint(1, 1);
    painter->Color = clRed;
    auto target = Make(pf32bit, 110, 40);
    target->Canvas()->Font()->SetColor(clWhite);
    painter->DrawText(target->Canvas(), "Pellon", TRect(5, 3, 105, 37), kFormat, true);
    int letters = 0, glow = 0, outside = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 110; ++x) {
            const Bgra p = Get(*target, x, y);
            if (p == Bgra{255, 255, 255, 255})
                ++letters;
            else if (p[3] != 0 && p[0] == 0 && p[1] == 0 && p[2] == 255)
                ++glow;
            else if (p[3] != 0 && (x < 5 || y < 3 || x >= 105 || y >= 37))
                ++outside;
        }
    EXPECT_GT(letters, 20);
    EXPECT_GT(glow, letters);
    EXPECT_EQ(0, outside);
}

TEST(GlowFilter, SpreadingGivesTheFiguresOfTheCellByCellWalk)
{
    // The reference: FilterAt for every cell, as Filter::ApplyFilter defines it.
    auto walk = [](const Filter& filter, const IntMatrix& source, int sr, int sc, int rows,
                   int columns, IntMatrix& dest, int dr, int dc) {
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < columns; ++j)
                dest[dr + i][dc + j] = filter.FilterAt(source, sr, sc, rows, columns, i, j);
    };
    std::mt19937 random(13);
    int wrong = 0;
    for (int round = 0; round < 300; ++round) {
        const int radius = static_cast<int>(random() % 9);
        const int rows = 1 + static_cast<int>(random() % 20);
        const int columns = 1 + static_cast<int>(random() % 30);
        std::unique_ptr<NeighborWeightedFilter> own;
        OuterGlowFilterFactory factory;
        NeighborWeightedFilter* filter = nullptr;
        if (round % 8 == 7) {
            // A kernel whose rows read the same both ways, with another divisor than the
            // glow's and some rows alike: spread row by row too.
            const int rowRadius = static_cast<int>(random() % 5);
            const int columnRadius = static_cast<int>(random() % 9);
            const int32_t divisor =
                round % 16 == 15 ? 256 : 1 + static_cast<int32_t>(random() % 300);
            IntMatrix kernel(2 * rowRadius + 1, 2 * columnRadius + 1);
            for (int i = 0; i < kernel.Rows(); ++i)
                for (int t = 0; t <= columnRadius; ++t)
                    kernel[i][columnRadius + t] = kernel[i][columnRadius - t] =
                        i > 0 && random() % 3 == 0
                            ? kernel[i - 1][columnRadius + t]
                            : static_cast<int32_t>(random() % (std::min(divisor, 256) + 41)) - 40;
            own = std::make_unique<NeighborWeightedFilter>(std::move(kernel), divisor, rowRadius,
                                                           columnRadius);
            filter = own.get();
            EXPECT_TRUE(filter->SpreadsBytes());
        } else if (round % 4 == 3) {
            // An uneven kernel with negative weights and weights above the divisor.
            const int rowRadius = static_cast<int>(random() % 4);
            const int columnRadius = static_cast<int>(random() % 4);
            IntMatrix kernel(2 * rowRadius + 1, 2 * columnRadius + 1);
            for (int i = 0; i < kernel.Rows(); ++i)
                for (int j = 0; j < kernel.Columns(); ++j)
                    kernel[i][j] = static_cast<int32_t>(random() % 700) - 200;
            own = std::make_unique<NeighborWeightedFilter>(std::move(kernel), 97, rowRadius,
                                                           columnRadius);
            filter = own.get();
        } else {
            factory.SetSpread(static_cast<float>((random() & 0xFF) * (1.0L / 255.0L)));
            factory.SetOpacity(static_cast<float>((random() & 0xFF) * (1.0L / 255.0L)));
            filter = factory.CreateFilter(radius, radius);
        }
        // Mostly dark cells with runs of lit and partly lit ones, as rendered text gives;
        // now and then values beyond a byte.
        IntMatrix source(rows + 3, columns + 2);
        for (int i = 0; i < source.Rows(); ++i)
            for (int j = 0; j < source.Columns(); ++j) {
                const unsigned pick = random() % 10;
                source[i][j] = pick < 6 ? 0 : pick < 8 ? 255 : static_cast<int32_t>(random() & 0xFF);
                if (round % 7 == 6 && pick == 9)
                    source[i][j] = static_cast<int32_t>(random() % 3000) - 1000;
            }
        IntMatrix expected(rows + 1, columns + 4);
        IntMatrix actual(rows + 1, columns + 4);
        walk(*filter, source, 2, 1, rows, columns, expected, 1, 3);
        filter->ApplyFilter(source, 2, 1, rows, columns, actual, 1, 3);
        for (int i = 0; i < rows + 1; ++i)
            for (int j = 0; j < columns + 4; ++j)
                wrong += expected[i][j] != actual[i][j];
    }
    EXPECT_EQ(0, wrong);
}

TEST(OuterGlow, APainterThatDrewBeforeDrawsAsANewOne)
{
    // The glow's working layer is kept between calls: a size, a font or a caption drawn
    // earlier must leave no trace.
    auto draw = [](TOuterGlowTextPainter& painter, const char* text, const TRect& rect,
                   int height) {
        auto target = Make(pf24bit, 120, 40);
        TCanvas* canvas = target->Canvas();
        canvas->Brush()->SetColor(RGBColor(30, 60, 90));
        canvas->FillRect(TRect(0, 0, 120, 40));
        canvas->Font()->SetHeight(height);
        canvas->Font()->SetColor(clWhite);
        painter.DrawText(target.get(), text, rect, kFormat, false);
        return target;
    };
    std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> used(new TOuterGlowTextPainter);
    used->Radius = 4;
    used->Opacity = 160;
    draw(*used, "Power Saving Mode", TRect(0, 0, 118, 38), -16);
    draw(*used, "Mode", TRect(2, 2, 60, 30), -11);
    auto second = draw(*used, "Pellon", TRect(3, 1, 90, 33), -13);

    std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> fresh(new TOuterGlowTextPainter);
    fresh->Radius = 4;
    fresh->Opacity = 160;
    auto expected = draw(*fresh, "Pellon", TRect(3, 1, 90, 33), -13);
    auto compare = [](TBitmap& actual, TBitmap& wanted) {
        int differ = 0, glowing = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x) {
                differ += Get(actual, x, y) != Get(wanted, x, y);
                glowing += Get(wanted, x, y) != Bgra{90, 60, 30, -1};
            }
        EXPECT_EQ(0, differ);
        EXPECT_GT(glowing, 200);
    };
    compare(*second, *expected);

    // The same caption once more, after each field that shapes the glow changed.
    struct Change {
        uint8_t opacity, spread;
        TColor color;
    };
    for (const Change& c : {Change{200, 0, 0x00BFFFFF}, Change{200, 128, 0x00BFFFFF},
                            Change{200, 128, clRed}}) {
        used->Opacity = fresh->Opacity = c.opacity;
        used->Spread = fresh->Spread = c.spread;
        used->Color = fresh->Color = c.color;
        auto again = draw(*used, "Pellon", TRect(3, 1, 90, 33), -13);
        std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> other(new TOuterGlowTextPainter);
        other->Radius = 4;
        other->Opacity = c.opacity;
        other->Spread = c.spread;
        other->Color = c.color;
        compare(*again, *draw(*other, "Pellon", TRect(3, 1, 90, 33), -13));
    }
}

TEST(RadiateGlow, BlendedGlowIsItsGlowLayerLaidOverTheTarget)
{
    // The non-layer drawing builds its glow in a kept bitmap of its own; it must equal
    // the layer drawing into a new bitmap (black fill, inset text, glow layer) blended
    // over the target.
    struct Case {
        uint32_t radius;
        uint8_t spread, opacity;
        TColor color;
    };
    for (const Case& c : {Case{5, 0, 160, clWhite}, Case{2, 255, 160, RGBColor(255, 255, 191)},
                          Case{3, 100, 255, RGBColor(10, 200, 90)}, Case{1, 0, 40, clRed}}) {
        std::unique_ptr<TRadiateTextPainter, TextPainterRelease> painter(new TRadiateTextPainter);
        painter->Radius = c.radius;
        painter->Spread = c.spread;
        painter->Opacity = c.opacity;
        const TRect rect(3, 2, 113, 32);
        auto target = Make(pf24bit, 120, 36);
        target->Canvas()->Brush()->SetColor(RGBColor(40, 60, 90));
        target->Canvas()->FillRect(TRect(0, 0, 120, 36));
        target->Canvas()->Font()->SetColor(c.color);
        TBitmap expected;
        expected.Assign(target.get());

        auto layer = Make(pf32bit, rect.Width(), rect.Height());
        layer->Canvas()->Font()->SetColor(c.color);
        painter->DrawText(layer.get(), "Performance Mode", TRect(0, 0, rect.Width(), rect.Height()),
                          kFormat, true);
        BlendAlphaClipped(&expected, rect, layer.get(), TPoint(0, 0), 255);
        for (int twice = 0; twice < 2; ++twice)  // the second time in the kept bitmap
            painter->DrawText(target.get(), "Performance Mode", rect, kFormat, false);
        // Drawn twice over itself: the reference is blended twice as well.
        BlendAlphaClipped(&expected, rect, layer.get(), TPoint(0, 0), 255);
        int differ = 0, glowing = 0;
        for (int y = 0; y < 36; ++y)
            for (int x = 0; x < 120; ++x) {
                differ += Get(*target, x, y) != Get(expected, x, y);
                glowing += Get(expected, x, y) != Bgra{90, 60, 40, -1};
            }
        EXPECT_EQ(0, differ) << "radius " << c.radius;
        EXPECT_GT(glowing, 300);

        // Put as a layer on a canvas, the kept bitmap shows through whole.
        auto put = Make(pf32bit, rect.Width(), rect.Height());
        put->Canvas()->Font()->SetColor(c.color);
        painter->DrawText(put->Canvas(), "Performance Mode",
                          TRect(0, 0, rect.Width(), rect.Height()), kFormat, true);
        int layerDiffers = 0;
        for (int y = 0; y < rect.Height(); ++y)
            for (int x = 0; x < rect.Width(); ++x)
                layerDiffers += Get(*put, x, y) != Get(*layer, x, y);
        EXPECT_EQ(0, layerDiffers) << "radius " << c.radius;
    }
}

namespace {

// An outer glow painter that also tells whether it kept the letters of its last glow.
struct LetterKeepingPainter : TOuterGlowTextPainter {
    using TRadiateTextPainter::LettersKept;
};

}  // namespace

TEST(OuterGlow, BitmapDrawingIsTheGlowLayerBlendedAndTheTextDrawnOverIt)
{
    // One drawing of the text may give both the glow and the letters; whatever the font,
    // caption, colours, glow, format, place and DC, the result must be the reference's:
    // the glow made as a layer, blended over the target, and the letters by DrawText.
    const char* faces[] = {"Arial", "Liberation Serif", "DejaVu Sans Mono", "Tahoma",
                           "DejaVu Sans"};
    const char* texts[] = {"Performance Mode", "Power Saving Mode", "ffj Tj AV Wa",
                           "Sp&eed", "|||...", "x", "", "Fan\tcurve ~",
                           "ffj ............... ffj"};
    const UINT formats[] = {DT_SINGLELINE | DT_NOPREFIX, DT_SINGLELINE,
                            DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS,
                            DT_CENTER | DT_VCENTER | DT_SINGLELINE, DT_LEFT | DT_WORDBREAK,
                            DT_SINGLELINE | DT_NOCLIP};
    enum Dc { kPlain, kClipped, kShifted, kBaseline, kCount };
    std::mt19937 random(29);
    int kept = 0, drawn = 0;
    for (int round = 0; round < 200; ++round) {
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        // Every tenth an italic caption whose glyphs overlap far apart.
        const bool farApart = round % 10 == 9;
        const char* face = farApart ? "Liberation Serif" : faces[pick(5)];
        const int height = -(8 + pick(14));
        const TFontStyles style =
            static_cast<TFontStyles>(farApart ? fsItalic : pick(4) == 0 ? 0 : pick(4));
        const char* text = farApart ? texts[8] : texts[pick(9)];
        const UINT format = round % 3 ? formats[0] : formats[pick(6)];
        auto colour = [&] {
            return RGBColor(static_cast<uint8_t>(random()), static_cast<uint8_t>(random()),
                            static_cast<uint8_t>(random()));
        };
        const TColor fontColour = pick(3) == 0 ? clWhite : colour();
        std::unique_ptr<LetterKeepingPainter, TextPainterRelease> painter(new LetterKeepingPainter);
        painter->Radius = static_cast<uint32_t>(pick(7));
        painter->Spread = static_cast<uint8_t>(pick(2) ? 0 : random());
        painter->Opacity = static_cast<uint8_t>(pick(2) ? 160 : random());
        painter->Color = pick(2) ? 0x00BFFFFF : colour();
        painter->RadiationOffset = pick(3) ? TPoint(0, 0) : TPoint(pick(5) - 1, pick(5) - 1);
        const Dc dc = round % 4 ? kPlain : static_cast<Dc>(pick(kCount));
        const int left = pick(9) - 4, top = pick(7) - 3;
        const TRect rect = farApart ? TRect(0, top, 128, top + 40)
                                    : TRect(left, top, left + 40 + pick(100), top + 12 + pick(30));

        auto make = [&] {
            auto bitmap = Make(pf24bit, 130, 48);
            std::mt19937 noise(static_cast<unsigned>(round));
            for (int y = 0; y < 48; ++y) {
                uint8_t* p = bitmap->ScanLine(y);
                for (int i = 0; i < 130 * 3; ++i)
                    p[i] = static_cast<uint8_t>(noise());
            }
            TFont* font = bitmap->Canvas()->Font();
            font->SetName(face);
            font->SetHeight(height);
            font->SetStyle(style);
            font->SetColor(fontColour);
            HDC handle = bitmap->Canvas()->Handle();
            if (dc == kClipped)
                IntersectClipRect(handle, 3, 2, 90, 30);
            else if (dc == kShifted)
                SetViewportOrgEx(handle, 2, -1, nullptr);
            else if (dc == kBaseline)
                SetTextAlign(handle, TA_BASELINE);
            return bitmap;
        };
        auto target = make();
        auto expected = make();
        const TPoint offset = painter->RadiationOffset;
        const TRect glowRect(rect.Left + offset.X, rect.Top + offset.Y, rect.Right, rect.Bottom);
        TBitmap background;
        background.Assign(target.get());
        // Drawn again over the first background, and once more over itself: the glow kept.
        for (int pass = 0; pass < 3; ++pass) {
            if (pass == 1) {
                for (int y = 0; y < 48; ++y) {
                    std::memcpy(target->ScanLine(y), background.ScanLine(y), 130 * 3);
                    std::memcpy(expected->ScanLine(y), background.ScanLine(y), 130 * 3);
                }
            }
            painter->DrawText(target.get(), text, rect, format, false);
            if (painter->Radius != 0 && glowRect.Width() > 0 && glowRect.Height() > 0) {
                std::unique_ptr<TRadiateTextPainter, TextPainterRelease> reference(
                    new TRadiateTextPainter);
                reference->Radius = painter->Radius;
                reference->Spread = painter->Spread;
                reference->Opacity = painter->Opacity;
                auto layer = Make(pf32bit, glowRect.Width(), glowRect.Height());
                layer->Canvas()->Font()->Assign(expected->Canvas()->Font());
                layer->Canvas()->Font()->SetColor(painter->Color);
                reference->DrawText(layer.get(), text,
                                    TRect(0, 0, glowRect.Width(), glowRect.Height()), format, true);
                BlendAlphaClipped(expected.get(), glowRect, layer.get(), TPoint(0, 0), 255);
            }
            const TRect letterRect(rect.Left, rect.Top, rect.Right - offset.X,
                                   rect.Bottom - offset.Y);
            TTextPainter::Shared()->DrawText(expected.get(), text, letterRect, format, false);
            int differ = 0;
            for (int y = 0; y < 48; ++y)
                differ += std::memcmp(target->ScanLine(y), expected->ScanLine(y), 130 * 3) != 0;
            EXPECT_EQ(0, differ) << "round " << round << ", " << face << " " << height << " \""
                                 << text << "\" format " << format << " radius "
                                 << painter->Radius << " dc " << dc << " pass " << pass;
        }
        kept += painter->LettersKept();
        drawn += painter->Radius != 0;
    }
    // The drawing of the system here follows the glyph levels: most plain captions keep
    // their letters, and some fall back to DrawText.
    EXPECT_GT(kept, drawn / 3);
    EXPECT_LT(kept, drawn);
}
