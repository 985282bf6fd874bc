#pragma once
// A form's background picture, which also gives the form its size and outline.
#include "app/ArtScale.h"

class TBitmap;

// At 100 % the program's bitmap resource; at the other scales the PNG of that scale's
// folder (the resources would make the program file many times larger). Either way a
// 24-bit bitmap with the cut-out colour outside the outline. A missing file raises
// EFOpenError, as any missing picture does.
void LoadBackground(TBitmap* bitmap, const char* resource, const char* file, const ArtScale& scale);
