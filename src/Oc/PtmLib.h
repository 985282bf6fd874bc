#pragma once
// The phase temperature monitor: whether the board offers the phase feature, how many
// phases it has, and each sensor's deviation from the average of the enabled sensors.
#include <array>

// One phase as the last Refresh read it.
struct PhaseReading {
    bool enabled;   // the board has the phase and its sensor is enabled
    int deviation;  // of the phase's sensor; 0 for a phase the board does not have
    bool read = false;    // the sensor's register gave a temperature on that poll
    int temperature = 0;  // of the phase's sensor, degrees Celsius, when read
};

class PtmLib {
public:
    // The embedded controller has eight sensor registers; no board reports more.
    static constexpr int kMaxSensors = 8;

    // The shared instance, built on the first call and kept until the process ends.
    static PtmLib& Instance();

    // Opens the ACPI device and reads the feature items from the BIOS. Public for tests;
    // the program uses Instance.
    PtmLib();
    PtmLib(const PtmLib&) = delete;
    PtmLib& operator=(const PtmLib&) = delete;

    bool IsFeatureEnabled() const { return m_featureEnabled; }
    int PhaseCount() const { return m_phaseCount; }
    int PhasesPerSensor() const { return m_phasesPerSensor; }

    // Re-reads the enabled mask and the eight sensors and works out the deviations.
    void Refresh();
    // The deviation of the phase's sensor; 0 for a phase the board does not have.
    int PhaseDeviation(unsigned phase) const;
    // True when the board has the phase and its sensor is enabled.
    bool IsPhaseEnabled(unsigned phase) const;
    // Both of the above at once, with the sensor's temperature.
    PhaseReading Reading(unsigned phase) const;
    // The average the deviations were taken from: false when no enabled sensor was read.
    bool Average(int* degrees) const;

private:
    void RefreshEnabledMask();
    bool SensorOfPhase(unsigned phase, unsigned* sensor) const;

    int m_phaseCount = 0;
    int m_phasesPerSensor = 2;
    bool m_featureEnabled = false;
    std::array<int, kMaxSensors> m_sensorEnabled{};
    std::array<int, kMaxSensors> m_sensorValue{};
    std::array<int, kMaxSensors> m_sensorTemperature{};
    std::array<bool, kMaxSensors> m_sensorRead{};
    int m_average = 0;
    int m_averageCount = 0;  // enabled sensors read on the last refresh
};
