#include "src/System/AppSettings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

const char kKey[] = "Software\\Norvane\\Pellon";

// Runs against the prefix's real registry, starting and ending without the key.
class AppSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

    static bool KeyExists()
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    static void Store(const char* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        EXPECT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }

    static void StoreDword(const char* name, DWORD value)
    {
        Store(name, REG_DWORD, &value, sizeof(value));
    }

    // The stored REG_DWORD, or -1 when the value is missing or of another shape.
    static long long Stored(const char* name)
    {
        DWORD type = 0, value = 0, size = sizeof(value);
        if (RegGetValueA(HKEY_CURRENT_USER, kKey, name, RRF_RT_ANY, &type, &value, &size) !=
                ERROR_SUCCESS ||
            type != REG_DWORD || size != sizeof(value))
            return -1;
        return value;
    }
};

TEST_F(AppSettingsTest, MissingKeyReadsPerformanceModeAndStartupOnWithoutCreatingIt)
{
    EXPECT_EQ(1u, AppSettings::Instance().ReadMode());
    EXPECT_TRUE(AppSettings::Instance().ReadRunAtStartup());
    EXPECT_FALSE(KeyExists());
}

TEST_F(AppSettingsTest, FirstWriteCreatesTheKey)
{
    AppSettings::Instance().WriteMode(0);
    ASSERT_TRUE(KeyExists());
    EXPECT_EQ(0, Stored("Mode"));
    EXPECT_EQ(-1, Stored("RunAtSystemStartup"));

    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    AppSettings::Instance().WriteRunAtStartup(false);
    EXPECT_EQ(1, Stored("RunAtSystemStartup"));
}

TEST_F(AppSettingsTest, ModeIsStoredAndReadUnchanged)
{
    for (std::uint32_t mode : {0u, 1u, 2u, 7u, 0x80000000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(mode);
        AppSettings::Instance().WriteMode(mode);
        EXPECT_EQ(mode, static_cast<std::uint32_t>(Stored("Mode")));
        EXPECT_EQ(mode, AppSettings::Instance().ReadMode());
    }
}

TEST_F(AppSettingsTest, StartupIsStoredInvertedAgainstTheCheckMark)
{
    AppSettings::Instance().WriteRunAtStartup(false);
    EXPECT_EQ(1, Stored("RunAtSystemStartup"));
    EXPECT_FALSE(AppSettings::Instance().ReadRunAtStartup());

    AppSettings::Instance().WriteRunAtStartup(true);
    EXPECT_EQ(0, Stored("RunAtSystemStartup"));
    EXPECT_TRUE(AppSettings::Instance().ReadRunAtStartup());
}

TEST_F(AppSettingsTest, OnlyAStoredOneSwitchesStartupOff)
{
    const struct {
        DWORD stored;
        bool run;
    } cases[] = {{0, true}, {1, false}, {2, true}, {0xFFFFFFFF, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        StoreDword("RunAtSystemStartup", c.stored);
        EXPECT_EQ(c.run, AppSettings::Instance().ReadRunAtStartup());
    }
}

// A value that is not a four-byte REG_DWORD is unreadable, whatever its bytes say:
// each of these would mean saving mode and start-up off if it were taken.
TEST_F(AppSettingsTest, ValuesOfAnyOtherShapeGiveTheDefaults)
{
    const DWORD zero = 0, one = 1;
    const unsigned long long wideZero = 0, wideOne = 1;
    const struct {
        const char* what;
        DWORD type;
        const void* mode;
        const void* startup;
        DWORD size;
    } cases[] = {
        {"string", REG_SZ, "0", "1", 2},
        {"binary", REG_BINARY, &zero, &one, 4},
        {"big-endian dword", REG_DWORD_BIG_ENDIAN, &zero, &one, 4},
        {"qword", REG_QWORD, &wideZero, &wideOne, 8},
        {"eight-byte dword", REG_DWORD, &wideZero, &wideOne, 8},
        {"two-byte dword", REG_DWORD, &zero, &one, 2},
        {"empty dword", REG_DWORD, &zero, &one, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Store("Mode", c.type, c.mode, c.size);
        Store("RunAtSystemStartup", c.type, c.startup, c.size);
        EXPECT_EQ(1u, AppSettings::Instance().ReadMode());
        EXPECT_TRUE(AppSettings::Instance().ReadRunAtStartup());
    }
}

}  // namespace
