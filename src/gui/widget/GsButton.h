#pragma once
// Skinned buttons: a windowed control base that tracks pointer, keys and focus and
// repaints at once on every change; state pictures with fallbacks; per-state glowing
// caption effects; the push button and the grouped radio button.
#include "framework/CustomControls.h"
#include "src/gui/Painter/TextPainter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace gs {

// Button state numbers, shared by the controls, the appearances and the text effects.
enum GsButtonState : uint8_t { Raised = 0, Sunken = 1, Hovered = 2, Disabled = 3, Focused = 4, Active = 5 };
constexpr int kStateCount = 6;

// The state a button shows for its flags; the first rule that matches wins, and focus
// wins over pressing.
uint8_t ButtonStateOf(bool enabled, bool focused, bool mouseInside, bool keyPressed,
                      bool mousePressed);

// A windowed control that keeps three input flags (pointer inside, Space or Enter held,
// left button held) and paints synchronously whenever one of them, the focus or the
// enabled state changes. The background is never erased by the system.
class GsCustomControl : public TCustomControl {
public:
    explicit GsCustomControl(TComponent* owner);

    bool Repeated() const { return m_repeated; }
    void SetRepeated(bool repeated) { m_repeated = repeated; }
    void SetEnabled(bool enabled) override;

    virtual bool ContainsPoint(int x, int y);

    bool MouseInside() const { return m_mouseInside; }
    bool KeyPressed() const { return m_keyPressed; }
    bool MousePressed() const { return m_mousePressed; }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;

    TBitmap* m_inputBkgnd = nullptr;  // borrowed: the parent's background

private:
    void StartMouseTracking();
    void WMMouseLeave(TMessage& message);
    void WMMouseHover(TMessage& message);

    bool m_repeated = false;
    bool m_mouseInside = false;
    bool m_keyPressed = false;
    bool m_mousePressed = false;
};

// Adds the face pipeline: the state bitmap chosen by the subclass is laid over the
// piece of InputBkgnd under the control, the caption drawn into it, and the result
// copied to the canvas.
class GsCustomButton : public GsCustomControl {
public:
    explicit GsCustomButton(TComponent* owner);

    TBitmap* InputBkgnd() const { return m_inputBkgnd; }  // borrowed
    // The bitmap stays the caller's and must outlive the control's painting.
    void SetInputBkgnd(TBitmap* bitmap);
    bool WordWrap() const { return m_wordWrap; }
    virtual void SetWordWrap(bool wordWrap);
    // The face index drawn by the last paint; -1 before the first.
    int LastFaceIndex() const { return m_lastFaceIndex; }

    // The change notification of the subclass's appearance.
    void AppearanceChanged(TObject* sender, int index);

protected:
    virtual void DrawCaption(TBitmap* face, int8_t faceIndex);
    // Borrowed: never freed by the caller.
    virtual TTextPainter* GetCaptionPainter(int8_t faceIndex) = 0;
    void DrawFace(TBitmap* face, int8_t faceIndex);

    int m_lastFaceIndex = -1;

private:
    bool m_wordWrap = false;
};

using TAppearanceChangeEvent = TEvent<TObject* /*Sender*/, int /*index*/>;

class GsCtrlAppearance : public TPersistent {
public:
    // The bitmap to draw for a state, after the fallbacks, and its face index.
    virtual TBitmap* GetStateBitmap(int8_t checked, int8_t state, int& faceIndex) = 0;
};

// One bitmap per state. All six exist from construction on and are only assigned into,
// so pointers handed out by the getters stay valid.
class GsButtonAppearance : public GsCtrlAppearance {
public:
    explicit GsButtonAppearance(TAppearanceChangeEvent onChange = nullptr);
    ~GsButtonAppearance() override;

