// Every skin picture, form background and the icon as the program reads them: sizes,
// pixel formats, alpha, the cut-out outline, shadows, and where each picture lands.
#include "tests/art/ArtSupport.h"

#include "app/PngReader.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

using namespace arttest;

namespace {

struct Placement {
    const char* picture;
    Point at;
};

// Every pixel of the picture that is not fully transparent lands on the window's body;
// over a cut-out pixel it would blend the key colour away and show outside the outline.
void ExpectOnBody(const Image& window, const Placement& placement)
{
    SCOPED_TRACE(placement.picture);
    const Image picture = LoadSkin(placement.picture);
    ASSERT_GT(picture.width, 0);
    int outside = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            if (picture.Alpha(x, y) == 0)
                continue;
            const int wx = placement.at.x + x, wy = placement.at.y + y;
            if (wx >= window.width || wy >= window.height || window.IsKey(wx, wy))
                ++outside;
        }
    EXPECT_EQ(outside, 0) << "at (" << placement.at.x << ", " << placement.at.y << ")";
}

// The non-key pixels of each row and of each column form one run: no key pixel inside
// the body. Returns the runs' first and last index per row.
void ExpectOneRunPerLine(const Image& image, std::vector<std::pair<int, int>>* rows)
{
    for (int pass = 0; pass < 2; ++pass) {
        const int lines = pass == 0 ? image.height : image.width;
        const int length = pass == 0 ? image.width : image.height;
        for (int line = 0; line < lines; ++line) {
            int first = -1, last = -1, runs = 0;
            for (int i = 0; i < length; ++i) {
                const bool body = pass == 0 ? !image.IsKey(i, line) : !image.IsKey(line, i);
                if (body && last != i - 1)
                    ++runs;
                if (body) {
                    if (first < 0)
                        first = i;
                    last = i;
                }
            }
            EXPECT_LE(runs, 1) << (pass == 0 ? "row " : "column ") << line;
            if (pass == 0)
                rows->emplace_back(first, last);
        }
    }
}

}  // namespace

