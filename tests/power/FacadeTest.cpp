// The idle-doze, spin-down, port I/O and Windows power facades over the stand-ins: what they call,
// and how each behaves when its library is missing or incomplete.
#include "power/KdIoLib.h"
#include "power/OptiDozeLib.h"
#include "power/PowerMgr.h"
#include "power/SioChip.h"
#include "power/SpindownTimeoutLib.h"
#include "sim/board/Powrprof.h"
#include "tests/power/PowerTestSupport.h"

using powertest::Calls;
using simboard::Library;
using Strings = std::vector<std::string>;

namespace {

int Vista()
{
    return 6;
}
int Xp()
{
    return 5;
}
int VersionUnknown()
{
    return -1;
}

std::string WithoutBackslash(const std::string& folder)
{
    return folder.substr(0, folder.size() - 1);
}

class FacadeTest : public powertest::BoardTest
{};

// ---- idle doze ---------------------------------------------------------------------------------

TEST_F(FacadeTest, IdleDozeOnVistaMutesThroughVvc)
{
    simboard::ClearJournal();
    tv::OptiDozeLib doze(tvtest::StageDir(), Vista);
    ASSERT_TRUE(doze.IsPresent());
    EXPECT_EQ(Calls(Library::OptiDoze),
              (Strings{"OptiDozeInit()", "IsItemSupported(0x0B060003)", "IsKFanThreeSupported()"}));
    EXPECT_TRUE(doze.HasCapabilityItem());
    EXPECT_TRUE(doze.IsKFanThreeSupported());

    simboard::ClearJournal();
    EXPECT_TRUE(doze.ScreenOff());
    EXPECT_TRUE(doze.IsSleeping());
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Screen), 0);
    EXPECT_TRUE(doze.Mute());
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Mute), 1);
    EXPECT_TRUE(doze.Unmute());
    EXPECT_TRUE(doze.ScreenOn());
    EXPECT_FALSE(doze.IsSleeping());
    EXPECT_EQ(Calls(Library::OptiDoze), (Strings{"OptiDozeScreen(0)", "OptiDozeScreen(1)"}));
    EXPECT_EQ(Calls(Library::Vvc), (Strings{"VISTA_SetMute(1)", "VISTA_SetMute(0)"}));
}

TEST_F(FacadeTest, IdleDozeOnXpMutesThroughTheLibraryAndNeverLoadsVvc)
{
    // Without vvc.dll beside it, so that loading it would show.
    tvtest::TempDir folder;
    ASSERT_TRUE(powertest::CopyStageFile("OptiDoze.dll", folder, "OptiDoze.dll"));
    tv::OptiDozeLib doze(folder.Path(), Xp);
    ASSERT_TRUE(doze.IsPresent());
    simboard::ClearJournal();
    EXPECT_TRUE(doze.Mute());
    EXPECT_EQ(simboard::FieldValue(simboard::Field::Sound), 0);
    EXPECT_TRUE(doze.Unmute());
    EXPECT_EQ(Calls(Library::OptiDoze), (Strings{"OptiDozeSound(0)", "OptiDozeSound(1)"}));
    EXPECT_TRUE(Calls(Library::Vvc).empty());
}

TEST_F(FacadeTest, IdleDozeWhenTheVersionIsUnknownTakesVvc)
{
    tv::OptiDozeLib doze(tvtest::StageDir(), VersionUnknown);
    ASSERT_TRUE(doze.IsPresent());
    simboard::ClearJournal();
    doze.Mute();
    EXPECT_EQ(Calls(Library::Vvc), (Strings{"VISTA_SetMute(1)"}));
}

TEST_F(FacadeTest, MissingIdleDozeLibraryIsSilentAndDoesNothing)
{
    tvtest::TempDir folder;
    simboard::ClearJournal();
    tv::OptiDozeLib doze(folder.Path(), Vista);
    EXPECT_FALSE(doze.IsPresent());
    EXPECT_FALSE(doze.ScreenOff());
    EXPECT_FALSE(doze.ScreenOn());
    EXPECT_FALSE(doze.Mute());
    EXPECT_FALSE(doze.Unmute());
    EXPECT_FALSE(doze.HasCapabilityItem());
    EXPECT_FALSE(doze.IsSleeping());
    EXPECT_TRUE(simboard::ReadJournal().entries.empty());
}

