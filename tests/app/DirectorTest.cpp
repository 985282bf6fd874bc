// The main window's controller on the real main form, with its board, settings, BIOS
// and texts replaced by a recorder: the mode choice by mouse and keyboard, resume, the
// tray and menu, and which bars a poll renders.
#include "app/Dialog.h"
#include "app/Director.h"
#include "app/DirectorLayout.h"
#include "app/MainForm.h"
#include "app/ReadingTexts.h"
#include "app/Shadow.h"
#include "framework/Application.h"
#include "src/gui/widget/GsButton.h"
#include "src/gui/widget/GsButtonState.h"
#include "src/gui/widget/GsImage.h"
#include "src/gui/widget/GsLabel.h"
#include "src/gui/widget/GsRadioButton.h"
#include "src/gui/widget/NrTrayIcon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Recorder : ControllerServices {
    int phases = 16;
    int perSensor = 2;
    PollReadings readings{std::vector<PhaseReading>(16, PhaseReading{true, 0}), false, 0};
    std::uint32_t storedMode = 1;
    bool runAtStartup = true;
    int polls = 0;
    std::vector<std::string> writes;  // "bios 1", "mode 0", "startup 1", in order

    int PhaseCount() const override { return phases; }
    int PhasesPerSensor() const override { return perSensor; }
    const PollReadings& Poll() override
    {
        ++polls;
        return readings;
    }
    std::uint32_t ReadMode() const override { return storedMode; }
    void WriteMode(std::uint32_t mode) override { writes.push_back("mode " + std::to_string(mode)); }
    bool ReadRunAtStartup() const override { return runAtStartup; }
    void WriteRunAtStartup(bool run) override { writes.push_back("startup " + std::to_string(run)); }
    void WriteBiosMode(std::uint32_t mode) override { writes.push_back("bios " + std::to_string(mode)); }
    std::string GetText(const std::string& key) const override
    {
        if (key == "Degrees")
            return "%1 deg";
        if (key == "PhaseTip")
            return "P%1 %2 (%3)";
        if (key == "PhaseSensorOff")
            return "P%1 off";
        return "<" + key + ">";
    }
    std::string LanguageName() const override { return "English"; }
};

// The control of that kind at that place on the form, whoever owns it.
template <class T>
T* FindAt(TWinControl* form, TPoint at)
{
    for (int i = 0; i < form->ControlCount(); ++i) {
        auto* found = dynamic_cast<T*>(form->Controls(i));
        if (found && found->Left() == at.X && found->Top() == at.Y)
            return found;
    }
    return nullptr;
}

// A key pressed and released through the system's input queue, as the keyboard gives it
// to the active window, then the messages it made processed.
void Press(WORD key, bool shift = false)
{
    if (shift)
        keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, 0, 0);
    keybd_event(static_cast<BYTE>(key), 0, KEYEVENTF_KEYUP, 0);
    if (shift)
        keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    for (int i = 0; i < 15; ++i) {
        Sleep(10);
        Application->ProcessMessages();
    }
}

