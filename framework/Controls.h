#pragma once
// TControl: anything placed on a parent with bounds, visibility, a font and mouse
// handling. Windowed controls are TWinControl (WinControls.h); the others draw on their
// parent and get their mouse input routed by it.
#include "framework/Classes.h"
#include "framework/Graphics.h"
#include "framework/Messages.h"
#include "framework/Types.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

class TWinControl;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateFlag : uint16_t {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};
using TShiftState = uint16_t;

enum TControlStyleFlag : uint32_t {
    csAcceptsControls = 0x01,  // may be the parent of other controls
    csCaptureMouse = 0x02,     // keeps the mouse while a button is held
    csClickEvents = 0x04,      // a press and release over it is a Click
    csDoubleClicks = 0x08,     // gets double-clicks as DblClick
    csOpaque = 0x10,           // covers its whole area: nothing beneath is erased for it
};
using TControlStyle = uint32_t;

using TMouseEvent = TEvent<TObject* /*Sender*/, TMouseButton, TShiftState, int /*X*/, int /*Y*/>;
using TMouseMoveEvent = TEvent<TObject* /*Sender*/, TShiftState, int /*X*/, int /*Y*/>;
using TCanResizeEvent = TEvent<TObject* /*Sender*/, int& /*NewWidth*/, int& /*NewHeight*/, bool& /*Resize*/>;
using TContextPopupEvent = TEvent<TObject* /*Sender*/, TPoint /*MousePos*/, bool& /*Handled*/>;

// The shift state of a mouse message's key flags, with Alt read from the keyboard.
TShiftState MouseShiftState(WPARAM keys);
// The shift state of the keyboard right now.
TShiftState KeyboardShiftState();

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return m_parent; }  // borrowed
    virtual void SetParent(TWinControl* parent);

    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void SetLeft(int left) { SetBounds(left, m_top, m_width, m_height); }
    void SetTop(int top) { SetBounds(m_left, top, m_width, m_height); }
    void SetWidth(int width) { SetBounds(m_left, m_top, width, m_height); }
    void SetHeight(int height) { SetBounds(m_left, m_top, m_width, height); }
    // Moves and sizes the control. The size goes through CanResize (a refusal keeps
    // the current size; the move still happens) and, with AutoSize, through CanAutoSize.
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return TRect(m_left, m_top, m_left + m_width, m_top + m_height); }
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int width);
    void SetClientHeight(int height);
    TPoint ClientToScreen(const TPoint& point) const;
    TPoint ScreenToClient(const TPoint& point) const;

    bool Visible() const { return m_visible; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return m_enabled; }
    virtual void SetEnabled(bool enabled);
    TAlign Align() const { return m_align; }
    void SetAlign(TAlign align);
    bool AutoSize() const { return m_autoSize; }
    virtual void SetAutoSize(bool autoSize);
    TControlStyle ControlStyle() const { return m_controlStyle; }
    void SetControlStyle(TControlStyle style) { m_controlStyle = style; }

    TFont* Font() const { return m_font.get(); }
    void SetFont(const TFont* font) { m_font->Assign(font); }
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    const std::string& Caption() const { return m_text; }
    void SetCaption(const std::string& caption) { SetText(caption); }
    const std::string& Text() const { return m_text; }
    void SetText(const std::string& text);
    const std::string& Hint() const { return m_hint; }
    // A hint that changes while it shows is shown again with the new text.
    void SetHint(const std::string& hint);
    // Setting ShowHint stops taking it from the parent.
    bool ShowHint() const;
    void SetShowHint(bool show);
    bool ParentShowHint() const { return m_parentShowHint; }
    void SetParentShowHint(bool parentShowHint) { m_parentShowHint = parentShowHint; }
    TPopupMenu* PopupMenu() const { return m_popupMenu; }  // borrowed
    void SetPopupMenu(TPopupMenu* menu);

    // Asks for a repaint later; Repaint paints now.
    virtual void Invalidate();
    virtual void Repaint();
    virtual void Update();

    // Sends a message straight to the control's WindowProc and returns its result.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // The entry for every message of the control. It starts as the control's WndProc;
    // whoever replaces it keeps the old value and passes on what it does not handle.
    TWndMethod WindowProc;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TCanResizeEvent OnCanResize;
    TNotifyEvent OnResize;
    // Before the pop-up menu shows, with the point in client coordinates (-1, -1 from the
    // keyboard); setting Handled keeps the menu away.
    TContextPopupEvent OnContextPopup;

protected:
    // First stop of every message: mouse capture, then Dispatch.
    virtual void WndProc(TMessage& message);
    // The message map: handlers by message number, DefaultHandler for the rest.
    virtual void Dispatch(TMessage& message);
    virtual void DefaultHandler(TMessage& message);

    virtual bool CanResize(int& newWidth, int& newHeight);
    virtual bool CanAutoSize(int& newWidth, int& newHeight);
    // Applies AutoSize again, for a control whose content changed size.
    virtual void AdjustSize();
    virtual void Resize();

    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void DoContextPopup(TPoint mousePos, bool& handled);

    // Change hooks, called after the property changed.
    virtual void FontChanged(TObject* sender);
    virtual void TextChanged();
    virtual void VisibleChanged();
    virtual void ColorChanged();
    // Writes new bounds to where they live (a window, the parent's painting).
    virtual void BoundsChanged(const TRect& oldBounds);

    void Notification(TComponent* component, TOperation operation) override;

    // Whether mouse input is held for this control while a button is down.
    bool MouseCapture() const;
    void SetMouseCapture(bool capture);

    // The bounds fields alone, as a window reports them.
    void SetBoundsFields(const TRect& bounds);
    // The area to repaint on the parent; a windowed control repaints itself instead.
    void InvalidateControl(const TRect& rect, bool erase);

private:
    friend class TWinControl;
    bool CheckNewSize(int& newWidth, int& newHeight);
    void HandleMouse(TMessage& message, TMouseButton button, bool down);

    TWinControl* m_parent = nullptr;  // borrowed: the parent lists us among its controls
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_visible = true;
    bool m_enabled = true;
    bool m_autoSize = false;
    bool m_clicked = false;  // a left press started on the control and has not ended
    bool m_showHint = false;
    bool m_parentShowHint = true;
    TAlign m_align = alNone;
    TControlStyle m_controlStyle = csCaptureMouse | csClickEvents | csDoubleClicks;
    TColor m_color = clBtnFace;
    std::unique_ptr<TFont> m_font;
    std::string m_text;
    std::string m_hint;
    TPopupMenu* m_popupMenu = nullptr;  // borrowed, cleared by free notification
};
