#pragma once
// Pictures carried in the program file: the bitmaps of the form descriptions.
#include "framework/Bitmap.h"

#include <windows.h>

#include <string>

// Loads the bitmap resource `name` of `instance` into `bitmap` as a 24-bit picture of
// the resource's size. Raises EResNotFound when there is no such bitmap. A plain 24- or
// 32-bit picture is read from the program file only when its pixels are first needed
// (TBitmap::LoadDeferred); others are decoded by the system at once.
void LoadBitmapFromResource(TBitmap* bitmap, HINSTANCE instance, const std::string& name);
