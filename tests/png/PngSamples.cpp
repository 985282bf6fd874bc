#include "tests/png/PngSamples.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pngtest {

namespace {

int IMGCODEC_CALL AppendBytes(void* context, const void* buffer, int count)
{
    auto out = static_cast<std::vector<uint8_t>*>(context);
    auto bytes = static_cast<const uint8_t*>(buffer);
    out->insert(out->end(), bytes, bytes + count);
    return count;
}

template <typename Entry>
Entry Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

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

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

const Codec& LoadCodec()
{
    static const Codec codec = [] {
        HMODULE module = LoadLibraryA((ProgramFolder() + "imgcodec.dll").c_str());
        if (!module)
            throw std::runtime_error("imgcodec.dll not loadable");
        Codec c;
        c.read = Lookup<decltype(&ReadPngEx)>(module, "ReadPngEx");
        c.write = Lookup<decltype(&WritePngEx)>(module, "WritePngEx");
        c.free = Lookup<decltype(&FreePngData)>(module, "FreePngData");
        c.allocate = Lookup<decltype(&AllocatePngData)>(module, "AllocatePngData");
        return c;
    }();
    return codec;
}

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
    const int ok = codec.write(&png, AppendBytes, &encoded);
    codec.free(&png);
    if (!ok)
        throw std::runtime_error("encoding failed");
    return encoded;
}

}  // namespace pngtest
