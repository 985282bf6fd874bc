// The phase bar: its scale, and the composed picture compared pixel by pixel with one
// built here from the bar and cap pictures the test writes into its resource folder;
// and no leak from many bars and skinned controls.
#include "app/control/PellonBar.h"
#include "app/PngReader.h"
#include "framework/Bitmap.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/Application.h"
#include "src/gui/widget/GsButton.h"
#include "src/gui/widget/GsButtonAppearance.h"
#include "src/gui/widget/GsCustomButton.h"
#include "src/gui/widget/GsImage.h"
#include "src/gui/widget/GsLabel.h"
#include "src/gui/widget/GsRadioButton.h"
#include "src/gui/widget/GsRadioButtonAppearance.h"
#include "BarPictures.h"
#include "tests/framework/LeakProbes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>
#include <string>

namespace {

using bartest::Rgba;

// A channel value of the bar pictures: never a multiple of 17 (the veil then never
// lands exactly on an integer), never below 20 nor 255 (a half-transparent cap over it
// never does either), so truncation is the same in any precision.
uint8_t Channel(int seed)
{
    int v = 20 + seed % 231;
    if (v % 17 == 0)
        ++v;
    return static_cast<uint8_t>(v);
}

Rgba BarPixel(int x, int y)
{
    const uint8_t alphas[] = {255, 200, 90};
    return {Channel(y * 3 + x), Channel(y * 7 + 50), Channel(x * 40 + y), alphas[x % 3]};
}

// Cap: two half-transparent rows of pure colours, then opaque rows, a clear last column.
Rgba CapPixel(int x, int y, int width)
{
    if (x == width - 1)
        return {9, 9, 9, 0};
    if (y < 2)
        return {static_cast<uint8_t>(x % 2 ? 255 : 0), 255, 0, 128};
    return {static_cast<uint8_t>(30 + x), static_cast<uint8_t>(60 + y), 222, 255};
}

struct Set {
    int pps;
    const char* bar;
    const char* cap;
    int width, height, capWidth, capHeight;
} const kSets[] = {
    {4, "color_bar01.png", "color_bar_top01.png", 12, 184, 12, 6},
    {2, "color_bar02.png", "color_bar_top02.png", 10, 184, 8, 5},
};

class PellonBarTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryA(ResourceFolder().c_str(), nullptr);
        for (const Set& set : kSets) {
            ASSERT_TRUE(bartest::WritePicture(ResourceFolder() + set.bar, set.width, set.height, BarPixel));
            const int capWidth = set.capWidth;
            ASSERT_TRUE(bartest::WritePicture(ResourceFolder() + set.cap, set.capWidth, set.capHeight,
                                              [capWidth](int x, int y) { return CapPixel(x, y, capWidth); }));
        }
    }
    TForm form{nullptr};
};

// The expected bar, built from the picture functions: rows above the lit part clear,
// the veil (black, alpha 180) over a disabled bar, the cap on top of the lit part.
Rgba Expected(const Set& set, int lit, bool enabled, int x, int y)
{
    lit = std::max(lit, set.capHeight);
    const int gap = set.height - lit;
    if (y < gap)
        return {0, 0, 0, 0};
    Rgba d = BarPixel(x, y);
    if (!enabled)
        d = {static_cast<uint8_t>(d.r * 75 / 255), static_cast<uint8_t>(d.g * 75 / 255),
             static_cast<uint8_t>(d.b * 75 / 255), d.a};
    if (lit > set.capHeight && y < gap + set.capHeight && x < set.capWidth) {
        const Rgba c = CapPixel(x, y - gap, set.capWidth);
        auto over = [&](uint8_t s, uint8_t t) { return static_cast<uint8_t>((s * c.a + t * (255 - c.a)) / 255); };
        d = {over(c.r, d.r), over(c.g, d.g), over(c.b, d.b), d.a};
    }
    return d;
}

}  // namespace

TEST(PellonBarScale, LitHeightToThePixel)
{
    struct Case {
        int value;
        bool enabled;
        int height;
        int lit;
    } cases[] = {
        {0, true, 184, 97},    {1, true, 184, 110},   {2, true, 184, 124},  {3, true, 184, 125},
        {12, true, 184, 134},  {13, true, 184, 136},  {13, true, 300, 139}, {31, true, 300, 217},
        {50, true, 184, 184},  {51, true, 184, 184},  {1000, true, 184, 184},
        {-1, true, 184, 82},   {-2, true, 184, 67},   {-3, true, 184, 66},  {-12, true, 184, 57},
        {-13, true, 184, 55},  {-49, true, 184, 1},   {-50, true, 184, 0},  {-51, true, 184, 0},
        {-1000, true, 184, 0}, {40, false, 184, 97},  {-40, false, 184, 97},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.lit, PellonBar::LitHeight(c.value, c.enabled, c.height))
            << c.value << (c.enabled ? "" : " disabled") << " on " << c.height;
}

