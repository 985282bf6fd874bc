// Every language's texts, read from its file in its code page and measured in the
// program's fonts, fit where the windows place them on the artwork.
#include "tests/art/ArtSupport.h"

#include "src/System/IniAccess.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>
#include <vector>

using namespace arttest;

namespace {

struct Language {
    const char* name;
    UINT codePage;
};

const Language kLanguages[] = {
    {"English", 1252}, {"German", 1252}, {"French", 1252},   {"Spanish", 1252},  {"Russian", 1251},
    {"Japanese", 932}, {"SChinese", 936}, {"TChinese", 950}, {"Korean", 949},
};

std::wstring Text(const Language& language, const char* key)
{
    dali::IniAccessor ini;
    ini.Open(dali::ProgramDirectory() + "LangFiles\\" + language.name + "\\" + language.name + ".ini");
    const std::string bytes = ini.ReadString("Translations", key, "");
    const int length = MultiByteToWideChar(language.codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring text(std::max(length, 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(language.codePage, 0, bytes.data(), int(bytes.size()), &text[0], length);
    return text;
}

// A memory DC with one font of the program selected.
class Measure {
public:
    Measure(int height, bool bold, bool japanese)
        : m_dc(CreateCompatibleDC(nullptr)),
          m_font(CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                             japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial")),
          m_old(SelectObject(m_dc, m_font))
    {
    }
    ~Measure()
    {
        SelectObject(m_dc, m_old);
        DeleteObject(m_font);
        DeleteDC(m_dc);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;

    SIZE Extent(const std::wstring& text) const
    {
        SIZE size = {0, 0};
        GetTextExtentPoint32W(m_dc, text.c_str(), int(text.size()), &size);
        return size;
    }
    // The word-wrapped text's rectangle in a column of the given width.
    RECT Wrapped(const std::wstring& text, int width) const
    {
        RECT rect = {0, 0, width, 0};
        DrawTextW(m_dc, text.c_str(), int(text.size()), &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return rect;
    }
    HDC Dc() const { return m_dc; }

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};

struct Fit {
    std::string what;
    int size;
    int room;
};

}  // namespace

TEST(TextFit, EveryLanguagesTextsFitWhereTheWindowsPlaceThem)
{
    const int kLabelGlow = 2, kOkGlow = 10, kGap = 4;
    const Image ok = LoadSkin("button01_n.png");
    ASSERT_GT(ok.width, 0);
    std::vector<Fit> fits;
    for (const Language& language : kLanguages) {
        const std::string name = language.name;
        const bool japanese = name == "Japanese", chinese = name == "SChinese" || name == "TChinese";
        const Measure label(japanese ? -12 : -11, true, japanese);
        const Measure title(chinese ? -10 : -11, false, japanese);
        const Measure caption(-11, false, japanese);
        const Measure warning(-12, true, japanese), message(-12, false, japanese);
        const SIZE performance = label.Extent(Text(language, "PreformanceMode"));
        const SIZE saving = label.Extent(Text(language, "SavingMode"));
        const SIZE phase = title.Extent(Text(language, "Phase"));
        for (const MainLayout& layout : MainLayouts()) {
            const std::string at = name + " " + layout.name + ": ";
            // Performance: up to the saving radio button, or in the small window's upper
            // row up to the close button.
            const int performanceEnd =
                layout.performanceRadio.y == layout.savingRadio.y ? layout.savingRadio.x : layout.close.x;
            fits.push_back({at + "performance label", performance.cx + 2 * kLabelGlow,
                            performanceEnd - kGap - layout.performanceLabel.x});
            fits.push_back({at + "saving label", saving.cx + 2 * kLabelGlow,
                            layout.width - 16 - layout.savingLabel.x});
            fits.push_back({at + "mode label height", std::max(performance.cy, saving.cy),
                            kFigure.y - 2 - layout.savingLabel.y});
            // The title widens by 10 and stands right-aligned; it keeps clear of the last
            // bar (and the number under it) on its left.
            const int titleWidth = phase.cx + 10;
            const int titleLeft = layout.width - titleWidth - (japanese ? 20 : chinese ? 14 : 28);
            int barRight = 0;
            for (const char* bar : layout.bars)
                barRight = std::max(barRight, layout.lastBar + LoadSkin(bar).width);
            fits.push_back({at + "phase title clear of the last bar", barRight + kGap,
                            titleLeft});
        }
        const SIZE okText = caption.Extent(Text(language, "Ok"));
        fits.push_back({name + ": ok caption", okText.cx + kOkGlow, ok.width - kGap});
        fits.push_back({name + ": ok caption height", okText.cy + kOkGlow, ok.height});
        const SIZE warningText = warning.Extent(Text(language, "Warning"));
        fits.push_back({name + ": dialog title", warningText.cx, 365 - kGap - 155});
        const RECT wrapped = message.Wrapped(Text(language, "PellonDisabled"), 230);
        fits.push_back({name + ": message width", wrapped.right, 230});
        fits.push_back({name + ": message height above the ok button", wrapped.bottom, 140 - kGap - 52});
    }
    for (const Fit& fit : fits) {
        EXPECT_GT(fit.size, 0) << fit.what;
        EXPECT_LE(fit.size, fit.room) << fit.what;
    }
    for (const Fit& fit : fits)
        std::cout << fit.what << " " << fit.size << " of " << fit.room << "\n";
}

// A character without a glyph in any linked font is drawn as the same box (or nothing)
// as every other such character: each distinct letter of the texts must draw distinct ink.
TEST(TextFit, EveryLanguagesLettersAreDrawn)
{
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.name);
        const bool japanese = std::string(language.name) == "Japanese";
        const Measure font(japanese ? -12 : -11, true, japanese);
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 24, -24, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP cell = CreateDIBSection(font.Dc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        ASSERT_NE(cell, nullptr);
        const HGDIOBJ old = SelectObject(font.Dc(), cell);
        SetTextColor(font.Dc(), RGB(255, 255, 255));
        SetBkColor(font.Dc(), RGB(0, 0, 0));
        std::map<std::vector<uint32_t>, wchar_t> inks;
        for (const char* key : {"PreformanceMode", "SavingMode", "Phase", "Ok", "Warning", "PellonDisabled"}) {
            for (wchar_t letter : Text(language, key)) {
                if (letter < 0x0400)
                    continue;  // Latin letters: some share their shape at this size
                const RECT whole = {0, 0, 24, 24};
                ExtTextOutW(font.Dc(), 2, 2, ETO_OPAQUE, &whole, &letter, 1, nullptr);
                GdiFlush();
                const uint32_t* pixels = static_cast<const uint32_t*>(bits);
                std::vector<uint32_t> ink(pixels, pixels + 24 * 24);
                const bool blank = std::all_of(ink.begin(), ink.end(), [](uint32_t p) { return (p & 0xFFFFFF) == 0; });
                EXPECT_FALSE(blank) << "U+" << std::hex << int(letter) << " draws nothing";
                const auto seen = inks.emplace(ink, letter);
                EXPECT_TRUE(seen.second || seen.first->second == letter)
                    << "U+" << std::hex << int(letter) << " draws like U+" << int(seen.first->second);
            }
        }
        SelectObject(font.Dc(), old);
        DeleteObject(cell);
    }
}
