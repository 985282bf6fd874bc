#include "app/Factory.h"

#include "app/DirectorLayout.h"
#include "app/PngReader.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "src/System/IniAccess.h"
#include "src/gui/graphics/image.h"
#include "src/gui/widget/GsButton.h"
#include "src/gui/widget/GsButtonAppearance.h"
#include "src/gui/widget/GsButtonOuterGlowTextEffect.h"
#include "src/gui/widget/GsImage.h"
#include "src/gui/widget/GsLabel.h"
#include "src/gui/widget/GsRadioButton.h"
#include "src/gui/widget/GsRadioButtonAppearance.h"
#include "src/gui/widget/GsTextRadiationEffect.h"
#include "src/gui/widget/NrTrayIcon.h"

#include <functional>

namespace {

constexpr UINT kTrayIconId = 1;
constexpr UINT kTrayCallbackMessage = 1114;
constexpr int kBalloonInformation = 2;
const TColor kCaptionColor = RGBColor(204, 204, 204);
const TColor kLegendValueColor = RGBColor(40, 255, 213);  // the average line's own colour

using PictureLoader = std::function<void(const char* name, TBitmap* bitmap)>;

PictureLoader PlainLoader(const ElementSite& site)
{
    return [folder = site.scale.Folder()](const char* name, TBitmap* bitmap) {
        if (name && *name)
            LoadPng(folder + name, bitmap);
    };
}

// A picture decoded once for the whole build: later elements get a copy of it.
void LoadSharedPicture(const MainWindowBuilder& builder, const char* name, TBitmap* bitmap)
{
    if (!name || !*name)
        return;
    std::shared_ptr<TBitmap> picture = SharedPng(builder.scale.Folder() + name);
    builder.decoded.push_back(picture);
    bitmap->Assign(picture.get());
}

gs::GsRadioButton* MakeRadioButtonWith(const PictureLoader& load, const ElementSite& site, int left,
                                       int top, const RadioPictures& pictures, const char* caption,
                                       const char* hint, int group, TBitmap* inputBkgnd)
{
    auto* radio = new gs::GsRadioButton(site.owner);
    radio->SetParent(site.form);
    radio->SetLeft(site.scale(left));
    radio->SetTop(site.scale(top));
    gs::GsRadioButtonAppearance* appearance = radio->Appearance();
    load(pictures.uncheckedRaised, appearance->Unchecked()->Raised());
    load(pictures.uncheckedHovered, appearance->Unchecked()->Hovered());
    load(pictures.checkedRaised, appearance->Checked()->Raised());
    load(pictures.checkedHovered, appearance->Checked()->Hovered());
    radio->SetGroupIndex(group);
    radio->SetInputBkgnd(inputBkgnd);
    radio->Font()->SetColor(kCaptionColor);
    radio->Font()->SetName("Arial");
    ScaleFont(radio->Font(), site.scale);
    if (caption)
        radio->SetCaption(caption);
    if (hint) {
        radio->SetHint(hint);
        radio->SetShowHint(true);
    }
    radio->SetVisible(true);
    return radio;
}

}  // namespace

gs::GsButton* MakeButton(const ElementSite& site, int left, int top, const ButtonPictures& pictures,
                         const char* captionKey, const char* hintKey, TBitmap* inputBkgnd)
{
    const ArtScale& scale = site.scale;
    auto* button = new gs::GsButton(site.owner);
    button->SetParent(site.form);
    button->SetLeft(scale(left));
    button->SetTop(scale(top));
    gs::GsButtonAppearance* appearance = button->Appearance();
    const PictureLoader load = PlainLoader(site);
    load(pictures.raised, appearance->Raised());
    load(pictures.sunken, appearance->Sunken());
    load(pictures.hovered, appearance->Hovered());
    load(pictures.disabled, appearance->Disabled());
    button->Font()->SetName("Arial");
    ScaleFont(button->Font(), scale);
    button->Font()->SetColor(kCaptionColor);
    if (inputBkgnd)
        button->SetInputBkgnd(inputBkgnd);

    gs::GsButtonOuterGlowTextEffect* effect = button->TextEffect();
    const TColor hover = RGBColor(75, 203, 254);
    effect->Hovered()->Font()->SetColor(hover);
    effect->Hovered()->SetColor(hover);
    effect->Hovered()->SetOpacity(160);
    effect->Hovered()->SetRadius(scale(5));
    effect->Disabled()->Font()->SetColor(RGBColor(72, 72, 72));
    effect->Sunken()->Font()->SetColor(RGBColor(50, 152, 217));
    effect->Sunken()->SetOffsetX(scale(1));
    effect->Sunken()->SetOffsetY(scale(1));

    dali::NrMultiLang& texts = dali::NrMultiLang::Instance();
    if (dali::IsShiftJisLanguage(texts.LanguageName()))
        button->Font()->SetCharset(SHIFTJIS_CHARSET);
    if (captionKey)
        button->SetCaption(texts.GetText(captionKey));
    if (hintKey) {
        button->SetHint(texts.GetText(hintKey));
        button->SetShowHint(true);
    }
    button->SetVisible(true);
    return button;
}

