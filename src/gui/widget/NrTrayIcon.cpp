#include "src/gui/widget/NrTrayIcon.h"

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
