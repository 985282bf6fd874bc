#include "framework/Resources.h"

#include "framework/Assert.h"
#include "framework/Handles.h"
#include "framework/SysUtils.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// A bitmap resource whose rows can be copied as they are: a BITMAPINFOHEADER, no colour
// table, 24 or 32 bits a pixel, BI_RGB.
struct PlainDib {
    const uint8_t* rows = nullptr;  // the first row as stored, in the mapped image
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    size_t stride = 0;
    bool bottomUp = true;
};

// False for anything the system must decode, or rows that would end past the resource.
bool ReadPlainDib(const BITMAPINFOHEADER& header, const void* data, DWORD size, PlainDib* dib)
{
    if (size < sizeof header || header.biSize != sizeof header || header.biPlanes != 1 ||
        header.biCompression != BI_RGB || (header.biBitCount != 24 && header.biBitCount != 32) ||
        header.biClrUsed != 0 || header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == INT_MIN)
        return false;
    const unsigned long long height = header.biHeight < 0 ? -static_cast<long long>(header.biHeight)
                                                          : header.biHeight;
    const unsigned long long stride =
        (static_cast<unsigned long long>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    if (height > (size - sizeof header) / stride)
        return false;
    dib->rows = static_cast<const uint8_t*>(data) + sizeof header;
    dib->width = header.biWidth;
    dib->height = static_cast<int>(height);
    dib->bytesPerPixel = header.biBitCount / 8;
    dib->stride = static_cast<size_t>(stride);
    dib->bottomUp = header.biHeight > 0;
    return true;
}

// One stored row's colours byte for byte into the bitmap's top-down 24-bit rows; a
// fourth byte is left out, as a blit from a 32-bit picture to a 24-bit one does.
void CopyRow(const PlainDib& dib, int storedRow, const uint8_t* source, uint8_t* bits, int stride)
{
    uint8_t* d = bits + static_cast<ptrdiff_t>(dib.bottomUp ? dib.height - 1 - storedRow : storedRow) * stride;
    if (dib.bytesPerPixel == 3) {
        std::memcpy(d, source, static_cast<size_t>(dib.width) * 3);
        return;
    }
    for (int x = 0; x < dib.width; ++x, source += 4, d += 3) {
        d[0] = source[0];
        d[1] = source[1];
        d[2] = source[2];
    }
}

// The program file a module was mapped from. Pages of the mapped image, once touched,
// stay in the process's working set; bytes read from the file go through the system's
// file cache instead, so pictures are read from here.
class ImageFile {
public:
    // Null when the file cannot be read or is not the image that is mapped (replaced on
    // disk since it was loaded).
    static std::shared_ptr<const ImageFile> Open(HMODULE module)
    {
        std::vector<wchar_t> path(32768);
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0 || length >= path.size())
            return nullptr;
        auto file = std::make_shared<ImageFile>();
        file->m_file.Reset(CreateFileW(path.data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        file->m_base = reinterpret_cast<const uint8_t*>(module);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(file->m_base + dos->e_lfanew);
        file->m_sections = IMAGE_FIRST_SECTION(nt);
        file->m_sectionCount = nt->FileHeader.NumberOfSections;
        // The headers carry the link time, the checksum and the section table.
        const DWORD headerSize = nt->OptionalHeader.SizeOfHeaders;
        std::vector<uint8_t> headers(headerSize);
        if (!file->m_file || !file->ReadAt(0, headers.data(), headerSize) ||
            std::memcmp(headers.data(), file->m_base, headerSize) != 0)
            return nullptr;
        return file;
    }

    // Reads the size bytes that the image maps at address; false unless all of them
    // come from the file.
    bool Read(const void* address, void* buffer, DWORD size) const
    {
        const auto rva = static_cast<size_t>(static_cast<const uint8_t*>(address) - m_base);
        for (WORD i = 0; i < m_sectionCount; ++i) {
            const IMAGE_SECTION_HEADER& section = m_sections[i];
            if (rva < section.VirtualAddress || rva - section.VirtualAddress >= section.SizeOfRawData)
                continue;
            const size_t within = rva - section.VirtualAddress;
            if (size > section.SizeOfRawData - within)
                return false;
            return ReadAt(section.PointerToRawData + within, buffer, size);
        }
        return false;
    }

private:
    bool ReadAt(unsigned long long offset, void* buffer, DWORD size) const
    {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD read = 0;
        return ReadFile(m_file.Get(), buffer, size, &read, &at) && read == size;
    }

    KernelHandle m_file;
    const uint8_t* m_base = nullptr;  // borrowed: the mapped image
    const IMAGE_SECTION_HEADER* m_sections = nullptr;  // borrowed: in the mapped headers
    WORD m_sectionCount = 0;
};

// The rows from the file, a few at a time; false when a read fails.
bool CopyRowsFromFile(const PlainDib& dib, const ImageFile& file, uint8_t* bits, int stride)
{
    const int rowsAtOnce = static_cast<int>(std::max<size_t>(1, 65536 / dib.stride));
    std::vector<uint8_t> chunk(dib.stride * static_cast<size_t>(std::min(rowsAtOnce, dib.height)));
    for (int first = 0; first < dib.height; first += rowsAtOnce) {
        const int count = std::min(rowsAtOnce, dib.height - first);
        const uint8_t* stored = dib.rows + static_cast<size_t>(first) * dib.stride;
        if (!file.Read(stored, chunk.data(), static_cast<DWORD>(dib.stride * count)))
            return false;
        for (int row = 0; row < count; ++row)
            CopyRow(dib, first + row, chunk.data() + static_cast<size_t>(row) * dib.stride, bits, stride);
    }
    return true;
}

void CopyRowsFromImage(const PlainDib& dib, uint8_t* bits, int stride)
{
    for (int row = 0; row < dib.height; ++row)
        CopyRow(dib, row, dib.rows + static_cast<size_t>(row) * dib.stride, bits, stride);
}

// The module that holds the resource, kept loaded while a bitmap may still read from
// it; null when it cannot be pinned (a module loaded as a data file).
std::shared_ptr<void> PinModule(const void* address, HMODULE* module)
{
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<LPCSTR>(address), module))
        return nullptr;
    return std::shared_ptr<void>(*module, [](void* held) { FreeLibrary(static_cast<HMODULE>(held)); });
}

