// The journal: every export call of every stand-in, in order, with arguments, result and out
// value; a ring with an overflow count. Also how the power-gear stand-in answers.
#include "tests/sim/SimTest.h"

using simboard::Field;
using simboard::Library;
using simtest::BOOL8;

namespace {

typedef BOOL8(__stdcall* NoArgs)();
typedef BOOL8(__stdcall* OutInt)(int*);
typedef BOOL8(__stdcall* InInt)(int);
typedef BOOL8(__stdcall* GetItemFn)(int, int*);
typedef BOOL8(__stdcall* SetItemFn)(int, int);
typedef BOOL8(__stdcall* SetItemExFn)(int, int, int);
typedef BOOL8(__stdcall* FourInts)(int, int, int, int);
typedef BOOL8(__stdcall* SpindownFn)(DWORD*);

class OptiGearTest : public simtest::BoardTest
{
protected:
    void SetUp() override
    {
        simtest::BoardTest::SetUp();
        ASSERT_TRUE(m_gear.Loaded());
    }

    template <typename Function> Function Entry(const char* name)
    {
        Function entry = m_gear.Entry<Function>(name);
        EXPECT_NE(entry, nullptr) << name;
        return entry;
    }

    simtest::Module m_gear{simtest::StagePath("OptiGear.dll")};
};

TEST_F(OptiGearTest, AllExportsByTheirUndecoratedNames)
{
    for (const char* name : {"OptiGearInit",
                             "OptiGearIsSupport",
                             "OptiGearCheckOC",
                             "OptiGearGetLevel",
                             "OptiGearSetLevel",
                             "OptiGearCheckReboot",
                             "IsOptiDozeSupported",
                             "IsFanControlSupported",
                             "IsOptiBoostSupported",
                             "IsOptiBoostTwoSupported",
                             "IsOptiBoostThreeSupported",
                             "IsHxRemoteSupported",
                             "IsOptiNitroSupported",
                             "IsThermostatSupported",
                             "IsOptiGearTwoSupported",
                             "IsKFanThreeSupported",
                             "OptiGearButtonEnable",
                             "OptiGearGetItem",
                             "OptiGearSetItem",
                             "SetItemEx",
                             "IsItemSupported",
                             "GetStringList",
                             "GetItemDefaultValue",
                             "GetItemInformation"}) {
        EXPECT_NE(GetProcAddress(m_gear.Handle(), name), nullptr) << name;
    }
}

TEST_F(OptiGearTest, JournalRecordsCallsInOrder)
{
    const uint32_t mark = simboard::LastSequence();
    const uint64_t startMs = simboard::ClockMs();
    int value = -7;
    EXPECT_EQ(Entry<NoArgs>("OptiGearInit")(), 1);
    EXPECT_EQ(Entry<OutInt>("OptiGearIsSupport")(&value), 1);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(Entry<GetItemFn>("OptiGearGetItem")(0x0B060003, &value), 1);
    EXPECT_EQ(value, 12);
    EXPECT_EQ(Entry<InInt>("OptiGearSetLevel")(2), 1);
    EXPECT_EQ(Entry<InInt>("OptiGearSetLevel")(7), 0); // not a gear level
    EXPECT_EQ(Entry<SetItemFn>("OptiGearSetItem")(0x0E0A0014, 77), 1);
    EXPECT_EQ(Entry<FourInts>("GetStringList")(1, 2, 3, 4), 0);

    simboard::Journal journal = simboard::ReadJournal();
    EXPECT_EQ(journal.overflow, 0u);
    std::vector<std::string> texts;
    for (const simboard::JournalEntry& entry : journal.entries) {
        texts.push_back(entry.Text());
        EXPECT_EQ(entry.processId, GetCurrentProcessId());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "OptiGear OptiGearInit() = 1",
                         "OptiGear OptiGearIsSupport() = 1 -> 1",
                         "OptiGear OptiGearGetItem(0x0B060003) = 1 -> 12",
                         "OptiGear OptiGearSetLevel(2) = 1",
                         "OptiGear OptiGearSetLevel(7) = 0",
                         "OptiGear OptiGearSetItem(0x0E0A0014, 77) = 1",
                         "OptiGear GetStringList(1, 2, 3, 4) = 0",
                     }));
    ASSERT_EQ(journal.entries.size(), 7u);
    // Nothing else numbered in between: the counter is this test's alone.
    for (size_t i = 0; i < journal.entries.size(); ++i) {
        EXPECT_EQ(journal.entries[i].sequence, mark + 1 + i);
        EXPECT_GE(journal.entries[i].ms, i ? journal.entries[i - 1].ms : startMs);
    }
    EXPECT_LE(journal.entries.back().ms, simboard::ClockMs());
    EXPECT_EQ(simboard::LastSequence(), mark + 7);
    EXPECT_EQ(journal.Signatures(Library::OptiGear, "OptiGearSetLevel"),
              (std::vector<std::string>{"OptiGearSetLevel(2)", "OptiGearSetLevel(7)"}));
    EXPECT_EQ(simboard::FieldValue(Field::Level), 2);

    // A clear forgets the calls, not the count: numbers are never given twice.
    ASSERT_TRUE(simboard::ClearJournal());
    EXPECT_TRUE(simboard::ReadJournal().entries.empty());
    Entry<NoArgs>("OptiGearInit")();
    EXPECT_EQ(simboard::ReadJournal().entries.at(0).sequence, mark + 8);
    ASSERT_TRUE(simboard::Reset("default"));
    Entry<NoArgs>("OptiGearInit")();
    EXPECT_EQ(simboard::ReadJournal().entries.at(0).sequence, mark + 9);
}

