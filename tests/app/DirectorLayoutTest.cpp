#include "app/ArtScale.h"
#include "app/DirectorLayout.h"
#include "app/PngReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

std::vector<int> Slots(std::initializer_list<int> list)
{
    return std::vector<int>(list);
}

}  // namespace

// Every board the BIOS can describe (1 to 8 sensors, 2 to 30 phases per sensor, even):
// each bar shows exactly one phase.
TEST(PhaseSlotsTest, EveryBoardGivesEachBarExactlyOnePhase)
{
    for (int sensors = 1; sensors <= 8; ++sensors) {
        for (int perSensor = 2; perSensor <= 30; perSensor += 2) {
            const int phases = sensors * perSensor;
            std::vector<int> slots = PhaseSlots(phases, perSensor);
            ASSERT_EQ(slots.size(), static_cast<size_t>(phases)) << sensors << "x" << perSensor;
            std::sort(slots.begin(), slots.end());
            std::vector<int> all(static_cast<size_t>(phases));
            std::iota(all.begin(), all.end(), 0);
            EXPECT_EQ(slots, all) << sensors << " sensors, " << perSensor << " per sensor";
        }
    }
}

TEST(PhaseSlotsTest, FiveToEightSensorsInterleaveSensorsZeroAndFour)
{
    EXPECT_EQ(PhaseSlots(16, 2), Slots({0, 2, 4, 7, 6, 9, 8, 11, 1, 3, 10, 13, 12, 15, 14, 5}));
    EXPECT_EQ(PhaseSlots(10, 2), Slots({0, 2, 4, 7, 6, 9, 8, 5, 1, 3}));
    const std::vector<int> large = PhaseSlots(24, 4);  // six sensors
    EXPECT_EQ(large[0], 0);
    EXPECT_EQ(large[1], 2);
    EXPECT_EQ(large[16], 1);
    EXPECT_EQ(large[19], 7);
}

