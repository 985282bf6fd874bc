/* Kernel-mode glue of the simulated ACPI device: creates \Device\NRVACPI with
   its DOS name, takes the start-up board profile from the service key's
   "Profile" value, and hands every control request to the board model under
   a mutex. Buffered requests only, so the model sees nothing but the system
   buffer and the lengths the I/O manager reports. */
#include <ntddk.h>

#include "platform/acpidriver/BoardModel.h"

static const WCHAR kDeviceName[] = L"\\Device\\NRVACPI";
static const WCHAR kDosName[] = L"\\DosDevices\\NRVACPI";

static NrvBoardState g_board;
static KMUTEX g_lock;

#ifdef _WIN64
/* The x64 headers make this an inline read of a fixed kernel address, which a
   user-mode device host (Wine's) does not map; the exported function works in both. */
#undef KeQuerySystemTime
NTKERNELAPI VOID NTAPI KeQuerySystemTime(PLARGE_INTEGER CurrentTime);
#endif

static uint32_t NowMs(void)
{
    LARGE_INTEGER now;
    KeQuerySystemTime(&now);
    return (uint32_t)((ULONGLONG)now.QuadPart / 10000u);
}

static NTSTATUS ToNtStatus(NrvStatus status)
{
    switch (status) {
    case NRV_OK: return STATUS_SUCCESS;
    case NRV_INVALID_REQUEST: return STATUS_INVALID_DEVICE_REQUEST;
    case NRV_INVALID_PARAMETER: return STATUS_INVALID_PARAMETER;
    case NRV_BUFFER_TOO_SMALL: return STATUS_BUFFER_TOO_SMALL;
    case NRV_NOT_FOUND: return STATUS_NOT_FOUND;
    case NRV_DEVICE_ERROR: return STATUS_IO_DEVICE_ERROR;
    case NRV_NOT_SUPPORTED: return STATUS_NOT_SUPPORTED;
    default: return STATUS_UNSUCCESSFUL;
    }
}

/* Reads the REG_SZ "Profile" of the service key into the board; anything
   missing or malformed leaves the default board. */
static void LoadStartupProfile(PUNICODE_STRING registryPath)
{
    OBJECT_ATTRIBUTES attributes;
    UNICODE_STRING valueName;
    HANDLE key;
    union {
        KEY_VALUE_PARTIAL_INFORMATION info;
        UCHAR bytes[sizeof(KEY_VALUE_PARTIAL_INFORMATION) + 2 * NRV_PROFILE_NAME_SIZE];
    } value;
    ULONG length = 0, i, chars;
    char profile[NRV_PROFILE_NAME_SIZE];

    NrvBoardLoadProfile(&g_board, NRV_DEFAULT_PROFILE, sizeof(NRV_DEFAULT_PROFILE) - 1);

    InitializeObjectAttributes(&attributes, registryPath, OBJ_CASE_INSENSITIVE | OBJ_KERNEL_HANDLE,
                               NULL, NULL);
    if (!NT_SUCCESS(ZwOpenKey(&key, KEY_READ, &attributes)))
        return;
    RtlInitUnicodeString(&valueName, L"Profile");
    if (NT_SUCCESS(ZwQueryValueKey(key, &valueName, KeyValuePartialInformation, &value,
                                   sizeof(value), &length)) &&
        value.info.Type == REG_SZ && value.info.DataLength <= sizeof(value) -
            FIELD_OFFSET(KEY_VALUE_PARTIAL_INFORMATION, Data)) {
        const WCHAR* text = (const WCHAR*)value.info.Data;
        chars = value.info.DataLength / sizeof(WCHAR);
        while (chars > 0 && text[chars - 1] == 0)
            --chars;
        if (chars > 0 && chars < NRV_PROFILE_NAME_SIZE) {
            for (i = 0; i < chars; ++i)
                profile[i] = text[i] < 0x80 ? (char)text[i] : '?';
            NrvBoardLoadProfile(&g_board, profile, chars);
        }
    }
    ZwClose(key);
}

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS NTAPI DispatchCreateClose(PDEVICE_OBJECT device, PIRP irp)
{
    (void)device;
    return Complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI DispatchControl(PDEVICE_OBJECT device, PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
    ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
    ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
    void* buffer = irp->AssociatedIrp.SystemBuffer;
    uint32_t written = 0;
    NrvStatus status;
    (void)device;

    /* Every request this device knows is buffered; the model then reads
       only inLength bytes and writes at most outLength bytes of the buffer. */
    if ((code & 3u) != METHOD_BUFFERED)
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    if (!buffer && (inLength > 0 || outLength > 0))
        return Complete(irp, STATUS_INVALID_PARAMETER, 0);

    KeWaitForSingleObject(&g_lock, Executive, KernelMode, FALSE, NULL);
    status = NrvBoardDispatch(&g_board, code, buffer, inLength, buffer, outLength, &written, NowMs());
    KeReleaseMutex(&g_lock, FALSE);
    return Complete(irp, ToNtStatus(status), status == NRV_OK ? written : 0);
}

static VOID NTAPI DriverUnload(PDRIVER_OBJECT driver)
{
    UNICODE_STRING dosName;
    RtlInitUnicodeString(&dosName, kDosName);
    IoDeleteSymbolicLink(&dosName);
    if (driver->DeviceObject)
        IoDeleteDevice(driver->DeviceObject);
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath)
{
    UNICODE_STRING deviceName, dosName;
    PDEVICE_OBJECT device = NULL;
    NTSTATUS status;

    KeInitializeMutex(&g_lock, 0);
    LoadStartupProfile(registryPath);

    RtlInitUnicodeString(&deviceName, kDeviceName);
    status = IoCreateDevice(driver, 0, &deviceName, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    device->Flags |= DO_BUFFERED_IO;

    RtlInitUnicodeString(&dosName, kDosName);
    status = IoCreateSymbolicLink(&dosName, &deviceName);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }

    driver->MajorFunction[IRP_MJ_CREATE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLEANUP] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_CLOSE] = DispatchCreateClose;
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DispatchControl;
    driver->DriverUnload = DriverUnload;
    device->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}
