// The process-wide pieces as the program uses them: the power monitor opens the gear engine,
// learns the controller type once and fills the per-gear cache that the profile store's defaults
// come from. One test, as everything here is created once per process.
#include "monitor/CalibrationEnvironment.h"
#include "monitor/CpuPowerMonitor.h"
#include "power/AdvanceSettings.h"
#include "power/GearItems.h"
#include "power/PowerGear.h"
#include "power/PowerGearSelection.h"
#include "tests/power/PowerTestSupport.h"
#include "tests/support/Peers.h"
#include "tests/support/RecordingController.h"

#include <algorithm>

using powertest::AdvanceValue;
using powertest::GearCalls;
using Strings = std::vector<std::string>;

namespace {

class CpuPowerMonitorTest : public powertest::BoardTest
{};

// The main window refreshes through the monitor: the card button refresh that the monitor's
// own set-up raises asks for the monitor again.
class RefreshingController : public tvtest::RecordingController
{
public:
    void RefreshCardButton(bool cardSavesInAnyMode) override
    {
        tvtest::RecordingController::RefreshCardButton(cardSavesInAnyMode);
        seen.push_back(&tv::CpuPowerMonitor::Instance());
    }
    std::vector<tv::CpuPowerMonitor*> seen;
};

TEST_F(CpuPowerMonitorTest, FirstUseOpensTheEngineReadsTheTypeOnceAndCachesTheBanks)
{
    UseBoard("7010");
    ASSERT_TRUE(simboard::SetBankItem(tv::item::kVCoreDowngrade, 0, 2));
    ASSERT_TRUE(simboard::SetBankItem(tv::item::kLoadLineDowngrade, 3, 2));
    tv::SelectPowerGearImplementation(0);
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card));
    RefreshingController controller;

    tv::CpuPowerMonitor& monitor = tv::CpuPowerMonitor::Instance();
    // Called back during its set-up, the accessor gave the monitor being set up.
    EXPECT_EQ(controller.seen, (std::vector<tv::CpuPowerMonitor*>{&monitor}));
    EXPECT_TRUE(monitor.CardConnected());
    Strings calls = GearCalls();
    auto start = std::find(calls.begin(), calls.end(), "OptiGearSetItem(0x0B060002, 1)");
    ASSERT_NE(start, calls.end());
    EXPECT_EQ(Strings(start, calls.end()),
              (Strings{"OptiGearSetItem(0x0B060002, 1)", "OptiGearButtonEnable()",
                       "IsItemSupported(0x0B060080)", "OptiGearGetItem(0x0B060080)",
                       "OptiGearSetItem(0x0B060010, 0)", "OptiGearGetItem(0x0B060023)",
                       "OptiGearSetItem(0x0B060023, 2)", "OptiGearGetItem(0x0B060022)",
                       "OptiGearSetItem(0x0B060022, 0)", "OptiGearSetItem(0x0B060010, 2)",
                       "OptiGearGetItem(0x0B060023)", "OptiGearSetItem(0x0B060023, 1)",
                       "OptiGearGetItem(0x0B060022)", "OptiGearSetItem(0x0B060022, 1)",
                       "OptiGearSetItem(0x0B060010, 3)", "OptiGearGetItem(0x0B060023)",
                       "OptiGearSetItem(0x0B060023, 2)", "OptiGearGetItem(0x0B060022)",
                       "OptiGearSetItem(0x0B060022, 2)"}));

    EXPECT_EQ(monitor.ControllerType(), 0x7010u);
    // The calibration works on this board from now on.
    ASSERT_NE(tv::GetCalibrationEnvironment(), nullptr);
    EXPECT_EQ(tv::GetCalibrationEnvironment()->ControllerType(), 0x7010u);
    EXPECT_FALSE(monitor.IsFFamily());
    EXPECT_TRUE(monitor.Is7Family());
    EXPECT_FALSE(monitor.IsTypeF000());
    EXPECT_FALSE(monitor.IsAutoPollingType());
    EXPECT_TRUE(monitor.IsFineScaleType());
    int32_t a = -1, b = -1, c = -1, d = -1;
    monitor.GetGearParameters(0, a, b, c, d);
    EXPECT_EQ((std::vector<int32_t>{a, b, c, d}), (std::vector<int32_t>{0, 2, 0, 0}));
    monitor.GetGearParameters(1, a, b, c, d);
    EXPECT_EQ((std::vector<int32_t>{a, b, c, d}), (std::vector<int32_t>{0, 0, 0, 0}));
    monitor.GetGearParameters(3, a, b, c, d);
    EXPECT_EQ((std::vector<int32_t>{a, b, c, d}), (std::vector<int32_t>{0, 2, 2, 0}));

    // Created once: later uses read nothing again.
    simboard::ClearJournal();
    EXPECT_EQ(&tv::CpuPowerMonitor::Instance(), &monitor);
    EXPECT_EQ(tv::ControllerType(), 0x7010u);
    monitor.SetGearParameters(2, 0, 1);
    EXPECT_EQ(GearCalls(),
              (Strings{"OptiGearSetItem(0x0B060010, 2)", "OptiGearSetItem(0x0B060023, 0)",
                       "OptiGearSetItem(0x0B060022, 1)"}));
    monitor.GetGearParameters(2, a, b, c, d);
    EXPECT_EQ(b, 1) << "the cache keeps the start-up value";

    // The profile store's defaults are the monitor's start-up values.
    simboard::ClearJournal();
    tv::AdvanceSettings& settings = tv::AdvanceSettings::Instance();
    EXPECT_EQ(&tv::AdvanceSettings::Instance(), &settings);
    EXPECT_EQ(AdvanceValue("vCore_Turbo"), 2u);
    EXPECT_EQ(AdvanceValue("LoadLine_Low"), 2u);
    EXPECT_EQ(AdvanceValue("vCore_Medium"), 1u);
    EXPECT_EQ(settings.GetProfile(3).fan, 1);
    Strings pushes = GearCalls();
    EXPECT_EQ(pushes.size(), 9u) << "profiles 0, 2 and 3 sent to their banks";
    EXPECT_TRUE(std::none_of(pushes.begin(), pushes.end(), [](const std::string& call) {
        return call.find("GetItem") != std::string::npos;
    })) << "no bank is read again";
}

} // namespace
