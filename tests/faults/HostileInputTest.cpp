// tetravolt.exe facing what others left behind: registry values of the wrong type, size or
// content, and broken files beside it (the maker's libraries missing, cut or without their
// entries, the PNG library unable to decode, pictures cut short, a language file of garbage).
// The program starts, says so in a message box where it has one, and keeps running.
#include "shell/base/RegistrySchema.h"
#include "sim/board/Board.h"
#include "tests/faults/FaultSupport.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using faults::ProgramRun;

struct Planted
{
    const char* path;
    std::string name;
    enum Kind
    {
        Dword,
        Double,
        FileTime
    } kind;
};

// Every value the program reads (the installer's RunOnce value aside: any text there means a
// reboot is pending).
std::vector<Planted> ReadValues()
{
    using namespace tv::reg;
    std::vector<Planted> values;
    for (const char* name :
         {"NotFirstTime", "LastMode", "Threshold1", "Threshold2", "Threshold3"}) {
        values.push_back({kMainKey, name, Planted::Dword});
    }
    for (const char* name : {"RunAtSystemStartup", "BalloonToolDisabled", "CheckSafeFlag",
                             "Calibration_Flag", "Gear_Flag", "CalibrationNeeded"}) {
        values.push_back({kAdvanceKey, name, Planted::Dword});
    }
    for (const char* item :
         {"Fsb", "vCore", "LoadLine", "NbVolt", "Fan", "OptiDozeIdleTimeout", "SpinDownTimeout"}) {
        for (const char* suffix : {"_Turbo", "_Normal", "_Medium", "_Low", "_Auto"}) {
            values.push_back({kAdvanceKey, std::string(item) + suffix, Planted::Dword});
        }
    }
    for (const char* key : {kQemMbKey, kQemVgaKey}) {
        values.push_back({key, "TotalSaving", Planted::Double});
        values.push_back({key, "CumulativeSaving", Planted::Double});
    }
    values.push_back({kQemMbKey, "ResetTime", Planted::FileTime});
    values.push_back({kQemMbKey, "TotalResetTime", Planted::FileTime});
    values.push_back({kCardUtilityKey, "SyncEnabled", Planted::Dword});
    for (int i = 0; i < 6; ++i) {
        values.push_back(
            {"Software\\KALDO\\Opti Suite\\KFan", "Temp" + std::to_string(i), Planted::Dword});
        values.push_back(
            {"Software\\KALDO\\Opti Suite\\KFan", "Speed" + std::to_string(i), Planted::Dword});
    }
    values.push_back({"Software\\KALDO\\Opti Suite\\KFan", "ExtraMode", Planted::Dword});
    return values;
}

// Variant v of a hostile value of that kind; false when v is past the kind's list.
bool Plant(const Planted& value, size_t v)
{
    const std::string garbage(4096, '\xA5');
    auto binary = [&](size_t size) {
        return tvtest::WriteRaw(value.path, value.name.c_str(), REG_BINARY, garbage.data(),
                                static_cast<DWORD>(size));
    };
    auto eight = [&](const void* bytes) {
        return tvtest::WriteRaw(value.path, value.name.c_str(), REG_BINARY, bytes, 8);
    };
    // Shared by every kind: the wrong type, and every wrong size.
    switch (v) {
    case 0:
        return tvtest::WriteRawString(value.path, value.name.c_str(), REG_SZ, "garbage");
    case 1:
        return binary(0);
    case 2:
        return binary(1);
    case 3:
        return binary(3);
    case 4:
        return tvtest::WriteRaw(value.path, value.name.c_str(), REG_DWORD, garbage.data(), 7);
    case 5:
        return binary(9);
    case 6:
        return binary(4096);
    default:
        break;
    }
    v -= 7;
    if (value.kind == Planted::Dword) {
        const DWORD extremes[] = {0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu};
        return v < 3 && tvtest::WriteRawDword(value.path, value.name.c_str(), extremes[v]);
    }
    if (value.kind == Planted::Double) {
        const double inf = std::numeric_limits<double>::infinity();
        const double doubles[] = {std::numeric_limits<double>::quiet_NaN(), inf, -inf, -5.0, 1e308};
        return v < 5 && eight(&doubles[v]);
    }
    const unsigned long long times[] = {0, 1, 0x7FFFFFFFFFFFFFFFull, 0xFFFFFFFFFFFFFFFFull,
                                        0x8000000000000000ull};
    return v < 5 && eight(&times[v]);
}

bool SoundDouble(const char* key, const char* name)
{
    const double value = faults::RegistryDouble(key, name);
    return std::isfinite(value) && value >= 0;
}

