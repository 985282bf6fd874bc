#include "src/gui/widget/GsLabel.h"

namespace gs {

TOuterGlowTextPainter* GsRadiation::Glow() const
{
    return m_label->m_glow.get();
}

uint8_t GsRadiation::Opacity() const { return Glow()->Opacity; }
uint32_t GsRadiation::Radius() const { return Glow()->Radius; }
uint8_t GsRadiation::Spread() const { return Glow()->Spread; }
TColor GsRadiation::Color() const { return Glow()->Color; }
int GsRadiation::X() const { return Glow()->RadiationOffset.X; }
int GsRadiation::Y() const { return Glow()->RadiationOffset.Y; }

template <class T>
void GsRadiation::Store(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    Changed();
}

void GsRadiation::SetOpacity(uint8_t value) { Store(Glow()->Opacity, value); }
void GsRadiation::SetRadius(uint32_t value) { Store(Glow()->Radius, value); }
void GsRadiation::SetSpread(uint8_t value) { Store(Glow()->Spread, value); }
void GsRadiation::SetColor(TColor value) { Store(Glow()->Color, value); }
void GsRadiation::SetX(int value) { Store(Glow()->RadiationOffset.X, static_cast<int32_t>(value)); }
void GsRadiation::SetY(int value) { Store(Glow()->RadiationOffset.Y, static_cast<int32_t>(value)); }

void GsRadiation::Changed()
{
    if (!(m_label->ComponentState() & csReading))
        m_label->AdjustBounds();
}

void GsRadiation::AssignTo(TPersistent* dest) const
{
    auto* target = dynamic_cast<GsRadiation*>(dest);
    if (!target) {
        TPersistent::AssignTo(dest);
        return;
    }
    TOuterGlowTextPainter* to = target->Glow();
    to->Opacity = Glow()->Opacity;
    to->Radius = Glow()->Radius;
    to->Spread = Glow()->Spread;
    to->Color = Glow()->Color;
    to->RadiationOffset = Glow()->RadiationOffset;
    target->Changed();
}

GsLabel::GsLabel(TComponent* owner) : TCustomLabel(owner), m_glow(new TOuterGlowTextPainter)
{
    m_glow->RadiationOffset = TPoint(1, 1);
    m_glow->Radius = 3;
    m_glow->Spread = 0;
    m_glow->Opacity = 0xC0;
    m_glow->Color = 0;
    SetColor(clWindow);
    m_radiation = std::make_unique<GsRadiation>(this);
}

GsLabel::~GsLabel()
{
    m_glow.reset();
    m_radiation.reset();
}

void GsLabel::DoDrawText(TRect& rect, int flags)
{
    const std::string text = GetLabelText();
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    const UINT format = static_cast<UINT>(flags);
    if (flags & DT_CALCRECT) {
        m_glow->CalcRect(canvas, text.c_str(), rect, format);
        return;
    }
    if (!Transparent()) {
        canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(rect);
    }
    if (Enabled()) {
        m_glow->DrawText(canvas, text.c_str(), rect, format, false);
        return;
    }
    TTextPainter* plain = TTextPainter::Shared();
    canvas->Font()->SetColor(clGrayText);
    plain->DrawText(canvas, text.c_str(), rect, format, false);
    plain->Release();
}

}  // namespace gs
