#include "app/Dialog.h"

#include "app/Backgrounds.h"
#include "app/DropShadowForm.h"
#include "app/Factory.h"
#include "app/PngReader.h"
#include "framework/Resources.h"
#include "src/System/IniAccess.h"
#include "src/gui/widget/GsButton.h"
#include "src/gui/widget/GsImage.h"

namespace {

TLabel* MakeDialogLabel(TWarnForm* form, int left, int top, TFontStyles style, TColor color)
{
    auto* label = new TLabel(form);
    label->SetParent(form);
    label->SetLeft(left);
    label->SetTop(top);
    label->Font()->SetName("Arial");
    label->Font()->SetStyle(style);
    label->Font()->SetHeight(-12);
    label->Font()->SetColor(color);
    label->SetTransparent(true);
    return label;
}

}  // namespace

TWarnForm::TWarnForm(TComponent* owner) : TForm(owner)
{
    {
        TReader description(this);
        SetName("WarnForm");
        SetBorderStyle(bsNone);
        SetCaption("WarnForm");
        SetBounds(192, 110, Width(), Height());
        SetClientWidth(467);
        SetClientHeight(247);
        SetScaled(false);
        Font()->SetName("MS Sans Serif");
        Font()->SetHeight(-11);
        OnShow = Bind(this, &TWarnForm::FormShow);
        SetKeyPreview(true);
        Background = new TImage(this);
        Background->SetName("Background");
        Background->SetParent(this);
        Background->SetAutoSize(true);
    }

    TitleLabel = MakeDialogLabel(this, 155, 20, fsBold, RGBColor(241, 43, 40));
    MessageLabel = MakeDialogLabel(this, 155, 52, 0, RGBColor(205, 205, 205));
    MessageLabel->SetAutoSize(false);
    MessageLabel->SetWidth(230);
    MessageLabel->SetHeight(200);
    MessageLabel->SetWordWrap(true);
    OnDpiChanged = Bind(this, &TWarnForm::FormDpiChanged);

    if (dali::IsShiftJisLanguage(dali::NrMultiLang::Instance().LanguageName())) {
        TitleLabel->Font()->SetCharset(SHIFTJIS_CHARSET);
        MessageLabel->Font()->SetCharset(SHIFTJIS_CHARSET);
    }
}

void TWarnForm::BuildPictures(ArtScale scale)
{
    if (WarningPicture && scale == m_scale)
        return;
    delete m_content;  // what an earlier scale made
    m_content = new TComponent(this);
    m_scale = scale;
    if (!m_design.Remembered())
        m_design.Remember(this, Background);
    m_design.Apply(scale);

    LoadBackground(Background->Picture()->Bitmap(), "WARNBK", "WarnBk.png", scale);
    if (m_maker.IsAttached())
        m_maker.PictureChanged();
    else
        m_maker.Attach(Background);

    WarningPicture = new gs::GsImage(m_content);
    WarningPicture->SetParent(this);
    LoadPng(scale.Folder() + "warning_pic01.png", WarningPicture->Picture()->Bitmap());
    WarningPicture->SetAutoSize(true);
    WarningPicture->SetAlphaChannel(true);
    WarningPicture->SetLeft(scale(20));
    WarningPicture->SetTop(scale(20));

    TBitmap* background = Background->Picture()->Bitmap();
    const ElementSite site{m_content, this, scale};
    OkButton = MakeButton(site, 150, 140,
                          {"button01_n.png", "button01_d.png", "button01_o.png", "button01_un.png"},
                          "Ok", "Ok", background);
    CloseButton = MakeButton(site, 365, 15, {"close_n.png", "close_d.png", "close_o.png", ""}, nullptr,
                             "Close", background);
    OkButton->SetModalResult(mrOk);
    CloseButton->SetModalResult(mrOk);
    if (m_shadow)
        m_shadow->SetScale(scale);
}

void TWarnForm::ShowWarning(const std::string& title, const std::string& message)
{
    // It opens in the middle of the main screen, so it takes that screen's scale.
    BuildPictures(ArtScale::ForDpi(Screen->PixelsPerInch()));
    TitleLabel->SetCaption(title);
    MessageLabel->SetCaption(message);
    ShowModal();
}

void TWarnForm::KeyDown(WORD& key, TShiftState shift)
{
    if ((key == VK_RETURN || key == VK_ESCAPE) && OkButton) {
        key = 0;
        SetModalResult(OkButton->ModalResult());
        return;
    }
    TForm::KeyDown(key, shift);
}

void TWarnForm::FormDpiChanged(TObject*, int dpi, const TRect& suggested)
{
    BuildPictures(ArtScale::ForDpi(dpi));
    Invalidate();
    // The size is the artwork's; the system's suggestion places it.
    SetBounds(suggested.Left, suggested.Top, Width(), Height());
}

void TWarnForm::FormShow(TObject*)
{
    CentreOnScreen();
    if (m_shadow)
        m_shadow->ShowBesideOwner();
}
