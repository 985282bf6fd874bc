#include "src/gui/widget/NrTrayIcon.h"

#include "framework/Application.h"
#include "framework/Forms.h"
#include "framework/MessageFilter.h"
#include "framework/Types.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

static_assert(offsetof(NOTIFYICONDATAA, guidItem) == CsTrayIcon::kRecordSize,
              "the record ends where the Windows XP fields begin");

namespace {

const int kAddAttempts = 3;

// Copies at most maxLength characters and ends the copy with a zero.
template <std::size_t N>
void CopyCut(char (&dest)[N], const std::string& text, std::size_t maxLength)
{
    static_assert(N > 0, "room for the terminator");
    const std::size_t length = std::min({text.size(), maxLength, N - 1});
    std::memcpy(dest, text.data(), length);
    dest[length] = '\0';
}

}  // namespace

CsTrayIcon::CsTrayIcon(HWND window, UINT id, UINT callbackMessage, ShellNotifyFunction notify)
    : m_data(std::make_unique<NOTIFYICONDATAA>()),
      m_shown(false),
      m_wanted(false),
      m_notify(std::move(notify))
{
    std::memset(m_data.get(), 0, sizeof(NOTIFYICONDATAA));
    m_data->cbSize = kRecordSize;
    m_data->hWnd = window;
    m_data->uID = id;
    m_data->uCallbackMessage = callbackMessage;
    m_data->uVersion = NOTIFYICON_VERSION;
    Send(NIM_SETVERSION, false);
}

CsTrayIcon::~CsTrayIcon()
{
    if (m_shown)
        Send(NIM_DELETE, false);
}

void CsTrayIcon::SetVisible(bool visible)
{
    m_wanted = visible;
    if (visible == m_shown)
        return;
    if (visible)
        Add();
    else if (Send(NIM_DELETE, false))
        m_shown = false;
}

void CsTrayIcon::Add()
{
    for (int attempt = 0; attempt < kAddAttempts && !m_shown; ++attempt)
        m_shown = Send(NIM_ADD, false);
}

void CsTrayIcon::Recreate()
{
    if (!m_wanted)
        return;
    m_shown = false;
    Add();
}

void CsTrayIcon::SetTip(const std::string& text)
{
    CopyCut(m_data->szTip, text, kMaxTip);
}

HICON CsTrayIcon::SetIcon(HICON icon)
{
    return std::exchange(m_data->hIcon, icon);
}

void CsTrayIcon::SetInfoFlags(DWORD flags)
{
    m_data->dwInfoFlags = flags;
}

void CsTrayIcon::SetBalloonText(const std::string& text)
{
    m_balloonText = text;
}

void CsTrayIcon::Update(bool balloon)
{
    if (m_shown)
        Send(NIM_MODIFY, balloon);
}

bool CsTrayIcon::Send(DWORD message, bool balloon)
{
    UINT flags = NIF_MESSAGE;
    if (m_data->hIcon)
        flags |= NIF_ICON;
    if (m_data->szTip[0])
        flags |= NIF_TIP;
    if (balloon) {
        flags |= NIF_INFO;
        CopyCut(m_data->szInfo, m_balloonText, kMaxBalloonText);
    } else {
        m_data->szInfo[0] = '\0';
    }
    m_data->uFlags = flags;
    return m_notify(message, m_data.get()) != FALSE;
}

bool TriggerMatches(TMouseTrigger trigger, UINT mouseMessage)
{
    switch (trigger) {
    case kLeftButtonDown:
        return mouseMessage == WM_LBUTTONDOWN;
    case kAnyDoubleClick:
        return mouseMessage == WM_LBUTTONDBLCLK || mouseMessage == WM_RBUTTONDBLCLK;
    case kAnyButtonDown:
        return mouseMessage == WM_LBUTTONDOWN || mouseMessage == WM_RBUTTONDOWN ||
               mouseMessage == WM_MBUTTONDOWN;
    case kAnyButtonUp:
        return mouseMessage == WM_LBUTTONUP || mouseMessage == WM_RBUTTONUP ||
               mouseMessage == WM_MBUTTONUP;
    case kLeftButtonUp:
        return mouseMessage == WM_LBUTTONUP;
    case kLeftDoubleClick:
        return mouseMessage == WM_LBUTTONDBLCLK;
    case kRightButtonUp:
        return mouseMessage == WM_RBUTTONUP;
    case kRightDoubleClick:
        return mouseMessage == WM_RBUTTONDBLCLK;
    default:
        return false;
    }
}

DWORD BalloonInfoFlags(int type)
{
    switch (type) {
    case 1:
        return NIIF_ERROR;
    case 2:
        return NIIF_INFO;
    case 3:
        return NIIF_WARNING;
    case 4:
        return NIIF_USER;
    default:
        return NIIF_NONE;
    }
}

