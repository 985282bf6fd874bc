#pragma once
#include "src/gui/Painter/TextPainter.h"

namespace gs {

class GsTextRadiationEffect;

// Hands a state's font, offset and glow to the glow painter.
class GsOuterGlowTextEffectPainter : public TTextPainter {
public:
    explicit GsOuterGlowTextEffectPainter(GsTextRadiationEffect* effect) : m_effect(effect) {}

    void DrawText(TCanvas* canvas, const char* text, const TRect& rect, UINT format,
                  bool asLayer) override;
    void DrawText(TCanvas* canvas, const wchar_t* text, const TRect& rect, UINT format,
                  bool asLayer) override;
    void DrawText(TBitmap* bitmap, const char* text, const TRect& rect, UINT format,
                  bool asLayer) override;
    void DrawText(TBitmap* bitmap, const wchar_t* text, const TRect& rect, UINT format,
                  bool asLayer) override;
    void CalcRect(TCanvas* canvas, const char* text, TRect& rect, UINT format) override;
    void CalcRect(TCanvas* canvas, const wchar_t* text, TRect& rect, UINT format) override;
    // The adapter lives as long as its effect.
    void Release() override {}

private:
    GsTextRadiationEffect* m_effect;  // borrowed: the effect owns the adapter
};

}  // namespace gs
