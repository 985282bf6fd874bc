#include "src/Oc/AcpiDevice.h"

#include "framework/Handles.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr DWORD kEvaluateMethod = 0x00222404;  // CTL_CODE(0x22, 0x901, buffered, any)
constexpr DWORD kAfterOpen = 0x0022240C;       // CTL_CODE(0x22, 0x903, buffered, any)

constexpr std::uint32_t kRequestSignature = 4;
constexpr std::uint16_t kIntegerArgument = 0;
constexpr std::uint32_t kArgumentCount = 2;
// Per argument: type and length words, then the larger of 4 and the data length.
constexpr std::size_t kArgumentBlockSize = 2 * (4 + 4);
constexpr std::size_t kRequestHeadSize = 16;
constexpr std::size_t kNativeRequestSize = kRequestHeadSize + 4;
constexpr std::size_t kWow64RequestSize = kRequestHeadSize + kArgumentBlockSize;

constexpr DWORD kEcReplySize = 4096;
constexpr std::size_t kResultOffset = 16;

AcpiDeviceCalls::IsWow64ProcessFn LookUpIsWow64Process()
{
    // Looked up rather than imported: systems without WOW64 lack the entry.
    const HMODULE kernel = GetModuleHandleA("kernel32");
    if (kernel == nullptr)
        return nullptr;
    const auto entry = reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process"));
    return reinterpret_cast<AcpiDeviceCalls::IsWow64ProcessFn>(entry);
}

AcpiDeviceCalls g_calls = {LookUpIsWow64Process(), &CreateFileA, &DeviceIoControl};
// How a method call's argument block reaches the driver. Only a 32-bit program on 32-bit
// Windows passes its address (20 bytes): the 32-bit driver reads the caller's memory. On
// 64-bit Windows the driver is 64-bit and cannot follow a 32-bit address, and a 64-bit
// program has none to give; there the block travels inline (32 bytes), the same bytes
// from a 32-bit program under WOW64 as from a 64-bit one.
constexpr bool kProgramIs64Bit = sizeof(void*) == 8;
bool g_blockInline = kProgramIs64Bit;
// Owned for the whole process: closed when it is reopened and at exit.
KernelHandle g_device;
// The device was open once and its driver went away: each call tries to open it again,
// so that a driver that is restarted or updated is found without restarting the program.
bool g_lost = false;

void Put16(unsigned char* at, std::uint16_t value)
{
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void Put32(unsigned char* at, std::uint32_t value)
{
    Put16(at, static_cast<std::uint16_t>(value));
    Put16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t Get32(const unsigned char* at)
{
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

void PutIntegerArgument(unsigned char* at, std::uint32_t value)
{
    Put16(at, kIntegerArgument);
    Put16(at + 2, 4);
    Put32(at + 4, value);
}

}  // namespace

AcpiDeviceCalls SetAcpiDeviceCalls(const AcpiDeviceCalls& calls)
{
    const AcpiDeviceCalls previous = g_calls;
    g_calls = calls;
    return previous;
}

namespace {

bool OpenDevice()
{
    BOOL wow64 = FALSE;
    if (g_calls.isWow64Process == nullptr || !g_calls.isWow64Process(GetCurrentProcess(), &wow64))
        wow64 = FALSE;
    g_blockInline = kProgramIs64Bit || wow64;

    g_device.Reset();
    const HANDLE device =
        g_calls.createFile("\\\\.\\NRVACPI", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    g_device.Reset(device);
    if (!g_device)
        return false;
    g_lost = false;

    // The driver expects this right after opening; what it answers means nothing to us.
    DWORD answer = 0;
    DWORD returned = 0;
    g_calls.deviceIoControl(device, kAfterOpen, nullptr, 0, &answer, sizeof answer, &returned,
                            nullptr);
    return true;
}

}  // namespace

bool AcpiDeviceOpen()
{
    g_lost = false;
    return OpenDevice();
}

bool EvaluateAcpiMethod(const char* method, DWORD first, DWORD second, void* reply,
                        DWORD* replySize)
{
    if (!g_device && !(g_lost && OpenDevice()))
        return false;

    std::array<unsigned char, kArgumentBlockSize> arguments{};
    PutIntegerArgument(arguments.data(), first);
    PutIntegerArgument(arguments.data() + 8, second);

    std::array<unsigned char, kWow64RequestSize> request{};
    Put32(request.data(), kRequestSignature);
    std::memcpy(request.data() + 4, method, 4);
    Put32(request.data() + 8, kArgumentCount);
    Put32(request.data() + 12, kArgumentBlockSize);
    std::size_t requestSize = kNativeRequestSize;
    if (g_blockInline) {
        std::memcpy(request.data() + kRequestHeadSize, arguments.data(), arguments.size());
        requestSize = kWow64RequestSize;
    } else {
        Put32(request.data() + kRequestHeadSize,
              static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(arguments.data())));
    }

    DWORD returned = 0;
    if (g_calls.deviceIoControl(g_device.Get(), kEvaluateMethod, request.data(),
                                static_cast<DWORD>(requestSize), reply, *replySize, &returned,
                                nullptr)) {
        *replySize = returned;
        return true;
    }
    if (DeviceHandleLost(GetLastError())) {
        g_device.Reset();
        g_lost = true;
    }
    return false;
}

bool ReadEcRegister(DWORD first, DWORD second, DWORD* result)
{
    // One buffer for every read (the channel serves the main thread only); only the
    // bytes the driver returned are read.
    static std::array<unsigned char, kEcReplySize> reply;
    DWORD size = kEcReplySize;
    if (!EvaluateAcpiMethod("RBEC", first, second, reply.data(), &size))
        return false;
    // A reply that stops before the result carries no value; taking the zeros behind
    // it would report a reading the driver never made.
    if (size < kResultOffset + 4)
        return false;
    *result = Get32(reply.data() + kResultOffset);
    return true;
}
