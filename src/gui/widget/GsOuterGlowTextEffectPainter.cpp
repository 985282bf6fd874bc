#include "src/gui/widget/GsOuterGlowTextEffectPainter.h"

#include "src/gui/widget/GsTextRadiationEffect.h"

namespace gs {

void GsOuterGlowTextEffectPainter::DrawText(TextTarget target, TextView text, const TRect& rect,
                                            UINT format, bool asLayer)
{
    // The offset moves only narrow text drawn into a bitmap: the caption of a button's face.
    const bool shift = target.Bitmap() && !text.Wide();
    const int dx = shift ? m_effect->OffsetX() : 0;
    const int dy = shift ? m_effect->OffsetY() : 0;
    const TRect shifted(rect.Left + dx, rect.Top + dy, rect.Right + dx, rect.Bottom + dy);
    target.Canvas()->SetFont(m_effect->Font());
    m_effect->GlowParameters()->DrawText(target, text, shifted, format, asLayer);
}

void GsOuterGlowTextEffectPainter::CalcRect(TCanvas* canvas, TextView text, TRect& rect,
                                            UINT format)
{
    canvas->SetFont(m_effect->Font());
    m_effect->GlowParameters()->CalcRect(canvas, text, rect, format);
}

}  // namespace gs
