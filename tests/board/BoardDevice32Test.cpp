// The method call that carries the address of its arguments, as a 32-bit program sends
// it on 32-bit Windows: a board in another process cannot follow the address, so it
// fails cleanly; the library's private requests carry their data and work. The x86
// build runs this in a 32-bit prefix, the x64 build (never under WOW64) in a 64-bit one.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/boardctl/BoardClient.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/board/MethodRequest.h"

namespace {

TEST(BoardDevice32Test, AddressLayoutFailsCleanlyAndTheLibraryStillWorks)
{
    BOOL wow64 = TRUE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    ASSERT_FALSE(wow64);

    BoardClient board;
    ASSERT_TRUE(board.IsOpen()) << "no \\\\.\\NRVACPI, error " << board.LastError();
    uint32_t handshake = 0;
    DWORD written = 0;
    ASSERT_TRUE(board.Control(NRV_IOCTL_OPEN_HANDSHAKE, nullptr, 0, &handshake, 4, &written));
    EXPECT_EQ(4u, written);

    uint32_t block[4] = {0x00040000, 182, 0x00040000, 17};
    std::vector<uint8_t> request = AddressRequest(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block)));
    std::vector<uint8_t> reply(4096, 0xCC);
    EXPECT_FALSE(board.Control(NRV_IOCTL_EVALUATE_METHOD, request.data(), 20, reply.data(), 4096, &written));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), board.LastError());
    EXPECT_EQ(0xCC, reply[16]);

    boardtest::NrAcpi lib;
    ASSERT_TRUE(lib.IsLoaded());
    ASSERT_EQ(1, lib.AcpiLibInit());
    std::vector<uint32_t> ids = lib.WalkGroup(0x11);
    EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), 0x1103001Fu));
    uint32_t sensors = 0;
    EXPECT_EQ(1, lib.GetBiosItemValue(0x1103001E, &sensors) & 1);
    EXPECT_GT(sensors, 0u);
}

} // namespace
