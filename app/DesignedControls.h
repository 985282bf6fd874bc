#pragma once
// A form's controls as its description placed them, in 96-DPI pixels, so that the form
// is laid out at any scale from those figures, never from another scale's rounded ones.
#include "app/ArtScale.h"

#include <vector>

class TControl;
class TWinControl;

class DesignedControls {
public:
    // Once, before a scale is applied: every control on the form but `except`, a picture
    // that gives its own size.
    void Remember(TWinControl* form, const TControl* except);
    bool Remembered() const { return !m_controls.empty(); }
    // Bounds and font heights at the scale; a control that sizes itself measures again.
    void Apply(const ArtScale& scale) const;

private:
    struct Designed {
        TControl* control;  // borrowed: the form's
        TRect bounds;
        int fontHeight;
        bool autoSize;
    };
    std::vector<Designed> m_controls;
};
