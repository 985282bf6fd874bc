// Real input: pointer events from xdotool through the X server and Wine, keys through
// the system's input queue, on a windowed and on a non-windowed control.
#include "framework/CustomControls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/SysUtils.h"
#include "framework/Timers.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using guitest::Pump;

namespace {

std::string ButtonName(TMouseButton button)
{
    return button == mbLeft ? "L" : button == mbRight ? "R" : "M";
}

// Wires a control's mouse events into a log, with the control's own coordinates.
template <class Control>
void Record(Control* control, std::vector<std::string>* log)
{
    control->OnMouseDown = [log](TObject*, TMouseButton b, TShiftState s, int x, int y) {
        log->push_back(Format("down %s%s %d,%d", ButtonName(b).c_str(), (s & ssDouble) ? " dbl" : "", x, y));
    };
    control->OnMouseUp = [log](TObject*, TMouseButton b, TShiftState, int x, int y) {
        log->push_back(Format("up %s %d,%d", ButtonName(b).c_str(), x, y));
    };
    control->OnMouseMove = [log](TObject*, TShiftState s, int x, int y) {
        log->push_back(Format("move%s %d,%d", (s & ssLeft) ? " held" : "", x, y));
    };
    control->OnClick = [log](TObject*) { log->push_back("click"); };
    control->OnDblClick = [log](TObject*) { log->push_back("dblclick"); };
}

std::vector<std::string> Without(const std::vector<std::string>& log, const std::string& prefix)
{
    std::vector<std::string> kept;
    for (const auto& entry : log)
        if (entry.compare(0, prefix.size(), prefix) != 0)
            kept.push_back(entry);
    return kept;
}

class Box : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
};

class Pad : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
};

// A borderless form at (100, 100) with a windowed box at (10, 10) and a non-windowed
// pad at (150, 10), both 100 x 80.
class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.SetBorderStyle(bsNone);
        form.SetBounds(100, 100, 300, 200);
        box = new Box(&form);
        box->SetBounds(10, 10, 100, 80);
        box->SetParent(&form);
        pad = new Pad(&form);
        pad->SetBounds(150, 10, 100, 80);
        pad->SetParent(&form);
        Record(box, &boxLog);
        Record(pad, &padLog);
        Record(&form, &formLog);
        form.Show();
        SetForegroundWindow(form.Handle());
        Pump(300);
    }

    // The screen point of a point of `control`.
    TPoint At(TControl* control, int x, int y) { return control->ClientToScreen(TPoint(x, y)); }
    void MoveTo(const TPoint& p) { guitest::MoveMouse(p.X, p.Y); }

    TForm form{nullptr};
    Box* box = nullptr;
    Pad* pad = nullptr;
    std::vector<std::string> boxLog;
    std::vector<std::string> padLog;
    std::vector<std::string> formLog;
};

}  // namespace

TEST_F(InputTest, ClickAndDoubleClickOnWindowedAndNonWindowedControls)
{
    const struct {
        const char* what;
        TControl* control;
        std::vector<std::string>* log;
    } cases[] = {{"windowed", box, &boxLog}, {"non-windowed", pad, &padLog}};
    for (const auto& c : cases) {
        MoveTo(At(c.control, 20, 30));
        c.log->clear();
        guitest::Click(1);
        EXPECT_EQ((std::vector<std::string>{"down L 20,30", "click", "up L 20,30"}), Without(*c.log, "move"))
            << c.what;

        Pump(600);  // no double-click with the next press
        c.log->clear();
        guitest::Click(1, 2);
        EXPECT_EQ((std::vector<std::string>{"down L 20,30", "click", "up L 20,30", "dblclick", "down L dbl 20,30",
                                            "up L 20,30"}),
                  Without(*c.log, "move"))
            << c.what;
        Pump(600);

        c.log->clear();
        guitest::Click(3);
        EXPECT_EQ((std::vector<std::string>{"down R 20,30", "up R 20,30"}), Without(*c.log, "move")) << c.what;
        Pump(600);
    }
    EXPECT_TRUE(Without(formLog, "move").empty()) << "clicks on children never reach the form";
}

