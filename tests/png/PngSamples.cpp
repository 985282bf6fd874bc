#include "tests/png/PngSamples.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pngtest {

std::string ProgramFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.rfind('\\') + 1);
}

std::string SampleFolder()
{
    return ProgramFolder() + "testdata\\png\\";
}

std::vector<uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing sample " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace pngtest
