#include "src/System/IniAccess.h"
#include "src/System/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A private folder under the temporary directory, removed again after each test.
class TempFolder {
public:
    TempFolder()
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        m_path = std::string(temp) + "pellon-ini-" + std::to_string(GetCurrentProcessId()) + "\\";
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempFolder()
    {
        // Let go of the system's cached copies before the files go.
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, nullptr);
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_path; }

    // Writes the file (relative path) with exactly these bytes; returns its full path.
    std::string Write(const std::string& relative, const std::string& bytes) const
    {
        const std::string full = m_path + relative;
        fs::create_directories(fs::path(full).parent_path());
        std::ofstream(full, std::ios::binary) << bytes;
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, full.c_str());
        return full;
    }

private:
    std::string m_path;
};

TEST(IniAccessor, IsOpenExactlyBetweenOpenAndClose)
{
    dali::IniAccessor ini;
    EXPECT_FALSE(ini.IsOpen());
    EXPECT_TRUE(ini.Open("C:\\no such folder\\none.ini"));
    EXPECT_TRUE(ini.IsOpen());
    ini.Close();
    EXPECT_FALSE(ini.IsOpen());
    EXPECT_TRUE(ini.Open("C:\\no such folder\\none.ini"));
}

TEST(IniAccessor, MissingFileSectionOrKeyGivesTheDefault)
{
    TempFolder folder;
    const std::string file = folder.Write("a.ini", "[S]\r\nK=value\r\n");
    const struct {
        std::string file;
        const char* section;
        const char* key;
        const char* expected;
    } cases[] = {
        {file, "S", "K", "value"},
        {file, "S", "Other", "fallback"},
        {file, "Other", "K", "fallback"},
        {folder.Path() + "missing.ini", "S", "K", "fallback"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key + " in " + c.file);
        dali::IniAccessor ini;
        ini.Open(c.file);
        EXPECT_EQ(c.expected, ini.ReadString(c.section, c.key, "fallback"));
    }
}

// The buffer starts at 128 characters; values at and beyond each doubling must come
// back whole.
TEST(IniAccessor, ValuesOfAnyLengthAreReadWhole)
{
    TempFolder folder;
    for (std::size_t length : {0u, 1u, 126u, 127u, 128u, 200u, 255u, 256u, 511u, 1000u, 20000u}) {
        SCOPED_TRACE(length);
        std::string value;
        for (std::size_t i = 0; i < length; ++i)
            value += static_cast<char>('a' + i % 26);
        const std::string file =
            folder.Write("long" + std::to_string(length) + ".ini", "[S]\r\nK=" + value + "\r\n");
        dali::IniAccessor ini;
        ini.Open(file);
        EXPECT_EQ(value, ini.ReadString("S", "K", "fallback"));
        EXPECT_EQ(value, ini.ReadString("S", "K", "fallback"));
    }
}

TEST(IniAccessor, NullKeyListsEveryKeyEvenPastTheFirstBuffer)
{
    TempFolder folder;
    std::string contents = "[S]\r\n";
    std::string expected;
    for (int i = 0; i < 60; ++i) {
        const std::string key = "Key" + std::to_string(i);
        contents += key + "=x\r\n";
        expected += key + '\0';
    }
    dali::IniAccessor ini;
    ini.Open(folder.Write("list.ini", contents));
    EXPECT_EQ(expected, ini.ReadString("S", nullptr, ""));
}

TEST(IniAccessorDeathTest, OpeningAnOpenAccessorIsAProgrammingError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            dali::IniAccessor ini;
            ini.Open("a.ini");
            ini.Open("b.ini");
        },
        "Assertion failed: !IsOpen\\(\\), file src/System/IniAccess.cpp, line");
}

