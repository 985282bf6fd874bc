#pragma once
// Where the PNG tests find their sample files, and plain file access for them.
#include <cstdint>
#include <string>
#include <vector>

namespace pngtest {

// The folder of the running test program, with a trailing backslash.
std::string ProgramFolder();
// bin\testdata\png\ (the samples) with the fuzzing seeds in its corpus\ sub-folder.
std::string SampleFolder();
std::vector<uint8_t> ReadFileBytes(const std::string& path);

}  // namespace pngtest
