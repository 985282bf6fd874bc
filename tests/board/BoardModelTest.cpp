#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/acpidriver/BoardModel.h"
#include "tests/board/MethodRequest.h"

namespace {

class BoardModelTest : public ::testing::Test {
protected:
    void SetUp() override { Load("8x4"); }

    void Load(const std::string& profile)
    {
        ASSERT_EQ(1, NrvBoardLoadProfile(&m_board, profile.data(), profile.size())) << profile;
    }

    NrvStatus Dispatch(uint32_t code, const void* in, uint32_t inLength, void* out, uint32_t outLength,
                       uint32_t nowMs = 0)
    {
        return NrvBoardDispatch(&m_board, code, in, inLength, out, outLength, &m_written, nowMs);
    }

    NrvStatus Command(uint32_t op, uint32_t a = 0, uint32_t b = 0, const char* text = "")
    {
        NrvCommand cmd{};
        cmd.op = op;
        cmd.a = a;
        cmd.b = b;
        std::strncpy(cmd.text, text, sizeof(cmd.text));
        return Dispatch(NRV_IOCTL_BOARD_COMMAND, &cmd, sizeof(cmd), nullptr, 0);
    }

    // RBEC through the inline layout; the reply's integer at offset 16.
    NrvStatus ReadEc(uint32_t first, uint32_t second, uint32_t* value, uint32_t nowMs = 0)
    {
        std::vector<uint8_t> request = InlineRequest(first, second);
        uint8_t reply[4096];
        std::memset(reply, 0xCC, sizeof(reply));
        NrvStatus status = Dispatch(NRV_IOCTL_EVALUATE_METHOD, request.data(),
                                    static_cast<uint32_t>(request.size()), reply, sizeof(reply), nowMs);
        if (status == NRV_OK)
            *value = GetU32(reply + NRV_METHOD_REPLY_VALUE_OFFSET);
        return status;
    }

    NrvStatus ReadItem(uint32_t id, uint32_t* value)
    {
        NrvItemRequest request{id};
        NrvItemValue reply{};
        NrvStatus status = Dispatch(NRV_IOCTL_GET_ITEM_VALUE, &request, sizeof(request), &reply, sizeof(reply));
        if (status == NRV_OK)
            *value = reply.value;
        return status;
    }

    std::vector<uint32_t> Group(uint32_t group, NrvStatus* status)
    {
        NrvGroupRequest request{group};
        uint32_t reply[1 + NRV_MAX_ITEMS] = {};
        *status = Dispatch(NRV_IOCTL_GET_GROUP, &request, sizeof(request), reply, sizeof(reply));
        if (*status != NRV_OK)
            return {};
        return std::vector<uint32_t>(reply + 1, reply + 1 + reply[0]);
    }

