#pragma once
// Writes PNG pictures through the codec beside the program, for runs that must not
// depend on the program's artwork.
#include <cstdint>
#include <functional>
#include <string>

namespace bartest {

struct Rgba {
    uint8_t r, g, b, a;
};
using PixelFn = std::function<Rgba(int x, int y)>;

// Returns false when the codec or the file cannot be used.
bool WritePicture(const std::string& path, int width, int height, const PixelFn& pixel);

}  // namespace bartest
