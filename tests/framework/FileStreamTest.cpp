#include "framework/FileStream.h"
#include "framework/SysUtils.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::string TempPath(const char* name)
{
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

}  // namespace

TEST(FileStream, MissingFileRaisesOpenErrorNamingThePath)
{
    const std::string path = TempPath("pellon-no-such-file.png");
    try {
        TFileStream stream(path, fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& error) {
        EXPECT_EQ("Cannot open file " + path, error.Message());
    }
}

TEST(FileStream, WriteAccessIsRefused)
{
    const std::string path = TempPath("pellon-stream-write.bin");
    std::ofstream(path, std::ios::binary) << "x";
    EXPECT_THROW(TFileStream(path, 0x0002 /* read-write */), EFOpenError);
    DeleteFileA(path.c_str());
}

TEST(FileStream, ReadReturnsTheBytesReadAndSeekMoves)
{
    const std::string path = TempPath("pellon-stream.bin");
    std::ofstream(path, std::ios::binary) << "0123456789";
    {
        TFileStream stream(path, fmOpenRead);
        EXPECT_EQ(10, stream.Size());
        char buffer[32] = {};
        EXPECT_EQ(4, stream.Read(buffer, 4));
        EXPECT_EQ("0123", std::string(buffer, 4));
        EXPECT_EQ(4, stream.Position());
        EXPECT_EQ(8, stream.Seek(-2, soEnd));
        EXPECT_EQ(2, stream.Read(buffer, 8));  // short read at the end
        EXPECT_EQ("89", std::string(buffer, 2));
        EXPECT_EQ(0, stream.Read(buffer, 8));
        EXPECT_EQ(10, stream.Seek(-100, soCurrent));  // before the start: refused
        stream.SetPosition(1);
        EXPECT_THROW(stream.ReadBuffer(buffer, 20), EReadError);
        // A second reader is allowed while the first has the file open.
        TFileStream second(path, fmOpenRead);
        EXPECT_EQ(1, second.Read(buffer, 1));
    }
    DeleteFileA(path.c_str());
}
