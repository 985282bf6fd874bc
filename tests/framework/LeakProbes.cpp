#include "LeakProbes.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace leakprobe {

int GdiRoom()
{
    std::vector<HBRUSH> brushes;
    while (brushes.size() < 200000) {
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(brushes.size() & 0xFFFFFF));
        if (!brush)
            break;
        brushes.push_back(brush);
    }
    for (HBRUSH brush : brushes)
        DeleteObject(brush);
    return static_cast<int>(brushes.size());
}

int UserRoom()
{
    std::vector<HMENU> menus;
    while (menus.size() < 200000) {
        HMENU menu = CreatePopupMenu();
        if (!menu)
            break;
        menus.push_back(menu);
    }
    for (HMENU menu : menus)
        DestroyMenu(menu);
    return static_cast<int>(menus.size());
}

size_t HeapBytesInUse()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

// Handles in use: with lowest-free-slot allocation, the last of N new handles lands at
// slot (in use + N - 1) once N exceeds the holes.
int KernelHandlesInUse()
{
    const int count = 4000;
    std::vector<HANDLE> events;
    uintptr_t highest = 0;
    for (int i = 0; i < count; ++i) {
        HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        events.push_back(event);
        highest = std::max(highest, reinterpret_cast<uintptr_t>(event));
    }
    for (HANDLE event : events)
        CloseHandle(event);
    return static_cast<int>(highest / 4) - count;
}

Holdings Take()
{
    Holdings holdings{};
    holdings.gdiRoom = GdiRoom();
    holdings.userRoom = UserRoom();
    holdings.kernelHandles = KernelHandlesInUse();
    holdings.heapBytes = HeapBytesInUse();
    return holdings;
}

bool Flat(const Holdings& before, const Holdings& after, size_t heapSlack)
{
    return before.gdiRoom == after.gdiRoom && before.userRoom == after.userRoom &&
           before.kernelHandles == after.kernelHandles &&
           after.heapBytes < before.heapBytes + heapSlack;
}

std::string Describe(const Holdings& before, const Holdings& after)
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "room for GDI objects %d -> %d, window-manager objects %d -> %d; kernel handles "
                  "in use %d -> %d; heap bytes in use %lu -> %lu",
                  before.gdiRoom, after.gdiRoom, before.userRoom, after.userRoom,
                  before.kernelHandles, after.kernelHandles,
                  static_cast<unsigned long>(before.heapBytes),
                  static_cast<unsigned long>(after.heapBytes));
    return text;
}

}  // namespace leakprobe