// An 8-byte FILETIME that is a date of this machine's clock (give or take a day) or one the
// program kept as the user's.
bool SoundTime(const char* name, bool plantedWasADate)
{
    tvtest::RawValue raw = tvtest::ReadRaw(tv::reg::kQemMbKey, name);
    if (!raw.exists || raw.type != REG_BINARY || raw.data.size() != 8) {
        return false;
    }
    FILETIME stored;
    std::memcpy(&stored, raw.data.data(), 8);
    SYSTEMTIME date;
    if (!FileTimeToSystemTime(&stored, &date)) {
        return false;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    return plantedWasADate || (date.wYear >= now.wYear - 1 && date.wYear <= now.wYear + 1);
}

// Dismisses the dialog the show may bring first (the first-run offer or the back-to-default
// notice), then waits for the window.
bool ShowThroughDialogs(const ProgramRun& program)
{
    PostMessageA(program.Window(), WM_USER + 3, 85, 0);
    return tvtest::WaitUntil(
        [&] {
            HWND dialog = FindWindowA("TUniversalDialog", nullptr);
            if (dialog && IsWindowVisible(dialog)) {
                // The right-hand button ("Exit" of the offer) when shown, else the only one.
                for (POINT at : {POINT{277, 104}, POINT{146, 104}}) {
                    HWND button = ChildWindowFromPointEx(dialog, at, CWP_SKIPINVISIBLE);
                    if (button && button != dialog) {
                        PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
                        PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
                        break;
                    }
                }
                Sleep(300);
            }
            return IsWindowVisible(program.Window()) != FALSE;
        },
        15000);
}

class HostileInputTest : public tvtest::CleanRegistryTest
{
protected:
    void SetUp() override
    {
        CleanRegistryTest::SetUp();
        std::string error;
        ASSERT_TRUE(simboard::Reset("default", &error)) << error;
    }
    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\KALDO");
        CleanRegistryTest::TearDown();
    }
};

// Three starts; in each, every value gets another hostile variant, so that each sees the wrong
// type and several wrong sizes or contents over the three.
TEST_F(HostileInputTest, HostileRegistryValues)
{
    const std::vector<Planted> values = ReadValues();
    for (size_t round = 0; round < 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\KALDO");
        bool resetTimeWasADate = false, totalResetTimeWasADate = false;
        for (size_t i = 0; i < values.size(); ++i) {
            const Planted& value = values[i];
            const size_t kinds = value.kind == Planted::Dword ? 10 : 12;
            size_t v = (i * 5 + round * 4) % kinds;
            if (value.kind == Planted::Double) {
                // Both figures of an account alike, or the load drops the pair for the other's
                // wrong shape: not a number, infinities, negative, huge, nine bytes.
                const size_t board[] = {7, 8, 9}, card[] = {10, 11, 5};
                v = (std::string(value.path) == tv::reg::kQemMbKey ? board : card)[round];
            }
            ASSERT_TRUE(Plant(value, v)) << value.name << " variant " << v;
            if (value.kind == Planted::FileTime && v >= 7 && v <= 9) {
                (value.name == "ResetTime" ? resetTimeWasADate : totalResetTimeWasADate) = true;
            }
        }

        ProgramRun program;
        ASSERT_TRUE(program.Start());
        EXPECT_TRUE(program.Boxes().empty()) << program.Boxes().front().text;
        ASSERT_TRUE(ShowThroughDialogs(program)) << "the window does not show";
        tvtest::DeleteRaw(tv::reg::kQemMbKey, tv::reg::kCurrentPower);
        ASSERT_TRUE(tvtest::WaitUntil(
            [] { return tvtest::ReadRaw(tv::reg::kQemMbKey, tv::reg::kCurrentPower).exists; },
            faults::kTickWaitMs))
            << "no energy tick";

        // The other period shown too (the Current/Total switch): each start date has been read.
        const HWND switchButton =
            ChildWindowFromPointEx(program.Window(), POINT{489 + 20, 229 + 10}, CWP_SKIPINVISIBLE);
        ASSERT_NE(nullptr, switchButton);
        PostMessageA(switchButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
        PostMessageA(switchButton, WM_LBUTTONUP, 0, MAKELPARAM(20, 10));

        // What the program wrote back is sound.
        for (const char* key : {tv::reg::kQemMbKey, tv::reg::kQemVgaKey}) {
            EXPECT_TRUE(SoundDouble(key, tv::reg::kTotalSaving)) << key;
            EXPECT_TRUE(SoundDouble(key, tv::reg::kCumulativeSaving)) << key;
        }
        EXPECT_TRUE(tvtest::WaitUntil(
            [&] {
                return SoundTime(tv::reg::kResetTime, resetTimeWasADate) &&
                       SoundTime(tv::reg::kTotalResetTime, totalResetTimeWasADate);
            },
            5000));
        for (const char* flag : {"Gear_Flag", "Calibration_Flag", "CheckSafeFlag"}) {
            EXPECT_EQ(0u, tvtest::ReadRawDword(tv::reg::kAdvanceKey, flag, 0xFFFF)) << flag;
        }
        EXPECT_EQ(1u, tvtest::ReadRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 0xFFFF));
        EXPECT_TRUE(program.Answers(1000));
        EXPECT_EQ(0, program.Close());
    }
}

} // namespace

