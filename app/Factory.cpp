#include "app/Factory.h"

#include "app/Main.h"
#include "src/gui/widget/NrTrayIcon.h"

namespace {
constexpr UINT kTrayIconId = 1;
constexpr UINT kTrayCallbackMessage = 1114;
constexpr int kBalloonInformation = 2;
}  // namespace

TsTrayIcon* MakeTrayIcon(TMainForm* form)
{
    auto* icon = new TsTrayIcon(form, kTrayIconId, kTrayCallbackMessage);
    icon->SetHint("Pellon");
    icon->SetVisible(true);
    icon->SetBalloonIconType(kBalloonInformation);
    return icon;
}
