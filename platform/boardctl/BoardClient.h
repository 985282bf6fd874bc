// A client of the simulated board's private requests, for boardctl and tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/acpidriver/BoardProtocol.h"

class BoardClient {
public:
    BoardClient();
    ~BoardClient();
    BoardClient(const BoardClient&) = delete;
    BoardClient& operator=(const BoardClient&) = delete;

    bool IsOpen() const { return m_device != INVALID_HANDLE_VALUE; }
    // The Windows error of the last failed request.
    DWORD LastError() const { return m_lastError; }

    bool Query(NrvBoardState* state);
    bool Command(uint32_t op, uint32_t a = 0, uint32_t b = 0, const std::string& text = std::string());
    // A raw request, so tests can send malformed ones.
    bool Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength, DWORD* written);

private:
    HANDLE m_device;
    DWORD m_lastError = 0;
};
