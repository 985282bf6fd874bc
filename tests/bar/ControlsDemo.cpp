// A window with every skinned control over a background: a push button, a radio pair,
// a glowing label, an alpha image and a row of phase bars. It writes its own pictures
// into the resource folder beside it. "-autoclose" ends it after a second.
#include "app/PngReader.h"
#include "app/control/PellonBar.h"
#include "framework/Application.h"
#include "framework/Bitmap.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "framework/Timers.h"
#include "src/gui/widget/GsButton.h"
#include "src/gui/widget/GsButtonAppearance.h"
#include "src/gui/widget/GsButtonOuterGlowTextEffect.h"
#include "src/gui/widget/GsImage.h"
#include "src/gui/widget/GsLabel.h"
#include "src/gui/widget/GsRadioButton.h"
#include "src/gui/widget/GsRadioButtonAppearance.h"
#include "src/gui/widget/GsTextRadiationEffect.h"
#include "BarPictures.h"

#include <windows.h>

#include <cmath>
#include <memory>
#include <vector>

using bartest::Rgba;

namespace {

uint8_t Byte(double v)
{
    return static_cast<uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, v))));
}

// A rounded plate of colour, its edge fading out.
bartest::PixelFn Plate(int width, int height, Rgba color, double radius)
{
    return [=](int x, int y) {
        const double cx = std::fmin(std::fmax(x + 0.5, radius), width - radius);
        const double cy = std::fmin(std::fmax(y + 0.5, radius), height - radius);
        const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
        return Rgba{color.r, color.g, color.b, Byte(std::fmin(1.0, std::fmax(0.0, radius - d + 0.5)) * color.a)};
    };
}

void WriteArtwork()
{
    const std::string folder = ResourceFolder();
    CreateDirectoryA(folder.c_str(), nullptr);
    // Bar: green at the bottom through yellow to red at the top.
    bartest::WritePicture(folder + "color_bar01.png", 14, 184, [](int x, int y) {
        const double t = y / 183.0;
        const double shade = 0.75 + 0.25 * std::sin(3.14159 * (x + 0.5) / 14);
        return Rgba{Byte(255 * std::fmin(1.0, 2 - 2 * t) * shade), Byte(255 * std::fmin(1.0, 2 * t) * shade),
                    40, 255};
    });
    bartest::WritePicture(folder + "color_bar_top01.png", 14, 6, [](int, int y) {
        return Rgba{255, 255, 230, Byte(255 - y * 35)};
    });
    bartest::WritePicture(folder + "demo_button.png", 90, 28, Plate(90, 28, {70, 90, 110, 255}, 6));
    bartest::WritePicture(folder + "demo_button_hover.png", 90, 28, Plate(90, 28, {90, 130, 170, 255}, 6));
    bartest::WritePicture(folder + "demo_radio.png", 18, 18, Plate(18, 18, {120, 120, 120, 255}, 9));
    bartest::WritePicture(folder + "demo_radio_on.png", 18, 18, Plate(18, 18, {75, 203, 254, 255}, 9));
    bartest::WritePicture(folder + "demo_glass.png", 60, 60, Plate(60, 60, {255, 255, 255, 110}, 30));
}

class DemoForm : public TForm {
public:
    explicit DemoForm(TComponent* owner) : TForm(owner)
    {
        SetBorderStyle(bsNone);
        SetBounds(60, 60, 560, 300);
        m_background.SetPixelFormat(pf24bit);
        m_background.SetSize(560, 300);
        for (int y = 0; y < 300; ++y) {
            uint8_t* p = m_background.ScanLine(y);
            for (int x = 0; x < 560; ++x, p += 3)
                p[0] = Byte(60 + y / 6.0), p[1] = Byte(30 + x / 20.0), p[2] = 20;
        }
        auto* back = new TImage(this);
        back->SetParent(this);
        back->SetBounds(0, 0, 560, 300);
        back->Picture()->Assign(&m_background);

        const std::string folder = ResourceFolder();
        auto* ok = new gs::GsButton(this);
        ok->SetParent(this);
        ok->SetBounds(440, 250, 0, 0);
        LoadPng(folder + "demo_button.png", ok->Appearance()->Raised());
        LoadPng(folder + "demo_button_hover.png", ok->Appearance()->Hovered());
        ok->Font()->SetName("Arial");
        ok->Font()->SetColor(0x00CCCCCC);
        ok->TextEffect()->Hovered()->Font()->SetColor(16698187);
        ok->TextEffect()->Hovered()->SetColor(16698187);
        ok->TextEffect()->Hovered()->SetOpacity(160);
        ok->TextEffect()->Hovered()->SetRadius(5);
        ok->SetInputBkgnd(&m_background);
        ok->SetCaption("Ok");

        const char* modes[] = {"Performance", "Power saving"};
        for (int i = 0; i < 2; ++i) {
            auto* radio = new gs::GsRadioButton(this);
            radio->SetParent(this);
            radio->SetBounds(30, 30 + 34 * i, 0, 0);
            LoadPng(folder + "demo_radio.png", radio->Appearance()->Unchecked()->Raised());
            LoadPng(folder + "demo_radio_on.png", radio->Appearance()->Checked()->Raised());
            radio->SetInputBkgnd(&m_background);
            radio->SetChecked(i == 0);
            auto* label = new gs::GsLabel(this);
            label->SetParent(this);
            label->SetTransparent(true);
            label->SetLeft(56);
            label->SetTop(29 + 34 * i);
            label->Font()->SetName("Arial");
            label->Font()->SetHeight(-13);
            label->Font()->SetStyle(fsBold);
            label->Font()->SetColor(i == 0 ? RGBColor(254, 203, 75) : RGBColor(51, 92, 92));
            label->Radiation()->SetColor(i == 0 ? RGBColor(255, 120, 0) : RGBColor(38, 61, 61));
            label->Radiation()->SetRadius(3);
            label->SetCaption(modes[i]);
        }

        auto* glass = new gs::GsImage(this);
        glass->SetParent(this);
        glass->SetAutoSize(true);
        glass->SetAlphaChannel(true);
        glass->SetLeft(60);
        glass->SetTop(150);
        LoadPng(folder + "demo_glass.png", glass->Picture()->Bitmap());

        const int values[] = {-20, -5, -1, 0, 2, 8, 30, 51};
        for (int i = 0; i < 8; ++i) {
            m_bars.push_back(std::make_unique<PellonBar>(this, i + 1, 4));
            m_bars.back()->SetLeft(200 + 28 * i);
            m_bars.back()->SetTop(20);
            m_bars.back()->SetReading(i != 5, values[i]);
        }
    }

private:
    TBitmap m_background;  // the buttons' input background; lives as long as they do
    std::vector<std::unique_ptr<PellonBar>> m_bars;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    WriteArtwork();
    try {
        Application->Initialize();
        Application->SetTitle("Controls demo");
        DemoForm* form = nullptr;
        Application->CreateForm(form);
        if (FindCmdLineSwitch("autoclose", {'-'}, true)) {
            auto* timer = new TTimer(form);
            timer->SetInterval(1000);
            timer->OnTimer = [form](TObject*) { form->Close(); };
        }
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e);
        return 1;
    }
    return 0;
}