    NrvBoardState m_board{};
    uint32_t m_written = 0;
};

TEST_F(BoardModelTest, ProfilesGiveSensorCountAndPerSensorNibbles)
{
    struct Case {
        const char* profile;
        uint32_t feature, sensors, mask, modeA, modeB;
    } cases[] = {
        {"8x4", 1, 2, 0x00000022, 0x01, 0x00},
        {"16x2", 1, 8, 0x11111111, 0x01, 0x00},
        {"24x4", 1, 6, 0x00222222, 0x01, 0x00},
        {"16x2,off", 0, 8, 0x11111111, 0x01, 0x00},
        {"conflict", 1, 2, 0x00000022, 0x05, 0x04},
        {"8X4 , Conflict", 1, 2, 0x00000022, 0x05, 0x04},
        {"6x6,live", 1, 1, 0x00000003, 0x01, 0x00},
    };
    for (const Case& c : cases) {
        Load(c.profile);
        uint32_t v = 0;
        EXPECT_EQ(NRV_OK, ReadItem(0x1103001D, &v)) << c.profile;
        EXPECT_EQ(c.feature, v) << c.profile;
        EXPECT_EQ(NRV_OK, ReadItem(0x1103001E, &v));
        EXPECT_EQ(c.sensors, v) << c.profile;
        EXPECT_EQ(NRV_OK, ReadItem(0x1103001F, &v));
        EXPECT_EQ(c.mask, v) << c.profile;
        EXPECT_EQ(NRV_OK, ReadItem(0x00060008, &v));
        EXPECT_EQ(c.modeA, v) << c.profile;
        EXPECT_EQ(NRV_OK, ReadItem(0x00060009, &v));
        EXPECT_EQ(c.modeB, v) << c.profile;
        EXPECT_EQ(0, std::strcmp(m_board.profile, c.profile));
    }
}

TEST_F(BoardModelTest, AbsentProfileLeavesTheFeatureItemsOutOfGroup11)
{
    Load("absent");
    NrvStatus status;
    std::vector<uint32_t> ids = Group(0x11, &status);
    ASSERT_EQ(NRV_OK, status);
    EXPECT_EQ((std::vector<uint32_t>{0x11030001, 0x11030002, 0x1103001C, 0x11030020}), ids);
    uint32_t v = 7;
    EXPECT_EQ(NRV_NOT_FOUND, ReadItem(0x1103001D, &v));
    EXPECT_EQ(7u, v);
}

TEST_F(BoardModelTest, MalformedProfilesLeaveTheBoardUnchanged)
{
    Load("16x2");
    const char* bad[] = {"", "7x4", "8x3", "40x4", "8x32", "x4", "8x", "0x2", "8x4,bogus", "8x4,16x2",
                         "1000x2", "8x4,,off", "0123456789012345678901234567890123"};
    for (const char* profile : bad) {
        EXPECT_EQ(0, NrvBoardLoadProfile(&m_board, profile, std::strlen(profile))) << profile;
        EXPECT_STREQ("16x2", m_board.profile);
    }
    EXPECT_EQ(NRV_INVALID_PARAMETER, Command(NRV_CMD_PROFILE, 0, 0, "9x2"));
    EXPECT_STREQ("16x2", m_board.profile);
}

TEST_F(BoardModelTest, GroupsListTheirItemsInOrder)
{
    NrvStatus status;
    EXPECT_EQ((std::vector<uint32_t>{0x00010001, 0x00010002, 0x00060007, 0x00060008, 0x00060009, 0x0006000A}),
              Group(0x00, &status));
    EXPECT_EQ((std::vector<uint32_t>{0x11030001, 0x11030002, 0x1103001C, 0x1103001D, 0x1103001E, 0x1103001F,
                                     0x11030020}),
              Group(0x11, &status));
    Group(0x42, &status);
    EXPECT_EQ(NRV_NOT_FOUND, status);
    Group(0x100, &status);
    EXPECT_EQ(NRV_INVALID_PARAMETER, status);
}

TEST_F(BoardModelTest, RbecGivesSensorBytesInSignAndMagnitude)
{
    struct Case {
        uint32_t op;
        int32_t given;
        uint32_t byte;
    } cases[] = {
        {NRV_CMD_TEMP, 47, 47},     {NRV_CMD_TEMP, 0, 0},         {NRV_CMD_TEMP, -5, 0x85},
        {NRV_CMD_TEMP, -127, 0xFF}, {NRV_CMD_TEMP, 127, 0x7F},    {NRV_CMD_EC_BYTE, 0x80, 0x80},
        {NRV_CMD_EC_BYTE, 0xFF, 0xFF}, {NRV_CMD_EC_BYTE, 133, 133},
    };
    for (uint32_t sensor = 0; sensor < NRV_SENSOR_COUNT; ++sensor)
        for (const Case& c : cases) {
            ASSERT_EQ(NRV_OK, Command(c.op, sensor, static_cast<uint32_t>(c.given)));
            uint32_t value = 0;
            ASSERT_EQ(NRV_OK, ReadEc(182, 17 + sensor, &value));
            EXPECT_EQ(c.byte, value) << "sensor " << sensor << " given " << c.given;
            EXPECT_EQ(NRV_METHOD_REPLY_SIZE, m_written);
        }
    uint32_t other = 1;
    EXPECT_EQ(NRV_OK, ReadEc(182, 25, &other));
    EXPECT_EQ(0u, other);
    EXPECT_EQ(NRV_INVALID_PARAMETER, Command(NRV_CMD_TEMP, 0, 128));
    EXPECT_EQ(NRV_INVALID_PARAMETER, Command(NRV_CMD_TEMP, 8, 40));
    EXPECT_EQ(NRV_INVALID_PARAMETER, Command(NRV_CMD_EC_BYTE, 0, 0x100));
}

TEST_F(BoardModelTest, ReplyIsAnAcpiOutputBufferWithOneInteger)
{
    std::vector<uint8_t> request = InlineRequest(182, 17);
    uint8_t reply[64];
    ASSERT_EQ(NRV_OK, Dispatch(NRV_IOCTL_EVALUATE_METHOD, request.data(), 32, reply, sizeof(reply)));
    EXPECT_EQ(0x426F6541u, GetU32(reply));
    EXPECT_EQ(20u, GetU32(reply + 4));
    EXPECT_EQ(1u, GetU32(reply + 8));
    EXPECT_EQ(0x00040000u, GetU32(reply + 12));
    EXPECT_EQ(45u, GetU32(reply + 16));
}

TEST_F(BoardModelTest, RequestSharingOneBufferForInputAndOutputIsReadBeforeTheReply)
{
    std::vector<uint8_t> buffer = InlineRequest(182, 20);
    buffer.resize(4096);
    ASSERT_EQ(NRV_OK, Dispatch(NRV_IOCTL_EVALUATE_METHOD, buffer.data(), 32, buffer.data(), 4096));
    EXPECT_EQ(48u, GetU32(buffer.data() + 16));
}

TEST_F(BoardModelTest, AddressLayoutIsRecognisedButNotServed)
{
    // The 20-byte layout names the argument block by address; a board in
    // another process cannot follow it, so the request fails cleanly.
    std::vector<uint8_t> request = AddressRequest(0x00401000);
    uint8_t reply[4096];
    std::memset(reply, 0xCC, sizeof(reply));
    EXPECT_EQ(NRV_NOT_SUPPORTED, Dispatch(NRV_IOCTL_EVALUATE_METHOD, request.data(), 20, reply, sizeof(reply)));
    EXPECT_EQ(0u, m_written);
    EXPECT_EQ(0xCCu, reply[16]);

    std::vector<uint8_t> badTag = AddressRequest(0x00401000);
    PutU32(badTag, 0, 5);
    EXPECT_EQ(NRV_INVALID_PARAMETER, Dispatch(NRV_IOCTL_EVALUATE_METHOD, badTag.data(), 20, reply, sizeof(reply)));
}

TEST_F(BoardModelTest, MalformedMethodRequestsAreRejected)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> request;
        uint32_t length;
        NrvStatus status;
    };
    auto with = [](size_t at, uint32_t value, bool wide) {
        std::vector<uint8_t> v = InlineRequest(182, 17);
        if (wide)
            PutU32(v, at, value);
        else
            PutU16(v, at, static_cast<uint16_t>(value));
        return v;
    };
    std::vector<uint8_t> longer = InlineRequest(182, 17);
    longer.resize(33);
    Case cases[] = {
        {"empty", {}, 0, NRV_INVALID_PARAMETER},
        {"header only", InlineRequest(182, 17), 16, NRV_INVALID_PARAMETER},
        {"19 bytes", InlineRequest(182, 17), 19, NRV_INVALID_PARAMETER},
        {"31 bytes", InlineRequest(182, 17), 31, NRV_INVALID_PARAMETER},
        {"33 bytes", longer, 33, NRV_INVALID_PARAMETER},
        {"tag", with(0, 0, true), 32, NRV_INVALID_PARAMETER},
        {"no arguments", with(8, 0, true), 32, NRV_INVALID_PARAMETER},
        {"argument count beyond the block", with(8, 3, true), 32, NRV_INVALID_PARAMETER},
        {"block size", with(12, 20, true), 32, NRV_INVALID_PARAMETER},
        {"first type", with(16, 1, false), 32, NRV_INVALID_PARAMETER},
        {"first length", with(18, 8, false), 32, NRV_INVALID_PARAMETER},
        {"second type", with(24, 2, false), 32, NRV_INVALID_PARAMETER},
        {"second length", with(26, 2, false), 32, NRV_INVALID_PARAMETER},
        {"unknown method", InlineRequest(182, 17, "WBEC"), 32, NRV_NOT_FOUND},
        {"register out of range", InlineRequest(182, 0x100), 32, NRV_INVALID_PARAMETER},
    };
    for (Case& c : cases) {
        c.request.resize(64);
        uint8_t reply[4096];
        EXPECT_EQ(c.status, Dispatch(NRV_IOCTL_EVALUATE_METHOD, c.request.data(), c.length, reply, sizeof(reply)))
            << c.what;
        EXPECT_EQ(0u, m_written) << c.what;
    }
    std::vector<uint8_t> huge(65, 0);
    uint8_t reply[4096];
    EXPECT_EQ(NRV_INVALID_PARAMETER, Dispatch(NRV_IOCTL_EVALUATE_METHOD, huge.data(), 65, reply, sizeof(reply)));
}

