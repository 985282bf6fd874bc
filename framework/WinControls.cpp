#include "framework/WinControls.h"

#include "framework/Application.h"
#include "framework/Assert.h"
#include "framework/CustomControls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/SysUtils.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace {

// The window property that names a control's object on its window, for FindControl.
const char kControlProperty[] = "TWinControl";

}  // namespace

// Every control window's procedure: the object rides with its window from WM_NCCREATE
// (it comes in lpCreateParams) and gets every message through its WindowProc.
LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!control) {
        if (msg != WM_NCCREATE)
            return DefWindowProcA(window, msg, wParam, lParam);
        control = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        if (!control)
            return DefWindowProcA(window, msg, wParam, lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
        SetPropA(window, kControlProperty, control);
        control->m_handle = window;
    }
    LRESULT result = 0;
    if (control->m_destroyingHandle || control->IsDestroying()) {
        // Nothing of the object runs while its window or the object itself goes.
        result = CallWindowProcA(control->m_defWndProc, window, msg, wParam, lParam);
    } else {
        static int depth = 0;  // messages sent while one is handled nest
        TMessage message{msg, wParam, lParam, 0};
        ++depth;
        Application->Guarded([&] { control->WindowProc(message); });
        if (--depth == 0)
            TControlCanvas::FreeDeviceContexts();
        result = message.Result;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        RemovePropA(window, kControlProperty);
        control->m_handle = nullptr;
    }
    return result;
}

TWinControl* FindControl(HWND window)
{
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId())
        return nullptr;
    // The property, not the window procedure: a Win32 subclass replaces the procedure.
    return static_cast<TWinControl*>(GetPropA(window, kControlProperty));
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner)
{
    WindowProc = Bind(this, &TWinControl::WndProc);
}

TWinControl::~TWinControl()
{
    WindowProc = Bind(this, &TWinControl::WndProc);  // a replacement may be gone already
    // A bare delete: the destroying phase that Free runs first, as far as it still can.
    BeginDestruction();
    DestroyHandle();
    DestroyComponents();
    // The other children are their owners' to free; their windows died with ours.
    while (!m_controls.empty())
        RemoveControl(m_controls.back());
}

void TWinControl::BeforeDestruction()
{
    DestroyHandle();
    TControl::BeforeDestruction();
}

TControl* TWinControl::Controls(int index) const
{
    ASSERT(index >= 0 && index < ControlCount());
    return m_controls[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* control)
{
    m_controls.push_back(control);
    control->m_parent = this;
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        m_tabList.push_back(windowed);
        if (windowed->m_handle) {
            if (m_handle)
                ::SetParent(windowed->m_handle, m_handle);
            else
                windowed->DestroyHandle();
        } else if (m_handle) {
            windowed->CreateHandle();
        }
    } else {
        control->Invalidate();
    }
    if (control->Align() != alNone)
        Realign();
}

void TWinControl::RemoveControl(TControl* control)
{
    auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it == m_controls.end())
        return;
    if (m_captureControl == control) {
        m_captureControl = nullptr;
        if (m_handle && GetCapture() == m_handle)
            ReleaseCapture();
    }
    // A control being freed no longer invalidates itself: where it was is repainted here.
    if (m_handle && !IsDestroying() && control->Visible() && !dynamic_cast<TWinControl*>(control)) {
        const TRect bounds = control->BoundsRect();
        const RECT r{bounds.Left, bounds.Top, bounds.Right, bounds.Bottom};
        InvalidateRect(m_handle, &r, !(ControlStyle() & csOpaque));
    }
    m_controls.erase(it);
    m_tabList.erase(std::remove(m_tabList.begin(), m_tabList.end(), control), m_tabList.end());
    control->m_parent = nullptr;
    if (control->Align() != alNone)
        Realign();
}

TControl* TWinControl::ControlAtPos(const TPoint& point, bool allowDisabled) const
{
    for (auto it = m_controls.rbegin(); it != m_controls.rend(); ++it) {
        TControl* control = *it;
        if (dynamic_cast<TWinControl*>(control) || !control->Visible() ||
            (!control->Enabled() && !allowDisabled))
            continue;
        const TRect r = control->BoundsRect();
        if (point.X >= r.Left && point.X < r.Right && point.Y >= r.Top && point.Y < r.Bottom)
            return control;
    }
    return nullptr;
}

