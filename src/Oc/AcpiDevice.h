#pragma once
// The channel to the maker's ACPI driver (device "\\.\NRVACPI"): open the device and
// let the driver evaluate an ACPI method with two integer arguments. One channel per
// process, used from the main thread only.
#include <windows.h>

// Opens the device, first learning whether a 32-bit program runs under WOW64, which
// decides the request layout (a 64-bit program always sends the inline one). False
// when there is no driver; every later call then fails quietly.
bool AcpiDeviceOpen();

// A call that finds the driver gone (stopped or replaced since the device was opened)
// fails, and every later call tries to open the device again first.
//
// Asks the driver to evaluate `method` (exactly four characters, e.g. "RBEC") with
// two integer arguments. On success *replySize (in: size of reply) becomes the
// number of bytes returned; on failure it is left alone.
bool EvaluateAcpiMethod(const char* method, DWORD first, DWORD second, void* reply,
                        DWORD* replySize);

// Reads an embedded-controller register through "RBEC": the method's integer result
// goes to *result. On failure, *result is left alone.
bool ReadEcRegister(DWORD first, DWORD second, DWORD* result);

// The system calls the channel makes. The real ones are in place from program
// start; tests substitute their own to see the requests the channel sends.
struct AcpiDeviceCalls {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    using CreateFileFn = HANDLE(WINAPI*)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD,
                                         DWORD, HANDLE);
    using DeviceIoControlFn = BOOL(WINAPI*)(HANDLE, DWORD, LPVOID, DWORD, LPVOID, DWORD,
                                            LPDWORD, LPOVERLAPPED);

    IsWow64ProcessFn isWow64Process;  // none when the system has no WOW64
    CreateFileFn createFile;
    DeviceIoControlFn deviceIoControl;
};

// Puts `calls` in place and returns the ones they replace.
AcpiDeviceCalls SetAcpiDeviceCalls(const AcpiDeviceCalls& calls);
