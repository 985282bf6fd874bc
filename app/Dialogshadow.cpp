#include "app/Dialogshadow.h"

TWarnShadow::TWarnShadow(TComponent* owner, TForm* dialog)
    : TDropShadowForm(owner, dialog, "WarnShadow", 501, 293, 129, 81, "pop_01_shadow.png")
{
}
