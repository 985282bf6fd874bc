#include "src/gui/widget/GsRadioButton.h"

#include "src/gui/widget/GsButtonOuterGlowTextEffect.h"
#include "src/gui/widget/GsRadioButtonAppearance.h"
#include "src/gui/widget/GsRadioButtonOuterGlowTextEffect.h"
#include "src/gui/widget/GsTextRadiationEffect.h"

#include <algorithm>
#include <vector>

namespace gs {

GsRadioButton::GsRadioButton(TComponent* owner)
    : GsCustomButton(owner),
      m_appearance(std::make_unique<GsRadioButtonAppearance>(Bind(static_cast<GsCustomButton*>(this), &GsCustomButton::AppearanceChanged))),
      m_textEffect(std::make_unique<GsRadioButtonOuterGlowTextEffect>())
{
}

GsRadioButton::~GsRadioButton()
{
    m_appearance.reset();
    m_textEffect.reset();
}

void GsRadioButton::FontChanged(TObject*)
{
    m_textEffect->Unchecked()->Raised()->SetFont(Font());
}

void GsRadioButton::SetAppearance(const GsRadioButtonAppearance* value)
{
    m_appearance->Assign(value);
}

void GsRadioButton::SetTextEffect(const GsRadioButtonOuterGlowTextEffect* value)
{
    m_textEffect->Assign(value);
}

GsCtrlAppearance* GsRadioButton::FaceAppearance() const
{
    return m_appearance.get();
}

void GsRadioButton::SetChecked(bool checked)
{
    if (checked == GetChecked())
        return;
    m_checked = checked;
    if (checked)
        UncheckSiblings();
    Invalidate();
}

std::vector<GsRadioButton*> GsRadioButton::Group()
{
    std::vector<GsRadioButton*> group;
    TWinControl* parent = Parent();
    if (!parent)
        return group;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        auto* sibling = dynamic_cast<GsRadioButton*>(parent->Controls(i));
        if (sibling && sibling->GroupIndex() == m_groupIndex)
            group.push_back(sibling);
    }
    return group;
}

void GsRadioButton::UncheckSiblings()
{
    for (GsRadioButton* sibling : Group())
        if (sibling != this)
            sibling->SetChecked(false);
}

void GsRadioButton::Click()
{
    SetChecked(true);
    GsCustomButton::Click();
}

void GsRadioButton::DblClick()
{
    SetChecked(true);
    GsCustomButton::DblClick();
}

void GsRadioButton::KeyDown(WORD& key, TShiftState shift)
{
    GsCustomButton::KeyDown(key, shift);
    const int step = key == VK_LEFT || key == VK_UP ? -1 : key == VK_RIGHT || key == VK_DOWN ? 1 : 0;
    if (step == 0 || (shift & (ssAlt | ssCtrl)))
        return;
    key = 0;
    GsRadioButton* next = GroupNeighbour(step);
    if (!next)
        return;
    // As a Windows radio group does: the focus goes first, then the choice.
    next->SetFocus();
    next->Click();
}

GsRadioButton* GsRadioButton::GroupNeighbour(int step)
{
    std::vector<GsRadioButton*> group = Group();
    group.erase(std::remove_if(group.begin(), group.end(),
                               [this](GsRadioButton* sibling) { return sibling != this && !sibling->CanFocus(); }),
                group.end());
    std::sort(group.begin(), group.end(),
              [](const GsRadioButton* a, const GsRadioButton* b) { return a->TabOrder() < b->TabOrder(); });
    const int count = static_cast<int>(group.size());
    if (count < 2)
        return nullptr;
    const int here = static_cast<int>(std::find(group.begin(), group.end(), this) - group.begin());
    return group[static_cast<size_t>(((here + step) % count + count) % count)];
}

void GsRadioButton::KeyPress(char& key)
{
    GsCustomButton::KeyPress(key);
    if (key == ' ')
        Click();
}

TTextPainter* GsRadioButton::GetCaptionPainter(int8_t faceIndex)
{
    return m_textEffect->GetPainter(CheckedIndex(), faceIndex);
}

}  // namespace gs
