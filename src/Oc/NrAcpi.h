#pragma once
// The maker's ACPI support library, NRACPI.DLL. It exports its entries by ordinal
// only; the names here are ours, bound to the ordinals by NRACPI.def. Every entry is
// __stdcall and every argument and result is 32 bits wide.
#include <windows.h>

// An entry of a list the library keeps inside a caller's buffer.
using NrListEntry = void*;

extern "C" {

// Ordinal 1. Brings the library up; must precede every other entry.
DWORD WINAPI AcpiLibInit();
// Ordinal 2. Writes an item's value; the program always passes mode 2.
DWORD WINAPI SetBiosItemValue(DWORD itemId, DWORD value, DWORD mode);
// Ordinal 3. Bit 0 of the result set: the value was read and stored.
DWORD WINAPI GetBiosItemValue(DWORD itemId, DWORD* value);
// Ordinal 5. Fills the buffer with the item list of a group (the top byte of an item
// id); non-zero on success.
DWORD WINAPI GetGroupInfo(DWORD group, void* buffer, DWORD* size);
// Ordinal 6. First entry of a list in a buffer filled by GetGroupInfo or GetItemInfo.
NrListEntry WINAPI ListFirst(void* buffer);
// Ordinal 7. Number of entries of a list filled by GetGroupInfo.
DWORD WINAPI ListCount(void* buffer);
// Ordinal 9. The data of an entry.
void* WINAPI ListEntryData(NrListEntry entry);
// Ordinal 10. The entry after the given one.
NrListEntry WINAPI ListNext(NrListEntry entry);
// Ordinal 11. Fills the buffer with the description of a group entry; the data of
// its first entry starts with the item id. Non-zero on success.
DWORD WINAPI GetItemInfo(void* entryData, void* buffer, DWORD* size);

}  // extern "C"
