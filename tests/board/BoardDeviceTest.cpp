// The simulated board through the real device, as a program on 64-bit Windows sees
// it (the x86 build under WOW64, the x64 build natively): NRACPI.DLL by ordinal, RBEC
// in the inline layout, boardctl.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/boardctl/BoardClient.h"
#include "tests/board/BoardTestSupport.h"
#include "tests/board/MethodRequest.h"

namespace {

using boardtest::Boardctl;
using boardtest::NrAcpi;

class BoardDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_board.IsOpen()) << "no \\\\.\\NRVACPI, error " << m_board.LastError();
        ASSERT_TRUE(m_lib.IsLoaded());
        ASSERT_EQ(0, Boardctl("profile 8x4"));
        ASSERT_EQ(1, m_lib.AcpiLibInit());
    }

    void TearDown() override
    {
        std::string profile = boardtest::StartupProfile();
        m_board.Command(NRV_CMD_PROFILE, 0, 0, profile.empty() ? "8x4" : profile);
    }

    // RBEC(182, register) in the layout a 32-bit caller uses on 64-bit Windows.
    bool ReadEc(uint32_t reg, uint32_t* value)
    {
        std::vector<uint8_t> request = InlineRequest(182, reg);
        std::vector<uint8_t> reply(4096, 0);
        DWORD written = 0;
        if (!m_board.Control(NRV_IOCTL_EVALUATE_METHOD, request.data(), 32, reply.data(), 4096, &written))
            return false;
        EXPECT_EQ(20u, written);
        *value = GetU32(reply.data() + 16);
        return true;
    }

    const NrvItem* Item(const NrvBoardState& state, uint32_t id)
    {
        for (uint32_t i = 0; i < state.itemCount; ++i)
            if (state.items[i].id == id)
                return &state.items[i];
        return nullptr;
    }

    BoardClient m_board;
    NrAcpi m_lib;
};

TEST_F(BoardDeviceTest, RunsAsA32BitProgramOn64BitWindows)
{
    if (sizeof(void*) == 8)
        GTEST_SKIP() << "a 64-bit program never runs under WOW64";
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    EXPECT_TRUE(wow64);
}

TEST_F(BoardDeviceTest, OrdinalsWalkGroups00And11)
{
    EXPECT_EQ((std::vector<uint32_t>{0x00010001, 0x00010002, 0x00060007, 0x00060008, 0x00060009, 0x0006000A}),
              m_lib.WalkGroup(0x00));
    EXPECT_EQ((std::vector<uint32_t>{0x11030001, 0x11030002, 0x1103001C, 0x1103001D, 0x1103001E, 0x1103001F,
                                     0x11030020}),
              m_lib.WalkGroup(0x11));
    EXPECT_TRUE(m_lib.WalkGroup(0x42).empty());

    std::vector<unsigned char> buffer(4096);
    uint32_t size = 4096;
    ASSERT_NE(0, m_lib.GetGroupInfo(0x11, buffer.data(), &size));
    EXPECT_EQ(7, m_lib.ListCount(buffer.data()));
    EXPECT_LE(size, 4096u);
}

TEST_F(BoardDeviceTest, ItemsReadAndWriteThroughTheLibrary)
{
    struct Case {
        uint32_t id, value;
    } reads[] = {{0x1103001C, 1}, {0x1103001D, 1}, {0x1103001E, 2}, {0x1103001F, 0x22},
                 {0x00060008, 0x01}, {0x00060009, 0x00}};
    for (const Case& c : reads) {
        uint32_t value = 0xDEADBEEF;
        EXPECT_EQ(1, m_lib.GetBiosItemValue(c.id, &value) & 1) << std::hex << c.id;
        EXPECT_EQ(c.value, value) << std::hex << c.id;
    }

    EXPECT_NE(0, m_lib.SetBiosItemValue(0x1103001C, 0, 2));
    uint32_t mode = 1;
    EXPECT_EQ(1, m_lib.GetBiosItemValue(0x1103001C, &mode) & 1);
    EXPECT_EQ(0u, mode);
    NrvBoardState state{};
    ASSERT_TRUE(m_board.Query(&state));
    ASSERT_NE(nullptr, Item(state, 0x1103001C));
    EXPECT_EQ(1u, Item(state, 0x1103001C)->writes);
    EXPECT_EQ(2u, Item(state, 0x1103001C)->lastMode);
}

