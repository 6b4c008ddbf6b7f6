// What the monitor tells about the mode in force: saving index, Auto state (the board's on most
// types, the monitor's own poll on the Auto-polling types), the current mode with a pending
// start-up mode, the poll timer, overclocking and the firmware probe.
#include "monitor/BoardCalibrationEnvironment.h"
#include "power/GearItems.h"
#include "power/PowerGear.h"
#include "shell/base/RegistrySchema.h"
#include "tests/monitor/MonitorTestSupport.h"
#include "tests/support/RecordingController.h"

using monitortest::GearCalls;
using simboard::Field;
using Strings = std::vector<std::string>;

namespace {

class ModeStateTest : public monitortest::MonitorTest
{};

TEST_F(ModeStateTest, SavingIndexFollowsTheLevel)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    const std::pair<int, int> cases[] = {{0x4000, 0}, {0, 1}, {1, 2}, {2, 3}, {0x8000, 1}};
    for (const auto& level : cases) {
        ASSERT_TRUE(simboard::SetField(Field::Level, level.first));
        EXPECT_EQ(monitor.SavingIndex(), level.second) << std::hex << level.first;
    }
    // The Auto state of family F is the monitor's own, 1 until the poll says otherwise.
    EXPECT_EQ(monitor.AutoState(), 1);
    // A level that cannot be read counts as High performance.
    ASSERT_TRUE(simboard::SetField(Field::GetLevelFails, 1));
    EXPECT_EQ(monitor.SavingIndex(), 1);
}

TEST_F(ModeStateTest, AutoStateOutsideFamilyFIsTheBoardsSubLevel)
{
    UseBoard("7010");
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x8000));
    const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {2, 3}, {3, 3}, {4, 1}, {-1, 1}};
    for (const auto& sub : cases) {
        ASSERT_TRUE(simboard::SetItem(tv::item::kAutoSubLevel, sub.first));
        EXPECT_EQ(monitor.AutoState(), sub.second) << sub.first;
        EXPECT_EQ(monitor.SavingIndex(), sub.second) << sub.first;
    }
    ASSERT_TRUE(simboard::SetItem(tv::item::kAutoSubLevel, 3));
    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kAutoSubLevel, true, true, false));
    EXPECT_EQ(monitor.AutoState(), 1) << "unreadable";
}

TEST_F(ModeStateTest, CurrentModeIsNormalisedAndHonoursAPendingStartUpMode)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    ASSERT_TRUE(simboard::SetField(Field::Level, 1));
    EXPECT_EQ(monitor.CurrentMode(), 2);
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x4000));
    EXPECT_EQ(monitor.CurrentMode(), 0);
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x8000));
    EXPECT_EQ(monitor.CurrentMode(), 0x8000);

    tvtest::RecordingController controller;
    EXPECT_EQ(monitor.CurrentMode(), 0x8000) << "nothing pending";
    controller.SetPendingStartupMode(true, 1);
    EXPECT_EQ(monitor.CurrentMode(), 2);
    controller.SetPendingStartupMode(true, 0x4000);
    EXPECT_EQ(monitor.CurrentMode(), 0);
    controller.SetPendingStartupMode(true, 77);
    EXPECT_EQ(monitor.CurrentMode(), 0);
}

class AutoPollTest : public monitortest::MonitorTest
{
protected:
    void SetUp() override
    {
        monitortest::MonitorTest::SetUp();
        UseBoard("f010");
        tv::PowerGear::Instance().Thresholds().Store(1000, 3000, 1000);
    }
    // The load the poll reads, pinned.
    void SetLoad(int32_t load) { ASSERT_TRUE(simboard::SetItem(tv::item::kCpuCurrent, load)); }
};

TEST_F(AutoPollTest, LoadBelowThresholdOneSavesAnythingElsePerforms)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    tvtest::RecordingController controller;
    std::vector<std::pair<int, int>> notified;
    monitor.SetChangeListener([&](int index, int cardMode) {
        notified.push_back({index, cardMode});
    });
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x8000));
    tvtest::TraceCapture trace;

    SetLoad(999);
    monitor.PollAutoState();
    EXPECT_EQ(monitor.AutoState(), 3);
    EXPECT_EQ(GearCalls(), (Strings{"OptiGearGetItem(0x0E0A0011)",
                                    "OptiGearSetItem(0x0B060001, 0x8013)", "OptiGearGetLevel()"}));
    EXPECT_EQ(controller.Events(), (Strings{"auto state"}));
    EXPECT_EQ(notified, (std::vector<std::pair<int, int>>{{3, 1}}));
    EXPECT_EQ(trace.Count("~~~[PollingOcStatus] OC Status 3"), 1u);

    // Equal to Threshold1: performance.
    simboard::ClearJournal();
    SetLoad(1000);
    monitor.PollAutoState();
    EXPECT_EQ(monitor.AutoState(), 1);
    EXPECT_EQ(GearCalls(), (Strings{"OptiGearGetItem(0x0E0A0011)",
                                    "OptiGearSetItem(0x0B060001, 0x8011)", "OptiGearGetLevel()"}));
    EXPECT_EQ(controller.Events(), (Strings{"auto state", "auto state"}));
    EXPECT_EQ(trace.Count("~~~[PollingOcStatus] OC Status 1"), 1u);

    // Between the thresholds and above Threshold2 alike: performance, no change to report; the
    // board is told on every tick.
    simboard::ClearJournal();
    for (int32_t load : {2000, 3000, 3001}) {
        SetLoad(load);
        monitor.PollAutoState();
        EXPECT_EQ(monitor.AutoState(), 1) << load;
    }
    EXPECT_EQ(GearCalls("OptiGearSetItem"),
              (Strings{"OptiGearSetItem(0x0B060001, 0x8011)", "OptiGearSetItem(0x0B060001, 0x8011)",
                       "OptiGearSetItem(0x0B060001, 0x8011)"}));
    EXPECT_EQ(controller.Events().size(), 2u);
    EXPECT_EQ(notified.size(), 2u);
    EXPECT_EQ(trace.Count("~~~[PollingOcStatus] OC Status 1"), 4u);
    EXPECT_EQ(simboard::FieldValue(Field::Level), 0x8000) << "the board stays in Auto";
}

