// Fan control against the simulated board and chip: the K-Fan tables and modes from BIOS items
// and the registry, and the chip's register sequences of both classes (its write history), all
// under the lock the maker's programs share.
#include "lumo/System/Source/MessageBox.h"
#include "power/GearItems.h"
#include "power/KFanLib.h"
#include "power/KdIoLib.h"
#include "power/SioChip.h"
#include "shell/base/RegistrySchema.h"
#include "tests/power/PowerTestSupport.h"

#include <cstdio>
#include <string>
#include <vector>

using powertest::GearCalls;
using Strings = std::vector<std::string>;

namespace {

// One register write as "bank:register=value", all in hexadecimal.
std::string W(int bank, int reg, int value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%X:%02X=%02X", bank, reg, value);
    return text;
}

Strings ChipWrites()
{
    Strings writes;
    for (const simboard::ChipWrite& write : simboard::ReadChipWrites().writes) {
        writes.push_back(W(write.bank, write.reg, write.value));
    }
    return writes;
}

// Twelve curve registers from first on, in bank.
Strings Curve(int bank, int first, std::vector<int> values)
{
    Strings writes;
    for (size_t i = 0; i < values.size(); ++i) {
        writes.push_back(W(bank, first + static_cast<int>(i), values[i]));
    }
    return writes;
}

Strings Join(std::initializer_list<Strings> parts)
{
    Strings all;
    for (const Strings& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::string Bytes(const std::array<BYTE, 6>& curve)
{
    std::string text;
    for (BYTE b : curve) {
        text += (text.empty() ? "" : " ") + std::to_string(b);
    }
    return text;
}

void WriteKFan(const char* prefix, int index, DWORD value)
{
    tvtest::WriteRawDword(tv::reg::kKFanKey, tv::reg::KFanValueName(prefix, index).c_str(), value);
}

DWORD ReadKFan(const char* prefix, int index)
{
    return tvtest::ReadRawDword(tv::reg::kKFanKey, tv::reg::KFanValueName(prefix, index).c_str(),
                                0xDEADBEEF);
}

void WriteUserCurve(const std::vector<DWORD>& curve)
{
    for (int i = 0; i < 3; ++i) {
        WriteKFan("Temp", i, curve[2 * i]);
        WriteKFan("Speed", i, curve[2 * i + 1]);
    }
}

class FanTest : public powertest::BoardTest
{
protected:
    // Facade, port library, chip and K-Fan over the board as it is now; journal and chip
    // history cleared after.
    void Start()
    {
        m_fan.reset();
        m_chip.reset();
        m_io.reset();
        m_gear = powertest::LoadGear();
        m_io = std::make_unique<tv::KdIoLib>(powertest::SystemFolder());
        ASSERT_TRUE(m_io->IsPresent());
        m_chip = std::make_unique<tv::SioChip>(*m_io, *m_gear);
        m_fan = std::make_unique<tv::KFanLib>(*m_gear, *m_chip);
        m_fan->Initialise();
        simboard::ClearJournal();
        simboard::ClearChipWrites();
    }

    void TearDown() override
    {
        m_fan.reset();
        m_chip.reset();
        m_io.reset();
        powertest::BoardTest::TearDown();
    }

    std::unique_ptr<tv::PowerGearDll> m_gear;
    std::unique_ptr<tv::KdIoLib> m_io;
    std::unique_ptr<tv::SioChip> m_chip;
    std::unique_ptr<tv::KFanLib> m_fan;
};

// ---- chip detection and sequences --------------------------------------------------------------

TEST_F(FanTest, ChipClassFromItsId)
{
    Start();
    EXPECT_TRUE(m_chip->IsDetected());
    EXPECT_EQ(m_chip->Id(), 0x8728);
    EXPECT_EQ(m_chip->Class(), tv::SioChip::ChipClass::A);

    UseBoard("chipb");
    Start();
    EXPECT_EQ(m_chip->Id(), 0xB35A);
    EXPECT_EQ(m_chip->Class(), tv::SioChip::ChipClass::B);
}

TEST_F(FanTest, ClassAUserCurveIsWrittenRaisedThenTrueAndClamped)
{
    WriteUserCurve({40, 30, 99, 100, 120, 200});
    Start();
    tv::KFanLib::Curve curve = m_fan->GetCurveSet(tv::KFanLib::kUserCurve);
    EXPECT_EQ(Bytes(curve), "40 30 99 100 120 200");
    EXPECT_TRUE(m_fan->SetCpuFanUserMode(curve));
    // 99 is 101 raised, clamped to 100, then 99; 120 is 100 in both passes.
    EXPECT_EQ(ChipWrites(),
              Join({{W(0, 0x4E, 0)},
                    Curve(0, 0x6F, {42, 71, 100, 100, 100, 101, 30, 65, 100, 150, 200, 255}),
                    {W(0, 0x4E, 0)},
                    Curve(0, 0x6F, {40, 69, 99, 99, 100, 101, 30, 65, 100, 150, 200, 255}),
                    {W(0, 0x4E, 0)}}));
    EXPECT_EQ(simboard::ChipRegister(0, 0x71), 99);
    EXPECT_TRUE(GearCalls().empty()) << "class A needs no BIOS hand-over";
}

TEST_F(FanTest, ClassAChassisAndRestoreSequences)
{
    Start();
    tv::KFanLib::ChassisPair pair = m_fan->GetChassisPair(1);
    EXPECT_TRUE(m_fan->SetChassisFanSilent(pair[0], pair[1]));
    EXPECT_EQ(ChipWrites(), (Strings{W(0, 0x4E, 0), W(0, 0x04, 0), W(0, 0x03, 155), W(0, 0x06, 70),
                                     W(0, 0x68, 10), W(0, 0x04, 0x71), W(0, 0x4E, 0)}));
    simboard::ClearChipWrites();
    EXPECT_TRUE(m_fan->RestoreChassisFan());
    EXPECT_EQ(ChipWrites(), (Strings{W(0, 0x4E, 0), W(0, 0x04, 0), W(0, 0x03, 255),
                                     W(0, 0x04, 0x41), W(0, 0x4E, 0)}));
    simboard::ClearChipWrites();
    EXPECT_TRUE(m_fan->SetChassisFanOff());
    EXPECT_EQ(ChipWrites(), (Strings{W(0, 0x4E, 0), W(0, 0x04, 0), W(0, 0x03, 0), W(0, 0x04, 0x41),
                                     W(0, 0x4E, 0)}));
    simboard::ClearChipWrites();
    EXPECT_TRUE(m_fan->RestoreCpuFan());
    EXPECT_EQ(ChipWrites(), Join({{W(0, 0x4E, 0)},
                                  Curve(0, 0x6F, {0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}),
                                  {W(0, 0x4E, 0)}}));
}

TEST_F(FanTest, SequencesPutTheBankBackTheyFound)
{
    Start();
    ASSERT_TRUE(simboard::SetChipRegister(0, 0x4E, 1));
    simboard::ClearChipWrites();
    EXPECT_TRUE(m_fan->SetChassisFanOff());
    Strings writes = ChipWrites();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), W(1, 0x4E, 0));
    EXPECT_EQ(writes.back(), W(0, 0x4E, 1));
}

TEST_F(FanTest, ClassBSequencesUseItsRegistersAndHandOverFirst)
{
    UseBoard("chipb");
    WriteUserCurve({40, 30, 99, 100, 120, 200});
    Start();
    EXPECT_TRUE(m_fan->SetCpuFanUserMode(m_fan->GetCurveSet(tv::KFanLib::kUserCurve)));
    EXPECT_EQ(GearCalls(), (Strings{"SetItemEx(0x11060004, 0, 1)"}));
    // Register 0x06 is nudged after each curve write and put back (no drift).
    const Strings nudge = {W(0x0A, 0x4E, 0), W(0, 0x06, 0x22), W(0, 0x06, 0x20)};
    EXPECT_EQ(ChipWrites(),
              Join({{W(0, 0x4E, 0x0A)},
                    Curve(0x0A, 0x51, {42, 71, 100, 100, 100, 101, 30, 65, 100, 150, 200, 255}),
                    nudge,
                    {W(0, 0x4E, 0x0A)},
                    Curve(0x0A, 0x51, {40, 69, 99, 99, 100, 101, 30, 65, 100, 150, 200, 255}),
                    nudge,
                    {W(0, 0x4E, 0)}}));
    EXPECT_EQ(simboard::ChipRegister(0, 0x06), 0x20);

    simboard::ClearChipWrites();
    simboard::ClearJournal();
    EXPECT_TRUE(m_fan->RestoreCpuFan());
    EXPECT_EQ(ChipWrites(),
              Join({{W(0, 0x4E, 0x0A)},
                    Curve(0x0A, 0x51, {0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}),
                    nudge,
                    {W(0, 0x4E, 0)}}));

    simboard::ClearChipWrites();
    EXPECT_TRUE(m_fan->SetChassisFanSilent(70, 10));
    EXPECT_EQ(ChipWrites(), (Strings{W(0, 0x4E, 0), W(0, 0x04, 0), W(0, 0x01, 155), W(0, 0x05, 70),
                                     W(0, 0x68, 10), W(0, 0x04, 0x4D), W(0, 0x4E, 0)}));
    simboard::ClearChipWrites();
    EXPECT_TRUE(m_fan->RestoreChassisFan());
    EXPECT_EQ(ChipWrites(), (Strings{W(0, 0x4E, 0), W(0, 0x04, 0), W(0, 0x01, 255),
                                     W(0, 0x04, 0x41), W(0, 0x4E, 0)}));
    simboard::ClearChipWrites();
    EXPECT_TRUE(m_fan->SetChassisFanOff());
    EXPECT_EQ(ChipWrites(), (Strings{W(0, 0x4E, 0), W(0, 0x04, 0), W(0, 0x01, 0), W(0, 0x04, 0x41),
                                     W(0, 0x4E, 0)}));
    EXPECT_EQ(GearCalls(), (Strings{"SetItemEx(0x11060004, 0, 1)", "SetItemEx(0x11060004, 0, 1)",
                                    "SetItemEx(0x11060004, 0, 1)", "SetItemEx(0x11060004, 0, 1)"}));
}

TEST_F(FanTest, ClassBWithoutTheHandOverItemAndWithItFailing)
{
    ASSERT_TRUE(simboard::SetChipId(0xB35A));
    Start();
    ASSERT_EQ(m_chip->Class(), tv::SioChip::ChipClass::B);
    EXPECT_TRUE(m_fan->SetChassisFanOff());
    EXPECT_TRUE(GearCalls().empty()) << "the default board lacks item 0x11060004";

    // The box waits on the user: by then the lock the maker's other programs share is free.
    struct Seen
    {
        std::vector<std::string> texts;
        std::vector<bool> lockFree;
    } seen;
    lumo::SetMessageBoxHook(
        [](void* context, HWND, const char* text, const char*, UINT) {
            auto* record = static_cast<Seen*>(context);
            record->texts.push_back(text);
            HANDLE lock = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, "KALDO_SIO_MUTEX");
            bool free = lock && WaitForSingleObject(lock, 0) == WAIT_OBJECT_0;
            if (free) {
                SetEvent(lock);
            }
            if (lock) {
                CloseHandle(lock);
            }
            record->lockFree.push_back(free);
            return IDOK;
        },
        &seen);
    struct GuardAgain
    {
        ~GuardAgain() { tvtest::InstallMessageBoxGuard(); }
    } restore;
    UseBoard("chipb");
    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kSioHandOver, true, false, true));
    Start();
    // The temperature read of the tables was the first sequence.
    EXPECT_EQ(seen.texts.size(), 1u);
    EXPECT_TRUE(m_fan->SetChassisFanOff());
    ASSERT_EQ(seen.texts.size(), 2u);
    EXPECT_EQ(seen.texts[1], "Can not set Item(11060004) to BIOS");
    EXPECT_EQ(seen.lockFree, (std::vector<bool>{true, true}));
    EXPECT_EQ(ChipWrites().size(), 5u) << "the sequence still runs";
}

