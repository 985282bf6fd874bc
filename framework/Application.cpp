#include "framework/Application.h"

#include "framework/CustomControls.h"
#include "framework/Forms.h"
#include "framework/Hints.h"
#include "framework/SysUtils.h"

namespace {

const char kApplicationClass[] = "TApplication";
constexpr UINT_PTR kHintShowTimer = 1;   // the pointer rested on a control with a hint
constexpr UINT_PTR kHintCheckTimer = 2;  // the hint shows: has the pointer left, time up?

std::string ModuleFileName()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length < sizeof path ? length : 0);
}

TApplication g_application;

}  // namespace

TApplication* Application = &g_application;

LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* application = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!application)
        return DefWindowProcA(window, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    application->Guarded([&] { application->WndProc(message); });
    return message.Result;
}

TApplication::TApplication() : TComponent(nullptr), m_icon(std::make_unique<TIcon>())
{
    const std::string exe = ModuleFileName();
    const size_t slash = exe.find_last_of("\\/");
    m_title = exe.substr(slash == std::string::npos ? 0 : slash + 1);
    const size_t dot = m_title.rfind('.');
    if (dot != std::string::npos)
        m_title.erase(dot);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (FindResourceA(instance, "MAINICON", reinterpret_cast<LPCSTR>(RT_GROUP_ICON)))
        m_icon->LoadFromResourceName(instance, "MAINICON");
}

TApplication::~TApplication()
{
    CancelHint();
    DestroyComponents();  // the forms go while the application window still exists
    if (m_handle) {
        SetWindowLongPtrA(m_handle, GWLP_USERDATA, 0);
        DestroyWindow(m_handle);
    }
}

void TApplication::Initialize()
{
    Handle();
}

HWND TApplication::Handle()
{
    if (m_handle)
        return m_handle;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing{};
    if (!GetClassInfoA(instance, kApplicationClass, &existing)) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = ApplicationWindowProc;
        wc.hInstance = instance;
        wc.hIcon = m_icon->Handle();
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.lpszClassName = kApplicationClass;
        if (!RegisterClassA(&wc))
            throw EOutOfResources("Cannot register the application window class");
    }
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    m_handle = CreateWindowExA(0, kApplicationClass, m_title.c_str(),
                               WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                               nullptr, nullptr, instance, nullptr);
    if (!m_handle)
        throw EOutOfResources(Format("Cannot create the application window (error %lu)", GetLastError()));
    SetWindowLongPtrA(m_handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return m_handle;
}

void TApplication::SetTitle(const std::string& title)
{
    if (title == m_title)
        return;
    m_title = title;
    if (m_handle)
        SetWindowTextA(m_handle, title.c_str());
}

void TApplication::FormCreated(TForm* form)
{
    if (!m_mainForm) {
        m_mainForm = form;
        form->HandleNeeded();
    }
}

void TApplication::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    if (component == m_mainForm)
        m_mainForm = nullptr;
    if (component == m_hintControl) {
        m_hintControl = nullptr;
        CancelHint();
    }
}

void TApplication::UpdateVisible()
{
    if (!m_handle || IsIconic(m_handle))
        return;
    bool anyVisible = false;
    for (int i = 0; i < ComponentCount() && !anyVisible; ++i) {
        auto* form = dynamic_cast<TForm*>(Components(i));
        anyVisible = form && form->Visible();
    }
    ShowWindow(m_handle, anyVisible ? SW_SHOWNA : SW_HIDE);
}

void TApplication::SetShowHint(bool show)
{
    if (show == m_showHint)
        return;
    m_showHint = show;
    if (!show)
        CancelHint();
}

void TApplication::HintMouseMessage(TControl* control)
{
    if (control == m_hintControl || control == m_hintWindow.get())
        return;
    CancelHint();
    if (!m_showHint || !control->ShowHint() || control->Hint().empty())
        return;
    m_hintControl = control;
    FreeNotification(control);
    SetTimer(Handle(), kHintShowTimer, static_cast<UINT>(m_hintPause), nullptr);
}

void TApplication::HintChanged(TControl* control)
{
    if (control != m_hintControl || !m_hintWindow || !m_hintWindow->Visible())
        return;
    if (control->Hint().empty()) {
        CancelHint();
        return;
    }
    ShowHintAt(TPoint(m_hintWindow->Left(), m_hintWindow->Top()));
}

void TApplication::ShowHintAt(const TPoint& topLeft)
{
    const std::string& hint = m_hintControl->Hint();
    const TRect size = m_hintWindow->CalcHintRect(hint);
    m_hintWindow->ActivateHint(
        TRect(topLeft.X, topLeft.Y, topLeft.X + size.Width(), topLeft.Y + size.Height()), hint);
    m_hintShownAt = GetTickCount();
}

