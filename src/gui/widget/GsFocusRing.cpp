#include "src/gui/widget/GsFocusRing.h"

#include "framework/Bitmap.h"

namespace gs {

namespace {

constexpr uint8_t kSolid = 128;  // the alpha from which a pixel counts as part of the shape
constexpr uint8_t kEdge = 200;
constexpr uint8_t kHalo = 80;
constexpr uint8_t kRingRed = 200, kRingGreen = 244, kRingBlue = 255;

}  // namespace

std::vector<uint8_t> FocusRingMask(TBitmap* face)
{
    if (face->PixelFormat() != pf32bit)
        return {};
    const int width = face->Width();
    const int height = face->Height();
    std::vector<bool> solid(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = face->ScanLine(y);
        for (int x = 0; x < width; ++x)
            solid[static_cast<size_t>(y * width + x)] = row[x * 4 + 3] >= kSolid;
    }
    // Beyond the face counts as outside, so a shape that fills it is ringed at its border.
    auto isSolid = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < width && y < height && solid[static_cast<size_t>(y * width + x)];
    };
    std::vector<uint8_t> mask(solid.size(), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool self = isSolid(x, y);
            const int solidNeighbours = isSolid(x - 1, y) + isSolid(x + 1, y) + isSolid(x, y - 1) + isSolid(x, y + 1);
            if (self && solidNeighbours < 4)
                mask[static_cast<size_t>(y * width + x)] = kEdge;
            else if (!self && solidNeighbours > 0)
                mask[static_cast<size_t>(y * width + x)] = kHalo;
        }
    }
    return mask;
}

void DrawFocusRing(TBitmap* face, const std::vector<uint8_t>& mask)
{
    const int width = face->Width();
    const int height = face->Height();
    const int step = face->PixelFormat() == pf32bit ? 4 : face->PixelFormat() == pf24bit ? 3 : 0;
    if (step == 0 || mask.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return;
    auto mix = [](uint8_t under, uint8_t over, uint8_t weight) {
        return static_cast<uint8_t>((under * (255 - weight) + over * weight + 127) / 255);
    };
    for (int y = 0; y < height; ++y) {
        uint8_t* p = face->ScanLine(y);
        for (int x = 0; x < width; ++x, p += step) {
            const uint8_t weight = mask[static_cast<size_t>(y * width + x)];
            if (weight == 0)
                continue;
            p[0] = mix(p[0], kRingBlue, weight);
            p[1] = mix(p[1], kRingGreen, weight);
            p[2] = mix(p[2], kRingRed, weight);
            if (step == 4)
                p[3] = 255;
        }
    }
    face->SetModified(true);
}

}  // namespace gs
