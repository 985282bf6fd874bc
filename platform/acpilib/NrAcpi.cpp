// NRACPI.DLL: BIOS item enumeration, read and write, served by the simulated
// board behind \\.\NRVACPI. Without the device every entry fails cleanly, so
// the program sees a board without the feature.
#include <windows.h>

#include <cstdint>

#include "framework/Handles.h"
#include "platform/acpidriver/BoardProtocol.h"
#include "platform/acpilib/NrAcpiList.h"

namespace {

// The device stays open from AcpiLibInit until the DLL is unloaded, or until its driver
// goes away; then each request tries to open it again, so a restarted driver is found.
HANDLE g_device = INVALID_HANDLE_VALUE;
bool g_lost = false;

HANDLE OpenDevice()
{
    return CreateFileA(NRV_DEVICE_NAME_A, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

bool Request(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength, DWORD* written)
{
    if (g_device == INVALID_HANDLE_VALUE && g_lost) {
        g_device = OpenDevice();
        g_lost = g_device == INVALID_HANDLE_VALUE;
    }
    if (g_device == INVALID_HANDLE_VALUE)
        return false;
    DWORD returned = 0;
    if (!DeviceIoControl(g_device, code, const_cast<void*>(in), inLength, out, outLength, &returned,
                         nullptr)) {
        if (DeviceHandleLost(GetLastError())) {
            CloseHandle(g_device);
            g_device = INVALID_HANDLE_VALUE;
            g_lost = true;
        }
        return false;
    }
    if (written)
        *written = returned;
    return true;
}

// A caller's buffer and its size word; the size must not claim more than it gave.
bool CallerBuffer(void* buffer, const uint32_t* size)
{
    return buffer != nullptr && size != nullptr && *size >= sizeof(nracpi::ListHeader);
}

} // namespace

extern "C" {

int WINAPI AcpiLibInit(void)
{
    if (g_device == INVALID_HANDLE_VALUE)
        g_device = OpenDevice();
    return g_device != INVALID_HANDLE_VALUE ? 1 : 0;
}

int WINAPI SetBiosItemValue(uint32_t id, uint32_t value, uint32_t mode)
{
    const NrvSetItemRequest request{id, value, mode};
    return Request(NRV_IOCTL_SET_ITEM_VALUE, &request, sizeof(request), nullptr, 0, nullptr) ? 1 : 0;
}

int WINAPI GetBiosItemValue(uint32_t id, uint32_t* value)
{
    if (!value)
        return 0;
    const NrvItemRequest request{id};
    NrvItemValue reply{};
    DWORD written = 0;
    if (!Request(NRV_IOCTL_GET_ITEM_VALUE, &request, sizeof(request), &reply, sizeof(reply), &written) ||
        written != sizeof(reply))
        return 0;
    *value = reply.value;
    return 1;
}

int WINAPI GetGroupInfo(uint32_t group, void* buffer, uint32_t* size)
{
    if (!CallerBuffer(buffer, size))
        return 0;
    const NrvGroupRequest request{group};
    struct {
        NrvGroupReplyHeader header;
        uint32_t ids[NRV_MAX_ITEMS];
    } reply{};
    DWORD written = 0;
    if (!Request(NRV_IOCTL_GET_GROUP, &request, sizeof(request), &reply, sizeof(reply), &written) ||
        written < sizeof(reply.header) || reply.header.count > NRV_MAX_ITEMS ||
        written != sizeof(reply.header) + reply.header.count * sizeof(uint32_t))
        return 0;
    nracpi::ListWriter list(buffer, *size);
    for (uint32_t i = 0; i < reply.header.count; ++i) {
        const nracpi::GroupEntry entry{reply.ids[i], group, i};
        if (!list.Append(&entry, sizeof(entry)))
            return 0;
    }
    *size = list.Used();
    return 1;
}

void* WINAPI ListFirst(void* buffer)
{
    return nracpi::First(buffer);
}

int WINAPI ListCount(void* buffer)
{
    return static_cast<int>(nracpi::Count(buffer));
}

void* WINAPI ListEntryData(void* handle)
{
    return nracpi::Data(static_cast<nracpi::ListNode*>(handle));
}

void* WINAPI ListNext(void* handle)
{
    return nracpi::Next(static_cast<nracpi::ListNode*>(handle));
}

int WINAPI GetItemInfo(const void* entryData, void* buffer, uint32_t* size)
{
    if (!entryData || !CallerBuffer(buffer, size))
        return 0;
    const NrvItemRequest request{static_cast<const nracpi::GroupEntry*>(entryData)->id};
    NrvItemInfo info{};
    DWORD written = 0;
    if (!Request(NRV_IOCTL_GET_ITEM_INFO, &request, sizeof(request), &info, sizeof(info), &written) ||
        written != sizeof(info) || info.id != request.id)
        return 0;
    nracpi::ListWriter list(buffer, *size);
    if (!list.Append(&info, sizeof(info)))
        return 0;
    *size = list.Used();
    return 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    // At process exit the system closes the handle itself.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr && g_device != INVALID_HANDLE_VALUE) {
        CloseHandle(g_device);
        g_device = INVALID_HANDLE_VALUE;
    }
    return TRUE;
}

} // extern "C"
