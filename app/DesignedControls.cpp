#include "app/DesignedControls.h"

#include "framework/Controls.h"
#include "framework/WinControls.h"

void DesignedControls::Remember(TWinControl* form, const TControl* except)
{
    for (int i = 0; i < form->ControlCount(); ++i) {
        TControl* control = form->Controls(i);
        if (control != except)
            m_controls.push_back({control, control->BoundsRect(), control->Font()->Height(), control->AutoSize()});
    }
}

void DesignedControls::Apply(const ArtScale& scale) const
{
    for (const Designed& designed : m_controls) {
        TControl* control = designed.control;
        control->SetAutoSize(false);
        control->Font()->SetHeight(scale(designed.fontHeight));
        const TRect bounds = scale(designed.bounds);
        control->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        control->SetAutoSize(designed.autoSize);
    }
}