HWND TWinControl::Handle()
{
    CreateHandle();
    return m_handle;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = Text();
    params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (ControlStyle() & csAcceptsControls)
        params.Style |= WS_CLIPCHILDREN;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (m_tabStop)
        params.Style |= WS_TABSTOP;
    if (Visible())
        params.Style |= WS_VISIBLE;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WndParent = Parent() ? Parent()->Handle() : m_parentWindow;
    params.WindowClass.style = CS_HREDRAW | CS_VREDRAW | ((ControlStyle() & csDoubleClicks) ? CS_DBLCLKS : 0);
    params.WindowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& params, const char* systemClassName)
{
    WNDCLASSA systemClass{};
    if (!GetClassInfoA(nullptr, systemClassName, &systemClass))
        throw EOutOfResources(Format("Window class %s is missing", systemClassName));
    m_defWndProc = systemClass.lpfnWndProc;
    params.WindowClass = systemClass;
}

void TWinControl::RegisterWindowClass(const TCreateParams& params)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA existing{};
    if (GetClassInfoA(instance, params.WinClassName.c_str(), &existing))
        return;
    WNDCLASSA wc = params.WindowClass;
    wc.lpfnWndProc = ControlWindowProc;
    wc.hInstance = instance;
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClassA(&wc))
        throw EOutOfResources(Format("Cannot register window class %s (error %lu)", params.WinClassName.c_str(),
                                     GetLastError()));
}

void TWinControl::CreateHandle()
{
    if (m_handle)
        return;
    // A parent that makes its window now makes its children's too, this one's included.
    if (Parent())
        Parent()->HandleNeeded();
    if (m_handle)
        return;
    CreateWnd();
    SendMessageA(m_handle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), FALSE);
    for (TWinControl* child : m_tabList)
        child->CreateHandle();
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent)
        throw Exception(Format("Control '%s' has no parent window", Name().c_str()));
    RegisterWindowClass(params);
    HWND window = CreateWindowExA(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                                  params.X, params.Y, params.Width, params.Height, params.WndParent, nullptr,
                                  GetModuleHandleA(nullptr), this);
    if (!window)
        throw EOutOfResources(Format("Cannot create a window of class %s (error %lu)", params.WinClassName.c_str(),
                                     GetLastError()));
    m_handle = window;
}

void TWinControl::DestroyHandle()
{
    if (!m_handle)
        return;
    m_captureControl = nullptr;
    m_destroyingHandle = true;
    DestroyWindow(m_handle);
    m_destroyingHandle = false;
    m_handle = nullptr;
    m_gathered.clear();  // a new window is painted whole
}

TRect TWinControl::ClientRect() const
{
    RECT r;
    if (m_handle && GetClientRect(m_handle, &r))
        return TRect(r.left, r.top, r.right, r.bottom);
    return TControl::ClientRect();
}