TEST(Artwork, EverySkinPictureIsA32BitPngWithAlpha)
{
    struct Case {
        const char* file;
        bool cutOut;  // has fully transparent pixels around or inside its shape
    };
    const Case cases[] = {
        {"big_figure01.png", true},      {"big_figure.png", true},       {"big_figure02.png", true},
        {"temp_pic.png", true},          {"phase.png", true},            {"line03.png", false},
        {"line04.png", true},            {"line01.png", false},           {"line02.png", true},
        {"line01_s.png", false},          {"line02_s.png", true},         {"close_n.png", true},
        {"close_d.png", true},           {"close_o.png", true},          {"button01_n.png", true},
        {"button01_d.png", true},        {"button01_o.png", true},       {"button01_un.png", true},
        {"radio_button_n.png", true},    {"radio_button_o.png", true},   {"radio_button_chack_n.png", true},
        {"radio_button_chack_o.png", true}, {"color_bar01.png", false},  {"color_bar_top01.png", false},
        {"color_bar02.png", false},      {"color_bar_top02.png", false}, {"warning_pic01.png", true},
        {"tbg_00_shadow.png", true},     {"tbg_01_shadow.png", true},    {"tbg_02_shadow.png", true},
        {"pop_01_shadow.png", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string bytes = ReadFile(ResourceFolder() + c.file);
        ASSERT_GT(bytes.size(), 33u) << "missing";
        // IHDR: bit depth 8, colour type 6 (red, green, blue, alpha).
        EXPECT_EQ(bytes.substr(12, 4), "IHDR");
        EXPECT_EQ(bytes[24], 8);
        EXPECT_EQ(bytes[25], 6);
        const Image image = LoadSkin(c.file);
        ASSERT_GT(image.width * image.height, 0) << "the codec rejects it";
        int clear = 0, shown = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                (image.Alpha(x, y) == 0 ? clear : shown)++;
        EXPECT_GT(shown, 0);
        if (c.cutOut) {
            EXPECT_GT(clear, 0);
        }
    }
}

TEST(Artwork, StatePicturesOfOneControlShareTheirSize)
{
    const std::vector<std::vector<const char*>> sets = {
        {"close_n.png", "close_d.png", "close_o.png"},
        {"button01_n.png", "button01_d.png", "button01_o.png", "button01_un.png"},
        {"radio_button_n.png", "radio_button_o.png", "radio_button_chack_n.png",
         "radio_button_chack_o.png"},
    };
    for (const auto& set : sets) {
        const Image first = LoadSkin(set[0]);
        for (const char* file : set) {
            const Image state = LoadSkin(file);
            EXPECT_EQ(state.width, first.width) << file;
            EXPECT_EQ(state.height, first.height) << file;
        }
    }
    // A radio button ends before its label, 24 pixels to its right at the nearest, and
    // above the bar area.
    const Image radio = LoadSkin("radio_button_n.png");
    EXPECT_LT(radio.width, 24);
    EXPECT_LE(46 + radio.height, kFigure.y);
}

TEST(Artwork, BarsRunCoolToHotOnTheScaleHeightWithCapsInside)
{
    struct Case {
        const char* bar;
        const char* cap;
        int widest;
    };
    for (const Case& c : {Case{"color_bar01.png", "color_bar_top01.png", 22},
                          Case{"color_bar02.png", "color_bar_top02.png", 18}}) {
        SCOPED_TRACE(c.bar);
        const Image bar = LoadSkin(c.bar), cap = LoadSkin(c.cap);
        EXPECT_EQ(bar.height, kBarHeight);
        EXPECT_LE(bar.width, c.widest);
        EXPECT_LE(cap.width, bar.width);
        EXPECT_LE(cap.height, bar.height);
        ASSERT_GT(bar.width, 0);
        const uint8_t* top = bar.At(bar.width / 2, 0);
        const uint8_t* bottom = bar.At(bar.width / 2, bar.height - 1);
        EXPECT_GT(top[2], top[0]) << "red over blue at the top";
        EXPECT_GT(bottom[0], bottom[2]) << "blue over red at the bottom";
    }
}

TEST(Artwork, FormBackgroundsAreCutToARoundedOutline)
{
    struct Case {
        const char* file;
        int width, height;
    };
    const Case cases[] = {{"LargeBk.bmp", 800, 347}, {"MediumBk.bmp", 680, 347},
                          {"SmallBk.bmp", 415, 347}, {"WarnBk.bmp", 414, 192}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Image image = LoadBmp24(ProgramResourceFolder() + c.file);
        ASSERT_EQ(image.width, c.width) << "not a 24-bit bitmap of the size";
        ASSERT_EQ(image.height, c.height);
        EXPECT_TRUE(image.IsKey(0, c.height - 1));
        EXPECT_TRUE(image.IsKey(0, 0));
        EXPECT_TRUE(image.IsKey(c.width - 1, 0));
        EXPECT_TRUE(image.IsKey(c.width - 1, c.height - 1));
        std::vector<std::pair<int, int>> rows;
        ExpectOneRunPerLine(image, &rows);
        // Rounded: the runs narrow towards the top and bottom edges, and only there.
        const int middle = c.height / 2;
        EXPECT_LE(rows[middle].first, 1);
        EXPECT_GE(rows[middle].second, c.width - 2);
        EXPECT_GT(rows[0].first, rows[middle].first + 2);
        EXPECT_GT(rows[c.height - 1].first, rows[middle].first + 2);
        for (int y = 1; y <= middle; ++y) {
            EXPECT_LE(rows[y].first, rows[y - 1].first) << "row " << y;
            EXPECT_LE(rows[c.height - 1 - y].first, rows[c.height - y].first) << "row " << y;
        }
        // A smoothed edge would leave pink blends of the key on the body.
        int pink = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const uint8_t* p = image.At(x, y);
                if (!image.IsKey(x, y) && p[2] > 128 && p[0] > 128 && p[1] < p[2] / 2)
                    ++pink;
            }
        EXPECT_EQ(pink, 0);
    }
}

