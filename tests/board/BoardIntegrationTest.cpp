// The program's hardware side (src/Oc) on the simulated board: the real
// NRACPI.DLL and the real device, boards chosen and changed with boardctl.
#include <gtest/gtest.h>

#include "platform/boardctl/BoardClient.h"
#include "src/Oc/BiosInterface.h"
#include "src/Oc/PtmLib.h"
#include "tests/board/BoardTestSupport.h"

namespace {

using boardtest::Boardctl;

class BoardIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, Boardctl("profile 8x4")); }

    void TearDown() override
    {
        const std::string profile = boardtest::StartupProfile();
        BoardClient board;
        board.Command(NRV_CMD_PROFILE, 0, 0, profile.empty() ? "8x4" : profile);
    }

    static void Run(const std::vector<std::string>& commands)
    {
        for (const std::string& command : commands)
            ASSERT_EQ(0, Boardctl(command)) << command;
    }

    // The start-up conflict check, as the program makes it.
    static bool TuningUtilityConflict()
    {
        AcpiLibInit();
        if (!BiosItemExists(kItemTuningOwner1) || !BiosItemExists(kItemTuningOwner2))
            return false;
        DWORD first = 0, second = 0;
        return ReadBiosItem(kItemTuningOwner1, &first) && ReadBiosItem(kItemTuningOwner2, &second) &&
               (first & 4) && (second & 4);
    }
};

TEST_F(BoardIntegrationTest, MonitorReadsTheChosenProfile)
{
    struct Case {
        const char* profile;
        bool feature;
        int phases, perSensor;
    } cases[] = {
        {"8x4", true, 8, 4},       {"16x2", true, 16, 2}, {"24x4", true, 24, 4},
        {"8x4,off", false, 8, 4},  {"absent", false, 0, 2},
    };
    for (const Case& c : cases) {
        Run({std::string("profile ") + c.profile});
        PtmLib monitor;
        EXPECT_EQ(c.feature, monitor.IsFeatureEnabled()) << c.profile;
        EXPECT_EQ(c.phases, monitor.PhaseCount()) << c.profile;
        EXPECT_EQ(c.perSensor, monitor.PhasesPerSensor()) << c.profile;
        monitor.Refresh();
        for (int phase = 0; phase < c.phases; ++phase)
            EXPECT_TRUE(monitor.IsPhaseEnabled(phase)) << c.profile << " phase " << phase;
        EXPECT_FALSE(monitor.IsPhaseEnabled(c.phases)) << c.profile;
    }
}

TEST_F(BoardIntegrationTest, RefreshFollowsTemperaturesChangedWithBoardctl)
{
    PtmLib monitor;
    monitor.Refresh();
    // Sensors 0 and 1 at 45 and 47: average 46.
    EXPECT_EQ(-1, monitor.PhaseDeviation(0));
    EXPECT_EQ(-1, monitor.PhaseDeviation(3));
    EXPECT_EQ(1, monitor.PhaseDeviation(4));
    EXPECT_EQ(1, monitor.PhaseDeviation(7));

    Run({"temp 1 55"});
    monitor.Refresh();
    EXPECT_EQ(-5, monitor.PhaseDeviation(0));
    EXPECT_EQ(5, monitor.PhaseDeviation(7));

    // A negative reading travels as sign and magnitude (0x85 is -5): average 25.
    Run({"temp 0 -5"});
    monitor.Refresh();
    EXPECT_EQ(-30, monitor.PhaseDeviation(0));
    EXPECT_EQ(30, monitor.PhaseDeviation(4));
}

TEST_F(BoardIntegrationTest, AllEightSensorsOfA16PhaseBoard)
{
    Run({"profile 16x2", "temp 0 40", "temp 1 41", "temp 2 42", "temp 3 43", "temp 4 44", "temp 5 45",
         "temp 6 46", "temp 7 47"});
    PtmLib monitor;
    monitor.Refresh();
    // Total 348 over 8 sensors: average 43 (truncated).
    for (unsigned phase = 0; phase < 16; ++phase) {
        EXPECT_EQ(static_cast<int>(phase / 2) - 3, monitor.PhaseDeviation(phase)) << phase;
        const PhaseReading reading = monitor.Reading(phase);
        EXPECT_TRUE(reading.enabled && reading.deviation == monitor.PhaseDeviation(phase)) << phase;
    }
    EXPECT_FALSE(monitor.Reading(16).enabled || monitor.Reading(16).deviation);
}

