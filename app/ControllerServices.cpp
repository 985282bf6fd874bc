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

    const std::vector<PhaseReading>& Poll() override
    {
        PtmLib& monitor = PtmLib::Instance();
        monitor.Refresh();
        m_readings.resize(static_cast<size_t>(std::max(monitor.PhaseCount(), 0)));
        for (size_t phase = 0; phase < m_readings.size(); ++phase)
            m_readings[phase] = monitor.Reading(static_cast<unsigned>(phase));
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
    std::vector<PhaseReading> m_readings;  // kept, so a poll allocates nothing
};

}  // namespace

std::unique_ptr<ControllerServices> SharedServices()
{
    return std::make_unique<SharedInstances>();
}
