#include "app/PngReader.h"
#include "app/PngManager.h"
#include "framework/FileStream.h"
#include "framework/Bitmap.h"
#include "framework/SysUtils.h"
#include "tests/png/PngSamples.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

using namespace pngtest;

namespace {

// Every pixel of a pf32bit bitmap as blue, green, red, alpha bytes, top row first.
std::vector<uint8_t> Pixels(TBitmap& bitmap)
{
    std::vector<uint8_t> bytes;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        bytes.insert(bytes.end(), row, row + 4 * bitmap.Width());
    }
    return bytes;
}

std::string CodecPath()
{
    return ProgramFolder() + "imgcodec.dll";
}

}  // namespace

TEST(PngReader, PixelsBecomeBlueGreenRedAlphaWithTransparentColoursCleared)
{
    struct Case {
        const char* file;
        int width, height;
        std::vector<uint8_t> pixels;
    };
    const Case cases[] = {
        // (200,100,50,0) is cleared; (200,100,50,128) keeps its colour, not premultiplied.
        {"figures.png", 4, 1, {0, 0, 0, 0, 50, 100, 200, 128, 30, 20, 10, 255, 3, 2, 1, 1}},
        {"grey.png", 3, 1, {0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}},
        {"grey1.png", 4, 1, {0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255}},
        {"grey16.png", 3, 1, {0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}},
        {"grey_alpha.png", 3, 1, {0, 0, 0, 0, 100, 100, 100, 128, 7, 7, 7, 255}},
        {"palette.png", 3, 1, {50, 100, 200, 255, 30, 20, 10, 255, 255, 0, 0, 255}},
        {"palette_trns.png", 4, 1, {0, 0, 0, 0, 32, 64, 128, 128, 30, 20, 10, 255, 0, 255, 0, 64}},
        {"rgb_trns.png", 3, 1, {50, 100, 200, 255, 0, 0, 0, 0, 30, 20, 10, 255}},
        {"rgb16.png", 2, 1, {50, 100, 200, 255, 30, 20, 10, 255}},
        {"rgba16.png", 2, 1, {50, 100, 200, 128, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TBitmap bitmap;
        LoadPng(SampleFolder() + c.file, &bitmap);
        EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
        ASSERT_EQ(bitmap.Width(), c.width);
        ASSERT_EQ(bitmap.Height(), c.height);
        EXPECT_EQ(Pixels(bitmap), c.pixels);
    }
}

TEST(PngReader, RowsKeepTheirOrderAndThreeByteSourcePixels)
{
    TBitmap bitmap;
    LoadPng(SampleFolder() + "interlaced.png", &bitmap);
    ASSERT_EQ(bitmap.Width(), 9);
    ASSERT_EQ(bitmap.Height(), 9);
    std::vector<uint8_t> expected;
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) {
            expected.push_back(static_cast<uint8_t>(100 + x + y));
            expected.push_back(static_cast<uint8_t>(25 * y));
            expected.push_back(static_cast<uint8_t>(25 * x));
            expected.push_back(255);
        }
    }
    EXPECT_EQ(Pixels(bitmap), expected);
}

TEST(PngReader, LoadingReplacesAnEarlierPicture)
{
    TBitmap bitmap;
    LoadPng(SampleFolder() + "interlaced.png", &bitmap);
    LoadPng(SampleFolder() + "rgb16.png", &bitmap);
    ASSERT_EQ(bitmap.Width(), 2);
    ASSERT_EQ(bitmap.Height(), 1);
    EXPECT_EQ(Pixels(bitmap), (std::vector<uint8_t>{50, 100, 200, 255, 30, 20, 10, 255}));
}

TEST(PngReader, RejectedFileLeavesTheBitmapAsItWasAndRaisesNothing)
{
    for (const char* file : {"corpus/not_png.png", "corpus/truncated_idat.png", "corpus/empty.png",
                             "corpus/huge_both.png"}) {
        SCOPED_TRACE(file);
        TBitmap fresh;
        EXPECT_NO_THROW(LoadPng(SampleFolder() + file, &fresh));
        EXPECT_TRUE(fresh.Empty());
        EXPECT_EQ(fresh.PixelFormat(), pf32bit);

        TBitmap loaded;
        LoadPng(SampleFolder() + "figures.png", &loaded);
        const std::vector<uint8_t> before = Pixels(loaded);
        EXPECT_NO_THROW(LoadPng(SampleFolder() + file, &loaded));
        EXPECT_EQ(loaded.Width(), 4);
        EXPECT_EQ(loaded.Height(), 1);
        EXPECT_EQ(Pixels(loaded), before);
    }
}

