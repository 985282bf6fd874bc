// Controls without real input: bounds negotiation, alignment, labels, the message path
// from window to handler, painting composition and the hidden utility windows.
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Messages.h"
#include "framework/StdCtrls.h"
#include "framework/SysUtils.h"
#include "GuiTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A control whose size rules a test chooses.
class SizedControl : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    enum Rule { Accept, Refuse, FixedSize };
    Rule rule = Accept;
    int autoWidth = 30;
    int autoHeight = 40;

protected:
    bool CanResize(int& newWidth, int& newHeight) override
    {
        switch (rule) {
        case Refuse:
            return false;
        case FixedSize:  // always the size of a 60 x 20 face; the same size is no change
            if (Width() == 60 && Height() == 20)
                return false;
            newWidth = 60;
            newHeight = 20;
            return true;
        default:
            return TGraphicControl::CanResize(newWidth, newHeight);
        }
    }
    bool CanAutoSize(int& newWidth, int& newHeight) override
    {
        newWidth = autoWidth;
        newHeight = autoHeight;
        return true;
    }
};

}  // namespace

TEST(Bounds, SetBoundsGoesThroughCanResizeAndCanAutoSize)
{
    const struct {
        const char* what;
        SizedControl::Rule rule;
        bool autoSize;
        TRect start;
        TRect request;
        TRect expected;
    } cases[] = {
        {"accepted", SizedControl::Accept, false, {0, 0, 10, 10}, {5, 6, 75, 86}, {5, 6, 75, 86}},
        {"refused size still moves", SizedControl::Refuse, false, {0, 0, 10, 10}, {5, 6, 75, 86}, {5, 6, 15, 16}},
        {"fixed size from 0 x 0", SizedControl::FixedSize, false, {7, 8, 17, 18}, {7, 8, 7, 8}, {7, 8, 67, 28}},
        {"fixed size kept", SizedControl::FixedSize, false, {0, 0, 60, 20}, {3, 0, 3, 0}, {3, 0, 63, 20}},
        {"auto size wins", SizedControl::Accept, true, {0, 0, 10, 10}, {1, 1, 200, 200}, {1, 1, 31, 41}},
        {"auto size after refusal keeps size", SizedControl::Refuse, true, {0, 0, 10, 10}, {1, 1, 200, 200},
         {1, 1, 11, 11}},
        {"negative size is empty", SizedControl::Accept, false, {0, 0, 10, 10}, {0, 0, -5, -5}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SizedControl control(nullptr);
        control.SetBounds(c.start.Left, c.start.Top, c.start.Width(), c.start.Height());
        control.rule = c.rule;
        control.SetAutoSize(c.autoSize);
        control.SetBounds(c.request.Left, c.request.Top, c.request.Width(), c.request.Height());
        EXPECT_EQ(c.expected, control.BoundsRect()) << c.what;
    }
}

TEST(Bounds, OnCanResizeMayRefuseAndResizeFiresOnce)
{
    SizedControl control(nullptr);
    int resizes = 0;
    control.OnResize = [&](TObject*) { ++resizes; };
    control.OnCanResize = [](TObject*, int& w, int&, bool& resize) { resize = w <= 100; };
    control.SetBounds(0, 0, 50, 50);
    control.SetBounds(0, 0, 150, 50);
    control.SetBounds(0, 0, 50, 50);
    EXPECT_EQ(TRect(0, 0, 50, 50), control.BoundsRect());
    EXPECT_EQ(1, resizes);
}

TEST(Bounds, ImageAutoSizesToItsPictureHonouringAlign)
{
    TForm form(nullptr);
    auto* image = new TImage(&form);
    image->SetParent(&form);
    image->SetBounds(4, 5, 10, 10);
    image->Picture()->Bitmap()->SetSize(100, 40);
    EXPECT_EQ(TRect(4, 5, 14, 15), image->BoundsRect()) << "AutoSize off: only a repaint";
    image->SetAutoSize(true);
    EXPECT_EQ(TRect(4, 5, 104, 45), image->BoundsRect());
    image->Picture()->Bitmap()->SetSize(30, 20);
    EXPECT_EQ(TRect(4, 5, 34, 25), image->BoundsRect());
}

TEST(Bounds, AlignedChildrenShareTheClientArea)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 200, 100);
    auto* top = new SizedControl(&form);
    top->SetBounds(0, 0, 10, 20);
    top->SetAlign(alTop);
    top->SetParent(&form);
    auto* left = new SizedControl(&form);
    left->SetBounds(0, 0, 30, 10);
    left->SetAlign(alLeft);
    left->SetParent(&form);
    auto* client = new SizedControl(&form);
    client->SetAlign(alClient);
    client->SetParent(&form);
    EXPECT_EQ(TRect(0, 0, 200, 20), top->BoundsRect());
    EXPECT_EQ(TRect(0, 20, 30, 100), left->BoundsRect());
    EXPECT_EQ(TRect(30, 20, 200, 100), client->BoundsRect());
    form.SetBounds(0, 0, 300, 150);
    EXPECT_EQ(TRect(30, 20, 300, 150), client->BoundsRect());
}

