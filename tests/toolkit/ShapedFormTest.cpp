// The form makers on real forms: what Attach does to the form, the shape settings, the
// design checks and a system without the layered-window functions.
#include "src/gui/widget/TShapedForm.h"
#include "framework/Bitmap.h"
#include "framework/Timers.h"
#include "framework/WindowProcHook.h"
#include "ToolkitTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace toolkittest;

namespace {

constexpr TColor kBottomLeft = RGBColor(10, 20, 30);

// 300 x 200, bottom-left pixel (10, 20, 30), the rest a different colour.
void PaintBackground(TImage* image, TPixelFormat format)
{
    TBitmap* bitmap = image->Picture()->Bitmap();
    Paint(bitmap, format, 300, 200, {{0, 300, 200, 100, 50, 255}});
    BYTE* corner = bitmap->ScanLine(199);
    corner[0] = 30;
    corner[1] = 20;
    corner[2] = 10;
    bitmap->SetModified(true);
}

LONG ExStyle(TForm* form)
{
    return GetWindowLongA(form->Handle(), GWL_EXSTYLE);
}

// Reads and dismisses the message boxes that show while it lives (their own loop runs
// the timer).
struct MessageBoxCatcher {
    TTimer timer{nullptr};
    std::string caption;
    std::string text;
    int boxes = 0;

    explicit MessageBoxCatcher(const std::function<void(const std::string&, const std::string&)>& seen = nullptr)
    {
        timer.SetInterval(100);
        timer.OnTimer = [this, seen](TObject*) {
            HWND box = FindWindowA("#32770", nullptr);
            if (!box)
                return;
            char buffer[256] = {};
            GetWindowTextA(box, buffer, sizeof buffer);
            caption = buffer;
            GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
            text = buffer;
            ++boxes;
            if (seen)
                seen(caption, text);
            SendMessageA(box, WM_COMMAND, IDOK, 0);
        };
    }
};

// A maker that counts the shapes it applies.
template <class Maker>
struct CountingMaker : Maker {
    int shapes = 0;
    void ApplyShape(TForm* form, TImage* image) override
    {
        ++shapes;
        Maker::ApplyShape(form, image);
    }
};

// On an attached maker, a setting set to a new value reshapes the form once; set to the
// same value again, not at all.
template <class Maker, class Set>
void ExpectOneShapePerChange(const char* what, Set set)
{
    SCOPED_TRACE(what);
    ShapedForm made = MakeForm("SettingForm", 10, 10);
    PaintBackground(made.image, pf24bit);
    CountingMaker<Maker> maker;
    ASSERT_TRUE(maker.Attach(made.image));
    maker.shapes = 0;
    set(maker);
    EXPECT_EQ(1, maker.shapes) << "a new value";
    set(maker);
    EXPECT_EQ(1, maker.shapes) << "the same value";
}

}  // namespace

TEST(ShapedForm, AttachSizesTheFormToItsImageAndCutsOutTheBottomLeftColour)
{
    ScopedLookup lookup(RecordingLookup);
    ShapedForm made = MakeForm("MainForm", 60, 70);
    made.form->SetClientWidth(688);
    made.form->SetClientHeight(446);
    made.image->SetBounds(0, 0, 113, 105);
    PaintBackground(made.image, pf24bit);
    gs::TLayeredFormMaker maker;
    EXPECT_TRUE(maker.ColorKeyEnabled());
    ASSERT_TRUE(maker.Attach(made.image));
    EXPECT_TRUE(maker.IsAttached());
    EXPECT_EQ(made.form.get(), maker.GetForm());
    EXPECT_EQ(made.image, maker.GetImage());
    EXPECT_EQ(300, made.form->ClientWidth());
    EXPECT_EQ(200, made.form->ClientHeight());
    EXPECT_EQ(300, made.image->Width());
    EXPECT_TRUE(made.form->ControlStyle() & csOpaque);
    const TColor key = kBottomLeft | 0x02000000;
    EXPECT_EQ(key, maker.GetColorKey());
    EXPECT_EQ(key, made.form->Color());
    EXPECT_EQ(WS_EX_LAYERED, ExStyle(made.form.get()) & (WS_EX_LAYERED | WS_EX_TRANSPARENT));
    const std::string applied = "SetLayeredWindowAttributes key 021e140a alpha 255 flags 1";
    EXPECT_EQ((std::vector<std::string>{applied, applied}), g_systemCalls) << "for the new key, for the shape";

    g_systemCalls.clear();
    maker.SetColorKey(key);
    maker.SetColorKeyEnabled(true);
    EXPECT_TRUE(g_systemCalls.empty()) << "unchanged settings apply nothing";
    maker.SetColorKey(RGBColor(1, 2, 3));
    EXPECT_EQ((std::vector<std::string>{"SetLayeredWindowAttributes key 00030201 alpha 255 flags 1"}), g_systemCalls);
    EXPECT_EQ(RGBColor(1, 2, 3), made.form->Color());
    maker.SetColorKeyEnabled(false);
    EXPECT_EQ(1u, g_systemCalls.size());
    EXPECT_EQ(0, ExStyle(made.form.get()) & WS_EX_LAYERED) << "no key, no layering";
    maker.RemoveShape(made.form.get());
    EXPECT_EQ(0, ExStyle(made.form.get()) & WS_EX_LAYERED);
}

