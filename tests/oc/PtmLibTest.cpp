#include "src/Oc/PtmLib.h"

#include "tests/oc/OcFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

class PtmLibTest : public ::testing::Test {
protected:
    void SetUp() override { fake::ResetLibrary(); }

    // Register bytes of sensors 0 to 7; a sensor beyond the list cannot be read.
    void SetRegisters(const std::vector<DWORD>& raw)
    {
        device->registers.clear();
        for (std::size_t i = 0; i < raw.size(); ++i)
            device->registers[17 + static_cast<DWORD>(i)] = raw[i];
    }

    // The deviations of the phases, and 99 where a phase is disabled.
    static std::vector<int> Phases(const PtmLib& ptm)
    {
        std::vector<int> phases;
        for (unsigned p = 0; p < static_cast<unsigned>(ptm.PhaseCount()); ++p)
            phases.push_back(ptm.IsPhaseEnabled(p) ? ptm.PhaseDeviation(p) : 99);
        return phases;
    }

    fake::ScopedDevice device;
    fake::DebugOutput trace;
};

TEST_F(PtmLibTest, ConstructionOpensTheDeviceThenTheLibraryThenReadsTheFeatureItems)
{
    fake::SetUpFeatureItems(1, 2, 0x22);

    PtmLib ptm;

    EXPECT_THAT(fake::CallsStartingWith({"CreateFileA", "DeviceIoControl", "AcpiLibInit",
                                         "GetGroupInfo", "GetBiosItemValue"}),
                ElementsAre("CreateFileA \\\\.\\NRVACPI", "DeviceIoControl 0x0022240C in 0 out 4",
                            "AcpiLibInit", "GetGroupInfo 0x11 4096", "GetGroupInfo 0x11 4096",
                            "GetGroupInfo 0x11 4096", "GetBiosItemValue 0x1103001D",
                            "GetBiosItemValue 0x1103001F", "GetBiosItemValue 0x1103001E"));
    // The existence checks ask for 0x1103001F, 0x1103001D, 0x1103001E in that order.
    EXPECT_THAT(fake::CallsStartingWith({"ListEntryData record"}),
                ElementsAre("ListEntryData record 0x1103001C", "ListEntryData record 0x1103001D",
                            "ListEntryData record 0x1103001E", "ListEntryData record 0x1103001F",
                            "ListEntryData record 0x1103001C", "ListEntryData record 0x1103001D",
                            "ListEntryData record 0x1103001C", "ListEntryData record 0x1103001D",
                            "ListEntryData record 0x1103001E"));
}

TEST_F(PtmLibTest, MissingFeatureItemStopsConstructionWithTheDefaults)
{
    struct Case {
        DWORD missing;
        int walks;
    };
    for (const Case c : {Case{0x1103001F, 1}, Case{0x1103001D, 2}, Case{0x1103001E, 3}}) {
        SCOPED_TRACE(c.missing);
        fake::ResetLibrary();
        fake::SetUpFeatureItems(1, 2, 0x22);
        fake::Unlist(0x11, c.missing);  // its value stays readable: only the list decides

        PtmLib ptm;

        EXPECT_FALSE(ptm.IsFeatureEnabled());
        EXPECT_EQ(0, ptm.PhaseCount());
        EXPECT_EQ(2, ptm.PhasesPerSensor());
        EXPECT_EQ(c.walks, static_cast<int>(fake::CallsStartingWith({"GetGroupInfo"}).size()));
        EXPECT_THAT(fake::CallsStartingWith({"GetBiosItemValue"}), IsEmpty());

        ptm.Refresh();
        EXPECT_FALSE(ptm.IsPhaseEnabled(0));
        EXPECT_EQ(0, ptm.PhaseDeviation(0));
    }
}

TEST_F(PtmLibTest, FeatureIsEnabledOnlyByExactlyOneAndAReadableSensorCount)
{
    struct Case {
        DWORD feature;
        bool featureReadable;
        bool countReadable;
        bool enabled;
        int phases;
    };
    for (const Case c : {Case{1, true, true, true, 8}, Case{0, true, true, false, 8},
                         Case{3, true, true, false, 8}, Case{1, false, true, false, 8},
                         Case{1, true, false, false, 0}}) {
        SCOPED_TRACE(testing::Message() << c.feature << c.featureReadable << c.countReadable);
        fake::ResetLibrary();
        fake::SetUpFeatureItems(c.feature, 4, 0x1111);
        if (!c.featureReadable)
            fake::SetItemUnreadable(0x1103001D);
        if (!c.countReadable)
            fake::SetItemUnreadable(0x1103001E);

        PtmLib ptm;

        EXPECT_EQ(c.enabled, ptm.IsFeatureEnabled());
        EXPECT_EQ(c.phases, ptm.PhaseCount());
    }
}

