#pragma once
// imgcodec.dll: a PNG codec driven through caller-supplied read and write callbacks.
// Every entry and callback uses the stdcall convention; the DLL exports the entries by
// their plain names. Decoded images always come out as 8-bit red, green, blue rows
// (colour type 2) or, when the file carries any transparency, red, green, blue, alpha
// rows (colour type 6); grey, palette and 16-bit files are converted.
#include <stdint.h>

#ifdef _WIN32
#define IMGCODEC_CALL __stdcall
#else
#define IMGCODEC_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

enum {
    PNG_COLOR_RGB = 2,
    PNG_COLOR_RGBA = 6,
};

// Limits that keep a hostile file from making the codec allocate huge amounts.
// Skins need 800 x 347 at most; 16 Mpixels is two 4K screens, 64 MiB once decoded.
enum {
    PNG_MAX_SIDE = 16384,
    PNG_MAX_PIXELS = 16 * 1024 * 1024,
    PNG_MAX_FILE_BYTES = 64 * 1024 * 1024,
};

typedef struct PngData {
    uint32_t width;
    uint32_t height;
    uint32_t rowBytes;   // width * 3 for colour type 2, width * 4 for colour type 6
    uint32_t colorType;  // PNG_COLOR_RGB or PNG_COLOR_RGBA
    uint8_t* pixels;     // the block every row lies in; owned by the codec
    uint8_t** rows;      // height row pointers, top row first; owned by the codec
} PngData;

// Reads up to count bytes into buffer; returns the number read, 0 at the end, < 0 on error.
typedef int(IMGCODEC_CALL* PngReadCallback)(void* context, void* buffer, int count);
// Writes count bytes; returns the number written (anything but count is an error).
typedef int(IMGCODEC_CALL* PngWriteCallback)(void* context, const void* buffer, int count);

// Decodes a whole PNG stream into data. Returns 0 on any failure, with data zeroed
// and nothing left allocated; otherwise non-zero, and data must go to FreePngData.
int IMGCODEC_CALL ReadPngEx(PngData* data, PngReadCallback read, void* context);

// Encodes data (colour type 2 or 6, rows of 8-bit samples) as a PNG stream.
// Returns 0 on failure, including a short write.
int IMGCODEC_CALL WritePngEx(const PngData* data, PngWriteCallback write, void* context);

// Releases what ReadPngEx or AllocatePngData put into data and zeroes the record.
void IMGCODEC_CALL FreePngData(PngData* data);

// Fills data with zeroed rows of the given size and colour type, ready to be filled and
// written. Returns 0 (data zeroed) for a bad size or type or when memory runs out.
int IMGCODEC_CALL AllocatePngData(PngData* data, uint32_t width, uint32_t height, uint32_t colorType);

#ifdef __cplusplus
}
#endif