namespace {

// Counts how often it lays out its aligned children.
class CountingAlignForm : public TForm {
public:
    using TForm::TForm;
    int alignments = 0;

protected:
    void AlignControls(TRect& rect) override
    {
        ++alignments;
        TForm::AlignControls(rect);
    }
};

}  // namespace

TEST(Bounds, AFormBeingReadAlignsOnceWhenItsDescriptionEnds)
{
    CountingAlignForm form(nullptr);
    form.SetBorderStyle(bsNone);
    SizedControl* top = nullptr;
    SizedControl* client = nullptr;
    {
        TReader reader(&form);
        form.SetBounds(0, 0, 200, 100);
        form.HandleNeeded();
        top = new SizedControl(&form);
        top->SetBounds(0, 0, 10, 20);
        top->SetAlign(alTop);
        top->SetParent(&form);
        client = new SizedControl(&form);
        client->SetAlign(alClient);
        client->SetParent(&form);
        client->SetBounds(5, 5, 50, 50);
        form.SetBounds(0, 0, 240, 120);
        EXPECT_EQ(0, form.alignments) << "nothing aligns while the description is read";
    }
    EXPECT_EQ(1, form.alignments);
    EXPECT_EQ(TRect(0, 0, 240, 20), top->BoundsRect());
    EXPECT_EQ(TRect(0, 20, 240, 120), client->BoundsRect());
}

namespace {

TRect MeasuredText(const std::string& text, TFont* font)
{
    WindowDC screen(nullptr);
    SelectedObject selected(screen.Get(), font->Handle());
    RECT r{0, 0, 0, 0};
    DrawTextA(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_EXPANDTABS);
    return TRect(r.left, r.top, r.right, r.bottom);
}

}  // namespace

TEST(Label, SizesItselfToItsText)
{
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetBounds(10, 20, 5, 5);
    label->Font()->SetName("Arial");
    label->Font()->SetHeight(-12);
    label->SetCaption("Average Temperature");
    const TRect text = MeasuredText("Average Temperature", label->Font());
    ASSERT_GT(text.Width(), 50);
    EXPECT_EQ(TRect(10, 20, 10 + text.Width(), 20 + text.Height()), label->BoundsRect());

    label->Font()->SetStyle(fsBold);
    EXPECT_EQ(MeasuredText("Average Temperature", label->Font()).Width(), label->Width()) << "font change";

    label->SetCaption("");
    EXPECT_EQ(text.Height(), label->Height()) << "an empty label is one line high";

    label->SetAlignment(taRightJustify);
    label->SetCaption("AVG");
    const int right = label->Left() + label->Width();
    label->SetCaption("Average");
    EXPECT_EQ(right, label->Left() + label->Width()) << "right-aligned labels keep their right edge";

    label->SetAutoSize(false);
    label->SetCaption("A much longer caption than before");
    EXPECT_EQ(MeasuredText("Average", label->Font()).Width(), label->Width());
}

