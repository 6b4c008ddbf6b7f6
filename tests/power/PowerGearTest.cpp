// The power-gear facade over the stage's OptiGear.dll stand-in: loading and its failures, the
// support level, the guarded level changes, "LastMode", the thresholds and the overclock check.
#include "power/GearItems.h"
#include "power/PowerGearSelection.h"
#include "shell/base/RegistrySchema.h"
#include "tests/power/PowerTestSupport.h"
#include "tests/support/Peers.h"

using powertest::GearCalls;
using Strings = std::vector<std::string>;

namespace {

DWORD LastMode()
{
    return tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kLastMode, 0xDEADBEEF);
}

bool LastModeWritten()
{
    return tvtest::ReadRaw(tv::reg::kMainKey, tv::reg::kLastMode).exists;
}

class PowerGearTest : public powertest::BoardTest
{};

TEST_F(PowerGearTest, LoadInitialisesAndGradesTheCapabilityWord)
{
    simboard::ClearJournal();
    tv::PowerGearDll gear(tvtest::StageDir(), "");
    EXPECT_TRUE(GearCalls().empty()) << "nothing is loaded before Load";
    ASSERT_TRUE(gear.Load());
    EXPECT_EQ(GearCalls(), (Strings{"OptiGearInit()", "OptiGearIsSupport()",
                                    "IsItemSupported(0x0B060003)", "OptiGearGetItem(0x0B060003)"}));
    EXPECT_EQ(gear.SupportLevel(), 4);
    EXPECT_EQ(gear.LibraryPath(), tvtest::StageDir() + "OptiGear.dll");
}

TEST_F(PowerGearTest, SupportLevelByCapabilityWord)
{
    const struct
    {
        int word;
        int level;
    } cases[] = {{12, 4}, {8, 4}, {4, 4}, {3, 3}, {2, 3}, {1, 2}, {0, 1}};
    for (const auto& c : cases) {
        ASSERT_TRUE(simboard::SetItem(tv::item::kCapabilityWord, c.word));
        auto gear = powertest::LoadGear();
        EXPECT_EQ(gear->SupportLevel(), c.level) << "word " << c.word;
        EXPECT_TRUE(gear->IsSupported());
        EXPECT_EQ(gear->HasBasicGearEngine(), c.level == 2) << "word " << c.word;
        EXPECT_EQ(gear->HasGearEngine(), c.level >= 3) << "word " << c.word;
        EXPECT_EQ(gear->HasFullGearEngine(), c.level == 4) << "word " << c.word;
        EXPECT_EQ(gear->IsCapabilityWordEight(), c.word == 8) << "word " << c.word;
    }
}

TEST_F(PowerGearTest, UnreadableOrMissingCapabilityWordGivesLevelOne)
{
    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kCapabilityWord, true, true, false));
    EXPECT_EQ(powertest::LoadGear()->SupportLevel(), 1);
    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kCapabilityWord, false, false, false));
    EXPECT_EQ(powertest::LoadGear()->SupportLevel(), 1);
}

TEST_F(PowerGearTest, UnsupportedBoardGradesZeroAndLevelCallsDoNothing)
{
    UseBoard("unsupported");
    auto gear = powertest::LoadGear();
    EXPECT_EQ(gear->SupportLevel(), 0);
    EXPECT_FALSE(gear->IsSupported());
    EXPECT_FALSE(gear->SetLevel(2));
    EXPECT_FALSE(gear->SetLevelItem(0x8000));
    EXPECT_EQ(gear->GetLevel(), 0);
    EXPECT_TRUE(GearCalls().empty());
    EXPECT_FALSE(LastModeWritten());

    simboard::SetField(simboard::Field::IsSupport, 1);
    simboard::SetField(simboard::Field::IsSupportFails, 1);
    EXPECT_EQ(powertest::LoadGear()->SupportLevel(), 0) << "a failing support query";
}

