#include "src/gui/widget/GsFocusRing.h"

#include "framework/Bitmap.h"

#include <utility>

namespace gs {

namespace {

constexpr uint8_t kSolid = 128;  // the alpha from which a pixel counts as part of the shape
constexpr uint8_t kEdge = 170;
constexpr uint8_t kHalo = 70;
constexpr uint8_t kRingRed = 200, kRingGreen = 244, kRingBlue = 255;

}  // namespace

std::vector<uint8_t> FocusRingMask(TBitmap* face)
{
    if (face->PixelFormat() != pf32bit)
        return {};
    const int width = face->Width();
    const int height = face->Height();
    auto at = [width](int x, int y) { return static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x); };
    std::vector<bool> solid(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = face->ScanLine(y);
        for (int x = 0; x < width; ++x)
            solid[at(x, y)] = row[x * 4 + 3] >= kSolid;
    }
    // Outside is what the face's border reaches through see-through pixels: the ring
    // follows the outer outline only, not the holes inside (the strokes of a glyph).
    std::vector<bool> outside(solid.size(), false);
    std::vector<std::pair<int, int>> pending;
    auto reach = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= height || solid[at(x, y)] || outside[at(x, y)])
            return;
        outside[at(x, y)] = true;
        pending.emplace_back(x, y);
    };
    for (int x = 0; x < width; ++x) {
        reach(x, 0);
        reach(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        reach(0, y);
        reach(width - 1, y);
    }
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        reach(x - 1, y);
        reach(x + 1, y);
        reach(x, y - 1);
        reach(x, y + 1);
    }
    // Beyond the face counts as outside, so a shape that fills it is ringed at its border.
    auto isOutside = [&](int x, int y) { return x < 0 || y < 0 || x >= width || y >= height || outside[at(x, y)]; };
    std::vector<uint8_t> mask(solid.size(), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int outsideNeighbours = isOutside(x - 1, y) + isOutside(x + 1, y) + isOutside(x, y - 1) + isOutside(x, y + 1);
            if (!outside[at(x, y)] && outsideNeighbours > 0)
                mask[at(x, y)] = kEdge;
            else if (outside[at(x, y)] && outsideNeighbours < 4)
                mask[at(x, y)] = kHalo;
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
