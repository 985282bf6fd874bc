#include "src/gui/widget/NrTrayIcon.h"

#include "framework/Application.h"
#include "tests/widget/FakeShell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace {

const UINT kCallback = 1114;

// A pop-up menu that records where it was asked to appear instead of showing itself.
class RecordingMenu : public TPopupMenu {
public:
    explicit RecordingMenu(std::vector<std::string>* log) : TPopupMenu(nullptr), m_log(log) {}
    void Popup(int x, int y) override
    {
        m_log->push_back("menu at " + std::to_string(x) + "," + std::to_string(y));
    }

private:
    std::vector<std::string>* m_log;  // borrowed
};

std::string ShiftText(TShiftState shift)
{
    std::string text = "{";
    if (shift & ssLeft)
        text += "left";
    if (shift & ssRight)
        text += "right";
    return text + "}";
}

std::string ButtonText(TMouseButton button)
{
    return button == mbLeft ? "left" : button == mbRight ? "right" : "middle";
}

// A tray icon on a fake shell whose every event, and every restore, goes to a log;
// restoring is only recorded, as it would act on the application's windows.
class LoggingTrayIcon : public TsTrayIcon {
public:
    explicit LoggingTrayIcon(FakeShell* shell) : LoggingTrayIcon(shell->Function()) {}
    explicit LoggingTrayIcon(ShellNotifyFunction notify) : TsTrayIcon(nullptr, 1, kCallback, std::move(notify))
    {
        OnClick = [this](TObject* sender) { Log(sender, "click"); };
        OnDblClick = [this](TObject* sender) { Log(sender, "dblclick"); };
        OnMouseDown = [this](TObject* sender, TMouseButton button, TShiftState shift, int, int) {
            Log(sender, "down " + ButtonText(button) + " " + ShiftText(shift));
        };
        OnMouseUp = [this](TObject* sender, TMouseButton button, TShiftState shift, int, int) {
            Log(sender, "up " + ButtonText(button) + " " + ShiftText(shift));
        };
        OnMouseMove = [this](TObject* sender, TShiftState shift, int, int) {
            Log(sender, "move " + ShiftText(shift));
        };
    }

    void Restore() override { log.push_back("restore"); }

    LRESULT Notify(UINT mouseMessage) { return SendMessageA(Handle(), kCallback, 1, mouseMessage); }

    std::vector<std::string> log;

private:
    void Log(TObject* sender, const std::string& what)
    {
        log.push_back(sender == this ? what : what + " from a stranger");
    }
};

using Log = std::vector<std::string>;

TEST(TsTrayIcon, LeftClickFiresDownUpThenClick)
{
    FakeShell shell;
    LoggingTrayIcon tray(&shell);
    tray.Notify(WM_LBUTTONDOWN);
    tray.Notify(WM_LBUTTONUP);
    EXPECT_EQ((Log{"down left {left}", "up left {left}", "click"}), tray.log);
}

TEST(TsTrayIcon, DoubleClickAlsoFiresDblClick)
{
    FakeShell shell;
    LoggingTrayIcon tray(&shell);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        tray.Notify(message);
    EXPECT_EQ((Log{"down left {left}", "up left {left}", "click", "dblclick", "up left {left}",
                   "click"}),
              tray.log);
}