TEST_F(PowerGearTest, LevelOneLibraryLeavesAutoThroughHighPerformance)
{
    UseBoard("level1");
    ASSERT_TRUE(simboard::SetField(simboard::Field::Level, 0x8000));
    auto gear = powertest::LoadGear();
    ASSERT_EQ(gear->SupportLevel(), 1);
    EXPECT_TRUE(gear->SetLevel(2));
    EXPECT_EQ(GearCalls("OptiGearSetLevel"),
              (Strings{"OptiGearSetLevel(0)", "OptiGearSetLevel(2)"}));
    // No engine to open, no thresholds, no "LastMode" below level 3.
    EXPECT_TRUE(GearCalls("OptiGearSetItem").empty());
    EXPECT_FALSE(LastModeWritten());
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Level), 2);

    simboard::ClearJournal();
    EXPECT_TRUE(gear->SetLevel(0x8000));
    EXPECT_EQ(GearCalls("OptiGearSetLevel"), (Strings{"OptiGearSetLevel(0x8000)"}))
        << "from High performance no detour";
}

TEST_F(PowerGearTest, HighLevelsAreLeftDirectlyWithAGearEngine)
{
    ASSERT_TRUE(simboard::SetField(simboard::Field::Level, 0x4000));
    auto gear = powertest::LoadGear();
    EXPECT_TRUE(gear->SetLevel(2));
    EXPECT_EQ(GearCalls("OptiGearSetLevel"), (Strings{"OptiGearSetLevel(2)"}));
}

TEST_F(PowerGearTest, HighPerformanceKeepsTheEngineOpenOnlyOnLevelFour)
{
    auto gear = powertest::LoadGear();
    ASSERT_EQ(gear->SupportLevel(), 4);
    EXPECT_TRUE(gear->SetLevel(0));
    // With a gear engine the current level does not matter: not even asked.
    EXPECT_EQ(GearCalls(), (Strings{"OptiGearGetItem(0x0B060002)", "OptiGearSetItem(0x0B060002, 1)",
                                    "OptiGearSetLevel(0)"}));
    int32_t open = -1;
    ASSERT_TRUE(simboard::GetItem(tv::item::kGearEngineOpen, &open));
    EXPECT_EQ(open, 1);
    EXPECT_EQ(LastMode(), 0u);

    ASSERT_TRUE(simboard::SetItem(tv::item::kCapabilityWord, 3));
    gear = powertest::LoadGear();
    ASSERT_EQ(gear->SupportLevel(), 3);
    EXPECT_TRUE(gear->SetLevel(0));
    EXPECT_EQ(GearCalls(), (Strings{"OptiGearGetItem(0x0B060002)", "OptiGearSetLevel(0)",
                                    "OptiGearSetItem(0x0B060002, 0)"}))
        << "already open: no enabling; closed again after";
    ASSERT_TRUE(simboard::GetItem(tv::item::kGearEngineOpen, &open));
    EXPECT_EQ(open, 0);
}

TEST_F(PowerGearTest, OpenGuardFailuresAreShownAndTheLevelStillSet)
{
    tvtest::MessageBoxRecorder boxes;
    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kGearEngineOpen, true, true, true));
    auto gear = powertest::LoadGear();
    EXPECT_TRUE(gear->SetLevel(2));
    auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "[PowerGearDll::IsOptiGearOpen] Failed");
    EXPECT_EQ(shown[0].caption, "");
    EXPECT_EQ(shown[1].text, "[PowerGearDll::EnableOptiGear] Failed");
    EXPECT_EQ(shown[1].caption, "");
    EXPECT_EQ(GearCalls("OptiGearSetLevel"), (Strings{"OptiGearSetLevel(2)"}));
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Level), 2);
}

