#pragma once
// What the main window controller decides without touching a window: which of the
// three layouts a board gets and where everything goes in it, which bar shows which
// phase, the mode labels' colours and the per-language adjustments.
#include "framework/Types.h"

#include <cstdint>
#include <string>
#include <vector>

enum class WindowLayout { Large, Medium, Small };

// Large for more than 8 phases with more than 2 per sensor, medium for more than 8
// with at most 2, small for up to 8.
WindowLayout ClassifyLayout(int phaseCount, int phasesPerSensor);

// Where one layout puts its elements and which pictures it takes.
struct LayoutGeometry {
    int width;                // of the background; the window takes it
    TPoint closeButton;
    const char* bigFigure;    // at kBigFigurePosition
    TPoint phaseImage;
    const char* firstLine;
    const char* secondLine;
    int lastBarLeft;          // the first bar is always at kFirstBarLeft
    TPoint performanceRadio;
    TPoint savingRadio;
    TPoint performanceLabel;
    TPoint savingLabel;
    const char* shadow;       // the main window's shadow picture
    const char* background;   // the program's bitmap resource of the background
    const char* backgroundFile;  // its picture at the other scales
};

const LayoutGeometry& LayoutOf(WindowLayout layout);
// The main window's shadow picture, which follows its layout.
std::string MainShadowPicture(int phaseCount, int phasesPerSensor);

const TPoint kBigFigurePosition{53, 68};
const TPoint kTempPicturePosition{26, 66};
constexpr int kFirstBarLeft = 66;
constexpr int kBarTop = 75;
constexpr int kCloseButtonTop = 15;
// The average's value, right-aligned at the end of the legend's box at the window's
// foot (the box's inside runs from 15 to 213); the legend itself starts at 56.
const TRect kLegendValueBounds{146, 295, 208, 308};

// Left of the bar in slot `slot` of `barCount`, spread evenly from kFirstBarLeft to
// lastBarLeft. A single bar stands at kFirstBarLeft.
int BarLeft(int slot, int barCount, int lastBarLeft);

// slots[p] is the bar (screen slot) that shows phase p. Boards with five to eight
// sensors interleave the phases of sensors 0 and 4 in the first slots and spread the
// others over the rest; any other board, where that rule would leave bars empty or
// divide by zero, shows its phases in order, sensor 0's first. Every slot in 0 to
// phaseCount - 1 gets exactly one phase.
std::vector<int> PhaseSlots(int phaseCount, int phasesPerSensor);

// Mode 1 is the performance mode, every other value the saving mode; the user's choice
// of saving writes 0.
constexpr std::uint32_t kPerformanceMode = 1;
constexpr std::uint32_t kSavingMode = 0;
constexpr bool IsPerformanceMode(std::uint32_t mode) { return mode == kPerformanceMode; }

struct ModeLabelColors {
    TColor font;
    TColor glow;
};
ModeLabelColors ModeLabelColorsFor(bool active);

// What a language changes after the texts are in. Zero heights and a negative top
// leave that property as it is.
struct LanguageAdjustment {
    bool shiftJis;             // character set 128 on the mode labels, PhaseTitle, AverageTemp
    int labelFontHeight;       // the mode labels and AverageTemp
    int phaseTitleFontHeight;
    int phaseTitleTop;
    int phaseTitleRightGap;    // PhaseTitle's left is the window width - its width - this
};
LanguageAdjustment LanguageAdjustmentFor(const std::string& languageName);
