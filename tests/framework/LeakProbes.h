#pragma once
// What a process holds, measured where Wine reports no counts (GetGuiResources and
// GetProcessHandleCount answer 0): GDI and window-manager objects by how many more the
// process can still make before their tables are full, kernel handles from where new
// handles land (Wine hands out the lowest free slot), heap bytes by walking the heaps.
#include <cstddef>

namespace leakprobe {

int GdiRoom();
int UserRoom();
int KernelHandlesInUse();
// Bytes in busy blocks of every heap of the process (malloc and new end up there).
size_t HeapBytesInUse();

}  // namespace leakprobe
