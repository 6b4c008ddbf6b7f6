#pragma once
// A calibration run: the CPU load is sampled in 10-second phases at different gear levels, with
// and without generated load, and the Auto thresholds are derived from the phase results. The
// schedule and the derivation depend on the board's power-controller type.
#include "monitor/CalibrationEnvironment.h"

#include <cstdint>
#include <memory>

namespace tv {

// What tells the strategies apart, besides their derivation.
struct CalibrationShape
{
    const char* name;
    int steps;
    int phases;
    // The phase counter value at which the load generator starts.
    int loadPhase;
    CalibrationLoad load;
    // Six-phase schedules cycle High performance, Medium, Max power saving; the others alternate
    // High performance and Max power saving.
    bool cyclesThreeModes;
    // Registry value of each phase result; nullptr for a result that is not recorded.
    const char* resultNames[6];
};

class CalibrationStrategy
{
public:
    static constexpr int kMaxPhases = 6;
    static constexpr int kStepMs = 200;
    static constexpr int kStepsPerPhase = 50;
    // The first steps of every phase only let the new mode settle.
    static constexpr int kSettleSteps = 20;

    // The strategy for this machine's controller type, chosen at the first call and kept for the
    // process. Needs the calibration environment.
    static CalibrationStrategy& ForThisMachine();
    // A new strategy for a controller type.
    static std::unique_ptr<CalibrationStrategy> Create(DWORD controllerType);

    CalibrationStrategy(const CalibrationStrategy&) = delete;
    CalibrationStrategy& operator=(const CalibrationStrategy&) = delete;

    virtual ~CalibrationStrategy() = default;
    // Steps of 200 ms in a run.
    virtual int StepCount() const;
    virtual int DurationMs() const;
    // Step n of the run, n counting from 1.
    virtual void Step(int n);
    // Derives the thresholds from the phase results, records the results and hands the
    // thresholds over.
    virtual void ComputeThresholds() = 0;
    // Phase and sample counters back to 0.
    virtual void Reset();
    // Closes the current phase: its result, the next phase's mode, the load at its phase.
    virtual void EndPhase();

    // Starts a run: energy timer off, calibration flag set, the suite paused, the level in force
    // remembered, High performance requested.
    void Begin();
    // The run completed: load stopped, thresholds derived, the remembered level back, the suite
    // resumed, flag cleared, energy timer on.
    void Finish();
    // The run was abandoned: as Finish without deriving thresholds.
    void Cancel();

    const char* Name() const { return m_shape.name; }
    int PhaseCount() const { return m_shape.phases; }
    int LoadPhase() const { return m_shape.loadPhase; }
    CalibrationLoad Load() const { return m_shape.load; }
    // The phases closed so far.
    int Phase() const { return m_phase; }
    uint32_t SampleCount() const { return m_sampleCount; }
    // The level to restore at the end of the run.
    int RestoreMode() const { return m_restoreMode; }
    // Result of a closed phase (0 for an index outside the schedule).
    uint32_t Result(int phase) const;
    // The mode requested once the phase counter has reached p.
    int ModeForPhase(int p) const;

protected:
    explicit CalibrationStrategy(const CalibrationShape& shape);

    // Writes the named phase results under the main key, then hands the thresholds over.
    void Store(int threshold1, int threshold2, int threshold3);
    CalibrationEnvironment& Environment() const { return RequireCalibrationEnvironment(); }

private:
    void End(bool derive);

    const CalibrationShape& m_shape;
    int m_restoreMode = 0;
    uint32_t m_results[kMaxPhases] = {};
    int m_phase = 0;
    uint32_t m_sampleCount = 0;
};

} // namespace tv