TEST_F(InputTest, ControlKeepsTheMouseWhileAButtonIsHeld)
{
    const struct {
        const char* what;
        TControl* control;
        std::vector<std::string>* log;
        TPoint outside;  // in the control's coordinates, over the form
    } cases[] = {{"windowed", box, &boxLog, TPoint(190, 100)}, {"non-windowed", pad, &padLog, TPoint(-100, 100)}};
    for (const auto& c : cases) {
        MoveTo(At(c.control, 20, 30));
        guitest::ButtonDown(1);
        MoveTo(At(c.control, c.outside.X, c.outside.Y));
        guitest::ButtonUp(1);
        const std::string outside = Format("%d,%d", c.outside.X, c.outside.Y);
        EXPECT_EQ((std::vector<std::string>{"down L 20,30", "move held " + outside, "up L " + outside}),
                  Without(*c.log, "move 20,30"))
            << c.what << ": moves and the release go to the control, no click outside it";

        c.log->clear();
        formLog.clear();
        MoveTo(At(c.control, c.outside.X + 5, c.outside.Y));
        EXPECT_TRUE(c.log->empty()) << c.what << ": released, the control lets go";
        EXPECT_FALSE(formLog.empty()) << c.what;
        Pump(600);
    }
}

TEST_F(InputTest, MovesOverANonWindowedControlReachItInItsCoordinates)
{
    MoveTo(At(&form, 5, 5));
    padLog.clear();
    formLog.clear();
    MoveTo(At(pad, 7, 9));
    EXPECT_EQ((std::vector<std::string>{"move 7,9"}), padLog);
    EXPECT_TRUE(formLog.empty());
    pad->SetEnabled(false);
    MoveTo(At(pad, 8, 9));
    EXPECT_EQ(1u, padLog.size()) << "a disabled control gets no mouse input";
    EXPECT_EQ((std::vector<std::string>{"move 158,19"}), formLog);
}

TEST_F(InputTest, RightClickOnAControlShowsItsPopupMenu)
{
    auto* menu = new TPopupMenu(&form);
    auto* item = new TMenuItem(&form);
    item->SetCaption("Item");
    menu->Items()->Add(item);
    pad->SetPopupMenu(menu);
    int popups = 0;
    TTimer closer(nullptr);
    closer.SetEnabled(false);
    closer.SetInterval(100);
    closer.OnTimer = [&](TObject*) {
        closer.SetEnabled(false);
        keybd_event(VK_ESCAPE, 0, 0, 0);
        keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    };
    menu->OnPopup = [&](TObject*) {
        ++popups;
        closer.SetEnabled(true);
    };
    MoveTo(At(pad, 20, 20));
    guitest::Click(3);
    Pump(300);
    EXPECT_EQ(1, popups);
    MoveTo(At(box, 20, 20));
    guitest::Click(3);
    Pump(300);
    EXPECT_EQ(1, popups) << "the box has no menu, nor has the form";
}

namespace {

void PressKey(BYTE key, bool shift = false)
{
    if (shift)
        keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    if (shift)
        keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    Pump(100);
}

void RecordKeys(TWinControl* control, const std::string& name, std::vector<std::string>* log)
{
    control->OnEnter = [=](TObject*) { log->push_back("enter " + name); };
    control->OnExit = [=](TObject*) { log->push_back("exit " + name); };
    control->OnKeyDown = [=](TObject*, WORD& key, TShiftState) {
        if (key != VK_SHIFT)
            log->push_back(Format("keydown %s %u", name.c_str(), key));
    };
    control->OnKeyUp = [=](TObject*, WORD& key, TShiftState) {
        if (key != VK_SHIFT)
            log->push_back(Format("keyup %s %u", name.c_str(), key));
    };
    control->OnKeyPress = [=](TObject*, char& key) { log->push_back(Format("keypress %s %c", name.c_str(), key)); };
}

}  // namespace