TEST_F(FacadeTest, FailingVvcIsShownAndTheLibraryIsNotInitialised)
{
    tvtest::MessageBoxRecorder boxes;
    tvtest::TempDir folder;
    ASSERT_TRUE(powertest::CopyStageFile("OptiDoze.dll", folder, "OptiDoze.dll"));
    simboard::ClearJournal();
    tv::OptiDozeLib doze(folder.Path(), Vista);
    EXPECT_FALSE(doze.IsPresent());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Can not load " + folder.Path() + "vvc.dll");
    EXPECT_EQ(boxes.Boxes()[0].caption, "LoadLibrary Error");
    EXPECT_FALSE(doze.ScreenOff());
    EXPECT_FALSE(doze.Mute());
    EXPECT_TRUE(simboard::ReadJournal().entries.empty()) << "no OptiDozeInit, nothing after";

    // vvc.dll there but without its entry: absent as well.
    ASSERT_TRUE(powertest::CopyStageFile("KdSpindownTimeout.dll", folder, "vvc.dll"));
    tv::OptiDozeLib incomplete(folder.Path(), Vista);
    EXPECT_FALSE(incomplete.IsPresent());
    EXPECT_FALSE(incomplete.Mute());
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_TRUE(Calls(Library::OptiDoze).empty());
}

