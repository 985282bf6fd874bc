#pragma once
// Where the program file lives: its language files, codec and pictures sit beside it.
#include <cstdint>
#include <string>

namespace dali {

// The running program's path, whatever its length; the buffer starts at initialSize
// characters and doubles until the path fits.
std::string ProgramFileName(std::uint32_t initialSize = 128);
// The path up to and including its last backslash; empty when it holds none.
std::string DirectoryOf(const std::string& path);
// The program file's folder with its trailing backslash.
std::string ProgramDirectory();

}  // namespace dali
