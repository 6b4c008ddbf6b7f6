// The mode thread in a process of its own (modeprobe.exe): a process that dies in the middle of
// a body leaves "Gear_Flag" set for the next start, and without the power-scheme GUID interface
// the step switches scheme indices. This program never loads Powrprof.dll itself, so that the
// variant of its child can be chosen.
#include "sim/board/Powrprof.h"
#include "tests/mode/ModeTestSupport.h"
#include "tests/support/Peers.h"

#include <algorithm>

using modetest::GearFlag;
using modetest::Journal;
using simboard::Library;
using Strings = std::vector<std::string>;

namespace {

class ModeProcessTest : public monitortest::MonitorTest
{
protected:
    void SetUp() override
    {
        monitortest::MonitorTest::SetUp();
        ASSERT_EQ(GetModuleHandleA("powrprof.dll"), nullptr);
    }
};

TEST_F(ModeProcessTest, AProcessEndingMidBodyLeavesGearFlagSet)
{
    tvtest::RunningPeer card;
    ASSERT_TRUE(tvtest::StartCardSim(card, "--delay 20000"));
    tvtest::Process probe;
    ASSERT_TRUE(probe.Start("modeprobe.exe", "2 1"));
    // The body waits for the card's answer: the process ends there.
    ASSERT_TRUE(tvtest::WaitUntil([&] { return card.Control().Count() == 1; }, 20000));
    EXPECT_EQ(GearFlag(), 1u);
    probe.Kill();
    EXPECT_FALSE(probe.Running());
    EXPECT_EQ(GearFlag(), 1u);
    const Strings calls = Journal({Library::OptiGear, Library::KdSpindownTimeout});
    EXPECT_NE(std::find(calls.begin(), calls.end(), "OptiGear OptiGearSetLevel(2)"), calls.end());
    EXPECT_TRUE(Journal({Library::KdSpindownTimeout}).empty()) << "the body ended at the card";

    // A body that runs to its end clears it.
    ASSERT_TRUE(card.Control().Send("delay 0"));
    EXPECT_EQ(tvtest::RunProgram("modeprobe.exe", "0 1", 60000), 0);
    EXPECT_EQ(GearFlag(), 0u);
}

TEST_F(ModeProcessTest, WithoutTheGuidInterfaceSchemeIndicesAreSwitched)
{
    simboard::ScopedPowrprof variant(simboard::PowrprofVariant::NoEnumerate);
    ASSERT_TRUE(variant.Installed()) << variant.Error();
    ASSERT_EQ(simboard::FieldValue(simboard::Field::SchemeIndex), 0);
    EXPECT_EQ(tvtest::RunProgram("modeprobe.exe", "0x8000 0 0 0", 60000), 0);
    EXPECT_EQ(Journal({Library::Powrprof}),
              (Strings{"powrprof GetActivePwrScheme()", "powrprof SetActivePwrScheme(4)",
                       "powrprof SetActivePwrScheme(0)"}));
    EXPECT_EQ(simboard::FieldValue(simboard::Field::SchemeIndex), 0);

    // Max power saving, then Auto, then High performance: the index saved at the second switch.
    simboard::ClearJournal();
    EXPECT_EQ(tvtest::RunProgram("modeprobe.exe", "2 0 0x8000 0 0 0", 60000), 0);
    EXPECT_EQ(Journal({Library::Powrprof}),
              (Strings{"powrprof GetActivePwrScheme()", "powrprof SetActivePwrScheme(4)",
                       "powrprof GetActivePwrScheme()", "powrprof SetActivePwrScheme(4)",
                       "powrprof SetActivePwrScheme(4)"}));
    EXPECT_EQ(simboard::FieldValue(simboard::Field::SchemeIndex), 4);
}

} // namespace