TEST_F(FacadeTest, IdleDozeLibraryThatDoesNotLoadIsShown)
{
    tvtest::MessageBoxRecorder boxes;
    tvtest::TempDir folder;
    folder.WriteFile("OptiDoze.dll", "not a library");
    tv::OptiDozeLib doze(folder.Path(), Xp);
    EXPECT_FALSE(doze.IsPresent());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Can not load " + folder.Path() + "OptiDoze.dll");
    EXPECT_EQ(boxes.Boxes()[0].caption, "LoadLibrary Error");

    // Another library under its name lacks the exports: absent, not shown.
    tvtest::TempDir other;
    ASSERT_TRUE(powertest::CopyStageFile("vvc.dll", other, "OptiDoze.dll"));
    tv::OptiDozeLib wrong(other.Path(), Xp);
    EXPECT_FALSE(wrong.IsPresent());
    EXPECT_FALSE(wrong.ScreenOff());
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

// ---- spin-down ---------------------------------------------------------------------------------

TEST_F(FacadeTest, SpinDownTimeGoesToTheLibrary)
{
    tv::SpindownTimeoutLib spindown(tv::SpindownTimeoutLib::kLibraryName);
    ASSERT_TRUE(spindown.IsPresent());
    simboard::ClearJournal();
    EXPECT_TRUE(spindown.SetSpindownTimeout(600));
    EXPECT_EQ(simboard::FieldValue(simboard::Field::SpindownSeconds), 600);
    EXPECT_TRUE(spindown.SetSpindownTimeout(0));
    EXPECT_EQ(Calls(Library::KdSpindownTimeout),
              (Strings{"KdSetSpindownTimeout(0x258)", "KdSetSpindownTimeout(0)"}));
}

TEST_F(FacadeTest, MissingSpinDownLibraryOrEntryIsShown)
{
    tvtest::MessageBoxRecorder boxes;
    tvtest::TempDir folder;
    tv::SpindownTimeoutLib missing(folder.Path() + "KdSpindownTimeout.dll");
    EXPECT_FALSE(missing.IsPresent());
    EXPECT_FALSE(missing.SetSpindownTimeout(600));

    ASSERT_TRUE(powertest::CopyStageFile("vvc.dll", folder, "KdSpindownTimeout.dll"));
    tv::SpindownTimeoutLib incomplete(folder.Path() + "KdSpindownTimeout.dll");
    EXPECT_FALSE(incomplete.IsPresent());
    EXPECT_FALSE(incomplete.SetSpindownTimeout(600));

    auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Can not load KdSpindownTimeout.dll");
    EXPECT_EQ(shown[0].caption, "Tetravolt");
    EXPECT_EQ(shown[1].text, "Can not attach the function of KdSpindownTimeout.dll");
    EXPECT_EQ(shown[1].caption, "Tetravolt");
    EXPECT_EQ(simboard::FieldValue(simboard::Field::SpindownSeconds), 1200);
}

// ---- port I/O ----------------------------------------------------------------------------------

TEST_F(FacadeTest, PortLibraryIsOpenedWithTheSystemFolder)
{
    simboard::ClearJournal();
    {
        tv::KdIoLib io(powertest::SystemFolder());
        ASSERT_TRUE(io.IsPresent());
        EXPECT_EQ(simboard::KdIoOpenFolder(), powertest::SystemFolder());
        io.Out(0x2E, 0x87);
        io.Out(0x2E, 0x87);
        io.Out(0x2E, 0x20);
        EXPECT_EQ(io.In(0x2F), 0x87);
        io.Out(0x2E, 0xAA);
    }
    EXPECT_EQ(Calls(Library::KdIo), (Strings{"KDIO_Open()", "KDIO_Close()"}));
}

TEST_F(FacadeTest, MissingPortLibraryOrEntriesAreShownAndTheChipIsLeftAlone)
{
    tvtest::MessageBoxRecorder boxes;
    tvtest::TempDir folder;
    auto gear = powertest::LoadGear();
    {
        tv::KdIoLib io(WithoutBackslash(folder.Path()));
        EXPECT_FALSE(io.IsPresent());
        EXPECT_EQ(io.In(0x2F), 0xFF);
        EXPECT_FALSE(io.Out(0x295, 0x4E));
        tv::SioChip chip(io, *gear);
        EXPECT_FALSE(chip.IsDetected());
        EXPECT_FALSE(chip.SetChassisFanOff());
        EXPECT_FALSE(chip.SetCpuFanUserMode({40, 100, 60, 150, 80, 255}));
        int half = 0;
        EXPECT_FALSE(chip.CpuTemperatureHalf(half));
    }
    ASSERT_TRUE(powertest::CopyStageFile("OptiDoze.dll", folder, "KdIo.dll"));
    {
        tv::KdIoLib io(WithoutBackslash(folder.Path()));
        EXPECT_FALSE(io.IsPresent());
        EXPECT_FALSE(io.Out(0x295, 0x4E));
    }
    auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "Can not load KdIo.dll");
    EXPECT_EQ(shown[0].caption, "");
    EXPECT_EQ(shown[1].text, "Can not get procedures in KdIO.dll");
    EXPECT_EQ(shown[1].caption, "");
    EXPECT_TRUE(simboard::ReadChipWrites().writes.empty());
    EXPECT_TRUE(Calls(Library::KdIo).empty());
}

TEST_F(FacadeTest, PortLibraryThatDoesNotOpenGivesNoAccess)
{
    simboard::SetField(simboard::Field::KdIoOpenFails, 1);
    tv::KdIoLib io(powertest::SystemFolder());
    EXPECT_FALSE(io.IsPresent());
    EXPECT_FALSE(io.Out(0x295, 0x4E));
}

// ---- Windows power schemes ---------------------------------------------------------------------

const GUID kBalanced = {
    0x381B4222, 0xF694, 0x41F0, {0x96, 0x85, 0xFF, 0x5B, 0xB2, 0x60, 0xDF, 0x2E}};
const GUID kPowerSaver = {
    0xA1841308, 0x3541, 0x4FAB, {0xBC, 0x81, 0xF7, 0x15, 0x56, 0xF2, 0x0B, 0x4A}};