TEST(Label, DoesNotMeasureWhileItsDescriptionIsRead)
{
    TForm form(nullptr);
    TLabel* label = nullptr;
    {
        TReader reader(&form);
        label = new TLabel(&form);
        label->SetParent(&form);
        label->SetCaption("(Phase)");
        EXPECT_EQ(65, label->Width()) << "design size kept while reading";
    }
    EXPECT_EQ(MeasuredText("(Phase)", label->Font()).Width(), label->Width());
}

namespace {

// A form that records what its message map and background handler see.
class ProbeForm : public TForm {
public:
    using TForm::TForm;
    WPARAM seenWParam = 0;
    LPARAM seenLParam = 0;
    int userMessages = 0;
    int erases = 0;
    DWORD extraExStyle = WS_EX_TOOLWINDOW;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TForm::CreateParams(params);
        params.ExStyle |= extraExStyle;
    }
    void Dispatch(TMessage& message) override
    {
        switch (message.Msg) {
        case WM_USER + 1:
            seenWParam = message.WParam;
            seenLParam = message.LParam;
            ++userMessages;
            message.Result = 0x55;
            break;
        default:
            TForm::Dispatch(message);
            break;
        }
    }
    void EraseBackground(HDC dc) override
    {
        ++erases;
        TForm::EraseBackground(dc);
    }
};

}  // namespace

TEST(Messages, WindowComesFromCreateParamsAndCarriesItsObject)
{
    ProbeForm form(nullptr);
    HWND window = form.Handle();
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ("ProbeForm", className);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(&form, FindControl(window));
    EXPECT_EQ(nullptr, FindControl(GetDesktopWindow()));
}

TEST(Messages, MessageMapEntryIsReachedFromAnotherProcessWithParametersIntact)
{
    ProbeForm form(nullptr);
    const std::string args = Format("send %lu 1025 0x89ABCDEF 0xFEDCBA98",
                                    static_cast<unsigned long>(reinterpret_cast<uintptr_t>(form.Handle())));
    EXPECT_EQ(0x55u, guitest::RunProgram("framework_probe.exe", args));
    EXPECT_EQ(1, form.userMessages);
    EXPECT_EQ(static_cast<WPARAM>(0x89ABCDEF), form.seenWParam);
    EXPECT_EQ(static_cast<LPARAM>(0xFEDCBA98), form.seenLParam);
}

TEST(Messages, SwappedWindowProcCanAnswerEraseBackgroundAndPassTheRestOn)
{
    ProbeForm form(nullptr);
    MemoryDC dc(CreateCompatibleDC(nullptr));
    EXPECT_EQ(1, SendMessageA(form.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0));
    EXPECT_EQ(1, form.erases);

    TWndMethod saved = form.WindowProc;
    int swallowed = 0;
    form.WindowProc = [&](TMessage& message) {
        if (message.Msg == WM_ERASEBKGND) {
            ++swallowed;
            message.Result = 1;
            return;
        }
        saved(message);
    };
    EXPECT_EQ(1, SendMessageA(form.Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()), 0));
    EXPECT_EQ(0x55, SendMessageA(form.Handle(), WM_USER + 1, 0, 0));
    EXPECT_EQ(1, form.erases);
    EXPECT_EQ(1, swallowed);
    EXPECT_EQ(1, form.userMessages);
    EXPECT_EQ(0x55, form.Perform(WM_USER + 1)) << "Perform takes the same road";
}