// The real main form and a controller over a recorder, built once for the suite as the
// program builds them, from a stored mode of 7 and start-up switched off. Each test sets
// the mode it starts from with a resume.
class DirectorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        form = new TMainForm(Application);
        recorder = new Recorder;
        recorder->storedMode = 7;
        recorder->runAtStartup = false;
        const MainWindowParts parts{form,             form->Background, form->AverageTemp,
                                    form->PhaseTitle, form->PopupMenu,  form->MenuItem0,
                                    form->MenuItem1,  form->PollingTimer};
        director = new Director(parts, nullptr, std::unique_ptr<ControllerServices>(recorder));
        director->Build();
        buildWrites = recorder->writes;
        const LayoutGeometry& layout = LayoutOf(WindowLayout::Medium);
        performanceRadio = FindAt<gs::GsRadioButton>(form, layout.performanceRadio);
        savingRadio = FindAt<gs::GsRadioButton>(form, layout.savingRadio);
        performanceLabel = FindAt<gs::GsLabel>(form, layout.performanceLabel);
        savingLabel = FindAt<gs::GsLabel>(form, layout.savingLabel);
        closeButton = FindAt<gs::GsButton>(form, layout.closeButton);
    }
    static void TearDownTestSuite()
    {
        delete director;
        form->Free();
    }
    void SetUp() override
    {
        ASSERT_TRUE(performanceRadio && savingRadio && performanceLabel && savingLabel);
        recorder->writes.clear();
        recorder->polls = 0;
    }
    // The picture of phase `phase`'s bar, found where the medium layout puts its slot.
    static gs::GsImage* BarOfPhase(int phase)
    {
        const int slot = PhaseSlots(16, 2)[static_cast<size_t>(phase)];
        const int left = BarLeft(slot, 16, LayoutOf(WindowLayout::Medium).lastBarLeft);
        return FindAt<gs::GsImage>(form, TPoint(left, kBarTop));
    }
    void ResumeTo(std::uint32_t mode)
    {
        recorder->storedMode = mode;
        director->Resume();
        recorder->writes.clear();
    }

    static TMainForm* form;
    static Recorder* recorder;  // owned by the director
    static Director* director;
    static std::vector<std::string> buildWrites;
    static gs::GsRadioButton* performanceRadio;
    static gs::GsRadioButton* savingRadio;
    static gs::GsLabel* performanceLabel;
    static gs::GsLabel* savingLabel;
    static gs::GsButton* closeButton;
};
TMainForm* DirectorTest::form;
Recorder* DirectorTest::recorder;
Director* DirectorTest::director;
std::vector<std::string> DirectorTest::buildWrites;
gs::GsRadioButton* DirectorTest::performanceRadio;
gs::GsRadioButton* DirectorTest::savingRadio;
gs::GsLabel* DirectorTest::performanceLabel;
gs::GsLabel* DirectorTest::savingLabel;
gs::GsButton* DirectorTest::closeButton;

using Writes = std::vector<std::string>;

TEST_F(DirectorTest, BuildAppliesTheStoredModeAndDressesTheForm)
{
    // Neither 1 nor 0: shown as saving and written back as it is.
    EXPECT_EQ(Writes({"bios 7", "mode 7"}), buildWrites);
    EXPECT_EQ("<PreformanceMode>", performanceLabel->Caption());
    EXPECT_EQ("<SavingMode>", savingLabel->Caption());
    EXPECT_EQ("<AVG>", form->AverageTemp->Caption());
    EXPECT_EQ("<RunAtStartup>", form->MenuItem0->Caption());
    EXPECT_EQ(680, form->Width());
    ResumeTo(7);
    EXPECT_TRUE(savingRadio->Checked());
    EXPECT_FALSE(performanceRadio->Checked());
    EXPECT_EQ(ModeLabelColorsFor(true).font, savingLabel->Font()->Color());
    EXPECT_EQ(ModeLabelColorsFor(false).glow, performanceLabel->Radiation()->Color());
}

TEST_F(DirectorTest, ModeChoicesWriteAsTheirControlSays)
{
    enum Control { PerformanceRadio, SavingRadio, PerformanceLabel, SavingLabel };
    struct Case {
        std::uint32_t stored;
        Control clicked;
        Writes writes;
        bool performanceChecked;
    } cases[] = {
        {1, PerformanceRadio, {"bios 1", "mode 1"}, true},  // the active radio writes again
        {1, SavingRadio, {"bios 0", "mode 0"}, false},
        {0, PerformanceRadio, {"bios 1", "mode 1"}, true},
        {1, PerformanceLabel, {}, true},  // the active mode's label does nothing
        {1, SavingLabel, {"bios 0", "mode 0"}, false},
        {0, SavingLabel, {}, false},
        {0, PerformanceLabel, {"bios 1", "mode 1"}, true},
    };
    for (const Case& c : cases) {
        ResumeTo(c.stored);
        TControl* controls[] = {performanceRadio, savingRadio, performanceLabel, savingLabel};
        TControl* clicked = controls[c.clicked];
        clicked->OnClick(clicked);
        EXPECT_EQ(c.writes, recorder->writes) << c.stored << " " << c.clicked;
        EXPECT_EQ(c.performanceChecked, performanceRadio->Checked()) << c.stored << " " << c.clicked;
        EXPECT_NE(c.performanceChecked, savingRadio->Checked()) << c.stored << " " << c.clicked;
        const gs::GsLabel* active = c.performanceChecked ? performanceLabel : savingLabel;
        const gs::GsLabel* inactive = c.performanceChecked ? savingLabel : performanceLabel;
        EXPECT_EQ(ModeLabelColorsFor(true).glow, active->Radiation()->Color()) << c.stored << " " << c.clicked;
        EXPECT_EQ(ModeLabelColorsFor(false).font, inactive->Font()->Color()) << c.stored << " " << c.clicked;
    }
}