class PowerMgrTest : public FacadeTest
{
protected:
    void SetUp() override
    {
        FacadeTest::SetUp();
        ASSERT_EQ(GetModuleHandleA("powrprof.dll"), nullptr)
            << "an earlier test kept Powrprof.dll loaded";
    }
    void TearDown() override
    {
        EXPECT_EQ(GetModuleHandleA("powrprof.dll"), nullptr) << "the facade keeps it loaded";
        FacadeTest::TearDown();
    }

    // Runs the probe, which works through the process-wide PowerMgr; its exit code.
    long RunProbe(DWORD* processId)
    {
        tvtest::Process probe;
        if (!probe.Start("powermgr_probe.exe")) {
            return -2;
        }
        *processId = probe.Id();
        return probe.Wait(30000);
    }

    Strings ProbeCalls(DWORD processId)
    {
        Strings calls;
        for (const auto& entry : simboard::ReadJournal().Calls(Library::Powrprof)) {
            if (entry.processId == processId) {
                calls.push_back(entry.Text());
            }
        }
        return calls;
    }
};

TEST_F(PowerMgrTest, GuidInterfaceWithAllEntries)
{
    tv::PowerMgr power(powertest::SystemFolder());
    ASSERT_TRUE(power.Available());
    GUID* active = nullptr;
    ASSERT_TRUE(power.PowerGetActiveScheme(&active));
    ASSERT_NE(active, nullptr);
    EXPECT_TRUE(IsEqualGUID(*active, kPowerSaver));
    LocalFree(active);
    EXPECT_TRUE(power.PowerSetActiveScheme(&kBalanced));
    GUID now;
    ASSERT_TRUE(simboard::GetActiveScheme(&now));
    EXPECT_TRUE(IsEqualGUID(now, kBalanced));
    EXPECT_EQ(Calls(Library::Powrprof),
              (Strings{"PowerGetActiveScheme()", "PowerSetActiveScheme(0x381B4222)"}));

    // The index entries exist beside it and are found on first use.
    UINT index = 99;
    EXPECT_TRUE(power.GetActivePwrScheme(&index));
    EXPECT_EQ(index, 0u);
    EXPECT_TRUE(power.SetActivePwrScheme(3));
    EXPECT_EQ(simboard::FieldValue(simboard::Field::SchemeIndex), 3);
}

TEST_F(PowerMgrTest, NoGuidInterfaceWithoutItsLibraries)
{
    tvtest::TempDir folder;
    tv::PowerMgr power(WithoutBackslash(folder.Path()));
    EXPECT_FALSE(power.Available());
    GUID* active = nullptr;
    EXPECT_FALSE(power.PowerGetActiveScheme(&active));
    EXPECT_EQ(active, nullptr);
    EXPECT_FALSE(power.PowerSetActiveScheme(&kBalanced));
    UINT index = 99;
    EXPECT_FALSE(power.GetActivePwrScheme(&index));
    EXPECT_FALSE(power.SetActivePwrScheme(3));
    EXPECT_TRUE(Calls(Library::Powrprof).empty());
}

TEST_F(PowerMgrTest, ProcessWideObjectUsesTheGuidInterface)
{
    DWORD id = 0;
    EXPECT_EQ(RunProbe(&id), 11);
    EXPECT_EQ(ProbeCalls(id), (Strings{"powrprof PowerGetActiveScheme() = 0 -> 0xA1841308",
                                       "powrprof PowerSetActiveScheme(0x381B4222) = 0"}));
}

TEST_F(PowerMgrTest, IndexInterfaceWhenPowerEnumerateIsMissing)
{
    DWORD id = 0;
    {
        simboard::ScopedPowrprof variant(simboard::PowrprofVariant::NoEnumerate);
        ASSERT_TRUE(variant.Installed()) << variant.Error();
        EXPECT_EQ(RunProbe(&id), 21);
    }
    EXPECT_EQ(ProbeCalls(id), (Strings{"powrprof GetActivePwrScheme() = 1 -> 0",
                                       "powrprof SetActivePwrScheme(4) = 1"}));
    EXPECT_EQ(simboard::FieldValue(simboard::Field::SchemeIndex), 4);
}

} // namespace
