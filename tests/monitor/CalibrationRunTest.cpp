// A calibration run on the simulated board under the real load of Calibrate.dll, driven as the
// progress dialog drives it (one step every 200 ms) through the board's calibration environment:
// the levels requested, the loaded phases above the unloaded ones, and the thresholds stored in
// the registry and sent to the board as the formula gives them from the recorded phase results.
// A cancelled run gives the level back without thresholds.
#include "lumo/Forms/GuiThread.h"
#include "monitor/BoardCalibrationEnvironment.h"
#include "monitor/CalibrationStrategy.h"
#include "power/GearItems.h"
#include "power/PowerGear.h"
#include "shell/base/CalibrateLib.h"
#include "shell/base/RegistrySchema.h"
#include "sim/board/Numbers.h"
#include "tests/monitor/MonitorTestSupport.h"
#include "tests/support/Handles.h"
#include "tests/support/RecordingController.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using monitortest::GearCalls;
using simboard::Field;
using Strings = std::vector<std::string>;

namespace {

constexpr DWORD kStepMs = 200;

class CalibrationRunTest : public monitortest::MonitorTest
{
protected:
    void SetUp() override
    {
        monitortest::MonitorTest::SetUp();
        // The level in force before the run, to be given back.
        ASSERT_TRUE(simboard::SetField(Field::Level, 2));
        ASSERT_EQ(simboard::FieldValue(Field::CpuLoad), -1) << "the machine's real load";
    }
    void TearDown() override
    {
        tv::SetCalibrationEnvironment(nullptr);
        monitortest::MonitorTest::TearDown();
    }

    // Steps from..to, one every 200 ms; the GUI work (the mode threads' ends) runs meanwhile.
    static void RunSteps(tv::CalibrationStrategy& strategy, int from, int to)
    {
        DWORD next = GetTickCount();
        for (int n = from; n <= to; ++n) {
            strategy.Step(n);
            next += kStepMs;
            const DWORD now = GetTickCount();
            if (static_cast<LONG>(next - now) > 0) {
                HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
                lumo::GuiThread::WaitFor(never, next - now);
                CloseHandle(never);
            } else {
                lumo::GuiThread::RunPending();
            }
        }
    }

