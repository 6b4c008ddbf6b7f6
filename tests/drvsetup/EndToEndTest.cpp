// The staged setup program and launcher library under Wine, with a recording stand-in for the
// programs they start. Wine has no processor-class devices (the installed provider is empty)
// and reports the host's processor vendor; it reports a chosen Windows version to one program.
#include "tests/drvsetup/DrvsetupTools.h"
#include "tests/support/Support.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <memory>

namespace {

using drvtest::RecordedStarts;
using drvtest::RunCaptured;

#ifdef _WIN64
const char kSetupProgram[] = "drvsetup64.exe";
#else
const char kSetupProgram[] = "drvsetup32.exe";
#endif
const char kRecorder[] = "start_recorder.exe";
const char kCaller[] = "launcher_caller.exe";

void ExpectHiddenSwitchStart(const std::vector<drvtest::RecordedStart>& starts)
{
    ASSERT_EQ(1u, starts.size());
    EXPECT_EQ(" -s", starts[0].commandLine);
    EXPECT_TRUE(starts[0].flags & STARTF_USESHOWWINDOW);
    EXPECT_EQ(unsigned(SW_HIDE), starts[0].showWindow);
    EXPECT_TRUE(starts[0].ended) << "the caller did not wait for the started program";
}

// A package folder outside the program folder: the setup program, its data file and a
// recording stand-in for the AMD installer.
class SetupProgramEndToEnd : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(drvtest::CopyFromStage(kSetupProgram, Package() + kSetupProgram));
    }
    std::string Package() const { return m_package.Path(); }
    std::string Installer() const { return Package() + "CNQ.exe"; }
    void AddInstaller() const { ASSERT_TRUE(drvtest::CopyFromStage(kRecorder, Installer())); }
    void WriteIni(const std::string& text) const { m_package.WriteFile("CpuInfo.ini", text); }
    drvtest::Captured Run() const
    {
        return RunCaptured(Package() + kSetupProgram, "-s", Package());
    }

private:
    tvtest::TempDir m_package;
};

TEST_F(SetupProgramEndToEnd, PackagedProviderRunsTheInstallerHiddenAndWaits)
{
    AddInstaller();
    WriteIni("[CPU]\r\nProvider=Advanced Micro Devices\r\nDate=7/15/2008\r\n"
             "Version=1.3.2.16\r\n");

    drvtest::Captured run = Run();
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("need to install driver\n"
              "ini=Advanced Micro Devices, driver=\n"
              "cnqPath: " +
                  Installer() +
                  "\n"
                  "Start Install\n"
                  "Finish Install",
              run.output);
    ExpectHiddenSwitchStart(RecordedStarts(Installer()));
}

TEST_F(SetupProgramEndToEnd, EmptyPackagedProviderNeedsNothing)
{
    AddInstaller();
    WriteIni("[CPU]\r\nProvider=\r\nVersion=1.3.2.16\r\n");

    drvtest::Captured run = Run();
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("don't need...\nini=, driver=\n", run.output);
    EXPECT_TRUE(RecordedStarts(Installer()).empty());
}

TEST_F(SetupProgramEndToEnd, MissingDataFileNeedsNothing)
{
    AddInstaller();
    drvtest::Captured run = Run();
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("don't need...\nini=, driver=\n", run.output);
    EXPECT_TRUE(RecordedStarts(Installer()).empty());
}

TEST_F(SetupProgramEndToEnd, MissingInstallerStillEndsWithZero)
{
    WriteIni("[CPU]\r\nProvider=AMD\r\n");
    drvtest::Captured run = Run();
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("need to install driver\nini=AMD, driver=\ncnqPath: " + Installer() +
                  "\nStart Install\nFinish Install",
              run.output);
}

