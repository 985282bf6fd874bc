#include "framework/Forms.h"

#include "framework/Application.h"
#include "framework/SysUtils.h"

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    SetControlStyle(ControlStyle() | csAcceptsControls);
    SetBoundsFields(TRect(0, 0, 320, 240));
    SetVisible(false);  // a form is shown when asked
}

TForm::~TForm()
{
    WindowProc = [this](TMessage& message) { WndProc(message); };  // a replacement may be gone already
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    if (!HandleAllocated())
        return;
    // The frame is part of the window's class styles: make the window again.
    const bool wasVisible = Visible() && IsWindowVisible(Handle());
    DestroyHandle();
    HandleNeeded();
    if (wasVisible)
        ShowWindow(Handle(), SW_SHOWNORMAL);
}

void TForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WindowClass.style = CS_DBLCLKS;
    if (Parent())
        return;
    params.Style &= ~(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    params.WndParent = ParentWindow() ? ParentWindow() : Application->Handle();
    switch (m_borderStyle) {
    case bsNone:
        params.Style |= WS_POPUP;
        break;
    case bsSingle:
        params.Style |= WS_CAPTION | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    case bsSizeable:
        params.Style |= WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    case bsDialog:
        params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
        params.ExStyle |= WS_EX_DLGMODALFRAME;
        break;
    case bsToolWindow:
        params.Style |= WS_CAPTION | WS_BORDER | WS_SYSMENU;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_THICKFRAME | WS_SYSMENU;
        params.ExStyle |= WS_EX_TOOLWINDOW;
        break;
    }
}

void TForm::CreateWnd()
{
    TWinControl::CreateWnd();
    if (HICON icon = Application->Icon()->Handle())
        SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}

TRect TForm::ClientRect() const
{
    if (HandleAllocated())
        return TWinControl::ClientRect();
    // No window yet: the frame the window will have, from its styles.
    TCreateParams params;
    const_cast<TForm*>(this)->CreateParams(params);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
    return TRect(0, 0, Width() - (frame.right - frame.left), Height() - (frame.bottom - frame.top));
}

void TForm::Show()
{
    SetVisible(true);
    if (HandleAllocated())
        SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TForm::VisibleChanged()
{
    if (Visible()) {
        DoShow();
        ShowWindow(Handle(), SW_SHOWNORMAL);
    } else {
        DoHide();
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
    }
    Application->UpdateVisible();
}

void TForm::DoShow()
{
    FireEvent(OnShow, this);
}

void TForm::DoHide()
{
    FireEvent(OnHide, this);
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    FireEvent(OnCloseQuery, this, canClose);
    return canClose;
}

void TForm::DoClose(TCloseAction& action)
{
    FireEvent(OnClose, this, action);
}

void TForm::Close()
{
    if (m_modal) {
        m_modalResult = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application->MainForm() == this)
        Application->Terminate();
    else if (action == caHide)
        Hide();
    else if (HandleAllocated())
        ShowWindow(Handle(), SW_MINIMIZE);
}

namespace {

struct DisabledWindows {
    HWND keep;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableWindow(HWND window, LPARAM param)
{
    auto* list = reinterpret_cast<DisabledWindows*>(param);
    if (window != list->keep && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        list->windows.push_back(window);
    }
    return TRUE;
}

}  // namespace

TModalResult TForm::ShowModal()
{
    if (Visible() || m_modal)
        throw Exception("Cannot make a visible window modal");
    if (GetCapture())
        ReleaseCapture();
    DisabledWindows disabled{Handle(), {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled));
    m_modal = true;
    m_modalResult = mrNone;
    auto restore = [&] {
        m_modal = false;
        for (HWND window : disabled.windows)
            if (IsWindow(window))
                EnableWindow(window, TRUE);
        Hide();
    };
    try {
        Show();
        while (m_modalResult == mrNone) {
            Application->HandleMessage();
            if (Application->Terminated())
                m_modalResult = mrCancel;
            else if (m_modalResult != mrNone)
                CloseModal();
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return m_modalResult;
}

void TForm::CloseModal()
{
    TCloseAction action = CloseQuery() ? caHide : caNone;
    if (action != caNone)
        DoClose(action);
    if (action == caNone)
        m_modalResult = mrNone;
}

void TForm::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_CLOSE:
        Close();
        return;
    default:
        TWinControl::Dispatch(message);
        return;
    }
}

TForm* GetParentForm(TControl* control)
{
    if (!control)
        return nullptr;
    while (control->Parent())
        control = control->Parent();
    return dynamic_cast<TForm*>(control);
}

int TScreen::Width() const
{
    return GetSystemMetrics(SM_CXSCREEN);
}

int TScreen::Height() const
{
    return GetSystemMetrics(SM_CYSCREEN);
}

int TScreen::PixelsPerInch() const
{
    return ScreenPixelsPerInch();
}

namespace {
TScreen g_screen;
}

TScreen* Screen = &g_screen;
