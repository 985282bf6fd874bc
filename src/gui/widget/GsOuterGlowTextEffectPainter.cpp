#include "src/gui/widget/GsOuterGlowTextEffectPainter.h"

#include "src/gui/widget/GsTextRadiationEffect.h"

namespace gs {

void GsOuterGlowTextEffectPainter::DrawText(TCanvas* canvas, const char* text, const TRect& rect,
                                            UINT format, bool asLayer)
{
    canvas->SetFont(m_effect->Font());
    m_effect->GlowParameters()->DrawText(canvas, text, rect, format, asLayer);
}

void GsOuterGlowTextEffectPainter::DrawText(TCanvas* canvas, const wchar_t* text,
                                            const TRect& rect, UINT format, bool asLayer)
{
    canvas->SetFont(m_effect->Font());
    m_effect->GlowParameters()->DrawText(canvas, text, rect, format, asLayer);
}

void GsOuterGlowTextEffectPainter::DrawText(TBitmap* bitmap, const char* text, const TRect& rect,
                                            UINT format, bool asLayer)
{
    const TRect shifted(rect.Left + m_effect->OffsetX(), rect.Top + m_effect->OffsetY(),
                        rect.Right + m_effect->OffsetX(), rect.Bottom + m_effect->OffsetY());
    bitmap->Canvas()->SetFont(m_effect->Font());
    m_effect->GlowParameters()->DrawText(bitmap, text, shifted, format, asLayer);
}

void GsOuterGlowTextEffectPainter::DrawText(TBitmap* bitmap, const wchar_t* text,
                                            const TRect& rect, UINT format, bool asLayer)
{
    bitmap->Canvas()->SetFont(m_effect->Font());
    m_effect->GlowParameters()->DrawText(bitmap, text, rect, format, asLayer);
}

void GsOuterGlowTextEffectPainter::CalcRect(TCanvas* canvas, const char* text, TRect& rect,
                                            UINT format)
{
    canvas->SetFont(m_effect->Font());
    m_effect->GlowParameters()->CalcRect(canvas, text, rect, format);
}

void GsOuterGlowTextEffectPainter::CalcRect(TCanvas* canvas, const wchar_t* text, TRect& rect,
                                            UINT format)
{
    canvas->SetFont(m_effect->Font());
    m_effect->GlowParameters()->CalcRect(canvas, text, rect, format);
}

}  // namespace gs
