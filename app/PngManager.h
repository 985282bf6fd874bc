#pragma once
// imgcodec.dll, the PNG codec, loaded at run time from the program's folder: the record
// it decodes into and the one holder of the library.
#include "framework/Handles.h"
#include "framework/SysUtils.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The decoded image as the codec hands it over. The fields at offsets 8 and 16 are the
// codec's own; everything the record points to belongs to the codec until FreePngData.
// The field at 16 holds a pointer, so the record is 24 bytes in the x86 build and 32 in
// the x64 one, with the row pointers at 20 or 24 (the codec asserts the same).
struct PngData {
    uint32_t width;
    uint32_t height;
    uint32_t codecField8;
    uint32_t colorType;      // 6: red, green, blue, alpha; anything else: red, green, blue
    uintptr_t codecField16;  // the codec's pointer
    uint8_t** rows;          // height row pointers, top row first
};
static_assert(sizeof(PngData) == (sizeof(void*) == 4 ? 24 : 32), "the codec's record");
static_assert(offsetof(PngData, rows) == (sizeof(void*) == 4 ? 20 : 24), "row pointers");

using PngReadCallback = int(__stdcall*)(void* context, void* buffer, int count);

// The codec library is there but lacks an entry the loader needs.
class ECodecError : public Exception {
public:
    using Exception::Exception;
};

// The one holder of imgcodec.dll, created by the first load. The pictures come in bursts
// (start-up, a dialog's first showing), so the library and what it allocated are given
// back once the thread's messages run dry after a load; the next load loads it again,
// and raises as the first one did when it is gone.
class PngManager {
public:
    static PngManager& Instance();
    // Unloads the library now; the next Instance() loads it again.
    static void Release();

    // Loads the codec from this full path. Raises EFOpenError when the library cannot be
    // loaded and ECodecError when it lacks ReadPngEx or FreePngData.
    explicit PngManager(const std::string& libraryPath);
    PngManager(const PngManager&) = delete;
    PngManager& operator=(const PngManager&) = delete;

    // ReadPngEx: 0 = failure, anything else = data is filled and must go to Free.
    int Read(PngData* data, PngReadCallback read, void* context) const;
    // FreePngData.
    void Free(PngData* data) const;

private:
    using ReadPngEx = int(__stdcall*)(PngData*, PngReadCallback, void*);
    using FreePngData = void(__stdcall*)(PngData*);

    ModuleHandle m_hinst;
    ReadPngEx m_read = nullptr;
    FARPROC m_write = nullptr;  // looked up for completeness; the program only reads
    FreePngData m_free = nullptr;
    FARPROC m_allocate = nullptr;  // likewise never called
};
