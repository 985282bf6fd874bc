#pragma once
// The main form: the design-time components the controller dresses, the two timers,
// and the commands other processes send to the running program.
#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Timers.h"

#include <windows.h>

#include <memory>

class Director;
class TDropShadowForm;
class TWarnForm;

// The commands of other processes carry this letter ("U") in the low byte of wParam.
constexpr WPARAM kCommandTag = 85;
constexpr UINT kCmdClose = WM_USER;          // 1024
constexpr UINT kCmdMinimize = WM_USER + 1;   // 1025
constexpr UINT kCmdShow = WM_USER + 2;       // 1026
constexpr UINT kCmdHandover = WM_USER + 3;   // 1027, from a second instance
constexpr UINT kCmdForeground = WM_USER + 6; // 1030
extern const char kBroadcastMessageName[];

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;

    // The shadow that follows the main window and the dialog that warns when the feature
    // is off (both borrowed, made after this form); given before Start.
    void SetCompanions(TDropShadowForm* shadow, TWarnForm* warning);
    // Called once, after all four forms exist.
    void Start(bool bootStart, bool featureEnabled);

    void PollingTimerTimer(TObject* sender);
    void WarningTimerTimer(TObject* sender);
    void ApplicationMessageHook(TMsg& msg, bool& handled);
    // Whatever a handler raises is shown. A picture that cannot be read also ends the
    // program, as it does at start-up: the dialog's and the shadows' pictures are first
    // read when those windows first show, long after start-up.
    void ApplicationException(TObject* sender, const std::exception& error);
    // ChangeWindowMessageFilter where the system has it; true where it does not.
    static bool AllowMessage(UINT message, DWORD action);

    TImage* Background;
    TLabel* AvgSymble;
    TLabel* AvgLabel;
    TLabel* AverageTemp;
    TLabel* PhaseTitle;
    TImage* MediumBk;
    TImage* SmallBk;
    TTimer* PollingTimer;
    TTimer* WarningTimer;
    // LargeBk, MediumBk and SmallBk stand for the three layouts' backgrounds, which stay
    // in the program's resources: only the chosen layout's is ever read.
    TImage* LargeBk;
    TPopupMenu* PopupMenu;
    TMenuItem* MenuItem0;
    TMenuItem* MenuItem1;
    TRadioGroup* RadioGroup1;
    TRadioButton* RadioButton1;

protected:
    void Dispatch(TMessage& message) override;

private:
    // Without a controller the only window the user sees is the warning dialog: the
    // commands that would show the main window bring the dialog up instead.
    void ShowRequested();

    UINT m_broadcastMessage = 0;
    std::unique_ptr<Director> m_director;  // only when the feature is enabled
    TDropShadowForm* m_shadow = nullptr;   // borrowed
    TWarnForm* m_warning = nullptr;        // borrowed
};
