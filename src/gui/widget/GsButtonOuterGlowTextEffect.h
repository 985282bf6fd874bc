#pragma once
#include "src/gui/widget/GsButtonState.h"
#include "src/gui/widget/GsCtrlTextEffect.h"

#include <array>
#include <memory>

namespace gs {

class GsTextRadiationEffect;

// One effect per state: Raised from the start, the others made on first request as
// copies of Raised at that moment.
class GsButtonOuterGlowTextEffect : public GsCtrlTextEffect {
public:
    explicit GsButtonOuterGlowTextEffect(TNotifyEvent onChange = nullptr);
    ~GsButtonOuterGlowTextEffect() override;

    GsTextRadiationEffect* Raised() { return State(gs::Raised); }
    GsTextRadiationEffect* Sunken() { return State(gs::Sunken); }
    GsTextRadiationEffect* Hovered() { return State(gs::Hovered); }
    GsTextRadiationEffect* Disabled() { return State(gs::Disabled); }
    GsTextRadiationEffect* Focused() { return State(gs::Focused); }
    GsTextRadiationEffect* Active() { return State(gs::Active); }
    void SetRaised(const GsTextRadiationEffect* value) { SetState(gs::Raised, value); }
    void SetSunken(const GsTextRadiationEffect* value) { SetState(gs::Sunken, value); }
    void SetHovered(const GsTextRadiationEffect* value) { SetState(gs::Hovered, value); }
    void SetDisabled(const GsTextRadiationEffect* value) { SetState(gs::Disabled, value); }
    void SetFocused(const GsTextRadiationEffect* value) { SetState(gs::Focused, value); }
    void SetActive(const GsTextRadiationEffect* value) { SetState(gs::Active, value); }
    // Whether a state's effect has been made yet.
    bool Created(int state) const { return m_effects[state] != nullptr; }

    TTextPainter* GetPainter(int8_t checked, int8_t state) override;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    GsTextRadiationEffect* State(int state);
    void SetState(int state, const GsTextRadiationEffect* value);
    void EffectChanged(TObject* sender);

    std::array<std::unique_ptr<GsTextRadiationEffect>, kStateCount> m_effects;
};

}  // namespace gs
