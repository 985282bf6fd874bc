// The skinned controls without real input: state pictures and their fallbacks, caption
// effects, sizing, radio groups, the focus ring, the picture control and the glowing label.
#include "src/gui/widget/GsButton.h"
#include "src/gui/widget/GsButtonAppearance.h"
#include "src/gui/widget/GsButtonOuterGlowTextEffect.h"
#include "src/gui/widget/GsButtonState.h"
#include "src/gui/widget/GsFocusRing.h"
#include "src/gui/widget/GsImage.h"
#include "src/gui/widget/GsLabel.h"
#include "framework/Bitmap.h"
#include "src/gui/widget/GsRadioButton.h"
#include "src/gui/widget/GsRadioButtonAppearance.h"
#include "src/gui/widget/GsRadioButtonOuterGlowTextEffect.h"
#include "src/gui/widget/GsTextRadiationEffect.h"
#include "framework/Forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace gs;

namespace {

void Fill(TBitmap* bitmap, int width, int height)
{
    bitmap->SetPixelFormat(pf32bit);
    bitmap->SetSize(width, height);
}

std::unique_ptr<TBitmap> Sized(int width, int height)
{
    auto bitmap = std::make_unique<TBitmap>();
    Fill(bitmap.get(), width, height);
    return bitmap;
}

}  // namespace

TEST(GsAppearance, FallbackChainsEndAtRaised)
{
    // Loaded states (bit i = state i) -> face index for each requested state 0..5, then -1 and 6.
    struct Case {
        unsigned loaded;
        std::vector<int> faces;
    } cases[] = {
        {0x01, {0, 0, 0, 0, 0, 0, 0, 0}},
        {0x05, {0, 2, 2, 0, 2, 2, 0, 0}},
        {0x3F, {0, 1, 2, 3, 4, 5, 0, 0}},
        {0x00, {0, 0, 0, 0, 0, 0, 0, 0}},
        {0x26, {0, 1, 2, 0, 2, 5, 0, 0}},  // no Raised: chains still end there
    };
    const int states[] = {0, 1, 2, 3, 4, 5, -1, 6};
    for (const Case& c : cases) {
        GsButtonAppearance appearance;
        for (int i = 0; i < kStateCount; ++i)
            if (c.loaded & (1u << i))
                Fill(appearance.Bitmap(i), 4 + i, 3);
        for (int k = 0; k < 8; ++k) {
            int face = -7;
            TBitmap* bitmap = appearance.GetStateBitmap(0, static_cast<int8_t>(states[k]), face);
            EXPECT_EQ(c.faces[k], face) << "loaded " << c.loaded << " state " << states[k];
            EXPECT_EQ(appearance.Bitmap(face), bitmap);
        }
    }
}

TEST(GsAppearance, RadioSetsShiftCheckedFacesBySixAndFallBackToUnchecked)
{
    GsRadioButtonAppearance radio;
    Fill(radio.Unchecked()->Raised(), 5, 5);
    Fill(radio.Unchecked()->Hovered(), 5, 5);
    int face = -1;
    EXPECT_EQ(radio.Unchecked()->Hovered(), radio.GetStateBitmap(0, Hovered, face));
    EXPECT_EQ(2, face);
    // Checked set empty: the unchecked picture and its index.
    EXPECT_EQ(radio.Unchecked()->Hovered(), radio.GetStateBitmap(1, Active, face));
    EXPECT_EQ(2, face);
    Fill(radio.Checked()->Raised(), 5, 5);
    EXPECT_EQ(radio.Checked()->Raised(), radio.GetStateBitmap(1, Hovered, face));
    EXPECT_EQ(6, face);
    Fill(radio.Checked()->Hovered(), 5, 5);
    EXPECT_EQ(radio.Checked()->Hovered(), radio.GetStateBitmap(1, Hovered, face));
    EXPECT_EQ(8, face);
    EXPECT_EQ(radio.Unchecked()->Raised(), radio.GetStateBitmap(0, Disabled, face));
    EXPECT_EQ(0, face);
}