TEST(ShapedForm, PerPixelMakerWithTheShadowSettingsShowsTheImageThroughItsAlpha)
{
    ScopedLookup lookup(RecordingLookup);
    ShapedForm made = MakeForm("ShadowForm", 80, 90);
    made.form->SetClientWidth(688);
    made.form->SetClientHeight(446);
    PaintBackground(made.image, pf32bit);
    gs::TPerPixelLayeredFormMaker maker;
    EXPECT_TRUE(maker.ColorKeyEnabled());
    maker.SetDraggable(false);
    maker.SetPerPixelAlpha(true);
    maker.SetClickThrough(true);
    maker.SetColorKey(0xFF00FF);
    maker.SetColorKeyEnabled(true);
    EXPECT_TRUE(g_systemCalls.empty()) << "nothing is applied before Attach";
    ASSERT_TRUE(maker.Attach(made.image));
    EXPECT_EQ(300, made.form->ClientWidth());
    EXPECT_EQ(200, made.form->ClientHeight());
    EXPECT_EQ(WS_EX_LAYERED | WS_EX_TRANSPARENT, ExStyle(made.form.get()) & (WS_EX_LAYERED | WS_EX_TRANSPARENT));
    EXPECT_FALSE(made.image->OnMouseDown) << "not draggable: the image's handler is left alone";
    const std::string shown = "UpdateLayeredWindow at 80,90 size 300x200 from 0,0 key 021e140a "
                              "blend 0 0 255 1 flags 2, selected 300x200";
    EXPECT_EQ((std::vector<std::string>{shown, shown}), g_systemCalls);

    g_systemCalls.clear();
    maker.SetPerPixelAlpha(true);
    maker.SetClickThrough(true);
    maker.SetColorKey(maker.GetColorKey());
    EXPECT_TRUE(g_systemCalls.empty());
    made.image->Picture()->Bitmap()->Canvas()->Handle();  // as a paint leaves it: held by its canvas
    maker.SetClickThrough(false);
    EXPECT_EQ((std::vector<std::string>{shown}), g_systemCalls);
    EXPECT_EQ(WS_EX_LAYERED, ExStyle(made.form.get()) & (WS_EX_LAYERED | WS_EX_TRANSPARENT));
}

TEST(ShapedForm, EachSettingReshapesAnAttachedFormOnlyWhenItChanges)
{
    using Keyed = gs::TLayeredFormMaker;
    using PerPixel = gs::TPerPixelLayeredFormMaker;
    ExpectOneShapePerChange<Keyed>("keyed: key", [](Keyed& m) { m.SetColorKey(RGBColor(1, 2, 3)); });
    ExpectOneShapePerChange<Keyed>("keyed: key off", [](Keyed& m) { m.SetColorKeyEnabled(false); });
    ExpectOneShapePerChange<PerPixel>("per pixel: key", [](PerPixel& m) { m.SetColorKey(RGBColor(1, 2, 3)); });
    ExpectOneShapePerChange<PerPixel>("per pixel: key off", [](PerPixel& m) { m.SetColorKeyEnabled(false); });
    ExpectOneShapePerChange<PerPixel>("per pixel: click-through", [](PerPixel& m) { m.SetClickThrough(true); });
    ExpectOneShapePerChange<PerPixel>("per pixel: alpha", [](PerPixel& m) { m.SetPerPixelAlpha(true); });
}

TEST(ShapedForm, AnAttachedFormAnswersEraseItselfAndPassesEverythingElseOn)
{
    ShapedForm made = MakeForm("EraseForm", 10, 10);
    PaintBackground(made.image, pf24bit);
    std::vector<UINT> reached;
    TWindowProcHook recorder(made.form.get(), [&](TMessage& message, const TWndMethod& next) {
        reached.push_back(message.Msg);
        next(message);
    });
    gs::TLayeredFormMaker maker;
    ASSERT_TRUE(maker.Attach(made.image));
    reached.clear();
    HDC dc = GetDC(made.form->Handle());
    EXPECT_EQ(1, SendMessageA(made.form->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0));
    ReleaseDC(made.form->Handle(), dc);
    SendMessageA(made.form->Handle(), WM_USER + 7, 0, 0);
    EXPECT_EQ((std::vector<UINT>{WM_USER + 7}), reached);
}

TEST(ShapedForm, AttachWithoutAFormChangesNothing)
{
    gs::TLayeredFormMaker maker;
    EXPECT_FALSE(maker.Attach(nullptr));
    TImage orphan(nullptr);
    EXPECT_FALSE(maker.Attach(&orphan));
    EXPECT_FALSE(maker.IsAttached());
    EXPECT_EQ(nullptr, maker.GetForm());
    EXPECT_EQ(105, orphan.Width());
    EXPECT_FALSE(orphan.OnMouseDown);
}

