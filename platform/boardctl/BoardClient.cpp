#include "platform/boardctl/BoardClient.h"

#include <cstring>

BoardClient::BoardClient()
    : m_device(CreateFileA(NRV_DEVICE_NAME_A, GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr))
{
    if (m_device == INVALID_HANDLE_VALUE)
        m_lastError = GetLastError();
}

BoardClient::~BoardClient()
{
    if (m_device != INVALID_HANDLE_VALUE)
        CloseHandle(m_device);
}

bool BoardClient::Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                          DWORD* written)
{
    DWORD returned = 0;
    if (m_device == INVALID_HANDLE_VALUE) {
        m_lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    if (!DeviceIoControl(m_device, code, const_cast<void*>(in), inLength, out, outLength, &returned,
                         nullptr)) {
        m_lastError = GetLastError();
        return false;
    }
    if (written)
        *written = returned;
    return true;
}

bool BoardClient::Query(NrvBoardState* state)
{
    DWORD written = 0;
    if (!Control(NRV_IOCTL_BOARD_QUERY, nullptr, 0, state, sizeof(*state), &written))
        return false;
    if (written != sizeof(*state) || state->size != sizeof(*state)) {
        m_lastError = ERROR_INVALID_DATA;
        return false;
    }
    return true;
}

bool BoardClient::Command(uint32_t op, uint32_t a, uint32_t b, const std::string& text)
{
    NrvCommand command{};
    command.op = op;
    command.a = a;
    command.b = b;
    if (text.size() >= sizeof(command.text)) {
        m_lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    std::memcpy(command.text, text.c_str(), text.size());
    return Control(NRV_IOCTL_BOARD_COMMAND, &command, sizeof(command), nullptr, 0, nullptr);
}
