#include "src/Oc/PtmLib.h"

#include "src/Oc/AcpiDevice.h"
#include "src/Oc/BiosInterface.h"
#include "src/Oc/DebugTrace.h"

#include <algorithm>

namespace {

// "RBEC" arguments of the sensor registers: 182, then 17 for sensor 0 up to 24.
constexpr DWORD kEcSensorPage = 182;
constexpr DWORD kEcFirstSensor = 17;

// A register byte in sign-and-magnitude form: bit 7 the sign, bits 0 to 6 degrees.
int TemperatureFromRegister(DWORD raw)
{
    const int value = static_cast<int>(raw);
    return value < 128 ? value : 128 - value;
}

}  // namespace

PtmLib& PtmLib::Instance()
{
    static PtmLib instance;
    return instance;
}

PtmLib::PtmLib()
{
    AcpiDeviceOpen();
    AcpiLibInit();
    if (!BiosItemExists(kItemSensorMask) || !BiosItemExists(kItemPhaseFeature) ||
        !BiosItemExists(kItemSensorCount))
        return;

    DWORD value = 0;
    m_featureEnabled = ReadBiosItem(kItemPhaseFeature, &value) && value == 1;

    DWORD phasesPerSensor = 1;
    if (ReadBiosItem(kItemSensorMask, &value))
        phasesPerSensor = value & 0xF;
    m_phasesPerSensor = static_cast<int>(phasesPerSensor) * 2;

    DWORD sensorCount = 0;
    if (ReadBiosItem(kItemSensorCount, &sensorCount)) {
        // Phases of sensors beyond the eighth would have no register to read.
        const DWORD readable = std::min<DWORD>(sensorCount, kMaxSensors);
        m_phaseCount = static_cast<int>(readable) * m_phasesPerSensor;
    } else {
        m_featureEnabled = false;
    }
}

void PtmLib::Refresh()
{
    RefreshEnabledMask();

    std::array<bool, kMaxSensors>& read = m_sensorRead;
    read.fill(false);
    int total = 0;
    int count = 0;
    for (int i = 0; i < kMaxSensors; ++i) {
        DWORD raw = 0;
        if (!ReadEcRegister(kEcSensorPage, kEcFirstSensor + i, &raw))
            continue;
        DebugTrace("~~~Pellon Temp:%d", static_cast<int>(raw));
        // The register is one byte; anything wider is not a reading.
        if (raw > 0xFF)
            continue;
        read[i] = true;
        m_sensorTemperature[i] = TemperatureFromRegister(raw);
        m_sensorValue[i] = m_sensorTemperature[i];
        if (m_sensorEnabled[i]) {
            total += m_sensorValue[i];
            ++count;
        }
    }
    const int average = count > 0 ? total / count : 0;
    m_average = average;
    m_averageCount = count;
    DebugTrace("~~~Pellon Total:%d Count:%d Avg:%d", total, count, average);

    // A sensor that could not be read stays out of the average and shows no deviation.
    for (int i = 0; i < kMaxSensors; ++i)
        m_sensorValue[i] = read[i] ? m_sensorValue[i] - average : 0;
}

void PtmLib::RefreshEnabledMask()
{
    // A nibble of 0 gives no phases per sensor, hence no sensors and no phases.
    const unsigned sensorCount =
        m_phasesPerSensor > 0 ? static_cast<unsigned>(m_phaseCount / m_phasesPerSensor) : 0;
    DWORD mask = 0;
    if (!ReadBiosItem(kItemSensorMask, &mask))
        return;
    for (unsigned i = 0; i < kMaxSensors; ++i) {
        const DWORD nibble = (mask >> (4 * i)) & 0xF;
        m_sensorEnabled[i] = nibble != 0 && i < sensorCount ? 1 : 0;
    }
}

bool PtmLib::SensorOfPhase(unsigned phase, unsigned* sensor) const
{
    // The phase count is a whole number of sensors, at most eight, so a phase below it
    // always has a sensor (and a non-zero phases per sensor).
    if (phase >= static_cast<unsigned>(m_phaseCount))
        return false;
    *sensor = phase / static_cast<unsigned>(m_phasesPerSensor);
    return true;
}

int PtmLib::PhaseDeviation(unsigned phase) const
{
    unsigned sensor = 0;
    return SensorOfPhase(phase, &sensor) ? m_sensorValue[sensor] : 0;
}

bool PtmLib::IsPhaseEnabled(unsigned phase) const
{
    unsigned sensor = 0;
    return SensorOfPhase(phase, &sensor) && m_sensorEnabled[sensor] != 0;
}

PhaseReading PtmLib::Reading(unsigned phase) const
{
    unsigned sensor = 0;
    if (!SensorOfPhase(phase, &sensor))
        return {false, 0};
    return {m_sensorEnabled[sensor] != 0, m_sensorValue[sensor], m_sensorRead[sensor],
            m_sensorRead[sensor] ? m_sensorTemperature[sensor] : 0};
}

bool PtmLib::Average(int* degrees) const
{
    *degrees = m_average;
    return m_averageCount > 0;
}