TEST(Artwork, PicturesLieOnTheirWindowsBody)
{
    for (const MainLayout& layout : MainLayouts()) {
        SCOPED_TRACE(layout.name);
        const Image window = LoadBmp24(ProgramResourceFolder() + layout.background);
        ASSERT_EQ(window.width, layout.width);
        std::vector<Placement> placements = {
            {"close_n.png", layout.close},         {"close_o.png", layout.close},
            {"close_d.png", layout.close},         {layout.figure, kFigure},
            {"temp_pic.png", {26, 66}},            {"phase.png", layout.phase},
            {layout.firstLine, {55, 162}},         {layout.secondLine, {57, 135}},
            {layout.secondLine, {55, 192}},
        };
        for (const char* radio : {"radio_button_n.png", "radio_button_o.png",
                                  "radio_button_chack_n.png", "radio_button_chack_o.png"}) {
            placements.push_back({radio, layout.performanceRadio});
            placements.push_back({radio, layout.savingRadio});
        }
        for (const char* bar : layout.bars) {
            placements.push_back({bar, {66, kBarTop}});
            placements.push_back({bar, {layout.lastBar, kBarTop}});
        }
        for (const Placement& placement : placements)
            ExpectOnBody(window, placement);
    }
    const Image dialog = LoadBmp24(ProgramResourceFolder() + "WarnBk.bmp");
    ASSERT_GT(dialog.width, 0);
    for (const Placement& placement :
         {Placement{"warning_pic01.png", {20, 20}}, Placement{"button01_n.png", {150, 140}},
          Placement{"button01_o.png", {150, 140}}, Placement{"button01_d.png", {150, 140}},
          Placement{"button01_un.png", {150, 140}}, Placement{"close_n.png", {365, 15}}})
        ExpectOnBody(dialog, placement);
    // The picture stays left of the title and the message at x 155.
    EXPECT_LE(20 + LoadSkin("warning_pic01.png").width, 155);
}

TEST(Artwork, LinesAndChartFrameMeetTheBars)
{
    for (const MainLayout& layout : MainLayouts()) {
        SCOPED_TRACE(layout.name);
        int barRight = 0;
        for (const char* bar : layout.bars)
            barRight = std::max(barRight, layout.lastBar + LoadSkin(bar).width);
        const Image first = LoadSkin(layout.firstLine), second = LoadSkin(layout.secondLine);
        // Both lines reach across every bar, from whichever of their left edges.
        EXPECT_GE(55 + first.width, barRight);
        EXPECT_GE(55 + second.width, barRight);
        // The mark is the top row: the lit part of a bar at the level ends exactly there.
        for (const Image* line : {&first, &second}) {
            ASSERT_GT(line->height, 0);
            int best = 0, bestSum = -1;
            for (int y = 0; y < line->height; ++y) {
                int sum = 0;
                for (int x = 0; x < line->width; ++x)
                    sum += line->Alpha(x, y);
                if (sum > bestSum)
                    best = y, bestSum = sum;
            }
            EXPECT_EQ(best, 0);
        }
        // The frame is drawn above them: nothing of it over the bars or the lines.
        const Image frame = LoadSkin(layout.figure);
        int covered = 0;
        auto clearAt = [&](int x, int y) {
            const int fx = x - kFigure.x, fy = y - kFigure.y;
            if (fx >= 0 && fy >= 0 && fx < frame.width && fy < frame.height && frame.Alpha(fx, fy) != 0)
                ++covered;
        };
        for (int y = kBarTop; y < kBarTop + kBarHeight; ++y)
            for (int x = 66; x < barRight; ++x)
                clearAt(x, y);
        for (int row = 0; row < first.height; ++row)
            for (int x = 55; x < 55 + first.width; ++x)
                clearAt(x, 162 + row);
        for (int row = 0; row < second.height; ++row)
            for (int x = 55; x < 57 + second.width; ++x)
                clearAt(x, 135 + row), clearAt(x, 192 + row);
        EXPECT_EQ(covered, 0);
    }
}