TEST(GsAppearance, ChangeEventsCarryTheFaceIndex)
{
    std::vector<int> events;
    GsButtonAppearance button([&](TObject*, int index) { events.push_back(index); });
    auto picture = Sized(3, 3);
    button.SetActive(picture.get());  // the assignment and the setter each report
    EXPECT_EQ((std::vector<int>{5, 5}), events);
    EXPECT_EQ(3, button.Active()->Width());
    events.clear();
    GsRadioButtonAppearance radio([&](TObject* sender, int index) {
        EXPECT_EQ(&radio, sender);
        events.push_back(index);
    });
    TBitmap* checkedRaised = radio.Checked()->Raised();
    checkedRaised->Assign(picture.get());
    radio.Unchecked()->Raised()->Assign(picture.get());
    radio.Checked()->Hovered()->Assign(picture.get());
    EXPECT_EQ((std::vector<int>{6, 0, 8}), events);
    // Copying another set only assigns into the same bitmaps.
    GsRadioButtonAppearance copy;
    copy.Assign(&radio);
    EXPECT_EQ(3, copy.Checked()->Hovered()->Width());
    EXPECT_EQ(checkedRaised, radio.Checked()->Raised());
}

TEST(GsTextEffect, DefaultsSettersAndOneEventPerCopy)
{
    int changes = 0;
    GsTextRadiationEffect effect([&](TObject*) { ++changes; });
    EXPECT_EQ((std::vector<int>{255, 0, 0, 0x00BFFFFF, 0, 0, 0, 0}),
              (std::vector<int>{effect.Opacity(), static_cast<int>(effect.Radius()), effect.Spread(),
                                effect.Color(), effect.RadiationX(), effect.RadiationY(),
                                effect.OffsetX(), effect.OffsetY()}));
    effect.SetRadius(0);
    effect.SetOpacity(255);
    EXPECT_EQ(0, changes);
    effect.SetRadius(4);
    effect.SetOffsetY(-2);
    EXPECT_EQ(2, changes);

    int copies = 0;
    GsTextRadiationEffect dest([&](TObject*) { ++copies; });
    effect.SetColor(0x123456);
    effect.SetRadiationX(3);
    effect.Font()->SetColor(clRed);
    dest.Assign(&effect);
    EXPECT_EQ(1, copies);
    EXPECT_EQ((std::vector<int>{4, 0x123456, 3, -2, clRed}),
              (std::vector<int>{static_cast<int>(dest.Radius()), dest.Color(), dest.RadiationX(),
                                dest.OffsetY(), dest.Font()->Color()}));
}

TEST(GsTextEffect, StatesAreMadeOnFirstRequestFromRaised)
{
    int changes = 0;
    GsButtonOuterGlowTextEffect effect([&](TObject* sender) {
        EXPECT_NE(nullptr, sender);
        ++changes;
    });
    effect.Raised()->SetOpacity(160);
    effect.Raised()->Font()->SetColor(clRed);
    EXPECT_EQ(1, changes);  // an inner change reaches the owner
    EXPECT_FALSE(effect.Created(Sunken));
    GsTextRadiationEffect* sunken = effect.Sunken();
    EXPECT_EQ(255, sunken->Opacity());
    EXPECT_EQ(clRed, sunken->Font()->Color());
    EXPECT_EQ(2, sunken->OffsetX());
    EXPECT_EQ(2, sunken->OffsetY());
    EXPECT_EQ(clGrayText, effect.Disabled()->Font()->Color());
    EXPECT_EQ(160, effect.Disabled()->Opacity());
    EXPECT_EQ(160, effect.Hovered()->Opacity());
    effect.Raised()->SetOpacity(10);
    EXPECT_EQ(160, effect.Hovered()->Opacity()) << "copies are taken once";
    EXPECT_EQ(effect.Raised()->Painter(), effect.GetPainter(0, 7));
    EXPECT_EQ(effect.Raised()->Painter(), effect.GetPainter(1, -1));
    EXPECT_FALSE(effect.Created(Active));
    EXPECT_EQ(effect.Active()->Painter(), effect.GetPainter(0, Active));

    GsRadioButtonOuterGlowTextEffect radio;
    radio.Unchecked()->Hovered()->SetRadius(5);
    GsButtonOuterGlowTextEffect* checked = radio.Checked();
    EXPECT_EQ(5u, checked->Hovered()->Radius());
    radio.Unchecked()->Hovered()->SetRadius(9);
    EXPECT_EQ(5u, checked->Hovered()->Radius());
    EXPECT_EQ(checked->Hovered()->Painter(), radio.GetPainter(1, Hovered));
    EXPECT_EQ(radio.Unchecked()->Hovered()->Painter(), radio.GetPainter(0, Hovered));
}

