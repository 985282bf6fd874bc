#pragma once
// Labels and the plain system radio button.
#include "framework/CustomControls.h"

#include <string>

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };

// Text drawn on the parent. With AutoSize (the default) the label takes the size of its
// text, measured by DoDrawText with DT_CALCRECT, whenever the text or the font changes.
class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* owner);

    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);
    TAlignment Alignment() const { return m_alignment; }
    void SetAlignment(TAlignment alignment);
    TTextLayout Layout() const { return m_layout; }
    void SetLayout(TTextLayout layout);
    bool WordWrap() const { return m_wordWrap; }
    void SetWordWrap(bool wordWrap);
    // Whether "&" marks the next character as an accelerator (underlined) instead of
    // being drawn.
    bool ShowAccelChar() const { return m_showAccelChar; }
    void SetShowAccelChar(bool show);
    void SetAutoSize(bool autoSize) override;

    void Loaded() override;

protected:
    virtual std::string GetLabelText() const;
    // Draws the text in rect with DrawText flags; with DT_CALCRECT it measures instead
    // and widens or heightens rect to the text.
    virtual void DoDrawText(TRect& rect, int flags);
    // Sizes an auto-sized label to its text (not while its description is read).
    virtual void AdjustBounds();
    void Paint() override;
    void TextChanged() override;
    void FontChanged(TObject* sender) override;

private:
    bool m_transparent = false;
    bool m_wordWrap = false;
    bool m_showAccelChar = true;
    TAlignment m_alignment = taLeftJustify;
    TTextLayout m_layout = tlTop;
};

class TLabel : public TCustomLabel {
public:
    using TCustomLabel::TCustomLabel;
};

// The system's radio button; checking one unchecks the other radio buttons of its parent.
class TRadioButton : public TWinControl {
public:
    explicit TRadioButton(TComponent* owner);

    bool Checked() const { return m_checked; }
    void SetChecked(bool checked);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;

private:
    bool m_checked = false;
};
