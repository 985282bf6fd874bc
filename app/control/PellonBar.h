#pragma once
// One power phase on the main window: a vertical colour bar lit from the bottom to a
// height given by the phase's deviation, with a bright cap on top of the lit part, the
// phase number under it, and a dark veil when the phase's sensor is not enabled.
#include "app/ArtScale.h"
#include "framework/Graphics.h"

#include <memory>
#include <string>

class TComponent;
class TForm;
class TLabel;
namespace gs {
class GsImage;
}

// The blends and the alpha setter the bar composes with; each requires 32-bit pixels.
void BarBlend32(TBitmap* dst, const TRect& rect, TBitmap* src, const TPoint& origin, uint8_t opacity);
void BarBlend32Whole(TBitmap* dst, TBitmap* src, uint8_t opacity);
void BarFillAlpha(TBitmap* bitmap, uint8_t alpha);

class PellonBar {
public:
    // Pictures for the given phases per sensor: "..01" for 3 or more, "..02" otherwise,
    // drawn at the scale; image and number are placed on the form and owned by owner (the
    // form when none is given).
    PellonBar(TForm* form, int phase, int phasesPerSensor, ArtScale scale = ArtScale(),
              TComponent* owner = nullptr);
    ~PellonBar();
    PellonBar(const PellonBar&) = delete;
    PellonBar& operator=(const PellonBar&) = delete;

    // The sensor's state and deviation, as a poll reads them: the picture is made again
    // only when either changed, and then once.
    void SetReading(bool enabled, int value);
    // The tooltip of the bar and of its number.
    void SetHint(const std::string& text);
    // Move image and label together; the label keeps its offset from the image.
    void SetLeft(int x);
    void SetTop(int y);

    int Value() const { return m_value; }
    bool Enabled() const { return m_enabled; }
    gs::GsImage* Image() const { return m_image; }
    TLabel* Label() const { return m_label; }

    // The lit height in pixels for a deviation in degrees on a bar picture barHeight high.
    static int LitHeight(int value, bool enabled, int barHeight);
    // The same on a bar picture drawn at the scale: the 96-DPI height of its picture's
    // 96-DPI size, in the scale's pixels.
    static int LitHeight(int value, bool enabled, int barHeight, const ArtScale& scale);

private:
    void Render();

    gs::GsImage* m_image;  // borrowed: owned by the form
    TLabel* m_label;       // borrowed: owned by the form
    int m_value = 0;
    bool m_enabled = true;
    ArtScale m_scale;
    std::shared_ptr<TBitmap> m_bar;  // shared with the other bars
    std::shared_ptr<TBitmap> m_veil;  // shared with the other bars
    std::shared_ptr<TBitmap> m_cap;  // shared with the other bars
};
