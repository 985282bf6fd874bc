#include "app/ProgramForms.h"

#include "app/Dialog.h"
#include "app/Dialogshadow.h"
#include "app/DirectorLayout.h"
#include "app/MainForm.h"
#include "app/Shadow.h"
#include "src/Oc/PtmLib.h"

TMainForm* MainForm = nullptr;
TShadowForm* ShadowForm = nullptr;
TWarnForm* WarnForm = nullptr;
TWarnShadow* WarnShadow = nullptr;

void CreateForms()
{
    const PtmLib& monitor = PtmLib::Instance();
    Application->CreateForm(MainForm);
    Application->CreateForm(ShadowForm, MainForm,
                            MainShadowPicture(monitor.PhaseCount(), monitor.PhasesPerSensor()));
    Application->CreateForm(WarnForm);
    Application->CreateForm(WarnShadow, WarnForm);
    MainForm->SetCompanions(ShadowForm, WarnForm);
    WarnForm->SetShadow(WarnShadow);
}
