// boardsim.exe run as a process: status, get, set, clear, journal, and clear errors with exit
// code 2. The board is shared with this process, so what it changes shows here and the other way
// round; the other bitness's boardsim (when built) proves the layout is the same in both.
#include "tests/sim/SimTest.h"

using simboard::Field;
using simtest::Captured;

namespace {

class BoardSimCliTest : public simtest::BoardTest
{
protected:
    Captured Run(const std::string& arguments)
    {
        return simtest::RunCaptured(simtest::StagePath("boardsim.exe"), arguments);
    }
};

TEST_F(BoardSimCliTest, StatusShowsTheDefaultBoard)
{
    Captured run = Run("status");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("preset      default\n", 0), 0u) << run.out;
    for (const char* line :
         {"board       supported, support level 4 (capability word 12)\n",
          "controller  0xF001 (F family, milliwatts)\n", "gear level  0 (High performance)\n",
          "K-Fan 3     1\n", "doze-capable", "class A", "  0x0B060003  12\n"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    }
    EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST_F(BoardSimCliTest, GetSetAndClearReachThisProcess)
{
    Captured run = Run("get 0x0B060080");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "0xF001\n");

    EXPECT_EQ(Run("set 0x0B060003 3").exitCode, 0);
    int32_t value = 0;
    ASSERT_TRUE(simboard::GetItem(0x0B060003, &value));
    EXPECT_EQ(value, 3);
    EXPECT_EQ(Run("get 0x0B060003").out, "3\n");
    EXPECT_EQ(Run("clear 0x0B060003").exitCode, 0);
    EXPECT_EQ(Run("get 0x0B060003").out, "12\n");

    EXPECT_EQ(Run("set level 0x8000").exitCode, 0);
    EXPECT_EQ(simboard::FieldValue(Field::Level), 0x8000);
    EXPECT_EQ(Run("get 0x0B060001").out, "0x8000\n");
    EXPECT_EQ(Run("clear 0x0B060001").exitCode, 0);
    EXPECT_EQ(simboard::FieldValue(Field::Level), 0);
    ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 42));
    EXPECT_EQ(Run("get CpuLoad").out, "42\n");
    EXPECT_EQ(Run("set CpuLoad -1").exitCode, 0);
    EXPECT_EQ(simboard::FieldValue(Field::CpuLoad), -1);

    EXPECT_EQ(Run("set CpuTempHalf 100").exitCode, 0);
    EXPECT_EQ(simboard::CpuTemperatureHalf(), 100);
    EXPECT_EQ(Run("get ChipId").out, "0x8728\n");

    EXPECT_EQ(Run("flags 0x0B060002 readfail unsupported").exitCode, 0);
    simboard::ItemState state;
    ASSERT_TRUE(simboard::GetItemState(0x0B060002, &state));
    EXPECT_TRUE(state.readFails);
    EXPECT_FALSE(state.supported);
    EXPECT_FALSE(state.writeFails);

    EXPECT_EQ(Run("preset chipb").exitCode, 0);
    EXPECT_EQ(simboard::PresetName(), "chipb");
}

TEST_F(BoardSimCliTest, LiveReadingHeldAndReleased)
{
    ASSERT_TRUE(simboard::SetField(Field::CpuLoad, 50));
    std::string live = Run("get 0x0E0B0013").out;
    EXPECT_EQ(Run("set 0x0E0B0013 1234").exitCode, 0);
    EXPECT_EQ(Run("get 0x0E0B0013").out, "0x4D2\n");
    EXPECT_NE(Run("status").out.find("0x0E0B0013  0x4D2  set (live reading held)"),
              std::string::npos);
    EXPECT_EQ(Run("clear 0x0E0B0013").exitCode, 0);
    EXPECT_EQ(Run("get 0x0E0B0013").out, live);
}

TEST_F(BoardSimCliTest, JournalListsAndClears)
{
    simtest::Module gear(simtest::StagePath("OptiGear.dll"));
    auto setLevel = gear.Entry<simtest::BOOL8(__stdcall*)(int)>("OptiGearSetLevel");
    ASSERT_NE(setLevel, nullptr);
    setLevel(2);
    Captured run = Run("journal");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("OptiGear OptiGearSetLevel(2) = 1\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1 calls shown, 0 dropped"), std::string::npos) << run.out;
    EXPECT_EQ(Run("journal --clear").exitCode, 0);
    EXPECT_TRUE(simboard::ReadJournal().entries.empty());
}