TEST_F(FanTest, CpuTemperatureInHalfDegrees)
{
    ASSERT_TRUE(simboard::SetCpuTemperatureHalf(131));
    Start();
    int half = 0;
    EXPECT_TRUE(m_chip->CpuTemperatureHalf(half));
    EXPECT_EQ(half, 131);
    EXPECT_EQ(ChipWrites(), (Strings{W(0, 0x4E, 1), W(1, 0x4E, 0)}));
}

// ---- the lock shared with the maker's other programs -------------------------------------------

class SioLockHolder
{
public:
    SioLockHolder()
    {
        const std::string suffix = std::to_string(GetCurrentProcessId());
        m_heldName = "TetravoltTest.SioHeld." + suffix;
        m_releaseName = "TetravoltTest.SioRelease." + suffix;
        m_held = CreateEventA(nullptr, TRUE, FALSE, m_heldName.c_str());
        m_release = CreateEventA(nullptr, TRUE, FALSE, m_releaseName.c_str());
    }
    ~SioLockHolder()
    {
        Release();
        CloseHandle(m_held);
        CloseHandle(m_release);
    }
    // Starts the holder and waits until it has the lock.
    bool Take()
    {
        return m_process.Start("siolockholder.exe", m_heldName + " " + m_releaseName) &&
               WaitForSingleObject(m_held, 10000) == WAIT_OBJECT_0;
    }
    // Exit code of the holder.
    long Release()
    {
        SetEvent(m_release);
        return m_process.Handle() ? m_process.Wait(10000) : 0;
    }

private:
    std::string m_heldName;
    std::string m_releaseName;
    HANDLE m_held;
    HANDLE m_release;
    tvtest::Process m_process;
};