// Keys on the shown window, one after another from the performance mode: Tab and
// Shift+Tab go round the two choices and the close button; Space and the arrows choose
// as a click does, the arrows taking the focus along; Esc hides. Focus marks appear
// with the first navigation key, not before.
TEST_F(DirectorTest, TheKeyboardMovesChoosesAndHides)
{
    ResumeTo(1);
    director->ShowMainWindow();
    Application->ProcessMessages();
    ASSERT_TRUE(performanceRadio->Focused()) << "the checked choice takes the focus";
    EXPECT_EQ(gs::Raised, performanceRadio->State()) << "no focus mark before the keyboard is used";

    enum Focus { Performance, Saving, Close, Hidden };
    struct Step {
        WORD key;
        bool shift;
        Focus focus;
        Writes writes;
        bool performanceChecked;
    } steps[] = {
        {VK_TAB, false, Saving, {}, true},
        {VK_TAB, false, Close, {}, true},
        {VK_TAB, false, Performance, {}, true},  // round again
        {VK_TAB, true, Close, {}, true},
        {VK_TAB, true, Saving, {}, true},
        {VK_SPACE, false, Saving, {"bios 0", "mode 0"}, false},
        {VK_SPACE, false, Saving, {"bios 0", "mode 0"}, false},  // the chosen one writes again
        {VK_LEFT, false, Performance, {"bios 1", "mode 1"}, true},
        {VK_DOWN, false, Saving, {"bios 0", "mode 0"}, false},
        {VK_UP, false, Performance, {"bios 1", "mode 1"}, true},
        {VK_RIGHT, false, Saving, {"bios 0", "mode 0"}, false},
        {VK_RIGHT, false, Performance, {"bios 1", "mode 1"}, true},  // round again
        {VK_ESCAPE, false, Hidden, {}, true},
    };
    TWinControl* controls[] = {performanceRadio, savingRadio, closeButton};
    int number = 0;
    for (const Step& s : steps) {
        ++number;
        recorder->writes.clear();
        Press(s.key, s.shift);
        EXPECT_EQ(s.writes, recorder->writes) << "step " << number;
        EXPECT_EQ(s.performanceChecked, performanceRadio->Checked()) << "step " << number;
        EXPECT_NE(s.performanceChecked, savingRadio->Checked()) << "step " << number;
        const gs::GsLabel* active = s.performanceChecked ? performanceLabel : savingLabel;
        EXPECT_EQ(ModeLabelColorsFor(true).glow, active->Radiation()->Color()) << "step " << number;
        EXPECT_EQ(s.focus != Hidden, form->Visible()) << "step " << number;
        if (s.focus == Hidden)
            continue;
        gs::GsCustomButton* focused = static_cast<gs::GsCustomButton*>(controls[s.focus]);
        EXPECT_TRUE(focused->Focused()) << "step " << number;
        EXPECT_EQ(gs::Focused, focused->State()) << "step " << number;
    }
    EXPECT_FALSE(form->PollingTimer->Enabled());

    // Shown again: the focus is on the choice, unmarked until a key moves it; Space on the
    // close button hides as its click does.
    ResumeTo(0);
    director->ShowMainWindow();
    Application->ProcessMessages();
    EXPECT_TRUE(savingRadio->Focused());
    EXPECT_EQ(gs::Raised, savingRadio->State());
    Press(VK_TAB);
    EXPECT_EQ(gs::Focused, closeButton->State());
    Press(VK_SPACE);
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(recorder->writes.empty());
}