TEST_F(PowerGearTest, AutoSendsDefaultThresholdsWhenNoneAreStored)
{
    for (int word : {12, 3}) {
        ASSERT_TRUE(simboard::SetItem(tv::item::kCapabilityWord, word));
        auto gear = powertest::LoadGear();
        EXPECT_TRUE(gear->SetLevel(0x8000));
        Strings calls = GearCalls("OptiGearSetItem");
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(Strings(calls.end() - 3, calls.end()),
                  (Strings{"OptiGearSetItem(0x0E0A0014, 0)", "OptiGearSetItem(0x0E0A0015, 0)",
                           "OptiGearSetItem(0x0E0A0016, 255)"}))
            << "word " << word;
        EXPECT_EQ(LastMode(), 0x8000u);
        EXPECT_FALSE(gear->Thresholds().IsValid());
    }
}

TEST_F(PowerGearTest, StoredThresholdsAreSentForAuto)
{
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kThreshold1, 40);
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kThreshold2, 70);
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kThreshold3, 90);
    auto gear = powertest::LoadGear();
    EXPECT_TRUE(gear->SetLevel(0x8000));
    EXPECT_EQ(GearCalls(),
              (Strings{"OptiGearGetItem(0x0B060002)", "OptiGearSetItem(0x0B060002, 1)",
                       "OptiGearSetLevel(0x8000)", "OptiGearGetItem(0x00070005)",
                       "OptiGearSetItem(0x0E0A0014, 40)", "OptiGearSetItem(0x0E0A0015, 70)",
                       "OptiGearSetItem(0x0E0A0016, 90)"}));
    EXPECT_TRUE(gear->Thresholds().IsValid());
}

TEST_F(PowerGearTest, ThresholdsFlaggedInvalidAreDiscarded)
{
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kThreshold1, 40);
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kThreshold2, 70);
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kThreshold3, 90);
    ASSERT_TRUE(simboard::SetItem(tv::item::kThresholdsInvalid, 1));
    auto gear = powertest::LoadGear();
    int t1 = -1, t2 = -1, t3 = -1;
    gear->Thresholds().Get(t1, t2, t3);
    EXPECT_EQ((Strings{std::to_string(t1), std::to_string(t2), std::to_string(t3)}),
              (Strings{"0", "0", "255"}));
    EXPECT_FALSE(gear->Thresholds().IsValid());
    for (const char* name : {tv::reg::kThreshold1, tv::reg::kThreshold2, tv::reg::kThreshold3}) {
        EXPECT_FALSE(tvtest::ReadRaw(tv::reg::kMainKey, name).exists) << name;
    }
}

TEST_F(PowerGearTest, IncompleteStoredThresholdsGiveTheDefaults)
{
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kThreshold1, 40);
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kThreshold3, 90);
    auto gear = powertest::LoadGear();
    int t1, t2, t3;
    gear->Thresholds().Get(t1, t2, t3);
    EXPECT_EQ(t1, 0);
    EXPECT_EQ(t3, 255);
    EXPECT_FALSE(gear->Thresholds().IsValid());
    EXPECT_TRUE(GearCalls("OptiGearGetItem").empty()) << "the invalid flag is not even asked";
    EXPECT_TRUE(tvtest::ReadRaw(tv::reg::kMainKey, tv::reg::kThreshold1).exists);
}

TEST_F(PowerGearTest, StoringThresholdsPersistsAndClearsTheInvalidFlag)
{
    ASSERT_TRUE(simboard::SetItem(tv::item::kThresholdsInvalid, 1));
    {
        auto gear = powertest::LoadGear();
        gear->Thresholds().Store(11, 22, 33);
        EXPECT_TRUE(gear->Thresholds().IsValid());
        EXPECT_EQ(GearCalls(), (Strings{"OptiGearSetItem(0x00070005, 0)"}));
    }
    EXPECT_EQ(tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kThreshold2, 0), 22u);
    // A later process reads them back as valid.
    auto gear = powertest::LoadGear();
    int t1, t2, t3;
    gear->Thresholds().Get(t1, t2, t3);
    EXPECT_EQ(t1 * 10000 + t2 * 100 + t3, 112233);
    EXPECT_TRUE(gear->Thresholds().IsValid());
}

