// The artwork as the program reads it (sizes, 32-bit alpha, the cut-out outline, the
// shadows, where each picture lands) and every language's texts, measured in the
// program's fonts, where the windows place them.
#include "app/ArtScale.h"
#include "app/PngReader.h"
#include "app/ReadingTexts.h"
#include "framework/Bitmap.h"
#include "src/System/IniAccess.h"
#include "src/System/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// Blue, green, red, alpha per pixel, top row first; a form background has alpha 255.
struct Image {
    int width = 0, height = 0;
    std::vector<uint8_t> bgra;
    const uint8_t* At(int x, int y) const { return &bgra[4 * (size_t(y) * width + x)]; }
    int Alpha(int x, int y) const { return At(x, y)[3]; }
    bool IsKey(int x, int y) const
    {
        return At(x, y)[0] == 255 && At(x, y)[1] == 0 && At(x, y)[2] == 255;
    }
};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Through the program's PNG loader, from the program's resource folder.
Image Skin(const std::string& name)
{
    TBitmap bitmap;
    LoadPng(ResourceFolder() + name, &bitmap);
    Image image;
    image.width = bitmap.Width(), image.height = bitmap.Height();
    for (int y = 0; y < image.height; ++y)
        image.bgra.insert(image.bgra.end(), bitmap.ScanLine(y),
                          bitmap.ScanLine(y) + 4 * image.width);
    return image;
}

std::string ProgramResource(const std::string& name)
{
    return dali::ProgramDirectory() + "testdata\\art\\" + name;
}

// A 24-bit bottom-up BMP; empty when the file is anything else.
Image Background(const std::string& name)
{
    const std::string bytes = ReadFile(ProgramResource(name));
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    if (bytes.size() < sizeof file + sizeof info)
        return Image();
    std::memcpy(&file, bytes.data(), sizeof file);
    std::memcpy(&info, bytes.data() + sizeof file, sizeof info);
    const size_t stride = (size_t(std::max<LONG>(info.biWidth, 0)) * 3 + 3) & ~size_t(3);
    if (file.bfType != 0x4D42 || info.biBitCount != 24 || info.biCompression != BI_RGB ||
        info.biWidth <= 0 || info.biHeight <= 0 ||
        file.bfOffBits + stride * info.biHeight > bytes.size())
        return Image();
    Image image;
    image.width = info.biWidth, image.height = info.biHeight;
    for (int y = image.height - 1; y >= 0; --y)
        for (int x = 0; x < image.width; ++x) {
            const char* p = bytes.data() + file.bfOffBits + stride * y + 3 * x;
            image.bgra.insert(image.bgra.end(), {uint8_t(p[0]), uint8_t(p[1]), uint8_t(p[2]), 255});
        }
    return image;
}

struct Point {
    int x, y;
};

// The main window's layouts: W - 523, W - 499, W - 280 and W - 254 for the mode choices;
// the small window puts the performance choice one row above the saving one.
struct Layout {
    const char *name, *background, *shadow, *figure, *firstLine, *secondLine;
    int width, lastBar;
    Point close, phase, performanceRadio, performanceLabel, savingRadio, savingLabel;
    std::vector<const char*> bars;
};
const Layout kLayouts[] = {
    {"large",
     "LargeBk.bmp",
     "tbg_00_shadow.png",
     "big_figure01.png",
     "line03.png",
     "line04.png",
     800,
     685,
     {748, 15},
     {722, 250},
     {277, 46},
     {301, 47},
     {520, 46},
     {546, 47},
     {"color_bar01.png"}},
    {"medium",
     "MediumBk.bmp",
     "tbg_01_shadow.png",
     "big_figure.png",
     "line01.png",
     "line02.png",
     680,
     565,
     {628, 15},
     {607, 250},
     {157, 46},
     {181, 47},
     {400, 46},
     {426, 47},
     {"color_bar02.png"}},
    {"small",
     "SmallBk.bmp",
     "tbg_02_shadow.png",
     "big_figure02.png",
     "line01_s.png",
     "line02_s.png",
     415,
     299,
     {365, 15},
     {342, 250},
     {135, 22},
     {161, 23},
     {135, 46},
     {161, 47},
     {"color_bar01.png", "color_bar02.png"}},
};
const Point kFigure = {53, 68};
const int kBarTop = 75, kBarHeight = 184;

