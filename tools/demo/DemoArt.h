#pragma once
// Artwork generated in code: 32-bit straight-alpha images with smooth edges.
#include "framework/Graphics.h"

#include <memory>

struct Rgb {
    double r, g, b;
};

// A rounded rectangle filling the whole image, shaded from top to bottom, with a thin
// border of the given colour and alpha.
std::unique_ptr<TBitmap> RoundedPanel(int width, int height, double radius, Rgb top, Rgb bottom,
                                      int alpha, Rgb border, int borderAlpha);

// A phase bar: the colour brightening towards the top, with a glassy highlight on the left.
std::unique_ptr<TBitmap> GlassBar(int width, int height, Rgb color, int alpha);

// A horizontal hairline that fades out towards both ends.
std::unique_ptr<TBitmap> FadingLine(int width, Rgb color, int alpha);

// A soft round light: alpha falls off from the centre.
std::unique_ptr<TBitmap> SoftLight(int width, int height, Rgb color, int alpha);
