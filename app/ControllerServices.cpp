#include "app/ControllerServices.h"

#include "src/Oc/BiosInterface.h"
#include "src/System/AppSettings.h"
#include "src/System/IniAccess.h"

#include <algorithm>

namespace {

class SharedInstances : public ControllerServices {
public:
    int PhaseCount() const override { return PtmLib::Instance().PhaseCount(); }
    int PhasesPerSensor() const override { return PtmLib::Instance().PhasesPerSensor(); }

    const PollReadings& Poll() override
    {
        PtmLib& monitor = PtmLib::Instance();
        monitor.Refresh();
        std::vector<PhaseReading>& phases = m_readings.phases;
        phases.resize(static_cast<size_t>(std::max(monitor.PhaseCount(), 0)));
        for (size_t phase = 0; phase < phases.size(); ++phase)
            phases[phase] = monitor.Reading(static_cast<unsigned>(phase));
        m_readings.hasAverage = monitor.Average(&m_readings.average);
        return m_readings;
    }

    std::uint32_t ReadMode() const override { return AppSettings::Instance().ReadMode(); }
    void WriteMode(std::uint32_t mode) override { AppSettings::Instance().WriteMode(mode); }
    bool ReadRunAtStartup() const override { return AppSettings::Instance().ReadRunAtStartup(); }
    void WriteRunAtStartup(bool run) override { AppSettings::Instance().WriteRunAtStartup(run); }
    void WriteBiosMode(std::uint32_t mode) override { WriteBiosItem(kItemPowerMode, mode); }

    std::string GetText(const std::string& key) const override
    {
        return dali::NrMultiLang::Instance().GetText(key);
    }
    std::string LanguageName() const override { return dali::NrMultiLang::Instance().LanguageName(); }

private:
    PollReadings m_readings;  // kept, so a poll allocates nothing
};

}  // namespace

std::unique_ptr<ControllerServices> SharedServices()
{
    return std::make_unique<SharedInstances>();
}
