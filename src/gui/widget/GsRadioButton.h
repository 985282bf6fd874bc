#pragma once
#include "src/gui/widget/GsCustomButton.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace gs {

class GsRadioButtonAppearance;
class GsRadioButtonOuterGlowTextEffect;

// The skinned radio button: checking it unchecks the radio buttons of the same
// GroupIndex under the same parent.
class GsRadioButton : public GsCustomButton {
public:
    explicit GsRadioButton(TComponent* owner);
    ~GsRadioButton() override;

    virtual bool GetChecked() const { return m_checked; }
    virtual void SetChecked(bool checked);
    bool Checked() const { return GetChecked(); }
    int GroupIndex() const { return m_groupIndex; }
    void SetGroupIndex(int index) { m_groupIndex = index; }
    GsRadioButtonAppearance* Appearance() const { return m_appearance.get(); }
    void SetAppearance(const GsRadioButtonAppearance* value);
    GsRadioButtonOuterGlowTextEffect* TextEffect() const { return m_textEffect.get(); }
    void SetTextEffect(const GsRadioButtonOuterGlowTextEffect* value);

protected:
    GsCtrlAppearance* FaceAppearance() const override;
    int8_t CheckedIndex() const override { return m_checked ? 1 : 0; }
    TTextPainter* GetCaptionPainter(int8_t faceIndex) override;
    void Click() override;
    void DblClick() override;
    // The arrow keys move the focus to the previous (Left, Up) or next (Right, Down)
    // radio button of the group, in tab order and wrapping around, and choose it.
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void FontChanged(TObject* sender) override;

private:
    // The radio buttons of this one's group under its parent, itself included, in the
    // parent's order; none without a parent.
    std::vector<GsRadioButton*> Group();
    void UncheckSiblings();
    // The radio button of the group `step` places away in tab order, or null when no
    // other one can take the focus.
    GsRadioButton* GroupNeighbour(int step);

    std::unique_ptr<GsRadioButtonAppearance> m_appearance;
    bool m_checked = false;
    int m_groupIndex = 0;
    std::unique_ptr<GsRadioButtonOuterGlowTextEffect> m_textEffect;
};

}  // namespace gs