TEST_F(FanTest, SequenceIsSkippedWhileAnotherProgramHoldsTheLock)
{
    Start();
    tvtest::TraceCapture trace;
    SioLockHolder holder;
    ASSERT_TRUE(holder.Take());
    const DWORD start = GetTickCount();
    EXPECT_FALSE(m_fan->SetChassisFanOff());
    // Waited for the lock's time limit, not less (a generous margin for the timer).
    EXPECT_GE(GetTickCount() - start, 1500u);
    EXPECT_TRUE(ChipWrites().empty());
    EXPECT_TRUE(
        trace.Contains("KALDO_SIO_MUTEX not taken within 2000 ms, SetChassisFanOff skipped"));
    EXPECT_EQ(holder.Release(), 0);

    EXPECT_TRUE(m_fan->SetChassisFanOff());
    EXPECT_EQ(ChipWrites().size(), 5u);
}

TEST_F(FanTest, ChipCreatedWhileTheLockIsTakenIsDetectedLater)
{
    ASSERT_TRUE(simboard::SetChipId(0xB35A));
    m_gear = powertest::LoadGear();
    m_io = std::make_unique<tv::KdIoLib>(powertest::SystemFolder());
    SioLockHolder holder;
    ASSERT_TRUE(holder.Take());
    m_chip = std::make_unique<tv::SioChip>(*m_io, *m_gear);
    EXPECT_FALSE(m_chip->IsDetected());
    EXPECT_EQ(holder.Release(), 0);
    simboard::ClearChipWrites();

    EXPECT_TRUE(m_chip->SetChassisFanOff());
    EXPECT_TRUE(m_chip->IsDetected());
    EXPECT_EQ(m_chip->Class(), tv::SioChip::ChipClass::B);
    EXPECT_EQ(ChipWrites()[2], W(0, 0x01, 0)) << "class B's duty register";
}

