#pragma once
// The framework's exception class and the errors it raises.
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

class EResNotFound : public Exception {
public:
    using Exception::Exception;
};

class EReadError : public Exception {
public:
    using Exception::Exception;
};

class EFOpenError : public Exception {
public:
    // "Cannot open file <path>", the framework's own wording.
    explicit EFOpenError(const std::string& fileName);
};

// printf-style formatting into a std::string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The program's command line, split as the system's start-up code splits it: white
// space separates arguments, double quotes group and are dropped. ParamStr(0) is the
// program itself; an index out of range gives "".
std::vector<std::string> SplitCommandLine(const char* commandLine);
int ParamCount();
std::string ParamStr(int index);

// True when an argument from the first to the last starts with one of `switchChars`
// and the rest equals `name` (compared without regard to ASCII case if asked).
using TSysCharSet = std::set<char>;
bool FindCmdLineSwitch(const std::string& name, const TSysCharSet& switchChars, bool ignoreCase);

// Raises a flag for one scope and lowers it again on every path out, exceptions too.
class TFlagScope {
public:
    explicit TFlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~TFlagScope() { m_flag = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& m_flag;  // borrowed
};
