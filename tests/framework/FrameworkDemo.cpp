// A small program built only from the framework: a borderless, double-buffered form
// with a background picture from the program's resources, a label a timer keeps up to
// date, and a pop-up menu on the right button. With -autoclose it ends by itself.
#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/Resources.h"
#include "framework/StdCtrls.h"
#include "framework/SysUtils.h"
#include "framework/Timers.h"

#include <windows.h>

class TDemoForm : public TForm {
public:
    explicit TDemoForm(TComponent* owner) : TForm(owner)
    {
        TReader description(this);
        SetName("DemoForm");
        SetBorderStyle(bsNone);
        SetCaption("Framework demo");
        SetScaled(false);
        SetDoubleBuffered(true);
        SetControlStyle(ControlStyle() | csOpaque);

        Background = new TImage(this);
        Background->SetName("Background");
        Background->SetParent(this);
        Background->SetAutoSize(true);
        LoadBitmapFromResource(Background->Picture()->Bitmap(), GetModuleHandleA(nullptr), "DEMOBK");

        Ticks = new TLabel(this);
        Ticks->SetName("Ticks");
        Ticks->SetParent(this);
        Ticks->SetBounds(16, 16, 200, 20);
        Ticks->SetTransparent(true);
        Ticks->Font()->SetName("Arial");
        Ticks->Font()->SetHeight(-16);
        Ticks->Font()->SetColor(clWhite);
        Ticks->Font()->SetStyle(fsBold);
        Ticks->SetCaption("Right-click for the menu");

        TickTimer = new TTimer(this);
        TickTimer->SetName("TickTimer");
        TickTimer->SetInterval(250);
        TickTimer->OnTimer = Bind(this, &TDemoForm::TickTimerTimer);

        Menu = new TPopupMenu(this);
        Menu->SetName("Menu");
        PauseItem = new TMenuItem(this);
        PauseItem->SetCaption("Pause");
        PauseItem->OnClick = Bind(this, &TDemoForm::PauseItemClick);
        CloseItem = new TMenuItem(this);
        CloseItem->SetCaption("Close");
        CloseItem->OnClick = Bind(this, &TDemoForm::CloseItemClick);
        Menu->Items()->Add(PauseItem);
        Menu->Items()->Add(CloseItem);
        Background->SetPopupMenu(Menu);

        SetClientWidth(Background->Width());
        SetClientHeight(Background->Height());
        SetLeft((Screen->Width() - Width()) / 2);
        SetTop((Screen->Height() - Height()) / 2);
    }

    TImage* Background;
    TLabel* Ticks;
    TTimer* TickTimer;
    TPopupMenu* Menu;
    TMenuItem* PauseItem;
    TMenuItem* CloseItem;

private:
    void TickTimerTimer(TObject*)
    {
        ++m_ticks;
        Ticks->SetCaption(Format("%d ticks", m_ticks));
        if (m_autoClose && m_ticks == 8)
            Close();
    }
    void PauseItemClick(TObject*)
    {
        PauseItem->SetChecked(!PauseItem->Checked());
        TickTimer->SetEnabled(!PauseItem->Checked());
    }
    void CloseItemClick(TObject*) { Close(); }

    int m_ticks = 0;
    bool m_autoClose = FindCmdLineSwitch("autoclose", {'-'}, true);
};

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        Application->SetTitle("Framework demo");
        TDemoForm* DemoForm = nullptr;
        Application->CreateForm(DemoForm);
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e);
    }
    return 0;
}