gs::GsRadioButton* MakeRadioButton(const ElementSite& site, int left, int top,
                                   const RadioPictures& pictures, const char* caption,
                                   const char* hint, int group, TBitmap* inputBkgnd)
{
    return MakeRadioButtonWith(PlainLoader(site), site, left, top, pictures, caption, hint, group,
                               inputBkgnd);
}

gs::GsLabel* MakeModeLabel(const MainWindowBuilder& builder, int left, int top)
{
    const ArtScale& scale = builder.scale;
    auto* label = new gs::GsLabel(builder.owner);
    label->SetParent(builder.form);
    label->Font()->SetName("Arial");
    label->Font()->SetHeight(scale(-11));
    label->Font()->SetStyle(fsBold);
    label->SetLeft(scale(left));
    label->SetTop(scale(top));
    label->SetTransparent(true);
    gs::GsRadiation* glow = label->Radiation();
    glow->SetSpread(255);
    glow->SetRadius(scale(2));
    glow->SetX(0);
    glow->SetY(0);
    SetModeLabelColors(label, false);
    return label;
}

TLabel* MakeLegendValue(const MainWindowBuilder& builder, const TLabel* legend)
{
    auto* value = new TLabel(builder.owner);
    value->SetParent(builder.form);
    value->SetAutoSize(false);
    value->SetAlignment(taRightJustify);
    value->SetTransparent(true);
    value->Font()->Assign(legend->Font());
    value->Font()->SetStyle(fsBold);
    value->Font()->SetColor(kLegendValueColor);
    const TRect bounds = builder.scale(kLegendValueBounds);
    value->SetBounds(bounds.Left, legend->Top(), bounds.Width(), legend->Height());
    return value;
}

void SetModeLabelColors(gs::GsLabel* label, bool active)
{
    const ModeLabelColors colors = ModeLabelColorsFor(active);
    label->Font()->SetColor(colors.font);
    label->Radiation()->SetColor(colors.glow);
}

gs::GsImage* MakeImage(const MainWindowBuilder& builder, const std::string& file, int left, int top)
{
    auto* image = new gs::GsImage(builder.owner);
    LoadPng(builder.scale.Folder() + file, image->Picture()->Bitmap());
    image->SetParent(builder.form);
    image->SetAlphaChannel(true);
    image->SetLeft(builder.scale(left));
    image->SetTop(builder.scale(top));
    image->SetAutoSize(true);
    image->SetVisible(true);
    return image;
}

TsTrayIcon* MakeTrayIcon(TForm* form)
{
    auto* icon = new TsTrayIcon(form, kTrayIconId, kTrayCallbackMessage);
    icon->SetHint("Pellon");
    icon->SetVisible(true);
    icon->SetBalloonIconType(kBalloonInformation);
    return icon;
}

gs::GsButton* MakeCloseButton(const MainWindowBuilder& builder, int left)
{
    return MakeButton(builder, left, kCloseButtonTop,
                      {"close_n.png", "close_d.png", "close_o.png", ""}, nullptr, "Close",
                      builder.background);
}

gs::GsRadioButton* MakeModeRadioButton(const MainWindowBuilder& builder, int left, int top)
{
    // Both mode buttons show the same four pictures: decoded for the first only.
    const PictureLoader load = [&builder](const char* name, TBitmap* bitmap) {
        LoadSharedPicture(builder, name, bitmap);
    };
    return MakeRadioButtonWith(load, builder, left, top,
                               {"radio_button_n.png", "radio_button_o.png", "radio_button_chack_n.png",
                                "radio_button_chack_o.png"},
                               nullptr, "", 0, builder.background);
}

void PaintLines(const MainWindowBuilder& builder, const LayoutGeometry& layout)
{
    // A picture the codec rejected stays empty and adds nothing.
    auto blend = [&](TBitmap* line, int left, int top) {
        if (line->PixelFormat() != pf32bit || line->Width() == 0 || line->Height() == 0)
            return;
        BlendAlpha(builder.background, TRect(left, top, left + line->Width(), top + line->Height()),
                   line, TPoint(0, 0), 255);
    };
    const ArtScale& scale = builder.scale;
    TBitmap first;
    LoadPng(scale.Folder() + layout.firstLine, &first);
    blend(&first, scale(55), scale(162));
    TBitmap second;
    LoadPng(scale.Folder() + layout.secondLine, &second);
    blend(&second, scale(57), scale(135));
    blend(&second, scale(55), scale(192));
}
