#include "platform/imgcodec/imgcodec.h"
#include "tests/png/PngSamples.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

using namespace pngtest;

namespace {

template <typename Entry>
Entry Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// imgcodec.dll from the program folder, its entries looked up by name.
struct Codec {
    decltype(&ReadPngEx) read;
    decltype(&WritePngEx) write;
    decltype(&FreePngData) free;
    decltype(&AllocatePngData) allocate;
};

const Codec& LoadCodec()
{
    static const Codec codec = [] {
        HMODULE module = LoadLibraryA((ProgramFolder() + "imgcodec.dll").c_str());
        if (!module)
            throw std::runtime_error("imgcodec.dll not loadable");
        return Codec{Lookup<decltype(&ReadPngEx)>(module, "ReadPngEx"),
                     Lookup<decltype(&WritePngEx)>(module, "WritePngEx"),
                     Lookup<decltype(&FreePngData)>(module, "FreePngData"),
                     Lookup<decltype(&AllocatePngData)>(module, "AllocatePngData")};
    }();
    return codec;
}

struct MemoryStream {
    std::vector<uint8_t> bytes;
    size_t position = 0;
    int maxRead = 1 << 30;
};

int IMGCODEC_CALL ReadMemory(void* context, void* buffer, int count)
{
    auto stream = static_cast<MemoryStream*>(context);
    const size_t n = std::min({static_cast<size_t>(count), static_cast<size_t>(stream->maxRead),
                               stream->bytes.size() - stream->position});
    std::memcpy(buffer, stream->bytes.data() + stream->position, n);
    stream->position += n;
    return static_cast<int>(n);
}

int IMGCODEC_CALL ReadFails(void*, void*, int)
{
    return -1;
}

int IMGCODEC_CALL ReadTooMuch(void*, void*, int count)
{
    return count + 1;
}

// A valid picture followed by an endless run of bytes.
int IMGCODEC_CALL ReadEndless(void* context, void* buffer, int count)
{
    auto stream = static_cast<MemoryStream*>(context);
    if (stream->position < stream->bytes.size())
        return ReadMemory(context, buffer, count);
    std::memset(buffer, 0, static_cast<size_t>(count));
    return count;
}

int IMGCODEC_CALL WriteMemory(void* context, const void* buffer, int count)
{
    auto out = static_cast<std::vector<uint8_t>*>(context);
    auto bytes = static_cast<const uint8_t*>(buffer);
    out->insert(out->end(), bytes, bytes + count);
    return count;
}

int IMGCODEC_CALL WriteShort(void*, const void*, int count)
{
    return count - 1;
}

// Encodes rows of 8-bit samples (3 or 4 per pixel) given back to back.
std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, uint32_t colorType,
                               const std::vector<uint8_t>& samples)
{
    const Codec& codec = LoadCodec();
    PngData png;
    if (!codec.allocate(&png, width, height, colorType) || samples.size() != png.rowBytes * height)
        throw std::runtime_error("bad test image");
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(png.rows[y], samples.data() + y * png.rowBytes, png.rowBytes);
    std::vector<uint8_t> encoded;
    const int ok = codec.write(&png, WriteMemory, &encoded);
    codec.free(&png);
    if (!ok)
        throw std::runtime_error("encoding failed");
    return encoded;
}

// Decoded record as plain values, so a failed expectation shows the samples.
struct Decoded {
    int result;
    PngData png;
    std::vector<uint8_t> samples;  // all rows, back to back
};

Decoded Decode(MemoryStream stream)
{
    const Codec& codec = LoadCodec();
    Decoded d;
    std::memset(&d.png, 0xAB, sizeof d.png);
    d.result = codec.read(&d.png, ReadMemory, &stream);
    for (uint32_t y = 0; d.result && y < d.png.height; ++y)
        d.samples.insert(d.samples.end(), d.png.rows[y], d.png.rows[y] + d.png.rowBytes);
    return d;
}

