#pragma once
// The launcher's probes on the real machine.
#include "drvsetup/Launcher.h"

namespace drvsetup {

class SystemLauncherProbes : public LauncherProbes
{
public:
    // CPUID leaf 0, executed once per process.
    bool IsIntelProcessor() override;
    // GetVersionExW with the extended record, then with the plain one.
    bool ReadWindowsVersion(DWORD& major, DWORD& minor) override;
    // GetNativeSystemInfo where kernel32 has it, else GetSystemInfo.
    WORD NativeArchitecture() override;
    bool StartHiddenAndWait(const std::wstring& application,
                            const std::wstring& commandLine) override;
    void DebugText(const wchar_t* text) override;
};

} // namespace drvsetup
