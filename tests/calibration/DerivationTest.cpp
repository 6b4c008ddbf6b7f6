// The thresholds each strategy derives from its phase results, from complete runs whose phases
// sample constant loads (so that each phase result is that load).
#include "monitor/CalibrationStrategies.h"
#include "tests/calibration/RecordingEnvironment.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Thresholds = std::vector<int>;

class DerivationTest : public tvtest::CleanRegistryTest
{
protected:
    // Four-phase loads: NormLow, PowerSavingLow, NormHigh, PowerSavingHigh. Six-phase (0x7010 and
    // default): NormLow, MediumLow, PowerSavingLow, NormHigh, MediumHigh, PowerSavingHigh.
    // 0x7000: the four, then two unnamed.
    Thresholds Derive(DWORD type, int processors, const std::vector<DWORD>& phaseLoads)
    {
        calibtest::RecordingEnvironment environment;
        environment.controllerType = type;
        environment.processors = processors;
        environment.phaseLoads = phaseLoads;
        auto strategy = tv::CalibrationStrategy::Create(type);
        calibtest::RunComplete(*strategy, environment);
        for (int phase = 0; phase < strategy->PhaseCount(); ++phase) {
            EXPECT_EQ(phaseLoads[phase], strategy->Result(phase)) << "phase " << phase;
        }
        return environment.thresholds;
    }
};

constexpr DWORD kOtherType = 0x4321;
constexpr DWORD x = 7; // a phase result the formula does not use

TEST_F(DerivationTest, DefaultOffsetsSortsAndClamps)
{
    // NormLow + 3 and MediumLow + 2 with 8 processors.
    EXPECT_EQ((Thresholds{13, 42, 255}), Derive(kOtherType, 8, {10, 40, x, x, x, x}));
    // Fewer than four processors: NormLow + 2.
    EXPECT_EQ((Thresholds{12, 42, 255}), Derive(kOtherType, 3, {10, 40, x, x, x, x}));
    EXPECT_EQ((Thresholds{13, 42, 255}), Derive(kOtherType, 4, {10, 40, x, x, x, x}));
    // Sorted whatever their origin.
    EXPECT_EQ((Thresholds{22, 53, 255}), Derive(kOtherType, 8, {50, 20, x, x, x, x}));
    // Sorted first, then clamped.
    EXPECT_EQ((Thresholds{253, 255, 255}), Derive(kOtherType, 8, {250, 260, x, x, x, x}));
    EXPECT_EQ((Thresholds{255, 255, 255}), Derive(kOtherType, 8, {400, 300, x, x, x, x}));
}

TEST_F(DerivationTest, Type7010HalvesCloseSavingFiguresAndTakesFractionsOfDistantOnes)
{
    // PowerSavingHigh 100, PowerSavingLow 98: difference 2, the 0.5 branch.
    EXPECT_EQ((Thresholds{50, 60, 255}), Derive(0x7010, 4, {x, x, 98, 120, x, 100}));
    // Difference 3 is still close.
    EXPECT_EQ((Thresholds{50, 60, 255}), Derive(0x7010, 4, {x, x, 97, 120, x, 100}));
    // Difference 4: 0.4 x 100 and 0.45 x 120 (54.5 truncated).
    EXPECT_EQ((Thresholds{40, 54, 255}), Derive(0x7010, 4, {x, x, 96, 120, x, 100}));
    // A loaded saving figure below the unloaded one is a huge unsigned difference.
    EXPECT_EQ((Thresholds{40, 54, 255}), Derive(0x7010, 4, {x, x, 102, 120, x, 100}));
    // Sorted and clamped.
    EXPECT_EQ((Thresholds{9, 80, 255}), Derive(0x7010, 4, {x, x, 100, 20, x, 200}));
    EXPECT_EQ((Thresholds{255, 255, 255}), Derive(0x7010, 4, {x, x, 0, 1000, x, 1000}));
}

