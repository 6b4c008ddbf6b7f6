// The setup program's decisions and printed lines with any installed driver list and package
// data, through its probes.
#include "drvsetup/SetupProgram.h"

#include <gtest/gtest.h>
#include <cwchar>
#include <map>
#include <utility>

namespace {

using drvsetup::DriverEntry;

const wchar_t kFolder[] = L"C:\\Package\\CPU\\";

FILETIME Date(WORD year, WORD month, WORD day)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    FILETIME date = {};
    SystemTimeToFileTime(&time, &date);
    return date;
}

DriverEntry Entry(const wchar_t* provider, DWORDLONG version = 0x0001000200030004ULL,
                  FILETIME date = Date(2008, 7, 15))
{
    DriverEntry entry;
    entry.provider = provider;
    entry.version = version;
    entry.date = date;
    return entry;
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text) {
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return narrow;
}

class FakeProbes : public drvsetup::SetupProbes
{
public:
    std::map<std::wstring, std::wstring> ini; // "file|section|key" -> value
    std::vector<std::wstring> iniReads;
    std::vector<DriverEntry> drivers;
    bool startSucceeds = true;
    std::vector<std::pair<std::wstring, std::wstring>> starts;

    void SetIni(const wchar_t* key, const wchar_t* value)
    {
        ini[std::wstring(kFolder) + L"CpuInfo.ini|CPU|" + key] = value;
    }

    std::wstring ProgramFolder() override { return kFolder; }
    std::wstring ReadIniString(const std::wstring& file, const wchar_t* section,
                               const wchar_t* key) override
    {
        std::wstring name = file + L"|" + section + L"|" + key;
        iniReads.push_back(name);
        auto found = ini.find(name);
        return found == ini.end() ? std::wstring() : found->second;
    }
    std::vector<DriverEntry> InstalledDrivers() override { return drivers; }
    bool StartHiddenAndWait(const std::wstring& application,
                            const std::wstring& commandLine) override
    {
        starts.emplace_back(application, commandLine);
        return startSucceeds;
    }
};

// The console transcript, printf and wprintf lines in the order printed.
class RecordingConsole : public drvsetup::SetupConsole
{
public:
    std::string transcript;
    std::vector<std::string> wideLines;

    void Print(const char* text) override { transcript += text; }
    void PrintWide(const wchar_t* format, const wchar_t* first, const wchar_t* second) override
    {
        wchar_t buffer[1024];
        std::swprintf(buffer, 1024, format, first, second);
        wideLines.push_back(Narrow(buffer));
        transcript += wideLines.back();
    }
};

class SetupProgramTest : public testing::Test
{
protected:
    int Run() { return drvsetup::RunDriverSetup(probes, console); }

    FakeProbes probes;
    RecordingConsole console;
};

TEST_F(SetupProgramTest, MatchingProvidersNeedNothing)
{
    probes.SetIni(L"Provider", L"Advanced Micro Devices");
    probes.drivers = {Entry(L"Advanced Micro Devices")};

    EXPECT_EQ(0, Run());
    EXPECT_EQ("don't need...\nini=Advanced Micro Devices, driver=Advanced Micro Devices\n",
              console.transcript);
    EXPECT_TRUE(probes.starts.empty());
}

TEST_F(SetupProgramTest, ProvidersDifferingOnlyInCaseRunTheInstaller)
{
    probes.SetIni(L"Provider", L"Advanced Micro Devices");
    probes.drivers = {Entry(L"Advanced micro devices")};

    EXPECT_EQ(0, Run());
    EXPECT_EQ("need to install driver\n"
              "ini=Advanced Micro Devices, driver=Advanced micro devices\n"
              "cnqPath: C:\\Package\\CPU\\CNQ.exe\n"
              "Start Install\n"
              "Finish Install",
              console.transcript);
    ASSERT_EQ(1u, probes.starts.size());
    EXPECT_EQ(L"C:\\Package\\CPU\\CNQ.exe", probes.starts[0].first);
    EXPECT_EQ(L" -s", probes.starts[0].second);
}

TEST_F(SetupProgramTest, MissingPackageDataWithAnInstalledProviderRunsTheInstaller)
{
    probes.drivers = {Entry(L"Microsoft")};

    EXPECT_EQ(0, Run());
    EXPECT_EQ(0u, console.transcript.find("need to install driver\nini=, driver=Microsoft\n"));
    EXPECT_EQ(1u, probes.starts.size());
}

