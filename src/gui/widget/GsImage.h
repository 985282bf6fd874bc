#pragma once
// A picture on the parent: stretched and opaque, or, for a 32-bit picture with
// AlphaChannel, blended over what the parent painted beneath it.
#include "framework/CustomControls.h"

#include <cstdint>
#include <memory>

namespace gs {

class GsImage : public TGraphicControl {
public:
    explicit GsImage(TComponent* owner);
    ~GsImage() override;

    TPicture* Picture() const { return m_picture.get(); }
    void SetPicture(const TPicture* picture) { m_picture->Assign(picture); }
    bool AlphaChannel() const { return m_alphaChannel; }
    void SetAlphaChannel(bool value);
    bool AlphaBlend() const { return m_alphaBlend; }
    void SetAlphaBlend(bool value);
    uint8_t AlphaValue() const { return m_alphaValue; }
    // Repaints only while AlphaBlend is on, the one case the value is seen.
    void SetAlphaValue(uint8_t value);

protected:
    void Paint() override;
    bool CanAutoSize(int& newWidth, int& newHeight) override;

private:
    void PictureChanged(TObject* sender);

    std::unique_ptr<TPicture> m_picture;
    bool m_alphaChannel = false;
    bool m_alphaBlend = false;
    uint8_t m_alphaValue = 255;
};

}  // namespace gs
