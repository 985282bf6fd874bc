// pellon.exe: decides whether this process may run at all, hands over to a running
// instance, creates the forms and runs the message loop.
#include "app/MainForm.h"
#include "app/ProgramForms.h"
#include "framework/SysUtils.h"
#include "src/Oc/BiosInterface.h"
#include "src/Oc/NrAcpi.h"
#include "src/Oc/PtmLib.h"
#include "src/System/AppSettings.h"

#include <windows.h>

namespace {

const char kMutexName[] = "1AE941A0-95B1-40f2-96D0-FD4AF22A5163";
const char kTitle[] = "Pellon";
const char kConflictMessage[] =
    "Pellon cannot launch when IXTU is enabled.\n"
    "Please restart your system, set the \"Norvane/3rd Party UI Priority\" BIOS item to "
    "[Norvane Utility], and launch Pellon again.";
constexpr DWORD kTuningOwnedMask = 4;

// True when another vendor's tuning utility owns the board's tuning interface.
bool TuningConflict()
{
    AcpiLibInit();
    if (!BiosItemExists(kItemTuningOwner1) || !BiosItemExists(kItemTuningOwner2))
        return false;
    DWORD value = 0;
    if (!ReadBiosItem(kItemTuningOwner1, &value) || !(value & kTuningOwnedMask))
        return false;
    return ReadBiosItem(kItemTuningOwner2, &value) && (value & kTuningOwnedMask);
}

void StartUp()
{
    const bool bootStart = FindCmdLineSwitch("b", {'-'}, true);
    if (TuningConflict()) {
        if (!bootStart)
            MessageBoxA(nullptr, kConflictMessage, kTitle, MB_OK);
        return;
    }
    if (bootStart && !AppSettings::Instance().ReadRunAtStartup())
        return;
    const bool featureEnabled = PtmLib::Instance().IsFeatureEnabled();

    // The handle lasts until the process ends, so the name stays taken while it runs.
    CreateMutexA(nullptr, TRUE, kMutexName);
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND other = FindWindowA("TMainForm", kTitle)) {
            AllowSetForegroundWindow(ASFW_ANY);
            SendMessageA(other, kCmdHandover, kCommandTag, 0);
        }
        return;
    }

    Application->Initialize();
    if (bootStart || !featureEnabled)
        Application->SetShowMainForm(false);
    Application->SetTitle(kTitle);
    // A bar's tooltip is a live reading that a poll changes every 3 seconds: it stays
    // long enough to see it change (each change starts its time again).
    Application->SetHintHidePause(10000);
    CreateForms();
    MainForm->Start(bootStart, featureEnabled);
    Application->Run();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        StartUp();
    } catch (const Exception& e) {
        Application->ShowException(e);
    }
    return 0;
}