TEST_F(BoardDeviceTest, ProfilesChosenWithBoardctlAreWhatTheLibraryReads)
{
    struct Case {
        const char* profile;
        uint32_t feature, sensors, mask, conflictA, conflictB;
    } cases[] = {
        {"8x4", 1, 2, 0x22, 0x01, 0x00},
        {"16x2", 1, 8, 0x11111111, 0x01, 0x00},
        {"24x4", 1, 6, 0x222222, 0x01, 0x00},
        {"8x4,off", 0, 2, 0x22, 0x01, 0x00},
        {"conflict", 1, 2, 0x22, 0x05, 0x04},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(0, Boardctl(std::string("profile ") + c.profile)) << c.profile;
        uint32_t v[5] = {};
        EXPECT_EQ(1, m_lib.GetBiosItemValue(0x1103001D, &v[0]));
        EXPECT_EQ(1, m_lib.GetBiosItemValue(0x1103001E, &v[1]));
        EXPECT_EQ(1, m_lib.GetBiosItemValue(0x1103001F, &v[2]));
        EXPECT_EQ(1, m_lib.GetBiosItemValue(0x00060008, &v[3]));
        EXPECT_EQ(1, m_lib.GetBiosItemValue(0x00060009, &v[4]));
        EXPECT_EQ(c.feature, v[0]) << c.profile;
        EXPECT_EQ(c.sensors, v[1]) << c.profile;
        EXPECT_EQ(c.mask, v[2]) << c.profile;
        EXPECT_EQ(c.conflictA, v[3]) << c.profile;
        EXPECT_EQ(c.conflictB, v[4]) << c.profile;
    }
    ASSERT_EQ(0, Boardctl("profile absent"));
    EXPECT_EQ((std::vector<uint32_t>{0x11030001, 0x11030002, 0x1103001C, 0x11030020}), m_lib.WalkGroup(0x11));
}

TEST_F(BoardDeviceTest, RbecReturnsTheSensorBytesBoardctlSets)
{
    const int32_t base[8] = {45, 47, 44, 48, 46, 43, 49, 45};
    for (uint32_t i = 0; i < 8; ++i) {
        uint32_t value = 0;
        ASSERT_TRUE(ReadEc(17 + i, &value)) << m_board.LastError();
        EXPECT_EQ(static_cast<uint32_t>(base[i]), value);
    }
    ASSERT_EQ(0, Boardctl("temp 3 47"));
    ASSERT_EQ(0, Boardctl("temp 4 -5"));
    ASSERT_EQ(0, Boardctl("ec 5 0x80"));
    uint32_t value = 0;
    ASSERT_TRUE(ReadEc(20, &value));
    EXPECT_EQ(47u, value);
    ASSERT_TRUE(ReadEc(21, &value));
    EXPECT_EQ(0x85u, value);
    ASSERT_TRUE(ReadEc(22, &value));
    EXPECT_EQ(0x80u, value);

    ASSERT_EQ(0, Boardctl("live on"));
    NrvBoardState state{};
    ASSERT_TRUE(m_board.Query(&state));
    EXPECT_EQ(1u, state.live);
    ASSERT_TRUE(ReadEc(20, &value));
    EXPECT_GE(value, 43u);
    EXPECT_LE(value, 51u);
}

TEST_F(BoardDeviceTest, BoardctlSetsItemsAndRefusesBadCommands)
{
    ASSERT_EQ(0, Boardctl("item 0x1103001F 0x11"));
    uint32_t value = 0;
    EXPECT_EQ(1, m_lib.GetBiosItemValue(0x1103001F, &value));
    EXPECT_EQ(0x11u, value);
    EXPECT_EQ(0, Boardctl("show"));
    EXPECT_EQ(0, Boardctl("get 0x1103001F"));
    EXPECT_EQ(1, Boardctl("get 0x11030099"));

    struct {
        const char* arguments;
        int code;
    } bad[] = {{"", 2},         {"bogus", 2},        {"temp 3", 2},      {"temp x 40", 2},
               {"temp 9 40", 1}, {"temp 3 300", 1},   {"live maybe", 2},  {"fail ec 9 on", 2},
               {"profile 7x3", 1}, {"fail item 0x11030099 on", 1}, {"item 0x1103001F -1", 2}};
    for (const auto& c : bad)
        EXPECT_EQ(c.code, Boardctl(c.arguments)) << c.arguments;
}

