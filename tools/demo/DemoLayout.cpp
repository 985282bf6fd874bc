#include "tools/demo/DemoLayout.h"

#include <algorithm>

PhaseBarLayout LayoutPhaseBars(int phaseCount, int left, int right)
{
    PhaseBarLayout layout;
    const int room = right - left;
    if (phaseCount <= 0 || room < phaseCount)
        return layout;
    layout.slotWidth = room / phaseCount;
    layout.barWidth = std::clamp(layout.slotWidth * 3 / 5, 1, kMaxBarWidth);
    layout.firstSlot = left + (room - layout.slotWidth * phaseCount) / 2;
    return layout;
}

int PhaseBarLeft(const PhaseBarLayout& layout, int phase)
{
    return layout.firstSlot + phase * layout.slotWidth + (layout.slotWidth - layout.barWidth) / 2;
}

int ZeroLevel(int trackTop, int trackBottom)
{
    return trackTop + (trackBottom - trackTop) / 2;
}

int DeviationTop(int deviation, int trackTop, int trackBottom)
{
    const int zero = ZeroLevel(trackTop, trackBottom);
    const int pixelsPerDegree = (trackBottom - zero) / kShownDegrees;
    const int shown = std::clamp(deviation, -kShownDegrees, kShownDegrees);
    const int top = zero - shown * pixelsPerDegree;
    return std::clamp(top, trackTop, trackBottom - kMinBarHeight);
}