namespace {

// The first pixel, row by row, whose colour is not the background's.
TPoint FirstInk(TBitmap* bitmap, uint32_t background)
{
    for (int y = 0; y < bitmap->Height(); ++y) {
        const uint8_t* row = bitmap->ScanLine(y);
        for (int x = 0; x < bitmap->Width(); ++x) {
            const uint32_t pixel = row[x * 4] | (row[x * 4 + 1] << 8) | (row[x * 4 + 2] << 16);
            if (pixel != background)
                return TPoint(x, y);
        }
    }
    return TPoint(-1, -1);
}

TPoint InkOf(GsTextRadiationEffect& effect, bool wide)
{
    auto bitmap = Sized(80, 40);
    TTextPainter* painter = effect.Painter();
    const TRect rect(10, 10, 70, 30);
    if (wide)
        painter->DrawText(bitmap.get(), L"I", rect, DT_LEFT | DT_TOP | DT_SINGLELINE, false);
    else
        painter->DrawText(bitmap.get(), "I", rect, DT_LEFT | DT_TOP | DT_SINGLELINE, false);
    painter->Release();  // does nothing: the adapter belongs to the effect
    return FirstInk(bitmap.get(), 0);
}

}  // namespace

TEST(GsTextEffect, AdapterShiftsOnlyNarrowTextOnABitmapAndUsesTheEffectFont)
{
    GsTextRadiationEffect effect;
    effect.Font()->SetName("Arial");
    effect.Font()->SetHeight(-16);
    effect.Font()->SetColor(clWhite);
    const TPoint plain = InkOf(effect, false);
    ASSERT_NE(-1, plain.X);
    effect.SetOffsetX(5);
    effect.SetOffsetY(3);
    const TPoint shifted = InkOf(effect, false);
    EXPECT_EQ(plain.X + 5, shifted.X);
    EXPECT_EQ(plain.Y + 3, shifted.Y);
    EXPECT_EQ(plain, InkOf(effect, true));
    effect.Font()->SetColor(clBlack);  // the effect's font reaches the bitmap, not the caller's
    EXPECT_EQ(-1, InkOf(effect, false).X);
}

namespace {

class Form : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.SetBorderStyle(bsNone);
        form.SetBounds(40, 40, 300, 200);
    }
    TForm form{nullptr};
};

// Lets a test see whether a window has a pending repaint.
bool Pending(HWND window)
{
    RECT r;
    return GetUpdateRect(window, &r, FALSE) != 0;
}

}  // namespace

TEST_F(Form, ButtonTakesTheSizeOfItsRaisedBitmap)
{
    auto* button = new GsButton(&form);
    button->SetParent(&form);
    button->SetBounds(10, 20, 33, 44);
    auto picture = Sized(60, 20);
    button->Appearance()->Raised()->Assign(picture.get());
    EXPECT_EQ(TRect(10, 20, 70, 40), button->BoundsRect());
    button->SetBounds(12, 20, 100, 100);
    EXPECT_EQ(TRect(12, 20, 72, 40), button->BoundsRect());
    auto hovered = Sized(90, 90);
    button->Appearance()->SetHovered(hovered.get());
    EXPECT_EQ(60, button->Width()) << "only Raised sizes the button";

    auto* bare = new GsButton(&form);  // no pictures: nothing to draw, also with a caption
    bare->SetParent(&form);
    bare->SetCaption("Ok");
    form.Show();
    bare->Repaint();
    EXPECT_EQ(0, bare->Width());

    auto* radio = new GsRadioButton(&form);
    radio->SetParent(&form);
    radio->Appearance()->Checked()->Raised()->Assign(hovered.get());
    EXPECT_EQ(0, radio->Width());
    radio->Appearance()->Unchecked()->Raised()->Assign(picture.get());
    EXPECT_EQ(60, radio->Width());
    EXPECT_EQ(20, radio->Height());
}

