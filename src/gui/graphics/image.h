#pragma once
// Pixel operations that lay 32-bit straight-alpha images (blue, green, red, alpha per
// pixel) over opaque backgrounds. Free functions without state; they borrow every
// bitmap and canvas they are given.
#include "framework/Bitmap.h"

#include <cstdint>

// Blends the source area of rect's size starting at origin onto rect of dst. The source
// must be pf32bit; a dst of another format than pf24bit is converted to pf24bit first.
// Pixels of rect that fall outside either bitmap are left out.
void BlendAlpha(TBitmap* dst, const TRect& rect, TBitmap* src, const TPoint& origin,
                uint8_t opacity);
// BlendAlpha over the whole of dst from the source's top-left corner.
void BlendAlphaWhole(TBitmap* dst, TBitmap* src, uint8_t opacity);

// Like BlendAlpha with a pf32bit dst whose alpha bytes stay as they are.
void BlendAlpha32(TBitmap* dst, const TRect& rect, TBitmap* src, const TPoint& origin,
                  uint8_t opacity);
void BlendAlpha32Whole(TBitmap* dst, TBitmap* src, uint8_t opacity);

// The instruction sets the full-opacity blend may use, narrowest first. It takes the
// widest the processor has; UseBlendKernels narrows that (tests check every kind's bytes)
// and never widens it past WidestBlendKernels.
enum class BlendKernels { Sse2, Avx2, Avx512 };
BlendKernels WidestBlendKernels();
void UseBlendKernels(BlendKernels kernels);

// Clips rect to dst and to what the source holds from origin; moves origin along.
TRect ClipBlendRect(TBitmap* dst, const TRect& rect, TBitmap* src, TPoint& origin);
// BlendAlpha after ClipBlendRect (origin taken as a copy).
void BlendAlphaClipped(TBitmap* dst, const TRect& rect, TBitmap* src, const TPoint& origin,
                       uint8_t opacity);

// Copies rect of the canvas into bitmap, which becomes a pf24bit image of rect's size.
void CaptureRect(TCanvas* canvas, TBitmap* bitmap, const TRect& rect);
// Copies the bitmap area of rect's size starting at origin onto rect of the canvas.
void PutRect(TCanvas* canvas, const TRect& rect, TBitmap* bitmap, const TPoint& origin);

// Blends a pf32bit image onto what the canvas shows in rect, through a 24-bit copy of
// that area. An empty or inverted rect draws nothing.
void DrawAlpha(TCanvas* canvas, const TRect& rect, TBitmap* src, const TPoint& origin,
               uint8_t opacity);
// DrawAlpha that clips the source to the area (BlendAlphaClipped).
void DrawAlphaClipped(TCanvas* canvas, const TRect& rect, TBitmap* src, const TPoint& origin,
                      uint8_t opacity);

// Replaces every pixel of rect of backgnd whose layer pixel (same offset from origin)
// has an alpha other than 0 with the whole layer pixel. Both must be pf32bit.
void CopyLayer(TBitmap* backgnd, const TRect& rect, TBitmap* layer, const TPoint& origin);

// Multiplies the colours of a pf32bit bitmap by their alpha (c * alpha / 255, truncated);
// other formats are left alone. Applying it twice darkens twice.
void PremultiplyAlpha(TBitmap* bitmap);

// Sets the alpha byte of every pixel of a pf32bit bitmap.
void FillAlpha(TBitmap* bitmap, uint8_t alpha);
