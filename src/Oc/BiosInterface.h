#pragma once
// BIOS setup items, reached through the maker's ACPI support library (NrAcpi.h).
// An item id's top byte is its group number; item values are unsigned 32-bit.
#include "src/Oc/NrAcpi.h"

#include <memory>

// The items the program uses.
constexpr DWORD kItemPowerMode = 0x1103001C;     // 1 performance, 0 saving
constexpr DWORD kItemPhaseFeature = 0x1103001D;  // 1 when the phase feature is on
constexpr DWORD kItemSensorCount = 0x1103001E;
constexpr DWORD kItemSensorMask = 0x1103001F;    // a nibble per sensor, sensor 0 lowest
constexpr DWORD kItemTuningOwner1 = 0x00060008;  // bit mask 4: another tuning tool owns
constexpr DWORD kItemTuningOwner2 = 0x00060009;  // the interface

// A cursor over the item list of one group. The list lives in a buffer the traverser
// owns while it is open.
class GroupInfoTraverser {
public:
    static constexpr DWORD kBufferSize = 4096;

    // Opens the group at once; a group that cannot be read is simply done.
    explicit GroupInfoTraverser(DWORD group);
    ~GroupInfoTraverser();
    GroupInfoTraverser(const GroupInfoTraverser&) = delete;
    GroupInfoTraverser& operator=(const GroupInfoTraverser&) = delete;

    // Reads the group's list. Opening an open traverser is a programming error.
    bool Open(DWORD group);
    bool IsOpen() const { return m_buffer != nullptr; }
    bool IsDone() const { return m_index >= m_count; }
    // The data of the current entry; only meaningful while not done.
    void* Current() const;
    // Moves on; never asks the library for the entry after the last one.
    void Next();
    void Close();

private:
    std::unique_ptr<unsigned char[]> m_buffer;
    NrListEntry m_position = nullptr;
    int m_index = 0;
    int m_count = 0;
};

// True when the item occurs in its group's list. The list is walked on every call.
bool BiosItemExists(DWORD itemId);
// True when the library read the item; only then is *value changed.
bool ReadBiosItem(DWORD itemId, DWORD* value);
// Writes the item with the library's mode 2 and returns the library's answer.
DWORD WriteBiosItem(DWORD itemId, DWORD value);
