// The lists NRACPI.DLL hands out: written into the caller's buffer, walked by
// entry handles that are addresses of nodes inside that buffer.
#pragma once

#include <cstdint>

namespace nracpi {

struct ListHeader {
    uint32_t magic;
    uint32_t count;
    uint32_t used;      // bytes of the buffer in use, header included
    uint32_t first;     // offset of the first node, 0 when the list is empty
};

struct ListNode {
    uint32_t magic;
    uint32_t next;      // distance to the following node, 0 at the end
    uint32_t size;      // bytes of data after the node
    uint32_t reserved;
};

// Group list entry data: what GetItemInfo takes back.
struct GroupEntry {
    uint32_t id;
    uint32_t group;
    uint32_t index;
};

constexpr uint32_t kListMagic = 0x534C524Eu; // "NRLS"
constexpr uint32_t kNodeMagic = 0x444E524Eu; // "NRND"

// Builds a list into a caller's buffer; every append checks the capacity.
class ListWriter {
public:
    ListWriter(void* buffer, uint32_t capacity);
    ListWriter(const ListWriter&) = delete;
    ListWriter& operator=(const ListWriter&) = delete;

    bool IsValid() const { return m_header != nullptr; }
    bool Append(const void* data, uint32_t size);
    uint32_t Used() const { return m_header ? m_header->used : 0; }

private:
    ListHeader* m_header;   // borrowed: the caller's buffer
    uint32_t m_capacity;
    ListNode* m_last = nullptr;
};

// Null for a buffer that holds no list or an empty one.
ListNode* First(void* buffer);
uint32_t Count(const void* buffer);
ListNode* Next(ListNode* node);
void* Data(ListNode* node);

} // namespace nracpi
