#include "src/System/IniAccess.h"

#include "framework/Assert.h"
#include "src/System/ProgramDirectory.h"

#include <windows.h>

#include <utility>

namespace dali {

const char kTextNotFound[] = "Error 737";

namespace {

const std::uint32_t kInitialBufferSize = 128;
const char kLangFolder[] = "LangFiles\\";
const char kIndexFile[] = "NrMultiLang.ini";
const char kLanguagesSection[] = "Languages";
const char kTranslationsSection[] = "Translations";
const char kFallbackLanguage[] = "English";

// The index names folders and files; a name that could lead out of the language
// folder, or names nothing, is not a language.
bool IsPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

IniAccessor::IniAccessor() : m_bufferSize(0) {}

IniAccessor::~IniAccessor()
{
    Close();
}

bool IniAccessor::Open(const std::string& fileName)
{
    ASSERT(!IsOpen());
    m_bufferSize = kInitialBufferSize;
    m_buffer = std::make_unique<char[]>(m_bufferSize);
    m_fileName = fileName;
    return true;
}

bool IniAccessor::IsOpen() const
{
    return m_buffer != nullptr;
}

std::string IniAccessor::ReadString(const char* section, const char* key, const char* defaultValue)
{
    ASSERT(IsOpen());
    // A full buffer is reported as size - 1 for a value and size - 2 for a list of
    // names; only a result with room to spare is known to be whole.
    const DWORD reserve = (section && key) ? 1 : 2;
    for (;;) {
        const DWORD length = GetPrivateProfileStringA(section, key, defaultValue, m_buffer.get(),
                                                      m_bufferSize, m_fileName.c_str());
        if (length + reserve < m_bufferSize)
            return std::string(m_buffer.get(), length);
        m_bufferSize *= 2;
        m_buffer = std::make_unique<char[]>(m_bufferSize);
    }
}

void IniAccessor::Close()
{
    if (!m_fileName.empty())
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, m_fileName.c_str());
    m_fileName.clear();
    m_buffer.reset();
    m_bufferSize = 0;
}

bool IsShiftJisLanguage(const std::string& languageName)
{
    return languageName == "Japanese";
}

std::string HexKey(unsigned value, int digits)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string key(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i) {
        key[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
        value >>= 4;
    }
    return key;
}

NrMultiLang& NrMultiLang::Instance()
{
    static NrMultiLang instance(ProgramDirectory(), [] { return GetSystemDefaultLangID(); });
    return instance;
}

NrMultiLang::NrMultiLang(std::string baseDirectory, LangIdSource langId)
    : m_baseDirectory(std::move(baseDirectory)), m_langId(std::move(langId))
{
}

std::string NrMultiLang::LanguageName() const
{
    const unsigned id = m_langId();
    IniAccessor index;
    index.Open(m_baseDirectory + kLangFolder + kIndexFile);
    std::string name = index.ReadString(kLanguagesSection, HexKey(id, 4).c_str(), kTextNotFound);
    if (name == kTextNotFound)
        name = index.ReadString(kLanguagesSection, HexKey(id & 0x3FF, 2).c_str(), kTextNotFound);
    if (name == kTextNotFound || !IsPlainName(name))
        return kFallbackLanguage;
    return name;
}

std::string NrMultiLang::GetText(const std::string& key) const
{
    const std::string text = ReadTranslation(LanguageName(), key);
    if (text != kTextNotFound)
        return text;
    return ReadTranslation(kFallbackLanguage, key);
}

std::string NrMultiLang::ReadTranslation(const std::string& language, const std::string& key) const
{
    IniAccessor file;
    file.Open(m_baseDirectory + kLangFolder + language + "\\" + language + ".ini");
    std::string text = file.ReadString(kTranslationsSection, key.c_str(), kTextNotFound);
    file.Close();
    return text;
}

}  // namespace dali
