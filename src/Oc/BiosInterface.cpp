#include "src/Oc/BiosInterface.h"

#include "framework/Assert.h"

#include <cstring>

namespace {

// The mode the library expects with every item write.
constexpr DWORD kWriteMode = 2;

// The item id at the head of a description that GetItemInfo filled; false when the
// library hands back no record.
bool DescribedItemId(void* description, DWORD* itemId)
{
    const void* record = ListEntryData(ListFirst(description));
    if (record == nullptr)
        return false;
    std::memcpy(itemId, record, sizeof *itemId);
    return true;
}

}  // namespace

// Nothing is cached: the items are asked for a few times per run, and the list
// reflects the BIOS as it is now.
bool BiosItemExists(DWORD itemId)
{
    GroupInfoTraverser traverser(itemId >> 24);
    const auto description = std::make_unique<unsigned char[]>(GroupInfoTraverser::kBufferSize);
    for (; !traverser.IsDone(); traverser.Next()) {
        DWORD size = GroupInfoTraverser::kBufferSize;
        // An entry whose description cannot be read is skipped, not fatal.
        if (GetItemInfo(traverser.Current(), description.get(), &size) == 0)
            continue;
        DWORD listed = 0;
        if (DescribedItemId(description.get(), &listed) && listed == itemId)
            return true;
    }
    return false;
}

bool ReadBiosItem(DWORD itemId, DWORD* value)
{
    // Read into a local, so that a library that writes before failing cannot touch
    // the caller's default.
    DWORD read = 0;
    if ((GetBiosItemValue(itemId, &read) & 1) == 0)
        return false;
    *value = read;
    return true;
}

DWORD WriteBiosItem(DWORD itemId, DWORD value)
{
    return SetBiosItemValue(itemId, value, kWriteMode);
}

// The outcome of Open is not reported: a group that cannot be read walks as empty,
// which is all the item operations need.
GroupInfoTraverser::GroupInfoTraverser(DWORD group)
{
    Open(group);
}

GroupInfoTraverser::~GroupInfoTraverser()
{
    Close();
}

void* GroupInfoTraverser::Current() const
{
    return ListEntryData(m_position);
}

void GroupInfoTraverser::Next()
{
    if (m_index >= m_count)
        return;
    ++m_index;
    if (m_index < m_count)
        m_position = ListNext(m_position);
}

void GroupInfoTraverser::Close()
{
    // The position points into the buffer; forget both, so a closed traverser is done.
    m_buffer.reset();
    m_position = nullptr;
    m_index = 0;
    m_count = 0;
}

// A failed read leaves the traverser open but already done (count 0), which is how
// the walk treats a group without a list; the caller is not told why.
bool GroupInfoTraverser::Open(DWORD group)
{
    ASSERT(!IsOpen());
    m_buffer = std::make_unique<unsigned char[]>(kBufferSize);
    m_index = 0;
    m_count = 0;
    DWORD size = kBufferSize;
    if (GetGroupInfo(group, m_buffer.get(), &size) == 0)
        return false;
    m_count = static_cast<int>(ListCount(m_buffer.get()));
    m_position = ListFirst(m_buffer.get());
    return true;
}
