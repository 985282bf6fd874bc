#include "framework/Controls.h"

#include "framework/Application.h"
#include "framework/Assert.h"
#include "framework/Menus.h"
#include "framework/WinControls.h"

#include <windowsx.h>

#include <algorithm>

TShiftState MouseShiftState(WPARAM keys)
{
    TShiftState shift = 0;
    if (keys & MK_SHIFT)
        shift |= ssShift;
    if (keys & MK_CONTROL)
        shift |= ssCtrl;
    if (keys & MK_LBUTTON)
        shift |= ssLeft;
    if (keys & MK_RBUTTON)
        shift |= ssRight;
    if (keys & MK_MBUTTON)
        shift |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    return shift;
}

TShiftState KeyboardShiftState()
{
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        shift |= ssAlt;
    return shift;
}

TControl::TControl(TComponent* owner) : TComponent(owner), m_font(std::make_unique<TFont>())
{
    m_font->OnChange = Bind(this, &TControl::FontChanged);
    WindowProc = Bind(this, &TControl::WndProc);
}

TControl::~TControl()
{
    WindowProc = Bind(this, &TControl::WndProc);  // a replacement may be gone already
    if (m_parent)
        m_parent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == m_parent)
        return;
    ASSERT(parent != this);
    if (m_parent)
        m_parent->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

bool TControl::CheckNewSize(int& newWidth, int& newHeight)
{
    int width = newWidth;
    int height = newHeight;
    if (!CanResize(width, height))
        return false;
    if (m_autoSize) {
        int autoWidth = width;
        int autoHeight = height;
        if (CanAutoSize(autoWidth, autoHeight)) {
            width = autoWidth;
            height = autoHeight;
        }
    }
    newWidth = std::max(0, width);
    newHeight = std::max(0, height);
    return true;
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (!CheckNewSize(width, height)) {
        width = m_width;
        height = m_height;
    }
    if (left == m_left && top == m_top && width == m_width && height == m_height)
        return;
    const TRect old = BoundsRect();
    SetBoundsFields(TRect(left, top, left + width, top + height));
    BoundsChanged(old);
    if (m_parent && m_align != alNone)
        m_parent->Realign();
}

void TControl::SetBoundsFields(const TRect& bounds)
{
    m_left = bounds.Left;
    m_top = bounds.Top;
    m_width = bounds.Width();
    m_height = bounds.Height();
}

void TControl::BoundsChanged(const TRect& oldBounds)
{
    const bool erase = !(m_controlStyle & csOpaque);
    InvalidateControl(oldBounds, true);
    InvalidateControl(BoundsRect(), erase);
    if (oldBounds.Width() != m_width || oldBounds.Height() != m_height)
        Resize();
}

TRect TControl::ClientRect() const
{
    return TRect(0, 0, m_width, m_height);
}

void TControl::SetClientWidth(int width)
{
    SetWidth(m_width - ClientWidth() + width);
}

void TControl::SetClientHeight(int height)
{
    SetHeight(m_height - ClientHeight() + height);
}

TPoint TControl::ClientToScreen(const TPoint& point) const
{
    auto* self = dynamic_cast<const TWinControl*>(this);
    if (self && self->m_handle) {
        POINT p{point.X, point.Y};
        ::ClientToScreen(self->m_handle, &p);
        return TPoint(p.x, p.y);
    }
    if (m_parent)
        return m_parent->ClientToScreen(TPoint(point.X + m_left, point.Y + m_top));
    return TPoint(point.X + m_left, point.Y + m_top);
}

TPoint TControl::ScreenToClient(const TPoint& point) const
{
    const TPoint origin = ClientToScreen(TPoint(0, 0));
    return TPoint(point.X - origin.X, point.Y - origin.Y);
}

void TControl::SetVisible(bool visible)
{
    if (visible == m_visible)
        return;
    m_visible = visible;
    VisibleChanged();
    if (m_parent && m_align != alNone)
        m_parent->Realign();
}

void TControl::VisibleChanged()
{
    InvalidateControl(BoundsRect(), true);
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    Invalidate();
}

void TControl::SetAlign(TAlign align)
{
    if (align == m_align)
        return;
    m_align = align;
    if (m_parent)
        m_parent->Realign();
}

void TControl::SetAutoSize(bool autoSize)
{
    if (autoSize == m_autoSize)
        return;
    m_autoSize = autoSize;
    if (autoSize)
        AdjustSize();
}

void TControl::AdjustSize()
{
    SetBounds(m_left, m_top, m_width, m_height);
}

void TControl::SetColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    ColorChanged();
}

void TControl::ColorChanged()
{
    Invalidate();
}

void TControl::SetText(const std::string& text)
{
    if (text == m_text)
        return;
    m_text = text;
    TextChanged();
}

void TControl::TextChanged()
{
    Invalidate();
}

void TControl::FontChanged(TObject*)
{
    Invalidate();
}

void TControl::SetHint(const std::string& hint)
{
    if (hint == m_hint)
        return;
    m_hint = hint;
    if (Application)
        Application->HintChanged(this);
}

bool TControl::ShowHint() const
{
    if (m_parentShowHint && m_parent)
        return m_parent->ShowHint();
    return m_showHint;
}

