#include "src/gui/widget/GsButton.h"

#include "framework/Forms.h"
#include "src/gui/graphics/image.h"

namespace gs {

uint8_t ButtonStateOf(bool enabled, bool focused, bool mouseInside, bool keyPressed,
                      bool mousePressed)
{
    if (!enabled)
        return Disabled;
    if (focused)
        return mouseInside ? Active : Focused;
    if (keyPressed || (mouseInside && mousePressed))
        return Sunken;
    return mouseInside ? Hovered : Raised;
}

// ---- GsCustomControl

GsCustomControl::GsCustomControl(TComponent* owner) : TCustomControl(owner) {}

bool GsCustomControl::ContainsPoint(int x, int y)
{
    return x >= 0 && x < Width() && y >= 0 && y < Height();
}

void GsCustomControl::SetEnabled(bool enabled)
{
    TCustomControl::SetEnabled(enabled);
    Invalidate();
}

void GsCustomControl::StartMouseTracking()
{
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE | (m_repeated ? TME_HOVER : 0);
    track.hwndTrack = Handle();
    track.dwHoverTime = HOVER_DEFAULT;
    TrackMouseEvent(&track);
}

void GsCustomControl::WndProc(TMessage& message)
{
    // The face covers the whole control: a system erase would only make it flicker.
    if (message.Msg == WM_ERASEBKGND) {
        message.Result = 1;
        return;
    }
    TCustomControl::WndProc(message);
}

void GsCustomControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEHOVER:
        WMMouseHover(message);
        return;
    case WM_MOUSELEAVE:
        WMMouseLeave(message);
        return;
    default:
        TCustomControl::Dispatch(message);
        return;
    }
}

void GsCustomControl::WMMouseLeave(TMessage&)
{
    m_mouseInside = false;
    Paint();
    FireEvent(OnMouseLeave, this);
}

