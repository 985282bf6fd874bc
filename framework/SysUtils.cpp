#include "framework/SysUtils.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <vector>

EFOpenError::EFOpenError(const std::string& fileName)
    : Exception(Format("Cannot open file %s", fileName.c_str()))
{
}

std::string Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        result.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return result;
}

std::vector<std::string> SplitCommandLine(const char* commandLine)
{
    std::vector<std::string> params;
    const char* p = commandLine ? commandLine : "";
    auto blank = [](char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; };
    for (;;) {
        while (blank(*p))
            ++p;
        if (*p == '\0')
            break;
        std::string param;
        bool inQuote = false;
        while (*p != '\0' && (inQuote || !blank(*p))) {
            if (*p == '"')
                inQuote = !inQuote;
            else
                param += *p;
            ++p;
        }
        params.push_back(param);
    }
    return params;
}

namespace {

const std::vector<std::string>& ProgramParams()
{
    static const std::vector<std::string> params = SplitCommandLine(GetCommandLineA());
    return params;
}

}  // namespace

int ParamCount()
{
    const int count = static_cast<int>(ProgramParams().size());
    return count > 0 ? count - 1 : 0;
}

std::string ParamStr(int index)
{
    const auto& params = ProgramParams();
    if (index < 0 || index >= static_cast<int>(params.size()))
        return {};
    return params[static_cast<size_t>(index)];
}

bool FindCmdLineSwitch(const std::string& name, const TSysCharSet& switchChars, bool ignoreCase)
{
    auto same = [ignoreCase](char a, char b) {
        if (!ignoreCase)
            return a == b;
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    for (int i = 1; i <= ParamCount(); ++i) {
        const std::string param = ParamStr(i);
        if (param.empty() || switchChars.count(param[0]) == 0)
            continue;
        if (param.size() - 1 == name.size() && std::equal(name.begin(), name.end(), param.begin() + 1, same))
            return true;
    }
    return false;
}
