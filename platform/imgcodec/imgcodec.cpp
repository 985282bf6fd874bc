#include "platform/imgcodec/imgcodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

constexpr int ReadChunk = 64 * 1024;

// The most one stb buffer may hold while this thread decodes (see DecodeBudget); stb
// asks for nothing outside a decode.
thread_local size_t decodeBudget = 0;

void* DecodeAlloc(size_t size)
{
    return size <= decodeBudget ? std::malloc(size) : nullptr;
}

void* DecodeRealloc(void* block, size_t size)
{
    return size <= decodeBudget ? std::realloc(block, size) : nullptr;
}

}  // namespace

// stb_image decodes; only its PNG reader is compiled in, with no file access and no
// global failure strings. Anything larger than PNG_MAX_SIDE is refused in the header.
#define STBI_MALLOC(size) DecodeAlloc(size)
#define STBI_REALLOC(block, size) DecodeRealloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS PNG_MAX_SIDE
#include <stb_image.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

// The record the program reads: 24 bytes for a 32-bit program, 32 for a 64-bit one.
static_assert(sizeof(PngData) == (sizeof(void*) == 4 ? 24 : 32), "the PngData record");
static_assert(offsetof(PngData, colorType) == 12, "colour type at offset 12");
static_assert(offsetof(PngData, rows) == (sizeof(void*) == 4 ? 20 : 24), "row pointers");

namespace {

int ChannelsOf(uint32_t colorType)
{
    switch (colorType) {
    case PNG_COLOR_RGB:
        return 3;
    case PNG_COLOR_RGBA:
        return 4;
    default:
        return 0;
    }
}

bool SizeAllowed(uint64_t width, uint64_t height)
{
    return width > 0 && height > 0 && width <= PNG_MAX_SIDE && height <= PNG_MAX_SIDE &&
           width * height <= PNG_MAX_PIXELS;
}

// Points the row array at consecutive rows of pixels and fills in the record; takes
// ownership of pixels (freed on failure).
bool Attach(PngData* data, uint8_t* pixels, uint32_t width, uint32_t height, uint32_t colorType)
{
    const uint32_t rowBytes = width * static_cast<uint32_t>(ChannelsOf(colorType));
    auto rows = static_cast<uint8_t**>(std::malloc(sizeof(uint8_t*) * height));
    if (!rows) {
        std::free(pixels);
        return false;
    }
    for (uint32_t y = 0; y < height; ++y)
        rows[y] = pixels + static_cast<size_t>(y) * rowBytes;
    data->width = width;
    data->height = height;
    data->rowBytes = rowBytes;
    data->colorType = colorType;
    data->pixels = pixels;
    data->rows = rows;
    return true;
}

uint32_t BigEndian32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// What the chunk framing of a stream shows without decoding anything.
struct Chunks {
    bool fit;           // every chunk lies within the stream
    bool transparency;  // a tRNS chunk: palette alpha or a transparent colour key
};

// stb sizes buffers from what a file claims before it reads the data behind the claim,
// so a chunk length that runs past the end of the stream is refused first.
Chunks WalkChunks(const std::vector<uint8_t>& bytes)
{
    Chunks chunks{true, false};
    const size_t size = bytes.size();
    size_t position = 8;
    while (position + 8 <= size) {
        const uint32_t length = BigEndian32(&bytes[position]);
        if (length > size - position - 8) {
            chunks.fit = false;
            break;
        }
        const uint8_t* type = &bytes[position + 4];
        if (std::memcmp(type, "IEND", 4) == 0)
            break;
        if (std::memcmp(type, "tRNS", 4) == 0)
            chunks.transparency = true;
        position += 12 + static_cast<size_t>(length);
    }
    return chunks;
}

// How the IHDR (the first chunk) lays out a pixel: colour type at byte 25, bit depth at
// byte 24. No samples for a colour type PNG lacks.
struct Layout {
    uint64_t samples;  // a pixel
    uint64_t depth;    // bits a sample
};

Layout LayoutOf(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() < 29 || std::memcmp(&bytes[12], "IHDR", 4) != 0)
        return {0, 0};
    const uint64_t depth = bytes[24];
    switch (bytes[25]) {
    case 0:
    case 3:
        return {1, depth};
    case 4:
        return {2, depth};
    case 2:
        return {3, depth};
    case 6:
        return {4, depth};
    default:
        return {0, 0};
    }
}

// Deflate expands at most 1032:1, so a header promising more samples than the stream
// could hold is refused before stb sizes its inflate buffer from it.
bool HeaderFits(const std::vector<uint8_t>& bytes, Layout layout, uint64_t width, uint64_t height)
{
    return layout.samples &&
           width * height * layout.samples * layout.depth / 8 <= static_cast<uint64_t>(bytes.size()) * 1032;
}

// stb doubles its inflate buffer for as long as the data goes on, so a few KiB could
// have it ask for gigabytes whatever the picture's size. No stb buffer may outgrow what
// this picture needs: twice its rows as stb reckons them (interlacing adds filter and
// padding bytes), its pixels as 16-bit RGBA, or twice the compressed data it gathers.
size_t DecodeBudget(const std::vector<uint8_t>& bytes, Layout layout, uint64_t width, uint64_t height)
{
    const uint64_t rows = ((width * layout.depth + 7) / 8 * layout.samples + 1) * height;
    const uint64_t pixels = width * height * 4 * (layout.depth == 16 ? 2 : 1);
    return static_cast<size_t>(std::max({2 * rows, pixels, 2 * static_cast<uint64_t>(bytes.size()) + 4096}));
}