// On a picture drawn at a scale the lit height is the 96-DPI one in that scale's pixels,
// never taller than the picture.
TEST(PellonBarScale, LitHeightAtAScaleIsTheDesignHeightScaled)
{
    struct Case {
        int percent;
        int value;
        bool enabled;
        int lit;
    } cases[] = {{200, 10, true, 264}, {200, -10, true, 118}, {200, 1000, true, 368},
                 {200, -60, true, 0},   {150, 0, true, 146},   {150, 40, false, 146},
                 {125, 1, true, 138},   {125, 50, true, 230},  {125, -13, true, 69},
                 {100, 13, true, 136}};
    for (const Case& c : cases) {
        const ArtScale scale(c.percent);
        EXPECT_EQ(c.lit, PellonBar::LitHeight(c.value, c.enabled, scale(184), scale))
            << c.value << " at " << c.percent;
    }
}

TEST_F(PellonBarTest, ComposedPictureMatchesBarCapAndVeilPixelByPixel)
{
    struct Case {
        int value;
        bool enabled;
    } cases[] = {{0, true}, {7, true}, {13, true}, {51, true}, {-2, true}, {-30, true}, {-51, true},
                 {-1000, true}, {25, false}, {-51, false}};
    for (const Set& set : kSets) {
        PellonBar bar(&form, 1, set.pps);
        for (const Case& c : cases) {
            bar.SetReading(c.enabled, c.value);
            const int lit = PellonBar::LitHeight(c.value, c.enabled, set.height);
            TBitmap* shown = bar.Image()->Picture()->Bitmap();
            ASSERT_EQ(pf32bit, shown->PixelFormat());
            ASSERT_EQ(set.width, shown->Width());
            ASSERT_EQ(set.height, shown->Height());
            int wrong = 0;
            for (int y = 0; y < set.height; ++y) {
                const uint8_t* row = shown->ScanLine(y);
                for (int x = 0; x < set.width; ++x) {
                    const Rgba e = Expected(set, lit, c.enabled, x, y);
                    const uint8_t* p = row + x * 4;
                    if (p[0] != e.b || p[1] != e.g || p[2] != e.r || p[3] != e.a) {
                        if (++wrong <= 3)
                            ADD_FAILURE() << set.bar << " value " << c.value << " at " << x << "," << y
                                          << ": " << int(p[2]) << "," << int(p[1]) << "," << int(p[0])
                                          << "," << int(p[3]) << " instead of " << int(e.r) << ","
                                          << int(e.g) << "," << int(e.b) << "," << int(e.a);
                    }
                }
            }
            EXPECT_EQ(0, wrong) << set.bar << " value " << c.value;
        }
    }
}

TEST_F(PellonBarTest, RendersOnlyOnChangeAndMovesImageAndLabelTogether)
{
    PellonBar bar(&form, 3, 4);
    // A marker in the picture's top row (unlit, so every render clears it) tells whether
    // a reading made the picture again.
    TBitmap* shown = bar.Image()->Picture()->Bitmap();
    auto renders = [&](bool enabled, int value) {
        shown->ScanLine(0)[3] = 77;
        bar.SetReading(enabled, value);
        return shown->ScanLine(0)[3] != 77;
    };
    struct Step {
        bool enabled;
        int value;
        bool renders;
    } steps[] = {{true, 0, false}, {true, 5, true}, {true, 5, false},  {false, 5, true},
                 {false, 5, false}, {true, 7, true}, {true, 7, false}, {false, -3, true}};
    for (const Step& step : steps)
        EXPECT_EQ(step.renders, renders(step.enabled, step.value)) << step.enabled << " " << step.value;
    EXPECT_FALSE(bar.Enabled());
    EXPECT_EQ(-3, bar.Value());

    TLabel* label = bar.Label();
    EXPECT_EQ("03", label->Caption());
    EXPECT_EQ("Arial", label->Font()->Name());
    EXPECT_EQ(0xCDCDCF, label->Font()->Color());
    EXPECT_TRUE(label->Transparent());
    EXPECT_TRUE(bar.Image()->AlphaChannel());
    EXPECT_EQ(TRect(0, 0, 12, 184), bar.Image()->BoundsRect());
    EXPECT_EQ(TPoint(4, 194), TPoint(label->Left(), label->Top()));
    bar.SetLeft(66);
    bar.SetTop(75);
    bar.SetLeft(70);
    EXPECT_EQ(TPoint(70, 75), TPoint(bar.Image()->Left(), bar.Image()->Top()));
    EXPECT_EQ(TPoint(74, 269), TPoint(label->Left(), label->Top()));
    PellonBar twelfth(&form, 12, 2);
    EXPECT_EQ("12", twelfth.Label()->Caption());
    EXPECT_EQ(10, twelfth.Image()->Width());
}