void GsCustomControl::WMMouseHover(TMessage& message)
{
    WPARAM keys = message.WParam;
    // Wine posts the message without the button flags; the queue's key state has them,
    // and on Windows it agrees with wParam.
    if (!(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
        if (GetKeyState(VK_LBUTTON) < 0)
            keys |= MK_LBUTTON;
        if (GetKeyState(VK_RBUTTON) < 0)
            keys |= MK_RBUTTON;
        if (GetKeyState(VK_MBUTTON) < 0)
            keys |= MK_MBUTTON;
    }
    // The hover message carries the buttons and Shift and Ctrl only; Alt is not read.
    const TShiftState shift = MouseShiftState(keys) & ~ssAlt;
    const int x = LOWORD(message.LParam);
    const int y = HIWORD(message.LParam);
    TMouseButton button;
    if (keys & MK_LBUTTON)
        button = mbLeft;
    else if (keys & MK_RBUTTON)
        button = mbRight;
    else if (keys & MK_MBUTTON)
        button = mbMiddle;
    else {
        StartMouseTracking();
        return;
    }
    MouseDown(button, shift, x, y);
    StartMouseTracking();
}

void GsCustomControl::MouseMove(TShiftState shift, int x, int y)
{
    if (ContainsPoint(x, y)) {
        if (!m_mouseInside) {
            StartMouseTracking();
            m_mouseInside = true;
            Paint();
            FireEvent(OnMouseEnter, this);
        }
    } else if (m_mouseInside) {
        m_mouseInside = false;
        Paint();
    }
    TCustomControl::MouseMove(shift, x, y);
}

void GsCustomControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && !m_mousePressed) {
        m_mousePressed = true;
        Paint();
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void GsCustomControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && m_mousePressed) {
        m_mousePressed = false;
        Paint();
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void GsCustomControl::KeyDown(WORD& key, TShiftState shift)
{
    if ((key == VK_SPACE || key == VK_RETURN) && !m_keyPressed) {
        m_keyPressed = true;
        Paint();
    }
    TCustomControl::KeyDown(key, shift);
}

void GsCustomControl::KeyUp(WORD& key, TShiftState shift)
{
    if ((key == VK_SPACE || key == VK_RETURN) && m_keyPressed) {
        m_keyPressed = false;
        Paint();
    }
    TCustomControl::KeyUp(key, shift);
}

void GsCustomControl::DoEnter()
{
    Paint();
    TCustomControl::DoEnter();
}

void GsCustomControl::DoExit()
{
    Paint();
    TCustomControl::DoExit();
}

// ---- GsCustomButton

GsCustomButton::GsCustomButton(TComponent* owner) : GsCustomControl(owner)
{
    SetControlStyle(ControlStyle() | csOpaque);
    SetAutoSize(true);
}

void GsCustomButton::SetInputBkgnd(TBitmap* bitmap)
{
    if (bitmap == m_inputBkgnd)
        return;
    m_inputBkgnd = bitmap;
    Repaint();
}

void GsCustomButton::SetWordWrap(bool wordWrap)
{
    if (wordWrap == m_wordWrap)
        return;
    m_wordWrap = wordWrap;
    Invalidate();
}

void GsCustomButton::DrawFace(TBitmap* face, int8_t faceIndex)
{
    if (face->PixelFormat() == pf32bit && m_inputBkgnd) {
        const TRect r(0, 0, face->Width(), face->Height());
        TBitmap composed;
        composed.SetSize(Width(), Height());
        PutRect(composed.Canvas(), r, m_inputBkgnd, TPoint(Left(), Top()));
        BlendAlphaWhole(&composed, face, 255);
        face->Assign(&composed);
    }
    if (!Caption().empty())
        DrawCaption(face, faceIndex);
    Canvas()->Draw(0, 0, face);
}

void GsCustomButton::DrawCaption(TBitmap* face, int8_t faceIndex)
{
    const TRect r = ClientRect();
    const UINT format = m_wordWrap ? DT_CENTER | DT_WORDBREAK : DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    TCanvas* canvas = face->Canvas();
    canvas->SetFont(Font());
    if (!Enabled())
        canvas->Font()->SetColor(clGrayText);
    TTextPainter* painter = GetCaptionPainter(faceIndex);
    painter->DrawText(face, Caption().c_str(), r, format, false);
}

void GsCustomButton::AppearanceChanged(TObject*, int index)
{
    if (index == 0)
        SetBounds(Left(), Top(), 0, 0);
    if (!(ComponentState() & csLoading) && index == m_lastFaceIndex)
        Invalidate();
}

// ---- GsButtonAppearance

GsButtonAppearance::GsButtonAppearance(TAppearanceChangeEvent onChange)
    : m_onChange(std::move(onChange))
{
    m_bitmaps.reserve(kStateCount);
    for (int i = 0; i < kStateCount; ++i) {
        m_bitmaps.push_back(std::make_unique<TBitmap>());
        m_bitmaps.back()->OnChange = Bind(this, &GsButtonAppearance::BitmapChanged);
    }
}

GsButtonAppearance::~GsButtonAppearance() = default;

void GsButtonAppearance::SetStateBitmap(int index, const TBitmap* bitmap)
{
    m_bitmaps[index]->Assign(bitmap);
    Changed(index);
}

void GsButtonAppearance::BitmapChanged(TObject* sender)
{
    for (size_t i = 0; i < m_bitmaps.size(); ++i) {
        if (m_bitmaps[i].get() == sender) {
            Changed(static_cast<int>(i));
            return;
        }
    }
}

void GsButtonAppearance::Changed(int index)
{
    Fire(m_onChange, this, index);
}

void GsButtonAppearance::AssignTo(TPersistent* dest) const
{
    auto* target = dynamic_cast<GsButtonAppearance*>(dest);
    if (!target) {
        GsCtrlAppearance::AssignTo(dest);
        return;
    }
    for (int i = 0; i < kStateCount; ++i)
        target->m_bitmaps[i]->Assign(m_bitmaps[i].get());
}

namespace {

bool EmptyBitmap(const TBitmap* bitmap)
{
    return !bitmap || bitmap->Width() == 0 || bitmap->Height() == 0;
}

}  // namespace

TBitmap* GsButtonAppearance::GetStateBitmap(int8_t, int8_t state, int& faceIndex)
{
    unsigned i = static_cast<uint8_t>(state);
    for (;;) {
        if (i >= m_bitmaps.size())
            i = Raised_;
        if (!EmptyBitmap(m_bitmaps[i].get()) || i == Raised_) {
            faceIndex = static_cast<int>(i);
            return m_bitmaps[i].get();
        }
        i = (i == Sunken_ || i == Focused_ || i == Active_) ? Hovered_ : Raised_;
    }
}

// ---- GsRadioButtonAppearance

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

// ---- GsOuterGlowTextEffectPainter

void GsOuterGlowTextEffectPainter::DrawText(TCanvas* canvas, const char* text, const TRect& rect,
                                            UINT format, bool asLayer)
{
    canvas->SetFont(m_effect->Font());
    m_effect->GlowParameters()->DrawText(canvas, text, rect, format, asLayer);
}

void GsOuterGlowTextEffectPainter::DrawText(TCanvas* canvas, const wchar_t* text,
                                            const TRect& rect, UINT format, bool asLayer)
{
    canvas->SetFont(m_effect->Font());
    m_effect->GlowParameters()->DrawText(canvas, text, rect, format, asLayer);
}

void GsOuterGlowTextEffectPainter::DrawText(TBitmap* bitmap, const char* text, const TRect& rect,
                                            UINT format, bool asLayer)
{
    const TRect shifted(rect.Left + m_effect->OffsetX(), rect.Top + m_effect->OffsetY(),
                        rect.Right + m_effect->OffsetX(), rect.Bottom + m_effect->OffsetY());
    bitmap->Canvas()->SetFont(m_effect->Font());
    m_effect->GlowParameters()->DrawText(bitmap, text, shifted, format, asLayer);
}

void GsOuterGlowTextEffectPainter::DrawText(TBitmap* bitmap, const wchar_t* text,
                                            const TRect& rect, UINT format, bool asLayer)
{
    bitmap->Canvas()->SetFont(m_effect->Font());
    m_effect->GlowParameters()->DrawText(bitmap, text, rect, format, asLayer);
}

void GsOuterGlowTextEffectPainter::CalcRect(TCanvas* canvas, const char* text, TRect& rect,
                                            UINT format)
{
    canvas->SetFont(m_effect->Font());
    m_effect->GlowParameters()->CalcRect(canvas, text, rect, format);
}

void GsOuterGlowTextEffectPainter::CalcRect(TCanvas* canvas, const wchar_t* text, TRect& rect,
                                            UINT format)
{
    canvas->SetFont(m_effect->Font());
    m_effect->GlowParameters()->CalcRect(canvas, text, rect, format);
}

// ---- GsTextRadiationEffect

GsTextRadiationEffect::GsTextRadiationEffect(TNotifyEvent onChange)
    : OnChange(std::move(onChange)),
      m_font(std::make_unique<TFont>()),
      m_glow(new TOuterGlowTextPainter),
      m_adapter(std::make_unique<GsOuterGlowTextEffectPainter>(this))
{
}

GsTextRadiationEffect::~GsTextRadiationEffect()
{
    m_font.reset();
    m_glow.reset();
    m_adapter.reset();
}

template <class T>
void GsTextRadiationEffect::Store(T& field, T value)
{
    if (field == value)
        return;
    field = value;
    Changed();
}

void GsTextRadiationEffect::SetOpacity(uint8_t value) { Store(m_glow->Opacity, value); }
void GsTextRadiationEffect::SetRadius(uint32_t value) { Store(m_glow->Radius, value); }
void GsTextRadiationEffect::SetSpread(uint8_t value) { Store(m_glow->Spread, value); }
void GsTextRadiationEffect::SetColor(TColor value) { Store(m_glow->Color, value); }
void GsTextRadiationEffect::SetRadiationX(int value) { Store(m_glow->RadiationOffset.X, static_cast<int32_t>(value)); }
void GsTextRadiationEffect::SetRadiationY(int value) { Store(m_glow->RadiationOffset.Y, static_cast<int32_t>(value)); }
void GsTextRadiationEffect::SetOffsetX(int value) { Store(m_offsetX, value); }
void GsTextRadiationEffect::SetOffsetY(int value) { Store(m_offsetY, value); }

void GsTextRadiationEffect::SetFont(const TFont* font)
{
    if (font == m_font.get())
        return;
    m_font->Assign(font);
    Changed();
}

void GsTextRadiationEffect::Changed()
{
    Fire(OnChange, this);
}

void GsTextRadiationEffect::AssignTo(TPersistent* dest) const
{
    auto* target = dynamic_cast<GsTextRadiationEffect*>(dest);
    if (!target) {
        TPersistent::AssignTo(dest);
        return;
    }
    target->m_glow->Opacity = m_glow->Opacity;
    target->m_glow->Radius = m_glow->Radius;
    target->m_glow->Spread = m_glow->Spread;
    target->m_glow->Color = m_glow->Color;
    target->m_offsetX = m_offsetX;
    target->m_offsetY = m_offsetY;
    target->m_glow->RadiationOffset = m_glow->RadiationOffset;
    target->m_font->Assign(m_font.get());
    target->Changed();
}

// ---- GsButtonOuterGlowTextEffect

GsButtonOuterGlowTextEffect::GsButtonOuterGlowTextEffect(TNotifyEvent onChange)
    : GsCtrlTextEffect(std::move(onChange))
{
    m_effects[gs::Raised] = std::make_unique<GsTextRadiationEffect>(Bind(this, &GsButtonOuterGlowTextEffect::EffectChanged));
}

GsButtonOuterGlowTextEffect::~GsButtonOuterGlowTextEffect()
{
    for (auto& effect : m_effects)
        effect.reset();
}

GsTextRadiationEffect* GsButtonOuterGlowTextEffect::State(int state)
{
    auto& slot = m_effects[state];
    if (slot)
        return slot.get();
    GsTextRadiationEffect* raised = m_effects[gs::Raised].get();
    auto effect = std::make_unique<GsTextRadiationEffect>(Bind(this, &GsButtonOuterGlowTextEffect::EffectChanged));
    if (state == gs::Sunken) {
        // A pressed caption keeps the glow defaults and only moves down and right.
        effect->SetFont(raised->Font());
        effect->SetOffsetX(2);
        effect->SetOffsetY(2);
    } else {
        effect->Assign(raised);
        if (state == gs::Disabled)
            effect->Font()->SetColor(clGrayText);
    }
    slot = std::move(effect);
    return slot.get();
}

void GsButtonOuterGlowTextEffect::SetState(int state, const GsTextRadiationEffect* value)
{
    if (value != m_effects[state].get())
        State(state)->Assign(value);
}

TTextPainter* GsButtonOuterGlowTextEffect::GetPainter(int8_t, int8_t state)
{
    const int index = state >= gs::Sunken && state <= gs::Active ? state : static_cast<int>(gs::Raised);
    return State(index)->Painter();
}

void GsButtonOuterGlowTextEffect::AssignTo(TPersistent* dest) const
{
    auto* target = dynamic_cast<GsButtonOuterGlowTextEffect*>(dest);
    if (!target) {
        GsCtrlTextEffect::AssignTo(dest);
        return;
    }
    // The getters create on first use; the source's are called through a non-const self.
    auto* self = const_cast<GsButtonOuterGlowTextEffect*>(this);
    for (int state = 0; state < kStateCount; ++state)
        target->State(state)->Assign(self->State(state));
}

void GsButtonOuterGlowTextEffect::EffectChanged(TObject*)
{
    Fire(OnChange, this);
}

// ---- GsRadioButtonOuterGlowTextEffect

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

// ---- GsButton

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

bool GsButton::CanResize(int& newWidth, int& newHeight)
{
    const TBitmap* raised = m_appearance->Raised();
    if (raised->Width() == Width() && raised->Height() == Height())
        return false;
    newWidth = raised->Width();
    newHeight = raised->Height();
    return true;
}

void GsButton::Paint()
{
    PaintState();
}

void GsButton::UpdateState()
{
    m_state = ButtonStateOf(Enabled(), Focused(), MouseInside(), KeyPressed(), MousePressed());
}

void GsButton::PaintState()
{
    UpdateState();
    TBitmap face;
    int faceIndex = 0;
    face.Assign(m_appearance->GetStateBitmap(0, static_cast<int8_t>(m_state), faceIndex));
    DrawFace(&face, static_cast<int8_t>(faceIndex));
    m_lastFaceIndex = faceIndex;
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

// ---- GsRadioButton

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
