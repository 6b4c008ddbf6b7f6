// The setup file run silently on a machine that never had Tetravolt (a Wine prefix of its own),
// then the program as the user and the boot launch meet it, then the uninstaller.
// The run hands over TV_SETUP (the setup file) and TV_IMAGE (the program folder it packs).
#include "sim/peers/peerwin/PeerWindow.h"
#include "tests/drvsetup/DrvsetupTools.h"
#include "tests/installer/InstallerTools.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>
#include <cpuid.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

namespace {

using insttest::FilesBelow;
using insttest::FolderExists;

const char kVersion[] = TV_VERSION;
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tetravolt";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunOnceKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char kVendorKey[] = "Software\\KALDO";
const char kProgramKey[] = "Software\\KALDO\\Opti Gear3";
const char kAdvanceKey[] = "Software\\KALDO\\Opti Gear3\\Advance";
const char kMutex[] = "5B0C2E7A-91D4-4C3F-8E26-3A7D19F04B62";
constexpr DWORD kSetupMs = 120000;
constexpr DWORD kStartMs = 30000;

std::string Text(const tvtest::RawValue& value)
{
    std::string text(value.data.begin(), value.data.end());
    return text.substr(0, text.find('\0'));
}

// Number of sub-keys, -1 when the key does not open (in the given view).
long SubKeys(const char* path, REGSAM view = 0)
{
    HKEY key;
    DWORD count = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return -1;
    }
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return static_cast<long>(count);
}

bool MutexExists()
{
    HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, kMutex);
    if (mutex) {
        CloseHandle(mutex);
    }
    return mutex != nullptr;
}

HWND MainWindow()
{
    return FindWindowA("TMainForm", "Hexavolt");
}

bool IntelProcessor()
{
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid(0, eax, ebx, ecx, edx);
    return std::memcmp(&ebx, "Genu", 4) == 0 && std::memcmp(&edx, "ineI", 4) == 0;
}

class InstallerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_setup = insttest::PathFromEnvironment("TV_SETUP");
        m_image = insttest::PathFromEnvironment("TV_IMAGE");
        ASSERT_FALSE(m_setup.empty() || m_image.empty())
            << "TV_SETUP and TV_IMAGE are not set: run through ./dev test";
        ASSERT_TRUE(drvtest::FileExists(m_setup)) << m_setup;
        m_folder = insttest::ProgramFilesFolder() + "\\Tetravolt";
    }

    std::string Installed(const std::string& relative) const { return m_folder + "\\" + relative; }
    std::string SetupName() const { return m_setup.substr(m_setup.find_last_of('\\') + 1); }

    long Setup(const std::string& arguments) const
    {
        return insttest::RunWithHandOver(m_setup, arguments, kSetupMs);
    }
    long Uninstall() const
    {
        return insttest::RunWithHandOver(Installed("uninstall.exe"), "/S", kSetupMs);
    }

    void ExpectNothingInstalled() const
    {
        EXPECT_FALSE(FolderExists(m_folder)) << m_folder;
        EXPECT_FALSE(tvtest::KeyExists(kUninstallKey));
        EXPECT_FALSE(tvtest::ReadRaw(kRunKey, "Tetravolt").exists);
        EXPECT_FALSE(tvtest::ReadRaw(kRunOnceKey, "Tetravolt Install").exists);
        EXPECT_FALSE(tvtest::KeyExists(kProgramKey));
    }

    // A package built with the AMD driver package holds the real installer, which must not run
    // here: then the launcher is left to see Wine's own (later) Windows version and do nothing.
    bool PackagedDriver() const { return drvtest::FileExists(m_image + "\\DrvSetup\\CNQ.exe"); }

    // The AMD driver package's place beside the setup programs holds a data file naming a
    // provider Wine's (absent) processor driver cannot have, and a recorder as its installer.
    void PlaceDriverPackage() const
    {
        ASSERT_TRUE(CreateDirectoryA(m_folder.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(Installed("DrvSetup").c_str(), nullptr));
        ASSERT_TRUE(drvtest::CopyFromStage("start_recorder.exe", Installed("DrvSetup\\CNQ.exe")));
        HANDLE file = CreateFileA(Installed("DrvSetup\\CpuInfo.ini").c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        const char text[] = "[CPU]\r\nProvider=Packaged provider\r\n";
        DWORD written = 0;
        WriteFile(file, text, sizeof text - 1, &written, nullptr);
        CloseHandle(file);
    }

    void ExpectProgramFolder() const;
    void ExpectRegistry() const;
    void ExpectVersions() const;
    void ExpectLanguage(const char* language) const;
    void ExpectDriverSetupRan() const;
    void ExpectRebootBoxOnly() const;
    void ExpectHungProgramKeepsEverything() const;

    // Starts the installed program as the boot launch does; true once it runs in the tray.
    bool StartBootLaunch(insttest::Child& program) const
    {
        if (!program.Start(Installed("tetravolt.exe"), "-b")) {
            return false;
        }
        HWND window = nullptr;
        tvtest::WaitUntil([&] { return !program.Running() || (window = MainWindow()) != nullptr; },
                          kStartMs);
        EXPECT_NE(nullptr, window) << "no main window";
        EXPECT_TRUE(window && !IsWindowVisible(window));
        EXPECT_TRUE(MutexExists());
        return window != nullptr;
    }

    std::string m_setup;
    std::string m_image;
    std::string m_folder;
};

void InstallerTest::ExpectProgramFolder() const
{
    const std::vector<std::string> image = FilesBelow(m_image);
    const std::vector<std::string> installed = FilesBelow(m_folder);
    // Product only: the program with its PNG codec and load generator, the launcher, the setup
    // programs (with the AMD driver package when the build was given one) and the data folders;
    // the maker's libraries are never shipped.
    const std::set<std::string> programs = {"tetravolt.exe",
                                            "pngio.dll",
                                            "Calibrate.dll",
                                            "DrvLauncher.dll",
                                            "DrvSetup\\drvsetup32.exe",
                                            "DrvSetup\\drvsetup64.exe",
                                            "DrvSetup\\CNQ.exe",
                                            "DrvSetup\\CpuInfo.ini"};
    for (const std::string& file : image) {
        EXPECT_TRUE(programs.count(file) || file.rfind("LangFiles\\", 0) == 0 ||
                    file.rfind("Resource\\", 0) == 0)
            << file << " is no part of the product";
    }

    // Every file of the image, as it is (the language list gets the choice).
    for (const std::string& file : image) {
        SCOPED_TRACE(file);
        ASSERT_TRUE(std::count(installed.begin(), installed.end(), file));
        if (file != "LangFiles\\KdMultiLang.ini") {
            EXPECT_TRUE(drvtest::ReadWholeFile(m_image + "\\" + file) ==
                        drvtest::ReadWholeFile(Installed(file)));
        }
    }
    const std::set<std::string> alsoThere = {"uninstall.exe", "Install.log", "DrvSetup\\CNQ.exe",
                                             "DrvSetup\\CNQ.exe.log", "DrvSetup\\CpuInfo.ini"};
    for (const std::string& file : installed) {
        EXPECT_TRUE(std::count(image.begin(), image.end(), file) || alsoThere.count(file))
            << file << " was installed but is not in the package";
    }

#ifdef _WIN64
    const WORD machine = IMAGE_FILE_MACHINE_AMD64;
#else
    const WORD machine = IMAGE_FILE_MACHINE_I386;
#endif
    EXPECT_EQ(machine, drvtest::MachineOf(Installed("tetravolt.exe")));
    EXPECT_EQ(machine, drvtest::MachineOf(Installed("DrvLauncher.dll")));
    EXPECT_EQ(IMAGE_FILE_MACHINE_I386, drvtest::MachineOf(Installed("DrvSetup\\drvsetup32.exe")));
    EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, drvtest::MachineOf(Installed("DrvSetup\\drvsetup64.exe")));
}

