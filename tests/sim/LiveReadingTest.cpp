// Live readings: CPU power and current follow the gear and the CPU load, encoded per controller
// type; the Auto sub-level follows the load against the thresholds outside the F family; an
// explicit value holds until cleared. Power words are decoded here independently.
#include "tests/sim/SimTest.h"

#include <atomic>
#include <cmath>
#include <thread>

using simboard::Field;
using simtest::BOOL8;

namespace {

typedef BOOL8(__stdcall* GetItemFn)(int, int*);
typedef BOOL8(__stdcall* SetItemFn)(int, int);
typedef BOOL8(__stdcall* InInt)(int);

double DecodePower(int32_t type, uint32_t raw)
{
    bool fFamily = (type & 0xF000) == 0xF000;
    bool sevenFamily = (type & 0xF000) == 0x7000;
    if (fFamily || sevenFamily) {
        return raw * (type == 0x7010 ? 0.005 : 0.001);
    }
    uint16_t word = static_cast<uint16_t>(raw & 0xFFFF);
    int exponent = static_cast<int16_t>(word & 0xF800) >> 11;
    int mantissa = word & 0x7FF;
    return std::ldexp(mantissa, exponent);
}

class LiveReadingTest : public simtest::BoardTest
{
protected:
    void SetUp() override
    {
        simtest::BoardTest::SetUp();
        ASSERT_TRUE(m_gear.Loaded());
        m_get = m_gear.Entry<GetItemFn>("OptiGearGetItem");
        m_set = m_gear.Entry<SetItemFn>("OptiGearSetItem");
        m_setLevel = m_gear.Entry<InInt>("OptiGearSetLevel");
        m_supported = m_gear.Entry<InInt>("IsItemSupported");
        ASSERT_TRUE(m_get && m_set && m_setLevel && m_supported);
    }

    // A board whose power at a given load is easy to work out: 20 W idle, 100 W at full load in
    // High performance; the other gears in percent of that.
    void UseSimpleModel(int32_t loadPercent)
    {
        ASSERT_TRUE(simboard::SetField(Field::IdleMilliwatts, 20000));
        ASSERT_TRUE(simboard::SetField(Field::FullMilliwatts, 100000));
        ASSERT_TRUE(simboard::SetField(Field::TurboPercent, 110));
        ASSERT_TRUE(simboard::SetField(Field::MediumPercent, 75));
        ASSERT_TRUE(simboard::SetField(Field::SavingPercent, 50));
        ASSERT_TRUE(simboard::SetField(Field::CpuLoad, loadPercent));
    }

    // The controller type as the program learns it.
    int32_t ControllerType()
    {
        int value = 0;
        return m_supported(0x0B060080) && m_get(0x0B060080, &value) ? value : 0;
    }

    uint32_t Read(uint32_t item)
    {
        int value = 0;
        EXPECT_EQ(m_get(static_cast<int>(item), &value), 1) << std::hex << item;
        return static_cast<uint32_t>(value);
    }

    double Watts() { return DecodePower(ControllerType(), Read(0x0E0B0013)); }

    simtest::Module m_gear{simtest::StagePath("OptiGear.dll")};
    GetItemFn m_get = nullptr;
    SetItemFn m_set = nullptr;
    InInt m_setLevel = nullptr;
    InInt m_supported = nullptr;
};

TEST_F(LiveReadingTest, PowerDecodesToTheIntendedWattsOnEveryControllerType)
{
    const std::pair<int32_t, double> levels[] = {{0, 60.0}, {2, 30.0}, {0x4000, 66.0}, {1, 45.0}};
    for (const char* preset : {"default", "f000", "f010", "f011", "7000", "7010", "legacy"}) {
        ASSERT_TRUE(simboard::Reset(preset));
        UseSimpleModel(50);
        for (const auto& level : levels) {
            ASSERT_EQ(m_setLevel(level.first), 1);
            EXPECT_NEAR(Watts(), level.second, level.second / 1024) << preset << " " << level.first;
        }
        ASSERT_EQ(m_setLevel(0), 1);
        ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 33));
        EXPECT_NEAR(Watts(), 46.4, 46.4 / 1024) << preset;
        ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 0));
        EXPECT_NEAR(Watts(), 20.0, 20.0 / 1024) << preset;
    }
}

