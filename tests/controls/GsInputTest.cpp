// The skinned controls under real input (xdotool through the X server and Wine, keys
// through the system's input queue), judged by the pixels they put on the screen.
#include "src/gui/widget/GsButton.h"
#include "src/gui/widget/GsButtonAppearance.h"
#include "src/gui/widget/GsButtonState.h"
#include "src/gui/widget/GsImage.h"
#include "src/gui/widget/GsLabel.h"
#include "framework/Bitmap.h"
#include "src/gui/widget/GsRadioButton.h"
#include "src/gui/widget/GsRadioButtonAppearance.h"
#include "framework/Forms.h"
#include "framework/Timers.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using guitest::Pump;
using guitest::PumpUntil;
using namespace gs;

namespace {

// One colour per state number, so the screen tells which face is shown.
const COLORREF kStateColors[] = {RGB(200, 0, 0),   RGB(0, 200, 0),   RGB(0, 0, 200),
                                 RGB(90, 90, 90),  RGB(200, 200, 0), RGB(200, 0, 200)};
const COLORREF kCheckedRaised = RGB(0, 120, 120);
const COLORREF kCheckedHovered = RGB(250, 250, 250);

void Solid(TBitmap* bitmap, int width, int height, COLORREF color, uint8_t alpha = 255)
{
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width, height);
    for (int y = 0; y < height; ++y) {
        uint8_t* p = bitmap->ScanLine(y);
        for (int x = 0; x < width; ++x, p += 4) {
            p[0] = GetBValue(color), p[1] = GetGValue(color), p[2] = GetRValue(color), p[3] = alpha;
        }
    }
    bitmap->SetModified(true);
}

void LoadStates(GsButtonAppearance* appearance)
{
    for (int i = 0; i < kStateCount; ++i)
        Solid(appearance->Bitmap(i), 40, 30, kStateColors[i]);
}

COLORREF ScreenPixel(int x, int y)
{
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return color;
}

bool Shows(int x, int y, COLORREF color)
{
    return PumpUntil([&] { return ScreenPixel(x, y) == color; }, 2000);
}

// A borderless black form at (100, 100) with two state-coloured buttons of 40 x 30 at
// (20, 20) and (120, 20); the second repeats mouse-down at rest.
class GsInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        guitest::MoveMouse(5, 5);
        form.SetBorderStyle(bsNone);
        form.SetColor(clBlack);
        form.SetBounds(100, 100, 400, 200);
        for (int i = 0; i < 2; ++i) {
            buttons[i] = new GsButton(&form);
            buttons[i]->SetParent(&form);
            buttons[i]->SetLeft(20 + 100 * i);
            buttons[i]->SetTop(20);
            buttons[i]->SetTabStop(true);
            LoadStates(buttons[i]->Appearance());
            GsButton* button = buttons[i];
            button->OnMouseEnter = [this, i](TObject*) { ++enters[i]; };
            button->OnMouseLeave = [this, i](TObject*) { ++leaves[i]; };
            button->OnMouseDown = [this, i](TObject*, TMouseButton, TShiftState, int x, int y) {
                downs[i].push_back(TPoint(x, y));
            };
            button->OnMouseMove = [this, i, button](TObject*, TShiftState, int x, int y) {
                if (!button->ContainsPoint(x, y))
                    leavesAtOutsideMove[i].push_back(leaves[i]);
            };
        }
        buttons[1]->SetRepeated(true);
        form.Show();
        SetForegroundWindow(form.Handle());
        Pump(300);
    }
    void TearDown() override { guitest::ButtonUp(1); }

    // Screen point of a button's centre.
    static int X(int i) { return 140 + 100 * i; }
    static constexpr int Y = 135;

    TForm form{nullptr};
    GsButton* buttons[2] = {};
    int enters[2] = {};
    int leaves[2] = {};
    std::vector<TPoint> downs[2];
    std::vector<int> leavesAtOutsideMove[2];
};

}  // namespace

