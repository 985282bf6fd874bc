#include "app/control/PellonBar.h"

#include "app/PngReader.h"
#include "framework/Assert.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "framework/SysUtils.h"
#include "src/gui/graphics/image.h"
#include "src/gui/widget/GsImage.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

namespace {

// Scale anchors: the zero level, the near band and the limits of the two bands.
constexpr int kZeroLevel = 97;
constexpr int kNearTop = 134;
constexpr int kNearBottom = 57;
constexpr int kOuterLimit = 50;
constexpr int kNearLimit = 12;
constexpr uint8_t kVeilAlpha = 180;

// The dark veil over a disabled bar: black at alpha 180, the size of the bar picture.
// It is the same for every bar of that size, so the bars share one.
std::shared_ptr<TBitmap> SharedVeil(int width, int height)
{
    static std::map<std::pair<int, int>, std::weak_ptr<TBitmap>> shared;
    std::weak_ptr<TBitmap>& entry = shared[{width, height}];
    if (std::shared_ptr<TBitmap> held = entry.lock())
        return held;
    auto veil = std::make_shared<TBitmap>();
    veil->SetPixelFormat(pf32bit);
    veil->SetSize(width, height);
    BarFillAlpha(veil.get(), kVeilAlpha);
    entry = veil;
    return veil;
}

}  // namespace

void BarBlend32(TBitmap* dst, const TRect& rect, TBitmap* src, const TPoint& origin, uint8_t opacity)
{
    ASSERT_MSG(src->PixelFormat() == pf32bit, "src->PixelFormat == pf32bit");
    ASSERT_MSG(dst->PixelFormat() == pf32bit, "dst->PixelFormat == pf32bit");
    BlendAlpha32(dst, rect, src, origin, opacity);
}

void BarBlend32Whole(TBitmap* dst, TBitmap* src, uint8_t opacity)
{
    BarBlend32(dst, TRect(0, 0, dst->Width(), dst->Height()), src, TPoint(0, 0), opacity);
}

void BarFillAlpha(TBitmap* bitmap, uint8_t alpha)
{
    ASSERT_MSG(bitmap->PixelFormat() == pf32bit, "bitmap->PixelFormat == pf32bit");
    FillAlpha(bitmap, alpha);
}

int PellonBar::LitHeight(int value, bool enabled, int barHeight)
{
    if (!enabled || value == 0)
        return kZeroLevel;
    if (value > kOuterLimit)
        return barHeight;
    if (value > kNearLimit)
        return barHeight + (value - kOuterLimit) * (barHeight - kNearTop) / (kOuterLimit - kNearLimit);
    if (value >= 3)
        return 122 + value;
    if (value == 2)
        return 124;
    if (value == 1)
        return 110;
    if (value == -1)
        return 82;
    if (value == -2)
        return 67;
    if (value >= -kNearLimit)
        return 69 + value;
    if (value >= -kOuterLimit)
        return (value + kOuterLimit) * kNearBottom / (kOuterLimit - kNearLimit);
    return 0;
}

int PellonBar::LitHeight(int value, bool enabled, int barHeight, const ArtScale& scale)
{
    const int percent = scale.Percent();
    if (percent == 100)
        return LitHeight(value, enabled, barHeight);
    const int designHeight = (barHeight * 100 + percent / 2) / percent;
    return std::min(scale(LitHeight(value, enabled, designHeight)), barHeight);
}

PellonBar::PellonBar(TForm* form, int phase, int phasesPerSensor, ArtScale scale, TComponent* owner)
    : m_scale(scale)
{
    if (!owner)
        owner = form;
    // Every bar shows the same two pictures: decoded once for all of them.
    const bool wide = phasesPerSensor >= 3;
    m_bar = SharedPng(scale.Folder() + (wide ? "color_bar01.png" : "color_bar02.png"));
    m_cap = SharedPng(scale.Folder() + (wide ? "color_bar_top01.png" : "color_bar_top02.png"));

    m_veil = SharedVeil(m_bar->Width(), m_bar->Height());

    m_image = new gs::GsImage(owner);
    m_image->SetParent(form);
    m_image->SetBounds(0, 0, m_bar->Width(), m_bar->Height());
    m_image->SetAlphaChannel(true);
    m_image->SetVisible(true);

    m_label = new TLabel(owner);
    // Measured once, when its font and caption are final, instead of at every change.
    m_label->SetAutoSize(false);
    m_label->SetParent(form);
    m_label->Font()->SetName("Arial");
    ScaleFont(m_label->Font(), scale);
    m_label->Font()->SetColor(0xCDCDCF);
    m_label->SetTop(scale(194));
    m_label->SetLeft(scale(4));
    m_label->SetTransparent(true);
    m_label->SetCaption(Format("%02d", phase));
    m_label->SetAutoSize(true);

    m_image->SetShowHint(true);
    m_label->SetShowHint(true);
    Render();
}

PellonBar::~PellonBar() = default;

void PellonBar::SetReading(bool enabled, int value)
{
    if (enabled == m_enabled && value == m_value)
        return;
    m_enabled = enabled;
    m_value = value;
    Render();
}

void PellonBar::SetHint(const std::string& text)
{
    m_image->SetHint(text);
    m_label->SetHint(text);
}

void PellonBar::SetLeft(int x)
{
    const int shift = x - m_image->Left();
    m_image->SetLeft(x);
    m_label->SetLeft(m_label->Left() + shift);
}

void PellonBar::SetTop(int y)
{
    const int shift = y - m_image->Top();
    m_image->SetTop(y);
    m_label->SetTop(m_label->Top() + shift);
}

void PellonBar::Render()
{
    const int barHeight = m_bar->Height();
    const int capHeight = m_cap->Height();
    const int lit = std::max(LitHeight(m_value, m_enabled, barHeight, m_scale), capHeight);
    const int gap = barHeight - lit;

    // The picture's own bitmap is composed in place: after the first render it has the
    // bar's shape, and a poll makes no image. The change is reported once, at the end.
    TBitmap* work = m_image->Picture()->Bitmap();
    if (work->Width() != m_bar->Width() || work->Height() != m_bar->Height() ||
        work->PixelFormat() != pf32bit || m_bar->PixelFormat() != pf32bit) {
        work->Assign(m_bar.get());
        work->SetPixelFormat(pf32bit);
    } else {
        const size_t rowBytes = static_cast<size_t>(work->Width()) * 4;
        for (int row = 0; row < barHeight; ++row)
            std::memcpy(work->ScanLine(row), m_bar->ScanLine(row), rowBytes);
    }
    if (!m_enabled)
        BarBlend32Whole(work, m_veil.get(), 255);
    if (lit > capHeight)
        BarBlend32(work, TRect(0, gap, m_cap->Width(), gap + capHeight), m_cap.get(), TPoint(0, 0), 255);
    // The unlit rows are black and fully transparent.
    for (int row = 0; row < std::min(gap, barHeight); ++row)
        std::memset(work->ScanLine(row), 0, static_cast<size_t>(work->Width()) * 4);
    work->SetModified(true);
}