TEST_F(BoardIntegrationTest, MonitorDegradesUnderEachInjectedFailure)
{
    struct Case {
        const char* what;
        std::vector<std::string> commands;
        bool feature;
        int phases, perSensor;
        bool phaseZeroEnabled;
    } cases[] = {
        {"sensor count missing", {"fail item 0x1103001E on"}, false, 0, 2, false},
        {"sensor count unreadable", {"fail read 0x1103001E on"}, false, 0, 4, false},
        {"feature switch unreadable", {"fail read 0x1103001D on"}, false, 8, 4, true},
        {"sensor mask unreadable", {"fail read 0x1103001F on"}, true, 4, 2, false},
        {"group 0x11 unreadable", {"fail group 0x11 on"}, false, 0, 2, false},
        {"group 0x00 unreadable", {"fail group 0x00 on"}, true, 8, 4, true},
    };
    for (const Case& c : cases) {
        Run({"profile 8x4"});
        Run(c.commands);
        PtmLib monitor;
        EXPECT_EQ(c.feature, monitor.IsFeatureEnabled()) << c.what;
        EXPECT_EQ(c.phases, monitor.PhaseCount()) << c.what;
        EXPECT_EQ(c.perSensor, monitor.PhasesPerSensor()) << c.what;
        monitor.Refresh();
        EXPECT_EQ(c.phaseZeroEnabled, monitor.IsPhaseEnabled(0)) << c.what;
    }
}

TEST_F(BoardIntegrationTest, FailedSensorReadsStayOutOfTheAverage)
{
    Run({"profile 16x2", "temp 1 99"});
    PtmLib monitor;
    monitor.Refresh();
    // 45 99 44 48 46 43 49 45: total 419, average 52.
    EXPECT_EQ(45 - 52, monitor.PhaseDeviation(0));

    Run({"fail ec 1 on"});
    monitor.Refresh();
    // Without sensor 1: total 320 over 7, average 45; the failed sensor shows no deviation.
    EXPECT_EQ(0, monitor.PhaseDeviation(0));
    EXPECT_EQ(0, monitor.PhaseDeviation(2));
    EXPECT_EQ(3, monitor.PhaseDeviation(6));

    Run({"fail ec on"});
    monitor.Refresh();
    for (unsigned phase = 0; phase < 16; ++phase) {
        EXPECT_EQ(0, monitor.PhaseDeviation(phase)) << phase;
        EXPECT_TRUE(monitor.IsPhaseEnabled(phase)) << phase;
    }
}

TEST_F(BoardIntegrationTest, UnreadableMaskKeepsThePreviousMask)
{
    PtmLib monitor;
    monitor.Refresh();
    ASSERT_TRUE(monitor.IsPhaseEnabled(4));

    Run({"item 0x1103001F 0x02", "fail read 0x1103001F on"});
    monitor.Refresh();
    EXPECT_TRUE(monitor.IsPhaseEnabled(4));

    // Readable again: sensor 1's nibble is 0, so its phases go dark.
    Run({"fail read 0x1103001F off"});
    monitor.Refresh();
    EXPECT_TRUE(monitor.IsPhaseEnabled(0));
    EXPECT_FALSE(monitor.IsPhaseEnabled(4));
}

TEST_F(BoardIntegrationTest, ConflictCheckSeesTheTuningUtilityOnlyWhenBothItemsSayIt)
{
    struct Case {
        std::vector<std::string> commands;
        bool conflict;
    } cases[] = {
        {{"profile 8x4"}, false},
        {{"profile conflict"}, true},
        {{"profile conflict", "fail item 0x00060009 on"}, false},
        {{"profile conflict", "fail read 0x00060008 on"}, false},
        {{"profile conflict", "fail group 0x00 on"}, false},
        {{"profile conflict", "item 0x00060008 0x03"}, false},
    };
    for (const Case& c : cases) {
        Run(c.commands);
        EXPECT_EQ(c.conflict, TuningUtilityConflict()) << c.commands.back();
    }
}

TEST_F(BoardIntegrationTest, ModeWritesReachTheBoardWithTheConstant2)
{
    AcpiLibInit();
    WriteBiosItem(kItemPowerMode, 0);
    DWORD mode = 1;
    ASSERT_TRUE(ReadBiosItem(kItemPowerMode, &mode));
    EXPECT_EQ(0u, mode);
    BoardClient board;
    NrvBoardState state{};
    ASSERT_TRUE(board.Query(&state));
    for (uint32_t i = 0; i < state.itemCount; ++i)
        if (state.items[i].id == kItemPowerMode) {
            EXPECT_EQ(1u, state.items[i].writes);
            EXPECT_EQ(2u, state.items[i].lastMode);
        }
}

} // namespace
