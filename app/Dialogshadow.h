#pragma once
#include "app/DropShadowForm.h"

// The dialog's shadow: set up when the dialog is first shown (most runs never show it).
class TWarnShadow : public TDropShadowForm {
public:
    TWarnShadow(TComponent* owner, TForm* dialog);
};