TEST_F(OptiGearTest, RingKeepsTheNewestAndCountsTheDropped)
{
    auto supported = Entry<InInt>("IsItemSupported");
    const uint32_t mark = simboard::LastSequence();
    const int calls = 4096 + 37;
    for (int i = 0; i < calls; ++i) {
        supported(i);
    }
    simboard::Journal journal = simboard::ReadJournal();
    EXPECT_EQ(journal.overflow, 37u);
    EXPECT_EQ(journal.lastDropped, mark + 37);
    EXPECT_TRUE(journal.DroppedAfter(mark));
    EXPECT_TRUE(journal.DroppedAfter(mark + 36));
    EXPECT_FALSE(journal.DroppedAfter(mark + 37));
    ASSERT_EQ(journal.entries.size(), 4096u);
    for (size_t i = 0; i < journal.entries.size(); ++i) {
        const simboard::JournalEntry& entry = journal.entries[i];
        ASSERT_EQ(entry.sequence, mark + 38 + i);
        ASSERT_EQ(entry.args, std::vector<int32_t>{static_cast<int32_t>(37 + i)});
    }

    // Read since a number: exactly the newer calls, and no loss to report after the drops.
    simboard::Journal recent = simboard::ReadJournal(mark + 4000);
    ASSERT_EQ(recent.entries.size(), 133u);
    EXPECT_EQ(recent.entries.front().sequence, mark + 4001);
    EXPECT_EQ(recent.entries.front().args, std::vector<int32_t>{4000});
    EXPECT_FALSE(recent.DroppedAfter(mark + 4000));
    EXPECT_TRUE(simboard::ReadJournal(mark + calls).entries.empty());

    // boardsim marks the loss where it concerns what it lists.
    const std::string boardsim = simtest::StagePath("boardsim.exe");
    const std::string marker = "-- 37 dropped, the newest " + std::to_string(mark + 37) + " --\n";
    simtest::Captured run = simtest::RunCaptured(boardsim, "journal");
    EXPECT_EQ(run.out.rfind(marker + std::to_string(mark + 38) + " ", 0), 0u)
        << run.out.substr(0, 200);
    EXPECT_NE(run.out.find("\n4096 calls shown, 37 dropped\n"), std::string::npos);
    run = simtest::RunCaptured(boardsim, "journal --since " + std::to_string(mark + 36));
    EXPECT_EQ(run.out.rfind(marker, 0), 0u) << "a dropped call came after the number";
    run = simtest::RunCaptured(boardsim, "journal --since " + std::to_string(mark + 4130));
    EXPECT_EQ(run.out.rfind(std::to_string(mark + 4131) + " ", 0), 0u) << "nothing lost after it";
    EXPECT_NE(run.out.find("\n3 calls shown, 37 dropped\n"), std::string::npos) << run.out;

    ASSERT_TRUE(simboard::ClearJournal());
    supported(1);
    journal = simboard::ReadJournal();
    EXPECT_EQ(journal.overflow, 0u);
    EXPECT_FALSE(journal.DroppedAfter(0));
}