namespace {

// A control that answers WM_ERASEBKGND itself, the way skinned controls do.
class NoEraseControl : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int painted = 0;

protected:
    void WndProc(TMessage& message) override
    {
        if (message.Msg == WM_ERASEBKGND) {
            message.Result = 1;
            return;
        }
        TCustomControl::WndProc(message);
    }
    void Paint() override
    {
        ++painted;
        Canvas()->Brush()->SetColor(clBlue);
        Canvas()->FillRect(ClientRect());
    }
};

// Paints its area green through its own canvas.
class GreenPad : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clLime);
        Canvas()->FillRect(TRect(-50, -50, 500, 500));  // clipped to the control's bounds
    }
};

uint32_t PixelAt(HDC dc, int x, int y)
{
    return GetPixel(dc, x, y) & 0xFFFFFF;
}

}  // namespace

TEST(Painting, ParentPaintComposesBackgroundAndNonWindowedChildren)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 100, 60);
    form.SetColor(clRed);
    auto* pad = new GreenPad(&form);
    pad->SetBounds(10, 10, 20, 20);
    pad->SetParent(&form);
    auto* hidden = new GreenPad(&form);
    hidden->SetBounds(50, 10, 20, 20);
    hidden->SetVisible(false);
    hidden->SetParent(&form);
    auto* windowed = new NoEraseControl(&form);
    windowed->SetBounds(70, 30, 20, 20);
    windowed->SetParent(&form);

    TBitmap buffer;
    buffer.SetPixelFormat(pf24bit);
    buffer.SetSize(100, 60);
    HDC dc = buffer.Canvas()->Handle();
    form.Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
    form.Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    GdiFlush();
    EXPECT_EQ(ColorToRGB(clRed), PixelAt(dc, 5, 5));
    EXPECT_EQ(ColorToRGB(clLime), PixelAt(dc, 10, 10));
    EXPECT_EQ(ColorToRGB(clLime), PixelAt(dc, 29, 29));
    EXPECT_EQ(ColorToRGB(clRed), PixelAt(dc, 30, 30)) << "a child is clipped to its bounds";
    EXPECT_EQ(ColorToRGB(clRed), PixelAt(dc, 55, 15)) << "invisible children are not painted";
    EXPECT_EQ(ColorToRGB(clRed), PixelAt(dc, 75, 35)) << "windowed children paint in their own window";
    EXPECT_EQ(0, windowed->painted);
}

TEST(Painting, DoubleBufferedFormShowsItsComposedPictureOnScreen)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(200, 200, 100, 60);
    form.SetColor(clRed);
    form.SetDoubleBuffered(true);
    auto* pad = new GreenPad(&form);
    pad->SetBounds(10, 10, 20, 20);
    pad->SetParent(&form);
    auto* windowed = new NoEraseControl(&form);
    windowed->SetBounds(60, 30, 20, 20);
    windowed->SetParent(&form);
    form.Show();
    guitest::Pump(300);
    form.Repaint();
    windowed->Repaint();
    WindowDC screen(nullptr);
    EXPECT_EQ(ColorToRGB(clRed), PixelAt(screen.Get(), 205, 205));
    EXPECT_EQ(ColorToRGB(clLime), PixelAt(screen.Get(), 215, 215));
    EXPECT_EQ(ColorToRGB(clBlue), PixelAt(screen.Get(), 265, 235));
    EXPECT_GE(windowed->painted, 1);
}

namespace {

// A green pad that counts its paints.
class CountingPad : public GreenPad {
public:
    using GreenPad::GreenPad;
    int painted = 0;

protected:
    void Paint() override
    {
        ++painted;
        GreenPad::Paint();
    }
};

// A red double-buffered form at (200, 200) with a row of count pads, shown and painted.
std::vector<CountingPad*> ShowPadRow(TForm& form, int count)
{
    form.SetBorderStyle(bsNone);
    form.SetBounds(200, 200, 300, 100);
    form.SetColor(clRed);
    form.SetDoubleBuffered(true);
    std::vector<CountingPad*> pads;
    for (int i = 0; i < count; ++i) {
        auto* pad = new CountingPad(&form);
        pad->SetBounds(10 + i * 48, 30, 40, 40);
        pad->SetParent(&form);
        pads.push_back(pad);
    }
    form.Show();
    guitest::Pump(300);
    form.Repaint();
    return pads;
}

}  // namespace