TEST(PellonBarDeathTest, BlendsAndAlphaSetterRequire32BitPixels)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TBitmap wide;
    wide.SetPixelFormat(pf32bit);
    wide.SetSize(2, 2);
    TBitmap narrow;
    narrow.SetPixelFormat(pf24bit);
    narrow.SetSize(2, 2);
    EXPECT_DEATH(BarBlend32Whole(&wide, &narrow, 255),
                 "Assertion failed: src->PixelFormat == pf32bit, file app/control/PellonBar.cpp, line");
    EXPECT_DEATH(BarBlend32Whole(&narrow, &wide, 255),
                 "Assertion failed: dst->PixelFormat == pf32bit, file app/control/PellonBar.cpp, line");
    EXPECT_DEATH(BarFillAlpha(&narrow, 180),
                 "Assertion failed: bitmap->PixelFormat == pf32bit, file app/control/PellonBar.cpp, line");
}

namespace {

// One form with 20 of each skinned control and 20 bars: made, painted, hovered, freed.
void MakePaintHoverAndFree()
{
    TBitmap face;
    face.SetPixelFormat(pf32bit);
    face.SetSize(30, 12);
    TBitmap background;
    background.SetSize(400, 300);
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(50, 50, 400, 300);
    std::vector<std::unique_ptr<PellonBar>> bars;
    std::vector<gs::GsCustomButton*> hoverable;
    for (int i = 0; i < 20; ++i) {
        auto* button = new gs::GsButton(form);
        button->SetParent(form);
        button->SetBounds(i * 19 % 370, 10, 0, 0);
        button->Appearance()->SetRaised(&face);
        button->Appearance()->SetHovered(&face);
        button->SetInputBkgnd(&background);
        button->SetCaption("Ok");
        auto* radio = new gs::GsRadioButton(form);
        radio->SetParent(form);
        radio->SetBounds(i * 19 % 370, 40, 0, 0);
        radio->Appearance()->Unchecked()->SetRaised(&face);
        radio->Appearance()->Checked()->SetHovered(&face);
        radio->SetCaption("Mode");
        radio->SetChecked(i % 2 == 0);
        auto* label = new gs::GsLabel(form);
        label->SetParent(form);
        label->SetBounds(i * 19 % 370, 70, 0, 0);
        label->SetCaption("Glow");
        label->SetEnabled(i % 3 != 0);
        bars.push_back(std::make_unique<PellonBar>(form, i + 1, 4));
        bars.back()->SetLeft(i * 19 % 370);
        bars.back()->SetReading(i % 4 != 0, i - 10);
        hoverable.push_back(button);
        hoverable.push_back(radio);
    }
    form->Show();
    form->Repaint();
    for (gs::GsCustomButton* control : hoverable) {
        control->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
        control->Perform(WM_MOUSELEAVE, 0, 0);
    }
    Application->ProcessMessages();
    bars.clear();
    delete form;
}

}  // namespace

TEST_F(PellonBarTest, AThousandControlsAndBarsLeaveNoObjectBehind)
{
    for (int i = 0; i < 3; ++i)  // classes registered, caches filled
        MakePaintHoverAndFree();
    Application->ProcessMessages();
    const leakprobe::Holdings before = leakprobe::Take();
    for (int i = 0; i < 50; ++i)
        MakePaintHoverAndFree();
    Application->ProcessMessages();
    const leakprobe::Holdings after = leakprobe::Take();
    const std::string held = leakprobe::Describe(before, after);
    std::printf("%s\n", held.c_str());
    EXPECT_GT(before.gdiRoom, 1000) << "the probe must see the table fill up";
    EXPECT_TRUE(leakprobe::Flat(before, after)) << held;
}
