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
        // The channel's choice: the block travels inline on 64-bit Windows, where a
        // 32-bit program runs under WOW64 and a 64-bit one has no 32-bit address to give.
        BOOL wow64 = FALSE;
        IsWow64Process(GetCurrentProcess(), &wow64);
        m_inline = sizeof(void*) == 8 || wow64 != FALSE;
        const uint32_t head[4] = {4, 0x43454252 /* "RBEC" */, 2, 16};
        std::memcpy(m_request.data(), head, sizeof head);
        m_requestSize = m_inline ? 32 : 20;
        for (int i = 0; i < 8; ++i) {
            uint32_t* arguments = m_arguments[i].data();
            arguments[0] = 4u << 16;
            arguments[1] = 182;
            arguments[2] = 4u << 16;
            arguments[3] = 17 + i;
        }
    }
    ~BareRequests()
    {
        if (m_device != INVALID_HANDLE_VALUE)
            CloseHandle(m_device);
    }
    bool Open() const { return m_device != INVALID_HANDLE_VALUE; }
    // Baseline requests that failed in this process, the device that could not be opened
    // counted as one: a baseline that fails times a failure path, not the requests a
    // poll makes.
    static unsigned& FailedRequests()
    {
        static unsigned failed = 0;
        return failed;
    }

    void Run()
    {
        DWORD mask = 0;
        if ((GetBiosItemValue(kItemSensorMask, &mask) & 1) == 0)
            ++FailedRequests();
        for (int i = 0; i < 8; ++i) {
            if (m_inline) {
                std::memcpy(m_request.data() + 16, m_arguments[i].data(), 16);
            } else {
                const auto address = reinterpret_cast<uintptr_t>(m_arguments[i].data());
                std::memcpy(m_request.data() + 16, &address, 4);
            }
            DWORD returned = 0;
            if (!DeviceIoControl(m_device, 0x00222404, m_request.data(), m_requestSize,
                                 m_reply.data(), static_cast<DWORD>(m_reply.size()), &returned,
                                 nullptr))
                ++FailedRequests();
        }
    }

private:
    HANDLE m_device;
    bool m_inline = false;
    DWORD m_requestSize;
    std::array<unsigned char, 32> m_request{};
    std::array<std::array<uint32_t, 4>, 8> m_arguments{};
    std::array<unsigned char, 4096> m_reply{};
};