TEST_F(GsInputTest, HoverPressDragOutAndLeaveShowTheirFaces)
{
    EXPECT_TRUE(Shows(X(0), Y, kStateColors[Raised]));
    guitest::MoveMouse(X(0), Y);
    EXPECT_TRUE(Shows(X(0), Y, kStateColors[Hovered]));
    guitest::MoveMouse(X(0) + 3, Y + 2);
    EXPECT_EQ(1, enters[0]);
    guitest::ButtonDown(1);
    EXPECT_TRUE(Shows(X(0), Y, kStateColors[Sunken]));
    guitest::MoveMouse(X(0) + 150, Y + 40);  // still inside the form, the button holds the mouse
    EXPECT_TRUE(Shows(X(0), Y, kStateColors[Raised]));
    EXPECT_FALSE(buttons[0]->MouseInside());
    ASSERT_FALSE(leavesAtOutsideMove[0].empty());
    EXPECT_EQ(0, leavesAtOutsideMove[0].front()) << "the move out does not report a leave";
    guitest::ButtonUp(1);
    EXPECT_FALSE(buttons[0]->MousePressed());
    EXPECT_TRUE(PumpUntil([&] { return leaves[0] == 1; }));

    guitest::MoveMouse(X(0), Y);
    EXPECT_TRUE(Shows(X(0), Y, kStateColors[Hovered]));
    EXPECT_EQ(2, enters[0]);
    guitest::MoveMouse(5, 5);
    EXPECT_TRUE(PumpUntil([&] { return leaves[0] == 2; }));
    EXPECT_TRUE(Shows(X(0), Y, kStateColors[Raised]));
    EXPECT_EQ(0, enters[1] + leaves[1]);
}

TEST_F(GsInputTest, RepeatedButtonHeldAtRestFiresMouseDownAgain)
{
    guitest::MoveMouse(X(1), Y);
    guitest::ButtonDown(1);
    EXPECT_TRUE(PumpUntil([&] { return downs[1].size() >= 3; }, 3000)) << downs[1].size();
    for (const TPoint& p : downs[1])
        EXPECT_EQ(TPoint(20, 15), p);
    guitest::ButtonUp(1);
    Pump(100);
    const size_t held = downs[1].size();
    Pump(1200);
    EXPECT_EQ(held, downs[1].size()) << "no repeat without a button held";

    guitest::MoveMouse(X(0), Y);
    guitest::ButtonDown(1);
    Pump(1200);
    guitest::ButtonUp(1);
    EXPECT_EQ(1u, downs[0].size()) << "a button that does not repeat";
}

TEST_F(GsInputTest, KeyboardFocusShowsFocusedAndUnderThePointerActive)
{
    buttons[0]->SetFocus();
    EXPECT_TRUE(Shows(X(0), Y, kStateColors[Focused]));
    keybd_event(VK_TAB, 0, 0, 0);
    keybd_event(VK_TAB, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(Shows(X(1), Y, kStateColors[Focused]));
    EXPECT_TRUE(Shows(X(0), Y, kStateColors[Raised]));
    guitest::MoveMouse(X(1), Y);
    EXPECT_TRUE(Shows(X(1), Y, kStateColors[Active]));
    guitest::ButtonDown(1);
    EXPECT_TRUE(Shows(X(1), Y, kStateColors[Active])) << "focus wins over pressing";
    guitest::ButtonUp(1);
    keybd_event(VK_SPACE, 0, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return buttons[1]->KeyPressed(); }));
    keybd_event(VK_SPACE, 0, KEYEVENTF_KEYUP, 0);
    EXPECT_TRUE(PumpUntil([&] { return !buttons[1]->KeyPressed(); }));
    buttons[0]->SetEnabled(false);
    EXPECT_TRUE(Shows(X(0), Y, kStateColors[Disabled]));
}

TEST_F(GsInputTest, ModalFormClosedByAButtonReturnsItsModalResult)
{
    TForm dialog(nullptr);
    dialog.SetBorderStyle(bsNone);
    dialog.SetBounds(300, 400, 200, 100);
    auto* ok = new GsButton(&dialog);
    ok->SetParent(&dialog);
    ok->SetBounds(10, 10, 0, 0);
    LoadStates(ok->Appearance());
    ok->SetModalResult(mrCancel);
    ok->SetCaption("Ok");
    int seen = -1;
    ok->OnClick = [&](TObject*) { seen = dialog.ModalResult(); };
    auto* timer = new TTimer(&dialog);
    timer->SetInterval(300);
    timer->OnTimer = [&](TObject*) {
        timer->SetEnabled(false);
        guitest::MoveMouse(330, 425);
        guitest::Click();
    };
    EXPECT_EQ(2, dialog.ShowModal());
    EXPECT_EQ(2, seen) << "the modal result is set before OnClick";
}

