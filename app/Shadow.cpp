#include "app/Shadow.h"

#include <utility>

TShadowForm::TShadowForm(TComponent* owner, TForm* mainForm, std::string picture)
    : TDropShadowForm(owner, mainForm, "ShadowForm", 688, 446, 113, 105, std::move(picture))
{
}
