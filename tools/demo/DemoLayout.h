#pragma once
// Where the demo's phase bars go: plain arithmetic, apart from the drawing so it can be
// tested for every phase count a board can report.

// The horizontal room of the bars; the slots share it evenly and sit centred in it.
struct PhaseBarLayout {
    int firstSlot = 0;  // left edge of the first phase's slot
    int slotWidth = 0;  // 0 when there are no phases or too many to give each a pixel
    int barWidth = 0;   // the bar inside its slot, centred, with space on both sides
};

// The widest a bar gets, so that a few phases still look like bars.
constexpr int kMaxBarWidth = 28;
// Deviations beyond this many degrees draw as this many.
constexpr int kShownDegrees = 10;
// The shortest bar, so a very cool phase still shows.
constexpr int kMinBarHeight = 4;

PhaseBarLayout LayoutPhaseBars(int phaseCount, int left, int right);

// Left edge of the bar of the given phase.
int PhaseBarLeft(const PhaseBarLayout& layout, int phase);

// The zero-deviation level: the middle of the track.
int ZeroLevel(int trackTop, int trackBottom);

// Top edge of a bar standing on trackBottom: the zero level for no deviation, a fixed
// step per whole degree, clamped to the track.
int DeviationTop(int deviation, int trackTop, int trackBottom);