    // The CPU current of family F (milliamps at 1.25 V) at full load and that gear percentage.
    static DWORD FullLoadReading(int gearPercent)
    {
        const int64_t milliwatts =
            int64_t(simboard::FieldValue(Field::FullMilliwatts)) * gearPercent / 100;
        return static_cast<DWORD>(milliwatts * 1000 / 1250);
    }
    static Strings EnergyTimerEvents(const tvtest::RecordingController& controller)
    {
        Strings timer;
        for (const std::string& event : controller.Events()) {
            if (event.find("energy timer") == 0) {
                timer.push_back(event);
            }
        }
        return timer;
    }
    static DWORD MainValue(const char* name)
    {
        return tvtest::ReadRawDword(tv::reg::kMainKey, name, 0xDEADBEEF);
    }
    static DWORD CalibrationFlag()
    {
        return tvtest::ReadRawDword(tv::reg::kAdvanceKey, tv::reg::kCalibrationFlag, 0xDEADBEEF);
    }
};

TEST_F(CalibrationRunTest, ACompleteRunStoresTheThresholdsOfItsMeasurements)
{
    tvtest::RecordingController controller;
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    ASSERT_EQ(monitor.ControllerType(), 0xF001u);
    tv::BoardCalibrationEnvironment environment(monitor);
    tv::SetCalibrationEnvironment(&environment);
    auto strategy = tv::CalibrationStrategy::Create(monitor.ControllerType());
    ASSERT_EQ(strategy->StepCount(), 200);

    strategy->Begin();
    EXPECT_EQ(CalibrationFlag(), 1u);
    EXPECT_EQ(EnergyTimerEvents(controller), (Strings{"energy timer off"}));
    // The load generator starts when the second phase ends (step 99).
    const double startCpu = tvtest::ProcessCpuMs() / 1000;
    RunSteps(*strategy, 1, 99);
    const double unloadedCpu = tvtest::ProcessCpuMs() / 1000 - startCpu;
    RunSteps(*strategy, 100, strategy->StepCount());
    const double loadedCpu = tvtest::ProcessCpuMs() / 1000 - startCpu - unloadedCpu;
    EXPECT_EQ(strategy->Phase(), 4);
    strategy->Finish();
    ASSERT_TRUE(monitor.WaitForModeThread(20000));
    // The load ran in this process for the loaded phases only.
    EXPECT_GT(loadedCpu, 2.0);
    EXPECT_GT(loadedCpu, 4 * unloadedCpu) << unloadedCpu;

    // High performance and Max power saving without load, then both under load; the level of
    // before at the end. Each through the level item, without "LastMode".
    const Strings levels = GearCalls("OptiGearSetItem");
    Strings levelWrites;
    for (const std::string& call : levels) {
        if (call.find("(0x0B060001, ") != std::string::npos) {
            levelWrites.push_back(call);
        }
    }
    EXPECT_EQ(levelWrites,
              (Strings{"OptiGearSetItem(0x0B060001, 0)", "OptiGearSetItem(0x0B060001, 2)",
                       "OptiGearSetItem(0x0B060001, 0)", "OptiGearSetItem(0x0B060001, 2)",
                       "OptiGearSetItem(0x0B060001, 0)", "OptiGearSetItem(0x0B060001, 2)"}));
    EXPECT_EQ(simboard::FieldValue(Field::Level), 2);
    EXPECT_FALSE(tvtest::ReadRaw(tv::reg::kMainKey, tv::reg::kLastMode).exists);
    EXPECT_EQ(CalibrationFlag(), 0u);
    EXPECT_EQ(EnergyTimerEvents(controller), (Strings{"energy timer off", "energy timer on"}));
    EXPECT_EQ(controller.Count("tray"), 6u) << "each level-only change";

    // The phase results as recorded: the generated load shows in both modes.
    const DWORD normLow = MainValue("NormLow");
    const DWORD savingLow = MainValue("PowerSavingLow");
    const DWORD normHigh = MainValue("NormHigh");
    const DWORD savingHigh = MainValue("PowerSavingHigh");
    EXPECT_EQ(normLow, strategy->Result(0));
    EXPECT_EQ(savingHigh, strategy->Result(3));
    // The readings follow the whole machine's load: a machine already saturated by others while
    // the unloaded phases ran leaves the generated load nothing to add.
    const DWORD fullNorm = FullLoadReading(100);
    const DWORD fullSaving = FullLoadReading(simboard::FieldValue(Field::SavingPercent));
    EXPECT_GE(normHigh, normLow);
    EXPECT_GE(savingHigh, savingLow);
    if (normLow < fullNorm) {
        EXPECT_GT(normHigh, normLow);
    }
    if (savingLow < fullSaving) {
        EXPECT_GT(savingHigh, savingLow);
    }
    if (normLow == fullNorm && savingLow == fullSaving) {
        std::printf("the machine was saturated during the unloaded phases\n");
    }
    EXPECT_GT(normHigh, savingHigh) << "Max power saving draws less under the same load";

    // The thresholds: the ratio formula of 0xF001 over the recorded results.
    const double n = tv::CalibrateLib::SystemProcessorCount();
    const double r =
        static_cast<double>(static_cast<uint32_t>((normHigh - savingLow) * savingLow)) /
        (1e6 * n * n);
    const double w = r > 12 ? 0.07 : 0.05;
    const double scale = r > 33 ? 8 : 1;
    const int t1 =
        static_cast<int>(std::trunc(scale * 100 * n + (1 - w) * savingLow + w * normHigh + 0.5));
    const int t2 = t1 + (r > 12 ? 2000 : 100);
    EXPECT_EQ(MainValue("Threshold1"), static_cast<DWORD>(t1));
    EXPECT_EQ(MainValue("Threshold2"), static_cast<DWORD>(t2));
    EXPECT_EQ(MainValue("Threshold3"), static_cast<DWORD>(t1));
    auto thresholdWrites = [](const Strings& calls) {
        Strings writes;
        for (const std::string& call : calls) {
            if (call.find("(0x0E0A001") != std::string::npos) {
                writes.push_back(call);
            }
        }
        return writes;
    };
    // The calibration keeps them and clears the board's invalid flag; the board's items are
    // written when Auto is applied.
    EXPECT_TRUE(thresholdWrites(levels).empty());
    EXPECT_EQ(std::count(levels.begin(), levels.end(), "OptiGearSetItem(0x00070005, 0)"), 1);
    simboard::ClearJournal();
    monitor.ApplyMode(0x8000, true);
    ASSERT_TRUE(monitor.WaitForModeThread(20000));
    const Strings sent = {"OptiGearSetItem(0x0E0A0014, " + simboard::FormatValue(t1) + ")",
                          "OptiGearSetItem(0x0E0A0015, " + simboard::FormatValue(t2) + ")",
                          "OptiGearSetItem(0x0E0A0016, " + simboard::FormatValue(t1) + ")"};
    EXPECT_EQ(thresholdWrites(GearCalls("OptiGearSetItem")), sent);
    int32_t onBoard = 0;
    ASSERT_TRUE(simboard::GetItem(tv::item::kThreshold2, &onBoard));
    EXPECT_EQ(onBoard, t2);
    int k1 = 0, k2 = 0, k3 = 0;
    tv::PowerGear::Instance().Thresholds().Get(k1, k2, k3);
    EXPECT_EQ((std::vector<int>{k1, k2, k3}), (std::vector<int>{t1, t2, t1}));
    EXPECT_TRUE(monitor.AutoModeReady());
}

TEST_F(CalibrationRunTest, ACancelledRunGivesTheLevelBackWithoutThresholds)
{
    tvtest::RecordingController controller;
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    tv::BoardCalibrationEnvironment environment(monitor);
    tv::SetCalibrationEnvironment(&environment);
    auto strategy = tv::CalibrationStrategy::Create(monitor.ControllerType());

    strategy->Begin();
    RunSteps(*strategy, 1, 60);
    EXPECT_EQ(strategy->Phase(), 1);
    strategy->Cancel();
    ASSERT_TRUE(monitor.WaitForModeThread(20000));

    EXPECT_EQ(GearCalls("OptiGearSetItem"),
              (Strings{"OptiGearSetItem(0x0B060001, 0)", "OptiGearSetItem(0x0B060001, 2)",
                       "OptiGearSetItem(0x0B060001, 2)"}));
    EXPECT_EQ(simboard::FieldValue(Field::Level), 2);
    for (const char* name :
         {"NormLow", "PowerSavingLow", "Threshold1", "Threshold2", "Threshold3"}) {
        EXPECT_FALSE(tvtest::ReadRaw(tv::reg::kMainKey, name).exists) << name;
    }
    EXPECT_EQ(CalibrationFlag(), 0u);
    EXPECT_EQ(EnergyTimerEvents(controller), (Strings{"energy timer off", "energy timer on"}));
}

} // namespace
