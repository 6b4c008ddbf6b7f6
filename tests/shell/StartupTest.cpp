#include "lumo/Forms/Application.h"
#include "shell/base/RegistrySchema.h"
#include "shell/Startup.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

using tvtest::WriteRawDword;
using tvtest::WriteRawString;

// ---- command line --------------------------------------------------------------------------

TEST(BootSwitch, OnlyDashBInAnyCaseCounts)
{
    EXPECT_TRUE(tv::HasBootSwitch("tetravolt.exe -b"));
    EXPECT_TRUE(tv::HasBootSwitch("tetravolt.exe -B"));
    EXPECT_TRUE(tv::HasBootSwitch("\"C:\\Program Files\\Tetravolt\\tetravolt.exe\" -b"));
    EXPECT_TRUE(tv::HasBootSwitch("tetravolt.exe /x -b other"));
    EXPECT_TRUE(tv::HasBootSwitch("tetravolt.exe \"-b\""));
    EXPECT_TRUE(tv::HasBootSwitch("tetravolt.exe\t-b"));
    EXPECT_FALSE(tv::HasBootSwitch("tetravolt.exe /b"));
    EXPECT_FALSE(tv::HasBootSwitch("tetravolt.exe -bx"));
    EXPECT_FALSE(tv::HasBootSwitch("tetravolt.exe --b"));
    EXPECT_FALSE(tv::HasBootSwitch("tetravolt.exe b"));
    EXPECT_FALSE(tv::HasBootSwitch("tetravolt.exe -"));
    EXPECT_FALSE(tv::HasBootSwitch("-b")) << "the program name is no parameter";
    EXPECT_FALSE(tv::HasBootSwitch("\"my -b folder\\tetravolt.exe\""));
    EXPECT_FALSE(tv::HasBootSwitch(""));
    EXPECT_FALSE(tv::HasBootSwitch(nullptr));
}

TEST(BootSwitch, ParametersSplitAtBlanksWithQuotesGrouping)
{
    std::vector<std::string> expected = {"-b", "two words", "x"};
    EXPECT_EQ(expected, tv::CommandLineParameters("prog.exe  -b \"two words\" x "));
    expected = {"ab cd"};
    EXPECT_EQ(expected, tv::CommandLineParameters("\"C:\\a b\\prog.exe\" a\"b c\"d"));
}

// ---- registry ------------------------------------------------------------------------------

class StartupRegistryTest : public tvtest::CleanRegistryTest
{};

TEST_F(StartupRegistryTest, BootLaunchIsOffOnlyForTheDwordOne)
{
    EXPECT_TRUE(tv::IsBootLaunchEnabled()) << "no key";
    ASSERT_TRUE(WriteRawDword(tv::reg::kMainKey, "Other", 1));
    EXPECT_TRUE(tv::IsBootLaunchEnabled()) << "no Advance key";
    ASSERT_TRUE(WriteRawDword(tv::reg::kAdvanceKey, "Other", 1));
    EXPECT_TRUE(tv::IsBootLaunchEnabled()) << "no value";
    WriteRawDword(tv::reg::kAdvanceKey, tv::reg::kRunAtSystemStartup, 1);
    EXPECT_FALSE(tv::IsBootLaunchEnabled());
    WriteRawDword(tv::reg::kAdvanceKey, tv::reg::kRunAtSystemStartup, 0);
    EXPECT_TRUE(tv::IsBootLaunchEnabled());
    WriteRawDword(tv::reg::kAdvanceKey, tv::reg::kRunAtSystemStartup, 2);
    EXPECT_TRUE(tv::IsBootLaunchEnabled());
    WriteRawString(tv::reg::kAdvanceKey, tv::reg::kRunAtSystemStartup, REG_SZ, "1");
    EXPECT_TRUE(tv::IsBootLaunchEnabled()) << "a string is not a DWORD";
    DWORD one = 1;
    tvtest::WriteRaw(tv::reg::kAdvanceKey, tv::reg::kRunAtSystemStartup, REG_BINARY, &one, 4);
    EXPECT_TRUE(tv::IsBootLaunchEnabled()) << "nor are four binary bytes";
    unsigned char longer[8] = {1};
    tvtest::WriteRaw(tv::reg::kAdvanceKey, tv::reg::kRunAtSystemStartup, REG_DWORD, longer, 8);
    EXPECT_TRUE(tv::IsBootLaunchEnabled()) << "nor a DWORD of the wrong size";
}