TEST_F(DirectorTest, ResumeTrayAndMenu)
{
    ResumeTo(1);
    recorder->storedMode = 0;
    director->Resume();
    EXPECT_EQ(Writes({"bios 0", "mode 0"}), recorder->writes);
    EXPECT_TRUE(savingRadio->Checked());
    EXPECT_EQ(2, recorder->polls);

    TsTrayIcon* tray = nullptr;
    for (int i = 0; i < form->ComponentCount() && !tray; ++i)
        tray = dynamic_cast<TsTrayIcon*>(form->Components(i));
    ASSERT_TRUE(tray);
    EXPECT_EQ(kRightButtonUp, tray->PopupTrigger());
    EXPECT_FALSE(form->Visible());
    tray->OnClick(tray);
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(form->PollingTimer->Enabled());
    director->HideMainWindow();
    EXPECT_FALSE(form->PollingTimer->Enabled());

    // Start-up was read as switched off.
    recorder->writes.clear();
    form->MenuItem0->Click();
    form->MenuItem0->Click();
    EXPECT_EQ(Writes({"startup 1", "startup 0"}), recorder->writes);
    EXPECT_FALSE(form->MenuItem0->Checked());
}

// Each phase's bar is found by its place on the window; a marker in its picture's top
// row (unlit at these readings, so every render clears it) shows whether a poll made
// the picture again. Only the bars whose reading changed are rendered, once.
TEST_F(DirectorTest, APollRendersOnlyTheBarsWhoseReadingChanged)
{
    std::vector<TBitmap*> pictures(16);
    for (int phase = 0; phase < 16; ++phase) {
        gs::GsImage* image = BarOfPhase(phase);
        ASSERT_TRUE(image) << "phase " << phase;
        pictures[static_cast<size_t>(phase)] = image->Picture()->Bitmap();
    }
    director->UpdateBars();
    recorder->readings.phases[3] = {true, 9};
    recorder->readings.phases[8] = {false, 0};
    recorder->readings.phases[15] = {true, -4};
    for (int poll = 0; poll < 2; ++poll) {
        for (TBitmap* picture : pictures)
            picture->ScanLine(0)[3] = 77;
        director->UpdateBars();
        for (int phase = 0; phase < 16; ++phase) {
            const bool changed = poll == 0 && (phase == 3 || phase == 8 || phase == 15);
            EXPECT_EQ(changed, pictures[static_cast<size_t>(phase)]->ScanLine(0)[3] != 77)
                << "poll " << poll << " phase " << phase;
        }
    }
}

// The legend's value and the bars' tooltips follow each poll: the average while an
// enabled sensor was read, a bar's tooltip by the number under it.
TEST_F(DirectorTest, APollShowsTheAverageAndEachBarsTemperature)
{
    TLabel* value = FindAt<TLabel>(form, TPoint(kLegendValueBounds.Left, kLegendValueBounds.Top));
    ASSERT_TRUE(value);
    const auto tipOf = [](int phase) {
        gs::GsImage* image = BarOfPhase(phase);
        return image ? image->Hint() : "no bar";
    };
    PollReadings& readings = recorder->readings;
    readings.phases[2] = {true, 3, true, 52};
    readings.phases[9] = {false, -8, true, 41};
    readings.phases[10] = {true, 0, false, 0};  // its register failed: "no reading"
    readings.phases[11] = {true, -12, true, 37};
    readings.hasAverage = true;
    readings.average = 49;
    director->UpdateBars();
    EXPECT_EQ("49 deg", value->Caption());
    EXPECT_EQ(taRightJustify, value->Alignment());
    EXPECT_EQ("P05 52 deg (+3 deg)", tipOf(2));  // phase 2 is the fifth bar
    EXPECT_EQ("P04 off", tipOf(9));
    EXPECT_EQ("<PhaseNoReading>", tipOf(10));
    EXPECT_EQ("P14 37 deg (-12 deg)", tipOf(11));
    readings.hasAverage = false;
    director->UpdateBars();
    EXPECT_EQ("", value->Caption());
}