TEST_F(SetupProgramTest, FailedDriverQueryWithAPackagedProviderRunsTheInstaller)
{
    probes.SetIni(L"Provider", L"Advanced Micro Devices");

    EXPECT_EQ(0, Run());
    EXPECT_EQ(0u, console.transcript.find(
                      "need to install driver\nini=Advanced Micro Devices, driver=\n"));
    EXPECT_EQ(1u, probes.starts.size());
}

TEST_F(SetupProgramTest, NothingKnownOnEitherSideNeedsNothing)
{
    EXPECT_EQ(0, Run());
    EXPECT_EQ("don't need...\nini=, driver=\n", console.transcript);
    EXPECT_TRUE(probes.starts.empty());
}

TEST_F(SetupProgramTest, FailedInstallerStartStillFinishesWithZero)
{
    probes.SetIni(L"Provider", L"AMD");
    probes.startSucceeds = false;

    EXPECT_EQ(0, Run());
    EXPECT_EQ(1u, probes.starts.size());
    const std::string tail = "Start Install\nFinish Install";
    ASSERT_GE(console.transcript.size(), tail.size());
    EXPECT_EQ(tail, console.transcript.substr(console.transcript.size() - tail.size()));
}

TEST_F(SetupProgramTest, PackageDataComesFromTheProgramFolder)
{
    probes.SetIni(L"Provider", L"AMD");
    probes.SetIni(L"Date", L"7/15/2008");
    probes.SetIni(L"Version", L"1.3.2.16");
    probes.drivers = {Entry(L"AMD")};

    Run();
    const std::wstring file = std::wstring(kFolder) + L"CpuInfo.ini|CPU|";
    EXPECT_EQ((std::vector<std::wstring>{file + L"Provider", file + L"Date", file + L"Version"}),
              probes.iniReads);
    // Date and version of either side do not take part.
    EXPECT_TRUE(probes.starts.empty());
}

TEST_F(SetupProgramTest, TheLastOfTwoDriverEntriesWinsAfterOneWarning)
{
    probes.SetIni(L"Provider", L"Advanced Micro Devices");
    probes.drivers = {Entry(L"Microsoft"), Entry(L"Advanced Micro Devices")};

    EXPECT_EQ(0, Run());
    EXPECT_EQ("double check again !!!"
              "don't need...\nini=Advanced Micro Devices, driver=Advanced Micro Devices\n",
              console.transcript);
    EXPECT_TRUE(probes.starts.empty());

    // The other way round the earlier entry loses and the installer runs.
    FakeProbes reversed;
    RecordingConsole output;
    reversed.SetIni(L"Provider", L"Advanced Micro Devices");
    reversed.drivers = {Entry(L"Advanced Micro Devices"), Entry(L"Microsoft")};
    drvsetup::RunDriverSetup(reversed, output);
    EXPECT_EQ(0u, output.transcript.find("double check again !!!need to install driver\n"));
    EXPECT_EQ(1u, reversed.starts.size());
}

TEST_F(SetupProgramTest, EveryFurtherDriverEntryWarnsOnce)
{
    RecordingConsole output;
    drvsetup::DescribeInstalledDriver({Entry(L"A"), Entry(L"B"), Entry(L"C")}, output);
    EXPECT_EQ("double check again !!!double check again !!!", output.transcript);

    RecordingConsole single;
    drvsetup::DescribeInstalledDriver({Entry(L"A")}, single);
    EXPECT_EQ("", single.transcript);
}

TEST_F(SetupProgramTest, DescriptionTakesVersionAndDateOfTheLastEntry)
{
    RecordingConsole output;
    auto description = drvsetup::DescribeInstalledDriver(
        {Entry(L"Microsoft", 0x0005000100A00000ULL, Date(2001, 7, 1)),
         Entry(L"Advanced Micro Devices", 0x0001000300020010ULL, Date(2008, 12, 3))},
        output);
    EXPECT_EQ(L"Advanced Micro Devices", description.provider);
    EXPECT_EQ(L"1.3.2.16", description.version);
    EXPECT_EQ(L"2008/12/3", description.date);

    description = drvsetup::DescribeInstalledDriver({Entry(L"X", 0xFFFF00000001FFFEULL)}, output);
    EXPECT_EQ(L"65535.0.1.65534", description.version);

    description = drvsetup::DescribeInstalledDriver({}, output);
    EXPECT_EQ(L"", description.provider);
    EXPECT_EQ(L"", description.version);
    EXPECT_EQ(L"", description.date);
}

} // namespace