TEST(TsTrayIcon, EachNotificationFiresItsEvents)
{
    const struct {
        UINT message;
        Log events;
    } cases[] = {
        {WM_MOUSEMOVE, {"move {}"}},
        {WM_RBUTTONDOWN, {"down right {right}"}},
        {WM_RBUTTONUP, {"up right {right}"}},
        {WM_RBUTTONDBLCLK, {}},
        {WM_MBUTTONDOWN, {}},
        {WM_MBUTTONUP, {}},
        {WM_CONTEXTMENU, {}},
        {NIN_SELECT, {}},
        {NIN_KEYSELECT, {}},
        {NIN_BALLOONUSERCLICK, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        FakeShell shell;
        LoggingTrayIcon tray(&shell);
        EXPECT_EQ(0, tray.Notify(c.message));
        EXPECT_EQ(c.events, tray.log);
    }
}

TEST(TsTrayIcon, TriggersMatchTheirMouseMessages)
{
    const UINT messages[] = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN,
                             WM_RBUTTONUP,   WM_RBUTTONDBLCLK, WM_MBUTTONDOWN, WM_MBUTTONUP,
                             WM_MBUTTONDBLCLK, WM_MOUSEMOVE};
    // One row per trigger, one column per message above.
    const char* const expected[] = {
        "1000000000",  // 0 left down
        "0010010000",  // 1 left or right double-click
        "1001001000",  // 2 any down
        "0100100100",  // 3 any up
        "0100000000",  // 4 left up
        "0010000000",  // 5 left double-click
        "0000100000",  // 6 right up
        "0000010000",  // 7 right double-click
        "0000000000",  // 8 never
        "0000000000",  // 255 never
    };
    const TMouseTrigger triggers[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 255};
    for (int t = 0; t < 10; ++t) {
        std::string row;
        for (UINT message : messages)
            row += TriggerMatches(triggers[t], message) ? '1' : '0';
        EXPECT_EQ(expected[t], row) << "trigger " << int(triggers[t]);
    }
}

TEST(TsTrayIcon, TriggersActBeforeTheEvents)
{
    FakeShell shell;
    LoggingTrayIcon tray(&shell);
    RecordingMenu menu(&tray.log);
    tray.SetPopupMenu(&menu);
    tray.SetRestoreTrigger(4);
    tray.SetPopupTrigger(6);
    EXPECT_EQ(4, tray.RestoreTrigger());

    tray.Notify(WM_LBUTTONUP);
    POINT cursor{};
    GetCursorPos(&cursor);
    tray.Notify(WM_RBUTTONUP);
    const std::string at = std::to_string(cursor.x) + "," + std::to_string(cursor.y);
    EXPECT_EQ((Log{"restore", "up left {left}", "click", "menu at " + at, "up right {right}"}),
              tray.log);
}

TEST(TsTrayIcon, TriggersStartAsNever)
{
    FakeShell shell;
    LoggingTrayIcon tray(&shell);
    RecordingMenu menu(&tray.log);
    tray.SetPopupMenu(&menu);
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONDBLCLK})
        tray.Notify(message);
    for (const std::string& entry : tray.log) {
        EXPECT_NE("restore", entry);
        EXPECT_EQ(std::string::npos, entry.find("menu"));
    }
}

TEST(TsTrayIcon, PopupTriggerWithoutAMenuDoesNothing)
{
    FakeShell shell;
    LoggingTrayIcon tray(&shell);
    tray.SetPopupTrigger(6);
    tray.Notify(WM_RBUTTONUP);
    EXPECT_EQ((Log{"up right {right}"}), tray.log);

    // A menu freed while set is forgotten, not shown.
    auto menu = std::make_unique<RecordingMenu>(&tray.log);
    tray.SetPopupMenu(menu.get());
    menu.reset();
    EXPECT_EQ(nullptr, tray.PopupMenu());
    tray.log.clear();
    tray.Notify(WM_RBUTTONUP);
    EXPECT_EQ((Log{"up right {right}"}), tray.log);
}

TEST(TsTrayIcon, QueryEndSessionLetsTheSessionEndWithoutMouseHandling)
{
    FakeShell shell;
    LoggingTrayIcon tray(&shell);
    tray.SetRestoreTrigger(4);
    EXPECT_EQ(1, SendMessageA(tray.Handle(), WM_QUERYENDSESSION, 0, WM_LBUTTONUP));
    EXPECT_TRUE(tray.log.empty());
}

// Another message whose LParam happens to look like a mouse message (a thread id, a
// size, a post from another process) is not a notification of the entry.
TEST(TsTrayIcon, OnlyTheCallbackMessageCarriesNotifications)
{
    FakeShell shell;
    LoggingTrayIcon tray(&shell);
    tray.SetRestoreTrigger(2);
    for (UINT message : {static_cast<UINT>(WM_ACTIVATEAPP), static_cast<UINT>(WM_USER),
                         kCallback + 1}) {
        EXPECT_EQ(0, SendMessageA(tray.Handle(), message, 0, WM_LBUTTONDOWN));
        EXPECT_EQ(0, SendMessageA(tray.Handle(), message, 0, WM_LBUTTONUP));
    }
    EXPECT_TRUE(tray.log.empty());
}

