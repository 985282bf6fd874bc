#pragma once
#include "src/gui/widget/GsCustomControl.h"

#include <cstdint>

class TTextPainter;

namespace gs {

class GsCtrlAppearance;

// Adds the face pipeline: the state bitmap chosen by the subclass is laid over the
// piece of InputBkgnd under the control, the caption drawn into it, and the result
// copied to the canvas.
class GsCustomButton : public GsCustomControl {
public:
    explicit GsCustomButton(TComponent* owner);

    TBitmap* InputBkgnd() const { return m_inputBkgnd; }  // borrowed
    // The bitmap stays the caller's and must outlive the control's painting.
    void SetInputBkgnd(TBitmap* bitmap);
    bool WordWrap() const { return m_wordWrap; }
    virtual void SetWordWrap(bool wordWrap);
    // The face index drawn by the last paint; -1 before the first.
    int LastFaceIndex() const { return m_lastFaceIndex; }
    uint8_t State() const { return m_state; }

    // The change notification of the subclass's appearance.
    void AppearanceChanged(TObject* sender, int index);

protected:
    // Borrowed: the subclass owns its appearance. Null while the subclass is not built
    // yet (AutoSize sizes from the constructor): the control then sizes and paints as a
    // plain custom control.
    virtual GsCtrlAppearance* FaceAppearance() const { return nullptr; }
    // Which set of faces and caption effects applies: 1 for a checked control.
    virtual int8_t CheckedIndex() const { return 0; }
    virtual void UpdateState();
    virtual void PaintState();
    // Sized to the unchecked Raised face.
    bool CanResize(int& newWidth, int& newHeight) override;
    void Paint() override;
    virtual void DrawCaption(TBitmap* face, int8_t faceIndex);
    // Borrowed: never freed by the caller.
    virtual TTextPainter* GetCaptionPainter(int8_t faceIndex) = 0;
    void DrawFace(TBitmap* face, int8_t faceIndex);

    int m_lastFaceIndex = -1;

private:
    bool m_wordWrap = false;
    uint8_t m_state = 0;
};

}  // namespace gs
