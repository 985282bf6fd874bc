#include "app/MainForm.h"

#include "app/Dialog.h"
#include "app/Director.h"
#include "app/PngReader.h"
#include "framework/Foreground.h"
#include "framework/MessageFilter.h"
#include "framework/Resources.h"
#include "src/System/IniAccess.h"

#include <cstdlib>

const char kBroadcastMessageName[] = "WM_NORVANE_BROADCAST_MESSAGE";

namespace {

// The poll interval: 3000 ms, or PELLON_POLL_INTERVAL_MS (read once at start-up) so that
// soaks and benchmarks can poll fast.
UINT PollInterval()
{
    char value[16] = {};
    if (GetEnvironmentVariableA("PELLON_POLL_INTERVAL_MS", value, sizeof value) > 0) {
        char* end = nullptr;
        const unsigned long ms = std::strtoul(value, &end, 10);
        if (*end == 0 && ms > 0 && ms <= 3000)
            return static_cast<UINT>(ms);
    }
    return 3000;
}

TLabel* MakeLabel(TMainForm* form, const char* name, TRect bounds, const char* caption,
                  const char* fontName, TFontStyles style, TColor color)
{
    auto* label = new TLabel(form);
    label->SetName(name);
    label->SetParent(form);
    label->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    label->SetCaption(caption);
    label->Font()->SetName(fontName);
    label->Font()->SetHeight(-11);
    label->Font()->SetStyle(style);
    label->Font()->SetColor(color);
    label->SetTransparent(true);
    return label;
}

TImage* MakeImage(TMainForm* form, const char* name, TRect bounds, bool visible)
{
    auto* image = new TImage(form);
    image->SetName(name);
    image->SetParent(form);
    image->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
    image->SetVisible(visible);
    return image;
}

TTimer* MakeTimer(TMainForm* form, const char* name, UINT interval, void (TMainForm::*handler)(TObject*))
{
    auto* timer = new TTimer(form);
    timer->SetName(name);
    timer->SetEnabled(false);
    timer->SetInterval(interval);
    timer->OnTimer = Bind(form, handler);
    return timer;
}

TRect Bounds(int left, int top, int width, int height)
{
    return TRect(left, top, left + width, top + height);
}

}  // namespace

TMainForm::TMainForm(TComponent* owner) : TForm(owner)
{
    {
        TReader description(this);
        SetName("MainForm");
        SetBorderStyle(bsNone);
        SetCaption("Pellon");
        SetBounds(217, 197, Width(), Height());
        SetClientWidth(909);
        SetClientHeight(472);
        SetScaled(false);
        Font()->SetName("MS Sans Serif");
        Font()->SetHeight(-11);

        const TColor cyan = RGBColor(40, 255, 213);
        const TColor grey = RGBColor(207, 207, 207);
        Background = MakeImage(this, "Background", Bounds(0, 0, 800, 347), true);
        LoadBitmapFromResource(Background->Picture()->Bitmap(), GetModuleHandleA(nullptr), "LARGEBK");
        Background->SetAutoSize(true);
        AvgSymble = MakeLabel(this, "AvgSymble", Bounds(21, 156, 30, 13), "AVG.", "MS Sans Serif", fsBold, cyan);
        AvgLabel = MakeLabel(this, "AvgLabel", Bounds(21, 295, 30, 13), "AVG:", "MS Sans Serif", fsBold, cyan);
        AverageTemp = MakeLabel(this, "AverageTemp", Bounds(56, 295, 150, 13), "Average Temperature",
                                "MS Sans Serif", 0, grey);
        AverageTemp->SetAutoSize(false);
        PhaseTitle = MakeLabel(this, "PhaseTitle", Bounds(704, 280, 38, 14), "(Phase)", "Arial", 0, grey);
        MediumBk = MakeImage(this, "MediumBk", Bounds(512, 392, 41, 25), false);
        SmallBk = MakeImage(this, "SmallBk", Bounds(584, 392, 49, 25), false);
        PollingTimer = MakeTimer(this, "PollingTimer", PollInterval(), &TMainForm::PollingTimerTimer);
        WarningTimer = MakeTimer(this, "WarningTimer", 300, &TMainForm::WarningTimerTimer);
        LargeBk = MakeImage(this, "LargeBk", Bounds(448, 392, 41, 25), true);

        PopupMenu = new TPopupMenu(this);
        PopupMenu->SetName("PopupMenu");
        MenuItem0 = new TMenuItem(this);
        MenuItem0->SetName("MenuItem0");
        MenuItem0->SetCaption("Run at system startup");
        MenuItem1 = new TMenuItem(this);
        MenuItem1->SetName("MenuItem1");
        MenuItem1->SetCaption("Exit");
        PopupMenu->Items()->Add(MenuItem0);
        PopupMenu->Items()->Add(MenuItem1);

        RadioGroup1 = new TRadioGroup(this);
        RadioGroup1->SetName("RadioGroup1");
        RadioGroup1->SetParent(this);
        RadioGroup1->SetBounds(800, 408, 185, 105);
        RadioGroup1->SetCaption("RadioGroup1");
        RadioButton1 = new TRadioButton(this);
        RadioButton1->SetName("RadioButton1");
        RadioButton1->SetParent(this);
        RadioButton1->SetBounds(728, 440, 113, 17);
        RadioButton1->SetCaption("RadioButton1");
        // It lies outside the window: Tab must not take the focus where nobody sees it.
        RadioButton1->SetTabStop(false);
    }

    SetDoubleBuffered(true);
    SetControlStyle(ControlStyle() | csOpaque);
    m_broadcastMessage = RegisterWindowMessageA(kBroadcastMessageName);
    Application->OnMessage = Bind(this, &TMainForm::ApplicationMessageHook);
    Application->OnException = Bind(this, &TMainForm::ApplicationException);
    AllowMessage(m_broadcastMessage, MSGFLT_ADD);
    AllowMessage(kCmdHandover, MSGFLT_ADD);
}