TEST_F(BoardSimCliTest, ChipRegistersLevelAndOverclockAnswer)
{
    // Without --bank: the bank register 0x4E selects now.
    ASSERT_TRUE(simboard::SetChipRegister(0, 0x4E, 0x0A));
    EXPECT_EQ(Run("chip set 0x51 0x21").exitCode, 0);
    EXPECT_EQ(simboard::ChipRegister(0x0A, 0x51), 0x21);
    EXPECT_EQ(Run("chip set 0x6F 50 --bank 0").exitCode, 0);
    EXPECT_EQ(simboard::ChipRegister(0, 0x6F), 50);
    EXPECT_EQ(Run("chip get 0x51").out, "33\n");
    EXPECT_EQ(Run("chip get 0x50 --bank 1").out, "45\n");
    EXPECT_EQ(Run("chip set 0x4E 1").exitCode, 0);
    EXPECT_EQ(simboard::ChipBank(), 1);
    EXPECT_TRUE(simboard::ReadChip().accesses.empty()) << "the control side is not recorded";

    for (const auto& level :
         std::vector<std::pair<const char*, int32_t>>{{"turbo", 0x4000}, {"0x2", 2}}) {
        EXPECT_EQ(Run(std::string("level ") + level.first).exitCode, 0) << level.first;
        EXPECT_EQ(simboard::FieldValue(Field::Level), level.second) << level.first;
    }
    ASSERT_EQ(Run("level Auto").exitCode, 0);
    int32_t item = 0;
    ASSERT_TRUE(simboard::GetItem(0x0B060001, &item));
    EXPECT_EQ(item, 0x8000);
    EXPECT_EQ(Run("level").out, "0x8000\n");

    EXPECT_EQ(Run("overclock").out, "off\n");
    EXPECT_EQ(Run("overclock on").exitCode, 0);
    EXPECT_EQ(simboard::FieldValue(Field::CheckOC), 1);
    ASSERT_TRUE(simboard::GetItem(0x09080000, &item));
    EXPECT_EQ(item, 0);
    EXPECT_EQ(Run("overclock").out, "on\n");
    EXPECT_EQ(Run("overclock fail").exitCode, 0);
    EXPECT_EQ(simboard::FieldValue(Field::CheckOCFails), 1);
    EXPECT_EQ(Run("overclock").out, "fail\n");
    EXPECT_EQ(Run("overclock off").exitCode, 0);
    EXPECT_EQ(simboard::FieldValue(Field::CheckOCFails), 0);
    EXPECT_EQ(simboard::FieldValue(Field::CheckOC), 0);
    ASSERT_TRUE(simboard::GetItem(0x09080000, &item));
    EXPECT_EQ(item, 1);
}

TEST_F(BoardSimCliTest, FirmwarePackageAndPowerScheme)
{
    EXPECT_EQ(Run("package 0x10, 2,3 0x01000000").exitCode, 0);
    EXPECT_EQ(simboard::Package(), (std::vector<uint32_t>{0x10, 2, 3, 0x01000000}));
    EXPECT_EQ(Run("package").out, "16, 2, 3, 0x01000000\n");
    EXPECT_NE(Run("status").out.find("element 3 = 0x01000000 (not doze-capable)"),
              std::string::npos);

    EXPECT_EQ(Run("scheme high").exitCode, 0);
    GUID scheme = {};
    ASSERT_TRUE(simboard::GetActiveScheme(&scheme));
    EXPECT_EQ(scheme.Data1, 0x8C5E7FDAu);
    EXPECT_EQ(Run("scheme {381B4222-F694-41F0-9685-FF5BB260DF2E}").exitCode, 0);
    EXPECT_EQ(Run("scheme").out, "{381B4222-F694-41F0-9685-FF5BB260DF2E}\n");
}

TEST_F(BoardSimCliTest, HelpListsEveryCommandAndTheRecordFormat)
{
    Captured run = Run("--help");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.empty());
    for (const char* text : {"  preset NAME",
                             "  presets",
                             "  status",
                             "  get NAME",
                             "  set NAME VALUE",
                             "  clear ITEM",
                             "  flags ITEM",
                             "  level [LEVEL]",
                             "  overclock [on|off|fail]",
                             "  delay LIB FUNC MS",
                             "  delay --clear",
                             "  chip get REG [--bank N]",
                             "  chip set REG VALUE [--bank N]",
                             "  journal [--since SEQ]",
                             "  journal --clear",
                             "  chip [--since SEQ]",
                             "  chip --clear",
                             "  sequence",
                             "  SEQ MS PID TEXT",
                             "-- N dropped, the newest SEQ --"}) {
        EXPECT_NE(run.out.find(text), std::string::npos) << text;
    }
}