TEST(ShapedForm, WithoutTheSystemFunctionsBothMakersLeaveAPlainRectangle)
{
    ScopedLookup lookup(MissingLookup);
    ShapedForm keyed = MakeForm("Keyed", 10, 10);
    ShapedForm perPixel = MakeForm("PerPixel", 10, 10);
    PaintBackground(keyed.image, pf24bit);
    PaintBackground(perPixel.image, pf32bit);
    gs::TLayeredFormMaker keyedMaker;
    gs::TPerPixelLayeredFormMaker perPixelMaker;
    perPixelMaker.SetPerPixelAlpha(true);
    perPixelMaker.SetClickThrough(true);
    EXPECT_FALSE(perPixelMaker.ClickThrough());
    ASSERT_TRUE(keyedMaker.Attach(keyed.image));
    ASSERT_TRUE(perPixelMaker.Attach(perPixel.image));
    keyedMaker.SetColorKey(RGBColor(1, 2, 3));
    keyedMaker.SetColorKeyEnabled(false);
    EXPECT_EQ(0, ExStyle(keyed.form.get()));
    EXPECT_EQ(0, ExStyle(perPixel.form.get()) & (WS_EX_LAYERED | WS_EX_TRANSPARENT));
    EXPECT_EQ(300, keyed.form->ClientWidth()) << "the form is still sized and dragged";
    EXPECT_TRUE(keyed.image->OnMouseDown);
}

TEST(ShapedForm, ABorderedFormIsReportedInAMessageBoxAndStillShaped)
{
    ShapedForm made = MakeForm("BorderedForm", 10, 10);
    made.form->SetBorderStyle(bsSingle);
    PaintBackground(made.image, pf24bit);
    MessageBoxCatcher catcher;
    gs::TLayeredFormMaker maker;
    EXPECT_TRUE(maker.Attach(made.image));
    EXPECT_EQ(1, catcher.boxes);
    EXPECT_EQ("BorderedForm", catcher.caption);
    EXPECT_EQ("BorderStyle is not set to bsNone", catcher.text);
    EXPECT_TRUE(ExStyle(made.form.get()) & WS_EX_LAYERED);
}

TEST(ShapedFormDeathTest, AScaledFormIsReportedAndEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            ShapedForm made = MakeForm("ScaledForm", 10, 10);
            made.form->SetScaled(true);
            PaintBackground(made.image, pf24bit);
            MessageBoxCatcher catcher([](const std::string& caption, const std::string& text) {
                std::fprintf(stderr, "box %s: %s; ", caption.c_str(), text.c_str());
            });
            gs::TLayeredFormMaker maker;
            maker.Attach(made.image);
        },
        "box ScaledForm: Scaled is not set to false; Assertion failed: m_form->Scaled == false, "
        "file src/gui/widget/TShapedForm.cpp, line");
}

TEST(ShapedFormDeathTest, AttachingTwiceIsAProgrammingError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ShapedForm made = MakeForm("TwiceForm", 10, 10);
    PaintBackground(made.image, pf24bit);
    gs::TLayeredFormMaker maker;
    ASSERT_TRUE(maker.Attach(made.image));
    EXPECT_DEATH(maker.Attach(made.image), "Assertion failed: !IsAttached\\(\\), file src/gui/widget/TShapedForm.cpp");
    gs::TNormalDrag drag;
    drag.Attach(made.form.get(), made.image);
    EXPECT_DEATH(drag.Attach(made.form.get(), made.image),
                 "Assertion failed: !IsAttached\\(\\), file src/gui/widget/TShapedForm.cpp");
}

TEST(ShapedForm, AMakerFreedBeforeItsFormGivesBackTheImageHandlerAndTheFormProcedure)
{
    ShapedForm made = MakeForm("EarlyForm", 10, 10);
    PaintBackground(made.image, pf24bit);
    std::vector<TMouseButton> presses;
    made.image->OnMouseDown = [&](TObject*, TMouseButton button, TShiftState, int, int) {
        presses.push_back(button);
    };
    int erases = 0;
    TWindowProcHook recorder(made.form.get(), [&](TMessage& message, const TWndMethod& next) {
        erases += message.Msg == WM_ERASEBKGND;
        next(message);
    });
    auto maker = std::make_unique<gs::TLayeredFormMaker>();
    ASSERT_TRUE(maker->Attach(made.image));
    maker->SetDraggable(false);
    maker->SetDraggable(true);
    maker.reset();
    made.image->OnMouseDown(made.image, mbLeft, 0, 1, 1);
    EXPECT_EQ((std::vector<TMouseButton>{mbLeft}), presses);
    HDC dc = GetDC(made.form->Handle());
    SendMessageA(made.form->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(made.form->Handle(), dc);
    EXPECT_EQ(1, erases);
}
