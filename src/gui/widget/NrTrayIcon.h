#pragma once
// The program's notification-area entry. CsTrayIcon holds the shell's record and
// makes every Shell_NotifyIconA call; TsTrayIcon is the component that owns the entry,
// receives its mouse notifications through a hidden window and turns them into events.
#include "framework/Classes.h"
#include "framework/Controls.h"
#include "framework/Icons.h"
#include "framework/Menus.h"
#include "framework/Messages.h"

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// The shell's entry point, replaceable so that tests can count and fail its calls.
using ShellNotifyFunction = std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)>;

class CsTrayIcon {
public:
    // The record size of the layout with balloon fields, which every shell since
    // Windows 2000 accepts: the record up to guidItem, whose handles are pointer-sized,
    // so 488 bytes in the x86 build and 504 in the x64 one.
    static const DWORD kRecordSize = sizeof(void*) == 4 ? 488 : 504;
    static_assert(kRecordSize == NOTIFYICONDATAA_V2_SIZE, "the shell's balloon-field layout");
    static const std::size_t kMaxTip = 127;
    static const std::size_t kMaxBalloonText = 255;

    CsTrayIcon(HWND window, UINT id, UINT callbackMessage,
               ShellNotifyFunction notify = Shell_NotifyIconA);
    ~CsTrayIcon();
    CsTrayIcon(const CsTrayIcon&) = delete;
    CsTrayIcon& operator=(const CsTrayIcon&) = delete;

    // Adds (up to three tries) or removes the entry; nothing when already so.
    void SetVisible(bool visible);
    bool IsShown() const { return m_shown; }
    void SetTip(const std::string& text);
    HICON SetIcon(HICON icon);
    void SetInfoFlags(DWORD flags);
    void SetBalloonText(const std::string& text);
    // Re-sends the entry when it is shown; with balloon, also the balloon text.
    void Update(bool balloon);
    // The shell lost every entry (Explorer restarted, or the taskbar came up after
    // the program): adds the entry again when it was asked to be visible.
    void Recreate();
    HWND Window() const { return m_data->hWnd; }

private:
    bool Send(DWORD message, bool balloon);
    void Add();

    std::unique_ptr<NOTIFYICONDATAA> m_data;
    std::string m_balloonText;
    bool m_shown;
    bool m_wanted;  // the last SetVisible asked for the entry
    ShellNotifyFunction m_notify;
};

// Which mouse notification fires a trigger: 0 left down, 1 left or right double-click,
// 2 any button down, 3 any button up, 4 left up, 5 left double-click, 6 right up,
// 7 right double-click, 8 and above never.
using TMouseTrigger = std::uint8_t;
constexpr TMouseTrigger kLeftButtonDown = 0;
constexpr TMouseTrigger kAnyDoubleClick = 1;
constexpr TMouseTrigger kAnyButtonDown = 2;
constexpr TMouseTrigger kAnyButtonUp = 3;
constexpr TMouseTrigger kLeftButtonUp = 4;
constexpr TMouseTrigger kLeftDoubleClick = 5;
constexpr TMouseTrigger kRightButtonUp = 6;
constexpr TMouseTrigger kRightDoubleClick = 7;
constexpr TMouseTrigger kNoTrigger = 8;
bool TriggerMatches(TMouseTrigger trigger, UINT mouseMessage);

// Balloon icon types: 0 none, 1 error, 2 information, 3 warning, 4 user.
DWORD BalloonInfoFlags(int type);

class TsTrayIcon : public TComponent {
public:
    TsTrayIcon(TComponent* owner, UINT id, UINT callbackMessage,
               ShellNotifyFunction notify = Shell_NotifyIconA);
    ~TsTrayIcon() override;

    // Hides the application and its window to the tray.
    virtual void Minimize();
    // Brings the application and its window back to the front.
    virtual void Restore();
    // Shows the pop-up menu, if one is set, at the screen point.
    virtual void PopupAt(int x, int y);
    virtual void ShowBalloon();
    virtual void HideBalloon();
    virtual void SetRestoreTrigger(TMouseTrigger value);

    TMouseTrigger RestoreTrigger() const { return m_restoreTrigger; }
    TMouseTrigger PopupTrigger() const { return m_popupTrigger; }
    void SetPopupTrigger(TMouseTrigger value) { m_popupTrigger = value; }
    TPopupMenu* PopupMenu() const { return m_popupMenu; }
    void SetPopupMenu(TPopupMenu* menu);
    // The picture; a change re-sends the entry with the new picture.
    TIcon* Icon() const { return m_icon.get(); }

    bool Visible() const { return m_helper->IsShown(); }
    void SetVisible(bool visible);
    void SetHint(const std::string& text);
    void SetBalloonText(const std::string& text);
    void SetBalloonIconType(int type);
    // The hidden window that receives the entry's notifications.
    HWND Handle() const { return m_window.get(); }

    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TMouseEvent OnMouseDown;

protected:
    void Notification(TComponent* component, TOperation operation) override;
    virtual void WndProc(TMessage& message);

private:
    // The hidden window, freed with DeallocateHWnd.
    class UtilWindow {
    public:
        explicit UtilWindow(HWND window) : m_window(window) {}
        ~UtilWindow() { DeallocateHWnd(m_window); }
        UtilWindow(const UtilWindow&) = delete;
        UtilWindow& operator=(const UtilWindow&) = delete;
        HWND get() const { return m_window; }

    private:
        HWND m_window;
    };

    void MouseNotification(UINT mouseMessage);
    void IconChanged(TObject* sender);

    // Declared so that the entry goes first, then its picture, then its window.
    UtilWindow m_window;
    std::unique_ptr<TIcon> m_icon;
    std::unique_ptr<CsTrayIcon> m_helper;
    TPopupMenu* m_popupMenu = nullptr;  // borrowed
    TMouseTrigger m_restoreTrigger = kNoTrigger;
    TMouseTrigger m_popupTrigger = kNoTrigger;
    UINT m_callbackMessage;
    UINT m_taskbarCreated;
};