namespace {

// The program from a folder with broken files: started, a full mode change asked for, shown.
// Returns the texts of the message boxes it gave; the program must still run and answer.
std::vector<std::string> RunBroken(const faults::ProgramFolder& folder)
{
    std::vector<std::string> texts;
    ProgramRun program;
    EXPECT_TRUE(program.Start(folder.Path())) << "no main window";
    if (!program.Window()) {
        return texts;
    }
    PostMessageA(program.Window(), WM_USER + 31, 0, 0);
    tvtest::WaitUntil(
        [&] {
            program.AnswerBoxes();
            return false;
        },
        1500);
    EXPECT_TRUE(tvtest::WaitUntil(
        [&] {
            program.AnswerBoxes();
            return ShowThroughDialogs(program);
        },
        20000))
        << "the window does not show";
    program.AnswerBoxes();
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(program.Answers(1000));
    for (const faults::Box& box : program.Boxes()) {
        texts.push_back(box.text);
    }
    EXPECT_EQ(0, program.Close());
    return texts;
}

TEST_F(HostileInputTest, BrokenFilesBesideTheProgram)
{
    faults::ProgramFolder folder;
    ASSERT_TRUE(folder.Ready());
    tvtest::WriteRawDword(tv::reg::kMainKey, tv::reg::kNotFirstTime, 1);
    const std::string notADll = "MZ this is not a library at all";

    {
        SCOPED_TRACE("the power-gear library missing");
        folder.Remove("OptiGear.dll");
        auto texts = RunBroken(folder);
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ("Can not find " + folder.Path() + "OptiGear.dll", texts[0]);
        folder.Restore();
    }
    {
        SCOPED_TRACE("the power-gear library not a library");
        folder.Replace("OptiGear.dll", notADll);
        auto texts = RunBroken(folder);
        ASSERT_EQ(1u, texts.size());
        EXPECT_EQ("Can not load " + folder.Path() + "OptiGear.dll. Program will abort", texts[0]);
        folder.Restore();
    }
    {
        SCOPED_TRACE("the power-gear library without its entries");
        folder.CopyOver("vvc.dll", "OptiGear.dll");
        auto texts = RunBroken(folder);
        ASSERT_EQ(1u, texts.size()) << "no fatal stop: told as a library that does not load";
        EXPECT_EQ("Can not load " + folder.Path() + "OptiGear.dll. Program will abort", texts[0]);
        folder.Restore();
    }
    {
        SCOPED_TRACE("the doze and spin-down libraries broken, the firmware reader missing");
        folder.CopyOver("vvc.dll", "OptiDoze.dll");
        folder.Replace("KdSpindownTimeout.dll", notADll);
        folder.Remove("kdacpi.dll");
        auto texts = RunBroken(folder);
        ASSERT_EQ(1u, texts.size()) << "the doze library and the firmware reader fail silently";
        EXPECT_EQ("Can not load KdSpindownTimeout.dll", texts[0]);
        folder.Restore();
    }
    {
        SCOPED_TRACE("pictures, icons, glyphs and texts broken");
        folder.CopyOver("vvc.dll", "pngio.dll");
        folder.Remove("Resource\\1.ico");
        folder.Replace("LangFiles\\English\\English.ini",
                       std::string("\xFF\xFE\x00\x01[X]\x00=\x80\x81", 12) +
                           std::string(70000, '\x9D'));
        folder.Replace("LangFiles\\KdMultiLang.ini", "[Languages]\r\n0409=..\\..\\nowhere\r\n");
        EXPECT_TRUE(RunBroken(folder).empty());
        folder.Restore();
    }
    {
        SCOPED_TRACE("a PNG cut short, the PNG library missing");
        std::string png;
        {
            HANDLE file =
                CreateFileA((folder.Path() + "Resource\\pentagon.png").c_str(), GENERIC_READ,
                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            char buffer[100];
            DWORD read = 0;
            ReadFile(file, buffer, sizeof buffer, &read, nullptr);
            CloseHandle(file);
            png.assign(buffer, read);
        }
        folder.Replace("Resource\\pentagon.png", png);
        EXPECT_TRUE(RunBroken(folder).empty());
        folder.Remove("pngio.dll");
        EXPECT_TRUE(RunBroken(folder).empty()) << "no stop without the PNG library";
        folder.Restore();
    }
}

} // namespace
