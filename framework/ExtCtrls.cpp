#include "framework/ExtCtrls.h"

#include "framework/Icons.h"
#include "framework/SysUtils.h"

#include <algorithm>

TImage::TImage(TComponent* owner) : TGraphicControl(owner), m_picture(std::make_unique<TPicture>())
{
    SetBoundsFields(TRect(0, 0, 105, 105));
    m_picture->OnChange = Bind(this, &TImage::PictureChanged);
}

TImage::~TImage() = default;

void TImage::SetStretch(bool stretch)
{
    if (stretch == m_stretch)
        return;
    m_stretch = stretch;
    PictureChanged(this);
}

void TImage::SetCenter(bool center)
{
    if (center == m_center)
        return;
    m_center = center;
    PictureChanged(this);
}

void TImage::SetTransparent(bool transparent)
{
    if (transparent == m_transparent)
        return;
    m_transparent = transparent;
    PictureChanged(this);
}

bool TImage::CanAutoSize(int& newWidth, int& newHeight)
{
    if ((ComponentState() & csDesigning) && (m_picture->Width() <= 0 || m_picture->Height() <= 0))
        return true;
    if (Align() == alNone || Align() == alLeft || Align() == alRight)
        newWidth = m_picture->Width();
    if (Align() == alNone || Align() == alTop || Align() == alBottom)
        newHeight = m_picture->Height();
    return true;
}

void TImage::PictureChanged(TObject*)
{
    if (m_changing)
        return;
    TFlagScope changing(m_changing);
    if (AutoSize() && m_picture->Width() > 0 && m_picture->Height() > 0)
        SetBounds(Left(), Top(), m_picture->Width(), m_picture->Height());
    // An opaque picture that covers the control needs nothing erased beneath it.
    TGraphic* graphic = m_picture->Graphic();
    bool opaque = false;
    if (graphic) {
        if (!dynamic_cast<TIcon*>(graphic))
            graphic->SetTransparent(m_transparent);
        opaque = !graphic->Transparent() &&
                 (m_stretch || (graphic->Width() >= Width() && graphic->Height() >= Height()));
    }
    SetControlStyle(opaque ? ControlStyle() | csOpaque : ControlStyle() & ~csOpaque);
    Invalidate();
}

TRect TImage::DestRect() const
{
    const int width = m_picture->Width();
    const int height = m_picture->Height();
    if (m_stretch)
        return ClientRect();
    if (m_center) {
        const int left = (Width() - width) / 2;
        const int top = (Height() - height) / 2;
        return TRect(left, top, left + width, top + height);
    }
    return TRect(0, 0, width, height);
}

void TImage::Paint()
{
    if (TGraphic* graphic = m_picture->Graphic())
        Canvas()->StretchDraw(DestRect(), graphic);
}

TRadioGroup::TRadioGroup(TComponent* owner) : TWinControl(owner)
{
    SetBoundsFields(TRect(0, 0, 185, 105));
    SetControlStyle(csAcceptsControls | csDoubleClicks);
}

void TRadioGroup::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    CreateSubClass(params, "BUTTON");
    params.Style |= BS_GROUPBOX;
}

void TRadioGroup::SetItems(const std::vector<std::string>& items)
{
    while (!m_buttons.empty()) {
        m_buttons.back()->Free();
        m_buttons.pop_back();
    }
    m_items = items;
    for (const std::string& item : m_items) {
        auto* button = new TRadioButton(this);
        button->SetCaption(item);
        button->OnClick = Bind(this, &TRadioGroup::ButtonClick);
        button->SetParent(this);
        m_buttons.push_back(button);
    }
    if (m_itemIndex >= static_cast<int>(m_items.size()))
        m_itemIndex = -1;
    SetItemIndex(m_itemIndex);
    ArrangeButtons();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (index < -1 || index >= static_cast<int>(m_buttons.size()))
        index = -1;
    m_itemIndex = index;
    if (index >= 0)
        m_buttons[static_cast<size_t>(index)]->SetChecked(true);
    else
        for (TRadioButton* button : m_buttons)
            button->SetChecked(false);
}

void TRadioGroup::ButtonClick(TObject* sender)
{
    auto it = std::find(m_buttons.begin(), m_buttons.end(), sender);
    if (it == m_buttons.end())
        return;
    m_itemIndex = static_cast<int>(it - m_buttons.begin());
    Click();
}

void TRadioGroup::Resize()
{
    ArrangeButtons();
    TWinControl::Resize();
}

void TRadioGroup::ArrangeButtons()
{
    if (m_buttons.empty())
        return;
    // One column below the caption line, each button an equal share of the height.
    const int top = 16;
    const int rowHeight = std::max(1, (Height() - top - 4) / static_cast<int>(m_buttons.size()));
    for (size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->SetBounds(8, top + static_cast<int>(i) * rowHeight, std::max(0, Width() - 16),
                                std::min(rowHeight, 17));
}
