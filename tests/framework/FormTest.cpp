// Forms, the application's loop and the components that live in it: timers, modal
// forms, the message event, pop-up menus, and the focus and keys on a form.
#include "framework/Application.h"
#include "framework/CustomControls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/Timers.h"
#include "framework/WindowProcHook.h"
#include "framework/SysUtils.h"
#include "GuiTestSupport.h"

#include <functional>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using guitest::Pump;
using guitest::PumpUntil;

TEST(Timer, FiresEveryIntervalAndStopsWhenDisabled)
{
    TTimer timer(nullptr);
    timer.SetInterval(30);
    int ticks = 0;
    timer.OnTimer = [&](TObject* sender) {
        EXPECT_EQ(&timer, sender);
        if (++ticks == 3)
            timer.SetEnabled(false);
    };
    ASSERT_TRUE(PumpUntil([&] { return ticks == 3; }));
    Pump(200);
    EXPECT_EQ(3, ticks);
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return ticks == 4; })) << "enabled again, it fires again";
    timer.SetInterval(0);
    Pump(150);
    EXPECT_EQ(4, ticks) << "interval 0 stops it";
}

TEST(Timer, FreedWithItsOwnerAndThenSilent)
{
    int ticks = 0;
    {
        TComponent owner(nullptr);
        auto* timer = new TTimer(&owner);
        timer->SetInterval(20);
        timer->OnTimer = [&](TObject*) { ++ticks; };
    }
    Pump(150);
    EXPECT_EQ(0, ticks);
}

namespace {

class CountingForm : public TForm {
public:
    using TForm::TForm;
    std::vector<WPARAM> received;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_USER + 7)
            received.push_back(message.WParam);
        TForm::Dispatch(message);
    }
};

}  // namespace

TEST(Application, OnMessageSeesEveryRetrievedMessageAndCanSwallowIt)
{
    guitest::ScopedApplication app;
    CountingForm form(nullptr);
    std::vector<WPARAM> seen;
    app->OnMessage = [&](TMsg& msg, bool& handled) {
        if (msg.message != WM_USER + 7)
            return;
        seen.push_back(msg.wParam);
        handled = msg.wParam == 1;
    };
    PostMessageA(form.Handle(), WM_USER + 7, 1, 0);
    PostMessageA(form.Handle(), WM_USER + 7, 2, 0);
    app->ProcessMessages();
    EXPECT_EQ((std::vector<WPARAM>{1, 2}), seen);
    EXPECT_EQ((std::vector<WPARAM>{2}), form.received) << "the swallowed message is not dispatched";
}

TEST(Application, RunEndsWhenTheMainFormClosesAndKeepsAHiddenMainFormHidden)
{
    guitest::ScopedApplication app;
    app->Initialize();
    app->SetShowMainForm(false);
    TForm* main = nullptr;
    TForm* second = nullptr;
    app->CreateForm(main);
    app->CreateForm(second);
    EXPECT_EQ(main, app->MainForm());
    EXPECT_TRUE(main->HandleAllocated()) << "the main form's window exists once it is created";
    bool visibleDuringRun = true;
    TTimer closer(nullptr);
    closer.SetInterval(50);
    closer.OnTimer = [&](TObject*) {
        closer.SetEnabled(false);
        visibleDuringRun = main->Visible();
        second->Close();  // not the main form: it only hides
        main->Close();
    };
    app->Run();
    EXPECT_TRUE(app->Terminated());
    EXPECT_FALSE(visibleDuringRun);
    EXPECT_EQ(2, app->ComponentCount()) << "closing does not free the forms";
}

TEST(Application, CloseOfTheApplicationWindowClosesTheMainForm)
{
    guitest::ScopedApplication app;
    TForm* main = nullptr;
    app->CreateForm(main);
    SendMessageA(app->Handle(), WM_CLOSE, 0, 0);
    app->ProcessMessages();
    EXPECT_TRUE(app->Terminated());
}

namespace {

// A modal form whose own timer ends it the way its buttons would.
struct ModalCase {
    const char* what;
    std::function<void(TForm&)> end;
    TModalResult expected;
};

}  // namespace

