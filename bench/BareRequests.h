#pragma once
// The device requests a poll needs, made directly, the baseline of the Refresh and the
// whole-poll figures.
#include "src/Oc/BiosInterface.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <cstring>

// The requests Refresh needs, made directly: the sensor mask item, then eight "RBEC"
// evaluations with the same request and reply sizes.
class BareRequests {
public:
    BareRequests()
    {
        m_device = CreateFileA("\\\\.\\NRVACPI", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
        BOOL wow64 = FALSE;
        IsWow64Process(GetCurrentProcess(), &wow64);
        const uint32_t head[4] = {4, 0x43454252 /* "RBEC" */, 2, 16};
        std::memcpy(m_request.data(), head, sizeof head);
        m_requestSize = wow64 ? 32 : 20;
        for (int i = 0; i < 8; ++i) {
            uint32_t* arguments = m_arguments[i].data();
            arguments[0] = 4u << 16;
            arguments[1] = 182;
            arguments[2] = 4u << 16;
            arguments[3] = 17 + i;
        }
        m_wow64 = wow64 != FALSE;
    }
    ~BareRequests()
    {
        if (m_device != INVALID_HANDLE_VALUE)
            CloseHandle(m_device);
    }
    bool Open() const { return m_device != INVALID_HANDLE_VALUE; }

    void Run()
    {
        DWORD mask = 0;
        GetBiosItemValue(kItemSensorMask, &mask);
        for (int i = 0; i < 8; ++i) {
            if (m_wow64) {
                std::memcpy(m_request.data() + 16, m_arguments[i].data(), 16);
            } else {
                const auto address = reinterpret_cast<uintptr_t>(m_arguments[i].data());
                std::memcpy(m_request.data() + 16, &address, 4);
            }
            DWORD returned = 0;
            DeviceIoControl(m_device, 0x00222404, m_request.data(), m_requestSize, m_reply.data(),
                            static_cast<DWORD>(m_reply.size()), &returned, nullptr);
        }
    }

private:
    HANDLE m_device;
    bool m_wow64 = false;
    DWORD m_requestSize;
    std::array<unsigned char, 32> m_request{};
    std::array<std::array<uint32_t, 4>, 8> m_arguments{};
    std::array<unsigned char, 4096> m_reply{};
};
