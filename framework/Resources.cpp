#include "framework/Resources.h"

#include "framework/Assert.h"
#include "framework/Handles.h"
#include "framework/SysUtils.h"

void LoadBitmapFromResource(TBitmap* bitmap, HINSTANCE instance, const std::string& name)
{
    ASSERT(bitmap);
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
