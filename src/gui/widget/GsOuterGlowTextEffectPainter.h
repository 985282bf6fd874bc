#pragma once
#include "src/gui/Painter/TextPainter.h"

namespace gs {

class GsTextRadiationEffect;

// Hands a state's font, offset and glow to the glow painter.
class GsOuterGlowTextEffectPainter : public TTextPainter {
public:
    explicit GsOuterGlowTextEffectPainter(GsTextRadiationEffect* effect) : m_effect(effect) {}

    void DrawText(TextTarget target, TextView text, const TRect& rect, UINT format,
                  bool asLayer) override;
    void CalcRect(TCanvas* canvas, TextView text, TRect& rect, UINT format) override;
    // The adapter lives as long as its effect.
    void Release() override {}

private:
    GsTextRadiationEffect* m_effect;  // borrowed: the effect owns the adapter
};

}  // namespace gs