TEST_F(BoardSimCliTest, ClearErrors)
{
    const struct
    {
        const char* arguments;
        const char* message;
    } errors[] = {
        {"preset nope", "boardsim: unknown preset 'nope' (presets: 7000, 7010, chipb, default"},
        {"get 0x12345678", "boardsim: unknown item 0x12345678"},
        {"set 0x12345678 1", "boardsim: unknown item 0x12345678"},
        {"set 0x0B060003 12x", "boardsim: bad number '12x'"},
        {"set 0x0B060003 0x100000000", "boardsim: bad number"},
        {"get NoSuchThing", "boardsim: unknown item or field 'NoSuchThing'"},
        {"clear Level", "boardsim: not an item: Level"},
        {"flags 0x0B060003 sometimes", "boardsim: unknown flag 'sometimes'"},
        {"set CpuTempHalf 999", "out of range"},
        {"", "usage: boardsim COMMAND"},
        {"dance", "bad command line: dance"},
        {"journal --all", "usage: boardsim COMMAND"},
        {"journal --since", "usage: boardsim COMMAND"},
        {"journal --since 12x", "usage: boardsim COMMAND"},
        {"chip get 0x100", "bad register '0x100'"},
        {"chip set 0x20 256", "bad register value '256'"},
        {"chip set 0x20 1 --bank 16", "bad bank '16'"},
        {"chip get 0x20 --bnak 1", "usage: boardsim COMMAND"},
        {"level 7", "not a gear level: '7'"},
        {"level fast", "not a gear level: 'fast'"},
        {"overclock maybe", "overclock on|off|fail, not 'maybe'"},
        {"delay OptiGear", "usage: boardsim COMMAND"},
        {"package 1,x", "bad number 'x'"},
        {"scheme fast", "not a scheme: 'fast'"},
    };
    for (const auto& error : errors) {
        Captured run = Run(error.arguments);
        EXPECT_EQ(run.exitCode, 2) << error.arguments;
        EXPECT_NE(run.err.find(error.message), std::string::npos)
            << error.arguments << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << error.arguments << ": " << run.out;
    }
    EXPECT_EQ(simboard::PresetName(), "default");
    int32_t value = 0;
    ASSERT_TRUE(simboard::GetItem(0x0B060003, &value));
    EXPECT_EQ(value, 12);
}

TEST_F(BoardSimCliTest, TheOtherBitnessSharesTheBoard)
{
#ifdef _WIN64
    const char* other = "i686";
#else
    const char* other = "x86_64";
#endif
    std::string program = tvtest::StageDir() + "..\\..\\" + other + "\\stage\\boardsim.exe";
    if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "the " << other << " build is missing";
    }
    ASSERT_EQ(simtest::RunCaptured(program, "set 0x0E0A0015 4150").exitCode, 0);
    int32_t value = 0;
    ASSERT_TRUE(simboard::GetItem(0x0E0A0015, &value));
    EXPECT_EQ(value, 4150);

    ASSERT_TRUE(simboard::SetField(Field::SpindownSeconds, 3600));
    simtest::Module gear(simtest::StagePath("OptiGear.dll"));
    auto setItem = gear.Entry<simtest::BOOL8(__stdcall*)(int, int)>("OptiGearSetItem");
    ASSERT_NE(setItem, nullptr);
    setItem(0x0E0A0016, 2150);
    EXPECT_EQ(simtest::RunCaptured(program, "get SpindownSeconds").out, "0xE10\n");
    Captured journal = simtest::RunCaptured(program, "journal");
    EXPECT_NE(journal.out.find("OptiGear OptiGearSetItem(0x0E0A0016, 0x866) = 1"),
              std::string::npos)
        << journal.out;
    Captured status = simtest::RunCaptured(program, "status");
    EXPECT_NE(status.out.find("  0x0E0A0016  0x866\n"), std::string::npos) << status.out;
}

} // namespace
