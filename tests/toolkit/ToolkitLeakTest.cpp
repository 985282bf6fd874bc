// Shaping, showing, dragging and freeing many forms leaves the process's GDI objects,
// window-manager objects, kernel handles and heap where they were.
#include "src/gui/widget/TShapedForm.h"
#include "framework/Bitmap.h"
#include "GuiTestSupport.h"
#include "LeakProbes.h"
#include "ToolkitTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace toolkittest;
using namespace leakprobe;

namespace {

INPUT MouseInput(int x, int y, DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65536, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = MulDiv(y, 65536, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

// A left drag through the system's input queue, queued whole before the move loop runs.
// (Every Unix program Wine starts costs the process a kernel handle, so xdotool cannot
// be used here.)
void Drag(int x, int y, int dx, int dy)
{
    INPUT inputs[] = {MouseInput(x, y, 0), MouseInput(x, y, MOUSEEVENTF_LEFTDOWN),
                      MouseInput(x + dx, y + dy, 0), MouseInput(x + dx, y + dy, MOUSEEVENTF_LEFTUP)};
    SendInput(4, inputs, sizeof(INPUT));
    guitest::Pump(30);
}

// One keyed and one per-pixel form each time, both dragged.
// True when both moved.
bool ShapeShowDragAndFree()
{
    ShapedForm keyed = MakeForm("KeyedForm", 200, 200);
    Paint(keyed.image->Picture()->Bitmap(), pf24bit, 90, 60, {{0, 30, 255, 0, 255, 0}, {30, 90, 255, 0, 0, 0}});
    ShapedForm perPixel = MakeForm("PerPixelForm", 400, 200);
    Paint(perPixel.image->Picture()->Bitmap(), pf32bit, 90, 60, {{0, 90, 0, 0, 200, 200}});
    auto keyedMaker = std::make_unique<gs::TLayeredFormMaker>();
    auto perPixelMaker = std::make_unique<gs::TPerPixelLayeredFormMaker>();
    perPixelMaker->SetPerPixelAlpha(true);
    keyedMaker->Attach(keyed.image);
    perPixelMaker->Attach(perPixel.image);
    keyed.form->Show();
    perPixel.form->Show();
    Application->ProcessMessages();
    Drag(260, 230, 10, 10);
    Drag(460, 230, 10, 10);
    const bool moved = keyed.form->Left() == 210 && perPixel.form->Left() == 410;
    // Makers first, as a form's member maker goes before the form.
    keyedMaker.reset();
    perPixelMaker.reset();
    return moved;
}

}  // namespace

TEST(ToolkitLeaks, TwoHundredShapedFormsLeaveNoObjectBehind)
{
    for (int i = 0; i < 3; ++i)
        ShapeShowDragAndFree();
    Application->ProcessMessages();
    const Holdings before = Take();
    const DWORD start = GetTickCount();
    int moved = 0;
    for (int i = 0; i < 100; ++i)
        moved += ShapeShowDragAndFree() ? 2 : 0;
    Application->ProcessMessages();
    const DWORD elapsed = GetTickCount() - start;
    const Holdings after = Take();
    const std::string held = Describe(before, after);
    std::printf("200 forms (%d dragged) in %lu ms; %s\n", moved, elapsed, held.c_str());
    EXPECT_EQ(200, moved);
    EXPECT_TRUE(Flat(before, after)) << held;
}