void LoadThroughSystem(TBitmap* bitmap, HINSTANCE instance, const std::string& name)
{
    BitmapHandle loaded(static_cast<HBITMAP>(LoadImageA(instance, name.c_str(), IMAGE_BITMAP, 0, 0,
                                                         LR_CREATEDIBSECTION)));
    if (!loaded)
        throw EResNotFound(Format("Resource %s not found", name.c_str()));
    BITMAP info{};
    if (!GetObjectA(loaded.Get(), sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight == 0)
        throw EResNotFound(Format("Resource %s is not a bitmap", name.c_str()));
    const int height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    TBitmap picture;
    picture.SetPixelFormat(pf24bit);
    picture.SetSize(info.bmWidth, height);
    MemoryDC source(CreateCompatibleDC(nullptr));
    if (!source)
        throw EOutOfResources("Cannot create a memory device context");
    SelectedObject selected(source.Get(), loaded.Get());
    BitBlt(picture.Canvas()->Handle(), 0, 0, info.bmWidth, height, source.Get(), 0, 0, SRCCOPY);
    GdiFlush();
    bitmap->Assign(&picture);
}

}  // namespace

void LoadBitmapFromResource(TBitmap* bitmap, HINSTANCE instance, const std::string& name)
{
    ASSERT(bitmap);
    if (!instance) {  // the system's own pictures, which only it can find
        LoadThroughSystem(bitmap, instance, name);
        return;
    }
    // The pixels stay in the program file until they are used: a picture that is
    // replaced first is never read into memory.
    HRSRC found = FindResourceA(instance, name.c_str(), reinterpret_cast<LPCSTR>(RT_BITMAP));
    if (!found)
        throw EResNotFound(Format("Resource %s not found", name.c_str()));
    const DWORD size = SizeofResource(instance, found);
    HGLOBAL handle = LoadResource(instance, found);
    const void* data = handle ? LockResource(handle) : nullptr;
    HMODULE module = nullptr;
    std::shared_ptr<void> pin = data ? PinModule(data, &module) : nullptr;
    std::shared_ptr<const ImageFile> file = pin ? ImageFile::Open(module) : nullptr;
    BITMAPINFOHEADER header{};
    if (size >= sizeof header && pin) {
        if (!file || !file->Read(data, &header, sizeof header)) {
            file = nullptr;
            std::memcpy(&header, data, sizeof header);
        }
    }
    PlainDib dib;
    if (!pin || !ReadPlainDib(header, data, size, &dib)) {
        LoadThroughSystem(bitmap, instance, name);
        return;
    }
    bitmap->LoadDeferred(dib.width, dib.height, pf24bit, [dib, file, pin](uint8_t* bits, int stride) {
        if (!file || !CopyRowsFromFile(dib, *file, bits, stride))
            CopyRowsFromImage(dib, bits, stride);
    });
}
