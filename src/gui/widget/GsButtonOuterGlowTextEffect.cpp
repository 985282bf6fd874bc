#include "src/gui/widget/GsButtonOuterGlowTextEffect.h"

#include "src/gui/widget/GsTextRadiationEffect.h"

namespace gs {

GsButtonOuterGlowTextEffect::GsButtonOuterGlowTextEffect(TNotifyEvent onChange)
    : GsCtrlTextEffect(std::move(onChange))
{
    m_effects[gs::Raised] = std::make_unique<GsTextRadiationEffect>(Bind(this, &GsButtonOuterGlowTextEffect::EffectChanged));
}

GsButtonOuterGlowTextEffect::~GsButtonOuterGlowTextEffect()
{
    for (auto& effect : m_effects)
        effect.reset();
}

GsTextRadiationEffect* GsButtonOuterGlowTextEffect::State(int state)
{
    auto& slot = m_effects[state];
    if (slot)
        return slot.get();
    GsTextRadiationEffect* raised = m_effects[gs::Raised].get();
    auto effect = std::make_unique<GsTextRadiationEffect>(Bind(this, &GsButtonOuterGlowTextEffect::EffectChanged));
    if (state == gs::Sunken) {
        // A pressed caption keeps the glow defaults and only moves down and right.
        effect->SetFont(raised->Font());
        effect->SetOffsetX(2);
        effect->SetOffsetY(2);
    } else {
        effect->Assign(raised);
        if (state == gs::Disabled)
            effect->Font()->SetColor(clGrayText);
    }
    slot = std::move(effect);
    return slot.get();
}

void GsButtonOuterGlowTextEffect::SetState(int state, const GsTextRadiationEffect* value)
{
    if (value != m_effects[state].get())
        State(state)->Assign(value);
}

TTextPainter* GsButtonOuterGlowTextEffect::GetPainter(int8_t, int8_t state)
{
    const int index = state >= gs::Sunken && state <= gs::Active ? state : static_cast<int>(gs::Raised);
    return State(index)->Painter();
}

void GsButtonOuterGlowTextEffect::AssignTo(TPersistent* dest) const
{
    auto* target = dynamic_cast<GsButtonOuterGlowTextEffect*>(dest);
    if (!target) {
        GsCtrlTextEffect::AssignTo(dest);
        return;
    }
    // The getters create on first use; the source's are called through a non-const self.
    auto* self = const_cast<GsButtonOuterGlowTextEffect*>(this);
    for (int state = 0; state < kStateCount; ++state)
        target->State(state)->Assign(self->State(state));
}

void GsButtonOuterGlowTextEffect::EffectChanged(TObject*)
{
    Fire(OnChange, this);
}

}  // namespace gs
