#pragma once
// The driver setup program: compares the installed processor driver's provider with the one of
// the packaged driver ("CpuInfo.ini") and runs the packaged installer when they differ.
#include <windows.h>
#include <string>
#include <vector>

namespace drvsetup {

// One entry of the processor device's installed-driver list.
struct DriverEntry
{
    std::wstring provider;
    DWORDLONG version = 0;
    FILETIME date = {};
};

// What the program knows of the installed driver; only the provider decides.
struct DriverDescription
{
    std::wstring provider;
    std::wstring version; // "a.b.c.d", most significant part first
    std::wstring date;    // "year/month/day"
};

// Everything the program asks of the machine.
class SetupProbes
{
public:
    virtual ~SetupProbes() = default;
    // Folder of the program file, with its trailing backslash.
    virtual std::wstring ProgramFolder() = 0;
    // A string of an INI file; empty when the file or the key is missing.
    virtual std::wstring ReadIniString(const std::wstring& file, const wchar_t* section,
                                       const wchar_t* key) = 0;
    // The installed driver entries of the last processor device, in list order; empty when the
    // query fails.
    virtual std::vector<DriverEntry> InstalledDrivers() = 0;
    // Starts a program hidden and waits for it; false when it could not be started.
    virtual bool StartHiddenAndWait(const std::wstring& application,
                                    const std::wstring& commandLine) = 0;
};

// Where the progress lines go: plain lines through printf, the lines with strings in them
// through wprintf (format with "%ls", up to two string arguments).
class SetupConsole
{
public:
    virtual ~SetupConsole() = default;
    virtual void Print(const char* text) = 0;
    virtual void PrintWide(const wchar_t* format, const wchar_t* first,
                           const wchar_t* second = nullptr) = 0;
};

// The description of the installed driver from its entries: the last entry wins, and every
// entry after the first prints "double check again !!!".
DriverDescription DescribeInstalledDriver(const std::vector<DriverEntry>& entries,
                                          SetupConsole& console);

// The whole program; the result is its exit code, 0 on every path.
int RunDriverSetup(SetupProbes& probes, SetupConsole& console);

} // namespace drvsetup
