#pragma once
// Forms: top-level windows built in code from their description, shown modelessly or
// modally; the screen; the form a control sits on.
#include "framework/WinControls.h"

#include <vector>

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

// What ends a modal form: any value but mrNone.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

enum TCloseAction { caNone, caHide, caMinimize };
using TCloseEvent = TEvent<TObject* /*Sender*/, TCloseAction& /*Action*/>;
using TCloseQueryEvent = TEvent<TObject* /*Sender*/, bool& /*CanClose*/>;
// The form's window now lies on a monitor of another pixels-per-inch; the system suggests
// the window's new rectangle for it.
using TDpiChangedEvent = TEvent<TObject* /*Sender*/, int /*PixelsPerInch*/, const TRect& /*Suggested*/>;

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    TFormBorderStyle BorderStyle() const { return m_borderStyle; }
    void SetBorderStyle(TFormBorderStyle style);
    // Whether the description's sizes are meant to follow the screen's pixels per inch;
    // forms here are laid out in pixels, so this records the choice.
    bool Scaled() const { return m_scaled; }
    void SetScaled(bool scaled) { m_scaled = scaled; }

    // Whether showing the form makes it the active window (true unless set). A form that
    // must never take activation or focus from another, such as a drop shadow, sets it
    // to false: it is then shown without activation and a click does not activate it.
    bool ShowActivate() const { return m_showActivate; }
    void SetShowActivate(bool activate) { m_showActivate = activate; }

    TModalResult ModalResult() const { return m_modalResult; }
    void SetModalResult(TModalResult result) { m_modalResult = result; }

    // With KeyPreview the form's KeyDown (and OnKeyDown) sees a key pressed on any of its
    // controls first; a key it sets to 0 goes no further.
    bool KeyPreview() const { return m_keyPreview; }
    void SetKeyPreview(bool preview) { m_keyPreview = preview; }
    // The control that takes the focus whenever the form is activated. It follows the
    // focus among the form's controls, so a form activated again returns the focus to
    // where the user left it. Setting it on an active form focuses it at once.
    TWinControl* ActiveControl() const { return m_activeControl; }  // borrowed
    void SetActiveControl(TWinControl* control);

    // Whether the focused control shows that it has the focus. Like Windows, a form may
    // keep these cues hidden until the keyboard is used in it (Tab or an arrow key), so
    // that the mouse user sees no focus marks; they go hidden again when it is hidden.
    // Off by default: the cues always show.
    bool HideFocusUntilKeyboard() const { return m_hideFocusUntilKeyboard; }
    void SetHideFocusUntilKeyboard(bool hide);
    bool FocusCuesShown() const { return !m_hideFocusUntilKeyboard || m_keyboardUsed; }
    // The keyboard was used to move around the form: the cues show from now on.
    void ShowFocusCues();

    // Makes the form visible and brings it to the front.
    void Show();
    void Hide() { SetVisible(false); }
    // Asks CloseQuery and OnClose; the main form's close ends the application, another
    // form hides. A modal form's close sets ModalResult to mrCancel instead.
    void Close();
    // Shows the form with every other window of the thread disabled and runs the
    // message loop until ModalResult is set; returns it.
    TModalResult ShowModal();
    virtual bool CloseQuery();
    // Puts the form in the middle of the screen; the halves are truncated.
    void CentreOnScreen();

    TRect ClientRect() const override;

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    // Without a handler the form takes the suggested rectangle as it is.
    TDpiChangedEvent OnDpiChanged;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
    void Notification(TComponent* component, TOperation operation) override;
    void VisibleChanged() override;
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

private:
    void CloseModal();
    int ShowCommand() const;
    // The window styles that make the frame of the border style.
    void FrameStyles(DWORD& style, DWORD& exStyle) const;

    TFormBorderStyle m_borderStyle = bsSizeable;
    bool m_scaled = true;
    bool m_showActivate = true;
    bool m_modal = false;
    TModalResult m_modalResult = mrNone;
    bool m_keyPreview = false;
    TWinControl* m_activeControl = nullptr;  // borrowed; cleared by free notification
    bool m_hideFocusUntilKeyboard = false;
    bool m_keyboardUsed = false;
};

// The form a control is on: its top-most parent, when that is a form.
TForm* GetParentForm(TControl* control);
// Whether the control may show that it has the focus: its form shows focus cues (a
// control on no form always may).
bool FocusCuesShown(TControl* control);

class TScreen {
public:
    int Width() const;
    int Height() const;
    int PixelsPerInch() const;
};

extern TScreen* Screen;