TEST(Forms, ShowModalRunsUntilModalResultIsSet)
{
    const ModalCase cases[] = {
        {"a button's result", [](TForm& f) { f.SetModalResult(mrOk); }, mrOk},
        {"any non-zero value", [](TForm& f) { f.SetModalResult(42); }, 42},
        {"closing the form", [](TForm& f) { f.Close(); }, mrCancel},
        {"the window's close box", [](TForm& f) { PostMessageA(f.Handle(), WM_CLOSE, 0, 0); }, mrCancel},
    };
    for (const auto& c : cases) {
        TForm owner(nullptr);
        owner.SetBorderStyle(bsNone);
        owner.Show();
        TForm dialog(nullptr);
        dialog.SetBorderStyle(bsNone);
        bool ownerDisabled = false;
        bool shown = false;
        dialog.OnShow = [&](TObject*) { shown = true; };
        TTimer timer(nullptr);
        timer.SetInterval(40);
        timer.OnTimer = [&](TObject*) {
            timer.SetEnabled(false);
            ownerDisabled = !IsWindowEnabled(owner.Handle());
            c.end(dialog);
        };
        EXPECT_EQ(c.expected, dialog.ShowModal()) << c.what;
        EXPECT_TRUE(shown) << c.what;
        EXPECT_TRUE(ownerDisabled) << c.what;
        EXPECT_TRUE(IsWindowEnabled(owner.Handle())) << c.what;
        EXPECT_FALSE(dialog.Visible()) << c.what;
        EXPECT_FALSE(IsWindowVisible(dialog.Handle())) << c.what;
    }
}

TEST(Forms, CloseQueryCanKeepAModalFormOpen)
{
    TForm dialog(nullptr);
    dialog.SetBorderStyle(bsNone);
    int asked = 0;
    dialog.OnCloseQuery = [&](TObject*, bool& canClose) { canClose = ++asked > 1; };
    TTimer timer(nullptr);
    timer.SetInterval(30);
    timer.OnTimer = [&](TObject*) {
        dialog.SetModalResult(mrOk);
        if (asked > 1)
            timer.SetEnabled(false);
    };
    EXPECT_EQ(mrOk, dialog.ShowModal());
    EXPECT_EQ(2, asked);
}

TEST(Forms, ShowAndHideFireTheirEventsBeforeTheWindowChanges)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    std::vector<std::string> log;
    form.OnShow = [&](TObject*) { log.push_back(IsWindowVisible(form.Handle()) ? "show-visible" : "show"); };
    form.OnHide = [&](TObject*) { log.push_back(IsWindowVisible(form.Handle()) ? "hide" : "hide-hidden"); };
    form.Show();
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    form.Show();
    form.Hide();
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_EQ((std::vector<std::string>{"show", "hide"}), log);
}

TEST(Forms, ClientSizeAndParentFormAndScreen)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsSingle);
    form.SetClientWidth(300);
    form.SetClientHeight(200);
    EXPECT_EQ(300, form.ClientWidth());
    EXPECT_EQ(200, form.ClientHeight());
    EXPECT_GT(form.Width(), 300);
    form.HandleNeeded();
    EXPECT_EQ(300, form.ClientWidth()) << "the window agrees with the computed frame";
    EXPECT_EQ(200, form.ClientHeight());

    EXPECT_EQ(&form, GetParentForm(&form));
    EXPECT_EQ(nullptr, GetParentForm(nullptr));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), Screen->Width());
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), Screen->Height());
}

TEST(Menus, PopupShowsTheItemsAndClicksTheChosenOne)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.Show();
    auto* menu = new TPopupMenu(&form);
    auto* first = new TMenuItem(&form);
    first->SetCaption("Run at system startup");
    first->SetChecked(true);
    auto* second = new TMenuItem(&form);
    second->SetCaption("Exit");
    menu->Items()->Add(first);
    menu->Items()->Add(second);
    std::vector<std::string> clicked;
    first->OnClick = [&](TObject*) { clicked.push_back("first"); };
    second->OnClick = [&](TObject*) { clicked.push_back("second"); };
    bool popped = false;
    menu->OnPopup = [&](TObject*) { popped = true; };

    // While the menu runs its own loop, a timer finds it on screen and picks the second
    // item with the real pointer.
    HMENU shown = nullptr;
    UINT firstState = 0;
    TTimer picker(nullptr);
    picker.SetInterval(100);
    picker.OnTimer = [&](TObject*) {
        picker.SetEnabled(false);
        HWND window = FindWindowA("#32768", nullptr);
        shown = window ? reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0)) : nullptr;
        if (shown)
            firstState = GetMenuState(shown, 0, MF_BYPOSITION);
        RECT item{};
        if (window && GetMenuItemRect(nullptr, shown, 1, &item)) {
            guitest::Xdotool(Format("mousemove %ld %ld", (item.left + item.right) / 2, (item.top + item.bottom) / 2));
            guitest::Xdotool("click 1");
        } else {
            keybd_event(VK_ESCAPE, 0, 0, 0);
            keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
        }
    };
    SetForegroundWindow(form.Handle());
    menu->Popup(300, 300);
    EXPECT_TRUE(popped);
    ASSERT_NE(nullptr, shown) << "the menu window was not found";
    EXPECT_TRUE(firstState & MF_CHECKED);
    EXPECT_EQ((std::vector<std::string>{"second"}), clicked);
}

