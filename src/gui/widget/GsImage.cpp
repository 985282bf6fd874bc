#include "src/gui/widget/GsImage.h"

#include "src/gui/graphics/image.h"

#include <algorithm>

namespace gs {

GsImage::GsImage(TComponent* owner) : TGraphicControl(owner), m_picture(std::make_unique<TPicture>())
{
    m_picture->OnChange = Bind(this, &GsImage::PictureChanged);
}

GsImage::~GsImage()
{
    m_picture.reset();
}

void GsImage::SetAlphaChannel(bool value)
{
    if (value == m_alphaChannel)
        return;
    m_alphaChannel = value;
    PictureChanged(this);
}

void GsImage::SetAlphaBlend(bool value)
{
    if (value == m_alphaBlend)
        return;
    m_alphaBlend = value;
    PictureChanged(this);
}

void GsImage::SetAlphaValue(uint8_t value)
{
    if (value == m_alphaValue)
        return;
    m_alphaValue = value;
    if (m_alphaBlend)
        PictureChanged(this);
}

void GsImage::PictureChanged(TObject*)
{
    if (AutoSize() && m_picture->Width() > 0 && m_picture->Height() > 0)
        SetBounds(Left(), Top(), m_picture->Width(), m_picture->Height());
    Invalidate();
}

bool GsImage::CanAutoSize(int& newWidth, int& newHeight)
{
    if ((ComponentState() & csDesigning) && (m_picture->Width() <= 0 || m_picture->Height() <= 0))
        return true;
    const TAlign align = Align();
    if (align == alNone || align == alLeft || align == alRight)
        newWidth = m_picture->Width();
    if (align == alNone || align == alTop || align == alBottom)
        newHeight = m_picture->Height();
    return true;
}

void GsImage::Paint()
{
    // An empty picture is left alone: asking it for a bitmap would make one and report
    // a change from inside the paint.
    if (Width() == 0 || Height() == 0 || m_picture->Width() == 0 || m_picture->Height() == 0)
        return;
    TBitmap* bitmap = m_picture->Bitmap();
    if (bitmap->Width() == 0 || bitmap->Height() == 0)
        return;
    if (!m_alphaChannel || bitmap->PixelFormat() != pf32bit) {
        Canvas()->StretchDraw(TRect(0, 0, Width(), Height()), bitmap);
        return;
    }
    const uint8_t opacity = m_alphaBlend ? m_alphaValue : 255;
    // The picture is blended 1:1; a control larger than it blends only the picture's area.
    const TRect area(0, 0, std::min(Width(), bitmap->Width()), std::min(Height(), bitmap->Height()));
    DrawAlpha(Canvas(), area, bitmap, TPoint(0, 0), opacity);
}

}  // namespace gs
