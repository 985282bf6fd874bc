#pragma once
// Ini file access through the Windows profile functions, and the language tables
// that give every user-visible text by key. Lookups never fail: a missing file,
// section or key degrades to English and finally to the marker text "Error 737".
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace dali {

// The default of every text lookup, and the sign that nothing was found.
extern const char kTextNotFound[];

class IniAccessor {
public:
    IniAccessor();
    ~IniAccessor();
    IniAccessor(const IniAccessor&) = delete;
    IniAccessor& operator=(const IniAccessor&) = delete;

    // The file need not exist: reads from a missing file give their defaults.
    bool Open(const std::string& fileName);
    bool IsOpen() const;
    // The key's value, however long. With a null section or key, the section or key
    // names, each ended by a zero character, as GetPrivateProfileStringA lists them.
    std::string ReadString(const char* section, const char* key, const char* defaultValue);
    // Also drops the system's cached copy of the file, so that the next reader sees
    // the file as it is on disk.
    void Close();

private:
    std::string m_fileName;
    std::unique_ptr<char[]> m_buffer;
    std::uint32_t m_bufferSize;
};

// A language id as the index's key: `digits` upper-case hex digits, most significant
// first ("0C0A", "0A").
std::string HexKey(unsigned value, int digits);

// The languages whose files are written in Shift-JIS: their texts need that font
// character set (SHIFTJIS_CHARSET).
bool IsShiftJisLanguage(const std::string& languageName);

class NrMultiLang {
public:
    using LangIdSource = std::function<std::uint16_t()>;

    // Reads the tables beside the program for the system's default language.
    static NrMultiLang& Instance();

    // Reads the tables in baseDirectory's "LangFiles" folder (baseDirectory ends with a
    // backslash) for the language langId names.
    NrMultiLang(std::string baseDirectory, LangIdSource langId);
    NrMultiLang(const NrMultiLang&) = delete;
    NrMultiLang& operator=(const NrMultiLang&) = delete;

    // Nothing is cached: each call reads the index and the language files again.
    std::string GetText(const std::string& key) const;
    // The name of the language folder and file for this system, "English" when the
    // index names none.
    std::string LanguageName() const;

private:
    std::string ReadTranslation(const std::string& language, const std::string& key) const;

    std::string m_baseDirectory;
    LangIdSource m_langId;
};

}  // namespace dali
