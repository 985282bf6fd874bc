#pragma once
// Everything the main window controller reads and writes outside its window: the phase
// monitor, the stored settings, the BIOS item of the mode and the language texts. The
// program uses the shared instances (SharedServices); tests give the controller their
// own, so that clicks, resumes and polls can be checked without a board or a registry.
#include "src/Oc/PtmLib.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What one poll read: a reading per phase, phase 0 first, and the average of the enabled
// sensors (none when no enabled sensor gave a temperature).
struct PollReadings {
    std::vector<PhaseReading> phases;
    bool hasAverage = false;
    int average = 0;
};

class ControllerServices {
public:
    virtual ~ControllerServices() = default;

    virtual int PhaseCount() const = 0;
    virtual int PhasesPerSensor() const = 0;
    // Reads the sensors anew. The reference holds until the next poll.
    virtual const PollReadings& Poll() = 0;

    virtual std::uint32_t ReadMode() const = 0;
    virtual void WriteMode(std::uint32_t mode) = 0;
    virtual bool ReadRunAtStartup() const = 0;
    virtual void WriteRunAtStartup(bool run) = 0;
    // The mode's BIOS item; a failed write is not looked at.
    virtual void WriteBiosMode(std::uint32_t mode) = 0;

    virtual std::string GetText(const std::string& key) const = 0;
    virtual std::string LanguageName() const = 0;
};

// The phase monitor, the settings and the texts the whole program shares.
std::unique_ptr<ControllerServices> SharedServices();