TEST_F(Form, AppearanceChangeRepaintsOnlyTheFaceOnScreen)
{
    auto* radio = new GsRadioButton(&form);
    radio->SetParent(&form);
    auto picture = Sized(30, 12);
    radio->Appearance()->Unchecked()->Raised()->Assign(picture.get());
    radio->Appearance()->Checked()->Raised()->Assign(picture.get());
    radio->Appearance()->Checked()->Hovered()->Assign(picture.get());
    EXPECT_EQ(-1, radio->LastFaceIndex());
    form.Show();
    radio->SetChecked(true);
    radio->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(8, radio->LastFaceIndex());
    ValidateRect(radio->Handle(), nullptr);
    radio->Appearance()->Unchecked()->Hovered()->Assign(picture.get());
    EXPECT_FALSE(Pending(radio->Handle()));
    radio->Appearance()->Checked()->Hovered()->Assign(picture.get());
    EXPECT_TRUE(Pending(radio->Handle()));
}

TEST_F(Form, RadioButtonsUncheckTheirGroupUnderTheSameParentOnly)
{
    auto* other = new TForm(&form);
    GsRadioButton* radios[4];
    const int groups[] = {0, 0, 1, 0};
    for (int i = 0; i < 4; ++i) {
        radios[i] = new GsRadioButton(&form);
        radios[i]->SetParent(i == 3 ? other : &form);
        radios[i]->SetGroupIndex(groups[i]);
    }
    auto checks = [&] {
        std::string s;
        for (auto* r : radios)
            s += r->Checked() ? '1' : '0';
        return s;
    };
    radios[1]->SetChecked(true);
    radios[3]->SetChecked(true);
    radios[0]->SetChecked(true);
    EXPECT_EQ("1001", checks());
    radios[2]->SetChecked(true);
    EXPECT_EQ("1011", checks());
    int clicks = 0;
    radios[1]->OnClick = [&](TObject*) { ++clicks; };
    char space = ' ';
    radios[1]->Perform(WM_CHAR, static_cast<WPARAM>(space), 0);
    EXPECT_EQ("0111", checks());
    radios[0]->Perform(WM_CHAR, 'x', 0);
    EXPECT_EQ("0111", checks());
    radios[0]->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    radios[0]->Perform(WM_LBUTTONUP, 0, 0);
    EXPECT_EQ("1011", checks());
    EXPECT_EQ(1, clicks);
}

TEST_F(Form, ControlFontFeedsTheRaisedCaptionOnly)
{
    auto* button = new GsButton(&form);
    GsTextRadiationEffect* hovered = button->TextEffect()->Hovered();
    button->Font()->SetColor(clLime);
    EXPECT_EQ(clLime, button->TextEffect()->Raised()->Font()->Color());
    EXPECT_NE(clLime, hovered->Font()->Color());
    EXPECT_EQ(clLime, button->TextEffect()->Focused()->Font()->Color());
    auto* radio = new GsRadioButton(&form);
    radio->Font()->SetName("Arial");
    EXPECT_EQ("Arial", radio->TextEffect()->Unchecked()->Raised()->Font()->Name());
}

TEST_F(Form, ImageSizesToItsPictureAndRepaintsByTheAlphaRules)
{
    auto* image = new GsImage(&form);
    image->SetParent(&form);
    image->SetBounds(5, 5, 10, 10);
    form.Show();
    HWND window = form.Handle();
    auto picture = Sized(100, 40);
    image->Picture()->Assign(picture.get());
    EXPECT_EQ(10, image->Width()) << "without AutoSize only a repaint";
    EXPECT_TRUE(Pending(window));
    image->SetAutoSize(true);
    image->Picture()->Assign(picture.get());
    EXPECT_EQ(TRect(5, 5, 105, 45), image->BoundsRect());

    struct Step {
        const char* what;
        std::function<void()> change;
        bool repaint;
    } steps[] = {
        {"AlphaValue while not blending", [&] { image->SetAlphaValue(50); }, false},
        {"AlphaBlend on", [&] { image->SetAlphaBlend(true); }, true},
        {"AlphaValue while blending", [&] { image->SetAlphaValue(60); }, true},
        {"same AlphaValue", [&] { image->SetAlphaValue(60); }, false},
        {"AlphaChannel on", [&] { image->SetAlphaChannel(true); }, true},
        {"same AlphaChannel", [&] { image->SetAlphaChannel(true); }, false},
    };
    for (const Step& step : steps) {
        ValidateRect(window, nullptr);
        step.change();
        EXPECT_EQ(step.repaint, Pending(window)) << step.what;
    }

    image->SetAutoSize(false);
    image->SetAlign(alTop);
    image->SetAutoSize(true);
    auto tall = Sized(30, 70);
    image->Picture()->Assign(tall.get());
    EXPECT_EQ(70, image->Height());
    EXPECT_EQ(form.ClientWidth(), image->Width()) << "alTop leaves the width to the alignment";
}

