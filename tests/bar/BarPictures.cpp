#include "BarPictures.h"

#include "app/PngManager.h"
#include "app/PngReader.h"

#include <windows.h>

#include <cstdio>

namespace bartest {

namespace {

int __stdcall WriteToFile(void* context, const void* buffer, int count)
{
    return static_cast<int>(std::fwrite(buffer, 1, static_cast<size_t>(count), static_cast<FILE*>(context)));
}

template <class Fn>
Fn Entry(HMODULE codec, const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(codec, name)));
}

}  // namespace

bool WritePicture(const std::string& path, int width, int height, const PixelFn& pixel)
{
    using Allocate = int(__stdcall*)(PngData*, uint32_t, uint32_t, uint32_t);
    using Write = int(__stdcall*)(const PngData*, int(__stdcall*)(void*, const void*, int), void*);
    using Free = void(__stdcall*)(PngData*);
    static HMODULE codec = LoadLibraryA((ResourceFolder() + "..\\imgcodec.dll").c_str());
    if (!codec)
        return false;
    auto allocate = Entry<Allocate>(codec, "AllocatePngData");
    auto write = Entry<Write>(codec, "WritePngEx");
    auto release = Entry<Free>(codec, "FreePngData");
    PngData data{};
    if (!allocate || !write || !release || !allocate(&data, width, height, 6))
        return false;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgba p = pixel(x, y);
            uint8_t* d = data.rows[y] + x * 4;
            d[0] = p.r, d[1] = p.g, d[2] = p.b, d[3] = p.a;
        }
    bool written = false;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        written = write(&data, WriteToFile, file) != 0;
        written = std::fclose(file) == 0 && written;
    }
    release(&data);
    return written;
}

}  // namespace bartest