Decoded DecodeFile(const std::string& name)
{
    return Decode(MemoryStream{ReadFileBytes(SampleFolder() + name)});
}

bool IsZero(const PngData& png)
{
    const PngData zero{};
    return std::memcmp(&png, &zero, sizeof png) == 0;
}

}  // namespace

TEST(Imgcodec, EntriesAreExportedByPlainName)
{
    const Codec& codec = LoadCodec();
    EXPECT_NE(codec.read, nullptr);
    EXPECT_NE(codec.write, nullptr);
    EXPECT_NE(codec.free, nullptr);
    EXPECT_NE(codec.allocate, nullptr);
}

TEST(Imgcodec, EveryStorageFormDecodesToEightBitRgbOrRgba)
{
    struct Case {
        const char* file;
        uint32_t width, height, colorType;
        std::vector<uint8_t> samples;
    };
    const Case cases[] = {
        {"figures.png", 4, 1, 6, {200, 100, 50, 0, 200, 100, 50, 128, 10, 20, 30, 255, 1, 2, 3, 1}},
        {"grey.png", 3, 1, 2, {0, 0, 0, 128, 128, 128, 255, 255, 255}},
        {"grey1.png", 4, 1, 2, {0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0}},
        {"grey16.png", 3, 1, 2, {0, 0, 0, 128, 128, 128, 255, 255, 255}},
        {"grey_alpha.png", 3, 1, 6, {100, 100, 100, 0, 100, 100, 100, 128, 7, 7, 7, 255}},
        {"palette.png", 3, 1, 2, {200, 100, 50, 10, 20, 30, 0, 0, 255}},
        {"palette_trns.png", 4, 1, 6, {0, 0, 0, 0, 128, 64, 32, 128, 10, 20, 30, 255, 0, 255, 0, 64}},
        {"rgb_trns.png", 3, 1, 6, {200, 100, 50, 255, 0, 0, 0, 0, 10, 20, 30, 255}},
        {"rgb16.png", 2, 1, 2, {200, 100, 50, 10, 20, 30}},
        {"rgba16.png", 2, 1, 6, {200, 100, 50, 128, 10, 20, 30, 0}},
    };
    const Codec& codec = LoadCodec();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Decoded d = DecodeFile(c.file);
        ASSERT_NE(d.result, 0);
        EXPECT_EQ(d.png.width, c.width);
        EXPECT_EQ(d.png.height, c.height);
        EXPECT_EQ(d.png.colorType, c.colorType);
        EXPECT_EQ(d.png.rowBytes, c.width * (c.colorType == 6 ? 4 : 3));
        EXPECT_EQ(d.samples, c.samples);
        codec.free(&d.png);
        EXPECT_TRUE(IsZero(d.png));
    }
}

TEST(Imgcodec, InterlacedPictureComesOutInRowOrder)
{
    Decoded d = DecodeFile("interlaced.png");
    ASSERT_NE(d.result, 0);
    ASSERT_EQ(d.png.width, 9u);
    ASSERT_EQ(d.png.height, 9u);
    EXPECT_EQ(d.png.colorType, 2u);
    std::vector<uint8_t> expected;
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) {
            expected.push_back(static_cast<uint8_t>(25 * x));
            expected.push_back(static_cast<uint8_t>(25 * y));
            expected.push_back(static_cast<uint8_t>(100 + x + y));
        }
    }
    EXPECT_EQ(d.samples, expected);
    LoadCodec().free(&d.png);
}

TEST(Imgcodec, ShortReadsStillGiveTheWholePicture)
{
    MemoryStream stream{ReadFileBytes(SampleFolder() + "interlaced.png")};
    stream.maxRead = 1;
    Decoded bytewise = Decode(stream);
    Decoded whole = DecodeFile("interlaced.png");
    ASSERT_NE(bytewise.result, 0);
    EXPECT_EQ(bytewise.samples, whole.samples);
    LoadCodec().free(&bytewise.png);
    LoadCodec().free(&whole.png);
}