TEST_F(OptiGearTest, LevelChangesOfALevelOneBoardShowInOrder)
{
    ASSERT_TRUE(simboard::Reset("level1"));
    ASSERT_TRUE(simboard::SetField(Field::Level, 0x8000));
    int level = 0;
    EXPECT_EQ(Entry<OutInt>("OptiGearGetLevel")(&level), 1);
    EXPECT_EQ(level, 0x8000);
    Entry<InInt>("OptiGearSetLevel")(0);
    Entry<InInt>("OptiGearSetLevel")(2);
    EXPECT_EQ(simboard::ReadJournal().Signatures(Library::OptiGear, "OptiGearSetLevel"),
              (std::vector<std::string>{"OptiGearSetLevel(0)", "OptiGearSetLevel(2)"}));
    int32_t item = 0;
    ASSERT_TRUE(simboard::GetItem(0x0B060001, &item));
    EXPECT_EQ(item, 2);
}

TEST_F(OptiGearTest, ItemFlagsAndUnknownItems)
{
    auto get = Entry<GetItemFn>("OptiGearGetItem");
    auto set = Entry<SetItemFn>("OptiGearSetItem");
    auto supported = Entry<InInt>("IsItemSupported");
    int value = 99;

    EXPECT_EQ(get(0x12345678, &value), 0);
    EXPECT_EQ(supported(0x12345678), 0);
    EXPECT_EQ(value, 99);
    EXPECT_EQ(get(0x0B060003, nullptr), 0); // no crash on a null out pointer

    EXPECT_EQ(supported(0x11060004), 0);
    EXPECT_EQ(get(0x11060004, &value), 0);

    ASSERT_TRUE(simboard::SetItemFlags(0x0B060003, true, true, false));
    EXPECT_EQ(supported(0x0B060003), 1);
    EXPECT_EQ(get(0x0B060003, &value), 0);

    ASSERT_TRUE(simboard::SetItemFlags(0x0B060002, true, false, true));
    EXPECT_EQ(set(0x0B060002, 1), 0);
    int32_t stored = -1;
    ASSERT_TRUE(simboard::GetItem(0x0B060002, &stored));
    EXPECT_EQ(stored, 0);

    EXPECT_EQ(set(0x0B060002, 0), 0);
    ASSERT_TRUE(simboard::SetItemFlags(0x0B060002, true, false, false));
    EXPECT_EQ(set(0x0B060002, 1), 1);
    EXPECT_EQ(get(0x0B060002, &value), 1);
    EXPECT_EQ(value, 1);
}

TEST_F(OptiGearTest, UnsupportedBoardAnswersNoItemAndNoLevel)
{
    ASSERT_TRUE(simboard::Reset("unsupported"));
    int value = 5;
    EXPECT_EQ(Entry<OutInt>("OptiGearIsSupport")(&value), 1);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(Entry<GetItemFn>("OptiGearGetItem")(0x0B060003, &value), 0);
    EXPECT_EQ(Entry<InInt>("IsItemSupported")(0x0B060080), 0);
    EXPECT_EQ(Entry<InInt>("OptiGearSetLevel")(2), 0);
    EXPECT_EQ(Entry<OutInt>("OptiGearGetLevel")(&value), 0);
    EXPECT_EQ(Entry<NoArgs>("IsKFanThreeSupported")(), 0);

    ASSERT_TRUE(simboard::SetField(Field::IsSupportFails, 1));
    EXPECT_EQ(Entry<OutInt>("OptiGearIsSupport")(&value), 0);
}

TEST_F(OptiGearTest, AnswersComeFromTheBoard)
{
    int value = 0;
    EXPECT_EQ(Entry<NoArgs>("IsKFanThreeSupported")(), 1);
    ASSERT_TRUE(simboard::SetField(Field::IsKFanThreeSupported, 0));
    EXPECT_EQ(Entry<NoArgs>("IsKFanThreeSupported")(), 0);

    EXPECT_EQ(Entry<OutInt>("OptiGearCheckOC")(&value), 1);
    EXPECT_EQ(value, 0);
    ASSERT_TRUE(simboard::Reset("overclocked"));
    EXPECT_EQ(Entry<OutInt>("OptiGearCheckOC")(&value), 1);
    EXPECT_EQ(value, 1);
    ASSERT_TRUE(simboard::SetField(Field::CheckOCFails, 1));
    EXPECT_EQ(Entry<OutInt>("OptiGearCheckOC")(&value), 0);

    EXPECT_EQ(Entry<GetItemFn>("GetItemDefaultValue")(0x0E0A0016, &value), 1);
    EXPECT_EQ(value, 255);
    EXPECT_EQ(Entry<GetItemFn>("GetItemInformation")(0x0E0B0013, &value), 1);
    EXPECT_EQ(value, 1 | 2 | 4 | 16);
}

