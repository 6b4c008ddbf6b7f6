// A calibration run as the progress dialog drives it: the phase schedule, the modes requested,
// the load generator, the begin and end sequences, the suite's window, the registry record and
// the choice of strategy by controller type.
#include "monitor/CalibrationStrategies.h"
#include "shell/base/RegistrySchema.h"
#include "shell/base/SampleCollector.h"
#include "sim/peers/peerwin/PeerWindow.h"
#include "tests/calibration/RecordingEnvironment.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using calibtest::RecordingEnvironment;
using calibtest::RunComplete;
using calibtest::RunSteps;
using tv::CalibrationStrategy;
using Events = std::vector<std::string>;

constexpr DWORD kOtherType = 0x1234;

// The events of a run between Begin and Finish: the mode requests and the load start.
Events StepEvents(const Events& events, int lastStep)
{
    Events result;
    for (const std::string& event : events) {
        const int step = std::stoi(event);
        if (step > 0 && step <= lastStep) {
            result.push_back(event);
        }
    }
    return result;
}

class ScheduleTest : public tvtest::CleanRegistryTest
{
protected:
    DWORD Flag() const
    {
        return tvtest::ReadRawDword(tv::reg::kAdvanceKey, tv::reg::kCalibrationFlag, 0xDEAD);
    }
    bool Recorded(const char* name) const
    {
        return tvtest::ReadRaw(tv::reg::kMainKey, name).exists;
    }
    DWORD RecordValue(const char* name) const
    {
        return tvtest::ReadRawDword(tv::reg::kMainKey, name, 0xDEAD);
    }

    RecordingEnvironment environment;
};

TEST_F(ScheduleTest, SixPhaseRunFromBeginToFinish)
{
    environment.controllerType = kOtherType;
    environment.processors = 8;
    environment.gearLevel = 0x8000;
    environment.phaseLoads = {10, 40, 60, 80, 90, 95};
    auto strategy = CalibrationStrategy::Create(kOtherType);
    EXPECT_EQ(300, strategy->StepCount());
    EXPECT_EQ(60000, strategy->DurationMs());

    environment.step = 0;
    strategy->Begin();
    EXPECT_EQ(1u, Flag());
    EXPECT_EQ(0x8000, strategy->RestoreMode());
    RunSteps(*strategy, environment, 1, 300);
    environment.step = 301;
    strategy->Finish();

    EXPECT_EQ(
        (Events{"0: EnergyTimer off", "0: Calibration_Flag 1", "0: GearLevel", "0: ApplyMode(0, 0)",
                "49: ApplyMode(1, 0)", "99: ApplyMode(2, 0)", "149: ApplyMode(0, 0)",
                "149: StartLoad(CpuBurn, 8)", "199: ApplyMode(1, 0)", "249: ApplyMode(2, 0)",
                "299: ApplyMode(0, 0)", "301: StopLoad",
                "301: StoreThresholds(13, 42, 255) after the record", "301: ApplyMode(32768, 0)",
                "301: Calibration_Flag 0", "301: EnergyTimer on"}),
        environment.events);
    EXPECT_EQ(0u, Flag());
    EXPECT_EQ(6, strategy->Phase());
    EXPECT_EQ(180u, strategy->SampleCount());
    EXPECT_EQ(180, environment.samplesTaken);
    EXPECT_EQ(0u, tv::SampleCollector::Instance().Count());
}

struct Schedule
{
    DWORD type;
    int steps;
    Events stepEvents;
};