TEST(PhaseSlotsTest, FewerSensorsShowThePhasesInOrder)
{
    EXPECT_EQ(PhaseSlots(8, 4), Slots({0, 1, 2, 3, 4, 5, 6, 7}));  // the default board
    EXPECT_EQ(PhaseSlots(8, 2), Slots({0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(PhaseSlots(2, 2), Slots({0, 1}));
    EXPECT_TRUE(PhaseSlots(0, 2).empty());
    EXPECT_TRUE(PhaseSlots(0, 0).empty());
    EXPECT_EQ(PhaseSlots(3, 0), Slots({0, 1, 2}));
}

TEST(LayoutTest, PhaseCountAndPhasesPerSensorChooseTheLayout)
{
    struct Case {
        int phases, perSensor;
        WindowLayout layout;
        int width, closeLeft, lastBar;
        const char* shadow;
    };
    const Case cases[] = {
        {8, 4, WindowLayout::Small, 415, 365, 299, "tbg_02_shadow.png"},
        {8, 2, WindowLayout::Small, 415, 365, 299, "tbg_02_shadow.png"},
        {0, 0, WindowLayout::Small, 415, 365, 299, "tbg_02_shadow.png"},
        {12, 2, WindowLayout::Medium, 680, 628, 565, "tbg_01_shadow.png"},
        {16, 2, WindowLayout::Medium, 680, 628, 565, "tbg_01_shadow.png"},
        {12, 4, WindowLayout::Large, 800, 748, 685, "tbg_00_shadow.png"},
        {240, 30, WindowLayout::Large, 800, 748, 685, "tbg_00_shadow.png"},
    };
    for (const Case& c : cases) {
        const WindowLayout layout = ClassifyLayout(c.phases, c.perSensor);
        EXPECT_EQ(layout, c.layout) << c.phases << "x" << c.perSensor;
        const LayoutGeometry& geometry = LayoutOf(layout);
        EXPECT_EQ(geometry.width, c.width);
        EXPECT_EQ(geometry.closeButton, TPoint(c.closeLeft, 15));
        EXPECT_EQ(geometry.lastBarLeft, c.lastBar);
        EXPECT_STREQ(geometry.shadow, c.shadow);
    }
    const LayoutGeometry& large = LayoutOf(WindowLayout::Large);
    EXPECT_EQ(large.performanceRadio, TPoint(277, 46));
    EXPECT_EQ(large.savingRadio, TPoint(520, 46));
    EXPECT_EQ(large.performanceLabel, TPoint(301, 47));
    EXPECT_EQ(large.savingLabel, TPoint(546, 47));
    const LayoutGeometry& medium = LayoutOf(WindowLayout::Medium);
    EXPECT_EQ(medium.performanceRadio, TPoint(157, 46));
    EXPECT_EQ(medium.savingLabel, TPoint(426, 47));
    EXPECT_EQ(medium.phaseImage, TPoint(607, 250));
    const LayoutGeometry& small = LayoutOf(WindowLayout::Small);
    EXPECT_EQ(small.savingRadio, TPoint(135, 46));
    EXPECT_EQ(small.savingLabel, TPoint(161, 47));
    EXPECT_STREQ(small.firstLine, "line01_s.png");
    EXPECT_STREQ(small.bigFigure, "big_figure02.png");
}

TEST(LayoutTest, BarsSpreadEvenlyFromTheFirstToTheLastLeft)
{
    EXPECT_EQ(BarLeft(0, 8, 299), 66);
    EXPECT_EQ(BarLeft(3, 8, 299), 165);  // 233 * 3 / 7 = 99.86, truncated
    EXPECT_EQ(BarLeft(7, 8, 299), 299);
    EXPECT_EQ(BarLeft(5, 16, 565), 232);
    EXPECT_EQ(BarLeft(23, 24, 685), 685);
    EXPECT_EQ(BarLeft(0, 1, 685), 66);  // no division by zero for a single bar
}

TEST(LayoutTest, SmallWindowPutsThePerformanceChoiceAboveTheSavingChoice)
{
    const LayoutGeometry& small = LayoutOf(WindowLayout::Small);
    EXPECT_EQ(small.performanceRadio, TPoint(135, 22));
    EXPECT_EQ(small.performanceLabel, TPoint(161, 23));
    // A 16-pixel radio button and its label stay clear of the saving choice's row.
    EXPECT_LE(small.performanceRadio.Y + 16, small.savingRadio.Y);
}

TEST(LayoutTest, ModeColoursAndLanguageAdjustments)
{
    EXPECT_TRUE(IsPerformanceMode(1));
    EXPECT_FALSE(IsPerformanceMode(0));
    EXPECT_FALSE(IsPerformanceMode(7));
    EXPECT_EQ(ModeLabelColorsFor(true).font, 16777079);
    EXPECT_EQ(ModeLabelColorsFor(true).glow, 12148775);
    EXPECT_EQ(ModeLabelColorsFor(false).font, 6052915);
    EXPECT_EQ(ModeLabelColorsFor(false).glow, 4013350);

    const LanguageAdjustment japanese = LanguageAdjustmentFor("Japanese");
    EXPECT_TRUE(japanese.shiftJis);
    EXPECT_EQ(japanese.labelFontHeight, -12);
    EXPECT_EQ(japanese.phaseTitleRightGap, 20);
    for (const char* chinese : {"SChinese", "TChinese"}) {
        const LanguageAdjustment a = LanguageAdjustmentFor(chinese);
        EXPECT_FALSE(a.shiftJis);
        EXPECT_EQ(a.phaseTitleFontHeight, -10);
        EXPECT_EQ(a.phaseTitleTop, 282);
        EXPECT_EQ(a.phaseTitleRightGap, 14);
    }
    for (const char* other : {"English", "German", "japanese", ""}) {
        const LanguageAdjustment a = LanguageAdjustmentFor(other);
        EXPECT_FALSE(a.shiftJis) << other;
        EXPECT_EQ(a.labelFontHeight, 0);
        EXPECT_EQ(a.phaseTitleTop, -1);
        EXPECT_EQ(a.phaseTitleRightGap, 28);
    }
}

TEST(ArtScaleTest, PixelsPerInchChooseTheArtworkAndFiguresScaleHalvesAwayFromZero)
{
    struct Choice {
        int dpi;
        int percent;
    } choices[] = {{0, 100},   {72, 100},  {96, 100},  {97, 125},  {120, 125}, {121, 150},
                   {144, 150}, {145, 200}, {168, 200}, {192, 200}, {193, 100}, {288, 100}};
    for (const Choice& c : choices)
        EXPECT_EQ(c.percent, ArtScale::ForDpi(c.dpi).Percent()) << c.dpi;

    struct Figure {
        int percent;
        int value;
        int scaled;
    } figures[] = {{100, 415, 415}, {100, -11, -11}, {125, 415, 519}, {125, 22, 28},
                   {125, -11, -14}, {125, 11, 14},   {150, 347, 521}, {150, -11, -17},
                   {150, 57, 86},   {200, -12, -24}, {200, 0, 0}};
    for (const Figure& f : figures)
        EXPECT_EQ(f.scaled, ArtScale(f.percent)(f.value)) << f.value << " at " << f.percent;
    // Edges scale, so boxes that meet still meet: 146 + 62 at 125 % is 183 to 260.
    const TRect value = ArtScale(125)(TRect(146, 295, 208, 308));
    EXPECT_EQ(TRect(183, 369, 260, 385), value);
    EXPECT_EQ(ResourceFolder(), ArtScale(100).Folder());
    EXPECT_EQ(ResourceFolder() + "150\\", ArtScale(150).Folder());
}
