#pragma once
// The small window that shows a control's Hint under the pointer.
#include "framework/CustomControls.h"

#include <string>

class THintWindow : public TCustomControl {
public:
    explicit THintWindow(TComponent* owner);

    // The window's size for `text`, borders included.
    TRect CalcHintRect(const std::string& text);
    // Shows `text` in `rect` (screen coordinates), on top, without taking the focus.
    void ActivateHint(const TRect& rect, const std::string& text);
    void ReleaseHint() { SetVisible(false); }
    // The pixels per inch of the window the hint is for: font, wrap width and margins
    // are figures of 96 scaled to it.
    void SetPixelsPerInch(int pixelsPerInch);
    int Scaled(int value) const { return MulDiv(value, m_pixelsPerInch, 96); }

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;

private:
    int m_pixelsPerInch = 96;
};
