#include "src/gui/widget/GsTextRadiationEffect.h"

namespace gs {

GsTextRadiationEffect::GsTextRadiationEffect(TNotifyEvent onChange)
    : OnChange(std::move(onChange)),
      m_font(std::make_unique<TFont>()),
      m_glow(new TOuterGlowTextPainter),
      m_adapter(std::make_unique<GsOuterGlowTextEffectPainter>(this))
{
}

GsTextRadiationEffect::~GsTextRadiationEffect()
{
    m_font.reset();
    m_glow.reset();
    m_adapter.reset();
}

template <class T>
void GsTextRadiationEffect::Store(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    Changed();
}

void GsTextRadiationEffect::SetOpacity(uint8_t value) { Store(m_glow->Opacity, value); }
void GsTextRadiationEffect::SetRadius(uint32_t value) { Store(m_glow->Radius, value); }
void GsTextRadiationEffect::SetSpread(uint8_t value) { Store(m_glow->Spread, value); }
void GsTextRadiationEffect::SetColor(TColor value) { Store(m_glow->Color, value); }
void GsTextRadiationEffect::SetRadiationX(int value) { Store(m_glow->RadiationOffset.X, static_cast<int32_t>(value)); }
void GsTextRadiationEffect::SetRadiationY(int value) { Store(m_glow->RadiationOffset.Y, static_cast<int32_t>(value)); }
void GsTextRadiationEffect::SetOffsetX(int value) { Store(m_offsetX, value); }
void GsTextRadiationEffect::SetOffsetY(int value) { Store(m_offsetY, value); }

void GsTextRadiationEffect::SetFont(const TFont* font)
{
    if (font == m_font.get())
        return;
    m_font->Assign(font);
    Changed();
}

void GsTextRadiationEffect::Changed()
{
    Fire(OnChange, this);
}

void GsTextRadiationEffect::AssignTo(TPersistent* dest) const
{
    auto* target = dynamic_cast<GsTextRadiationEffect*>(dest);
    if (!target) {
        TPersistent::AssignTo(dest);
        return;
    }
    target->m_glow->Opacity = m_glow->Opacity;
    target->m_glow->Radius = m_glow->Radius;
    target->m_glow->Spread = m_glow->Spread;
    target->m_glow->Color = m_glow->Color;
    target->m_offsetX = m_offsetX;
    target->m_offsetY = m_offsetY;
    target->m_glow->RadiationOffset = m_glow->RadiationOffset;
    target->m_font->Assign(m_font.get());
    target->Changed();
}

}  // namespace gs
