#include "tools/demo/DemoArt.h"

#include <algorithm>
#include <cmath>

namespace {

uint8_t Byte(double value)
{
    return static_cast<uint8_t>(std::clamp(value, 0.0, 255.0) + 0.5);
}

std::unique_ptr<TBitmap> NewImage(int width, int height)
{
    auto image = std::make_unique<TBitmap>();
    image->SetPixelFormat(pf32bit);
    image->SetSize(width, height);
    return image;
}

// Signed distance from a pixel centre to a rounded rectangle (negative inside).
double RoundedDistance(double x, double y, double width, double height, double radius)
{
    const double qx = std::abs(x - width / 2) - (width / 2 - radius);
    const double qy = std::abs(y - height / 2) - (height / 2 - radius);
    const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

Rgb Mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void Put(uint8_t* p, Rgb c, double alpha)
{
    p[0] = Byte(c.b);
    p[1] = Byte(c.g);
    p[2] = Byte(c.r);
    p[3] = Byte(alpha);
}

}  // namespace

std::unique_ptr<TBitmap> RoundedPanel(int width, int height, double radius, Rgb top, Rgb bottom,
                                      int alpha, Rgb border, int borderAlpha)
{
    auto image = NewImage(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* p = image->ScanLine(y);
        const Rgb fill = Mix(top, bottom, height > 1 ? double(y) / (height - 1) : 0);
        for (int x = 0; x < width; ++x, p += 4) {
            const double d = RoundedDistance(x + 0.5, y + 0.5, width, height, radius);
            const double coverage = std::clamp(0.5 - d, 0.0, 1.0);
            // The border is a one-pixel ring just inside the outline.
            const double ring = std::clamp(1.0 - std::abs(d + 1.0), 0.0, 1.0);
            const double a = alpha * coverage;
            const double b = borderAlpha * ring;
            const double total = a + b * (1 - a / 255);
            const Rgb c = total > 0 ? Mix(fill, border, b / std::max(total, 1.0)) : fill;
            Put(p, c, total);
        }
    }
    return image;
}

std::unique_ptr<TBitmap> GlassBar(int width, int height, Rgb color, int alpha)
{
    auto image = NewImage(width, height);
    const Rgb light{std::min(color.r + 90, 255.0), std::min(color.g + 90, 255.0),
                    std::min(color.b + 90, 255.0)};
    const Rgb dark{color.r * 0.55, color.g * 0.55, color.b * 0.55};
    // Narrow bars (many phases) keep straight sides rather than vanishing in the rounding.
    const double radius = std::min(4.0, std::min(width, height) / 2.0);
    for (int y = 0; y < height; ++y) {
        uint8_t* p = image->ScanLine(y);
        const double t = height > 1 ? double(y) / (height - 1) : 0;
        const Rgb base = t < 0.15 ? Mix(light, color, t / 0.15) : Mix(color, dark, (t - 0.15) / 0.85);
        for (int x = 0; x < width; ++x, p += 4) {
            const double d = RoundedDistance(x + 0.5, y + 0.5, width, height, radius);
            const double coverage = std::clamp(0.5 - d, 0.0, 1.0);
            const double u = (x + 0.5) / width;
            const double shine = u > 0.12 && u < 0.38 ? 0.35 * (1 - std::abs(u - 0.25) / 0.13) : 0;
            Put(p, Mix(base, Rgb{255, 255, 255}, std::max(shine, 0.0)), alpha * coverage);
        }
    }
    return image;
}

std::unique_ptr<TBitmap> FadingLine(int width, Rgb color, int alpha)
{
    auto image = NewImage(width, 1);
    uint8_t* p = image->ScanLine(0);
    for (int x = 0; x < width; ++x, p += 4) {
        const double u = (x + 0.5) / width;
        Put(p, color, alpha * std::sin(u * 3.14159265358979));
    }
    return image;
}

std::unique_ptr<TBitmap> SoftLight(int width, int height, Rgb color, int alpha)
{
    auto image = NewImage(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* p = image->ScanLine(y);
        for (int x = 0; x < width; ++x, p += 4) {
            const double dx = (x + 0.5 - width / 2.0) / (width / 2.0);
            const double dy = (y + 0.5 - height / 2.0) / (height / 2.0);
            const double fall = std::max(0.0, 1 - std::sqrt(dx * dx + dy * dy));
            Put(p, color, alpha * fall * fall);
        }
    }
    return image;
}
