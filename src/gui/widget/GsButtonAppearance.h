#pragma once
#include "src/gui/widget/GsCtrlAppearance.h"

#include <memory>
#include <vector>

namespace gs {

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

}  // namespace gs
