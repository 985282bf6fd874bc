#pragma once
#include "src/gui/Painter/TextPainter.h"
#include "src/gui/widget/GsOuterGlowTextEffectPainter.h"

#include <cstdint>
#include <memory>

namespace gs {

// Font, offset and glow of a caption in one state.
class GsTextRadiationEffect : public TPersistent {
public:
    explicit GsTextRadiationEffect(TNotifyEvent onChange = nullptr);
    ~GsTextRadiationEffect() override;

    uint8_t Opacity() const { return m_glow->Opacity; }
    void SetOpacity(uint8_t value);
    uint32_t Radius() const { return m_glow->Radius; }
    void SetRadius(uint32_t value);
    uint8_t Spread() const { return m_glow->Spread; }
    void SetSpread(uint8_t value);
    TColor Color() const { return m_glow->Color; }
    void SetColor(TColor value);
    int RadiationX() const { return m_glow->RadiationOffset.X; }
    void SetRadiationX(int value);
    int RadiationY() const { return m_glow->RadiationOffset.Y; }
    void SetRadiationY(int value);
    int OffsetX() const { return m_offsetX; }
    void SetOffsetX(int value);
    int OffsetY() const { return m_offsetY; }
    void SetOffsetY(int value);
    TFont* Font() const { return m_font.get(); }
    void SetFont(const TFont* font);

    TOuterGlowTextPainter* GlowParameters() const { return m_glow.get(); }
    TTextPainter* Painter() const { return m_adapter.get(); }

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    template <class T>
    void Store(T& field, T value);
    void Changed();

    int m_offsetX = 0;
    int m_offsetY = 0;
    std::unique_ptr<TFont> m_font;
    std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> m_glow;
    std::unique_ptr<GsOuterGlowTextEffectPainter> m_adapter;
};

}  // namespace gs