// Dragged to a monitor of 200 % and back: the window is made again at each scale where
// the system puts it, every figure scaled, the mode and the readings kept, and nothing
// written to the board; back at 100 % it is as it was, with no element left over.
TEST(DirectorScale, AChangeOfMonitorScaleRemakesTheWindowInPlace)
{
    TMainForm form(nullptr);
    auto* recorder = new Recorder;
    recorder->storedMode = 0;
    recorder->readings.phases[0] = {true, 10, true, 60};
    const MainWindowParts parts{&form,           form.Background, form.AverageTemp,
                                form.PhaseTitle, form.PopupMenu,  form.MenuItem0,
                                form.MenuItem1,  form.PollingTimer};
    TShadowForm shadow(nullptr, &form, "tbg_01_shadow.png");
    shadow.SetUpPicture();
    Director director(parts, &shadow, std::unique_ptr<ControllerServices>(recorder));
    director.Build();
    recorder->writes.clear();
    const int controls = form.ControlCount();
    const LayoutGeometry& layout = LayoutOf(WindowLayout::Medium);
    const int firstBar = BarLeft(PhaseSlots(16, 2)[0], 16, layout.lastBarLeft);

    struct Step {
        int dpi;
        int scale;
    } steps[] = {{192, 2}, {96, 1}};
    for (const Step& step : steps) {
        RECT suggested{100, 50, 100 + 680 * step.scale, 50 + 347 * step.scale};
        SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(step.dpi, step.dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        const int s = step.scale;
        EXPECT_EQ(TRect(100, 50, 100 + 680 * s, 50 + 347 * s), form.BoundsRect()) << step.dpi;
        // The shadow takes the picture of the scale, on the owner's corner.
        EXPECT_EQ(TRect(100, 50, 100 + 694 * s, 50 + 361 * s), shadow.BoundsRect()) << step.dpi;
        EXPECT_EQ(controls, form.ControlCount()) << step.dpi;
        EXPECT_EQ(Writes(), recorder->writes) << step.dpi;
        gs::GsImage* bar = FindAt<gs::GsImage>(&form, TPoint(firstBar * s, kBarTop * s));
        ASSERT_TRUE(bar) << step.dpi;
        EXPECT_EQ(184 * s, bar->Height()) << step.dpi;
        EXPECT_EQ("P01 60 deg (+10 deg)", bar->Hint()) << step.dpi;
        EXPECT_EQ(-11 * s, form.AverageTemp->Font()->Height()) << step.dpi;
        EXPECT_EQ(TPoint(56 * s, 295 * s), TPoint(form.AverageTemp->Left(), form.AverageTemp->Top()));
        auto* saving = FindAt<gs::GsRadioButton>(&form, TPoint(layout.savingRadio.X * s, layout.savingRadio.Y * s));
        ASSERT_TRUE(saving) << step.dpi;
        EXPECT_TRUE(saving->Checked()) << step.dpi;
        EXPECT_EQ(16 * s, saving->Width()) << step.dpi;
    }
    // The form bound the application's hooks to itself; they go with it.
    Application->OnMessage = nullptr;
    Application->OnException = nullptr;
}

// A change of scale while the warning shows: the dialog is made again in the new scale's
// pixels where the system puts it, and still ends as its button says.
TEST(DialogScale, AChangeOfMonitorScaleRemakesTheShownDialog)
{
    TWarnForm dialog(nullptr);
    static TWarnForm* shown;
    static TRect bounds;
    static int okWidth;
    shown = &dialog;
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        RECT suggested{10, 20, 10 + 828, 20 + 384};
        SendMessageA(shown->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
        bounds = shown->BoundsRect();
        okWidth = shown->OkButton->Width();
        shown->SetModalResult(shown->OkButton->ModalResult());
    });
    dialog.ShowWarning("Title", "Message");
    EXPECT_EQ(TRect(10, 20, 10 + 828, 20 + 384), bounds);
    EXPECT_EQ(228, okWidth);
    EXPECT_EQ(mrOk, dialog.ModalResult());
    EXPECT_EQ(-24, dialog.MessageLabel->Font()->Height());
}

TEST(ReadingTexts, PatternsFromFilesFillOnlyTheirPlaces)
{
    const struct {
        const char* pattern;
        const char* text;
    } cases[] = {
        {"%1 (%2) %3", "a (b) c"}, {"%3%2%1", "cba"},  {"%4 %0 %x", "%4 %0 %x"},
        {"100%% %1", "100% a"},    {"%%1", "%1"},      {"end %", "end %"},
        {"%s %n %d", "%s %n %d"},  {"", ""},           {"%1%1", "aa"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text, FillIn(c.pattern, "a", "b", "c")) << c.pattern;
}

}  // namespace
