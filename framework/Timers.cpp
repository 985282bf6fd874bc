#include "framework/Timers.h"

#include "framework/Messages.h"
#include "framework/SysUtils.h"

TTimer::TTimer(TComponent* owner) : TComponent(owner), m_window(nullptr)
{
    // A timer needs no broadcasts: a message-only window, which costs far less to make.
    m_window = AllocateMessageHWnd([this](TMessage& m) {
        if (m.Msg == WM_TIMER)
            Timer();  // exceptions go to the application from the hidden window
        else
            m.Result = DefWindowProcA(m_window, m.Msg, m.WParam, m.LParam);
    });
    UpdateTimer();
}

TTimer::~TTimer()
{
    m_enabled = false;
    UpdateTimer();
    DeallocateHWnd(m_window);
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(UINT interval)
{
    if (interval == m_interval)
        return;
    m_interval = interval;
    UpdateTimer();
}

void TTimer::Timer()
{
    FireEvent(OnTimer, this);
}

void TTimer::UpdateTimer()
{
    KillTimer(m_window, 1);
    if (m_enabled && m_interval != 0 && !SetTimer(m_window, 1, m_interval, nullptr))
        throw EOutOfResources("Not enough timers available");
}
