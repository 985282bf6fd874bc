#pragma once
// Controls that paint themselves through a Canvas: TCustomControl has a window of its
// own, TGraphicControl draws on its parent's.
#include "framework/WinControls.h"

#include <memory>

// A canvas over a control's device context. During a paint it borrows the paint DC;
// at other times it takes the window's DC (a non-windowed control's origin and clip
// moved onto its bounds) and gives it back after the message being handled.
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl* control) : m_control(control) {}
    ~TControlCanvas() override;

    // Gives back a DC the canvas took itself; a borrowed one is only let go.
    void FreeHandle();
    // Gives back every DC that control canvases took; called once a message is handled.
    static void FreeDeviceContexts();

protected:
    void CreateHandle() override;

private:
    TControl* m_control;  // borrowed: the control owns this canvas
    WindowDC m_dc;
};

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;

    TCanvas* Canvas() const { return m_canvas.get(); }

protected:
    // Draws the control on Canvas; called with the paint DC selected.
    virtual void Paint();
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TControlCanvas> m_canvas;
};

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;

    TCanvas* Canvas() const { return m_canvas.get(); }

protected:
    virtual void Paint();
    // WM_PAINT with the parent's DC (origin at the control's corner) calls Paint.
    void Dispatch(TMessage& message) override;

private:
    std::unique_ptr<TControlCanvas> m_canvas;
};