TEST_F(LiveReadingTest, EncodingsTellTheControllerTypesApart)
{
    const std::pair<const char*, uint32_t> raw[] = {
        {"default", 60000},                                          // milliwatts
        {"7000", 60000},                                             // milliwatts
        {"7010", 12000},                                             // 5-milliwatt steps
        {"legacy", (static_cast<uint32_t>(-5 & 0x1F) << 11) | 1920}, // 1920 * 2^-5
    };
    for (const auto& expected : raw) {
        ASSERT_TRUE(simboard::Reset(expected.first));
        UseSimpleModel(50);
        EXPECT_EQ(Read(0x0E0B0013), expected.second) << expected.first;
    }
}

TEST_F(LiveReadingTest, CpuCurrentIsOnTheScaleOfTheCalibration)
{
    // F family: milliamps, loads in the thousands; elsewhere amperes within 0..255.
    const std::pair<const char*, uint32_t> current[] = {
        {"default", 48000}, {"f010", 48000}, {"7000", 48}, {"7010", 48}, {"legacy", 48}};
    for (const auto& expected : current) {
        ASSERT_TRUE(simboard::Reset(expected.first));
        UseSimpleModel(50);
        EXPECT_EQ(Read(0x0E0A0011), expected.second) << expected.first;
    }
    ASSERT_TRUE(simboard::Reset("7010"));
    UseSimpleModel(100);
    ASSERT_EQ(m_setLevel(0x4000), 1);
    EXPECT_EQ(Read(0x0E0A0011), 88u); // 110 W
}

TEST_F(LiveReadingTest, AnExplicitValueHoldsUntilCleared)
{
    ASSERT_TRUE(simboard::Reset("legacy"));
    UseSimpleModel(50);
    // Exponent 1, mantissa 20: 40 W.
    ASSERT_TRUE(simboard::SetItem(0x0E0B0013, 0x0814));
    EXPECT_EQ(Read(0x0E0B0013), 0x0814u);
    EXPECT_DOUBLE_EQ(Watts(), 40.0);
    ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 100));
    EXPECT_DOUBLE_EQ(Watts(), 40.0);
    // Exponent -2, mantissa 200: 50 W.
    ASSERT_TRUE(simboard::SetItem(0x0E0B0013, 0xF0C8));
    EXPECT_DOUBLE_EQ(Watts(), 50.0);

    ASSERT_TRUE(simboard::ClearItem(0x0E0B0013));
    EXPECT_NEAR(Watts(), 100.0, 0.1);

    ASSERT_TRUE(simboard::SetItem(0x0E0A0011, 7));
    EXPECT_EQ(Read(0x0E0A0011), 7u);
    ASSERT_TRUE(simboard::ClearItem(0x0E0A0011));
    EXPECT_EQ(Read(0x0E0A0011), 80u);
}

TEST_F(LiveReadingTest, AutoSubLevelFollowsLoadAgainstThresholds)
{
    ASSERT_TRUE(simboard::Reset("7010"));
    UseSimpleModel(0);
    // The program's thresholds, as the facade sends them.
    ASSERT_EQ(m_set(0x0E0A0014, 20), 1);
    ASSERT_EQ(m_set(0x0E0A0015, 40), 1);
    ASSERT_EQ(m_set(0x0E0A0016, 255), 1);
    ASSERT_EQ(m_setLevel(0x8000), 1);

    // Idle at High performance: 20 W, 16 A, below threshold 1: the board saves (3)...
    EXPECT_EQ(Read(0x0E060001), 3u);
    // ... and then draws half: 10 W.
    EXPECT_NEAR(Watts(), 10.0, 0.01);
    EXPECT_EQ(Read(0x0E060001), 3u);

    // Full load: 100 W and 80 A at High performance, not below threshold 2: performance (1).
    ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 100));
    EXPECT_EQ(Read(0x0E060001), 1u);
    EXPECT_NEAR(Watts(), 100.0, 0.1);

    // 30 % at High performance: 44 W, 35 A, between thresholds 1 and 2: medium saving (2).
    ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 30));
    EXPECT_EQ(Read(0x0E060001), 2u);
    EXPECT_NEAR(Watts(), 33.0, 0.05);

    // Outside Auto the item keeps its last value.
    ASSERT_EQ(m_setLevel(0), 1);
    ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 100));
    EXPECT_EQ(Read(0x0E060001), 2u);
    EXPECT_NEAR(Watts(), 100.0, 0.1);

    // An explicit sub-level holds in Auto, and the power follows it.
    ASSERT_EQ(m_setLevel(0x8000), 1);
    ASSERT_TRUE(simboard::SetItem(0x0E060001, 3));
    EXPECT_EQ(Read(0x0E060001), 3u);
    EXPECT_NEAR(Watts(), 50.0, 0.1);
    ASSERT_TRUE(simboard::ClearItem(0x0E060001));
    EXPECT_EQ(Read(0x0E060001), 1u);
}

