#include "app/Backgrounds.h"

#include "app/PngReader.h"
#include "framework/Bitmap.h"
#include "framework/Resources.h"

void LoadBackground(TBitmap* bitmap, const char* resource, const char* file, const ArtScale& scale)
{
    if (scale.Percent() == 100) {
        LoadBitmapFromResource(bitmap, GetModuleHandleA(nullptr), resource);
        return;
    }
    LoadPng(scale.Folder() + file, bitmap);
    bitmap->SetPixelFormat(pf24bit);
}