TEST(Menus, ControlForgetsAFreedPopupMenu)
{
    TForm form(nullptr);
    auto* menu = new TPopupMenu(&form);
    form.SetPopupMenu(menu);
    EXPECT_EQ(menu, form.PopupMenu());
    delete menu;
    EXPECT_EQ(nullptr, form.PopupMenu());
}

TEST(Application, ItsWindowShowsWhileOneOfItsFormsIsVisible)
{
    guitest::ScopedApplication app;
    TForm* main = nullptr;
    TForm* other = nullptr;
    app->CreateForm(main);
    app->CreateForm(other);
    main->SetBorderStyle(bsNone);
    other->SetBorderStyle(bsNone);
    EXPECT_FALSE(IsWindowVisible(app->Handle()));
    main->Show();
    other->Show();
    EXPECT_TRUE(IsWindowVisible(app->Handle()));
    EXPECT_EQ(app->Handle(), GetWindow(main->Handle(), GW_OWNER)) << "forms belong to the application window";
    main->Hide();
    EXPECT_TRUE(IsWindowVisible(app->Handle()));
    other->Hide();
    EXPECT_FALSE(IsWindowVisible(app->Handle()));
}

TEST(Application, ShowExceptionShowsTheTextInAMessageBoxCaptionedWithTheTitle)
{
    guitest::ScopedApplication app;
    app->SetTitle("Pellon");
    std::string caption;
    std::string text;
    // The message box runs its own loop, which still delivers the timer's messages.
    TTimer closer(nullptr);
    closer.SetInterval(200);
    closer.OnTimer = [&](TObject*) {
        HWND box = FindWindowA("#32770", nullptr);
        if (!box)
            return;
        closer.SetEnabled(false);
        char buffer[256] = {};
        GetWindowTextA(box, buffer, sizeof buffer);
        caption = buffer;
        GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
        text = buffer;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    };
    app->ShowException(EFOpenError("C:\\p\\resource\\close_n.png"));
    EXPECT_EQ("Pellon", caption);
    EXPECT_EQ("Cannot open file C:\\p\\resource\\close_n.png.", text) << "a final period is added";
}

TEST(Application, MinimizeAndRestoreActOnTheApplicationWindow)
{
    guitest::ScopedApplication app;
    TForm* main = nullptr;
    app->CreateForm(main);
    main->SetBorderStyle(bsNone);
    main->Show();
    std::vector<std::string> events;
    app->OnMinimize = [&](TObject*) { events.push_back("minimize"); };
    app->OnRestore = [&](TObject*) { events.push_back("restore"); };
    app->Minimize();
    EXPECT_TRUE(IsIconic(app->Handle()));
    app->Restore();
    EXPECT_FALSE(IsIconic(app->Handle()));
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(app->Handle())) << "the system menu's command takes the same road";
    EXPECT_EQ((std::vector<std::string>{"minimize", "restore", "minimize"}), events);
}

namespace {

// A pop-up owned by another form, the way a drop shadow is made: borderless, layered,
// click-through or not, its creation parameters naming the owner's window.
class OwnedPopup : public TForm {
public:
    OwnedPopup(TForm* ownerForm, bool clickThrough) : TForm(nullptr), m_ownerForm(ownerForm), m_clickThrough(clickThrough)
    {
        SetBorderStyle(bsNone);
    }

protected:
    void CreateParams(TCreateParams& params) override
    {
        TForm::CreateParams(params);
        params.Style |= WS_POPUP;
        params.ExStyle |= WS_EX_LAYERED | (m_clickThrough ? WS_EX_TRANSPARENT : 0);
        params.WndParent = m_ownerForm->Handle();
    }

private:
    TForm* m_ownerForm;  // borrowed
    bool m_clickThrough;
};

}  // namespace

