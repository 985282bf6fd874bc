#include "tools/demo/DemoLayout.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

constexpr int kLeft = 40;
constexpr int kRight = 680;

TEST(DemoLayout, BarsOfEveryBoardFitTheChartWithoutOverlapping)
{
    struct Case {
        int phases;
        int slot;
        int bar;
    };
    const Case cases[] = {{8, 80, 28}, {16, 40, 24}, {24, 26, 15}, {240, 2, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phases);
        const PhaseBarLayout layout = LayoutPhaseBars(c.phases, kLeft, kRight);
        EXPECT_EQ(c.slot, layout.slotWidth);
        EXPECT_EQ(c.bar, layout.barWidth);
        EXPECT_GE(PhaseBarLeft(layout, 0), kLeft);
        EXPECT_LE(PhaseBarLeft(layout, c.phases - 1) + layout.barWidth, kRight);
        for (int i = 1; i < c.phases; ++i)
            EXPECT_GT(PhaseBarLeft(layout, i), PhaseBarLeft(layout, i - 1) + layout.barWidth - 1);
        // The set sits centred: the room left over is split between both sides.
        const int leftGap = layout.firstSlot - kLeft;
        const int rightGap = kRight - (layout.firstSlot + c.phases * layout.slotWidth);
        EXPECT_LE(rightGap - leftGap, 1);
        EXPECT_GE(rightGap - leftGap, 0);
    }
}

TEST(DemoLayout, NoBarsWhenThereIsNothingToDrawOrNoRoom)
{
    for (int phases : {0, -3, kRight - kLeft + 1}) {
        SCOPED_TRACE(phases);
        const PhaseBarLayout layout = LayoutPhaseBars(phases, kLeft, kRight);
        EXPECT_EQ(0, layout.slotWidth);
        EXPECT_EQ(0, layout.barWidth);
    }
}

TEST(DemoLayout, DeviationMovesTheBarTopByWholeDegreesAndClampsToTheTrack)
{
    // A 180-pixel track: zero in the middle at 222, 9 pixels per degree.
    const int top = 132;
    const int bottom = 312;
    struct Case {
        int deviation;
        int barTop;
    };
    const Case cases[] = {
        {0, 222},   {1, 213},   {-1, 231},   {3, 195},      {-7, 285},
        {10, 132},  {11, 132},  {INT_MAX, 132},
        {-10, 308}, {-11, 308}, {INT_MIN, 308},  // never shorter than the shortest bar
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.deviation);
        EXPECT_EQ(c.barTop, DeviationTop(c.deviation, top, bottom));
    }
    EXPECT_EQ(222, ZeroLevel(top, bottom));
}

}  // namespace
