// The launcher's decisions with any processor vendor, Windows version and architecture, through
// its probes; and the library's leftover exports.
#include "drvsetup/DrvLauncher.h"
#include "drvsetup/Launcher.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using drvsetup::RunLauncher;

class FakeProbes : public drvsetup::LauncherProbes
{
public:
    bool intel = false;
    bool versionReadable = true;
    DWORD major = 5;
    DWORD minor = 1;
    WORD architecture = PROCESSOR_ARCHITECTURE_AMD64;
    bool startSucceeds = true;
    int versionReads = 0;
    std::vector<std::pair<std::wstring, std::wstring>> starts;
    std::vector<std::wstring> debugTexts;

    bool IsIntelProcessor() override { return intel; }
    bool ReadWindowsVersion(DWORD& majorOut, DWORD& minorOut) override
    {
        ++versionReads;
        majorOut = major;
        minorOut = minor;
        return versionReadable;
    }
    WORD NativeArchitecture() override { return architecture; }
    bool StartHiddenAndWait(const std::wstring& application,
                            const std::wstring& commandLine) override
    {
        starts.emplace_back(application, commandLine);
        return startSucceeds;
    }
    void DebugText(const wchar_t* text) override { debugTexts.push_back(text); }
};

class LauncherTest : public testing::Test
{
protected:
    FakeProbes probes;
};

TEST_F(LauncherTest, IntelProcessorDoesNothing)
{
    probes.intel = true;
    EXPECT_EQ(-1, RunLauncher("C:\\Package", probes));
    EXPECT_EQ(std::vector<std::wstring>{L"Intel CPU"}, probes.debugTexts);
    EXPECT_EQ(0, probes.versionReads);
    EXPECT_TRUE(probes.starts.empty());
}

TEST_F(LauncherTest, WindowsXpOn64BitRunsThe64BitSetupHiddenWithSwitch)
{
    EXPECT_EQ(1, RunLauncher("C:\\Package", probes));
    EXPECT_EQ(std::vector<std::wstring>{L"AMD CPU"}, probes.debugTexts);
    ASSERT_EQ(1u, probes.starts.size());
    EXPECT_EQ(L"C:\\Package\\drvsetup64.exe", probes.starts[0].first);
    EXPECT_EQ(L" -s", probes.starts[0].second);
}

TEST_F(LauncherTest, ArchitectureOtherThanAmd64RunsThe32BitSetup)
{
    for (WORD architecture : {WORD(PROCESSOR_ARCHITECTURE_INTEL), WORD(PROCESSOR_ARCHITECTURE_IA64),
                              WORD(PROCESSOR_ARCHITECTURE_UNKNOWN)}) {
        FakeProbes machine;
        machine.architecture = architecture;
        EXPECT_EQ(1, RunLauncher("D:\\Setup\\Cpu", machine)) << architecture;
        ASSERT_EQ(1u, machine.starts.size());
        EXPECT_EQ(L"D:\\Setup\\Cpu\\drvsetup32.exe", machine.starts[0].first);
    }
}

TEST_F(LauncherTest, WindowsXp64AndServer2003AlsoRun)
{
    probes.minor = 2;
    EXPECT_EQ(1, RunLauncher("C:\\Package", probes));
    EXPECT_EQ(1u, probes.starts.size());
}

TEST_F(LauncherTest, NullOrEmptyFolderRunsTheBareProgramName)
{
    EXPECT_EQ(1, RunLauncher(nullptr, probes));
    probes.architecture = PROCESSOR_ARCHITECTURE_INTEL;
    EXPECT_EQ(1, RunLauncher("", probes));
    ASSERT_EQ(2u, probes.starts.size());
    EXPECT_EQ(L"drvsetup64.exe", probes.starts[0].first);
    EXPECT_EQ(L"drvsetup32.exe", probes.starts[1].first);
}

