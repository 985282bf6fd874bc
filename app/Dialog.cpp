#include "app/Dialog.h"

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

    if (dali::IsShiftJisLanguage(dali::NrMultiLang::Instance().LanguageName())) {
        TitleLabel->Font()->SetCharset(SHIFTJIS_CHARSET);
        MessageLabel->Font()->SetCharset(SHIFTJIS_CHARSET);
    }
}

void TWarnForm::BuildPictures()
{
    if (WarningPicture)
        return;
    LoadBitmapFromResource(Background->Picture()->Bitmap(), GetModuleHandleA(nullptr), "WARNBK");
    m_maker.Attach(Background);

    WarningPicture = new gs::GsImage(this);
    WarningPicture->SetParent(this);
    LoadPng(ResourceFolder() + "warning_pic01.png", WarningPicture->Picture()->Bitmap());
    WarningPicture->SetAutoSize(true);
    WarningPicture->SetAlphaChannel(true);
    WarningPicture->SetLeft(20);
    WarningPicture->SetTop(20);

    TBitmap* background = Background->Picture()->Bitmap();
    OkButton = MakeButton(this, 150, 140,
                          {"button01_n.png", "button01_d.png", "button01_o.png", "button01_un.png"},
                          "Ok", "Ok", background);
    CloseButton = MakeButton(this, 365, 15, {"close_n.png", "close_d.png", "close_o.png", ""}, nullptr,
                             "Close", background);
    OkButton->SetModalResult(mrOk);
    CloseButton->SetModalResult(mrOk);
}

void TWarnForm::ShowWarning(const std::string& title, const std::string& message)
{
    BuildPictures();
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

void TWarnForm::FormShow(TObject*)
{
    CentreOnScreen();
    if (m_shadow)
        m_shadow->ShowBesideOwner();
}
