// The Windows power-scheme step of the mode thread against the recording powrprof.dll: which
// boards take it, what is switched to, what is saved and what comes back.
#include "power/PowerMgr.h"
#include "power/PowerSchemeStep.h"
#include "tests/mode/ModeTestSupport.h"

#include <thread>

using modetest::ActiveScheme;
using modetest::Journal;
using simboard::Library;
using Strings = std::vector<std::string>;

namespace {

const Strings kSwitchToBalanced = {"powrprof PowerGetActiveScheme()",
                                   "powrprof PowerSetActiveScheme(0x381B4222)"};

class PowerSchemeTest : public modetest::ModeTest
{
protected:
    // Level-only changes: the quickest bodies that still take the step.
    void Apply(tv::CpuPowerMonitor& monitor, std::initializer_list<int> modes)
    {
        for (int mode : modes) {
            monitor.ApplyMode(mode, false);
        }
        ASSERT_TRUE(monitor.WaitForModeThread(20000));
    }
    static Strings SchemeCalls() { return Journal({Library::Powrprof}); }
};

TEST_F(PowerSchemeTest, AutoThenHighPerformanceBringsBackTheEarlierScheme)
{
    ASSERT_EQ(ActiveScheme(), 0xA1841308ul) << "the board starts in Power saver";
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    Apply(monitor, {0x8000});
    EXPECT_EQ(SchemeCalls(), kSwitchToBalanced);
    EXPECT_EQ(ActiveScheme(), 0x381B4222ul);
    Apply(monitor, {0});
    EXPECT_EQ(SchemeCalls(), (Strings{"powrprof PowerGetActiveScheme()",
                                      "powrprof PowerSetActiveScheme(0x381B4222)",
                                      "powrprof PowerSetActiveScheme(0xA1841308)"}));
    EXPECT_EQ(ActiveScheme(), 0xA1841308ul);
    GUID saved;
    EXPECT_FALSE(tv::PowerSchemeStep::Instance().SavedScheme(saved)) << "given back";

    // Nothing saved: High performance switches nothing.
    simboard::ClearJournal();
    Apply(monitor, {0});
    EXPECT_TRUE(SchemeCalls().empty());
}

TEST_F(PowerSchemeTest, EachSwitchSavesTheSchemeInForceAtThatMoment)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    Apply(monitor, {2, 0x8000, 0});
    EXPECT_EQ(
        SchemeCalls(),
        (Strings{"powrprof PowerGetActiveScheme()", "powrprof PowerSetActiveScheme(0x381B4222)",
                 "powrprof PowerGetActiveScheme()", "powrprof PowerSetActiveScheme(0x381B4222)",
                 "powrprof PowerSetActiveScheme(0x381B4222)"}));
    EXPECT_EQ(ActiveScheme(), 0x381B4222ul) << "saved at the second switch";
}

TEST_F(PowerSchemeTest, FamilySevenTakesTheStepOtherBoardsDoNot)
{
    UseBoard("7010");
    tv::CpuPowerMonitor& seven = MakeMonitor();
    Apply(seven, {2, 0});
    EXPECT_EQ(SchemeCalls().size(), 3u);
    EXPECT_EQ(ActiveScheme(), 0xA1841308ul);

    UseBoard("legacy");
    tv::CpuPowerMonitor& other = MakeMonitor();
    Apply(other, {2, 0x8000});
    EXPECT_TRUE(SchemeCalls().empty());
    EXPECT_EQ(ActiveScheme(), 0xA1841308ul);
}

TEST_F(PowerSchemeTest, HighPerformanceSchemeForTurbo)
{
    // The step as the thread hands it a mode: Turbo is never applied by the program (it is
    // normalised away), but the step knows its scheme.
    tv::PowerSchemeStep step(tv::PowerMgr::Instance());
    simboard::ClearJournal();
    step.Apply(0x4000);
    EXPECT_EQ(ActiveScheme(), 0x8C5E7FDAul);
    step.Apply(1);
    EXPECT_EQ(ActiveScheme(), 0x381B4222ul);
    step.Apply(0);
    EXPECT_EQ(ActiveScheme(), 0x8C5E7FDAul) << "saved at the switch to Balanced";
    EXPECT_EQ(
        SchemeCalls(),
        (Strings{"powrprof PowerGetActiveScheme()", "powrprof PowerSetActiveScheme(0x8C5E7FDA)",
                 "powrprof PowerGetActiveScheme()", "powrprof PowerSetActiveScheme(0x381B4222)",
                 "powrprof PowerSetActiveScheme(0x8C5E7FDA)"}));
}

TEST_F(PowerSchemeTest, OverlappingStepsNeverLoseOrDoubleFreeTheSavedScheme)
{
    // Bodies that outlive the 3000 ms wait run their steps side by side.
    tv::PowerSchemeStep step(tv::PowerMgr::Instance());
    std::vector<std::thread> bodies;
    for (int body = 0; body < 8; ++body) {
        bodies.emplace_back([&step, body] {
            for (int round = 0; round < 50; ++round) {
                step.Apply((round + body) % 3 == 0 ? 0 : 2);
            }
        });
    }
    for (std::thread& body : bodies) {
        body.join();
    }
    // Whatever the interleaving: one saved scheme at most, and it is a real one.
    GUID saved = {};
    if (step.SavedScheme(saved)) {
        EXPECT_TRUE(saved.Data1 == 0xA1841308ul || saved.Data1 == 0x381B4222ul) << saved.Data1;
    }
    step.Apply(0);
    EXPECT_FALSE(step.SavedScheme(saved));
    // Every switch read the scheme it saved; every restore set one that was read.
    const Strings calls = SchemeCalls();
    size_t reads = 0;
    size_t sets = 0;
    for (const std::string& call : calls) {
        reads += call == "powrprof PowerGetActiveScheme()";
        sets += call.find("PowerSetActiveScheme") != std::string::npos;
    }
    EXPECT_GE(sets, reads);
    EXPECT_LE(sets, 2 * reads);
}

} // namespace