TEST(Painting, DoubleBufferingRepaintsOnlyTheUpdateArea)
{
    TForm form(nullptr);
    const std::vector<CountingPad*> pads = ShowPadRow(form, 6);
    for (CountingPad* pad : pads)
        pad->painted = 0;
    // The third pad changes: only its area is painted again, and lands where it belongs.
    pads[2]->Invalidate();
    form.Update();
    for (size_t i = 0; i < pads.size(); ++i)
        EXPECT_EQ(i == 2 ? 1 : 0, pads[i]->painted) << i;
    WindowDC screen(nullptr);
    EXPECT_EQ(ColorToRGB(clLime), PixelAt(screen.Get(), 200 + 106, 200 + 30));
    EXPECT_EQ(ColorToRGB(clLime), PixelAt(screen.Get(), 200 + 145, 200 + 69));
    EXPECT_EQ(ColorToRGB(clRed), PixelAt(screen.Get(), 200 + 105, 200 + 50));
    EXPECT_EQ(ColorToRGB(clRed), PixelAt(screen.Get(), 200 + 146, 200 + 50));
}

TEST(Painting, InvalidationsGatheredInAScopeReachTheWindowTogetherAtItsEnd)
{
    TForm form(nullptr);
    const std::vector<CountingPad*> pads = ShowPadRow(form, 5);
    HWND window = form.Handle();
    RECT box;
    {
        const TInvalidationScope outer(&form);
        {
            const TInvalidationScope inner(&form);
            pads[1]->Invalidate();
            pads[4]->Invalidate();
        }
        EXPECT_FALSE(GetUpdateRect(window, &box, FALSE)) << "held until the outermost scope ends";
    }
    RegionHandle update(CreateRectRgn(0, 0, 0, 0));
    RegionHandle expected(CreateRectRgn(58, 30, 98, 70));
    RegionHandle last(CreateRectRgn(202, 30, 242, 70));
    CombineRgn(expected.Get(), expected.Get(), last.Get(), RGN_OR);
    ASSERT_EQ(COMPLEXREGION, GetUpdateRgn(window, update.Get(), FALSE));
    EXPECT_TRUE(EqualRgn(update.Get(), expected.Get())) << "the union of the two areas, not their box";
    for (CountingPad* pad : pads)
        pad->painted = 0;
    {
        const TInvalidationScope scope(&form);
        pads[2]->Invalidate();
        form.Update();
        EXPECT_EQ(1, pads[2]->painted) << "an update within the scope paints what it holds";
    }
    EXPECT_EQ(1, pads[1]->painted);
    EXPECT_EQ(1, pads[4]->painted);
    EXPECT_EQ(0, pads[0]->painted) << "outside every area asked for";
    EXPECT_FALSE(GetUpdateRect(window, &box, FALSE));

    // Painted at the end: the box of the areas at once, with no update region.
    for (CountingPad* pad : pads)
        pad->painted = 0;
    {
        const TInvalidationScope now(&form, true);
        pads[1]->Invalidate();
        pads[3]->Invalidate();
    }
    EXPECT_FALSE(GetUpdateRect(window, &box, FALSE));
    EXPECT_EQ((std::vector<int>{0, 1, 1, 1, 0}),
              (std::vector<int>{pads[0]->painted, pads[1]->painted, pads[2]->painted,
                                pads[3]->painted, pads[4]->painted}));
    form.Hide();
    pads[2]->painted = 0;
    {
        const TInvalidationScope hidden(&form, true);
        pads[2]->Invalidate();
    }
    EXPECT_EQ(0, pads[2]->painted) << "a hidden window is left to its own paint";
}