    TBitmap* Raised() const { return m_bitmaps[Raised_].get(); }
    TBitmap* Sunken() const { return m_bitmaps[Sunken_].get(); }
    TBitmap* Hovered() const { return m_bitmaps[Hovered_].get(); }
    TBitmap* Disabled() const { return m_bitmaps[Disabled_].get(); }
    TBitmap* Focused() const { return m_bitmaps[Focused_].get(); }
    TBitmap* Active() const { return m_bitmaps[Active_].get(); }
    void SetRaised(const TBitmap* bitmap) { SetStateBitmap(Raised_, bitmap); }
    void SetSunken(const TBitmap* bitmap) { SetStateBitmap(Sunken_, bitmap); }
    void SetHovered(const TBitmap* bitmap) { SetStateBitmap(Hovered_, bitmap); }
    void SetDisabled(const TBitmap* bitmap) { SetStateBitmap(Disabled_, bitmap); }
    void SetFocused(const TBitmap* bitmap) { SetStateBitmap(Focused_, bitmap); }
    void SetActive(const TBitmap* bitmap) { SetStateBitmap(Active_, bitmap); }
    // By state number 0-5; raises for any other.
    TBitmap* Bitmap(int index) const { return m_bitmaps.at(index).get(); }

    TBitmap* GetStateBitmap(int8_t checked, int8_t state, int& faceIndex) override;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    enum { Raised_, Sunken_, Hovered_, Disabled_, Focused_, Active_ };
    void SetStateBitmap(int index, const TBitmap* bitmap);
    void BitmapChanged(TObject* sender);
    void Changed(int index);

    std::vector<std::unique_ptr<TBitmap>> m_bitmaps;
    TAppearanceChangeEvent m_onChange;
};

// An unchecked and a checked set; change events of the checked set arrive shifted by 6.
class GsRadioButtonAppearance : public GsCtrlAppearance {
public:
    explicit GsRadioButtonAppearance(TAppearanceChangeEvent onChange = nullptr);
    ~GsRadioButtonAppearance() override;

    GsButtonAppearance* Unchecked() const { return m_unchecked.get(); }
    GsButtonAppearance* Checked() const { return m_checked.get(); }
    // Copy the bitmaps: the sets stay owned here.
    void SetUnchecked(const GsButtonAppearance* value);
    void SetChecked(const GsButtonAppearance* value);

    TBitmap* GetStateBitmap(int8_t checked, int8_t state, int& faceIndex) override;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    void SubAppearanceChanged(TObject* sender, int index);

    std::unique_ptr<GsButtonAppearance> m_checked;
    std::unique_ptr<GsButtonAppearance> m_unchecked;
    TAppearanceChangeEvent m_onChange;
};

class GsTextRadiationEffect;

// Hands a state's font, offset and glow to the glow painter.
class GsOuterGlowTextEffectPainter : public TTextPainter {
public:
    explicit GsOuterGlowTextEffectPainter(GsTextRadiationEffect* effect) : m_effect(effect) {}

    void DrawText(TCanvas* canvas, const char* text, const TRect& rect, UINT format,
                  bool asLayer) override;
    void DrawText(TCanvas* canvas, const wchar_t* text, const TRect& rect, UINT format,
                  bool asLayer) override;
    void DrawText(TBitmap* bitmap, const char* text, const TRect& rect, UINT format,
                  bool asLayer) override;
    void DrawText(TBitmap* bitmap, const wchar_t* text, const TRect& rect, UINT format,
                  bool asLayer) override;
    void CalcRect(TCanvas* canvas, const char* text, TRect& rect, UINT format) override;
    void CalcRect(TCanvas* canvas, const wchar_t* text, TRect& rect, UINT format) override;
    // The adapter lives as long as its effect.
    void Release() override {}

private:
    GsTextRadiationEffect* m_effect;  // borrowed: the effect owns the adapter
};

// Font, offset and glow of a caption in one state.
class GsTextRadiationEffect : public TPersistent {
public:
    explicit GsTextRadiationEffect(TNotifyEvent onChange = nullptr);
    ~GsTextRadiationEffect() override;