// The stage is laid out as the installation package: both setup programs beside the launcher,
// each of its own machine type and working, whichever bitness this build is.
TEST(SetupPackage, TheStageHoldsBothSetupProgramsBesideTheLauncher)
{
    ASSERT_TRUE(drvtest::FileExists(tvtest::StageDir() + "DrvLauncher.dll"));
    const std::pair<const char*, WORD> programs[] = {{"drvsetup32.exe", IMAGE_FILE_MACHINE_I386},
                                                     {"drvsetup64.exe", IMAGE_FILE_MACHINE_AMD64}};
    for (const auto& program : programs) {
        SCOPED_TRACE(program.first);
        EXPECT_EQ(program.second, drvtest::MachineOf(tvtest::StageDir() + program.first));

        tvtest::TempDir package;
        ASSERT_TRUE(drvtest::CopyFromStage(program.first, package.Path() + program.first));
        ASSERT_TRUE(drvtest::CopyFromStage(kRecorder, package.Path() + "CNQ.exe"));
        package.WriteFile("CpuInfo.ini", "[CPU]\r\nProvider=AMD\r\n");
        drvtest::Captured run = RunCaptured(package.Path() + program.first, "", package.Path());
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ(0u, run.output.find("need to install driver\nini=AMD, driver=\n")) << run.output;
        ExpectHiddenSwitchStart(RecordedStarts(package.Path() + "CNQ.exe"));
    }
}

// The real export called by a caller of this build's bitness, with the Windows version Wine
// reports to that caller.
class LauncherEndToEnd : public testing::Test
{
protected:
    struct Seen
    {
        unsigned long major = 0;
        unsigned long minor = 0;
        int intel = -1;
        int result = 99;
    };

    // The setup program the launcher must pick on this machine.
    static std::string PickedProgram()
    {
        SYSTEM_INFO info = {};
        GetNativeSystemInfo(&info);
        return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? "drvsetup64.exe"
                                                                           : "drvsetup32.exe";
    }
    static const char* OtherProgram()
    {
        return PickedProgram() == "drvsetup64.exe" ? "drvsetup32.exe" : "drvsetup64.exe";
    }

    // Package folder without its trailing backslash, as the installation package passes it.
    std::string Folder() const
    {
        std::string path = m_package.Path();
        return path.substr(0, path.size() - 1);
    }
    std::string Package() const { return m_package.Path(); }
    void AddRecorderAs(const std::string& name) const
    {
        ASSERT_TRUE(drvtest::CopyFromStage(kRecorder, Package() + name));
    }

    Seen Call(const std::string& version, const std::string& argument,
              const std::string& workingDir = std::string()) const
    {
        std::unique_ptr<drvtest::ScopedWineVersion> scoped;
        if (!version.empty()) {
            scoped.reset(new drvtest::ScopedWineVersion(kCaller, version));
            EXPECT_TRUE(scoped->Ok());
        }
        drvtest::Captured run = RunCaptured(tvtest::StageDir() + kCaller, argument, workingDir);
        EXPECT_EQ(0, run.exitCode) << run.output;
        // The setup program writes to the same console when the chain runs.
        size_t line = run.output.rfind("version=");
        Seen seen;
        EXPECT_NE(std::string::npos, line) << run.output;
        EXPECT_EQ(4, std::sscanf(run.output.c_str() + (line == std::string::npos ? 0 : line),
                                 "version=%lu.%lu intel=%d result=%d", &seen.major, &seen.minor,
                                 &seen.intel, &seen.result))
            << run.output;
        return seen;
    }

    // The code that vendor and version call for once the setup program has started.
    static int Expected(const Seen& seen)
    {
        if (seen.intel == 1) {
            return -1;
        }
        if (seen.major != 5) {
            return 0;
        }
        return 1;
    }
    static bool ShouldStart(const Seen& seen)
    {
        return seen.intel == 0 && seen.major == 5 && seen.minor != 0;
    }

    tvtest::TempDir m_package;
};

