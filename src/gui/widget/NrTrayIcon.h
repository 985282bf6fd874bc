#pragma once
// The program's notification-area entry. CsTrayIcon holds the shell's record and
// makes every Shell_NotifyIconA call; TsTrayIcon is the component that owns the entry,
// receives its mouse notifications through a hidden window and turns them into events.
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>

// The shell's entry point, replaceable so that tests can count and fail its calls.
using ShellNotifyFunction = std::function<BOOL(DWORD message, NOTIFYICONDATAA* data)>;

class CsTrayIcon {
public:
    // The record size of the layout with balloon fields, which every shell since
    // Windows 2000 accepts.
    static const DWORD kRecordSize = 488;
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
    bool m_wanted;
    ShellNotifyFunction m_notify;
};
