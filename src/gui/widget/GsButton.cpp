#include "src/gui/widget/GsButton.h"

#include "framework/Forms.h"
#include "src/gui/widget/GsButtonAppearance.h"
#include "src/gui/widget/GsButtonOuterGlowTextEffect.h"
#include "src/gui/widget/GsTextRadiationEffect.h"

namespace gs {

GsButton::GsButton(TComponent* owner)
    : GsCustomButton(owner),
      m_appearance(std::make_unique<GsButtonAppearance>(Bind(static_cast<GsCustomButton*>(this), &GsCustomButton::AppearanceChanged))),
      m_textEffect(std::make_unique<GsButtonOuterGlowTextEffect>())
{
}

GsButton::~GsButton()
{
    m_appearance.reset();
    m_textEffect.reset();
}

void GsButton::FontChanged(TObject*)
{
    m_textEffect->Raised()->SetFont(Font());
}

void GsButton::SetAppearance(const GsButtonAppearance* value)
{
    m_appearance->Assign(value);
}

void GsButton::SetTextEffect(const GsButtonOuterGlowTextEffect* value)
{
    m_textEffect->Assign(value);
}

GsCtrlAppearance* GsButton::FaceAppearance() const
{
    return m_appearance.get();
}

TTextPainter* GsButton::GetCaptionPainter(int8_t faceIndex)
{
    return m_textEffect->GetPainter(0, faceIndex);
}

void GsButton::Click()
{
    if (TForm* form = GetParentForm(this))
        form->SetModalResult(m_modalResult);
    GsCustomButton::Click();
}

void GsButton::KeyUp(WORD& key, TShiftState shift)
{
    const bool released = (key == VK_SPACE || key == VK_RETURN) && KeyPressed();
    GsCustomButton::KeyUp(key, shift);
    if (released)
        Click();
}

}  // namespace gs