TEST_F(Form, LabelMeasuresThroughTheGlowPainter)
{
    auto* plain = new TLabel(&form);
    plain->Font()->SetName("Arial");
    plain->SetCaption("Performance");
    auto* label = new GsLabel(&form);
    label->Font()->SetName("Arial");
    label->SetCaption("Performance");
    EXPECT_EQ(plain->Width() + 7, label->Width());
    EXPECT_EQ(plain->Height() + 7, label->Height());
    EXPECT_EQ(192, label->Radiation()->Opacity());
    EXPECT_EQ(0x80000005, label->Color());

    const int width = label->Width();
    label->Radiation()->SetRadius(3);
    EXPECT_EQ(width, label->Width());
    label->Radiation()->SetRadius(5);
    EXPECT_EQ(width + 4, label->Width());
    label->Radiation()->SetX(0);
    EXPECT_EQ(width + 3, label->Width());

    auto* copy = new GsLabel(&form);
    copy->Font()->SetName("Arial");
    copy->SetCaption("Performance");
    copy->SetRadiation(label->Radiation());
    EXPECT_EQ(label->Width(), copy->Width());
    EXPECT_EQ(5u, copy->Radiation()->Radius());
}

namespace {

// Records what the caption painter is asked to draw.
struct CaptionCall {
    UINT format;
    TColor fontColor;
    TRect rect;
    int faceIndex;
};

class SpyPainter : public TTextPainter {
public:
    void DrawText(TextTarget target, TextView, const TRect& rect, UINT format, bool) override
    {
        calls.push_back({format, target.Canvas()->Font()->Color(), rect, faceIndex});
    }
    std::vector<CaptionCall> calls;
    int faceIndex = -1;
};

class SpyButton : public GsButton {
public:
    using GsButton::GsButton;
    SpyPainter spy;

protected:
    TTextPainter* GetCaptionPainter(int8_t faceIndex) override
    {
        spy.faceIndex = faceIndex;
        return &spy;
    }
};

}  // namespace

TEST_F(Form, CaptionFollowsTheDrawnFaceWithFormatAndGreyWhenDisabled)
{
    auto* button = new SpyButton(&form);
    button->SetParent(&form);
    auto picture = Sized(50, 20);
    button->Appearance()->Raised()->Assign(picture.get());
    button->Appearance()->Hovered()->Assign(picture.get());
    button->Font()->SetColor(clLime);
    form.Show();
    std::vector<CaptionCall>& calls = button->spy.calls;
    auto paint = [&] {
        calls.clear();
        button->Repaint();
        return calls.empty() ? CaptionCall{0, 0, TRect(), -9} : calls.back();
    };
    EXPECT_EQ(-9, paint().faceIndex) << "no caption, no text drawing";
    button->SetCaption("Ok");
    button->SetFocus();
    button->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));  // Active, drawn with the Hovered face
    const CaptionCall active = paint();
    EXPECT_EQ(0x25u, active.format);
    EXPECT_EQ(2, active.faceIndex);
    EXPECT_EQ(clLime, active.fontColor);
    EXPECT_EQ(TRect(0, 0, 50, 20), active.rect);
    button->SetWordWrap(true);
    EXPECT_EQ(0x11u, paint().format);
    button->SetEnabled(false);
    const CaptionCall disabled = paint();
    EXPECT_EQ(clGrayText, disabled.fontColor);
    EXPECT_EQ(0, disabled.faceIndex) << "no Disabled picture: the Raised face and its caption";
    EXPECT_EQ(Disabled, button->State());
}