TEST(TsTrayIcon, ShowingTwiceAddsOnceAndHintIsCut)
{
    FakeShell shell;
    TsTrayIcon tray(nullptr, 1, kCallback, shell.Function());
    EXPECT_FALSE(tray.Visible());
    tray.SetVisible(true);
    tray.SetVisible(true);
    EXPECT_TRUE(tray.Visible());
    EXPECT_EQ(1, shell.Count(NIM_ADD));
    EXPECT_EQ(tray.Handle(), shell.calls.back().data.hWnd);
    EXPECT_EQ(kCallback, shell.calls.back().data.uCallbackMessage);

    tray.SetHint(std::string(200, 'h'));
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), shell.calls.back().message);
    EXPECT_EQ(std::string(127, 'h'), shell.calls.back().data.szTip);
}

TEST(TsTrayIcon, BalloonIconTypesMapToInfoFlags)
{
    const struct {
        int type;
        DWORD flags;
    } cases[] = {{0, NIIF_NONE}, {1, NIIF_ERROR},   {2, NIIF_INFO}, {3, NIIF_WARNING},
                 {4, NIIF_USER}, {5, NIIF_NONE},    {-1, NIIF_NONE}};
    FakeShell shell;
    TsTrayIcon tray(nullptr, 1, kCallback, shell.Function());
    tray.SetVisible(true);
    tray.SetBalloonText("Hot");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        tray.SetBalloonIconType(c.type);
        tray.ShowBalloon();
        EXPECT_EQ(c.flags, shell.calls.back().data.dwInfoFlags);
        EXPECT_TRUE(shell.calls.back().data.uFlags & NIF_INFO);
        EXPECT_STREQ("Hot", shell.calls.back().data.szInfo);
        tray.HideBalloon();
        EXPECT_FALSE(shell.calls.back().data.uFlags & NIF_INFO);
    }
}

TEST(TsTrayIcon, IconIsItsOwnCopyOfTheApplicationIconAndChangesAreSent)
{
    Application->Icon()->SetHandle(CopyIcon(LoadIcon(nullptr, IDI_APPLICATION)));
    FakeShell shell;
    TsTrayIcon tray(nullptr, 1, kCallback, shell.Function());
    ASSERT_NE(nullptr, tray.Icon()->Handle());
    EXPECT_NE(Application->Icon()->Handle(), tray.Icon()->Handle());
    tray.SetVisible(true);
    EXPECT_EQ(tray.Icon()->Handle(), shell.calls.back().data.hIcon);
    EXPECT_TRUE(shell.calls.back().data.uFlags & NIF_ICON);

    tray.Icon()->SetHandle(CopyIcon(LoadIcon(nullptr, IDI_WARNING)));
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), shell.calls.back().message);
    EXPECT_EQ(tray.Icon()->Handle(), shell.calls.back().data.hIcon);
}

TEST(TsTrayIcon, DestructionRemovesTheEntryAndTheHiddenWindow)
{
    FakeShell shell;
    auto owner = std::make_unique<TComponent>(nullptr);
    auto* tray = new TsTrayIcon(owner.get(), 1, kCallback, shell.Function());
    tray->SetVisible(true);
    const HWND window = tray->Handle();
    ASSERT_TRUE(IsWindow(window));
    owner.reset();
    EXPECT_EQ(1, shell.Count(NIM_DELETE));
    EXPECT_FALSE(IsWindow(window));
}