TEST_F(StartupRegistryTest, RebootIsPendingWhileTheRunOnceStringExists)
{
    EXPECT_FALSE(tv::IsInstallRebootPending());
    for (DWORD type : {static_cast<DWORD>(REG_SZ), static_cast<DWORD>(REG_EXPAND_SZ),
                       static_cast<DWORD>(REG_MULTI_SZ)}) {
        ASSERT_TRUE(WriteRawString(tv::reg::kRunOnceKey, tv::reg::kRunOnceInstall, type,
                                   "C:\\setup\\finish.exe"));
        EXPECT_TRUE(tv::IsInstallRebootPending()) << type;
    }
    WriteRawDword(tv::reg::kRunOnceKey, tv::reg::kRunOnceInstall, 1);
    EXPECT_FALSE(tv::IsInstallRebootPending()) << "not a string";
    tvtest::DeleteRaw(tv::reg::kRunOnceKey, tv::reg::kRunOnceInstall);
    WriteRawString(tv::reg::kRunOnceKey, "Something Else", REG_SZ, "x");
    EXPECT_FALSE(tv::IsInstallRebootPending());
    tvtest::DeleteRaw(tv::reg::kRunOnceKey, "Something Else");
}

// ---- other utilities -----------------------------------------------------------------------

class AppFixture : public testing::Test
{
protected:
    void SetUp() override { m_app = std::make_unique<lumo::TApplication>(); }
    void TearDown() override { m_app.reset(); }
    std::unique_ptr<lumo::TApplication> m_app;
};

// A window of another utility of the suite, by class and title.
template <const char* kClass> class TPeer : public lumo::TForm
{
public:
    explicit TPeer(lumo::TComponent* owner, const char* title) : lumo::TForm(owner)
    {
        SetCaption(title);
        HandleNeeded();
    }
    const char* ClassName() const override { return kClass; }
};
constexpr char kFrmMain[] = "TfrmMain";
constexpr char kMainForm[] = "TMainForm";

using StartupPeersTest = AppFixture;

TEST_F(StartupPeersTest, ConflictingUtilitiesAreFoundByClassAndTitle)
{
    EXPECT_FALSE(tv::IsConflictRunning());
    auto* decoy = new TPeer<kFrmMain>(m_app.get(), "Opti Nitro");
    auto* other = new TPeer<kMainForm>(m_app.get(), "Opti Boost");
    EXPECT_FALSE(tv::IsConflictRunning()) << "class and title must both match";
    for (auto pair :
         {std::make_pair(kFrmMain, "Opti Boost"), std::make_pair(kFrmMain, "KALDO K-Fan"),
          std::make_pair(kMainForm, "Opti Nitro"), std::make_pair(kFrmMain, "Core Climb")}) {
        lumo::TForm* peer =
            pair.first == kFrmMain
                ? static_cast<lumo::TForm*>(new TPeer<kFrmMain>(m_app.get(), pair.second))
                : new TPeer<kMainForm>(m_app.get(), pair.second);
        EXPECT_TRUE(tv::IsConflictRunning()) << pair.second;
        EXPECT_FALSE(IsWindowVisible(peer->Handle())) << "hidden windows count too";
        delete peer;
        EXPECT_FALSE(tv::IsConflictRunning());
    }
    delete decoy;
    delete other;
}

TEST_F(StartupPeersTest, VoltTurnCountsOnlyWhenVisible)
{
    EXPECT_FALSE(tv::IsVoltTurnVisible());
    // The voltage utility's application window: class "TApplication", title "VoltTurn".
    m_app->SetTitle("VoltTurn");
    EXPECT_FALSE(tv::IsVoltTurnVisible()) << "hidden";
    ShowWindow(m_app->Handle(), SW_SHOWNA);
    EXPECT_TRUE(tv::IsVoltTurnVisible());
    ShowWindow(m_app->Handle(), SW_HIDE);
    EXPECT_FALSE(tv::IsVoltTurnVisible());
}

std::vector<std::pair<UINT, DWORD>> g_filterCalls;
BOOL WINAPI RecordFilter(UINT message, DWORD flag)
{
    g_filterCalls.emplace_back(message, flag);
    return 7;
}

TEST(MessageFilter, EntryIsLookedUpInUser32AndMissingMeansSuccess)
{
    FARPROC real = GetProcAddress(GetModuleHandleA("user32.dll"), "ChangeWindowMessageFilter");
    EXPECT_EQ(reinterpret_cast<void*>(real),
              reinterpret_cast<void*>(tv::ChangeWindowMessageFilterEntry()));
    if (real) {
        EXPECT_TRUE(tv::AllowMessageThroughFilter(RegisterWindowMessageA("TvFilterProbe")));
    }
    EXPECT_EQ(1, tv::AllowMessageThroughFilter(nullptr, 1234)) << "nothing to call: success";
    g_filterCalls.clear();
    EXPECT_EQ(7, tv::AllowMessageThroughFilter(&RecordFilter, 1234));
    std::vector<std::pair<UINT, DWORD>> expected = {{1234u, 1u}};
    EXPECT_EQ(expected, g_filterCalls) << "MSGFLT_ADD";
}

} // namespace
