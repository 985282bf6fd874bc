#pragma once
#include "src/gui/widget/GsCustomButton.h"

#include <cstdint>
#include <memory>

namespace gs {

class GsButtonAppearance;
class GsButtonOuterGlowTextEffect;

// The skinned push button: sized to its Raised bitmap; a click sets the parent form's
// modal result before OnClick.
class GsButton : public GsCustomButton {
public:
    explicit GsButton(TComponent* owner);
    ~GsButton() override;

    int ModalResult() const { return m_modalResult; }
    void SetModalResult(int result) { m_modalResult = result; }
    GsButtonAppearance* Appearance() const { return m_appearance.get(); }
    void SetAppearance(const GsButtonAppearance* value);
    GsButtonOuterGlowTextEffect* TextEffect() const { return m_textEffect.get(); }
    void SetTextEffect(const GsButtonOuterGlowTextEffect* value);

protected:
    GsCtrlAppearance* FaceAppearance() const override;
    TTextPainter* GetCaptionPainter(int8_t faceIndex) override;
    void Click() override;
    // Space or Enter released after being pressed on the focused button clicks it.
    void KeyUp(WORD& key, TShiftState shift) override;
    void FontChanged(TObject* sender) override;

private:
    int m_modalResult = 0;
    std::unique_ptr<GsButtonAppearance> m_appearance;
    std::unique_ptr<GsButtonOuterGlowTextEffect> m_textEffect;
};

}  // namespace gs
