#include "platform/acpilib/NrAcpiList.h"

#include <cstring>

namespace nracpi {

namespace {

constexpr uint32_t Align4(uint32_t n) { return (n + 3u) & ~3u; }

} // namespace

ListWriter::ListWriter(void* buffer, uint32_t capacity)
    : m_header(buffer && capacity >= sizeof(ListHeader) ? static_cast<ListHeader*>(buffer) : nullptr),
      m_capacity(capacity)
{
    if (m_header)
        *m_header = ListHeader{kListMagic, 0, sizeof(ListHeader), 0};
}

bool ListWriter::Append(const void* data, uint32_t size)
{
    if (!m_header || size > m_capacity)
        return false;
    const uint32_t offset = m_header->used;
    const uint32_t total = sizeof(ListNode) + Align4(size);
    if (total > m_capacity - offset)
        return false;
    auto* base = reinterpret_cast<unsigned char*>(m_header);
    auto* node = reinterpret_cast<ListNode*>(base + offset);
    *node = ListNode{kNodeMagic, 0, size, 0};
    std::memcpy(node + 1, data, size);
    if (m_last)
        m_last->next = offset - static_cast<uint32_t>(reinterpret_cast<unsigned char*>(m_last) - base);
    else
        m_header->first = offset;
    m_last = node;
    m_header->used = offset + total;
    ++m_header->count;
    return true;
}

ListNode* First(void* buffer)
{
    auto* header = static_cast<ListHeader*>(buffer);
    if (!header || header->magic != kListMagic || header->first == 0)
        return nullptr;
    auto* node = reinterpret_cast<ListNode*>(static_cast<unsigned char*>(buffer) + header->first);
    return node->magic == kNodeMagic ? node : nullptr;
}

uint32_t Count(const void* buffer)
{
    auto* header = static_cast<const ListHeader*>(buffer);
    return header && header->magic == kListMagic ? header->count : 0;
}

ListNode* Next(ListNode* node)
{
    if (!node || node->magic != kNodeMagic || node->next == 0)
        return nullptr;
    auto* next = reinterpret_cast<ListNode*>(reinterpret_cast<unsigned char*>(node) + node->next);
    return next->magic == kNodeMagic ? next : nullptr;
}

void* Data(ListNode* node)
{
    return node && node->magic == kNodeMagic ? node + 1 : nullptr;
}

} // namespace nracpi