TEST_F(Form, ButtonFirstTrackedBeforeItsFormHasAWindowGetsOneWindow)
{
    auto* button = new GsButton(&form);
    button->SetParent(&form);
    auto picture = Sized(30, 12);
    button->Appearance()->Raised()->Assign(picture.get());
    button->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));  // makes the windows: the form's first
    button->Perform(WM_MOUSELEAVE, 0, 0);
    form.Show();
    EXPECT_EQ(button->Handle(), GetWindow(form.Handle(), GW_CHILD));
    EXPECT_EQ(nullptr, GetWindow(button->Handle(), GW_HWNDNEXT)) << "a second window for the button";
    int paints = 0;
    MSG m;
    for (int i = 0; i < 200 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
        paints += m.message == WM_PAINT;
        DispatchMessageA(&m);
    }
    EXPECT_LT(paints, 5) << "every window's paint is answered";
}

// A 12 x 10 face, opaque on the block from (2, 2) to (10, 8) but for a see-through hole
// inside it: the ring lies firmly on the block's border pixels and softly just outside
// them; the hole, the inside and the far corners stay clear.
TEST(GsFocusRing, FollowsTheOuterOutlineOnly)
{
    TBitmap face;
    Fill(&face, 12, 10);
    auto inBlock = [](int x, int y) { return x >= 2 && x < 10 && y >= 2 && y < 8; };
    auto inHole = [](int x, int y) { return x >= 5 && x < 7 && y >= 4 && y < 6; };
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x)
            face.ScanLine(y)[x * 4 + 3] = inBlock(x, y) && !inHole(x, y) ? 255 : 0;
    const std::vector<uint8_t> mask = FocusRingMask(&face);
    ASSERT_EQ(120u, mask.size());
    const uint8_t edge = mask[2 * 12 + 2];
    const uint8_t halo = mask[2 * 12 + 1];
    EXPECT_GT(edge, halo);
    EXPECT_GT(halo, 0);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 12; ++x) {
            const bool border = inBlock(x, y) && !(inBlock(x - 1, y) && inBlock(x + 1, y) && inBlock(x, y - 1) && inBlock(x, y + 1));
            const bool beside = !inBlock(x, y) && (inBlock(x - 1, y) || inBlock(x + 1, y) || inBlock(x, y - 1) || inBlock(x, y + 1));
            const uint8_t expected = border ? edge : beside ? halo : 0;
            EXPECT_EQ(expected, mask[static_cast<size_t>(y * 12 + x)]) << x << "," << y;
        }
    }
    TBitmap opaque;
    opaque.SetPixelFormat(pf24bit);
    opaque.SetSize(4, 4);
    EXPECT_TRUE(FocusRingMask(&opaque).empty()) << "no alpha, no shape";
}

namespace {

COLORREF WindowPixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

void Solid(TBitmap* bitmap, COLORREF color)
{
    Fill(bitmap, 20, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            uint8_t* p = bitmap->ScanLine(y) + x * 4;
            p[0] = GetBValue(color), p[1] = GetGValue(color), p[2] = GetRValue(color), p[3] = 255;
        }
    bitmap->SetModified(true);
}

}  // namespace

// On a form that hides focus cues until the keyboard is used, a focused button looks
// unfocused; once cues show it draws its Focused picture, or without one the Hovered face
// ringed at its border.
TEST_F(Form, FocusShowsOnlyWithCuesAndRingsOnlyWithoutAFocusedPicture)
{
    const COLORREF raised = RGB(200, 0, 0), hovered = RGB(0, 0, 200), focused = RGB(0, 200, 0);
    form.SetHideFocusUntilKeyboard(true);
    auto* button = new GsButton(&form);
    button->SetParent(&form);
    button->SetBounds(10, 10, 0, 0);
    Solid(button->Appearance()->Raised(), raised);
    Solid(button->Appearance()->Hovered(), hovered);
    form.Show();
    SetForegroundWindow(form.Handle());
    button->SetFocus();
    auto shown = [&](int x, int y) {
        button->Repaint();
        return WindowPixel(button->Handle(), x, y);
    };
    ASSERT_TRUE(button->Focused());
    EXPECT_EQ(raised, shown(0, 0));
    EXPECT_EQ(Raised, button->State());

    form.ShowFocusCues();
    EXPECT_EQ(hovered, shown(10, 5));
    const COLORREF corner = shown(0, 0);
    EXPECT_NE(hovered, corner);
    EXPECT_GT(GetGValue(corner), 100) << "lightened by the ring";
    EXPECT_EQ(Focused, button->State());
    Solid(button->Appearance()->Focused(), focused);
    EXPECT_EQ(focused, shown(0, 0)) << "the skin's own focus picture is not ringed";
}
