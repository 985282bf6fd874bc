#pragma once
#include "app/Shadow.h"

// Set up when the dialog is first shown: most runs never show it.
class TWarnShadow : public TDropShadowForm {
public:
    explicit TWarnShadow(TComponent* owner);
};
