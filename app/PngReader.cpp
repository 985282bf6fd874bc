#include "app/PngReader.h"

#include "app/PngManager.h"

#include "framework/Assert.h"
#include "framework/Bitmap.h"
#include "framework/FileStream.h"
#include "framework/SysUtils.h"
#include "src/System/ProgramDirectory.h"

#include <climits>
#include <map>
#include <memory>
#include <vector>

namespace {

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

}  // namespace

bool IsMissingPicture(const std::exception& error)
{
    return dynamic_cast<const EFOpenError*>(&error) || dynamic_cast<const ECodecError*>(&error);
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
    return dali::ProgramDirectory() + "resource\\";
}