void TApplication::CancelHint()
{
    if (m_handle) {
        KillTimer(m_handle, kHintShowTimer);
        KillTimer(m_handle, kHintCheckTimer);
    }
    if (m_hintWindow)
        m_hintWindow->ReleaseHint();
    if (m_hintControl) {
        RemoveFreeNotification(m_hintControl);
        m_hintControl = nullptr;
    }
}

TControl* TApplication::ControlUnderPointer() const
{
    POINT p;
    if (!GetCursorPos(&p))
        return nullptr;
    TWinControl* window = FindControl(WindowFromPoint(p));
    if (!window)
        return nullptr;
    TControl* child = window->ControlAtPos(window->ScreenToClient(TPoint(p.x, p.y)), false);
    return child ? child : window;
}

void TApplication::HintTimer(UINT_PTR id)
{
    if (!m_hintControl || ControlUnderPointer() != m_hintControl) {
        CancelHint();
        return;
    }
    if (id == kHintCheckTimer) {
        if (GetTickCount() - m_hintShownAt >= static_cast<DWORD>(m_hintHidePause)) {
            // Time is up: the hint goes and stays away while the pointer rests here.
            KillTimer(m_handle, kHintCheckTimer);
            m_hintWindow->ReleaseHint();
        }
        return;
    }
    KillTimer(m_handle, kHintShowTimer);
    if (!m_hintWindow)
        m_hintWindow.reset(new THintWindow(nullptr));
    // The hint takes the scale of the window it speaks for.
    if (TForm* form = GetParentForm(m_hintControl))
        m_hintWindow->SetPixelsPerInch(WindowPixelsPerInch(form->Handle()));
    POINT p;
    GetCursorPos(&p);
    ShowHintAt(TPoint(p.x, p.y + m_hintWindow->Scaled(20)));
    SetTimer(m_handle, kHintCheckTimer, 100, nullptr);
}

void TApplication::Run()
{
    if (m_mainForm && m_showMainForm)
        m_mainForm->Show();
    while (!m_terminated)
        HandleMessage();
}

void TApplication::Terminate()
{
    PostQuitMessage(0);
}

bool TApplication::ProcessMessage(TMsg& msg)
{
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (msg.message == WM_QUIT) {
        m_terminated = true;
        return true;
    }
    // The system sends a change of scale; posted, it comes from another program and its
    // rectangle pointer means nothing here.
    if (msg.message == WM_DPICHANGED)
        return true;
    if ((msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) || msg.message == WM_LBUTTONDOWN ||
        msg.message == WM_RBUTTONDOWN || msg.message == WM_MBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN)
        CancelHint();
    bool handled = false;
    try {
        Fire(OnMessage, msg, handled);
    } catch (const std::exception& e) {
        HandleException(e);
    }
    if (!handled) {
        // Tab moves the focus between controls; it makes no character.
        const bool tabKey = msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && FindControl(msg.hwnd);
        if (!tabKey)
            TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    TControlCanvas::FreeDeviceContexts();
    return true;
}

void TApplication::ProcessMessages()
{
    TMsg msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage()
{
    TMsg msg;
    if (!ProcessMessage(msg))
        WaitMessage();
}

void TApplication::Minimize()
{
    ShowWindow(Handle(), SW_MINIMIZE);
    Fire(OnMinimize, this);
}

void TApplication::Restore()
{
    ShowWindow(Handle(), SW_RESTORE);
    Fire(OnRestore, this);
}

void TApplication::HandleException(const std::exception& e)
{
    if (OnException) {
        try {
            OnException(this, e);
        } catch (const std::exception& again) {
            ShowException(again);
        }
        return;
    }
    ShowException(e);
}

void TApplication::ShowException(const std::exception& e)
{
    std::string text = e.what();
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    MessageBoxA(nullptr, text.c_str(), m_title.c_str(), MB_OK | MB_ICONSTOP);
}

std::string TApplication::ExeName() const
{
    return ModuleFileName();
}

void TApplication::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE:
        if (m_mainForm)
            m_mainForm->Close();
        return;
    case WM_TIMER:
        if (message.WParam == kHintShowTimer || message.WParam == kHintCheckTimer) {
            HintTimer(message.WParam);
            return;
        }
        break;
    case WM_SYSCOMMAND:
        switch (message.WParam & 0xFFF0) {
        case SC_MINIMIZE:
            Minimize();
            return;
        case SC_RESTORE:
            Restore();
            return;
        default:
            break;
        }
        break;
    default:
        break;
    }
    message.Result = DefWindowProcA(m_handle, message.Msg, message.WParam, message.LParam);
}