namespace {

class ThrowingPad : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clLime);
        Canvas()->FillRect(ClientRect());
        throw Exception("paint failed");
    }
};

}  // namespace

TEST(Painting, APaintOrAPictureChangeThatThrowsLeavesNoStateBehind)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 100, 60);
    auto* pad = new ThrowingPad(&form);
    pad->SetBounds(10, 20, 30, 30);
    pad->SetParent(&form);
    TBitmap buffer;
    buffer.SetPixelFormat(pf24bit);
    buffer.SetSize(100, 60);
    HDC dc = buffer.Canvas()->Handle();
    EXPECT_THROW(form.Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0), Exception);
    POINT origin{-1, -1};
    GetViewportOrgEx(dc, &origin);
    EXPECT_EQ(0, origin.x) << "the DC's owner gets its origin back";
    EXPECT_EQ(0, origin.y);
    RECT clip{};
    GetClipBox(dc, &clip);
    EXPECT_EQ(100, clip.right - clip.left) << "and its clip";

    auto* image = new TImage(&form);
    image->SetParent(&form);
    image->SetAutoSize(true);
    bool refuse = true;
    image->OnCanResize = [&](TObject*, int&, int&, bool&) {
        if (refuse)
            throw Exception("no resize now");
    };
    EXPECT_THROW(image->Picture()->Bitmap()->SetSize(20, 10), Exception);
    refuse = false;
    image->Picture()->Bitmap()->SetSize(30, 40);
    EXPECT_EQ(TRect(0, 0, 30, 40), image->BoundsRect()) << "the next change of the picture sizes it again";
}

namespace {

WNDPROC g_subclassed = nullptr;

LRESULT CALLBACK Subclass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA(g_subclassed, window, msg, wParam, lParam);
}

}  // namespace

TEST(Messages, FindControlSeesThroughAWin32SubclassAndOnlyFindsOurControls)
{
    TForm form(nullptr);
    HWND window = form.Handle();
    EXPECT_EQ(&form, FindControl(window));
    g_subclassed = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
    EXPECT_EQ(&form, FindControl(window)) << "subclassed at Win32 level";
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_subclassed));

    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, other);
    SetWindowLongPtrA(other, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&form));
    EXPECT_EQ(nullptr, FindControl(other)) << "a window of ours that is no control";
    DestroyWindow(other);
    EXPECT_EQ(nullptr, FindControl(GetDesktopWindow()));
}

