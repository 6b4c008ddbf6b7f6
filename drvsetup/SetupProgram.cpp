#include "drvsetup/SetupProgram.h"

#include <cstdio>

namespace drvsetup {
namespace {

const wchar_t kIniFile[] = L"CpuInfo.ini";
const wchar_t kInstaller[] = L"CNQ.exe";

std::wstring AnsiToWide(const char* text)
{
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

std::wstring VersionText(DWORDLONG version)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>((version >> 48) & 0xFFFF),
                  static_cast<int>((version >> 32) & 0xFFFF),
                  static_cast<int>((version >> 16) & 0xFFFF), static_cast<int>(version & 0xFFFF));
    return AnsiToWide(text);
}

std::wstring DateText(const FILETIME& date)
{
    SYSTEMTIME time = {};
    if (!FileTimeToSystemTime(&date, &time)) {
        time = SYSTEMTIME();
    }
    char text[32];
    std::snprintf(text, sizeof text, "%d/%d/%d", time.wYear, time.wMonth, time.wDay);
    return AnsiToWide(text);
}

} // namespace

DriverDescription DescribeInstalledDriver(const std::vector<DriverEntry>& entries,
                                          SetupConsole& console)
{
    DriverDescription description;
    for (size_t index = 0; index < entries.size(); ++index) {
        if (index > 0) {
            console.Print("double check again !!!");
        }
        description.provider = entries[index].provider;
        description.version = VersionText(entries[index].version);
        description.date = DateText(entries[index].date);
    }
    return description;
}

int RunDriverSetup(SetupProbes& probes, SetupConsole& console)
{
    const std::wstring folder = probes.ProgramFolder();
    const std::wstring iniFile = folder + kIniFile;
    const std::wstring iniProvider = probes.ReadIniString(iniFile, L"CPU", L"Provider");
    // Read with the provider as the package describes its driver; only the provider decides.
    probes.ReadIniString(iniFile, L"CPU", L"Date");
    probes.ReadIniString(iniFile, L"CPU", L"Version");

    const DriverDescription driver = DescribeInstalledDriver(probes.InstalledDrivers(), console);

    if (iniProvider == driver.provider) {
        console.Print("don't need...\n");
        console.PrintWide(L"ini=%ls, driver=%ls\n", iniProvider.c_str(), driver.provider.c_str());
        return 0;
    }
    console.Print("need to install driver\n");
    console.PrintWide(L"ini=%ls, driver=%ls\n", iniProvider.c_str(), driver.provider.c_str());
    const std::wstring installer = folder + kInstaller;
    console.PrintWide(L"cnqPath: %ls\n", installer.c_str());
    console.Print("Start Install\n");
    // A failed start is not reported beyond the closing line.
    probes.StartHiddenAndWait(installer, L" -s");
    console.Print("Finish Install");
    return 0;
}

} // namespace drvsetup