TEST_F(InputTest, KeysGoToTheFocusedControlAndTabMovesTheFocus)
{
    auto* second = new Box(&form);
    second->SetBounds(10, 100, 50, 50);
    second->SetParent(&form);
    auto* skipped = new Box(&form);
    skipped->SetBounds(70, 100, 50, 50);
    skipped->SetParent(&form);
    box->SetTabStop(true);
    second->SetTabStop(true);
    std::vector<std::string> log;
    RecordKeys(box, "box", &log);
    RecordKeys(second, "second", &log);
    RecordKeys(skipped, "skipped", &log);

    box->SetFocus();
    EXPECT_TRUE(box->Focused());
    PressKey('A');
    PressKey(VK_TAB);
    EXPECT_TRUE(second->Focused());
    PressKey(VK_TAB);
    EXPECT_TRUE(box->Focused()) << "the control without TabStop is skipped, the order wraps";
    PressKey(VK_TAB, true);
    EXPECT_EQ((std::vector<std::string>{"enter box", "keydown box 65", "keypress box a", "keyup box 65",
                                        "keydown box 9", "exit box", "enter second", "keyup second 9",
                                        "keydown second 9", "exit second", "enter box", "keyup box 9",
                                        "keydown box 9", "exit box", "enter second", "keyup second 9"}),
              log);

    second->SetTabOrder(0);  // now before the box
    log.clear();
    box->SetFocus();
    PressKey(VK_TAB);
    EXPECT_TRUE(second->Focused());
}

namespace {

// The visible hint window of this process and its text, if one shows.
HWND VisibleHint(std::string* text)
{
    HWND hint = FindWindowA("THintWindow", nullptr);
    if (!hint || !IsWindowVisible(hint))
        return nullptr;
    char buffer[128] = {};
    GetWindowTextA(hint, buffer, sizeof buffer);
    *text = buffer;
    return hint;
}

}  // namespace

TEST_F(InputTest, HintShowsAfterThePauseUnderThePointerAndGoesWhenItLeaves)
{
    Application->SetHintPause(100);
    Application->SetHintHidePause(600);
    pad->SetHint("Pad hint");
    pad->SetShowHint(true);
    box->SetHint("Box hint");  // takes ShowHint from the form, which has it off

    const TPoint onPad = At(pad, 30, 30);
    MoveTo(onPad);
    std::string text;
    ASSERT_TRUE(guitest::PumpUntil([&] { return VisibleHint(&text) != nullptr; }, 2000));
    EXPECT_EQ("Pad hint", text);
    RECT r;
    GetWindowRect(VisibleHint(&text), &r);
    EXPECT_EQ(onPad.X, r.left);
    EXPECT_GT(r.top, onPad.Y);
    EXPECT_TRUE(guitest::PumpUntil([&] { return VisibleHint(&text) == nullptr; }, 2000))
        << "it goes after the hide pause";
    Pump(300);
    EXPECT_EQ(nullptr, VisibleHint(&text)) << "and stays away while the pointer rests";

    MoveTo(At(box, 30, 30));
    Pump(400);
    EXPECT_EQ(nullptr, VisibleHint(&text)) << "the box takes ShowHint from the form";
    form.SetShowHint(true);
    MoveTo(At(box, 31, 30));
    ASSERT_TRUE(guitest::PumpUntil([&] { return VisibleHint(&text) != nullptr; }, 2000));
    EXPECT_EQ("Box hint", text);
    MoveTo(At(&form, 290, 190));
    EXPECT_TRUE(guitest::PumpUntil([&] { return VisibleHint(&text) == nullptr; }, 1000))
        << "leaving the control takes the hint away";
}

TEST_F(InputTest, ContextPopupEventCanKeepTheMenuAway)
{
    auto* menu = new TPopupMenu(&form);
    pad->SetPopupMenu(menu);
    int popups = 0;
    menu->OnPopup = [&](TObject*) { ++popups; };
    std::vector<TPoint> asked;
    pad->OnContextPopup = [&](TObject*, TPoint at, bool& handled) {
        asked.push_back(at);
        handled = true;
    };
    MoveTo(At(pad, 12, 34));
    guitest::Click(3);
    Pump(200);
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ(TPoint(12, 34), asked[0]);
    EXPECT_EQ(0, popups);
}
