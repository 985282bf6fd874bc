#pragma once
#include "framework/CustomControls.h"

namespace gs {

// A windowed control that keeps three input flags (pointer inside, Space or Enter held,
// left button held) and paints synchronously whenever one of them, the focus or the
// enabled state changes. The background is never erased by the system.
class GsCustomControl : public TCustomControl {
public:
    explicit GsCustomControl(TComponent* owner);

    bool Repeated() const { return m_repeated; }
    void SetRepeated(bool repeated) { m_repeated = repeated; }
    void SetEnabled(bool enabled) override;

    virtual bool ContainsPoint(int x, int y);

    bool MouseInside() const { return m_mouseInside; }
    bool KeyPressed() const { return m_keyPressed; }
    bool MousePressed() const { return m_mousePressed; }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;

    TBitmap* m_inputBkgnd = nullptr;  // borrowed: the parent's background

private:
    void StartMouseTracking();
    void WMMouseLeave(TMessage& message);
    void WMMouseHover(TMessage& message);

    bool m_repeated = false;
    bool m_mouseInside = false;
    bool m_keyPressed = false;
    bool m_mousePressed = false;
};

}  // namespace gs