TEST_F(LauncherEndToEnd, WindowsXpRunsTheSetupProgramOfTheNativeArchitecture)
{
    AddRecorderAs("drvsetup64.exe");
    AddRecorderAs("drvsetup32.exe");

    unsigned long minor = 1;
    for (const char* version : {"winxp", "winxp64"}) {
        SCOPED_TRACE(version);
        Seen seen = Call(version, "\"" + Folder() + "\"");
        EXPECT_EQ(5u, seen.major);
        EXPECT_EQ(minor++, seen.minor);
        EXPECT_EQ(Expected(seen), seen.result);
        if (ShouldStart(seen)) {
            // Also a 32-bit caller on a 64-bit machine starts the 64-bit setup program.
            ExpectHiddenSwitchStart(RecordedStarts(Package() + PickedProgram()));
        } else {
            EXPECT_TRUE(RecordedStarts(Package() + PickedProgram()).empty());
        }
        DeleteFileA((Package() + PickedProgram() + ".log").c_str());
        EXPECT_TRUE(RecordedStarts(Package() + OtherProgram()).empty());
    }
}

TEST_F(LauncherEndToEnd, OtherWindowsVersionsStartNothing)
{
    AddRecorderAs("drvsetup64.exe");
    AddRecorderAs("drvsetup32.exe");
    struct Case
    {
        const char* version; // "": Wine's own choice, Windows 7 or later
        unsigned long major, minor;
        int code; // for a processor that is not Intel's
    };
    for (const Case& c : {Case{"", 0, 0, 0}, Case{"vista", 6, 0, 0}, Case{"win2k", 5, 0, 1}}) {
        SCOPED_TRACE(c.version);
        Seen seen = Call(c.version, "\"" + Folder() + "\"");
        if (c.major == 0) {
            EXPECT_LE(6u, seen.major);
        } else {
            EXPECT_EQ(c.major, seen.major);
            EXPECT_EQ(c.minor, seen.minor);
        }
        EXPECT_EQ(seen.intel == 1 ? -1 : c.code, seen.result);
    }
    EXPECT_TRUE(RecordedStarts(Package() + "drvsetup64.exe").empty());
    EXPECT_TRUE(RecordedStarts(Package() + "drvsetup32.exe").empty());
}

TEST_F(LauncherEndToEnd, ChainRunsTheRealSetupProgramWhichRunsTheInstaller)
{
    // The setup program of this build under the name the launcher picks on this machine.
    ASSERT_TRUE(drvtest::CopyFromStage(kSetupProgram, Package() + PickedProgram()));
    m_package.WriteFile("CpuInfo.ini", "[CPU]\r\nProvider=Advanced Micro Devices\r\n");
    AddRecorderAs("CNQ.exe");

    Seen seen = Call("winxp", "\"" + Folder() + "\"");
    EXPECT_EQ(Expected(seen), seen.result);
    if (ShouldStart(seen)) {
        ExpectHiddenSwitchStart(RecordedStarts(Package() + "CNQ.exe"));
    } else {
        EXPECT_TRUE(RecordedStarts(Package() + "CNQ.exe").empty());
    }
}

TEST_F(LauncherEndToEnd, MissingSetupProgramReturnsMinusFive)
{
    Seen seen = Call("winxp", "\"" + Folder() + "\"");
    EXPECT_EQ(seen.intel == 1 ? -1 : -5, seen.result);
}

TEST_F(LauncherEndToEnd, OverlongFolderReturnsMinusFiveWithoutStarting)
{
    AddRecorderAs("drvsetup64.exe");
    AddRecorderAs("drvsetup32.exe");
    const std::string folder = Package() + std::string(260 - Package().size(), 'x');
    Seen seen = Call("winxp", "\"" + folder + "\"");
    EXPECT_EQ(seen.intel == 1 ? -1 : -5, seen.result);
    EXPECT_TRUE(RecordedStarts(Package() + "drvsetup64.exe").empty());
    EXPECT_TRUE(RecordedStarts(Package() + "drvsetup32.exe").empty());
}

TEST_F(LauncherEndToEnd, EmptyFolderRunsTheProgramFromTheCurrentFolder)
{
    AddRecorderAs(PickedProgram());
    Seen seen = Call("winxp", "-empty", Package());
    EXPECT_EQ(Expected(seen), seen.result);
    if (ShouldStart(seen)) {
        ExpectHiddenSwitchStart(RecordedStarts(Package() + PickedProgram()));
    }
}

} // namespace
