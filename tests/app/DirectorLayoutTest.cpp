#include "app/DirectorLayout.h"

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