TEST(UtilityWindow, DeliversMessagesToItsMethodUntilDeallocated)
{
    std::vector<TMessage> seen;
    HWND window = AllocateHWnd([&](TMessage& message) {
        if (message.Msg == WM_USER + 9) {
            seen.push_back(message);
            message.Result = 77;
        }
    });
    ASSERT_TRUE(IsWindow(window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(77, SendMessageA(window, WM_USER + 9, 0xABCD, -5));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(0xABCDu, seen[0].WParam);
    EXPECT_EQ(-5, seen[0].LParam);
    DeallocateHWnd(window);
    EXPECT_FALSE(IsWindow(window));
    DeallocateHWnd(GetDesktopWindow());  // not one of ours: ignored
    EXPECT_TRUE(IsWindow(GetDesktopWindow()));
}

TEST(UtilityWindow, ExceptionsFromHandlersReachTheApplication)
{
    guitest::ScopedApplication app;
    std::string reported;
    app->OnException = [&](TObject*, const std::exception& e) { reported = e.what(); };
    HWND window = AllocateHWnd([](TMessage&) { throw EConvertError("from the hidden window"); });
    SendMessageA(window, WM_USER, 0, 0);
    EXPECT_EQ("from the hidden window", reported);
    DeallocateHWnd(window);

    reported.clear();
    ProbeForm form(nullptr);
    form.OnResize = [](TObject*) { throw EConvertError("from a form"); };
    SetWindowPos(form.Handle(), nullptr, 0, 0, 123, 45, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ("from a form", reported);
}

TEST(Icons, ApplicationIconComesFromTheProgramAndCopiesAreIndependent)
{
    ASSERT_FALSE(Application->Icon()->Empty());
    TIcon copy;
    int changes = 0;
    copy.OnChange = [&](TObject*) { ++changes; };
    copy.Assign(Application->Icon());
    EXPECT_EQ(1, changes);
    EXPECT_NE(Application->Icon()->Handle(), copy.Handle());
    EXPECT_EQ(Application->Icon()->Width(), copy.Width());

    TIcon small;
    small.LoadFromResourceName(GetModuleHandleA(nullptr), "MAINICON", 16);
    EXPECT_EQ(16, small.Width());
    EXPECT_EQ(16, small.Height());
    EXPECT_THROW(small.LoadFromResourceName(GetModuleHandleA(nullptr), "NOSUCHICON"), EResNotFound);
    EXPECT_EQ(16, small.Width()) << "a failed load keeps the icon";
}

TEST(StdControls, RadioGroupChecksOneItemAndReportsClicksOfItsSystemButtons)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    auto* group = new TRadioGroup(&form);
    group->SetParent(&form);
    group->SetCaption("RadioGroup1");
    group->SetItems({"One", "Two", "Three"});
    group->SetItemIndex(1);
    form.HandleNeeded();
    ASSERT_EQ(3, group->ControlCount());
    auto* two = dynamic_cast<TRadioButton*>(group->Controls(1));
    auto* three = dynamic_cast<TRadioButton*>(group->Controls(2));
    ASSERT_TRUE(two && three);
    EXPECT_TRUE(two->Checked());
    EXPECT_EQ(BST_CHECKED, SendMessageA(two->Handle(), BM_GETCHECK, 0, 0));
    char className[32] = {};
    GetClassNameA(three->Handle(), className, sizeof className);
    EXPECT_STREQ("TRadioButton", className);

    int clicks = 0;
    group->OnClick = [&](TObject* sender) {
        EXPECT_EQ(group, sender);
        ++clicks;
    };
    SendMessageA(three->Handle(), BM_CLICK, 0, 0);  // the button reports BN_CLICKED to its parent
    EXPECT_EQ(2, group->ItemIndex());
    EXPECT_TRUE(three->Checked());
    EXPECT_FALSE(two->Checked());
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(two->Handle(), BM_GETCHECK, 0, 0));
    EXPECT_EQ(1, clicks);

    group->SetItemIndex(7);
    EXPECT_EQ(-1, group->ItemIndex());
    EXPECT_FALSE(three->Checked());
}

namespace {

// Paints itself at once when told to, the way skinned controls follow the pointer.
class DirectBox : public NoEraseControl {
public:
    using NoEraseControl::NoEraseControl;

protected:
    void Dispatch(TMessage& message) override
    {
        if (message.Msg == WM_USER + 3) {
            Paint();
            message.Result = Canvas()->HandleAllocated();
            return;
        }
        NoEraseControl::Dispatch(message);
    }
};

class DirectPad : public GreenPad {
public:
    using GreenPad::GreenPad;
    void PaintNow() { Paint(); }
};

}  // namespace

TEST(Painting, PaintOutsideWmPaintDrawsOnTheWindowAndGivesTheDcBack)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(300, 300, 100, 60);
    form.SetColor(clRed);
    auto* box = new DirectBox(&form);
    box->SetBounds(10, 10, 20, 20);
    box->SetParent(&form);
    auto* pad = new DirectPad(&form);
    pad->SetBounds(50, 10, 20, 20);
    pad->SetParent(&form);
    form.Show();
    guitest::Pump(300);
    box->painted = 0;

    EXPECT_EQ(1, SendMessageA(box->Handle(), WM_USER + 3, 0, 0)) << "the canvas had a DC while painting";
    EXPECT_EQ(1, box->painted);
    EXPECT_FALSE(box->Canvas()->HandleAllocated()) << "given back once the message was handled";

    pad->PaintNow();
    EXPECT_TRUE(pad->Canvas()->HandleAllocated());
    TControlCanvas::FreeDeviceContexts();
    EXPECT_FALSE(pad->Canvas()->HandleAllocated());
    WindowDC screen(nullptr);
    EXPECT_EQ(ColorToRGB(clBlue), PixelAt(screen.Get(), 315, 315));
    EXPECT_EQ(ColorToRGB(clLime), PixelAt(screen.Get(), 355, 315));
    EXPECT_EQ(ColorToRGB(clRed), PixelAt(screen.Get(), 375, 315)) << "the pad's canvas is clipped to the pad";
}

