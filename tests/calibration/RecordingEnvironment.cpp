#include "tests/calibration/RecordingEnvironment.h"

#include "shell/base/RegistrySchema.h"
#include "tests/support/Support.h"

namespace calibtest {

RecordingEnvironment::RecordingEnvironment()
{
    tv::SetCalibrationEnvironment(this);
}

RecordingEnvironment::~RecordingEnvironment()
{
    tv::SetCalibrationEnvironment(nullptr);
}

void RecordingEnvironment::Record(const std::string& text)
{
    events.push_back(std::to_string(step) + ": " + text);
}

int RecordingEnvironment::CurrentGearLevel()
{
    Record("GearLevel");
    return gearLevel;
}

DWORD RecordingEnvironment::LoadSample()
{
    const int k = samplesTaken++;
    if (sampler) {
        return sampler(k);
    }
    if (phaseLoads.empty()) {
        return 0;
    }
    const size_t phase = static_cast<size_t>(k / 30);
    return phaseLoads[phase < phaseLoads.size() ? phase : phaseLoads.size() - 1];
}

void RecordingEnvironment::ApplyMode(int level, bool applyFlag)
{
    Record("ApplyMode(" + std::to_string(level) + ", " + std::to_string(applyFlag) + ")");
}

void RecordingEnvironment::SetEnergyTimerEnabled(bool enabled)
{
    Record(enabled ? "EnergyTimer on" : "EnergyTimer off");
}

void RecordingEnvironment::SetCalibrationFlag(bool running)
{
    Record(running ? "Calibration_Flag 1" : "Calibration_Flag 0");
    // As the real environment does, so that the registry shows the flag.
    tv::calibration::WriteCalibrationFlag(running);
}

void RecordingEnvironment::StoreThresholds(int threshold1, int threshold2, int threshold3)
{
    // Whether the phase results were recorded before the thresholds were handed over.
    const bool recorded = tvtest::ReadRaw(tv::reg::kMainKey, tv::reg::kNormLow).exists;
    Record("StoreThresholds(" + std::to_string(threshold1) + ", " + std::to_string(threshold2) +
           ", " + std::to_string(threshold3) + ")" + (recorded ? " after the record" : ""));
    thresholds = {threshold1, threshold2, threshold3};
}

void RecordingEnvironment::StartLoad(tv::CalibrationLoad load, int threads)
{
    Record(std::string("StartLoad(") +
           (load == tv::CalibrationLoad::CpuBurn ? "CpuBurn" : "Primary") + ", " +
           std::to_string(threads) + ")");
}

void RecordingEnvironment::StopLoad()
{
    Record("StopLoad");
}

void RunComplete(tv::CalibrationStrategy& strategy, RecordingEnvironment& environment)
{
    environment.step = 0;
    strategy.Begin();
    RunSteps(strategy, environment, 1, strategy.StepCount());
    environment.step = strategy.StepCount() + 1;
    strategy.Finish();
}

void RunSteps(tv::CalibrationStrategy& strategy, RecordingEnvironment& environment, int from,
              int to)
{
    for (int n = from; n <= to; ++n) {
        environment.step = n;
        strategy.Step(n);
    }
}

} // namespace calibtest
