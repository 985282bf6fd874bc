#include "app/DropShadowForm.h"

#include "app/PngReader.h"
#include "src/gui/graphics/image.h"

TDropShadowForm::TDropShadowForm(TComponent* owner, TForm* ownerForm, const char* name,
                                 int clientWidth, int clientHeight, int imageWidth,
                                 int imageHeight, std::string picture)
    : TForm(owner), m_ownerForm(ownerForm), m_picture(std::move(picture))
{
    {
        TReader description(this);
        SetName(name);
        SetBounds(192, 110, Width(), Height());
        SetBorderStyle(bsNone);
        SetCaption(name);
        SetClientWidth(clientWidth);
        SetClientHeight(clientHeight);
        SetColor(clBtnFace);
        Font()->SetName("MS Sans Serif");
        Font()->SetHeight(-11);
        Font()->SetCharset(DEFAULT_CHARSET);
        Font()->SetColor(clWindowText);
        SetScaled(false);
        SetShowActivate(false);  // a shadow never takes the activation from its owner
        Background = new TImage(this);
        Background->SetName("Background");
        Background->SetParent(this);
        Background->SetBounds(0, 0, imageWidth, imageHeight);
    }
    // The owner decides the scale; the shadow only keeps to its corner.
    OnDpiChanged = [this](TObject*, int, const TRect&) { FollowOwner(); };
    m_ownerMoves.Hook(ownerForm, [this](TMessage& message, const TWndMethod& next) {
        next(message);
        if (message.Msg == WM_MOVE)
            FollowOwner();
    });
}

void TDropShadowForm::SetUpPicture()
{
    if (m_maker.IsAttached())
        return;
    LoadPicture();
    m_maker.SetDraggable(false);
    m_maker.SetPerPixelAlpha(true);
    m_maker.SetClickThrough(true);
    m_maker.SetColorKey(0xFF00FF);
    m_maker.SetColorKeyEnabled(true);
    m_maker.Attach(Background);
    // The maker's settings are final, so the window's content is only given again for
    // another scale.
    ReleasePicture();
    FollowOwner();
}

void TDropShadowForm::SetScale(const ArtScale& scale)
{
    if (scale == m_scale)
        return;
    m_scale = scale;
    if (!m_maker.IsAttached())
        return;
    LoadPicture();
    m_maker.PictureChanged();
    ReleasePicture();
    FollowOwner();
}

void TDropShadowForm::LoadPicture()
{
    TBitmap* bitmap = Background->Picture()->Bitmap();
    bitmap->SetPixelFormat(pf32bit);
    LoadPng(m_scale.Folder() + m_picture, bitmap);
    PremultiplyAlpha(bitmap);
}

void TDropShadowForm::ReleasePicture()
{
    if (m_maker.SystemHasImage())
        Background->Picture()->Bitmap()->Assign(nullptr);
}

void TDropShadowForm::FollowOwner()
{
    SetBounds(m_ownerForm->Left(), m_ownerForm->Top(), Width(), Height());
}

void TDropShadowForm::ShowBesideOwner()
{
    SetUpPicture();
    Show();
}

void TDropShadowForm::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    params.Style |= WS_POPUP;
    params.WndParent = m_ownerForm->Handle();
}
