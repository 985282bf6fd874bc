#pragma once
#include "app/DropShadowForm.h"

#include <string>

// The main window's shadow: set up when the main window is first shown (a boot start
// waits hidden in the tray). Its picture follows the main window's layout.
class TShadowForm : public TDropShadowForm {
public:
    TShadowForm(TComponent* owner, TForm* mainForm, std::string picture);
};
