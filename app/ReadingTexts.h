#pragma once
// The words the window puts around the temperatures it reads: the average beside the
// legend and each bar's tooltip. The patterns come from the language files once, when
// the window is built; "%1", "%2" and "%3" in them stand for the numbers.
#include "src/Oc/PtmLib.h"

#include <string>

class ControllerServices;

struct ReadingTexts {
    std::string degrees;    // "%1 °C": a temperature
    std::string phaseTip;   // "Phase %1: %2 (%3)": number, temperature, deviation
    std::string sensorOff;  // "Phase %1: sensor off"
    std::string noReading;  // "Phase %1: no reading": enabled, but the register failed

    static ReadingTexts Load(const ControllerServices& services);

    // "47 °C"; with `sign`, "+3 °C", "0 °C" and "-2 °C".
    std::string Degrees(int value, bool sign = false) const;
    // The tooltip of the bar numbered `number` ("05", as under the bar) for the reading
    // of its phase.
    std::string PhaseTip(const std::string& number, const PhaseReading& reading) const;
};

// `pattern` with "%1" to "%3" replaced by the arguments given and "%%" by "%"; anything
// else, a "%" before another character included, stays as it is. The pattern is text
// from a file: it is never handed to a printf.
std::string FillIn(const std::string& pattern, const std::string& first,
                   const std::string& second = {}, const std::string& third = {});
