#include "framework/FileStream.h"

#include "framework/SysUtils.h"

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : m_fileName(fileName)
{
    DWORD share = FILE_SHARE_READ;
    if (mode & fmShareDenyNone)
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if ((mode & 0x000F) != fmOpenRead)
        throw EFOpenError(fileName);
    m_handle.Reset(CreateFileA(fileName.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_handle)
        throw EFOpenError(fileName);
}

int32_t TFileStream::Read(void* buffer, int32_t count)
{
    if (count <= 0)
        return 0;
    DWORD read = 0;
    if (!ReadFile(m_handle.Get(), buffer, static_cast<DWORD>(count), &read, nullptr))
        return 0;
    return static_cast<int32_t>(read);
}

void TFileStream::ReadBuffer(void* buffer, int32_t count)
{
    if (count > 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

int64_t TFileStream::Size() const
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(m_handle.Get(), &size))
        return 0;
    return size.QuadPart;
}

int64_t TFileStream::Position() const
{
    LARGE_INTEGER zero{};
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(m_handle.Get(), zero, &position, FILE_CURRENT))
        return 0;
    return position.QuadPart;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    DWORD method = FILE_BEGIN;
    if (origin == soCurrent)
        method = FILE_CURRENT;
    else if (origin == soEnd)
        method = FILE_END;
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    LARGE_INTEGER position{};
    if (!SetFilePointerEx(m_handle.Get(), distance, &position, method))
        return Position();  // a seek before the start is refused and moves nothing
    return position.QuadPart;
}
