// Creating and freeing a form with a hundred controls many times must leave the
// process's GDI objects, window-manager objects, kernel handles and heap where they were.
// Wine reports no counts (GetGuiResources and GetProcessHandleCount answer 0), so the
// counts are measured: GDI and window-manager objects by how many more the process can
// still make before their tables are full, kernel handles from where new handles land
// (Wine hands out the lowest free slot).
#include "framework/Bitmap.h"
#include "framework/CustomControls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/Timers.h"
#include "GuiTestSupport.h"
#include "LeakProbes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace leakprobe;

namespace {

// The number of forms the leak test makes: 200 in the regular run (a leak of one object
// per form shows as 200), PELLON_LEAK_FORMS for a longer run.
int FormCount()
{
    char value[16] = {};
    if (GetEnvironmentVariableA("PELLON_LEAK_FORMS", value, sizeof value) && std::atoi(value) > 0)
        return std::atoi(value);
    return 200;
}

class Box : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clBlue);
        Canvas()->FillRect(ClientRect());
        Canvas()->TextOut(2, 2, "box");
    }
};

// One form: 40 labels, 20 images, 20 painted windowed controls, 10 system radio
// buttons, 5 timers, 4 pop-up menus with an item each and a radio group: 100 controls
// and components, shown, painted, used and freed.
void MakeShowAndFreeForm()
{
    auto* form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(50, 50, 400, 300);
    form->SetDoubleBuffered(true);
    for (int i = 0; i < 40; ++i) {
        auto* label = new TLabel(form);
        label->SetParent(form);
        label->SetBounds(i * 9 % 380, i * 7 % 280, 10, 10);
        label->Font()->SetStyle(i % 2 ? fsBold : 0);
        label->SetCaption("Label");
        label->SetTransparent(i % 3 == 0);
    }
    for (int i = 0; i < 20; ++i) {
        auto* image = new TImage(form);
        image->SetParent(form);
        image->SetAutoSize(true);
        image->SetLeft(i * 17 % 380);
        image->Picture()->Bitmap()->SetPixelFormat(pf24bit);
        image->Picture()->Bitmap()->SetSize(16, 16);
    }
    for (int i = 0; i < 20; ++i) {
        auto* box = new Box(form);
        box->SetBounds(i * 19 % 380, 200, 18, 18);
        box->SetParent(form);
    }
    for (int i = 0; i < 10; ++i) {
        auto* radio = new TRadioButton(form);
        radio->SetBounds(i * 30, 250, 28, 17);
        radio->SetCaption("R");
        radio->SetParent(form);
        radio->SetChecked(i == 3);
    }
    for (int i = 0; i < 5; ++i) {
        auto* timer = new TTimer(form);
        timer->SetInterval(1000);
    }
    for (int i = 0; i < 4; ++i) {
        auto* menu = new TPopupMenu(form);
        auto* item = new TMenuItem(form);
        item->SetCaption("Item");
        menu->Items()->Add(item);
    }
    auto* group = new TRadioGroup(form);
    group->SetParent(form);
    group->SetItems({"One", "Two"});
    form->Show();
    form->Repaint();
    Application->ProcessMessages();
    form->Hide();
    delete form;
}

}  // namespace

TEST(Leaks, FormsWithAHundredControlsLeaveNoObjectBehind)
{
    for (int i = 0; i < 5; ++i)  // classes registered, caches filled
        MakeShowAndFreeForm();
    Application->ProcessMessages();
    const Holdings before = Take();
    const int forms = FormCount();
    const DWORD start = GetTickCount();
    for (int i = 0; i < forms; ++i)
        MakeShowAndFreeForm();
    Application->ProcessMessages();
    const DWORD elapsed = GetTickCount() - start;
    const Holdings after = Take();
    const std::string held = Describe(before, after);
    std::printf("%d forms in %lu ms; %s\n", forms, elapsed, held.c_str());
    EXPECT_GT(before.gdiRoom, 1000) << "the probe must see the table fill up";
    EXPECT_GT(before.userRoom, 1000);
    // A leak of a few bytes per form would show as their multiple.
    EXPECT_TRUE(Flat(before, after)) << held;
}

TEST(Leaks, TheProbesSeeALeak)
{
    const int gdiBefore = GdiRoom();
    const int userBefore = UserRoom();
    const int kernelBefore = KernelHandlesInUse();
    HBRUSH brush = CreateSolidBrush(0);
    HMENU menu = CreatePopupMenu();
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const size_t heapBefore = HeapBytesInUse();
    auto leaked = std::make_unique<char[]>(1000);
    EXPECT_GE(HeapBytesInUse(), heapBefore + 1000);
    EXPECT_EQ(gdiBefore - 1, GdiRoom());
    EXPECT_EQ(userBefore - 1, UserRoom());
    EXPECT_EQ(kernelBefore + 1, KernelHandlesInUse());
    DeleteObject(brush);
    DestroyMenu(menu);
    CloseHandle(event);
}
