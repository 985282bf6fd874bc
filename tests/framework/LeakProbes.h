#pragma once
// What a process holds, measured where Wine reports no counts (GetGuiResources and
// GetProcessHandleCount answer 0): GDI and window-manager objects by how many more the
// process can still make before their tables are full, kernel handles from where new
// handles land (Wine hands out the lowest free slot), heap bytes by walking the heaps.
#include <cstddef>
#include <string>

namespace leakprobe {

int GdiRoom();
int UserRoom();
int KernelHandlesInUse();
// Bytes in busy blocks of every heap of the process (malloc and new end up there).
size_t HeapBytesInUse();

// All four at one moment.
struct Holdings {
    int gdiRoom;
    int userRoom;
    int kernelHandles;
    size_t heapBytes;
};
Holdings Take();
// Objects and handles exactly as before; the heap within heapSlack bytes of it (the
// heap's own bookkeeping may take a page).
bool Flat(const Holdings& before, const Holdings& after, size_t heapSlack = 4096);
// "room for GDI objects A -> B, window-manager objects ...; kernel handles in use ...;
// heap bytes in use ..."
std::string Describe(const Holdings& before, const Holdings& after);

}  // namespace leakprobe
