#pragma once
#include "src/gui/widget/GsCustomControl.h"

#include <cstdint>

class TTextPainter;

namespace gs {

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

    // The change notification of the subclass's appearance.
    void AppearanceChanged(TObject* sender, int index);

protected:
    virtual void DrawCaption(TBitmap* face, int8_t faceIndex);
    // Borrowed: never freed by the caller.
    virtual TTextPainter* GetCaptionPainter(int8_t faceIndex) = 0;
    void DrawFace(TBitmap* face, int8_t faceIndex);

    int m_lastFaceIndex = -1;

private:
    bool m_wordWrap = false;
};

}  // namespace gs