TEST_F(PowerGearTest, ThresholdsKeyIsTheMainKeyWhateverItsSpelling)
{
    tvtest::WriteRawDword(tv::reg::kThresholdKey, tv::reg::kThreshold1, 1);
    EXPECT_EQ(tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kThreshold1, 0), 1u);
}

TEST_F(PowerGearTest, EachFailedThresholdWriteShowsItsBoxAndTheRestAreTried)
{
    tvtest::MessageBoxRecorder boxes;
    for (int item : {tv::item::kThreshold1, tv::item::kThreshold2, tv::item::kThreshold3}) {
        ASSERT_TRUE(simboard::SetItemFlags(static_cast<uint32_t>(item), true, false, true));
    }
    auto gear = powertest::LoadGear();
    gear->SetThreshold(1, 2, 3);
    EXPECT_EQ(GearCalls(),
              (Strings{"OptiGearSetItem(0x0E0A0014, 1)", "OptiGearSetItem(0x0E0A0015, 2)",
                       "OptiGearSetItem(0x0E0A0016, 3)"}));
    Strings texts;
    for (const auto& box : boxes.Boxes()) {
        texts.push_back(box.text);
        EXPECT_EQ(box.caption, "");
    }
    EXPECT_EQ(texts, (Strings{"[PowerGearDll::SetThreshold] 0x0E0A0014 Failed",
                              "[PowerGearDll::SetThreshold] 0x0E0A0015 Failed",
                              "[PowerGearDll::SetThreshold] 0x0E0A0016 Failed"}));

    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kThreshold1, true, false, false));
    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kThreshold3, true, false, false));
    gear->SetThreshold(1, 2, 3);
    EXPECT_EQ(boxes.Boxes().size(), 4u);
    EXPECT_EQ(boxes.Boxes().back().text, "[PowerGearDll::SetThreshold] 0x0E0A0015 Failed");
}

TEST_F(PowerGearTest, SetLevelItemWritesTheLevelItemWithoutLastMode)
{
    auto gear = powertest::LoadGear();
    EXPECT_TRUE(gear->SetLevelItem(0x8000));
    // No thresholds stored: the invalid flag is not asked.
    EXPECT_EQ(GearCalls(),
              (Strings{"OptiGearGetItem(0x0B060002)", "OptiGearSetItem(0x0B060002, 1)",
                       "OptiGearSetItem(0x0B060001, 0x8000)", "OptiGearSetItem(0x0E0A0014, 0)",
                       "OptiGearSetItem(0x0E0A0015, 0)", "OptiGearSetItem(0x0E0A0016, 255)"}));
    EXPECT_FALSE(LastModeWritten());
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Level), 0x8000);

    UseBoard("level1");
    simboard::SetField(simboard::Field::Level, 0x8000);
    gear = powertest::LoadGear();
    EXPECT_TRUE(gear->SetLevelItem(2));
    EXPECT_EQ(GearCalls(), (Strings{"OptiGearGetLevel()", "OptiGearSetLevel(0)",
                                    "OptiGearSetItem(0x0B060001, 2)"}));
}

TEST_F(PowerGearTest, LastModeOnCapableBoardsOnly)
{
    auto gear = powertest::LoadGear();
    EXPECT_TRUE(gear->SetLevel(2));
    EXPECT_EQ(LastMode(), 2u);
    EXPECT_TRUE(gear->SetLevel(0));
    EXPECT_EQ(LastMode(), 0u);

    tvtest::ResetProgramRegistry();
    ASSERT_TRUE(simboard::SetItem(tv::item::kCapabilityWord, 1));
    gear = powertest::LoadGear();
    ASSERT_EQ(gear->SupportLevel(), 2);
    EXPECT_TRUE(gear->SetLevel(2));
    EXPECT_FALSE(LastModeWritten());
}

TEST_F(PowerGearTest, GetLevelGivesZeroWhenTheLibraryFails)
{
    simboard::SetField(simboard::Field::Level, 2);
    auto gear = powertest::LoadGear();
    EXPECT_EQ(gear->GetLevel(), 2);
    simboard::SetField(simboard::Field::GetLevelFails, 1);
    EXPECT_EQ(gear->GetLevel(), 0);
}

