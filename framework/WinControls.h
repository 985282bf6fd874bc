#pragma once
// TWinControl: a control with a window of its own. The window is created on demand
// from CreateParams; its messages reach the object through WindowProc, WndProc and
// Dispatch. It is the parent of other controls and paints its non-windowed children
// inside its own paint.
#include "framework/Bitmap.h"
#include "framework/Controls.h"
#include "framework/Handles.h"

#include <memory>
#include <string>
#include <vector>

// What CreateWindowEx gets. WinClassName is the class name of the most derived object
// by default; WindowClass holds the class's registration values.
struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    WNDCLASSA WindowClass{};
    std::string WinClassName;
};

using TKeyEvent = TEvent<TObject* /*Sender*/, WORD& /*Key*/, TShiftState>;
using TKeyPressEvent = TEvent<TObject* /*Sender*/, char& /*Key*/>;

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    // The window, created (with the parent's) on first use. Raises when it cannot be made.
    HWND Handle();
    bool HandleAllocated() const { return m_handle != nullptr; }
    void HandleNeeded() { Handle(); }
    // A top-level control's owner window when it has no parent control.
    HWND ParentWindow() const { return m_parentWindow; }
    void SetParentWindow(HWND window) { m_parentWindow = window; }

    // Children in creation order, which is also their z-order (the last is on top).
    int ControlCount() const { return static_cast<int>(m_controls.size()); }
    TControl* Controls(int index) const;  // borrowed
    // The topmost visible (and enabled, unless asked) non-windowed child at a client point.
    TControl* ControlAtPos(const TPoint& point, bool allowDisabled) const;

    bool Focused() const;
    bool CanFocus() const;
    virtual void SetFocus();
    bool TabStop() const { return m_tabStop; }
    void SetTabStop(bool tabStop);
    // The position among the parent's windowed children that Tab follows.
    int TabOrder() const;
    void SetTabOrder(int order);
    // Moves the focus from `current` to the next (or previous) windowed descendant that
    // can take it, in tab order, wrapping around.
    void SelectNext(TWinControl* current, bool forward);

    bool DoubleBuffered() const { return m_doubleBuffered; }
    void SetDoubleBuffered(bool doubleBuffered) { m_doubleBuffered = doubleBuffered; }

    TRect ClientRect() const override;
    void SetEnabled(bool enabled) override;
    // Aligns the children held back while the description was read.
    void Loaded() override;
    void Invalidate() override;
    void Repaint() override;
    void Update() override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

protected:
    virtual void CreateParams(TCreateParams& params);
    // Makes the control's window class a copy of a system class ("BUTTON"), whose own
    // procedure then does the default handling.
    void CreateSubClass(TCreateParams& params, const char* systemClassName);
    virtual void CreateWnd();
    virtual void DestroyHandle();
    // The window goes while the object is still whole.
    void BeforeDestruction() override;

    void WndProc(TMessage& message) override;
    void Dispatch(TMessage& message) override;
    // The window class's own procedure (DefWindowProc for our classes).
    void DefaultHandler(TMessage& message) override;

    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void DoEnter();
    virtual void DoExit();

    // Paints the window's own content on `dc`; the non-windowed children come after.
    virtual void PaintWindow(HDC dc);
    // Paints the visible non-windowed children that meet the DC's clip area, each with
    // its origin moved to its top-left corner and clipped to its bounds.
    void PaintControls(HDC dc);
    // Fills the client area with Color; answers WM_ERASEBKGND.
    virtual void EraseBackground(HDC dc);
    // Lays out the aligned children inside the client area.
    virtual void AlignControls(TRect& rect);
    void Realign();

    void TextChanged() override;
    void VisibleChanged() override;
    void FontChanged(TObject* sender) override;
    void BoundsChanged(const TRect& oldBounds) override;

private:
    friend class TControl;
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    void CreateHandle();
    void RegisterWindowClass(const TCreateParams& params);
    void UpdateBounds();
    void WMPaint(TMessage& message);
    bool RouteMouseToControl(TMessage& message);
    void ReflectCommand(TMessage& message);
    void ShowContextMenu(TMessage& message);
    void CollectTabList(std::vector<TWinControl*>& list);
    friend class TInvalidationScope;
    // Sends what the children asked for while gathering, as one invalidation.
    void InvalidateGathered();
    // Paints what the children asked for now, when the window is shown and double
    // buffered; false leaves it to InvalidateGathered.
    bool PaintGathered();
    // The double-buffered paint of area (client coordinates) onto dc; false when no
    // buffer could be had.
    bool PaintBuffered(HDC dc, const RECT& area);

    HWND m_handle = nullptr;          // owned: DestroyHandle
    bool m_destroyingHandle = false;  // DestroyWindow runs: messages get default handling only
    HWND m_parentWindow = nullptr;    // borrowed
    WNDPROC m_defWndProc = DefWindowProcA;
    std::vector<TControl*> m_controls;     // borrowed: children list themselves here
    std::vector<TWinControl*> m_tabList;   // borrowed: windowed children in tab order
    TControl* m_captureControl = nullptr;  // borrowed: the child holding the mouse
    bool m_tabStop = false;
    bool m_doubleBuffered = false;
    // The double buffer of the last paint, kept for the next one of the same size (a
    // poll repaints the same area each time); taken out while a paint uses it.
    std::unique_ptr<TBitmap> m_paintBuffer;
    bool m_aligning = false;  // AlignControls runs
    // Open TInvalidationScopes, and the areas the children asked for meanwhile.
    int m_gathering = 0;
    bool m_paintGathered = false;  // a scope that paints at its end is open
    std::vector<RECT> m_gathered;
    bool m_gatheredErase = false;
};

// While one lives, the invalidations that a windowed control's non-windowed children
// make are held and reach its window together when the outermost scope ends (or the
// control is updated), as one call for the union of their areas: one round trip to the
// window system where each child would make its own. The update region, and so what is
// painted, is the same. With paintAtEnd, a shown double-buffered control paints the box
// of those areas itself when the outermost such scope ends, onto its window's DC, as a
// WM_PAINT of that box would: no update region, no BeginPaint and EndPaint, which cost
// more under Wine than a small paint. The control must outlive the scope.
class TInvalidationScope {
public:
    explicit TInvalidationScope(TWinControl* control, bool paintAtEnd = false);
    ~TInvalidationScope();
    TInvalidationScope(const TInvalidationScope&) = delete;
    TInvalidationScope& operator=(const TInvalidationScope&) = delete;

private:
    TWinControl* m_control;  // borrowed
};

// The window's object, or nullptr for a window that is not a control of this process.
TWinControl* FindControl(HWND window);