TEST(Imgcodec, BrokenOrOversizedFilesFailWithAZeroedRecord)
{
    const char* files[] = {
        "corpus/empty.png",         "corpus/not_png.png",      "corpus/signature_only.png",
        "corpus/header_only.png",   "corpus/truncated_idat.png", "corpus/damaged_idat.png",
        "corpus/taller.png",        "corpus/zero_width.png",   "corpus/bad_depth.png",
        "corpus/bad_type.png",      "corpus/bad_interlace.png", "corpus/over_side.png",
        "corpus/over_pixels.png",   "corpus/huge_width.png",   "corpus/huge_both.png",
        "corpus/huge_tall.png",     "corpus/huge_square.png",  "corpus/wrap_rgba.png",
        "corpus/wrap_rgba16.png",   "corpus/over_budget.png",  "corpus/inflates_on.png",
    };
    for (const char* file : files) {
        SCOPED_TRACE(file);
        Decoded d = DecodeFile(file);
        EXPECT_EQ(d.result, 0);
        EXPECT_TRUE(IsZero(d.png));
    }
}

TEST(Imgcodec, PictureAtThePixelLimitDecodes)
{
    Decoded d = DecodeFile("corpus/at_budget.png");
    ASSERT_NE(d.result, 0);
    EXPECT_EQ(d.png.width, 4096u);
    EXPECT_EQ(d.png.height, 4096u);
    EXPECT_EQ(d.png.colorType, 2u);
    EXPECT_TRUE(std::all_of(d.samples.begin(), d.samples.end(), [](uint8_t b) { return b == 0; }));
    LoadCodec().free(&d.png);
}

TEST(Imgcodec, MisbehavingReadCallbackFails)
{
    const Codec& codec = LoadCodec();
    PngData png;
    EXPECT_EQ(codec.read(&png, ReadFails, nullptr), 0);
    EXPECT_TRUE(IsZero(png));
    EXPECT_EQ(codec.read(&png, ReadTooMuch, nullptr), 0);
    EXPECT_TRUE(IsZero(png));
    EXPECT_EQ(codec.read(&png, nullptr, nullptr), 0);
    EXPECT_TRUE(IsZero(png));
    EXPECT_EQ(codec.read(nullptr, ReadFails, nullptr), 0);
}

TEST(Imgcodec, StreamLongerThanTheFileLimitIsRefused)
{
    MemoryStream stream{ReadFileBytes(SampleFolder() + "grey.png")};
    PngData png;
    EXPECT_EQ(LoadCodec().read(&png, ReadEndless, &stream), 0);
    EXPECT_GT(stream.position, static_cast<size_t>(0));
    EXPECT_TRUE(IsZero(png));
}

TEST(Imgcodec, WrittenPicturesReadBackUnchanged)
{
    struct Case {
        uint32_t width, height, colorType;
    };
    for (const Case c : {Case{5, 3, 6}, Case{4, 2, 2}, Case{1, 1, 6}}) {
        SCOPED_TRACE(c.colorType);
        const uint32_t channels = c.colorType == 6 ? 4 : 3;
        std::vector<uint8_t> samples(c.width * c.height * channels);
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<uint8_t>(i * 37 + 11);
        const std::vector<uint8_t> encoded = EncodePng(c.width, c.height, c.colorType, samples);
        ASSERT_GE(encoded.size(), 8u);
        EXPECT_EQ(std::memcmp(encoded.data(), "\x89PNG\r\n\x1a\n", 8), 0);
        Decoded d = Decode(MemoryStream{encoded});
        ASSERT_NE(d.result, 0);
        EXPECT_EQ(d.png.width, c.width);
        EXPECT_EQ(d.png.height, c.height);
        EXPECT_EQ(d.png.colorType, c.colorType);
        EXPECT_EQ(d.samples, samples);
        LoadCodec().free(&d.png);
    }
}

