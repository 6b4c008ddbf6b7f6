// The CPU power as each controller type encodes it, and the two energy accounts it feeds: ticks
// booked by the mode in force, stored as 8-byte doubles, loaded back, reset, and protected
// against stored values that are not numbers.
#include "power/GearItems.h"
#include "shell/base/RegistrySchema.h"
#include "tests/monitor/MonitorTestSupport.h"

#include <cmath>
#include <limits>

using monitortest::RegistryDouble;
using monitortest::WriteRegistryDouble;
using simboard::Field;
using Strings = std::vector<std::string>;

namespace {

constexpr const char* kMb = tv::reg::kQemMbKey;
constexpr const char* kVga = tv::reg::kQemVgaKey;

class PowerReadingTest : public monitortest::MonitorTest
{};

TEST_F(PowerReadingTest, FineScaleTypeCountsFiveMilliwattSteps)
{
    UseBoard("7010");
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuPower, 1000));
    EXPECT_DOUBLE_EQ(monitor.CpuPower(), 5.0);
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuPower, 9000));
    EXPECT_DOUBLE_EQ(monitor.CpuPower(), 45.0);
    EXPECT_EQ(monitortest::GearCalls(),
              (Strings{"OptiGearGetItem(0x0E0B0013)", "OptiGearGetItem(0x0E0B0013)"}));
}

TEST_F(PowerReadingTest, FamilyFCountsMilliwattsAndNeverBooksLessThanTheFloor)
{
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    ASSERT_EQ(monitor.ControllerType(), 0xF001u);
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuPower, 1000));
    EXPECT_DOUBLE_EQ(monitor.CpuPower(), 2.5) << "1.0 W raised to the floor";
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuPower, 2600));
    EXPECT_DOUBLE_EQ(monitor.CpuPower(), 2.6);
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuPower, 40000));
    EXPECT_DOUBLE_EQ(monitor.CpuPower(), 40.0);
    // A reading that fails counts as 0, which the floor turns into 2.5 W.
    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kCpuPower, true, true, false));
    EXPECT_DOUBLE_EQ(monitor.CpuPower(), 2.5);
}

TEST_F(PowerReadingTest, OtherTypesReadALinearElevenWordAndTraceIt)
{
    UseBoard("legacy");
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    ASSERT_EQ(monitor.ControllerType(), 0u);
    tvtest::TraceCapture trace;
    // Exponent 1, mantissa 20.
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuPower, (1 << 11) | 20));
    EXPECT_DOUBLE_EQ(monitor.CpuPower(), 40.0);
    // Exponent -2 (0b11110), mantissa 200; the high word is not part of the number.
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuPower, 0x1234F0C8));
    EXPECT_DOUBLE_EQ(monitor.CpuPower(), 50.0);
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] value:814 msb:1 lsb:14 power 40.000000"));
    EXPECT_TRUE(
        trace.Contains("~~~[CpuPowerMonitor] value:1234f0c8 msb:fffffffe lsb:c8 power 50.000000"));
    // Exponent -16 makes the smallest numbers: floored.
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuPower, 0x8000 | 2047));
    EXPECT_DOUBLE_EQ(monitor.CpuPower(), 2.5);
    // The board's own encoding of its live reading decodes to its power.
    ASSERT_TRUE(simboard::ClearItem(tv::item::kCpuPower));
    ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 0));
    EXPECT_NEAR(monitor.CpuPower(), 18.0, 0.01);
}

TEST(PowerDecoding, ByFamily)
{
    EXPECT_DOUBLE_EQ(tv::DecodeCpuPower(0x7000, 12345), 12.345);
    EXPECT_DOUBLE_EQ(tv::DecodeCpuPower(0xF011, 0xFFFFFFFFu), 4294967.295) << "unsigned";
    EXPECT_DOUBLE_EQ(tv::DecodeCpuPower(0x7010, 0xFFFFFFFFu), 21474836.475);
    EXPECT_DOUBLE_EQ(tv::DecodeCpuPower(0x1234, (15 << 11) | 2047), 2047.0 * 32768);
    EXPECT_DOUBLE_EQ(tv::DecodeCpuPower(0x1234, (0x10 << 11) | 1024), 1024.0 / 65536);
}

class EnergyTest : public monitortest::MonitorTest
{
protected:
    // 40 W on the default board (family F: milliwatts).
    void SetUp() override
    {
        monitortest::MonitorTest::SetUp();
        ASSERT_TRUE(simboard::SetItem(tv::item::kCpuPower, 40000));
    }
};

TEST_F(EnergyTest, ATickInMaxPowerSavingBooksItsShareOfThePower)
{
    tvtest::TraceCapture trace;
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] MB EnergySaving Load failed"));
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] VGA EnergySaving Load failed"));
    EXPECT_FALSE(tvtest::KeyExists(kMb)) << "nothing stored before the first tick";
    ASSERT_TRUE(simboard::SetField(Field::Level, 2));

    monitor.Tick(5);
    const double saving = 40 * 0.46 * 5 / 3600;
    EXPECT_DOUBLE_EQ(monitor.BoardCurrentPower(), 40.0);
    EXPECT_DOUBLE_EQ(monitor.BoardTotalSaving(), saving);
    EXPECT_DOUBLE_EQ(monitor.BoardCumulativeSaving(), saving);
    EXPECT_DOUBLE_EQ(RegistryDouble(kMb, "CurrentPower"), 40.0);
    EXPECT_DOUBLE_EQ(RegistryDouble(kMb, "TotalSaving"), saving);
    EXPECT_DOUBLE_EQ(RegistryDouble(kMb, "CumulativeSaving"), saving);
    // No card answered: its account books nothing but is stored as well.
    EXPECT_EQ(RegistryDouble(kVga, "TotalSaving"), 0.0);
    EXPECT_EQ(RegistryDouble(kVga, "CurrentPower"), 0.0);
    EXPECT_TRUE(trace.Contains("~~~[EnergySaving] CurrentPower:40.000000, QEM Staus:3, Facotr "
                               "0.460000, CurrentSaving:0.025556, TotalSaving:0.025556, "
                               "CumulativeSaving:0.025556"));

    // Medium power saving books its own factor; High performance and Turbo nothing.
    ASSERT_TRUE(simboard::SetField(Field::Level, 1));
    monitor.Tick(5);
    const double medium = saving + 40 * 0.26 * 5 / 3600;
    EXPECT_DOUBLE_EQ(RegistryDouble(kMb, "TotalSaving"), medium);
    ASSERT_TRUE(simboard::SetField(Field::Level, 0));
    monitor.Tick(5);
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x4000));
    monitor.Tick(5);
    EXPECT_DOUBLE_EQ(RegistryDouble(kMb, "TotalSaving"), medium);
    EXPECT_DOUBLE_EQ(RegistryDouble(kMb, "CumulativeSaving"), medium);
}

