#include "app/Dialogshadow.h"

#include "app/Dialog.h"
#include "app/Main.h"

TWarnShadow::TWarnShadow(TComponent* owner)
    : TDropShadowForm(owner, WarnForm, "WarnShadow", 501, 293, 129, 81, "pop_01_shadow.png")
{
}