TEST(TsTrayIcon, MinimizeAndRestoreFireTheirEvents)
{
    FakeShell shell;
    TsTrayIcon tray(nullptr, 1, kCallback, shell.Function());
    Log log;
    tray.OnMinimize = [&](TObject* sender) { log.push_back(sender == &tray ? "minimize" : "?"); };
    tray.OnRestore = [&](TObject* sender) { log.push_back(sender == &tray ? "restore" : "?"); };
    tray.SetRestoreTrigger(5);
    tray.Minimize();
    SendMessageA(tray.Handle(), kCallback, 1, WM_LBUTTONDBLCLK);
    EXPECT_EQ((Log{"minimize", "restore"}), log);
}

TEST(TsTrayIcon, TaskbarRestartAddsTheEntryAgain)
{
    FakeShell shell;
    TsTrayIcon tray(nullptr, 1, kCallback, shell.Function());
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    SendMessageA(tray.Handle(), taskbarCreated, 0, 0);
    EXPECT_EQ(0, shell.Count(NIM_ADD)) << "a hidden entry stays hidden";
    tray.SetVisible(true);
    SendMessageA(tray.Handle(), taskbarCreated, 0, 0);
    EXPECT_EQ(2, shell.Count(NIM_ADD));
    EXPECT_TRUE(tray.Visible());
}

// Against the prefix's real shell: the entry is there while visible, comes back when
// the taskbar announces itself to every top-level window, and goes with the component.
TEST(TsTrayIcon, RealEntryComesBackAfterTheTaskbarIsCreatedAgain)
{
    auto tray = std::make_unique<TsTrayIcon>(nullptr, 1, kCallback);
    tray->SetHint("Pellon");
    tray->SetVisible(true);
    ASSERT_TRUE(tray->Visible());
    NOTIFYICONDATAA probe = {};
    probe.cbSize = CsTrayIcon::kRecordSize;
    probe.hWnd = tray->Handle();
    probe.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "entry missing while visible";

    // What a shell restart does to the entry.
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &probe));
    DWORD_PTR result = 0;
    SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0,
                        SMTO_ABORTIFHUNG, 5000, &result);
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "entry not re-added";

    tray.reset();
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "entry left behind";
}

// The entries of the prefix's tray: with no desktop tray on the X server, Wine shows
// them as child windows of a tray window of its own.
std::vector<HWND> WineTrayIcons()
{
    std::vector<HWND> icons;
    for (HWND tray = FindWindowExA(nullptr, nullptr, "__winex11_standalone_tray", nullptr); tray;
         tray = FindWindowExA(nullptr, tray, "__winex11_standalone_tray", nullptr)) {
        for (HWND icon = FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr); icon;
             icon = FindWindowExA(tray, icon, "__winex11_tray_icon", nullptr))
            icons.push_back(icon);
    }
    return icons;
}

void ProcessMessagesFor(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

void ClickLeft()
{
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(2u, SendInput(2, input, sizeof(INPUT)));
}

// Two real pointer clicks on the real entry, close enough for a double-click.
TEST(TsTrayIcon, RealClicksOnTheEntryFireTheEventsInOrder)
{
    const std::vector<HWND> before = WineTrayIcons();
    LoggingTrayIcon tray(Shell_NotifyIconA);
    tray.SetVisible(true);
    ProcessMessagesFor(300);
    HWND entry = nullptr;
    for (HWND icon : WineTrayIcons()) {
        if (std::find(before.begin(), before.end(), icon) == before.end())
            entry = icon;
    }
    ASSERT_NE(nullptr, entry) << "no tray window shows the entry";
    RECT rect{};
    GetWindowRect(entry, &rect);
    POINT pointerBefore{};
    GetCursorPos(&pointerBefore);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    ProcessMessagesFor(100);
    ClickLeft();
    ProcessMessagesFor(100);
    ClickLeft();
    ProcessMessagesFor(700);
    // Later tests expect the pointer where it was, not over the tray.
    SetCursorPos(pointerBefore.x, pointerBefore.y);

    Log clicks;
    std::copy_if(tray.log.begin(), tray.log.end(), std::back_inserter(clicks),
                 [](const std::string& entry) { return entry != "move {}"; });
    EXPECT_EQ((Log{"down left {left}", "up left {left}", "click", "dblclick", "up left {left}",
                   "click"}),
              clicks);
}

}  // namespace
