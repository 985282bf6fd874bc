// A scripted NRACPI.DLL for the unit tests. Its buffers are laid out so that a wrong
// walk shows in the log: every list entry and record starts with a tag word.
#include "tests/oc/FakeNrAcpi.h"
#include "src/Oc/NrAcpi.h"

#include <cstdarg>
#include <cstdio>

namespace {

constexpr DWORD kGroupMagic = 0x50555247;   // "GRUP"
constexpr DWORD kRecordMagic = 0x4F464E49;  // "INFO"
constexpr DWORD kEntryTag = 0x52544E45;     // "ENTR"
constexpr DWORD kRecordTag = 0x43455249;    // "IREC"
constexpr int kEntryWords = 3;              // tag, id, description readable

FakeNrAcpiState g_state;

void Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int room = kFakeLogSize - g_state.logLength;
    const int written = std::vsnprintf(g_state.log + g_state.logLength, room, format, args);
    va_end(args);
    if (written > 0 && written + 1 < room) {
        g_state.logLength += written;
        g_state.log[g_state.logLength++] = '\n';
        g_state.log[g_state.logLength] = '\0';
    }
}

DWORD* Words(void* p)
{
    return static_cast<DWORD*>(p);
}

}  // namespace

extern "C" {

FakeNrAcpiState* FakeNrAcpiScript()
{
    return &g_state;
}

DWORD WINAPI AcpiLibInit()
{
    Log("AcpiLibInit");
    return 1;
}

DWORD WINAPI SetBiosItemValue(DWORD itemId, DWORD value, DWORD mode)
{
    Log("SetBiosItemValue 0x%08lX %lu %lu", itemId, value, mode);
    return g_state.writeResult;
}

DWORD WINAPI GetBiosItemValue(DWORD itemId, DWORD* value)
{
    Log("GetBiosItemValue 0x%08lX", itemId);
    for (int i = 0; i < g_state.itemCount; ++i) {
        const FakeNrAcpiItem& item = g_state.items[i];
        if (item.id == itemId) {
            *value = (item.readResult & 1) != 0 ? item.value : kFakeJunk;
            return item.readResult;
        }
    }
    *value = kFakeJunk;
    return 0;
}

DWORD WINAPI GetGroupInfo(DWORD group, void* buffer, DWORD* size)
{
    Log("GetGroupInfo 0x%02lX %lu", group, *size);
    for (int g = 0; g < g_state.groupCount; ++g) {
        const FakeNrAcpiGroup& listed = g_state.groups[g];
        if (listed.number != group)
            continue;
        DWORD* words = Words(buffer);
        words[0] = kGroupMagic;
        words[1] = listed.count;
        for (DWORD e = 0; e < listed.count; ++e) {
            DWORD* entry = words + 2 + e * kEntryWords;
            entry[0] = kEntryTag;
            entry[1] = listed.entries[e].id;
            entry[2] = listed.entries[e].infoReadable;
        }
        return 1;
    }
    return 0;
}

NrListEntry WINAPI ListFirst(void* buffer)
{
    DWORD* words = Words(buffer);
    if (words[0] == kGroupMagic) {
        Log("ListFirst group");
        return words + 2;
    }
    if (words[0] == kRecordMagic) {
        Log("ListFirst record");
        return words + 1;
    }
    Log("ListFirst unknown");
    return nullptr;
}

DWORD WINAPI ListCount(void* buffer)
{
    Log("ListCount");
    return Words(buffer)[1];
}

void* WINAPI ListEntryData(NrListEntry entry)
{
    DWORD* words = Words(entry);
    if (words == nullptr) {
        Log("ListEntryData null");
        return nullptr;
    }
    Log("ListEntryData %s 0x%08lX", words[0] == kEntryTag ? "entry" : "record", words[1]);
    return words + 1;
}

NrListEntry WINAPI ListNext(NrListEntry entry)
{
    Log("ListNext 0x%08lX", Words(entry)[1]);
    return Words(entry) + kEntryWords;
}

DWORD WINAPI GetItemInfo(void* entryData, void* buffer, DWORD* size)
{
    const DWORD* data = Words(entryData);
    Log("GetItemInfo 0x%08lX %lu", data[0], *size);
    if (!data[1])
        return 0;
    DWORD* words = Words(buffer);
    words[0] = kRecordMagic;
    words[1] = kRecordTag;
    words[2] = data[0];
    return 1;
}

}  // extern "C"