void TWinControl::BoundsChanged(const TRect& oldBounds)
{
    if (m_handle) {
        // WM_WINDOWPOSCHANGED reads the bounds back; WM_SIZE realigns and resizes.
        SetWindowPos(m_handle, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (oldBounds.Width() != Width() || oldBounds.Height() != Height()) {
        Realign();
        Resize();
    }
}

void TWinControl::UpdateBounds()
{
    RECT r;
    if (!GetWindowRect(m_handle, &r))
        return;
    if (GetWindowLongA(m_handle, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(HWND_DESKTOP, GetParent(m_handle), reinterpret_cast<POINT*>(&r), 2);
    SetBoundsFields(TRect(r.left, r.top, r.right, r.bottom));
}

void TWinControl::SetEnabled(bool enabled)
{
    if (enabled == Enabled())
        return;
    TControl::SetEnabled(enabled);
    if (m_handle)
        EnableWindow(m_handle, enabled);
}

void TWinControl::TextChanged()
{
    if (m_handle)
        SetWindowTextA(m_handle, Text().c_str());
    Invalidate();
}

void TWinControl::VisibleChanged()
{
    if (m_handle)
        ShowWindow(m_handle, Visible() ? SW_SHOWNA : SW_HIDE);
}

void TWinControl::FontChanged(TObject* sender)
{
    if (m_handle)
        SendMessageA(m_handle, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), FALSE);
    TControl::FontChanged(sender);
}

void TWinControl::Invalidate()
{
    if (m_handle && !IsDestroying())
        InvalidateRect(m_handle, nullptr, !(ControlStyle() & csOpaque));
}

void TWinControl::Repaint()
{
    Invalidate();
    Update();
}

void TWinControl::Update()
{
    InvalidateGathered();
    if (m_handle)
        UpdateWindow(m_handle);
}

void TWinControl::InvalidateGathered()
{
    if (m_gathered.empty())
        return;
    // The erase flag belongs to the window's whole update region, so one call with the
    // flag of any of them is what the separate calls would have left.
    if (m_handle && !IsDestroying()) {
        if (m_gathered.size() == 1) {
            InvalidateRect(m_handle, &m_gathered.front(), m_gatheredErase);
        } else {
            RegionHandle area(CreateRectRgnIndirect(&m_gathered.front()));
            RegionHandle next(CreateRectRgn(0, 0, 0, 0));
            if (area && next) {
                for (size_t i = 1; i < m_gathered.size(); ++i) {
                    const RECT& r = m_gathered[i];
                    SetRectRgn(next.Get(), r.left, r.top, r.right, r.bottom);
                    CombineRgn(area.Get(), area.Get(), next.Get(), RGN_OR);
                }
                InvalidateRgn(m_handle, area.Get(), m_gatheredErase);
            } else {
                for (const RECT& r : m_gathered)  // no region to be had: one by one
                    InvalidateRect(m_handle, &r, m_gatheredErase);
            }
        }
    }
    m_gathered.clear();
    m_gatheredErase = false;
}

bool TWinControl::PaintGathered()
{
    if (!m_doubleBuffered || !m_handle || IsDestroying() || !IsWindowVisible(m_handle) ||
        IsIconic(m_handle))
        return false;
    RECT box = m_gathered.front();
    for (const RECT& r : m_gathered)
        UnionRect(&box, &box, &r);
    const WindowDC dc(m_handle);
    if (!dc.Get() || !PaintBuffered(dc.Get(), box))
        return false;
    m_gathered.clear();
    m_gatheredErase = false;
    return true;
}

TInvalidationScope::TInvalidationScope(TWinControl* control, bool paintAtEnd) : m_control(control)
{
    ++m_control->m_gathering;
    m_control->m_paintGathered = m_control->m_paintGathered || paintAtEnd;
}

TInvalidationScope::~TInvalidationScope()
{
    if (--m_control->m_gathering != 0)
        return;
    const bool paint = m_control->m_paintGathered;
    m_control->m_paintGathered = false;
    if (m_control->m_gathered.empty())
        return;
    // A paint that fails part way leaves the areas to the window's own paint, which meets
    // the failure again where it is reported.
    try {
        if (paint && m_control->PaintGathered())
            return;
    } catch (...) {
    }
    m_control->InvalidateGathered();
}

bool TWinControl::Focused() const
{
    return m_handle && GetFocus() == m_handle;
}

bool TWinControl::CanFocus() const
{
    for (const TControl* control = this; control; control = control->Parent())
        if (!control->Visible() || !control->Enabled())
            return false;
    return true;
}

void TWinControl::SetFocus()
{
    if (!IsDestroying())
        ::SetFocus(Handle());
}

void TWinControl::SetTabStop(bool tabStop)
{
    if (tabStop == m_tabStop)
        return;
    m_tabStop = tabStop;
    if (m_handle) {
        const LONG style = GetWindowLongA(m_handle, GWL_STYLE);
        SetWindowLongA(m_handle, GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
}

int TWinControl::TabOrder() const
{
    if (!Parent())
        return -1;
    const auto& list = Parent()->m_tabList;
    return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int order)
{
    if (!Parent())
        return;
    auto& list = Parent()->m_tabList;
    list.erase(std::find(list.begin(), list.end(), this));
    order = std::max(0, std::min(order, static_cast<int>(list.size())));
    list.insert(list.begin() + order, this);
}

void TWinControl::CollectTabList(std::vector<TWinControl*>& list)
{
    for (TWinControl* child : m_tabList) {
        list.push_back(child);
        child->CollectTabList(list);
    }
}

void TWinControl::SelectNext(TWinControl* current, bool forward)
{
    std::vector<TWinControl*> list;
    CollectTabList(list);
    if (list.empty())
        return;
    const int count = static_cast<int>(list.size());
    int start = static_cast<int>(std::find(list.begin(), list.end(), current) - list.begin());
    if (start == count)
        start = forward ? count - 1 : 0;
    for (int step = 1; step <= count; ++step) {
        const int index = ((start + (forward ? step : -step)) % count + count) % count;
        TWinControl* candidate = list[static_cast<size_t>(index)];
        if (candidate->TabStop() && candidate->CanFocus()) {
            candidate->SetFocus();
            return;
        }
    }
}

void TWinControl::Realign()
{
    // While its description is read, Loaded aligns once at the end; the children that
    // an alignment moves ask for none of their own.
    if (IsDestroying() || (ComponentState() & csLoading) || m_aligning)
        return;
    TFlagScope aligning(m_aligning);
    TRect rect = ClientRect();
    AlignControls(rect);
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    Realign();
}

void TWinControl::AlignControls(TRect& rect)
{
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (TControl* control : m_controls) {
            if (control->Align() != align || !control->Visible())
                continue;
            const int w = control->Width();
            const int h = control->Height();
            switch (align) {
            case alTop:
                control->SetBounds(rect.Left, rect.Top, rect.Width(), h);
                rect.Top += control->Height();
                break;
            case alBottom:
                control->SetBounds(rect.Left, rect.Bottom - h, rect.Width(), h);
                rect.Bottom -= control->Height();
                break;
            case alLeft:
                control->SetBounds(rect.Left, rect.Top, w, rect.Height());
                rect.Left += control->Width();
                break;
            case alRight:
                control->SetBounds(rect.Right - w, rect.Top, w, rect.Height());
                rect.Right -= control->Width();
                break;
            default:
                control->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
                break;
            }
        }
    }
}

void TWinControl::WndProc(TMessage& message)
{
    const bool mouse = message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MBUTTONDBLCLK;
    if (mouse && RouteMouseToControl(message))
        return;
    TControl::WndProc(message);
}

bool TWinControl::RouteMouseToControl(TMessage& message)
{
    TControl* target = nullptr;
    if (m_handle && GetCapture() == m_handle)
        target = m_captureControl;
    else
        target = ControlAtPos(TPoint(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)), false);
    if (!target)
        return false;
    const int x = GET_X_LPARAM(message.LParam) - target->Left();
    const int y = GET_Y_LPARAM(message.LParam) - target->Top();
    message.Result = target->Perform(message.Msg, message.WParam, MAKELPARAM(x, y));
    if (message.Result == 0)
        DefaultHandler(message);  // right-button release still makes WM_CONTEXTMENU
    return true;
}

void TWinControl::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_PAINT:
        WMPaint(message);
        return;
    case WM_ERASEBKGND:
        // With double buffering the background is drawn into the buffer (wParam equals
        // lParam there); the window's own erase is skipped.
        if (!m_doubleBuffered || message.WParam == static_cast<WPARAM>(message.LParam))
            EraseBackground(reinterpret_cast<HDC>(message.WParam));
        message.Result = 1;
        return;
    case WM_WINDOWPOSCHANGED:
        UpdateBounds();
        DefaultHandler(message);
        return;
    case WM_SIZE:
        Realign();
        Resize();
        DefaultHandler(message);
        return;
    case WM_CAPTURECHANGED:
        m_captureControl = nullptr;
        DefaultHandler(message);
        return;
    case WM_COMMAND:
        ReflectCommand(message);
        return;
    case WM_CONTEXTMENU:
        ShowContextMenu(message);
        return;
    case WM_SETFOCUS: {
        DefaultHandler(message);
        DoEnter();
        TForm* form = GetParentForm(this);
        if (form && form != this)
            form->SetActiveControl(this);
        return;
    }
    case WM_KILLFOCUS:
        DefaultHandler(message);
        DoExit();
        return;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(message.WParam);
        const TShiftState shift = KeyboardShiftState();
        TForm* form = GetParentForm(this);
        const bool navigation = key == VK_TAB || (key >= VK_LEFT && key <= VK_DOWN);
        if (form && navigation && message.Msg == WM_KEYDOWN)
            form->ShowFocusCues();
        if (form && form != this && form->KeyPreview()) {
            static_cast<TWinControl*>(form)->KeyDown(key, shift);
            if (key == 0)
                return;
        }
        KeyDown(key, shift);
        if (key == 0)
            return;
        if (key == VK_TAB && message.Msg == WM_KEYDOWN && !(shift & (ssAlt | ssCtrl))) {
            TWinControl* root = this;
            while (root->Parent())
                root = root->Parent();
            root->SelectNext(this, !(shift & ssShift));
            return;
        }
        message.WParam = key;
        DefaultHandler(message);
        return;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = static_cast<WORD>(message.WParam);
        KeyUp(key, KeyboardShiftState());
        if (key == 0)
            return;
        message.WParam = key;
        DefaultHandler(message);
        return;
    }
    case WM_CHAR: {
        char key = static_cast<char>(message.WParam);
        KeyPress(key);
        if (key == 0)
            return;
        message.WParam = static_cast<unsigned char>(key);
        DefaultHandler(message);
        return;
    }
    default:
        TControl::Dispatch(message);
        return;
    }
}

