#include "src/Oc/BiosInterface.h"

#include "tests/oc/OcFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class BiosInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override { fake::ResetLibrary(); }
};

TEST_F(BiosInterfaceTest, WalkOfAMissingItemVisitsEveryEntryAndNeverStepsPastTheLast)
{
    fake::AddGroup(0x11, {0x1103001C, 0x1103001D});

    EXPECT_FALSE(BiosItemExists(0x11000099));

    EXPECT_THAT(fake::Calls(),
                ElementsAre("GetGroupInfo 0x11 4096", "ListCount", "ListFirst group",
                            "ListEntryData entry 0x1103001C", "GetItemInfo 0x1103001C 4096",
                            "ListFirst record", "ListEntryData record 0x1103001C",
                            "ListNext 0x1103001C",
                            "ListEntryData entry 0x1103001D", "GetItemInfo 0x1103001D 4096",
                            "ListFirst record", "ListEntryData record 0x1103001D"));
}

TEST_F(BiosInterfaceTest, ItemOfAGroupThatCannotBeReadIsMissingWithoutAnyItemLookUp)
{
    fake::AddGroup(0x11, {0x1103001C});

    EXPECT_FALSE(BiosItemExists(0x00060008));

    EXPECT_THAT(fake::Calls(), ElementsAre("GetGroupInfo 0x00 4096"));
}

TEST_F(BiosInterfaceTest, ItemListedTwiceIsFoundAtItsFirstOccurrence)
{
    fake::AddGroup(0x11, {0x1103001C, 0x1103001F, 0x1103001F, 0x1103001E});

    EXPECT_TRUE(BiosItemExists(0x1103001F));

    EXPECT_THAT(fake::CallsStartingWith({"GetItemInfo", "ListNext"}),
                ElementsAre("GetItemInfo 0x1103001C 4096", "ListNext 0x1103001C",
                            "GetItemInfo 0x1103001F 4096"));
}

TEST_F(BiosInterfaceTest, EntryWhoseDescriptionCannotBeReadIsSkipped)
{
    fake::AddGroup(0x00, {0x00060008, 0x00060009});
    fake::SetDescriptionUnreadable(0x00, 0);

    EXPECT_FALSE(BiosItemExists(0x00060008));
    EXPECT_TRUE(BiosItemExists(0x00060009));
}

TEST_F(BiosInterfaceTest, EmptyGroupHasNoItems)
{
    fake::AddGroup(0x11, {});

    EXPECT_FALSE(BiosItemExists(0x1103001C));
    EXPECT_THAT(fake::CallsStartingWith({"GetItemInfo", "ListNext", "ListEntryData"}), IsEmpty());
}

TEST_F(BiosInterfaceTest, NextOnADoneTraverserChangesNothing)
{
    fake::AddGroup(0x11, {0x1103001C});
    GroupInfoTraverser traverser(0x11);
    ASSERT_TRUE(traverser.IsOpen());
    ASSERT_FALSE(traverser.IsDone());

    traverser.Next();
    traverser.Next();

    EXPECT_TRUE(traverser.IsDone());
    EXPECT_THAT(fake::CallsStartingWith({"ListNext"}), IsEmpty());
}

TEST_F(BiosInterfaceTest, TraverserOfAnUnreadableGroupIsOpenButDone)
{
    GroupInfoTraverser traverser(0x11);

    EXPECT_TRUE(traverser.IsOpen());
    EXPECT_TRUE(traverser.IsDone());
}

TEST_F(BiosInterfaceTest, ClosedTraverserIsDoneAndCanBeOpenedAgain)
{
    fake::AddGroup(0x11, {0x1103001C, 0x1103001D});
    GroupInfoTraverser traverser(0x11);

    traverser.Close();
    EXPECT_FALSE(traverser.IsOpen());
    EXPECT_TRUE(traverser.IsDone());

    EXPECT_TRUE(traverser.Open(0x11));
    EXPECT_FALSE(traverser.IsDone());
}

TEST(BiosInterfaceDeathTest, OpeningAnOpenTraverserNamesTheFailedPrecondition)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    fake::ResetLibrary();
    GroupInfoTraverser traverser(0x11);
    EXPECT_DEATH(traverser.Open(0x11),
                 "Assertion failed: !IsOpen\\(\\), file src/Oc/BiosInterface.cpp, line 98");
}

TEST_F(BiosInterfaceTest, ReadStoresTheValueOnlyWhenBitZeroOfTheAnswerIsSet)
{
    struct Case {
        DWORD answer;
        bool read;
    };
    for (const Case c : {Case{1, true}, Case{3, true}, Case{0xFFFFFFFF, true}, Case{0, false},
                         Case{2, false}, Case{0xFFFFFFFE, false}}) {
        SCOPED_TRACE(c.answer);
        fake::SetItem(0x1103001D, 7, c.answer);
        DWORD value = 42;
        EXPECT_EQ(c.read, ReadBiosItem(0x1103001D, &value));
        EXPECT_EQ(c.read ? 7u : 42u, value);
    }
}

TEST_F(BiosInterfaceTest, ReadOfAnUnknownItemLeavesTheValueAlone)
{
    DWORD value = 42;
    EXPECT_FALSE(ReadBiosItem(0x00060009, &value));
    EXPECT_EQ(42u, value);
}

TEST_F(BiosInterfaceTest, WritePassesItemValueAndModeTwoAndReturnsTheAnswer)
{
    fake::Library().writeResult = 5;

    EXPECT_EQ(5u, WriteBiosItem(0x1103001C, 1));
    EXPECT_EQ(5u, WriteBiosItem(0x1103001C, 0));

    EXPECT_THAT(fake::Calls(),
                ElementsAre("SetBiosItemValue 0x1103001C 1 2", "SetBiosItemValue 0x1103001C 0 2"));
}

}  // namespace