TEST_F(BoardModelTest, ShortOutputBuffersAreRefusedWithoutWriting)
{
    std::vector<uint8_t> rbec = InlineRequest(182, 17);
    NrvItemRequest item{0x1103001F};
    NrvGroupRequest group{0x11};
    struct Case {
        uint32_t code;
        const void* in;
        uint32_t inLength, outLength;
    } cases[] = {
        {NRV_IOCTL_OPEN_HANDSHAKE, nullptr, 0, 3},
        {NRV_IOCTL_EVALUATE_METHOD, rbec.data(), 32, 19},
        {NRV_IOCTL_GET_GROUP, &group, 4, 4 + 4 * 7 - 1},
        {NRV_IOCTL_GET_ITEM_INFO, &item, 4, sizeof(NrvItemInfo) - 1},
        {NRV_IOCTL_GET_ITEM_VALUE, &item, 4, 3},
        {NRV_IOCTL_BOARD_QUERY, nullptr, 0, sizeof(NrvBoardState) - 1},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> out(c.outLength + 1, 0xCC);
        EXPECT_EQ(NRV_BUFFER_TOO_SMALL, Dispatch(c.code, c.in, c.inLength, out.data(), c.outLength))
            << std::hex << c.code;
        EXPECT_EQ(0u, m_written);
        EXPECT_EQ(std::vector<uint8_t>(c.outLength + 1, 0xCC), out) << std::hex << c.code;
    }
}

