#pragma once
// Geometry and colour values shared by every layer.
#include <cstdint>

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    TPoint() = default;
    TPoint(int32_t x, int32_t y) : X(x), Y(y) {}
    bool operator==(const TPoint& o) const { return X == o.X && Y == o.Y; }
    bool operator!=(const TPoint& o) const { return !(*this == o); }
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    TRect() = default;
    TRect(int32_t l, int32_t t, int32_t r, int32_t b) : Left(l), Top(t), Right(r), Bottom(b) {}
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool operator==(const TRect& o) const
    {
        return Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
    bool operator!=(const TRect& o) const { return !(*this == o); }
};

// Red in the low byte, then green, then blue. A set top byte marks a system colour
// (the low byte is then the GetSysColor index), resolved only when drawn.
using TColor = int32_t;

constexpr TColor clBlack = 0x00000000;
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clRed = 0x000000FF;
constexpr TColor clLime = 0x0000FF00;
constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor clBtnFace = clSystemColor | 15;   // COLOR_BTNFACE
constexpr TColor clWindow = clSystemColor | 5;     // COLOR_WINDOW
constexpr TColor clWindowText = clSystemColor | 8; // COLOR_WINDOWTEXT
constexpr TColor clGrayText = clSystemColor | 17;  // COLOR_GRAYTEXT
constexpr TColor clBtnShadow = clSystemColor | 16;    // COLOR_BTNSHADOW
constexpr TColor clBtnHighlight = clSystemColor | 20; // COLOR_BTNHIGHLIGHT

constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<TColor>(r | (g << 8) | (b << 16));
}

// The plain RGB value of a colour: system colours are looked up now.
uint32_t ColorToRGB(TColor color);
