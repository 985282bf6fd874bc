#pragma once
// The picture control and the radio group.
#include "framework/Bitmap.h"
#include "framework/StdCtrls.h"

#include <memory>
#include <string>
#include <vector>

// Shows a picture. With AutoSize it takes the picture's size (CanAutoSize).
class TImage : public TGraphicControl {
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;

    TPicture* Picture() const { return m_picture.get(); }
    void SetPicture(const TPicture* picture) { m_picture->Assign(picture); }
    bool Stretch() const { return m_stretch; }
    void SetStretch(bool stretch);
    bool Center() const { return m_center; }
    void SetCenter(bool center);
    // Leaves the picture's transparent parts out (its bitmap's transparent colour).
    bool Transparent() const { return m_transparent; }
    void SetTransparent(bool transparent);

protected:
    void Paint() override;
    bool CanAutoSize(int& newWidth, int& newHeight) override;
    virtual void PictureChanged(TObject* sender);

private:
    TRect DestRect() const;

    std::unique_ptr<TPicture> m_picture;
    bool m_stretch = false;
    bool m_center = false;
    bool m_transparent = false;
    bool m_changing = false;  // PictureChanged is adjusting the graphic itself
};

// A framed group of radio buttons, one per item; ItemIndex is the checked one (-1: none).
class TRadioGroup : public TWinControl {
public:
    explicit TRadioGroup(TComponent* owner);

    const std::vector<std::string>& Items() const { return m_items; }
    void SetItems(const std::vector<std::string>& items);
    int ItemIndex() const { return m_itemIndex; }
    void SetItemIndex(int index);

protected:
    void CreateParams(TCreateParams& params) override;
    void Resize() override;

private:
    void ButtonClick(TObject* sender);
    void ArrangeButtons();

    std::vector<std::string> m_items;
    std::vector<TRadioButton*> m_buttons;  // borrowed: owned by the group as components
    int m_itemIndex = -1;
};