void InstallerTest::ExpectRegistry() const
{
    // In the program's own registry view, where it looks.
    tvtest::RawValue run = tvtest::ReadRaw(kRunKey, "Tetravolt");
    EXPECT_EQ(DWORD(REG_SZ), run.type);
    EXPECT_EQ("\"" + Installed("tetravolt.exe") + "\" -b", Text(run));
    tvtest::RawValue runOnce = tvtest::ReadRaw(kRunOnceKey, "Tetravolt Install");
    EXPECT_EQ(DWORD(REG_SZ), runOnce.type);
    // What Windows runs at the next logon exists and does nothing.
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    EXPECT_EQ(0, lstrcmpiA(("\"" + std::string(system) + "\\rundll32.exe\"").c_str(),
                           Text(runOnce).c_str()))
        << Text(runOnce);
    EXPECT_EQ(0u, tvtest::ReadRawDword(kAdvanceKey, "RunAtSystemStartup", 99));

    EXPECT_EQ("Tetravolt", Text(tvtest::ReadRaw(kUninstallKey, "DisplayName")));
    EXPECT_EQ(kVersion, Text(tvtest::ReadRaw(kUninstallKey, "DisplayVersion")));
    EXPECT_EQ("KALDO", Text(tvtest::ReadRaw(kUninstallKey, "Publisher")));
    EXPECT_EQ(m_folder, Text(tvtest::ReadRaw(kUninstallKey, "InstallLocation")));
    const std::string uninstaller = "\"" + Installed("uninstall.exe") + "\"";
    EXPECT_EQ(uninstaller, Text(tvtest::ReadRaw(kUninstallKey, "UninstallString")));
    EXPECT_EQ(uninstaller + " /S", Text(tvtest::ReadRaw(kUninstallKey, "QuietUninstallString")));
    std::string icon = Text(tvtest::ReadRaw(kUninstallKey, "DisplayIcon"));
    icon = icon.substr(0, icon.find(','));
    EXPECT_EQ(0u, icon.rfind(m_folder + "\\", 0)) << icon;
    EXPECT_TRUE(drvtest::FileExists(icon)) << icon;
    unsigned long long bytes = 0;
    for (const std::string& file : FilesBelow(m_folder)) {
        bytes += insttest::FileSize(Installed(file));
    }
    EXPECT_NEAR(bytes / 1024.0, tvtest::ReadRawDword(kUninstallKey, "EstimatedSize", 0), 16.0);

    // Nothing lands in the registry view of the other bitness.
    if (REGSAM other = insttest::OtherRegistryView()) {
        EXPECT_FALSE(tvtest::ReadRaw(kRunKey, "Tetravolt", other).exists);
        EXPECT_FALSE(tvtest::ReadRaw(kRunOnceKey, "Tetravolt Install", other).exists);
        EXPECT_EQ(-1, SubKeys(kUninstallKey, other));
        EXPECT_EQ(-1, SubKeys(kVendorKey, other));
    }
}

void InstallerTest::ExpectVersions() const
{
    const std::string expected = std::string(kVersion) + ".0";
    for (const std::string& file :
         {Installed("tetravolt.exe"), Installed("DrvLauncher.dll"),
          Installed("DrvSetup\\drvsetup32.exe"), Installed("DrvSetup\\drvsetup64.exe"), m_setup}) {
        SCOPED_TRACE(file);
        insttest::FileVersion version = insttest::VersionOf(file);
        EXPECT_TRUE(version.present);
        EXPECT_EQ(expected, version.fixed);
        EXPECT_EQ(kVersion, version.productVersion);
    }
}

// Where the program looks: the language list, under the system's language identifier.
void InstallerTest::ExpectLanguage(const char* language) const
{
    char key[8];
    std::snprintf(key, sizeof key, "%04X", static_cast<unsigned>(GetSystemDefaultLangID()));
    char value[64] = "";
    GetPrivateProfileStringA("Languages", key, "", value, sizeof value,
                             Installed("LangFiles\\KdMultiLang.ini").c_str());
    EXPECT_STREQ(language, value) << "entry " << key;
}

void InstallerTest::ExpectDriverSetupRan() const
{
    // Intel machines are left alone; Wine tells the setup it runs on Windows XP.
    const int expected = IntelProcessor() ? -1 : PackagedDriver() ? 0 : 1;
    const std::string log = drvtest::ReadWholeFile(Installed("Install.log"));
    const std::string line = "KdCheckOS_DrvSetup(\"" + Installed("DrvSetup") + "\") returned " +
                             std::to_string(expected) + ":";
    EXPECT_NE(std::string::npos, log.find(line)) << log;

    std::vector<drvtest::RecordedStart> starts =
        drvtest::RecordedStarts(Installed("DrvSetup\\CNQ.exe"));
    if (expected != 1) {
        EXPECT_TRUE(starts.empty());
        return;
    }
    // The launcher ran the driver setup program, which ran the packaged installer.
    ASSERT_EQ(1u, starts.size()) << log;
    EXPECT_EQ(" -s", starts[0].commandLine);
    EXPECT_EQ(unsigned(SW_HIDE), starts[0].showWindow);
    EXPECT_TRUE(starts[0].ended);
}

void InstallerTest::ExpectRebootBoxOnly() const
{
    insttest::Child program;
    ASSERT_TRUE(program.Start(Installed("tetravolt.exe"), ""));
    HWND box = nullptr;
    tvtest::WaitUntil(
        [&] {
            box = FindWindowA("#32770", "Tetravolt");
            return box || !program.Running();
        },
        kStartMs);
    ASSERT_NE(nullptr, box) << "no reboot box";
    EXPECT_EQ("You must reboot the system after installing Tetravolt", insttest::BoxText(box));
    EXPECT_FALSE(MutexExists());
    EXPECT_EQ(nullptr, MainWindow());
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    EXPECT_EQ(0, program.Wait(kStartMs));
}

