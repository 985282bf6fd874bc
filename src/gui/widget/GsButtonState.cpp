#include "src/gui/widget/GsButtonState.h"

namespace gs {

uint8_t ButtonStateOf(bool enabled, bool focused, bool mouseInside, bool keyPressed,
                      bool mousePressed)
{
    if (!enabled)
        return Disabled;
    if (focused)
        return mouseInside ? Active : Focused;
    if (keyPressed || (mouseInside && mousePressed))
        return Sunken;
    return mouseInside ? Hovered : Raised;
}

}  // namespace gs
