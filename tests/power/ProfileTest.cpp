// Controller type, the per-gear parameter cache and the mode profiles over a fresh facade: the
// registry read back and the journal of the voltage items sent to the board's banks.
#include "power/AdvanceSettings.h"
#include "power/ControllerType.h"
#include "power/GearItems.h"
#include "power/GearParameters.h"
#include "power/RecoveryFlags.h"
#include "shell/base/RegistrySchema.h"
#include "tests/power/PowerTestSupport.h"

#include <algorithm>

using powertest::AdvanceValue;
using powertest::GearCalls;
using Strings = std::vector<std::string>;

namespace {

const char* const kItems[] = {
    "Fsb", "vCore", "LoadLine", "NbVolt", "Fan", "OptiDozeIdleTimeout", "SpinDownTimeout"};
const char* const kSuffixes[] = {"_Turbo", "_Normal", "_Medium", "_Low", "_Auto"};

// The stored profile as (Fsb, vCore, LoadLine, NbVolt, Fan, OptiDozeIdleTimeout, SpinDownTimeout).
std::vector<DWORD> StoredProfile(int index)
{
    std::vector<DWORD> values;
    for (const char* item : kItems) {
        values.push_back(AdvanceValue(std::string(item) + kSuffixes[index]));
    }
    return values;
}

void StoreProfile(int index, const std::vector<DWORD>& values)
{
    for (size_t i = 0; i < values.size(); ++i) {
        tvtest::WriteRawDword(tv::reg::kAdvanceKey,
                              (std::string(kItems[i]) + kSuffixes[index]).c_str(), values[i]);
    }
}

tv::ModeProfile Profile(int32_t vCore, int32_t loadLine, int32_t idle, int32_t spinDown,
                        int32_t fan)
{
    tv::ModeProfile profile;
    profile.vCore = vCore;
    profile.loadLine = loadLine;
    profile.optiDozeIdleTimeout = idle;
    profile.spinDownTimeout = spinDown;
    profile.fan = fan;
    return profile;
}

class ProfileTest : public powertest::BoardTest
{
protected:
    // Fresh facade, type and cache over the board as it is now; the journal cleared after.
    void Start()
    {
        m_gear = powertest::LoadGear();
        m_type = tv::ReadControllerType(*m_gear);
        m_parameters = std::make_unique<tv::GearParameters>(*m_gear, m_type);
        m_parameters->Fill();
        m_settings = std::make_unique<tv::AdvanceSettings>(*m_parameters, m_type);
        simboard::ClearJournal();
    }

    std::unique_ptr<tv::PowerGearDll> m_gear;
    uint32_t m_type = 0;
    std::unique_ptr<tv::GearParameters> m_parameters;
    std::unique_ptr<tv::AdvanceSettings> m_settings;
};

// ---- controller type ---------------------------------------------------------------------------

TEST(ControllerTypeFamilies, Predicates)
{
    using namespace tv::controller;
    EXPECT_TRUE(IsFFamily(0xF000) && IsFFamily(0xF011) && IsFFamily(0x1F0FF));
    EXPECT_FALSE(IsFFamily(0x7000) || IsFFamily(0) || IsFFamily(0xE000));
    EXPECT_TRUE(Is7Family(0x7000) && Is7Family(0x7010));
    EXPECT_FALSE(Is7Family(0xF000) || Is7Family(0x3000));
    EXPECT_TRUE(IsTypeF000(0xF000));
    EXPECT_FALSE(IsTypeF000(0xF001));
    for (uint32_t type : {0xF001u, 0xF010u, 0xF011u}) {
        EXPECT_TRUE(IsAutoPollingType(type)) << type;
    }
    EXPECT_FALSE(IsAutoPollingType(0xF000) || IsAutoPollingType(0x7010));
    EXPECT_TRUE(IsFineScaleType(0x7010));
    EXPECT_FALSE(IsFineScaleType(0x7000));
}

TEST_F(ProfileTest, ControllerTypeReadWhenTheItemIsSupportedAndReads)
{
    UseBoard("f010");
    auto gear = powertest::LoadGear();
    EXPECT_EQ(tv::ReadControllerType(*gear), 0xF010u);
    EXPECT_EQ(GearCalls(), (Strings{"IsItemSupported(0x0B060080)", "OptiGearGetItem(0x0B060080)"}));

    UseBoard("legacy");
    gear = powertest::LoadGear();
    EXPECT_EQ(tv::ReadControllerType(*gear), 0u);
    EXPECT_EQ(GearCalls(), (Strings{"IsItemSupported(0x0B060080)"}));

    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kControllerType, true, true, false));
    EXPECT_EQ(tv::ReadControllerType(*gear), 0u) << "supported but unreadable";
}