TEST_F(PowerGearTest, IcpuReadWithAGearEngineAndMadeUpBelow)
{
    tvtest::MessageBoxRecorder boxes;
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuCurrent, 77));
    auto gear = powertest::LoadGear();
    EXPECT_EQ(gear->GetIcpu(), 77);
    EXPECT_EQ(GearCalls(), (Strings{"OptiGearGetItem(0x0E0A0011)"}));

    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kCpuCurrent, true, true, false));
    EXPECT_EQ(gear->GetIcpu(), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Can not get ICPU");
    EXPECT_EQ(boxes.Boxes()[0].caption, "PowerGear");

    ASSERT_TRUE(simboard::SetItem(tv::item::kCapabilityWord, 1));
    gear = powertest::LoadGear();
    for (int i = 0; i < 50; ++i) {
        int current = gear->GetIcpu();
        EXPECT_GE(current, 0);
        EXPECT_LE(current, 29);
    }
    EXPECT_TRUE(GearCalls().empty()) << "no current is read below level 3";
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

TEST_F(PowerGearTest, OverclockReportedByTheLibrary)
{
    UseBoard("overclocked");
    EXPECT_TRUE(powertest::LoadGear()->CheckOC());
    EXPECT_EQ(GearCalls(), (Strings{"OptiGearCheckOC()"}));
}

TEST_F(PowerGearTest, OverclockAskedOfTheSystemControlServiceOtherwise)
{
    auto gear = powertest::LoadGear();
    // Nobody serves the pipe: not overclocked.
    EXPECT_FALSE(gear->CheckOC());

    tvtest::RunningPeer service;
    ASSERT_TRUE(tvtest::StartSysCtlSim(service, "--words 1,0"));
    EXPECT_FALSE(gear->CheckOC()) << "state 1";
    ASSERT_TRUE(service.Control().Send("words 2 0"));
    EXPECT_FALSE(gear->CheckOC()) << "state 2";
    ASSERT_TRUE(service.Control().Send("words 0 0"));
    EXPECT_TRUE(gear->CheckOC()) << "state 0";
    ASSERT_TRUE(service.Control().Send("words 5 0"));
    EXPECT_TRUE(gear->CheckOC()) << "state 5";
    EXPECT_EQ(service.Control().Count(), 4);
    ASSERT_TRUE(service.Control().Send("fail on"));
    EXPECT_FALSE(gear->CheckOC()) << "no answer";

    // A library that fails its own query also falls back to the service.
    ASSERT_TRUE(service.Control().Send("fail off"));
    simboard::SetField(simboard::Field::CheckOCFails, 1);
    EXPECT_TRUE(gear->CheckOC());
}

TEST_F(PowerGearTest, MissingLibraryIsShownAndEverythingDoesNothing)
{
    tvtest::MessageBoxRecorder boxes;
    tvtest::TempDir folder;
    tv::PowerGearDll gear(folder.Path(), "");
    EXPECT_FALSE(gear.Load());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Can not find " + folder.Path() + "OptiGear.dll");
    EXPECT_EQ(boxes.Boxes()[0].caption, "LoadLibrary Error");

    EXPECT_FALSE(gear.IsSupported());
    EXPECT_FALSE(gear.SetLevel(0x8000));
    EXPECT_FALSE(gear.SetLevelItem(2));
    EXPECT_EQ(gear.GetLevel(), 0);
    int value = 5;
    EXPECT_FALSE(gear.GetItem(tv::item::kCapabilityWord, value));
    EXPECT_EQ(value, 5);
    EXPECT_FALSE(gear.SetItem(tv::item::kGearLevel, 0));
    EXPECT_FALSE(gear.SetItemEx(tv::item::kSioHandOver, 0, 1));
    EXPECT_FALSE(gear.IsItemSupported(tv::item::kCapabilityWord));
    EXPECT_FALSE(gear.IsKFanThreeSupported());
    EXPECT_FALSE(gear.ButtonEnable());
    EXPECT_FALSE(gear.CheckReboot(value));
    EXPECT_FALSE(gear.GetItemDefaultValue(tv::item::kCapabilityWord, value));
    EXPECT_FALSE(gear.GetItemInformation(tv::item::kCapabilityWord, value));
    EXPECT_FALSE(gear.GetStringList(0, 0, 0, 0));
    EXPECT_FALSE(gear.CheckOC());
    EXPECT_FALSE(gear.HasGearEngine());
    int icpu = gear.GetIcpu();
    EXPECT_TRUE(icpu >= 0 && icpu <= 29);
    EXPECT_TRUE(GearCalls().empty());
    EXPECT_EQ(boxes.Boxes().size(), 1u) << "shown once";
}

TEST_F(PowerGearTest, LibraryOfTheSubFolder)
{
    tvtest::MessageBoxRecorder boxes;
    tv::PowerGearDll gear(tvtest::StageDir(), "OptiGear");
    EXPECT_EQ(gear.LibraryPath(), tvtest::StageDir() + "OptiGear\\OptiGear.dll");
    EXPECT_FALSE(gear.Load());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              "Can not find " + tvtest::StageDir() + "OptiGear\\OptiGear.dll");
}

