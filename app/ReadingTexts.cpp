#include "app/ReadingTexts.h"

#include "app/ControllerServices.h"

ReadingTexts ReadingTexts::Load(const ControllerServices& services)
{
    return {services.GetText("Degrees"), services.GetText("PhaseTip"),
            services.GetText("PhaseSensorOff"), services.GetText("PhaseNoReading")};
}

std::string ReadingTexts::Degrees(int value, bool sign) const
{
    return FillIn(degrees, (sign && value > 0 ? "+" : "") + std::to_string(value));
}

std::string ReadingTexts::PhaseTip(const std::string& number, const PhaseReading& reading) const
{
    if (!reading.enabled)
        return FillIn(sensorOff, number);
    if (!reading.read)
        return FillIn(noReading, number);
    return FillIn(phaseTip, number, Degrees(reading.temperature), Degrees(reading.deviation, true));
}

std::string FillIn(const std::string& pattern, const std::string& first, const std::string& second,
                   const std::string& third)
{
    const std::string* arguments[] = {&first, &second, &third};
    std::string text;
    text.reserve(pattern.size() + first.size() + second.size() + third.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next >= '1' && next <= '3') {
            text += *arguments[next - '1'];
            ++i;
        } else if (pattern[i] == '%' && next == '%') {
            text += '%';
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}