// The right edge of the widest bar in the last slot, with the pictures of a scale and
// that bar where the scale puts it.
int BarsRight(const Layout& layout, const ArtScale& scale = ArtScale())
{
    int right = 0;
    for (const char* bar : layout.bars) {
        TBitmap picture;
        LoadPng(scale.Folder() + bar, &picture);
        right = std::max(right, scale(layout.lastBar) + picture.Width());
    }
    return right;
}

// Counts the picture's visible pixels that miss the window's body: over a cut-out pixel
// they would blend the key colour away and show outside the outline.
int OffBody(const Image& window, const char* picture, Point at)
{
    const Image image = Skin(picture);
    int off = image.width > 0 ? 0 : 1;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            if (image.Alpha(x, y) != 0 && (at.x + x >= window.width || at.y + y >= window.height ||
                                           window.IsKey(at.x + x, at.y + y)))
                ++off;
    return off;
}

}  // namespace

TEST(Artwork, EverySkinPictureIsA32BitPngWithAlpha)
{
    const std::vector<std::vector<const char*>> controls = {
        {"close_n.png", "close_d.png", "close_o.png"},
        {"button01_n.png", "button01_d.png", "button01_o.png", "button01_un.png"},
        {"radio_button_n.png", "radio_button_o.png", "radio_button_chack_n.png",
         "radio_button_chack_o.png"}};
    // Shapes with fully transparent pixels; the bars, caps and zero lines need none.
    std::vector<const char*> shapes = {
        "big_figure01.png",  "big_figure.png",    "big_figure02.png",  "temp_pic.png",
        "phase.png",         "line04.png",        "line02.png",        "line02_s.png",
        "warning_pic01.png", "tbg_00_shadow.png", "tbg_01_shadow.png", "tbg_02_shadow.png",
        "pop_01_shadow.png"};
    for (const auto& states : controls)
        shapes.insert(shapes.end(), states.begin(), states.end());
    std::vector<std::pair<const char*, bool>> files;
    for (const char* file : shapes)
        files.emplace_back(file, true);
    for (const char* file : {"line03.png", "line01.png", "line01_s.png", "color_bar01.png",
                             "color_bar02.png", "color_bar_top01.png", "color_bar_top02.png"})
        files.emplace_back(file, false);
    for (const auto& file : files) {
        SCOPED_TRACE(file.first);
        const std::string bytes = ReadFile(ResourceFolder() + file.first);
        ASSERT_GT(bytes.size(), 26u) << "missing";
        EXPECT_EQ(bytes.substr(12, 4) + char(bytes[24]) + char(bytes[25]),
                  std::string("IHDR\x08\x06"))
            << "8-bit red, green, blue, alpha";
        const Image image = Skin(file.first);
        ASSERT_GT(image.width * image.height, 0) << "the codec rejects it";
        int clear = 0;
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                clear += image.Alpha(x, y) == 0;
        EXPECT_LT(clear, image.width * image.height);
        EXPECT_TRUE(!file.second || clear > 0);
    }
    for (const auto& states : controls)
        for (const char* state : states) {
            EXPECT_EQ(Skin(state).width, Skin(states[0]).width) << state;
            EXPECT_EQ(Skin(state).height, Skin(states[0]).height) << state;
        }
    // A radio button ends before its label, 24 pixels to its right, and above the bars.
    EXPECT_LT(Skin("radio_button_n.png").width, 24);
    EXPECT_LE(46 + Skin("radio_button_n.png").height, kFigure.y);
}