TEST_F(LiveReadingTest, PowerFollowsTheAutoChoiceThatNobodyRead)
{
    for (const char* preset : {"7000", "legacy"}) {
        ASSERT_TRUE(simboard::Reset(preset));
        UseSimpleModel(0);
        ASSERT_EQ(m_set(0x0E0A0014, 20), 1);
        ASSERT_EQ(m_set(0x0E0A0015, 40), 1);
        ASSERT_EQ(m_set(0x0E0A0016, 255), 1);
        ASSERT_EQ(m_setLevel(0x8000), 1);

        // Idle: 16 A at High performance, below threshold 1: max saving, half of 20 W.
        EXPECT_NEAR(Watts(), 10.0, 0.05) << preset;
        // Full load: 80 A: performance.
        ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 100));
        EXPECT_NEAR(Watts(), 100.0, 0.1) << preset;
        EXPECT_EQ(simboard::CpuPowerMilliwatts(), 100000u) << preset;
        // 30 %: 35 A, between thresholds 1 and 2: medium saving, 75 % of 44 W.
        ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 30));
        EXPECT_NEAR(Watts(), 33.0, 0.05) << preset;
        ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 0));
        EXPECT_NEAR(Watts(), 10.0, 0.05) << preset;

        // Nobody read the sub-level; looking at the board shows the choice and stores nothing.
        for (const simboard::JournalEntry& call :
             simboard::ReadJournal().Calls(simboard::Library::OptiGear, "OptiGearGetItem")) {
            EXPECT_NE(call.args.at(0), 0x0E060001) << preset;
        }
        EXPECT_NE(simboard::StatusText().find("  0x0E060001  3  live\n"), std::string::npos)
            << simboard::StatusText();
        int32_t shown = 0;
        ASSERT_TRUE(simboard::GetItem(0x0E060001, &shown));
        EXPECT_EQ(shown, 3);
        simboard::ItemState sub;
        ASSERT_TRUE(simboard::GetItemState(0x0E060001, &sub));
        EXPECT_EQ(sub.value, 1) << "the preset's value, untouched by reading";
        EXPECT_FALSE(sub.pinned);

        // Leaving Auto, the item keeps the board's last choice, still unread.
        ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 30));
        ASSERT_EQ(m_setLevel(0), 1);
        ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 100));
        EXPECT_EQ(Read(0x0E060001), 2u) << preset;
        EXPECT_NEAR(Watts(), 100.0, 0.1) << preset;
    }
}

TEST_F(LiveReadingTest, UncalibratedAutoRunsAtPerformance)
{
    ASSERT_TRUE(simboard::Reset("legacy"));
    UseSimpleModel(0);
    ASSERT_EQ(m_setLevel(0x8000), 1); // thresholds 0, 0, 255
    EXPECT_EQ(Read(0x0E060001), 1u);
    EXPECT_NEAR(Watts(), 20.0, 0.05);
}

TEST_F(LiveReadingTest, FFamilyAutoFollowsThePollNotTheBoard)
{
    UseSimpleModel(0);
    ASSERT_EQ(m_setLevel(0x8000), 1);
    EXPECT_EQ(Read(0x0E060001), 1u); // the preset's value, untouched
    EXPECT_NEAR(Watts(), 10.0, 0.01);
    ASSERT_EQ(m_set(0x0B060001, 0x8011), 1);
    EXPECT_NEAR(Watts(), 20.0, 0.01);
    ASSERT_EQ(m_set(0x0B060001, 0x8013), 1);
    EXPECT_NEAR(Watts(), 10.0, 0.01);
}

TEST_F(LiveReadingTest, RealLoadMovesTheReading)
{
    UseSimpleModel(-1);
    uint32_t idle = simboard::CpuLoadPermille();
    EXPECT_LE(idle, 1000u);
    double watts = Watts();
    EXPECT_GE(watts, 20.0 - 0.01);
    EXPECT_LE(watts, 100.0 + 0.01);

    // Every core busy: the machine's load is near full whatever else runs.
    std::atomic<bool> stop(false);
    std::vector<std::thread> burners;
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    for (DWORD i = 0; i < info.dwNumberOfProcessors; ++i) {
        burners.emplace_back([&] {
            volatile unsigned spin = 0;
            while (!stop) {
                ++spin;
            }
        });
    }
    Sleep(300);
    simboard::CpuLoadPermille(); // starts a fresh interval
    Sleep(600);
    uint32_t busy = simboard::CpuLoadPermille();
    stop = true;
    for (std::thread& burner : burners) {
        burner.join();
    }
    EXPECT_GE(busy, 700u);
}

} // namespace