TEST_F(OptiGearTest, LevelItemAndProfileBanks)
{
    auto get = Entry<GetItemFn>("OptiGearGetItem");
    auto set = Entry<SetItemFn>("OptiGearSetItem");
    auto getLevel = Entry<OutInt>("OptiGearGetLevel");
    int value = 0;

    // The Auto poll's writes keep the board in Auto.
    EXPECT_EQ(set(0x0B060001, 0x8000), 1);
    EXPECT_EQ(set(0x0B060001, 0x8013), 1);
    EXPECT_EQ(getLevel(&value), 1);
    EXPECT_EQ(value, 0x8000);
    EXPECT_EQ(get(0x0B060001, &value), 1);
    EXPECT_EQ(value, 0x8013);
    EXPECT_EQ(set(0x0B060001, 0), 1);
    EXPECT_EQ(getLevel(&value), 1);
    EXPECT_EQ(value, 0);

    // vCore 0x0B060023 holds 0, 0, 1, 2 by profile bank.
    const int expected[] = {0, 0, 1, 2};
    for (int bank = 0; bank < 4; ++bank) {
        EXPECT_EQ(set(0x0B060010, bank), 1);
        EXPECT_EQ(get(0x0B060023, &value), 1);
        EXPECT_EQ(value, expected[bank]) << bank;
    }
    EXPECT_EQ(set(0x0B060010, 2), 1);
    EXPECT_EQ(set(0x0B060023, 9), 1);
    EXPECT_EQ(set(0x0B060010, 3), 1);
    EXPECT_EQ(get(0x0B060023, &value), 1);
    EXPECT_EQ(value, 2);
    simboard::ItemState vcore;
    ASSERT_TRUE(simboard::GetItemState(0x0B060023, &vcore));
    EXPECT_EQ(vcore.bankValues[2], 9);

    EXPECT_EQ(set(0x0B060010, 4), 1); // out of range: banked items answer nothing
    EXPECT_EQ(get(0x0B060023, &value), 0);
}

TEST_F(OptiGearTest, SetItemExStoresItsValue)
{
    ASSERT_TRUE(simboard::Reset("chipb"));
    EXPECT_EQ(Entry<SetItemExFn>("SetItemEx")(0x11060004, 0, 1), 1);
    int32_t value = 0;
    ASSERT_TRUE(simboard::GetItem(0x11060004, &value));
    EXPECT_EQ(value, 1);
    EXPECT_EQ(simboard::ReadJournal().Signatures(Library::OptiGear),
              std::vector<std::string>{"SetItemEx(0x11060004, 0, 1)"});
}

class OtherLibrariesTest : public simtest::BoardTest
{};