TEST(Artwork, BarsRunCoolToHotOnTheScaleHeightWithCapsInside)
{
    for (const auto& c : {std::make_pair("01", 22), std::make_pair("02", 18)}) {
        SCOPED_TRACE(c.first);
        const Image bar = Skin(std::string("color_bar") + c.first + ".png");
        const Image cap = Skin(std::string("color_bar_top") + c.first + ".png");
        EXPECT_EQ(bar.height, kBarHeight);
        EXPECT_LE(bar.width, c.second);
        EXPECT_LE(cap.width, bar.width);
        EXPECT_LE(cap.height, bar.height);
        ASSERT_GT(bar.width, 0);
        const uint8_t *top = bar.At(bar.width / 2, 0),
                      *bottom = bar.At(bar.width / 2, bar.height - 1);
        EXPECT_GT(top[2], top[0]) << "red over blue at the top";
        EXPECT_GT(bottom[0], bottom[2]) << "blue over red at the bottom";
    }
}

// Each scale has every picture of the 96-DPI set, drawn again to the scaled size (a
// shadow: its scaled body and margin), and the form backgrounds, opaque and keyed.
TEST(Artwork, EveryPictureIsDrawnAgainAtEachScale)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((ResourceFolder() + "*.png").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(find, &found));
    FindClose(find);
    ASSERT_EQ(31u, names.size());
    const struct {
        const char* name;
        int width, height;
    } backgrounds[] = {{"LargeBk.png", 800, 347}, {"MediumBk.png", 680, 347},
                       {"SmallBk.png", 415, 347}, {"WarnBk.png", 414, 192}};
    for (const int percent : {125, 150, 200}) {
        const ArtScale sc(percent);
        for (const std::string& name : names) {
            const Image one = Skin(name);
            TBitmap scaled;
            LoadPng(sc.Folder() + name, &scaled);
            const int margin = name.find("_shadow") != std::string::npos ? 14 : 0;
            EXPECT_EQ(sc(one.width - margin) + sc(margin), scaled.Width()) << name << " " << percent;
            EXPECT_EQ(sc(one.height - margin) + sc(margin), scaled.Height()) << name << " " << percent;
        }
        for (const auto& background : backgrounds) {
            TBitmap picture;
            LoadPng(sc.Folder() + background.name, &picture);
            ASSERT_EQ(sc(background.width), picture.Width()) << background.name << " " << percent;
            ASSERT_EQ(sc(background.height), picture.Height()) << background.name << " " << percent;
            int transparent = 0;
            for (int y = 0; y < picture.Height(); ++y)
                for (int x = 0; x < picture.Width(); ++x)
                    transparent += picture.ScanLine(y)[4 * x + 3] != 255;
            EXPECT_EQ(0, transparent) << background.name << " " << percent;
            const uint8_t* corner = picture.ScanLine(picture.Height() - 1);
            EXPECT_EQ(0xFF00FF, corner[2] << 16 | corner[1] << 8 | corner[0]) << background.name;
        }
    }
}

TEST(Artwork, FormBackgroundsAreCutToARoundedOutline)
{
    const std::tuple<const char*, int, int> cases[] = {{"LargeBk.bmp", 800, 347},
                                                       {"MediumBk.bmp", 680, 347},
                                                       {"SmallBk.bmp", 415, 347},
                                                       {"WarnBk.bmp", 414, 192}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::get<0>(c));
        const Image image = Background(std::get<0>(c));
        const int w = std::get<1>(c), h = std::get<2>(c);
        ASSERT_EQ(image.width, w) << "not a 24-bit bitmap of the size";
        ASSERT_EQ(image.height, h);
        EXPECT_TRUE(image.IsKey(0, h - 1) && image.IsKey(0, 0) && image.IsKey(w - 1, 0) &&
                    image.IsKey(w - 1, h - 1));
        // The body of every row and column is one run (no key inside it), widest in the
        // middle and narrower at the edges (rounded); no pink blend of the key on it.
        std::vector<int> rowStart;
        int pink = 0;
        for (int pass = 0; pass < 2; ++pass)
            for (int line = 0; line < (pass == 0 ? h : w); ++line) {
                int first = -1, runs = 0;
                bool before = false;
                for (int i = 0; i < (pass == 0 ? w : h); ++i) {
                    const int x = pass == 0 ? i : line, y = pass == 0 ? line : i;
                    const bool body = !image.IsKey(x, y);
                    runs += body && !before;
                    first = first < 0 && body ? i : first;
                    before = body;
                    const uint8_t* p = image.At(x, y);
                    pink += pass == 0 && body && p[0] > 128 && p[2] > 128 && p[1] < p[2] / 2;
                }
                EXPECT_EQ(runs, 1) << (pass == 0 ? "row " : "column ") << line;
                if (pass == 0)
                    rowStart.push_back(first);
            }
        EXPECT_EQ(pink, 0);
        EXPECT_LE(rowStart[h / 2], 1);
        EXPECT_GT(rowStart[0], rowStart[h / 2] + 2);
        EXPECT_GT(rowStart[h - 1], rowStart[h / 2] + 2);
    }
}

