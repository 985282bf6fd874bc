#include "app/PngReader.h"

#include "framework/Assert.h"
#include "framework/Bitmap.h"
#include "framework/FileStream.h"
#include "framework/SysUtils.h"

#include <climits>
#include <map>
#include <memory>
#include <vector>

namespace {

// The folder of the program file, with its trailing backslash.
std::string ProgramFolder()
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::string();
        if (length < path.size()) {
            const std::string file(path.data(), length);
            return file.substr(0, file.rfind('\\') + 1);
        }
        path.resize(path.size() * 2);
    }
}

template <typename Entry>
Entry Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Hands a filled record back to the codec however the load ends.
class CodecImage {
public:
    CodecImage(const PngManager& codec, PngData* data) : m_codec(codec), m_data(data) {}
    CodecImage(const CodecImage&) = delete;
    CodecImage& operator=(const CodecImage&) = delete;
    ~CodecImage() { m_codec.Free(m_data); }

private:
    const PngManager& m_codec;
    PngData* m_data;  // borrowed
};

// The loader trusts the codec for full rows, but not for a record a bitmap cannot take:
// no size, a size beyond what a bitmap can hold, or missing rows.
bool Usable(const PngData& data)
{
    if (data.width == 0 || data.height == 0 || data.width > INT_MAX || data.height > INT_MAX ||
        !data.rows)
        return false;
    for (uint32_t y = 0; y < data.height; ++y) {
        if (!data.rows[y])
            return false;
    }
    return true;
}

std::unique_ptr<PngManager>& Held()
{
    static std::unique_ptr<PngManager> instance;
    return instance;
}

// A thread timer of no window: its WM_TIMER comes only when no other message is posted,
// that is once the burst of loads is over.
UINT_PTR g_releaseTimer = 0;

void CALLBACK ReleaseWhenIdle(HWND, UINT, UINT_PTR, DWORD)
{
    PngManager::Release();
}

}  // namespace

PngManager& PngManager::Instance()
{
    std::unique_ptr<PngManager>& instance = Held();
    if (!instance) {
        instance = std::make_unique<PngManager>(ProgramFolder() + "imgcodec.dll");
        g_releaseTimer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, ReleaseWhenIdle);
    }
    return *instance;
}

void PngManager::Release()
{
    if (g_releaseTimer) {
        KillTimer(nullptr, g_releaseTimer);
        g_releaseTimer = 0;
    }
    Held().reset();
}

PngManager::PngManager(const std::string& libraryPath)
    : m_hinst(LoadLibraryA(libraryPath.c_str()))
{
    // Without the codec no picture can be drawn: the program reports that like a
    // missing picture file, before it shows any window.
    if (!m_hinst)
        throw EFOpenError(libraryPath);
    m_read = Lookup<ReadPngEx>(m_hinst.Get(), "ReadPngEx");
    m_write = GetProcAddress(m_hinst.Get(), "WritePngEx");
    m_free = Lookup<FreePngData>(m_hinst.Get(), "FreePngData");
    m_allocate = GetProcAddress(m_hinst.Get(), "AllocatePngData");
    if (!m_read || !m_free)
        throw ECodecError(Format("%s is not a usable PNG codec", libraryPath.c_str()));
}

bool IsMissingPicture(const std::exception& error)
{
    return dynamic_cast<const EFOpenError*>(&error) || dynamic_cast<const ECodecError*>(&error);
}

int PngManager::Read(PngData* data, PngReadCallback read, void* context) const
{
    ASSERT(m_hinst);
    return m_read(data, read, context);
}

void PngManager::Free(PngData* data) const
{
    ASSERT(m_hinst);
    m_free(data);
}

int __stdcall StreamReadCallback(void* context, void* buffer, int count)
{
    if (!context || !buffer || count <= 0)
        return 0;
    // The codec is C: nothing may unwind through it.
    try {
        return static_cast<TFileStream*>(context)->Read(buffer, count);
    } catch (...) {
        return 0;
    }
}

void LoadPng(const std::string& path, TBitmap* bitmap)
{
    bitmap->SetPixelFormat(pf32bit);
    TFileStream stream(path, fmOpenRead);
    const PngManager& codec = PngManager::Instance();

    PngData data{};
    if (!codec.Read(&data, StreamReadCallback, &stream))
        return;
    CodecImage release(codec, &data);
    if (!Usable(data))
        return;

    const int width = static_cast<int>(data.width);
    const int height = static_cast<int>(data.height);
    // One resize, so that a bitmap too large for memory raises with the old one intact.
    bitmap->SetSize(width, height);
    const bool hasAlpha = data.colorType == 6;
    const int sourceStep = hasAlpha ? 4 : 3;
    for (int y = 0; y < height; ++y) {
        const uint8_t* source = data.rows[y];
        uint8_t* target = bitmap->ScanLine(y);
        for (int offset = 0, p = 0; offset < 4 * width; offset += 4, p += sourceStep) {
            uint8_t blue = source[p + 2];
            uint8_t green = source[p + 1];
            uint8_t red = source[p];
            uint8_t alpha = 255;
            if (hasAlpha) {
                alpha = source[p + 3];
                if (alpha == 0)
                    blue = green = red = 0;
            }
            target[offset] = blue;
            target[offset + 1] = green;
            target[offset + 2] = red;
            target[offset + 3] = alpha;
        }
    }
}

std::shared_ptr<TBitmap> SharedPng(const std::string& path)
{
    static std::map<std::string, std::weak_ptr<TBitmap>> shared;
    std::weak_ptr<TBitmap>& entry = shared[path];
    if (std::shared_ptr<TBitmap> held = entry.lock())
        return held;
    auto bitmap = std::make_shared<TBitmap>();
    LoadPng(path, bitmap.get());
    entry = bitmap;
    return bitmap;
}

std::string ResourceFolder()
{
    return ProgramFolder() + "resource\\";
}