TEST_F(GsInputTest, RealClickChecksARadioButtonAndUnchecksItsSibling)
{
    GsRadioButton* radios[2];
    for (int i = 0; i < 2; ++i) {
        radios[i] = new GsRadioButton(&form);
        radios[i]->SetParent(&form);
        radios[i]->SetBounds(20 + 100 * i, 100, 0, 0);
        Solid(radios[i]->Appearance()->Unchecked()->Raised(), 40, 30, kStateColors[Raised]);
        Solid(radios[i]->Appearance()->Unchecked()->Hovered(), 40, 30, kStateColors[Hovered]);
        Solid(radios[i]->Appearance()->Checked()->Raised(), 40, 30, kCheckedRaised);
        Solid(radios[i]->Appearance()->Checked()->Hovered(), 40, 30, kCheckedHovered);
    }
    radios[0]->SetChecked(true);
    EXPECT_TRUE(Shows(140, 215, kCheckedRaised));
    guitest::MoveMouse(240, 215);
    guitest::Click();
    EXPECT_TRUE(radios[1]->Checked());
    EXPECT_FALSE(radios[0]->Checked());
    EXPECT_TRUE(Shows(240, 215, kCheckedHovered));
    EXPECT_EQ(8, radios[1]->LastFaceIndex());
    EXPECT_TRUE(Shows(140, 215, kStateColors[Raised]));
}

TEST_F(GsInputTest, ImageBlendsOverItsParentAndLabelGlowsUnlessDisabled)
{
    form.SetColor(RGBColor(0, 60, 0));
    struct Case {
        bool alphaChannel, alphaBlend;
        COLORREF inside, beyond;  // over the picture, and where a 40 x 40 control has none
    } cases[] = {
        {false, false, RGB(200, 100, 50), RGB(200, 100, 50)},  // stretched, alpha ignored
        {true, false, RGB(100, 80, 25), RGB(0, 60, 0)},
        {true, true, RGB(20, 39, 5), RGB(0, 60, 0)},            // AlphaValue 51
    };
    for (const Case& c : cases) {
        auto* image = new GsImage(&form);
        image->SetParent(&form);
        image->SetBounds(250, 100, 40, 40);
        image->SetAlphaValue(51);
        image->SetAlphaChannel(c.alphaChannel);
        image->SetAlphaBlend(c.alphaBlend);
        Solid(image->Picture()->Bitmap(), 20, 20, RGB(200, 100, 50), 128);
        EXPECT_TRUE(Shows(355, 205, c.inside)) << c.alphaChannel << c.alphaBlend;
        EXPECT_TRUE(Shows(380, 230, c.beyond)) << c.alphaChannel << c.alphaBlend;
        delete image;
    }

    auto* label = new GsLabel(&form);
    label->SetParent(&form);
    label->SetBounds(20, 150, 0, 0);
    label->SetTransparent(true);
    label->Font()->SetName("Arial");
    label->Font()->SetHeight(-14);
    label->Font()->SetColor(clWhite);
    label->Radiation()->SetColor(RGBColor(0, 0, 255));
    label->SetCaption("Glow");
    auto colours = [&] {
        Pump(200);
        std::set<COLORREF> seen;
        HDC screen = GetDC(nullptr);
        for (int y = 0; y < label->Height(); ++y)
            for (int x = 0; x < label->Width(); ++x)
                seen.insert(GetPixel(screen, 120 + x, 250 + y));
        ReleaseDC(nullptr, screen);
        seen.erase(RGB(0, 60, 0));
        return seen;
    };
    const std::set<COLORREF> glowing = colours();
    EXPECT_TRUE(glowing.count(RGB(255, 255, 255)));
    EXPECT_GT(glowing.size(), 3u) << "letters and shades of the blue glow";
    label->SetEnabled(false);
    label->Invalidate();
    EXPECT_EQ(std::set<COLORREF>{GetSysColor(COLOR_GRAYTEXT)}, colours());
}

TEST_F(GsInputTest, FaceIsLaidOverThePieceOfTheBackgroundUnderTheButton)
{
    // Background: a vertical ramp, red = x, so the piece under the button is visible.
    TBitmap background;
    background.SetPixelFormat(pf24bit);
    background.SetSize(400, 200);
    for (int y = 0; y < 200; ++y) {
        uint8_t* p = background.ScanLine(y);
        for (int x = 0; x < 400; ++x, p += 3)
            p[0] = 40, p[1] = 0, p[2] = static_cast<uint8_t>(x / 2);
    }
    auto* button = new GsButton(&form);
    button->SetParent(&form);
    button->SetBounds(200, 120, 0, 0);
    Solid(button->Appearance()->Raised(), 40, 30, RGB(0, 200, 0), 128);
    button->SetInputBkgnd(&background);
    // Under the button's (20, 10) lies background (220, 130): red 110 * 127/255 -> 54,
    // blue 40 * 127/255 -> 19, and the face's green 200 * 128/255 -> 100.
    EXPECT_TRUE(Shows(100 + 220, 100 + 130, RGB(54, 100, 19))) << std::hex << ScreenPixel(320, 230);
    button->SetInputBkgnd(nullptr);
    EXPECT_TRUE(Shows(100 + 220, 100 + 130, RGB(0, 200, 0))) << "the bare face";
}
