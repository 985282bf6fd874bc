#pragma once
#include "app/Shadow.h"

class TWarnShadow : public TDropShadowForm {
public:
    explicit TWarnShadow(TComponent* owner);
};