// ---- per-gear parameter cache ------------------------------------------------------------------

TEST_F(ProfileTest, GearParametersReadTheBanksAndWriteThemBack)
{
    ASSERT_TRUE(simboard::SetBankItem(tv::item::kVCoreDowngrade, 0, 1));
    ASSERT_TRUE(simboard::SetBankItem(tv::item::kVddNbDowngrade, 3, 0));
    auto gear = powertest::LoadGear();
    tv::GearParameters parameters(*gear, 0xF001);
    EXPECT_TRUE(GearCalls().empty());
    parameters.Fill();
    EXPECT_EQ(GearCalls(),
              (Strings{"OptiGearSetItem(0x0B060010, 0)", "OptiGearGetItem(0x0B060023)",
                       "OptiGearSetItem(0x0B060023, 1)", "OptiGearGetItem(0x0B060021)",
                       "OptiGearSetItem(0x0B060021, 0)", "OptiGearSetItem(0x0B060010, 2)",
                       "OptiGearGetItem(0x0B060023)", "OptiGearSetItem(0x0B060023, 1)",
                       "OptiGearGetItem(0x0B060021)", "OptiGearSetItem(0x0B060021, 1)",
                       "OptiGearSetItem(0x0B060010, 3)", "OptiGearGetItem(0x0B060023)",
                       "OptiGearSetItem(0x0B060023, 2)", "OptiGearGetItem(0x0B060021)",
                       "OptiGearSetItem(0x0B060021, 0)"}));
    auto text = [&](int g) {
        tv::GearParameters::Values v = parameters.Get(g);
        return std::to_string(v.a) + " " + std::to_string(v.b) + " " + std::to_string(v.c) + " " +
               std::to_string(v.d);
    };
    EXPECT_EQ(text(0), "0 1 0 0");
    EXPECT_EQ(text(1), "0 0 0 0");
    EXPECT_EQ(text(2), "0 1 1 0");
    EXPECT_EQ(text(3), "0 2 0 0");
    EXPECT_EQ(text(4), "0 0 0 0");
    EXPECT_EQ(text(-1), "0 0 0 0");

    simboard::ClearJournal();
    parameters.Fill();
    EXPECT_TRUE(GearCalls().empty()) << "read once";
}

// The profiles' defaults come from the banks; whoever reads them first, the gear engine is open
// before the type and the banks are read.
TEST_F(ProfileTest, AProgramReadingTheProfilesFirstOpensTheEngineBeforeTheBanks)
{
    UseBoard("7010");
    EXPECT_EQ(0, tvtest::RunProgram("profile_probe.exe", "", 30000));
    const Strings calls = GearCalls();
    const Strings expected = {"OptiGearSetItem(0x0B060002, 1)", "OptiGearButtonEnable()",
                              "IsItemSupported(0x0B060080)", "OptiGearGetItem(0x0B060080)",
                              "OptiGearSetItem(0x0B060010, 0)"};
    auto start = std::find(calls.begin(), calls.end(), expected[0]);
    ASSERT_NE(start, calls.end()) << "the engine was never opened";
    ASSERT_GE(calls.end() - start, static_cast<long>(expected.size()));
    EXPECT_EQ(Strings(start, start + expected.size()), expected);
    EXPECT_EQ(start, std::find(calls.begin(), start, "OptiGearSetItem(0x0B060010, 0)"))
        << "a bank was read before the engine was open";
}

TEST_F(ProfileTest, GearParametersUseTheLoadLineItemOutsideFamilyF)
{
    UseBoard("7000");
    auto gear = powertest::LoadGear();
    tv::GearParameters parameters(*gear, tv::ReadControllerType(*gear));
    parameters.Fill();
    EXPECT_EQ(GearCalls("OptiGearGetItem"),
              (Strings{"OptiGearGetItem(0x0B060080)", "OptiGearGetItem(0x0B060023)",
                       "OptiGearGetItem(0x0B060022)", "OptiGearGetItem(0x0B060023)",
                       "OptiGearGetItem(0x0B060022)", "OptiGearGetItem(0x0B060023)",
                       "OptiGearGetItem(0x0B060022)"}));
    EXPECT_EQ(parameters.Get(3).c, 1) << "the load-line bank of the Low profile";
}