TEST_F(OtherLibrariesTest, DozeMuteAndSpindownAreJournaledWithTheirLibraries)
{
    simtest::Module doze(simtest::StagePath("OptiDoze.dll"));
    simtest::Module vvc(simtest::StagePath("vvc.dll"));
    simtest::Module spindown(simtest::StagePath("KdSpindownTimeout.dll"));
    ASSERT_TRUE(doze.Loaded() && vvc.Loaded() && spindown.Loaded());
    for (const char* name : {"OptiDozeInit",
                             "OptiDozeIsSupport",
                             "OptiGearIsSupport",
                             "OptiDozeCheckReboot",
                             "OptiDozeEnable",
                             "OptiDozeDisable",
                             "OptiDozeWake",
                             "OptiDozeSleep",
                             "OptiDozeSound",
                             "OptiDozeScreen",
                             "GetLevel",
                             "SetLevel",
                             "IsOptiDoze",
                             "IsThermostatSupported",
                             "OptiHushIsSupport",
                             "GetPowerButtonSetting",
                             "SetPowerButtonSetting",
                             "OptiDozeGetItem",
                             "OptiDozeSetItem",
                             "IsItemSupported",
                             "IsKFanThreeSupported"}) {
        EXPECT_NE(GetProcAddress(doze.Handle(), name), nullptr) << name;
    }

    EXPECT_EQ(doze.Entry<NoArgs>("OptiDozeInit")(), 1);
    EXPECT_EQ(doze.Entry<InInt>("IsItemSupported")(0x0B060003), 1);
    EXPECT_EQ(doze.Entry<NoArgs>("IsKFanThreeSupported")(), 1);
    EXPECT_EQ(doze.Entry<InInt>("OptiDozeScreen")(0), 1);
    EXPECT_EQ(simboard::FieldValue(Field::Screen), 0);
    EXPECT_EQ(doze.Entry<InInt>("OptiDozeSound")(0), 1);
    EXPECT_EQ(doze.Entry<InInt>("OptiDozeSound")(5), 0);
    EXPECT_EQ(simboard::FieldValue(Field::Sound), 0);
    EXPECT_EQ(vvc.Entry<InInt>("VISTA_SetMute")(1), 1);
    EXPECT_EQ(simboard::FieldValue(Field::Mute), 1);
    DWORD seconds = 900;
    EXPECT_EQ(spindown.Entry<SpindownFn>("KdSetSpindownTimeout")(&seconds), 1);
    EXPECT_EQ(spindown.Entry<SpindownFn>("KdSetSpindownTimeout")(nullptr), 0);
    seconds = 0;
    EXPECT_EQ(spindown.Entry<SpindownFn>("KdGetSpindownTimeout")(&seconds), 1);
    EXPECT_EQ(seconds, 900u);

    std::vector<std::string> texts;
    for (const simboard::JournalEntry& entry : simboard::ReadJournal().entries) {
        texts.push_back(entry.Text());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "OptiDoze OptiDozeInit() = 1",
                         "OptiDoze IsItemSupported(0x0B060003) = 1",
                         "OptiDoze IsKFanThreeSupported() = 1",
                         "OptiDoze OptiDozeScreen(0) = 1",
                         "OptiDoze OptiDozeSound(0) = 1",
                         "OptiDoze OptiDozeSound(5) = 0",
                         "vvc VISTA_SetMute(1) = 1",
                         "KdSpindownTimeout KdSetSpindownTimeout(0x384) = 1",
                         "KdSpindownTimeout KdSetSpindownTimeout() = 0",
                         "KdSpindownTimeout KdGetSpindownTimeout() = 1 -> 0x384",
                     }));
}

TEST_F(OtherLibrariesTest, SharedCapabilityQueriesAgreeWithThePowerGearLibrary)
{
    simtest::Module gear(simtest::StagePath("OptiGear.dll"));
    simtest::Module doze(simtest::StagePath("OptiDoze.dll"));
    ASSERT_TRUE(gear.Loaded() && doze.Loaded());
    auto answers = [&](const char* query) {
        return std::make_pair(gear.Entry<NoArgs>(query)(), doze.Entry<NoArgs>(query)());
    };
    const std::pair<BOOL8, BOOL8> yes(1, 1), no(0, 0);
    for (const char* query : {"IsKFanThreeSupported", "IsThermostatSupported"}) {
        ASSERT_TRUE(simboard::Reset("default"));
        EXPECT_EQ(answers(query), yes) << query;
        ASSERT_TRUE(simboard::Reset("unsupported"));
        EXPECT_EQ(answers(query), no) << query;
        ASSERT_TRUE(simboard::SetField(Field::IsSupport, 1));
        EXPECT_EQ(answers(query), yes) << query;
        ASSERT_TRUE(simboard::SetField(Field::IsSupportFails, 1));
        EXPECT_EQ(answers(query), no) << query;
    }
    ASSERT_TRUE(simboard::Reset("unsupported"));
    EXPECT_NE(simboard::StatusText().find("K-Fan 3     0\n"), std::string::npos);
    ASSERT_TRUE(simboard::Reset("default"));
    ASSERT_TRUE(simboard::SetField(Field::IsKFanThreeSupported, 0));
    EXPECT_EQ(answers("IsKFanThreeSupported"), no);
    EXPECT_NE(simboard::StatusText().find("K-Fan 3     0\n"), std::string::npos);
}

} // namespace
