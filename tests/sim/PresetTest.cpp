// Presets: every one loads and gives the board it promises; broken ones fail with a reason and
// leave the board alone; BoardSim.ini chooses the starting preset.
#include "tests/sim/SimTest.h"

#include <algorithm>
#include <fstream>

using simboard::Field;

namespace {

int32_t Item(uint32_t item)
{
    int32_t value = 0;
    EXPECT_TRUE(simboard::GetItem(item, &value)) << std::hex << item;
    return value;
}

bool ItemSupported(uint32_t item)
{
    simboard::ItemState state;
    return simboard::GetItemState(item, &state) && state.supported;
}

// A file in the stage for the lifetime of the object.
class StageFile
{
public:
    StageFile(const std::string& relative, const std::string& text)
        : m_path(simtest::StagePath(relative))
    {
        std::ofstream(m_path, std::ios::binary) << text;
    }
    ~StageFile() { DeleteFileA(m_path.c_str()); }

private:
    std::string m_path;
};

class PresetTest : public simtest::BoardTest
{};

TEST_F(PresetTest, EveryPresetOfTheBoardLoads)
{
    std::vector<std::string> names = simboard::PresetNames();
    for (const char* expected : {"default", "f000", "f010", "f011", "7000", "7010", "legacy",
                                 "level1", "unsupported", "overclocked", "chipb"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
    }
    for (const std::string& name : names) {
        std::string error;
        EXPECT_TRUE(simboard::Reset(name, &error)) << name << ": " << error;
        EXPECT_EQ(simboard::PresetName(), name);
    }
}

TEST_F(PresetTest, DefaultIsAFullyCapableBoard)
{
    EXPECT_EQ(simboard::FieldValue(Field::IsSupport), 1);
    EXPECT_EQ(Item(0x0B060003), 12); // bits 2 and 3: support level 4
    EXPECT_EQ(Item(0x0B060080), 0xF001);
    EXPECT_EQ(simboard::FieldValue(Field::IsKFanThreeSupported), 1);
    EXPECT_EQ(simboard::FieldValue(Field::CheckOC), 0);
    EXPECT_EQ(Item(0x09080000), 1);
    EXPECT_EQ(simboard::FieldValue(Field::Level), 0);
    std::vector<uint32_t> package = simboard::Package();
    ASSERT_GE(package.size(), 4u);
    EXPECT_GE(package[3] & 0xFF000000u, 0x02000000u);
    EXPECT_FALSE(simboard::IsChipClassB(simboard::ChipId()));
    EXPECT_FALSE(ItemSupported(0x11060004));
    EXPECT_EQ(simboard::CpuTemperatureHalf(), 91);
    simboard::ItemState vcore;
    ASSERT_TRUE(simboard::GetItemState(0x0B060023, &vcore));
    EXPECT_TRUE(vcore.banked);
}

TEST_F(PresetTest, ControllerTypePresets)
{
    const std::pair<const char*, int32_t> types[] = {
        {"f000", 0xF000}, {"f010", 0xF010}, {"f011", 0xF011}, {"7000", 0x7000}, {"7010", 0x7010}};
    for (const auto& type : types) {
        ASSERT_TRUE(simboard::Reset(type.first));
        EXPECT_EQ(Item(0x0B060080), type.second) << type.first;
        EXPECT_TRUE(ItemSupported(0x0B060080)) << type.first;
        EXPECT_EQ(Item(0x0B060003), 12) << type.first;
    }
}

TEST_F(PresetTest, BoardsWithSomethingMissing)
{
    ASSERT_TRUE(simboard::Reset("legacy"));
    EXPECT_FALSE(ItemSupported(0x0B060080));
    EXPECT_EQ(Item(0x0B060003), 3);
    EXPECT_LT(simboard::Package()[3], 0x02000000u);

    ASSERT_TRUE(simboard::Reset("level1"));
    EXPECT_EQ(Item(0x0B060003), 0);
    EXPECT_EQ(simboard::FieldValue(Field::IsSupport), 1);

    ASSERT_TRUE(simboard::Reset("unsupported"));
    EXPECT_NE(simboard::FieldValue(Field::IsSupport), 1);

    ASSERT_TRUE(simboard::Reset("overclocked"));
    EXPECT_EQ(simboard::FieldValue(Field::CheckOC), 1);
    int32_t status = Item(0x09080000);
    EXPECT_TRUE(status != 1 && status != 2) << status;

    ASSERT_TRUE(simboard::Reset("chipb"));
    EXPECT_TRUE(simboard::IsChipClassB(simboard::ChipId()));
    EXPECT_TRUE(ItemSupported(0x11060004));
}

TEST_F(PresetTest, ResetClearsJournalAndChipHistory)
{
    ASSERT_TRUE(simboard::SetItem(0x0B060003, 3));
    simtest::Module gear(simtest::StagePath("OptiGear.dll"));
    auto init = gear.Entry<simtest::BOOL8(__stdcall*)()>("OptiGearInit");
    ASSERT_NE(init, nullptr);
    init();
    ASSERT_TRUE(simboard::SetChipRegister(0, 0x10, 1));
    ASSERT_EQ(simboard::ReadJournal().entries.size(), 1u);

    ASSERT_TRUE(simboard::Reset("default"));
    EXPECT_TRUE(simboard::ReadJournal().entries.empty());
    EXPECT_TRUE(simboard::ReadChipWrites().writes.empty());
    EXPECT_EQ(Item(0x0B060003), 12);
    EXPECT_EQ(simboard::ChipRegister(0, 0x10), 0);
}

TEST_F(PresetTest, UnknownPresetLeavesTheBoardAsItWas)
{
    ASSERT_TRUE(simboard::Reset("f010"));
    for (const char* name : {"nope", "..\\default", "", "default.ini"}) {
        std::string error;
        EXPECT_FALSE(simboard::Reset(name, &error)) << name;
        EXPECT_NE(error.find("unknown preset"), std::string::npos) << error;
        EXPECT_EQ(simboard::PresetName(), "f010");
    }
}

TEST_F(PresetTest, BrokenPresetsFailWithTheirReason)
{
    const std::pair<const char*, const char*> broken[] = {
        {"[Board]\nNoSuchField=1\n", "unknown field NoSuchField"},
        {"[Board]\nLevel=12x\n", "bad number '12x'"},
        {"[Items]\n0x0B060003=1,2\n", "one value or four"},
        {"[Items]\n0x0B060003=3 sometimes\n", "bad item value"},
        {"[Preset]\nBase=zz_broken\n", "nest too deep"},
        {"[Preset]\nBase=nothing_here\n", "unknown preset 'nothing_here'"},
        {"[Chip]\n0x10:0x20=1\n", "out of range"},
        {"[Power]\nActiveScheme={1234}\n", "bad GUID"},
        {"[Colours]\nRed=1\n", "unknown section [Colours]"},
    };
    ASSERT_TRUE(simboard::Reset("f011"));
    for (const auto& preset : broken) {
        StageFile file("presets\\zz_broken.ini", preset.first);
        std::string error;
        EXPECT_FALSE(simboard::Reset("zz_broken", &error)) << preset.first;
        EXPECT_NE(error.find(preset.second), std::string::npos) << error;
        EXPECT_EQ(simboard::PresetName(), "f011");
    }
}

TEST_F(PresetTest, PresetBuildsOnItsBase)
{
    StageFile file("presets\\zz_derived.ini",
                   "[Preset]\nBase=chipb\n"
                   "[Board]\nSavingPercent=40\n"
                   "[Items]\n0x0B060023=5,6,7,8\n0x0B060002=1 writefail\n"
                   "[Chip]\n0:0x04=0x33\n");
    std::string error;
    ASSERT_TRUE(simboard::Reset("zz_derived", &error)) << error;
    EXPECT_TRUE(simboard::IsChipClassB(simboard::ChipId()));   // from chipb
    EXPECT_EQ(Item(0x0B060080), 0xF001);                       // from default
    EXPECT_EQ(simboard::FieldValue(Field::SavingPercent), 40); // its own
    EXPECT_EQ(simboard::ChipRegister(0, 0x04), 0x33);
    simboard::ItemState vcore, open;
    ASSERT_TRUE(simboard::GetItemState(0x0B060023, &vcore));
    EXPECT_EQ(vcore.bankValues[3], 8);
    ASSERT_TRUE(simboard::GetItemState(0x0B060002, &open));
    EXPECT_TRUE(open.writeFails);
}

TEST_F(PresetTest, BoardSimIniChoosesThePresetOfANewBoard)
{
    {
        StageFile ini("BoardSim.ini", "[BoardSim]\nPreset=7010\n");
        std::string error;
        ASSERT_TRUE(simboard::ResetToConfigured(&error)) << error;
        EXPECT_EQ(simboard::PresetName(), "7010");
    }
    ASSERT_TRUE(simboard::ResetToConfigured());
    EXPECT_EQ(simboard::PresetName(), "default");
    {
        StageFile ini("BoardSim.ini", "[BoardSim]\nPreset=f0l0\n");
        std::string error;
        EXPECT_FALSE(simboard::ResetToConfigured(&error));
        EXPECT_NE(error.find("unknown preset 'f0l0'"), std::string::npos) << error;
        EXPECT_EQ(simboard::PresetName(), "default");
    }
}

} // namespace