TEST_F(LauncherTest, VistaAndLaterDoNothing)
{
    for (DWORD major : {6u, 10u}) {
        for (DWORD minor : {0u, 1u, 2u}) {
            FakeProbes machine;
            machine.major = major;
            machine.minor = minor;
            EXPECT_EQ(0, RunLauncher("C:\\Package", machine)) << major << "." << minor;
            EXPECT_TRUE(machine.starts.empty());
        }
    }
    FakeProbes nt4;
    nt4.major = 4;
    EXPECT_EQ(0, RunLauncher("C:\\Package", nt4));
    EXPECT_TRUE(nt4.starts.empty());
}

TEST_F(LauncherTest, Windows2000ReturnsOneWithoutRunning)
{
    probes.minor = 0;
    EXPECT_EQ(1, RunLauncher("C:\\Package", probes));
    EXPECT_TRUE(probes.starts.empty());
}

TEST_F(LauncherTest, UnreadableVersionDoesNothing)
{
    probes.versionReadable = false;
    EXPECT_EQ(0, RunLauncher("C:\\Package", probes));
    EXPECT_TRUE(probes.starts.empty());
}

TEST_F(LauncherTest, FailedStartReturnsMinusFive)
{
    probes.startSucceeds = false;
    EXPECT_EQ(-5, RunLauncher("C:\\Package", probes));
    EXPECT_EQ(1u, probes.starts.size());
}

TEST_F(LauncherTest, FolderThatDoesNotFitThePathIsRefusedWithoutStarting)
{
    // Folder + "\drvsetup64.exe" + NUL must fit in 260 characters: 244 is the longest folder.
    const std::string longest = "C:\\" + std::string(241, 'p');
    ASSERT_EQ(244u, longest.size());
    EXPECT_EQ(1, RunLauncher(longest.c_str(), probes));
    ASSERT_EQ(1u, probes.starts.size());
    EXPECT_EQ(259u, probes.starts[0].first.size());

    FakeProbes tooLong;
    EXPECT_EQ(-5, RunLauncher((longest + "q").c_str(), tooLong));
    EXPECT_TRUE(tooLong.starts.empty());

    FakeProbes huge;
    const std::string hugeFolder = "C:\\" + std::string(5000, 'x');
    EXPECT_EQ(-5, RunLauncher(hugeFolder.c_str(), huge));
    EXPECT_TRUE(huge.starts.empty());

    // The version decides before the path is built.
    FakeProbes vista;
    vista.major = 6;
    EXPECT_EQ(0, RunLauncher(hugeFolder.c_str(), vista));
    FakeProbes win2000;
    win2000.minor = 0;
    EXPECT_EQ(1, RunLauncher(hugeFolder.c_str(), win2000));
}

TEST_F(LauncherTest, FolderIsConvertedFromTheAnsiCodePage)
{
    const std::wstring wideFolder = L"C:\\Pak\u00e9te \u00c4";
    char folder[MAX_PATH] = {};
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wideFolder.c_str(), -1, folder, MAX_PATH,
                        nullptr, &lossy);
    if (lossy) {
        GTEST_SKIP() << "code page " << GetACP() << " has no accented letters";
    }
    ASSERT_EQ(1, RunLauncher(folder, probes));
    ASSERT_EQ(1u, probes.starts.size());
    EXPECT_EQ(wideFolder + L"\\drvsetup64.exe", probes.starts[0].first);
}

TEST(LauncherLeftovers, TemplateExportsAnswerAsBefore)
{
    EXPECT_EQ(42, fnDrvLauncher());
    HMODULE library = GetModuleHandleA("DrvLauncher.dll");
    ASSERT_NE(nullptr, library);
    EXPECT_NE(nullptr, GetProcAddress(library, "nDrvLauncher"));
    EXPECT_NE(nullptr, GetProcAddress(library, "KdCheckOS_DrvSetup"));
    CDrvLauncher first;
    CDrvLauncher second;
    EXPECT_EQ(&second, &(second = first));
}

} // namespace
