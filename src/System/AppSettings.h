#pragma once
// The per-user settings kept in HKEY_CURRENT_USER\Software\Norvane\Pellon. Every
// operation opens the key anew; reads fall back to their defaults and failed writes
// are dropped, so a damaged or missing key never reaches the user.
#include <cstdint>

class AppSettings {
public:
    static AppSettings& Instance();

    // The stored Mode as it is (1 = performance, anything else = saving), or 1.
    std::uint32_t ReadMode() const;
    void WriteMode(std::uint32_t mode) const;

    // True unless RunAtSystemStartup reads as 1: the value is stored inverted.
    bool ReadRunAtStartup() const;
    void WriteRunAtStartup(bool run) const;

    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

private:
    AppSettings() = default;
};