TEST_F(BoardDeviceTest, EachInjectedFailureFailsCleanly)
{
    const std::vector<uint32_t> all11 = m_lib.WalkGroup(0x11);

    ASSERT_EQ(0, Boardctl("fail group 0x11 on"));
    std::vector<unsigned char> buffer(4096);
    uint32_t size = 4096;
    EXPECT_EQ(0, m_lib.GetGroupInfo(0x11, buffer.data(), &size));
    EXPECT_TRUE(m_lib.WalkGroup(0x11).empty());
    EXPECT_EQ(6u, m_lib.WalkGroup(0x00).size());
    ASSERT_EQ(0, Boardctl("fail group 0x11 off"));
    EXPECT_EQ(all11, m_lib.WalkGroup(0x11));

    ASSERT_EQ(0, Boardctl("fail item 0x1103001E on"));
    std::vector<uint32_t> ids = m_lib.WalkGroup(0x11);
    EXPECT_EQ(ids.end(), std::find(ids.begin(), ids.end(), 0x1103001Eu));
    uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(0, m_lib.GetBiosItemValue(0x1103001E, &value) & 1);
    EXPECT_EQ(0xDEADBEEFu, value);

    ASSERT_EQ(0, Boardctl("fail read 0x1103001F on"));
    ids = m_lib.WalkGroup(0x11);
    EXPECT_NE(ids.end(), std::find(ids.begin(), ids.end(), 0x1103001Fu));
    EXPECT_EQ(0, m_lib.GetBiosItemValue(0x1103001F, &value) & 1);
    EXPECT_EQ(0xDEADBEEFu, value);

    ASSERT_EQ(0, Boardctl("fail write 0x1103001C on"));
    EXPECT_EQ(0, m_lib.SetBiosItemValue(0x1103001C, 0, 2));
    EXPECT_EQ(1, m_lib.GetBiosItemValue(0x1103001C, &value));
    EXPECT_EQ(1u, value);

    ASSERT_EQ(0, Boardctl("fail ec 2 on"));
    EXPECT_FALSE(ReadEc(19, &value));
    EXPECT_TRUE(ReadEc(20, &value));
    ASSERT_EQ(0, Boardctl("fail ec on"));
    for (uint32_t reg = 17; reg <= 24; ++reg)
        EXPECT_FALSE(ReadEc(reg, &value)) << reg;

    ASSERT_EQ(0, Boardctl("fail clear"));
    EXPECT_TRUE(ReadEc(19, &value));
    EXPECT_EQ(all11, m_lib.WalkGroup(0x11));
}

TEST_F(BoardDeviceTest, DriverRejectsMalformedRequests)
{
    std::vector<uint8_t> reply(4096, 0xCC);
    DWORD written = 0;
    std::vector<uint8_t> request = InlineRequest(182, 17);
    request.resize(33);
    struct Case {
        const char* what;
        DWORD code;
        const void* in;
        DWORD inLength, outLength, error;
    } cases[] = {
        {"31 bytes", NRV_IOCTL_EVALUATE_METHOD, request.data(), 31, 4096, ERROR_INVALID_PARAMETER},
        {"33 bytes", NRV_IOCTL_EVALUATE_METHOD, request.data(), 33, 4096, ERROR_INVALID_PARAMETER},
        {"16 bytes", NRV_IOCTL_EVALUATE_METHOD, request.data(), 16, 4096, ERROR_INVALID_PARAMETER},
        {"no input", NRV_IOCTL_EVALUATE_METHOD, nullptr, 0, 4096, ERROR_INVALID_PARAMETER},
        {"reply of 19", NRV_IOCTL_EVALUATE_METHOD, request.data(), 32, 19, ERROR_INSUFFICIENT_BUFFER},
        {"handshake with input", NRV_IOCTL_OPEN_HANDSHAKE, request.data(), 4, 4, ERROR_INVALID_PARAMETER},
        {"handshake reply of 3", NRV_IOCTL_OPEN_HANDSHAKE, nullptr, 0, 3, ERROR_INSUFFICIENT_BUFFER},
        {"item request of 8", NRV_IOCTL_GET_ITEM_VALUE, request.data(), 8, 4, ERROR_INVALID_PARAMETER},
        {"unknown code", NRV_CTL_CODE(0x902), nullptr, 0, 4096, ERROR_INVALID_FUNCTION},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(m_board.Control(c.code, c.in, c.inLength, reply.data(), c.outLength, &written)) << c.what;
        EXPECT_EQ(c.error, m_board.LastError()) << c.what;
    }
    // The device still answers afterwards.
    uint32_t value = 0;
    EXPECT_TRUE(ReadEc(17, &value));
    EXPECT_EQ(45u, value);
}

