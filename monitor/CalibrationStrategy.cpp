#include "monitor/CalibrationStrategy.h"

#include "lumo/System/Source/TraceLog.h"
#include "lumo/System/Source/WinRegistry.h"
#include "monitor/CalibrationStrategies.h"
#include "shell/base/CalibrateLib.h"
#include "shell/base/PeerMessages.h"
#include "shell/base/RegistrySchema.h"
#include "shell/base/SampleCollector.h"

namespace tv {
namespace {

// The suite's own main window, which pauses its control while we calibrate.
constexpr char kSuiteClass[] = "TMainForm";
constexpr char kSuiteTitle[] = "Opti Suite";
// Message 1025 minimises the suite (pausing its control), 1027 brings it back.
constexpr UINT kSuitePause = peer::kMinimize;
constexpr UINT kSuiteResume = peer::kShowPeer;

void PostToSuite(UINT message)
{
    HWND suite = FindWindowA(kSuiteClass, kSuiteTitle);
    if (!suite) {
        return;
    }
    if (!PostMessageA(suite, message, peer::kMarker, 0)) {
        TraceLog("~~~[CalibrationStrategy] PostMessage %u to the suite failed! GetLastError "
                 "returned %lu",
                 message, GetLastError());
    }
}

} // namespace

CalibrationStrategy& CalibrationStrategy::ForThisMachine()
{
    static const std::unique_ptr<CalibrationStrategy> instance =
        Create(RequireCalibrationEnvironment().ControllerType());
    return *instance;
}

std::unique_ptr<CalibrationStrategy> CalibrationStrategy::Create(DWORD controllerType)
{
    switch (controllerType) {
    case 0xF001:
        return std::make_unique<CalibrationF001>();
    case 0x7000:
        return std::make_unique<Calibration7000>();
    case 0xF010:
        return std::make_unique<CalibrationF010>();
    case 0xF011:
        return std::make_unique<CalibrationF011>();
    case 0x7010:
        return std::make_unique<Calibration7010>();
    default:
        return std::make_unique<CalibrationDefault>();
    }
}

CalibrationStrategy::CalibrationStrategy(const CalibrationShape& shape) : m_shape(shape) {}

int CalibrationStrategy::StepCount() const
{
    return m_shape.steps;
}

int CalibrationStrategy::DurationMs() const
{
    return StepCount() * kStepMs;
}

void CalibrationStrategy::Reset()
{
    m_phase = 0;
    m_sampleCount = 0;
    // Samples left by an abandoned phase must not count in the next run's first phase.
    SampleCollector::Instance().Clear();
}

uint32_t CalibrationStrategy::Result(int phase) const
{
    return phase >= 0 && phase < kMaxPhases ? m_results[phase] : 0;
}

int CalibrationStrategy::ModeForPhase(int p) const
{
    if (m_shape.cyclesThreeModes) {
        return p % 3;
    }
    return p % 2 == 1 ? 2 : 0;
}

void CalibrationStrategy::Begin()
{
    CalibrationEnvironment& environment = Environment();
    TraceLog("~~~[CalibrationStrategy] %s calibration begins, %d steps", Name(), StepCount());
    environment.SetEnergyTimerEnabled(false);
    environment.SetCalibrationFlag(true);
    PostToSuite(kSuitePause);
    Reset();
    m_restoreMode = environment.CurrentGearLevel();
    environment.ApplyMode(0, false);
}

void CalibrationStrategy::Step(int n)
{
    if (n % kStepsPerPhase < kSettleSteps) {
        return;
    }
    SampleCollector::Instance().Add(Environment().LoadSample());
    ++m_sampleCount;
    if (n % kStepsPerPhase == kStepsPerPhase - 1) {
        EndPhase();
    }
}

void CalibrationStrategy::EndPhase()
{
    SampleCollector& samples = SampleCollector::Instance();
    const int p = m_phase;
    if (p >= PhaseCount()) {
        // The schedule has no such phase; its samples are dropped.
        TraceLog("~~~[CalibrationStrategy] no phase %d in a run of %d", p, PhaseCount());
        samples.Clear();
        return;
    }
    const size_t count = samples.Count();
    m_results[p] = p < LoadPhase() ? samples.MiddleStatistic() : samples.UpperStatistic();
    TraceLog("~~~[CalibrationStrategy] phase %d: %u from %u samples", p, m_results[p],
             static_cast<unsigned>(count));
    m_phase = p + 1;
    samples.Clear();

    CalibrationEnvironment& environment = Environment();
    environment.ApplyMode(ModeForPhase(m_phase), false);
    if (m_phase == LoadPhase()) {
        environment.StartLoad(Load(), CalibrateLib::ThreadCountFor(environment.ProcessorCount()));
    }
}

void CalibrationStrategy::Store(int threshold1, int threshold2, int threshold3)
{
    lumo::WinRegistry key;
    if (key.Open(reg::kRoot, reg::kMainKey, true)) {
        for (int phase = 0; phase < PhaseCount(); ++phase) {
            const char* name = m_shape.resultNames[phase];
            if (name) {
                key.WriteDword(name, m_results[phase]);
            }
        }
        key.Close();
    }
    TraceLog("~~~[CalibrationStrategy] %s thresholds %d, %d, %d", Name(), threshold1, threshold2,
             threshold3);
    Environment().StoreThresholds(threshold1, threshold2, threshold3);
}

void CalibrationStrategy::End(bool derive)
{
    CalibrationEnvironment& environment = Environment();
    environment.StopLoad();
    if (derive) {
        ComputeThresholds();
    }
    environment.ApplyMode(m_restoreMode, false);
    PostToSuite(kSuiteResume);
    environment.SetCalibrationFlag(false);
    environment.SetEnergyTimerEnabled(true);
    TraceLog("~~~[CalibrationStrategy] %s calibration %s", Name(),
             derive ? "finished" : "cancelled");
}

void CalibrationStrategy::Finish()
{
    End(true);
}

void CalibrationStrategy::Cancel()
{
    End(false);
}

} // namespace tv
