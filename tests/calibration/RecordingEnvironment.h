#pragma once
// A calibration environment that records what the strategies ask of it, in order, and answers
// with configured figures. Installed for its lifetime.
#include "monitor/CalibrationStrategy.h"

#include <functional>
#include <string>
#include <vector>

namespace calibtest {

class RecordingEnvironment : public tv::CalibrationEnvironment
{
public:
    RecordingEnvironment();
    ~RecordingEnvironment() override;
    RecordingEnvironment(const RecordingEnvironment&) = delete;
    RecordingEnvironment& operator=(const RecordingEnvironment&) = delete;

    // Answers.
    DWORD controllerType = 0;
    int processors = 8;
    int gearLevel = 0;
    // The load of sample k (from 0): by default phaseLoads[k / 30], the last one beyond.
    std::vector<DWORD> phaseLoads;
    std::function<DWORD(int k)> sampler;

    // The step being run, set by the driver; each event is prefixed with it ("149: ...").
    int step = 0;
    std::vector<std::string> events;
    int samplesTaken = 0;
    std::vector<int> thresholds; // the last ones stored, empty when none were

    DWORD ControllerType() override { return controllerType; }
    int ProcessorCount() override { return processors; }
    int CurrentGearLevel() override;
    DWORD LoadSample() override;
    void ApplyMode(int level, bool applyFlag) override;
    void SetEnergyTimerEnabled(bool enabled) override;
    void SetCalibrationFlag(bool running) override;
    void StoreThresholds(int threshold1, int threshold2, int threshold3) override;
    void StartLoad(tv::CalibrationLoad load, int threads) override;
    void StopLoad() override;

private:
    void Record(const std::string& text);
};

// Begin at step 0, Step(1) .. Step(StepCount()), Finish at StepCount() + 1.
void RunComplete(tv::CalibrationStrategy& strategy, RecordingEnvironment& environment);
// Step(from) .. Step(to).
void RunSteps(tv::CalibrationStrategy& strategy, RecordingEnvironment& environment, int from,
              int to);

} // namespace calibtest
