#include "tests/board/BoardTestSupport.h"

#include <type_traits>

namespace boardtest {

NrAcpi::NrAcpi() : m_module(LoadLibraryA((ProgramFolder() + "NRACPI.DLL").c_str()))
{
    if (!m_module)
        return;
    // GetProcAddress gives a generic entry; the ordinal fixes the real type.
    auto bind = [this](auto& fn, int ordinal) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
            reinterpret_cast<void*>(GetProcAddress(m_module, MAKEINTRESOURCEA(ordinal))));
    };
    bind(AcpiLibInit, 1);
    bind(SetBiosItemValue, 2);
    bind(GetBiosItemValue, 3);
    bind(GetGroupInfo, 5);
    bind(ListFirst, 6);
    bind(ListCount, 7);
    bind(ListEntryData, 9);
    bind(ListNext, 10);
    bind(GetItemInfo, 11);
}

NrAcpi::~NrAcpi()
{
    if (m_module)
        FreeLibrary(m_module);
}

bool NrAcpi::IsLoaded() const
{
    return m_module && AcpiLibInit && SetBiosItemValue && GetBiosItemValue && GetGroupInfo && ListFirst &&
           ListCount && ListEntryData && ListNext && GetItemInfo;
}

std::vector<uint32_t> NrAcpi::WalkGroup(uint32_t group)
{
    std::vector<uint32_t> ids;
    std::vector<unsigned char> list(4096), info(4096);
    uint32_t size = 4096;
    if (!GetGroupInfo(group, list.data(), &size))
        return ids;
    int count = ListCount(list.data());
    void* position = ListFirst(list.data());
    for (int i = 0; i < count; ++i) {
        void* data = ListEntryData(position);
        uint32_t infoSize = 4096;
        if (GetItemInfo(data, info.data(), &infoSize)) {
            const auto* record = static_cast<const uint32_t*>(ListEntryData(ListFirst(info.data())));
            ids.push_back(*record);
        }
        if (i + 1 < count)
            position = ListNext(position);
    }
    return ids;
}

std::string ProgramFolder()
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

int RunSystem(const std::string& commandLine)
{
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

int RunProgram(const std::string& exe, const std::string& arguments)
{
    return RunSystem("\"" + ProgramFolder() + exe + "\" " + arguments);
}

int Boardctl(const std::string& arguments)
{
    return RunProgram("boardctl.exe", arguments);
}

std::string StartupProfile()
{
    char value[64] = {};
    DWORD size = sizeof(value) - 1;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\NRVACPI", "Profile",
                     RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::string();
    return value;
}

} // namespace boardtest