void TWinControl::DefaultHandler(TMessage& message)
{
    if (m_handle)
        message.Result = CallWindowProcA(m_defWndProc, m_handle, message.Msg, message.WParam, message.LParam);
}

void TWinControl::ReflectCommand(TMessage& message)
{
    TWinControl* child = message.LParam ? FindControl(reinterpret_cast<HWND>(message.LParam)) : nullptr;
    if (child && child != this && child->Parent() == this)
        message.Result = child->Perform(CN_COMMAND, message.WParam, message.LParam);
    else
        DefaultHandler(message);
}

void TWinControl::ShowContextMenu(TMessage& message)
{
    const bool fromKeyboard = message.LParam == -1;
    TPoint screen(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam));
    if (fromKeyboard)
        screen = ClientToScreen(TPoint(Width() / 2, Height() / 2));
    TControl* target = ControlAtPos(ScreenToClient(screen), false);
    if (!target)
        target = this;
    bool handled = false;
    target->DoContextPopup(fromKeyboard ? TPoint(-1, -1) : target->ScreenToClient(screen), handled);
    if (handled)
        return;
    TPopupMenu* menu = target->PopupMenu() ? target->PopupMenu() : PopupMenu();
    if (!menu) {
        DefaultHandler(message);  // the parent may have one
        return;
    }
    menu->Popup(screen.X, screen.Y);
}

