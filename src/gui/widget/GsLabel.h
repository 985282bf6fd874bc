#pragma once
// A label whose caption is drawn and measured with an outer glow; a disabled label
// draws plain grey text. GsRadiation is the published view of the glow's parameters.
#include "framework/StdCtrls.h"
#include "src/gui/Painter/TextPainter.h"

#include <cstdint>
#include <memory>

namespace gs {

class GsLabel;

// Stores nothing itself: every property reads and writes the label's glow painter.
class GsRadiation : public TPersistent {
public:
    explicit GsRadiation(GsLabel* label) : m_label(label) {}

    uint8_t Opacity() const;
    void SetOpacity(uint8_t value);
    uint32_t Radius() const;
    void SetRadius(uint32_t value);
    uint8_t Spread() const;
    void SetSpread(uint8_t value);
    TColor Color() const;
    void SetColor(TColor value);
    int X() const;
    void SetX(int value);
    int Y() const;
    void SetY(int value);

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    TOuterGlowTextPainter* Glow() const;
    template <class T>
    void Store(T& field, T value);
    // Re-measures the label, unless its description is being read.
    void Changed();

    GsLabel* m_label;  // borrowed: the label owns this object
};

class GsLabel : public TCustomLabel {
public:
    explicit GsLabel(TComponent* owner);
    ~GsLabel() override;

    GsRadiation* Radiation() const { return m_radiation.get(); }
    void SetRadiation(const GsRadiation* value) { m_radiation->Assign(value); }

protected:
    void DoDrawText(TRect& rect, int flags) override;

private:
    friend class GsRadiation;

    std::unique_ptr<TOuterGlowTextPainter, TextPainterRelease> m_glow;
    std::unique_ptr<GsRadiation> m_radiation;
};

}  // namespace gs
