#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/acpilib/NrAcpiList.h"

namespace {

using namespace nracpi;

TEST(NrAcpiListTest, EntriesAreWalkedInOrderAndTheLastHasNoNext)
{
    alignas(4) unsigned char buffer[4096];
    ListWriter list(buffer, sizeof(buffer));
    for (uint32_t id : {0x11030001u, 0x1103001Cu, 0x1103001Fu}) {
        const GroupEntry entry{id, 0x11, 0};
        ASSERT_TRUE(list.Append(&entry, sizeof(entry)));
    }
    EXPECT_EQ(3u, Count(buffer));
    EXPECT_EQ(sizeof(ListHeader) + 3 * (sizeof(ListNode) + sizeof(GroupEntry)), list.Used());
    std::vector<uint32_t> ids;
    for (ListNode* node = First(buffer); node; node = Next(node))
        ids.push_back(static_cast<GroupEntry*>(Data(node))->id);
    EXPECT_EQ((std::vector<uint32_t>{0x11030001u, 0x1103001Cu, 0x1103001Fu}), ids);
}

TEST(NrAcpiListTest, EmptyOrForeignBuffersHaveNoEntries)
{
    alignas(4) unsigned char buffer[64];
    ListWriter list(buffer, sizeof(buffer));
    EXPECT_EQ(0u, Count(buffer));
    EXPECT_EQ(nullptr, First(buffer));
    std::memset(buffer, 0xAB, sizeof(buffer));
    EXPECT_EQ(0u, Count(buffer));
    EXPECT_EQ(nullptr, First(buffer));
    EXPECT_EQ(nullptr, First(nullptr));
    EXPECT_EQ(nullptr, Next(nullptr));
    EXPECT_EQ(nullptr, Data(nullptr));
}

TEST(NrAcpiListTest, AppendStopsAtTheCapacityWithoutWritingBeyondIt)
{
    const uint32_t capacity = sizeof(ListHeader) + 2 * (sizeof(ListNode) + 12);
    alignas(4) unsigned char buffer[256];
    std::memset(buffer, 0xEE, sizeof(buffer));
    ListWriter list(buffer, capacity);
    const GroupEntry entry{1, 0, 0};
    EXPECT_TRUE(list.Append(&entry, sizeof(entry)));
    EXPECT_TRUE(list.Append(&entry, sizeof(entry)));
    EXPECT_FALSE(list.Append(&entry, sizeof(entry)));
    EXPECT_FALSE(list.Append(&entry, 0xFFFFFFF0u));
    EXPECT_EQ(2u, Count(buffer));
    for (uint32_t i = capacity; i < sizeof(buffer); ++i)
        ASSERT_EQ(0xEE, buffer[i]) << i;

    ListWriter tooSmall(buffer, sizeof(ListHeader) - 1);
    EXPECT_FALSE(tooSmall.IsValid());
    EXPECT_FALSE(tooSmall.Append(&entry, sizeof(entry)));
}

} // namespace
