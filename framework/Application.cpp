#include "framework/Application.h"

#include "framework/CustomControls.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"

namespace {

const char kApplicationClass[] = "TApplication";

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
    try {
        application->WndProc(message);
    } catch (const std::exception& e) {
        application->HandleException(e);
    }
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
    if (operation == opRemove && component == m_mainForm)
        m_mainForm = nullptr;
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
    bool handled = false;
    try {
        Fire(OnMessage, msg, handled);
    } catch (const std::exception& e) {
        HandleException(e);
    }
    if (!handled) {
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
