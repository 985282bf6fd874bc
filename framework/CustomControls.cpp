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
    m_canvas->FreeHandle();
    m_canvas->SetHandle(dc);
    try {
        Paint();
    } catch (...) {
        m_canvas->SetHandle(nullptr);
        throw;
    }
    m_canvas->SetHandle(nullptr);
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
    m_canvas->FreeHandle();
    m_canvas->SetHandle(reinterpret_cast<HDC>(message.WParam));
    try {
        Paint();
    } catch (...) {
        m_canvas->SetHandle(nullptr);
        throw;
    }
    m_canvas->SetHandle(nullptr);
}
