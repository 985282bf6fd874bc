#include "framework/StdCtrls.h"

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner)
{
    SetBoundsFields(TRect(0, 0, 65, 17));
    SetControlStyle(ControlStyle() | csOpaque);
    TControl::SetAutoSize(true);
}

void TCustomLabel::SetTransparent(bool transparent)
{
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    SetControlStyle(transparent ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
    Invalidate();
}

void TCustomLabel::SetAlignment(TAlignment alignment)
{
    if (alignment == m_alignment)
        return;
    m_alignment = alignment;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout layout)
{
    if (layout == m_layout)
        return;
    m_layout = layout;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool wordWrap)
{
    if (wordWrap == m_wordWrap)
        return;
    m_wordWrap = wordWrap;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool show)
{
    if (show == m_showAccelChar)
        return;
    m_showAccelChar = show;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool autoSize)
{
    if (autoSize == AutoSize())
        return;
    TControl::SetAutoSize(autoSize);
    AdjustBounds();
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

std::string TCustomLabel::GetLabelText() const
{
    return Caption();
}

void TCustomLabel::DoDrawText(TRect& rect, int flags)
{
    std::string text = GetLabelText();
    // An empty label still measures one line high.
    if ((flags & DT_CALCRECT) && (text.empty() || (m_showAccelChar && text == "&")))
        text += ' ';
    if (!m_showAccelChar)
        flags |= DT_NOPREFIX;
    Canvas()->SetFont(Font());
    RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    const int length = static_cast<int>(text.size());
    if (!Enabled()) {
        OffsetRect(&r, 1, 1);
        Canvas()->Font()->SetColor(clBtnHighlight);
        DrawTextA(Canvas()->Handle(), text.c_str(), length, &r, static_cast<UINT>(flags));
        OffsetRect(&r, -1, -1);
        Canvas()->Font()->SetColor(clBtnShadow);
    }
    DrawTextA(Canvas()->Handle(), text.c_str(), length, &r, static_cast<UINT>(flags));
    rect = TRect(r.left, r.top, r.right, r.bottom);
}

void TCustomLabel::AdjustBounds()
{
    if ((ComponentState() & csReading) || !AutoSize())
        return;
    TRect rect = ClientRect();
    WindowDC screen(nullptr);
    Canvas()->SetHandle(screen.Get());
    DoDrawText(rect, DT_EXPANDTABS | DT_CALCRECT | (m_wordWrap ? DT_WORDBREAK : 0));
    Canvas()->SetHandle(nullptr);
    int x = Left();
    if (m_alignment == taRightJustify)
        x += Width() - rect.Right;
    SetBounds(x, Top(), rect.Right, rect.Bottom);
}

void TCustomLabel::Paint()
{
    static const int alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    if (!m_transparent) {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->FillRect(ClientRect());
    }
    Canvas()->Brush()->SetStyle(bsClear);
    TRect rect = ClientRect();
    const int style = DT_EXPANDTABS | (m_wordWrap ? DT_WORDBREAK : 0) | alignments[m_alignment];
    if (m_layout != tlTop) {
        TRect calc = rect;
        DoDrawText(calc, style | DT_CALCRECT);
        const int offset = m_layout == tlBottom ? Height() - calc.Bottom : (Height() - calc.Bottom) / 2;
        rect = TRect(rect.Left, rect.Top + offset, rect.Right, rect.Bottom + offset);
    }
    DoDrawText(rect, style);
}

void TCustomLabel::TextChanged()
{
    Invalidate();
    AdjustBounds();
}

void TCustomLabel::FontChanged(TObject* sender)
{
    TGraphicControl::FontChanged(sender);
    AdjustBounds();
}

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner)
{
    SetBoundsFields(TRect(0, 0, 113, 17));
    SetControlStyle(csDoubleClicks);  // the system button captures the mouse and reports clicks
    SetTabStop(true);
}

void TRadioButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
    params.Style |= BS_RADIOBUTTON;
}

void TRadioButton::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessageA(Handle(), BM_SETCHECK, m_checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioButton::SetChecked(bool checked)
{
    if (checked == m_checked)
        return;
    m_checked = checked;
    if (HandleAllocated())
        SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (!checked || !Parent())
        return;
    for (int i = 0; i < Parent()->ControlCount(); ++i) {
        auto* sibling = dynamic_cast<TRadioButton*>(Parent()->Controls(i));
        if (sibling && sibling != this)
            sibling->SetChecked(false);
    }
}

void TRadioButton::Dispatch(TMessage& message)
{
    if (message.Msg == CN_COMMAND && HIWORD(message.WParam) == BN_CLICKED) {
        SetChecked(true);
        Click();
        return;
    }
    TWinControl::Dispatch(message);
}