TEST(Imgcodec, WriterFollowsRowPointersNotMemoryOrder)
{
    const Codec& codec = LoadCodec();
    PngData png;
    ASSERT_NE(codec.allocate(&png, 2, 3, PNG_COLOR_RGB), 0);
    for (uint32_t y = 0; y < 3; ++y)
        std::memset(png.rows[y], static_cast<int>(10 * (y + 1)), png.rowBytes);
    std::reverse(png.rows, png.rows + 3);
    std::vector<uint8_t> encoded;
    ASSERT_NE(codec.write(&png, WriteMemory, &encoded), 0);
    codec.free(&png);

    Decoded d = Decode(MemoryStream{encoded});
    ASSERT_NE(d.result, 0);
    std::vector<uint8_t> expected;
    for (int value : {30, 20, 10})
        expected.insert(expected.end(), 6, static_cast<uint8_t>(value));
    EXPECT_EQ(d.samples, expected);
    codec.free(&d.png);
}

TEST(Imgcodec, WriterRefusesBadRecordsAndShortWrites)
{
    const Codec& codec = LoadCodec();
    PngData png;
    ASSERT_NE(codec.allocate(&png, 2, 2, PNG_COLOR_RGBA), 0);
    std::vector<uint8_t> out;
    EXPECT_EQ(codec.write(&png, WriteShort, nullptr), 0);
    EXPECT_EQ(codec.write(&png, nullptr, nullptr), 0);
    EXPECT_EQ(codec.write(nullptr, WriteMemory, &out), 0);

    PngData bad = png;
    bad.colorType = 3;
    EXPECT_EQ(codec.write(&bad, WriteMemory, &out), 0);
    bad = png;
    bad.rows = nullptr;
    EXPECT_EQ(codec.write(&bad, WriteMemory, &out), 0);
    bad = png;
    uint8_t* rows[2] = {png.rows[0], nullptr};
    bad.rows = rows;
    EXPECT_EQ(codec.write(&bad, WriteMemory, &out), 0);
    EXPECT_TRUE(out.empty());
    codec.free(&png);
}

TEST(Imgcodec, AllocationGivesZeroedRowsWithinTheSizeLimits)
{
    struct Case {
        uint32_t width, height, colorType;
        bool accepted;
    };
    const Case cases[] = {
        {3, 2, PNG_COLOR_RGB, true},
        {3, 2, PNG_COLOR_RGBA, true},
        {16384, 1, PNG_COLOR_RGBA, true},
        {1, 16384, PNG_COLOR_RGB, true},
        {16385, 1, PNG_COLOR_RGB, false},
        {1, 16385, PNG_COLOR_RGB, false},
        {16384, 1024, PNG_COLOR_RGBA, true},
        {16384, 1025, PNG_COLOR_RGB, false},
        {16384, 4097, PNG_COLOR_RGB, false},
        {0, 5, PNG_COLOR_RGB, false},
        {5, 0, PNG_COLOR_RGB, false},
        {3, 2, 3, false},
        {3, 2, 0, false},
    };
    const Codec& codec = LoadCodec();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " type " +
                     std::to_string(c.colorType));
        PngData png;
        std::memset(&png, 0xAB, sizeof png);
        const int result = codec.allocate(&png, c.width, c.height, c.colorType);
        EXPECT_EQ(result != 0, c.accepted);
        if (!result) {
            EXPECT_TRUE(IsZero(png));
            continue;
        }
        EXPECT_EQ(png.width, c.width);
        EXPECT_EQ(png.height, c.height);
        EXPECT_EQ(png.colorType, c.colorType);
        EXPECT_EQ(png.rowBytes, c.width * (c.colorType == PNG_COLOR_RGBA ? 4 : 3));
        bool zeroed = true;
        for (uint32_t y = 0; y < c.height; ++y)
            zeroed = zeroed && std::all_of(png.rows[y], png.rows[y] + png.rowBytes, [](uint8_t b) { return b == 0; });
        EXPECT_TRUE(zeroed);
        codec.free(&png);
        EXPECT_TRUE(IsZero(png));
    }
    codec.free(nullptr);
}