TEST_F(ScheduleTest, EachStrategyEndsItsPhasesEveryFiftyStepsAndLoadsOnce)
{
    const std::vector<Schedule> schedules = {
        {0xF001,
         200,
         {"49: ApplyMode(2, 0)", "99: ApplyMode(0, 0)", "99: StartLoad(Primary, 4)",
          "149: ApplyMode(2, 0)", "199: ApplyMode(0, 0)"}},
        {0xF010,
         200,
         {"49: ApplyMode(2, 0)", "99: ApplyMode(0, 0)", "99: StartLoad(Primary, 4)",
          "149: ApplyMode(2, 0)", "199: ApplyMode(0, 0)"}},
        {0xF011,
         200,
         {"49: ApplyMode(2, 0)", "99: ApplyMode(0, 0)", "99: StartLoad(Primary, 4)",
          "149: ApplyMode(2, 0)", "199: ApplyMode(0, 0)"}},
        {0x7000,
         300,
         {"49: ApplyMode(2, 0)", "99: ApplyMode(0, 0)", "99: StartLoad(Primary, 4)",
          "149: ApplyMode(2, 0)", "199: ApplyMode(0, 0)", "249: ApplyMode(2, 0)",
          "299: ApplyMode(0, 0)"}},
        {0x7010,
         300,
         {"49: ApplyMode(1, 0)", "99: ApplyMode(2, 0)", "149: ApplyMode(0, 0)",
          "149: StartLoad(Primary, 4)", "199: ApplyMode(1, 0)", "249: ApplyMode(2, 0)",
          "299: ApplyMode(0, 0)"}},
        {0,
         300,
         {"49: ApplyMode(1, 0)", "99: ApplyMode(2, 0)", "149: ApplyMode(0, 0)",
          "149: StartLoad(CpuBurn, 4)", "199: ApplyMode(1, 0)", "249: ApplyMode(2, 0)",
          "299: ApplyMode(0, 0)"}},
    };
    for (const Schedule& schedule : schedules) {
        SCOPED_TRACE(testing::Message() << std::hex << "type 0x" << schedule.type);
        RecordingEnvironment recorder;
        recorder.controllerType = schedule.type;
        recorder.processors = 2;
        recorder.phaseLoads = {10, 20, 30, 40, 50, 60};
        auto strategy = CalibrationStrategy::Create(schedule.type);
        EXPECT_EQ(schedule.steps, strategy->StepCount());
        EXPECT_EQ(schedule.steps * 200, strategy->DurationMs());
        RunComplete(*strategy, recorder);
        EXPECT_EQ(schedule.stepEvents, StepEvents(recorder.events, schedule.steps));
        EXPECT_EQ(schedule.steps / 50, strategy->Phase());
        EXPECT_EQ(static_cast<uint32_t>(schedule.steps / 50 * 30), strategy->SampleCount());
        EXPECT_EQ(3u, recorder.thresholds.size());
    }
}

TEST_F(ScheduleTest, LoadThreadsFollowTheProcessorCount)
{
    for (int processors : {1, 4, 6, 16}) {
        RecordingEnvironment recorder;
        recorder.processors = processors;
        auto strategy = CalibrationStrategy::Create(0xF001);
        recorder.step = 0;
        strategy->Begin();
        RunSteps(*strategy, recorder, 1, 99);
        EXPECT_EQ("99: StartLoad(Primary, " + std::to_string(std::max(processors, 4)) + ")",
                  recorder.events.back());
        strategy->Cancel();
    }
}

TEST_F(ScheduleTest, PhaseResultsAreTheStatisticOfTheirSamples)
{
    // Sample i of a phase: 1000 x phase + 3 x a scramble of i, so the window 15 .. 21 of the
    // sorted samples holds 45, 48, ..., 63 above the phase's thousand: mean 54.
    environment.sampler = [](int k) {
        const int phase = k / 30;
        const int i = k % 30;
        return static_cast<DWORD>(1000 * phase + 3 * ((i * 7) % 30));
    };
    auto strategy = CalibrationStrategy::Create(0x7010);
    RunComplete(*strategy, environment);
    for (int phase = 0; phase < 6; ++phase) {
        EXPECT_EQ(static_cast<uint32_t>(1000 * phase + 54), strategy->Result(phase)) << phase;
    }
    EXPECT_EQ(54u, RecordValue(tv::reg::kNormLow));
    EXPECT_EQ(1054u, RecordValue(tv::reg::kMediumLow));
    EXPECT_EQ(2054u, RecordValue(tv::reg::kPowerSavingLow));
    EXPECT_EQ(3054u, RecordValue(tv::reg::kNormHigh));
    EXPECT_EQ(4054u, RecordValue(tv::reg::kMediumHigh));
    EXPECT_EQ(5054u, RecordValue(tv::reg::kPowerSavingHigh));
}