TEST_F(PtmLibTest, PhasesPerSensorIsTwiceTheLowNibbleAndTwoWhenTheMaskIsUnreadable)
{
    struct Case {
        DWORD mask;
        bool readable;
        int perSensor;
        int phases;  // with 3 sensors
    };
    for (const Case c : {Case{0x22, true, 4, 12}, Case{0x1, true, 2, 6}, Case{0xFFFFFFF3, true, 6, 18},
                         Case{0x22, false, 2, 6}, Case{0x20, true, 0, 0}}) {
        SCOPED_TRACE(c.mask);
        fake::ResetLibrary();
        fake::SetUpFeatureItems(1, 3, c.mask);
        if (!c.readable)
            fake::SetItemUnreadable(0x1103001F);

        PtmLib ptm;

        EXPECT_EQ(c.perSensor, ptm.PhasesPerSensor());
        EXPECT_EQ(c.phases, ptm.PhaseCount());
    }
}

TEST_F(PtmLibTest, TwoSensorsOfFourPhasesMapPhasesToTheirSensors)
{
    fake::SetUpFeatureItems(1, 2, 0x00000022);
    SetRegisters({40, 44, 50, 50, 50, 50, 50, 50});
    PtmLib ptm;
    ASSERT_EQ(4, ptm.PhasesPerSensor());
    ASSERT_EQ(8, ptm.PhaseCount());

    ptm.Refresh();

    // Average of the enabled sensors 0 and 1 only: 42.
    EXPECT_THAT(Phases(ptm), ElementsAre(-2, -2, -2, -2, 2, 2, 2, 2));
    EXPECT_FALSE(ptm.IsPhaseEnabled(8));
    EXPECT_EQ(0, ptm.PhaseDeviation(8));
    EXPECT_EQ(0, ptm.PhaseDeviation(0xFFFFFFFF));
}

TEST_F(PtmLibTest, RegisterByteIsSignAndMagnitude)
{
    fake::SetUpFeatureItems(1, 8, 0x11111111);
    SetRegisters({0, 127, 128, 133, 255, 1, 129, 200});
    PtmLib ptm;
    fake::SetItem(0x1103001F, 0);  // no sensor enabled: values are the temperatures

    ptm.Refresh();

    std::vector<int> sensors;
    for (unsigned s = 0; s < 8; ++s)
        sensors.push_back(ptm.PhaseDeviation(s * 2));
    EXPECT_THAT(sensors, ElementsAre(0, 127, 0, -5, -127, 1, -1, -72));
}

