#pragma once
// The application object: the forms it owns, the main form, the message loop and the
// application's own hidden window. There is one, `Application`.
#include "framework/Classes.h"
#include "framework/Icons.h"
#include "framework/Messages.h"
#include "framework/SysUtils.h"

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <utility>

class TControl;
class TForm;
class THintWindow;
using TMsg = MSG;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Creates the application's window; forms and the loop can run afterwards.
    void Initialize();
    HWND Handle();  // the hidden window, created on demand

    const std::string& Title() const { return m_title; }
    void SetTitle(const std::string& title);
    bool ShowMainForm() const { return m_showMainForm; }
    void SetShowMainForm(bool show) { m_showMainForm = show; }
    TForm* MainForm() const { return m_mainForm; }  // borrowed: owned as a component

    // Creates a form owned by the application and stores it in `reference`; the first
    // form created becomes the main form. Any further arguments go to the form's
    // constructor after its owner.
    template <class T, class... Args>
    void CreateForm(T*& reference, Args&&... args)
    {
        T* form = new T(this, std::forward<Args>(args)...);
        reference = form;
        FormCreated(form);
    }

    // Shows the main form (unless ShowMainForm is false) and processes messages until
    // Terminate; closing the main form terminates.
    void Run();
    void Terminate();
    bool Terminated() const { return m_terminated; }
    // Processes every message waiting, then returns.
    void ProcessMessages();
    // Processes one message, waiting for it when none is there.
    void HandleMessage();

    void Minimize();
    void Restore();

    // Where exceptions that reach a window procedure, a timer or the loop end up:
    // OnException when assigned, else ShowException.
    void HandleException(const std::exception& e);
    // Runs a handler where no exception may pass (a window procedure): whatever it
    // throws goes to HandleException.
    template <class Handler>
    void Guarded(Handler&& handler)
    {
        try {
            handler();
        } catch (const std::exception& e) {
            HandleException(e);
        } catch (...) {
            HandleException(Exception("Unknown exception"));
        }
    }
    // A message box with the exception's text, captioned with the title.
    void ShowException(const std::exception& e);

    // Hints: the Hint of the control under the pointer pops up after HintPause ms and
    // goes after HintHidePause ms, when the pointer leaves the control, or on a click or
    // a key. Controls report every mouse move here.
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool show);
    int HintPause() const { return m_hintPause; }
    void SetHintPause(int ms) { m_hintPause = ms; }
    int HintHidePause() const { return m_hintHidePause; }
    void SetHintHidePause(int ms) { m_hintHidePause = ms; }
    void HintMouseMessage(TControl* control);
    // The control's Hint changed: when it is the one showing, the window takes the new
    // text where it is and stays its whole HintHidePause again.
    void HintChanged(TControl* control);
    void CancelHint();

    // Shows the application's window (the taskbar's entry) while one of its forms is
    // visible, hides it otherwise; forms call it when they are shown or hidden.
    void UpdateVisible();

    std::string ExeName() const;
    // The program's icon: the icon resource "MAINICON" of the program file when it has
    // one. Components that show the program's icon copy this one.
    TIcon* Icon() const { return m_icon.get(); }

    // Sees every message the loop retrieves, before it is dispatched; setting the flag
    // to true swallows the message.
    TEvent<TMsg&, bool&> OnMessage;
    TEvent<TObject*, const std::exception&> OnException;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend LRESULT CALLBACK ApplicationWindowProc(HWND, UINT, WPARAM, LPARAM);
    void FormCreated(TForm* form);
    bool ProcessMessage(TMsg& msg);
    void WndProc(TMessage& message);
    void HintTimer(UINT_PTR id);
    // The hint control's Hint in the hint window at that point of the screen, for its
    // whole HintHidePause from now.
    void ShowHintAt(const TPoint& topLeft);
    TControl* ControlUnderPointer() const;

    HWND m_handle = nullptr;  // owned: destroyed in the destructor
    std::string m_title;
    bool m_showMainForm = true;
    bool m_terminated = false;
    TForm* m_mainForm = nullptr;  // borrowed
    std::unique_ptr<TIcon> m_icon;
    bool m_showHint = true;
    int m_hintPause = 500;
    int m_hintHidePause = 2500;
    TControl* m_hintControl = nullptr;  // borrowed, cleared by free notification
    DWORD m_hintShownAt = 0;
    TComponentPtr<THintWindow> m_hintWindow;
};

extern TApplication* Application;
