#include "src/gui/widget/GsRadioButtonAppearance.h"

#include "src/gui/widget/GsButtonAppearance.h"
#include "src/gui/widget/GsButtonState.h"

namespace gs {

GsRadioButtonAppearance::GsRadioButtonAppearance(TAppearanceChangeEvent onChange)
    : m_onChange(std::move(onChange))
{
    m_unchecked = std::make_unique<GsButtonAppearance>(Bind(this, &GsRadioButtonAppearance::SubAppearanceChanged));
    m_checked = std::make_unique<GsButtonAppearance>(Bind(this, &GsRadioButtonAppearance::SubAppearanceChanged));
}

GsRadioButtonAppearance::~GsRadioButtonAppearance()
{
    m_unchecked.reset();
    m_checked.reset();
}

void GsRadioButtonAppearance::SetUnchecked(const GsButtonAppearance* value)
{
    if (value != m_unchecked.get())
        m_unchecked->Assign(value);
}

void GsRadioButtonAppearance::SetChecked(const GsButtonAppearance* value)
{
    if (value != m_checked.get())
        m_checked->Assign(value);
}

void GsRadioButtonAppearance::SubAppearanceChanged(TObject* sender, int index)
{
    Fire(m_onChange, this, sender == m_checked.get() ? index + kStateCount : index);
}

void GsRadioButtonAppearance::AssignTo(TPersistent* dest) const
{
    auto* target = dynamic_cast<GsRadioButtonAppearance*>(dest);
    if (!target) {
        GsCtrlAppearance::AssignTo(dest);
        return;
    }
    target->m_unchecked->Assign(m_unchecked.get());
    target->m_checked->Assign(m_checked.get());
}

TBitmap* GsRadioButtonAppearance::GetStateBitmap(int8_t checked, int8_t state, int& faceIndex)
{
    faceIndex = state;
    if (checked == 1) {
        TBitmap* bitmap = m_checked->GetStateBitmap(checked, state, faceIndex);
        if (!EmptyBitmap(bitmap)) {
            faceIndex += kStateCount;
            return bitmap;
        }
    }
    return m_unchecked->GetStateBitmap(checked, state, faceIndex);
}

}  // namespace gs
