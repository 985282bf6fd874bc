#include "src/gui/widget/GsRadioButtonOuterGlowTextEffect.h"

#include "src/gui/widget/GsButtonOuterGlowTextEffect.h"

namespace gs {

GsRadioButtonOuterGlowTextEffect::GsRadioButtonOuterGlowTextEffect()
    : m_unchecked(std::make_unique<GsButtonOuterGlowTextEffect>(Bind(this, &GsRadioButtonOuterGlowTextEffect::EffectChanged)))
{
}

GsRadioButtonOuterGlowTextEffect::~GsRadioButtonOuterGlowTextEffect()
{
    m_checked.reset();
    m_unchecked.reset();
}

GsButtonOuterGlowTextEffect* GsRadioButtonOuterGlowTextEffect::Checked()
{
    if (!m_checked) {
        m_checked = std::make_unique<GsButtonOuterGlowTextEffect>(Bind(this, &GsRadioButtonOuterGlowTextEffect::EffectChanged));
        m_checked->Assign(m_unchecked.get());
    }
    return m_checked.get();
}

void GsRadioButtonOuterGlowTextEffect::SetUnchecked(const GsButtonOuterGlowTextEffect* value)
{
    if (value != m_unchecked.get())
        m_unchecked->Assign(value);
}

void GsRadioButtonOuterGlowTextEffect::SetChecked(const GsButtonOuterGlowTextEffect* value)
{
    if (value != m_checked.get())
        Checked()->Assign(value);
}

TTextPainter* GsRadioButtonOuterGlowTextEffect::GetPainter(int8_t checked, int8_t state)
{
    return checked == 1 ? Checked()->GetPainter(checked, state) : m_unchecked->GetPainter(checked, state);
}

void GsRadioButtonOuterGlowTextEffect::AssignTo(TPersistent* dest) const
{
    auto* target = dynamic_cast<GsRadioButtonOuterGlowTextEffect*>(dest);
    if (!target) {
        GsCtrlTextEffect::AssignTo(dest);
        return;
    }
    target->m_unchecked->Assign(m_unchecked.get());
    target->Checked()->Assign(const_cast<GsRadioButtonOuterGlowTextEffect*>(this)->Checked());
}

void GsRadioButtonOuterGlowTextEffect::EffectChanged(TObject*)
{
    Fire(OnChange, this);
}

}  // namespace gs