// The whole stream, up to PNG_MAX_FILE_BYTES; false when the callback misbehaves or
// the stream is longer than that. Each read lands in a buffer of its own, so a callback
// that hands out a few bytes at a time costs no more than one that fills every chunk.
bool ReadAll(PngReadCallback read, void* context, std::vector<uint8_t>& bytes)
{
    std::vector<uint8_t> chunk(ReadChunk);
    for (;;) {
        if (bytes.size() > PNG_MAX_FILE_BYTES)
            return false;
        const int got = read(context, chunk.data(), ReadChunk);
        if (got < 0 || got > ReadChunk)
            return false;
        if (got == 0)
            return true;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
    }
}

bool Decode(const std::vector<uint8_t>& bytes, PngData* data)
{
    const int length = static_cast<int>(bytes.size());
    int width = 0, height = 0, fileChannels = 0;
    if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &fileChannels))
        return false;
    const Chunks chunks = WalkChunks(bytes);
    const Layout layout = LayoutOf(bytes);
    if (!chunks.fit || !SizeAllowed(static_cast<uint64_t>(width), static_cast<uint64_t>(height)) ||
        !HeaderFits(bytes, layout, static_cast<uint64_t>(width), static_cast<uint64_t>(height)))
        return false;
    // stb counts an alpha channel for grey+alpha, RGBA and a palette with tRNS, but not
    // for a grey or RGB picture whose tRNS makes one colour transparent.
    const bool hasAlpha = fileChannels == 2 || fileChannels == 4 || chunks.transparency;
    const uint32_t colorType = hasAlpha ? PNG_COLOR_RGBA : PNG_COLOR_RGB;
    int decodedWidth = 0, decodedHeight = 0, ignored = 0;
    decodeBudget = DecodeBudget(bytes, layout, static_cast<uint64_t>(width), static_cast<uint64_t>(height));
    uint8_t* pixels = stbi_load_from_memory(bytes.data(), length, &decodedWidth, &decodedHeight,
                                            &ignored, ChannelsOf(colorType));
    decodeBudget = 0;
    if (!pixels)
        return false;
    if (decodedWidth != width || decodedHeight != height) {
        stbi_image_free(pixels);
        return false;
    }
    return Attach(data, pixels, static_cast<uint32_t>(width), static_cast<uint32_t>(height), colorType);
}

struct WriteSink {
    PngWriteCallback write;
    void* context;
    bool ok;
};

void SinkWrite(void* context, void* bytes, int size)
{
    auto sink = static_cast<WriteSink*>(context);
    if (sink->ok && sink->write(sink->context, bytes, size) != size)
        sink->ok = false;
}

bool Encode(const PngData* data, PngWriteCallback write, void* context)
{
    const int channels = ChannelsOf(data->colorType);
    if (!channels || !data->rows || !SizeAllowed(data->width, data->height))
        return false;
    const size_t rowBytes = static_cast<size_t>(data->width) * channels;
    const uint8_t* first = data->rows[0];
    bool packed = first != nullptr;
    for (uint32_t y = 0; y < data->height; ++y) {
        if (!data->rows[y])
            return false;
        packed = packed && data->rows[y] == first + y * rowBytes;
    }
    // stb wants one block; rows that are not laid out back to back are copied into one.
    std::vector<uint8_t> copy;
    if (!packed) {
        copy.resize(rowBytes * data->height);
        for (uint32_t y = 0; y < data->height; ++y)
            std::memcpy(copy.data() + y * rowBytes, data->rows[y], rowBytes);
        first = copy.data();
    }
    WriteSink sink{write, context, true};
    const int written = stbi_write_png_to_func(SinkWrite, &sink, static_cast<int>(data->width),
                                               static_cast<int>(data->height), channels, first,
                                               static_cast<int>(rowBytes));
    return written && sink.ok;
}

}  // namespace

extern "C" {

int IMGCODEC_CALL ReadPngEx(PngData* data, PngReadCallback read, void* context)
{
    if (!data)
        return 0;
    *data = PngData{};
    if (!read)
        return 0;
    try {
        std::vector<uint8_t> bytes;
        return ReadAll(read, context, bytes) && Decode(bytes, data) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

int IMGCODEC_CALL WritePngEx(const PngData* data, PngWriteCallback write, void* context)
{
    if (!data || !write)
        return 0;
    try {
        return Encode(data, write, context) ? 1 : 0;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

void IMGCODEC_CALL FreePngData(PngData* data)
{
    if (!data)
        return;
    std::free(data->pixels);
    std::free(data->rows);
    *data = PngData{};
}

int IMGCODEC_CALL AllocatePngData(PngData* data, uint32_t width, uint32_t height, uint32_t colorType)
{
    if (!data)
        return 0;
    *data = PngData{};
    const int channels = ChannelsOf(colorType);
    if (!channels || !SizeAllowed(width, height))
        return 0;
    auto pixels = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(width) * height, channels));
    if (!pixels)
        return 0;
    return Attach(data, pixels, width, height, colorType) ? 1 : 0;
}

}  // extern "C"
