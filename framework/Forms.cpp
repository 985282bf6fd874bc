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
    DWORD oldStyle = 0;
    DWORD oldExStyle = 0;
    FrameStyles(oldStyle, oldExStyle);
    m_borderStyle = style;
    if (!HandleAllocated())
        return;
    // The frame changes in place: a window made again would lose what others set on it
    // (the layered style, its colour key and content, a Win32 subclass).
    DWORD newStyle = 0;
    DWORD newExStyle = 0;
    FrameStyles(newStyle, newExStyle);
    HWND window = Handle();
    const DWORD current = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    const DWORD currentEx = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>((current & ~oldStyle) | newStyle));
    SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>((currentEx & ~oldExStyle) | newExStyle));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.WindowClass.style = CS_DBLCLKS;
    if (Parent())
        return;
    params.Style &= ~(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
    params.WndParent = ParentWindow() ? ParentWindow() : Application->Handle();
    DWORD style = 0;
    DWORD exStyle = 0;
    FrameStyles(style, exStyle);
    params.Style |= style;
    params.ExStyle |= exStyle;
}

void TForm::FrameStyles(DWORD& style, DWORD& exStyle) const
{
    style = 0;
    exStyle = 0;
    if (Parent()) {
        style = WS_CHILD;
        return;
    }
    switch (m_borderStyle) {
    case bsNone:
        style = WS_POPUP;
        break;
    case bsSingle:
        style = WS_CAPTION | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    case bsSizeable:
        style = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    case bsDialog:
        style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        exStyle = WS_EX_DLGMODALFRAME;
        break;
    case bsToolWindow:
        style = WS_CAPTION | WS_BORDER | WS_SYSMENU;
        exStyle = WS_EX_TOOLWINDOW;
        break;
    case bsSizeToolWin:
        style = WS_CAPTION | WS_THICKFRAME | WS_SYSMENU;
        exStyle = WS_EX_TOOLWINDOW;
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
    // No window yet: the frame the border style gives. Not from CreateParams, which a
    // derived form may have name another window and so create it.
    DWORD style = 0;
    DWORD exStyle = 0;
    FrameStyles(style, exStyle);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return TRect(0, 0, Width() - (frame.right - frame.left), Height() - (frame.bottom - frame.top));
}

void TForm::Show()
{
    SetVisible(true);
    if (HandleAllocated())
        SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | (m_showActivate ? 0 : SWP_NOACTIVATE));
}

int TForm::ShowCommand() const
{
    return m_showActivate ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE;
}

void TForm::VisibleChanged()
{
    if (Visible()) {
        DoShow();
        ShowWindow(Handle(), ShowCommand());
    } else {
        m_keyboardUsed = false;
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

void TForm::CentreOnScreen()
{
    SetLeft((Screen->Width() - Width()) / 2);
    SetTop((Screen->Height() - Height()) / 2);
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
    case WM_ACTIVATE:
        // The system would focus the form's own window; the active control takes it.
        if (LOWORD(message.WParam) != WA_INACTIVE && !HIWORD(message.WParam) && m_activeControl &&
            m_activeControl->CanFocus()) {
            m_activeControl->SetFocus();
            message.Result = 0;
            return;
        }
        TWinControl::Dispatch(message);
        return;
    case WM_DPICHANGED: {
        // The rectangle is only read when the system sent it on the form's own thread:
        // another thread's or program's pointer means nothing here, and the form then
        // stays where it is.
        TRect rect = BoundsRect();
        const RECT* suggested = reinterpret_cast<const RECT*>(message.LParam);
        if (suggested && !InSendMessage())
            rect = TRect(suggested->left, suggested->top, suggested->right, suggested->bottom);
        if (OnDpiChanged)
            OnDpiChanged(this, LOWORD(message.WParam), rect);
        else
            SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
        message.Result = 0;
        return;
    }
    case WM_MOUSEACTIVATE:
        if (!m_showActivate) {
            message.Result = MA_NOACTIVATE;
            return;
        }
        TWinControl::Dispatch(message);
        return;
    default:
        TWinControl::Dispatch(message);
        return;
    }
}

void TForm::SetActiveControl(TWinControl* control)
{
    if (control != m_activeControl) {
        if (m_activeControl)
            RemoveFreeNotification(m_activeControl);
        m_activeControl = control;
        if (control)
            FreeNotification(control);
    }
    if (control && HandleAllocated() && GetActiveWindow() == Handle() && !control->Focused() &&
        control->CanFocus())
        control->SetFocus();
}

void TForm::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == m_activeControl)
        m_activeControl = nullptr;
}

void TForm::SetHideFocusUntilKeyboard(bool hide)
{
    m_hideFocusUntilKeyboard = hide;
    m_keyboardUsed = false;
}

void TForm::ShowFocusCues()
{
    if (FocusCuesShown())
        return;
    m_keyboardUsed = true;
    // The focused control drew itself without them.
    if (TWinControl* focused = FindControl(GetFocus()))
        if (focused != this && GetParentForm(focused) == this)
            focused->Invalidate();
}

bool FocusCuesShown(TControl* control)
{
    const TForm* form = GetParentForm(control);
    return !form || form->FocusCuesShown();
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
