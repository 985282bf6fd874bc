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

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& message) override;
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
};

// The form a control is on: its top-most parent, when that is a form.
TForm* GetParentForm(TControl* control);

class TScreen {
public:
    int Width() const;
    int Height() const;
    int PixelsPerInch() const;
};

extern TScreen* Screen;
