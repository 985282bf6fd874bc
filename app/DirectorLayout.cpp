#include "app/DirectorLayout.h"

#include "src/System/IniAccess.h"

namespace {

// Positions that follow the window width W: radio buttons at W - 523 and W - 280, their
// labels 24 pixels further right, all on one row.
const LayoutGeometry kLarge{800,
                            {748, 15},
                            "big_figure01.png",
                            {722, 250},
                            "line03.png",
                            "line04.png",
                            685,
                            {800 - 523, 46},
                            {800 - 280, 46},
                            {800 - 499, 47},
                            {800 - 254, 47},
                            "tbg_00_shadow.png",
                            "LARGEBK",
                            "LargeBk.png"};
const LayoutGeometry kMedium{680,
                             {628, 15},
                             "big_figure.png",
                             {607, 250},
                             "line01.png",
                             "line02.png",
                             565,
                             {680 - 523, 46},
                             {680 - 280, 46},
                             {680 - 499, 47},
                             {680 - 254, 47},
                             "tbg_01_shadow.png",
                             "MEDIUMBK",
                             "MediumBk.png"};
// W - 523 would put the performance choice left of the window, and right of the saving
// choice the longer languages have no room: it goes in the row above, in the saving
// choice's column, so both fit in every language.
const LayoutGeometry kSmall{415,
                            {365, 15},
                            "big_figure02.png",
                            {342, 250},
                            "line01_s.png",
                            "line02_s.png",
                            299,
                            {135, 22},
                            {135, 46},
                            {161, 23},
                            {161, 47},
                            "tbg_02_shadow.png",
                            "SMALLBK",
                            "SmallBk.png"};

// The rule for boards with five to eight sensors.
int InterleavedSlot(int phase, int perSensor, int phaseCount)
{
    const int sensor = phase / perSensor;
    if (sensor == 0 || sensor == 4)
        return (phase % perSensor) * 2 + (sensor != 0 ? 1 : 0);
    const int paired = 2 * perSensor;
    const int rest = sensor >= 4 ? phase - paired : phase - perSensor;
    return paired + ((rest % perSensor) * perSensor + rest) % (phaseCount - paired);
}

}  // namespace

WindowLayout ClassifyLayout(int phaseCount, int phasesPerSensor)
{
    if (phaseCount <= 8)
        return WindowLayout::Small;
    return phasesPerSensor > 2 ? WindowLayout::Large : WindowLayout::Medium;
}

const LayoutGeometry& LayoutOf(WindowLayout layout)
{
    switch (layout) {
    case WindowLayout::Large:
        return kLarge;
    case WindowLayout::Medium:
        return kMedium;
    case WindowLayout::Small:
    default:
        return kSmall;
    }
}

int BarLeft(int slot, int barCount, int lastBarLeft)
{
    if (barCount <= 1)
        return kFirstBarLeft;
    return (lastBarLeft - kFirstBarLeft) * slot / (barCount - 1) + kFirstBarLeft;
}

std::string MainShadowPicture(int phaseCount, int phasesPerSensor)
{
    return LayoutOf(ClassifyLayout(phaseCount, phasesPerSensor)).shadow;
}

std::vector<int> PhaseSlots(int phaseCount, int phasesPerSensor)
{
    std::vector<int> slots;
    if (phaseCount <= 0)
        return slots;
    slots.resize(static_cast<size_t>(phaseCount));
    const int sensors = phasesPerSensor > 0 ? phaseCount / phasesPerSensor : 0;
    if (sensors >= 5 && sensors <= 8 && phaseCount % phasesPerSensor == 0) {
        std::vector<bool> taken(slots.size(), false);
        bool oneToOne = true;
        for (int p = 0; p < phaseCount && oneToOne; ++p) {
            const int slot = InterleavedSlot(p, phasesPerSensor, phaseCount);
            oneToOne = slot >= 0 && slot < phaseCount && !taken[static_cast<size_t>(slot)];
            if (oneToOne) {
                taken[static_cast<size_t>(slot)] = true;
                slots[static_cast<size_t>(p)] = slot;
            }
        }
        if (oneToOne)
            return slots;
    }
    for (int p = 0; p < phaseCount; ++p)
        slots[static_cast<size_t>(p)] = p;
    return slots;
}

ModeLabelColors ModeLabelColorsFor(bool active)
{
    if (active)
        return {RGBColor(119, 255, 255), RGBColor(39, 96, 185)};
    return {RGBColor(51, 92, 92), RGBColor(38, 61, 61)};
}

LanguageAdjustment LanguageAdjustmentFor(const std::string& languageName)
{
    if (dali::IsShiftJisLanguage(languageName))
        return {true, -12, 0, -1, 20};
    if (languageName == "SChinese" || languageName == "TChinese")
        return {false, 0, -10, 282, 14};
    return {false, 0, 0, -1, 28};
}
