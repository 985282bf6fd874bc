#pragma once
// The soft shadows of the main window and the dialog (TShadowForm, TWarnShadow):
// click-through pop-ups owned by their form, showing a PNG with per-pixel alpha at the
// form's top-left corner. A shadow follows its owner's moves by itself; the owner shows
// and hides it with itself.
#include "app/ArtScale.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/WindowProcHook.h"
#include "src/gui/widget/TShapedForm.h"

#include <string>

// What the two shadows share; each one names its picture and its owner.
class TDropShadowForm : public TForm {
public:
    TImage* Background;

    // Loads the picture, makes the window layered with it and puts the window on the
    // owner's corner; the first call only, and before the shadow is first shown. The
    // system keeps the picture as the window's content, so Background lets go of its
    // copy.
    void SetUpPicture();
    // SetUpPicture, then Show.
    void ShowBesideOwner();
    // The owner's scale: the picture of that scale, now if the shadow has one already.
    void SetScale(const ArtScale& scale);

protected:
    // ownerForm must exist: its window becomes the shadow's owner window.
    TDropShadowForm(TComponent* owner, TForm* ownerForm, const char* name, int clientWidth,
                    int clientHeight, int imageWidth, int imageHeight, std::string picture);
    void CreateParams(TCreateParams& params) override;

private:
    // Puts the shadow on the owner's top-left corner.
    void FollowOwner();
    // Decodes the picture of the shadow's scale into Background, premultiplied.
    void LoadPicture();
    // Once the system has the picture as the window's content, Background's copy would
    // only be memory: the image keeps its size with an empty picture and paints nothing.
    void ReleasePicture();

    TForm* m_ownerForm;  // borrowed: lives as long as the shadow
    std::string m_picture;
    ArtScale m_scale;
    gs::TPerPixelLayeredFormMaker m_maker;
    TWindowProcHook m_ownerMoves;  // keeps the shadow on the owner's corner
};
