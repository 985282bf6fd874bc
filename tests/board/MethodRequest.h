// Method-call requests as the device channel packs them, for the board tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/acpidriver/BoardProtocol.h"

inline void PutU32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    std::memcpy(v.data() + at, &x, 4);
}

inline void PutU16(std::vector<uint8_t>& v, size_t at, uint16_t x)
{
    std::memcpy(v.data() + at, &x, 2);
}

inline uint32_t GetU32(const uint8_t* p)
{
    uint32_t x;
    std::memcpy(&x, p, 4);
    return x;
}

// Header of either layout: tag 4, the name, two arguments, a 16-byte block.
inline std::vector<uint8_t> MethodHeader(size_t size, const char* name = "RBEC")
{
    std::vector<uint8_t> v(size, 0);
    PutU32(v, 0, NRV_METHOD_REQUEST_TAG);
    std::memcpy(v.data() + 4, name, 4);
    PutU32(v, 8, 2);
    PutU32(v, 12, 16);
    return v;
}

// The layout of a 32-bit caller on 64-bit Windows: the block inline.
inline std::vector<uint8_t> InlineRequest(uint32_t first, uint32_t second, const char* name = "RBEC")
{
    std::vector<uint8_t> v = MethodHeader(32, name);
    PutU16(v, 16, 0);
    PutU16(v, 18, 4);
    PutU32(v, 20, first);
    PutU16(v, 24, 0);
    PutU16(v, 26, 4);
    PutU32(v, 28, second);
    return v;
}

// The 32-bit Windows layout: the block's address at offset 16.
inline std::vector<uint8_t> AddressRequest(uint32_t address)
{
    std::vector<uint8_t> v = MethodHeader(20);
    PutU32(v, 16, address);
    return v;
}