// ---- K-Fan tables and modes --------------------------------------------------------------------

TEST_F(FanTest, TablesFromTheBiosBaseTemperatureAndTheCpuTemperature)
{
    Start();
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(0)), "30 55 60 255 60 255");
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(1)), "39 55 69 255 69 255");
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(2)), "21 55 51 255 51 255");
    // CPU at 45.5 degrees.
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(3)), "40 51 50 102 60 255");
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(4)), "0 128 36 128 75 128");
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(17)), "30 55 60 255 60 255");
    EXPECT_EQ(m_fan->GetChassisPair(0)[0], 60);
    EXPECT_EQ(m_fan->GetChassisPair(1)[0], 70);
    EXPECT_EQ(m_fan->GetChassisPair(2)[0], 50);
    EXPECT_EQ(m_fan->GetChassisPair(2)[1], 10);
}

TEST_F(FanTest, TableArithmeticWrapsOnBytes)
{
    ASSERT_TRUE(simboard::SetItem(tv::item::kFanBaseTemperature, 0x105)); // one byte: 5
    Start();
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(0)), "231 55 5 255 5 255");
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(2)), "222 55 252 255 252 255");
    EXPECT_EQ(m_fan->GetChassisPair(2)[0], 251);
}

TEST_F(FanTest, SecondCurveSetFromTheRegistryWhenComplete)
{
    const DWORD values[6] = {50, 60, 70, 80, 90, 255};
    for (int i = 0; i < 3; ++i) {
        WriteKFan("Temp", 3 + i, values[2 * i]);
        WriteKFan("Speed", 3 + i, values[2 * i + 1]);
    }
    Start();
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(3)), "50 60 70 80 90 255");

    ASSERT_TRUE(tvtest::DeleteRaw(tv::reg::kKFanKey, "Speed5"));
    Start();
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(3)), "40 51 50 102 60 255");
    EXPECT_EQ(ReadKFan("Speed", 5), 0xDEADBEEFu) << "that set is never written";
}