TEST(PngReader, MissingFileRaisesFileOpenErrorAndKeepsTheBitmap)
{
    const std::string path = SampleFolder() + "no_such_picture.png";
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    try {
        LoadPng(path, &bitmap);
        FAIL() << "no exception";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(), "Cannot open file " + path);
    }
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Height(), 2);
}

TEST(PngReader, StreamReadCallbackReadsAtMostTheCountAndZeroAtTheEnd)
{
    const std::string path = SampleFolder() + "grey.png";
    const std::vector<uint8_t> file = ReadFileBytes(path);
    TFileStream stream(path, fmOpenRead);
    std::vector<uint8_t> read(file.size() + 10, 0xEE);
    EXPECT_EQ(StreamReadCallback(&stream, read.data(), 10), 10);
    EXPECT_EQ(StreamReadCallback(&stream, read.data() + 10, 1000), static_cast<int>(file.size()) - 10);
    EXPECT_EQ(StreamReadCallback(&stream, read.data(), 1000), 0);
    EXPECT_EQ(std::vector<uint8_t>(read.begin(), read.begin() + file.size()), file);
    EXPECT_EQ(StreamReadCallback(&stream, read.data(), -5), 0);
}

TEST(PngReader, ResourceFolderIsBesideTheProgram)
{
    EXPECT_EQ(ResourceFolder(), ProgramFolder() + "resource\\");
}

TEST(PngReader, CodecThatCannotBeLoadedOrLacksItsEntriesIsRefused)
{
    const std::string missing = ProgramFolder() + "nowhere\\imgcodec.dll";
    try {
        PngManager manager(missing);
        FAIL() << "no exception";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.Message(), "Cannot open file " + missing);
    }

    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    const std::string notACodec = std::string(system, length) + "\\version.dll";
    EXPECT_THROW(PngManager manager(notACodec), Exception);
}

// Last in this file: it briefly unloads the codec to count the references on it.
TEST(PngReader, SecondLoadDoesNotLoadTheLibraryAgain)
{
    TBitmap first, second;
    LoadPng(SampleFolder() + "grey.png", &first);
    LoadPng(SampleFolder() + "palette.png", &second);
    const HMODULE codec = GetModuleHandleA(CodecPath().c_str());
    ASSERT_NE(codec, nullptr);

    // Each LoadLibraryA holds one reference: giving one back must unload the library.
    FreeLibrary(codec);
    EXPECT_EQ(GetModuleHandleA(CodecPath().c_str()), nullptr);
    ASSERT_EQ(LoadLibraryA(CodecPath().c_str()), codec);

    TBitmap third;
    LoadPng(SampleFolder() + "grey.png", &third);
    EXPECT_EQ(Pixels(third), Pixels(first));
}

TEST(PngReader, SharedPictureIsDecodedOnceWhileHeldAndAgainAfterwards)
{
    const std::string path = SampleFolder() + "figures.png";
    std::shared_ptr<TBitmap> first = SharedPng(path);
    std::shared_ptr<TBitmap> second = SharedPng(path);
    EXPECT_EQ(first, second);
    EXPECT_NE(SharedPng(SampleFolder() + "grey.png"), first);
    TBitmap loaded;
    LoadPng(path, &loaded);
    EXPECT_EQ(Pixels(*first), Pixels(loaded));

    const std::weak_ptr<TBitmap> released = first;
    first.reset();
    second.reset();
    EXPECT_TRUE(released.expired());
    std::shared_ptr<TBitmap> again = SharedPng(path);
    EXPECT_EQ(Pixels(*again), Pixels(loaded));
    EXPECT_THROW(SharedPng(SampleFolder() + "no_such_picture.png"), EFOpenError);
}
