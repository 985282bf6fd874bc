#include "src/gui/widget/GsCustomButton.h"

#include "framework/Forms.h"
#include "src/gui/Painter/TextPainter.h"
#include "src/gui/graphics/image.h"
#include "src/gui/widget/GsButtonState.h"
#include "src/gui/widget/GsCtrlAppearance.h"
#include "src/gui/widget/GsFocusRing.h"

namespace gs {

GsCustomButton::GsCustomButton(TComponent* owner) : GsCustomControl(owner)
{
    SetControlStyle(ControlStyle() | csOpaque);
    SetAutoSize(true);
}

void GsCustomButton::SetInputBkgnd(TBitmap* bitmap)
{
    if (bitmap == m_inputBkgnd)
        return;
    m_inputBkgnd = bitmap;
    Repaint();
}

void GsCustomButton::SetWordWrap(bool wordWrap)
{
    if (wordWrap == m_wordWrap)
        return;
    m_wordWrap = wordWrap;
    Invalidate();
}

void GsCustomButton::DrawFace(TBitmap* face, int8_t faceIndex)
{
    // A focus the skin has no picture for is ringed; the shape is read before the face
    // is laid over the background and loses its alpha.
    const bool focusShown = m_state == gs::Focused || m_state == gs::Active;
    const std::vector<uint8_t> ring = focusShown && faceIndex != m_state ? FocusRingMask(face) : std::vector<uint8_t>();
    if (face->PixelFormat() == pf32bit && m_inputBkgnd) {
        const TRect r(0, 0, face->Width(), face->Height());
        TBitmap composed;
        composed.SetSize(Width(), Height());
        PutRect(composed.Canvas(), r, m_inputBkgnd, TPoint(Left(), Top()));
        BlendAlphaWhole(&composed, face, 255);
        face->Assign(&composed);
    }
    if (!Caption().empty())
        DrawCaption(face, faceIndex);
    if (!ring.empty())
        DrawFocusRing(face, ring);
    Canvas()->Draw(0, 0, face);
}

void GsCustomButton::DrawCaption(TBitmap* face, int8_t faceIndex)
{
    const TRect r = ClientRect();
    const UINT format = m_wordWrap ? DT_CENTER | DT_WORDBREAK : DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    TCanvas* canvas = face->Canvas();
    canvas->SetFont(Font());
    if (!Enabled())
        canvas->Font()->SetColor(clGrayText);
    TTextPainter* painter = GetCaptionPainter(faceIndex);
    painter->DrawText(face, Caption().c_str(), r, format, false);
}

void GsCustomButton::AppearanceChanged(TObject*, int index)
{
    if (index == 0)
        SetBounds(Left(), Top(), 0, 0);
    if (!(ComponentState() & csLoading) && index == m_lastFaceIndex)
        Invalidate();
}

bool GsCustomButton::CanResize(int& newWidth, int& newHeight)
{
    GsCtrlAppearance* appearance = FaceAppearance();
    if (!appearance)
        return GsCustomControl::CanResize(newWidth, newHeight);
    int faceIndex = 0;
    const TBitmap* raised = appearance->GetStateBitmap(0, Raised, faceIndex);
    if (raised->Width() == Width() && raised->Height() == Height())
        return false;
    newWidth = raised->Width();
    newHeight = raised->Height();
    return true;
}

void GsCustomButton::Paint()
{
    if (FaceAppearance())
        PaintState();
    else
        GsCustomControl::Paint();
}

void GsCustomButton::UpdateState()
{
    // A focus that its form does not show yet (no keyboard used there) looks like none.
    const bool focused = Focused() && FocusCuesShown(this);
    m_state = ButtonStateOf(Enabled(), focused, MouseInside(), KeyPressed(), MousePressed());
}

void GsCustomButton::PaintState()
{
    UpdateState();
    TBitmap face;
    int faceIndex = 0;
    face.Assign(FaceAppearance()->GetStateBitmap(CheckedIndex(), static_cast<int8_t>(m_state), faceIndex));
    // A checked face is numbered after the unchecked ones; its caption goes by the state.
    DrawFace(&face, static_cast<int8_t>(faceIndex >= kStateCount ? faceIndex - kStateCount : faceIndex));
    m_lastFaceIndex = faceIndex;
}

}  // namespace gs
