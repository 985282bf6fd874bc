#pragma once
// Helpers shared by the PNG tests: the sample folder and the codec's entries.
#include "platform/imgcodec/imgcodec.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pngtest {

// The folder of the running test program, with a trailing backslash.
std::string ProgramFolder();
// bin\testdata\png\ (sample files) and its corpus\ sub-folder (the fuzzing seeds).
std::string SampleFolder();
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// imgcodec.dll from the program folder, looked up by name like the program does.
struct Codec {
    decltype(&ReadPngEx) read;
    decltype(&WritePngEx) write;
    decltype(&FreePngData) free;
    decltype(&AllocatePngData) allocate;
};
const Codec& LoadCodec();

// Encodes an image given as rows of 8-bit samples (3 or 4 per pixel).
std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height, uint32_t colorType,
                               const std::vector<uint8_t>& samples);

}  // namespace pngtest
