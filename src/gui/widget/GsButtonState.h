#pragma once
#include <cstdint>

namespace gs {

// Button state numbers, shared by the controls, the appearances and the text effects.
enum GsButtonState : uint8_t { Raised = 0, Sunken = 1, Hovered = 2, Disabled = 3, Focused = 4, Active = 5 };
constexpr int kStateCount = 6;

// The state a button shows for its flags; the first rule that matches wins, and focus
// wins over pressing.
uint8_t ButtonStateOf(bool enabled, bool focused, bool mouseInside, bool keyPressed,
                      bool mousePressed);

}  // namespace gs
