// What the shaped forms look like on the real screen and how they take the real
// pointer: cut-out key, per-pixel alpha, click-through and dragging.
#include "src/gui/widget/TShapedForm.h"
#include "framework/Bitmap.h"
#include "GuiTestSupport.h"
#include "ToolkitTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

using namespace toolkittest;

namespace {

constexpr COLORREF kGreen = RGB(0, 160, 0);

// 120 x 80 in three bands of 40: key magenta / blue / blue.
void PaintKeyed(TImage* image)
{
    Paint(image->Picture()->Bitmap(), pf24bit, 120, 80, {{0, 40, 255, 0, 255, 0}, {40, 120, 255, 0, 0, 0}});
}

// 120 x 80 in three bands of 40, premultiplied red: alpha 0 / alpha 128 / opaque.
void PaintPerPixel(TImage* image)
{
    Paint(image->Picture()->Bitmap(), pf32bit, 120, 80,
          {{0, 40, 0, 0, 0, 0}, {40, 80, 0, 0, 128, 128}, {80, 120, 0, 0, 255, 255}});
}

struct Press {
    TObject* sender;
    TMouseButton button;
};

TMouseEvent Recorder(std::vector<Press>& presses)
{
    return [&presses](TObject* sender, TMouseButton button, TShiftState, int, int) {
        presses.push_back({sender, button});
    };
}

TPoint WindowCorner(TForm* form)
{
    RECT rect{};
    GetWindowRect(form->Handle(), &rect);
    return TPoint(rect.left, rect.top);
}

}  // namespace

TEST(ShapedFormScreen, KeyedPixelsAreCutOutAndPerPixelAlphaGivesTheShape)
{
    auto backdrop = MakeBackdrop(RGBColor(0, 160, 0), TRect(100, 100, 500, 300));
    backdrop->Show();
    ShapedForm keyed = MakeForm("KeyedForm", 140, 150);
    ShapedForm perPixel = MakeForm("PerPixelForm", 320, 150);
    PaintKeyed(keyed.image);
    PaintPerPixel(perPixel.image);
    gs::TLayeredFormMaker keyedMaker;
    gs::TPerPixelLayeredFormMaker perPixelMaker;
    perPixelMaker.SetPerPixelAlpha(true);
    ASSERT_TRUE(keyedMaker.Attach(keyed.image));
    ASSERT_TRUE(perPixelMaker.Attach(perPixel.image));
    keyed.form->Show();
    perPixel.form->Show();
    guitest::Pump(400);

    const Screenshot shot("layered-forms");
    ASSERT_TRUE(shot.Valid());
    EXPECT_EQ(Rgb(kGreen), Rgb(shot.Pixel(140 + 20, 190))) << "key colour: the backdrop shows";
    EXPECT_EQ(Rgb(RGB(0, 0, 255)), Rgb(shot.Pixel(140 + 80, 190))) << "the form's own pixels";
    EXPECT_EQ(Rgb(kGreen), Rgb(shot.Pixel(320 + 20, 190))) << "alpha 0: the backdrop shows";
    EXPECT_EQ(Rgb(RGB(255, 0, 0)), Rgb(shot.Pixel(320 + 100, 190))) << "opaque pixels";
    EXPECT_EQ(Rgb(kGreen), Rgb(shot.Pixel(320 + 100, 150 + 80 + 5))) << "below the image: nothing";
    std::printf("alpha 128 over rgb(0, 160, 0) shows as %s\n", Rgb(shot.Pixel(320 + 60, 190)).c_str());
}

TEST(ShapedFormScreen, AClickOnAClickThroughWindowReachesTheWindowBelow)
{
    auto backdrop = MakeBackdrop(RGBColor(0, 160, 0), TRect(100, 100, 500, 300));
    std::vector<Press> below;
    backdrop->OnMouseDown = Recorder(below);
    backdrop->Show();
    // Wine gives a shown window's input shape only when it is mapped: each case is a new
    // window.
    for (bool clickThrough : {true, false}) {
        SCOPED_TRACE(clickThrough ? "click-through" : "not click-through");
        below.clear();
        ShapedForm shadow = MakeForm("ShadowForm", 200, 150);
        PaintPerPixel(shadow.image);
        std::vector<Press> onShadow;
        shadow.image->OnMouseDown = Recorder(onShadow);
        gs::TPerPixelLayeredFormMaker maker;
        maker.SetDraggable(false);
        maker.SetPerPixelAlpha(true);
        maker.SetClickThrough(clickThrough);
        ASSERT_TRUE(maker.Attach(shadow.image));
        shadow.form->Show();
        guitest::Pump(300);
        guitest::MoveMouse(200 + 100, 150 + 40);
        guitest::Click(1);
        EXPECT_EQ(clickThrough ? 1u : 0u, below.size());
        EXPECT_EQ(clickThrough ? 0u : 1u, onShadow.size());
    }
    guitest::MoveMouse(5, 5);
}

TEST(ShapedFormScreen, ALeftDragOnTheImageMovesTheFormAndEveryPressReachesThePreviousHandler)
{
    ShapedForm made = MakeForm("DragForm", 300, 200);
    PaintKeyed(made.image);
    std::vector<Press> presses;
    made.image->OnMouseDown = Recorder(presses);
    gs::TLayeredFormMaker maker;
    ASSERT_TRUE(maker.Attach(made.image));
    made.form->Show();
    guitest::Pump(300);

    Drag(1, 300 + 80, 200 + 40, 60, 35);
    EXPECT_EQ(TPoint(360, 235), WindowCorner(made.form.get())) << "moved by the pointer's distance";
    ASSERT_EQ(1u, presses.size());
    EXPECT_EQ(mbLeft, presses[0].button);
    EXPECT_EQ(made.image, presses[0].sender);

    Drag(3, 360 + 80, 235 + 40, 50, 50);
    EXPECT_EQ(TPoint(360, 235), WindowCorner(made.form.get())) << "the right button does not move it";
    ASSERT_EQ(2u, presses.size());
    EXPECT_EQ(mbRight, presses[1].button);

    maker.SetDraggable(false);
    Drag(1, 360 + 80, 235 + 40, 50, 50);
    EXPECT_EQ(TPoint(360, 235), WindowCorner(made.form.get())) << "not draggable";
    ASSERT_EQ(3u, presses.size()) << "the image has its own handler back";
    EXPECT_EQ(mbLeft, presses[2].button);

    maker.SetDraggable(true);
    Drag(1, 360 + 80, 235 + 40, -100, -30);
    EXPECT_EQ(TPoint(260, 205), WindowCorner(made.form.get())) << "draggable again";
    EXPECT_EQ(4u, presses.size());
    guitest::MoveMouse(5, 5);
}