namespace {

// BeginPaint for one scope: EndPaint also runs when painting throws, or the window
// would ask to be painted again and again.
class PaintScope {
public:
    explicit PaintScope(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_ps); }
    ~PaintScope() { EndPaint(m_window, &m_ps); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return m_dc; }
    const RECT& update() const { return m_ps.rcPaint; }

private:
    HWND m_window;  // borrowed
    PAINTSTRUCT m_ps{};
    HDC m_dc = nullptr;  // borrowed from the window for the scope
};

}  // namespace

void TWinControl::WMPaint(TMessage& message)
{
    if (message.WParam) {  // painting into a given DC: the double buffer, or a parent's print
        HDC dc = reinterpret_cast<HDC>(message.WParam);
        PaintWindow(dc);
        PaintControls(dc);
        return;
    }
    PaintScope paint(m_handle);
    HDC dc = paint.dc();
    if (!dc)
        return;
    if (!m_doubleBuffered) {
        PaintWindow(dc);
        PaintControls(dc);
        return;
    }
    PaintBuffered(dc, paint.update());
}

bool TWinControl::PaintBuffered(HDC dc, const RECT& update)
{
    // The buffer covers only the area to repaint, with its origin moved so that client
    // coordinates land on it: what lies outside is neither drawn nor copied. It is a
    // 32-bit DIB drawn on through its own canvas, so that pixel code can find it behind
    // the DC (TBitmapCanvas::PixelTargetOf) and write into its bits instead of copying them
    // out and back. A kept one is cleared, so every paint starts from black as a new one.
    const int width = update.right - update.left;
    const int height = update.bottom - update.top;
    if (width <= 0 || height <= 0)
        return true;
    std::unique_ptr<TBitmap> buffer = std::move(m_paintBuffer);
    const bool kept = buffer && buffer->Width() == width && buffer->Height() == height;
    HDC bufferDC = nullptr;
    try {
        if (!kept) {
            buffer = std::make_unique<TBitmap>();
            buffer->SetPixelFormat(pf32bit);
            buffer->SetSize(width, height);
        }
        bufferDC = buffer->Canvas()->Handle();
    } catch (const EOutOfResources&) {
        return false;  // no buffer: the area stays as it is until the next paint
    }
    if (kept)
        std::memset(buffer->ScanLine(0), 0, static_cast<size_t>(width) * 4 * height);
    SavedDC fresh(bufferDC);
    SetViewportOrgEx(bufferDC, -update.left, -update.top, nullptr);
    IntersectClipRect(bufferDC, update.left, update.top, update.right, update.bottom);
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(bufferDC), reinterpret_cast<LPARAM>(bufferDC));
    Perform(WM_PAINT, reinterpret_cast<WPARAM>(bufferDC), 0);
    BitBlt(dc, update.left, update.top, width, height, bufferDC, update.left, update.top, SRCCOPY);
    m_paintBuffer = std::move(buffer);
    return true;
}