TEST(Artwork, PicturesLieOnTheirWindowsBody)
{
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        const Image window = Background(layout.background);
        ASSERT_EQ(window.width, layout.width);
        std::vector<std::pair<const char*, Point>> placed = {
            {"close_n.png", layout.close}, {"close_o.png", layout.close},
            {"close_d.png", layout.close}, {layout.figure, kFigure},
            {"temp_pic.png", {26, 66}},    {"phase.png", layout.phase},
            {layout.firstLine, {55, 162}}, {layout.secondLine, {57, 135}},
            {layout.secondLine, {55, 192}}};
        for (const char* radio : {"radio_button_n.png", "radio_button_o.png",
                                  "radio_button_chack_n.png", "radio_button_chack_o.png"}) {
            placed.push_back({radio, layout.performanceRadio});
            placed.push_back({radio, layout.savingRadio});
        }
        for (const char* bar : layout.bars) {
            placed.push_back({bar, {66, kBarTop}});
            placed.push_back({bar, {layout.lastBar, kBarTop}});
        }
        for (const auto& p : placed)
            EXPECT_EQ(OffBody(window, p.first, p.second), 0)
                << p.first << " at " << p.second.x << ", " << p.second.y;
    }
    const Image dialog = Background("WarnBk.bmp");
    for (const char* picture :
         {"button01_n.png", "button01_o.png", "button01_d.png", "button01_un.png"})
        EXPECT_EQ(OffBody(dialog, picture, {150, 140}), 0) << picture;
    EXPECT_EQ(OffBody(dialog, "close_n.png", {365, 15}), 0);
    EXPECT_EQ(OffBody(dialog, "warning_pic01.png", {20, 20}), 0);
    EXPECT_LE(20 + Skin("warning_pic01.png").width, 155) << "left of the title and message";
}

TEST(Artwork, LinesAndChartFrameMeetTheBars)
{
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        const int barsRight = BarsRight(layout);
        const Image first = Skin(layout.firstLine), second = Skin(layout.secondLine),
                    frame = Skin(layout.figure);
        EXPECT_GE(55 + first.width, barsRight);
        EXPECT_GE(55 + second.width, barsRight);
        // The mark is the line's top row: a bar lit to the level ends exactly there.
        for (const Image* line : {&first, &second}) {
            std::vector<int> rows(line->height);
            for (int y = 0; y < line->height; ++y)
                for (int x = 0; x < line->width; ++x)
                    rows[y] += line->Alpha(x, y);
            EXPECT_EQ(std::max_element(rows.begin(), rows.end()) - rows.begin(), 0);
        }
        // The frame is drawn above them: none of it over the bars or the lines.
        int covered = 0;
        const auto over = [&](int x0, int x1, int y0, int y1) {
            for (int y = std::max(y0, kFigure.y); y < std::min(y1, kFigure.y + frame.height); ++y)
                for (int x = std::max(x0, kFigure.x); x < std::min(x1, kFigure.x + frame.width);
                     ++x)
                    covered += frame.Alpha(x - kFigure.x, y - kFigure.y) != 0;
        };
        over(66, barsRight, kBarTop, kBarTop + kBarHeight);
        over(55, 55 + first.width, 162, 162 + first.height);
        for (int y : {135, 192})
            over(55, 57 + second.width, y, y + second.height);
        EXPECT_EQ(covered, 0);
    }
}