TEST_F(EnergyTest, StoredSumsAreLoadedAndResetLeavesTheTotal)
{
    ASSERT_TRUE(WriteRegistryDouble(kMb, "TotalSaving", 12.5));
    ASSERT_TRUE(WriteRegistryDouble(kMb, "CumulativeSaving", 3.25));
    ASSERT_TRUE(WriteRegistryDouble(kVga, "TotalSaving", 7.0));
    ASSERT_TRUE(WriteRegistryDouble(kVga, "CumulativeSaving", 1.0));
    tvtest::TraceCapture trace;
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_FALSE(trace.Contains("Load failed"));
    EXPECT_EQ(monitor.BoardTotalSaving(), 12.5);
    EXPECT_EQ(monitor.BoardCumulativeSaving(), 3.25);
    EXPECT_EQ(monitor.CardTotalSaving(), 7.0);
    EXPECT_EQ(monitor.CardCumulativeSaving(), 1.0);

    monitor.ResetCumulative();
    EXPECT_EQ(monitor.BoardTotalSaving(), 12.5);
    EXPECT_EQ(monitor.BoardCumulativeSaving(), 0.0);
    EXPECT_EQ(monitor.CardCumulativeSaving(), 0.0);
    EXPECT_EQ(RegistryDouble(kMb, "CumulativeSaving"), 3.25) << "stored by the next tick";

    ASSERT_TRUE(simboard::SetField(Field::Level, 2));
    monitor.Tick(5);
    const double saving = 40 * 0.46 * 5 / 3600;
    EXPECT_DOUBLE_EQ(RegistryDouble(kMb, "TotalSaving"), 12.5 + saving);
    EXPECT_DOUBLE_EQ(RegistryDouble(kMb, "CumulativeSaving"), saving);
    EXPECT_EQ(RegistryDouble(kVga, "TotalSaving"), 7.0);
    EXPECT_EQ(RegistryDouble(kVga, "CumulativeSaving"), 0.0);
}

TEST_F(EnergyTest, AMissingOrUnreadableSumZeroesBoth)
{
    // Only one of the two sums: both start at 0.
    ASSERT_TRUE(WriteRegistryDouble(kMb, "TotalSaving", 12.5));
    // A sum of the wrong type.
    ASSERT_TRUE(tvtest::WriteRawDword(kVga, "TotalSaving", 7));
    ASSERT_TRUE(WriteRegistryDouble(kVga, "CumulativeSaving", 1.0));
    tvtest::TraceCapture trace;
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] MB EnergySaving Load failed"));
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] VGA EnergySaving Load failed"));
    EXPECT_EQ(monitor.BoardTotalSaving(), 0.0);
    EXPECT_EQ(monitor.CardTotalSaving(), 0.0);
    EXPECT_EQ(monitor.CardCumulativeSaving(), 0.0);
}

TEST_F(EnergyTest, ASumThatIsNotANumberReadsAsAFailedLoad)
{
    ASSERT_TRUE(WriteRegistryDouble(kMb, "TotalSaving", std::numeric_limits<double>::quiet_NaN()));
    ASSERT_TRUE(WriteRegistryDouble(kMb, "CumulativeSaving", 3.0));
    ASSERT_TRUE(WriteRegistryDouble(kVga, "TotalSaving", 2.0));
    ASSERT_TRUE(
        WriteRegistryDouble(kVga, "CumulativeSaving", -std::numeric_limits<double>::infinity()));
    tvtest::TraceCapture trace;
    tv::CpuPowerMonitor& monitor = MakeMonitor();
    EXPECT_TRUE(trace.Contains("~~~[EnergySaving] Software\\KALDO\\Opti Gear3\\QEM\\MB holds a "
                               "saving that is not a number"));
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] MB EnergySaving Load failed"));
    EXPECT_TRUE(trace.Contains("~~~[CpuPowerMonitor] VGA EnergySaving Load failed"));
    EXPECT_EQ(monitor.BoardTotalSaving(), 0.0);
    EXPECT_EQ(monitor.BoardCumulativeSaving(), 0.0);
    EXPECT_EQ(monitor.CardTotalSaving(), 0.0);

    // The next tick stores sound figures over the corrupted ones.
    ASSERT_TRUE(simboard::SetField(Field::Level, 2));
    monitor.Tick(5);
    EXPECT_DOUBLE_EQ(RegistryDouble(kMb, "TotalSaving"), 40 * 0.46 * 5 / 3600);
    EXPECT_EQ(RegistryDouble(kVga, "CumulativeSaving"), 0.0);
}

} // namespace