TEST(Painting, LabelsAndImagesPaintOnTheirParent)
{
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(0, 0, 200, 100);
    form.SetColor(clRed);
    auto* opaque = new TLabel(&form);
    opaque->SetParent(&form);
    opaque->SetAutoSize(false);
    opaque->SetBounds(0, 0, 60, 30);
    opaque->SetColor(clBlue);
    opaque->SetCaption("i");
    auto* transparent = new TLabel(&form);
    transparent->SetParent(&form);
    transparent->SetAutoSize(false);
    transparent->SetBounds(0, 40, 60, 30);
    transparent->SetColor(clBlue);
    transparent->SetTransparent(true);
    transparent->SetCaption("i");
    auto* image = new TImage(&form);
    image->SetParent(&form);
    image->SetBounds(100, 0, 40, 40);
    TBitmap green;
    green.SetPixelFormat(pf24bit);
    green.SetSize(10, 10);
    green.Canvas()->Brush()->SetColor(clLime);
    green.Canvas()->FillRect(TRect(0, 0, 10, 10));
    image->Picture()->SetBitmap(&green);
    auto* stretched = new TImage(&form);
    stretched->SetParent(&form);
    stretched->SetBounds(150, 0, 40, 40);
    stretched->SetStretch(true);
    stretched->Picture()->SetBitmap(&green);

    TBitmap buffer;
    buffer.SetPixelFormat(pf24bit);
    buffer.SetSize(200, 100);
    HDC dc = buffer.Canvas()->Handle();
    form.Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
    form.Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    GdiFlush();
    EXPECT_EQ(ColorToRGB(clBlue), PixelAt(dc, 55, 25)) << "an opaque label fills its area";
    EXPECT_EQ(ColorToRGB(clRed), PixelAt(dc, 55, 65)) << "a transparent one leaves the parent's";
    EXPECT_EQ(ColorToRGB(clLime), PixelAt(dc, 105, 5));
    EXPECT_EQ(ColorToRGB(clRed), PixelAt(dc, 115, 15)) << "an image draws its picture at its own size";
    EXPECT_EQ(ColorToRGB(clLime), PixelAt(dc, 185, 35)) << "or stretched over the control";
}

TEST(Label, WordWrapBreaksWithinTheWidthAndGrowsTheHeight)
{
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetCaption("one two three four five six seven eight");
    const int oneLine = label->Height();
    label->SetAutoSize(false);
    label->SetWidth(60);
    label->SetWordWrap(true);
    label->SetAutoSize(true);
    EXPECT_LE(label->Width(), 60);
    EXPECT_GE(label->Height(), 3 * oneLine);
}

TEST(Messages, FormWindowIsFoundByItsClassNameAndCaption)
{
    ProbeForm form(nullptr);
    form.SetCaption("Framework probe");
    HWND window = form.Handle();
    EXPECT_EQ(window, FindWindowA("ProbeForm", "Framework probe"));
    form.SetCaption("Renamed");
    EXPECT_EQ(window, FindWindowA("ProbeForm", "Renamed"));
}
