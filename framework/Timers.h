#pragma once
// A component that fires OnTimer every Interval milliseconds while Enabled, from the
// message loop of the thread that made it.
#include "framework/Classes.h"

#include <windows.h>

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);
    UINT Interval() const { return m_interval; }  // 0 stops the timer as well
    void SetInterval(UINT interval);

    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    void UpdateTimer();

    HWND m_window;  // owned: DeallocateHWnd
    UINT m_interval = 1000;
    bool m_enabled = true;
};