void TWinControl::PaintWindow(HDC dc)
{
    if (m_defWndProc == DefWindowProcA)
        return;  // a plain window has nothing of its own to paint
    TMessage message{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(message);  // a system control paints itself into the DC
}

namespace {

// One child's turn on the parent's DC: its origin and clip moved onto the child, and
// put back when the turn ends. Saving the whole DC for each child costs about 17 us
// under Wine; the state a child's canvas selects it deselects itself, and whatever
// else a child may leave is undone once for all of them by the caller's SavedDC.
class ChildTurn {
public:
    ChildTurn(HDC dc, const POINT& origin, HRGN clip, bool clipped, const TRect& bounds)
        : m_dc(dc), m_origin(origin), m_clip(clip), m_clipped(clipped)
    {
        SetViewportOrgEx(dc, origin.x + bounds.Left, origin.y + bounds.Top, nullptr);
        IntersectClipRect(dc, 0, 0, bounds.Width(), bounds.Height());
    }
    ~ChildTurn()
    {
        SelectClipRgn(m_dc, m_clipped ? m_clip : nullptr);
        SetViewportOrgEx(m_dc, m_origin.x, m_origin.y, nullptr);
    }
    ChildTurn(const ChildTurn&) = delete;
    ChildTurn& operator=(const ChildTurn&) = delete;

private:
    HDC m_dc;             // borrowed
    POINT m_origin;
    HRGN m_clip;          // borrowed: the caller's copy of the clip
    bool m_clipped;
};

}  // namespace

void TWinControl::PaintControls(HDC dc)
{
    std::unique_ptr<SavedDC> saved;  // made once a child is to paint: the DC's owner gets it back as it was
    RegionHandle clip;
    bool clipped = false;
    POINT origin{};
    for (TControl* control : m_controls) {
        if (dynamic_cast<TWinControl*>(control) || !control->Visible())
            continue;
        const TRect bounds = control->BoundsRect();
        const RECT r{bounds.Left, bounds.Top, bounds.Right, bounds.Bottom};
        if (!RectVisible(dc, &r))
            continue;
        if (!saved) {
            saved = std::make_unique<SavedDC>(dc);
            GetViewportOrgEx(dc, &origin);
            clip.Reset(CreateRectRgn(0, 0, 0, 0));
            clipped = clip && GetClipRgn(dc, clip.Get()) == 1;
        }
        if (!clip) {  // no region to keep the clip in: the whole DC is saved for each child
            const SavedDC each(dc);
            const ChildTurn turn(dc, origin, nullptr, false, bounds);
            control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
            continue;
        }
        const ChildTurn turn(dc, origin, clip.Get(), clipped, bounds);
        control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
}

void TWinControl::EraseBackground(HDC dc)
{
    if (Color() == clNone || !dc)
        return;
    BrushHandle brush(CreateSolidBrush(ColorToRGB(Color())));
    const TRect client = ClientRect();
    const RECT r{client.Left, client.Top, client.Right, client.Bottom};
    FillRect(dc, &r, brush.Get());
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    FireEvent(OnKeyDown, this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    FireEvent(OnKeyUp, this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    FireEvent(OnKeyPress, this, key);
}

void TWinControl::DoEnter()
{
    FireEvent(OnEnter, this);
}

void TWinControl::DoExit()
{
    FireEvent(OnExit, this);
}
