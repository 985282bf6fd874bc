// Helpers for tests that reach the simulated board through the real device:
// NRACPI.DLL bound by ordinal, the boardctl tool, the driver's service key.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace boardtest {

// NRACPI.DLL from the program folder, its entries looked up by ordinal only.
class NrAcpi {
public:
    using InitFn = int(WINAPI*)();
    using SetFn = int(WINAPI*)(uint32_t, uint32_t, uint32_t);
    using GetFn = int(WINAPI*)(uint32_t, uint32_t*);
    using GroupFn = int(WINAPI*)(uint32_t, void*, uint32_t*);
    using HandleFn = void*(WINAPI*)(void*);
    using CountFn = int(WINAPI*)(void*);
    using ItemFn = int(WINAPI*)(const void*, void*, uint32_t*);

    NrAcpi();
    ~NrAcpi();
    NrAcpi(const NrAcpi&) = delete;
    NrAcpi& operator=(const NrAcpi&) = delete;

    bool IsLoaded() const;

    InitFn AcpiLibInit = nullptr;
    SetFn SetBiosItemValue = nullptr;
    GetFn GetBiosItemValue = nullptr;
    GroupFn GetGroupInfo = nullptr;
    HandleFn ListFirst = nullptr;
    CountFn ListCount = nullptr;
    HandleFn ListEntryData = nullptr;
    HandleFn ListNext = nullptr;
    ItemFn GetItemInfo = nullptr;

    // The program's group walk: the ids of every entry whose description reads.
    std::vector<uint32_t> WalkGroup(uint32_t group);

private:
    HMODULE m_module;
};

std::string ProgramFolder();
// Runs a program of the program folder with arguments; its exit code, or -1.
int RunProgram(const std::string& exe, const std::string& arguments);
int Boardctl(const std::string& arguments);
// Runs a system command line (sc, reg) and waits; its exit code, or -1.
int RunSystem(const std::string& commandLine);

// The driver's start-up profile from its service key ("" when unset).
std::string StartupProfile();

} // namespace boardtest