TMainForm::~TMainForm() = default;

bool TMainForm::AllowMessage(UINT message, DWORD action)
{
    return ChangeMessageFilter(message, action);
}

void TMainForm::SetCompanions(TDropShadowForm* shadow, TWarnForm* warning)
{
    m_shadow = shadow;
    m_warning = warning;
}

void TMainForm::Start(bool bootStart, bool featureEnabled)
{
    if (featureEnabled) {
        const MainWindowParts parts{this,      Background, AverageTemp, PhaseTitle,
                                    PopupMenu, MenuItem0,  MenuItem1,   PollingTimer};
        m_director = std::make_unique<Director>(parts, m_shadow);
        m_director->Build();
        PollingTimer->SetEnabled(Application->ShowMainForm());
    } else if (bootStart) {
        Close();
    } else {
        WarningTimer->SetEnabled(true);
    }
}

void TMainForm::PollingTimerTimer(TObject*)
{
    if (m_director)
        m_director->UpdateBars();
}

void TMainForm::WarningTimerTimer(TObject*)
{
    dali::NrMultiLang& texts = dali::NrMultiLang::Instance();
    const std::string title = texts.GetText("Warning");
    const std::string message = texts.GetText("PellonDisabled");
    WarningTimer->SetEnabled(false);
    if (m_warning)
        m_warning->ShowWarning(title, message);
    Close();
}

void TMainForm::ShowRequested()
{
    if (m_director)
        m_director->ShowMainWindow();
    else if (m_warning && m_warning->Visible())
        BringWindowToFront(m_warning->Handle());
}

void TMainForm::ApplicationMessageHook(TMsg& msg, bool& handled)
{
    if (msg.hwnd != Application->Handle())
        return;
    if (m_broadcastMessage != 0 && msg.message == m_broadcastMessage) {
        if ((msg.wParam & 0xFF) == kCommandTag)
            handled = true;
        return;
    }
    // Without a controller the close passes on: it ends the program, as dismissing the
    // warning does.
    if (msg.message == WM_SYSCOMMAND && msg.wParam == SC_CLOSE && m_director) {
        m_director->HideMainWindow();
        handled = true;
    }
}

void TMainForm::ApplicationException(TObject*, const std::exception& error)
{
    Application->ShowException(error);
    // Ending the loop rather than closing the form: nothing of the form runs again.
    if (IsMissingPicture(error))
        Application->Terminate();
}

void TMainForm::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_POWERBROADCAST:
        if ((message.WParam == PBT_APMRESUMECRITICAL || message.WParam == PBT_APMRESUMESUSPEND ||
             message.WParam == PBT_APMRESUMEAUTOMATIC) &&
            m_director)
            m_director->Resume();
        message.Result = TRUE;  // never refuses a suspend
        return;
    case kCmdClose:
    case kCmdMinimize:
    case kCmdShow:
    case kCmdHandover:
    case kCmdForeground:
        if ((message.WParam & 0xFF) != kCommandTag)
            break;
        switch (message.Msg) {
        case kCmdClose:
            Close();
            break;
        case kCmdMinimize:
            Application->Minimize();
            break;
        case kCmdForeground:
            SetForegroundWindow(Handle());
            break;
        default:
            ShowRequested();
            break;
        }
        return;
    default:
        break;
    }
    TForm::Dispatch(message);
}