TEST_F(DerivationTest, Type7000MeasuresTheDistanceToTheLoadedSavingFigure)
{
    // Equal figures: NormLow - 20 and NormLow - 10.
    EXPECT_EQ((Thresholds{30, 40, 0}), Derive(0x7000, 4, {50, x, x, 50, x, x}));
    // d = 40: 100 - 32 + 0.5 and 100 - 20 + 0.5, truncated.
    EXPECT_EQ((Thresholds{68, 80, 0}), Derive(0x7000, 4, {100, x, x, 60, x, x}));
    // A loaded saving figure above the unloaded performance one gives negative thresholds,
    // truncated toward zero: 10 - 72 + 0.5 and 10 - 45 + 0.5.
    EXPECT_EQ((Thresholds{-61, -34, 0}), Derive(0x7000, 4, {10, x, x, 100, x, x}));
    EXPECT_EQ((Thresholds{-15, -5, 0}), Derive(0x7000, 4, {5, x, x, 5, x, x}));
}

TEST_F(DerivationTest, TypeF010WeighsTheSavingFigures)
{
    // c = trunc((3000 x 1.3 + 2000 x 1.2) x 0.5) = 3150.
    EXPECT_EQ((Thresholds{2150, 4150, 2150}), Derive(0xF010, 4, {x, 3000, x, 2000}));
    // Two processors: (3000 x 1.5 + 2000 x 0.95) x 0.5 = 3200.
    EXPECT_EQ((Thresholds{2200, 4200, 2200}), Derive(0xF010, 2, {x, 3000, x, 2000}));
    // PowerSavingLow above c: it is the base.
    EXPECT_EQ((Thresholds{2000, 4000, 2000}), Derive(0xF010, 4, {x, 3000, x, 100}));
}

TEST_F(DerivationTest, TypeF001RatioBandsAt12And33)
{
    // r = (NormHigh - PowerSavingLow) x PowerSavingLow / (10^6 x 2^2).
    // r = 12: weight 0.05, no exponent, + 100.
    EXPECT_EQ((Thresholds{6600, 6700, 6600}), Derive(0xF001, 2, {x, 6000, 14000, x}));
    // r just above 12: weight 0.07, + 2000.
    EXPECT_EQ((Thresholds{6760, 8760, 6760}), Derive(0xF001, 2, {x, 6000, 14001, x}));
    // r = 33: still no exponent.
    EXPECT_EQ((Thresholds{7740, 9740, 7740}), Derive(0xF001, 2, {x, 6000, 28000, x}));
    // r just above 33: 2^3 x 100 x 2.
    EXPECT_EQ((Thresholds{9140, 11140, 9140}), Derive(0xF001, 2, {x, 6000, 28001, x}));
}

TEST_F(DerivationTest, TypeF011RatioBandsAt4And17And120)
{
    // r = 4: exponent 1.
    EXPECT_EQ((Thresholds{4600, 4700, 4600}), Derive(0xF011, 2, {x, 4000, 8000, x}));
    // Above 4: exponent 0.
    EXPECT_EQ((Thresholds{4400, 4500, 4400}), Derive(0xF011, 2, {x, 4000, 8001, x}));
    // r = 17: weight 0.05, + 100.
    EXPECT_EQ((Thresholds{5050, 5150, 5050}), Derive(0xF011, 2, {x, 4000, 21000, x}));
    // Above 17: exponent 2, weight 0.07, + 2000.
    EXPECT_EQ((Thresholds{5990, 7990, 5990}), Derive(0xF011, 2, {x, 4000, 21001, x}));
    // r = 120: exponent 2.
    EXPECT_EQ((Thresholds{13200, 15200, 13200}), Derive(0xF011, 2, {x, 4000, 124000, x}));
    // Above 120: exponent 3.
    EXPECT_EQ((Thresholds{14000, 16000, 14000}), Derive(0xF011, 2, {x, 4000, 124001, x}));
}

TEST_F(DerivationTest, RatioWrapsWhenTheLoadedFigureIsBelowTheSavingOne)
{
    // (1000 - 3000) x 3000 in 32 bits is 4288967296: r = 268.06 with 4 processors, the top band
    // of both formulas: 2^3 x 100 x 4 + 0.93 x 3000 + 0.07 x 1000 + 0.5.
    EXPECT_EQ((Thresholds{6060, 8060, 6060}), Derive(0xF001, 4, {x, 3000, 1000, x}));
    EXPECT_EQ((Thresholds{6060, 8060, 6060}), Derive(0xF011, 4, {x, 3000, 1000, x}));
}

} // namespace
