#pragma once
#include "src/gui/widget/GsCtrlAppearance.h"

#include <memory>

namespace gs {

class GsButtonAppearance;

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

}  // namespace gs