TEST_F(ProfileTest, GearParametersNeverWriteBackWhatTheyCouldNotRead)
{
    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kVCoreDowngrade, true, true, false));
    auto gear = powertest::LoadGear();
    tv::GearParameters parameters(*gear, 0xF001);
    parameters.Fill();
    for (const std::string& call : GearCalls("OptiGearSetItem")) {
        EXPECT_EQ(call.find("0x0B060023"), std::string::npos) << call;
    }
    EXPECT_EQ(parameters.Get(3).b, 0);
    EXPECT_EQ(parameters.Get(3).c, 2);
}

TEST_F(ProfileTest, SetGearParametersSendsTheBankButKeepsTheCache)
{
    auto gear = powertest::LoadGear();
    tv::GearParameters parameters(*gear, 0xF001);
    parameters.Fill();
    simboard::ClearJournal();
    parameters.Set(3, 0, 1);
    parameters.Set(1, 2, 2);
    parameters.Set(4, 2, 2);
    EXPECT_EQ(GearCalls(),
              (Strings{"OptiGearSetItem(0x0B060010, 3)", "OptiGearSetItem(0x0B060023, 0)",
                       "OptiGearSetItem(0x0B060021, 1)"}));
    simboard::ItemState state;
    ASSERT_TRUE(simboard::GetItemState(tv::item::kVCoreDowngrade, &state));
    EXPECT_EQ(state.bankValues[3], 0);
    EXPECT_EQ(parameters.Get(3).b, 2) << "the start-up value stays";
}

// ---- profiles ----------------------------------------------------------------------------------

