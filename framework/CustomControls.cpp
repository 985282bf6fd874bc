#include "framework/CustomControls.h"

#include <algorithm>
#include <vector>

namespace {

// Canvases holding a DC they took with GetDC; borrowed.
std::vector<TControlCanvas*>& CanvasesWithDC()
{
    static std::vector<TControlCanvas*> list;
    return list;
}

// Lends the paint DC to a control's canvas for one Paint call and takes it back on
// every path, so the canvas never keeps a DC that WM_PAINT's caller will release.
class LentPaintDC {
public:
    LentPaintDC(TControlCanvas* canvas, HDC dc) : m_canvas(canvas)
    {
        m_canvas->FreeHandle();
        m_canvas->SetHandle(dc);
    }
    ~LentPaintDC() { m_canvas->SetHandle(nullptr); }
    LentPaintDC(const LentPaintDC&) = delete;
    LentPaintDC& operator=(const LentPaintDC&) = delete;

private:
    TControlCanvas* m_canvas;  // borrowed
};

}  // namespace

TControlCanvas::~TControlCanvas()
{
    FreeHandle();
}

void TControlCanvas::CreateHandle()
{
    HWND window = nullptr;
    TRect bounds;
    if (auto* windowed = dynamic_cast<TWinControl*>(m_control)) {
        window = windowed->Handle();
    } else if (m_control->Parent() && m_control->Parent()->HandleAllocated()) {
        window = m_control->Parent()->Handle();
        bounds = m_control->BoundsRect();
    }
    if (!window)
        return;  // a control off any window cannot be drawn
    WindowDC dc(window);
    if (!dc)
        return;
    if (!dynamic_cast<TWinControl*>(m_control)) {
        SetViewportOrgEx(dc.Get(), bounds.Left, bounds.Top, nullptr);
        IntersectClipRect(dc.Get(), 0, 0, bounds.Width(), bounds.Height());
    }
    m_dc = std::move(dc);
    SetHandle(m_dc.Get());
    CanvasesWithDC().push_back(this);
}

void TControlCanvas::FreeHandle()
{
    SetHandle(nullptr);
    if (!m_dc)
        return;
    m_dc.Reset();
    auto& list = CanvasesWithDC();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TControlCanvas::FreeDeviceContexts()
{
    auto& list = CanvasesWithDC();
    while (!list.empty())
        list.back()->FreeHandle();
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), m_canvas(std::make_unique<TControlCanvas>(this))
{
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow(HDC dc)
{
    LentPaintDC lent(m_canvas.get(), dc);
    Paint();
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), m_canvas(std::make_unique<TControlCanvas>(this))
{
}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::Paint() {}

void TGraphicControl::Dispatch(TMessage& message)
{
    if (message.Msg != WM_PAINT || !message.WParam) {
        TControl::Dispatch(message);
        return;
    }
    LentPaintDC lent(m_canvas.get(), reinterpret_cast<HDC>(message.WParam));
    Paint();
}
