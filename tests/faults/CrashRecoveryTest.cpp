// tetravolt.exe ended hard while its mode thread was inside a slow board call with "Gear_Flag"
// set: the next start puts the mode profiles back to their defaults, tells the user at the first
// show, keeps the energy totals of the last completed tick and leaves no flag set.
#include "shell/base/RegistrySchema.h"
#include "sim/board/Board.h"
#include "tests/faults/FaultSupport.h"

#include <gtest/gtest.h>
#include <cstring>

namespace {

using faults::ProgramRun;
using simboard::Library;

constexpr char kSpinDownLow[] = "SpinDownTimeout_Low";
constexpr int kUsersSpinDown = 300; // the user's own choice for Max power saving
constexpr int kDefaultSpinDown = 1200;

DWORD Flag(const char* name)
{
    return tvtest::ReadRawDword(tv::reg::kAdvanceKey, name, 0xFFFF);
}

double Total()
{
    return faults::RegistryDouble(tv::reg::kQemMbKey, tv::reg::kTotalSaving);
}
double Cumulative()
{
    return faults::RegistryDouble(tv::reg::kQemMbKey, tv::reg::kCumulativeSaving);
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Max power saving, as after another program moved the board's level and a resume applied it;
// the spin-down time it handed to the library.
int ApplyMaxSaving(const ProgramRun& program)
{
    const uint32_t mark = simboard::LastSequence();
    simboard::SetField(simboard::Field::Level, 2);
    tvtest::SendWithin(program.Window(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    tvtest::SendWithin(program.Window(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    auto spinDown =
        simboard::WaitForCall(Library::KdSpindownTimeout, "KdSetSpindownTimeout", mark, 10000);
    return spinDown && !spinDown->args.empty() ? spinDown->args[0] : -1;
}

// The universal dialog of the program, visible now or within timeoutMs.
HWND WaitForNotice(DWORD timeoutMs)
{
    HWND notice = nullptr;
    tvtest::WaitUntil(
        [&] {
            notice = FindWindowA("TUniversalDialog", nullptr);
            return notice && IsWindowVisible(notice);
        },
        timeoutMs);
    return notice && IsWindowVisible(notice) ? notice : nullptr;
}

// Clicks the notice's visible button.
void Acknowledge(HWND notice)
{
    for (POINT at : {POINT{146, 104}, POINT{277, 104}}) {
        HWND button = ChildWindowFromPointEx(notice, at, CWP_SKIPINVISIBLE);
        if (button && button != notice) {
            PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
            PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
            return;
        }
    }
}

class CrashRecoveryTest : public tvtest::CleanRegistryTest
{
protected:
    void SetUp() override
    {
        CleanRegistryTest::SetUp();
        std::string error;
        ASSERT_TRUE(simboard::Reset("default", &error)) << error;
        tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 1);
    }
    void TearDown() override
    {
        simboard::ClearCallDelays();
        CleanRegistryTest::TearDown();
    }
};

// A complete set of stored profiles (an incomplete one is replaced by the defaults), with the
// user's own spin-down time for Max power saving.
void StoreUsersProfiles()
{
    const char* const items[] = {
        "Fsb", "vCore", "LoadLine", "NbVolt", "Fan", "OptiDozeIdleTimeout", "SpinDownTimeout"};
    const char* const suffixes[] = {"_Turbo", "_Normal", "_Medium", "_Low", "_Auto"};
    for (const char* suffix : suffixes) {
        const bool saving = std::string(suffix) == "_Low" || std::string(suffix) == "_Auto";
        for (const char* item : items) {
            const std::string name = std::string(item) + suffix;
            DWORD value = 0;
            if (saving && name.compare(0, 3, "Fan") == 0) {
                value = 1;
            } else if (saving && name.compare(0, 8, "OptiDoze") == 0) {
                value = 1200000;
            } else if (saving && name.compare(0, 8, "SpinDown") == 0) {
                value = name == kSpinDownLow ? kUsersSpinDown : kDefaultSpinDown;
            }
            ASSERT_TRUE(tvtest::WriteRawDword(tv::reg::kAdvanceKey, name.c_str(), value));
        }
    }
}

TEST_F(CrashRecoveryTest, KilledBetweenSettingAndClearingGearFlag)
{
    StoreUsersProfiles();
    double total = 0;
    {
        ProgramRun program;
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(program.WaitUntilStarted());
        EXPECT_EQ(kUsersSpinDown, ApplyMaxSaving(program)) << "the user's profile in force";
        // Saving accrues in Max power saving from the next tick on.
        ASSERT_TRUE(tvtest::WaitUntil([] { return Total() > 0; }, faults::kTickWaitMs))
            << Total() << " level " << simboard::FieldValue(simboard::Field::Level);

        // High performance, its level call held by the board: the thread is inside the change.
        ASSERT_TRUE(simboard::SetCallDelay(Library::OptiGear, "OptiGearSetLevel", 30000));
        const uint32_t mark = simboard::LastSequence();
        PostMessageA(program.Window(), WM_USER + 31, 0, 0);
        ASSERT_TRUE(simboard::WaitForCall(Library::OptiGear, "OptiGearSetLevel(0)", mark, 10000));
        EXPECT_EQ(1u, Flag(tv::reg::kGearFlag)) << "set, flushed, before the level call";
        // The level is High performance already, so later ticks add nothing: the totals now are
        // those of the last tick in Max power saving.
        total = Total();
        program.Kill();
    }
    simboard::ClearCallDelays();
    ASSERT_EQ(1u, Flag(tv::reg::kGearFlag)) << "the killed run left it set";
    EXPECT_GT(total, 0.0);
    EXPECT_TRUE(SameBits(total, Total())) << "the last completed tick's total, " << total;
    EXPECT_TRUE(SameBits(Total(), Cumulative())) << "both figures from the same ticks";

    // Started again: the flags are cleared at once; a tick later the totals are unchanged (High
    // performance saves nothing): nothing lost, nothing counted twice.
    ProgramRun program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilStarted());
    EXPECT_TRUE(tvtest::WaitUntil(
        [] { return Flag(tv::reg::kGearFlag) == 0 && Flag(tv::reg::kCalibrationFlag) == 0; },
        5000));
    ASSERT_TRUE(tvtest::DeleteRaw(tv::reg::kQemMbKey, tv::reg::kCurrentPower));
    ASSERT_TRUE(tvtest::WaitUntil(
        [] { return tvtest::ReadRaw(tv::reg::kQemMbKey, tv::reg::kCurrentPower).exists; },
        faults::kTickWaitMs))
        << "no tick";
    EXPECT_TRUE(SameBits(total, Total())) << Total() << " instead of " << total;
    EXPECT_TRUE(SameBits(total, Cumulative())) << Cumulative() << " instead of " << total;

    // The first show tells the user; the next one does not.
    PostMessageA(program.Window(), WM_USER + 3, 85, 0);
    HWND notice = WaitForNotice(10000);
    ASSERT_NE(nullptr, notice) << "no back-to-default notice at the first show";
    EXPECT_FALSE(IsWindowVisible(program.Window())) << "the notice comes first";
    Acknowledge(notice);
    EXPECT_TRUE(
        tvtest::WaitUntil([&] { return IsWindowVisible(program.Window()) != FALSE; }, 10000));
    ShowWindow(program.Window(), SW_HIDE);
    PostMessageA(program.Window(), WM_USER + 3, 85, 0);
    EXPECT_TRUE(
        tvtest::WaitUntil([&] { return IsWindowVisible(program.Window()) != FALSE; }, 10000));
    EXPECT_EQ(nullptr, WaitForNotice(500)) << "told once only";

    // The profiles in memory are the defaults: the user's value is not applied.
    EXPECT_EQ(kDefaultSpinDown, ApplyMaxSaving(program));
    EXPECT_TRUE(tvtest::WaitUntil([] { return Flag(tv::reg::kGearFlag) == 0; }, 10000));
    EXPECT_EQ(0, program.Close());
    EXPECT_EQ(0u, Flag(tv::reg::kGearFlag));
    EXPECT_EQ(0u, Flag(tv::reg::kCalibrationFlag));
}

} // namespace

namespace {

void Click(HWND parent, POINT at)
{
    HWND control = ChildWindowFromPointEx(parent, POINT{at.x + 10, at.y + 10}, CWP_SKIPINVISIBLE);
    ASSERT_NE(nullptr, control);
    ASSERT_NE(parent, control);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
}

// Killed in the middle of a calibration started from the main window's calibrate button: the next
// start clears the flag, and the first show tells the user.
TEST_F(CrashRecoveryTest, KilledDuringACalibration)
{
    {
        ProgramRun program;
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(program.WaitUntilStarted());
        PostMessageA(program.Window(), WM_USER + 3, 85, 0);
        ASSERT_TRUE(
            tvtest::WaitUntil([&] { return IsWindowVisible(program.Window()) != FALSE; }, 10000));
        Click(program.Window(), POINT{178, 433}); // CalibrateButton
        HWND question = WaitForNotice(10000);
        ASSERT_NE(nullptr, question);
        Click(question, POINT{146, 104}); // "Calibrate"
        ASSERT_TRUE(tvtest::WaitUntil([] { return Flag(tv::reg::kCalibrationFlag) == 1; }, 10000))
            << "no calibration under way";
        // The flag comes first, the progress dialog right after it.
        EXPECT_TRUE(tvtest::WaitUntil(
            [] {
                HWND progress = FindWindowA("TProgressDialog", nullptr);
                return progress && IsWindowVisible(progress);
            },
            10000));
        program.Kill();
    }
    ASSERT_EQ(1u, Flag(tv::reg::kCalibrationFlag));

    ProgramRun program;
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.WaitUntilStarted());
    EXPECT_EQ(0u, Flag(tv::reg::kCalibrationFlag));
    EXPECT_EQ(0u, Flag(tv::reg::kGearFlag));
    PostMessageA(program.Window(), WM_USER + 3, 85, 0);
    HWND notice = WaitForNotice(10000);
    ASSERT_NE(nullptr, notice) << "no back-to-default notice at the first show";
    Acknowledge(notice);
    EXPECT_TRUE(
        tvtest::WaitUntil([&] { return IsWindowVisible(program.Window()) != FALSE; }, 10000));
    EXPECT_EQ(0, program.Close());
}

} // namespace
