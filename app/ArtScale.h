#pragma once
// The scales the artwork is drawn at, and what a window drawn at one of them takes from
// it: the folder of its pictures and every figure of its layout in that scale's pixels.
// The layout is written in the pixels of 96 pixels per inch (100 %).
#include "framework/Types.h"

#include <string>

class TFont;

class ArtScale {
public:
    // The scales there is artwork for, in percent.
    static constexpr int kPercents[] = {100, 125, 150, 200};

    // The smallest scale not below dpi / 96; 100 when even the largest is below it, as a
    // window keeps its own size rather than take pictures blown up from smaller ones.
    static ArtScale ForDpi(int dpi);

    explicit ArtScale(int percent = 100) : m_percent(percent) {}
    int Percent() const { return m_percent; }
    bool operator==(const ArtScale& other) const { return m_percent == other.m_percent; }
    bool operator!=(const ArtScale& other) const { return m_percent != other.m_percent; }

    // A 96-DPI figure in this scale's pixels. Halves round away from zero, so that a
    // font height of -11 and a width of 11 scale alike, and as the pictures' own sizes do.
    int operator()(int value) const;
    TPoint operator()(TPoint point) const;
    // Edges are scaled, not the size: rectangles that meet still meet.
    TRect operator()(const TRect& rect) const;

    // Where this scale's pictures are: the resource folder at 100 %, its subfolder named
    // by the percentage ("200\") at the others.
    std::string Folder() const;

private:
    int m_percent;
};

// The font's height, a 96-DPI figure, in the scale's pixels.
void ScaleFont(TFont* font, const ArtScale& scale);
