#include "src/gui/widget/GsCustomControl.h"

namespace gs {

GsCustomControl::GsCustomControl(TComponent* owner) : TCustomControl(owner) {}

bool GsCustomControl::ContainsPoint(int x, int y)
{
    return x >= 0 && x < Width() && y >= 0 && y < Height();
}

void GsCustomControl::SetEnabled(bool enabled)
{
    TCustomControl::SetEnabled(enabled);
    Invalidate();
}

void GsCustomControl::StartMouseTracking()
{
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE | (m_repeated ? TME_HOVER : 0);
    track.hwndTrack = Handle();
    track.dwHoverTime = HOVER_DEFAULT;
    TrackMouseEvent(&track);
}

void GsCustomControl::WndProc(TMessage& message)
{
    // The face covers the whole control: a system erase would only make it flicker.
    if (message.Msg == WM_ERASEBKGND) {
        message.Result = 1;
        return;
    }
    TCustomControl::WndProc(message);
}

void GsCustomControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEHOVER:
        WMMouseHover(message);
        return;
    case WM_MOUSELEAVE:
        WMMouseLeave(message);
        return;
    default:
        TCustomControl::Dispatch(message);
        return;
    }
}

void GsCustomControl::WMMouseLeave(TMessage&)
{
    m_mouseInside = false;
    Paint();
    FireEvent(OnMouseLeave, this);
}

void GsCustomControl::WMMouseHover(TMessage& message)
{
    WPARAM keys = message.WParam;
    // Wine posts the message without the button flags; the queue's key state has them,
    // and on Windows it agrees with wParam.
    if (!(keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
        if (GetKeyState(VK_LBUTTON) < 0)
            keys |= MK_LBUTTON;
        if (GetKeyState(VK_RBUTTON) < 0)
            keys |= MK_RBUTTON;
        if (GetKeyState(VK_MBUTTON) < 0)
            keys |= MK_MBUTTON;
    }
    // The hover message carries the buttons and Shift and Ctrl only; Alt is not read.
    const TShiftState shift = MouseShiftState(keys) & ~ssAlt;
    const int x = LOWORD(message.LParam);
    const int y = HIWORD(message.LParam);
    TMouseButton button;
    if (keys & MK_LBUTTON)
        button = mbLeft;
    else if (keys & MK_RBUTTON)
        button = mbRight;
    else if (keys & MK_MBUTTON)
        button = mbMiddle;
    else {
        StartMouseTracking();
        return;
    }
    MouseDown(button, shift, x, y);
    StartMouseTracking();
}

void GsCustomControl::MouseMove(TShiftState shift, int x, int y)
{
    if (ContainsPoint(x, y)) {
        if (!m_mouseInside) {
            StartMouseTracking();
            m_mouseInside = true;
            Paint();
            FireEvent(OnMouseEnter, this);
        }
    } else if (m_mouseInside) {
        m_mouseInside = false;
        Paint();
    }
    TCustomControl::MouseMove(shift, x, y);
}

void GsCustomControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && !m_mousePressed) {
        m_mousePressed = true;
        Paint();
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void GsCustomControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && m_mousePressed) {
        m_mousePressed = false;
        Paint();
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void GsCustomControl::KeyDown(WORD& key, TShiftState shift)
{
    if ((key == VK_SPACE || key == VK_RETURN) && !m_keyPressed) {
        m_keyPressed = true;
        Paint();
    }
    TCustomControl::KeyDown(key, shift);
}

void GsCustomControl::KeyUp(WORD& key, TShiftState shift)
{
    if ((key == VK_SPACE || key == VK_RETURN) && m_keyPressed) {
        m_keyPressed = false;
        Paint();
    }
    TCustomControl::KeyUp(key, shift);
}

void GsCustomControl::DoEnter()
{
    Paint();
    TCustomControl::DoEnter();
}

void GsCustomControl::DoExit()
{
    Paint();
    TCustomControl::DoExit();
}

}  // namespace gs
