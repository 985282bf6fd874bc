#include "app/Dialog.h"
#include "app/Dialogshadow.h"
#include "app/Director.h"
#include "app/Main.h"
#include "app/PngReader.h"
#include "app/Shadow.h"
#include "framework/Assert.h"
#include "framework/Resources.h"
#include "src/System/IniAccess.h"

#include <cstdlib>

const char kBroadcastMessageName[] = "WM_NORVANE_BROADCAST_MESSAGE";

TMainForm* MainForm = nullptr;
TShadowForm* ShadowForm = nullptr;
TWarnForm* WarnForm = nullptr;
TWarnShadow* WarnShadow = nullptr;

void CreateForms()
{
    Application->CreateForm(MainForm);
    Application->CreateForm(ShadowForm);
    Application->CreateForm(WarnForm);
    Application->CreateForm(WarnShadow);
}

namespace {

using ChangeWindowMessageFilterProc = BOOL(WINAPI*)(UINT, DWORD);

// Looked up once: systems before Vista have no message filter.
const ChangeWindowMessageFilterProc g_changeWindowMessageFilter =
    reinterpret_cast<ChangeWindowMessageFilterProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilter")));

constexpr DWORD kMsgFltAdd = 1;

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
    }

    SetDoubleBuffered(true);
    SetControlStyle(ControlStyle() | csOpaque);
    m_broadcastMessage = RegisterWindowMessageA(kBroadcastMessageName);
    Application->OnMessage = Bind(this, &TMainForm::ApplicationMessageHook);
    Application->OnException = Bind(this, &TMainForm::ApplicationException);
    AllowMessage(m_broadcastMessage, kMsgFltAdd);
    AllowMessage(kCmdHandover, kMsgFltAdd);
}

TMainForm::~TMainForm() = default;

bool TMainForm::AllowMessage(UINT message, DWORD action)
{
    if (!g_changeWindowMessageFilter)
        return true;
    return g_changeWindowMessageFilter(message, action) != FALSE;
}

void TMainForm::LoadLayoutPicture(const TImage* layoutImage, TBitmap* target) const
{
    ASSERT(layoutImage == LargeBk || layoutImage == MediumBk || layoutImage == SmallBk);
    const char* resource = layoutImage == LargeBk    ? "LARGEBK"
                           : layoutImage == MediumBk ? "MEDIUMBK"
                                                     : "SMALLBK";
    LoadBitmapFromResource(target, GetModuleHandleA(nullptr), resource);
}

void TMainForm::Start(bool bootStart, bool featureEnabled)
{
    if (featureEnabled) {
        m_director = std::make_unique<Director>(this);
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
    WarnForm->ShowWarning(title, message);
    Close();
}

void TMainForm::ShowRequested()
{
    if (m_director)
        m_director->ShowMainWindow();
    else if (WarnForm && WarnForm->Visible())
        BringWindowToFront(WarnForm->Handle());
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
    case WM_MOVE:
        if (ShadowForm)
            ShadowForm->SetBounds(Left(), Top(), ShadowForm->Width(), ShadowForm->Height());
        break;
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

void BringWindowToFront(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    HWND foreground = GetForegroundWindow();
    const DWORD windowThread = GetWindowThreadProcessId(window, nullptr);
    const DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
    const bool attached = windowThread != foregroundThread &&
                          AttachThreadInput(windowThread, foregroundThread, TRUE);
    AllowSetForegroundWindow(ASFW_ANY);
    SetForegroundWindow(window);
    BringWindowToTop(window);
    if (attached)
        AttachThreadInput(windowThread, foregroundThread, FALSE);
    if (GetForegroundWindow() != window) {
        // The lock time-out is a system-wide setting: it is lifted only when it can be put
        // back as it was.
        DWORD timeout = 0;
        const bool saved = SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0) != FALSE;
        if (saved)
            SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
        BringWindowToTop(window);
        SetForegroundWindow(window);
        if (saved)
            SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                                  reinterpret_cast<void*>(static_cast<uintptr_t>(timeout)), SPIF_SENDCHANGE);
    }
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
}