TEST_F(BoardModelTest, WrongInputLengthsAndUnknownCodesAreRejected)
{
    uint8_t in[64] = {};
    uint8_t out[4096];
    struct Case {
        uint32_t code, inLength;
        NrvStatus status;
    } cases[] = {
        {NRV_IOCTL_OPEN_HANDSHAKE, 4, NRV_INVALID_PARAMETER},
        {NRV_IOCTL_GET_GROUP, 0, NRV_INVALID_PARAMETER},
        {NRV_IOCTL_GET_GROUP, 8, NRV_INVALID_PARAMETER},
        {NRV_IOCTL_GET_ITEM_INFO, 3, NRV_INVALID_PARAMETER},
        {NRV_IOCTL_GET_ITEM_VALUE, 5, NRV_INVALID_PARAMETER},
        {NRV_IOCTL_SET_ITEM_VALUE, 8, NRV_INVALID_PARAMETER},
        {NRV_IOCTL_BOARD_QUERY, 4, NRV_INVALID_PARAMETER},
        {NRV_IOCTL_BOARD_COMMAND, sizeof(NrvCommand) - 1, NRV_INVALID_PARAMETER},
        {NRV_CTL_CODE(0x902), 0, NRV_INVALID_REQUEST},
        {0x00222405, 0, NRV_INVALID_REQUEST},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.status, Dispatch(c.code, in, c.inLength, out, sizeof(out))) << std::hex << c.code;
    EXPECT_EQ(NRV_INVALID_PARAMETER, Dispatch(NRV_IOCTL_GET_ITEM_VALUE, nullptr, 4, out, sizeof(out)));
}