TEST(Artwork, ShadowsFringeTheirOwnersOnlyOutsideTheOutline)
{
    const std::pair<const char*, const char*> pairs[] = {
        {"LargeBk.bmp", "tbg_00_shadow.png"}, {"MediumBk.bmp", "tbg_01_shadow.png"},
        {"SmallBk.bmp", "tbg_02_shadow.png"}, {"WarnBk.bmp", "pop_01_shadow.png"}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.second);
        const Image owner = LoadBmp24(ProgramResourceFolder() + pair.first);
        const Image shadow = LoadSkin(pair.second);
        ASSERT_GT(owner.width, 0);
        ASSERT_GE(shadow.width, owner.width);
        ASSERT_GE(shadow.height, owner.height);
        int overBody = 0, right = 0, below = 0, bright = 0;
        std::set<int> levels;
        for (int y = 0; y < shadow.height; ++y)
            for (int x = 0; x < shadow.width; ++x) {
                const uint8_t* p = shadow.At(x, y);
                const bool inOwner = x < owner.width && y < owner.height;
                if (inOwner && !owner.IsKey(x, y) && p[3] != 0)
                    ++overBody;
                if (p[3] == 0)
                    continue;
                levels.insert(p[3]);
                if (x >= owner.width)
                    right = std::max<int>(right, p[3]);
                if (y >= owner.height)
                    below = std::max<int>(below, p[3]);
                if (p[0] > 64 || p[1] > 64 || p[2] > 64 || p[3] == 255)
                    ++bright;
            }
        EXPECT_EQ(overBody, 0);
        EXPECT_GE(right, 48) << "a fringe right of the owner";
        EXPECT_GE(below, 48) << "a fringe under the owner";
        EXPECT_GE(levels.size(), 24u) << "soft, not a hard edge";
        EXPECT_EQ(bright, 0) << "dark and partly transparent";
    }
}

TEST(Artwork, IconHoldsEverySizeIn32BitsWithAlpha)
{
    const std::string bytes = ReadFile(ProgramResourceFolder() + "pellon.ico");
    ASSERT_GE(bytes.size(), 6u);
    const auto word = [&](size_t at) { return uint16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8); };
    const auto dword = [&](size_t at) { return uint32_t(word(at)) | uint32_t(word(at + 2)) << 16; };
    EXPECT_EQ(word(2), 1) << "an icon";
    const int count = word(4);
    ASSERT_GE(bytes.size(), 6u + 16u * count);
    std::set<int> sizes;
    for (int i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * i;
        const int size = uint8_t(bytes[entry]) == 0 ? 256 : uint8_t(bytes[entry]);
        SCOPED_TRACE(size);
        sizes.insert(size);
        EXPECT_EQ(word(entry + 6), 32);
        const uint32_t length = dword(entry + 8), offset = dword(entry + 12);
        ASSERT_LE(size_t(offset) + length, bytes.size());
        BITMAPINFOHEADER info;
        ASSERT_GE(length, sizeof info);
        std::memcpy(&info, bytes.data() + offset, sizeof info);
        EXPECT_EQ(info.biBitCount, 32);
        EXPECT_EQ(info.biWidth, size);
        ASSERT_GE(length, sizeof info + 4u * size * size);
        int clear = 0, solid = 0;
        for (int p = 0; p < size * size; ++p) {
            const uint8_t alpha = uint8_t(bytes[offset + sizeof info + 4 * p + 3]);
            clear += alpha == 0;
            solid += alpha == 255;
        }
        EXPECT_GT(clear, 0);
        EXPECT_GT(solid, 0);
    }
    EXPECT_EQ(sizes, (std::set<int>{256, 128, 96, 72, 64, 48, 32, 16}));
    EXPECT_EQ(count, 8);
    for (int size : {16, 32, 256}) {
        HICON icon = static_cast<HICON>(LoadImageA(nullptr, (ProgramResourceFolder() + "pellon.ico").c_str(),
                                                   IMAGE_ICON, size, size, LR_LOADFROMFILE));
        EXPECT_NE(icon, nullptr) << size;
        if (icon)
            DestroyIcon(icon);
    }
}
