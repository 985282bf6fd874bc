#include "src/System/AppSettings.h"

#include "framework/Handles.h"

#include <windows.h>

namespace {

const char kKeyPath[] = "Software\\Norvane\\Pellon";
const char kModeValue[] = "Mode";
const char kRunAtStartupValue[] = "RunAtSystemStartup";
const std::uint32_t kDefaultMode = 1;
const DWORD kStartupOff = 1;

// A value counts only when it is a REG_DWORD of exactly four bytes; a longer value
// fails the query and a shorter one would leave part of the number unset.
bool ReadDword(const char* name, DWORD* value)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    const RegKey key(opened);
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof(data))
        return false;
    *value = data;
    return true;
}

void WriteDword(const char* name, DWORD value)
{
    HKEY created = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &created, nullptr) != ERROR_SUCCESS)
        return;
    const RegKey key(created);
    RegSetValueExA(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof(value));
}

}  // namespace

AppSettings& AppSettings::Instance()
{
    static AppSettings instance;
    return instance;
}

std::uint32_t AppSettings::ReadMode() const
{
    DWORD mode = 0;
    return ReadDword(kModeValue, &mode) ? mode : kDefaultMode;
}

void AppSettings::WriteMode(std::uint32_t mode) const
{
    WriteDword(kModeValue, mode);
}

bool AppSettings::ReadRunAtStartup() const
{
    DWORD stored = 0;
    return !ReadDword(kRunAtStartupValue, &stored) || stored != kStartupOff;
}

void AppSettings::WriteRunAtStartup(bool run) const
{
    WriteDword(kRunAtStartupValue, run ? 0 : kStartupOff);
}