TEST(IniAccess, HexKeysAreUpperCaseMostSignificantFirst)
{
    const struct {
        unsigned value;
        int digits;
        const char* key;
    } cases[] = {
        {0x0409, 4, "0409"}, {0x0C0A, 4, "0C0A"}, {0x0C0A & 0x3FF, 2, "0A"},
        {0xABCD, 4, "ABCD"}, {0x0411 & 0x3FF, 2, "11"},   {0x0000, 4, "0000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.key, dali::HexKey(c.value, c.digits));
}

TEST(IniAccess, DirectoryKeepsEverythingUpToTheLastBackslash)
{
    EXPECT_EQ("C:\\Program Files\\Pellon\\", dali::DirectoryOf("C:\\Program Files\\Pellon\\pellon.exe"));
    EXPECT_EQ("\\\\server\\share\\", dali::DirectoryOf("\\\\server\\share\\pellon.exe"));
    EXPECT_EQ("C:\\", dali::DirectoryOf("C:\\"));
    EXPECT_EQ("", dali::DirectoryOf("pellon.exe"));
}

TEST(IniAccess, ProgramFileNameGrowsItsBufferUntilThePathFits)
{
    const std::string path = dali::ProgramFileName();
    ASSERT_GT(path.size(), 8u);
    EXPECT_EQ(".exe", path.substr(path.size() - 4));
    for (std::uint32_t initial : {1u, 2u, 5u, static_cast<std::uint32_t>(path.size())})
        EXPECT_EQ(path, dali::ProgramFileName(initial)) << initial;
    EXPECT_EQ(dali::DirectoryOf(path), dali::ProgramDirectory());
}

// Language files in a folder of their own, and a language id the test chooses.
class NrMultiLangTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder.Write("LangFiles\\English\\English.ini",
                       "[Translations]\r\nOk=OK\r\nClose=Close\r\nOnlyEnglish=English only\r\n");
        m_folder.Write("LangFiles\\Japanese\\Japanese.ini",
                       "[Translations]\r\nOk=\x82\x6E\x82\x6A\r\nClose=\x95\xC2\x82\xB6\x82\xE9\r\n");
        m_folder.Write("LangFiles\\Spanish\\Spanish.ini", "[Translations]\r\nOk=Aceptar\r\n");
    }

    void Index(const std::string& entries)
    {
        m_folder.Write("LangFiles\\NrMultiLang.ini", "[Languages]\r\n" + entries);
    }

    dali::NrMultiLang Lang(std::uint16_t id)
    {
        return dali::NrMultiLang(m_folder.Path(), [id] { return id; });
    }

    TempFolder m_folder;
};

TEST_F(NrMultiLangTest, LanguageComesFromTheFullIdThenThePrimaryIdThenEnglish)
{
    const struct {
        std::uint16_t id;
        const char* index;
        const char* name;
    } cases[] = {
        {0x0411, "0411=Japanese\r\n", "Japanese"},
        {0x0C0A, "0A=Spanish\r\n", "Spanish"},
        {0x0C0A, "0C0A=Mexican\r\n0A=Spanish\r\n", "Mexican"},
        {0x040A, "0C0A=Mexican\r\n", "English"},
        {0x0407, "0411=Japanese\r\n", "English"},
        {0x0411, "0411=\r\n", "English"},
        {0x0411, "0411=..\\..\\Windows\\win\r\n", "English"},
        {0x0411, "0411=C:\r\n", "English"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        Index(c.index);
        EXPECT_EQ(c.name, Lang(c.id).LanguageName());
    }
}

TEST_F(NrMultiLangTest, MissingIndexMeansEnglish)
{
    EXPECT_EQ("English", Lang(0x0411).LanguageName());
    EXPECT_EQ("OK", Lang(0x0411).GetText("Ok"));
}

TEST_F(NrMultiLangTest, TextComesFromTheLanguageThenEnglishThenTheMarker)
{
    Index("0411=Japanese\r\n0A=Spanish\r\n07=Klingon\r\n");
    const struct {
        std::uint16_t id;
        const char* key;
        const char* text;
    } cases[] = {
        {0x0411, "Ok", "\x82\x6E\x82\x6A"},
        {0x0411, "Close", "\x95\xC2\x82\xB6\x82\xE9"},
        {0x0C0A, "Ok", "Aceptar"},
        {0x0C0A, "Close", "Close"},
        {0x0411, "OnlyEnglish", "English only"},
        {0x0407, "Ok", "OK"},
        {0x0411, "Nowhere", "Error 737"},
        {0x0409, "Nowhere", "Error 737"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(c.text, Lang(c.id).GetText(c.key));
    }
}

TEST_F(NrMultiLangTest, LongTextsAreReadWhole)
{
    const std::string text(300, 'w');
    m_folder.Write("LangFiles\\Spanish\\Spanish.ini", "[Translations]\r\nPellonDisabled=" + text + "\r\n");
    Index("0A=Spanish\r\n");
    EXPECT_EQ(text, Lang(0x0C0A).GetText("PellonDisabled"));
}

TEST_F(NrMultiLangTest, EveryCallReadsTheFilesAndTheLanguageAgain)
{
    Index("0411=Japanese\r\n0A=Spanish\r\n");
    std::uint16_t id = 0x0411;
    const dali::NrMultiLang lang(m_folder.Path(), [&id] { return id; });
    EXPECT_EQ("\x82\x6E\x82\x6A", lang.GetText("Ok"));
    id = 0x0C0A;
    EXPECT_EQ("Spanish", lang.LanguageName());
    EXPECT_EQ("Aceptar", lang.GetText("Ok"));
    m_folder.Write("LangFiles\\Spanish\\Spanish.ini", "[Translations]\r\nOk=Vale\r\n");
    EXPECT_EQ("Vale", lang.GetText("Ok"));
}

}  // namespace