TEST_F(BoardModelTest, HandshakeAnswersFourBytes)
{
    uint32_t out = 0;
    ASSERT_EQ(NRV_OK, Dispatch(NRV_IOCTL_OPEN_HANDSHAKE, nullptr, 0, &out, 4));
    EXPECT_EQ(4u, m_written);
    EXPECT_EQ(NRV_HANDSHAKE_VERSION, out);
}

TEST_F(BoardModelTest, WritesChangeTheValueAndAreCounted)
{
    NrvSetItemRequest set{0x1103001C, 0, 2};
    ASSERT_EQ(NRV_OK, Dispatch(NRV_IOCTL_SET_ITEM_VALUE, &set, sizeof(set), nullptr, 0));
    ASSERT_EQ(NRV_OK, Dispatch(NRV_IOCTL_SET_ITEM_VALUE, &set, sizeof(set), nullptr, 0));
    uint32_t v = 9;
    EXPECT_EQ(NRV_OK, ReadItem(0x1103001C, &v));
    EXPECT_EQ(0u, v);
    EXPECT_EQ(2u, m_board.items[9].writes);
    EXPECT_EQ(2u, m_board.items[9].lastMode);
    NrvSetItemRequest missing{0x11030099, 1, 2};
    EXPECT_EQ(NRV_NOT_FOUND, Dispatch(NRV_IOCTL_SET_ITEM_VALUE, &missing, sizeof(missing), nullptr, 0));
}

TEST_F(BoardModelTest, InjectedFailuresFailOnlyWhatTheyName)
{
    NrvStatus status;
    uint32_t v = 0;

    ASSERT_EQ(NRV_OK, Command(NRV_CMD_FAIL_GROUP, 0x11, 1));
    Group(0x11, &status);
    EXPECT_EQ(NRV_DEVICE_ERROR, status);
    Group(0x00, &status);
    EXPECT_EQ(NRV_OK, status);
    EXPECT_EQ(NRV_OK, ReadItem(0x1103001F, &v));
    ASSERT_EQ(NRV_OK, Command(NRV_CMD_FAIL_GROUP, 0x11, 0));

    ASSERT_EQ(NRV_OK, Command(NRV_CMD_FAIL_ITEM, 0x1103001E, 1));
    std::vector<uint32_t> ids = Group(0x11, &status);
    EXPECT_EQ(std::find(ids.begin(), ids.end(), 0x1103001Eu), ids.end());
    EXPECT_EQ(6u, ids.size());
    EXPECT_EQ(NRV_NOT_FOUND, ReadItem(0x1103001E, &v));
    NrvItemRequest info{0x1103001E};
    NrvItemInfo reply{};
    EXPECT_EQ(NRV_NOT_FOUND, Dispatch(NRV_IOCTL_GET_ITEM_INFO, &info, 4, &reply, sizeof(reply)));

    ASSERT_EQ(NRV_OK, Command(NRV_CMD_FAIL_READ, 0x1103001F, 1));
    EXPECT_EQ(NRV_DEVICE_ERROR, ReadItem(0x1103001F, &v));
    EXPECT_EQ(6u, Group(0x11, &status).size());

    ASSERT_EQ(NRV_OK, Command(NRV_CMD_FAIL_WRITE, 0x1103001C, 1));
    NrvSetItemRequest set{0x1103001C, 0, 2};
    EXPECT_EQ(NRV_DEVICE_ERROR, Dispatch(NRV_IOCTL_SET_ITEM_VALUE, &set, sizeof(set), nullptr, 0));
    EXPECT_EQ(NRV_OK, ReadItem(0x1103001C, &v));
    EXPECT_EQ(1u, v);

    ASSERT_EQ(NRV_OK, Command(NRV_CMD_FAIL_EC, 1u << 3, 1));
    EXPECT_EQ(NRV_DEVICE_ERROR, ReadEc(182, 20, &v));
    EXPECT_EQ(NRV_OK, ReadEc(182, 21, &v));

    ASSERT_EQ(NRV_OK, Command(NRV_CMD_FAIL_CLEAR));
    EXPECT_EQ(NRV_OK, ReadEc(182, 20, &v));
    EXPECT_EQ(NRV_OK, ReadItem(0x1103001E, &v));
    EXPECT_EQ(NRV_OK, ReadItem(0x1103001F, &v));
    EXPECT_EQ(7u, Group(0x11, &status).size());

    EXPECT_EQ(NRV_NOT_FOUND, Command(NRV_CMD_FAIL_ITEM, 0x11030099, 1));
    EXPECT_EQ(NRV_INVALID_PARAMETER, Command(NRV_CMD_FAIL_EC, 0, 1));
    EXPECT_EQ(NRV_INVALID_PARAMETER, Command(NRV_CMD_FAIL_GROUP, 0x100, 1));
    EXPECT_EQ(NRV_INVALID_PARAMETER, Command(99));
}

