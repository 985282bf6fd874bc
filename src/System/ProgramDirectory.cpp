#include "src/System/ProgramDirectory.h"

#include <windows.h>

#include <memory>

namespace dali {

std::string ProgramFileName(std::uint32_t initialSize)
{
    std::uint32_t size = initialSize;
    for (;;) {
        auto buffer = std::make_unique<char[]>(size);
        const DWORD length = GetModuleFileNameA(nullptr, buffer.get(), size);
        if (length != size)
            return std::string(buffer.get(), length);
        size *= 2;
    }
}

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ProgramDirectory()
{
    return DirectoryOf(ProgramFileName());
}

}  // namespace dali
