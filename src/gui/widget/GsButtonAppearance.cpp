#include "src/gui/widget/GsButtonAppearance.h"

#include "src/gui/widget/GsButtonState.h"

namespace gs {

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

}  // namespace gs