namespace {

// Explorer broadcasts this when it (re)creates the taskbar. A program running with
// higher rights than Explorer must let it through the message filter (Windows Vista
// and later; the call does not exist before).
UINT RegisterTaskbarCreated()
{
    const UINT message = RegisterWindowMessageA("TaskbarCreated");
    if (message)
        ChangeMessageFilter(message, MSGFLT_ADD);
    return message;
}

TPoint CursorPos()
{
    POINT point{};
    GetCursorPos(&point);
    return TPoint{point.x, point.y};
}

}  // namespace

TsTrayIcon::TsTrayIcon(TComponent* owner, UINT id, UINT callbackMessage, ShellNotifyFunction notify)
    : TComponent(owner),
      m_window(AllocateHWnd([this](TMessage& message) { WndProc(message); })),
      m_icon(std::make_unique<TIcon>()),
      m_callbackMessage(callbackMessage),
      m_taskbarCreated(RegisterTaskbarCreated())
{
    m_icon->Assign(Application->Icon());
    m_helper = std::make_unique<CsTrayIcon>(m_window.get(), id, callbackMessage, std::move(notify));
    m_helper->SetIcon(m_icon->Handle());
    m_icon->OnChange = Bind(this, &TsTrayIcon::IconChanged);
}

TsTrayIcon::~TsTrayIcon() = default;

void TsTrayIcon::Minimize()
{
    Application->Minimize();
    ShowWindow(Application->Handle(), SW_HIDE);
    FireEvent(OnMinimize, this);
}

void TsTrayIcon::Restore()
{
    Application->Restore();
    ShowWindow(Application->Handle(), SW_RESTORE);
    SetForegroundWindow(Application->Handle());
    FireEvent(OnRestore, this);
}

void TsTrayIcon::PopupAt(int x, int y)
{
    if (!m_popupMenu)
        return;
    // A menu of a background window only closes on an outside click when its window is
    // in front; the empty message afterwards lets a second pop-up open normally.
    const HWND front = Application->MainForm() ? Application->MainForm()->Handle() : nullptr;
    if (front)
        SetForegroundWindow(front);
    m_popupMenu->Popup(x, y);
    if (front)
        PostMessageA(front, WM_NULL, 0, 0);
}

void TsTrayIcon::ShowBalloon()
{
    m_helper->Update(true);
}

void TsTrayIcon::HideBalloon()
{
    m_helper->Update(false);
}

void TsTrayIcon::SetRestoreTrigger(TMouseTrigger value)
{
    m_restoreTrigger = value;
}

void TsTrayIcon::SetPopupMenu(TPopupMenu* menu)
{
    if (menu == m_popupMenu)
        return;
    if (m_popupMenu)
        m_popupMenu->RemoveFreeNotification(this);
    m_popupMenu = menu;
    if (m_popupMenu)
        m_popupMenu->FreeNotification(this);
}

void TsTrayIcon::SetVisible(bool visible)
{
    m_helper->SetVisible(visible);
}

void TsTrayIcon::SetHint(const std::string& text)
{
    m_helper->SetTip(text);
    m_helper->Update(false);
}

void TsTrayIcon::SetBalloonText(const std::string& text)
{
    m_helper->SetBalloonText(text);
}

void TsTrayIcon::SetBalloonIconType(int type)
{
    m_helper->SetInfoFlags(BalloonInfoFlags(type));
}

void TsTrayIcon::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == m_popupMenu)
        m_popupMenu = nullptr;
}

void TsTrayIcon::IconChanged(TObject*)
{
    m_helper->SetIcon(m_icon->Handle());
    m_helper->Update(false);
}

void TsTrayIcon::WndProc(TMessage& message)
{
    message.Result = 0;
    if (message.Msg == m_callbackMessage) {
        MouseNotification(static_cast<UINT>(message.LParam));
    } else if (message.Msg == WM_QUERYENDSESSION) {
        message.Result = 1;
    } else if (message.Msg == m_taskbarCreated) {
        m_helper->Recreate();
    }
}

void TsTrayIcon::MouseNotification(UINT mouseMessage)
{
    if (TriggerMatches(m_restoreTrigger, mouseMessage))
        Restore();
    if (TriggerMatches(m_popupTrigger, mouseMessage)) {
        const TPoint at = CursorPos();
        PopupAt(at.X, at.Y);
    }
    const TPoint at = CursorPos();
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        FireEvent(OnMouseMove, this, TShiftState(), at.X, at.Y);
        break;
    case WM_LBUTTONDOWN:
        FireEvent(OnMouseDown, this, mbLeft, TShiftState(ssLeft), at.X, at.Y);
        break;
    case WM_LBUTTONUP:
        FireEvent(OnMouseUp, this, mbLeft, TShiftState(ssLeft), at.X, at.Y);
        FireEvent(OnClick, this);
        break;
    case WM_LBUTTONDBLCLK:
        FireEvent(OnDblClick, this);
        break;
    case WM_RBUTTONDOWN:
        FireEvent(OnMouseDown, this, mbRight, TShiftState(ssRight), at.X, at.Y);
        break;
    case WM_RBUTTONUP:
        FireEvent(OnMouseUp, this, mbRight, TShiftState(ssRight), at.X, at.Y);
        break;
    default:
        break;
    }
}