    uint8_t Opacity() const { return m_glow->Opacity; }
    void SetOpacity(uint8_t value);
    uint32_t Radius() const { return m_glow->Radius; }
    void SetRadius(uint32_t value);
    uint8_t Spread() const { return m_glow->Spread; }
    void SetSpread(uint8_t value);
    TColor Color() const { return m_glow->Color; }
    void SetColor(TColor value);
    int RadiationX() const { return m_glow->RadiationOffset.X; }
    void SetRadiationX(int value);
    int RadiationY() const { return m_glow->RadiationOffset.Y; }
    void SetRadiationY(int value);
    int OffsetX() const { return m_offsetX; }
    void SetOffsetX(int value);
    int OffsetY() const { return m_offsetY; }
    void SetOffsetY(int value);
    TFont* Font() const { return m_font.get(); }
    void SetFont(const TFont* font);

    TOuterGlowTextPainter* GlowParameters() const { return m_glow.get(); }
    TTextPainter* Painter() const { return m_adapter.get(); }

    TNotifyEvent OnChange;

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    template <class T>
    void Store(T& field, T value);
    void Changed();

    int m_offsetX = 0;
    int m_offsetY = 0;
    std::unique_ptr<TFont> m_font;
    std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> m_glow;
    std::unique_ptr<GsOuterGlowTextEffectPainter> m_adapter;
};

class GsCtrlTextEffect : public TPersistent {
public:
    explicit GsCtrlTextEffect(TNotifyEvent onChange = nullptr) : OnChange(std::move(onChange)) {}
    // Borrowed by the caller.
    virtual TTextPainter* GetPainter(int8_t checked, int8_t state) = 0;

    TNotifyEvent OnChange;
};

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

// The skinned push button: sized to its Raised bitmap; a click sets the parent form's
// modal result before OnClick.
class GsButton : public GsCustomButton {
public:
    explicit GsButton(TComponent* owner);
    ~GsButton() override;

    int ModalResult() const { return m_modalResult; }
    void SetModalResult(int result) { m_modalResult = result; }
    GsButtonAppearance* Appearance() const { return m_appearance.get(); }
    void SetAppearance(const GsButtonAppearance* value) { m_appearance->Assign(value); }
    GsButtonOuterGlowTextEffect* TextEffect() const { return m_textEffect.get(); }
    void SetTextEffect(const GsButtonOuterGlowTextEffect* value) { m_textEffect->Assign(value); }
    uint8_t State() const { return m_state; }

protected:
    virtual void UpdateState();
    virtual void PaintState();
    bool CanResize(int& newWidth, int& newHeight) override;
    void Paint() override;
    TTextPainter* GetCaptionPainter(int8_t faceIndex) override;
    void Click() override;
    void FontChanged(TObject* sender) override;

private:
    int m_modalResult = 0;
    std::unique_ptr<GsButtonAppearance> m_appearance;
    uint8_t m_state = 0;
    std::unique_ptr<GsButtonOuterGlowTextEffect> m_textEffect;
};

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
    void SetAppearance(const GsRadioButtonAppearance* value) { m_appearance->Assign(value); }
    GsRadioButtonOuterGlowTextEffect* TextEffect() const { return m_textEffect.get(); }
    void SetTextEffect(const GsRadioButtonOuterGlowTextEffect* value) { m_textEffect->Assign(value); }
    uint8_t State() const { return m_state; }

protected:
    virtual void UpdateState();
    virtual void PaintState();
    bool CanResize(int& newWidth, int& newHeight) override;
    void Paint() override;
    TTextPainter* GetCaptionPainter(int8_t faceIndex) override;
    void Click() override;
    void DblClick() override;
    void KeyPress(char& key) override;
    void FontChanged(TObject* sender) override;

private:
    void UncheckSiblings();

    std::unique_ptr<GsRadioButtonAppearance> m_appearance;
    uint8_t m_state = 0;
    bool m_checked = false;
    int m_groupIndex = 0;
    std::unique_ptr<GsRadioButtonOuterGlowTextEffect> m_textEffect;
};

}  // namespace gs