void TControl::SetShowHint(bool show)
{
    m_showHint = show;
    m_parentShowHint = false;
}

void TControl::SetPopupMenu(TPopupMenu* menu)
{
    if (menu == m_popupMenu)
        return;
    if (m_popupMenu)
        RemoveFreeNotification(m_popupMenu);
    m_popupMenu = menu;
    if (menu)
        FreeNotification(menu);
}

void TControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == m_popupMenu)
        m_popupMenu = nullptr;
}

void TControl::InvalidateControl(const TRect& rect, bool erase)
{
    if (IsDestroying() || !m_parent || !m_parent->HandleAllocated() || m_parent->IsDestroying())
        return;
    if (m_parent->ControlStyle() & csOpaque)
        erase = false;
    const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    if (m_parent->m_gathering > 0) {
        m_parent->m_gathered.push_back(r);
        m_parent->m_gatheredErase = m_parent->m_gatheredErase || erase;
        return;
    }
    InvalidateRect(m_parent->m_handle, &r, erase);
}

void TControl::Invalidate()
{
    if (m_visible)
        InvalidateControl(BoundsRect(), !(m_controlStyle & csOpaque));
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::Update()
{
    if (m_parent)
        m_parent->Update();
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message{msg, wParam, lParam, 0};
    WindowProc(message);
    return message.Result;
}

bool TControl::MouseCapture() const
{
    if (auto* self = dynamic_cast<const TWinControl*>(this))
        return self->m_handle && GetCapture() == self->m_handle;
    return m_parent && m_parent->m_captureControl == this && m_parent->m_handle &&
           GetCapture() == m_parent->m_handle;
}

void TControl::SetMouseCapture(bool capture)
{
    if (capture == MouseCapture())
        return;
    if (!capture) {
        ReleaseCapture();
        return;
    }
    if (auto* self = dynamic_cast<TWinControl*>(this)) {
        SetCapture(self->Handle());
    } else if (m_parent && m_parent->HandleAllocated()) {
        SetCapture(m_parent->m_handle);
        m_parent->m_captureControl = this;  // set after: SetCapture reports the old capture lost
    }
}

void TControl::WndProc(TMessage& message)
{
    if (message.Msg == WM_LBUTTONDBLCLK && !(m_controlStyle & csDoubleClicks))
        message.Msg = WM_LBUTTONDOWN;
    Dispatch(message);
}

void TControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        HandleMouse(message, mbLeft, true);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        HandleMouse(message, mbRight, true);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        HandleMouse(message, mbMiddle, true);
        break;
    case WM_LBUTTONUP:
        HandleMouse(message, mbLeft, false);
        break;
    case WM_RBUTTONUP:
        HandleMouse(message, mbRight, false);
        break;
    case WM_MBUTTONUP:
        HandleMouse(message, mbMiddle, false);
        break;
    case WM_MOUSEMOVE:
        Application->HintMouseMessage(this);
        MouseMove(MouseShiftState(message.WParam), GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
        break;
    default:
        break;
    }
    DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::HandleMouse(TMessage& message, TMouseButton button, bool down)
{
    TShiftState shift = MouseShiftState(message.WParam);
    const int x = GET_X_LPARAM(message.LParam);
    const int y = GET_Y_LPARAM(message.LParam);
    const bool isDouble = message.Msg == WM_LBUTTONDBLCLK || message.Msg == WM_RBUTTONDBLCLK ||
                          message.Msg == WM_MBUTTONDBLCLK;
    if (down) {
        if (m_controlStyle & csCaptureMouse)
            SetMouseCapture(true);
        if (isDouble) {
            shift |= ssDouble;
            if (button == mbLeft && (m_controlStyle & csClickEvents))
                DblClick();
        } else if (button == mbLeft && (m_controlStyle & csClickEvents)) {
            m_clicked = true;
        }
        MouseDown(button, shift, x, y);
        return;
    }
    // Only a capture the framework took is given back: a system control keeps its own.
    if ((m_controlStyle & csCaptureMouse) && !(message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)))
        SetMouseCapture(false);
    if (button == mbLeft && m_clicked) {
        m_clicked = false;
        const TRect client = ClientRect();
        if (x >= client.Left && x < client.Right && y >= client.Top && y < client.Bottom)
            Click();
    }
    MouseUp(button, shift, x, y);
}

bool TControl::CanResize(int& newWidth, int& newHeight)
{
    bool resize = true;
    FireEvent(OnCanResize, this, newWidth, newHeight, resize);
    return resize;
}

bool TControl::CanAutoSize(int&, int&)
{
    return true;
}

void TControl::Resize()
{
    FireEvent(OnResize, this);
}

void TControl::Click()
{
    FireEvent(OnClick, this);
}

void TControl::DblClick()
{
    FireEvent(OnDblClick, this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    FireEvent(OnMouseDown, this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    FireEvent(OnMouseUp, this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    FireEvent(OnMouseMove, this, shift, x, y);
}

void TControl::DoContextPopup(TPoint mousePos, bool& handled)
{
    FireEvent(OnContextPopup, this, mousePos, handled);
}
