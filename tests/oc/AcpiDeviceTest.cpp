#include "src/Oc/AcpiDevice.h"

#include "tests/oc/OcFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

using Bytes = std::vector<std::uint8_t>;

class AcpiDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fake::ResetLibrary();
        device->registers[17] = 0x85;
    }
    fake::ScopedDevice device;
};

const Bytes kHead = {4, 0, 0, 0, 'R', 'B', 'E', 'C', 2, 0, 0, 0, 16, 0, 0, 0};
// Two integer arguments, 182 and 17: type 0, length 4, value.
const Bytes kArguments = {0, 0, 4, 0, 182, 0, 0, 0, 0, 0, 4, 0, 17, 0, 0, 0};

Bytes Concat(const Bytes& a, const Bytes& b)
{
    Bytes all = a;
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

TEST_F(AcpiDeviceTest, OpenCreatesTheDeviceThenSendsTheFollowUpRequest)
{
    EXPECT_TRUE(AcpiDeviceOpen());

    EXPECT_EQ("\\\\.\\NRVACPI", device->path);
    EXPECT_EQ(static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE), device->access);
    EXPECT_EQ(static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE), device->share);
    EXPECT_EQ(static_cast<DWORD>(OPEN_EXISTING), device->disposition);
    EXPECT_EQ(0u, device->flags);
    EXPECT_TRUE(device->securityNull);
    EXPECT_TRUE(device->templateNull);
    EXPECT_THAT(fake::Calls(), ElementsAre("CreateFileA \\\\.\\NRVACPI",
                                           "DeviceIoControl 0x0022240C in 0 out 4"));
}

TEST_F(AcpiDeviceTest, WithoutDriverEveryCallFailsQuietlyAndLeavesTheResultAlone)
{
    device->present = false;
    EXPECT_FALSE(AcpiDeviceOpen());

    DWORD result = 42;
    EXPECT_FALSE(ReadEcRegister(182, 17, &result));
    EXPECT_EQ(42u, result);
    EXPECT_THAT(fake::Calls(), ElementsAre("CreateFileA \\\\.\\NRVACPI"));
}

struct LayoutCase {
    const char* name;
    bool hasEntry;
    BOOL wow64;
    Bytes request;  // the 20-byte request's address is checked through what it points at
};

template <size_t N>
void ExpectRequests(const LayoutCase (&cases)[N])
{
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        fake::ScopedDevice scoped;
        scoped->wow64 = c.wow64;
        scoped->registers[17] = 0x85;
        if (!c.hasEntry)
            scoped.RemoveWow64Entry();
        ASSERT_TRUE(AcpiDeviceOpen());

        DWORD result = 0;
        ASSERT_TRUE(ReadEcRegister(182, 17, &result));

        EXPECT_EQ(0x00222404u, scoped->code);
        EXPECT_EQ(4096u, scoped->replySize);
        EXPECT_TRUE(scoped->overlappedNull);
        if (c.request.size() == 16) {
            ASSERT_EQ(20u, scoped->request.size());
            EXPECT_THAT(Bytes(scoped->request.begin(), scoped->request.begin() + 16),
                        ElementsAreArray(c.request));
        } else {
            EXPECT_THAT(scoped->request, ElementsAreArray(c.request));
        }
        EXPECT_THAT(scoped->argumentBlock, ElementsAreArray(kArguments));
    }
}

TEST_F(AcpiDeviceTest, A32BitProgramSendsTheBlockInlineOnlyUnderWow64)
{
    if (sizeof(void*) != 4)
        GTEST_SKIP() << "a 64-bit program never runs on 32-bit Windows or under WOW64";
    const LayoutCase cases[] = {
        {"32-bit Windows", true, FALSE, kHead},
        {"no IsWow64Process", false, TRUE, kHead},
        {"WOW64", true, TRUE, Concat(kHead, kArguments)},
    };
    ExpectRequests(cases);
}

TEST_F(AcpiDeviceTest, A64BitProgramAlwaysSendsTheBlockInline)
{
    if (sizeof(void*) != 8)
        GTEST_SKIP() << "only a 64-bit program has addresses the 20-byte layout cannot carry";
    const LayoutCase cases[] = {
        {"IsWow64Process says no", true, FALSE, Concat(kHead, kArguments)},
        {"no IsWow64Process", false, FALSE, Concat(kHead, kArguments)},
    };
    ExpectRequests(cases);
}

TEST_F(AcpiDeviceTest, ResultIsTheWordAtReplyOffsetSixteen)
{
    device->registers[24] = 0x12345678;
    ASSERT_TRUE(AcpiDeviceOpen());

    DWORD result = 0;
    EXPECT_TRUE(ReadEcRegister(182, 24, &result));
    EXPECT_EQ(0x12345678u, result);
}

TEST_F(AcpiDeviceTest, EvaluateReportsTheBytesReturnedOnlyOnSuccess)
{
    ASSERT_TRUE(AcpiDeviceOpen());
    std::uint8_t reply[64];

    DWORD size = sizeof reply;
    EXPECT_TRUE(EvaluateAcpiMethod("RBEC", 182, 17, reply, &size));
    EXPECT_EQ(24u, size);
    EXPECT_EQ(64u, device->replySize);

    size = sizeof reply;
    device->failEvaluate = true;
    EXPECT_FALSE(EvaluateAcpiMethod("RBEC", 182, 17, reply, &size));
    EXPECT_EQ(64u, size);
}

TEST_F(AcpiDeviceTest, FailedOrTruncatedReadLeavesTheResultAlone)
{
    ASSERT_TRUE(AcpiDeviceOpen());
    DWORD result = 42;

    device->failEvaluate = true;
    EXPECT_FALSE(ReadEcRegister(182, 17, &result));
    EXPECT_EQ(42u, result);

    device->failEvaluate = false;
    device->replyBytes = 19;  // stops before the result word
    EXPECT_FALSE(ReadEcRegister(182, 17, &result));
    EXPECT_EQ(42u, result);

    device->replyBytes = 20;
    EXPECT_TRUE(ReadEcRegister(182, 17, &result));
    EXPECT_EQ(0x85u, result);
}

TEST_F(AcpiDeviceTest, AChannelWhoseDriverWentAwayOpensTheDeviceAgainOnceItIsBack)
{
    ASSERT_TRUE(AcpiDeviceOpen());
    DWORD result = 42;
    device->failEvaluate = true;  // a refusal keeps the handle
    EXPECT_FALSE(ReadEcRegister(182, 17, &result));
    device->failEvaluate = false;
    device->gone = true;
    EXPECT_FALSE(ReadEcRegister(182, 17, &result));
    device->present = false;  // stopped: every call tries, and fails quietly
    EXPECT_FALSE(ReadEcRegister(182, 17, &result));
    EXPECT_EQ(42u, result);
    device->present = true;
    device->gone = false;
    EXPECT_TRUE(ReadEcRegister(182, 17, &result));
    EXPECT_EQ(0x85u, result);
    EXPECT_THAT(fake::Calls(), ElementsAre("CreateFileA \\\\.\\NRVACPI", "DeviceIoControl 0x0022240C in 0 out 4",
                                           "RBEC 182 17", "RBEC 182 17", "CreateFileA \\\\.\\NRVACPI",
                                           "CreateFileA \\\\.\\NRVACPI", "DeviceIoControl 0x0022240C in 0 out 4",
                                           "RBEC 182 17"));
}

}  // namespace