TEST_F(BoardDeviceTest, AddressLayoutFailsCleanly)
{
    uint32_t block[4] = {0x00040000, 182, 0x00040000, 17};
    std::vector<uint8_t> request = AddressRequest(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(block)));
    std::vector<uint8_t> reply(4096, 0xCC);
    DWORD written = 0;
    EXPECT_FALSE(m_board.Control(NRV_IOCTL_EVALUATE_METHOD, request.data(), 20, reply.data(), 4096, &written));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), m_board.LastError());
    EXPECT_EQ(0xCC, reply[16]);
}

bool SetStartupProfile(const std::string& profile)
{
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\NRVACPI", "Profile", REG_SZ,
                           profile.c_str(), static_cast<DWORD>(profile.size() + 1)) == ERROR_SUCCESS;
}

// Puts the service key and the running driver back as the prefix had them.
struct DriverRestorer {
    std::string profile = boardtest::StartupProfile();
    ~DriverRestorer()
    {
        SetStartupProfile(profile);
        boardtest::RunSystem("sc start NRVACPI");
        BoardClient board;
        board.Command(NRV_CMD_PROFILE, 0, 0, profile.empty() ? "8x4" : profile);
    }
};

TEST(BoardDriverLifetimeTest, WithoutTheDeviceEveryEntryFailsAndARestartReadsTheServiceKey)
{
    DriverRestorer restorer;
    ASSERT_TRUE(SetStartupProfile("16x2,off"));
    ASSERT_EQ(0, boardtest::RunSystem("sc stop NRVACPI"));

    {
        NrAcpi lib;
        ASSERT_TRUE(lib.IsLoaded());
        EXPECT_EQ(0, lib.AcpiLibInit());
        std::vector<unsigned char> buffer(4096, 0);
        uint32_t size = 4096;
        EXPECT_EQ(0, lib.GetGroupInfo(0x11, buffer.data(), &size));
        EXPECT_EQ(nullptr, lib.ListFirst(buffer.data()));
        EXPECT_EQ(0, lib.ListCount(buffer.data()));
        uint32_t value = 0xDEADBEEF;
        EXPECT_EQ(0, lib.GetBiosItemValue(0x1103001D, &value) & 1);
        EXPECT_EQ(0xDEADBEEFu, value);
        EXPECT_EQ(0, lib.SetBiosItemValue(0x1103001C, 0, 2));
        EXPECT_TRUE(lib.WalkGroup(0x00).empty());
        EXPECT_EQ(1, Boardctl("show"));

        ASSERT_EQ(0, boardtest::RunSystem("sc start NRVACPI"));
        EXPECT_EQ(1, lib.AcpiLibInit());
        EXPECT_EQ(1, lib.GetBiosItemValue(0x1103001D, &value) & 1);
        EXPECT_EQ(0u, value);
        EXPECT_EQ(1, lib.GetBiosItemValue(0x1103001E, &value) & 1);
        EXPECT_EQ(8u, value);
    }
    BoardClient board;
    NrvBoardState state{};
    ASSERT_TRUE(board.Query(&state));
    EXPECT_STREQ("16x2,off", state.profile);
}

TEST(BoardDriverLifetimeTest, MalformedServiceKeyProfileStartsTheDefaultBoard)
{
    DriverRestorer restorer;
    ASSERT_TRUE(SetStartupProfile("12x5,turbo"));
    ASSERT_EQ(0, boardtest::RunSystem("sc stop NRVACPI"));
    ASSERT_EQ(0, boardtest::RunSystem("sc start NRVACPI"));
    BoardClient board;
    NrvBoardState state{};
    ASSERT_TRUE(board.Query(&state));
    EXPECT_STREQ("8x4", state.profile);
}

} // namespace
