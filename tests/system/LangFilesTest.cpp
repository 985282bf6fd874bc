// The language files shipped beside the program: every file has every key the program
// asks for, and its bytes are text in the code page the program reads it with.
#include "src/System/IniAccess.h"
#include "src/System/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char* const kKeys[] = {"PreformanceMode", "SavingMode",     "RunAtStartup",
                             "Phase",           "AVG",            "Close",
                             "Ok",              "Warning",        "PellonDisabled",
                             "Degrees",         "PhaseTip",       "PhaseSensorOff",
                             "PhaseNoReading"};

// The patterns the numbers are put into, with the places each must have.
const struct {
    const char* key;
    const char* places;
} kPatterns[] = {{"Degrees", "1"}, {"PhaseTip", "123"}, {"PhaseSensorOff", "1"}, {"PhaseNoReading", "1"}};

struct Language {
    const char* name;
    UINT codePage;
    // Every text of the file together holds at least one character of this range, so a
    // file saved in another encoding (UTF-8 above all) cannot pass as this one.
    wchar_t first;
    wchar_t last;
};

const Language kLanguages[] = {
    {"English", 1252, L'A', L'z'},        {"German", 1252, 0x00C0, 0x00FF},
    {"French", 1252, 0x00C0, 0x00FF},     {"Spanish", 1252, 0x00C0, 0x00FF},
    {"Russian", 1251, 0x0400, 0x04FF},    {"Japanese", 932, 0x3040, 0x30FF},
    {"SChinese", 936, 0x4E00, 0x9FFF},    {"TChinese", 950, 0x4E00, 0x9FFF},
    {"Korean", 949, 0xAC00, 0xD7A3},
};

std::string LangFolder()
{
    return dali::ProgramDirectory() + "LangFiles\\";
}

std::string FileOf(const char* language)
{
    return LangFolder() + language + "\\" + language + ".ini";
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text in UTF-16 when every byte sequence is valid in the code page; empty otherwise.
std::wstring Decode(const std::string& bytes, UINT codePage)
{
    const int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                        &text[0], length);
    return text;
}

std::string Encode(const std::wstring& text, UINT codePage)
{
    BOOL lossy = FALSE;
    BOOL* usedDefault = codePage == CP_UTF8 ? nullptr : &lossy;
    const int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, usedDefault);
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &bytes[0], length,
                        nullptr, usedDefault);
    return lossy ? std::string() : bytes;
}

TEST(LangFiles, EveryLanguageHasEveryKey)
{
    for (const Language& language : kLanguages) {
        dali::IniAccessor ini;
        ini.Open(FileOf(language.name));
        for (const char* key : kKeys) {
            const std::string text = ini.ReadString("Translations", key, dali::kTextNotFound);
            EXPECT_NE(dali::kTextNotFound, text) << language.name << " lacks " << key;
            EXPECT_FALSE(text.empty()) << language.name << " has an empty " << key;
        }
        for (const auto& pattern : kPatterns) {
            const std::string text = ini.ReadString("Translations", pattern.key, "");
            for (const char* place = pattern.places; *place; ++place)
                EXPECT_NE(std::string::npos, text.find(std::string("%") + *place))
                    << language.name << " " << pattern.key << " lacks %" << *place;
        }
        // The degree sign is a letter of each code page, not a stray byte.
        EXPECT_NE(std::wstring::npos,
                  Decode(ini.ReadString("Translations", "Degrees", ""), language.codePage).find(L"\u00B0C"))
            << language.name;
    }
}

TEST(LangFiles, EveryFileIsCleanTextInItsCodePage)
{
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.name);
        const std::string bytes = ReadBytes(FileOf(language.name));
        ASSERT_FALSE(bytes.empty());
        const std::wstring text = Decode(bytes, language.codePage);
        ASSERT_FALSE(text.empty()) << "invalid bytes for code page " << language.codePage;
        EXPECT_EQ(bytes, Encode(text, language.codePage)) << "does not survive a round trip";
        EXPECT_EQ(std::wstring::npos, text.find_first_of(L"\ufffd\ufeff"));

        bool inScript = false;
        for (wchar_t c : text) {
            inScript = inScript || (c >= language.first && c <= language.last);
            EXPECT_TRUE(c >= 0x20 || c == L'\r' || c == L'\n') << "control character " << int(c);
        }
        EXPECT_TRUE(inScript) << "no character of the language's script";

        const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x80;
        });
        if (!ascii) {
            EXPECT_TRUE(Decode(bytes, CP_UTF8).empty()) << "stored as UTF-8";
        }
    }
}

TEST(LangFiles, IndexNamesOnlyShippedLanguages)
{
    dali::IniAccessor index;
    index.Open(LangFolder() + "NrMultiLang.ini");
    const std::string keys = index.ReadString("Languages", nullptr, "");
    ASSERT_FALSE(keys.empty());
    std::size_t count = 0;
    for (std::size_t start = 0; start < keys.size(); start = keys.find('\0', start) + 1) {
        const std::string key = keys.c_str() + start;
        const std::string name = index.ReadString("Languages", key.c_str(), "");
        EXPECT_TRUE(key.size() == 2 || key.size() == 4) << key;
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(FileOf(name.c_str()).c_str()))
            << key << "=" << name;
        ++count;
    }
    EXPECT_GE(count, std::size(kLanguages));
}

TEST(LangFiles, SystemLanguagesFindTheirShippedTexts)
{
    const struct {
        std::uint16_t id;
        const char* name;
    } cases[] = {
        {0x0409, "English"},  {0x0809, "English"},  {0x0411, "Japanese"}, {0x0804, "SChinese"},
        {0x0404, "TChinese"}, {0x0C04, "TChinese"}, {0x0407, "German"},   {0x0807, "German"},
        {0x040C, "French"},   {0x0C0C, "French"},   {0x0C0A, "Spanish"},  {0x080A, "Spanish"},
        {0x0412, "Korean"},   {0x0419, "Russian"},  {0x0410, "English"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const std::uint16_t id = c.id;
        const dali::NrMultiLang lang(dali::ProgramDirectory(), [id] { return id; });
        EXPECT_EQ(c.name, lang.LanguageName());
        dali::IniAccessor file;
        file.Open(FileOf(c.name));
        EXPECT_EQ(file.ReadString("Translations", "Warning", ""), lang.GetText("Warning"));
    }
}

}  // namespace
