#include "tests/art/ArtSupport.h"

#include "app/PngReader.h"
#include "framework/Graphics.h"
#include "src/System/IniAccess.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace arttest {

Image LoadSkin(const std::string& name)
{
    TBitmap bitmap;
    LoadPng(ResourceFolder() + name, &bitmap);
    Image image;
    image.width = bitmap.Width();
    image.height = bitmap.Height();
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        image.bgra.insert(image.bgra.end(), row, row + 4 * image.width);
    }
    return image;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ProgramResourceFolder()
{
    return dali::ProgramDirectory() + "testdata\\art\\";
}

Image LoadBmp24(const std::string& path)
{
    const std::string bytes = ReadFile(path);
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    if (bytes.size() < sizeof file + sizeof info)
        return Image();
    std::memcpy(&file, bytes.data(), sizeof file);
    std::memcpy(&info, bytes.data() + sizeof file, sizeof info);
    if (file.bfType != 0x4D42 || info.biSize < sizeof info || info.biPlanes != 1 ||
        info.biBitCount != 24 || info.biCompression != BI_RGB || info.biWidth <= 0 ||
        info.biHeight <= 0)
        return Image();
    const size_t stride = (static_cast<size_t>(info.biWidth) * 3 + 3) & ~size_t(3);
    if (file.bfOffBits + stride * info.biHeight > bytes.size())
        return Image();
    Image image;
    image.width = info.biWidth;
    image.height = info.biHeight;
    for (int y = 0; y < image.height; ++y) {
        const char* row = bytes.data() + file.bfOffBits + stride * (image.height - 1 - y);
        for (int x = 0; x < image.width; ++x) {
            image.bgra.insert(image.bgra.end(), row + 3 * x, row + 3 * x + 3);
            image.bgra.push_back(255);
        }
    }
    return image;
}

const std::vector<MainLayout>& MainLayouts()
{
    // W - 523, W - 499, W - 280, W - 254 across the top; the small window puts the
    // performance choice one row above the saving one.
    static const std::vector<MainLayout> layouts = {
        {"large", 800, "LargeBk.bmp", "tbg_00_shadow.png", "big_figure01.png", "line03.png",
         "line04.png", {748, 15}, {722, 250}, 685, {"color_bar01.png"},
         {277, 46}, {301, 47}, {520, 46}, {546, 47}},
        {"medium", 680, "MediumBk.bmp", "tbg_01_shadow.png", "big_figure.png", "line01.png",
         "line02.png", {628, 15}, {607, 250}, 565, {"color_bar02.png"},
         {157, 46}, {181, 47}, {400, 46}, {426, 47}},
        {"small", 415, "SmallBk.bmp", "tbg_02_shadow.png", "big_figure02.png", "line01_s.png",
         "line02_s.png", {365, 15}, {342, 250}, 299, {"color_bar01.png", "color_bar02.png"},
         {135, 22}, {161, 23}, {135, 46}, {161, 47}},
    };
    return layouts;
}

}  // namespace arttest
