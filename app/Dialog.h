#pragma once
// The warning dialog: a skinned, modal message window with a warning picture, a title,
// a word-wrapped message, an "Ok" button and a close button, each ending it with 1.
#include "app/ArtScale.h"
#include "app/DesignedControls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "src/gui/widget/TShapedForm.h"

#include <string>

class TDropShadowForm;
namespace gs {
class GsButton;
class GsImage;
}  // namespace gs

class TWarnForm : public TForm {
public:
    explicit TWarnForm(TComponent* owner);

    // Returns once the user has dismissed the dialog.
    void ShowWarning(const std::string& title, const std::string& message);
    void FormShow(TObject* sender);
    // The shadow shown and hidden with the dialog (borrowed); none until given.
    void SetShadow(TDropShadowForm* shadow) { m_shadow = shadow; }

    TImage* Background;
    TLabel* TitleLabel;
    TLabel* MessageLabel;
    // The pictures and the controls that show them are made when the dialog is first
    // shown (most runs never show it), and again for another scale; null until then.
    gs::GsImage* WarningPicture = nullptr;
    gs::GsButton* OkButton = nullptr;
    gs::GsButton* CloseButton = nullptr;

protected:
    // Enter and Esc answer as the "Ok" button does, wherever the focus is.
    void KeyDown(WORD& key, TShiftState shift) override;

private:
    // At a scale it was not built at: the background, which also gives the dialog its
    // size and outline, the warning picture and the two buttons, and the labels placed.
    void BuildPictures(ArtScale scale);
    void FormDpiChanged(TObject* sender, int dpi, const TRect& suggested);

    gs::TLayeredFormMaker m_maker;
    ArtScale m_scale;
    DesignedControls m_design;  // the title and the message
    TComponent* m_content = nullptr;  // owns the pictures and buttons; owned by the form
    TDropShadowForm* m_shadow = nullptr;
};