TEST_F(ScheduleTest, FourPhaseAnd7000RecordsHoldTheFourNamedResults)
{
    for (DWORD type : {0xF001u, 0xF010u, 0xF011u, 0x7000u}) {
        SCOPED_TRACE(testing::Message() << std::hex << "type 0x" << type);
        tvtest::ResetProgramRegistry();
        RecordingEnvironment recorder;
        recorder.processors = 4;
        recorder.phaseLoads = {1100, 1200, 1300, 1400, 1500, 1600};
        auto strategy = CalibrationStrategy::Create(type);
        RunComplete(*strategy, recorder);
        EXPECT_EQ(1100u, RecordValue(tv::reg::kNormLow));
        EXPECT_EQ(1200u, RecordValue(tv::reg::kPowerSavingLow));
        EXPECT_EQ(1300u, RecordValue(tv::reg::kNormHigh));
        EXPECT_EQ(1400u, RecordValue(tv::reg::kPowerSavingHigh));
        EXPECT_FALSE(Recorded(tv::reg::kMediumLow));
        EXPECT_FALSE(Recorded(tv::reg::kMediumHigh));
        EXPECT_EQ(REG_DWORD, tvtest::ReadRaw(tv::reg::kMainKey, tv::reg::kNormLow).type);
    }
}

TEST_F(ScheduleTest, CancelRestoresWithoutThresholdsOrRecord)
{
    environment.gearLevel = 2;
    environment.phaseLoads = {10, 20, 30};
    auto strategy = CalibrationStrategy::Create(0x7010);
    environment.step = 0;
    strategy->Begin();
    RunSteps(*strategy, environment, 1, 160);
    EXPECT_EQ(1u, Flag());
    environment.step = 161;
    strategy->Cancel();

    EXPECT_EQ((Events{"0: EnergyTimer off", "0: Calibration_Flag 1", "0: GearLevel",
                      "0: ApplyMode(0, 0)", "49: ApplyMode(1, 0)", "99: ApplyMode(2, 0)",
                      "149: ApplyMode(0, 0)", "149: StartLoad(Primary, 8)", "161: StopLoad",
                      "161: ApplyMode(2, 0)", "161: Calibration_Flag 0", "161: EnergyTimer on"}),
              environment.events);
    EXPECT_TRUE(environment.thresholds.empty());
    EXPECT_EQ(0u, Flag());
    EXPECT_FALSE(Recorded(tv::reg::kNormLow));
    EXPECT_FALSE(Recorded(tv::reg::kPowerSavingHigh));
}

TEST_F(ScheduleTest, AnAbandonedPhaseLeavesNothingForTheNextRun)
{
    auto strategy = CalibrationStrategy::Create(kOtherType);
    environment.phaseLoads = {500};
    strategy->Begin();
    RunSteps(*strategy, environment, 1, 45); // 26 samples of an unfinished phase
    strategy->Cancel();

    environment.samplesTaken = 0;
    environment.phaseLoads = {10, 40, 60, 80, 90, 95};
    strategy->Begin();
    EXPECT_EQ(0, strategy->Phase());
    EXPECT_EQ(0u, strategy->SampleCount());
    RunSteps(*strategy, environment, 1, 300);
    strategy->Finish();
    EXPECT_EQ(10u, strategy->Result(0));
    EXPECT_EQ((std::vector<int>{13, 42, 255}), environment.thresholds);
}

TEST_F(ScheduleTest, StepsBeyondTheScheduleChangeNothing)
{
    auto strategy = CalibrationStrategy::Create(0xF001);
    environment.phaseLoads = {10, 20, 30, 40};
    strategy->Begin();
    RunSteps(*strategy, environment, 1, 200);
    const size_t events = environment.events.size();
    RunSteps(*strategy, environment, 201, 400);
    EXPECT_EQ(events, environment.events.size());
    EXPECT_EQ(4, strategy->Phase());
    for (int phase = 0; phase < 4; ++phase) {
        EXPECT_EQ(static_cast<uint32_t>(10 * (phase + 1)), strategy->Result(phase));
    }
    strategy->Cancel();
}

