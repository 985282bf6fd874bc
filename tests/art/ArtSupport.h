#pragma once
// The artwork as the program reads it, and the window layouts it is drawn into.
#include <cstdint>
#include <string>
#include <vector>

namespace arttest {

// Pixels as blue, green, red, alpha bytes, top row first. A form background has alpha
// 255 everywhere.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgra;

    const uint8_t* At(int x, int y) const { return &bgra[4 * (static_cast<size_t>(y) * width + x)]; }
    uint8_t Alpha(int x, int y) const { return At(x, y)[3]; }
    // The colour cut out of a shaped window: red 255, green 0, blue 255.
    bool IsKey(int x, int y) const { return At(x, y)[0] == 255 && At(x, y)[1] == 0 && At(x, y)[2] == 255; }
};

// A skin picture from the program's resource folder, through the program's PNG loader.
Image LoadSkin(const std::string& name);
// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Where the form backgrounds and the icon are copied for the tests.
std::string ProgramResourceFolder();
// A 24-bit bottom-up BMP file; width 0 when the file is anything else.
Image LoadBmp24(const std::string& path);

struct Point {
    int x, y;
};

struct MainLayout {
    const char* name;
    int width;
    const char* background;
    const char* shadow;
    const char* figure;
    const char* firstLine;
    const char* secondLine;
    Point close;
    Point phase;
    int lastBar;
    std::vector<const char*> bars;  // the bar pictures this layout may show
    Point performanceRadio, performanceLabel, savingRadio, savingLabel;
};

const std::vector<MainLayout>& MainLayouts();

const int kBarTop = 75;
const int kBarHeight = 184;
const Point kFigure = {53, 68};

}  // namespace arttest
