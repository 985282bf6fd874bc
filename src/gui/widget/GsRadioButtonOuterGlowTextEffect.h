#pragma once
#include "src/gui/widget/GsCtrlTextEffect.h"

#include <memory>

namespace gs {

class GsButtonOuterGlowTextEffect;

// An unchecked set from the start; the checked set starts as a copy of it when first
// asked for.
class GsRadioButtonOuterGlowTextEffect : public GsCtrlTextEffect {
public:
    GsRadioButtonOuterGlowTextEffect();
    ~GsRadioButtonOuterGlowTextEffect() override;

    GsButtonOuterGlowTextEffect* Unchecked() const { return m_unchecked.get(); }
    void SetUnchecked(const GsButtonOuterGlowTextEffect* value);
    GsButtonOuterGlowTextEffect* Checked();
    void SetChecked(const GsButtonOuterGlowTextEffect* value);

    TTextPainter* GetPainter(int8_t checked, int8_t state) override;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    void EffectChanged(TObject* sender);

    std::unique_ptr<GsButtonOuterGlowTextEffect> m_checked;
    std::unique_ptr<GsButtonOuterGlowTextEffect> m_unchecked;
};

}  // namespace gs