TEST_F(ProfileTest, FreshRegistryGetsAllThirtyFiveValuesWithTheirDefaults)
{
    // Distinct bank values, so that each default shows where it came from.
    ASSERT_TRUE(simboard::SetBankItem(tv::item::kVCoreDowngrade, 0, 2));
    ASSERT_TRUE(simboard::SetBankItem(tv::item::kVddNbDowngrade, 0, 1));
    ASSERT_TRUE(simboard::SetBankItem(tv::item::kVCoreDowngrade, 1, 2));
    ASSERT_TRUE(simboard::SetBankItem(tv::item::kVddNbDowngrade, 2, 0));
    Start();
    ASSERT_FALSE(tvtest::KeyExists(tv::reg::kAdvanceKey));
    m_settings->Load();

    EXPECT_EQ(StoredProfile(0), (std::vector<DWORD>{0, 2, 1, 0, 0, 0, 0}));
    EXPECT_EQ(StoredProfile(1), (std::vector<DWORD>{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(StoredProfile(2), (std::vector<DWORD>{0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(StoredProfile(3), (std::vector<DWORD>{0, 2, 2, 0, 1, 1200000, 1200}));
    EXPECT_EQ(StoredProfile(4), (std::vector<DWORD>{0, 0, 0, 0, 1, 1200000, 1200}));
    EXPECT_EQ(AdvanceValue("BalloonToolDisabled"), 0u);
    EXPECT_FALSE(tvtest::ReadRaw(tv::reg::kAdvanceKey, "RunAtSystemStartup").exists);
    EXPECT_TRUE(m_settings->BalloonTipsEnabled());
    EXPECT_TRUE(m_settings->RunAtSystemStartup());
    EXPECT_TRUE(m_settings->GetProfile(3) == Profile(2, 2, 1200000, 1200, 1));

    // Then profiles 0, 2 and 3 are sent to their banks again.
    EXPECT_EQ(GearCalls(),
              (Strings{"OptiGearSetItem(0x0B060010, 0)", "OptiGearSetItem(0x0B060023, 2)",
                       "OptiGearSetItem(0x0B060021, 1)", "OptiGearSetItem(0x0B060010, 2)",
                       "OptiGearSetItem(0x0B060023, 1)", "OptiGearSetItem(0x0B060021, 0)",
                       "OptiGearSetItem(0x0B060010, 3)", "OptiGearSetItem(0x0B060023, 2)",
                       "OptiGearSetItem(0x0B060021, 2)"}));
}

TEST_F(ProfileTest, StoredProfilesAreLoadedAndAutoDerivedFromThem)
{
    StoreProfile(0, {0, 1, 1, 0, 0, 0, 0});
    StoreProfile(1, {0, 0, 0, 0, 0, 300000, 600});
    StoreProfile(2, {0, 2, 0, 0, 0, 0, 0});
    StoreProfile(3, {0, 0, 2, 0, 1, 600000, 1200});
    StoreProfile(4, {7, 7, 7, 7, 0, 7, 7});
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, "BalloonToolDisabled", 1);
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, "RunAtSystemStartup", 1);
    Start();
    m_settings->Load();
    EXPECT_FALSE(m_settings->BalloonTipsEnabled());
    EXPECT_FALSE(m_settings->RunAtSystemStartup());
    EXPECT_TRUE(m_settings->GetProfile(2) == Profile(2, 0, 0, 0, 0));
    tv::ModeProfile automatic = m_settings->GetProfile(4);
    EXPECT_EQ(automatic.spinDownTimeout, 600);
    EXPECT_EQ(automatic.optiDozeIdleTimeout, 300000);
    EXPECT_EQ(automatic.fan, 1);
    EXPECT_EQ(automatic.vCore, 7) << "only the three derived fields change";
    EXPECT_EQ(GearCalls(),
              (Strings{"OptiGearSetItem(0x0B060010, 0)", "OptiGearSetItem(0x0B060023, 1)",
                       "OptiGearSetItem(0x0B060021, 1)", "OptiGearSetItem(0x0B060010, 2)",
                       "OptiGearSetItem(0x0B060023, 2)", "OptiGearSetItem(0x0B060021, 0)",
                       "OptiGearSetItem(0x0B060010, 3)", "OptiGearSetItem(0x0B060023, 0)",
                       "OptiGearSetItem(0x0B060021, 2)"}));
    // Nothing was missing: nothing saved.
    EXPECT_EQ(AdvanceValue("SpinDownTimeout_Auto"), 7u);
}

TEST_F(ProfileTest, OneMissingValueResetsEveryProfile)
{
    Start();
    m_settings->Load();
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, "vCore_Turbo", 2);
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, "Fan_Medium", 1);
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, "SpinDownTimeout_Normal", 300);
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, "BalloonToolDisabled", 1);
    ASSERT_TRUE(tvtest::DeleteRaw(tv::reg::kAdvanceKey, "SpinDownTimeout_Auto"));

    Start();
    m_settings->Load();
    EXPECT_EQ(StoredProfile(0), (std::vector<DWORD>{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(StoredProfile(1), (std::vector<DWORD>{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(StoredProfile(2), (std::vector<DWORD>{0, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(StoredProfile(4), (std::vector<DWORD>{0, 0, 0, 0, 1, 1200000, 1200}));
    // The flag keeps what was read.
    EXPECT_EQ(AdvanceValue("BalloonToolDisabled"), 1u);
    EXPECT_FALSE(m_settings->BalloonTipsEnabled());
}

TEST_F(ProfileTest, ValueOfAnotherTypeCountsAsMissing)
{
    Start();
    m_settings->Load();
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, "Fan_Normal", 1);
    tvtest::WriteRawString(tv::reg::kAdvanceKey, "NbVolt_Low", REG_SZ, "0");
    Start();
    m_settings->Load();
    EXPECT_EQ(AdvanceValue("Fan_Normal"), 0u);
    EXPECT_EQ(AdvanceValue("NbVolt_Low"), 0u);
}

// A value no list entry gives (a negative time, a fan setting other than 0 and 1) is read as
// missing: it never reaches the Auto profile or a library.
TEST_F(ProfileTest, AValueOutsideTheListsCountsAsMissing)
{
    for (const char* name : {"SpinDownTimeout_Medium", "OptiDozeIdleTimeout_Turbo", "Fan_Low"}) {
        Start();
        m_settings->Load();
        tvtest::WriteRawDword(tv::reg::kAdvanceKey, "SpinDownTimeout_Normal", 300);
        tvtest::WriteRawDword(tv::reg::kAdvanceKey, name,
                              std::string(name) == "Fan_Low" ? 2 : 0xFFFFFFFF);
        Start();
        m_settings->Load();
        const tv::ModeProfile automatic = m_settings->GetProfile(4);
        EXPECT_EQ(automatic.spinDownTimeout, 1200) << name;
        EXPECT_EQ(automatic.optiDozeIdleTimeout, 1200000) << name;
        EXPECT_EQ(StoredProfile(1), (std::vector<DWORD>{0, 0, 0, 0, 0, 0, 0}))
            << name << ": every profile back to its defaults, and saved";
        EXPECT_EQ(AdvanceValue("SpinDownTimeout_Low"), 1200u) << name;
    }
    // The longest entries are sound values.
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, "SpinDownTimeout_Medium", 18000);
    tvtest::WriteRawDword(tv::reg::kAdvanceKey, "OptiDozeIdleTimeout_Medium", 18000000);
    Start();
    m_settings->Load();
    EXPECT_EQ(m_settings->GetProfile(2).spinDownTimeout, 18000);
    EXPECT_EQ(m_settings->GetProfile(2).optiDozeIdleTimeout, 18000000);
}

TEST_F(ProfileTest, AutoFollowsEveryProfileChange)
{
    Start();
    m_settings->Load();
    m_settings->SetProfile(0, Profile(0, 0, 0, 0, 0));
    m_settings->SetProfile(1, Profile(0, 0, 0, 600, 0));
    m_settings->SetProfile(2, Profile(0, 0, 0, 0, 0));
    m_settings->SetProfile(3, Profile(0, 0, 0, 1200, 1));
    EXPECT_EQ(m_settings->GetProfile(4).spinDownTimeout, 600);
    EXPECT_EQ(m_settings->GetProfile(4).optiDozeIdleTimeout, 0) << "all never";
    EXPECT_EQ(m_settings->GetProfile(4).fan, 1) << "Medium 0, Low 1";

    m_settings->SetProfile(1, Profile(0, 0, 1500000, 0, 0));
    m_settings->SetProfile(3, Profile(0, 0, 900000, 0, 0));
    EXPECT_EQ(m_settings->GetProfile(4).spinDownTimeout, 0);
    EXPECT_EQ(m_settings->GetProfile(4).optiDozeIdleTimeout, 900000);
    EXPECT_EQ(m_settings->GetProfile(4).fan, 0);

    m_settings->SetProfile(2, Profile(0, 0, 0, 0, 1));
    EXPECT_EQ(m_settings->GetProfile(4).fan, 1) << "Medium 1";
}

TEST_F(ProfileTest, SettingAProfileSendsItsVoltageItemsToItsBank)
{
    Start();
    m_settings->Load();
    simboard::ClearJournal();
    m_settings->SetProfile(1, Profile(2, 2, 0, 0, 0));
    m_settings->SetProfile(4, Profile(2, 2, 0, 0, 0));
    EXPECT_TRUE(GearCalls().empty()) << "Normal and Auto have no bank";
    m_settings->SetProfile(2, Profile(2, 1, 0, 0, 0));
    EXPECT_EQ(GearCalls(),
              (Strings{"OptiGearSetItem(0x0B060010, 2)", "OptiGearSetItem(0x0B060023, 2)",
                       "OptiGearSetItem(0x0B060021, 1)"}));
    simboard::ItemState state;
    ASSERT_TRUE(simboard::GetItemState(tv::item::kVddNbDowngrade, &state));
    EXPECT_EQ(state.bankValues[2], 1);
    EXPECT_EQ(AdvanceValue("vCore_Medium"), 1u) << "setting does not save";
    m_settings->SaveAll();
    EXPECT_EQ(AdvanceValue("vCore_Medium"), 2u);
}

TEST_F(ProfileTest, LoadLineGoesToTheLoadLineItemOutsideFamilyF)
{
    UseBoard("7010");
    Start();
    m_settings->SetProfile(3, Profile(1, 2, 0, 0, 1));
    EXPECT_EQ(GearCalls(),
              (Strings{"OptiGearSetItem(0x0B060010, 3)", "OptiGearSetItem(0x0B060023, 1)",
                       "OptiGearSetItem(0x0B060022, 2)"}));
}

TEST_F(ProfileTest, DefaultsInMemoryOnly)
{
    Start();
    m_settings->Load();
    m_settings->SetProfile(1, Profile(0, 0, 0, 900, 0));
    m_settings->SaveAll();
    m_settings->LoadDefaults();
    EXPECT_EQ(m_settings->GetProfile(1).spinDownTimeout, 0);
    EXPECT_EQ(AdvanceValue("SpinDownTimeout_Normal"), 900u);
    EXPECT_TRUE(m_settings->ProfileDefaults(4) == Profile(0, 0, 1200000, 1200, 1));
    EXPECT_TRUE(m_settings->GetProfile(9) == tv::ModeProfile());
}

TEST_F(ProfileTest, TrayFlagsAreStoredOnTheirOwn)
{
    Start();
    m_settings->SetBalloonTipsEnabled(false);
    EXPECT_EQ(AdvanceValue("BalloonToolDisabled"), 1u);
    EXPECT_EQ(AdvanceValue("vCore_Low"), 0xDEADBEEFu) << "only that value";
    m_settings->SetRunAtSystemStartup(false);
    EXPECT_EQ(AdvanceValue("RunAtSystemStartup"), 1u);
    m_settings->SetRunAtSystemStartup(true);
    EXPECT_EQ(AdvanceValue("RunAtSystemStartup"), 0u);

    for (DWORD stored : {0u, 2u}) {
        tvtest::WriteRawDword(tv::reg::kAdvanceKey, "RunAtSystemStartup", stored);
        Start();
        m_settings->Load();
        EXPECT_TRUE(m_settings->RunAtSystemStartup()) << stored;
    }
}

TEST_F(ProfileTest, CalibrationNeededOnlyForAStoredOneAndNeverOnTypeF000)
{
    Start();
    EXPECT_FALSE(m_settings->CalibrationNeeded()) << "missing";
    m_settings->SetCalibrationNeeded(1);
    EXPECT_EQ(AdvanceValue("CalibrationNeeded"), 1u);
    EXPECT_TRUE(m_settings->CalibrationNeeded());
    m_settings->SetCalibrationNeeded(2);
    EXPECT_FALSE(m_settings->CalibrationNeeded());

    UseBoard("f000");
    Start();
    ASSERT_EQ(m_type, 0xF000u);
    m_settings->SetCalibrationNeeded(1);
    EXPECT_FALSE(m_settings->CalibrationNeeded());
}

TEST_F(ProfileTest, RecoveryFlagsWrittenAndTested)
{
    using tv::RecoveryFlag;
    const struct
    {
        RecoveryFlag flag;
        const char* name;
    } flags[] = {{RecoveryFlag::CheckSafe, "CheckSafeFlag"},
                 {RecoveryFlag::Calibration, "Calibration_Flag"},
                 {RecoveryFlag::Gear, "Gear_Flag"}};
    for (const auto& f : flags) {
        EXPECT_TRUE(tv::IsRecoveryFlagClear(f.flag)) << f.name << ": key or value missing";
        tv::SetRecoveryFlag(f.flag);
        EXPECT_EQ(AdvanceValue(f.name), 1u) << f.name;
        EXPECT_FALSE(tv::IsRecoveryFlagClear(f.flag)) << f.name;
        tv::ClearRecoveryFlag(f.flag);
        EXPECT_EQ(AdvanceValue(f.name), 0u) << f.name;
        EXPECT_TRUE(tv::IsRecoveryFlagClear(f.flag)) << f.name;
        tvtest::WriteRawDword(tv::reg::kAdvanceKey, f.name, 5);
        EXPECT_FALSE(tv::IsRecoveryFlagClear(f.flag)) << f.name;
        tvtest::WriteRawString(tv::reg::kAdvanceKey, f.name, REG_SZ, "1");
        EXPECT_TRUE(tv::IsRecoveryFlagClear(f.flag)) << f.name << ": another type reads as missing";
    }
    // Each flag is its own value.
    tv::SetRecoveryFlag(RecoveryFlag::Gear);
    tv::ClearRecoveryFlag(RecoveryFlag::CheckSafe);
    EXPECT_FALSE(tv::IsRecoveryFlagClear(RecoveryFlag::Gear));
    EXPECT_TRUE(tv::IsRecoveryFlagClear(RecoveryFlag::CheckSafe));
}

} // namespace