TEST_F(FanTest, UnreadableCpuTemperatureGivesAFullDutySet)
{
    tvtest::MessageBoxRecorder boxes;
    tvtest::TempDir folder;
    auto gear = powertest::LoadGear();
    tv::KdIoLib io(folder.Path().substr(0, folder.Path().size() - 1));
    tv::SioChip chip(io, *gear);
    tv::KFanLib fan(*gear, chip);
    fan.Initialise();
    EXPECT_EQ(Bytes(fan.GetCurveSet(3)), "0 255 0 255 0 255");
    EXPECT_EQ(boxes.Boxes().size(), 1u) << "only the missing library's box";
}

TEST_F(FanTest, MissingUserCurveValueRecreatesAllSix)
{
    Start();
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(tv::KFanLib::kUserCurve)), "30 55 45 155 60 255");
    EXPECT_EQ(ReadKFan("Temp", 1), 45u);
    EXPECT_EQ(ReadKFan("Speed", 1), 155u);

    WriteUserCurve({35, 40, 55, 120, 75, 250});
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(tv::KFanLib::kUserCurve)), "35 40 55 120 75 250");
    ASSERT_TRUE(tvtest::DeleteRaw(tv::reg::kKFanKey, "Speed1"));
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(tv::KFanLib::kUserCurve)), "30 55 45 155 60 255");
    const DWORD expected[6] = {30, 55, 45, 155, 60, 255};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ReadKFan("Temp", i), expected[2 * i]) << i;
        EXPECT_EQ(ReadKFan("Speed", i), expected[2 * i + 1]) << i;
    }
}

TEST_F(FanTest, UserCurveValuesBeyondAByteMeanTheMost)
{
    WriteUserCurve({300, 40, 55, 999, 75, 250});
    Start();
    EXPECT_EQ(Bytes(m_fan->GetCurveSet(tv::KFanLib::kUserCurve)), "255 40 55 255 75 250");
}

TEST_F(FanTest, FanModesFromTheBiosItems)
{
    Start();
    EXPECT_EQ(m_fan->CpuFanMode(), 0xFF) << "BIOS CPU fan control off";
    EXPECT_EQ(m_fan->ChassisFanMode(), 0xFF);

    // BIOS control on: the program leaves such a fan alone.
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuFanBiosControl, 1));
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuFanBiosMode, 2));
    ASSERT_TRUE(simboard::SetItem(tv::item::kChassisFanBiosControl, 1));
    ASSERT_TRUE(simboard::SetItem(tv::item::kChassisFanBiosMode, 1));
    EXPECT_EQ(m_fan->CpuFanMode(), 2);
    EXPECT_EQ(m_fan->ChassisFanMode(), 1);

    tvtest::WriteRawDword(tv::reg::kKFanKey, "ExtraMode", 1);
    EXPECT_EQ(m_fan->CpuFanMode(), 3);
    EXPECT_EQ(m_fan->ChassisFanMode(), 1) << "ExtraMode shifts the CPU fan only";
    tvtest::WriteRawDword(tv::reg::kKFanKey, "ExtraMode", 0);

    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuFanBiosMode, 3));
    ASSERT_TRUE(simboard::SetItem(tv::item::kChassisFanBiosMode, 7));
    EXPECT_EQ(m_fan->CpuFanMode(), 0);
    EXPECT_EQ(m_fan->ChassisFanMode(), 0);
    ASSERT_TRUE(simboard::SetItem(tv::item::kCpuFanBiosControl, 2));
    EXPECT_EQ(m_fan->CpuFanMode(), 0xFF);
    EXPECT_TRUE(ChipWrites().empty()) << "asking changes nothing";
}

TEST_F(FanTest, UnreadableBiosItemIsShown)
{
    Start();
    tvtest::MessageBoxRecorder boxes;
    ASSERT_TRUE(simboard::SetItemFlags(tv::item::kCpuFanBiosControl, true, true, false));
    EXPECT_EQ(m_fan->CpuFanMode(), 0xFF);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Can not get Item(4070010) from BIOS");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Opti Gear");
}

} // namespace
