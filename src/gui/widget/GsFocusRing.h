#pragma once
// The focus cue of a skinned button whose skin has no picture for the focused state: a
// light ring along the outline of the face's visible shape (a disc for a radio button,
// a rounded square for a close button), so it fits any skin without artwork of its own.
#include <cstdint>
#include <vector>

class TBitmap;

namespace gs {

// Per pixel of a 32-bit straight-alpha face, how strongly the ring covers it (0-255):
// firmly on the shape's edge pixels, softly on the pixels just outside them. Empty for
// a face that is not 32-bit.
std::vector<uint8_t> FocusRingMask(TBitmap* face);
// Blends the ring colour into a 24- or 32-bit face of the mask's size; a 32-bit face
// becomes opaque where the ring covers it.
void DrawFocusRing(TBitmap* face, const std::vector<uint8_t>& mask);

}  // namespace gs
