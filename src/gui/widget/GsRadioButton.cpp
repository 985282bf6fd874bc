#include "src/gui/widget/GsRadioButton.h"

#include "src/gui/widget/GsButtonAppearance.h"
#include "src/gui/widget/GsButtonOuterGlowTextEffect.h"
#include "src/gui/widget/GsButtonState.h"
#include "src/gui/widget/GsRadioButtonAppearance.h"
#include "src/gui/widget/GsRadioButtonOuterGlowTextEffect.h"
#include "src/gui/widget/GsTextRadiationEffect.h"

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

void GsRadioButton::SetChecked(bool checked)
{
    if (checked == GetChecked())
        return;
    m_checked = checked;
    if (checked)
        UncheckSiblings();
    Invalidate();
}

void GsRadioButton::UncheckSiblings()
{
    TWinControl* parent = Parent();
    if (!parent)
        return;
    for (int i = 0; i < parent->ControlCount(); ++i) {
        auto* sibling = dynamic_cast<GsRadioButton*>(parent->Controls(i));
        if (!sibling || sibling == this)
            continue;
        if (sibling->GroupIndex() == m_groupIndex)
            sibling->SetChecked(false);
    }
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

void GsRadioButton::KeyPress(char& key)
{
    GsCustomButton::KeyPress(key);
    if (key == ' ')
        Click();
}

bool GsRadioButton::CanResize(int& newWidth, int& newHeight)
{
    const TBitmap* raised = m_appearance->Unchecked()->Raised();
    if (raised->Width() == Width() && raised->Height() == Height())
        return false;
    newWidth = raised->Width();
    newHeight = raised->Height();
    return true;
}

void GsRadioButton::Paint()
{
    PaintState();
}

void GsRadioButton::UpdateState()
{
    m_state = ButtonStateOf(Enabled(), Focused(), MouseInside(), KeyPressed(), MousePressed());
}

void GsRadioButton::PaintState()
{
    UpdateState();
    TBitmap face;
    int faceIndex = 0;
    face.Assign(m_appearance->GetStateBitmap(m_checked ? 1 : 0, static_cast<int8_t>(m_state), faceIndex));
    m_lastFaceIndex = faceIndex;
    DrawFace(&face, static_cast<int8_t>(faceIndex >= kStateCount ? faceIndex - kStateCount : faceIndex));
}

TTextPainter* GsRadioButton::GetCaptionPainter(int8_t faceIndex)
{
    return m_textEffect->GetPainter(m_checked ? 1 : 0, faceIndex);
}

}  // namespace gs