TEST(Artwork, ShadowsFringeTheirOwnersOnlyOutsideTheOutline)
{
    const std::pair<const char*, const char*> pairs[] = {{"LargeBk.bmp", "tbg_00_shadow.png"},
                                                         {"MediumBk.bmp", "tbg_01_shadow.png"},
                                                         {"SmallBk.bmp", "tbg_02_shadow.png"},
                                                         {"WarnBk.bmp", "pop_01_shadow.png"}};
    for (const auto& pair : pairs) {
        SCOPED_TRACE(pair.second);
        const Image owner = Background(pair.first), shadow = Skin(pair.second);
        ASSERT_GT(owner.width, 0);
        ASSERT_GE(shadow.width, owner.width);
        ASSERT_GE(shadow.height, owner.height);
        int overBody = 0, right = 0, below = 0, bright = 0;
        std::set<int> levels;
        for (int y = 0; y < shadow.height; ++y)
            for (int x = 0; x < shadow.width; ++x) {
                const uint8_t* p = shadow.At(x, y);
                if (p[3] == 0)
                    continue;
                overBody += x < owner.width && y < owner.height && !owner.IsKey(x, y);
                levels.insert(p[3]);
                right = x >= owner.width ? std::max<int>(right, p[3]) : right;
                below = y >= owner.height ? std::max<int>(below, p[3]) : below;
                bright += p[0] > 64 || p[1] > 64 || p[2] > 64 || p[3] == 255;
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
    const std::string bytes = ReadFile(ProgramResource("pellon.ico"));
    const auto u16 = [&](size_t at) {
        return at + 2 <= bytes.size() ? uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8 : 0;
    };
    const auto u32 = [&](size_t at) { return uint32_t(u16(at)) | uint32_t(u16(at + 2)) << 16; };
    ASSERT_EQ(u16(2), 1) << "an icon";
    std::multiset<int> sizes;
    for (int i = 0; i < u16(4); ++i) {
        const size_t entry = 6 + 16 * i;
        const int size = u16(entry) & 0xFF ? u16(entry) & 0xFF : 256;
        const uint32_t offset = u32(entry + 12);
        SCOPED_TRACE(size);
        sizes.insert(size);
        EXPECT_EQ(u16(entry + 6), 32);
        ASSERT_GE(u32(entry + 8), sizeof(BITMAPINFOHEADER) + 4u * size * size);
        ASSERT_LE(size_t(offset) + u32(entry + 8), bytes.size());
        EXPECT_EQ(u16(offset + 14), 32) << "a 32-bit bitmap";
        std::set<int> alphas;
        for (int p = 0; p < size * size; ++p)
            alphas.insert(uint8_t(bytes[offset + sizeof(BITMAPINFOHEADER) + 4 * p + 3]));
        EXPECT_TRUE(alphas.count(0) && alphas.count(255)) << "transparent corners, opaque body";
    }
    EXPECT_EQ(sizes, (std::multiset<int>{256, 128, 96, 72, 64, 48, 32, 16}));
    for (int size : {16, 32, 256}) {
        const HANDLE icon = LoadImageA(nullptr, ProgramResource("pellon.ico").c_str(), IMAGE_ICON,
                                       size, size, LR_LOADFROMFILE);
        EXPECT_NE(icon, nullptr) << size;
        DestroyIcon(static_cast<HICON>(icon));
    }
}

namespace {

const std::pair<const char*, UINT> kLanguages[] = {
    {"English", 1252}, {"German", 1252},  {"French", 1252},  {"Spanish", 1252}, {"Russian", 1251},
    {"Japanese", 932}, {"SChinese", 936}, {"TChinese", 950}, {"Korean", 949}};

// The text of a key, in the file's code page.
std::string Bytes(const std::pair<const char*, UINT>& language, const char* key)
{
    dali::IniAccessor ini;
    ini.Open(dali::ProgramDirectory() + "LangFiles\\" + language.first + "\\" + language.first +
             ".ini");
    return ini.ReadString("Translations", key, "");
}

std::wstring Decoded(const std::pair<const char*, UINT>& language, const std::string& bytes)
{
    std::wstring text(bytes.size(), L'\0');
    text.resize(std::max(0, MultiByteToWideChar(language.second, 0, bytes.data(), int(bytes.size()),
                                                &text[0], int(text.size()))));
    return text;
}

std::wstring Text(const std::pair<const char*, UINT>& language, const char* key)
{
    return Decoded(language, Bytes(language, key));
}

// A memory DC with one of the program's fonts selected.
class Font {
public:
    Font(int height, bool bold, bool japanese, const wchar_t* face = L"Arial")
        : m_dc(CreateCompatibleDC(nullptr)),
          m_font(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0,
                             japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET, 0, 0, 0, 0, face)),
          m_old(SelectObject(m_dc, m_font))
    {
    }
    ~Font()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_font);
        DeleteDC(m_dc);
    }
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    SIZE Extent(const std::wstring& text) const
    {
        SIZE size = {0, 0};
        GetTextExtentPoint32W(m_dc, text.c_str(), int(text.size()), &size);
        return size;
    }
    HDC Dc() const { return m_dc; }

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};

}  // namespace