TEST(Forms, APopUpShownWithoutActivationLeavesItsOwnerActiveWhenShownMovedAndClicked)
{
    for (const bool clickThrough : {true, false}) {
        TForm owner(nullptr);
        owner.SetBorderStyle(bsNone);
        owner.SetBounds(100, 100, 300, 200);
        owner.Show();
        SetForegroundWindow(owner.Handle());
        Pump(50);
        ASSERT_EQ(owner.Handle(), GetActiveWindow());
        OwnedPopup popup(&owner, clickThrough);
        popup.SetShowActivate(false);
        popup.SetBounds(100, 100, 340, 240);
        SetLayeredWindowAttributes(popup.Handle(), 0, 255, LWA_ALPHA);
        EXPECT_EQ(owner.Handle(), GetWindow(popup.Handle(), GW_OWNER));
        int popupClicks = 0;
        int ownerClicks = 0;
        popup.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++popupClicks; };
        owner.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ownerClicks; };

        popup.Show();
        Pump(50);
        EXPECT_TRUE(IsWindowVisible(popup.Handle()));
        EXPECT_EQ(owner.Handle(), GetActiveWindow()) << "shown, click-through " << clickThrough;
        popup.SetBounds(110, 110, 340, 240);
        popup.Show();
        Pump(50);
        EXPECT_EQ(owner.Handle(), GetActiveWindow()) << "moved, click-through " << clickThrough;
        // A click-through pop-up passes the click to its owner beneath; another one takes
        // it beside its owner.
        if (clickThrough)
            guitest::MoveMouse(200, 200);
        else
            guitest::MoveMouse(420, 320);
        guitest::Click();
        EXPECT_EQ(owner.Handle(), GetActiveWindow()) << "clicked, click-through " << clickThrough;
        EXPECT_EQ(owner.Handle(), GetFocus());
        EXPECT_EQ(clickThrough ? 0 : 1, popupClicks) << clickThrough;
        EXPECT_EQ(clickThrough ? 1 : 0, ownerClicks) << clickThrough;
    }
}

TEST(Forms, TheClientSizeOfAFormWithoutAWindowCreatesNoOtherWindow)
{
    TForm owner(nullptr);
    OwnedPopup popup(&owner, true);
    popup.SetClientWidth(688);
    popup.SetClientHeight(446);
    EXPECT_EQ(688, popup.ClientWidth());
    EXPECT_EQ(446, popup.Height()) << "borderless: no frame";
    EXPECT_FALSE(owner.HandleAllocated()) << "the pop-up's creation parameters name the owner's window";
    EXPECT_FALSE(popup.HandleAllocated());
    popup.HandleNeeded();
    EXPECT_EQ(688, popup.ClientWidth()) << "the window agrees";
    EXPECT_EQ(446, popup.ClientHeight());
}

TEST(Forms, ANewBorderStyleKeepsTheWindowAndWhatWasSetOnIt)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(100, 100, 300, 200);
    form.Show();
    HWND window = form.Handle();
    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    ASSERT_TRUE(SetLayeredWindowAttributes(window, RGB(255, 0, 255), 0, LWA_COLORKEY));
    int hooked = 0;
    TWindowProcHook hook(&form, [&](TMessage& m, const TWndMethod& next) {
        if (m.Msg == WM_USER + 3)
            ++hooked;
        next(m);
    });

    form.SetBorderStyle(bsSingle);
    EXPECT_EQ(window, form.Handle());
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_CAPTION);
    EXPECT_FALSE(GetWindowLongA(window, GWL_STYLE) & WS_POPUP);
    EXPECT_LT(form.ClientWidth(), 300) << "the frame takes its share";
    EXPECT_TRUE(IsWindowVisible(window));
    COLORREF key = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, nullptr, &flags));
    EXPECT_EQ(RGB(255, 0, 255), key);
    EXPECT_EQ(static_cast<DWORD>(LWA_COLORKEY), flags);
    SendMessageA(window, WM_USER + 3, 0, 0);
    EXPECT_EQ(1, hooked);

    form.SetBorderStyle(bsNone);
    EXPECT_EQ(300, form.ClientWidth());
    EXPECT_EQ(200, form.ClientHeight());
}

// The active control takes the focus whenever its form is activated, follows the focus,
// and is forgotten when freed. (Key preview and focus cues: the controller's tests.)
TEST(Forms, TheActiveControlTakesTheFocusOnActivationAndFollowsIt)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(50, 50, 200, 100);
    TCustomControl* controls[2];
    for (int i = 0; i < 2; ++i) {
        controls[i] = new TCustomControl(&form);
        controls[i]->SetParent(&form);
        controls[i]->SetBounds(10 + 40 * i, 10, 20, 20);
    }
    form.SetActiveControl(controls[1]);
    form.Show();
    Pump(50);
    EXPECT_TRUE(controls[1]->Focused()) << "activation focuses the active control";
    controls[0]->SetFocus();
    EXPECT_EQ(controls[0], form.ActiveControl());
    TForm other(nullptr);
    other.SetBorderStyle(bsNone);
    other.SetBounds(300, 50, 50, 50);
    other.Show();
    Pump(50);
    EXPECT_FALSE(controls[0]->Focused());
    other.Hide();
    form.Show();
    Pump(50);
    EXPECT_TRUE(controls[0]->Focused()) << "activated again, the focus is where it was left";

    controls[0]->Free();
    EXPECT_EQ(nullptr, form.ActiveControl()) << "a freed control is forgotten";
}