// A main window that does not close when asked: the uninstaller gives up after its bounded wait
// and changes nothing.
void InstallerTest::ExpectHungProgramKeepsEverything() const
{
    simpeer::PeerWindow hung;
    ASSERT_TRUE(hung.Start("TMainForm", "Hexavolt", false));
    const std::vector<std::string> before = FilesBelow(m_folder);
    EXPECT_EQ(2, Uninstall()) << "the uninstaller did not stop";
    ASSERT_TRUE(hung.WaitForMessages(1, 5000));
    std::vector<simpeer::PeerMessage> messages = hung.Messages();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(1024u, messages[0].message);
    EXPECT_EQ(85u, messages[0].wParam);
    EXPECT_EQ(0, messages[0].lParam);
    EXPECT_EQ(before, FilesBelow(m_folder));
    EXPECT_TRUE(tvtest::KeyExists(kUninstallKey));
    EXPECT_TRUE(tvtest::ReadRaw(kRunKey, "Tetravolt").exists);
    hung.Stop();
}

TEST_F(InstallerTest, RefusedSetupsChangeNothing)
{
    EXPECT_EQ(2, Setup("/S /LANG=Klingon"));
    ExpectNothingInstalled();

    // The other bitness installed already: two boot launches would meet.
    if (REGSAM other = insttest::OtherRegistryView()) {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0,
                                                 KEY_ALL_ACCESS | other, nullptr, &key, nullptr));
        const char command[] = "\"C:\\Elsewhere\\uninstall.exe\"";
        RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                       sizeof command);
        RegCloseKey(key);
        EXPECT_EQ(2, Setup("/S"));
        ExpectNothingInstalled();
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, other, 0);
    }
}

TEST_F(InstallerTest, SilentSetupBootLaunchAndUninstall)
{
    ASSERT_FALSE(FolderExists(m_folder)) << "not a fresh machine";
    {
        std::unique_ptr<drvtest::ScopedWineVersion> xp;
        if (!PackagedDriver()) {
            PlaceDriverPackage();
            xp.reset(new drvtest::ScopedWineVersion(
                SetupName(), insttest::Is64BitWindows() ? "winxp64" : "winxp"));
            ASSERT_TRUE(xp->Ok());
        }
        ASSERT_EQ(0, Setup("/S /LANG=Deutsch"));
    }
    ExpectProgramFolder();
    ExpectRegistry();
    ExpectVersions();
    ExpectLanguage("Deutsch");
    EXPECT_EQ("1031", Text(tvtest::ReadRaw(kUninstallKey, "Installer Language")));
    ExpectDriverSetupRan();
    // The recorder's own log is no file of the package.
    DeleteFileA(Installed("DrvSetup\\CNQ.exe.log").c_str());

    // Started by hand before the reboot: the notice alone.
    ExpectRebootBoxOnly();
    ExpectHungProgramKeepsEverything();

    // The boot launch runs it in the tray (hidden main window), RunOnce or not.
    insttest::Child first;
    ASSERT_TRUE(StartBootLaunch(first));

    // A setup over the running program closes it first, and keeps the earlier choices.
    ASSERT_TRUE(tvtest::WriteRawDword(kAdvanceKey, "RunAtSystemStartup", 1));
    EXPECT_EQ(0, Setup("/S"));
    EXPECT_EQ(0, first.Wait(5000)) << "closed by its close command, not ended otherwise";
    EXPECT_EQ(1u, tvtest::ReadRawDword(kAdvanceKey, "RunAtSystemStartup", 99));
    EXPECT_EQ("\"" + Installed("tetravolt.exe") + "\" -b",
              Text(tvtest::ReadRaw(kRunKey, "Tetravolt")));
    ExpectLanguage("Deutsch");
    ASSERT_TRUE(tvtest::WriteRawDword(kAdvanceKey, "RunAtSystemStartup", 0));
    insttest::Child program;
    ASSERT_TRUE(StartBootLaunch(program));

    // The uninstaller closes it and leaves nothing of it behind.
    EXPECT_EQ(0, Uninstall());
    EXPECT_EQ(0, program.Wait(5000)) << "closed by its close command, not ended otherwise";
    ExpectNothingInstalled();
    EXPECT_TRUE(FolderExists(insttest::ProgramFilesFolder()));
    // The suite's other keys stay; an empty vendor key goes.
    EXPECT_NE(0, SubKeys(kVendorKey));
}

} // namespace
