#pragma once
#include "framework/Bitmap.h"
#include "framework/Graphics.h"

#include <cstdint>

namespace gs {

using TAppearanceChangeEvent = TEvent<TObject* /*Sender*/, int /*index*/>;

class GsCtrlAppearance : public TPersistent {
public:
    // The bitmap to draw for a state, after the fallbacks, and its face index.
    virtual TBitmap* GetStateBitmap(int8_t checked, int8_t state, int& faceIndex) = 0;

protected:
    // A state without a picture falls back to another.
    static bool EmptyBitmap(const TBitmap* bitmap)
    {
        return !bitmap || bitmap->Width() == 0 || bitmap->Height() == 0;
    }
};

}  // namespace gs
