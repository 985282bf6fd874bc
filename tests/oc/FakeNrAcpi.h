#pragma once
// The state of the fake NRACPI.DLL, shared between the DLL and the tests: the groups and
// item values it answers with, and the log of every call it received, in order.
#include <windows.h>

constexpr int kFakeMaxGroups = 4;
constexpr int kFakeMaxEntries = 32;
constexpr int kFakeMaxItems = 16;
constexpr int kFakeLogSize = 32768;

struct FakeNrAcpiEntry {
    DWORD id;
    BOOL infoReadable;  // FALSE: GetItemInfo fails for this entry
};

struct FakeNrAcpiGroup {
    DWORD number;
    DWORD count;
    FakeNrAcpiEntry entries[kFakeMaxEntries];
};

struct FakeNrAcpiItem {
    DWORD id;
    DWORD value;
    DWORD readResult;  // what GetBiosItemValue answers; bit 0 clear leaves junk behind
};

struct FakeNrAcpiState {
    FakeNrAcpiGroup groups[kFakeMaxGroups];  // a group not listed cannot be read
    int groupCount;
    FakeNrAcpiItem items[kFakeMaxItems];  // an item not listed cannot be read
    int itemCount;
    DWORD writeResult;  // what SetBiosItemValue answers
    char log[kFakeLogSize];  // one call per line
    int logLength;
};

// Junk the fake leaves in the caller's variable when a read fails.
constexpr DWORD kFakeJunk = 0xDEADBEEF;

// The only named export of the fake library.
using FakeNrAcpiScriptFn = FakeNrAcpiState* (*)();