TEST_F(PtmLibTest, DeviationsAreFromTheTruncatedAverageOfTheEnabledSensors)
{
    struct Case {
        DWORD mask;
        std::vector<DWORD> raw;
        std::vector<int> values;  // every sensor's value, enabled or not
        const char* totals;
    };
    const Case cases[] = {
        {0x00000111, {40, 41, 43, 50, 30, 0, 0, 0}, {-1, 0, 2, 9, -11, -41, -41, -41},
         "~~~Pellon Total:124 Count:3 Avg:41\r\n"},
        {0x00000011, {131, 132, 10, 0, 0, 0, 0, 0}, {0, -1, 13, 3, 3, 3, 3, 3},
         "~~~Pellon Total:-7 Count:2 Avg:-3\r\n"},
        {0x00000000, {40, 41, 43, 0, 0, 0, 0, 0}, {40, 41, 43, 0, 0, 0, 0, 0},
         "~~~Pellon Total:0 Count:0 Avg:0\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.totals);
        fake::ResetLibrary();
        fake::SetUpFeatureItems(1, 8, 0x11111111);
        SetRegisters(c.raw);
        PtmLib ptm;
        fake::SetItem(0x1103001F, c.mask);

        ptm.Refresh();

        std::vector<int> values;
        for (unsigned s = 0; s < 8; ++s)
            values.push_back(ptm.PhaseDeviation(s * 2));
        EXPECT_THAT(values, ElementsAreArray(c.values));
        EXPECT_EQ(c.totals, trace.Lines().back());
        // The temperatures are kept as read, and so is the average, when there is one.
        int average = 99;
        EXPECT_EQ(c.mask != 0, ptm.Average(&average));
        for (unsigned s = 0; s < 8; ++s) {
            EXPECT_TRUE(ptm.Reading(s * 2).read);
            EXPECT_EQ(c.values[s] + average, ptm.Reading(s * 2).temperature) << s;
        }
    }
}

TEST_F(PtmLibTest, RefreshReadsTheEightRegistersInOrderAndTracesEachReading)
{
    fake::SetUpFeatureItems(1, 8, 0x11111111);
    SetRegisters({40, 41, 42, 43, 44, 45, 46, 133});
    PtmLib ptm;

    ptm.Refresh();

    EXPECT_THAT(fake::CallsStartingWith({"RBEC"}),
                ElementsAre("RBEC 182 17", "RBEC 182 18", "RBEC 182 19", "RBEC 182 20",
                            "RBEC 182 21", "RBEC 182 22", "RBEC 182 23", "RBEC 182 24"));
    EXPECT_THAT(trace.Lines(),
                ElementsAre("~~~Pellon Temp:40\r\n", "~~~Pellon Temp:41\r\n",
                            "~~~Pellon Temp:42\r\n", "~~~Pellon Temp:43\r\n",
                            "~~~Pellon Temp:44\r\n", "~~~Pellon Temp:45\r\n",
                            "~~~Pellon Temp:46\r\n", "~~~Pellon Temp:133\r\n",
                            "~~~Pellon Total:296 Count:8 Avg:37\r\n"));
}

TEST_F(PtmLibTest, SensorThatCannotBeReadStaysOutOfTheAverageAndShowsNoDeviation)
{
    fake::SetUpFeatureItems(1, 3, 0x111);
    SetRegisters({40, 99, 43});
    PtmLib ptm;
    ptm.Refresh();
    device->registers.erase(18);  // sensor 1 now fails
    device->registers[19] = 0x100;  // sensor 2 answers with more than a byte

    ptm.Refresh();

    EXPECT_THAT(Phases(ptm), ElementsAre(0, 0, 0, 0, 0, 0));
    EXPECT_EQ("~~~Pellon Total:40 Count:1 Avg:40\r\n", trace.Lines().back());
    EXPECT_TRUE(ptm.Reading(0).read);
    EXPECT_EQ(40, ptm.Reading(0).temperature);
    EXPECT_FALSE(ptm.Reading(2).read);
    EXPECT_FALSE(ptm.Reading(4).read);

    device->registers.erase(17);  // no enabled sensor reads: no average to show
    ptm.Refresh();
    int average = 0;
    EXPECT_FALSE(ptm.Average(&average));
}

TEST_F(PtmLibTest, UnreadableMaskKeepsThePreviousMask)
{
    fake::SetUpFeatureItems(1, 3, 0x011);
    SetRegisters({40, 42, 50});
    PtmLib ptm;
    ptm.Refresh();
    ASSERT_THAT(Phases(ptm), ElementsAre(-1, -1, 1, 1, 99, 99));

    fake::SetItemUnreadable(0x1103001F);
    ptm.Refresh();

    EXPECT_THAT(Phases(ptm), ElementsAre(-1, -1, 1, 1, 99, 99));
}

TEST_F(PtmLibTest, NibblesBeyondTheSensorCountEnableNothing)
{
    fake::SetUpFeatureItems(1, 2, 0x11111111);
    SetRegisters({40, 42, 10, 10, 10, 10, 10, 10});
    PtmLib ptm;

    ptm.Refresh();

    EXPECT_THAT(Phases(ptm), ElementsAre(-1, -1, 1, 1));
}

TEST_F(PtmLibTest, ZeroPhasesPerSensorGivesNoPhasesAndRefreshesSafely)
{
    fake::SetUpFeatureItems(1, 4, 0x11111110);
    SetRegisters({40, 42, 44, 46, 0, 0, 0, 0});
    PtmLib ptm;
    ASSERT_EQ(0, ptm.PhasesPerSensor());

    ptm.Refresh();

    EXPECT_EQ(0, ptm.PhaseCount());
    EXPECT_FALSE(ptm.IsPhaseEnabled(0));
    EXPECT_EQ(0, ptm.PhaseDeviation(0));
    EXPECT_EQ("~~~Pellon Total:0 Count:0 Avg:0\r\n", trace.Lines().back());
}

TEST_F(PtmLibTest, SensorCountBeyondEightIsLimitedToTheEightRegisters)
{
    for (const DWORD count : {9u, 12u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(count);
        fake::ResetLibrary();
        fake::SetUpFeatureItems(1, count, 0x11111111);
        SetRegisters({30, 30, 30, 30, 30, 30, 30, 38});
        PtmLib ptm;
        ASSERT_EQ(16, ptm.PhaseCount());

        ptm.Refresh();

        EXPECT_TRUE(ptm.IsPhaseEnabled(15));
        EXPECT_EQ(7, ptm.PhaseDeviation(15));
        EXPECT_FALSE(ptm.IsPhaseEnabled(16));
        EXPECT_EQ(0, ptm.PhaseDeviation(16));
    }
}

TEST_F(PtmLibTest, InstanceIsBuiltOnceAndShared)
{
    fake::SetUpFeatureItems(1, 2, 0x22);

    PtmLib& first = PtmLib::Instance();
    PtmLib& second = PtmLib::Instance();

    EXPECT_EQ(&first, &second);
    EXPECT_EQ(8, first.PhaseCount());
    EXPECT_THAT(fake::CallsStartingWith({"AcpiLibInit"}), ElementsAre("AcpiLibInit"));
}

}  // namespace