TEST_F(AutoPollTest, ThresholdsCompareUnsigned)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    tv::PowerGear::Instance().Thresholds().Store(-1, -1, -1);
    SetLoad(0x7FFFFFFF);
    monitor.PollAutoState();
    EXPECT_EQ(monitor.AutoState(), 3) << "0xFFFFFFFF is above every load";
    tv::PowerGear::Instance().Thresholds().Store(0, 0, 0);
    SetLoad(0);
    monitor.PollAutoState();
    EXPECT_EQ(monitor.AutoState(), 1) << "nothing is below 0";
}

// Runs the thread's message loop until condition holds; false on time-out.
template <typename Condition> bool PumpUntil(Condition condition, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
    return true;
}

TEST_F(AutoPollTest, AutoOnAnAutoPollingTypeStartsThePollInTheSavingState)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_FALSE(monitor.OcStatusTimerEnabled()) << "created disabled";
    monitor.ApplyMode(0x8000, false);
    EXPECT_TRUE(monitor.OcStatusTimerEnabled());
    EXPECT_EQ(monitor.AutoState(), 3);
    monitor.ApplyMode(2, false);
    EXPECT_FALSE(monitor.OcStatusTimerEnabled());
    EXPECT_EQ(monitor.AutoState(), 3) << "kept until the next poll";
    monitor.ApplyMode(0x8000, false);
    ASSERT_TRUE(monitor.WaitForModeThread(20000));

    // The timer's ticks poll every 3.5 s: a load above the thresholds performs.
    SetLoad(5000);
    tvtest::TraceCapture trace;
    EXPECT_TRUE(
        PumpUntil([&] { return trace.Contains("~~~[PollingOcStatus] OC Status 1"); }, 30000));
    EXPECT_EQ(monitor.AutoState(), 1);
}

TEST_F(AutoPollTest, ThePollRunsFromTheStartWhenTheBoardIsInAuto)
{
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x8000));
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_TRUE(monitor.OcStatusTimerEnabled());
}

TEST_F(AutoPollTest, TypeF000LeavesThePollAsItWas)
{
    UseBoard("f000");
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x8000));
    tv::CpuPowerMonitor& running = MakeMonitor();
    ASSERT_TRUE(running.OcStatusTimerEnabled()) << "family F: started by the board's Auto";
    running.ApplyMode(0, false);
    EXPECT_TRUE(running.OcStatusTimerEnabled());
    ASSERT_TRUE(running.WaitForModeThread(20000));

    ASSERT_TRUE(simboard::SetField(Field::Level, 0));
    tv::CpuPowerMonitor& idle = MakeMonitor();
    idle.ApplyMode(0x8000, false);
    EXPECT_FALSE(idle.OcStatusTimerEnabled());
    EXPECT_EQ(idle.AutoState(), 1);
}

TEST_F(ModeStateTest, NoPollOutsideFamilyF)
{
    UseBoard("7010");
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x8000));
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_FALSE(monitor.OcStatusTimerEnabled());
    monitor.ApplyMode(0x8000, false);
    EXPECT_FALSE(monitor.OcStatusTimerEnabled());
}

TEST_F(ModeStateTest, BiosOverclockingByTheStatusItem)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    const std::pair<int, bool> cases[] = {{1, false}, {2, false}, {0, true}, {3, true}, {-1, true}};
    for (const auto& status : cases) {
        ASSERT_TRUE(simboard::SetItem(tv::item::kOverclockStatus, status.first));
        EXPECT_EQ(monitor.IsBiosOverclocked(), status.second) << status.first;
    }
    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kOverclockStatus, true, true, false));
    EXPECT_FALSE(monitor.IsBiosOverclocked()) << "unreadable";
}

TEST_F(ModeStateTest, AutoIsReadyOnTypeF000OrWithCalibratedThresholds)
{
    UseBoard("f000");
    EXPECT_TRUE(MakeMonitor().AutoModeReady());
    UseBoard("default");
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    tv::PowerGear::Instance().Thresholds().Store(10, 20, 30);
    EXPECT_TRUE(monitor.AutoModeReady());
}

// A calibration's thresholds are kept and the board's invalid flag cleared; the board's own
// threshold items are left to the next Auto, so read-only ones cost the user no boxes here.
TEST_F(ModeStateTest, CalibratedThresholdsAreKeptNotWrittenToTheBoard)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    for (uint32_t item : {tv::item::kThreshold1, tv::item::kThreshold2, tv::item::kThreshold3}) {
        ASSERT_TRUE(simboard::SetItemFlags(item, true, false, true));
    }
    tvtest::MessageBoxRecorder boxes;
    tv::BoardCalibrationEnvironment environment(monitor);
    environment.StoreThresholds(40, 50, 60);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(GearCalls("OptiGearSetItem"), (Strings{"OptiGearSetItem(0x00070005, 0)"}));
    EXPECT_EQ(tvtest::ReadRawDword(tv::reg::kMainKey, "Threshold2", 0), 50u);
    EXPECT_TRUE(monitor.AutoModeReady());
}

} // namespace