TEST_F(ScheduleTest, SuiteWindowIsPausedAndResumed)
{
    simpeer::PeerWindow suite;
    ASSERT_TRUE(suite.Start("TMainForm", "Opti Suite"));
    simpeer::PeerWindow other;
    ASSERT_TRUE(other.Start("TMainForm", "Opti Doze"));

    auto strategy = CalibrationStrategy::Create(0xF001);
    environment.phaseLoads = {10, 20, 30, 40};
    strategy->Begin();
    ASSERT_TRUE(suite.WaitForMessages(1, 5000));
    RunSteps(*strategy, environment, 1, 200);
    EXPECT_EQ(1u, suite.Messages().size());
    strategy->Finish();
    ASSERT_TRUE(suite.WaitForMessages(2, 5000));
    strategy->Begin();
    strategy->Cancel();
    ASSERT_TRUE(suite.WaitForMessages(4, 5000));

    const auto messages = suite.Messages();
    ASSERT_EQ(4u, messages.size());
    const UINT expected[] = {WM_USER + 1, WM_USER + 3, WM_USER + 1, WM_USER + 3};
    for (size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(expected[i], messages[i].message) << i;
        EXPECT_EQ(85u, messages[i].wParam) << i;
        EXPECT_EQ(0, messages[i].lParam) << i;
    }
    EXPECT_TRUE(other.Messages().empty());
}

TEST_F(ScheduleTest, RunsWithoutTheSuiteWindow)
{
    ASSERT_EQ(nullptr, FindWindowA("TMainForm", "Opti Suite"));
    auto strategy = CalibrationStrategy::Create(0xF010);
    environment.phaseLoads = {3000, 3000, 2000, 2000};
    RunComplete(*strategy, environment);
    EXPECT_EQ(0u, Flag());
    EXPECT_EQ("201: EnergyTimer on", environment.events.back());
}

TEST(CalibrationFactory, ChoosesTheStrategyByControllerType)
{
    EXPECT_NE(nullptr,
              dynamic_cast<tv::CalibrationF001*>(CalibrationStrategy::Create(0xF001).get()));
    EXPECT_NE(nullptr,
              dynamic_cast<tv::Calibration7000*>(CalibrationStrategy::Create(0x7000).get()));
    EXPECT_NE(nullptr,
              dynamic_cast<tv::CalibrationF010*>(CalibrationStrategy::Create(0xF010).get()));
    EXPECT_NE(nullptr,
              dynamic_cast<tv::CalibrationF011*>(CalibrationStrategy::Create(0xF011).get()));
    EXPECT_NE(nullptr,
              dynamic_cast<tv::Calibration7010*>(CalibrationStrategy::Create(0x7010).get()));
    for (DWORD type : {0u, 0xF000u, 0x7001u, 0xF002u, 0x10F001u, 0xFFFFFFFFu}) {
        auto strategy = CalibrationStrategy::Create(type);
        EXPECT_NE(nullptr, dynamic_cast<tv::CalibrationDefault*>(strategy.get())) << type;
        EXPECT_EQ(tv::CalibrationLoad::CpuBurn, strategy->Load());
    }
}

TEST(CalibrationFactory, MachineStrategyIsChosenOnceForTheProcess)
{
    RecordingEnvironment environment;
    environment.controllerType = 0x7010;
    CalibrationStrategy& strategy = CalibrationStrategy::ForThisMachine();
    EXPECT_NE(nullptr, dynamic_cast<tv::Calibration7010*>(&strategy));
    environment.controllerType = 0xF001;
    EXPECT_EQ(&strategy, &CalibrationStrategy::ForThisMachine());
}

TEST(CalibrationDeathTest, CalibratingWithoutAnEnvironmentIsAProgrammingError)
{
    ASSERT_EQ(nullptr, tv::GetCalibrationEnvironment());
    auto strategy = CalibrationStrategy::Create(0xF001);
    EXPECT_DEATH(strategy->Begin(), "Assertion failed: g_environment != nullptr, file "
                                    "monitor/CalibrationEnvironment.cpp, line \\d+");
}

} // namespace