TEST_F(BoardModelTest, SetItemAddsNewItemsToTheirGroupUntilTheBoardIsFull)
{
    ASSERT_EQ(NRV_OK, Command(NRV_CMD_SET_ITEM, 0x42000001, 5));
    NrvStatus status;
    EXPECT_EQ(std::vector<uint32_t>{0x42000001}, Group(0x42, &status));
    for (uint32_t id = 0x43000000; m_board.itemCount < NRV_MAX_ITEMS; ++id)
        ASSERT_EQ(NRV_OK, Command(NRV_CMD_SET_ITEM, id, 0));
    EXPECT_EQ(NRV_BUFFER_TOO_SMALL, Command(NRV_CMD_SET_ITEM, 0x44000000, 0));
    EXPECT_EQ(NRV_OK, Command(NRV_CMD_SET_ITEM, 0x42000001, 6));
}

TEST_F(BoardModelTest, LiveTemperaturesDriftAroundTheBaseAndChangeOverAMinute)
{
    ASSERT_EQ(NRV_OK, Command(NRV_CMD_TEMP, 2, 50));
    ASSERT_EQ(NRV_OK, Command(NRV_CMD_LIVE, 1));
    int low = 1000, high = -1000;
    for (uint32_t t = 0; t < 120000; t += 500) {
        uint32_t v = 0;
        ASSERT_EQ(NRV_OK, ReadEc(182, 19, &v, t));
        ASSERT_LT(v, 0x80u);
        low = std::min(low, static_cast<int>(v));
        high = std::max(high, static_cast<int>(v));
    }
    EXPECT_GE(low, 46);
    EXPECT_LE(high, 54);
    EXPECT_GE(high - low, 5);

    ASSERT_EQ(NRV_OK, Command(NRV_CMD_TEMP, 2, -126));
    for (uint32_t t = 0; t < 60000; t += 1000) {
        uint32_t v = 0;
        ASSERT_EQ(NRV_OK, ReadEc(182, 19, &v, t));
        EXPECT_GE(v, 0x80u + 122);
        EXPECT_LE(v, 0xFFu);
    }
    ASSERT_EQ(NRV_OK, Command(NRV_CMD_LIVE, 0));
    uint32_t fixed = 0;
    ASSERT_EQ(NRV_OK, ReadEc(182, 19, &fixed, 12345));
    EXPECT_EQ(0x80u + 126, fixed);
}

} // namespace
