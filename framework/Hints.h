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

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
};