// At every scale the fonts, positions, glows and boxes are the 96-DPI ones scaled; the
// fonts' own rounding must not push a text out of its box.
TEST(TextFit, EveryLanguagesTextsFitWhereTheWindowsPlaceThem)
{
    std::vector<std::tuple<std::string, int, int>> fits;  // what, size, room
    for (const int percent : ArtScale::kPercents) {
        const ArtScale sc(percent);
        const int kLabelGlow = sc(2), kOkGlow = sc(10), kGap = sc(4);
        TBitmap okPicture;
        LoadPng(sc.Folder() + "button01_n.png", &okPicture);
        const std::string scale = percent == 100 ? "" : std::to_string(percent) + " % ";
        for (const auto& language : kLanguages) {
            const std::string name = scale + language.first;
            const bool japanese = name.find("Japanese") != std::string::npos,
                       chinese = name.find("Chinese") != std::string::npos;
            const Font label(sc(japanese ? -12 : -11), true, japanese),
                title(sc(chinese ? -10 : -11), false, japanese);
            const SIZE performance = label.Extent(Text(language, "PreformanceMode"));
            const SIZE saving = label.Extent(Text(language, "SavingMode"));
            const int phase = title.Extent(Text(language, "Phase")).cx;
            for (const Layout& layout : kLayouts) {
                const std::string at = name + " " + layout.name + ": ";
                // The performance label ends before the saving radio button, or in the
                // small window's upper row before the close button.
                const int end = layout.performanceRadio.y == layout.savingRadio.y ? layout.savingRadio.x
                                                                                  : layout.close.x;
                fits.emplace_back(at + "performance label", performance.cx + 2 * kLabelGlow,
                                  sc(end) - kGap - sc(layout.performanceLabel.x));
                fits.emplace_back(at + "saving label", saving.cx + 2 * kLabelGlow,
                                  sc(layout.width) - sc(16) - sc(layout.savingLabel.x));
                fits.emplace_back(at + "mode labels' height", std::max(performance.cy, saving.cy),
                                  sc(kFigure.y) - sc(2) - sc(layout.savingLabel.y));
                // The title, widened by 10 and right-aligned, keeps clear of the last bar.
                const int titleLeft =
                    sc(layout.width) - (phase + sc(10)) - sc(japanese ? 20 : chinese ? 14 : 28);
                fits.emplace_back(at + "phase title clear of the last bar", BarsRight(layout, sc) + kGap,
                                  titleLeft);
            }
            // The legend at 56 and, right-aligned at the end of its box, the widest average.
            const Font legend(sc(japanese ? -12 : -11), false, japanese, L"MS Sans Serif"),
                legendValue(sc(japanese ? -12 : -11), true, japanese, L"MS Sans Serif");
            // The program's own filling of the file's patterns, in the file's code page.
            const ReadingTexts texts{Bytes(language, "Degrees"), Bytes(language, "PhaseTip"),
                                     Bytes(language, "PhaseSensorOff"), Bytes(language, "PhaseNoReading")};
            const int widest = legendValue.Extent(Decoded(language, texts.Degrees(-127))).cx;
            fits.emplace_back(name + ": average value", widest, sc(208) - sc(146));
            fits.emplace_back(name + ": legend before the widest average",
                              legend.Extent(Text(language, "AVG")).cx + kGap, sc(208) - widest - sc(56));
            // Tooltips stay one line: the hint window wraps at 300 pixels.
            const Font tip(sc(-11), false, false, L"Tahoma");
            const std::wstring tipTexts[] = {
                Decoded(language, texts.PhaseTip("16", {true, -127, true, -127})),
                Decoded(language, texts.PhaseTip("16", {false, 0})),
                Decoded(language, texts.PhaseTip("16", {true, 0, false, 0}))};
            for (const std::wstring& text : tipTexts)
                fits.emplace_back(name + ": tooltip on one line", tip.Extent(text).cx, sc(300));

            const Font caption(sc(-11), false, japanese), warning(sc(-12), true, japanese),
                message(sc(-12), false, japanese);
            const SIZE okText = caption.Extent(Text(language, "Ok"));
            fits.emplace_back(name + ": ok caption", okText.cx + kOkGlow, okPicture.Width() - kGap);
            fits.emplace_back(name + ": ok caption height", okText.cy + kOkGlow, okPicture.Height());
            fits.emplace_back(name + ": dialog title", warning.Extent(Text(language, "Warning")).cx,
                              sc(365) - kGap - sc(155));
            const std::wstring text = Text(language, "PellonDisabled");
            RECT wrapped = {0, 0, sc(230), 0};
            DrawTextW(message.Dc(), text.c_str(), int(text.size()), &wrapped,
                      DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            fits.emplace_back(name + ": message width", wrapped.right, sc(230));
            fits.emplace_back(name + ": message height above the ok button", wrapped.bottom,
                              sc(140) - kGap - sc(52));
        }
    }
    for (const auto& fit : fits) {
        EXPECT_GT(std::get<1>(fit), 0) << std::get<0>(fit);
        EXPECT_LE(std::get<1>(fit), std::get<2>(fit)) << std::get<0>(fit);
        std::cout << std::get<0>(fit) << " " << std::get<1>(fit) << " of " << std::get<2>(fit)
                  << "\n";
    }
}

// A letter no linked font has is drawn as the same box (or nothing) as every other such
// letter: each distinct letter of the texts must draw its own ink.
TEST(TextFit, EveryLanguagesLettersAreDrawn)
{
    for (const auto& language : kLanguages) {
        SCOPED_TRACE(language.first);
        const bool japanese = std::string(language.first) == "Japanese";
        const Font font(japanese ? -12 : -11, true, japanese);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 24, -24, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        const HBITMAP cell = CreateDIBSection(font.Dc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(cell, nullptr);
        const HGDIOBJ old = SelectObject(font.Dc(), cell);
        SetTextColor(font.Dc(), RGB(255, 255, 255));
        SetBkColor(font.Dc(), RGB(0, 0, 0));
        std::map<std::vector<uint32_t>, wchar_t> inks;
        for (const char* key :
             {"PreformanceMode", "SavingMode", "Phase", "Ok", "Warning", "PellonDisabled", "AVG",
              "PhaseSensorOff", "PhaseNoReading"})
            for (wchar_t letter : Text(language, key)) {
                if (letter < 0x0400)
                    continue;  // Latin letters: some share their shape at this size
                const RECT whole = {0, 0, 24, 24};
                ExtTextOutW(font.Dc(), 2, 2, ETO_OPAQUE, &whole, &letter, 1, nullptr);
                GdiFlush();
                const std::vector<uint32_t> ink(static_cast<uint32_t*>(bits),
                                                static_cast<uint32_t*>(bits) + 24 * 24);
                EXPECT_TRUE(std::any_of(ink.begin(), ink.end(),
                                        [](uint32_t p) { return (p & 0xFFFFFF) != 0; }))
                    << "U+" << std::hex << int(letter) << " draws nothing";
                const auto seen = inks.emplace(ink, letter);
                EXPECT_EQ(seen.first->second, letter)
                    << "U+" << std::hex << int(letter) << " draws like another letter";
            }
        SelectObject(font.Dc(), old);
        DeleteObject(cell);
    }
}