TEST_F(PowerGearTest, LibraryThatDoesNotLoadIsShown)
{
    tvtest::MessageBoxRecorder boxes;
    tvtest::TempDir folder;
    folder.WriteFile("OptiGear.dll", "MZ this is not a library");
    tv::PowerGearDll gear(folder.Path(), "");
    EXPECT_FALSE(gear.Load());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              "Can not load " + folder.Path() + "OptiGear.dll. Program will abort");
    EXPECT_EQ(boxes.Boxes()[0].caption, "LoadLibrary Error");
    EXPECT_FALSE(gear.IsSupported());
    EXPECT_FALSE(gear.SetLevel(2));
}

TEST_F(PowerGearTest, LibraryWithoutTheCapabilityQueriesAnswersThem)
{
    auto gear = powertest::LoadGear();
    EXPECT_TRUE(gear->IsOptiDozeSupported());
    EXPECT_FALSE(gear->IsHxRemoteSupported());
    EXPECT_TRUE(gear->IsKFanThreeSupported());
    EXPECT_TRUE(gear->ButtonEnable());
    EXPECT_EQ(GearCalls(), (Strings{"IsOptiDozeSupported()", "IsHxRemoteSupported()",
                                    "IsKFanThreeSupported()", "OptiGearButtonEnable()"}));
}

TEST_F(PowerGearTest, LibraryMissingAnExportIsShownAndUnused)
{
    // Another of the maker's libraries under the power-gear library's name.
    tvtest::MessageBoxRecorder boxes;
    tvtest::TempDir folder;
    ASSERT_TRUE(powertest::CopyStageFile("OptiDoze.dll", folder, "OptiGear.dll"));
    tv::PowerGearDll gear(folder.Path(), "");
    EXPECT_FALSE(gear.Load());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text,
              "Can not load " + folder.Path() + "OptiGear.dll. Program will abort");
    EXPECT_FALSE(gear.IsLoaded());
    EXPECT_FALSE(gear.IsSupported());
    EXPECT_FALSE(gear.SetLevel(2));
    int value = 0;
    EXPECT_FALSE(gear.GetItem(tv::item::kCapabilityWord, value));
    EXPECT_TRUE(GearCalls().empty());
}

TEST_F(PowerGearTest, ProcessWideFacadeLoadsTheLibraryBesideTheProgram)
{
    tv::SelectPowerGearImplementation(0);
    tv::PowerGear& gear = tv::PowerGear::Instance();
    EXPECT_EQ(&gear, &tv::PowerGear::Instance());
    EXPECT_EQ(gear.LibraryPath(), tvtest::StageDir() + "OptiGear.dll");
    EXPECT_TRUE(gear.IsSupported());
}

} // namespace
