#pragma once
// Test doubles for the hardware side: the fake NRACPI.DLL (loaded in place of the real
// one from the test's own folder), a fake ACPI driver behind the device channel's
// system calls, and a listener for debugger trace lines. All three write to one log,
// so a test sees the order of library and device calls.
#include "src/Oc/AcpiDevice.h"
#include "tests/oc/FakeNrAcpi.h"

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace fake {

FakeNrAcpiState& Library();
// Forgets every group, item and logged call.
void ResetLibrary();
void AddGroup(DWORD number, std::initializer_list<DWORD> ids);
// Takes an item out of its group's list.
void Unlist(DWORD number, DWORD id);
// Makes GetItemInfo fail for one entry of a group.
void SetDescriptionUnreadable(DWORD number, int entry);
void SetItem(DWORD id, DWORD value, DWORD readResult = 1);
// The item stays listed, but reading it fails.
void SetItemUnreadable(DWORD id);
void Note(const std::string& line);
// The logged calls, one per entry, optionally only those starting with a prefix.
std::vector<std::string> Calls();
std::vector<std::string> CallsStartingWith(std::initializer_list<const char*> prefixes);

// The board's four feature items in group 0x11, with the given values.
void SetUpFeatureItems(DWORD feature, DWORD sensorCount, DWORD sensorMask);

// A fake driver answering "RBEC" through the device channel's substitutable calls.
struct Device {
    BOOL wow64 = FALSE;
    bool present = true;
    bool failEvaluate = false;  // the driver refuses the request
    bool gone = false;          // the driver went away: the open handle reaches nothing
    DWORD replyBytes = 24;
    std::map<DWORD, DWORD> registers;  // second RBEC argument -> result; missing: failure

    // What the channel sent.
    std::string path;
    DWORD access = 0, share = 0, disposition = 0, flags = 0;
    bool securityNull = false, templateNull = false;
    DWORD code = 0;
    std::vector<std::uint8_t> request;
    std::vector<std::uint8_t> argumentBlock;  // read through the address of a 20-byte request
    DWORD replySize = 0;
    bool overlappedNull = false;
};

// Puts a fake driver behind the device channel for the scope's life.
class ScopedDevice {
public:
    ScopedDevice();
    ~ScopedDevice();
    ScopedDevice(const ScopedDevice&) = delete;
    ScopedDevice& operator=(const ScopedDevice&) = delete;
    Device* operator->() { return &m_device; }
    // Makes the channel find no IsWow64Process entry, as on a system without WOW64.
    void RemoveWow64Entry();

private:
    Device m_device;
    AcpiDeviceCalls m_previous;
    Device* m_previousDevice;
};

// Collects what the process writes with OutputDebugStringA while it lives.
class DebugOutput {
public:
    DebugOutput();
    ~DebugOutput();
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;
    const std::vector<std::string>& Lines() const;

private:
    void* m_handler;
};

}  // namespace fake
