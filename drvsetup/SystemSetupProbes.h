#pragma once
// The setup program's probes on the real machine, and its console on standard output.
#include "drvsetup/SetupProgram.h"

namespace drvsetup {

class SystemSetupProbes : public SetupProbes
{
public:
    std::wstring ProgramFolder() override;
    std::wstring ReadIniString(const std::wstring& file, const wchar_t* section,
                               const wchar_t* key) override;
    // SetupAPI: the processor class's present devices, the last one's installed driver only.
    std::vector<DriverEntry> InstalledDrivers() override;
    bool StartHiddenAndWait(const std::wstring& application,
                            const std::wstring& commandLine) override;
};

class StdoutConsole : public SetupConsole
{
public:
    void Print(const char* text) override;
    void PrintWide(const wchar_t* format, const wchar_t* first, const wchar_t* second) override;
};

} // namespace drvsetup
