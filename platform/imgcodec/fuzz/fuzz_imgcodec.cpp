// libFuzzer target: decodes arbitrary bytes, touches every decoded byte, and for small
// images checks that writing and reading back gives the same pixels.
#include "platform/imgcodec/imgcodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t position;
    int maxRead;  // varies per input, so the codec also sees short reads
};

int IMGCODEC_CALL MemoryRead(void* context, void* buffer, int count)
{
    auto reader = static_cast<MemoryReader*>(context);
    size_t n = reader->size - reader->position;
    if (n > static_cast<size_t>(count))
        n = static_cast<size_t>(count);
    if (n > static_cast<size_t>(reader->maxRead))
        n = static_cast<size_t>(reader->maxRead);
    std::memcpy(buffer, reader->data + reader->position, n);
    reader->position += n;
    return static_cast<int>(n);
}

int IMGCODEC_CALL VectorWrite(void* context, const void* buffer, int count)
{
    auto out = static_cast<std::vector<uint8_t>*>(context);
    auto bytes = static_cast<const uint8_t*>(buffer);
    out->insert(out->end(), bytes, bytes + count);
    return count;
}

bool IsZero(const PngData& png)
{
    return !png.width && !png.height && !png.rowBytes && !png.colorType && !png.pixels && !png.rows;
}

bool SamePixels(const PngData& a, const PngData& b)
{
    if (a.width != b.width || a.height != b.height || a.colorType != b.colorType)
        return false;
    for (uint32_t y = 0; y < a.height; ++y) {
        if (std::memcmp(a.rows[y], b.rows[y], a.rowBytes) != 0)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryReader reader{data, size, 0, static_cast<int>(1 + size % 4093)};
    PngData png;
    if (!ReadPngEx(&png, MemoryRead, &reader)) {
        if (!IsZero(png))
            std::abort();
        return 0;
    }
    if (png.colorType != PNG_COLOR_RGB && png.colorType != PNG_COLOR_RGBA)
        std::abort();
    unsigned sum = 0;
    for (uint32_t y = 0; y < png.height; ++y) {
        for (uint32_t x = 0; x < png.rowBytes; ++x)
            sum += png.rows[y][x];
    }
    volatile unsigned sink = sum;
    (void)sink;

    if (static_cast<uint64_t>(png.width) * png.height <= 64 * 1024) {
        std::vector<uint8_t> encoded;
        if (!WritePngEx(&png, VectorWrite, &encoded))
            std::abort();
        MemoryReader again{encoded.data(), encoded.size(), 0, 1 << 30};
        PngData decoded;
        if (!ReadPngEx(&decoded, MemoryRead, &again) || !SamePixels(png, decoded))
            std::abort();
        FreePngData(&decoded);
    }
    FreePngData(&png);
    return 0;
}
